// Moving through time with real clicks on the shown main window.
#include "MainFixture.h"

#include "platform/services/InputSimulation.h"
#include "platform/core/Messages.h"
#include "tests/KeyInput.h"
#include "ToolbarClicks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using testing_support::Middle;

struct TNavBoard {
    TStartup startup;
    TfrmMain form{nullptr, "", false};
    bool active = false;
    explicit TNavBoard(TDateTime start)
    {
        form.SetBounds(0, 0, 900, 600);
        StartDate = form.FDocStartDate = start;
        active = SimulateActivation(form);
        form.RedrawChart();
    }
    ~TNavBoard() { form.Hide(); }
    std::string Range() const { return form.lblDateHanni->Caption(); }
    int Position() const { return form.scb2->Position(); }
    void Press(TSkinItem *button, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            ClickToolbarItem(*form.tlbMove, button);
    }
    void ChooseTab(int index) { SimulateClick(*form.tbcCalSelect, Middle(form.tbcCalSelect->TabRect(index))); }
    bool KeepsTheScrollInvariant() const
    {
        return StartDate == form.FDocStartDate + (Position() - form.FScrollOrigin);
    }
    // Saves the document under the name and opens it again, as from the recent files.
    bool SaveAndReopen(const std::string &name)
    {
        const std::string path = startup.root + name;
        if (!WriteXmlFile(form, path))
            return false;
        form.fnk1Select(path);
        return form.FFileName == path;
    }
    // Holds the date bar's arrow at the point for a second: it repeats some twenty times.
    void HoldDateBarArrow(TPoint arrow) const
    {
        TScrollBar &bar = *form.scb2;
        SimulateMousePress(bar, arrow);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1000);
        while (std::chrono::steady_clock::now() < until) {
            ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        SimulateMouseRelease(bar, arrow);
    }
};

} // namespace

TEST(Navigation, MonthStepsClampTheDayAndEveryStepKeepsTheScrollInvariant)
{
    TNavBoard board(EncodeDate(2024, 1, 31));
    ASSERT_TRUE(board.active);
    board.Press(board.form.btnMonthR);
    EXPECT_EQ(board.Range(), "2024/02/29～2024/03/06");
    EXPECT_EQ(board.Position(), 2000 + 29);

    board.Press(board.form.btnMonthR);
    board.Press(board.form.btnDayR, 2);
    EXPECT_EQ(StartDate, EncodeDate(2024, 3, 31));
    board.Press(board.form.btnMonthL);
    EXPECT_EQ(StartDate, EncodeDate(2024, 2, 29));
    EXPECT_TRUE(board.KeepsTheScrollInvariant());

    board.Press(board.form.btnInitDate);
    for (TSkinItem *step : {board.form.btnWeekR, board.form.btnWeekL, board.form.btnDayL, board.form.btnDayL}) {
        board.Press(step);
        EXPECT_TRUE(board.KeepsTheScrollInvariant());
    }
    EXPECT_EQ(StartDate, EncodeDate(2024, 1, 29));
}

TEST(Navigation, FiftyYearsLeftGrowTheRangeAndTheFirstDateComesBack)
{
    TNavBoard board(EncodeDate(2024, 1, 31));
    ASSERT_TRUE(board.active);
    board.Press(board.form.btnYearL, 50);
    EXPECT_EQ(StartDate, EncodeDate(1974, 1, 31));
    EXPECT_EQ(board.Range(), "1974/01/31～1974/02/06");
    EXPECT_EQ(board.Position(), 0);
    EXPECT_EQ(board.form.FScrollOrigin, static_cast<int>(EncodeDate(2024, 1, 31) - EncodeDate(1974, 1, 31)));
    EXPECT_EQ(board.form.scb2->Max(), 4000 - 2000 + board.form.FScrollOrigin);
    board.Press(board.form.btnInitDate);
    EXPECT_EQ(StartDate, EncodeDate(2024, 1, 31));
    EXPECT_EQ(board.Range(), "2024/01/31～2024/02/06");
    EXPECT_EQ(board.Position(), board.form.FScrollOrigin);

    // Right past the end grows the maximum with the position.
    board.Press(board.form.btnYearR, 10);
    EXPECT_EQ(StartDate, EncodeDate(2034, 1, 31));
    EXPECT_EQ(board.Position(), board.form.scb2->Max());
    EXPECT_TRUE(board.KeepsTheScrollInvariant());
}

