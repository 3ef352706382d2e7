// Documents of many rows: closing one must not lay the caption column out
// again for every row that goes, and row lookups must not walk the list.
#include "MainFixture.h"
#include "TestBars.h"

#include "platform/services/InputSimulation.h"
#include "schedule/MainDocument.h"

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

namespace {

constexpr int kRows = 300;

// A shown window with a document far taller than its view: 300 rows of two
// bars each, with captions, progress strips and events.
class LargeView : public ::testing::Test {
protected:
    TStartup startup;
    TfrmMain form{nullptr, "", false};

    void SetUp() override
    {
        form.SetBounds(0, 0, 900, 600);
        StartDate = form.FDocStartDate = EncodeDate(2024, 1, 1);
        {
            TAlignPause pause(*form.pnlItem);
            for (int r = 0; r < kRows; ++r) {
                form.AddItem();
                TItem &row = *ItemList.back();
                row.FMemo->SetText("行 " + std::to_string(r) + (r % 7 == 0 ? "\r\n二行目" : ""));
                TChart &a = AddTestBar(row, StartDate + r % 3, StartDate + r % 3 + 2, r);
                a.FBar->SetCaption("作業" + std::to_string(r));
                TChart &b = AddTestBar(row, StartDate + 4, StartDate + 6, r);
                b.FJisseki = 1;
                b.FRitsu = 50;
                b.ProgressBarNeeded().SetTag(r);
                row.FEvents.push_back(TEvent{StartDate + 1, "▲", "検査", "ＭＳ ゴシック", 9, 0, 0, 1, 0});
            }
        }
        form.UpdateScrollRange();
        ASSERT_TRUE(SimulateActivation(form));
        form.RedrawChart();
        Modified = false;
    }
    void TearDown() override { form.Hide(); }

    static TItem &Row(int r) { return *ItemList[static_cast<size_t>(r)]; }
    static int CaptionWindows()
    {
        int n = 0;
        for (const auto &row : ItemList)
            n += row->FMemo->HandleAllocated() ? 1 : 0;
        return n;
    }
    bool InView(const TControl &caption)
    {
        int pos = form.scb1->VertScrollBar().Position();
        return caption.Top() >= pos && caption.Top() + caption.Height() <= pos + form.scb1->ClientHeight();
    }
    // The view down to the last rows (the scrolled area goes on below them).
    void ScrollToEnd()
    {
        const TItem &last = *ItemList.back();
        form.scb1->VertScrollBar().SetPosition(last.Top() + last.Height() + 20 - form.scb1->ClientHeight());
    }
    // The rows stand one under the other with their bands and bars, each
    // numbered by its place.
    static void ExpectRowsInOrder()
    {
        for (int r = 0; r < static_cast<int>(ItemList.size()); ++r) {
            TItem &row = Row(r);
            if (r > 0) {
                ASSERT_EQ(row.Top(), Row(r - 1).Top() + Row(r - 1).Height() + 1) << "row " << r;
            }
            ASSERT_EQ(row.FMemo->Tag(), r);
            ASSERT_EQ(row.FLines[0]->Top(), row.Top()) << "row " << r;
            for (auto &chart : row.FCharts)
                ASSERT_EQ(chart->FBar->Tag(), r);
        }
    }
};

} // namespace

TEST_F(LargeView, OnlyCaptionsNearTheViewHaveWindowsAndTheOthersKeepTheirText)
{
    EXPECT_TRUE(Row(0).FMemo->HandleAllocated());
    EXPECT_FALSE(Row(kRows - 1).FMemo->HandleAllocated());
    EXPECT_LE(CaptionWindows(), 60);
    ScrollToEnd();
    EXPECT_TRUE(Row(kRows - 1).FMemo->HandleAllocated());
    EXPECT_FALSE(Row(0).FMemo->HandleAllocated());
    EXPECT_LE(CaptionWindows(), 60);
    EXPECT_EQ(Row(0).FMemo->Text(), "行 0\r\n二行目");
}

