#include "review/MarkerList.h"

#include <gtest/gtest.h>

TEST(MarkerList, ToggleCases)
{
    QStringList items{"0"};
    int selected = -1;
    // Entry 5 is "4": added at its sorted place and selected.
    EXPECT_EQ(toggleListItem(items, selected, "4"), ToggleResult::Added);
    EXPECT_EQ(items, QStringList({"0", "4"}));
    EXPECT_EQ(selected, 1);
    // Again at once: removed, nothing selected.
    EXPECT_EQ(toggleListItem(items, selected, "4"), ToggleResult::Removed);
    EXPECT_EQ(items, QStringList({"0"}));
    EXPECT_EQ(selected, -1);
    // Present while another item is selected: nothing happens.
    toggleListItem(items, selected, "9");
    toggleListItem(items, selected, "4");  // added and selected
    selected = items.indexOf("9");
    EXPECT_EQ(toggleListItem(items, selected, "4"), ToggleResult::Unchanged);
    EXPECT_EQ(items, QStringList({"0", "4", "9"}));
}

TEST(MarkerList, SortedAsText)
{
    QStringList items;
    int selected = -1;
    for (const char* t : {"2", "10", "105", "37", "0"})
        toggleListItem(items, selected, t);
    EXPECT_EQ(items, QStringList({"0", "10", "105", "2", "37"}));
    EXPECT_EQ(items[selected], "0");
}
