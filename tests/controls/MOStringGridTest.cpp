#include "controls/MOStringGrid.h"

#include "platform/widgets/Label.h"
#include "platform/core/Messages.h"
#include "platform/core/SysUtils.h"
#include "platform/services/SystemParameters.h"
#include "tests/TestSupport.h"

#include "tests/KeyInput.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing_support::Click;
using testing_support::Key;
using testing_support::Middle;
using testing_support::Type;

using testing_support::ScopedFakeServices;

// The control that takes typing: the editor while it is shown, else the grid.
TMessageTarget *Input(TMOStringGrid &grid)
{
    if (grid.Editor() && grid.Editor()->Visible())
        return grid.Editor();
    return &grid;
}

// A grid like the event dialog's: row numbers, a date, a drop list, an
// integer with a format, a check box and a read-only column.
struct GridFixture : ::testing::Test {
    ScopedFakeServices services;
    TMOStringGrid grid{nullptr};
    std::vector<std::pair<int, int>> validated;

    void SetUp() override
    {
        grid.SetBounds(0, 0, 600, 200);
        grid.SetColCount(6);
        grid.SetRowCount(3);
        grid.SetFixAutoNum(true);
        grid.SetOptions(grid.Options() | goTabs | goAlwaysShowEditor);
        grid.GridColumns()[1].SetButtonStyle(cbsCalendar);
        grid.GridColumns()[2].SetButtonStyle(cbsDropList);
        grid.GridColumns()[2].SetListStrings({"△", "▲", "▽"});
        grid.GridColumns()[3].SetDataType(dtInteger);
        grid.GridColumns()[3].SetIntegerFormat("#,##0");
        grid.GridColumns()[4].SetButtonStyle(cbsCheckBox);
        grid.GridColumns()[5].SetCanEdit(false);
        grid.OnCellValidate = [this](TObject *, int col, int row) { validated.emplace_back(col, row); };
    }
};

} // namespace

TEST_F(GridFixture, TypedDateIsCommittedOnTabAndValidatedOnce)
{
    Type(Input(grid), "2024a0108");
    EXPECT_EQ(grid.Editor()->EditText(), "2024/01/08");
    Key(Input(grid), VK_TAB);
    EXPECT_EQ(grid.Cells(1, 1), "2024/01/08");
    EXPECT_EQ(grid.Col(), 2);
    ASSERT_EQ(validated.size(), 1u);
    EXPECT_EQ(validated[0], std::make_pair(1, 1));
}

TEST_F(GridFixture, CalendarCellWithOnlySeparatorsIsStoredEmpty)
{
    grid.SetCells(1, 1, "2024/01/08");
    Key(Input(grid), VK_F1 + 1);
    grid.FocusCell(1, 1);
    Type(Input(grid), "x");
    Key(Input(grid), VK_END);
    for (int i = 0; i < 10; ++i)
        Key(Input(grid), VK_BACK);
    EXPECT_EQ(grid.Editor()->Text(), "    /  /  ");
    Key(Input(grid), VK_TAB);
    EXPECT_EQ(grid.Cells(1, 1), "");
    EXPECT_EQ(validated.size(), 1u);
}

TEST_F(GridFixture, IntegerColumnFormatsAndKeepsAnEqualText)
{
    grid.FocusCell(3, 1);
    Type(Input(grid), "1200");
    Key(Input(grid), VK_RETURN);
    EXPECT_EQ(grid.Cells(3, 1), "1,200");
    EXPECT_EQ(validated.size(), 1u);
    // Typing the same formatted number again changes nothing and validates nothing.
    grid.FocusCell(3, 1);
    Type(Input(grid), "1,200");
    Key(Input(grid), VK_RETURN);
    EXPECT_EQ(grid.Cells(3, 1), "1,200");
    EXPECT_EQ(validated.size(), 1u);
    // Empty becomes 0; a text that is no number reverts.
    grid.FocusCell(3, 1);
    Key(Input(grid), VK_DELETE);
    Key(Input(grid), VK_RETURN);
    EXPECT_EQ(grid.Cells(3, 1), "0");
    grid.FocusCell(3, 1);
    Type(Input(grid), "12x");
    Key(Input(grid), VK_RETURN);
    EXPECT_EQ(grid.Cells(3, 1), "0");
}

