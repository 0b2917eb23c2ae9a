// The three passes over a list that mixes files and frames of a video: the frames and their video
// stay as they are, in the list too, and the closing message counts them.
#include "BatchFixture.h"
#include "VideoFixture.h"
#include "batch/RenameMove.h"
#include "batch/ScoreZero.h"
#include "batch/SortByZone.h"

namespace {

using PassesAndFrames = BatchTest;

TEST_F(PassesAndFrames, FramesAndTheirVideoAreLeftAndCounted)
{
    struct Case {
        const char* what;
        std::function<int()> run;
        const char* ending;
        int confirms;  // questions before it starts (the trash pass: a list all scored 0)
        // Where a treated file ends, from its folder and name and its position in the list; empty:
        // it went to the trash and its entry with it.
        std::function<QString(const QString& folder, const QString& name, int position)> treated;
    };
    const Case cases[] = {
        {"score 0 to the trash", [this] { return deleteScoreZero(review, ops, sp); }, " Fichiers Supprimés", 2,
         [](const QString&, const QString&, int) { return QString(); }},
        {"sort by zone", [this] { return sortByZone(review, ops, sp, true); }, " Fichiers Traités", 0,
         [](const QString& folder, const QString& name, int) { return folder + "Zone1/" + name; }},
        {"rename", [this] { return renameAndMove(review, ops, sp, true); }, " Fichiers Traités", 0,
         [](const QString& folder, const QString& name, int position) {
             return folder + batchFileName(QStringLiteral("Img"), position, name);
         }},
    };
    const QByteArray video = serBytes(SerSpec{});
    for (const Case& c : cases) {
        for (const int frames : {1, 3}) {
            SCOPED_TRACE(std::string(c.what) + ", " + std::to_string(frames) + " frame(s)");
            const QString sub = QStringLiteral("%1%2/").arg(c.what).arg(frames);
            const QString folder = path(sub);
            const QString ser = folder + "jupiter.ser";
            ASSERT_TRUE(QDir().mkpath(folder));
            ASSERT_TRUE(writeAll(ser, video));
            // A file that bears a frame's name while its video is gone is no frame, and no file to
            // treat either.
            const QString stranger = make(sub + "gone.ser#00001");
            struct Listed {
                QString path;
                bool file;  // an ordinary file the pass treats
            };
            std::vector<Listed> listed = {{make(sub + "a.bmp"), true},
                                          {ser + "#00002", false},
                                          {make(sub + "saturn.ser"), true},
                                          {stranger, false}};
            for (int f = 1; f < frames; ++f)
                listed.push_back({ser + QStringLiteral("#%1").arg(f * 4, 5, 10, QLatin1Char('0')), false});
            std::vector<Entry> entries;
            QStringList expected;
            std::vector<std::pair<QString, QByteArray>> treatedFiles;
            for (size_t i = 0; i < listed.size(); ++i) {
                entries.push_back({listed[i].path, "0", "1"});
                const QString name = QFileInfo(listed[i].path).fileName();
                const QString at = listed[i].file ? c.treated(folder, name, int(i) + 1) : listed[i].path;
                if (!at.isEmpty())
                    expected << at;
                if (listed[i].file && !at.isEmpty())
                    treatedFiles.push_back({at, bytesOf(name)});
            }
            list(entries);
            programOptions().RenameByBatch = true;
            programOptions().BatchName = QStringLiteral("Img");
            sp.clear();
            for (int i = 0; i < c.confirms; ++i)
                sp.answerConfirm(true);

            EXPECT_EQ(c.run(), 2);
            const QString frameLine = frames == 1 ? QString::fromUtf8("1 image de vidéo non traitée")
                                                  : QString::fromUtf8("%1 images de vidéo non traitées").arg(frames);
            ASSERT_FALSE(sp.messages().isEmpty());
            EXPECT_EQ(sp.messages().last(),
                      QString::fromUtf8("Traitement Terminé: 2") + QString::fromUtf8(c.ending)
                          + "\n1 Entrée Laissée : 1 fichier introuvable\n" + frameLine);
            EXPECT_EQ(entryPaths(), expected);
            EXPECT_EQ(readAll(ser), video);
            EXPECT_EQ(readAll(stranger), bytesOf("gone.ser#00001"));
            for (const auto& [p, bytes] : treatedFiles)
                EXPECT_EQ(readAll(p), bytes) << p.toStdString();
            EXPECT_TRUE(sp.allAnswered());
        }
    }
}

}  // namespace
