// Editing the chart as a person does: real mouse and key events on the shown
// main window, checked in the model.
#include "MainFixture.h"

#include "platform/services/InputSimulation.h"
#include "schedule/ItemHeight.h"
#include "schedule/ItemMove.h"
#include "tests/KeyInput.h"
#include "tests/ModalScript.h"
#include "tests/PopupMenus.h"
#include "tests/ShownSelection.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

using testing_support::Middle;
using testing_support::WhenDialogActive;
using testing_support::SelectionPixels;

class MouseEditing : public ::testing::Test {
protected:
    TStartup startup;
    TfrmMain form{nullptr, "", false};

    void SetUp() override
    {
        form.SetBounds(0, 0, 900, 600);
        StartDate = form.FDocStartDate = EncodeDate(2024, 1, 1);
        form.AddItem();
        form.AddItem();
        form.UpdateScrollRange();
        ASSERT_TRUE(SimulateActivation(form));
        form.RedrawChart();
        Modified = false;
    }
    void TearDown() override { form.Hide(); }

    static int Day() { return RoundInt(PixelsPerDay); }
    static TShape &Band(int row, int line = 0)
    {
        return *ItemList[static_cast<size_t>(row)]->FLines[static_cast<size_t>(line)];
    }
    static TMemo &Caption(int row) { return *ItemList[static_cast<size_t>(row)]->FMemo; }
    // A point of `to`, in the coordinates of `from`.
    static TPoint Into(const TControl &from, const TControl &to, TPoint p)
    {
        return from.ScreenToClient(to.ClientToScreen(p));
    }
    // A bar put by a click on the band in put-chart mode, in the middle of day `day`.
    TChart &Put(int row, int day, int line = 0)
    {
        form.FPutChartMode = true;
        SimulateClick(Band(row, line), TPoint{RoundInt((day + 0.5) * PixelsPerDay), 2});
        return *SelectedChart;
    }
    static void Drag(TChart &chart, int fromX, int toX) { SimulateDrag(*chart.FBar, TPoint{fromX, 3}, TPoint{toX, 3}); }
};

} // namespace

TEST_F(MouseEditing, ABarMovesByTheDaysDraggedAndAPressWithoutMovementChangesNothing)
{
    TChart &bar = Put(0, 1);
    ASSERT_EQ(ItemList[0]->FCharts.size(), 1u);
    EXPECT_EQ(bar.FStartDate, EncodeDate(2024, 1, 2));
    EXPECT_FALSE(form.FPutChartMode);
    TDateTime start = bar.FStartDate, end = bar.FEndDate;
    Modified = false;

    Drag(bar, 20, 20);
    EXPECT_EQ(bar.FStartDate, start);
    EXPECT_EQ(bar.FEndDate, end);
    EXPECT_EQ(ChartDragState, 3);
    EXPECT_TRUE(form.SavePrompt());
    EXPECT_TRUE(startup.services->messages.empty());

    SimulateMousePress(*bar.FBar, TPoint{20, 3});
    SimulateMouseMove(*bar.FBar, TPoint{20 + 2 * Day(), 3});
    EXPECT_TRUE(form.pnlChartSelect->Visible());
    EXPECT_EQ(form.pnlChartSelect->Left(), bar.FBar->Left() + 2 * Day());
    EXPECT_EQ(form.stb1->PanelText(1), "開始2024/01/04  終了2024/01/04");
    SimulateMouseRelease(*bar.FBar, TPoint{20 + 2 * Day(), 3});
    EXPECT_EQ(bar.FStartDate, start + 2);
    EXPECT_EQ(bar.FEndDate, end + 2);
    EXPECT_TRUE(Modified);
    EXPECT_EQ(bar.FBar->Left(), DateToPixel(PixelsPerDay, start + 2));
    EXPECT_FALSE(form.pnlChartSelect->Visible());
    EXPECT_EQ(form.stb1->PanelText(1), "");
}

