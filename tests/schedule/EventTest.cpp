#include "schedule/Event.h"

#include "platform/widgets/Button.h"
#include "platform/services/InputSimulation.h"
#include "platform/services/SystemParameters.h"
#include "platform/widgets/Memo.h"
#include "platform/core/Messages.h"
#include "platform/core/SysUtils.h"
#include "schedule/Head.h"
#include "tests/TestSupport.h"

#include "tests/InputMethodProbe.h"
#include "tests/KeyInput.h"
#include "tests/ModalScript.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>

namespace {

using testing_support::Key;
using testing_support::Middle;
using testing_support::RunModalScript;
using testing_support::Type;

TEvent MakeEvent(TDateTime date, const std::string &name, TColor color)
{
    TEvent e;
    e.EventDate = date;
    e.Marker = "●";
    e.EventName = name;
    e.FontName = "ＭＳ ゴシック";
    e.FontSize = 10;
    e.FontColor = color;
    e.Line = 2;
    e.Position = 1;
    e.EndFlg = 1;
    return e;
}

struct EventDialogTest : ::testing::Test {
    testing_support::FakeServices *services = new testing_support::FakeServices;
    TScopedServices scope{std::unique_ptr<TServices>(services)};
    TItem item;

    void SetUp() override
    {
        Modified = false;
        item.FMemo->SetText("設計");
    }
    static void ClickColourCell(TdlgEvent &dialog)
    {
        TMOStringGrid &grid = *dialog.grdEvent;
        TRect cell = grid.CellRect(6, 1);
        SendMessage(&grid, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(cell.Left + 5, cell.Top + 5));
        SendMessage(&grid, WM_LBUTTONUP, 0, MakeLParam(cell.Left + 5, cell.Top + 5));
    }
    // A click on a cell, as a person gives it; the editor it shows, or nullptr.
    static TInplaceEdit3D *ClickCell(TMOStringGrid &grid, int col, int row)
    {
        SimulateClick(grid, Middle(grid.CellRect(col, row)));
        TInplaceEdit3D *editor = grid.Editor();
        return editor && editor->Visible() ? editor : nullptr;
    }
    // A click on the editor's button (the list's or the calendar's arrow).
    static void ClickArrow(TInplaceEdit3D &editor) { SimulateClick(editor, Middle(editor.ButtonRect())); }
    // The first row's date typed, then its name cell opened for typing.
    static void DateThenNameCell(TMOStringGrid &grid, const std::string &date)
    {
        SimulateClick(grid, Middle(grid.CellRect(1, 1)));
        SimulateKey(VK_HOME);
        SimulateTyping(date);
        SimulateClick(grid, Middle(grid.CellRect(3, 1)));
    }
    // Today 2026/12/10; the row holds one event, on 2026/12/20.
    void TodayWithAnEventAhead()
    {
        services->now = EncodeDate(2026, 12, 10) + 0.5;
        item.FEvents = {MakeEvent(EncodeDate(2026, 12, 20), "出荷", clRed)};
    }
    // The first row's date cell clicked and digits typed over its date; the
    // editor, or nullptr.
    static TInplaceEdit3D *TypeDate(TdlgEvent &dialog, const std::string &digits)
    {
        TInplaceEdit3D *editor = ClickCell(*dialog.grdEvent, 1, 1);
        if (editor) {
            Key(Input(dialog), VK_HOME);
            Type(Input(dialog), digits);
        }
        return editor;
    }
    static TMessageTarget *Input(TdlgEvent &dialog)
    {
        TMOStringGrid &grid = *dialog.grdEvent;
        if (grid.Editor() && grid.Editor()->Visible())
            return grid.Editor();
        return &grid;
    }
};

} // namespace

