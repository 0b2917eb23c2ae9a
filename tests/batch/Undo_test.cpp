// Undo of the batch passes from their journals: every pass put back file by file, names taken
// since, files gone since, the order of several passes, a journal that cannot be written, and a
// pass cut by killing the process, settled at the next start and then undone.
#include "BatchFixture.h"
#include "batch/FileJournal.h"
#include "batch/JournalRecovery.h"
#include "batch/RenameMove.h"
#include "batch/ScoreZero.h"
#include "batch/SortByZone.h"
#include "batch/UndoPass.h"
#include "platform/ProgramError.h"

#include <QCoreApplication>

#include <csignal>
#include <unistd.h>

namespace {

enum class Pass { Trash, Sort, Rename };

// Runs a pass over the list with the answers it needs.
int runPass(Pass pass, ReviewController& review, ShellFileOp& ops, ScriptedPrompts& sp)
{
    switch (pass) {
    case Pass::Trash:
        sp.answerConfirm(true);
        sp.answerConfirm(true);  // asked again when every entry is scored 0
        return deleteScoreZero(review, ops, sp);
    case Pass::Sort: return sortByZone(review, ops, sp, false);
    case Pass::Rename:
        programOptions().RenameByBatch = true;
        programOptions().BatchName = "R";
        return renameAndMove(review, ops, sp, true);
    }
    return -1;
}

class Undo : public BatchTest {
protected:
    // n files, each listed with score 0 and zone i mod 5 + 1.
    QStringList series(int n)
    {
        QStringList paths;
        std::vector<Entry> entries;
        for (int i = 0; i < n; ++i) {
            paths << make(QStringLiteral("s/f%1.bmp").arg(i, 2, 10, QChar('0')));
            entries.push_back({paths.back(), "0", QString::number(i % 5 + 1)});
        }
        list(entries);
        return paths;
    }
    void expectBack(const QStringList& paths)
    {
        for (const QString& p : paths)
            EXPECT_EQ(readAll(p), bytesOf(QFileInfo(p).fileName())) << p.toStdString();
        EXPECT_EQ(QDir(path("s")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), paths.size());
        EXPECT_TRUE(QDir(trashDir() + "/files").isEmpty());
        EXPECT_TRUE(QDir(trashDir() + "/info").isEmpty());
    }
    int undo(bool yes = true)
    {
        sp.clear();
        sp.answerConfirm(yes);
        return undoLastPass(review, ops, sp);
    }
};

TEST_F(Undo, EveryPassIsPutBackFileByFile)
{
    for (const Pass pass : {Pass::Trash, Pass::Sort, Pass::Rename}) {
        SCOPED_TRACE(int(pass));
        QTemporaryDir d;
        dir.swap(d);
        const QStringList paths = series(50);
        EXPECT_EQ(runPass(pass, review, ops, sp), 50);
        ASSERT_FALSE(QFileInfo::exists(paths[7]));

        EXPECT_EQ(undo(), 50);
        ASSERT_EQ(sp.messages().size(), 2);
        EXPECT_TRUE(sp.messages()[0].startsWith("Voulez-vous Annuler le Dernier Traitement (")) << sp.messages()[0].toStdString();
        EXPECT_TRUE(sp.messages()[0].endsWith(", 50 Fichiers) ?"));
        EXPECT_EQ(sp.messages()[1], QString::fromUtf8("Traitement Annulé: 50 Fichiers Rétablis"));
        expectBack(paths);  // no Zone folder left either
        EXPECT_EQ(entryPaths(), paths);  // the trashed entries back in the list too
        EXPECT_TRUE(trashListed().isEmpty());

        sp.clear();
        EXPECT_EQ(undoLastPass(review, ops, sp), 0);
        EXPECT_EQ(sp.messages(), QStringList{QString::fromUtf8("Aucun Traitement à Annuler")});
    }
}

TEST_F(Undo, TrashedEntriesComeBackAtTheirRowsWithTheirTagsWhileTheListIsTheSame)
{
    const QStringList paths = {make("s/a.bmp"), make("s/b.bmp"), make("s/c.bmp"), make("s/d.bmp"), make("s/e.bmp")};
    const QStringList scores = {"0", "2", "0", "1", "0"};
    auto fill = [&] {
        list({{paths[0], "0", "3"}, {paths[1], "2", "1"}, {paths[2], "0", "4"}, {paths[3], "1"}, {paths[4], "0", "2"}});
        review.model().setCell(ListModel::ColExtra, 3, "10");
    };
    auto cells = [&](int column) {
        QStringList out;
        for (int row = 1; review.model().isEntryRow(row); ++row)
            out << review.model().cell(column, row);
        return out;
    };
    fill();
    const QStringList zones = cells(ListModel::ColZone);
    const QStringList extras = cells(ListModel::ColExtra);
    EXPECT_EQ(runPass(Pass::Trash, review, ops, sp), 3);
    ASSERT_EQ(entryPaths(), QStringList({paths[1], paths[3]}));
    // A file back under another name: its entry names the file where it is now.
    ASSERT_TRUE(writeAll(paths[2], "pris"));
    review.SetListModified(false);

    EXPECT_EQ(undo(), 3);
    const QString elsewhere = path("s/c (2).bmp");
    EXPECT_EQ(entryPaths(), QStringList({paths[0], paths[1], elsewhere, paths[3], paths[4]}));
    EXPECT_EQ(cells(ListModel::ColQuality), scores);
    EXPECT_EQ(cells(ListModel::ColZone), zones);
    EXPECT_EQ(cells(ListModel::ColExtra), extras);
    EXPECT_EQ(cells(ListModel::ColNumber), QStringList({"0000", "0001", "0002", "0003", "0004"}));
    EXPECT_EQ(review.LastRow(), 5);
    EXPECT_TRUE(review.ListModified());
    EXPECT_EQ(readAll(elsewhere), bytesOf("c.bmp"));

    // Another list opened since: the files come back, that list is left as it is.
    ASSERT_TRUE(QFile::remove(paths[2]) && QFile::rename(elsewhere, paths[2]));
    fill();
    EXPECT_EQ(runPass(Pass::Trash, review, ops, sp), 3);
    list({{paths[1], "2"}});
    EXPECT_EQ(undo(), 3);
    EXPECT_EQ(entryPaths(), QStringList({paths[1]}));
    for (const QString& p : paths)
        EXPECT_TRUE(QFileInfo::exists(p)) << p.toStdString();
}

TEST_F(Undo, OldJournalsGoWhenAPassStartsButOneACrashLeftOpenStays)
{
    QDir().mkpath(journalDirectory());
    const QString crashed = journalDirectory() + "/20250101-000000-000-001-TriZones.journal";
    ASSERT_TRUE(writeAll(crashed, "H\t1\tTriZones\n"));
    QStringList ended;
    for (int i = 0; i < kKeptJournals + 3; ++i) {
        ended << journalDirectory() + QStringLiteral("/20260101-000000-%1-001-Renommer.journal").arg(i, 3, 10, QChar('0'));
        ASSERT_TRUE(writeAll(ended.back(), "H\t1\tRenommer\nE\n"));
    }
    const QStringList paths = series(10);
    EXPECT_EQ(runPass(Pass::Sort, review, ops, sp), 10);

    // 55 journals: the newest 50 stay, and of the 5 older ones only the crashed one.
    const QStringList left = journalFiles();
    ASSERT_EQ(left.size(), kKeptJournals + 1);
    EXPECT_EQ(left[0], crashed);
    EXPECT_EQ(left[1], ended[4]);
    EXPECT_EQ(undo(), 10);
    EXPECT_EQ(entryPaths(), paths);
}

TEST_F(Undo, NamesTakenSinceAndFilesGoneSinceAreNeitherOverwrittenNorForgotten)
{
    const QStringList paths = series(4);
    sortByZone(review, ops, sp, false);
    ASSERT_TRUE(writeAll(paths[1], "a new f01"));  // the old name is taken since
    ASSERT_TRUE(QFile::remove(entryPath(3)));     // f02 is gone since
    const QString kept = entryPath(4);            // and f03 stays where the sort put it, for now

    sp.clear();
    sp.answerConfirm(false);
    EXPECT_EQ(undoLastPass(review, ops, sp), 0);  // "Non" changes nothing
    EXPECT_TRUE(QFileInfo::exists(kept));

    EXPECT_EQ(undo(), 3);
    EXPECT_EQ(readAll(paths[1]), QByteArray("a new f01"));
    const QString elsewhere = path("s/f01 (2).bmp");
    EXPECT_EQ(readAll(elsewhere), bytesOf("f01.bmp"));
    EXPECT_EQ(readAll(paths[3]), bytesOf("f03.bmp"));
    EXPECT_EQ(entryPaths(), (QStringList{paths[0], elsewhere, path("s/Zone3/f02.bmp"), paths[3]}));
    EXPECT_EQ(sp.messages().last(),
              QString::fromUtf8("Traitement Annulé: 3 Fichiers Rétablis\n1 sous un autre nom, l'ancien étant pris (%1)\n"
                                "1 Fichiers non Rétablis: Fichier introuvable : \"%2\"")
                  .arg(elsewhere, path("s/Zone3/f02.bmp")));
    EXPECT_TRUE(review.ListModified());
}

TEST_F(Undo, TheLastPassGoesFirstAndAnUndoCutShortIsFinishedLater)
{
    const QStringList paths = series(6);
    sortByZone(review, ops, sp, false);
    const QStringList sorted = entryPaths();
    runPass(Pass::Rename, review, ops, sp);

    ops.calls = 0;
    spaceAfter(ops, 2);  // the undo of the rename is stopped after two files
    EXPECT_EQ(undo(), 2);
    ops.after = {};
    EXPECT_EQ(undo(), 4);  // the rest of the rename
    EXPECT_EQ(entryPaths(), sorted);
    for (const QString& p : sorted)
        EXPECT_EQ(readAll(p), bytesOf(QFileInfo(p).fileName()));
    EXPECT_EQ(undo(), 6);  // then the sort
    expectBack(paths);
}

TEST_F(Undo, AJournalThatCannotBeWrittenIsSaidBeforeAnyFileMoves)
{
    const QStringList paths = series(3);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(journalDirectory()).path()));
    ASSERT_TRUE(writeAll(journalDirectory(), "not a folder"));
    for (const bool goOn : {false, true}) {
        SCOPED_TRACE(goOn ? "Oui" : "Non");
        sp.clear();
        sp.answerQuestion(goOn);
        if (goOn) {
            EXPECT_EQ(sortByZone(review, ops, sp, false), 3);
        } else {
            EXPECT_THROW(sortByZone(review, ops, sp, false), SilentAbort);
            EXPECT_EQ(entryPaths(), paths);
            EXPECT_TRUE(QFileInfo::exists(paths[0]));
        }
        EXPECT_EQ(sp.shown()[0].caption, "Journal d'annulation");
        EXPECT_FALSE(review.BatchRunning());
    }
}

