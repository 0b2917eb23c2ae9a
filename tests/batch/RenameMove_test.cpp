// Rename and move on real files: the names given, the target directory, names already taken
// (by other files or by files of the list itself), failures with their question, and Space.
#include "BatchFixture.h"
#include "batch/RenameMove.h"

namespace {

using RenameMove = BatchTest;

TEST(BatchFileName, BaseNumberAndExtensionFromTheFirstDot)
{
    struct Case { const char* base; int position; const char* name; const char* expected; };
    const Case cases[] = {
        {"Image", 1, "a.bmp", "Image0001.bmp"},
        {"Image", 5, "x.1.bmp", "Image0005.1.bmp"},
        {"Image", 12345, "c.jpg", "Image12345.jpg"},
        {"Lune", 3, "sans", "Lune0003"},
        {"", 7, "été.JPG", "0007.JPG"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(batchFileName(QString::fromUtf8(c.base), c.position, QString::fromUtf8(c.name)), QString::fromUtf8(c.expected));
}

TEST_F(RenameMove, RenamesMovesOrBothAndTheEntriesNameTheFiles)
{
    struct Case {
        const char* what;
        bool rename, move;
        QStringList expected;  // relative to the test folder
    };
    const Case cases[] = {
        {"rename", true, false, {"one/Image0001.bmp", "two/Image0002.bmp", "one/Image0003.jpg"}},
        {"move", false, true, {"out/a.bmp", "out/b.bmp", "out/c.jpg"}},
        {"both", true, true, {"out/Image0001.bmp", "out/Image0002.bmp", "out/Image0003.jpg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir d;
        dir.swap(d);
        const QStringList names = {"one/a.bmp", "two/b.bmp", "one/c.jpg"};
        std::vector<Entry> entries;
        for (const QString& n : names)
            entries.push_back({make(n)});
        ASSERT_TRUE(QDir().mkpath(path("out")));
        programOptions().RenameByBatch = c.rename;
        programOptions().MoveToTarget = c.move;
        programOptions().BatchName = "Image";
        programOptions().TargetDirectory = path("out");  // no final "/"
        list(entries);
        sp.clear();
        EXPECT_EQ(renameAndMove(review, ops, sp, true), 3);
        EXPECT_EQ(sp.messages(), QStringList{QString::fromUtf8("Traitement Terminé: 3 Fichiers Traités")});
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(entryPath(i + 1), path(c.expected[i]));
            EXPECT_EQ(readAll(path(c.expected[i])), bytesOf(QFileInfo(names[i]).fileName()));
        }
    }
}

TEST_F(RenameMove, WithoutOkOrWithoutAChoiceNothingHappens)
{
    const QString a = make("a.bmp");
    list({{a}});
    for (const bool confirmed : {false, true}) {
        programOptions().RenameByBatch = !confirmed;
        programOptions().MoveToTarget = false;
        sp.clear();
        EXPECT_EQ(renameAndMove(review, ops, sp, confirmed), 0);
        EXPECT_EQ(sp.messages(), QStringList{"Pas de Nom Valide"});
        EXPECT_EQ(ops.calls, 0);
    }
}

// Whatever names the files had, every entry names afterwards a file holding the bytes it held.
TEST_F(RenameMove, EveryEntryStillNamesItsOwnBytes)
{
    struct Case {
        const char* what;
        QStringList listed;   // file names in list order ("-" prefix: listed but missing)
        QStringList present;  // other files in the folder, which must keep their bytes
    };
    const Case cases[] = {
        {"names of the list itself, crossed", {"Image0002.bmp", "Image0001.bmp"}, {}},
        {"a name taken by a file outside the list", {"a.bmp", "b.bmp"}, {"Image0001.bmp"}},
        {"two entries of one file", {"a.bmp", "b.bmp", "a.bmp"}, {}},
        {"a missing file whose new name another file gets", {"x.bmp", "-Image0001.bmp", "y.bmp"}, {}},
        {"already in place", {"Image0001.bmp", "z.bmp"}, {}},
    };
    programOptions().RenameByBatch = true;
    programOptions().MoveToTarget = false;
    programOptions().BatchName = "Image";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir d;
        dir.swap(d);
        std::vector<Entry> entries;
        QList<QByteArray> held;
        for (QString n : c.listed) {
            const bool missing = n.startsWith('-');
            n.remove(0, missing ? 1 : 0);
            entries.push_back({missing ? path(n) : make(n)});
            held << (missing ? QByteArray() : bytesOf(n));
        }
        for (const QString& n : c.present)
            ASSERT_TRUE(writeAll(path(n), "outsider " + n.toUtf8()));
        list(entries);
        sp.clear();
        renameAndMove(review, ops, sp, true);  // missing files are left without a question
        for (int row = 1; row <= int(entries.size()); ++row) {
            if (held[row - 1].isEmpty())
                EXPECT_EQ(entryPath(row), entries[size_t(row - 1)].path);  // left alone
            else
                EXPECT_EQ(readAll(entryPath(row)), held[row - 1]) << row << " " << entryPath(row).toStdString();
        }
        for (const QString& n : c.present)
            EXPECT_EQ(readAll(path(n)), "outsider " + n.toUtf8());
        EXPECT_TRUE(sp.allAnswered());
    }
}

TEST_F(RenameMove, AFileThatCannotBeProcessedAsksWhetherToGoOn)
{
    programOptions().RenameByBatch = true;
    programOptions().MoveToTarget = false;
    programOptions().BatchName = "S";
    for (const bool goOn : {true, false}) {
        SCOPED_TRACE(goOn ? "Oui" : "Non");
        QTemporaryDir d;
        dir.swap(d);
        const QString a = make("a.bmp"), b = make("b.bmp"), c = make("c.bmp");
        list({{a}, {b}, {c}});
        ops.calls = 0;
        ops.failCall = 2;
        sp.clear();
        sp.answerChoice(goOn ? Choice::Yes : Choice::No);
        EXPECT_EQ(renameAndMove(review, ops, sp, true), goOn ? 2 : 1);
        ASSERT_GE(sp.shown().size(), 2u);
        EXPECT_EQ(sp.shown()[0].kind, ScriptedPrompts::Kind::Choice);
        EXPECT_EQ(sp.shown()[0].caption, "Impossible de Traiter le Fichier: " + b);
        EXPECT_EQ(sp.shown()[0].text, QString::fromUtf8("Accès au fichier refusé\nVoulez-vous Continuer?"));
        EXPECT_EQ(sp.messages().last(), QString::fromUtf8("Traitement Terminé: %1 Fichiers Traités\n1 Échec : Accès au fichier refusé : ")
                                                .arg(goOn ? 2 : 1) + b);
        EXPECT_EQ(entryPaths(), (QStringList{path("S0001.bmp"), b, goOn ? path("S0003.bmp") : c}));
    }
}

TEST_F(RenameMove, MovesAcrossFileSystemsAndStopsOnSpace)
{
    QTemporaryDir shm(QStringLiteral("/dev/shm/velmoran-batch-XXXXXX"));
    const QString out = shm.isValid() ? shm.path() : path("out");
    ASSERT_TRUE(QDir().mkpath(out));
    ops.system.forceCopy = !shm.isValid();
    programOptions().RenameByBatch = true;
    programOptions().MoveToTarget = true;
    programOptions().BatchName = "M";
    programOptions().TargetDirectory = out + "/";
    QStringList paths;
    std::vector<Entry> entries;
    for (int i = 0; i < 5; ++i) {
        paths << make(QStringLiteral("f%1.bmp").arg(i));
        entries.push_back({paths.back()});
    }
    list(entries);
    spaceAfter(ops, 2);
    EXPECT_EQ(renameAndMove(review, ops, sp, true), 2);
    EXPECT_EQ(sp.messages(), QStringList{QString::fromUtf8("Traitement Terminé: 2 Fichiers Traités")});
    EXPECT_EQ(entryPaths(), (QStringList{out + "/M0001.bmp", out + "/M0002.bmp", paths[2], paths[3], paths[4]}));
    EXPECT_EQ(readAll(out + "/M0002.bmp"), bytesOf("f1.bmp"));
    EXPECT_FALSE(QFileInfo::exists(paths[0]) || QFileInfo::exists(paths[1]));
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), (QStringList{"M0001.bmp", "M0002.bmp"}));
}

}  // namespace