// Selecting a cell gives the grid and its editor the column's input method;
// number and date columns ask for digits.
TEST_F(GridFixture, EachColumnGivesTheGridAndTheEditorItsInputMethod)
{
    grid.GridColumns()[1].SetImeMode(imClose);
    grid.GridColumns()[3].SetImeMode(imDisable);
    grid.GridColumns()[5].SetCanEdit(true);
    grid.GridColumns()[5].SetImeMode(imOpen);
    struct Expected {
        int col;
        TImeMode mode;
        bool numeric;
    };
    for (Expected e : {Expected{3, imDisable, true}, Expected{5, imOpen, false}, Expected{2, imDontCare, false},
                       Expected{1, imClose, true}}) {
        SCOPED_TRACE(e.col);
        grid.FocusCell(e.col, 1);
        grid.ShowEditor();
        ASSERT_TRUE(grid.Editor() && grid.Editor()->Visible());
        EXPECT_EQ(grid.ImeMode(), e.mode);
        EXPECT_EQ(grid.Editor()->ImeMode(), e.mode);
        EXPECT_EQ(grid.Editor()->NumericInput(), e.numeric);
    }
}

// Full-width text that reaches a cell (an input method's, or pasted) is read
// as its ASCII forms when an integer or date cell is committed.
TEST_F(GridFixture, FullWidthNumbersAndDatesAreCommittedInAscii)
{
    grid.FocusCell(3, 1);
    Type(Input(grid), "１，２００");
    Key(Input(grid), VK_RETURN);
    EXPECT_EQ(grid.Cells(3, 1), "1,200");
    grid.GridColumns()[5].SetCanEdit(true);
    grid.GridColumns()[5].SetDateTimeFormat("yyyy/mm/dd");
    grid.FocusCell(5, 1);
    Type(Input(grid), "２０２４／１／５");
    Key(Input(grid), VK_RETURN);
    EXPECT_EQ(grid.Cells(5, 1), "2024/01/05");
}

TEST_F(GridFixture, TabSkipsReadOnlyColumnsAndEscRestores)
{
    grid.FocusCell(4, 1);
    Key(Input(grid), VK_TAB);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(grid.Row(), 2);
    Key(Input(grid), VK_TAB, ssShift);
    EXPECT_EQ(grid.Col(), 4);
    EXPECT_EQ(grid.Row(), 1);
    grid.SetCells(3, 2, "7");
    grid.FocusCell(3, 2);
    Type(Input(grid), "99");
    EXPECT_EQ(grid.Cells(3, 2), "99");
    Key(Input(grid), VK_ESCAPE);
    EXPECT_EQ(grid.Cells(3, 2), "7");
    EXPECT_EQ(grid.Editor()->Text(), "7");
}

TEST_F(GridFixture, CheckBoxCellsToggleByClickAndByKey)
{
    std::vector<bool> states;
    grid.OnCheckCellClick = [&](TObject *, int col, int row, bool ticked) {
        EXPECT_EQ(col, 4);
        EXPECT_EQ(row, 2);
        states.push_back(ticked);
    };
    Click(grid, Middle(grid.CellRect(4, 2)));
    EXPECT_EQ(grid.Cells(4, 2), "1");
    EXPECT_EQ(grid.Col(), 4);
    EXPECT_EQ(grid.Row(), 2);
    Type(Input(grid), " ");
    EXPECT_EQ(grid.Cells(4, 2), "0");
    EXPECT_EQ(states, (std::vector<bool>{true, false}));
}

TEST_F(GridFixture, RowInsertAndDeleteKeepTextsAndRespectTheLimit)
{
    grid.SetCells(3, 1, "1");
    grid.SetCells(3, 2, "2");
    grid.FocusCell(3, 1);
    ASSERT_TRUE(grid.InsertRow());
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(grid.Cells(3, 1), "1");
    EXPECT_EQ(grid.Cells(3, 2), "");
    EXPECT_EQ(grid.Cells(3, 3), "2");

    grid.SetMaxRow(3);
    EXPECT_FALSE(grid.InsertRow());
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].text, "行が上限に達しました。");
    EXPECT_EQ(grid.RowCount(), 4);

    grid.DeleteCurrentRow();
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Cells(3, 2), "2");
    grid.FocusCell(1, 2);
    grid.DeleteCurrentRow();
    grid.DeleteCurrentRow();
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.Cells(3, 1), "");
}