TEST_F(EventDialogTest, DatesTypedOutOfOrderAreSavedSortedWithTheDefaults)
{
    TdlgEvent dialog(nullptr, item);
    EXPECT_EQ(dialog.memItem->Text(), "設計");
    EXPECT_EQ(dialog.grdEvent->RowCount(), 2);
    Type(Input(dialog), "20240310");
    Key(Input(dialog), VK_RETURN);
    // The date's commit fills the row's defaults at once.
    EXPECT_EQ(dialog.grdEvent->Cells(2, 1), "△");
    EXPECT_EQ(dialog.grdEvent->Cells(7, 1), "1");
    EXPECT_EQ(dialog.grdEvent->Cells(8, 1), "上");
    EXPECT_EQ(dialog.grdEvent->Cells(9, 1), "0");
    dialog.btnAdd->Click();
    EXPECT_EQ(dialog.grdEvent->Row(), 2);
    Type(Input(dialog), "20240105");
    dialog.btnOk->Click();

    EXPECT_EQ(dialog.ModalResult(), mrOk);
    EXPECT_TRUE(Modified);
    ASSERT_EQ(item.FEvents.size(), 2u);
    EXPECT_EQ(item.FEvents[0].EventDate, EncodeDate(2024, 1, 5));
    EXPECT_EQ(item.FEvents[1].EventDate, EncodeDate(2024, 3, 10));
    for (const TEvent &e : item.FEvents) {
        EXPECT_EQ(e.Marker, "△");
        EXPECT_EQ(e.Line, 0);
        EXPECT_EQ(e.Position, 0);
        EXPECT_EQ(e.EndFlg, 0);
        EXPECT_EQ(e.FontColor, 0u);
        EXPECT_EQ(e.FontName, dialog.grdEvent->Font().Name());
        EXPECT_EQ(e.FontSize, dialog.grdEvent->Font().Size());
    }
    EXPECT_TRUE(services->messages.empty());
}

// OK with a cell that converts to nothing names the cell's text in the
// dialog's language; the dialog stays open and the row keeps its events.
TEST_F(EventDialogTest, AnInvalidDateReportsAnErrorAndKeepsTheRowsEvents)
{
    item.FEvents = {MakeEvent(EncodeDate(2024, 2, 1), "既存", clRed)};
    TdlgEvent dialog(nullptr, item);
    EXPECT_EQ(dialog.grdEvent->Cells(1, 1), "2024/02/01");
    EXPECT_EQ(dialog.grdEvent->Cells(7, 1), "3");
    EXPECT_EQ(dialog.grdEvent->Cells(8, 1), "中");
    EXPECT_EQ(dialog.grdEvent->Cells(9, 1), "1");
    const TModalResult result = RunModalScript(dialog, [&] {
        TMOStringGrid &grid = *dialog.grdEvent;
        SimulateClick(*dialog.btnAdd, TPoint{5, 5});
        SimulateClick(grid, Middle(grid.CellRect(1, 2)));
        SimulateKey(VK_HOME);
        SimulateTyping("20261340");  // the mask admits month 13
        SimulateClick(*dialog.btnOk, TPoint{5, 5});
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_EQ(services->messages[0].text, "'2026/13/40' は正しい日付ではありません。");
        EXPECT_TRUE(dialog.Visible());
        EXPECT_EQ(dialog.ModalResult(), mrNone);

        SimulateClick(grid, Middle(grid.CellRect(1, 2)));
        SimulateKey(VK_HOME);
        SimulateTyping("20261204");
        grid.SetCells(5, 2, "大");
        SimulateClick(*dialog.btnOk, TPoint{5, 5});
        ASSERT_EQ(services->messages.size(), 2u);
        EXPECT_EQ(services->messages[1].text, "'大' は正しい整数ではありません。");
        EXPECT_EQ(dialog.ModalResult(), mrNone);
        ASSERT_EQ(item.FEvents.size(), 1u);
        EXPECT_FALSE(Modified);
        SimulateClick(*dialog.CancelBtn, TPoint{5, 5});
    });
    EXPECT_EQ(result, mrCancel);
    ASSERT_EQ(item.FEvents.size(), 1u);
    EXPECT_EQ(item.FEvents[0].EventName, "既存");
    EXPECT_FALSE(Modified);
}

