#include "platform/core/DateTime.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <array>

const char *const ShortDayNames[7] = {"日", "月", "火", "水", "木", "金", "土"};
const char *const LongDayNames[7] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};

namespace {

// Days from 1970/01/01 of a civil date, and back (proleptic Gregorian calendar).
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int &year, int &month, int &day)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(y + (m <= 2));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

constexpr long long kDaysFrom1899To1970 = 25569; // 1970/01/01 as days since 1899/12/30

// The day number and the time of day in milliseconds of a date value.
void SplitDate(TDateTime date, long long &days, long long &msecOfDay)
{
    if (!std::isfinite(date))
        date = 0;
    double whole = std::trunc(date);
    double fraction = std::fabs(date - whole);
    long long ms = std::llround(fraction * MSecsPerDay);
    days = static_cast<long long>(whole);
    if (ms >= static_cast<long long>(MSecsPerDay)) {
        // The fraction rounded up to the next day.
        ms -= static_cast<long long>(MSecsPerDay);
        days += date < 0 ? -1 : 1;
    }
    msecOfDay = ms;
}

std::string Pad(long long value, int width)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*lld", width, value);
    return buffer;
}

bool StartsWithNoCase(std::string_view text, size_t pos, std::string_view what)
{
    if (pos + what.size() > text.size())
        return false;
    for (size_t i = 0; i < what.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[pos + i])) != std::tolower(static_cast<unsigned char>(what[i])))
            return false;
    return true;
}

size_t CountRepeat(std::string_view format, size_t pos)
{
    size_t n = 1;
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(format[pos])));
    while (pos + n < format.size() && std::tolower(static_cast<unsigned char>(format[pos + n])) == c)
        ++n;
    return n;
}

void AppendFormatted(std::string &out, std::string_view format, TDateTime date, int depth);

} // namespace

