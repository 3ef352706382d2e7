#include "schedule/printing/Rep.h"

#include "platform/kernel/Application.h"
#include "platform/graphics/Printers.h"
#include "platform/core/Services.h"
#include "platform/kernel/MessageBoxOwner.h"
#include "platform/widgets/Memo.h"
#include "platform/core/SysUtils.h"
#include "report/RpPrnSettings.h"
#include "schedule/Main.h"
#include "schedule/Wait.h"
#include "schedule/printing/Preview.h"

#include <algorithm>
#include <cmath>

namespace {

const char *const LabelFont = "ＭＳ Ｐゴシック";
// The page number's box as the form has it; room for "頁:" and two digits.
constexpr int PageNumberWidth = 32;
const char *const AxisFont = "MS UI Gothic";
constexpr int ShiftJisCharset = 128;

// Every control of the form carries its own font, also where that font equals
// its band's: a label never prints in the band's face.
template <typename T>
T *Place(TComponent *owner, TRpControl *parent)
{
    auto *control = new T(owner);
    control->SetParent(parent);
    control->SetParentFont(false);
    return control;
}

template <typename T>
T &Make(std::vector<std::unique_ptr<T>> &pool, TRpControl *parent)
{
    pool.push_back(std::make_unique<T>(nullptr));
    pool.back()->SetParent(parent);
    pool.back()->SetParentFont(false);
    return *pool.back();
}

// The text look every label and memo of the form shares.
void StyleText(TRpCustomLabel &label, int points)
{
    label.Font().SetName(LabelFont);
    label.Font().SetCharset(ShiftJisCharset);
    label.Font().SetSize(points);
    label.SetColor(clWhite);
    label.SetTransparent(false);
    label.SetWordWrap(true);
    label.SetAlignment(TRpAlignment::Left);
}

void ParkTop(TRpControl &control) { control.SetTop(ParkedTop); }

// The row band's parking: outside the band and without height.
void Park(TRpControl &control) { control.SetBounds(control.Left(), ParkedTop, control.Width(), 0); }

bool IsParked(const TRpControl &control) { return control.Top() == ParkedTop; }

TRpAlignment AlignmentOf(TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify: return TRpAlignment::Right;
    case taCenter: return TRpAlignment::Center;
    default: return TRpAlignment::Left;
    }
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    if (lines.size() > 1 && lines.back().empty())
        lines.pop_back();
    return lines;
}

// The byte length of the whole characters of `text` that fit `room` in the
// label's font, at least one character.
size_t FittingLength(TRpCustomLabel &label, const std::string &text, int room)
{
    size_t fits = 0;
    for (size_t end = 0; end < text.size();) {
        do
            ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80);
        if (fits > 0 && label.MeasureWidth(text.substr(0, end)) > room)
            break;
        fits = end;
    }
    return fits;
}

size_t PreviousCharStart(const std::string &text, size_t at)
{
    do
        --at;
    while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80);
    return at;
}

// Characters of three bytes and more: kana, ideographs and full-width forms,
// between which a line may break.
bool IsWide(const std::string &text, size_t at) { return static_cast<unsigned char>(text[at]) >= 0xE0; }

// Whether a line may break before the character at `at`: at a space, after
// one, or next to a wide character.
bool MayBreakBefore(const std::string &text, size_t at)
{
    return text[at] == ' ' || text[at - 1] == ' ' || IsWide(text, at) || IsWide(text, PreviousCharStart(text, at));
}

// Each line that is wider than `room` wrapped at the last place that fits
// where it may break, or else at whole characters, so that no text is lost;
// the spaces a break falls on are left out.
std::vector<std::string> WrapLines(TRpCustomLabel &label, const std::vector<std::string> &lines, int room)
{
    std::vector<std::string> wrapped;
    for (std::string rest : lines) {
        while (label.MeasureWidth(rest) > room) {
            const size_t fits = FittingLength(label, rest, room);
            if (fits == rest.size())
                break;
            size_t end = fits;
            while (end > 0 && !MayBreakBefore(rest, end))
                end = PreviousCharStart(rest, end);
            if (rest.find_first_not_of(' ') >= end)
                end = fits;
            const size_t kept = rest.find_last_not_of(' ', end - 1);
            wrapped.push_back(rest.substr(0, kept == std::string::npos ? 0 : kept + 1));
            rest.erase(0, std::min(rest.find_first_not_of(' ', end), rest.size()));
        }
        wrapped.push_back(std::move(rest));
    }
    return wrapped;
}

int DayOfMonth(TDateTime date)
{
    int y, m, d;
    DecodeDate(date, y, m, d);
    return d;
}

// Days whose grid line and header line show: every day up to 95 days; the 1st,
// 11th and 21st up to a year; the 1st and 16th for longer periods.
bool DayMarked(int days, int dayOfMonth)
{
    if (days >= 7 && days <= 95)
        return true;
    if (days >= 183 && days <= 365)
        return dayOfMonth == 1 || dayOfMonth == 11 || dayOfMonth == 21;
    if (days >= 730 && days <= 9999)
        return dayOfMonth == 1 || dayOfMonth == 16;
    return false;
}

} // namespace

TrepForm::TrepForm(TfrmMain &main) : TComponent(nullptr), main_(main)
{
    CreateComponents();
    FreeCreatedControls();
}

