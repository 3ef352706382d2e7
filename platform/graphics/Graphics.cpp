#include "platform/graphics/Graphics.h"

#include "platform/graphics/QtCanvas.h"
#include "platform/core/Services.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <unordered_set>

// ---------------------------------------------------------------- geometry

void InflateRect(TRect &rect, int dx, int dy)
{
    rect.Left -= dx;
    rect.Top -= dy;
    rect.Right += dx;
    rect.Bottom += dy;
}

void OffsetRect(TRect &rect, int dx, int dy)
{
    rect.Left += dx;
    rect.Right += dx;
    rect.Top += dy;
    rect.Bottom += dy;
}

bool IntersectRect(TRect &result, const TRect &a, const TRect &b)
{
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty()) {
        result = {};
        return false;
    }
    result = r;
    return true;
}

bool PtInRect(const TRect &rect, TPoint point)
{
    return point.X >= rect.Left && point.X < rect.Right && point.Y >= rect.Top && point.Y < rect.Bottom;
}

bool IsRectEmpty(const TRect &rect)
{
    return rect.IsEmpty();
}

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    long long product = static_cast<long long>(a) * b;
    long long half = std::llabs(static_cast<long long>(c)) / 2;
    bool negative = (product < 0) != (c < 0);
    long long q = (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
    return static_cast<int>(negative ? -q : q);
}

// ---------------------------------------------------------------- colours

TColor ColorToRGB(TColor color)
{
    if ((color & 0xFF000000u) == clSystemColor)
        return GetSysColor(static_cast<int>(color & 0xFF));
    return color & 0x00FFFFFFu;
}

TColor GetSysColor(int index)
{
    return Services().SystemColor(index) & 0x00FFFFFFu;
}

// ---------------------------------------------------------------- font, pen, brush

TFont::TFont() = default;

TFont::TFont(const TFont &other)
    : name_(other.name_), height_(other.height_), pixelsPerInch_(other.pixelsPerInch_), color_(other.color_),
      style_(other.style_), charset_(other.charset_), pitch_(other.pitch_)
{
}

TFont &TFont::operator=(const TFont &other)
{
    if (this != &other) {
        name_ = other.name_;
        height_ = other.height_;
        pixelsPerInch_ = other.pixelsPerInch_;
        color_ = other.color_;
        style_ = other.style_;
        charset_ = other.charset_;
        pitch_ = other.pitch_;
        Changed();
    }
    return *this;
}

void TFont::Assign(const TFont &other)
{
    if (this == &other)
        return;
    name_ = other.name_;
    height_ = other.pixelsPerInch_ == pixelsPerInch_ ? other.height_
                                                     : -MulDiv(other.Size(), pixelsPerInch_, 72);
    color_ = other.color_;
    style_ = other.style_;
    charset_ = other.charset_;
    pitch_ = other.pitch_;
    Changed();
}

const std::string *TFont::SharedName(const std::string &name)
{
    static std::mutex lock;
    static std::unordered_set<std::string> names;
    std::lock_guard<std::mutex> guard(lock);
    return &*names.insert(name).first;
}

void TFont::SetName(const std::string &name)
{
    if (name != *name_) {
        name_ = SharedName(name);
        Changed();
    }
}
int TFont::Size() const { return -MulDiv(height_, 72, pixelsPerInch_); }
void TFont::SetSize(int points) { SetHeight(-MulDiv(points, pixelsPerInch_, 72)); }
void TFont::SetHeight(int height) { if (height != height_) { height_ = height; Changed(); } }
void TFont::SetColor(TColor color) { if (color != color_) { color_ = color; Changed(); } }
void TFont::SetStyle(TFontStyles style) { if (style != style_) { style_ = style; Changed(); } }
void TFont::SetCharset(int charset) { if (charset != charset_) { charset_ = charset; Changed(); } }
void TFont::SetPitch(TFontPitch pitch) { if (pitch != pitch_) { pitch_ = pitch; Changed(); } }
void TFont::Changed() { if (OnChange) OnChange(); }