TEST(Navigation, YearStepFromLeapDayIsReportedAndChangesNothing)
{
    TNavBoard board(EncodeDate(2024, 2, 29));
    ASSERT_TRUE(board.active);
    board.Press(board.form.btnYearL);
    board.Press(board.form.btnYearR);
    const auto &messages = board.startup.services->messages;
    ASSERT_EQ(messages.size(), 2u);
    // The box names the day the step asked for.
    EXPECT_EQ(messages[0], "2023/02/29 は存在しない日付です。");
    EXPECT_EQ(messages[1], "2025/02/29 は存在しない日付です。");
    EXPECT_EQ(StartDate, EncodeDate(2024, 2, 29));
    EXPECT_EQ(board.Position(), 2000);
}

TEST(Navigation, TimeScaleTabsAndTheWheel)
{
    TNavBoard board(EncodeDate(2024, 1, 1));
    ASSERT_TRUE(board.active);
    board.ChooseTab(5);
    EXPECT_EQ(DaysShown, 95);
    EXPECT_EQ(board.form.scb2->LargeChange(), 31);
    board.ChooseTab(8);
    EXPECT_EQ(DaysShown, 730);
    EXPECT_EQ(board.form.scb2->LargeChange(), 243);
    // A custom scale of one day still pages by one day.
    CustomTimeScale = 1;
    board.ChooseTab(9);
    EXPECT_EQ(DaysShown, 1);
    EXPECT_EQ(board.form.scb2->LargeChange(), 1);
    CustomTimeScale = 7;

    for (int i = 0; i < 20; ++i)
        board.form.AddItem();
    board.form.UpdateScrollRange();
    auto &vertical = board.form.scb1->VertScrollBar();
    SimulateWheel(*board.form.pnlBase, TPoint{50, 50}, -120);
    LetTheWheelStandStill();
    EXPECT_EQ(vertical.Position(), 2 * vertical.Increment());
    SimulateWheel(*board.form.pnlBase, TPoint{50, 50}, 120);
    SimulateWheel(*board.form.pnlBase, TPoint{50, 50}, 120);
    LetTheWheelStandStill();
    EXPECT_EQ(vertical.Position(), 0);
}

namespace {

// A board of 40 rows whose wheel spins are counted in scrolls of the rows.
struct TWheelBoard : TNavBoard {
    TControlScrollBar &vertical;
    int step = 0;
    int scrolls = 0;
    TWheelBoard() : TNavBoard(EncodeDate(2024, 1, 1)), vertical(form.scb1->VertScrollBar())
    {
        for (int i = 0; i < 40; ++i)
            form.AddItem();
        form.UpdateScrollRange();
        ProcessMessages();
        step = 2 * vertical.Increment();
        const TNotifyEvent placeBars = form.scb1->OnScroll;
        form.scb1->OnScroll = [this, placeBars](TObject *sender) {
            ++scrolls;
            placeBars(sender);
        };
    }
    // `down` notches (negative: up) that arrive together.
    void Spin(int down) { SimulateWheelBurst(*form.pnlBase, TPoint{50, 50}, down > 0 ? -120 : 120, std::abs(down)); }
};

} // namespace