TrepForm::~TrepForm()
{
    LetGoOfPreview();
    EndReading();
    FreeCreatedControls();
    wait_.reset();
    DestroyComponents();
}

void TrepForm::CreateComponents()
{
    rep1 = new TBandReport(this);
    rep1->SetUnits(TRpUnit::MM);
    rep1->Frame().SetAllSides(true);
    rep1->Frame().SetColor(clBlack);
    rep1->BeforePrint = [this](TCustomBandReport *s, bool &p) { rep1BeforePrint(s, p); };
    rep1->OnNeedData = [this](TObject *s, bool &more) { rep1NeedData(s, more); };
    rep1->OnPreview = [this](TRpPrinter *printer) { myPreview(printer); };
    rep1->Options = TBandReportOptions{TBandReportOption::FirstPageHeader, TBandReportOption::LastPageFooter};
    rep1->Page().SetColumns(1);
    rep1->Page().SetPaperSize(TRpPaperSize::Custom);
    rep1->Page().SetOrientation(poPortrait);
    // Bottom margin, length, top margin, width, left, right, column space (0.1 mm).
    rep1->Page().ReadValues({100, FormPageLength, 100, FormPageWidth, 100, 100, 0});
    rep1->PrinterSettings().Copies = 1;
    rep1->PrinterSettings().OutputBin = TRpBin::Auto;
    rep1->PrinterSettings().FirstPage = 0;
    rep1->PrinterSettings().LastPage = 0;
    rep1->SetPrintIfEmpty(true);
    rep1->SetShowProgress(false);
    rep1->PrevInitialZoom = rpZoomToFit;

    bndHeader = new TRpBand(this, rbPageHeader);
    bndHeader->SetParent(rep1);
    bndHeader->Frame().SetDrawBottom(true);
    bndHeader->SetColor(clWhite);
    bndHeader->BeforePrint = [this](TRpCustomBand *s, bool &p) { bndHeaderBeforePrint(s, p); };

    lblHeader = Place<TRpLabel>(this, bndHeader);
    StyleText(*lblHeader, 9);
    lblHeader->SetAutoSize(false);
    lblHeader->SetBounds(2, 0, lblHeader->Width(), lblHeader->Height());
    lblHeader->SetCaption(" ");
    lblHeader->Frame().SetDrawBottom(true);
    lblMidashi = Place<TRpLabel>(this, bndHeader);
    StyleText(*lblMidashi, 14);
    lblMidashi->SetBounds(10, 6, lblMidashi->Width(), lblMidashi->Height());
    lblMidashi->SetCaption("スケジュール表");
    lblT = Place<TRpLabel>(this, bndHeader);
    StyleText(*lblT, 7);
    lblT->SetTop(3);
    lblT->SetCaption("タイトル");
    lblHdTitle = Place<TRpLabel>(this, bndHeader);
    StyleText(*lblHdTitle, 10);
    lblHdTitle->SetTop(12);
    auto fixedLabel = [this](TRpLabel *&label, int width, int points, const std::string &caption) {
        label = Place<TRpLabel>(this, bndHeader);
        StyleText(*label, points);
        label->SetAutoSize(false);
        label->SetBounds(label->Left(), 6, width, label->Height());
        label->SetCaption(caption);
    };
    fixedLabel(lblD, 132, 8, "作成日:");
    fixedLabel(lblDate, 95, 8, "");
    rpsPage = Place<TRpSysData>(this, bndHeader);
    StyleText(*rpsPage, 8);
    rpsPage->SetAutoSize(false);
    rpsPage->SetBounds(rpsPage->Left(), 6, PageNumberWidth, rpsPage->Height());
    rpsPage->SetData(rpsPageNumber);
    rpsPage->SetText("頁:");
    auto stamp = [this](TRpLabel *&label, const std::string &caption) {
        label = Place<TRpLabel>(this, bndHeader);
        StyleText(*label, 6);
        label->SetAutoSize(false);
        label->SetBounds(label->Left(), 2, 50, label->Height());
        label->SetCaption(caption);
        label->Frame().SetDrawLeft(true);
    };
    stamp(lblHanko1, "承認");
    stamp(lblhanko2, "査閲");
    stamp(lblhanko3, "担当者");
    stamp(lblhanko4, "作成者");
    memPHeader = Place<TRpMemo>(this, bndHeader);
    StyleText(*memPHeader, 9);
    memPHeader->SetAutoSize(false);
    memPHeader->Frame().SetDrawRight(true);
    shpHeaderHLine1 = Place<TRpShape>(this, bndHeader);
    shpHeaderHLine1->Shape = rpsHorLine;
    shpHeaderHLine2 = Place<TRpShape>(this, bndHeader);
    shpHeaderHLine2->Shape = rpsHorLine;

    bndDetail = new TRpBand(this, rbDetail);
    bndDetail->SetParent(rep1);
    bndDetail->SetColor(clWhite);
    bndDetail->Font().SetName("ＭＳ ゴシック");
    bndDetail->BeforePrint = [this](TRpCustomBand *s, bool &p) { bndDetailBeforePrint(s, p); };
    memPItem = Place<TRpMemo>(this, bndDetail);
    StyleText(*memPItem, 9);
    memPItem->SetAutoSize(false);
    memPItem->SetBounds(0, 0, memPItem->Width(), memPItem->Height());
    memPItem->Frame().SetDrawRight(true);
    shpDetailHLine = Place<TRpShape>(this, bndDetail);
    shpDetailHLine->Shape = rpsHorLine;
    shpDummy = Place<TRpShape>(this, bndDetail);
    shpDummy->Shape = rpsRectangle;
    shpDummy->Pen().SetStyle(psClear);

    bndFooter = new TRpBand(this, rbPageFooter);
    bndFooter->SetParent(rep1);
    bndFooter->Frame().SetDrawTop(true);
    bndFooter->SetColor(clWhite);
    memKaishamei = Place<TRpMemo>(this, bndFooter);
    StyleText(*memKaishamei, 9);
    memKaishamei->Font().SetHeight(12);
    memKaishamei->SetTop(1);
    lblDummy = Place<TRpLabel>(this, bndFooter);
    StyleText(*lblDummy, 9);
}

