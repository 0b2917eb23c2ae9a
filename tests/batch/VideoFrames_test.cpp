// The passes over files and frames of a video: the files are treated as before, the frames and
// their video stay (in the list too) and the closing message counts the frames.
#include "BatchFixture.h"
#include "VideoFixture.h"
#include "batch/RenameMove.h"
#include "batch/ScoreZero.h"
#include "batch/SortByZone.h"

TEST_F(BatchTest, PassesLeaveFramesOfVideosAndCountThem)
{
    const QByteArray video = serBytes(SerLayout{});
    const QString ser = path("jupiter.ser"), stranger = make("gone.ser#00001");  // its video is gone
    ASSERT_TRUE(writeAll(ser, video));
    programOptions().RenameByBatch = true;
    programOptions().BatchName = QStringLiteral("Img");
    // The pass, its closing word, where a.bmp and b.ser end (none: in the trash), frames listed.
    const std::tuple<std::function<int()>, const char*, QStringList, int> cases[] = {
        {[this] {
             sp.answerConfirm(true), sp.answerConfirm(true);  // the second: every entry is scored 0
             return deleteScoreZero(review, ops, sp);
         },
         "Supprimés", {}, 1},
        {[this] { return sortByZone(review, ops, sp, true); }, "Traités", {"Zone1/a.bmp", "Zone1/b.ser"}, 3},
        {[this] { return renameAndMove(review, ops, sp, true); }, "Traités", {"Img0001.bmp", "Img0003.ser"}, 3},
    };
    for (const auto& [run, done, treated, frames] : cases) {
        QStringList expected = QStringList{make("a.bmp"), ser + "#00002", make("b.ser"), stranger, ser + "#00004",
                                           ser + "#00010"}.mid(0, 3 + frames);
        std::vector<Entry> entries;
        for (const QString& p : expected)
            entries.push_back({p, "0", "1"});
        list(entries);
        sp.clear();
        EXPECT_EQ(run(), 2);
        const char* framesLine = frames == 1 ? "1 image de vidéo non traitée" : "3 images de vidéo non traitées";
        EXPECT_EQ(sp.messages().last(), QString::fromUtf8("Traitement Terminé: 2 Fichiers %1\n"
                                                          "1 Entrée Laissée : 1 fichier introuvable\n%2")
                                            .arg(QString::fromUtf8(done), QString::fromUtf8(framesLine)));
        expected[0] = treated.isEmpty() ? QString() : path(treated[0]);
        expected[2] = treated.isEmpty() ? QString() : path(treated[1]);
        expected.removeAll(QString());
        EXPECT_EQ(entryPaths(), expected);
        for (int i = 0; i < treated.size(); ++i)
            EXPECT_EQ(readAll(path(treated[i])), bytesOf(i ? "b.ser" : "a.bmp"));
        EXPECT_EQ(readAll(ser), video);
        EXPECT_EQ(readAll(stranger), bytesOf("gone.ser#00001"));
    }
}