TEST(Navigation, NotchesOfTheWheelThatArriveTogetherScrollTheRowsOnceByEveryNotch)
{
    TWheelBoard board;
    ASSERT_TRUE(board.active);
    board.Spin(20);
    LetTheWheelStandStill();
    EXPECT_EQ(board.vertical.Position(), 20 * board.step);
    EXPECT_EQ(board.scrolls, 1);
    // Each notch stops at the top on its own: up past it, then down, is one step down.
    board.vertical.SetPosition(board.step / 2);
    board.scrolls = 0;
    board.Spin(-3);
    board.Spin(1);
    LetTheWheelStandStill();
    EXPECT_EQ(board.vertical.Position(), board.step);
    EXPECT_EQ(board.scrolls, 1);
}

TEST(Navigation, NotchesThatComeOneAfterTheOtherScrollTheRowsOnceHoweverTheLoopTakesThem)
{
    TWheelBoard board;
    ASSERT_TRUE(board.active);
    // Each notch is taken, and what it posts run, before the next comes.
    for (int i = 0; i < 5; ++i) {
        SimulateWheel(*board.form.pnlBase, TPoint{50, 50}, -120);
        ProcessMessages();
    }
    LetTheWheelStandStill();
    EXPECT_EQ(board.vertical.Position(), 5 * board.step);
    EXPECT_EQ(board.scrolls, 1);
    // Separate clicks, with the wheel still between them, scroll each.
    SimulateWheel(*board.form.pnlBase, TPoint{50, 50}, 120);
    LetTheWheelStandStill();
    SimulateWheel(*board.form.pnlBase, TPoint{50, 50}, 120);
    LetTheWheelStandStill();
    EXPECT_EQ(board.vertical.Position(), 3 * board.step);
    EXPECT_EQ(board.scrolls, 3);
}

TEST(Navigation, AWheelSpinAtTheBottomStopsEachNotchAtTheLastPosition)
{
    TWheelBoard board;
    ASSERT_TRUE(board.active);
    const int last = board.vertical.MaxPosition();
    ASSERT_GT(last, 2 * board.step);
    board.vertical.SetPosition(last - board.step / 2);
    ProcessMessages();
    board.scrolls = 0;
    // Down past the end, then one up: one step above the end, as notch by notch.
    board.Spin(3);
    board.Spin(-1);
    LetTheWheelStandStill();
    EXPECT_EQ(board.vertical.Position(), last - board.step);
    EXPECT_EQ(board.scrolls, 1);
}

TEST(Navigation, AWheelSpinMovesOnFromWhereAScrollBeforeItsTurnLeftTheRows)
{
    TWheelBoard board;
    ASSERT_TRUE(board.active);
    TfrmMain &form = board.form;
    board.Spin(2);
    ProcessMessages(); // the notches are taken; the rows have not moved yet
    ASSERT_EQ(board.vertical.Position(), 0);
    // A click on the caption of the row cut by the bottom edge brings it into view.
    const int bottom = board.vertical.Position() + form.scb1->ClientHeight();
    auto cut = std::find_if(ItemList.begin(), ItemList.end(),
                            [&](const auto &row) { return row->Top() < bottom && row->Top() + row->Height() > bottom; });
    ASSERT_NE(cut, ItemList.end());
    SimulateClick(*(*cut)->FMemo, TPoint{5, 5});
    const int broughtIntoView = board.vertical.Position();
    ASSERT_GT(broughtIntoView, 0);
    LetTheWheelStandStill();
    EXPECT_EQ(board.vertical.Position(), broughtIntoView + 2 * board.step);
}

TEST(Navigation, ResizingTheWindowRedrawsTheChartToItsNewWidth)
{
    TNavBoard board(EncodeDate(2024, 1, 1));
    ASSERT_TRUE(board.active);
    TfrmMain &form = board.form;
    SimulateWindowResize(form, 1200, 700);
    ASSERT_EQ(form.Width(), 1200);
    EXPECT_EQ(PixelsPerDay, form.pnlBase->Width() / 7.0L);
    EXPECT_GT(form.pnlBase->Width(), 900 - 200);
    // The date scroll bar starts under the chart and reaches the window's right edge.
    EXPECT_EQ(form.scb2->ClientToScreen({0, 0}).X, form.pnlBase->ClientToScreen({0, 0}).X);
    EXPECT_GE(form.scb2->ClientToScreen({form.scb2->Width(), 0}).X, form.ClientToScreen({form.ClientWidth(), 0}).X);
}

