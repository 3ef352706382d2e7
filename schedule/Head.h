#pragma once
// The schedule model and the process-wide editing state shared by the main
// window, the dialogs and the report, with the small shared routines.
#include "platform/DateTime.h"

#include <array>
#include <string>
#include <vector>

// Weekday names, Sunday first; index = day of week - 1 with Sunday = 1.
extern const std::array<std::string, 7> WeekdayNames;

// The date at x = 0 of the chart (the displayed start).
extern TDateTime StartDate;

// The shared holiday list: dates in the order they were read or sorted; an
// entry 0 is a cleared slot, skipped when saving.
extern std::vector<TDateTime> HolidayList;
// The folder of the holiday file "Date.ini", with a trailing "/".
extern std::string DateIniDir;

// Sort comparers: negative, zero or positive like a three-way compare.
// Bars whose starts differ by less than half a thousandth of a day compare equal.
int CompareChartStart(TDateTime a, TDateTime b);
// Events within half a day of each other compare equal.
int CompareEventDate(TDateTime a, TDateTime b);
int CompareHoliday(TDateTime a, TDateTime b);

// round(pixelsPerDay x (date - StartDate)).
int DateToPixel(long double pixelsPerDay, TDateTime date);

// The working days of a bar from start to its exclusive end: the duration less
// the holidays inside it, whole holidays and the parts of a partial first and
// last day that lie on a holiday. Each distinct holiday counts once, in any
// order; never below 0.
long double WorkingDays(TDateTime startDate, TDateTime endDate, long double duration,
                        const std::vector<TDateTime> &holidays);

// The operating-system name the program tests against ("Vista", "Seven"); empty on Linux.
std::string GetOSName();
// An environment variable's value (at most 1023 bytes); empty when unset.
std::string GetEnvVar(const std::string &name);

// The holiday file: one "yyyy/MM/dd" date per line, code page 932, CR LF.
// Reading keeps the file's order and skips only a repeat of the date just
// before; a line that is not a date is skipped and reported (all of them in one
// message) while every good date is kept. False when the file is missing (the
// list is then left as it is), cannot be read, or holds no date.
bool LoadHolidays();
// Writes every non-zero entry in list order; raises when the file cannot be written.
void SaveHolidays();
