// What the user sees and what the keys write must agree, and tagged work must not be lost: each
// case through the started program, as a user drives it.
#include "NavFixture.h"
#include "list/ListFile.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>

using ReviewSafetyTest = NavTest;

namespace {
QStringList shownKinds(const ScriptedPrompts& sp)
{
    static const char* const names[] = {"message", "error", "confirm", "input",    "open",  "save",
                                        "color",   "font",  "dialog",  "question", "choice"};
    QStringList out;
    for (const ScriptedPrompts::Shown& s : sp.shown())
        out << QString::fromLatin1(names[int(s.kind)]);
    return out;
}
}  // namespace

TEST_F(ReviewSafetyTest, ATaggedListIsOfferedForSavingAtClosingAndNonWritesNothing)
{
    fill(3);
    programOptions().LastListFile = dir.filePath("defaut.lst");
    ASSERT_FALSE(review().ListModified());
    key(grid(), Qt::Key_3, Qt::ShiftModifier);
    EXPECT_TRUE(review().ListModified());

    scripted.clear();
    scripted.answerChoice(Choice::No);
    commande->close();
    EXPECT_EQ(shownKinds(scripted), QStringList({"choice"}));
    EXPECT_EQ(scripted.shown()[0].text, "Enregistrer les Modifications de la Liste?");
    EXPECT_FALSE(QFile::exists(dir.filePath("defaut.lst")));
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.lst", "*.LST"}, QDir::Files).isEmpty());
}

// A save that fails keeps the program open with its list; closing again asks again.
TEST_F(ReviewSafetyTest, ASaveThatFailsAtClosingKeepsTheProgramOpen)
{
    struct Case {
        const char* what;
        bool secondAnswer;  // Oui saves elsewhere, Non ends without a list file
    };
    for (const Case c : {Case{"then saved", true}, Case{"then declined", false}}) {
        SCOPED_TRACE(c.what);
        restart();
        fill(2);
        key(grid(), Qt::Key_1, Qt::ShiftModifier);
        const QString bad = dir.filePath("absent/sous/liste.LST");
        const QString good = dir.filePath(QStringLiteral("liste-%1.LST").arg(c.secondAnswer));
        scripted.clear();
        scripted.answerChoice(Choice::Yes);
        scripted.answerSave(bad);
        commande->close();
        EXPECT_TRUE(commande->isVisible());
        EXPECT_TRUE(review().ListModified());
        scripted.answerChoice(c.secondAnswer ? Choice::Yes : Choice::No);
        if (c.secondAnswer)
            scripted.answerSave(good);
        commande->close();
        EXPECT_TRUE(scripted.allAnswered());
        QStringList want = {"choice", "save", "error", "choice"};
        if (c.secondAnswer)
            want << "save";
        EXPECT_EQ(shownKinds(scripted), want);
        EXPECT_EQ(scripted.shown()[2].text, QStringLiteral("Fichier introuvable : \"%1\"").arg(bad));
        EXPECT_EQ(QFile::exists(good), c.secondAnswer);
        if (c.secondAnswer) {
            EXPECT_EQ(readListFile(good).size(), 2u);
            EXPECT_EQ(readListFile(good)[0].quality, "1");
        }
        EXPECT_FALSE(commande->isVisible());
    }
}

// A click on a thumbnail used to select the entry while the slideshow still showed another frame:
// the next score landed on a frame the user never saw.
TEST_F(ReviewSafetyTest, AThumbnailClickShowsTheEntryThatTheNextKeyTags)
{
    const QStringList paths = fill(30, 30);
    desktopOptions().ShowThumbnails = true;
    TFormVignette* vignette = appWindows().Vignette;
    vignette->BuildThumbnailPage(paths, 0, 10);
    ASSERT_EQ(diapo()->windowTitle(), paths[0]);

    QTest::mouseClick(vignette->Grid()->CellPicture(4), Qt::LeftButton);
    EXPECT_EQ(review().CurrentRow(), 5);
    EXPECT_EQ(diapo()->windowTitle(), paths[4]);
    EXPECT_EQ(caption(), "4//25");
    key(grid(), Qt::Key_2, Qt::ShiftModifier);
    EXPECT_EQ(quality(5), "2");
    EXPECT_EQ(quality(1), "0");
    EXPECT_EQ(vignette->Grid()->HighlightedSlot(), 4);
}

// After a list was opened or emptied, the slideshow went on showing a frame of the old list.
TEST_F(ReviewSafetyTest, OpeningOrEmptyingAListShowsItsFirstEntryOrNothing)
{
    const QStringList old = fill(5, 5);
    review().GotoRow(4);
    review().ShowCurrent(4);
    ASSERT_EQ(diapo()->windowTitle(), old[3]);

    QStringList fresh;
    for (int i = 0; i < 3; ++i) {
        fresh << dir.filePath(QStringLiteral("neuf%1.bmp").arg(i));
        ASSERT_TRUE(writeTestImage(fresh.back(), 30 + i, 20));
    }
    std::vector<ListEntry> entries;
    for (int i = 0; i < 3; ++i)
        entries.push_back({" ", ListModel::formatNumber(i), dir.path() + "/", QStringLiteral("neuf%1.bmp").arg(i),
                           "1", " ", " "});
    const QString listFile = dir.filePath("neuf.LST");
    writeListFile(listFile, entries);

    scripted.clear();
    scripted.answerOpen({listFile});
    scripted.answerDialog([](QDialog* d) { d->findChild<QPushButton*>("BitBtnAnnuler")->click(); });
    commande->MenuAction("Fichier_OuvrirListe")->trigger();
    EXPECT_EQ(review().CurrentRow(), 1);
    EXPECT_EQ(diapo()->windowTitle(), fresh[0]);
    EXPECT_EQ(diapo()->Picture().size(), QSize(30, 20));
    EXPECT_EQ(caption(), "0//2");

    scripted.answerConfirm(true);
    commande->MenuAction("Edition_ViderlaListe")->trigger();
    EXPECT_TRUE(review().listIsEmpty());
    EXPECT_TRUE(diapo()->Picture().isNull());
    EXPECT_EQ(diapo()->windowTitle(), "Diaporama");
    EXPECT_EQ(caption(), "0");
    EXPECT_TRUE(scripted.allAnswered());
    EXPECT_FALSE(shownKinds(scripted).contains("error"));
}

// With a menu open, Right belongs to the menu bar: it opens the next menu, and the frame on show
// stays where it is.
TEST_F(ReviewSafetyTest, RightWithAMenuOpenMovesAlongTheMenuBar)
{
    const QStringList paths = fill(4, 4);
    commande->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(commande));
    QTest::keyClick(commande, Qt::Key_X, Qt::AltModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr) << "Alt+X opens a menu";
    EXPECT_EQ(menu->title(), QString::fromUtf8("E&xécuter"));

    QTest::keyClick(menu, Qt::Key_Right);
    auto* next = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->title(), QStringLiteral("Convertir"));
    EXPECT_EQ(review().CurrentRow(), 1);
    EXPECT_EQ(diapo()->windowTitle(), paths[0]);

    QTest::keyClick(next, Qt::Key_Escape);
    if (QWidget* still = QApplication::activePopupWidget())
        QTest::keyClick(still, Qt::Key_Escape);
    // Menus closed: the keys are the key map's again.
    QTest::keyClick(grid(), Qt::Key_Right);
    EXPECT_EQ(review().CurrentRow(), 2);
}
