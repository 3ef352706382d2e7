#pragma once
// The schedule model and the process-wide editing state shared by the main
// window, the dialogs and the report, with the small shared routines.
#include "platform/core/DateTime.h"

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

// The first and the last day a date can name: 0001/01/01 and 9999/12/31.
constexpr TDateTime FirstDate = -693593;
constexpr TDateTime LastDate = 2958465;
// Empty when the `days` days shown from `start` are all dates; otherwise the
// message that refuses that start. A start beyond either end (a step of a
// month or a year can reach one) is named as the calendar would count it.
std::string PeriodRefusal(TDateTime start, int days);
// The last start from which `days` days are all dates.
TDateTime LastFittingStart(int days);
// The start itself when its `days` days are all dates; otherwise the nearest
// start whose days are: the first date, or the last fitting start.
TDateTime NearestFittingStart(TDateTime start, int days);
// The date as it stands when it is a day of the calendar (its day taken as
// it is written, to the millisecond); otherwise the calendar's end it passed:
// 0001/01/01 or 9999/12/31.
TDateTime HeldToCalendar(TDateTime date);
// A bar's exclusive end held within the calendar, never before its start.
TDateTime HeldEnd(TDateTime start, TDateTime end);
// A bar's start and exclusive end moved together into the calendar: a bar
// that passed an end of it comes back against that end with its length, as
// far as the calendar has room for it.
void KeepSpanInCalendar(TDateTime &start, TDateTime &end);
// 1 January of the year after the date's, as a day number; also after the
// year 9999 and for a day before the year 1, since nothing is encoded.
TDateTime FirstDayOfNextYear(TDateTime date);

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

// ---------------------------------------------------------------- the document model

#include "controls/BevelLabel.h"
#include "platform/widgets/Memo.h"
#include "platform/widgets/Shape.h"
#include "platform/widgets/Splitter.h"

#include <memory>

class TPopupMenu;

// What rows and bars need from the window that shows them: the panels they
// live on, the row popup menu and the handlers to bind. Without a host (as in
// tests of the model alone) rows and bars are made without a window.
struct TModelHost {
    TWinControl *ItemPanel = nullptr;   // the caption column
    TWinControl *ChartPanel = nullptr;  // the chart area
    TPopupMenu *ItemPopup = nullptr;
    bool ShowChartInfo = true;          // bars show their hints
    // Held as event slots: every row and bar shares the one handler.
    TEventSlot<TNotifyEvent> ItemEnter, ItemChange;
    TEventSlot<TMouseEvent> ItemMouseDown;
    TEventSlot<TMouseMoveEvent> ItemMouseMove;
    TEventSlot<TDragOverEvent> ItemDragOver;
    TEventSlot<TDragDropEvent> ItemDragDrop;
    TEventSlot<TNotifyEvent> SplitterMoved;
    TEventSlot<TCanResizeEvent> SplitterCanResize;
    TEventSlot<TMouseEvent> ChartMouseDown;
    TEventSlot<TMouseMoveEvent> ChartMouseMove;
    TEventSlot<TMouseEvent> ChartMouseUp;
    TEventSlot<TMouseEvent> BandMouseDown;
    TEventSlot<TMouseMoveEvent> BandMouseMove;
    TEventSlot<TDragOverEvent> BandDragOver;
    TEventSlot<TDragDropEvent> BandDragDrop;
};
extern TModelHost *ModelHost;

// One dated mark in a row.
struct TEvent {
    TDateTime EventDate = 0;
    std::string Marker;
    std::string EventName;
    std::string FontName;
    int FontSize = 0;
    TColor FontColor = 0;
    int Line = 0;
    std::uint8_t Position = 0;  // 0 top, 1 centre, 2 bottom
    std::uint8_t EndFlg = 0;    // 1 = done: neither drawn nor printed
};

// One bar: its label on the chart, its dates and its counts.
class TChart : public TObject {
public:
    TChart();
    ~TChart() override;

    std::unique_ptr<TBevelLabel> FBar;
    std::unique_ptr<TBevelLabel> FProgressBar;  // only while FJisseki >= 1
    TDateTime FStartDate = 0;
    long double FDuration = 0;
    TDateTime FEndDate = 0;    // exclusive
    int FLine = 0;
    bool FSelected = false;
    int FYotei = 0;
    int FJisseki = 0;
    TDateTime FChakushubi = 0;
    TDateTime FJissekibi = 0;
    long double FRitsu = 0;
    std::string FBikou;
    std::string FGroup;