TEST_F(GridFixture, DropListPicksByKeysAndFiresTheListEvent)
{
    std::string picked;
    grid.OnListBoxClick = [&](TObject *, int, int, std::string &text) { picked = text; };
    grid.FocusCell(2, 1);
    Type(Input(grid), "x"); // read-only text: refused
    EXPECT_EQ(grid.Editor()->Text(), "");
    Key(Input(grid), VK_DOWN, ssAlt);
    ASSERT_TRUE(grid.Editor()->DroppedDown());
    Key(Input(grid), VK_DOWN);
    Key(Input(grid), VK_DOWN);
    Key(Input(grid), VK_RETURN);
    EXPECT_FALSE(grid.Editor()->DroppedDown());
    EXPECT_EQ(picked, "▲");
    EXPECT_EQ(grid.Cells(2, 1), "▲");
    EXPECT_EQ(validated.size(), 1u);
}

TEST_F(GridFixture, CalendarPopupPicksADateByKeysAndByClicks)
{
    services->now = EncodeDate(2024, 1, 8) + 0.5;
    grid.ShowEditor();
    Key(Input(grid), VK_F1 + 3);
    TMOPopupPanel *popup = grid.Editor()->CalendarPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->Calendar().Date(), EncodeDate(2024, 1, 8));
    EXPECT_EQ(popup->StatusStrip().Caption(), "今日: 令和6/1/8");
    Key(Input(grid), VK_RIGHT);
    Key(Input(grid), VK_DOWN);
    Key(Input(grid), VK_NEXT);
    EXPECT_EQ(popup->TitleCaption().Caption(), "2024年02月");
    Key(Input(grid), VK_RETURN);
    EXPECT_EQ(grid.Editor()->CalendarPopup(), nullptr);
    EXPECT_EQ(grid.Cells(1, 1), "2024/02/16");

    // The arrow opens it again at the cell's date; a click on a day picks it.
    TRect button = grid.Editor()->ButtonRect();
    Click(*grid.Editor(), Middle(button));
    popup = grid.Editor()->CalendarPopup();
    ASSERT_NE(popup, nullptr);
    TMOInplaceCalender &calendar = popup->Calendar();
    EXPECT_EQ(calendar.Date(), EncodeDate(2024, 2, 16));
    // The weekday row and empty cells leave it open.
    Click(calendar, Middle(calendar.CellRect(0, 0)));
    Click(calendar, Middle(calendar.CellRect(0, 1)));
    ASSERT_NE(grid.Editor()->CalendarPopup(), nullptr);
    TGridCoord day = calendar.CellOfDay(20);
    Click(calendar, Middle(calendar.CellRect(day.X, day.Y)));
    EXPECT_EQ(grid.Editor()->CalendarPopup(), nullptr);
    EXPECT_EQ(grid.Cells(1, 1), "2024/02/20");
    EXPECT_EQ(validated.size(), 2u);
}

// The calendar opens at the date typed so far (today when the text is no
// date); Esc closes it leaving the typed text and the cell as they were, and
// only the next Esc gives the cell its starting text back.
TEST_F(GridFixture, CalendarOpensAtTheTypedDateAndEscClosesItWithoutWriting)
{
    services->now = EncodeDate(2026, 12, 10) + 0.5;
    grid.SetCells(1, 1, "2026/12/20");
    grid.FocusCell(1, 1);
    Key(Input(grid), VK_HOME);
    Type(Input(grid), "20270131");
    ASSERT_EQ(grid.Editor()->Text(), "2027/01/31");
    Key(Input(grid), VK_F1 + 3);
    TMOPopupPanel *popup = grid.Editor()->CalendarPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->Calendar().Date(), EncodeDate(2027, 1, 31));
    Key(Input(grid), VK_NEXT);
    ASSERT_EQ(popup->Calendar().Date(), EncodeDate(2027, 2, 28));
    Key(Input(grid), VK_ESCAPE);
    EXPECT_EQ(grid.Editor()->CalendarPopup(), nullptr);
    EXPECT_EQ(grid.Editor()->Text(), "2027/01/31");
    EXPECT_EQ(grid.Cells(1, 1), "2027/01/31");
    EXPECT_TRUE(validated.empty());
    Key(Input(grid), VK_ESCAPE);
    EXPECT_EQ(grid.Cells(1, 1), "2026/12/20");

    Key(Input(grid), VK_HOME);
    Type(Input(grid), "20271301");
    Key(Input(grid), VK_F1 + 3);
    popup = grid.Editor()->CalendarPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->Calendar().Date(), EncodeDate(2026, 12, 10));
    Key(Input(grid), VK_RETURN);
    EXPECT_EQ(grid.Cells(1, 1), "2026/12/10");
    EXPECT_EQ(validated.size(), 1u);
}

