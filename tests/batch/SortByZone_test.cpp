// Sort by zone on real files: where each file goes, what its entry says afterwards, names taken in
// the zone folder, a zone that is not a number, other file systems, failures and the stop keys.
#include "BatchFixture.h"
#include "batch/SortByZone.h"
#include "platform/ProgramError.h"

namespace {

using SortByZone = BatchTest;

TEST_F(SortByZone, EachFileGoesToItsZoneFolderAndItsEntryFollows)
{
    struct Case {
        const char* zone;
        const char* folder;  // where the file ends, relative to its own folder; null: it stays
    };
    const Case cases[] = {
        {"1", "Zone1/"}, {"1", "Zone1/"}, {"2", "Zone2/"}, {"03", "Zone3/"}, {" ", nullptr},
        {" 4", "Zone4/"}, {"0", "Zone0/"}, {"-1", "Zone-1/"},
    };
    for (const bool base : {false, true}) {
        for (const bool confirmed : {false, true}) {
            SCOPED_TRACE(std::string(base ? "base directory" : "own folder") + (confirmed ? ", confirmed" : ""));
            const QString tag = QStringLiteral("%1%2").arg(base).arg(confirmed);
            programOptions().SortMoveToBase = base;
            programOptions().SortBaseDirectory = path("base" + tag);  // no final "/"
            ASSERT_TRUE(QDir().mkpath(path("base" + tag)));
            const bool underBase = base && confirmed;
            std::vector<Entry> entries;
            QStringList expected;
            int moved = 0;
            for (size_t i = 0; i < std::size(cases); ++i) {
                const QString name = QStringLiteral("f%1.bmp").arg(i);
                const QString own = path("in" + tag + "/");
                entries.push_back({make("in" + tag + "/" + name), "1", QString::fromLatin1(cases[i].zone)});
                const char* folder = cases[i].folder;
                expected << (folder ? (underBase ? path("base" + tag + "/") : own) + folder + name : own + name);
                moved += folder != nullptr;
            }
            list(entries);
            sp.clear();
            EXPECT_EQ(sortByZone(review, ops, sp, confirmed), moved);
            EXPECT_EQ(sp.messages(), QStringList{QString::fromUtf8("Traitement Terminé: %1 Fichiers Traités").arg(moved)});
            EXPECT_EQ(entryPaths(), expected);
            for (const QString& p : expected)
                EXPECT_EQ(readAll(p), bytesOf(QFileInfo(p).fileName())) << p.toStdString();
            EXPECT_EQ(review.CurrentRow(), int(std::size(cases)));  // the last entry processed
            EXPECT_FALSE(review.BatchRunning());
        }
    }
}

TEST_F(SortByZone, NamesTakenInTheZoneFolderAreNeverOverwritten)
{
    // a.bmp and b.bmp into a folder that holds an a.bmp of its own, twice a.bmp by two entries of
    // one file, and a missing file whose name another file gets during the pass.
    const QString resident = make("Zone1/a.bmp");
    ASSERT_TRUE(writeAll(resident, "resident a"));
    const QString a = make("a.bmp"), b = make("b.bmp");
    const QString missing = path("Zone2/b.bmp");
    list({{a, "1", "1"}, {b, "1", "2"}, {a, "1", "3"}, {missing, "1", "5"}});
    EXPECT_EQ(sortByZone(review, ops, sp, false), 2);
    EXPECT_EQ(sp.messages(), QStringList{QString::fromUtf8("Traitement Terminé: 2 Fichiers Traités\n"
                                                           "1 Entrée Laissée : 1 fichier introuvable")});
    EXPECT_EQ(readAll(resident), QByteArray("resident a"));
    EXPECT_EQ(readAll(path("Zone1/a (2).bmp")), bytesOf("a.bmp"));
    EXPECT_EQ(readAll(path("Zone2/b.bmp")), bytesOf("b.bmp"));
    // The entry names the file it moved; the second entry of a follows it; the entry of the missing
    // file does not take b, which now stands under its name, to Zone5.
    EXPECT_EQ(entryPaths(), (QStringList{path("Zone1/a (2).bmp"), path("Zone2/b.bmp"), path("Zone1/a (2).bmp"), missing}));
    EXPECT_FALSE(QFileInfo::exists(path("Zone5/b.bmp")));
    EXPECT_EQ(ops.calls, 2);
}

TEST_F(SortByZone, AZoneThatIsNoNumberStopsTheRunWhereItIs)
{
    const QString a = make("a.bmp"), b = make("b.bmp"), c = make("c.bmp");
    list({{a, "1", "1"}, {b, "1", "A"}, {c, "1", "1"}});
    try {
        sortByZone(review, ops, sp, false);
        ADD_FAILURE() << "no error";
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.text(), QString::fromUtf8("'A' n'est pas une valeur entière correcte"));
    }
    EXPECT_EQ(entryPaths(), (QStringList{path("Zone1/a.bmp"), b, c}));
    EXPECT_TRUE(QFileInfo::exists(path("Zone1/a.bmp")) && QFileInfo::exists(b) && QFileInfo::exists(c));
    EXPECT_TRUE(sp.messages().isEmpty());
    EXPECT_FALSE(review.BatchRunning());
}

