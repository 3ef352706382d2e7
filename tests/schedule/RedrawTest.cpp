#include "MainFixture.h"

#include <gtest/gtest.h>

namespace {

// A window 1,000 pixels wide showing `days` days from `start`, with one row.
struct TChartBoard {
    TStartup startup;
    TfrmMain form{nullptr, "", false};
    TChartBoard(int days, TDateTime start)
    {
        startup.services->now = EncodeDate(2030, 1, 1);
        form.SetBounds(0, 0, 1200, 600);
        form.AddItem();
        DaysShown = days;
        StartDate = start;
        form.RedrawChart();
    }
    TItem &Row() { return *ItemList[0]; }
    int W() { return form.pnlBase->Width(); }
    int DayLeft(int i) { return RoundInt(i * PixelsPerDay); }
    TColor DayStrip(int x) { return form.imgDay->Bitmap().Pixel(x, 15); }
    std::unique_ptr<TBitmap> Chart()
    {
        auto bitmap = std::make_unique<TBitmap>(W(), 120);
        form.pnlBase->PaintTo(bitmap->Canvas());
        return bitmap;
    }
    // Whether any pixel of the rectangle differs from the colour.
    static bool Marked(const TBitmap &b, TRect r, TColor background)
    {
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = std::max(0, r.Left); x < std::min(b.Width(), r.Right); ++x)
                if (b.Pixel(x, y) != background)
                    return true;
        return false;
    }
};

} // namespace

TEST(Redraw, NinetyFiveDaysLabelEveryThirdDayButNotTheEndsOfMonths)
{
    TChartBoard board(95, EncodeDate(2024, 1, 1));
    auto dayIndex = [](int m, int d) { return static_cast<int>(EncodeDate(2024, m, d) - EncodeDate(2024, 1, 1)); };
    for (int d : {1, 4, 7, 28})
        EXPECT_EQ(board.DayStrip(board.DayLeft(dayIndex(1, d))), clWhite) << d;
    for (auto [m, d] : {std::pair{1, 2}, {1, 31}, {2, 28}, {3, 3}})
        EXPECT_EQ(board.DayStrip(board.DayLeft(dayIndex(m, d))), 0x800000u) << m << "/" << d;
    // Every day has its grey line in the chart.
    auto chart = board.Chart();
    EXPECT_EQ(chart->Pixel(board.DayLeft(dayIndex(1, 2)), 80), 0xC0C0C0u);
    EXPECT_EQ(chart->Pixel(board.DayLeft(dayIndex(2, 29)), 80), 0xC0C0C0u);
}

TEST(Redraw, FourHundredDaysHaveNoDayLabelsOrLinesAndOneColourButHolidays)
{
    TChartBoard board(400, EncodeDate(2024, 1, 1));
    HolidayList = {EncodeDate(2024, 3, 20)};
    for (int i = 1; i < 400; ++i)
        ASSERT_EQ(board.DayStrip(board.DayLeft(i)), 0x800000u) << i;
    auto chart = board.Chart();
    for (int i = 1; i < 399; ++i) {
        int x = board.DayLeft(i);
        // The holiday colour 0x02C6CEFF is a palette-relative RGB: the low three bytes.
        TColor expected = StartDate + i == HolidayList[0] ? 0xC6CEFF : DateColor1;
        ASSERT_EQ(chart->Pixel(x, 80), expected) << i;
    }
    HolidayList.clear();
}

TEST(Redraw, MonthLabelOnTheThirtyFirstDoesNotFitAndIsLeftOut)
{
    TChartBoard board(7, EncodeDate(2024, 1, 31));
    const TBitmap &month = board.form.imgMonth->Bitmap();
    for (int x = 2; x < 30; ++x)
        for (int y = 2; y < 15; ++y)
            ASSERT_EQ(month.Pixel(x, y), 0x808000u) << x << "," << y;
    // February's label is there at its first day.
    bool drawn = false;
    for (int x = board.DayLeft(1) + 2; x < board.DayLeft(1) + 30; ++x)
        drawn = drawn || month.Pixel(x, 8) != 0x808000u;
    EXPECT_TRUE(drawn);
}

TEST(Redraw, EventsAtTheRightEdgeAndDoneEventsAreNotDrawn)
{
    TChartBoard board(730, EncodeDate(2024, 1, 1));
    TItem &row = board.Row();
    auto background = [&] { return board.Chart(); };
    auto before = background();
    TEvent atEdge{StartDate + 730, "■", "", "ＭＳ ゴシック", 9, clBlack, 0, 1, 0};
    ASSERT_EQ(DateToPixel(PixelsPerDay, atEdge.EventDate), board.W());
    row.FEvents = {atEdge};
    board.form.RedrawChart();
    auto withEdge = background();
    TRect band{board.W() - 20, row.Top(), board.W(), row.Top() + row.Height()};
    for (int y = band.Top; y < band.Bottom; ++y)
        for (int x = band.Left; x < band.Right; ++x)
            ASSERT_EQ(withEdge->Pixel(x, y), before->Pixel(x, y));

    TEvent atZero = atEdge;
    atZero.EventDate = StartDate;
    row.FEvents = {atZero};
    auto withZero = background();
    EXPECT_TRUE(TChartBoard::Marked(*withZero, TRect{0, row.Top() + 20, 12, row.Top() + 40}, DateColor1));

    atZero.EndFlg = 1;
    row.FEvents = {atZero};
    auto done = background();
    EXPECT_FALSE(TChartBoard::Marked(*done, TRect{2, row.Top() + 20, 12, row.Top() + 40}, DateColor1));
}

TEST(Redraw, ProgressStripFollowsTheRateAndTheLineCountIsClamped)
{
    TChartBoard board(7, EncodeDate(2024, 1, 1));
    TItem &row = board.Row();
    auto chart = std::make_unique<TChart>();
    chart->FStartDate = StartDate + 1;
    chart->FEndDate = StartDate + 3;
    chart->FDuration = 2;
    chart->FJisseki = 1;
    chart->FRitsu = 100;
    chart->FBar->SetTag(0);
    chart->ProgressBarNeeded();
    TChart &c = *chart;
    row.FCharts.push_back(std::move(chart));
    board.form.RedrawChart();
    ASSERT_TRUE(c.FProgressBar->Visible());
    EXPECT_EQ(c.FProgressBar->Left(), c.FBar->Left());
    EXPECT_EQ(c.FProgressBar->WidthEx(), c.FBar->WidthEx());
    EXPECT_EQ(c.FProgressBar->Color(), JissekiEndColor);
    EXPECT_EQ(c.FProgressBar->Top(), c.FBar->Top() + c.FBar->Height() - 1);
    c.FRitsu = 50;
    board.form.RedrawChart();
    EXPECT_EQ(c.FProgressBar->WidthEx(), c.FBar->WidthEx() / 2);
    EXPECT_EQ(c.FProgressBar->Color(), JissekiColor);

    board.form.SetLineCount(row, 0);
    EXPECT_EQ(row.FLineCount, 1);
    board.form.SetLineCount(row, 11);
    EXPECT_EQ(row.FLineCount, 10);
    c.FLine = -1;
    EXPECT_NO_THROW(board.form.RedrawChart());
    EXPECT_FALSE(c.FBar->Visible());
}