TEST_F(EventDialogTest, PickingAMarkerFirstStillFillsTheOtherDefaults)
{
    TdlgEvent dialog(nullptr, item);
    TMOStringGrid &grid = *dialog.grdEvent;
    grid.FocusCell(2, 1);
    grid.ShowEditor();
    Key(Input(dialog), VK_DOWN, ssAlt);
    Key(Input(dialog), VK_DOWN);
    Key(Input(dialog), VK_DOWN);
    Key(Input(dialog), VK_RETURN);
    EXPECT_EQ(grid.Cells(2, 1), "▲");
    grid.FocusCell(1, 1);
    Type(Input(dialog), "20240105");
    Key(Input(dialog), VK_TAB);
    EXPECT_EQ(grid.Cells(2, 1), "▲");
    EXPECT_EQ(grid.Cells(5, 1), IntToStr(grid.Font().Size()));
    EXPECT_EQ(grid.Cells(7, 1), "1");
    dialog.btnOk->Click();
    ASSERT_EQ(item.FEvents.size(), 1u);
    EXPECT_EQ(item.FEvents[0].Marker, "▲");
}

TEST_F(EventDialogTest, InsertedAndDeletedRowsKeepEachRowsColour)
{
    item.FEvents = {MakeEvent(EncodeDate(2024, 1, 1), "a", clRed), MakeEvent(EncodeDate(2024, 1, 2), "b", clLime),
                    MakeEvent(EncodeDate(2024, 1, 3), "c", clBlue)};
    TdlgEvent dialog(nullptr, item);
    TMOStringGrid &grid = *dialog.grdEvent;
    grid.FocusCell(1, 1);
    dialog.btnAdd->Click();
    EXPECT_EQ(dialog.RowColors(), (std::vector<TColor>{0, clRed, 0, clLime, clBlue}));
    EXPECT_EQ(grid.Cells(3, 3), "b");

    // The colour column paints each row's colour.
    TBitmap bitmap(grid.Width(), grid.Height());
    grid.PaintTo(bitmap.Canvas());
    auto colourAt = [&](int row) {
        TRect r = grid.CellRect(6, row);
        return bitmap.Pixel((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    };
    EXPECT_EQ(colourAt(1), clRed);
    EXPECT_EQ(colourAt(2), clBlack);
    EXPECT_EQ(colourAt(4), clBlue);

    grid.FocusCell(1, 3);
    dialog.btnDel->Click();
    EXPECT_EQ(dialog.RowColors(), (std::vector<TColor>{0, clRed, 0, clBlue}));
    EXPECT_EQ(grid.Cells(3, 3), "c");
    grid.FocusCell(1, 2);
    dialog.btnDel->Click();
    dialog.btnOk->Click();
    ASSERT_EQ(item.FEvents.size(), 2u);
    EXPECT_EQ(item.FEvents[0].FontColor, clRed);
    EXPECT_EQ(item.FEvents[1].FontColor, clBlue);
    EXPECT_EQ(item.FEvents[1].EventName, "c");
}

TEST_F(EventDialogTest, TheColourCellOpensTheColourDialogAtTheRowsColour)
{
    item.FEvents = {MakeEvent(EncodeDate(2024, 1, 1), "a", clRed)};
    services->colorAnswers = {clAqua};
    TdlgEvent dialog(nullptr, item);
    ClickColourCell(dialog);
    ASSERT_EQ(services->colorRequests.size(), 1u);
    EXPECT_EQ(services->colorRequests[0], clRed);
    EXPECT_EQ(dialog.RowColors()[1], clAqua);
}

TEST_F(EventDialogTest, TheColourCellOfASystemColourOpensTheDialogAtTheColourShown)
{
    item.FEvents = {MakeEvent(EncodeDate(2024, 1, 1), "a", clWindowText)};
    services->colorAnswers = {testing_support::kColorDialogOk};
    TdlgEvent dialog(nullptr, item);
    ClickColourCell(dialog);
    ASSERT_EQ(services->colorRequests.size(), 1u);
    EXPECT_EQ(services->colorRequests[0], ColorToRGB(clWindowText));
    EXPECT_EQ(dialog.RowColors()[1], ColorToRGB(clWindowText));
}

TEST_F(EventDialogTest, DeletingTheOnlyRowEmptiesItAndOkLeavesNoEvents)
{
    item.FEvents = {MakeEvent(EncodeDate(2024, 1, 1), "a", clRed)};
    TdlgEvent dialog(nullptr, item);
    dialog.btnDel->Click();
    EXPECT_EQ(dialog.grdEvent->RowCount(), 2);
    EXPECT_EQ(dialog.grdEvent->Cells(1, 1), "");
    EXPECT_EQ(dialog.RowColors(), (std::vector<TColor>{0, 0}));
    dialog.btnOk->Click();
    EXPECT_EQ(dialog.ModalResult(), mrOk);
    EXPECT_TRUE(item.FEvents.empty());
}

// The dialog run modally, driven as a person does: its pop-ups take the mouse
// and the buttons' accelerators press them.
TEST_F(EventDialogTest, InTheModalDialogThePopupsTakeTheMouseAndAltPressesTheButtons)
{
    services->now = EncodeDate(2024, 1, 5) + 0.5;
    TdlgEvent dialog(nullptr, item);
    TModalResult result = RunModalScript(dialog, [&] {
        TMOStringGrid &grid = *dialog.grdEvent;
        TInplaceEdit3D *editor = ClickCell(grid, 1, 1);
        ASSERT_NE(editor, nullptr);
        ClickArrow(*editor);
        TMOPopupPanel *calendar = editor->CalendarPopup();
        ASSERT_NE(calendar, nullptr);
        SimulateClick(calendar->NextMonthButton(), TPoint{5, 5});
        EXPECT_EQ(calendar->TitleCaption().Caption(), "2024年02月");
        SimulateClick(calendar->PrevMonthButton(), TPoint{5, 5});
        TMOInplaceCalender &month = calendar->Calendar();
        TGridCoord day = month.CellOfDay(29);
        SimulateClick(month, Middle(month.CellRect(day.X, day.Y)));
        EXPECT_EQ(editor->CalendarPopup(), nullptr);
        EXPECT_EQ(grid.Cells(1, 1), "2024/01/29");

        // The marker list: a click on an item picks it and closes the list.
        editor = ClickCell(grid, 2, 1);
        ASSERT_NE(editor, nullptr);
        ClickArrow(*editor);
        TMODropList *list = editor->DropList();
        ASSERT_NE(list, nullptr);
        SimulateClick(*list, Middle(list->ItemRect(2)));
        EXPECT_EQ(editor->DropList(), nullptr);
        EXPECT_EQ(grid.Cells(2, 1), "▽");

        // Alt+A is 行追加(&A) and Alt+D 行削除(&D), from the grid's editor. (The
        // offscreen platform gives the focus to every pop-up shown, which a
        // window system does not: the dialog takes it back first.)
        ASSERT_TRUE(SimulateActivation(dialog));
        SimulateKey('A', ssAlt);
        EXPECT_EQ(grid.RowCount(), 3);
        EXPECT_EQ(grid.Row(), 2);
        SimulateKey('D', ssAlt);
        EXPECT_EQ(grid.RowCount(), 2);
        SimulateClick(*dialog.btnOk, TPoint{5, 5});
    });
    EXPECT_EQ(result, mrOk);
    ASSERT_EQ(item.FEvents.size(), 1u);
    EXPECT_EQ(item.FEvents[0].EventDate, EncodeDate(2024, 1, 29));
    EXPECT_EQ(item.FEvents[0].Marker, "▽");
}

// The dialog has no default button: Enter presses the button that has the
// focus, OK keeping the row deleted, キャンセル bringing it back.
TEST_F(EventDialogTest, EnterPressesTheFocusedOkOrCancel)
{
    for (bool onOk : {false, true}) {
        item.FEvents = {MakeEvent(EncodeDate(2024, 1, 29), "出荷", 0x0000FF)};
        TdlgEvent dialog(nullptr, item);
        TModalResult result = RunModalScript(dialog, [&] {
            SimulateClick(*dialog.btnDel, TPoint{5, 5});
            ASSERT_EQ(dialog.grdEvent->Cells(1, 1), "");
            ASSERT_TRUE(testing_support::TabTo(onOk ? *dialog.btnOk : *dialog.CancelBtn));
            SimulateKey(VK_RETURN);
        });
        EXPECT_EQ(result, onOk ? mrOk : mrCancel) << onOk;
        EXPECT_EQ(item.FEvents.size(), onOk ? 0u : 1u) << onOk;
    }
}

// The date column keeps the input method out and takes a date typed in
// full-width digits; the name column lets the input method in.
TEST_F(EventDialogTest, TheDateColumnKeepsTheInputMethodOutAndTakesFullWidthDigits)
{
    services->now = EncodeDate(2024, 1, 5) + 0.5;
    TdlgEvent dialog(nullptr, item);
    TModalResult result = RunModalScript(dialog, [&] {
        TMOStringGrid &grid = *dialog.grdEvent;
        SimulateClick(grid, Middle(grid.CellRect(1, 1)));
        ASSERT_EQ(FocusedControl(), grid.Editor());
        testing_support::TInputMethodAnswer date = testing_support::AskFocusedWindow();
        EXPECT_FALSE(date.enabled);
        EXPECT_TRUE(date.PrefersNumbers());
        SimulateKey(VK_HOME);
        SimulateTyping("２０２４／０１／２９");
        EXPECT_EQ(grid.Editor()->Text(), "2024/01/29");

        SimulateClick(grid, Middle(grid.CellRect(3, 1)));
        ASSERT_EQ(FocusedControl(), grid.Editor());
        testing_support::TInputMethodAnswer name = testing_support::AskFocusedWindow();
        EXPECT_TRUE(name.enabled);
        EXPECT_FALSE(name.PrefersNumbers());
        SimulateTyping("会議１");
        SimulateClick(*dialog.btnOk, TPoint{5, 5});
    });
    EXPECT_EQ(result, mrOk);
    ASSERT_EQ(item.FEvents.size(), 1u);
    EXPECT_EQ(item.FEvents[0].EventDate, EncodeDate(2024, 1, 29));
    EXPECT_EQ(item.FEvents[0].EventName, "会議１");
}

// Driven as a person does: the size list scrolls to its last sizes under the
// wheel, and Ctrl+V pastes the clipboard's first line into the name cell.
TEST_F(EventDialogTest, TheSizeListScrollsByTheWheelAndTheNameCellTakesAPaste)
{
    TScopedSystemParameters parameters;
    SystemParameters().WheelScrollLines = 3;
    TdlgEvent dialog(nullptr, item);
    TModalResult result = RunModalScript(dialog, [&] {
        TMOStringGrid &grid = *dialog.grdEvent;
        DateThenNameCell(grid, "20240301");
        ASSERT_EQ(FocusedControl(), grid.Editor());
        SimulateClipboard("打合せ\r\n二行目");
        SimulateKey('V', ssCtrl);
        EXPECT_EQ(grid.Editor()->Text(), "打合せ");
        SimulateKey(VK_HOME, ssShift);
        SimulateKey('C', ssCtrl);
        SimulateKey(VK_END);
        SimulateKey('V', ssCtrl);
        EXPECT_EQ(grid.Editor()->Text(), "打合せ打合せ");

        TInplaceEdit3D *editor = ClickCell(grid, 5, 1);
        ASSERT_NE(editor, nullptr);
        ClickArrow(*editor);
        TMODropList *list = editor->DropList();
        ASSERT_NE(list, nullptr);
        ASSERT_NE(list->ScrollBar(), nullptr);
        SimulateWheel(*list, Middle(list->ItemRect(0)), -120);
        SimulateWheel(*list, Middle(list->ItemRect(3)), -120);
        EXPECT_EQ(list->TopIndex(), 5);
        SimulateClick(*list, Middle(list->ItemRect(20)));
        EXPECT_EQ(grid.Cells(5, 1), "42");
        SimulateClick(*dialog.btnOk, TPoint{5, 5});
    });
    EXPECT_EQ(result, mrOk);
    ASSERT_EQ(item.FEvents.size(), 1u);
    EXPECT_EQ(item.FEvents[0].EventName, "打合せ打合せ");
    EXPECT_EQ(item.FEvents[0].FontSize, 42);
}

// Esc while a cell holds a change takes the change back and the dialog stays;
// Esc with nothing to take back is キャンセル, and the row keeps its events.
TEST_F(EventDialogTest, EscRestoresAnEditedCellAndOtherwiseCancels)
{
    item.FEvents = {MakeEvent(EncodeDate(2024, 2, 1), "既存", clRed)};
    TdlgEvent dialog(nullptr, item);
    TModalResult result = RunModalScript(dialog, [&] {
        TMOStringGrid &grid = *dialog.grdEvent;
        SimulateClick(grid, Middle(grid.CellRect(3, 1)));
        ASSERT_EQ(FocusedControl(), grid.Editor());
        SimulateKey(VK_END);
        SimulateTyping("会議");
        EXPECT_EQ(grid.Cells(3, 1), "既存会議");
        SimulateKey(VK_ESCAPE);
        EXPECT_EQ(grid.Cells(3, 1), "既存");
        EXPECT_EQ(grid.Editor()->Text(), "既存");
        EXPECT_EQ(dialog.ModalResult(), mrNone);

        SimulateClick(grid, Middle(grid.CellRect(1, 1)));
        SimulateKey(VK_HOME);
        SimulateTyping("2025");
        SimulateKey(VK_ESCAPE);
        EXPECT_EQ(grid.Cells(1, 1), "2024/02/01");
        EXPECT_EQ(dialog.ModalResult(), mrNone);
        SimulateKey(VK_ESCAPE);
    });
    EXPECT_EQ(result, mrCancel);
    ASSERT_EQ(item.FEvents.size(), 1u);
    EXPECT_EQ(item.FEvents[0].EventName, "既存");
    EXPECT_EQ(item.FEvents[0].EventDate, EncodeDate(2024, 2, 1));
    EXPECT_FALSE(Modified);
}

// Two clicks at a brisk pace (the second press comes as a double click) on
// 行追加 add two rows, and on 行削除 delete two.
TEST_F(EventDialogTest, QuickClicksOnTheRowButtonsEachAddOrDeleteARow)
{
    item.FEvents = {MakeEvent(EncodeDate(2024, 1, 1), "a", clRed)};
    TdlgEvent dialog(nullptr, item);
    TModalResult result = RunModalScript(dialog, [&] {
        TMOStringGrid &grid = *dialog.grdEvent;
        SimulateDoubleClick(*dialog.btnAdd, TPoint{5, 5});
        EXPECT_EQ(grid.RowCount(), 4);
        EXPECT_EQ(dialog.RowColors(), (std::vector<TColor>{0, clRed, 0, 0}));
        SimulateDoubleClick(*dialog.btnDel, TPoint{5, 5});
        EXPECT_EQ(grid.RowCount(), 2);
        EXPECT_EQ(grid.Cells(3, 1), "a");
        SimulateClick(*dialog.btnOk, TPoint{5, 5});
    });
    EXPECT_EQ(result, mrOk);
    ASSERT_EQ(item.FEvents.size(), 1u);
    EXPECT_EQ(item.FEvents[0].FontColor, clRed);
}

// A date typed over the cell's: the cell's calendar opens at the typed date,
// and Esc closes it leaving the typed text, whatever month it was stepped
// to; a day picked in it is written.
TEST_F(EventDialogTest, TheDateCellsCalendarOpensAtTheTypedDateAndEscKeepsTheText)
{
    TodayWithAnEventAhead();
    TdlgEvent dialog(nullptr, item);
    TModalResult result = RunModalScript(dialog, [&] {
        TMOStringGrid &grid = *dialog.grdEvent;
        TInplaceEdit3D *editor = TypeDate(dialog, "20270131");
        ASSERT_NE(editor, nullptr);
        ASSERT_EQ(editor->Text(), "2027/01/31");
        ClickArrow(*editor);
        TMOPopupPanel *calendar = editor->CalendarPopup();
        ASSERT_NE(calendar, nullptr);
        EXPECT_EQ(calendar->Calendar().Date(), EncodeDate(2027, 1, 31));
        EXPECT_EQ(calendar->TitleCaption().Caption(), "2027年01月");
        SimulateClick(calendar->NextMonthButton(), TPoint{5, 5});
        ASSERT_EQ(calendar->TitleCaption().Caption(), "2027年02月");
        SimulateKey(VK_ESCAPE);
        EXPECT_EQ(editor->CalendarPopup(), nullptr);
        EXPECT_EQ(editor->Text(), "2027/01/31");
        EXPECT_EQ(grid.Cells(1, 1), "2027/01/31");
        EXPECT_EQ(dialog.ModalResult(), mrNone);

        ClickArrow(*editor);
        calendar = editor->CalendarPopup();
        ASSERT_NE(calendar, nullptr);
        EXPECT_EQ(calendar->Calendar().Date(), EncodeDate(2027, 1, 31));
        TMOInplaceCalender &month = calendar->Calendar();
        TGridCoord day = month.CellOfDay(15);
        SimulateClick(month, Middle(month.CellRect(day.X, day.Y)));
        EXPECT_EQ(editor->CalendarPopup(), nullptr);
        EXPECT_EQ(grid.Cells(1, 1), "2027/01/15");
        SimulateClick(*dialog.btnOk, TPoint{5, 5});
    });
    EXPECT_EQ(result, mrOk);
    ASSERT_EQ(item.FEvents.size(), 1u);
    EXPECT_EQ(item.FEvents[0].EventDate, EncodeDate(2027, 1, 15));
    EXPECT_EQ(item.FEvents[0].EventName, "出荷");
}

// A calendar closed by its arrow or by the focus going to OK, untouched,
// leaves the typed text: a text that is no date is reported, not replaced by
// today. A month stepped to before the arrow closes it is written.
TEST_F(EventDialogTest, TheDateCellsCalendarClosedUntouchedKeepsTheTypedText)
{
    TodayWithAnEventAhead();
    TdlgEvent dialog(nullptr, item);
    TModalResult result = RunModalScript(dialog, [&] {
        TMOStringGrid &grid = *dialog.grdEvent;
        TInplaceEdit3D *editor = TypeDate(dialog, "20270131");
        ASSERT_NE(editor, nullptr);
        ClickArrow(*editor);
        ASSERT_NE(editor->CalendarPopup(), nullptr);
        Key(Input(dialog), VK_NEXT);
        ClickArrow(*editor);
        EXPECT_EQ(editor->CalendarPopup(), nullptr);
        EXPECT_EQ(grid.Cells(1, 1), "2027/02/28");

        ASSERT_EQ(TypeDate(dialog, "20271301"), editor);
        ClickArrow(*editor);
        TMOPopupPanel *calendar = editor->CalendarPopup();
        ASSERT_NE(calendar, nullptr);
        EXPECT_EQ(calendar->Calendar().Date(), EncodeDate(2026, 12, 10));
        ClickArrow(*editor);
        EXPECT_EQ(editor->CalendarPopup(), nullptr);
        EXPECT_EQ(editor->Text(), "2027/13/01");

        ClickArrow(*editor);
        ASSERT_NE(editor->CalendarPopup(), nullptr);
        SimulateClick(*dialog.btnOk, TPoint{5, 5});
        EXPECT_EQ(editor->CalendarPopup(), nullptr);
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_EQ(services->messages[0].text, "'2027/13/01' は正しい日付ではありません。");
        EXPECT_EQ(dialog.ModalResult(), mrNone);
        SimulateClick(*dialog.CancelBtn, TPoint{5, 5});
    });
    EXPECT_EQ(result, mrCancel);
    ASSERT_EQ(item.FEvents.size(), 1u);
    EXPECT_EQ(item.FEvents[0].EventDate, EncodeDate(2026, 12, 20));
}

// Alt and a letter that is no button's stays out of the cell being edited
// and beeps; the buttons' access keys still work from the cell.
TEST_F(EventDialogTest, AnAltLetterThatMatchesNothingStaysOutOfTheCellBeingEdited)
{
    TdlgEvent dialog(nullptr, item);
    int beeps = 0;
    TModalResult result = RunModalScript(dialog, [&] {
        TMOStringGrid &grid = *dialog.grdEvent;
        DateThenNameCell(grid, "20240301");
        ASSERT_EQ(FocusedControl(), grid.Editor());
        SimulateTyping("会議");
        beeps = MessageBeepCount();
        SimulateKey('Q', ssAlt);
        SimulateKey('Z', ssAlt);
        EXPECT_EQ(grid.Editor()->Text(), "会議");
        beeps = MessageBeepCount() - beeps;
        SimulateKey('A', ssAlt); // 行追加(&A)
        EXPECT_EQ(grid.RowCount(), 3);
        SimulateClick(*dialog.btnOk, TPoint{5, 5});
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(beeps, 2);
    ASSERT_EQ(item.FEvents.size(), 1u);
    EXPECT_EQ(item.FEvents[0].EventName, "会議");
}
