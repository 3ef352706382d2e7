#include "MainFixture.h"

#include <gtest/gtest.h>

namespace {

struct TNavBoard {
    TStartup startup;
    TfrmMain form{nullptr, "", false};
    explicit TNavBoard(TDateTime start)
    {
        form.SetBounds(0, 0, 900, 600);
        StartDate = form.FDocStartDate = start;
        form.RedrawChart();
    }
    std::string Range() const { return form.lblDateHanni->Caption(); }
    int Position() const { return form.scb2->Position(); }
};

} // namespace

TEST(Navigation, MonthStepsClampTheDayAndEveryStepKeepsTheScrollInvariant)
{
    TNavBoard board(EncodeDate(2024, 1, 31));
    board.form.btnMonthRightClick(nullptr);
    EXPECT_EQ(board.Range(), "2024/02/29～2024/03/06");
    EXPECT_EQ(board.Position(), 2000 + 29);

    board.form.btnInitDateClick(nullptr);
    StartDate = EncodeDate(2024, 3, 31);
    board.form.btnMonthLeftClick(nullptr);
    EXPECT_EQ(StartDate, EncodeDate(2024, 2, 29));

    board.form.btnInitDateClick(nullptr);
    for (auto step : {&TfrmMain::btnDayRightClick, &TfrmMain::btnWeekRightClick, &TfrmMain::btnWeekLeftClick,
                      &TfrmMain::btnDayLeftClick, &TfrmMain::btnDayLeftClick}) {
        (board.form.*step)(nullptr);
        EXPECT_EQ(StartDate, board.form.FDocStartDate + (board.Position() - board.form.FScrollOrigin));
    }
    EXPECT_EQ(StartDate, EncodeDate(2024, 1, 30));
}

TEST(Navigation, FiftyYearsLeftGrowTheRangeAndTheFirstDateComesBack)
{
    TNavBoard board(EncodeDate(2024, 1, 31));
    for (int i = 0; i < 50; ++i)
        board.form.btnYearLeftClick(nullptr);
    EXPECT_EQ(StartDate, EncodeDate(1974, 1, 31));
    EXPECT_EQ(board.Position(), 0);
    EXPECT_EQ(board.form.FScrollOrigin, static_cast<int>(EncodeDate(2024, 1, 31) - EncodeDate(1974, 1, 31)));
    EXPECT_EQ(board.form.scb2->Max(), 4000 - 2000 + board.form.FScrollOrigin);
    board.form.btnInitDateClick(nullptr);
    EXPECT_EQ(StartDate, EncodeDate(2024, 1, 31));
    EXPECT_EQ(board.Position(), board.form.FScrollOrigin);

    // Right past the end grows the maximum with the position.
    for (int i = 0; i < 10; ++i)
        board.form.btnYearRightClick(nullptr);
    EXPECT_EQ(StartDate, EncodeDate(2034, 1, 31));
    EXPECT_EQ(board.Position(), board.form.scb2->Max());
    EXPECT_EQ(StartDate, board.form.FDocStartDate + (board.Position() - board.form.FScrollOrigin));
}

TEST(Navigation, YearStepFromLeapDayIsRefusedAndChangesNothing)
{
    TNavBoard board(EncodeDate(2024, 2, 29));
    EXPECT_ANY_THROW(board.form.btnYearLeftClick(nullptr));
    EXPECT_EQ(StartDate, EncodeDate(2024, 2, 29));
    EXPECT_EQ(board.Position(), 2000);
}

TEST(Navigation, TimeScaleTabsAndTheWheel)
{
    TNavBoard board(EncodeDate(2024, 1, 1));
    board.form.tbcCalSelect->SetTabIndex(5);
    board.form.tbcCalSelect->OnChange(nullptr);
    EXPECT_EQ(DaysShown, 95);
    EXPECT_EQ(board.form.scb2->LargeChange(), 31);
    board.form.tbcCalSelect->SetTabIndex(8);
    board.form.tbcCalSelect->OnChange(nullptr);
    EXPECT_EQ(DaysShown, 730);
    EXPECT_EQ(board.form.scb2->LargeChange(), 243);

    for (int i = 0; i < 20; ++i)
        board.form.AddItem();
    auto &vertical = board.form.scb1->VertScrollBar();
    bool handled = false;
    board.form.FormMouseWheelDown(nullptr, 0, {}, handled);
    EXPECT_EQ(vertical.Position(), 2 * vertical.Increment());
    board.form.FormMouseWheelUp(nullptr, 0, {}, handled);
    board.form.FormMouseWheelUp(nullptr, 0, {}, handled);
    EXPECT_EQ(vertical.Position(), 0);
    EXPECT_FALSE(handled);
}

TEST(Navigation, TheMoveButtonsRunTheirSteps)
{
    TNavBoard board(EncodeDate(2024, 1, 31));
    board.form.btnDayR->Click();
    EXPECT_EQ(StartDate, EncodeDate(2024, 2, 1));
    board.form.btnMonthR->Click();
    EXPECT_EQ(StartDate, EncodeDate(2024, 3, 1));
    board.form.btnWeekL->Click();
    EXPECT_EQ(StartDate, EncodeDate(2024, 2, 23));
    board.form.btnInitDate->Click();
    EXPECT_EQ(StartDate, EncodeDate(2024, 1, 31));
}