TEST_F(LargeView, BarsOfFarRowsArePlacedWhenAScrollBringsThemNear)
{
    // A date step with the view and the selection at the top places the
    // bars near the view only: the last row's wait.
    TChart &far = *Row(kRows - 1).FCharts[0];
    SimulateClick(*Row(0).FMemo, TPoint{5, 5});
    ASSERT_EQ(SelectedItem, &Row(0));
    form.btnDayR->Click();
    ASSERT_EQ(StartDate, EncodeDate(2024, 1, 2));
    EXPECT_FALSE(far.FBar->Visible());
    EXPECT_TRUE(Row(0).FCharts[0]->FBar->Visible());
    // Down to the end: the last row's bar stands one day further left, on its band.
    ScrollToEnd();
    const TShape &band = *Row(kRows - 1).FLines[0];
    EXPECT_TRUE(far.FBar->Visible());
    EXPECT_EQ(far.FBar->Left(), std::max(-10, DateToPixel(PixelsPerDay, far.FStartDate)));
    EXPECT_EQ(far.FBar->Top(), band.Top() + band.Height() / 5);
    EXPECT_EQ(far.FBar->WidthEx(), DateToPixel(PixelsPerDay, far.FEndDate) - std::max(-10, DateToPixel(PixelsPerDay, far.FStartDate)));
    EXPECT_TRUE(Row(kRows - 1).FCharts[1]->FProgressBar->Visible());
    // The mouse finds it where it is drawn.
    const TPoint middle = far.FBar->ClientToScreen(TPoint{2, 2});
    EXPECT_EQ(form.pnlBase->ControlAtPos(form.pnlBase->ScreenToClient(middle)), far.FBar.get());

    // Back at the top after a step made at the end: the first rows' bars,
    // placed by an older redraw, follow the new date too; the ones left
    // behind at the end are put away rather than left where they were.
    form.btnDayL->Click();
    form.btnDayL->Click();
    ASSERT_EQ(StartDate, EncodeDate(2023, 12, 31));
    form.scb1->VertScrollBar().SetPosition(0);
    TChart &first = *Row(0).FCharts[0];
    EXPECT_TRUE(first.FBar->Visible());
    EXPECT_EQ(first.FBar->Left(), DateToPixel(PixelsPerDay, first.FStartDate));
    form.btnDayR->Click();
    EXPECT_FALSE(far.FBar->Visible());
    EXPECT_EQ(first.FBar->Left(), DateToPixel(PixelsPerDay, first.FStartDate));

    // Rows inserted above shift the far rows down: what comes into view
    // stands on its own row, nothing where a row used to be.
    SimulateClick(*Row(0).FMemo, TPoint{5, 5});
    for (int i = 0; i < 40; ++i)
        form.mitItemInsert->Click();
    form.scb1->VertScrollBar().SetPosition(Row(60).Top());
    for (int r = 0; r < static_cast<int>(ItemList.size()); ++r)
        for (auto &chart : Row(r).FCharts)
            if (chart->FBar->Visible()) {
                const TShape &line = *Row(r).FLines[static_cast<size_t>(chart->FLine)];
                ASSERT_EQ(chart->FBar->Top(), line.Top() + line.Height() / 5) << "row " << r;
            }
}

TEST_F(LargeView, AFarBarsHintIsMadeWhenAskedFromItsValuesThen)
{
    TChart &far = *Row(kRows - 1).FCharts[1];
    EXPECT_NE(far.FBar->Hint().find("開始日：2024/01/05\r\n終了日：2024/01/06\r\n"), std::string::npos)
        << far.FBar->Hint();
    EXPECT_EQ(far.FProgressBar->Hint(), far.FBar->Hint());
    EXPECT_NE(far.FBar->Hint().find("達成率：50％"), std::string::npos);
    // Made once: the same text until the bar's values are said to change.
    far.FBikou = "後で";
    EXPECT_EQ(far.FBar->Hint().find("後で"), std::string::npos);
    form.ChartHintText(far);
    EXPECT_NE(far.FBar->Hint().find("備考：後で"), std::string::npos);
    EXPECT_NE(far.FProgressBar->Hint().find("備考：後で"), std::string::npos);
    // A hint set as a text stays that text.
    far.FBar->SetHint("固定");
    EXPECT_EQ(far.FBar->Hint(), "固定");
}

TEST_F(LargeView, FocusMovesIntoAFarCaptionWhichComesIntoViewAndTakesTyping)
{
    // 項目の追加 puts the focus on the new last row, far below the view.
    form.mitItemAdd->Click();
    TItem &added = *ItemList.back();
    ASSERT_EQ(FocusedControl(), added.FMemo.get());
    EXPECT_EQ(SelectedItem, &added);
    EXPECT_EQ(form.lblItemSuu->Caption(), "項目：301/301");
    EXPECT_TRUE(InView(*added.FMemo));
    SimulateTyping("新しい行");
    EXPECT_EQ(added.FMemo->Text(), "新しい行");

    // Deleting a selected bar of a far row focuses that row's caption.
    form.scb1->VertScrollBar().SetPosition(0);
    TItem &far = Row(150);
    form.SelectChart(*far.FCharts[0]);
    SelectedItem = &far;
    ASSERT_TRUE(form.DeleteChart());
    EXPECT_EQ(FocusedControl(), far.FMemo.get());
    EXPECT_TRUE(InView(*far.FMemo));
    EXPECT_EQ(form.lblItemSuu->Caption(), "項目：151/301");
    SimulateKey(VK_END);
    SimulateTyping("!");
    EXPECT_EQ(far.FMemo->Text(), "行 150!");
}

