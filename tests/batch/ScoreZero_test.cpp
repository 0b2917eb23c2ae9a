// Score-0 files to the trash: which entries qualify, what the list becomes, what the trash holds as
// an independent client sees it, and the stop keys.
#include "BatchFixture.h"
#include "batch/ScoreZero.h"

namespace {

using ScoreZero = BatchTest;

TEST_F(ScoreZero, OnlyExactZeroGoesAndTheKeptEntriesAreRebuilt)
{
    struct Case {
        const char* name;
        const char* quality;
        bool exists;
        bool trashed;
    };
    const Case cases[] = {
        {"zero.bmp", "0", true, true},
        {"double.bmp", "00", true, false},
        {"blank zero.bmp", " 0", true, false},
        {"blank.bmp", " ", true, false},
        {"one.bmp", "1", true, false},
        {"gone.bmp", "0", false, false},  // a score-0 file that no longer exists stays listed
        {"also zero.jpg", "0", true, true},
    };
    std::vector<Entry> entries;
    QStringList kept, trashed;
    for (const Case& c : cases) {
        const QString p = c.exists ? make(c.name) : path(c.name);
        entries.push_back({p, QString::fromLatin1(c.quality)});
        (c.trashed ? trashed : kept) << p;
    }
    list(entries);
    review.model().toggleMark(2);
    review.model().toggleMark(5);

    sp.answerConfirm(true);
    EXPECT_EQ(deleteScoreZero(review, ops, sp), 2);

    EXPECT_EQ(sp.messages(), (QStringList{QString::fromUtf8("Voulez-vous Envoyer à la Corbeille les Fichiers de Score=0 ?"),
                                          QString::fromUtf8("Traitement Terminé: 2 Fichiers Supprimés\n"
                                                            "1 Entrée Laissée : 1 fichier introuvable")}));
    EXPECT_EQ(entryPaths(), kept);
    for (int row = 1; row <= review.model().entryCount(); ++row) {
        EXPECT_EQ(review.model().cell(ListModel::ColMark, row), " ");
        EXPECT_EQ(review.model().cell(ListModel::ColNumber, row), ListModel::formatNumber(row - 1));
    }
    EXPECT_EQ(review.model().cell(ListModel::ColQuality, 2), " 0");  // kept entries keep their tags
    EXPECT_EQ(review.LastRow(), int(kept.size()));
    EXPECT_EQ(review.CurrentRow(), 1);
    for (const QString& p : kept) {
        if (!p.endsWith("gone.bmp")) {
            EXPECT_EQ(readAll(p), bytesOf(QFileInfo(p).fileName()));
        }
    }
    for (const QString& p : trashed) {
        EXPECT_FALSE(QFileInfo::exists(p));
        EXPECT_EQ(readAll(trashDir() + "/files/" + QFileInfo(p).fileName()), bytesOf(QFileInfo(p).fileName()));
    }
    trashed.sort();
    EXPECT_EQ(trashListed(), trashed);
    EXPECT_FALSE(review.BatchRunning());
}

TEST_F(ScoreZero, DecliningTouchesNothingAndSaysNothingMore)
{
    const QString a = make("a.bmp");
    list({{a, "0"}});
    sp.answerConfirm(false);
    EXPECT_EQ(deleteScoreZero(review, ops, sp), 0);
    EXPECT_EQ(sp.messages().size(), 1);
    EXPECT_TRUE(QFileInfo::exists(a));
    EXPECT_EQ(entryPaths(), QStringList{a});
}

TEST_F(ScoreZero, FilesThatCannotGoKeepTheirEntriesAndTwoEntriesOfOneFileGoTogether)
{
    const QString a = make("a.bmp"), b = make("b.bmp"), c = make("c.bmp");
    // b's operation fails (a file the user may not remove); a is listed twice.
    list({{a, "0"}, {b, "0"}, {a, "0"}, {c, "0"}});
    ops.failCall = 2;
    sp.answerConfirm(true);
    sp.answerConfirm(true);  // every entry is scored 0
    sp.answerChoice(Choice::Yes);
    EXPECT_EQ(deleteScoreZero(review, ops, sp), 2);
    EXPECT_EQ(ops.calls, 3);  // a's second entry asks nothing of the trash
    EXPECT_EQ(entryPaths(), QStringList{b});
    EXPECT_TRUE(QFileInfo::exists(b));
    EXPECT_EQ(trashListed(), (QStringList{a, c}));
    EXPECT_EQ(sp.messages().last(), QString::fromUtf8("Traitement Terminé: 2 Fichiers Supprimés\n"
                                                      "1 Échec : Accès au fichier refusé : ")
                                         + b);
}

TEST_F(ScoreZero, AListScoredZeroThroughoutIsAskedAboutOnceMore)
{
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Oui" : "Non");
        QTemporaryDir d;
        dir.swap(d);
        const QString a = make("a.bmp"), b = make("b.bmp");
        list({{a, "0"}, {b, "0"}});
        sp.clear();
        sp.answerConfirm(true);
        sp.answerConfirm(yes);
        EXPECT_EQ(deleteScoreZero(review, ops, sp), yes ? 2 : 0);
        QStringList expected = {QString::fromUtf8("Voulez-vous Envoyer à la Corbeille les Fichiers de Score=0 ?"),
                                QString::fromUtf8("Tous les fichiers de la liste ont le score 0 (2). Continuer?")};
        if (yes)
            expected << QString::fromUtf8("Traitement Terminé: 2 Fichiers Supprimés");
        EXPECT_EQ(sp.messages(), expected);
        EXPECT_EQ(entryPaths(), yes ? QStringList{} : (QStringList{a, b}));
        EXPECT_EQ(QFileInfo::exists(a), !yes);
    }
    EXPECT_EQ(ops.calls, 2);
}

TEST_F(ScoreZero, SpaceStopsBeforeTheNextEntryAndTheListShowsWhatWent)
{
    std::vector<Entry> entries;
    QStringList paths;
    for (int i = 0; i < 6; ++i) {
        paths << make(QStringLiteral("f%1.bmp").arg(i));
        entries.push_back({paths.back(), i % 2 == 0 ? "0" : "2"});
    }
    list(entries);
    review.model().toggleMark(5);  // not reached: keeps its mark
    review.GotoRow(2);
    spaceAfter(ops, 1);
    sp.answerConfirm(true);
    EXPECT_EQ(deleteScoreZero(review, ops, sp), 1);
    EXPECT_EQ(ops.calls, 1);
    EXPECT_EQ(sp.messages().last(), QString::fromUtf8("Traitement Terminé: 1 Fichiers Supprimés"));
    EXPECT_EQ(entryPaths(), paths.mid(1));
    EXPECT_EQ(review.model().cell(ListModel::ColMark, 4), "*");
    for (int row = 1; row <= 5; ++row)
        EXPECT_EQ(review.model().cell(ListModel::ColNumber, row), ListModel::formatNumber(row - 1));
    EXPECT_EQ(trashListed(), QStringList{paths[0]});
    for (const QString& p : paths.mid(1))
        EXPECT_EQ(readAll(p), bytesOf(QFileInfo(p).fileName()));
    EXPECT_FALSE(review.BatchRunning());
}

}  // namespace
