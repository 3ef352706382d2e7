#include "controls/MOInplaceCalender.h"

#include "platform/widgets/Label.h"
#include "platform/kernel/Timer.h"
#include "tests/TestSupport.h"

#include "tests/KeyInput.h"

#include <gtest/gtest.h>

namespace {

using testing_support::ScopedFakeServices;

using testing_support::Click;
using testing_support::Middle;

} // namespace

TEST(MOInplaceCalender, LaysTheMonthOutFromTheStartWeek)
{
    ScopedFakeServices services;
    TMOInplaceCalender calendar(nullptr);
    calendar.SetBounds(0, 0, 160, 100);
    calendar.SetDate(EncodeDate(2023, 10, 15)); // October 2023 starts on a Sunday
    EXPECT_EQ(calendar.StartWeek(), Mon);
    EXPECT_EQ(calendar.DayAt(6, 1), 1);
    EXPECT_EQ(calendar.DayAt(0, 1), 0);
    EXPECT_EQ(calendar.DayAt(0, 2), 2);
    EXPECT_EQ(calendar.DayAt(1, 6), 31);
    EXPECT_EQ(calendar.Col(), calendar.CellOfDay(15).X);
    EXPECT_EQ(calendar.Row(), calendar.CellOfDay(15).Y);
    calendar.SetStartWeek(Sun);
    EXPECT_EQ(calendar.DayAt(0, 1), 1);
    EXPECT_EQ(calendar.ColWidths(0), 160 / 7);
    EXPECT_EQ(calendar.RowHeights(0), (100 - 6) / 7);
}

TEST(MOInplaceCalender, StepsMonthsAndYearsAndSetsTheDay)
{
    ScopedFakeServices services;
    TMOInplaceCalender calendar(nullptr);
    int changes = 0;
    calendar.OnChange = [&](TObject *) { ++changes; };
    calendar.SetDate(EncodeDate(2024, 1, 31));
    EXPECT_EQ(changes, 0);
    calendar.NextMonth();
    EXPECT_EQ(calendar.Date(), EncodeDate(2024, 2, 29));
    EXPECT_EQ(changes, 1);
    calendar.NextYear();
    EXPECT_EQ(calendar.Date(), EncodeDate(2025, 2, 28));
    EXPECT_EQ(changes, 3);
    calendar.PrevMonth();
    EXPECT_EQ(calendar.Date(), EncodeDate(2025, 1, 28));
    calendar.SetDay(31);
    EXPECT_EQ(calendar.Day(), 31);
    calendar.SetDay(32);
    EXPECT_EQ(calendar.Day(), 31);
    calendar.SetYear(2024);
    EXPECT_EQ(calendar.Date(), EncodeDate(2024, 1, 31));
    calendar.SetMonth(2);
    EXPECT_EQ(calendar.Date(), EncodeDate(2024, 2, 29));
}

TEST(MOInplaceCalender, ClicksSelectOnlyDaysAndTodayIsRinged)
{
    ScopedFakeServices services;
    services->now = EncodeDate(2024, 1, 8) + 0.5;
    TMOInplaceCalender calendar(nullptr);
    calendar.SetBounds(0, 0, 161, 141);
    calendar.SetColor(clWhite);
    EXPECT_EQ(calendar.Date(), EncodeDate(2024, 1, 8));
    calendar.SetDate(EncodeDate(2024, 1, 20));
    Click(calendar, Middle(calendar.CellRect(0, 0)));
    EXPECT_EQ(calendar.Day(), 20);
    Click(calendar, Middle(calendar.CellRect(6, 6))); // after the 31st
    EXPECT_EQ(calendar.Day(), 20);
    TGridCoord third = calendar.CellOfDay(3);
    Click(calendar, Middle(calendar.CellRect(third.X, third.Y)));
    EXPECT_EQ(calendar.Day(), 3);
    // The wheel leaves the marked day on the date.
    SendMessage(&calendar, WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<std::uint16_t>(-120)) << 16, 0);
    EXPECT_EQ(calendar.Col(), third.X);
    EXPECT_EQ(calendar.Row(), third.Y);
    EXPECT_EQ(calendar.Day(), 3);

    TBitmap bitmap(161, 141);
    calendar.PaintTo(bitmap.Canvas());
    TGridCoord today = calendar.CellOfDay(8);
    TRect r = calendar.CellRect(today.X, today.Y);
    int y = (r.Top + r.Bottom) / 2;
    bool ring = false;
    for (int x = r.Left; x < r.Left + 4; ++x)
        ring = ring || bitmap.Pixel(x, y) == clRed;
    EXPECT_TRUE(ring);
    TGridCoord other = calendar.CellOfDay(9);
    TRect o = calendar.CellRect(other.X, other.Y);
    EXPECT_EQ(bitmap.Pixel(o.Left + 2, (o.Top + o.Bottom) / 2), clWhite);
}

TEST(MOInplaceCalender, EraDatesFollowTheEraTable)
{
    EXPECT_EQ(EraDateText(EncodeDate(2024, 1, 8)), "令和6/1/8");
    EXPECT_EQ(EraDateText(EncodeDate(2019, 5, 1)), "令和1/5/1");
    EXPECT_EQ(EraDateText(EncodeDate(2019, 4, 30)), "平成31/4/30");
    EXPECT_EQ(EraDateText(EncodeDate(1989, 1, 7)), "昭和64/1/7");
    EXPECT_EQ(EraDateText(EncodeDate(1926, 12, 25)), "昭和1/12/25");
    EXPECT_EQ(EraDateText(EncodeDate(1912, 7, 30)), "大正1/7/30");
    EXPECT_EQ(EraDateText(EncodeDate(1900, 1, 1)), "明治33/1/1");
    EXPECT_EQ(EraDateText(EncodeDate(1850, 3, 4)), "1850/3/4");
}

