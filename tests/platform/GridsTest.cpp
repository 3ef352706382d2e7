#include "platform/widgets/Grids.h"
#include "platform/kernel/PopupWindow.h"
#include "platform/widgets/SpeedButton.h"

#include "tests/KeyInput.h"

#include <gtest/gtest.h>

namespace {

using testing_support::Key;
using testing_support::Type;

struct Grid : ::testing::Test {
    TStringGrid grid{nullptr};
    void SetUp() override
    {
        grid.SetBorderStyle(gbsNone);
        grid.SetBounds(0, 0, 200, 100);
        grid.SetColCount(4);
        grid.SetRowCount(10);
        grid.SetDefaultColWidth(50);
        grid.SetDefaultRowHeight(20);
        grid.SetColWidths(0, 30);
    }
};

} // namespace

TEST_F(Grid, CellsAndPointsMapBothWays)
{
    EXPECT_EQ(grid.CellRect(0, 0), Rect(0, 0, 30, 20));
    EXPECT_EQ(grid.CellRect(1, 1), Rect(31, 21, 81, 41));
    EXPECT_EQ(grid.MouseCoord(31, 21), (TGridCoord{1, 1}));
    EXPECT_EQ(grid.MouseCoord(80, 40), (TGridCoord{1, 1}));
    EXPECT_EQ(grid.MouseCoord(81, 41), (TGridCoord{1, 1})); // the grid line goes with the cell before it
    EXPECT_EQ(grid.MouseCoord(82, 42), (TGridCoord{2, 2}));
    EXPECT_EQ(grid.MouseCoord(150, 5), (TGridCoord{3, 0}));
    EXPECT_EQ(grid.MouseCoord(199, 5), (TGridCoord{-1, -1}));
    EXPECT_EQ(grid.VisibleRowCount(), 3);
}

TEST_F(Grid, KeysMoveTheCurrentCellAndScrollIt)
{
    std::vector<std::pair<int, int>> asked;
    grid.OnSelectCell = [&](TObject *, int col, int row, bool &can) {
        asked.emplace_back(col, row);
        can = row != 5;
    };
    Key(&grid, VK_RIGHT);
    Key(&grid, VK_DOWN);
    EXPECT_EQ(grid.Col(), 2);
    EXPECT_EQ(grid.Row(), 2);
    Key(&grid, VK_DOWN);
    Key(&grid, VK_DOWN);
    Key(&grid, VK_DOWN); // refused
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(grid.TopRow(), 2);
    EXPECT_EQ(grid.CellRect(1, 1), TRect{});
    EXPECT_EQ(grid.CellRect(1, 2), Rect(31, 21, 81, 41));
    grid.SetOptions(grid.Options() | goTabs);
    Key(&grid, VK_TAB);
    Key(&grid, VK_TAB);
    EXPECT_EQ(grid.Col(), 3);
    EXPECT_EQ(grid.Row(), 4); // row 5 was refused
    Key(&grid, VK_HOME);
    Key(&grid, VK_UP);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(grid.Row(), 3);
    // The wheel moves the current row.
    SendMessage(&grid, WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<std::uint16_t>(120)) << 16);
    EXPECT_EQ(grid.Row(), 2);
    SendMessage(&grid, WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<std::uint16_t>(-120)) << 16);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(asked.back(), std::make_pair(1, 3));
}

TEST_F(Grid, TheEditorWritesIntoTheCellAndEscRevertsIt)
{
    grid.SetOptions(grid.Options() | goEditing);
    grid.SetCells(1, 1, "old");
    Type(&grid, "ab");
    ASSERT_NE(grid.InplaceEditor(), nullptr);
    EXPECT_TRUE(grid.EditorMode());
    EXPECT_EQ(grid.InplaceEditor()->BoundsRect(), grid.CellRect(1, 1));
    EXPECT_EQ(grid.Cells(1, 1), "ab");
    Key(grid.InplaceEditor(), VK_ESCAPE);
    EXPECT_FALSE(grid.InplaceEditor()->Visible());
    EXPECT_EQ(grid.Cells(1, 1), "ab"); // the cell holds what was last written
    Type(&grid, "x");
    Key(grid.InplaceEditor(), VK_DOWN);
    EXPECT_EQ(grid.Cells(1, 1), "x");
    EXPECT_EQ(grid.Row(), 2);
}

