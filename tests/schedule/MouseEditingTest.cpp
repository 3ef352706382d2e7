#include "MainFixture.h"

#include "platform/Messages.h"

#include <gtest/gtest.h>

namespace {

struct TEditBoard {
    TStartup startup;
    TfrmMain form{nullptr, "", false};
    TEditBoard()
    {
        form.SetBounds(0, 0, 900, 600);
        StartDate = form.FDocStartDate = EncodeDate(2024, 1, 1);
        form.RedrawChart();
        form.AddItem();
        form.AddItem();
        Modified = false;
    }
    // A bar put by a left click on the band in put-chart mode, `day` days after the start.
    TChart &Put(int row, int day, int line = 0)
    {
        form.FPutChartMode = true;
        TShape &band = *ItemList[static_cast<size_t>(row)]->FLines[static_cast<size_t>(line)];
        int x = RoundInt((day + 0.5) * PixelsPerDay);
        SendMessage(&band, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(x, 2));
        SendMessage(&band, WM_LBUTTONUP, 0, MakeLParam(x, 2));
        return *SelectedChart;
    }
    static void Drag(TChart &chart, int fromX, int toX)
    {
        TControl *bar = chart.FBar.get();
        SendMessage(bar, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(fromX, 3));
        SendMessage(bar, WM_MOUSEMOVE, MK_LBUTTON, MakeLParam((fromX + toX) / 2, 3));
        SendMessage(bar, WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(toX, 3));
        SendMessage(bar, WM_LBUTTONUP, 0, MakeLParam(toX, 3));
    }
    int Day() const { return RoundInt(PixelsPerDay); }
};

} // namespace

TEST(MouseEditing, MovingAndStretchingABarChangesItsDatesOnlyWhenTheMouseMoved)
{
    TEditBoard board;
    TChart &bar = board.Put(0, 1);
    ASSERT_EQ(ItemList[0]->FCharts.size(), 1u);
    EXPECT_FALSE(board.form.FPutChartMode);
    TDateTime start = bar.FStartDate, end = bar.FEndDate;
    Modified = false;

    board.Drag(bar, 20, 20);
    EXPECT_EQ(bar.FStartDate, start);
    EXPECT_EQ(bar.FEndDate, end);
    EXPECT_FALSE(Modified);
    EXPECT_EQ(ChartDragState, 3);

    board.Drag(bar, 20, 20 + 2 * board.Day());
    EXPECT_EQ(bar.FStartDate, start + 2);
    EXPECT_EQ(bar.FEndDate, end + 2);
    EXPECT_TRUE(Modified);
    EXPECT_EQ(bar.FBar->Left(), DateToPixel(PixelsPerDay, start + 2));
    EXPECT_FALSE(board.form.pnlChartSelect->Visible());
    EXPECT_EQ(board.form.stb1->PanelText(1), "");

    // Stretching the end onto the start still leaves one whole day.
    int w = bar.FBar->WidthEx();
    board.Drag(bar, w - 1, -board.Day() * 3);
    EXPECT_EQ(bar.FEndDate, bar.FStartDate + 1);
    EXPECT_EQ(bar.FDuration, 1);
}

TEST(MouseEditing, ZeroLengthRepairWorksBelowHalfAPixelPerDay)
{
    TEditBoard board;
    TChart &bar = board.Put(0, 1);
    CustomTimeScale = 5000;
    board.form.tbcCalSelect->SetTabIndex(9);
    board.form.tbcCalSelect->OnChange(nullptr);
    ASSERT_LT(PixelsPerDay, 0.5);
    EXPECT_EQ(board.form.scb2->LargeChange(), 5000 / 3);
    int w = bar.FBar->WidthEx();
    board.Drag(bar, w, -50);
    EXPECT_GT(bar.FEndDate, bar.FStartDate);
    EXPECT_GE(bar.FDuration, 1);

    // A custom scale of one day still pages by one day.
    CustomTimeScale = 1;
    board.form.tbcCalSelect->OnChange(nullptr);
    EXPECT_EQ(DaysShown, 1);
    EXPECT_EQ(board.form.scb2->LargeChange(), 1);
    CustomTimeScale = 7;
}

TEST(MouseEditing, ABarDraggedOffTheChartIsHiddenAndKeepsAPositiveWidth)
{
    TEditBoard board;
    TChart &bar = board.Put(0, 0);
    board.Drag(bar, 20, 20 - 30 * board.Day());
    EXPECT_FALSE(bar.FBar->Visible());
    EXPECT_GE(bar.FBar->Width(), 1);
    EXPECT_EQ(bar.FBar->Left(), -10);
    EXPECT_EQ(bar.FStartDate, StartDate - 30);
}

TEST(MouseEditing, AutoMovePushesTheNextBarOnlyWhenOn)
{
    TEditBoard board;
    TChart &first = board.Put(0, 0);
    TChart &second = board.Put(0, 3);
    TDateTime secondStart = second.FStartDate;
    board.Drag(first, 20, 20 + 3 * board.Day());
    EXPECT_EQ(second.FStartDate, first.FEndDate);
    EXPECT_GT(second.FStartDate, secondStart);

    AutoMove = false;
    TChart &third = board.Put(1, 0);
    TChart &fourth = board.Put(1, 3);
    board.Drag(third, 20, 20 + 3 * board.Day());
    EXPECT_EQ(fourth.FStartDate, secondStart);
    AutoMove = true;
}