bool TFont::SameAs(const TFont &o) const
{
    return *name_ == *o.name_ && height_ == o.height_ && color_ == o.color_ && style_ == o.style_ &&
           charset_ == o.charset_ && pitch_ == o.pitch_;
}

const std::vector<TFontSubstitute> &FontSubstitutes()
{
    static const std::vector<TFontSubstitute> table = {
        {"ＭＳ ゴシック", "IPAGothic"},
        {"MS UI Gothic", "IPAGothic"},
        {"ＭＳ Ｐゴシック", "IPAPGothic"},
    };
    return table;
}

std::string SubstituteFontName(const std::string &name)
{
    for (const TFontSubstitute &substitute : FontSubstitutes())
        if (name == substitute.Name)
            return substitute.Family;
    return name;
}

void TPen::Assign(const TPen &o)
{
    color_ = o.color_;
    width_ = o.width_;
    style_ = o.style_;
    mode_ = o.mode_;
    Changed();
}
void TPen::SetColor(TColor color) { if (color != color_) { color_ = color; Changed(); } }
void TPen::SetWidth(int width) { if (width != width_) { width_ = width; Changed(); } }
void TPen::SetStyle(TPenStyle style) { if (style != style_) { style_ = style; Changed(); } }
void TPen::SetMode(TPenMode mode) { if (mode != mode_) { mode_ = mode; Changed(); } }
bool TPen::SameAs(const TPen &o) const
{
    return color_ == o.color_ && width_ == o.width_ && style_ == o.style_ && mode_ == o.mode_;
}

void TBrush::Assign(const TBrush &o)
{
    color_ = o.color_;
    style_ = o.style_;
    bitmap_ = o.bitmap_;
    Changed();
}
void TBrush::SetColor(TColor color) { if (color != color_) { color_ = color; Changed(); } }
void TBrush::SetStyle(TBrushStyle style) { if (style != style_) { style_ = style; Changed(); } }
void TBrush::SetBitmap(std::shared_ptr<const TBitmap> bitmap) { bitmap_ = std::move(bitmap); Changed(); }
bool TBrush::SameAs(const TBrush &o) const
{
    return color_ == o.color_ && style_ == o.style_ && bitmap_ == o.bitmap_;
}

// ---------------------------------------------------------------- canvas: state

TCanvas::TCanvas() = default;
TCanvas::~TCanvas() = default;

void TCanvas::MoveTo(int x, int y)
{
    state_.PenPos = {x, y};
}

TPoint TCanvas::LogicalToDevice(TPoint p) const
{
    return {p.X - state_.WindowOrg.X + state_.ViewportOrg.X, p.Y - state_.WindowOrg.Y + state_.ViewportOrg.Y};
}

TRect TCanvas::LogicalToDevice(const TRect &r) const
{
    TPoint a = LogicalToDevice(r.TopLeft());
    return {a.X, a.Y, a.X + r.Width(), a.Y + r.Height()};
}