void TrepForm::FreeCreatedControls()
{
    // Last made first: each leaves its band's child list from the end.
    auto release = [](auto &pool) {
        while (!pool.empty())
            pool.pop_back();
    };
    release(progressShapes_);
    release(barLabels_);
    release(barShapes_);
    release(eventLabels_);
    release(lineSeparators_);
    release(dayGridLines_);
    release(dayBackgrounds_);
    release(dayLabels_);
    release(headerDayLines_);
    release(monthLabels_);
    release(yearLabels_);
}

int TrepForm::X(TDateTime date) const { return DateToPixel(dayWidth_, date); }

int TrepForm::AxisX(int day) const { return RoundInt(day * dayWidth_) + captionWidth_ - 1; }

// ---------------------------------------------------------------- the run's layout

void TrepForm::BeginReading()
{
    if (!reading_)
        main_.BeginReportRun();
    reading_ = true;
}

void TrepForm::EndReading()
{
    if (reading_)
        main_.EndReportRun();
    reading_ = false;
}

void TrepForm::rep1BeforePrint(TCustomBandReport *, bool &)
{
    BeginReading();
    rowCounter_ = 0;
    wait_ = std::make_unique<TdlgWait>(nullptr);
    wait_->SetCaption("レポート処理中．．．");
    wait_->pgb1->SetMax(static_cast<int>(ItemList.size()) * wait_->pgb1->Step());
    wait_->pgb1->SetPosition(0);
    wait_->Show();
    FreeCreatedControls();
    ApplyPageSettings();
    lblMidashi->SetCaption(PrintMidashi);
    if (PrintTitle) {
        lblT->SetLeft(lblMidashi->Width() + 30);
        lblHdTitle->SetLeft(lblMidashi->Width() + 45);
        lblHdTitle->SetCaption(main_.edtHdTitle->Text());
    } else {
        ParkTop(*lblT);
        ParkTop(*lblHdTitle);
    }
    PlaceHeaderTexts(bndHeader->Width());
    PlaceFooter();
    LayOutHeader();
    IndentCaptions();
    WritePeriod();
    CreateDateAxis();
    shpDummy->Brush().SetColor(clWhite);
    shpDummy->SetBounds(bndHeader->Width(), 0, RoundInt(dayWidth_), shpDummy->Height());
    shpDummy->BringToFront();
    CreateLineSeparators();
    CreatePools();
    memPItem->BringToFront();
    shpDetailHLine->Brush().SetStyle(bsClear);
    shpDetailHLine->SetBounds(0, shpDetailHLine->Top(), bndDetail->Width(), 1);
    shpDetailHLine->BringToFront();
}

bool TrepForm::ChartFits()
{
    ApplyPageSettings();
    const char *refusal = MarginsRefusal(rep1->ReportPageWidth(), rep1->ReportPageLength(), TopMargin, BottomMargin,
                                         LeftMargin, RightMargin);
    if (refusal == nullptr && bndDetail->Width() - main_.pnlItem->Width() >= 1)
        return true;
    if (refusal == nullptr)
        refusal = "項目欄の幅が用紙の印刷範囲より広いため、チャートを印刷できません。";
    Services().MessageBox(refusal, "PRINT", MB_OK | MB_ICONERROR);
    return false;
}

const char *MarginsRefusal(long double width, long double length, long double top, long double bottom,
                           long double left, long double right)
{
    if ((top + bottom) * 10 >= length)
        return "上下の余白が大きすぎて、印刷する範囲がありません。";
    if ((left + right) * 10 >= width)
        return "左右の余白が大きすぎて、印刷する範囲がありません。";
    return nullptr;
}

int RunPrinterIndex()
{
    return PrinterIndex >= 0 && PrinterIndex < Printer().PrinterCount() ? PrinterIndex : -1;
}