TEST_F(LargeView, RowsInsertedAndDeletedNearTheEndKeepTheLayout)
{
    ScrollToEnd();
    TItem &before = Row(kRows - 2);
    SimulateClick(*before.FMemo, TPoint{5, 5});
    ASSERT_EQ(SelectedItem, &before);
    form.mitItemInsert->Click();
    ASSERT_EQ(ItemList.size(), static_cast<size_t>(kRows + 1));
    TItem &inserted = Row(kRows - 2);
    EXPECT_EQ(&Row(kRows - 1), &before);
    EXPECT_EQ(FocusedControl(), inserted.FMemo.get());
    EXPECT_TRUE(InView(*inserted.FMemo));
    ExpectRowsInOrder();

    startup.services->answer = IDYES;
    form.mitItemDelete->Click();
    ASSERT_EQ(ItemList.size(), static_cast<size_t>(kRows));
    EXPECT_EQ(&Row(kRows - 2), &before);
    ExpectRowsInOrder();
    // The last row goes too; the view keeps its windows near it.
    SimulateClick(*Row(kRows - 1).FMemo, TPoint{5, 5});
    form.mitItemDelete->Click();
    ASSERT_EQ(ItemList.size(), static_cast<size_t>(kRows - 1));
    ExpectRowsInOrder();
    EXPECT_TRUE(Row(kRows - 2).FMemo->HandleAllocated());
    EXPECT_LE(CaptionWindows(), 60);
}

TEST_F(LargeView, BarsAndCaptionsAreDraggedAcrossRowsAtTheEnd)
{
    ScrollToEnd();
    const int last = kRows - 1;
    // A bar moved by one day.
    TChart &bar = *Row(last).FCharts[1];
    const TDateTime start = bar.FStartDate;
    const int day = RoundInt(PixelsPerDay);
    SimulateDrag(*bar.FBar, TPoint{20, 3}, TPoint{20 + day, 3});
    EXPECT_EQ(bar.FStartDate, start + 1);
    EXPECT_EQ(bar.FEndDate, start + 3);
    // Carried with Shift to the row above: its dates stay (nothing pushes it).
    AutoMove = false;
    TPoint target = bar.FBar->ScreenToClient(Row(last - 1).FLines[0]->ClientToScreen(TPoint{30, 5}));
    SimulateDrag(*bar.FBar, TPoint{20, 3}, target, ssShift);
    ASSERT_EQ(Row(last - 1).FCharts.size(), 3u);
    EXPECT_EQ(Row(last - 1).FCharts.back().get(), &bar);
    EXPECT_EQ(bar.FStartDate, start + 1);
    EXPECT_EQ(bar.FBar->Tag(), last - 1);
    // The last caption dropped on the one two rows up takes that row's place.
    TItem &moved = Row(last);
    TPoint onto = moved.FMemo->ScreenToClient(Row(last - 2).FMemo->ClientToScreen(TPoint{10, 5}));
    SimulateDrag(*moved.FMemo, TPoint{10, 5}, onto, ssShift);
    EXPECT_EQ(&Row(last - 2), &moved);
    ExpectRowsInOrder();
}

TEST_F(LargeView, TheDocumentRoundTripsByteForByte)
{
    const std::string first = startup.root + "first.xml", second = startup.root + "second.xml";
    ASSERT_TRUE(WriteXmlFile(form, first));
    form.FreeDocument();
    form.NewDocument();
    ReadXmlFile(form, first);
    ASSERT_EQ(ItemList.size(), static_cast<size_t>(kRows));
    EXPECT_FALSE(Row(kRows - 1).FMemo->HandleAllocated());
    EXPECT_EQ(Row(kRows - 1).FMemo->Text(), "行 299");
    ASSERT_TRUE(WriteXmlFile(form, second));
    const std::string a = ReadFileBytes(first), b = ReadFileBytes(second);
    EXPECT_EQ(a.size(), b.size());
    EXPECT_TRUE(a == b);
}

TEST_F(LargeView, TabMovesThroughTheCaptionsDownToTheLastRow)
{
    SimulateClick(*Row(0).FMemo, TPoint{5, 5});
    ASSERT_EQ(FocusedControl(), Row(0).FMemo.get());
    for (int r = 1; r < kRows; ++r) {
        SimulateKey(VK_TAB);
        ASSERT_EQ(FocusedControl(), Row(r).FMemo.get()) << "after " << r << " tabs";
    }
    EXPECT_EQ(SelectedItem, &Row(kRows - 1));
    EXPECT_EQ(form.lblItemSuu->Caption(), "項目：300/300");
    EXPECT_TRUE(InView(*Row(kRows - 1).FMemo));
    EXPECT_LE(CaptionWindows(), 60);
    EXPECT_EQ(Row(kRows - 1).FMemo->Text(), "行 299") << "Tab moved on, it typed nothing";
    SimulateKey(VK_TAB, ssShift);
    EXPECT_EQ(FocusedControl(), Row(kRows - 2).FMemo.get());
}