TEST(Navigation, MovingTheCaptionColumnSplitterKeepsTheHeaderOverTheChart)
{
    TNavBoard board(EncodeDate(2024, 1, 1));
    ASSERT_TRUE(board.active);
    TfrmMain &form = board.form;
    auto screenX = [](const TControl *c) { return c->ClientToScreen({0, 0}).X; };
    int width = form.pnlItem->Width();
    SimulateMousePress(*form.spl1, {1, 50});
    SimulateMouseMove(*form.spl1, {61, 50});
    EXPECT_EQ(form.stb1->PanelText(1), "項目の幅:" + std::to_string(width + 60));
    SimulateMouseRelease(*form.spl1, {61, 50});
    ASSERT_EQ(form.pnlItem->Width(), width + 60);
    EXPECT_EQ(form.stb1->PanelText(1), "項目の幅:" + std::to_string(form.spl1->Left()));
    for (const TControl *header : std::initializer_list<const TControl *>{form.tbcCalSelect, form.pnlTimeScale, form.scb2})
        EXPECT_EQ(screenX(header), screenX(form.pnlBase));
    EXPECT_EQ(form.pnlHead->Width(), form.tbcCalSelect->Left());
    EXPECT_EQ(form.edtHdTitle->Width(), form.pnlHead->Width() - 8);
    EXPECT_EQ(form.cmbChartCnt->Left() + form.cmbChartCnt->Width() + 3, form.pnlHead->Width());
    EXPECT_EQ(form.scb2->ClientToScreen({form.scb2->Width(), 0}).X, form.ClientToScreen({form.ClientWidth(), 0}).X);
    EXPECT_EQ(PixelsPerDay, form.pnlBase->Width() / 7.0L);
}

// In a narrow window the time-scale tabs scroll: the last of them is reached
// by the arrows, and the date range keeps following the tabs' right end.
TEST(Navigation, TheTimeScaleTabsOfANarrowWindowScrollToTheCustomScale)
{
    TNavBoard board(EncodeDate(2024, 1, 1));
    ASSERT_TRUE(board.active);
    TfrmMain &form = board.form;
    TTabControl &tabs = *form.tbcCalSelect;
    auto followsTheTabs = [&] { return form.lblDateHanni->Left() > tabs.BoundsRect().Right; };
    EXPECT_FALSE(tabs.ScrollArrowsShown());
    SimulateWindowResize(form, 480, 600);
    ProcessMessages();
    EXPECT_EQ(tabs.BoundsRect().Right, form.pnlDate->ClientWidth());
    ASSERT_TRUE(tabs.ScrollArrowsShown());
    EXPECT_TRUE(followsTheTabs());
    EXPECT_GT(tabs.TabRect(9).Right, tabs.Width());
    const TPoint rightArrow{tabs.Width() - 4, tabs.Height() / 2};
    int clicks = 0;
    for (TRect before; clicks < 20 && tabs.TabRect(9) != before; ++clicks) {
        before = tabs.TabRect(9);
        SimulateClick(tabs, rightArrow);
        ProcessMessages();
    }
    EXPECT_LT(tabs.TabRect(9).Right, rightArrow.X);
    board.ChooseTab(9);
    EXPECT_EQ(tabs.SelectedText(), "任意");
    EXPECT_EQ(DaysShown, CustomTimeScale);

    SimulateWindowResize(form, 900, 600);
    ProcessMessages();
    EXPECT_EQ(tabs.Width(), tabs.TabsWidth());
    EXPECT_FALSE(tabs.ScrollArrowsShown());
    EXPECT_TRUE(followsTheTabs());
    EXPECT_EQ(tabs.TabRect(9).Right, tabs.TabsWidth());

    // The date panel may take the window's new width only after the window's
    // resize handler has run (alignment held up meanwhile): the tabs follow
    // the panel all the same.
    {
        TAlignPause pause(form);
        SimulateWindowResize(form, 480, 600);
        ProcessMessages();
    }
    ProcessMessages();
    EXPECT_EQ(tabs.BoundsRect().Right, form.pnlDate->ClientWidth());
    EXPECT_TRUE(tabs.ScrollArrowsShown());
    EXPECT_TRUE(followsTheTabs());
}