TEST(MOSpeedButton, ClicksAtOnceThenRepeatsWhileHeld)
{
    TMOSpeedButton button(nullptr);
    button.SetBounds(0, 0, 14, 14);
    int clicks = 0;
    button.OnClick = [&](TObject *) { ++clicks; };
    SendMessage(&button, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5));
    EXPECT_EQ(clicks, 1);
    ASSERT_TRUE(button.RepeatTimer()->Enabled());
    EXPECT_EQ(button.RepeatTimer()->Interval(), 500);
    button.RepeatTimer()->OnTimer(button.RepeatTimer());
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(button.RepeatTimer()->Interval(), 100);
    button.RepeatTimer()->OnTimer(button.RepeatTimer());
    EXPECT_EQ(clicks, 3);
    SendMessage(&button, WM_LBUTTONUP, 0, MakeLParam(5, 5));
    EXPECT_EQ(clicks, 3);
    EXPECT_FALSE(button.RepeatTimer()->Enabled());
    // An error in the click stops the repeat and goes on.
    button.OnClick = [&](TObject *) {
        if (++clicks > 4)
            throw std::runtime_error("step");
    };
    SendMessage(&button, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5));
    EXPECT_THROW(button.RepeatTimer()->OnTimer(button.RepeatTimer()), std::runtime_error);
    EXPECT_FALSE(button.RepeatTimer()->Enabled());
}

TEST(MOPopupPanel, StepButtonsTheStatusStripAndPickingADay)
{
    ScopedFakeServices services;
    services->now = EncodeDate(2024, 1, 8) + 0.5;
    TMOMonthCalColors colors;
    colors.SetColor(TMOMonthCalColors::TitleBack, clNavy);
    TMOPopupPanel popup(nullptr, colors, EncodeDate(2023, 12, 31));
    EXPECT_EQ(popup.TitleCaption().Caption(), "2023年12月");
    EXPECT_EQ(popup.StatusStrip().Caption(), "今日: 令和6/1/8");
    EXPECT_EQ(popup.Width(), 162);
    EXPECT_EQ(popup.TitleBar().Color(), clNavy);

    Click(popup.NextMonthButton(), TPoint{5, 5});
    EXPECT_EQ(popup.TitleCaption().Caption(), "2024年01月");
    Click(popup.PrevYearButton(), TPoint{5, 5});
    EXPECT_EQ(popup.Calendar().Date(), EncodeDate(2023, 1, 31));
    SendMessage(&popup.StatusStrip(), WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(30, 5));
    EXPECT_EQ(popup.TitleCaption().Caption(), "2024年01月");

    int picked = 0;
    popup.OnDayPicked = [&](TObject *) { ++picked; };
    TMOInplaceCalender &calendar = popup.Calendar();
    Click(calendar, Middle(calendar.CellRect(0, 0)));
    EXPECT_EQ(picked, 0);
    TGridCoord day = calendar.CellOfDay(12);
    Click(calendar, Middle(calendar.CellRect(day.X, day.Y)), mbLeft, MK_SHIFT);
    EXPECT_EQ(picked, 0);
    Click(calendar, Middle(calendar.CellRect(day.X, day.Y)));
    EXPECT_EQ(picked, 1);
    EXPECT_EQ(calendar.Date(), EncodeDate(2024, 1, 12));

    // The status strip's today mark.
    TBitmap bitmap(popup.Width(), popup.Height());
    popup.PaintTo(bitmap.Canvas());
    TRect strip = popup.StatusStrip().BoundsRect();
    EXPECT_EQ(bitmap.Pixel(strip.Left + 2, strip.Top + 10), clRed);
}

TEST(MOPopupPanel, AllSevenColumnsShowAndEveryDayCanBePicked)
{
    ScopedFakeServices services;
    // 2024/01/05 is a Friday: showing its cell must not scroll Monday away.
    TMOPopupPanel popup(nullptr, TMOMonthCalColors{}, EncodeDate(2024, 1, 5));
    TMOInplaceCalender &calendar = popup.Calendar();
    EXPECT_EQ(calendar.LeftCol(), 0);
    for (int col = 0; col < 7; ++col) {
        TRect cell = calendar.CellRect(col, 2);
        EXPECT_FALSE(cell.IsEmpty()) << col;
        EXPECT_LE(cell.Right, calendar.ClientWidth()) << col;
    }
    for (int day : {1, 8, 15, 22, 29}) {
        TGridCoord cell = calendar.CellOfDay(day);
        EXPECT_EQ(cell.X, 0) << day;
        EXPECT_EQ(calendar.MouseCoord(Middle(calendar.CellRect(0, cell.Y)).X, Middle(calendar.CellRect(0, cell.Y)).Y),
                  cell);
    }
    Click(calendar, Middle(calendar.CellRect(0, calendar.CellOfDay(29).Y)));
    EXPECT_EQ(calendar.Date(), EncodeDate(2024, 1, 29));
    // The week starts where StartWeek says, still with all seven days in view.
    calendar.SetStartWeek(Sun);
    EXPECT_EQ(calendar.CellOfDay(7).X, 0);
    EXPECT_EQ(calendar.LeftCol(), 0);
    EXPECT_FALSE(calendar.CellRect(6, 1).IsEmpty());
}