TEST_F(MouseEditing, DraggingAnEdgeOntoTheOtherLeavesOneDay)
{
    TChart &bar = Put(0, 3);
    TDateTime start = bar.FStartDate;
    Drag(bar, bar.FBar->WidthEx() - 1, -3 * Day());
    EXPECT_EQ(bar.FStartDate, start);
    EXPECT_EQ(bar.FEndDate, start + 1);
    EXPECT_EQ(bar.FDuration, 1);

    Drag(bar, 1, 5 * Day());
    EXPECT_EQ(bar.FEndDate, start + 1);
    EXPECT_EQ(bar.FStartDate, start);

    // Below half a pixel per day the dragged edge still moves far enough.
    CustomTimeScale = 5000;
    SimulateClick(*form.tbcCalSelect, Middle(form.tbcCalSelect->TabRect(9)));
    ASSERT_EQ(DaysShown, 5000);
    ASSERT_LT(PixelsPerDay, 0.5);
    EXPECT_EQ(form.scb2->LargeChange(), 5000 / 3);
    Drag(bar, bar.FBar->WidthEx(), -50);
    EXPECT_GT(bar.FEndDate, bar.FStartDate);
    EXPECT_GE(bar.FDuration, 1);
    CustomTimeScale = 7;
}

TEST_F(MouseEditing, ABarDraggedOffTheChartIsHiddenAndKeepsAPositiveWidth)
{
    TChart &bar = Put(0, 0);
    Drag(bar, 20, 20 - 30 * Day());
    EXPECT_FALSE(bar.FBar->Visible());
    EXPECT_GE(bar.FBar->Width(), 1);
    EXPECT_EQ(bar.FBar->Left(), -10);
    EXPECT_EQ(bar.FStartDate, StartDate - 30);
}

TEST_F(MouseEditing, AutoMovePushesTheNextBarOnlyWhenOn)
{
    TChart &first = Put(0, 0);
    TChart &second = Put(0, 3);
    TDateTime secondStart = second.FStartDate;
    Drag(first, 20, 20 + 3 * Day());
    EXPECT_EQ(first.FStartDate, EncodeDate(2024, 1, 4));
    EXPECT_EQ(second.FStartDate, first.FEndDate);
    EXPECT_GT(second.FStartDate, secondStart);

    AutoMove = false;
    TChart &third = Put(1, 0);
    TChart &fourth = Put(1, 3);
    Drag(third, 20, 20 + 3 * Day());
    EXPECT_EQ(third.FStartDate, fourth.FStartDate);
    EXPECT_EQ(fourth.FStartDate, secondStart);
    AutoMove = true;
}

