#include "platform/graphics/Metafile.h"

#include "platform/graphics/QtCanvas.h"

#include <uemf.h>
#include <uemf_endian.h>
#include <uemf_safe.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <tuple>

// ---------------------------------------------------------------- sizes

namespace {

constexpr int kPixelsPerInch = 96;
// The reference device: 96 pixels per inch, 4800 pixels are 1270 mm.
constexpr int kReferencePixels = 4800;
constexpr int kReferenceMillimetres = 1270;
// No page needs more; anything larger in a file is damage.
constexpr std::uint32_t kMaxMetafileBytes = 256u * 1024 * 1024;
// The widest and tallest page, in pixels (34 m): sizes from a file are held
// to it before anything is computed from them.
constexpr int kPagePixelsLimit = 1 << 17;

int PixelsToFrame(int pixels) { return MulDiv(pixels, 2540, kPixelsPerInch); }
int FrameToPixels(int frame) { return MulDiv(frame, kPixelsPerInch, 2540); }

std::uint32_t ReadU32(const char *p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

} // namespace

int TMetafile::Width() const { return FrameToPixels(mmWidth_); }
int TMetafile::Height() const { return FrameToPixels(mmHeight_); }
void TMetafile::SetWidth(int width) { mmWidth_ = PixelsToFrame(std::max(0, width)); }
void TMetafile::SetHeight(int height) { mmHeight_ = PixelsToFrame(std::max(0, height)); }

void TMetafile::Clear()
{
    data_.clear();
}

// ---------------------------------------------------------------- recorder

namespace {

std::u16string ToUtf16(const std::string &utf8)
{
    QString s = ToQString(utf8);
    return std::u16string(reinterpret_cast<const char16_t *>(s.utf16()), static_cast<size_t>(s.size()));
}

U_COLORREF ColorRef(TColor color)
{
    TColor rgb = ColorToRGB(color);
    return colorref3_set(static_cast<uint8_t>(GetRValue(rgb)), static_cast<uint8_t>(GetGValue(rgb)),
                         static_cast<uint8_t>(GetBValue(rgb)));
}

// A record of plain 32-bit fields, for the records libUEMF builds only with its file tracker.
char *PlainRecord(std::initializer_list<std::uint32_t> fields)
{
    auto *record = static_cast<std::uint32_t *>(std::malloc(fields.size() * 4));
    if (record)
        std::copy(fields.begin(), fields.end(), record);
    return reinterpret_cast<char *>(record);
}

U_RECTL RectL(const TRect &r) { return U_RECTL{r.Left, r.Top, r.Right, r.Bottom}; }
U_POINTL PointL(TPoint p) { return U_POINTL{p.X, p.Y}; }

const std::uint32_t kRop2ForMode[] = {U_R2_BLACK, U_R2_WHITE, U_R2_NOP, U_R2_NOT, U_R2_COPYPEN, U_R2_NOTCOPYPEN,
    U_R2_MERGEPENNOT, U_R2_MASKPENNOT, U_R2_MERGENOTPEN, U_R2_MASKNOTPEN, U_R2_MERGEPEN, U_R2_NOTMERGEPEN,
    U_R2_MASKPEN, U_R2_NOTMASKPEN, U_R2_XORPEN, U_R2_NOTXORPEN};

std::uint32_t HatchOf(TBrushStyle style)
{
    switch (style) {
    case bsHorizontal: return U_HS_HORIZONTAL;
    case bsVertical: return U_HS_VERTICAL;
    case bsFDiagonal: return U_HS_FDIAGONAL;
    case bsBDiagonal: return U_HS_BDIAGONAL;
    case bsCross: return U_HS_CROSS;
    default: return U_HS_DIAGCROSS;
    }
}

// A bottom-up 32-bit DIB of part of a bitmap.
struct TDib {
    std::unique_ptr<U_BITMAPINFO, decltype(&std::free)> info{nullptr, &std::free};
    std::string pixels;
};

TDib MakeDib(const TBitmap &bitmap, const TRect &part)
{
    TDib dib;
    int w = part.Width(), h = part.Height();
    U_BITMAPINFOHEADER header = bitmapinfoheader_set(w, h, 1, 32, U_BI_RGB, static_cast<uint32_t>(w * h * 4),
                                                     3780, 3780, 0, 0);
    dib.info.reset(bitmapinfo_set(header, nullptr));
    dib.pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    for (int y = 0; y < h; ++y) {
        char *row = dib.pixels.data() + static_cast<size_t>(h - 1 - y) * static_cast<size_t>(w) * 4;
        for (int x = 0; x < w; ++x) {
            TColor c = bitmap.Pixel(part.Left + x, part.Top + y);
            if (c == clNone)
                c = clWhite;
            row[x * 4 + 0] = static_cast<char>(GetBValue(c));
            row[x * 4 + 1] = static_cast<char>(GetGValue(c));
            row[x * 4 + 2] = static_cast<char>(GetRValue(c));
            row[x * 4 + 3] = 0;
        }
    }
    return dib;
}

} // namespace

struct TMetafileCanvas::Recorder {
    std::string bytes;
    std::uint32_t records = 0;
    int width = 0;
    int height = 0;
    std::vector<bool> handleUsed{true};  // handle 0 is never given out
    std::uint32_t peakHandles = 1;

    // What the recorded device context holds now.
    std::uint32_t penHandle = 0;   // 0: a stock pen
    std::uint32_t brushHandle = 0;
    std::uint32_t fontHandle = 0;
    bool nullPen = false;
    TPen pen;
    TBrush brush;
    TFont font;
    unsigned textAlign = TA_LEFT | TA_TOP;
    TColor textColor = clBlack;
    std::uint32_t bkMode = U_OPAQUE;
    TColor bkColor = clWhite;
    std::uint32_t rop2 = U_R2_COPYPEN;
    std::optional<TRect> clip;

    bool drawn = false;
    TRect bounds;

    void Append(char *record)
    {
        if (!record)
            throw EOutOfResources("Out of memory while recording a metafile");
        std::uint32_t size = ReadU32(record + 4);
        bytes.append(record, size);
        std::free(record);
        ++records;
    }

    std::uint32_t NewHandle()
    {
        for (std::uint32_t i = 1; i < handleUsed.size(); ++i)
            if (!handleUsed[i]) {
                handleUsed[i] = true;
                return i;
            }
        handleUsed.push_back(true);
        peakHandles = std::max(peakHandles, static_cast<std::uint32_t>(handleUsed.size()));
        return static_cast<std::uint32_t>(handleUsed.size() - 1);
    }

    // Selects a new object in place of the old one and deletes the old one.
    void Replace(std::uint32_t &current, std::uint32_t created)
    {
        Append(U_EMRSELECTOBJECT_set(created));
        if (current != 0) {
            Append(U_EMRDELETEOBJECT_set(current));
            handleUsed[current] = false;
        }
        current = created;
    }

    void SelectStock(std::uint32_t &current, std::uint32_t stock)
    {
        Append(U_EMRSELECTOBJECT_set(stock));
        if (current != 0) {
            Append(U_EMRDELETEOBJECT_set(current));
            handleUsed[current] = false;
        }
        current = 0;
    }

    void Include(TRect r)
    {
        if (r.Right < r.Left)
            std::swap(r.Left, r.Right);
        if (r.Bottom < r.Top)
            std::swap(r.Top, r.Bottom);
        if (!drawn) {
            bounds = r;
            drawn = true;
            return;
        }
        bounds.Left = std::min(bounds.Left, r.Left);
        bounds.Top = std::min(bounds.Top, r.Top);
        bounds.Right = std::max(bounds.Right, r.Right);
        bounds.Bottom = std::max(bounds.Bottom, r.Bottom);
    }
};

TMetafileCanvas::TMetafileCanvas(TMetafile &metafile) : recorder_(std::make_unique<Recorder>()), metafile_(&metafile)
{
    Recorder &r = *recorder_;
    r.width = metafile.Width();
    r.height = metafile.Height();
    U_RECTL bounds{0, 0, -1, -1};
    U_RECTL frame{0, 0, metafile.MMWidth(), metafile.MMHeight()};
    r.Append(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, sizel_set(kReferencePixels, kReferencePixels),
                             sizel_set(kReferenceMillimetres, kReferenceMillimetres), 0));
    // The state every recorded page starts from.
    r.Append(U_EMRSETMAPMODE_set(U_MM_TEXT));
    r.Append(U_EMRSETBKMODE_set(U_OPAQUE));
    r.Append(U_EMRSETBKCOLOR_set(ColorRef(clWhite)));
    r.Append(U_EMRSETTEXTCOLOR_set(ColorRef(clBlack)));
    r.Append(U_EMRSETTEXTALIGN_set(U_TA_TOP | U_TA_LEFT | U_TA_NOUPDATECP));
    r.Append(U_EMRSETPOLYFILLMODE_set(U_ALTERNATE));
    r.Append(U_EMRSETROP2_set(U_R2_COPYPEN));
    r.Append(U_EMRSELECTOBJECT_set(U_BLACK_PEN));
    r.Append(U_EMRSELECTOBJECT_set(U_WHITE_BRUSH));
    r.pen.SetColor(clBlack);
    r.brush.SetColor(clWhite);
    r.font.SetName("");
}