// An editor always shown takes Esc only while it holds a change, which Esc
// takes back; otherwise Esc is left for the form (its cancel button).
TEST_F(Grid, AnEditorAlwaysShownTakesEscOnlyWithAChange)
{
    grid.SetOptions(grid.Options() | goEditing | goAlwaysShowEditor);
    grid.SetCells(1, 1, "old");
    grid.ShowEditor();
    TInplaceEdit *editor = grid.InplaceEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(SendMessage(editor, WM_KEYDOWN, VK_ESCAPE), VK_ESCAPE);
    Type(editor, "x");
    EXPECT_EQ(SendMessage(editor, WM_KEYDOWN, VK_ESCAPE), 0);
    EXPECT_EQ(editor->Text(), grid.Cells(1, 1));
    EXPECT_TRUE(editor->Visible());
    EXPECT_EQ(SendMessage(editor, WM_KEYDOWN, VK_ESCAPE), VK_ESCAPE);
}

TEST_F(Grid, RowsCarryTheirTextsWhenMovedOrDeleted)
{
    for (int r = 0; r < 4; ++r)
        grid.SetCells(1, r, std::to_string(r));
    grid.SetRowCount(4);
    grid.SetRowCount(6);
    EXPECT_EQ(grid.Cells(1, 3), "3");
    EXPECT_EQ(grid.Cells(1, 5), "");
    EXPECT_THROW(grid.SetCells(1, 6, "x"), Exception);
}

TEST_F(Grid, PaintsFixedCellsAndLines)
{
    grid.SetColor(clWhite);
    grid.SetFixedColor(clYellow);
    TBitmap bitmap(200, 100);
    grid.PaintTo(bitmap.Canvas());
    EXPECT_EQ(bitmap.Pixel(10, 10), clYellow);
    EXPECT_EQ(bitmap.Pixel(50, 30), ColorToRGB(clHighlight)); // the current cell
    EXPECT_EQ(bitmap.Pixel(100, 30), clWhite);
    EXPECT_EQ(bitmap.Pixel(81, 30), clSilver);
}

TEST(PopupWindow, GoesUnderTheAnchorOrAboveItNearTheBottom)
{
    TRect work{0, 0, 800, 600};
    EXPECT_EQ(PlacePopup(Rect(100, 100, 200, 120), TSize{160, 140}, work), Point(100, 120));
    EXPECT_EQ(PlacePopup(Rect(100, 500, 200, 520), TSize{160, 140}, work), Point(100, 360));
    EXPECT_EQ(PlacePopup(Rect(700, 100, 790, 120), TSize{160, 140}, work), Point(640, 120));
    TRect screen = ScreenWorkArea();
    EXPECT_FALSE(screen.IsEmpty());
}

TEST(SpeedButton, ClicksOnlyWhenReleasedOverIt)
{
    TSpeedButton button(nullptr);
    button.SetBounds(0, 0, 20, 20);
    int clicks = 0;
    button.OnClick = [&](TObject *) { ++clicks; };
    SendMessage(&button, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5));
    EXPECT_TRUE(button.Pressed());
    SendMessage(&button, WM_LBUTTONUP, 0, MakeLParam(30, 5));
    EXPECT_FALSE(button.Pressed());
    EXPECT_EQ(clicks, 0);
    SendMessage(&button, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5));
    SendMessage(&button, WM_LBUTTONUP, 0, MakeLParam(5, 5));
    EXPECT_EQ(clicks, 1);
}