// Near either end of the calendar a bar put, moved, stretched or pushed keeps
// its dates within 0001/01/01..9999/12/31, and the document saved opens again.
TEST_F(MouseEditing, BarsEditedAtTheCalendarsEndsStayInIt)
{
    StartDate = form.FDocStartDate = LastFittingStart(DaysShown);
    form.RedrawChart();
    // A bar put on the last day would end past it: it is held there.
    TChart &last = Put(0, DaysShown - 1);
    EXPECT_EQ(last.FStartDate, LastDate);
    EXPECT_EQ(last.FEndDate, LastDate);
    EXPECT_EQ(last.FDuration, 0);

    // Moved past the end, a bar stops against it with its length.
    TChart &moved = Put(1, 2);
    ASSERT_EQ(moved.FDuration, 1);
    Drag(moved, 20, 20 + 10 * Day());
    EXPECT_EQ(moved.FStartDate, LastDate - 1);
    EXPECT_EQ(moved.FEndDate, LastDate);
    // Its start, stretched back and its end stretched past, stop at the day dragged and at the end.
    Drag(moved, 1, 1 - 2 * Day());
    EXPECT_EQ(moved.FStartDate, LastDate - 3);
    Drag(moved, moved.FBar->WidthEx() - 1, moved.FBar->WidthEx() - 1 + 10 * Day());
    EXPECT_EQ(moved.FEndDate, LastDate);
    EXPECT_EQ(moved.FDuration, 3);

    // A bar pushed by one moved onto it ends on the last day at the latest.
    TChart &pushed = Put(0, 5);
    ASSERT_TRUE(AutoMove);
    TChart &pusher = Put(0, 3);
    Drag(pusher, 20, 20 + 2 * Day());
    EXPECT_EQ(pusher.FStartDate, LastDate - 1);
    EXPECT_EQ(pushed.FStartDate, LastDate);
    EXPECT_EQ(pushed.FEndDate, LastDate);
    EXPECT_EQ(pushed.FDuration, 0);
    for (const auto &row : ItemList)
        for (const auto &bar : row->FCharts) {
            EXPECT_EQ(HeldToCalendar(bar->FStartDate), bar->FStartDate);
            EXPECT_EQ(HeldToCalendar(bar->FEndDate), bar->FEndDate);
        }

    // At the first days a bar moved or stretched before them stops at the first day.
    form.AddItem();
    form.UpdateScrollRange();
    StartDate = form.FDocStartDate = FirstDate;
    form.RedrawChart();
    TChart &first = Put(2, 1);
    Drag(first, 20, 20 - 10 * Day());
    EXPECT_EQ(first.FStartDate, FirstDate);
    EXPECT_EQ(first.FEndDate, FirstDate + 1);
    Drag(first, first.FBar->WidthEx() - 1, first.FBar->WidthEx() - 1 + 2 * Day());
    Drag(first, 1, 1 - 10 * Day());
    EXPECT_EQ(first.FStartDate, FirstDate);
    EXPECT_EQ(first.FEndDate, FirstDate + 3);

    const std::string path = startup.dir.File("ends.xml");
    ASSERT_TRUE(WriteXmlFile(form, path));
    form.FreeDocument();
    form.NewDocument();
    ReadXmlFile(form, path);
    ASSERT_EQ(ItemList.size(), 3u);
    ASSERT_EQ(ItemList[1]->FCharts.size(), 1u);
    EXPECT_EQ(ItemList[1]->FCharts[0]->FStartDate, LastDate - 3);
    EXPECT_EQ(ItemList[1]->FCharts[0]->FEndDate, LastDate);
    ASSERT_EQ(ItemList[2]->FCharts.size(), 1u);
    EXPECT_EQ(ItemList[2]->FCharts[0]->FStartDate, FirstDate);
    EXPECT_EQ(ItemList[2]->FCharts[0]->FEndDate, FirstDate + 3);
}

TEST_F(MouseEditing, PutChartModeAddsExactlyOneBarAndEscEndsTheModes)
{
    Put(0, 2);
    SimulateClick(Band(0), TPoint{10, 2});
    EXPECT_EQ(ItemList[0]->FCharts.size(), 1u);
    EXPECT_EQ(form.cmbAlignment->Text(), "中央");

    form.FPutChartMode = true;
    GroupSetColor = 0x123456;
    SimulateKey(VK_ESCAPE);
    EXPECT_FALSE(form.FPutChartMode);
    EXPECT_EQ(GroupSetColor, static_cast<TColor>(-1));
    SimulateClick(Band(1), TPoint{10, 2});
    EXPECT_TRUE(ItemList[1]->FCharts.empty());
}

TEST_F(MouseEditing, GroupSetModePaintsTheBarWithoutMovingIt)
{
    TChart &bar = Put(0, 1);
    TDateTime start = bar.FStartDate;
    GroupSetName = "A";
    GroupSetColor = 0x00FF00;
    Drag(bar, 20, 20 + 2 * Day());
    EXPECT_EQ(bar.FGroup, "A");
    EXPECT_EQ(bar.FBar->Color(), 0x00FF00);
    EXPECT_EQ(bar.FStartDate, start);
    EXPECT_NE(bar.FBar->Cursor(), 6);
    GroupSetColor = static_cast<TColor>(-1);
}

TEST_F(MouseEditing, ShiftDragCarriesABarToAnotherRowsSecondLine)
{
    form.SetLineCount(*ItemList[1], 2);
    form.RedrawChart();
    TChart &bar = Put(0, 1);
    TDateTime start = bar.FStartDate;
    SimulateDrag(*bar.FBar, TPoint{5, 3}, Into(*bar.FBar, Band(1, 1), TPoint{5 * Day(), 3}), ssShift);
    ASSERT_EQ(ItemList[1]->FCharts.size(), 1u);
    EXPECT_TRUE(ItemList[0]->FCharts.empty());
    EXPECT_EQ(&bar, ItemList[1]->FCharts[0].get());
    EXPECT_EQ(bar.FLine, 1);
    EXPECT_EQ(bar.FBar->Tag(), 1);
    EXPECT_EQ(bar.FBar->Top(), Band(1, 1).Top() + Band(1, 1).Height() / 5);
    EXPECT_EQ(bar.FStartDate, start);
    EXPECT_EQ(SelectedItem, ItemList[1].get());
    EXPECT_EQ(ChartDragState, 3);
    EXPECT_TRUE(Modified);
}

