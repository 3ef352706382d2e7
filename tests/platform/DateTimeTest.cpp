#include "platform/core/DateTime.h"
#include "platform/core/Exceptions.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

TEST(DateTime, EncodeDecodeAroundTheEpochAndLeapYears)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(2024, 1, 1), 45292);
    EXPECT_EQ(EncodeDate(1899, 12, 29), -1);
    int y, m, d;
    DecodeDate(45352, y, m, d); // 2024/03/01 follows 02/29
    EXPECT_EQ(y * 10000 + m * 100 + d, 20240301);
    DecodeDate(-1.25, y, m, d); // the fraction of a negative date is still the time of day
    EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
    int h, n, s, ms;
    DecodeTime(-1.25, h, n, s, ms);
    EXPECT_EQ(h, 6);
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 7)), 1); // a Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
}

TEST(DateTime, IncMonthClampsTheDayAndKeepsTheTime)
{
    EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31), 1), EncodeDate(2024, 2, 29));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 31), -1), EncodeDate(2024, 2, 29));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 12, 15), 1), EncodeDate(2025, 1, 15));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 15), -13), EncodeDate(2022, 12, 15));
    EXPECT_DOUBLE_EQ(IncMonth(EncodeDate(2024, 1, 31) + 0.5, 1), EncodeDate(2024, 2, 29) + 0.5);
}

TEST(DateTime, FormatTokens)
{
    TDateTime t = EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 0);
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd", t), "2024/03/05");
    EXPECT_EQ(FormatDateTime("yyyy/m/d", t), "2024/3/5");
    EXPECT_EQ(FormatDateTime("hh:nn:ss", t), "07:08:09");
    EXPECT_EQ(FormatDateTime("h:mm", t), "7:08"); // minutes after an hour token
    EXPECT_EQ(FormatDateTime("yy", t), "24");
    EXPECT_EQ(FormatDateTime("yyyy\"年\"m\"月\"d\"日(\"aaa\")\"", t), "2024年3月5日(火)");
    EXPECT_EQ(FormatDateTime("'m' mm", t), "m 03");
    EXPECT_EQ(FormatDateTime("aaaa", t), "火曜日");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 5)), "2024/03/05");
    EXPECT_EQ(DateTimeToStr(t), "2024/03/05 07:08:09");
}

TEST(DateTime, ParsingDatesAndTimes)
{
    testing_support::ScopedFakeServices services; // today is 2024/01/08
    EXPECT_EQ(StrToDate("2024/1/5"), EncodeDate(2024, 1, 5));
    EXPECT_EQ(StrToDate(" 2024/01/05 "), EncodeDate(2024, 1, 5));
    EXPECT_EQ(StrToDate("3/4"), EncodeDate(2024, 3, 4));
    EXPECT_EQ(StrToDate("24/3/4"), EncodeDate(2024, 3, 4));
    EXPECT_DOUBLE_EQ(StrToDateTime("2024/1/5 12:00:00"), EncodeDate(2024, 1, 5) + 0.5);
    EXPECT_DOUBLE_EQ(StrToDateTime("2024/1/5 6:30"), EncodeDate(2024, 1, 5) + 0.2708333333333333);
    EXPECT_EQ(StrToDateTime("2024/1/5"), EncodeDate(2024, 1, 5));
    for (const char *bad : {"", "2024/13/1", "2024/2/30", "2024-01-05", "2024/1/", "abc", "2024/1/5/6", "2024/1/5 25:00",
                            "5", "2024/1/5 12", "2024/1/5 1:2:3:4", "1/2/3/4/5/6 1:2"})
        EXPECT_THROW(StrToDateTime(bad), EConvertError) << bad;
    try {
        StrToDate("x");
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'x' is not a valid date");
    }
}

TEST(DateTime, TodayComesFromTheServices)
{
    testing_support::ScopedFakeServices services;
    services->now = EncodeDate(2030, 6, 1) + 0.75;
    EXPECT_EQ(Date(), EncodeDate(2030, 6, 1));
    EXPECT_DOUBLE_EQ(Now(), EncodeDate(2030, 6, 1) + 0.75);
}