    // Makes the progress strip (5 pixels high, under the bar) when there is none.
    TBevelLabel &ProgressBarNeeded();
    // The bar's summary that its label and strip show as their hint: dates,
    // days, counts, rate, group and remarks as they are now.
    std::string HintText() const;
    // The values the hint shows changed: the label and the strip make their
    // hint again when it is next asked for.
    void HintChanged();
    // What the bar clipboard carries from one bar to another: duration, counts,
    // dates of work, rate, remarks, group, and the label's text, alignment,
    // colour and font; not the place (dates, line), selection or strip.
    void AssignClipFields(const TChart &from);
};

constexpr int MaxLineCount = 10;

// One row: its caption in the caption column, the splitter under it, its bars,
// its events and one transparent band per line on the chart.
class TItem : public TObject {
public:
    TItem();
    ~TItem() override;

    std::unique_ptr<TMemo> FMemo;
    std::unique_ptr<TSplitter> FSplitter;
    std::vector<std::unique_ptr<TChart>> FCharts;
    int FLineCount = 0;
    std::vector<TEvent> FEvents;
    std::array<std::unique_ptr<TShape>, MaxLineCount> FLines;

    // The chart redraw that placed this row's bars; kBarsHidden: the bars
    // are hidden (the row was far from the view at a redraw, or it was read
    // so); a new row may show bars anywhere until a redraw places or hides them.
    static constexpr unsigned kBarsHidden = 0, kBarsUnplaced = ~0u;
    unsigned PlacedRedraw = kBarsUnplaced;

    int Top() const { return FMemo->Top(); }
    int Height() const { return FMemo->Height(); }
};

// Where a bar stands on its line band, on screen and on paper: a fifth of
// the band down, half the band high (the odd pixel to the bar).
struct TBarPlace {
    int Top;
    int Height;
};
TBarPlace BarPlace(const TShape &band);
// The x of a progress strip's ends at `pixelsPerDay`, before any clipping:
// from the start of work to the end of the actual date's day when strips show
// dates (`JissekiHyouji`), otherwise from the bar's start over the part of its
// width that its rate gives (truncated).
struct TStripEnds {
    int Left;
    int Right;
};
TStripEnds ProgressStripEnds(const TChart &chart, long double pixelsPerDay);
// A progress strip's colour: `JissekiEndColor` once the bar's rate, in whole
// percent, is 100, `JissekiColor` before. The screen and the printout take it
// from here, whether or not the strip was ever placed on screen.
TColor ProgressStripColor(const TChart &chart);

struct TGroup {
    std::string Name;
    TColor Color = 0;
};

// The default duration of a new bar for the days shown.
long double DefaultChartDuration(int daysShown);
// The working days of a bar over the shared holiday list.
long double WorkingDays(const TChart &chart);

// The document's rows in row order.
extern std::vector<std::unique_ptr<TItem>> ItemList;
extern TItem *SelectedItem;
extern TChart *SelectedChart;
extern long double PixelsPerDay;
extern int DaysShown;
extern bool Modified;
extern int FileVersion;
extern const float AppVersion;
extern std::string GroupSetName;
extern TColor GroupSetColor;
extern std::uint8_t ChartDragState;  // 0 move, 1 resize start, 2 resize end, 3 idle
extern int PrinterIndex;
extern bool PrintAll, PrintToFile;
extern int PrintFromPage, PrintToPage, PrintCopies;
extern std::string BaseDir, SettingsDir;
extern bool UseAppDir;
extern std::array<TGroup, 12> Groups;

// The settings (read at start-up, written at close).
extern bool DateFit, AutoMove;
extern TColor ChartColor2, SelectColor, JissekiColor, JissekiEndColor;
extern int JissekiHyouji;
extern std::string ChartFontName;
extern int ChartSize;
extern std::string ChartAlignment;
extern TColor ChartFontColor, ItemColor;
extern int ItemDefHeight;
extern std::string ItemFontName;
extern int ItemSize;
extern TColor ItemFontColor;
extern bool InitialLoad, todayStart;
extern std::string XSL;
extern TColor DateColor1, DateColor2, HorydayColor;
extern bool HorydayColorOnly, DoubleBufferedOn, XmlTarvoldLink;
extern std::string EncodingStrSet;
extern int CustomTimeScale;

// The page settings of the document.
extern int PaperSize;
extern std::uint8_t Orientation;
extern long double TopMargin, BottomMargin, LeftMargin, RightMargin;
extern bool FrameTop, FrameBottom, FrameLeft, FrameRight;
extern TColor FrameColor;
extern int FrameWidth;
extern std::string PrintMidashi;
extern bool PrintTitle, PrintDate, PrintHanko1, PrintHanko2, PrintHanko3, PrintHanko4;
extern std::string PrintKaishamei;

// Puts the page settings and the group table to the defaults of a new document.
void ResetPageSettings();
void ResetGroups();
// Gives an image a fresh bitmap of that size and format, and the image that size.
class TImage;
void ResizeImage(TImage &image, int height, int width, TPixelFormat format);