TMetafileCanvas::~TMetafileCanvas()
{
    try {
        Finish();
    } catch (...) {
        // Out of memory at the end: the metafile keeps its earlier picture.
    }
}

TSize TMetafileCanvas::DeviceSize() const
{
    return recorder_ ? TSize{recorder_->width, recorder_->height} : TSize{};
}

void TMetafileCanvas::Finish()
{
    if (!recorder_)
        return;
    Recorder &r = *recorder_;
    if (r.penHandle)
        r.SelectStock(r.penHandle, U_BLACK_PEN);
    if (r.brushHandle)
        r.SelectStock(r.brushHandle, U_WHITE_BRUSH);
    if (r.fontHandle)
        r.SelectStock(r.fontHandle, U_DEVICE_DEFAULT_FONT);
    // No palette: the entries would start at 16, and the last field repeats the size.
    r.Append(PlainRecord({U_EMR_EOF, 20, 0, 16, 20}));

    U_EMRHEADER header;
    std::memcpy(&header, r.bytes.data(), sizeof header);
    header.rclBounds = r.drawn ? U_RECTL{r.bounds.Left, r.bounds.Top, r.bounds.Right, r.bounds.Bottom}
                               : U_RECTL{0, 0, -1, -1};
    header.nBytes = static_cast<uint32_t>(r.bytes.size());
    header.nRecords = r.records;
    header.nHandles = static_cast<uint16_t>(std::min<std::uint32_t>(r.peakHandles, 0xFFFF));
    std::memcpy(r.bytes.data(), &header, sizeof header);
    metafile_->data_ = std::move(r.bytes);
    recorder_.reset();
}

namespace {

// The state that a drawing operation needs recorded first.
enum TNeed : unsigned { needPen = 1, needNullPen = 2, needBrush = 4, needNullBrush = 8, needFont = 16, needRop = 32 };

} // namespace

#define RECORDER_OR_RETURN \
    if (!recorder_) \
        return; \
    Recorder &r = *recorder_

namespace {

void SyncState(TMetafileCanvas &canvas, TMetafileCanvas::Recorder &r, unsigned need);

// A figure drawn with the pen and filled with the brush.
template <class Make>
void RecordFigure(TMetafileCanvas &canvas, TMetafileCanvas::Recorder &r, const TRect &rect, Make make)
{
    SyncState(canvas, r, needPen | needBrush | needRop);
    TRect d = canvas.LogicalToDevice(rect);
    r.Append(make(RectL(d)));
    r.Include(d);
}

} // namespace

void TMetafileCanvas::MoveTo(int x, int y)
{
    TCanvas::MoveTo(x, y);
    RECORDER_OR_RETURN;
    r.Append(U_EMRMOVETOEX_set(PointL(LogicalToDevice(TPoint{x, y}))));
}

void TMetafileCanvas::LineTo(int x, int y)
{
    TPoint from = LogicalToDevice(PenPos());
    TCanvas::MoveTo(x, y);
    RECORDER_OR_RETURN;
    SyncState(*this, r, needPen | needRop);
    TPoint to = LogicalToDevice(TPoint{x, y});
    r.Append(U_EMRLINETO_set(PointL(to)));
    r.Include({from.X, from.Y, to.X, to.Y});
}

void TMetafileCanvas::Rectangle(const TRect &rect)
{
    RECORDER_OR_RETURN;
    RecordFigure(*this, r, rect, [](U_RECTL box) { return U_EMRRECTANGLE_set(box); });
}

void TMetafileCanvas::FillRect(const TRect &rect)
{
    RECORDER_OR_RETURN;
    if (Brush().Style() == bsClear || rect.IsEmpty())
        return;
    // A rectangle without outline fills up to one pixel short of its right and bottom.
    SyncState(*this, r, needNullPen | needBrush);
    TRect d = LogicalToDevice(rect);
    r.Append(U_EMRRECTANGLE_set(U_RECTL{d.Left, d.Top, d.Right + 1, d.Bottom + 1}));
    r.Include(d);
}

void TMetafileCanvas::RoundRect(const TRect &rect, int ellipseWidth, int ellipseHeight)
{
    RECORDER_OR_RETURN;
    U_SIZEL corner = sizel_set(ellipseWidth, ellipseHeight);
    RecordFigure(*this, r, rect, [corner](U_RECTL box) { return U_EMRROUNDRECT_set(box, corner); });
}

void TMetafileCanvas::Ellipse(const TRect &rect)
{
    RECORDER_OR_RETURN;
    RecordFigure(*this, r, rect, [](U_RECTL box) { return U_EMRELLIPSE_set(box); });
}

namespace {

bool Fits16(const std::vector<TPoint> &points)
{
    return std::all_of(points.begin(), points.end(), [](TPoint p) {
        return p.X >= -32768 && p.X <= 32767 && p.Y >= -32768 && p.Y <= 32767;
    });
}

TRect BoundsOf(const std::vector<TPoint> &points)
{
    TRect b{points[0].X, points[0].Y, points[0].X, points[0].Y};
    for (TPoint p : points) {
        b.Left = std::min(b.Left, p.X);
        b.Top = std::min(b.Top, p.Y);
        b.Right = std::max(b.Right, p.X);
        b.Bottom = std::max(b.Bottom, p.Y);
    }
    return b;
}

// A poly record in the 16-bit form when the points allow it.
char *PolyRecord(const std::vector<TPoint> &points, bool polygon)
{
    U_RECTL bounds = RectL(BoundsOf(points));
    auto count = static_cast<uint32_t>(points.size());
    if (Fits16(points)) {
        std::vector<U_POINT16> p16;
        for (TPoint p : points)
            p16.push_back(point16_set(static_cast<int16_t>(p.X), static_cast<int16_t>(p.Y)));
        return polygon ? U_EMRPOLYGON16_set(bounds, count, p16.data()) : U_EMRPOLYLINE16_set(bounds, count, p16.data());
    }
    std::vector<U_POINTL> p32;
    for (TPoint p : points)
        p32.push_back(PointL(p));
    return polygon ? U_EMRPOLYGON_set(bounds, count, p32.data()) : U_EMRPOLYLINE_set(bounds, count, p32.data());
}

} // namespace

void TMetafileCanvas::Polygon(const std::vector<TPoint> &points)
{
    RECORDER_OR_RETURN;
    if (points.size() < 2)
        return;
    SyncState(*this, r, needPen | needBrush | needRop);
    std::vector<TPoint> device;
    for (TPoint p : points)
        device.push_back(LogicalToDevice(p));
    r.Append(PolyRecord(device, true));
    r.Include(BoundsOf(device));
}

void TMetafileCanvas::Polyline(const std::vector<TPoint> &points)
{
    RECORDER_OR_RETURN;
    if (points.size() < 2)
        return;
    SyncState(*this, r, needPen | needRop);
    std::vector<TPoint> device;
    for (TPoint p : points)
        device.push_back(LogicalToDevice(p));
    r.Append(PolyRecord(device, false));
    r.Include(BoundsOf(device));
}

void TMetafileCanvas::InvertRect(const TRect &rect)
{
    RECORDER_OR_RETURN;
    if (rect.IsEmpty())
        return;
    SyncState(*this, r, 0);
    TRect d = LogicalToDevice(rect);
    U_XFORM identity = xform_set(1, 0, 0, 1, 0, 0);
    r.Append(U_EMRBITBLT_set(RectL(d), PointL(d.TopLeft()), U_POINTL{d.Width(), d.Height()}, U_POINTL{0, 0},
                             identity, ColorRef(clWhite), U_DIB_RGB_COLORS, DSTINVERT, nullptr, 0, nullptr));
    r.Include(d);
}

