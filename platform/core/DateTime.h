#pragma once
// Dates are days since 30 December 1899 as a double; the fraction is the time of
// day. A negative value counts days before that date, its fraction still being
// the time of day (-1.25 is 1899/12/29 06:00).
#include <string>
#include <string_view>

using TDateTime = double;

constexpr double MSecsPerDay = 86400000.0;
// Days from 0001/01/01 to 1899/12/30 plus one: the smallest date is -693593.
constexpr int DateDelta = 693594;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);
bool TryEncodeDate(int year, int month, int day, TDateTime &date);
// Raises EConvertError for a date that does not exist.
TDateTime EncodeDate(int year, int month, int day);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime &time);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
void DecodeDate(TDateTime date, int &year, int &month, int &day);
void DecodeTime(TDateTime date, int &hour, int &min, int &sec, int &msec);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime date);
// Adds whole months; the day is clamped to the last day of the month reached.
TDateTime IncMonth(TDateTime date, int months = 1);
// The whole-day part and the time-of-day part.
TDateTime DateOf(TDateTime date);
TDateTime TimeOf(TDateTime date);

// Now and today from the services object (a test can fix them).
TDateTime Now();
TDateTime Date();

// The class library's date formatting. Tokens: d dd ddd dddd ddddd dddddd, m mm
// mmm mmmm (minutes right after an hour token), yy yyyy, h hh, n nn, s ss, z zzz,
// t tt, aaa aaaa (weekday names), am/pm, c, "/" and ":" separators, and literals
// between double or single quotes. Names are those of a Japanese system.
std::string FormatDateTime(std::string_view format, TDateTime date);
// "yyyy/mm/dd" and, when there is a time part, " hh:nn:ss" after it.
std::string DateToStr(TDateTime date);
std::string TimeToStr(TDateTime date);
std::string DateTimeToStr(TDateTime date);

// Text to date in the short date order year/month/day with "/" as separator
// ("2024/1/5"); two numbers are month/day of the current year; a year below 100
// is taken in the current century. Raises EConvertError ("'x' is not a valid date").
TDateTime StrToDate(std::string_view text);
bool TryStrToDate(std::string_view text, TDateTime &date);
// A date optionally followed by a time "h:n[:s]".
TDateTime StrToDateTime(std::string_view text);
bool TryStrToDateTime(std::string_view text, TDateTime &date);
TDateTime StrToTime(std::string_view text);
bool TryStrToTime(std::string_view text, TDateTime &time);

// Japanese weekday names, Sunday first.
extern const char *const ShortDayNames[7];
extern const char *const LongDayNames[7];