TEST_F(MouseEditing, LineBandsTakeOnlyBarsAndCaptionsOnlyCaptions)
{
    TChart &bar = Put(0, 1);
    TItem *first = ItemList[0].get();

    // A bar dropped on a row caption moves nothing.
    SimulateDrag(*bar.FBar, TPoint{5, 3}, Into(*bar.FBar, Caption(1), TPoint{10, 5}), ssShift);
    EXPECT_EQ(ItemList[0].get(), first);
    EXPECT_EQ(ItemList[0]->FCharts.size(), 1u);

    // A caption dropped on a line band moves nothing (no bar is selected then).
    SimulateDrag(Caption(0), TPoint{10, 5}, Into(Caption(0), Band(1), TPoint{10, 3}), ssShift);
    EXPECT_EQ(ItemList[0].get(), first);
    EXPECT_EQ(ItemList[0]->FCharts.size(), 1u);
    EXPECT_TRUE(ItemList[1]->FCharts.empty());
    // Nor does a bar's drop when no bar is selected.
    SelectedChart = nullptr;
    Band(1).OnDragDrop(&Band(1), bar.FBar.get(), 5, 5);
    EXPECT_TRUE(ItemList[1]->FCharts.empty());

    // A caption dropped on another caption moves its row there.
    SimulateDrag(Caption(0), TPoint{10, 5}, Into(Caption(0), Caption(1), TPoint{10, 5}), ssShift);
    EXPECT_EQ(ItemList[1].get(), first);
    EXPECT_EQ(form.lblItemSuu->Caption(), "項目：2/2");
}

TEST_F(MouseEditing, DeleteRemovesTheSelectedBarOnlyOutsideTextEditing)
{
    TChart &bar = Put(0, 1);
    for (TWinControl *box : std::initializer_list<TWinControl *>{form.cmbFontName, form.cmbFontSize}) {
        SimulateClick(*bar.FBar, TPoint{5, 3});
        ASSERT_EQ(SelectedChart, &bar);
        SimulateClick(*box, TPoint{5, 5});
        ASSERT_EQ(FocusedControl(), box);
        SimulateKey(VK_HOME);
        SimulateKey(VK_DELETE);
        EXPECT_EQ(ItemList[0]->FCharts.size(), 1u);
    }
    EXPECT_EQ(form.cmbFontSize->Text(), "");

    // Focusing the title deselects the bar; a bar selected since is still safe.
    SimulateClick(*form.edtHdTitle, TPoint{5, 5});
    ASSERT_EQ(FocusedControl(), form.edtHdTitle);
    SimulateTyping("ab");
    form.SelectChart(bar);
    SimulateKey(VK_HOME);
    SimulateKey(VK_DELETE);
    EXPECT_EQ(form.edtHdTitle->Text(), "b");
    EXPECT_EQ(ItemList[0]->FCharts.size(), 1u);

    // In the bar's text editor Delete edits the text.
    SimulateDoubleClick(*bar.FBar, TPoint{5, 3});
    ASSERT_EQ(FocusedControl(), form.memChartComment);
    SimulateKey(VK_DELETE);
    EXPECT_EQ(ItemList[0]->FCharts.size(), 1u);

    SimulateClick(*bar.FBar, TPoint{5, 3});
    EXPECT_EQ(FocusedControl(), form.txtDummy);
    SimulateKey(VK_DELETE);
    EXPECT_TRUE(ItemList[0]->FCharts.empty());
    EXPECT_EQ(SelectedChart, nullptr);
}