bool PrintedPageSize(int paperSize, int orientation, long double &width, long double &length)
{
    if (paperSize < 0 || paperSize > 26) {
        width = FormPageWidth;
        length = FormPageLength;
        return false;
    }
    if (paperSize == 0) {
        // Read as the run's report printer reads its printer, so that both
        // get the same page; the callers are handlers (a dialog's OK, a run's
        // start), in which no waiting input may run.
        TPrinter printer;
        printer.SetPrinterIndex(RunPrinterIndex());
        TPrinterSettings settings;
        settings.ReadPrinter(&printer);
        settings.SetPaperSize(TRpPaperSize::Default);
        width = settings.PaperWidth();
        length = settings.PaperLength();
    } else {
        const auto size = static_cast<TRpPaperSize>(paperSize);
        width = PaperSizeWidthMm(size) * 10;
        length = PaperSizeLengthMm(size) * 10;
    }
    if (orientation == 1)
        std::swap(width, length);
    return true;
}

void TrepForm::ApplyPageSettings()
{
    TRpPage &page = rep1->Page();
    rep1->PrinterSettings().PrinterIndex = RunPrinterIndex();
    if (PaperSize >= 0 && PaperSize <= 26) {
        page.SetPaperSize(static_cast<TRpPaperSize>(PaperSize));
        page.SetOrientation(Orientation == 1 ? poLandscape : poPortrait);
    }
    // The default paper is the printer's: the header and the chart are laid
    // out for the page the run prints on, not for the form's.
    long double width = 0, length = 0;
    if (PaperSize == 0 && PrintedPageSize(PaperSize, Orientation, width, length))
        page.SetDimensions(width, length);
    page.SetTopMargin(TopMargin);
    page.SetBottomMargin(BottomMargin);
    page.SetLeftMargin(LeftMargin);
    page.SetRightMargin(RightMargin);
    TRpFrame &frame = rep1->Frame();
    frame.SetDrawTop(FrameTop);
    frame.SetDrawBottom(FrameBottom);
    frame.SetDrawLeft(FrameLeft);
    frame.SetDrawRight(FrameRight);
    frame.SetColor(FrameColor);
    frame.SetWidth(FrameWidth);
}

void TrepForm::PlaceHeaderTexts(int bandWidth)
{
    TRpControl *dateTexts[] = {lblD, lblDate, rpsPage};
    const std::string today = FormatDateTime("yyyy/mm/dd", Services().Now());
    today_ = today;
    rpsPage->SetWidth(PageNumberWidth);  // a run before may have widened it
    if (PrintDate) {
        lblDate->SetCaption(today + "\xE3\x80\x80       ");
        for (TRpControl *text : dateTexts)
            text->SetLeft(bandWidth - text->Width());
    } else {
        for (TRpControl *text : dateTexts)
            ParkTop(*text);
    }
    struct TStamp {
        TRpLabel *box;
        bool print;
    };
    const TStamp stamps[] = {{lblhanko4, PrintHanko4}, {lblhanko3, PrintHanko3}, {lblhanko2, PrintHanko2},
                             {lblHanko1, PrintHanko1}};
    int right = bandWidth - lblhanko4->Width();
    for (const TStamp &stamp : stamps) {
        if (!stamp.print) {
            ParkTop(*stamp.box);
            continue;
        }
        stamp.box->SetLeft(right - 1);
        for (TRpControl *text : dateTexts)
            text->SetLeft(stamp.box->Left() - text->Width());
        if (stamp.box != lblHanko1)
            right -= stamp.box->Width();
    }
    pageNumberRight_ = rpsPage->Left() + rpsPage->Width();
    if (PrintDate)
        KeepDateTextsApart(today);
    const bool anyStamp = PrintHanko1 || PrintHanko2 || PrintHanko3 || PrintHanko4;
    lblHeader->SetHeight(anyStamp ? 50 : 30);
    bndHeader->SetHeight(anyStamp ? 90 : 70);
    if (anyStamp)
        for (const TStamp &stamp : stamps)
            stamp.box->SetHeight(lblHeader->Height() - 3);
}

// The page number prints over the date label's trailing spaces, which leave
// it room in the face the form was drawn for. In a wider face the digits
// would run under the page number (and the date under 作成日:), so each label
// moves left by the room its text misses.
void TrepForm::KeepDateTextsApart(const std::string &today)
{
    auto widthOf = [this](const TRpLabel &label, const std::string &text) {
        return rep1->MeasureTextWidth(label.EffectiveFont(), text);
    };
    const int dateMissing = widthOf(*lblDate, today + " ") - (rpsPage->Left() - lblDate->Left());
    if (dateMissing > 0)
        lblDate->SetLeft(lblDate->Left() - dateMissing);
    const int captionMissing = widthOf(*lblD, lblD->Caption()) - (lblDate->Left() - lblD->Left());
    if (captionMissing > 0)
        lblD->SetLeft(lblD->Left() - captionMissing);
}

void TrepForm::bndHeaderBeforePrint(TRpCustomBand *, bool &) { FitPageNumber(); }

// The page number's box keeps the form's width while the number fits in it.
// A longer number widens it to the left, so that it still ends at the band's
// edge or at the stamp boxes, and the date moves left as far as it then
// lacks room; a number is never cut.
void TrepForm::FitPageNumber()
{
    const int width = std::max(PageNumberWidth, rpsPage->MeasureWidth(rpsPage->PrintedText()));
    if (width == rpsPage->Width())
        return;
    rpsPage->SetBounds(pageNumberRight_ - width, rpsPage->Top(), width, rpsPage->Height());
    if (PrintDate)
        KeepDateTextsApart(today_);
}

