// What the three passes share: which entries they act on, how they account for the files they left
// or could not treat, and the closing message that says so.
#include "BatchFixture.h"
#include "batch/BatchPass.h"
#include "batch/RenameMove.h"
#include "batch/ScoreZero.h"
#include "batch/SortByZone.h"

#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Passes = BatchTest;

bool makeLink(const QString& target, const QString& link)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
}

// The kinds the passes meet in EveryPass below are checked there; here the ones a list rarely holds.
TEST_F(Passes, OnlyRegularFilesAndLinksToThemAreActedOn)
{
    const QString file = make("image.bmp");
    ASSERT_TRUE(makeLink(path("nowhere"), path("dangling")) && makeLink(path("loop"), path("loop")));
    struct Case {
        QString path;
        EntryFile::Kind kind;
        int error;
    };
    const Case cases[] = {
        {file, EntryFile::Regular, 0},
        {"/dev/null", EntryFile::Device, 0},
        {path("dangling"), EntryFile::Missing, 0},
        {file + "/below", EntryFile::Missing, 0},  // through a file
        {QString(), EntryFile::Missing, 0},
        {path("loop"), EntryFile::Unknown, ELOOP},
    };
    for (const Case& c : cases) {
        const EntryFile f = checkEntryFile(c.path);
        EXPECT_EQ(f.kind, c.kind) << c.path.toStdString();
        EXPECT_EQ(f.error, c.error) << c.path.toStdString();
    }
}

TEST(PassReport, ClosingMessage)
{
    struct Failure {
        int err;
        const char* subject;
    };
    struct Case {
        int count;
        std::vector<Failure> failures;
        std::vector<EntryFile::Kind> left;
        const char* expected;
    };
    const Case cases[] = {
        {3, {}, {}, "Traitement Terminé: 3 Fichiers Traités"},
        {0, {{EACCES, "/ro/a.bmp"}}, {}, "Traitement Terminé: 0 Fichiers Traités\n1 Échec : Accès au fichier refusé : /ro/a.bmp"},
        {11, {{ENOSPC, "/d/f00012.bmp"}, {EIO, "/d/f00013.bmp"}, {ENOSPC, "/d/f00014.bmp"}}, {},
         "Traitement Terminé: 11 Fichiers Traités\n3 Échecs, le premier : Disque plein : /d/f00012.bmp"},
        {1, {}, {EntryFile::Folder},
         "Traitement Terminé: 1 Fichiers Traités\n1 Entrée Laissée : 1 répertoire"},
        {2, {{0, "/d/Zone1/"}}, {EntryFile::Fifo, EntryFile::Missing, EntryFile::Folder, EntryFile::Missing},
         "Traitement Terminé: 2 Fichiers Traités\n1 Échec : Erreur de lecture ou d'écriture du disque : /d/Zone1/\n"
         "4 Entrées Laissées : 2 fichiers introuvables, 1 répertoire, 1 tube nommé"},
    };
    for (const Case& c : cases) {
        ScriptedPrompts sp;
        PassReport report(sp);
        for (const Failure& f : c.failures) {
            sp.answerChoice(Choice::Yes);
            EXPECT_TRUE(report.failed("/entry.bmp", f.err, QString::fromUtf8(f.subject)));
        }
        for (EntryFile::Kind k : c.left)
            report.leaveEntry(k);
        EXPECT_EQ(report.closing(c.count, " Fichiers Traités"), QString::fromUtf8(c.expected));
    }
}

// The three passes run the same way on a list: the trash on score 0, the sort on zone 1, the rename
// to "R" + position.
enum class Pass { Trash, Sort, Rename };

struct PassRun {
    const char* what;
    Pass pass;
    const char* ending;
};
const PassRun kPasses[] = {
    {"trash", Pass::Trash, " Fichiers Supprimés"},
    {"sort", Pass::Sort, " Fichiers Traités"},
    {"rename", Pass::Rename, " Fichiers Traités"},
};

class EveryPass : public BatchTest {
protected:
    void listFor(Pass pass, const QStringList& paths)
    {
        std::vector<Entry> entries;
        for (const QString& p : paths)
            entries.push_back({p, pass == Pass::Trash ? "0" : "1", pass == Pass::Sort ? "1" : " "});
        list(entries);
    }
    // answer: to the question on a failed file, queued after the pass's own confirmations.
    int run(Pass pass, std::optional<Choice> answer = {})
    {
        programOptions().RenameByBatch = true;
        programOptions().MoveToTarget = false;
        programOptions().BatchName = "R";
        if (pass == Pass::Trash) {
            sp.answerConfirm(true);
            sp.answerConfirm(true);  // every entry is scored 0
        }
        if (answer)
            sp.answerChoice(*answer);
        return pass == Pass::Trash ? deleteScoreZero(review, ops, sp)
               : pass == Pass::Sort ? sortByZone(review, ops, sp, false)
                                    : renameAndMove(review, ops, sp, true);
    }
    // Where the sort or the rename puts the file of the entry at position (from 1) named p.
    static QString treated(Pass pass, const QString& p, int position)
    {
        const QFileInfo f(p);
        return f.path() + (pass == Pass::Sort ? "/Zone1/" + f.fileName() : "/" + batchFileName("R", position, f.fileName()));
    }
};