TEST_F(MouseEditing, DoubleClickOpensTheTextEditorAndLeavingItCommits)
{
    TChart &bar = Put(0, 1);
    SimulateDoubleClick(*bar.FBar, TPoint{5, 3});
    ASSERT_TRUE(form.memChartComment->Visible());
    EXPECT_EQ(form.memChartComment->Left(), bar.FBar->Left());
    ASSERT_EQ(FocusedControl(), form.memChartComment);
    Modified = false;
    SimulateTyping("新しい");
    EXPECT_TRUE(Modified);
    SimulateClick(*form.edtHdTitle, TPoint{5, 5});
    EXPECT_EQ(bar.FBar->Caption(), "新しい");
    EXPECT_FALSE(form.memChartComment->Visible());
}

TEST_F(MouseEditing, MenuShortcutsRunWhicheverControlHasTheFocus)
{
    // A new row's caption takes the focus; Ctrl+A there adds the next row
    // instead of selecting the caption's text.
    SimulateClick(Caption(1), TPoint{5, 5});
    ASSERT_EQ(FocusedControl(), &Caption(1));
    SimulateKey('A', ssCtrl);
    ASSERT_EQ(ItemList.size(), 3u);
    ASSERT_EQ(FocusedControl(), &Caption(2));
    SimulateKey('A', ssCtrl);
    ASSERT_EQ(ItemList.size(), 4u);
    EXPECT_EQ(FocusedControl(), &Caption(3));
    // Keys that are no menu shortcut still reach the caption.
    SimulateTyping("ab");
    SimulateKey(VK_LEFT, ssShift);
    SimulateKey(VK_DELETE);
    EXPECT_EQ(Caption(3).Text(), "a");

    // After a click on a bar the focus is in the hidden edit.
    TChart &bar = Put(0, 1);
    SimulateClick(*bar.FBar, TPoint{5, 3});
    ASSERT_EQ(FocusedControl(), form.txtDummy);
    SimulateKey('A', ssCtrl);
    EXPECT_EQ(ItemList.size(), 5u);
    SimulateClick(*bar.FBar, TPoint{5, 3});
    SimulateKey('R', ssCtrl);
    EXPECT_TRUE(ItemList[0]->FCharts.empty());

    // The title box too; and Ctrl+H arms the put-chart mode from there.
    SimulateClick(*form.edtHdTitle, TPoint{5, 5});
    ASSERT_EQ(FocusedControl(), form.edtHdTitle);
    SimulateKey('H', ssCtrl);
    EXPECT_TRUE(form.FPutChartMode);
    SimulateKey(VK_ESCAPE);
    // A disabled command leaves its key to the control.
    form.mitItemAdd->SetEnabled(false);
    SimulateTyping("xy");
    SimulateKey('A', ssCtrl);
    SimulateKey(VK_DELETE);
    EXPECT_EQ(ItemList.size(), 5u);
    EXPECT_EQ(form.edtHdTitle->Text(), "") << "Ctrl+A selected the title's text, which Delete removed";
    form.mitItemAdd->SetEnabled(true);
}

// ---------------------------------------------------------------- the chart popup

TEST_F(MouseEditing, TheChartPopupOffersToAddABarOnlyOverALineBandThatStillExists)
{
    TChart &bar = Put(0, 1);
    bar.FJisseki = 1;
    bar.FRitsu = 50;
    bar.ProgressBarNeeded().SetShowHint(true);
    form.RedrawChart();
    TBevelLabel &strip = *bar.FProgressBar;
    ASSERT_TRUE(strip.Visible());

    // A right click on row 1's band offers チャートの追加 there.
    SimulateNextMenuChoice("");
    SimulateClick(Band(1), TPoint{3 * Day(), 2}, mbRight);
    EXPECT_TRUE(form.mitChartAdd2->Enabled());
    ASSERT_EQ(form.FPopupBand, &Band(1));
    // Row 1 goes, and its band with it.
    form.SelectItem(ItemList[1].get());
    startup.services->answer = IDYES;
    form.mitItemDelete->Click();
    ASSERT_EQ(ItemList.size(), 1u);
    EXPECT_EQ(form.FPopupBand, nullptr);

    // The progress strip and the drag preview open the chart's popup too:
    // nothing there is a place for a new bar.
    auto chooseAddOn = [&](TControl &target, TPoint p) {
        SimulateNextMenuChoice("チャートの追加(&I)");
        SimulateClick(target, p, mbRight);
        EXPECT_FALSE(form.mitChartAdd2->Enabled());
        EXPECT_EQ(ItemList[0]->FCharts.size(), 1u);
    };
    chooseAddOn(strip, TPoint{2, 3});
    // As a left press on a bar leaves it until the release.
    form.pnlChartSelect->SetBounds(5 * Day(), Band(0).Top() + 2, Day(), 4);
    form.pnlChartSelect->Show();
    form.pnlChartSelect->BringToFront();
    chooseAddOn(*form.pnlChartSelect, TPoint{2, 2});
    form.pnlChartSelect->Hide();

    // Over a band the choice adds the bar where the click was.
    SimulateNextMenuChoice("チャートの追加(&I)");
    SimulateClick(Band(0), TPoint{RoundInt(4.5 * PixelsPerDay), 2}, mbRight);
    ASSERT_EQ(ItemList[0]->FCharts.size(), 2u);
    EXPECT_EQ(SelectedChart->FStartDate, EncodeDate(2024, 1, 5));
}