TEST(MouseEditing, PutChartModeAddsExactlyOneBarAndEscEndsTheModes)
{
    TEditBoard board;
    board.Put(0, 2);
    TShape &band = *ItemList[0]->FLines[0];
    SendMessage(&band, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(10, 2));
    EXPECT_EQ(ItemList[0]->FCharts.size(), 1u);
    EXPECT_EQ(board.form.cmbAlignment->Text(), "中央");

    board.form.FPutChartMode = true;
    GroupSetColor = 0x123456;
    SendMessage(&board.form, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(board.form.FPutChartMode);
    EXPECT_EQ(GroupSetColor, static_cast<TColor>(-1));
}

TEST(MouseEditing, GroupSetModePaintsTheBarWithoutMovingIt)
{
    TEditBoard board;
    TChart &bar = board.Put(0, 1);
    TDateTime start = bar.FStartDate;
    GroupSetName = "A";
    GroupSetColor = 0x00FF00;
    board.Drag(bar, 20, 20 + 2 * board.Day());
    EXPECT_EQ(bar.FGroup, "A");
    EXPECT_EQ(bar.FBar->Color(), 0x00FF00);
    EXPECT_EQ(bar.FStartDate, start);
    GroupSetColor = static_cast<TColor>(-1);
}

TEST(MouseEditing, ShiftDragCarriesABarToAnotherRowsLineAndDropsAreChecked)
{
    TEditBoard board;
    board.form.SetLineCount(*ItemList[1], 2);
    TChart &bar = board.Put(0, 1);
    TDateTime start = bar.FStartDate;
    SendMessage(bar.FBar.get(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MakeLParam(5, 3));
    EXPECT_TRUE(bar.FBar->Dragging());
    EXPECT_EQ(ChartDragState, 3);
    bar.FBar->EndDrag(false);

    TShape &band = *ItemList[1]->FLines[1];
    TMemo &caption = *ItemList[1]->FMemo;
    EXPECT_TRUE(band.AcceptsDrop(bar.FBar.get(), 5, 5, dsDragMove));
    EXPECT_FALSE(caption.AcceptsDrop(bar.FBar.get(), 5, 5, dsDragMove));
    EXPECT_FALSE(band.AcceptsDrop(ItemList[0]->FMemo.get(), 5, 5, dsDragMove));
    EXPECT_TRUE(caption.AcceptsDrop(ItemList[0]->FMemo.get(), 5, 5, dsDragMove));

    band.OnDragDrop(&band, bar.FBar.get(), 5, 5);
    ASSERT_EQ(ItemList[1]->FCharts.size(), 1u);
    EXPECT_TRUE(ItemList[0]->FCharts.empty());
    EXPECT_EQ(&bar, ItemList[1]->FCharts[0].get());
    EXPECT_EQ(bar.FLine, 1);
    EXPECT_EQ(bar.FBar->Tag(), 1);
    EXPECT_EQ(bar.FStartDate, start);
    EXPECT_EQ(SelectedItem, ItemList[1].get());

    // A drop with no selected bar does nothing.
    SelectedChart = nullptr;
    band.OnDragDrop(&band, bar.FBar.get(), 5, 5);
    band.OnDragDrop(&band, ItemList[0]->FMemo.get(), 5, 5);
    EXPECT_EQ(ItemList[1]->FCharts.size(), 1u);

    // A caption dropped on another caption moves its row there.
    TItem *first = ItemList[0].get();
    board.form.SelectItem(first);
    caption.OnDragDrop(&caption, first->FMemo.get(), 5, 5);
    EXPECT_EQ(ItemList[1].get(), first);
}

TEST(MouseEditing, DeleteRemovesTheSelectedBarOnlyOutsideTextEditing)
{
    TEditBoard board;
    board.Put(0, 1);
    // With a text-editing control focused the key is that control's.
    if (board.form.edtHdTitle->HandleAllocated()) {
        board.form.edtHdTitle->SetFocus();
        if (FocusedControl() == board.form.edtHdTitle) {
            SelectedChart = ItemList[0]->FCharts[0].get();
            SendMessage(board.form.edtHdTitle, WM_KEYDOWN, VK_DELETE, 0);
            EXPECT_EQ(ItemList[0]->FCharts.size(), 1u);
        }
    }
    SelectedChart = ItemList[0]->FCharts[0].get();
    board.form.memChartComment->Show();
    SendMessage(&board.form, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(ItemList[0]->FCharts.size(), 1u);
    board.form.memChartComment->Hide();

    SendMessage(&board.form, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_TRUE(ItemList[0]->FCharts.empty());
}

TEST(MouseEditing, DoubleClickOpensTheTextEditorAndLeavingItCommits)
{
    TEditBoard board;
    TChart &bar = board.Put(0, 1);
    SendMessage(bar.FBar.get(), WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(5, 3));
    ASSERT_TRUE(board.form.memChartComment->Visible());
    Modified = false;
    board.form.memChartComment->SetText("new text");
    EXPECT_TRUE(Modified);
    board.form.CommitChartComment();
    EXPECT_EQ(bar.FBar->Caption(), "new text");
    EXPECT_FALSE(board.form.memChartComment->Visible());
}