// The child's side of the crash test: it runs a pass over the files the parent made and is killed
// just after its 20th file operation, before that operation is marked done.
TEST_F(Undo, CrashChild)
{
    const QByteArray files = qgetenv("VELMORAN_CRASH_FILES");
    if (files.isEmpty())
        GTEST_SKIP() << "started by KilledInTheMiddleThenRestartedAndUndone";
    qputenv("XDG_DATA_HOME", qgetenv("VELMORAN_CRASH_DATA"));
    QStringList paths;
    std::vector<Entry> entries;
    for (const QString& name : QDir(QFile::decodeName(files)).entryList(QDir::Files, QDir::Name)) {
        paths << QFile::decodeName(files) + "/" + name;
        entries.push_back({paths.back(), "0", "1"});
    }
    list(entries);
    ops.after = [](int call) {
        if (call == 20)
            ::kill(::getpid(), SIGKILL);
    };
    runPass(Pass(qgetenv("VELMORAN_CRASH_PASS").toInt()), review, ops, sp);
    ADD_FAILURE() << "the pass ended";
}

TEST_F(Undo, KilledInTheMiddleThenRestartedAndUndone)
{
    for (const Pass pass : {Pass::Trash, Pass::Sort, Pass::Rename}) {
        SCOPED_TRACE(int(pass));
        QTemporaryDir d;
        dir.swap(d);
        QStringList paths;
        for (int i = 0; i < 50; ++i)
            paths << make(QStringLiteral("s/f%1.bmp").arg(i, 2, 10, QChar('0')));

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELMORAN_CRASH_FILES", path("s"));
        env.insert("VELMORAN_CRASH_DATA", data.path());
        env.insert("VELMORAN_CRASH_PASS", QString::number(int(pass)));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=Undo.CrashChild"});
        ASSERT_TRUE(child.waitForFinished(60000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAll().toStdString();

        const QStringList journals = journalFiles();
        ASSERT_EQ(journals.size(), 1);
        EXPECT_FALSE(readJournal(journals[0]).ended);
        EXPECT_EQ(recoverJournals(), 1);  // the restart
        const PassJournal j = readJournal(journals[0]);
        EXPECT_TRUE(j.ended);
        ASSERT_GE(j.records.size(), 20u);
        // The 20th operation was made but not marked: it is found done where it went.
        EXPECT_EQ(j.records[19].state, JournalState::Done);
        EXPECT_EQ(identityOf(j.records[19].used).ino, j.records[19].identity.ino);
        EXPECT_EQ(j.toUndo(), 20);

        review.document().clear();
        review.Recount();
        EXPECT_EQ(undo(), 20);
        expectBack(paths);
        QFile::remove(journals[0]);
    }
}

}  // namespace