TEST_F(MouseEditing, ABandFreedByFewerLinesIsNoLongerThePopupsBand)
{
    form.SelectItem(ItemList[0].get());
    form.cmbChartCnt->SetText("2");
    form.cmbChartCntChange();
    ASSERT_EQ(ItemList[0]->FLineCount, 2);
    SimulateNextMenuChoice("");
    SimulateClick(Band(0, 1), TPoint{2 * Day(), 2}, mbRight);
    ASSERT_EQ(form.FPopupBand, &Band(0, 1));
    form.cmbChartCnt->SetText("1");
    form.cmbChartCntChange();
    ASSERT_EQ(ItemList[0]->FLineCount, 1);
    EXPECT_EQ(form.FPopupBand, nullptr);
    // The menu item still shows enabled from that click; choosing it adds nothing.
    form.mitChartAdd2->Click();
    EXPECT_TRUE(ItemList[0]->FCharts.empty());
}

// ---------------------------------------------------------------- the popups from the keyboard

namespace {

// Presses Down in the menu up now until `caption` is highlighted; the presses it took.
int DownTo(const std::string &caption)
{
    int presses = 0;
    for (; presses < 20 && ShownMenu() && ShownMenu()->Active != caption; ++presses)
        SimulateKey(VK_DOWN);
    return presses;
}

} // namespace

// Without a mouse: a row caption that has the focus opens the row popup at
// itself on Shift+F10 or the menu key, and the popup's items reach the row
// height and row move dialogs.
TEST_F(MouseEditing, TheRowPopupOpensAtTheFocusedCaptionAndReachesTheRowDialogsWithKeys)
{
    SimulateClick(Caption(1), TPoint{5, 5});
    ASSERT_EQ(FocusedControl(), &Caption(1));
    TItem &second = *ItemList[1];
    const int lineHeight = second.Height() / second.FLineCount;
    std::optional<TShownMenu> shown;
    int downs = 0, heightShown = 0;
    SimulateNextMenuInput([&] {
        shown = ShownMenu();
        downs = DownTo("項目高さ設定(&H)");
        WhenDialogActive<TdlgItemHeight>([&](TdlgItemHeight &d) {
            heightShown = d.speHeight->Value();
            SimulateKey(VK_UP);
            SimulateKey(VK_RETURN);
        });
        SimulateKey(VK_RETURN);
    });
    SimulateKey(VK_F10, ssShift);
    ASSERT_TRUE(shown);
    const TPoint origin = Caption(1).ClientToScreen(TPoint{0, 0});
    EXPECT_EQ(shown->TopLeft.X, origin.X);
    EXPECT_EQ(shown->TopLeft.Y, origin.Y);
    std::vector<std::string> captions;
    for (const TShownMenuItem &item : shown->Items)
        if (item.Enabled)
            captions.push_back(item.Caption);
    EXPECT_EQ(captions, (std::vector<std::string>{"項目の追加(&I)", "項目の挿入(&I)", "項目の削除(&D)", "イベント編集(&E)",
                                                  "カラーの変更(&C)", "文字色の変更(&N)", "項目高さ設定(&H)",
                                                  "項目を移動(&M)"}));
    EXPECT_EQ(downs, 7);
    EXPECT_EQ(heightShown, lineHeight);
    EXPECT_EQ(second.Height(), (lineHeight + 1) * second.FLineCount);
    EXPECT_EQ(form.stb1->PanelText(1), "項目の高さ:" + IntToStr(second.Height()));
    EXPECT_TRUE(Modified);

    // Tab to the first caption; the menu key and the item's accelerator move
    // it down. (The window manager gives the activation back to the window
    // once the dialog has gone; the test platform gives it to nothing.)
    ASSERT_TRUE(SimulateActivation(form));
    ASSERT_TRUE(testing_support::TabTo(Caption(0), true));
    TItem *first = ItemList[0].get();
    SimulateNextMenuInput([&] {
        WhenDialogActive<TdlgItemMove>([&](TdlgItemMove &d) {
            ASSERT_TRUE(testing_support::TabTo(*d.cmbRow));
            SimulateKey(VK_END);
            SimulateKey(VK_RETURN);
        });
        SimulateKey('M');
    });
    SimulateKey(VK_APPS);
    EXPECT_EQ(ItemList[1].get(), first);
    EXPECT_EQ(form.lblItemSuu->Caption(), "項目：2/2");
}