void TMetafileCanvas::ExtTextOut(int x, int y, unsigned options, const TRect *rect, const std::string &text)
{
    RECORDER_OR_RETURN;
    SyncState(*this, r, needFont);
    std::u16string wide = ToUtf16(text);
    std::vector<int> advances = CharacterAdvances(Font(), wide);
    std::vector<uint32_t> dx(std::max<size_t>(1, advances.size()), 0);
    std::copy(advances.begin(), advances.end(), dx.begin());
    TPoint at = LogicalToDevice(TPoint{x, y});
    TRect clipRect = rect ? LogicalToDevice(*rect) : TRect{};
    unsigned recorded = options & (ETO_OPAQUE | ETO_CLIPPED | ETO_RTLREADING);
    char *emrtext = emrtext_set(PointL(at), static_cast<U_NUM_STR>(wide.size()), 2,
                                const_cast<char16_t *>(wide.data()), recorded, RectL(clipRect), dx.data());
    if (!emrtext)
        throw EOutOfResources("Out of memory while recording a metafile");

    // The bounds of the text cell placed by the alignment.
    TSize extent = TextExtent(text);
    int left = at.X;
    if ((TextAlign() & TA_CENTER) == TA_CENTER)
        left -= extent.cx / 2;
    else if (TextAlign() & TA_RIGHT)
        left -= extent.cx;
    int top = at.Y;
    if ((TextAlign() & TA_BASELINE) == TA_BASELINE)
        top -= TextMetrics().tmAscent;
    else if (TextAlign() & TA_BOTTOM)
        top -= extent.cy;
    TRect cell{left, top, left + extent.cx, top + extent.cy};
    if (rect && (options & ETO_CLIPPED))
        IntersectRect(cell, cell, clipRect);
    if (rect && (options & ETO_OPAQUE))
        r.Include(clipRect);
    if (!cell.IsEmpty())
        r.Include(cell);
    const float scale = 2540.0f / kPixelsPerInch;
    char *record = U_EMREXTTEXTOUTW_set(RectL(cell), U_GM_COMPATIBLE, scale, scale, reinterpret_cast<PU_EMRTEXT>(emrtext));
    std::free(emrtext);
    r.Append(record);
}

TSize TMetafileCanvas::TextExtent(const std::string &text)
{
    return MeasureText(Font(), text);
}

TTextMetric TMetafileCanvas::TextMetrics()
{
    return MeasureFont(Font());
}

void TMetafileCanvas::BitBlt(const TRect &dest, const TBitmap &source, TPoint sourceOrigin, std::uint32_t rop)
{
    RECORDER_OR_RETURN;
    if (dest.IsEmpty())
        return;
    TRect d = LogicalToDevice(dest);
    U_XFORM identity = xform_set(1, 0, 0, 1, 0, 0);
    if (rop == BLACKNESS || rop == WHITENESS || rop == DSTINVERT || rop == PATCOPY) {
        SyncState(*this, r, rop == PATCOPY ? unsigned{needBrush} : 0u);
        r.Append(U_EMRBITBLT_set(RectL(d), PointL(d.TopLeft()), U_POINTL{d.Width(), d.Height()}, U_POINTL{0, 0},
                                 identity, ColorRef(clWhite), U_DIB_RGB_COLORS, rop, nullptr, 0, nullptr));
        r.Include(d);
        return;
    }
    TRect part{sourceOrigin.X, sourceOrigin.Y, sourceOrigin.X + dest.Width(), sourceOrigin.Y + dest.Height()};
    TRect inside;
    if (!IntersectRect(inside, part, {0, 0, source.Width(), source.Height()}))
        return;
    SyncState(*this, r, 0);
    TDib dib = MakeDib(source, part);
    r.Append(U_EMRSTRETCHDIBITS_set(RectL(d), PointL(d.TopLeft()), U_POINTL{d.Width(), d.Height()}, U_POINTL{0, 0},
                                    U_POINTL{part.Width(), part.Height()}, U_DIB_RGB_COLORS, rop, dib.info.get(),
                                    static_cast<uint32_t>(dib.pixels.size()), dib.pixels.data()));
    r.Include(d);
}

void TMetafileCanvas::StretchDraw(const TRect &dest, const TBitmap &bitmap)
{
    RECORDER_OR_RETURN;
    if (dest.IsEmpty() || bitmap.Empty())
        return;
    SyncState(*this, r, 0);
    TRect d = LogicalToDevice(dest);
    TDib dib = MakeDib(bitmap, {0, 0, bitmap.Width(), bitmap.Height()});
    r.Append(U_EMRSTRETCHDIBITS_set(RectL(d), PointL(d.TopLeft()), U_POINTL{d.Width(), d.Height()}, U_POINTL{0, 0},
                                    U_POINTL{bitmap.Width(), bitmap.Height()}, U_DIB_RGB_COLORS, SRCCOPY,
                                    dib.info.get(), static_cast<uint32_t>(dib.pixels.size()), dib.pixels.data()));
    r.Include(d);
}

#undef RECORDER_OR_RETURN

namespace {

void SyncPen(TMetafileCanvas::Recorder &r, const TPen &pen, bool nullPen)
{
    if (nullPen || pen.Style() == psClear) {
        if (!r.nullPen) {
            r.SelectStock(r.penHandle, U_NULL_PEN);
            r.nullPen = true;
        }
        return;
    }
    if (!r.nullPen && r.pen.SameAs(pen))
        return;
    static const std::uint32_t styles[] = {U_PS_SOLID, U_PS_DASH, U_PS_DOT, U_PS_DASHDOT, U_PS_DASHDOTDOT,
                                           U_PS_NULL, U_PS_INSIDEFRAME};
    std::uint32_t handle = r.NewHandle();
    U_LOGPEN lp = logpen_set(styles[pen.Style()], U_POINT{std::max(0, pen.Width()), 0}, ColorRef(pen.Color()));
    r.Append(U_EMRCREATEPEN_set(handle, lp));
    r.Replace(r.penHandle, handle);
    r.pen = pen;
    r.nullPen = false;
}

void SyncBrush(TMetafileCanvas::Recorder &r, const TBrush &brush)
{
    if (r.brushHandle != 0 && r.brush.SameAs(brush))
        return;
    std::uint32_t handle = r.NewHandle();
    if (brush.Bitmap() && !brush.Bitmap()->Empty()) {
        const TBitmap &pattern = *brush.Bitmap();
        TDib dib = MakeDib(pattern, {0, 0, pattern.Width(), pattern.Height()});
        r.Append(U_EMRCREATEDIBPATTERNBRUSHPT_set(handle, U_DIB_RGB_COLORS, dib.info.get(),
                                                  static_cast<uint32_t>(dib.pixels.size()), dib.pixels.data()));
    } else {
        U_LOGBRUSH lb;
        switch (brush.Style()) {
        case bsSolid: lb = logbrush_set(U_BS_SOLID, ColorRef(brush.Color()), 0); break;
        case bsClear: lb = logbrush_set(U_BS_NULL, ColorRef(brush.Color()), 0); break;
        default: lb = logbrush_set(U_BS_HATCHED, ColorRef(brush.Color()), HatchOf(brush.Style())); break;
        }
        r.Append(U_EMRCREATEBRUSHINDIRECT_set(handle, lb));
    }
    r.Replace(r.brushHandle, handle);
    r.brush = brush;
}

void SyncFont(TMetafileCanvas::Recorder &r, const TFont &font)
{
    if (r.fontHandle != 0 && r.font.SameAs(font))
        return;
    std::u16string face = ToUtf16(font.Name()).substr(0, U_LF_FACESIZE - 1);
    std::vector<uint16_t> faceName(face.begin(), face.end());
    faceName.push_back(0);
    TFontStyles style = font.Style();
    uint8_t pitch = font.Pitch() == fpFixed ? U_FIXED_PITCH : font.Pitch() == fpVariable ? U_VARIABLE_PITCH
                                                                                          : U_DEFAULT_PITCH;
    U_LOGFONT lf = logfont_set(font.Height(), 0, 0, 0, style & fsBold ? U_FW_BOLD : U_FW_NORMAL,
                               style & fsItalic ? 1 : 0, style & fsUnderline ? 1 : 0, style & fsStrikeOut ? 1 : 0,
                               static_cast<uint8_t>(font.Charset()), U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS,
                               U_DEFAULT_QUALITY, pitch, faceName.data());
    std::uint32_t handle = r.NewHandle();
    r.Append(U_EMREXTCREATEFONTINDIRECTW_set(handle, reinterpret_cast<const char *>(&lf), nullptr));
    r.Replace(r.fontHandle, handle);
    r.font = font;
}

} // namespace