void TrepForm::PlaceFooter()
{
    lblDummy->SetCaption(PrintKaishamei);
    if (!PrintKaishamei.empty()) {
        const std::vector<std::string> lines = SplitLines(PrintKaishamei);
        memKaishamei->SetLines(lines);
        memKaishamei->SetHeight(static_cast<int>(lines.size()) * memKaishamei->Font().Height());
        memKaishamei->SetLeft(bndFooter->Width() - lblDummy->Width() - 20);
        bndFooter->SetHeight(memKaishamei->Height() + 5);
    } else {
        bndFooter->SetHeight(0);
    }
    lblDummy->SetCaption("");
}

void TrepForm::LayOutHeader()
{
    const int h = lblHeader->Height();
    const int strips = main_.imgYear->Height() + main_.imgMonth->Height() + main_.imgDay->Height();
    captionWidth_ = main_.pnlItem->Width();
    bndHeader->SetHeight(h + strips);
    lblHeader->SetBounds(2, 0, bndHeader->Width() - 1, h);
    memPHeader->SetBounds(0, h + 1, captionWidth_, strips);
    memPItem->SetBounds(0, 0, captionWidth_, memPItem->Height());
    chartWidth_ = bndDetail->Width() - memPItem->Width();
    shpHeaderHLine1->SetBounds(captionWidth_, h + 13, chartWidth_, 1);
    shpHeaderHLine2->SetBounds(captionWidth_, h + 26, chartWidth_, 1);
    dayCount_ = DaysShown;
    dayWidth_ = static_cast<long double>(chartWidth_) / dayCount_;
}

// A row caption starts where it starts on screen: past the page frame's left
// line, which runs down the caption column's left edge, by the margin the
// caption keeps inside its box on screen. The printed period above the column
// starts past that line too; its lines keep their own leading blank.
void TrepForm::IndentCaptions()
{
    constexpr long double screenPixelsPerTenthMm = 96 / 254.0L;
    const TRpFrame &pageFrame = rep1->Frame();
    const int frameLine = pageFrame.DrawLeft() ? pageFrame.LineThickness(screenPixelsPerTenthMm) : 0;
    memPItem->SetTextIndent(frameLine + MemoTextMargin);
    memPHeader->SetTextIndent(frameLine);
}

// The width a row caption's lines may take, in the report's measure: the
// cell less the text indent and, at the right, the frame line with its clear
// space. At the screen's resolution a text measures a pixel more than it
// draws, which covers the rounding of its position; on a finer device the
// position may round by a device pixel and a text may draw half a screen
// pixel past its measure.
int TrepForm::CaptionTextRoom() const
{
    const TRpOutputDevice *device = rep1->Printer();
    const long double factor = device ? device->XFactor() : 96 / 254.0L;
    const long double perScreenPixel = factor * 254 / 96;
    long double room = memPItem->Width() - memPItem->TextIndent();
    if (memPItem->Frame().DrawRight())
        room -= 2 * memPItem->Frame().LineThickness(factor) / perScreenPixel;
    if (perScreenPixel > 1.001L)
        room -= 1 / perScreenPixel + 0.5L;
    return static_cast<int>(std::floor(room));
}

// A caption prints the lines it shows. Where one of them does not fit the
// printed room (a thick page frame, a printer's metrics), the typed lines are
// wrapped for that room in the report's own measure instead.
std::vector<std::string> TrepForm::CaptionLines(const TMemo &caption)
{
    const int room = CaptionTextRoom();
    std::vector<std::string> lines = caption.Lines();
    const bool fit = std::all_of(lines.begin(), lines.end(),
                                 [&](const std::string &line) { return memPItem->MeasureWidth(line) <= room; });
    return fit ? lines : WrapLines(*memPItem, SplitLines(caption.Text()), room);
}

void TrepForm::WritePeriod()
{
    const long double excess = dayCount_ * dayWidth_ - chartWidth_;
    const int lastDay = excess >= RoundInt(dayWidth_ / 2) ? dayCount_ - 2 : dayCount_ - 1;
    memPHeader->SetLines({" 日付範囲", " " + FormatDateTime("yyyy/mm/dd", StartDate) + "～"
                                           + FormatDateTime("yyyy/mm/dd", StartDate + lastDay)});
}