// ---------------------------------------------------------------- the last date

TEST(Navigation, NoMoveShowsDaysPastTheLastDateAndTheChartRedrawsNearIt)
{
    TNavBoard board(EncodeDate(9999, 12, 20));
    ASSERT_TRUE(board.active);
    EXPECT_EQ(board.Range(), "9999/12/20～9999/12/26");
    auto &messages = board.startup.services->messages;
    const std::string refusal = " から 7 日間の表示は 9999/12/31 を越えるため、その日付にはできません。";
    board.Press(board.form.btnWeekR);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "9999/12/27" + refusal);
    board.Press(board.form.btnMonthR);
    board.Press(board.form.btnYearR);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(StartDate, EncodeDate(9999, 12, 20));
    EXPECT_TRUE(board.KeepsTheScrollInvariant());
    // The scroll bar's arrow (as its window reports it): a day at a time up
    // to the last start that fits.
    const int before = board.Position();
    for (int i = 0; i < 6; ++i)
        board.form.scb2->Scrolled(scLineDown, board.Position() + 1);
    EXPECT_EQ(StartDate, EncodeDate(9999, 12, 25));
    EXPECT_EQ(board.Position(), before + 5);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[3], "9999/12/26" + refusal);
    EXPECT_EQ(board.Range(), "9999/12/25～9999/12/31");
    board.Press(board.form.btnDayL);
    EXPECT_EQ(board.Range(), "9999/12/24～9999/12/30");
}

TEST(Navigation, ALongerScaleNearTheLastDateDrawsTheDaysThatAreDatesAndTheChartKeepsRedrawing)
{
    TNavBoard board(EncodeDate(9999, 12, 1));
    ASSERT_TRUE(board.active);
    board.ChooseTab(3);  // １ヶ月: 31 days, the last one past the last date
    ASSERT_EQ(DaysShown, 31);
    EXPECT_EQ(board.Range(), "9999/12/01～9999/12/31");
    StartDate = EncodeDate(9999, 6, 1);
    EXPECT_NO_THROW(board.form.RedrawChart());
    EXPECT_EQ(board.Range(), "9999/06/01～9999/07/01");
    board.form.btnInitDateClick(nullptr);
    StartDate = EncodeDate(2024, 1, 1);
    board.form.RedrawChart();
    EXPECT_EQ(board.Range(), "2024/01/01～2024/01/31");
}

TEST(Navigation, AfterTheWindowGrowsAndShrinksBackTheDateStripsEndWhereTheyDidAtFirst)
{
    TNavBoard board(EncodeDate(2024, 1, 1));
    ASSERT_TRUE(board.active);
    TfrmMain &form = board.form;
    SimulateWindowResize(form, 800, 600);
    auto strips = [&] {
        std::vector<TColor> pixels;
        for (TImage *strip : {form.imgYear, form.imgMonth, form.imgDay})
            for (int x = 0; x < 1400; ++x)
                pixels.push_back(strip->Bitmap().Pixel(x, 8));
        return pixels;
    };
    const std::vector<TColor> first = strips();
    const int chartEnd = form.pnlBase->Width() + 10;
    EXPECT_EQ(form.imgDay->Bitmap().Pixel(chartEnd + 2, 8), clWhite);
    SimulateWindowResize(form, 1270, 860);
    EXPECT_NE(strips(), first);
    SimulateWindowResize(form, 800, 600);
    EXPECT_EQ(form.pnlBase->Width() + 10, chartEnd);
    EXPECT_EQ(strips(), first) << "the strips of the wider window stay beyond the chart";
}