TEST_F(SortByZone, AcrossFileSystemsTheFilesArriveWhole)
{
    struct Mode {
        const char* what;
        bool forceCopy;
        QString base;  // empty: beside the files
    };
    std::vector<Mode> modes = {{"forced copy", true, {}}};
    QTemporaryDir shm(QStringLiteral("/dev/shm/velmoran-batch-XXXXXX"));
    if (shm.isValid())
        modes.push_back({"/dev/shm", false, shm.path()});
    for (const Mode& m : modes) {
        SCOPED_TRACE(m.what);
        ops.system.forceCopy = m.forceCopy;
        programOptions().SortMoveToBase = !m.base.isEmpty();
        programOptions().SortBaseDirectory = m.base + "/";
        const QString from = QString::fromLatin1(m.what).remove('/') + "/";
        const QString a = make(from + "a.bmp"), b = make(from + QString::fromUtf8("b été.bmp"));
        list({{a, "1", "7"}, {b, "1", "8"}});
        EXPECT_EQ(sortByZone(review, ops, sp, true), 2);
        const QString parent = m.base.isEmpty() ? path(from) : m.base + "/";
        const QStringList expected = {parent + "Zone7/a.bmp", parent + QString::fromUtf8("Zone8/b été.bmp")};
        EXPECT_EQ(entryPaths(), expected);
        EXPECT_EQ(readAll(expected[0]), bytesOf("a.bmp"));
        EXPECT_EQ(readAll(expected[1]), bytesOf(QString::fromUtf8("b été.bmp")));
        EXPECT_FALSE(QFileInfo::exists(a) || QFileInfo::exists(b));
        const auto files = [](const QString& d) { return QDir(d).entryList(QDir::Files | QDir::Hidden | QDir::System); };
        EXPECT_EQ(files(path(from)), QStringList{});
        EXPECT_EQ(files(parent + "Zone7"), QStringList{"a.bmp"});  // no temporary left beside it
    }
}

TEST_F(SortByZone, FailuresAndSpaceLeaveTheirEntriesAsTheyAre)
{
    QStringList paths;
    std::vector<Entry> entries;
    for (int i = 0; i < 6; ++i) {
        paths << make(QStringLiteral("f%1.bmp").arg(i));
        entries.push_back({paths.back(), "1", "1"});
    }
    list(entries);
    ops.failCall = 2;   // f1 cannot be moved
    spaceAfter(ops, 3); // Space after f2
    sp.answerChoice(Choice::Yes);
    EXPECT_EQ(sortByZone(review, ops, sp, false), 2);
    EXPECT_EQ(sp.messages().last(),
              QString::fromUtf8("Traitement Terminé: 2 Fichiers Traités\n1 Échec : Accès au fichier refusé : ") + paths[1]);
    EXPECT_EQ(entryPaths(), (QStringList{path("Zone1/f0.bmp"), paths[1], path("Zone1/f2.bmp"), paths[3], paths[4], paths[5]}));
    for (int i : {1, 3, 4, 5})
        EXPECT_TRUE(QFileInfo::exists(paths[i]));
    EXPECT_FALSE(review.BatchRunning());
}

TEST_F(SortByZone, AZoneFolderThatCannotBeMadeIsTheReasonGiven)
{
    const QString a = make("a.bmp"), b = make("b.bmp");
    const QString base = path("absent/deeper/");  // only the Zone level is ever made
    programOptions().SortMoveToBase = true;
    programOptions().SortBaseDirectory = base;
    list({{a, "1", "1"}, {b, "1", "1"}});
    sp.answerChoice(Choice::No);
    EXPECT_EQ(sortByZone(review, ops, sp, true), 0);
    ASSERT_EQ(sp.shown().size(), 2u);
    EXPECT_EQ(sp.shown()[0].caption, "Impossible de Traiter le Fichier: " + a);
    EXPECT_EQ(sp.shown()[0].text, "Fichier introuvable : " + base + "Zone1/\nVoulez-vous Continuer?");
    EXPECT_EQ(sp.messages().last(),
              QString::fromUtf8("Traitement Terminé: 0 Fichiers Traités\n1 Échec : Fichier introuvable : ") + base + "Zone1/");
    EXPECT_EQ(entryPaths(), (QStringList{a, b}));
    EXPECT_EQ(ops.calls, 0);
}

}  // namespace