namespace {

void SyncState(TMetafileCanvas &canvas, TMetafileCanvas::Recorder &r, unsigned need)
{
    const TCanvasState &s = canvas.State();
    if (s.Clip != r.clip) {
        if (s.Clip) {
            U_RECTL rect = RectL(*s.Clip);
            U_RGNDATAHEADER rdh = rgndataheader_set(1, rect);
            std::unique_ptr<U_RGNDATA, decltype(&std::free)> region(rgndata_set(rdh, &rect), &std::free);
            r.Append(U_EMREXTSELECTCLIPRGN_set(U_RGN_COPY, region.get()));
        } else {
            r.Append(PlainRecord({U_EMR_EXTSELECTCLIPRGN, 16, 0, U_RGN_COPY}));
        }
        r.clip = s.Clip;
    }
    if (need & (needPen | needNullPen))
        SyncPen(r, s.Pen, need & needNullPen);
    if (need & needBrush)
        SyncBrush(r, s.Brush);
    std::uint32_t rop2 = need & needRop ? kRop2ForMode[s.Pen.Mode()] : U_R2_COPYPEN;
    if ((need & (needRop | needNullPen)) && rop2 != r.rop2) {
        r.Append(U_EMRSETROP2_set(rop2));
        r.rop2 = rop2;
    }
    if (need & needFont) {
        SyncFont(r, s.Font);
        if (ColorToRGB(s.Font.Color()) != ColorToRGB(r.textColor)) {
            r.Append(U_EMRSETTEXTCOLOR_set(ColorRef(s.Font.Color())));
            r.textColor = s.Font.Color();
        }
        // Text has an opaque background only with a solid brush, in its colour.
        std::uint32_t bkMode = s.Brush.Style() == bsSolid ? U_OPAQUE : U_TRANSPARENT;
        if (bkMode != r.bkMode) {
            r.Append(U_EMRSETBKMODE_set(bkMode));
            r.bkMode = bkMode;
        }
        if (ColorToRGB(s.Brush.Color()) != ColorToRGB(r.bkColor)) {
            r.Append(U_EMRSETBKCOLOR_set(ColorRef(s.Brush.Color())));
            r.bkColor = s.Brush.Color();
        }
        if (s.TextAlign != r.textAlign) {
            r.Append(U_EMRSETTEXTALIGN_set(s.TextAlign));
            r.textAlign = s.TextAlign;
        }
    }
}

} // namespace

// ---------------------------------------------------------------- loading and saving

namespace {

constexpr std::uint32_t kHeaderMinimum = 88;
constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"

[[noreturn]] void Damaged(const std::string &why)
{
    throw EInvalidGraphic("The metafile is damaged: " + why);
}

// Checks the header and the chain of records up to the end record.
U_EMRHEADER CheckStructure(const std::string &data)
{
    if (data.size() < kHeaderMinimum)
        Damaged("it is shorter than its header");
    U_EMRHEADER header{};
    std::memcpy(&header, data.data(), std::min(sizeof header, data.size()));
    if (header.emr.iType != U_EMR_HEADER || header.emr.nSize < kHeaderMinimum || header.emr.nSize % 4 != 0 ||
        header.emr.nSize > data.size() || header.dSignature != kEmfSignature)
        Damaged("the header is not an EMF header");
    if (header.nBytes != data.size())
        Damaged("its length does not match its data");
    if (header.rclFrame.right < header.rclFrame.left || header.rclFrame.bottom < header.rclFrame.top)
        Damaged("the frame is inverted");
    const std::int64_t frameLimit = PixelsToFrame(kPagePixelsLimit);
    if (static_cast<std::int64_t>(header.rclFrame.right) - header.rclFrame.left > frameLimit ||
        static_cast<std::int64_t>(header.rclFrame.bottom) - header.rclFrame.top > frameLimit)
        Damaged("the frame is larger than any page");
    size_t offset = 0;
    std::uint32_t lastType = 0;
    while (offset < data.size()) {
        if (data.size() - offset < 8)
            Damaged("a record is cut short");
        lastType = ReadU32(data.data() + offset);
        std::uint32_t size = ReadU32(data.data() + offset + 4);
        if (size < 8 || size % 4 != 0 || size > data.size() - offset)
            Damaged("a record's length runs outside the picture");
        offset += size;
        if (lastType == U_EMR_EOF)
            break;
    }
    if (lastType != U_EMR_EOF || offset != data.size())
        Damaged("the end record is missing");
    return header;
}

} // namespace

void TMetafile::SaveToStream(TStream &stream) const
{
    if (data_.empty()) {
        TMetafile blank(*this);
        TMetafileCanvas(blank).Finish();
        stream.WriteString(blank.data_);
        return;
    }
    stream.WriteString(data_);
}

void TMetafile::LoadFromStream(TStream &stream)
{
    std::int64_t start = stream.Position();
    char head[kHeaderMinimum];
    if (stream.Read(head, kHeaderMinimum) != kHeaderMinimum)
        Damaged("it is shorter than its header");
    std::uint32_t type = ReadU32(head);
    std::uint32_t signature = ReadU32(head + 40);
    std::uint32_t length = ReadU32(head + 48);
    if (type != U_EMR_HEADER || signature != kEmfSignature)
        Damaged("the header is not an EMF header");
    std::int64_t available = stream.Size() - start;
    if (length < kHeaderMinimum || length % 4 != 0 || length > kMaxMetafileBytes || length > available)
        Damaged("its length does not match its data");
    std::string data(length, '\0');
    std::memcpy(data.data(), head, kHeaderMinimum);
    stream.ReadBuffer(data.data() + kHeaderMinimum, length - kHeaderMinimum);
    LoadFromBytes(data);
}

void TMetafile::LoadFromBytes(const std::string &bytes)
{
    U_EMRHEADER header = CheckStructure(bytes);
    long long w = static_cast<long long>(header.rclFrame.right) - header.rclFrame.left;
    long long h = static_cast<long long>(header.rclFrame.bottom) - header.rclFrame.top;
    data_ = bytes;
    mmWidth_ = static_cast<int>(w);
    mmHeight_ = static_cast<int>(h);
}

// ---------------------------------------------------------------- player