TEST(Navigation, AScaleWhoseDaysWouldPassTheLastDateIsRefusedAndItsTabGoesBack)
{
    TNavBoard board(EncodeDate(9999, 12, 20));
    ASSERT_TRUE(board.active);
    auto &messages = board.startup.services->messages;
    board.ChooseTab(3);  // １ヶ月
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "9999/12/20 から 31 日間の表示は 9999/12/31 を越えるため、その日付にはできません。");
    EXPECT_EQ(board.form.tbcCalSelect->TabIndex(), 0);
    EXPECT_EQ(DaysShown, 7);
    EXPECT_EQ(board.Range(), "9999/12/20～9999/12/26");
    // What is saved then opens again.
    const std::string path = board.startup.root + "late.xml";
    ASSERT_TRUE(WriteXmlFile(board.form, path));
    std::string refusal;
    EXPECT_TRUE(ReadDocumentFile(path, [&](const std::string &m) { refusal = m; })) << refusal;
    // A month earlier the same tab is taken (the tab shown went back too).
    board.Press(board.form.btnMonthL);
    board.ChooseTab(3);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(board.form.tbcCalSelect->TabIndex(), 3);
    EXPECT_EQ(DaysShown, 31);
    EXPECT_EQ(board.Range(), "9999/11/20～9999/12/20");
}

TEST(Navigation, HoldingTheDateBarsRightArrowStopsAtTheLastStartThatFitsWithoutAWarning)
{
    TNavBoard board(EncodeDate(9999, 12, 20));
    ASSERT_TRUE(board.active);
    ASSERT_TRUE(board.SaveAndReopen("late.xml"));
    TScrollBar &bar = *board.form.scb2;
    EXPECT_EQ(bar.Max(), bar.Position() + 5);
    const TPoint arrow{bar.Width() - 4, bar.Height() / 2};
    board.HoldDateBarArrow(arrow);
    EXPECT_TRUE(board.startup.services->messages.empty()) << board.startup.services->messages.front();
    EXPECT_EQ(board.Range(), "9999/12/25～9999/12/31");
    EXPECT_TRUE(board.KeepsTheScrollInvariant());
    // A longer scale ends the bar at its own last start, a shorter one again at its own.
    board.Press(board.form.btnWeekL, 2);
    board.ChooseTab(1);  // ２週間 from 9999/12/11: the last start is 9999/12/18
    EXPECT_EQ(bar.Max(), bar.Position() + 7);
    board.ChooseTab(0);
    EXPECT_EQ(bar.Max(), bar.Position() + 14);
    EXPECT_TRUE(board.startup.services->messages.empty());
}

