#include "report/RpCtrls.h"

#include <algorithm>
#include <cctype>

#include "platform/core/DateTime.h"
#include "platform/core/Encoding.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"

namespace {

// The length in bytes of the UTF-8 character starting at text[i].
size_t CharLength(const std::string &text, size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return std::min(length, text.size() - i);
}

// The byte length of the text without its last character.
size_t WithoutLastChar(const std::string &text)
{
    size_t i = text.size();
    while (i > 0) {
        --i;
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            break;
    }
    return i;
}

// Words run up to and including the next space, hyphen or carriage return.
std::vector<std::string> SplitWords(const std::string &text)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        word += c;
        if (c == ' ' || c == '-' || c == '\r') {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

// A money amount as the Japanese system writes it: the yen sign, thousands
// separators and no decimals unless a precision asks for them.
std::string Money(long double value, int precision)
{
    std::string pattern = "#,##0";
    if (precision > 0)
        pattern += "." + std::string(static_cast<size_t>(precision), '0');
    const std::string amount = "¥" + FormatFloat(pattern, value < 0 ? -value : value);
    return value < 0 ? "-" + amount : amount;
}

// The mask with each "%[-][width][.precision]m" replaced by the money amount
// and "%%" by "%"; other text stays as it is.
std::string FormatMoneyMask(const std::string &mask, long double value)
{
    std::string out;
    for (size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] != '%') {
            out += mask[i];
            continue;
        }
        if (i + 1 < mask.size() && mask[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        size_t j = i + 1;
        const bool leftAlign = j < mask.size() && mask[j] == '-';
        if (leftAlign)
            ++j;
        int width = 0, precision = -1;
        for (; j < mask.size() && std::isdigit(static_cast<unsigned char>(mask[j])) && width < 1000; ++j)
            width = width * 10 + (mask[j] - '0');
        if (j < mask.size() && mask[j] == '.') {
            precision = 0;
            for (++j; j < mask.size() && std::isdigit(static_cast<unsigned char>(mask[j])) && precision < 100; ++j)
                precision = precision * 10 + (mask[j] - '0');
        }
        if (j >= mask.size() || (mask[j] != 'm' && mask[j] != 'M')) {
            out += mask[i];
            continue;
        }
        std::string amount = Money(value, precision < 0 ? 0 : precision);
        const size_t shown = Utf8Length(amount);
        if (shown < static_cast<size_t>(width))
            amount = leftAlign ? amount + std::string(width - shown, ' ') : std::string(width - shown, ' ') + amount;
        out += amount;
        i = j;
    }
    return out;
}

// The part of a label's device rectangle its text may use: each drawn frame
// side keeps its line and as much clear space again, so that no caption
// touches its frame line.
TRect TextRoom(const TRpFrame &frame, TRect box, const TRpOutputDevice &device)
{
    const int across = 2 * frame.LineThickness(device.XFactor());
    const int down = 2 * frame.LineThickness(device.YFactor());
    if (frame.DrawLeft())
        box.Left += across;
    if (frame.DrawRight())
        box.Right -= across;
    if (frame.DrawTop())
        box.Top += down;
    if (frame.DrawBottom())
        box.Bottom -= down;
    return box;
}

TCanvas &OwnMeasureCanvas()
{
    static TBitmap bitmap(1, 1);
    return bitmap.Canvas();
}

} // namespace

// ---------------------------------------------------------------- TRpCustomLabel

TRpCustomLabel::TRpCustomLabel(TComponent *owner) : TRpPrintable(owner)
{
    // A font change (other than the parent's) re-formats: line breaks and
    // the auto-sized width depend on the font.
    Font().OnChange = [this] {
        SetParentFont(false);
        doneFormat_ = false;
        FormatLines();
    };
}

void TRpCustomLabel::SetCaption(const std::string &caption)
{
    caption_ = caption;
    printText_ = caption;
    doneFormat_ = false;
    FormatLines();
}

void TRpCustomLabel::SetTextIndent(int pixels)
{
    textIndent_ = std::max(0, pixels);
    doneFormat_ = false;
    FormatLines();
}

void TRpCustomLabel::SetTextToPrint(const std::string &text)
{
    printText_ = text;
    doneFormat_ = false;
}

void TRpCustomLabel::SetName(const std::string &name)
{
    const bool follow = caption_.empty() || caption_ == Name();
    TRpPrintable::SetName(name);
    if (follow && IsCaptionBased())
        SetCaption(name);
}

TSize TRpCustomLabel::MeasureText(const std::string &text)
{
    if (TCustomBandReport *report = ParentReport())
        return {MulDiv(report->MeasureTextWidth(EffectiveFont(), text), PrintZoom(), 100),
                MulDiv(report->MeasureTextHeight(EffectiveFont(), text), PrintZoom(), 100)};
    TCanvas &canvas = OwnMeasureCanvas();
    canvas.Font().Assign(EffectiveFont());
    return canvas.TextExtent(text);
}

int TRpCustomLabel::MeasureWidth(const std::string &text) { return MeasureText(text).cx; }
int TRpCustomLabel::MeasureHeight(const std::string &text) { return MeasureText(text).cy; }

void TRpCustomLabel::SplitPiece(const std::string &piece)
{
    if (autoSize_) {
        formatted_.push_back(piece);
        return;
    }
    const int width = Width() - textIndent_;
    const size_t firstLine = formatted_.size();
    std::string line;
    bool overflowed = false;
    auto close = [this, &line] {
        formatted_.push_back(std::move(line));
        line.clear();
    };
    for (const std::string &word : SplitWords(piece)) {
        if (MeasureWidth(line + word) <= width) {
            line += word;
            continue;
        }
        overflowed = true;
        if (!wordWrap_) {
            if (!line.empty())
                close();
            continue;
        }
        if (line.empty()) {
            // Take whole characters of the word while they fit; drop the rest.
            for (size_t i = 0; i < word.size();) {
                const size_t n = CharLength(word, i);
                if (MeasureWidth(line + word.substr(i, n)) >= width)
                    break;
                line += word.substr(i, n);
                i += n;
            }
            close();
            continue;
        }
        close();
        line = word;
        if (MeasureWidth(line) > width) {
            while (!line.empty() && (width <= 0 || MeasureWidth(line) > width))
                line.resize(WithoutLastChar(line));
            close();
        }
    }
    // The last line closes unless it is empty after others (an over-long word
    // that was cut already closed its own line).
    const bool closesLast = wordWrap_ || !overflowed;
    if (closesLast && (!line.empty() || formatted_.size() == firstLine))
        close();
}

void TRpCustomLabel::SplitText(const std::string &text)
{
    std::string clean;
    std::copy_if(text.begin(), text.end(), std::back_inserter(clean), [](char c) { return c != '\n'; });
    if (clean.find('\r') == std::string::npos) {
        SplitPiece(clean);
        return;
    }
    size_t start = 0;
    for (;;) {
        const size_t end = clean.find('\r', start);
        SplitPiece(clean.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
}

void TRpCustomLabel::RaiseHeightToLine()
{
    const int needed = MeasureHeight("W") + 1;
    if (Height() < needed)
        SetHeight(needed);
}

void TRpCustomLabel::FitWidth()
{
    int widest = 0;
    for (const std::string &line : formatted_)
        widest = std::max(widest, MeasureWidth(line));
    widest += textIndent_;
    if (Frame().DrawLeft())
        widest += Frame().Width();
    if (Frame().DrawRight())
        widest += Frame().Width();
    updatingBounds_ = true;
    int left = Left();
    if (Alignment() == TRpAlignment::Right)
        left += Width() - widest;
    else if (Alignment() == TRpAlignment::Center)
        left += (Width() - widest) / 2;
    SetBounds(left, Top(), widest, Height());
    RaiseHeightToLine();
    updatingBounds_ = false;
}

void TRpCustomLabel::FormatLines()
{
    if (Parent() == nullptr)
        return;
    formatted_.clear();
    if (IsCaptionBased()) {
        SplitText(printText_);
        if (!updatingBounds_ && ParentReport() != nullptr)
            RaiseHeightToLine();
    } else if (!lines_.empty()) {
        if (autoSize_)
            formatted_ = lines_;
        else
            for (const std::string &line : lines_)
                SplitText(line);
    }
    if (autoSize_ && ParentReport() != nullptr && !updatingBounds_)
        FitWidth();
    doneFormat_ = true;
}

void TRpCustomLabel::BeginPrint()
{
    TRpPrintable::BeginPrint();
    printLine_ = 0;
    SetPrintFinished(true);
    SetCaption(caption_);
}

void TRpCustomLabel::FinishPrint()
{
    TRpPrintable::FinishPrint();
    printLine_ = 0;
}

void TRpCustomLabel::Print(int x, int y)
{
    if (!IsPrintable() || Printer() == nullptr)
        return;
    if (OnPrint) {
        std::string text = printText_;
        OnPrint(this, text);
        if (text != printText_) {
            const std::string saved = printText_;
            printText_ = text;
            PrintText(x, y);
            printText_ = saved;
            doneFormat_ = false;
            return;
        }
    }
    PrintText(x, y);
}

void TRpCustomLabel::PrintText(int x, int y)
{
    TRpOutputDevice &device = *Printer();
    TCanvas &canvas = device.Canvas();
    canvas.Font().Assign(EffectiveFont());
    const long double lineHeight = canvas.TextHeight("W") / device.YFactor();
    FormatLines();
    if (!transparent_) {
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(Color());
        canvas.Pen().SetWidth(0);
        canvas.FillRect(DeviceRect(x, y));
    }
    PrintLines(x, y, lineHeight);
    DrawFrameAt(x, y);
}

void TRpCustomLabel::PrintLines(int x, int y, long double lineHeight)
{
    TRpOutputDevice &device = *Printer();
    TCanvas &canvas = device.Canvas();
    const long double frameOffset = RoundInt(Frame().Width() / 72.0L * 254);
    const long double left = x + Size().Left();
    const long double top = y + Size().Top();
    const long double width = Size().Width();
    const long double indent = Size().FromUnits(TRpUnit::Pixels, true, textIndent_);
    long double textX = left + (Frame().DrawLeft() ? frameOffset : 0);
    long double textY = top + (Frame().DrawTop() ? frameOffset : 0);
    long double bottom = top + Size().Height();

    unsigned align = TA_LEFT | TA_TOP;
    long double anchor = textX + indent;
    if (Alignment() == TRpAlignment::Right) {
        align = TA_RIGHT | TA_TOP;
        anchor = textX + width;
    } else if (Alignment() == TRpAlignment::Center) {
        align = TA_CENTER | TA_TOP;
        anchor = textX + indent + (width - indent) / 2;
    }
    canvas.SetTextAlign(align);
    canvas.Brush().SetStyle(bsClear);
    auto textRoom = [&] {
        const TRect box{device.XPos(left), device.YPos(top), device.XPos(left + width), device.YPos(bottom)};
        TRect room = TextRoom(Frame(), box, device);
        room.Left = std::max(room.Left, device.XPos(left + indent));
        return room;
    };
    const TRect room = textRoom();
    int anchorX = device.XPos(anchor);
    if (Alignment() == TRpAlignment::Right)
        anchorX = std::min(anchorX, room.Right);
    else if (Alignment() != TRpAlignment::Center)
        anchorX = std::max(anchorX, room.Left);
    const int shiftY = std::max(0, room.Top - device.YPos(textY));

    if (PrintFinished())
        printLine_ = 0;
    auto *band = dynamic_cast<TRpCustomBand *>(Parent());
    long double expansion = 0;
    bool hasExpanded = false;
    const auto count = static_cast<int>(FormattedLines().size());
    while (printLine_ < count) {
        if (bottom + 1 >= textY + lineHeight) {
            const TRect clip = textRoom();
            canvas.ExtTextOut(anchorX, device.YPos(textY) + shiftY, ETO_CLIPPED, &clip,
                              FormattedLines()[static_cast<size_t>(printLine_)]);
            textY += lineHeight;
            ++printLine_;
            continue;
        }
        if (!autoStretch_ || band == nullptr || !band->CanExpand(lineHeight))
            break;
        const long double oldBottom = bottom;
        band->ExpandBand(lineHeight, expansion, hasExpanded);
        bottom = top + Size().Height() + expansion;
        if (!transparent_ && bottom > oldBottom) {
            canvas.Brush().SetStyle(bsSolid);
            canvas.Brush().SetColor(Color());
            canvas.FillRect({device.XPos(left), device.YPos(oldBottom), device.XPos(left + width), device.YPos(bottom)});
            canvas.Brush().SetStyle(bsClear);
        }
    }
    SetPrintFinished(!(printLine_ < count && autoStretch_));
}

// ---------------------------------------------------------------- TRpMemo

void TRpMemo::SetLines(const std::vector<std::string> &lines)
{
    lines_ = lines;
    FormatLines();
}

void TRpMemo::Print(int x, int y)
{
    if (!IsPrintable() || Printer() == nullptr)
        return;
    PrintText(x, y);
}

int TRpMemo::NeededHeight()
{
    FormatLines();
    return static_cast<int>(FormattedLines().size()) * MeasureHeight("W");
}

// ---------------------------------------------------------------- TRpExpr

TRpExpr::TRpExpr(TComponent *owner) : TRpCustomLabel(owner) { ApplyExpressionCaption(); }

void TRpExpr::ApplyExpressionCaption() { SetCaption(expression_.empty() ? "(none)" : expression_); }

void TRpExpr::SetExpression(const std::string &expression)
{
    expression_ = expression;
    ApplyExpressionCaption();
}

void TRpExpr::SetMask(const std::string &mask)
{
    mask_ = mask;
    ApplyExpressionCaption();
}

void TRpExpr::BeginPrint()
{
    TRpCustomLabel::BeginPrint();
    TCustomBandReport *report = ParentReport();
    if (report != nullptr) {
        evaluator_.AssignDataSets(&report->RunDataSets());
        evaluator_.SetEnvironment(&report->Functions());
    }
    evaluator_.Prepare(expression_);
    if (auto *subDetail = dynamic_cast<TRpControllerBand *>(Master))
        subDetail->AddNotifyClient(this);
    else if (auto *masterReport = dynamic_cast<TCustomBandReport *>(Master))
        masterReport->AddNotifyClient(this);
    else if (Master == nullptr && report != nullptr && evaluator_.ContainsAggregate())
        report->AddNotifyClient(this);
    evaluator_.Reset();
}

void TRpExpr::EndPrint()
{
    evaluator_.AssignDataSets(nullptr);
    evaluator_.Unprepare();
    TRpCustomLabel::EndPrint();
    ApplyExpressionCaption();
}

void TRpExpr::BandChanged(TObject *sender, int kind)
{
    TRpCustomLabel::BandChanged(sender, kind);
    if (kind == 0 && evaluator_.Prepared())
        evaluator_.UpdateAggregates();
}

std::string TRpExpr::ValueText(const TRpValue &value, const std::string &mask)
{
    // An empty mask prints the general format.
    switch (value.Kind) {
    case rpvInteger:
        return mask.empty() ? IntToStr(value.IntValue) : FormatFloat(mask, value.IntValue);
    case rpvFloat:
        if (mask.find("%m") != std::string::npos)
            return FormatMoneyMask(mask, value.FloatValue);
        return mask.empty() ? FloatToStr(value.FloatValue) : FormatFloat(mask, value.FloatValue);
    case rpvString:
        return value.Text;
    case rpvBoolean:
        return value.BoolValue ? "True" : "False";
    case rpvError:
        break;
    }
    return value.Text;
}

void TRpExpr::Print(int x, int y)
{
    if (!IsPrintable() || Printer() == nullptr)
        return;
    const TRpValue value = evaluator_.Prepared() ? evaluator_.Evaluate() : TRpValue::Error("(none)");
    SetTextToPrint(ValueText(value, mask_));
    TRpCustomLabel::Print(x, y);
    if (ResetAfterPrint)
        evaluator_.Reset();
}

// ---------------------------------------------------------------- TRpSysData

TRpSysData::TRpSysData(TComponent *owner) : TRpCustomLabel(owner) { ApplyDesignCaption(); }

void TRpSysData::ApplyDesignCaption()
{
    static const char *const names[] = {"Time", "Date", "Date/Time", "Page#", "Report title", "Detail count",
                                        "Detail no"};
    SetCaption(text_ + "(" + names[data_] + ")");
}

void TRpSysData::SetData(TRpSysDataType data)
{
    data_ = data;
    ApplyDesignCaption();
}

void TRpSysData::SetText(const std::string &text)
{
    text_ = text;
    ApplyDesignCaption();
}

std::string TRpSysData::ValueText() const
{
    TCustomBandReport *report = ParentReport();
    const double now = Services().Now();
    switch (data_) {
    case rpsTime:
        return FormatDateTime("t", now);
    case rpsDate:
        return FormatDateTime("c", static_cast<double>(static_cast<long long>(now)));
    case rpsDateTime:
        return FormatDateTime("c", now);
    case rpsPageNumber:
        return report != nullptr ? IntToStr(report->PageCount()) : std::string();
    case rpsReportTitle:
        return report != nullptr ? report->ReportTitle : std::string();
    case rpsDetailCount:
        return dynamic_cast<TBandReport *>(report) != nullptr ? IntToStr(report->RecordCount()) : std::string();
    case rpsDetailNo:
        return dynamic_cast<TBandReport *>(report) != nullptr ? IntToStr(report->CurrentRecordNo()) : std::string();
    }
    return {};
}

void TRpSysData::Print(int x, int y)
{
    if (!IsPrintable() || Printer() == nullptr)
        return;
    SetTextToPrint(PrintedText());
    TRpCustomLabel::Print(x, y);
}

// ---------------------------------------------------------------- TRpShape

TRpShape::TRpShape(TComponent *owner) : TRpPrintable(owner) { SetBounds(Left(), Top(), 65, 65); }

void TRpShape::Print(int x, int y)
{
    if (Printer() == nullptr || !IsPrintable())
        return;
    TCanvas &canvas = Printer()->Canvas();
    canvas.Pen().Assign(pen_);
    canvas.Brush().Assign(brush_);
    const TRect r = DeviceRect(x, y);
    const int middleX = r.Left + r.Width() / 2;
    const int middleY = r.Top + r.Height() / 2;
    auto line = [&canvas](int x1, int y1, int x2, int y2) {
        canvas.MoveTo(x1, y1);
        canvas.LineTo(x2, y2);
    };
    switch (Shape) {
    case rpsRectangle:
        canvas.Rectangle(r);
        break;
    case rpsCircle:
        canvas.Ellipse(r);
        break;
    case rpsVertLine:
        line(middleX, r.Top, middleX, r.Bottom);
        break;
    case rpsHorLine:
        line(r.Left, middleY, r.Right, middleY);
        break;
    case rpsTopAndBottom:
        line(r.Left, r.Top, r.Right, r.Top);
        line(r.Left, r.Bottom, r.Right, r.Bottom);
        break;
    case rpsRightAndLeft:
        line(r.Left, r.Top, r.Left, r.Bottom);
        line(r.Right, r.Top, r.Right, r.Bottom);
        break;
    case rpsRoundRect: {
        const int corner = static_cast<int>(Width() * RoundFactor);
        canvas.RoundRect(r, corner, corner);
        break;
    }
    }
}