TRect TCanvas::DeviceToLogical(const TRect &r) const
{
    int dx = state_.WindowOrg.X - state_.ViewportOrg.X;
    int dy = state_.WindowOrg.Y - state_.ViewportOrg.Y;
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

void TCanvas::IntersectClipRect(const TRect &rect)
{
    TRect device = LogicalToDevice(rect);
    if (state_.Clip) {
        TRect common;
        IntersectRect(common, *state_.Clip, device);
        state_.Clip = common;
    } else {
        state_.Clip = device;
    }
}

void TCanvas::SetClipRect(const TRect &rect)
{
    state_.Clip = LogicalToDevice(rect);
}

void TCanvas::ResetClip()
{
    state_.Clip.reset();
}

TRect TCanvas::ClipRect() const
{
    if (state_.Clip)
        return DeviceToLogical(*state_.Clip);
    TSize size = DeviceSize();
    if (size.cx == 0 && size.cy == 0)
        return DeviceToLogical({-0x3FFFFFFF, -0x3FFFFFFF, 0x3FFFFFFF, 0x3FFFFFFF});
    return DeviceToLogical({0, 0, size.cx, size.cy});
}

int TCanvas::SaveDC()
{
    saved_.push_back(state_);
    return static_cast<int>(saved_.size());
}

bool TCanvas::RestoreDC(int saved)
{
    int count = static_cast<int>(saved_.size());
    int index = saved < 0 ? count + saved : saved - 1;
    if (index < 0 || index >= count)
        return false;
    state_ = saved_[static_cast<size_t>(index)];
    saved_.resize(static_cast<size_t>(index));
    return true;
}

void TCanvas::SetWindowOrg(int x, int y)
{
    state_.WindowOrg = {x, y};
}

void TCanvas::SetViewportOrg(int x, int y)
{
    state_.ViewportOrg = {x, y};
}

// ---------------------------------------------------------------- canvas: derived operations

namespace {

// Fills with a colour, leaving the canvas's brush as it was.
void FillWith(TCanvas &canvas, const TRect &rect, TColor color)
{
    TBrush saved = canvas.Brush();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(color);
    canvas.Brush().SetBitmap(nullptr);
    canvas.FillRect(rect);
    canvas.Brush() = saved;
}

} // namespace

void TCanvas::FrameRect(const TRect &r)
{
    if (r.IsEmpty())
        return;
    FillRect({r.Left, r.Top, r.Right, r.Top + 1});
    FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom});
    FillRect({r.Left, r.Top, r.Left + 1, r.Bottom});
    FillRect({r.Right - 1, r.Top, r.Right, r.Bottom});
}

void TCanvas::Polyline(const std::vector<TPoint> &points)
{
    if (points.size() < 2)
        return;
    TPoint saved = state_.PenPos;
    MoveTo(points[0].X, points[0].Y);
    for (size_t i = 1; i < points.size(); ++i)
        LineTo(points[i].X, points[i].Y);
    MoveTo(saved.X, saved.Y);
}

void TCanvas::DrawFocusRect(const TRect &r)
{
    // Every other pixel of the border, inverted.
    for (int x = r.Left; x < r.Right; x += 2) {
        InvertRect({x, r.Top, x + 1, r.Top + 1});
        if (r.Bottom - 1 > r.Top)
            InvertRect({x, r.Bottom - 1, x + 1, r.Bottom});
    }
    for (int y = r.Top + 2; y < r.Bottom - 1; y += 2) {
        InvertRect({r.Left, y, r.Left + 1, y + 1});
        if (r.Right - 1 > r.Left)
            InvertRect({r.Right - 1, y, r.Right, y + 1});
    }
}

void TCanvas::TextOut(int x, int y, const std::string &text)
{
    ExtTextOut(x, y, 0, nullptr, text);
    MoveTo(x + TextWidth(text), y);
}

void TCanvas::RotatedTextOut(int x, int y, const std::string &text)
{
    int height = TextMetrics().tmHeight;
    unsigned savedAlign = TextAlign();
    TBrushStyle savedStyle = state_.Brush.Style();
    SetTextAlign(TA_LEFT | TA_TOP);
    state_.Brush.SetStyle(bsClear);
    size_t i = 0;
    while (i < text.size()) {
        // One character (a UTF-8 sequence) at a time.
        size_t n = 1;
        while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80)
            ++n;
        std::string ch = text.substr(i, n);
        int width = TextWidth(ch);
        ExtTextOut(x - height + std::max(0, (height - width) / 2), y, 0, nullptr, ch);
        y += width;
        i += n;
    }
    state_.Brush.SetStyle(savedStyle);
    SetTextAlign(savedAlign);
}

void TCanvas::TextRect(const TRect &rect, int x, int y, const std::string &text)
{
    unsigned options = ETO_CLIPPED;
    if (state_.Brush.Style() == bsSolid)
        options |= ETO_OPAQUE;
    ExtTextOut(x, y, options, &rect, text);
}

void TCanvas::Draw(int x, int y, const TBitmap &bitmap)
{
    BitBlt({x, y, x + bitmap.Width(), y + bitmap.Height()}, bitmap, {0, 0}, SRCCOPY);
}

// ---------------------------------------------------------------- DrawText