namespace {

// Coordinates and sizes beyond these are cut back so that nothing overflows.
constexpr double kCoordinateLimit = kPagePixelsLimit;
constexpr int kLengthLimit = 4096;
constexpr int kBitmapSideLimit = 8192;
constexpr std::size_t kSaveDepthLimit = 1024;
// What the wide pens of one page may cost, in points times target pixels of
// width (a page of a report spends a few thousand).
constexpr std::int64_t kPenCostLimit = 1 << 22;
// How many characters of one page may be placed one by one (a page of a
// report places a few thousand); the texts after them are drawn whole.
constexpr std::int64_t kPlacedCharacterLimit = 1 << 16;

struct TObject {
    enum Kind { None, Pen, Brush, Font } kind = None;
    TPen pen;
    bool nullPen = false;
    TBrush brush;
    TFont font;
};

struct TPlayState {
    TPen pen;
    bool nullPen = false;
    TBrush brush;
    TFont font;
    TColor textColor = clBlack;
    std::uint32_t bkMode = U_OPAQUE;
    TColor bkColor = clWhite;
    std::uint32_t textAlign = 0;
    std::uint32_t rop2 = U_R2_COPYPEN;
    std::optional<TRect> clip;  // in the target's logical coordinates
    TPoint windowOrg;
    TPoint viewportOrg;
    TPoint position;  // the pen position in the picture's own coordinates
};

TColor FromColorRef(const char *p)
{
    return RGB(static_cast<unsigned char>(p[0]), static_cast<unsigned char>(p[1]), static_cast<unsigned char>(p[2]));
}

std::int32_t ReadI32(const char *p)
{
    std::int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

std::int16_t ReadI16(const char *p)
{
    std::int16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

TPenMode ModeForRop2(std::uint32_t rop2)
{
    for (int mode = 0; mode < static_cast<int>(std::size(kRop2ForMode)); ++mode)
        if (kRop2ForMode[mode] == rop2)
            return static_cast<TPenMode>(mode);
    return pmCopy;
}

TBrushStyle StyleForHatch(std::uint32_t hatch)
{
    switch (hatch) {
    case U_HS_HORIZONTAL: return bsHorizontal;
    case U_HS_VERTICAL: return bsVertical;
    case U_HS_FDIAGONAL: return bsFDiagonal;
    case U_HS_BDIAGONAL: return bsBDiagonal;
    case U_HS_CROSS: return bsCross;
    default: return bsDiagCross;
    }
}

TPenStyle StyleForPen(std::uint32_t style)
{
    switch (style & U_PS_STYLE_MASK) {
    case U_PS_DASH: return psDash;
    case U_PS_DOT: return psDot;
    case U_PS_DASHDOT: return psDashDot;
    case U_PS_DASHDOTDOT: return psDashDotDot;
    case U_PS_NULL: return psClear;
    case U_PS_INSIDEFRAME: return psInsideFrame;
    default: return psSolid;
    }
}

class TPlayer {
public:
    TPlayer(const std::string &data, TCanvas &canvas, const TRect &dest, int width, int height)
        : data_(data), canvas_(canvas), dest_(dest)
    {
        sx_ = dest.Width() / static_cast<double>(std::max(1, width));
        sy_ = dest.Height() / static_cast<double>(std::max(1, height));
        baseClip_ = canvas.State().Clip;
        state_.font.SetName("");
        state_.font.SetHeight(-12);
        state_.pen.SetColor(clBlack);
        state_.brush.SetColor(clWhite);
    }

    void Run()
    {
        U_EMRHEADER header = CheckStructure(data_);
        objects_.assign(std::max<std::uint32_t>(header.nHandles, 1), TObject{});
        size_t offset = 0;
        index_ = 0;
        while (offset < data_.size()) {
            const char *record = data_.data() + offset;
            std::uint32_t type = ReadU32(record);
            std::uint32_t size = ReadU32(record + 4);
            CheckRecord(record, type, size, offset == 0);
            if (type == U_EMR_EOF)
                break;
            Play(record, type, size);
            offset += size;
            ++index_;
        }
    }

private:
    [[noreturn]] void Bad(const char *why) const
    {
        Damaged("record " + std::to_string(index_ + 1) + " " + why);
    }

    void CheckRecord(const char *record, std::uint32_t type, std::uint32_t size, bool first) const
    {
        if ((type == U_EMR_HEADER) != first)
            Bad("is out of place");
        std::uint32_t checkedSize = 0, checkedType = 0;
        if (!U_emf_record_sizeok(record, record + size, &checkedSize, &checkedType, 1) || !U_emf_record_safe(record))
            Bad("has fields that run outside it");
    }

    void Need(std::uint32_t size, std::uint32_t minimum) const
    {
        if (size < minimum)
            Bad("is too short");
    }

    static int Clamp(double v)
    {
        return static_cast<int>(std::lrint(std::clamp(v, -kCoordinateLimit, kCoordinateLimit)));
    }

    // Logical metafile coordinates to the target's logical coordinates.
    TPoint Map(std::int64_t x, std::int64_t y) const
    {
        double dx = static_cast<double>(x - state_.windowOrg.X + state_.viewportOrg.X);
        double dy = static_cast<double>(y - state_.windowOrg.Y + state_.viewportOrg.Y);
        return {Clamp(dest_.Left + dx * sx_), Clamp(dest_.Top + dy * sy_)};
    }
    // Device metafile coordinates (clip regions) to the target.
    TPoint MapDevice(std::int64_t x, std::int64_t y) const
    {
        return {Clamp(dest_.Left + static_cast<double>(x) * sx_), Clamp(dest_.Top + static_cast<double>(y) * sy_)};
    }
    TRect MapRect(const char *p) const
    {
        TPoint a = Map(ReadI32(p), ReadI32(p + 4));
        TPoint b = Map(ReadI32(p + 8), ReadI32(p + 12));
        return {a.X, a.Y, b.X, b.Y};
    }
    int MapLength(std::int64_t v, double scale) const
    {
        return static_cast<int>(std::lrint(std::clamp(static_cast<double>(v) * scale,
                                                      -static_cast<double>(kLengthLimit), static_cast<double>(kLengthLimit))));
    }

    TObject &Slot(std::uint32_t handle, bool mustExist)
    {
        if (handle == 0 || handle >= objects_.size())
            Bad("uses an object number outside the table");
        TObject &object = objects_[handle];
        if (mustExist && object.kind == TObject::None)
            Bad("uses an object that does not exist");
        return object;
    }

    void Create(std::uint32_t handle, TObject object)
    {
        Slot(handle, false) = std::move(object);
    }

    void SelectStock(std::uint32_t handle)
    {
        switch (handle) {
        case U_WHITE_BRUSH: SetBrush(bsSolid, clWhite); break;
        case U_LTGRAY_BRUSH: SetBrush(bsSolid, clSilver); break;
        case U_GRAY_BRUSH: SetBrush(bsSolid, clGray); break;
        case U_DKGRAY_BRUSH: SetBrush(bsSolid, RGB(0x40, 0x40, 0x40)); break;
        case U_BLACK_BRUSH: SetBrush(bsSolid, clBlack); break;
        case U_NULL_BRUSH: SetBrush(bsClear, clWhite); break;
        case U_WHITE_PEN: SetPen(clWhite, false); break;
        case U_BLACK_PEN: SetPen(clBlack, false); break;
        case U_NULL_PEN: SetPen(clBlack, true); break;
        default:
            if (handle >= U_OEM_FIXED_FONT && handle <= U_STOCK_LAST && handle != U_DEFAULT_PALETTE) {
                state_.font = TFont();
                state_.font.SetName("");
            }
            break;
        }
    }

    void SetBrush(TBrushStyle style, TColor color)
    {
        state_.brush = TBrush();
        state_.brush.SetStyle(style);
        state_.brush.SetColor(color);
    }

    void SetPen(TColor color, bool null)
    {
        state_.pen = TPen();
        state_.pen.SetColor(color);
        state_.nullPen = null;
    }

    void Select(std::uint32_t handle)
    {
        if (handle & 0x80000000u) {
            SelectStock(handle);
            return;
        }
        const TObject &object = Slot(handle, true);
        switch (object.kind) {
        case TObject::Pen: state_.pen = object.pen; state_.nullPen = object.nullPen; break;
        case TObject::Brush: state_.brush = object.brush; break;
        case TObject::Font: state_.font = object.font; break;
        default: break;
        }
    }

    void ApplyClip()
    {
        canvas_.ResetClip();
        if (baseClip_)
            canvas_.SetClipRect(canvas_.DeviceToLogical(*baseClip_));
        if (state_.clip)
            canvas_.IntersectClipRect(*state_.clip);
    }

    // Picture pixels [x0, x1) x [y0, y1) as target pixels: at least one each
    // way, so that a thin line of a page shows at every scale. A line one
    // pixel of the picture across is as wide as the widest pixel scaled,
    // wherever it lies: such lines all show equally wide, and lines side by
    // side still touch.
    TRect MapPixels(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) const
    {
        TPoint a = Map(x0, y0), b = Map(x1, y1);
        TRect r{std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
        r.Right = std::abs(x1 - x0) == 1 ? r.Left + OnePixel(sx_) : std::max(r.Right, r.Left + 1);
        r.Bottom = std::abs(y1 - y0) == 1 ? r.Top + OnePixel(sy_) : std::max(r.Bottom, r.Top + 1);
        return r;
    }

    // The most target pixels one pixel of the picture covers, at least one:
    // at 2.5 some pixels cover two and some three, so three.
    static int OnePixel(double scale)
    {
        return static_cast<int>(std::clamp(std::ceil(scale - 1e-9), 1.0, static_cast<double>(kLengthLimit)));
    }

    // A rectangle without outline fills one pixel short of its right and
    // bottom edges, pixels of the picture: scaled, the fill keeps exactly the
    // picture's pixels (a frame line of one pixel prints one pixel wide).
    void FillInside(const char *box)
    {
        std::int64_t l = ReadI32(box), t = ReadI32(box + 4), r = ReadI32(box + 8), b = ReadI32(box + 12);
        if (r - 1 <= l || b - 1 <= t)
            return;
        TRect inside = MapPixels(l, t, r - 1, b - 1);
        canvas_.Rectangle(TRect{inside.Left, inside.Top, inside.Right + 1, inside.Bottom + 1});
    }

    // A solid one-pixel line along a row or a column covers whole pixels of
    // the picture (without its last one); it is filled as those pixels.
    // False for any other line, which the pen draws.
    bool FillLinePixels(TPoint from, TPoint to)
    {
        const TPenStyle style = state_.pen.Style();
        if (state_.nullPen || state_.pen.Width() > 1 || (style != psSolid && style != psInsideFrame) ||
            state_.rop2 != U_R2_COPYPEN || from == to || (from.X != to.X && from.Y != to.Y))
            return false;
        // From the start up to the end, the end left out, whichever way it runs.
        auto span = [](std::int64_t a, std::int64_t b) { return b > a ? std::pair{a, b} : std::pair{b + 1, a + 1}; };
        std::int64_t x0 = from.X, x1 = from.X + 1, y0 = from.Y, y1 = from.Y + 1;
        if (from.Y == to.Y)
            std::tie(x0, x1) = span(from.X, to.X);
        else
            std::tie(y0, y1) = span(from.Y, to.Y);
        canvas_.Brush() = TBrush();
        canvas_.Brush().SetColor(state_.pen.Color());
        canvas_.FillRect(MapPixels(x0, y0, x1, y1));
        return true;
    }

    // The pen and brush of the state for a figure of `points` points.
    void ApplyShape(bool withBrush, std::size_t points = 1)
    {
        TPen &pen = canvas_.Pen();
        pen = state_.pen;
        if (state_.nullPen)
            pen.SetStyle(psClear);
        // A pen is as wide as its pixels of the picture; the thinnest one
        // pixel, and at least one target pixel.
        pen.SetWidth(std::max(1, MapLength(std::max(1, pen.Width()), sx_)));
        // A wide pen takes time as its width along every point; once a page
        // has spent its share, the rest is drawn with the thinnest pen.
        const std::int64_t cost = static_cast<std::int64_t>(points) * pen.Width();
        if (pen.Width() > 1 && cost > penBudget_)
            pen.SetWidth(1);
        else if (pen.Width() > 1)
            penBudget_ -= cost;
        pen.SetMode(ModeForRop2(state_.rop2));
        if (withBrush)
            canvas_.Brush() = state_.brush;
        else
            canvas_.Brush().SetStyle(bsClear);
    }

    void ApplyText()
    {
        TFont font = state_.font;
        font.SetPixelsPerInch(canvas_.Font().PixelsPerInch());
        int height = MapLength(font.Height(), sy_);
        font.SetHeight(height == 0 && font.Height() != 0 ? (font.Height() < 0 ? -1 : 1) : height);
        font.SetColor(state_.textColor);
        canvas_.Font() = font;
        canvas_.Brush() = TBrush();
        canvas_.Brush().SetStyle(state_.bkMode == U_TRANSPARENT ? bsClear : bsSolid);
        canvas_.Brush().SetColor(state_.bkColor);
        canvas_.SetTextAlign(state_.textAlign & (TA_CENTER | TA_BASELINE | TA_RTLREADING));
    }

    std::vector<TPoint> Points(const char *record, std::uint32_t size, bool sixteen)
    {
        Need(size, 28);
        std::uint32_t count = ReadU32(record + 24);
        std::uint32_t each = sixteen ? 4 : 8;
        if (count > (size - 28) / each)
            Bad("holds more points than it has room for");
        std::vector<TPoint> points;
        points.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const char *p = record + 28 + i * each;
            points.push_back(sixteen ? Map(ReadI16(p), ReadI16(p + 2)) : Map(ReadI32(p), ReadI32(p + 4)));
        }
        return points;
    }

    // A 24- or 32-bit uncompressed DIB inside the record; none for other kinds.
    std::shared_ptr<TBitmap> Dib(const char *record, std::uint32_t size, std::uint32_t offInfo, std::uint32_t cbInfo,
                                 std::uint32_t offBits, std::uint32_t cbBits)
    {
        if (offInfo > size || cbInfo > size - offInfo || offBits > size || cbBits > size - offBits || cbInfo < 40)
            Bad("has a bitmap outside it");
        const char *info = record + offInfo;
        std::int32_t width = ReadI32(info + 4);
        std::int32_t height = ReadI32(info + 8);
        std::uint16_t bits;
        std::memcpy(&bits, info + 14, 2);
        std::uint32_t compression = ReadU32(info + 16);
        if (compression != U_BI_RGB || (bits != 24 && bits != 32))
            return nullptr;
        if (width <= 0 || height == 0 || width > kBitmapSideLimit || height > kBitmapSideLimit ||
            height < -kBitmapSideLimit)
            Bad("has a bitmap of an impossible size");
        int rows = std::abs(height);
        std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
        if (stride * static_cast<std::size_t>(rows) > cbBits)
            Bad("has fewer bitmap bytes than its size needs");
        auto bitmap = std::make_shared<TBitmap>(width, rows);
        const char *pixels = record + offBits;
        for (int y = 0; y < rows; ++y) {
            const char *row = pixels + stride * static_cast<std::size_t>(height > 0 ? rows - 1 - y : y);
            for (int x = 0; x < width; ++x) {
                const char *px = row + static_cast<std::size_t>(x) * (bits / 8);
                bitmap->SetPixel(x, y, RGB(static_cast<unsigned char>(px[2]), static_cast<unsigned char>(px[1]),
                                           static_cast<unsigned char>(px[0])));
            }
        }
        return bitmap;
    }

    // The part of the bitmap from (left, top) up to (right, bottom) stretched
    // over the target. The part comes from the file, so it is cut to the
    // bitmap in 64 bits; a part outside the bitmap draws nothing.
    void DrawBitmap(const TRect &target, const TBitmap &bitmap, std::int64_t left, std::int64_t top,
                    std::int64_t right, std::int64_t bottom)
    {
        left = std::max<std::int64_t>(left, 0);
        top = std::max<std::int64_t>(top, 0);
        right = std::min<std::int64_t>(right, bitmap.Width());
        bottom = std::min<std::int64_t>(bottom, bitmap.Height());
        if (right <= left || bottom <= top)
            return;
        const TRect inside{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
                           static_cast<int>(bottom)};
        if (inside == TRect{0, 0, bitmap.Width(), bitmap.Height()}) {
            canvas_.StretchDraw(target, bitmap);
            return;
        }
        TBitmap piece(inside.Width(), inside.Height());
        piece.Canvas().Draw(-inside.Left, -inside.Top, bitmap);
        canvas_.StretchDraw(target, piece);
    }

    void Blit(const char *record, std::uint32_t size, bool stretch)
    {
        Need(size, stretch ? 108 : 100);
        TPoint dest = {ReadI32(record + 24), ReadI32(record + 28)};
        TPoint extent = {ReadI32(record + 32), ReadI32(record + 36)};
        std::uint32_t rop = ReadU32(record + 40);
        TPoint a = Map(dest.X, dest.Y);
        TPoint b = Map(static_cast<std::int64_t>(dest.X) + extent.X, static_cast<std::int64_t>(dest.Y) + extent.Y);
        TRect target{a.X, a.Y, b.X, b.Y};
        std::uint32_t cbInfo = ReadU32(record + 88);
        if (cbInfo == 0) {
            switch (rop) {
            case PATCOPY: canvas_.Brush() = state_.brush; canvas_.FillRect(target); break;
            case BLACKNESS: canvas_.Brush() = TBrush(); canvas_.Brush().SetColor(clBlack); canvas_.FillRect(target); break;
            case WHITENESS: canvas_.Brush() = TBrush(); canvas_.Brush().SetColor(clWhite); canvas_.FillRect(target); break;
            case DSTINVERT: canvas_.InvertRect(target); break;
            default: break;
            }
            return;
        }
        auto bitmap = Dib(record, size, ReadU32(record + 84), cbInfo, ReadU32(record + 92), ReadU32(record + 96));
        if (!bitmap)
            return;
        const std::int64_t x = ReadI32(record + 44), y = ReadI32(record + 48);
        const std::int64_t cx = stretch ? ReadI32(record + 100) : extent.X;
        const std::int64_t cy = stretch ? ReadI32(record + 104) : extent.Y;
        DrawBitmap(target, *bitmap, x, y, x + cx, y + cy);
    }

    void StretchDibits(const char *record, std::uint32_t size)
    {
        Need(size, 80);
        TPoint dest = {ReadI32(record + 24), ReadI32(record + 28)};
        const std::int64_t x = ReadI32(record + 32), y = ReadI32(record + 36);
        const std::int64_t cx = ReadI32(record + 40), cy = ReadI32(record + 44);
        TPoint extent = {ReadI32(record + 72), ReadI32(record + 76)};
        auto bitmap = Dib(record, size, ReadU32(record + 48), ReadU32(record + 52), ReadU32(record + 56),
                          ReadU32(record + 60));
        if (!bitmap)
            return;
        TPoint a = Map(dest.X, dest.Y);
        TPoint b = Map(static_cast<std::int64_t>(dest.X) + extent.X, static_cast<std::int64_t>(dest.Y) + extent.Y);
        // A bottom-up source counts its rows from the bottom.
        const std::int64_t rows = bitmap->Height();
        DrawBitmap({a.X, a.Y, b.X, b.Y}, *bitmap, x, rows - y - cy, x + cx, rows - y);
    }

    void SelectClipRegion(const char *record, std::uint32_t size)
    {
        Need(size, 16);
        std::uint32_t cb = ReadU32(record + 8);
        std::uint32_t mode = ReadU32(record + 12);
        if (cb > size - 16)
            Bad("has a region outside it");
        if (cb == 0) {
            if (mode == U_RGN_COPY)
                state_.clip.reset();
            return;
        }
        if (cb < 32)
            Bad("has a region too short for its header");
        std::uint32_t count = ReadU32(record + 16 + 8);
        if (count > (cb - 32) / 16)
            Bad("has more region rectangles than room for them");
        std::optional<TRect> region;
        for (std::uint32_t i = 0; i < count; ++i) {
            const char *p = record + 16 + 32 + i * 16;
            TPoint a = MapDevice(ReadI32(p), ReadI32(p + 4));
            TPoint b = MapDevice(ReadI32(p + 8), ReadI32(p + 12));
            TRect r{a.X, a.Y, b.X, b.Y};
            region = region ? TRect{std::min(region->Left, r.Left), std::min(region->Top, r.Top),
                                    std::max(region->Right, r.Right), std::max(region->Bottom, r.Bottom)}
                            : r;
        }
        if (!region)
            region = TRect{};
        if (mode == U_RGN_AND && state_.clip)
            IntersectRect(*region, *region, *state_.clip);
        state_.clip = region;
    }

    void Text(const char *record, std::uint32_t size)
    {
        Need(size, 56);
        std::int32_t x = ReadI32(record + 36), y = ReadI32(record + 40);
        std::uint32_t count = ReadU32(record + 44);
        std::uint32_t offString = ReadU32(record + 48);
        std::uint32_t options = ReadU32(record + 52);
        std::optional<TRect> rect;
        if (!(options & U_ETO_NO_RECT)) {
            Need(size, 76);
            rect = MapRect(record + 56);
        }
        if (offString > size || count > (size - offString) / 2)
            Bad("has text outside it");
        std::u16string wide(count, u'\0');
        std::memcpy(wide.data(), record + offString, count * 2u);
        QString s = QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
        ApplyText();
        const unsigned canvasOptions = options & (ETO_OPAQUE | ETO_CLIPPED | ETO_RTLREADING);
        const std::string text = Utf8(s);
        const std::vector<std::int64_t> advances = Advances(record, size, options, count);
        if (!advances.empty() && static_cast<std::int64_t>(advances.size()) <= placeBudget_
            && canvas_.TextWidth(text) > MapLength(Sum(advances), sx_)) {
            placeBudget_ -= static_cast<std::int64_t>(advances.size());
            PlaceText(x, y, canvasOptions, rect ? &*rect : nullptr, s, advances);
            return;
        }
        TPoint at = Map(x, y);
        canvas_.ExtTextOut(at.X, at.Y, canvasOptions, rect ? &*rect : nullptr, text);
    }

    static std::string Utf8(const QString &s)
    {
        QByteArray utf8 = s.toUtf8();
        return std::string(utf8.constData(), static_cast<size_t>(utf8.size()));
    }

    static std::int64_t Sum(const std::vector<std::int64_t> &values)
    {
        return std::accumulate(values.begin(), values.end(), std::int64_t{0});
    }

    // The character advances recorded with a text, one per UTF-16 unit; none
    // when the record holds none that can be read.
    static std::vector<std::int64_t> Advances(const char *record, std::uint32_t size, std::uint32_t options,
                                              std::uint32_t count)
    {
        const std::uint32_t field = options & U_ETO_NO_RECT ? 56 : 72;
        if (count == 0 || size < field + 4)
            return {};
        const std::uint32_t offDx = ReadU32(record + field);
        const std::uint32_t each = options & U_ETO_PDY ? 8 : 4;
        if (offDx < field + 4 || offDx > size || count > (size - offDx) / each)
            return {};
        std::vector<std::int64_t> advances(count);
        for (std::uint32_t i = 0; i < count; ++i)
            advances[i] = std::clamp<std::int64_t>(ReadI32(record + offDx + i * each), -kLengthLimit, kLengthLimit);
        return advances;
    }

    // A text that the font at the played size draws wider than its recorded
    // advances scaled (a font drawn smaller is rarely exactly as much
    // narrower) is drawn piece by piece where the advances put each
    // character, so that it keeps the room it was measured for: an
    // auto-sized label's rectangle clips it. A piece is a character with the
    // marks and the low half of a surrogate pair that follow it.
    void PlaceText(std::int32_t x, std::int32_t y, unsigned options, const TRect *rect, const QString &s,
                   const std::vector<std::int64_t> &advances)
    {
        const unsigned align = state_.textAlign;
        std::int64_t left = x;
        if ((align & TA_CENTER) == TA_CENTER)
            left -= Sum(advances) / 2;
        else if (align & TA_RIGHT)
            left -= Sum(advances);
        if (rect && (options & ETO_OPAQUE)) {
            const TPoint start = Map(left, y);
            canvas_.ExtTextOut(start.X, start.Y, ETO_OPAQUE, rect, "");
        }
        canvas_.SetTextAlign(align & TA_BASELINE);
        const std::vector<TPiece> pieces = Pieces(left, y, s, advances);
        // The pieces overlap, as the font draws wider than their room: each
        // one's background would cover the end of the one before, so the
        // background is filled once under them all.
        if (canvas_.Brush().Style() == bsSolid) {
            FillTextBackground(pieces, options & ETO_CLIPPED ? rect : nullptr);
            canvas_.Brush().SetStyle(bsClear);
        }
        for (const TPiece &piece : pieces)
            canvas_.ExtTextOut(piece.at.X, piece.at.Y, options & (ETO_CLIPPED | ETO_RTLREADING), rect, piece.text);
    }

    struct TPiece {
        TPoint at;
        std::string text;
    };

    std::vector<TPiece> Pieces(std::int64_t left, std::int32_t y, const QString &s,
                               const std::vector<std::int64_t> &advances)
    {
        std::vector<TPiece> pieces;
        std::int64_t offset = 0;
        for (qsizetype i = 0; i < s.size();) {
            qsizetype end = i + 1;
            while (end < s.size()
                   && (s[end].isLowSurrogate() || (advances[static_cast<size_t>(end)] == 0 && !s[end].isHighSurrogate())))
                ++end;
            TPiece piece{Map(left + offset, y), Utf8(s.mid(i, end - i))};
            // The last piece ends where the text does, however wide the font draws it.
            if (end == s.size())
                piece.at.X = std::min(piece.at.X, Map(left + Sum(advances), y).X - canvas_.TextWidth(piece.text));
            pieces.push_back(std::move(piece));
            for (; i < end; ++i)
                offset += advances[static_cast<size_t>(i)];
        }
        return pieces;
    }

    // The background the canvas gives a text, across all the pieces, inside
    // `clip` when there is one.
    void FillTextBackground(const std::vector<TPiece> &pieces, const TRect *clip)
    {
        if (pieces.empty())
            return;
        const TTextMetric metric = canvas_.TextMetrics();
        const unsigned vertical = canvas_.TextAlign() & TA_BASELINE;
        const int height = metric.tmAscent + metric.tmDescent;
        const int top = pieces.front().at.Y
                        - (vertical == TA_BASELINE ? metric.tmAscent : vertical == TA_BOTTOM ? height : 0);
        TRect box{pieces.front().at.X, top, pieces.front().at.X, top + height};
        for (const TPiece &piece : pieces) {
            box.Left = std::min(box.Left, piece.at.X);
            box.Right = std::max(box.Right, piece.at.X + canvas_.TextWidth(piece.text));
        }
        if (clip && !IntersectRect(box, box, *clip))
            return;
        canvas_.FillRect(box);
    }

    static TObject PenObject(std::uint32_t style, std::int64_t width, const char *color)
    {
        TObject object;
        object.kind = TObject::Pen;
        object.pen.SetStyle(StyleForPen(style));
        object.nullPen = (style & U_PS_STYLE_MASK) == U_PS_NULL;
        object.pen.SetWidth(static_cast<int>(std::clamp<std::int64_t>(width, 0, kLengthLimit)));
        object.pen.SetColor(FromColorRef(color));
        return object;
    }

    TObject FontObject(const char *record, std::uint32_t size)
    {
        Need(size, 12 + 92);
        const char *lf = record + 12;
        TObject object;
        object.kind = TObject::Font;
        std::u16string face;
        for (int i = 0; i < U_LF_FACESIZE; ++i) {
            char16_t c;
            std::memcpy(&c, lf + 28 + i * 2, 2);
            if (c == 0)
                break;
            face += c;
        }
        QString name = QString::fromUtf16(face.data(), static_cast<qsizetype>(face.size()));
        object.font.SetName(name.toStdString());
        std::int32_t height = ReadI32(lf);
        object.font.SetHeight(std::clamp(height, -kLengthLimit, kLengthLimit));
        TFontStyles style = 0;
        if (ReadI32(lf + 16) >= 600) style |= fsBold;
        if (lf[20]) style |= fsItalic;
        if (lf[21]) style |= fsUnderline;
        if (lf[22]) style |= fsStrikeOut;
        object.font.SetStyle(style);
        object.font.SetCharset(static_cast<unsigned char>(lf[23]));
        unsigned pitch = static_cast<unsigned char>(lf[27]) & 3;
        object.font.SetPitch(pitch == U_FIXED_PITCH ? fpFixed : pitch == U_VARIABLE_PITCH ? fpVariable : fpDefault);
        return object;
    }

    void Play(const char *record, std::uint32_t type, std::uint32_t size)
    {
        switch (type) {
        case U_EMR_HEADER: break;
        case U_EMR_MOVETOEX: {
            Need(size, 16);
            state_.position = {ReadI32(record + 8), ReadI32(record + 12)};
            TPoint p = Map(state_.position.X, state_.position.Y);
            canvas_.MoveTo(p.X, p.Y);
            break;
        }
        case U_EMR_LINETO: {
            Need(size, 16);
            TPoint to{ReadI32(record + 8), ReadI32(record + 12)};
            TPoint p = Map(to.X, to.Y);
            Prepare();
            if (FillLinePixels(state_.position, to)) {
                canvas_.MoveTo(p.X, p.Y);
            } else {
                ApplyShape(false);
                canvas_.LineTo(p.X, p.Y);
            }
            state_.position = to;
            break;
        }
        case U_EMR_RECTANGLE:
        case U_EMR_ELLIPSE: {
            Need(size, 24);
            TRect box = MapRect(record + 8);
            Prepare();
            ApplyShape(true);
            if (type == U_EMR_RECTANGLE && state_.nullPen)
                FillInside(record + 8);
            else if (type == U_EMR_RECTANGLE)
                canvas_.Rectangle(box);
            else
                canvas_.Ellipse(box);
            break;
        }
        case U_EMR_ROUNDRECT: {
            Need(size, 32);
            TRect box = MapRect(record + 8);
            int w = MapLength(ReadI32(record + 24), sx_), h = MapLength(ReadI32(record + 28), sy_);
            Prepare();
            ApplyShape(true);
            canvas_.RoundRect(box, w, h);
            break;
        }
        case U_EMR_POLYGON:
        case U_EMR_POLYGON16:
        case U_EMR_POLYLINE:
        case U_EMR_POLYLINE16: {
            bool sixteen = type == U_EMR_POLYGON16 || type == U_EMR_POLYLINE16;
            bool polygon = type == U_EMR_POLYGON || type == U_EMR_POLYGON16;
            std::vector<TPoint> points = Points(record, size, sixteen);
            Prepare();
            ApplyShape(polygon, points.size());
            if (polygon)
                canvas_.Polygon(points);
            else
                canvas_.Polyline(points);
            break;
        }
        case U_EMR_CREATEPEN:
            Need(size, 28);
            Create(ReadU32(record + 8), PenObject(ReadU32(record + 12), ReadI32(record + 16), record + 24));
            break;
        case U_EMR_EXTCREATEPEN:
            Need(size, 52);
            Create(ReadU32(record + 8), PenObject(ReadU32(record + 28), ReadU32(record + 32), record + 40));
            break;
        case U_EMR_CREATEBRUSHINDIRECT: {
            Need(size, 24);
            TObject object;
            object.kind = TObject::Brush;
            std::uint32_t style = ReadU32(record + 12);
            object.brush.SetColor(FromColorRef(record + 16));
            object.brush.SetStyle(style == U_BS_NULL ? bsClear
                                  : style == U_BS_HATCHED ? StyleForHatch(ReadU32(record + 20))
                                                          : bsSolid);
            Create(ReadU32(record + 8), object);
            break;
        }
        case U_EMR_CREATEDIBPATTERNBRUSHPT: {
            Need(size, 32);
            TObject object;
            object.kind = TObject::Brush;
            auto pattern = Dib(record, size, ReadU32(record + 16), ReadU32(record + 20), ReadU32(record + 24),
                               ReadU32(record + 28));
            if (pattern)
                object.brush.SetBitmap(pattern);
            else
                object.brush.SetColor(clGray);
            Create(ReadU32(record + 8), object);
            break;
        }
        case U_EMR_EXTCREATEFONTINDIRECTW:
            Create(ReadU32(record + 8), FontObject(record, size));
            break;
        case U_EMR_SELECTOBJECT:
            Need(size, 12);
            Select(ReadU32(record + 8));
            break;
        case U_EMR_DELETEOBJECT: {
            Need(size, 12);
            std::uint32_t handle = ReadU32(record + 8);
            if (handle & 0x80000000u)
                break;
            Slot(handle, true) = TObject{};
            break;
        }
        case U_EMR_SETTEXTALIGN: Need(size, 12); state_.textAlign = ReadU32(record + 8); break;
        case U_EMR_SETTEXTCOLOR: Need(size, 12); state_.textColor = FromColorRef(record + 8); break;
        case U_EMR_SETBKCOLOR: Need(size, 12); state_.bkColor = FromColorRef(record + 8); break;
        case U_EMR_SETBKMODE: Need(size, 12); state_.bkMode = ReadU32(record + 8); break;
        case U_EMR_SETROP2: Need(size, 12); state_.rop2 = ReadU32(record + 8); break;
        case U_EMR_SETWINDOWORGEX:
            Need(size, 16);
            state_.windowOrg = {std::clamp(ReadI32(record + 8), -(1 << 26), 1 << 26),
                                std::clamp(ReadI32(record + 12), -(1 << 26), 1 << 26)};
            break;
        case U_EMR_SETVIEWPORTORGEX:
            Need(size, 16);
            state_.viewportOrg = {std::clamp(ReadI32(record + 8), -(1 << 26), 1 << 26),
                                  std::clamp(ReadI32(record + 12), -(1 << 26), 1 << 26)};
            break;
        case U_EMR_EXTSELECTCLIPRGN:
            SelectClipRegion(record, size);
            clipDirty_ = true;
            break;
        case U_EMR_INTERSECTCLIPRECT: {
            Need(size, 24);
            TRect r = MapRect(record + 8);
            if (state_.clip)
                IntersectRect(r, r, *state_.clip);
            state_.clip = r;
            clipDirty_ = true;
            break;
        }
        case U_EMR_SAVEDC:
            if (saved_.size() < kSaveDepthLimit)
                saved_.push_back(state_);
            break;
        case U_EMR_RESTOREDC: {
            Need(size, 12);
            std::int32_t relative = ReadI32(record + 8);
            if (relative < 0 && static_cast<std::size_t>(-static_cast<std::int64_t>(relative)) <= saved_.size()) {
                saved_.resize(saved_.size() - static_cast<std::size_t>(-static_cast<std::int64_t>(relative) - 1));
                state_ = saved_.back();
                saved_.pop_back();
                clipDirty_ = true;
            }
            break;
        }
        case U_EMR_EXTTEXTOUTW:
            Prepare();
            Text(record, size);
            break;
        case U_EMR_BITBLT:
        case U_EMR_STRETCHBLT:
            Prepare();
            Blit(record, size, type == U_EMR_STRETCHBLT);
            break;
        case U_EMR_STRETCHDIBITS:
            Prepare();
            StretchDibits(record, size);
            break;
        default:
            break;  // records this program never writes are passed over
        }
    }

    void Prepare()
    {
        if (clipDirty_) {
            ApplyClip();
            clipDirty_ = false;
        }
    }

    const std::string &data_;
    TCanvas &canvas_;
    TRect dest_;
    double sx_ = 1;
    double sy_ = 1;
    std::optional<TRect> baseClip_;
    std::vector<TObject> objects_;
    TPlayState state_;
    std::vector<TPlayState> saved_;
    bool clipDirty_ = false;
    std::size_t index_ = 0;
    std::int64_t penBudget_ = kPenCostLimit;
    std::int64_t placeBudget_ = kPlacedCharacterLimit;
};

} // namespace

void TMetafile::Play(TCanvas &canvas, const TRect &dest) const
{
    if (data_.empty())
        return;
    int saved = canvas.SaveDC();
    try {
        TPlayer(data_, canvas, dest, Width(), Height()).Run();
    } catch (...) {
        canvas.RestoreDC(saved);
        throw;
    }
    canvas.RestoreDC(saved);
}
