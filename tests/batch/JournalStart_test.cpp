// The journals through the started program: a start with a sort whose journal a power cut left in
// the middle of a line, beside things named like journals that are no files (a link to a device, a
// pipe), then "Annuler le Dernier Traitement".
#include "../app/ProgramFixture.h"
#include "BatchFixture.h"
#include "batch/FileJournal.h"

#include <QAction>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class JournalStart : public ProgramTest {
protected:
    void SetUp() override
    {
        savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        ProgramTest::SetUp();
    }
    void TearDown() override
    {
        ProgramTest::TearDown();
        qputenv("XDG_DATA_HOME", savedData);
    }
    void menu(const char* name) { commande->MenuAction(QString::fromUtf8(name))->trigger(); }

    QTemporaryDir dir;
    QTemporaryDir data;
    QByteArray savedData;
};

TEST_F(JournalStart, ACutJournalAndOddNamesAreSettledAtStartAndTheUndoSaysWhatItCouldNotRead)
{
    QStringList paths;
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) {
        paths << dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(writeAll(paths.back(), bytesOf(QString::fromLatin1(name))));
    }
    review().document().appendFiles(paths);
    for (int row = 1; row <= 3; ++row)
        review().model().setCell(ListModel::ColZone, row, QString::number(row));
    review().Recount();
    scripted.answerDialog([](QDialog*) {});
    menu("Executer_TrierparzonedanssousRepertoire");
    ASSERT_EQ(journalFiles().size(), 1);

    // The power goes in the middle of the line that marks b.bmp moved.
    const QString journal = journalFiles()[0];
    const QByteArray bytes = readAll(journal);
    const qsizetype cut = bytes.indexOf("\nD\t1\t") + 9;
    ASSERT_TRUE(writeAll(journal, bytes.left(cut)));
    const QString folder = QFileInfo(journal).absolutePath();
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(folder + "/0-zero.journal").constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "/0-pipe.journal").constData(), 0600), 0);
    restart();

    scripted.clear();
    scripted.answerConfirm(true);
    menu("Edition_AnnulerleDernierTraitement");
    EXPECT_EQ(scripted.messages().last(),
              QString::fromUtf8("Traitement Annulé: 3 Fichiers Rétablis\n1 Lignes du Journal Illisibles: ligne %1 de \"%2\"")
                  .arg(bytes.left(cut).count('\n') + 1)
                  .arg(journal));
    for (const QString& p : paths)
        EXPECT_EQ(readAll(p), bytesOf(QFileInfo(p).fileName()));
}

}  // namespace