namespace {

struct TPrefixedText {
    std::string text;
    int underlined = -1;  // byte offset of the character to underline
};

// "&x" underlines x, "&&" is one "&".
TPrefixedText StripPrefix(const std::string &text, bool keepPrefix)
{
    TPrefixedText out;
    if (keepPrefix) {
        out.text = text;
        return out;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != '&' && out.underlined < 0)
                out.underlined = static_cast<int>(out.text.size());
        } else if (text[i] == '&') {
            continue;
        }
        out.text += text[i];
    }
    return out;
}

size_t Utf8Length(unsigned char lead)
{
    if (lead < 0x80) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return 4;
}

// Words for wrapping: an ASCII run up to and including its spaces, or one
// non-ASCII character (Japanese text breaks between any two characters).
std::vector<std::string> SplitWords(const std::string &line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        size_t start = i;
        auto lead = static_cast<unsigned char>(line[i]);
        if (lead >= 0x80) {
            i += std::min(Utf8Length(lead), line.size() - i);
        } else {
            while (i < line.size() && line[i] != ' ' && static_cast<unsigned char>(line[i]) < 0x80)
                ++i;
            while (i < line.size() && line[i] == ' ')
                ++i;
        }
        words.push_back(line.substr(start, i - start));
    }
    return words;
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::string current;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(current);
            current.clear();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            current += text[i];
        }
    }
    lines.push_back(current);
    return lines;
}

std::string RemoveBreaks(const std::string &text)
{
    std::string out;
    for (char c : text)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

std::string ExpandTabs(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '\t')
            out.append(8 - out.size() % 8, ' ');
        else
            out += c;
    }
    return out;
}

// Drops whole characters from the end until text + "..." fits the width.
std::string Ellipsize(TCanvas &canvas, const std::string &text, int width)
{
    if (canvas.TextWidth(text) <= width)
        return text;
    std::string cut = text;
    while (!cut.empty()) {
        size_t end = cut.size() - 1;
        while (end > 0 && (static_cast<unsigned char>(cut[end]) & 0xC0) == 0x80)
            --end;
        cut.erase(end);
        if (canvas.TextWidth(cut + "...") <= width)
            break;
    }
    return cut + "...";
}

} // namespace

int TCanvas::DrawText(const std::string &rawText, TRect &rect, unsigned format)
{
    TPrefixedText prefixed = StripPrefix(rawText, format & DT_NOPREFIX);
    std::string text = format & DT_EXPANDTABS ? ExpandTabs(prefixed.text) : prefixed.text;
    int width = rect.Width();

    std::vector<std::string> lines;
    if (format & DT_SINGLELINE) {
        lines.push_back(RemoveBreaks(text));
    } else {
        for (const std::string &line : SplitLines(text)) {
            if (!(format & DT_WORDBREAK)) {
                lines.push_back(line);
                continue;
            }
            std::string current;
            for (const std::string &word : SplitWords(line)) {
                if (!current.empty() && TextWidth(current + word) > width) {
                    lines.push_back(current);
                    current.clear();
                }
                current += word;
            }
            lines.push_back(current);
        }
    }
    if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS))
        for (std::string &line : lines)
            line = Ellipsize(*this, line, width);

    int lineHeight = TextMetrics().tmHeight;
    int textHeight = lineHeight * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const std::string &line : lines)
            widest = std::max(widest, TextWidth(line));
        rect.Right = rect.Left + widest;
        rect.Bottom = rect.Top + textHeight;
        return textHeight;
    }

    int y = rect.Top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect.Top + (rect.Height() - textHeight) / 2;
        else if (format & DT_BOTTOM)
            y = rect.Bottom - textHeight;
    }
    unsigned savedAlign = TextAlign();
    if (savedAlign != (TA_LEFT | TA_TOP))
        SetTextAlign(TA_LEFT | TA_TOP);
    unsigned options = format & DT_NOCLIP ? 0u : unsigned{ETO_CLIPPED};
    int lineStart = 0;  // byte offset of the line in the text, for the prefix underline
    for (const std::string &line : lines) {
        int lineWidth = TextWidth(line);
        int x = rect.Left;
        if (format & DT_CENTER)
            x = rect.Left + (width - lineWidth) / 2;
        else if (format & DT_RIGHT)
            x = rect.Right - lineWidth;
        ExtTextOut(x, y, options, options ? &rect : nullptr, line);
        int at = prefixed.underlined - lineStart;
        if (!(format & DT_HIDEPREFIX) && at >= 0 && at < static_cast<int>(line.size())) {
            int left = x + TextWidth(line.substr(0, static_cast<size_t>(at)));
            size_t charLength = Utf8Length(static_cast<unsigned char>(line[static_cast<size_t>(at)]));
            int right = left + TextWidth(line.substr(static_cast<size_t>(at), charLength));
            int baseline = y + TextMetrics().tmAscent + 1;
            FillWith(*this, {left, baseline, right, baseline + 1}, state_.Font.Color());
        }
        lineStart += static_cast<int>(line.size());
        y += lineHeight;
    }
    if (savedAlign != (TA_LEFT | TA_TOP))
        SetTextAlign(savedAlign);
    return textHeight;
}

