#include "schedule/Head.h"

#include "platform/core/Encoding.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Services.h"
#include "platform/core/StringList.h"
#include "platform/core/SysUtils.h"

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

namespace {

enum class TPeriodFit { Fits, StartsBeforeTheFirstDate, EndsPastTheLastDate };

// The one place that decides whether the days shown from a start are all dates.
TPeriodFit FitOfPeriod(TDateTime start, int days)
{
    if (std::trunc(start) < FirstDate)
        return TPeriodFit::StartsBeforeTheFirstDate;
    if (std::trunc(start) > LastFittingStart(days))
        return TPeriodFit::EndsPastTheLastDate;
    return TPeriodFit::Fits;
}

} // namespace

std::string PeriodRefusal(TDateTime start, int days)
{
    const TPeriodFit fit = FitOfPeriod(start, days);
    if (fit == TPeriodFit::Fits)
        return "";
    const std::string period = FormatDateTime("yyyy/MM/dd", start) + " から " + IntToStr(days) + " 日間の表示は ";
    if (fit == TPeriodFit::StartsBeforeTheFirstDate)
        return period + "0001/01/01 より前に始まるため、その日付にはできません。";
    return period + "9999/12/31 を越えるため、その日付にはできません。";
}

TDateTime LastFittingStart(int days)
{
    return LastDate - std::max(days, 1) + 1;
}

TDateTime NearestFittingStart(TDateTime start, int days)
{
    switch (FitOfPeriod(start, days)) {
    case TPeriodFit::StartsBeforeTheFirstDate: return FirstDate;
    case TPeriodFit::EndsPastTheLastDate: return LastFittingStart(days);
    case TPeriodFit::Fits: break;
    }
    return start;
}

TDateTime HeldToCalendar(TDateTime date)
{
    // Far beyond either end (or no number at all) nothing is decoded.
    if (!(date < LastDate + 2))
        return LastDate;
    if (!(date > FirstDate - 2))
        return FirstDate;
    int y, m, d;
    DecodeDate(date, y, m, d);
    if (y > 9999)
        return LastDate;
    if (y < 1)
        return FirstDate;
    return date;
}

TDateTime HeldEnd(TDateTime start, TDateTime end)
{
    const TDateTime held = HeldToCalendar(end);
    if (held == end)
        return end;
    // A start later on the calendar's last day keeps the bar at no length.
    return held < start ? start : held;
}

void KeepSpanInCalendar(TDateTime &start, TDateTime &end)
{
    const long double length = static_cast<long double>(end) - start;
    if (HeldToCalendar(start) != start) {
        start = HeldToCalendar(start);
        end = static_cast<TDateTime>(start + length);
    }
    if (HeldToCalendar(end) != end) {
        end = HeldToCalendar(end);
        start = HeldToCalendar(static_cast<TDateTime>(end - length));
        end = HeldEnd(start, end);
    }
}

TDateTime FirstDayOfNextYear(TDateTime date)
{
    int y, m, d;
    DecodeDate(date, y, m, d);
    int daysLeft = DaysInMonth(y, m) - d + 1;
    for (int later = m + 1; later <= 12; ++later)
        daysLeft += DaysInMonth(y, later);
    return std::trunc(date) + daysLeft;
}

namespace {

// The walk below needs a sorted list without repeats; the holiday file keeps
// its own order and may repeat a date. Every bar of a document asks with the
// same list, so the sorted copy is kept until the list changes.
const std::vector<TDateTime> &SortedHolidays(const std::vector<TDateTime> &holidays)
{
    thread_local std::vector<TDateTime> source, sorted;
    if (holidays == source)
        return sorted;
    source = holidays;
    sorted.clear();
    for (TDateTime h : holidays)
        if (h != 0)
            sorted.push_back(h);
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    return sorted;
}

} // namespace

