// The passes over files and frames of a video: the files are treated as before, the frames and
// their video stay (in the list too) and the closing message counts the frames.
#include "BatchFixture.h"
#include "VideoFixture.h"
#include "batch/RenameMove.h"
#include "batch/ScoreZero.h"
#include "batch/SortByZone.h"

TEST_F(BatchTest, PassesLeaveFramesOfVideosAndCountThem)
{
    const QByteArray video = serBytes(SerSpec{});
    const QString ser = path("jupiter.ser");
    ASSERT_TRUE(writeAll(ser, video));
    const QString stranger = make("gone.ser#00001");  // a frame's name, its video gone: no file to treat
    programOptions().RenameByBatch = true;
    programOptions().BatchName = QStringLiteral("Img");
    struct Case {
        std::function<int()> run;
        int confirms;  // the trash pass asks twice for a list all scored 0
        const char* done;
        QStringList treated;  // where a.bmp and saturn.ser end; none: in the trash
        int frames;
    };
    const Case cases[] = {
        {[this] { return deleteScoreZero(review, ops, sp); }, 2, "2 Fichiers Supprimés", {}, 1},
        {[this] { return sortByZone(review, ops, sp, true); }, 0, "2 Fichiers Traités", {"Zone1/a.bmp", "Zone1/saturn.ser"}, 2},
        {[this] { return renameAndMove(review, ops, sp, true); }, 0, "2 Fichiers Traités", {"Img0001.bmp", "Img0004.ser"}, 3},
    };
    for (const Case& c : cases) {
        const QStringList frames = QStringList{ser + "#00002", ser + "#00004", ser + "#00010"}.mid(0, c.frames);
        std::vector<Entry> entries = {{make("a.bmp")}, {frames[0]}, {stranger}, {make("saturn.ser")}};
        for (const QString& f : frames.mid(1))
            entries.push_back({f});
        for (Entry& e : entries)
            e.quality = "0", e.zone = "1";
        list(entries);
        QStringList expected = QStringList{frames[0], stranger} + frames.mid(1);
        if (!c.treated.isEmpty())
            expected = QStringList{path(c.treated[0]), frames[0], stranger, path(c.treated[1])} + frames.mid(1);
        sp.clear();
        for (int i = 0; i < c.confirms; ++i)
            sp.answerConfirm(true);
        EXPECT_EQ(c.run(), 2) << c.done;
        EXPECT_EQ(sp.messages().value(sp.messages().size() - 1),
                  QString::fromUtf8("Traitement Terminé: %1\n1 Entrée Laissée : 1 fichier introuvable\n%2")
                      .arg(QString::fromUtf8(c.done),
                           c.frames == 1 ? QString::fromUtf8("1 image de vidéo non traitée")
                                         : QString::fromUtf8("%1 images de vidéo non traitées").arg(c.frames)));
        EXPECT_EQ(entryPaths(), expected);
        for (int i = 0; i < c.treated.size(); ++i)
            EXPECT_EQ(readAll(path(c.treated[i])), bytesOf(i == 0 ? "a.bmp" : "saturn.ser"));
        EXPECT_EQ(readAll(ser), video);
        EXPECT_EQ(readAll(stranger), bytesOf("gone.ser#00001"));
    }
}