bool IsLeapYear(int year)
{
    return (year % 4 == 0) && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool IsValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

bool TryEncodeDate(int year, int month, int day, TDateTime &date)
{
    if (!IsValidDate(year, month, day))
        return false;
    date = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kDaysFrom1899To1970);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime date;
    if (!TryEncodeDate(year, month, day, date))
        throw EConvertError("Invalid argument to date encode");
    return date;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime &time)
{
    if (hour < 0 || hour >= 24 || min < 0 || min >= 60 || sec < 0 || sec >= 60 || msec < 0 || msec >= 1000)
        return false;
    time = (((hour * 60.0 + min) * 60.0 + sec) * 1000.0 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec)
{
    TDateTime time;
    if (!TryEncodeTime(hour, min, sec, msec, time))
        throw EConvertError("Invalid argument to time encode");
    return time;
}

void DecodeDate(TDateTime date, int &year, int &month, int &day)
{
    long long days, ms;
    SplitDate(date, days, ms);
    CivilFromDays(days - kDaysFrom1899To1970, year, month, day);
}

void DecodeTime(TDateTime date, int &hour, int &min, int &sec, int &msec)
{
    long long days, ms;
    SplitDate(date, days, ms);
    hour = static_cast<int>(ms / 3600000);
    min = static_cast<int>(ms / 60000 % 60);
    sec = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

int DayOfWeek(TDateTime date)
{
    long long days, ms;
    SplitDate(date, days, ms);
    // 1899/12/30 was a Saturday.
    long long w = (days + 6) % 7;
    if (w < 0)
        w += 7;
    return static_cast<int>(w) + 1;
}

TDateTime IncMonth(TDateTime date, int months)
{
    int year, month, day;
    DecodeDate(date, year, month, day);
    long long total = static_cast<long long>(year) * 12 + (month - 1) + months;
    int newYear = static_cast<int>(total >= 0 ? total / 12 : (total - 11) / 12);
    int newMonth = static_cast<int>(total - static_cast<long long>(newYear) * 12) + 1;
    int last = DaysInMonth(newYear, newMonth);
    if (day > last)
        day = last;
    TDateTime result;
    if (!TryEncodeDate(newYear, newMonth, day, result))
        throw EConvertError("Invalid argument to date encode");
    return result >= 0 ? result + TimeOf(date) : result - TimeOf(date);
}

TDateTime DateOf(TDateTime date)
{
    return std::trunc(date);
}

TDateTime TimeOf(TDateTime date)
{
    return std::fabs(date - std::trunc(date));
}

TDateTime Now()
{
    return Services().Now();
}

TDateTime Date()
{
    return std::floor(Services().Now());
}

namespace {

void AppendFormatted(std::string &out, std::string_view format, TDateTime date, int depth)
{
    int year, month, day, hour, min, sec, msec;
    DecodeDate(date, year, month, day);
    DecodeTime(date, hour, min, sec, msec);
    bool lastWasHour = false;
    size_t i = 0;
    while (i < format.size()) {
        char c = format[i];
        char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (c == '"' || c == '\'') {
            size_t end = format.find(c, i + 1);
            if (end == std::string_view::npos)
                end = format.size();
            out.append(format.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        if (lc == 'a' && StartsWithNoCase(format, i, "am/pm")) {
            out += hour < 12 ? "am" : "pm";
            i += 5;
            continue;
        }
        if (lc == 'a' && StartsWithNoCase(format, i, "a/p")) {
            out += hour < 12 ? "a" : "p";
            i += 3;
            continue;
        }
        if (lc == 'a' && StartsWithNoCase(format, i, "aaa")) {
            size_t n = CountRepeat(format, i);
            out += n >= 4 ? LongDayNames[DayOfWeek(date) - 1] : ShortDayNames[DayOfWeek(date) - 1];
            i += n >= 4 ? 4 : 3;
            lastWasHour = false;
            continue;
        }
        size_t n = CountRepeat(format, i);
        switch (lc) {
        case 'y':
            out += n <= 2 ? Pad(year % 100, 2) : Pad(year, 4);
            lastWasHour = false;
            break;
        case 'm':
            if (lastWasHour && n <= 2) {
                out += n == 1 ? std::to_string(min) : Pad(min, 2);
            } else if (n == 1) {
                out += std::to_string(month);
            } else if (n == 2) {
                out += Pad(month, 2);
            } else {
                out += std::to_string(month) + "月";
                n = n >= 4 ? 4 : 3;
            }
            lastWasHour = false;
            break;
        case 'd':
            if (n == 1) out += std::to_string(day);
            else if (n == 2) out += Pad(day, 2);
            else if (n == 3) out += ShortDayNames[DayOfWeek(date) - 1];
            else if (n == 4) out += LongDayNames[DayOfWeek(date) - 1];
            else if (n == 5 && depth < 2) AppendFormatted(out, "yyyy/mm/dd", date, depth + 1);
            else if (depth < 2) AppendFormatted(out, "yyyy'年'm'月'd'日'", date, depth + 1);
            if (n > 6) n = 6;
            lastWasHour = false;
            break;
        case 'h':
            out += n == 1 ? std::to_string(hour) : Pad(hour, 2);
            if (n > 2) n = 2;
            lastWasHour = true;
            break;
        case 'n':
            out += n == 1 ? std::to_string(min) : Pad(min, 2);
            if (n > 2) n = 2;
            lastWasHour = false;
            break;
        case 's':
            out += n == 1 ? std::to_string(sec) : Pad(sec, 2);
            if (n > 2) n = 2;
            lastWasHour = false;
            break;
        case 'z':
            out += n < 3 ? std::to_string(msec) : Pad(msec, 3);
            if (n > 3) n = 3;
            break;
        case 't':
            if (depth < 2)
                AppendFormatted(out, n == 1 ? "h:nn" : "h:nn:ss", date, depth + 1);
            if (n > 2) n = 2;
            break;
        case 'c':
            if (depth < 2) {
                AppendFormatted(out, "yyyy/mm/dd", date, depth + 1);
                if (hour || min || sec || msec) {
                    out += ' ';
                    AppendFormatted(out, "hh:nn:ss", date, depth + 1);
                }
            }
            n = 1;
            break;
        default:
            out.push_back(c);
            n = 1;
            break;
        }
        i += n;
    }
}

// The numbers of a date or a time and the digits each was written with.
struct TScannedNumbers {
    static constexpr size_t kMost = 3;
    std::array<int, kMost> values{};
    std::array<int, kMost> digits{};
    size_t count = 0;
};

// Reads the numbers of a date or time text: digits separated by one separator.
// A text of more numbers than a date or time has is refused as it is scanned.
bool ScanNumbers(std::string_view text, char separator, TScannedNumbers &numbers)
{
    size_t i = 0;
    while (i < text.size()) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        long long value = 0;
        int count = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            value = value * 10 + (text[i] - '0');
            if (value > 99999)
                return false;
            ++count;
            ++i;
        }
        if (numbers.count == TScannedNumbers::kMost)
            return false;
        numbers.values[numbers.count] = static_cast<int>(value);
        numbers.digits[numbers.count] = count;
        ++numbers.count;
        if (i < text.size()) {
            if (text[i] != separator || i + 1 >= text.size())
                return false;
            ++i;
        }
    }
    return numbers.count > 0;
}

} // namespace

std::string FormatDateTime(std::string_view format, TDateTime date)
{
    std::string out;
    if (format.empty())
        format = "c";
    AppendFormatted(out, format, date, 0);
    return out;
}

std::string DateToStr(TDateTime date)
{
    return FormatDateTime("yyyy/mm/dd", date);
}

std::string TimeToStr(TDateTime date)
{
    return FormatDateTime("hh:nn:ss", date);
}

std::string DateTimeToStr(TDateTime date)
{
    return FormatDateTime("c", date);
}

bool TryStrToDate(std::string_view text, TDateTime &date)
{
    text = TrimView(text);
    TScannedNumbers numbers;
    if (!ScanNumbers(text, '/', numbers) || numbers.count < 2)
        return false;
    int year, month, day;
    if (numbers.count == 2) {
        int d;
        DecodeDate(Date(), year, month, d);
        month = numbers.values[0];
        day = numbers.values[1];
    } else {
        year = numbers.values[0];
        month = numbers.values[1];
        day = numbers.values[2];
        if (numbers.digits[0] <= 2) {
            int currentYear, m, d;
            DecodeDate(Date(), currentYear, m, d);
            year += currentYear / 100 * 100;
        }
    }
    return TryEncodeDate(year, month, day, date);
}

TDateTime StrToDate(std::string_view text)
{
    TDateTime date;
    if (!TryStrToDate(text, date))
        throw EConvertError("'" + std::string(text) + "' is not a valid date");
    return date;
}

bool TryStrToTime(std::string_view text, TDateTime &time)
{
    text = TrimView(text);
    TScannedNumbers numbers;
    if (!ScanNumbers(text, ':', numbers) || numbers.count < 2)
        return false;
    return TryEncodeTime(numbers.values[0], numbers.values[1], numbers.count == 3 ? numbers.values[2] : 0, 0, time);
}

TDateTime StrToTime(std::string_view text)
{
    TDateTime time;
    if (!TryStrToTime(text, time))
        throw EConvertError("'" + std::string(text) + "' is not a valid time");
    return time;
}

bool TryStrToDateTime(std::string_view text, TDateTime &date)
{
    text = TrimView(text);
    size_t space = text.find(' ');
    if (space == std::string_view::npos)
        return TryStrToDate(text, date);
    TDateTime day, time;
    if (!TryStrToDate(text.substr(0, space), day) || !TryStrToTime(text.substr(space + 1), time))
        return false;
    date = day >= 0 ? day + time : day - time;
    return true;
}

TDateTime StrToDateTime(std::string_view text)
{
    TDateTime date;
    if (!TryStrToDateTime(text, date))
        throw EConvertError("'" + std::string(text) + "' is not a valid date and time");
    return date;
}