long double WorkingDays(TDateTime startDate, TDateTime endDate, long double duration,
                        const std::vector<TDateTime> &holidays)
{
    const std::vector<TDateTime> &sorted = SortedHolidays(holidays);
    const long double s = startDate;
    const long double e = endDate;
    const long double firstDay = std::trunc(s);
    const long double lastDay = std::trunc(e);
    long double c = duration;
    // Only holidays from the first to the last day count; start at the first of them.
    const long double from = std::min({s, firstDay, lastDay});
    auto it = std::lower_bound(sorted.begin(), sorted.end(), from,
                               [](TDateTime h, long double v) { return static_cast<long double>(h) < v; });
    for (; it != sorted.end(); ++it) {
        const long double h = *it;
        if (h > s && lastDay > h)
            c -= 1;                                // a whole holiday inside the bar
        if (firstDay == h)
            c -= std::trunc(s + 1) - s;            // the part of the first day on a holiday
        if (lastDay == h) {
            c -= e - lastDay;                      // the part of the last, partial day
            break;
        }
        if (h > firstDay && h > lastDay)
            break;
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
    // The message names the first few bad lines and counts the others, so
    // that it stays readable whatever the file holds.
    constexpr int kNamedBadLines = 10;
    std::string badLines;
    int badCount = 0;
    TDateTime previous = 0;
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string &line = lines[i];
        if (line.empty())
            continue;
        TDateTime date;
        if (!TryStrToDate(line, date)) {
            if (++badCount <= kNamedBadLines)
                badLines += "\n" + std::to_string(i + 1) + ": " + ShortenUtf8(line, 60);
            continue;
        }
        if (date != previous)
            HolidayList.push_back(date);
        previous = date;
    }
    if (badCount > kNamedBadLines)
        badLines += "\nほか " + std::to_string(badCount - kNamedBadLines) + " 行";
    if (badCount > 0)
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

// ---------------------------------------------------------------- the document model

#include "platform/widgets/Image.h"

TModelHost *ModelHost = nullptr;

std::vector<std::unique_ptr<TItem>> ItemList;
TItem *SelectedItem = nullptr;
TChart *SelectedChart = nullptr;
long double PixelsPerDay = 0;
int DaysShown = 7;
bool Modified = false;
int FileVersion = 0;
const float AppVersion = 1.18f;
std::string GroupSetName;
TColor GroupSetColor = static_cast<TColor>(-1);
std::uint8_t ChartDragState = 3;
int PrinterIndex = -1;
bool PrintAll = true, PrintToFile = false;
int PrintFromPage = 1, PrintToPage = 1, PrintCopies = 1;
std::string BaseDir, SettingsDir;
bool UseAppDir = false;
std::array<TGroup, 12> Groups;

bool DateFit = true, AutoMove = true;
TColor ChartColor2 = 0x80FFFF, SelectColor = 0x00FFFF, JissekiColor = 255, JissekiEndColor = 0xFF0000;
int JissekiHyouji = 0;
std::string ChartFontName = "ＭＳ ゴシック";
int ChartSize = 9;
std::string ChartAlignment = "中央";
TColor ChartFontColor = clWindowText, ItemColor = clWindow;
int ItemDefHeight = 50;
std::string ItemFontName = "ＭＳ ゴシック";
int ItemSize = 9;
TColor ItemFontColor = clWindowText;
bool InitialLoad = true, todayStart = false;
std::string XSL;
TColor DateColor1 = 0xFFFFFF, DateColor2 = 0xE3E3E3, HorydayColor = 0x02C6CEFF;
bool HorydayColorOnly = true, DoubleBufferedOn = false, XmlTarvoldLink = false;
std::string EncodingStrSet = "Shift_JIS";
int CustomTimeScale = 7;

int PaperSize = 9;
std::uint8_t Orientation = 1;
long double TopMargin = 10, BottomMargin = 10, LeftMargin = 10, RightMargin = 10;
bool FrameTop = true, FrameBottom = true, FrameLeft = true, FrameRight = true;
TColor FrameColor = clWindowText;
int FrameWidth = 1;
std::string PrintMidashi = "スケジュール表";
bool PrintTitle = true, PrintDate = true, PrintHanko1 = true, PrintHanko2 = true, PrintHanko3 = true,
     PrintHanko4 = true;
std::string PrintKaishamei;

void ResetPageSettings()
{
    PaperSize = 9;
    Orientation = 1;
    TopMargin = BottomMargin = LeftMargin = RightMargin = 10;
    FrameTop = FrameBottom = FrameLeft = FrameRight = true;
    FrameColor = clWindowText;
    FrameWidth = 1;
    PrintMidashi = "スケジュール表";
    PrintTitle = PrintDate = true;
    PrintHanko1 = PrintHanko2 = PrintHanko3 = PrintHanko4 = true;
    PrintKaishamei.clear();
}

void ResetGroups()
{
    static const TColor colors[12] = {0x80FFFF, 0x80FF80, 0xFFFF80, 0xFF8000, 0x8080FF, 0xC080FF,
                                      0xC08000, 0x4080FF, 0xFF8080, 0x008080, 0x004000, 0x808000};
    for (size_t i = 0; i < Groups.size(); ++i)
        Groups[i] = TGroup{"", colors[i]};
}

void ResizeImage(TImage &image, int height, int width, TPixelFormat format)
{
    image.NewBitmap(width, height, format);
    image.SetBounds(image.Left(), image.Top(), width, height);
}

long double DefaultChartDuration(int daysShown)
{
    if (daysShown >= 7 && daysShown <= 31)
        return 1;
    switch (daysShown) {
    case 62: return 2;
    case 95: return 3;
    case 183: return 10;
    case 365: return 15;
    case 730: return 30;
    default: return 0;
    }
}

long double WorkingDays(const TChart &chart)
{
    return WorkingDays(chart.FStartDate, chart.FEndDate, chart.FDuration, HolidayList);
}

TBarPlace BarPlace(const TShape &band)
{
    return {band.Top() + band.Height() / 5, band.Height() - band.Height() / 2};
}

TStripEnds ProgressStripEnds(const TChart &chart, long double pixelsPerDay)
{
    if (JissekiHyouji != 0)
        return {DateToPixel(pixelsPerDay, chart.FChakushubi),
                DateToPixel(pixelsPerDay, chart.FJissekibi) + RoundInt(pixelsPerDay)};
    const int left = DateToPixel(pixelsPerDay, chart.FStartDate);
    const long double width = DateToPixel(pixelsPerDay, chart.FEndDate) - left;
    return {left, left + static_cast<int>(std::trunc(width * chart.FRitsu / 100))};
}

TColor ProgressStripColor(const TChart &chart)
{
    return std::trunc(chart.FRitsu) == 100 ? JissekiEndColor : JissekiColor;
}

namespace {

TAlignment AlignmentOfText(const std::string &text, TAlignment fallback)
{
    if (text == "左寄せ") return taLeftJustify;
    if (text == "中央") return taCenter;
    if (text == "右寄せ") return taRightJustify;
    return fallback;
}

} // namespace

namespace {

// The label of a bar or of its progress strip: its hint is made from the
// bar's values only when it is asked for.
class TChartLabel : public TBevelLabel {
public:
    explicit TChartLabel(const TChart &chart) : TBevelLabel(nullptr), chart_(chart) { HintChanged(); }

protected:
    std::string MakeHint() const override { return chart_.HintText(); }

private:
    const TChart &chart_;
};

} // namespace

TChart::TChart() : FBar(std::make_unique<TChartLabel>(*this))
{
    TBevelLabel &bar = *FBar;
    bar.SetRaisedWidth(1);
    bar.SetBevelColor(0);
    bar.SetAutoSize(false);
    bar.Hide();
    bar.SetWordWrap(true);
    bar.SetColor(ChartColor2);
    bar.SetAlignment(AlignmentOfText(ChartAlignment, bar.Alignment()));
    bar.Font().SetName(ChartFontName);
    bar.Font().SetSize(ChartSize);
    bar.Font().SetColor(ChartFontColor);
    bar.Font().SetStyle(fsBold);
    if (ModelHost) {
        bar.SetShowHint(ModelHost->ShowChartInfo);
        bar.OnMouseDown = ModelHost->ChartMouseDown;
        bar.OnMouseMove = ModelHost->ChartMouseMove;
        bar.OnMouseUp = ModelHost->ChartMouseUp;
        bar.SetParent(ModelHost->ChartPanel);
    }
    FDuration = DefaultChartDuration(DaysShown);
}

TChart::~TChart() = default;

void TChart::AssignClipFields(const TChart &from)
{
    FDuration = from.FDuration;
    FYotei = from.FYotei;
    FJisseki = from.FJisseki;
    FChakushubi = from.FChakushubi;
    FJissekibi = from.FJissekibi;
    FRitsu = from.FRitsu;
    FBikou = from.FBikou;
    FGroup = from.FGroup;
    FBar->SetCaption(from.FBar->Caption());
    FBar->SetAlignment(from.FBar->Alignment());
    FBar->SetColor(from.FBar->Color());
    FBar->Font().Assign(from.FBar->Font());
}

TBevelLabel &TChart::ProgressBarNeeded()
{
    if (!FProgressBar) {
        FProgressBar = std::make_unique<TChartLabel>(*this);
        FProgressBar->SetRaisedWidth(1);
        FProgressBar->SetBevelColor(0);
        FProgressBar->SetHeight(5);
        FProgressBar->SetShowHint(FBar->ShowHint());
        FProgressBar->SetParent(FBar->Parent());
    }
    return *FProgressBar;
}

std::string TChart::HintText() const
{
    TDateTime last = std::trunc(FEndDate);
    if (last == FEndDate)
        last -= 1;
    std::string hint = "開始日：" + FormatDateTime("yyyy/MM/dd", FStartDate) + "\r\n"
        + "終了日：" + FormatDateTime("yyyy/MM/dd", last) + "\r\n"
        + "日数：" + FormatFloat("0.00", FDuration) + "日" + "(" + FormatFloat("0.00", WorkingDays(*this)) + ")\r\n"
        + "予定数：" + IntToStr(FYotei) + "\r\n"
        + "実績数：" + IntToStr(FJisseki) + "\r\n";
    if (FJisseki > 0)
        hint += "着手日：" + FormatDateTime("yyyy/MM/dd", FChakushubi) + "\r\n"
            + "実績日：" + FormatDateTime("yyyy/MM/dd", FJissekibi) + "\r\n";
    hint += "達成率：" + IntToStr(static_cast<long long>(std::trunc(FRitsu))) + "％\r\n"
        + "ｸﾞﾙｰﾌﾟ：" + FGroup + "\r\n"
        + "備考：" + FBikou;
    return hint;
}

void TChart::HintChanged()
{
    FBar->HintChanged();
    if (FProgressBar)
        FProgressBar->HintChanged();
}

TItem::TItem() : FMemo(std::make_unique<TMemo>(nullptr)), FSplitter(std::make_unique<TSplitter>(nullptr))
{
    TMemo &memo = *FMemo;
    memo.SetConstraints(TSizeConstraints{0, 20, 0, 600});
    if (!ItemList.empty()) {
        const TMemo &last = *ItemList.back()->FMemo;
        memo.SetTop(last.Top() + last.Height() + 1);
    }
    memo.SetHeight(ItemDefHeight);
    memo.SetColor(ItemColor);
    memo.Font().SetName(ItemFontName);
    memo.Font().SetSize(ItemSize);
    memo.Font().SetColor(ItemFontColor);
    memo.SetTag(static_cast<long>(ItemList.size()));
    memo.SetImeMode(imOpen);
    TSplitter &splitter = *FSplitter;
    splitter.SetMinSize(20);
    splitter.SetCursor(crVSplit);
    splitter.SetTag(static_cast<long>(ItemList.size()));
    if (ModelHost) {
        memo.SetWidth(ModelHost->ItemPanel ? ModelHost->ItemPanel->Width() - 2 : memo.Width());
        memo.OnEnter = ModelHost->ItemEnter;
        memo.OnChange = ModelHost->ItemChange;
        memo.OnMouseDown = ModelHost->ItemMouseDown;
        memo.OnMouseMove = ModelHost->ItemMouseMove;
        memo.OnDragOver = ModelHost->ItemDragOver;
        memo.OnDragDrop = ModelHost->ItemDragDrop;
        memo.SetPopupMenu(ModelHost->ItemPopup);
        splitter.OnMoved = ModelHost->SplitterMoved;
        splitter.OnCanResize = ModelHost->SplitterCanResize;
    }
    memo.SetAlign(alTop);
    if (ModelHost && ModelHost->ItemPanel)
        memo.SetParent(ModelHost->ItemPanel);
    splitter.SetBounds(0, memo.Top() + 5, splitter.Width(), 1);
    splitter.SetAlign(alTop);
    if (ModelHost && ModelHost->ItemPanel)
        splitter.SetParent(ModelHost->ItemPanel);
}

TItem::~TItem() = default;