// Saved at the 任意 scale of 7 days from 9999/12/25, the document opens once
// the setting asks for 30 days: from the last start that fits, where the date
// bar ends, its own start from then on; what is asked later is still refused.
TEST(Navigation, ADocumentWhoseStartNoLongerFitsTheCustomScaleOpensAtTheLastStartThatDoes)
{
    TNavBoard board(EncodeDate(9999, 12, 25));
    ASSERT_TRUE(board.active);
    CustomTimeScale = 7;
    board.ChooseTab(9);
    ASSERT_EQ(board.Range(), "9999/12/25～9999/12/31");
    const std::string path = board.startup.root + "late.xml";
    ASSERT_TRUE(WriteXmlFile(board.form, path));
    const std::string saved = testing_support::ReadBytes(path);
    board.form.mitNewClick();
    CustomTimeScale = 30;
    board.form.fnk1Select(path);
    auto &messages = board.startup.services->messages;
    EXPECT_TRUE(messages.empty()) << messages.front();
    ASSERT_EQ(board.form.FFileName, path);
    EXPECT_EQ(board.form.tbcCalSelect->TabIndex(), 9);
    EXPECT_EQ(DaysShown, 30);
    EXPECT_EQ(board.Range(), "9999/12/02～9999/12/31");
    EXPECT_EQ(board.form.FDocStartDate, EncodeDate(9999, 12, 2));
    EXPECT_TRUE(board.KeepsTheScrollInvariant());
    TScrollBar &bar = *board.form.scb2;
    const int last = board.Position();
    EXPECT_EQ(bar.Max(), last);
    EXPECT_FALSE(Modified);
    EXPECT_EQ(testing_support::ReadBytes(path), saved);

    board.Press(board.form.btnDayL);
    EXPECT_EQ(board.Range(), "9999/12/01～9999/12/30");
    EXPECT_EQ(board.Position(), last - 1);
    EXPECT_TRUE(board.KeepsTheScrollInvariant());
    board.Press(board.form.btnInitDate);
    EXPECT_EQ(board.Range(), "9999/12/02～9999/12/31");
    EXPECT_EQ(board.Position(), last);
    EXPECT_TRUE(messages.empty());
    board.Press(board.form.btnDayR);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "9999/12/03 から 30 日間の表示は 9999/12/31 を越えるため、その日付にはできません。");
    EXPECT_EQ(board.Range(), "9999/12/02～9999/12/31");
    // A save stores the start shown, as every save does.
    ASSERT_TRUE(WriteXmlFile(board.form, path));
    EXPECT_NE(testing_support::ReadBytes(path).find("<startdate>9999/12/02</startdate>"), std::string::npos);
    CustomTimeScale = 7;
}

// ---------------------------------------------------------------- both ends

TEST(Navigation, StepsPastEitherEndAreRefusedNamingTheStartTheyWouldReach)
{
    const std::string late = " から 7 日間の表示は 9999/12/31 を越えるため、その日付にはできません。";
    const std::string early = " から 7 日間の表示は 0001/01/01 より前に始まるため、その日付にはできません。";
    struct TCase {
        TDateTime start;
        TSkinItem *TfrmMain::*button;
        std::string message;
    };
    const TCase cases[] = {
        {EncodeDate(9999, 12, 25), &TfrmMain::btnDayR, "9999/12/26" + late},
        {EncodeDate(9999, 12, 20), &TfrmMain::btnWeekR, "9999/12/27" + late},
        {EncodeDate(9999, 11, 30), &TfrmMain::btnMonthR, "9999/12/30" + late},
        {EncodeDate(9999, 12, 20), &TfrmMain::btnMonthR, "10000/01/20" + late},
        {EncodeDate(9999, 12, 20), &TfrmMain::btnYearR, "10000/12/20" + late},
        {EncodeDate(1, 1, 1), &TfrmMain::btnDayL, "0000/12/31" + early},
        {EncodeDate(1, 1, 6), &TfrmMain::btnWeekL, "0000/12/30" + early},
        {EncodeDate(1, 1, 31), &TfrmMain::btnMonthL, "0000/12/31" + early},
        {EncodeDate(1, 3, 1), &TfrmMain::btnYearL, "0000/03/01" + early},
    };
    for (const TCase &c : cases) {
        TNavBoard board(c.start);
        ASSERT_TRUE(board.active);
        const std::string range = board.Range();
        board.Press(board.form.*c.button);
        auto &messages = board.startup.services->messages;
        ASSERT_EQ(messages.size(), 1u) << c.message;
        EXPECT_EQ(messages[0], c.message);
        EXPECT_EQ(StartDate, c.start) << c.message;
        EXPECT_EQ(board.Range(), range);
        EXPECT_TRUE(board.KeepsTheScrollInvariant());
    }
}