void TrepForm::CreateDateAxis()
{
    const int axisTop = memPHeader->Top();
    const int bandWidth = bndHeader->Width();
    int lastYear = 0, lastMonth = 0;
    auto axisLabel = [&](std::vector<std::unique_ptr<TRpLabel>> &pool) -> TRpLabel & {
        TRpLabel &label = Make(pool, bndHeader);
        label.SetAutoSize(true);
        label.SetTransparent(true);
        label.Font().SetName(AxisFont);
        label.Font().SetSize(9);
        label.SetCaption("");
        return label;
    };
    auto clearPastEdge = [bandWidth](TRpLabel &label) {
        if (label.Left() + label.Width() > bandWidth)
            label.SetCaption("");
    };
    for (int i = 0; i < dayCount_; ++i) {
        const TDateTime date = StartDate + i;
        int year, month, day;
        DecodeDate(date, year, month, day);
        const bool first = i == 0;
        TRpShape &line = Make(headerDayLines_, bndHeader);
        line.Shape = rpsVertLine;
        line.SetBounds(line.Left(), ParkedTop, 1, line.Height());
        line.Brush().SetStyle(bsClear);
        line.Pen().SetWidth(1);
        if (first || year != lastYear) {
            TRpLabel &label = axisLabel(yearLabels_);
            label.SetBounds(AxisX(i) + 3, axisTop + 1, label.Width(), label.Height());
            label.SetCaption(IntToStr(year) + "年");
            if (first && label.Width() + 3 > (FirstDayOfNextYear(date) - date) * dayWidth_)
                label.SetCaption("");
            clearPastEdge(label);
            if (!first) {
                line.SetBounds(AxisX(i), axisTop, line.Width(), memPHeader->Height());
                line.BringToFront();
            }
        }
        if (first || month != lastMonth) {
            TRpLabel &label = axisLabel(monthLabels_);
            label.SetBounds(AxisX(i) + 3, axisTop + 14, label.Width(), label.Height());
            label.SetCaption(IntToStr(month) + "月");
            if (first && label.Width() + 3 > (DaysInMonth(year, month) - day) * dayWidth_)
                label.SetCaption("");
            clearPastEdge(label);
            if (!first && IsParked(line))
                line.SetBounds(AxisX(i), axisTop + 13, line.Width(), 27);
        }
        if (CreateDayLabel(i, date) && !first && IsParked(line))
            line.SetBounds(AxisX(i), axisTop + 26, line.Width(), 14);
        lastYear = year;
        lastMonth = month;

        TRpShape &background = Make(dayBackgrounds_, bndDetail);
        background.SetBounds(RoundInt(i * dayWidth_) + captionWidth_, 0, RoundInt(dayWidth_), 300);
        background.Pen().SetStyle(psClear);
        TColor color = clWhite;
        if (!HorydayColorOnly)
            color = dayCount_ < 365 && day % 2 == 0 ? DateColor2 : DateColor1;
        if (std::find(HolidayList.begin(), HolidayList.end(), date) != HolidayList.end())
            color = HorydayColor;
        background.Brush().SetColor(color);

        TRpShape &grid = Make(dayGridLines_, bndDetail);
        grid.Shape = rpsVertLine;
        grid.SetBounds(RoundInt(i * dayWidth_) + captionWidth_ - 1, ParkedTop, 1, 300);
        grid.Brush().SetStyle(bsClear);
        grid.Pen().SetWidth(1);
    }
}

// The day labels of the axis: which days get one, and how wide, depends on
// the number of days shown.
bool TrepForm::CreateDayLabel(int i, TDateTime date)
{
    int year, month, day;
    DecodeDate(date, year, month, day);
    const int n = dayCount_;
    int spanDays = 0;  // 0: a left-aligned auto-sized label
    std::string caption = IntToStr(day);
    if (n >= 7 && n <= 14) {
        spanDays = 1;
        caption += "(" + WeekdayNames[static_cast<size_t>(DayOfWeek(date) - 1)] + ")";
    } else if (n >= 15 && n <= 31) {
        spanDays = 1;
    } else if (n == 62) {
        if (day % 2 == 0 || day == 31 || (month == 2 && day >= 28))
            return false;
        spanDays = 2;
    } else if (n == 95) {
        if (day % 3 != 1 || day == 31 || (month == 2 && day >= 28))
            return false;
        spanDays = 3;
    } else if (n >= 183 && n <= 365) {
        if (day != 1 && day != 11 && day != 21)
            return false;
    } else if (n >= 730 && n <= 9999) {
        if (day != 1 && day != 16)
            return false;
    } else {
        return false;
    }
    TRpLabel &label = Make(dayLabels_, bndHeader);
    label.SetTransparent(true);
    label.Font().SetName(AxisFont);
    label.Font().SetSize(9);
    label.SetCaption("");
    const int top = memPHeader->Top() + 27;
    if (spanDays > 0) {
        label.SetAutoSize(false);
        label.SetAlignment(TRpAlignment::Center);
        label.SetBounds(AxisX(i), top, RoundInt(dayWidth_ * spanDays), label.Height());
    } else {
        label.SetAutoSize(true);
        label.SetAlignment(TRpAlignment::Left);
        label.SetBounds(AxisX(i) + 2, top, label.Width(), label.Height());
    }
    label.SetCaption(caption);
    if (label.Left() + label.Width() > bndHeader->Width())
        label.SetCaption("");
    return true;
}

void TrepForm::CreateLineSeparators()
{
    for (int k = 0; k < MaxLineCount; ++k) {
        TRpShape &separator = Make(lineSeparators_, bndDetail);
        separator.Shape = rpsHorLine;
        separator.SetBounds(captionWidth_, ParkedTop, chartWidth_, 1);
        separator.Brush().SetStyle(bsClear);
        separator.Pen().SetStyle(psDot);
        separator.Pen().SetWidth(1);
        separator.Pen().SetColor(0x808080);
    }
}

// ---------------------------------------------------------------- what a row prints

namespace {

// A line index that names one of the row's line bands.
bool OnRowLine(int line, const TItem &row) { return line >= 0 && line < row.FLineCount; }

} // namespace

