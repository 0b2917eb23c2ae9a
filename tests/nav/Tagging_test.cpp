// Tagging from the keyboard: the modifiers choose the column, the digit is the value.
#include "NavFixture.h"

using TaggingTest = NavTest;

TEST_F(TaggingTest, DigitsWriteTheColumnOfTheModifierHeld)
{
    struct Case {
        const char* what;
        int key;
        Qt::KeyboardModifiers mods;
        const char* label;
        const char* quality;
        const char* zone;
        const char* extra;
        int tagMode;
    };
    const Case cases[] = {
        {"digit alone", Qt::Key_1, Qt::NoModifier, "S=1", "1", " ", " ", 1},
        {"Shift+2", Qt::Key_2, Qt::ShiftModifier, "S=2", "2", " ", " ", 1},
        {"Ctrl+3", Qt::Key_3, Qt::ControlModifier, "Z=3", "0", "3", " ", 2},
        {"Alt+6", Qt::Key_6, Qt::AltModifier, "E=6", "0", " ", "6", 4},
        {"keypad 1", Qt::Key_1, Qt::KeypadModifier, "S=1", "1", " ", " ", 1},
        {"Ctrl+keypad 9", Qt::Key_9, Qt::ControlModifier | Qt::KeypadModifier, "Z=9", "0", "9", " ", 2},
    };
    fill(20);
    int row = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        review().GotoRow(++row);
        key(grid(), c.key, c.mods);
        EXPECT_EQ(label(), c.label);
        EXPECT_EQ(quality(row), c.quality);
        EXPECT_EQ(zone(row), c.zone);
        EXPECT_EQ(extra(row), c.extra);
        EXPECT_EQ(int(review().tagMode()), c.tagMode);
        EXPECT_EQ(review().CurrentRow(), row) << "tagging never moves";
        EXPECT_EQ(quality(row + 1), "0");
    }
    // Tags are the user's work: written tags mark the list, so closing offers to save them.
    EXPECT_TRUE(review().ListModified());
    EXPECT_TRUE(scripted.shown().empty());
}

TEST_F(TaggingTest, AQualityAboveMaxScoreMarksAReference)
{
    const QStringList paths = fill(10);
    review().GotoRow(5);
    appWindows().Zone->hide();
    key(diapo(), Qt::Key_7, Qt::ShiftModifier);
    EXPECT_EQ(label(), "S=7");
    EXPECT_EQ(quality(5), "2");
    EXPECT_EQ(extra(5), "10");
    EXPECT_EQ(items(commande->ComboBoxRef()), QStringList({"4"}));
    EXPECT_EQ(commande->ComboBoxRef()->currentText(), "4");
    ASSERT_NE(appWindows().Ref, nullptr);
    EXPECT_TRUE(appWindows().Ref->isVisible());
    EXPECT_EQ(appWindows().Ref->picture().size(), QSize(16, 12));
    EXPECT_TRUE(appWindows().Zone->isVisible()) << "Shift shows the zone window";

    // Again on the selected reference: it is removed, the tags stay.
    key(diapo(), Qt::Key_9, Qt::ShiftModifier);
    EXPECT_EQ(label(), "S=9");
    EXPECT_TRUE(items(commande->ComboBoxRef()).isEmpty());
    EXPECT_EQ(quality(5), "2");
    EXPECT_EQ(extra(5), "10");
    EXPECT_TRUE(appWindows().Ref->isVisible());

    // MaxScore itself is an ordinary quality.
    programOptions().MaxScore = 5;
    key(diapo(), Qt::Key_5, Qt::ShiftModifier);
    EXPECT_EQ(quality(5), "5");
    EXPECT_TRUE(items(commande->ComboBoxRef()).isEmpty());
    EXPECT_TRUE(scripted.shown().empty());
}

TEST_F(TaggingTest, CtrlDigitPutsTheImageOnItsZonePageUntilTheNextMove)
{
    const QStringList paths = fill(10);
    review().GotoRow(4);
    key(grid(), Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(zone(4), "3");
    EXPECT_EQ(label(), "Z=3");
    EXPECT_EQ(appWindows().Zone->Grid()->ItemPath(3), paths[3]);
    EXPECT_TRUE(appWindows().Zone->Grid()->ItemLoaded(3));

    key(grid(), Qt::Key_5);  // still in zone mode
    EXPECT_EQ(zone(4), "5");
    key(grid(), Qt::Key_Right);
    EXPECT_EQ(int(review().tagMode()), 1);
    key(grid(), Qt::Key_1);
    EXPECT_EQ(quality(5), "1");
    EXPECT_EQ(zone(5), " ");
}

TEST_F(TaggingTest, KeypadDecimalCyclesTheModeAndF5MakesItTheDefault)
{
    fill(10);
    for (const int expected : {2, 4, 1}) {
        key(grid(), Qt::Key_Period, Qt::KeypadModifier);
        EXPECT_EQ(int(review().tagMode()), expected);
    }
    EXPECT_EQ(int(review().defaultTagMode()), 1);

    key(grid(), Qt::Key_Comma, Qt::KeypadModifier);  // the French keypad's decimal key
    EXPECT_EQ(int(review().tagMode()), 2);
    key(grid(), Qt::Key_F5);
    EXPECT_EQ(int(review().defaultTagMode()), 2);
    key(grid(), Qt::Key_Right);
    EXPECT_EQ(int(review().tagMode()), 2);
    key(grid(), Qt::Key_4);
    EXPECT_EQ(label(), "Z=4");
    EXPECT_EQ(zone(2), "4");
    EXPECT_EQ(quality(2), "0");
    // A Shift digit is still a quality, and the next image is back in zone mode.
    key(grid(), Qt::Key_1, Qt::ShiftModifier);
    EXPECT_EQ(quality(2), "1");
    key(grid(), Qt::Key_Right);
    EXPECT_EQ(int(review().tagMode()), 2);
    EXPECT_EQ(label(), "S=0") << "the label shows the quality of the image on show";
}

TEST_F(TaggingTest, KeysTypedFastActInOrderOnTheImageOnShow)
{
    // The second key arrives while the first is still writing its tags.
    fill(10);
    auto post = [](int k, Qt::KeyboardModifiers mods) {
        QCoreApplication::postEvent(grid(), new QKeyEvent(QEvent::KeyPress, k, mods));
    };
    post(Qt::Key_7, Qt::ShiftModifier);
    post(Qt::Key_Right, Qt::NoModifier);
    post(Qt::Key_1, Qt::NoModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(quality(1), "2");
    EXPECT_EQ(extra(1), "10");
    EXPECT_EQ(quality(2), "1");
    EXPECT_EQ(extra(2), " ");
    EXPECT_EQ(review().CurrentRow(), 2);
    EXPECT_EQ(items(commande->ComboBoxRef()), QStringList({"0"}));
}

TEST_F(TaggingTest, AQualityThatIsNotANumberStopsTheMoveBeforeTheImage)
{
    const QStringList paths = fill(3, 3);
    liste()->model().setCell(ListModel::ColQuality, 2, QStringLiteral("x"));
    key(grid(), Qt::Key_Down);
    EXPECT_EQ(scripted.messages(),
              QStringList({QString::fromUtf8("'x' n'est pas une valeur entière correcte")}));
    EXPECT_EQ(diapo()->windowTitle(), paths[0]);
    EXPECT_EQ(liste()->grid()->currentIndex().row(), 1) << "the key did not reach the grid as well";
}
