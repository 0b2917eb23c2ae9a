// The review keys after the menus were used from the keyboard: the keys go where the window system
// sends them (the focused widget), as a user's do.
#include "NavFixture.h"
#include "list/ListDocument.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>

namespace {

class MenuKeysTest : public NavTest {
protected:
    // A key as typed on the keyboard: to the focused widget, or to the open menu.
    static void type(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(static_cast<QWidget*>(nullptr), k, mods);
    }
    static QString openMenu()
    {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu ? menu->title() : QString();
    }

    // The window system gives the keyboard back to the command window once a menu closed (the
    // offscreen platform leaves it with the closed menu).
    void backToTheBar()
    {
        commande->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(commande));
    }

    // A list file of n entries over three pictures, opened by Alt+F, O.
    QStringList openByKeyboard(int n)
    {
        QStringList files;
        for (int i = 0; i < 3; ++i) {
            files << dir.filePath(QStringLiteral("img%1.bmp").arg(i));
            EXPECT_TRUE(writeTestImage(files.last(), 16, 12, QColor(60 * i, 90, 200)));
        }
        QStringList paths;
        for (int i = 0; i < n; ++i)
            paths << files[i % 3];
        ListDocument doc;
        doc.appendFiles(paths);
        const QString list = dir.filePath(QStringLiteral("serie.LST"));
        doc.writeTo(list);

        desktopOptions().ShowThumbnails = false;  // no thumbnail options to answer
        commande->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(commande));
        scripted.answerOpen({list});
        type(Qt::Key_F, Qt::AltModifier);
        EXPECT_EQ(openMenu(), "&Fichier");
        type(Qt::Key_O);
        EXPECT_TRUE(scripted.allAnswered()) << "the open dialog was asked for";
        EXPECT_EQ(openMenu(), "");
        // Opening the list brought the zone window forward: back to the command bar.
        backToTheBar();
        return paths;
    }
};

TEST_F(MenuKeysTest, AfterAMenuUsedFromTheKeyboardPlainKeysAreTheReviewKeys)
{
    const QStringList paths = openByKeyboard(20);
    ASSERT_EQ(review().LastRow(), 20);

    struct Step {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int row;              // the entry on show afterwards
        const char* label;    // the tag label afterwards ("" : not looked at)
        const char* quality;  // cells of the entry on show afterwards
        const char* zone;
        const char* extra;
    };
    const Step steps[] = {
        {"End", Qt::Key_End, {}, 20, "", "0", " ", " "},
        {"X", Qt::Key_X, {}, 17, "", "0", " ", " "},
        {"Home", Qt::Key_Home, {}, 1, "", "0", " ", " "},
        {"Shift+2", Qt::Key_2, Qt::ShiftModifier, 1, "S=2", "2", " ", " "},
        {"Ctrl+3", Qt::Key_3, Qt::ControlModifier, 1, "Z=3", "2", "3", " "},
        // The letters of the menus' titles.
        {"F", Qt::Key_F, {}, 1, "Z=3", "2", "3", " "},
        {"E", Qt::Key_E, {}, 1, "Z=3", "2", "3", " "},
        {"A", Qt::Key_A, {}, 1, "Z=3", "2", "3", " "},
        {"N", Qt::Key_N, {}, 2, "S=0", "0", " ", " "},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        type(s.key, s.mods);
        ASSERT_EQ(openMenu(), "") << "a plain key opened a menu";
        EXPECT_EQ(review().CurrentRow(), s.row);
        EXPECT_EQ(diapo()->windowTitle(), paths[s.row - 1]);
        if (*s.label)
            EXPECT_EQ(label(), s.label);
        EXPECT_EQ(quality(s.row), s.quality);
        EXPECT_EQ(zone(s.row), s.zone);
        EXPECT_EQ(extra(s.row), s.extra);
    }
    EXPECT_TRUE(scripted.allAnswered());
    EXPECT_TRUE(scripted.shown().size() == 1) << "nothing asked beyond the open dialog";
}

// Escape out of a menu leaves its title highlighted on the bar: Escape again only leaves the bar;
// Alt+letter still opens menus, and within an open menu Right moves along the bar.
TEST_F(MenuKeysTest, EscapeOutOfAMenuThenTheKeysAreTheReviewsAgain)
{
    const QStringList paths = openByKeyboard(10);
    type(Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(openMenu(), QString::fromUtf8("E&xécuter"));
    type(Qt::Key_Right);
    EXPECT_EQ(openMenu(), "Convertir");
    type(Qt::Key_Escape);
    EXPECT_EQ(openMenu(), "");
    backToTheBar();
    type(Qt::Key_Escape);
    EXPECT_FALSE(review().Playing()) << "the second Escape left the bar and started nothing";
    type(Qt::Key_E);
    EXPECT_EQ(openMenu(), "");
    type(Qt::Key_Right);
    EXPECT_EQ(review().CurrentRow(), 2);
    EXPECT_EQ(diapo()->windowTitle(), paths[1]);
    type(Qt::Key_Return);  // the "Balise" key, not the first entry of a menu
    EXPECT_EQ(openMenu(), "");
    EXPECT_EQ(items(commande->ComboBoxBalise()), (QStringList{"0", "1"}));
    EXPECT_TRUE(scripted.allAnswered());
}

}  // namespace
