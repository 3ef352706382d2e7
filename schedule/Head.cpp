#include "schedule/Head.h"

#include "platform/Encoding.h"
#include "platform/Exceptions.h"
#include "platform/Services.h"
#include "platform/StringList.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <cmath>

const std::array<std::string, 7> WeekdayNames = {"日", "月", "火", "水", "木", "金", "土"};

TDateTime StartDate = 0;
std::vector<TDateTime> HolidayList;
std::string DateIniDir;

namespace {

int ClampToInt(long long value)
{
    if (value > 2147483647LL)
        return 2147483647;
    if (value < -2147483648LL)
        return -2147483647 - 1;
    return static_cast<int>(value);
}

const char *kHolidayFile = "Date.ini";

} // namespace

int CompareChartStart(TDateTime a, TDateTime b)
{
    // Taken as a 32-bit integer, like the list sort expects.
    return static_cast<int>(static_cast<std::uint32_t>(RoundHalfEven((static_cast<long double>(a) - b) * 1000)));
}

int CompareEventDate(TDateTime a, TDateTime b)
{
    return ClampToInt(RoundHalfEven(static_cast<long double>(a) - b));
}

int CompareHoliday(TDateTime a, TDateTime b)
{
    return ClampToInt(RoundHalfEven(static_cast<long double>(a) - b));
}

int DateToPixel(long double pixelsPerDay, TDateTime date)
{
    return ClampToInt(RoundHalfEven(pixelsPerDay * (static_cast<long double>(date) - StartDate)));
}

long double WorkingDays(TDateTime startDate, TDateTime endDate, long double duration,
                        const std::vector<TDateTime> &holidays)
{
    // The walk below needs a sorted list without repeats; the holiday file keeps
    // its own order and may repeat a date, so sort a copy first.
    std::vector<TDateTime> sorted;
    sorted.reserve(holidays.size());
    for (TDateTime h : holidays)
        if (h != 0)
            sorted.push_back(h);
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());

    const long double s = startDate;
    const long double e = endDate;
    const long double firstDay = std::trunc(s);
    const long double lastDay = std::trunc(e);
    long double c = duration;
    for (TDateTime holiday : sorted) {
        const long double h = holiday;
        if (h > s && lastDay > h)
            c -= 1;                                // a whole holiday inside the bar
        if (firstDay == h)
            c -= std::trunc(s + 1) - s;            // the part of the first day on a holiday
        if (lastDay == h) {
            c -= e - lastDay;                      // the part of the last, partial day
            break;
        }
    }
    return c < 0 ? 0 : c;
}

std::string GetOSName()
{
    return Services().OSName();
}

std::string GetEnvVar(const std::string &name)
{
    std::string value = Services().GetEnv(name);
    value = value.substr(0, value.find('\0'));
    if (Cp932Length(value) <= 1023)
        return value;
    // Cut at a character boundary so that at most 1023 bytes remain.
    std::string cut;
    size_t i = 0;
    while (i < value.size()) {
        size_t next = i + 1;
        while (next < value.size() && (static_cast<unsigned char>(value[next]) & 0xC0) == 0x80)
            ++next;
        if (Cp932Length(cut + value.substr(i, next - i)) > 1023)
            break;
        cut += value.substr(i, next - i);
        i = next;
    }
    return cut;
}

bool LoadHolidays()
{
    const std::string path = DateIniDir + kHolidayFile;
    if (!FileExists(path))
        return false;
    TStringList lines;
    try {
        lines.LoadFromFile(path);
    } catch (const Exception &e) {
        Services().MessageBox("休日ファイルを読み込めません。\n" + e.Message(), "たるぼる", MB_OK | MB_ICONWARNING);
        return false;
    }
    HolidayList.clear();
    std::string badLines;
    TDateTime previous = 0;
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string &line = lines[i];
        if (line.empty())
            continue;
        TDateTime date;
        if (!TryStrToDate(line, date)) {
            badLines += "\n" + std::to_string(i + 1) + ": " + line;
            continue;
        }
        if (date != previous)
            HolidayList.push_back(date);
        previous = date;
    }
    if (!badLines.empty())
        Services().MessageBox("休日ファイル " + path + " の次の行は日付ではないため読み飛ばしました。" + badLines,
                              "たるぼる", MB_OK | MB_ICONWARNING);
    return !HolidayList.empty();
}

void SaveHolidays()
{
    TStringList lines;
    for (TDateTime date : HolidayList)
        if (date != 0)
            lines.Add(FormatDateTime("yyyy/mm/dd", date));
    lines.SaveToFile(DateIniDir + kHolidayFile);
}