// Closing the calendar by its arrow or by the focus leaving writes its date
// only when the person moved it; left at the date it opened at, nothing was
// chosen and the typed text stays, even one that is no date.
TEST_F(GridFixture, CalendarClosedByTheArrowOrFocusWritesOnlyADateMovedTo)
{
    services->now = EncodeDate(2026, 12, 10) + 0.5;
    grid.SetCells(1, 1, "2026/12/20");
    grid.FocusCell(1, 1);
    auto typeThenOpen = [&](const std::string &digits) {
        Key(Input(grid), VK_HOME);
        Type(Input(grid), digits);
        Click(*grid.Editor(), Middle(grid.Editor()->ButtonRect()));
        return grid.Editor()->CalendarPopup();
    };
    auto arrow = [&] { Click(*grid.Editor(), Middle(grid.Editor()->ButtonRect())); };

    TMOPopupPanel *popup = typeThenOpen("20271301");
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->Calendar().Date(), EncodeDate(2026, 12, 10));
    arrow();
    EXPECT_EQ(grid.Editor()->CalendarPopup(), nullptr);
    EXPECT_EQ(grid.Editor()->Text(), "2027/13/01");
    EXPECT_TRUE(validated.empty());

    // Stepped away and back is still the date it opened at.
    popup = typeThenOpen("20271301");
    ASSERT_NE(popup, nullptr);
    Key(Input(grid), VK_NEXT);
    Key(Input(grid), VK_PRIOR);
    arrow();
    EXPECT_EQ(grid.Editor()->Text(), "2027/13/01");
    EXPECT_TRUE(validated.empty());

    // A month stepped to and closed by the arrow is taken as meant.
    popup = typeThenOpen("20270131");
    ASSERT_NE(popup, nullptr);
    Key(Input(grid), VK_NEXT);
    arrow();
    EXPECT_EQ(grid.Editor()->CalendarPopup(), nullptr);
    EXPECT_EQ(grid.Cells(1, 1), "2027/02/28");
    ASSERT_EQ(validated.size(), 1u);

    // The focus leaving an untouched calendar commits the typed text as
    // leaving after typing would, not today.
    popup = typeThenOpen("20271301");
    ASSERT_NE(popup, nullptr);
    SendMessage(grid.Editor(), WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(grid.Editor()->CalendarPopup(), nullptr);
    EXPECT_EQ(grid.Cells(1, 1), "2027/13/01");
    EXPECT_EQ(validated.size(), 2u);

    // Moved, the focus leaving writes the date moved to.
    grid.FocusCell(1, 1);
    popup = typeThenOpen("20271301");
    ASSERT_NE(popup, nullptr);
    Key(Input(grid), VK_RIGHT);
    SendMessage(grid.Editor(), WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(grid.Cells(1, 1), "2026/12/11");
    EXPECT_EQ(validated.size(), 3u);
}

TEST_F(GridFixture, PaintsRowMarksDisabledCellsAndCheckBoxes)
{
    grid.SetColor(clWhite);
    grid.GridColumns()[3].SetColor(clWhite);
    grid.FocusCell(3, 2);
    TBitmap bitmap(600, 200);
    grid.PaintTo(bitmap.Canvas());
    TRect number = grid.CellRect(0, 2);
    EXPECT_EQ(bitmap.Pixel(number.Left + 2, number.Top + 2), grid.SelectRowColor());
    TRect other = grid.CellRect(0, 1);
    EXPECT_EQ(bitmap.Pixel(other.Left + 2, other.Top + 2), ColorToRGB(clBtnFace));
    TRect disabled = grid.CellRect(5, 1);
    EXPECT_EQ(bitmap.Pixel(disabled.Left + 2, disabled.Top + 4), MODisabledColor);
    // The current row's data cells get a gray line along their top.
    TRect current = grid.CellRect(5, 2);
    EXPECT_EQ(bitmap.Pixel(current.Left + 3, current.Top), clGray);
    EXPECT_EQ(bitmap.Pixel(current.Left + 3, current.Top + 4), MODisabledColor);
}

namespace {

void Wheel(TMessageTarget *target, int delta)
{
    auto turn = static_cast<std::uint16_t>(static_cast<std::int16_t>(delta));
    SendMessage(target, WM_MOUSEWHEEL, static_cast<WPARAM>(turn) << 16, 0);
}

std::vector<std::string> Sizes()
{
    std::vector<std::string> sizes;
    for (int n : {6, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32, 34, 36, 38, 40, 42})
        sizes.push_back(IntToStr(n));
    return sizes;
}

// The rows of a rectangle of the bitmap holding a pixel other than `background`.
int InkRows(TBitmap &bitmap, const TRect &r, TColor background)
{
    int rows = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (bitmap.Pixel(x, y) != background) {
                ++rows;
                break;
            }
    return rows;
}

} // namespace

// A list longer than its rows shows a scroll bar beside the items; the wheel
// (over the list or over the editor that opened it) and the bar scroll it.
TEST_F(GridFixture, LongDropListScrollsByItsBarAndTheWheel)
{
    TScopedSystemParameters parameters;
    SystemParameters().WheelScrollLines = 3;
    grid.GridColumns()[2].SetListStrings(Sizes());
    grid.FocusCell(2, 1);
    grid.ShowEditor();
    Key(Input(grid), VK_DOWN, ssAlt);
    TMODropList *list = grid.Editor()->DropList();
    ASSERT_NE(list, nullptr);
    TScrollBar *bar = list->ScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Kind(), sbVertical);
    EXPECT_LE(list->ItemRect(0).Right, bar->Left());
    EXPECT_EQ(bar->Left() + bar->Width(), list->Width() - 1);

    Wheel(list, -120);
    EXPECT_EQ(list->TopIndex(), 3);
    EXPECT_EQ(bar->Position(), 3);
    Wheel(list, -240); // no further than the last page
    EXPECT_EQ(list->TopIndex(), 21 - TMODropList::MaxVisibleItems);
    EXPECT_EQ(list->ItemAt(list->ItemRect(20).Top + 1), 20);
    Wheel(grid.Editor(), 120);
    EXPECT_EQ(list->TopIndex(), 2);
    Wheel(&grid, 60); // half a notch waits for the other half
    EXPECT_EQ(list->TopIndex(), 2);
    Wheel(&grid, 60);
    EXPECT_EQ(list->TopIndex(), 0);
    EXPECT_EQ(grid.Row(), 1);
    bar->Scrolled(scTrack, 4);
    EXPECT_EQ(list->TopIndex(), 4);
    Click(*list, Middle(list->ItemRect(19)));
    EXPECT_EQ(grid.Cells(2, 1), "40");

    // A list whose items all show has no bar and ignores the wheel.
    grid.GridColumns()[2].SetListStrings({"1", "2"});
    Key(Input(grid), VK_DOWN, ssAlt);
    list = grid.Editor()->DropList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->ScrollBar(), nullptr);
    Wheel(list, -120);
    EXPECT_EQ(list->TopIndex(), 0);
}

// Each item is drawn whole, however tall the font's text is.
TEST(MODropList, ItemsAreDrawnWhole)
{
    TMODropList list(nullptr);
    list.Font().SetSize(12);
    list.SetItems({"上", "中", "下"}, 40);
    TBitmap bitmap(list.Width(), list.Height());
    list.PaintTo(bitmap.Canvas());
    const TColor background = ColorToRGB(list.Color());
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        TBitmap whole(60, 60);
        whole.Canvas().Brush().SetColor(background);
        whole.Canvas().FillRect(TRect{0, 0, 60, 60});
        whole.Canvas().Font().Assign(list.Font());
        whole.Canvas().TextOut(10, 10, list.Items()[static_cast<size_t>(i)]);
        int rows = InkRows(whole, TRect{0, 0, 60, 60}, background);
        ASSERT_GT(rows, 5);
        EXPECT_EQ(InkRows(bitmap, list.ItemRect(i), background), rows);
        EXPECT_GE(list.ItemHeight(), whole.Canvas().TextHeight("上"));
    }
}
