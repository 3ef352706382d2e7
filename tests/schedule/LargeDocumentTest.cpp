// Documents of many rows: closing one must not lay the caption column out
// again for every row that goes, and row lookups must not walk the list.
#include "MainFixture.h"

#include <gtest/gtest.h>

TEST(LargeDocument, FreeingTheRowsLeavesTheOthersInPlaceUntilAllAreGone)
{
    TStartup startup;
    TfrmMain form(nullptr, "", false);
    for (int i = 0; i < 50; ++i)
        form.AddItem();
    int moves = 0;
    for (const auto &row : ItemList)
        row->FMemo->OnResize = [&moves](TObject *) { ++moves; };
    form.FreeDocument();
    EXPECT_TRUE(ItemList.empty());
    EXPECT_EQ(moves, 0);
    // The column still lays out rows added afterwards.
    form.NewDocument();
    form.AddItem();
    form.AddItem();
    EXPECT_EQ(ItemList[1]->Top(), ItemList[0]->Top() + ItemList[0]->Height() + 1);
}

TEST(LargeDocument, IndexOfItemFindsRowsWhoseTagsAreStale)
{
    TStartup startup;
    TfrmMain form(nullptr, "", false);
    for (int i = 0; i < 4; ++i)
        form.AddItem();
    EXPECT_EQ(form.IndexOfItem(ItemList[2].get()), 2);
    EXPECT_EQ(form.IndexOfItem(nullptr), -1);
    // Moved in the list without renumbering: the tag no longer points back.
    std::swap(ItemList[0], ItemList[3]);
    EXPECT_EQ(form.IndexOfItem(ItemList[0].get()), 0);
    EXPECT_EQ(form.IndexOfItem(ItemList[3].get()), 3);
    TItem stranger;
    EXPECT_EQ(form.IndexOfItem(&stranger), -1);
}

TEST(LargeDocument, WorkingDaysFollowTheHolidayListAsItChanges)
{
    // The sorted holidays are kept between bars: a list changed in place,
    // or another list, must still be the one counted.
    const TDateTime d = EncodeDate(2024, 1, 1);
    std::vector<TDateTime> holidays = {d + 9, d + 2, d + 2};
    EXPECT_EQ(WorkingDays(d, d + 5, 5, holidays), 4);
    holidays[0] = d + 3;
    EXPECT_EQ(WorkingDays(d, d + 5, 5, holidays), 3);
    holidays.clear();
    EXPECT_EQ(WorkingDays(d, d + 5, 5, holidays), 5);
    EXPECT_EQ(WorkingDays(d, d + 5, 5, {d + 4, 0, d}), 3);
    // Only the days of the bar count, wherever they are in the list.
    std::vector<TDateTime> many;
    for (int i = 0; i < 1000; ++i)
        many.push_back(d - 500 + i * 7);
    EXPECT_EQ(WorkingDays(d + 0.5, d + 14.5, 14, many), 14 - 2);
}
