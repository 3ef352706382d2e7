#pragma once
// The schedule document file as values: what the reader takes from the file
// before it builds rows and bars, and the writer's text. Reading the values
// needs no window, so it can be checked and fuzzed on its own.
#include "platform/core/DateTime.h"
#include "platform/graphics/Graphics.h"
#include "schedule/Head.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TFontValues {
    std::optional<std::string> Name;
    std::optional<int> Size;
    std::optional<TColor> Color;
};

struct TChartValues {
    std::optional<std::string> Text;
    std::optional<TColor> Color;
    std::optional<int> Alignment;
    TFontValues Font;
    TDateTime StartDate = 0;
    TDateTime EndDate = 0;
    std::optional<long double> Duration;  // set when the file gives an end date
    int Line = 0;
    int Yotei = 0;
    int Jisseki = 0;
    TDateTime Chakushubi = 0;
    TDateTime Jissekibi = 0;
    long double Ritsu = 0;
    std::string Bikou;
    std::string Group;
};

struct TRowValues {
    std::optional<int> Height;
    std::optional<std::string> Text;
    std::optional<TColor> Color;
    std::optional<int> Alignment;
    std::optional<int> LineCount;
    TFontValues Font;
    std::vector<TChartValues> Charts;
    std::vector<TEvent> Events;
};

struct TDocumentValues {
    int FileVersion = 0;
    std::optional<std::string> Title;
    std::optional<TDateTime> StartDate;
    int TimeScale = 0;
    int CalendarIndex = 0;
    std::optional<int> ItemPanel;
    std::optional<int> PaperSize;
    std::optional<int> Orientation;
    std::optional<long double> TopMargin, BottomMargin, LeftMargin, RightMargin;
    std::optional<bool> FrameTop, FrameBottom, FrameLeft, FrameRight;
    std::optional<TColor> FrameColor;
    std::optional<int> FrameWidth;
    std::optional<std::string> PrintMidashi;
    std::optional<bool> PrintTitle, PrintDate, PrintHanko1, PrintHanko2, PrintHanko3, PrintHanko4;
    std::optional<std::string> PrintKaishamei;
    std::array<std::optional<std::string>, 12> GroupNames;
    std::array<std::optional<TColor>, 12> GroupColors;
    // Rows announced by the file (for the progress bar) and the rows read.
    int ItemCount = 0;
    std::vector<TRowValues> Rows;
    // When set, each row is handed here as soon as it is read, instead of
    // being kept in Rows (a large document then never holds all its values at
    // once); the row migrations are then the receiver's (MigrateChart,
    // MigrateEventLine), once the whole file is read.
    std::function<void(TRowValues &row)> RowRead;
    // The bytes may be given back to the system as they are read (the caller
    // reads them no more; they then read as zeros).
    bool ReleaseBytesRead = false;
    // The time-scale tab the file asks for after the migrations; none: keep the current one.
    std::optional<int> TabIndex;
    bool Complete = false;
};

// Whether the file's text holds the document element "<schedule>"; raises
// when the file cannot be read. A file without it is no schedule and is never
// opened, so that a save cannot replace it.
bool HoldsScheduleElement(const std::string &fileName);
// Moves the start date the document asks for (which `todayStart` sets aside)
// to the nearest start whose days shown are all dates: a setting changed since
// the save (a longer 任意 scale) never keeps a document from opening.
void FitDocumentStartDate(TDocumentValues &doc);

// Reads the bytes of a document file into `doc`. Bytes without "<schedule>"
// raise EConvertError before anything is read. Raises EConvertError naming
// the file line and the value when a value cannot be read; what was read until
// then stays in `doc` (Complete stays false). The migrations for files of
// older versions are applied to the values once the whole file is read.
void ParseScheduleDocument(std::string_view bytes, TDocumentValues &doc);

// The migrations of one bar and one event from a file of that version: bars
// with work done but no date of it get the bar's first and last day (before
// 0.82), event lines count from 0 (before 0.83).
void MigrateChart(int fileVersion, TDateTime startDate, TDateTime endDate, int jisseki, TDateTime &chakushubi,
                  TDateTime &jissekibi);
void MigrateEventLine(int fileVersion, int &line);

// The time-scale tab of the custom scale, which shows CustomTimeScale days.
constexpr int kCustomScaleTab = 9;
// The days shown by a time-scale tab.
int DaysOfTimeScaleTab(int tabIndex);

// Values in the file: "<", ">" and "&" are written as entities, and read back.
std::string EscapeXmlText(std::string_view text);
std::string UnescapeXmlText(std::string_view text);
// A date as the document writes it: "yyyy/MM/dd", with " hh:nn:ss" when
// `withTime` and the time of day (rounded to the millisecond) is not zero.
std::string FormatDocumentDate(TDateTime date, bool withTime);