// Whether an event prints: not done, its day inside the period, on a line of the row.
static bool EventPrints(const TEvent &event, const TItem &row, long double dayWidth, int chartWidth)
{
    if (event.EndFlg || !OnRowLine(event.Line, row))
        return false;
    const int x = DateToPixel(dayWidth, event.EventDate);
    return x >= 0 && x < chartWidth;
}

static bool BarPrints(const TChart &chart, long double dayWidth, int chartWidth)
{
    return DateToPixel(dayWidth, chart.FStartDate) < chartWidth && DateToPixel(dayWidth, chart.FEndDate) > 0;
}

// The strip's span on the chart, clipped; false when it shows nothing.
static bool StripSpan(const TChart &chart, long double dayWidth, int chartWidth, int &x1, int &x2)
{
    if (!chart.FProgressBar)
        return false;
    // One pixel further left than on screen, as the bar prints.
    const TStripEnds ends = ProgressStripEnds(chart, dayWidth);
    x1 = std::max(ends.Left - 1, 0);
    x2 = std::min(ends.Right, chartWidth);
    return x1 < chartWidth && x2 > 0;
}

void TrepForm::CreatePools()
{
    size_t events = 0, bars = 0, strips = 0;
    for (const auto &row : ItemList) {
        size_t rowEvents = 0, rowBars = 0, rowStrips = 0;
        for (const TEvent &event : row->FEvents)
            rowEvents += EventPrints(event, *row, dayWidth_, chartWidth_);
        for (const auto &chart : row->FCharts) {
            if (!OnRowLine(chart->FLine, *row))
                continue;
            rowBars += BarPrints(*chart, dayWidth_, chartWidth_);
            int x1, x2;
            rowStrips += StripSpan(*chart, dayWidth_, chartWidth_, x1, x2);
        }
        events = std::max(events, rowEvents);
        bars = std::max(bars, rowBars);
        strips = std::max(strips, rowStrips);
    }
    for (size_t i = 0; i < events; ++i) {
        TRpLabel &label = Make(eventLabels_, bndDetail);
        label.SetAutoSize(true);
        label.SetTransparent(true);
    }
    for (size_t i = 0; i < bars; ++i) {
        Make(barShapes_, bndDetail);
        TRpLabel &label = Make(barLabels_, bndDetail);
        label.SetAutoSize(false);
        label.SetTransparent(true);
    }
    for (size_t i = 0; i < strips; ++i)
        Make(progressShapes_, bndDetail);
}

void TrepForm::rep1NeedData(TObject *, bool &moreData)
{
    moreData = rowCounter_ < static_cast<int>(ItemList.size());
}

void TrepForm::bndDetailBeforePrint(TRpCustomBand *, bool &printBand)
{
    if (wait_)
        wait_->pgb1->StepIt();
    if (rowCounter_ >= static_cast<int>(ItemList.size())) {
        printBand = false;
        return;
    }
    const TItem &row = *ItemList[static_cast<size_t>(rowCounter_)];
    PrintRowColumns(row);
    PrintEvents(row);
    PrintBars(row);
    ++rowCounter_;
    if (rowCounter_ == static_cast<int>(ItemList.size())) {
        wait_.reset();
        EndReading();
    }
}

void TrepForm::PrintRowColumns(const TItem &row)
{
    bndDetail->SetHeight(300);
    memPItem->SetHeight(bndDetail->Height());
    shpDummy->SetHeight(bndDetail->Height());
    const int lineHeight = row.FLines[0] ? row.FLines[0]->Height() : 0;
    for (int k = 0; k < MaxLineCount; ++k) {
        TRpShape &separator = *lineSeparators_[static_cast<size_t>(k)];
        if (k + 1 < row.FLineCount)
            separator.SetBounds(captionWidth_, lineHeight * (k + 1) + 2, chartWidth_, 1);
        else
            Park(separator);
    }
    bndDetail->SetHeight(row.FMemo->Height() + 5);
    memPItem->SetHeight(bndDetail->Height());
    memPItem->Font().Assign(row.FMemo->Font());
    memPItem->SetLines(CaptionLines(*row.FMemo));
    memPItem->SetColor(row.FMemo->Color());
    const int height = memPItem->Height();
    for (int i = 0; i < dayCount_; ++i) {
        TRpShape &background = *dayBackgrounds_[static_cast<size_t>(i)];
        background.SetBounds(background.Left(), 0, background.Width(), height);
        if (i >= 1 && DayMarked(dayCount_, DayOfMonth(StartDate + i))) {
            TRpShape &grid = *dayGridLines_[static_cast<size_t>(i)];
            grid.SetBounds(grid.Left(), 0, grid.Width(), height - 1);
        }
    }
    shpDetailHLine->SetTop(height - 2);
}