TEST(Navigation, BackToTheFirstDateIsRefusedWhenTheScaleChosenSinceWouldPassTheLastDate)
{
    TNavBoard board(EncodeDate(9999, 12, 20));
    ASSERT_TRUE(board.active);
    ASSERT_TRUE(board.SaveAndReopen("late.xml"));
    board.Press(board.form.btnMonthL);
    board.ChooseTab(3);  // １ヶ月: 9999/11/20 to 9999/12/20
    ASSERT_EQ(DaysShown, 31);
    auto &messages = board.startup.services->messages;
    ASSERT_TRUE(messages.empty());

    board.Press(board.form.btnInitDate);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "9999/12/20 から 31 日間の表示は 9999/12/31 を越えるため、その日付にはできません。");
    EXPECT_EQ(board.Range(), "9999/11/20～9999/12/20");
    EXPECT_TRUE(board.KeepsTheScrollInvariant());
    // The bar's arrows go on a day at a time from the start shown.
    TScrollBar &bar = *board.form.scb2;
    bar.Scrolled(scLineUp, board.Position() - 1);
    EXPECT_EQ(StartDate, EncodeDate(9999, 11, 19));
    bar.Scrolled(scLineDown, board.Position() + 1);
    EXPECT_EQ(StartDate, EncodeDate(9999, 11, 20));
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(board.KeepsTheScrollInvariant());
}

TEST(Navigation, DayStepsLeftStopAtTheFirstDateAndWhatIsSavedIsADate)
{
    TNavBoard board(EncodeDate(1, 1, 2));
    ASSERT_TRUE(board.active);
    board.Press(board.form.btnDayL, 3);
    auto &messages = board.startup.services->messages;
    ASSERT_EQ(messages.size(), 2u);
    for (const std::string &message : messages)
        EXPECT_EQ(message, "0000/12/31 から 7 日間の表示は 0001/01/01 より前に始まるため、その日付にはできません。");
    EXPECT_EQ(board.Range(), "0001/01/01～0001/01/07");
    EXPECT_TRUE(board.KeepsTheScrollInvariant());
    // The bar's arrow at the first date is refused the same way and stays.
    const int position = board.Position();
    board.form.scb2->Scrolled(scLineUp, position - 1);
    EXPECT_EQ(messages.size(), 3u);
    EXPECT_EQ(board.Position(), position);
    EXPECT_EQ(StartDate, EncodeDate(1, 1, 1));

    const std::string path = board.startup.root + "first.xml";
    ASSERT_TRUE(WriteXmlFile(board.form, path));
    EXPECT_NE(testing_support::ReadBytes(path).find("<startdate>0001/01/01</startdate>"), std::string::npos);
}

TEST(Navigation, HoldingTheDateBarsLeftArrowStopsAtTheFirstDateWithoutAWarning)
{
    TNavBoard board(EncodeDate(1, 1, 5));
    ASSERT_TRUE(board.active);
    ASSERT_TRUE(board.SaveAndReopen("first.xml"));
    TScrollBar &bar = *board.form.scb2;
    EXPECT_EQ(bar.Min(), bar.Position() - 4);
    const TPoint arrow{4, bar.Height() / 2};
    board.HoldDateBarArrow(arrow);
    EXPECT_TRUE(board.startup.services->messages.empty()) << board.startup.services->messages.front();
    EXPECT_EQ(board.Range(), "0001/01/01～0001/01/07");
    EXPECT_TRUE(board.KeepsTheScrollInvariant());
    // A new document's bar begins at 0 again.
    board.form.mitNewClick();
    EXPECT_EQ(bar.Min(), 0);
}

TEST(Navigation, TheChartDrawsAStartBeforeTheFirstDateWithoutEncodingTheYearBefore)
{
    TNavBoard board(EncodeDate(1, 1, 1));
    ASSERT_TRUE(board.active);
    StartDate = FirstDate - 2;
    EXPECT_NO_THROW(board.form.RedrawChart());
    EXPECT_EQ(board.Range(), "0000/12/30～0001/01/05");
    EXPECT_TRUE(board.startup.services->messages.empty());
}