// ---------------------------------------------------------------- DrawEdge, DrawFrameControl

namespace {

struct TEdgeColors {
    TColor topLeft;
    TColor bottomRight;
};

TEdgeColors OuterColors(unsigned edge, unsigned flags)
{
    if (flags & BF_MONO)
        return {clWindowFrame, clWindowFrame};
    if (flags & BF_FLAT)
        return {clBtnShadow, clBtnShadow};
    if (edge & BDR_RAISEDOUTER)
        return {flags & BF_SOFT ? clBtnHighlight : cl3DLight, cl3DDkShadow};
    return {clBtnShadow, clBtnHighlight};
}

TEdgeColors InnerColors(unsigned edge, unsigned flags)
{
    if (flags & BF_MONO)
        return {clWindow, clWindow};
    if (flags & BF_FLAT)
        return {clBtnFace, clBtnFace};
    if (edge & BDR_RAISEDINNER)
        return {flags & BF_SOFT ? cl3DLight : clBtnHighlight, clBtnShadow};
    return {cl3DDkShadow, cl3DLight};
}

// One-pixel lines on the chosen sides; the rectangle shrinks past them.
void EdgeRing(TCanvas &canvas, TRect &r, unsigned flags, TEdgeColors colors)
{
    if (flags & BF_LEFT)
        FillWith(canvas, {r.Left, r.Top, r.Left + 1, r.Bottom}, colors.topLeft);
    if (flags & BF_TOP)
        FillWith(canvas, {r.Left, r.Top, r.Right, r.Top + 1}, colors.topLeft);
    if (flags & BF_RIGHT)
        FillWith(canvas, {r.Right - 1, r.Top, r.Right, r.Bottom}, colors.bottomRight);
    if (flags & BF_BOTTOM)
        FillWith(canvas, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, colors.bottomRight);
    if (flags & BF_LEFT) ++r.Left;
    if (flags & BF_TOP) ++r.Top;
    if (flags & BF_RIGHT) --r.Right;
    if (flags & BF_BOTTOM) --r.Bottom;
}

} // namespace

void TCanvas::DrawEdge(TRect &rect, unsigned edge, unsigned flags)
{
    TRect r = rect;
    if (edge & BDR_OUTER)
        EdgeRing(*this, r, flags, OuterColors(edge, flags));
    if (edge & BDR_INNER)
        EdgeRing(*this, r, flags, InnerColors(edge, flags));
    if ((flags & BF_MIDDLE) && !r.IsEmpty())
        FillWith(*this, r, flags & BF_MONO ? clWindow : clBtnFace);
    if (flags & BF_ADJUST)
        rect = r;
}