void TrepForm::PrintEvents(const TItem &row)
{
    for (auto &label : eventLabels_)
        Park(*label);
    const int memoTop = row.FMemo->Top();
    size_t next = 0;
    for (const TEvent &event : row.FEvents) {
        if (!EventPrints(event, row, dayWidth_, chartWidth_) || next >= eventLabels_.size())
            continue;
        TRpLabel &label = *eventLabels_[next++];
        label.Font().SetName(event.FontName);
        label.Font().SetSize(event.FontSize);
        label.Font().SetColor(event.FontColor);
        label.SetCaption(event.Marker);
        const int x = X(event.EventDate);
        int left = x + captionWidth_ + 2;
        if (dayWidth_ < label.Width())
            left = x + captionWidth_ + RoundInt(dayWidth_ / 2) - label.Width() / 2;
        const TShape &band = *row.FLines[static_cast<size_t>(event.Line)];
        int top = 0;
        switch (event.Position) {
        case 0: top = band.Top() - memoTop; break;
        case 1: top = band.Top() + band.Height() / 2 - label.Height() / 2 - memoTop; break;
        case 2: top = band.Top() + band.Height() - label.Height() - memoTop; break;
        default: break;
        }
        label.SetBounds(left, top, label.Width(), label.Height());
        label.SetCaption(event.Marker + event.EventName);
    }
}

void TrepForm::PrintBars(const TItem &row)
{
    for (auto &shape : barShapes_)
        Park(*shape);
    for (auto &label : barLabels_)
        Park(*label);
    for (auto &shape : progressShapes_)
        Park(*shape);
    const int memoTop = row.FMemo->Top();
    size_t nextBar = 0, nextStrip = 0;
    for (const auto &chartPtr : row.FCharts) {
        const TChart &chart = *chartPtr;
        if (!OnRowLine(chart.FLine, row))
            continue;
        const TShape &band = *row.FLines[static_cast<size_t>(chart.FLine)];
        const TBarPlace place = BarPlace(band);
        if (BarPrints(chart, dayWidth_, chartWidth_) && nextBar < barShapes_.size()) {
            // The bar's own control stands where the screen places it (it
            // stays hidden while its row is far from the view); what prints
            // is taken from its line band, not from where the control was.
            TBevelLabel &bar = *chart.FBar;
            bar.SetBounds(bar.Left(), place.Top, bar.Width(), place.Height);
            const int t = place.Top - memoTop + 2;
            const int b = t + place.Height;
            const int x1 = std::max(X(chart.FStartDate) - 1, 0);
            const int x2 = std::min(X(chart.FEndDate), chartWidth_);
            TRpShape &shape = *barShapes_[nextBar];
            shape.Brush().SetColor(bar.Color());
            shape.SetBounds(captionWidth_ + x1, t, x2 - x1, b - t);
            TRpLabel &label = *barLabels_[nextBar];
            ++nextBar;
            label.SetAlignment(AlignmentOf(bar.Alignment()));
            label.SetCaption(bar.Caption());
            label.SetBounds(captionWidth_ + x1, t + 1, x2 - x1, b - t - 1);
            label.Font().Assign(bar.Font());
            label.Font().SetStyle(0);
            if (label.Left() + label.Width() > bndDetail->Width())
                label.SetWidth(bndDetail->Width() - label.Left());
            label.FormatLines();
            if (label.Height() > b - t - 1) {
                label.Font().SetHeight(b - t - 1);
                label.SetHeight(b - t - 1);
            }
        }
        int x1, x2;
        if (!StripSpan(chart, dayWidth_, chartWidth_, x1, x2) || nextStrip >= progressShapes_.size())
            continue;
        // The strip sits under the bar as the bar is placed for printing,
        // whether or not the bar itself printed, in the colour the screen
        // gives it: also for a row the screen never placed.
        const int t = place.Top + place.Height - memoTop + 1;
        TRpShape &strip = *progressShapes_[nextStrip++];
        strip.Brush().SetColor(ProgressStripColor(chart));
        strip.SetBounds(captionWidth_ + x1, t, x2 - x1, 5);
    }
}

// ---------------------------------------------------------------- the preview road

namespace {
const char *const StillRunning = "レポート生成中です。しばらくお待ち下さい。";
}

void TrepForm::myPreview(TRpPrinter *sender)
{
    frmPreview = new TfrmPreview(&Application());
    preview_ = frmPreview;
    preview_->FreeNotification(this);
    frmPreview->pre1->AttachPrinter(sender);
    frmPreview->btnPrint->OnClick = [this](TObject *) { myPrintClick(); };
    frmPreview->OnCloseQuery = [this](TObject *, bool &canClose) { myFormCloseQuery(canClose); };
    frmPreview->ShowForm();
    if (main_.PreviewShown)
        main_.PreviewShown(*frmPreview);
}

void TrepForm::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == preview_)
        preview_ = nullptr;
}

void TrepForm::LetGoOfPreview()
{
    if (preview_ == nullptr)
        return;
    TfrmPreview *preview = preview_;
    preview_ = nullptr;
    preview->RemoveFreeNotification(this);
    preview->btnPrint->OnClick = nullptr;
    preview->OnCloseQuery = nullptr;
    if (preview->Visible())
        preview->Close();
}

void TrepForm::myPrintClick()
{
    if (Ready())
        main_.mitPrintClick();
    else
        ShowStillRunning();
}

void TrepForm::myFormCloseQuery(bool &canClose)
{
    canClose = Ready();
    if (!canClose)
        ShowStillRunning();
}

// The message belongs to the preview the person pressed in, above which it opens.
void TrepForm::ShowStillRunning()
{
    std::optional<TMessageBoxOwner> owner;
    if (preview_ != nullptr)
        owner.emplace(*preview_);
    Services().MessageBox(StillRunning, "PRINT", MB_OK | MB_ICONINFORMATION);
}