// The in-place bar editor opens the chart popup, with nothing to offer there;
// the hidden focus target and the title have no popup of ours, so Shift+F10
// leaves them alone and the menu key shows the toolkit's own edit menu.
TEST_F(MouseEditing, ThePopupKeysElsewhereOpenNothingToChoose)
{
    TChart &bar = Put(0, 1);
    SimulateDoubleClick(*bar.FBar, TPoint{5, 3});
    ASSERT_EQ(FocusedControl(), form.memChartComment);
    std::optional<TShownMenu> shown;
    SimulateNextMenuInput([&] { shown = ShownMenu(); });
    SimulateKey(VK_F10, ssShift);
    ASSERT_TRUE(shown);
    ASSERT_FALSE(shown->Items.empty());
    EXPECT_TRUE(std::none_of(shown->Items.begin(), shown->Items.end(),
                             [](const TShownMenuItem &item) { return item.Enabled; }));
    EXPECT_EQ(shown->Items[0].Caption, "チャートの追加(&I)");
    EXPECT_TRUE(form.memChartComment->Visible());
    EXPECT_EQ(FocusedControl(), form.memChartComment);
    SimulateKey(VK_ESCAPE);

    SimulateClick(*bar.FBar, TPoint{5, 3});
    ASSERT_EQ(FocusedControl(), form.txtDummy);
    Modified = false;
    for (TWinControl *control : std::initializer_list<TWinControl *>{form.txtDummy, form.edtHdTitle}) {
        control->SetFocus();
        EXPECT_FALSE(testing_support::OpensAMenu([] { SimulateKey(VK_F10, ssShift); }));
        EXPECT_TRUE(testing_support::OpensAMenu([] { SimulateKey(VK_APPS); }));
    }
    EXPECT_EQ(ItemList.size(), 2u);
    EXPECT_EQ(ItemList[0]->FCharts.size(), 1u);
    EXPECT_FALSE(Modified);
}

// A row caption shows its selection only while it has the focus: clicking
// another caption or turning to another window hides it, and the selection
// comes back with the focus.
TEST_F(MouseEditing, ARowCaptionShowsItsSelectionOnlyWhileItHasTheFocus)
{
    SimulateClick(Caption(0), TPoint{5, 5});
    SimulateTyping("設計");
    SimulateKey(VK_HOME, ssShift);
    ASSERT_GT(SelectionPixels(Caption(0)), 0);
    SimulateClick(Caption(1), TPoint{5, 5});
    ASSERT_EQ(FocusedControl(), &Caption(1));
    EXPECT_EQ(SelectionPixels(Caption(0)), 0);
    Caption(0).SetFocus();
    EXPECT_GT(SelectionPixels(Caption(0)), 0);
    SimulateApplicationDeactivation();
    EXPECT_EQ(SelectionPixels(Caption(0)), 0);
    ASSERT_TRUE(SimulateActivation(form));
    EXPECT_EQ(FocusedControl(), &Caption(0));
    EXPECT_GT(SelectionPixels(Caption(0)), 0);
}