namespace {

// A filled triangle pointing in a direction, centred in the rectangle.
void DrawArrow(TCanvas &canvas, const TRect &r, unsigned direction, TColor color)
{
    int size = std::max(2, std::min(r.Width(), r.Height()) / 4);
    int cx = r.Left + r.Width() / 2;
    int cy = r.Top + r.Height() / 2;
    std::vector<TPoint> p;
    switch (direction) {
    case DFCS_SCROLLUP: p = {{cx - size, cy + size / 2}, {cx + size, cy + size / 2}, {cx, cy - size / 2}}; break;
    case DFCS_SCROLLLEFT: p = {{cx + size / 2, cy - size}, {cx + size / 2, cy + size}, {cx - size / 2, cy}}; break;
    case DFCS_SCROLLRIGHT: p = {{cx - size / 2, cy - size}, {cx - size / 2, cy + size}, {cx + size / 2, cy}}; break;
    default: p = {{cx - size, cy - size / 2}, {cx + size, cy - size / 2}, {cx, cy + size / 2}}; break;
    }
    TPen savedPen = canvas.Pen();
    TBrush savedBrush = canvas.Brush();
    canvas.Pen().SetColor(color);
    canvas.Pen().SetStyle(psSolid);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetMode(pmCopy);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(color);
    canvas.Polygon(p);
    canvas.Pen() = savedPen;
    canvas.Brush() = savedBrush;
}

void DrawGlyphLines(TCanvas &canvas, const std::vector<std::vector<TPoint>> &lines, TColor color)
{
    TPen saved = canvas.Pen();
    canvas.Pen().SetColor(color);
    canvas.Pen().SetStyle(psSolid);
    canvas.Pen().SetWidth(2);
    canvas.Pen().SetMode(pmCopy);
    for (const auto &line : lines)
        canvas.Polyline(line);
    canvas.Pen() = saved;
}

} // namespace

void TCanvas::DrawFrameControl(TRect &rect, unsigned type, unsigned state)
{
    bool pushed = state & DFCS_PUSHED;
    TColor glyph = state & DFCS_INACTIVE ? clGrayText : clBtnText;
    TRect r = rect;
    unsigned edgeFlags = BF_RECT | BF_MIDDLE | BF_ADJUST | (state & DFCS_FLAT ? unsigned{BF_FLAT} : 0u) |
                         (state & DFCS_MONO ? unsigned{BF_MONO} : 0u);
    switch (type) {
    case DFC_BUTTON:
        if ((state & 0xFF) == DFCS_BUTTONRADIO) {
            TPen savedPen = Pen();
            TBrush savedBrush = Brush();
            Pen().SetColor(clBtnShadow);
            Brush().SetStyle(bsSolid);
            Brush().SetColor(clWindow);
            Ellipse(r);
            if (state & DFCS_CHECKED) {
                Brush().SetColor(ColorToRGB(glyph));
                Pen().SetColor(glyph);
                TRect dot = r;
                InflateRect(dot, -r.Width() / 3, -r.Height() / 3);
                Ellipse(dot);
            }
            Pen() = savedPen;
            Brush() = savedBrush;
        } else if ((state & 0xFF) == DFCS_BUTTONPUSH) {
            DrawEdge(r, pushed ? EDGE_SUNKEN : EDGE_RAISED, edgeFlags);
        } else {
            DrawEdge(r, EDGE_SUNKEN, edgeFlags & ~BF_MIDDLE);
            FillWith(*this, r, pushed || (state & DFCS_INACTIVE) ? clBtnFace : clWindow);
            if (state & DFCS_CHECKED) {
                int w = r.Width(), h = r.Height();
                DrawGlyphLines(*this, {{{r.Left + w / 5, r.Top + h / 2}, {r.Left + w * 2 / 5, r.Top + h * 3 / 4},
                                        {r.Right - w / 5, r.Top + h / 4}}}, glyph);
            }
        }
        break;
    case DFC_SCROLL:
        DrawEdge(r, pushed ? EDGE_SUNKEN : EDGE_RAISED, edgeFlags);
        if (pushed)
            OffsetRect(r, 1, 1);
        DrawArrow(*this, r, (state & 0xFF) == DFCS_SCROLLCOMBOBOX ? DFCS_SCROLLDOWN : (state & 0xFF), glyph);
        break;
    case DFC_CAPTION: {
        DrawEdge(r, pushed ? EDGE_SUNKEN : EDGE_RAISED, edgeFlags);
        TRect g = r;
        InflateRect(g, -std::max(2, r.Width() / 4), -std::max(2, r.Height() / 4));
        switch (state & 0xFF) {
        case DFCS_CAPTIONMIN: DrawGlyphLines(*this, {{{g.Left, g.Bottom - 1}, {g.Right, g.Bottom - 1}}}, glyph); break;
        case DFCS_CAPTIONMAX:
        case DFCS_CAPTIONRESTORE: {
            TBrush saved = Brush();
            Brush().SetColor(glyph);
            Brush().SetStyle(bsSolid);
            FrameRect(g);
            Brush() = saved;
            break;
        }
        default:
            DrawGlyphLines(*this, {{{g.Left, g.Top}, {g.Right, g.Bottom}}, {{g.Left, g.Bottom}, {g.Right, g.Top}}}, glyph);
            break;
        }
        break;
    }
    case DFC_MENU:
        if ((state & 0xFF) == DFCS_MENUARROW) {
            DrawArrow(*this, r, DFCS_SCROLLRIGHT, glyph);
        } else if ((state & 0xFF) == DFCS_MENUBULLET) {
            TRect dot = r;
            InflateRect(dot, -r.Width() / 3, -r.Height() / 3);
            FillWith(*this, dot, glyph);
        } else {
            int w = r.Width(), h = r.Height();
            DrawGlyphLines(*this, {{{r.Left + w / 5, r.Top + h / 2}, {r.Left + w * 2 / 5, r.Top + h * 3 / 4},
                                    {r.Right - w / 5, r.Top + h / 4}}}, glyph);
        }
        break;
    default:
        break;
    }
    if (state & DFCS_ADJUSTRECT)
        rect = r;
}