TEST_F(EveryPass, EntriesThatNameNoFileAreLeftAndCounted)
{
    for (const PassRun& run : kPasses) {
        SCOPED_TRACE(run.what);
        QTemporaryDir d;
        dir.swap(d);
        sp.clear();
        const QString image = make("image.bmp"), inside = make("folder.bmp/inside.bmp");
        const QString target = make("target.dat");
        ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.bmp")).constData(), 0600), 0);
        ASSERT_TRUE(makeLink(target, path("link.bmp")) && makeLink(path("folder.bmp"), path("dirlink.bmp")));
        const QStringList listed = {image, path("folder.bmp"), path("pipe.bmp"), path("gone.bmp"), path("link.bmp"),
                                    path("dirlink.bmp")};
        listFor(run.pass, listed);
        EXPECT_EQ(this->run(run.pass), 2);
        EXPECT_EQ(sp.messages().last(), QString::fromUtf8("Traitement Terminé: 2%1\n"
                                                          "4 Entrées Laissées : 1 fichier introuvable, 2 répertoires, 1 tube nommé")
                                            .arg(QString::fromUtf8(run.ending)));
        QStringList expected = listed;
        if (run.pass == Pass::Trash) {
            expected.removeAt(4);
            expected.removeAt(0);
        } else {
            expected[0] = treated(run.pass, image, 1);
            expected[4] = treated(run.pass, path("link.bmp"), 5);
            EXPECT_EQ(readAll(expected[0]), bytesOf("image.bmp"));
            EXPECT_EQ(readAll(expected[4]), bytesOf("target.dat"));  // the link moved, still to its file
        }
        EXPECT_EQ(entryPaths(), expected);
        EXPECT_EQ(readAll(inside), bytesOf("inside.bmp"));  // the folder stays whole where it was
        EXPECT_EQ(readAll(target), bytesOf("target.dat"));
        EXPECT_TRUE(QFileInfo(path("pipe.bmp")).exists());
        EXPECT_EQ(ops.calls, 2);
        ops.calls = 0;
    }
}

TEST_F(EveryPass, FailuresAskAndAreCountedWithTheirFirstReason)
{
    struct Answer {
        const char* what;
        Choice choice;
        int count;  // files treated
        const char* failures;
    };
    const Answer answers[] = {
        {"Oui pour Tous", Choice::YesToAll, 1, "2 Échecs, le premier : Disque plein : "},
        {"Non", Choice::No, 1, "1 Échec : Disque plein : "},
        {"Annuler", Choice::Cancel, 1, "1 Échec : Disque plein : "},
    };
    for (const PassRun& run : kPasses) {
        for (const Answer& a : answers) {
            SCOPED_TRACE(std::string(run.what) + ", " + a.what);
            QTemporaryDir d;
            dir.swap(d);
            sp.clear();
            ops.calls = 0;
            ops.failWith = [](int call) { return call >= 2 ? ENOSPC : 0; };  // the disk is full after the first
            const QStringList files = {make("a.bmp"), make("b.bmp"), make("c.bmp")};
            listFor(run.pass, files);
            EXPECT_EQ(this->run(run.pass, a.choice), a.count);
            EXPECT_TRUE(sp.allAnswered());
            EXPECT_EQ(ops.calls, a.choice == Choice::YesToAll ? 3 : 2);
            EXPECT_EQ(sp.messages().last(), QString::fromUtf8("Traitement Terminé: 1%1\n%2")
                                                .arg(QString::fromUtf8(run.ending), QString::fromUtf8(a.failures) + files[1]));
            const auto asked = std::count_if(sp.shown().begin(), sp.shown().end(), [&](const ScriptedPrompts::Shown& s) {
                return s.kind == ScriptedPrompts::Kind::Choice && s.caption == "Impossible de Traiter le Fichier: " + files[1]
                    && s.text == "Disque plein\nVoulez-vous Continuer?";
            });
            EXPECT_EQ(asked, 1);
            // The entries of files that failed or were not reached name them where they are.
            const QStringList now = entryPaths();
            EXPECT_EQ(now.mid(now.size() - 2), files.mid(1));
            EXPECT_TRUE(QFileInfo::exists(files[1]) && QFileInfo::exists(files[2]));
        }
    }
}

}  // namespace
