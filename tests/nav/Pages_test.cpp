// The thumbnail and zone pages as the command window drives them: menus, tagging and moves.
#include "NavFixture.h"

#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>

using PagesTest = NavTest;

namespace {
// Answers the thumbnail options with the given page, or cancels them.
ScriptedPrompts::DialogScript thumbnailOptions(int first, int size, bool ok = true)
{
    return [=](QDialog* d) {
        if (!ok) {
            d->findChild<QPushButton*>(QStringLiteral("BitBtnAnnuler"))->click();
            return;
        }
        d->findChild<QSpinBox*>(QStringLiteral("SpinEditDe"))->setValue(first);
        d->findChild<QSpinBox*>(QStringLiteral("SpinEditNombre"))->setValue(size);
        d->findChild<QPushButton*>(QStringLiteral("BitBtnOk"))->click();
    };
}
}  // namespace

TEST_F(PagesTest, CancelledThumbnailOptionsKeepThePreviousPage)
{
    const QStringList paths = fill(12, 12);
    desktopOptions().ShowThumbnails = true;
    TFormVignette* vignette = appWindows().Vignette;

    struct Step {
        const char* what;
        ScriptedPrompts::DialogScript answer;
        int first;
        int cells;
    };
    const Step steps[] = {
        {"Ok builds the page", thumbnailOptions(4, 3), 4, 3},
        {"Cancel builds nothing", thumbnailOptions(0, 8, false), 4, 3},
        {"Ok again builds the new page", thumbnailOptions(2, 5), 2, 5},
        {"Cancel again", thumbnailOptions(0, 10, false), 2, 5},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        scripted.answerDialog(s.answer);
        commande->MenuAction("Voir_Vignettes")->trigger();
        EXPECT_TRUE(scripted.allAnswered());
        EXPECT_TRUE(vignette->isVisible());
        EXPECT_EQ(vignette->Grid()->First(), s.first);
        ASSERT_EQ(vignette->Grid()->CellCount(), s.cells);
        for (int slot = 0; slot < s.cells; ++slot)
            EXPECT_EQ(vignette->Grid()->ItemPath(s.first + slot), paths[s.first + slot]) << "slot " << slot;
        EXPECT_TRUE(vignette->Grid()->ItemLoaded(s.first)) << "the page's pictures are drawn";
    }
    EXPECT_TRUE(scripted.messages().isEmpty());
}

TEST_F(PagesTest, ZoneCellKeepsItsFirstTaggedEntryUntilTheRebuild)
{
    const QStringList paths = fill(12, 12);
    TFormZone* zones = appWindows().Zone;
    struct Step {
        const char* what;
        int row;       // 0: "Régénère Zônes" instead of a tag
        int zoneKey;   // typed with Ctrl
        int expected;  // row whose picture zone 3 shows
    };
    const Step steps[] = {
        {"entry 7 tagged zone 3", 8, Qt::Key_3, 8},
        {"a later entry tagged zone 3", 10, Qt::Key_3, 8},
        {"an earlier entry tagged zone 3", 3, Qt::Key_3, 8},
        {"the rebuild takes the first entry of the list with zone 3", 0, 0, 3},
        {"entry 7 moved to zone 4", 8, Qt::Key_4, 3},
        {"entry 2 moved to zone 5, then the rebuild", 3, Qt::Key_5, 3},
        {"the rebuild", 0, 0, 10},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.row == 0) {
            commande->MenuAction("Voir_RegenereZones")->trigger();
            EXPECT_TRUE(zones->isVisible());
        } else {
            review().GotoRow(s.row);
            key(grid(), s.zoneKey, Qt::ControlModifier);
        }
        EXPECT_EQ(zones->Grid()->ItemPath(3), paths[s.expected - 1]);
        EXPECT_TRUE(zones->Grid()->ItemLoaded(3));
        EXPECT_FALSE(zones->Grid()->Cell(3)->isHidden());
        EXPECT_EQ(zones->Grid()->Cell(3)->title(), QStringLiteral("3"));
    }
    // After the last rebuild: zones 3, 4 and 5 are in use, each in its own slot.
    for (int z : {0, 1, 2, 6, 7, 8, 9})
        EXPECT_TRUE(zones->Grid()->Cell(z)->isHidden()) << "zone " << z;
    EXPECT_EQ(zones->Grid()->ItemPath(4), paths[7]);
    EXPECT_EQ(zones->Grid()->ItemPath(5), paths[2]);
    EXPECT_TRUE(scripted.messages().isEmpty());
}

TEST_F(PagesTest, ShownEntryIsHighlightedOnTheThumbnailPageWhenThumbnailsAreShown)
{
    const QStringList paths = fill(12, 12);
    TFormVignette* vignette = appWindows().Vignette;
    desktopOptions().ShowThumbnails = true;
    scripted.answerDialog(thumbnailOptions(4, 4));
    commande->MenuAction("Voir_Vignettes")->trigger();
    ASSERT_EQ(vignette->Grid()->First(), 4);

    struct Case {
        bool showThumbnails;
        int key;
        int row;   // row on show after the key
        int slot;  // highlighted slot afterwards
    };
    const Case cases[] = {
        {true, Qt::Key_End, 12, -1},   // off the page
        {true, Qt::Key_Home, 1, -1},
        {true, Qt::Key_PageDown, 4, -1},
        {true, Qt::Key_Right, 5, 0},
        {true, Qt::Key_PageDown, 8, 3},
        {true, Qt::Key_Left, 7, 2},
        {false, Qt::Key_Left, 6, 2},   // not followed while thumbnails are off
        {true, Qt::Key_Backspace, 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        desktopOptions().ShowThumbnails = c.showThumbnails;
        key(grid(), c.key);
        EXPECT_EQ(review().CurrentRow(), c.row);
        EXPECT_EQ(vignette->Grid()->HighlightedSlot(), c.slot);
        if (c.slot >= 0) {
            EXPECT_EQ(vignette->windowTitle(), paths[4 + c.slot]);
        }
    }
}