// ---------------------------------------------------------------- bitmap

TBitmap::TBitmap() : data_(std::make_unique<Data>()) {}

TBitmap::TBitmap(int width, int height) : TBitmap()
{
    SetSize(width, height);
}

TBitmap::~TBitmap() = default;
// The pixels and the canvas painting on them move together.
TBitmap::TBitmap(TBitmap &&other) noexcept = default;
TBitmap &TBitmap::operator=(TBitmap &&other) noexcept = default;

bool TCanvas::CopyToBitmap(const TRect &, TBitmap &) { return false; }

void TBitmap::Assign(const TBitmap &other)
{
    if (this == &other)
        return;
    other.data_->Flush();
    data_->Flush();
    data_->canvas.reset();
    data_->image = other.data_->image.copy();
    pixelFormat_ = other.pixelFormat_;
}

int TBitmap::Width() const { return data_->image.width(); }
int TBitmap::Height() const { return data_->image.height(); }
void TBitmap::SetWidth(int width) { SetSize(width, Height()); }
void TBitmap::SetHeight(int height) { SetSize(Width(), height); }

void TBitmap::SetSize(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height())
        return;
    data_->Flush();
    QImage image;
    if (width > 0 && height > 0) {
        image = QImage(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        if (!data_->image.isNull()) {
            QPainter p(&image);
            p.drawImage(0, 0, data_->image);
        }
    }
    // The canvas paints on this same image object, so it keeps its state.
    data_->image = std::move(image);
}

void TBitmap::LoadFromFile(const std::string &path)
{
    QImage image;
    if (!image.load(ToQString(path)))
        throw EInvalidGraphic("Cannot read the picture " + path);
    data_->Flush();
    data_->image = image.convertToFormat(QImage::Format_RGB32);
}

TCanvas &TBitmap::Canvas()
{
    if (!data_->canvas)
        data_->canvas = std::make_unique<TQtCanvas>(data_->image);
    return *data_->canvas;
}

TColor TBitmap::Pixel(int x, int y) const
{
    data_->Flush();
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return clNone;
    return FromQRgb(data_->image.pixel(x, y));
}

void TBitmap::SetPixel(int x, int y, TColor color)
{
    data_->Flush();
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return;
    data_->image.setPixel(x, y, ToQColor(color).rgb());
}
