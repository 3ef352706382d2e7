#include "platform/core/DateTime.h"
#include "schedule/Head.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {
TDateTime D(int y, int m, int d) { return EncodeDate(y, m, d); }

long double WorkingDaysOf(TDateTime s, TDateTime e, std::vector<TDateTime> holidays)
{
    return WorkingDays(s, e, static_cast<long double>(e) - s, holidays);
}
} // namespace

TEST(Head, WorkingDaysOfWholeAndPartialDays)
{
    // A three-day bar over its middle day; a bar wholly on holidays never goes below 0.
    EXPECT_EQ(WorkingDaysOf(D(2024, 1, 1), D(2024, 1, 4), {D(2024, 1, 2)}), 2);
    EXPECT_EQ(WorkingDaysOf(D(2024, 1, 1), D(2024, 1, 3), {D(2024, 1, 1), D(2024, 1, 2)}), 0);
    EXPECT_EQ(WorkingDaysOf(D(2024, 1, 1), D(2024, 1, 4), {}), 3);
    // Holidays outside the bar, and on its exclusive end, do not count.
    EXPECT_EQ(WorkingDaysOf(D(2024, 1, 2), D(2024, 1, 4), {D(2023, 12, 31), D(2024, 1, 4), D(2024, 2, 1)}), 2);
    // Half a first day and half a last day lying on holidays.
    EXPECT_DOUBLE_EQ(static_cast<double>(WorkingDaysOf(D(2024, 1, 1) + 0.5, D(2024, 1, 3) + 0.5,
                                                       {D(2024, 1, 1), D(2024, 1, 3)})), 1.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(WorkingDaysOf(D(2024, 1, 1) + 0.25, D(2024, 1, 4),
                                                       {D(2024, 1, 1)})), 2.0);
    // The holiday file keeps its order and repeats: each holiday counts once.
    EXPECT_EQ(WorkingDaysOf(D(2024, 1, 1), D(2024, 1, 5), {D(2024, 1, 1), D(2024, 1, 2), D(2024, 1, 1)}), 2);
    EXPECT_EQ(WorkingDaysOf(D(2024, 1, 1), D(2024, 1, 5), {D(2024, 1, 3), 0, D(2024, 1, 2)}), 2);
}

TEST(Head, ComparersRoundHalvesToEven)
{
    EXPECT_EQ(CompareChartStart(10.0004, 10.0), 0);
    EXPECT_GT(CompareChartStart(10.0006, 10.0), 0);
    EXPECT_LT(CompareChartStart(10.0, 10.0006), 0);
    EXPECT_EQ(CompareEventDate(10.5, 10.0), 0);  // 0.5 rounds to 0
    EXPECT_EQ(CompareEventDate(11.5, 10.0), 2);  // 1.5 rounds to 2
    EXPECT_EQ(CompareHoliday(D(2024, 1, 2), D(2024, 1, 1)), 1);
}

TEST(Head, DateToPixelAndNamesAndEnvironment)
{
    StartDate = D(2024, 1, 1);
    EXPECT_EQ(DateToPixel(20, D(2024, 1, 3)), 40);
    EXPECT_EQ(DateToPixel(2.5L, D(2024, 1, 2)), 2);   // 2.5 rounds to even
    EXPECT_EQ(DateToPixel(3.5L, D(2024, 1, 2)), 4);
    EXPECT_EQ(DateToPixel(10, D(2023, 12, 31)), -10);
    EXPECT_EQ(WeekdayNames[DayOfWeek(D(2024, 1, 7)) - 1], "日");
    EXPECT_EQ(WeekdayNames[6], "土");

    testing_support::ScopedFakeServices services;
    EXPECT_EQ(GetOSName(), "");
    services->osName = "Seven";
    EXPECT_EQ(GetOSName(), "Seven");
    EXPECT_EQ(GetEnvVar("APPDATA"), "");
    services->env["APPDATA"] = std::string(2000, 'a');
    EXPECT_EQ(GetEnvVar("APPDATA").size(), 1023u);
}

TEST(Head, HolidayFileKeepsOrderAndSkipsOnlyTheImmediateRepeat)
{
    testing_support::ScopedFakeServices services;
    TempDir dir;
    DateIniDir = dir.Path();
    HolidayList = {D(2000, 1, 1)};
    EXPECT_FALSE(LoadHolidays()); // missing: the list stays as it was
    EXPECT_EQ(HolidayList.size(), 1u);

    WriteBytes(dir.File("Date.ini"), "2024/01/01\r\n2024/01/01\r\n\r\n2024/01/02\r\n2024/1/1\r\n");
    EXPECT_TRUE(LoadHolidays());
    EXPECT_EQ(HolidayList, (std::vector<TDateTime>{D(2024, 1, 1), D(2024, 1, 2), D(2024, 1, 1)}));

    WriteBytes(dir.File("Date.ini"), "");
    EXPECT_FALSE(LoadHolidays()); // an empty file empties the list
    EXPECT_TRUE(HolidayList.empty());
    EXPECT_TRUE(services->messages.empty());

    HolidayList = {D(2024, 5, 3), 0, D(2024, 5, 5), D(2024, 1, 1)};
    SaveHolidays();
    EXPECT_EQ(ReadBytes(dir.File("Date.ini")), "2024/05/03\r\n2024/05/05\r\n2024/01/01\r\n");
}

TEST(Head, ABadHolidayLineIsReportedAndEveryGoodDateKept)
{
    testing_support::ScopedFakeServices services;
    TempDir dir;
    DateIniDir = dir.Path();
    WriteBytes(dir.File("Date.ini"), "2024/01/01\r\nnot a date\r\n2024/02/30\r\n2024/01/03\r\n");
    EXPECT_TRUE(LoadHolidays());
    EXPECT_EQ(HolidayList, (std::vector<TDateTime>{D(2024, 1, 1), D(2024, 1, 3)}));
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_NE(services->messages[0].text.find("2: not a date"), std::string::npos);
    EXPECT_NE(services->messages[0].text.find("3: 2024/02/30"), std::string::npos);

    // However many bad lines: the first ten are named, the rest counted, and a
    // long line is cut, so that the box stays on the screen.
    services->messages.clear();
    std::string text = "2024/01/01\r\n" + std::string(5000, 'x') + "\r\n";
    for (int i = 0; i < 100000; ++i)
        text += "bad" + std::to_string(i) + "\r\n";
    WriteBytes(dir.File("Date.ini"), text);
    EXPECT_TRUE(LoadHolidays());
    EXPECT_EQ(HolidayList, (std::vector<TDateTime>{D(2024, 1, 1)}));
    ASSERT_EQ(services->messages.size(), 1u);
    const std::string &message = services->messages[0].text;
    EXPECT_LT(message.size(), 1000u);
    EXPECT_NE(message.find("\n2: xxx"), std::string::npos);
    EXPECT_NE(message.find("…"), std::string::npos);
    EXPECT_NE(message.find("\n11: bad8\n"), std::string::npos);
    EXPECT_EQ(message.find("bad9"), std::string::npos);
    EXPECT_NE(message.find("ほか 99991 行"), std::string::npos);
}
