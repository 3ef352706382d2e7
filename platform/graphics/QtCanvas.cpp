#include "platform/graphics/QtCanvas.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <mutex>

// ---------------------------------------------------------------- conversions

QColor ToQColor(TColor color)
{
    TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQRgb(QRgb rgb)
{
    return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

QString ToQString(const std::string &utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

namespace {

void RegisterFontSubstitutes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (const TFontSubstitute &substitute : FontSubstitutes())
            QFont::insertSubstitution(QString::fromUtf8(substitute.Name), QString::fromUtf8(substitute.Family));
    });
}

// The em size in pixels: a negative height is the character height; a positive
// one is the cell height (ascent + descent).
int EmPixels(const QFont &family, int height)
{
    if (height < 0)
        return -height;
    if (height == 0)
        return 12;
    QFont probe(family);
    probe.setPixelSize(100);
    QFontMetricsF m(probe);
    qreal cell = m.ascent() + m.descent();
    return std::max(1, static_cast<int>(std::lrint(height * 100.0 / (cell > 0 ? cell : 100.0))));
}

} // namespace

QFont ToQFont(const TFont &font)
{
    RegisterFontSubstitutes();
    QFont f(ToQString(SubstituteFontName(font.Name())));
    f.setPixelSize(EmPixels(f, font.Height()));
    TFontStyles style = font.Style();
    f.setBold(style & fsBold);
    f.setItalic(style & fsItalic);
    f.setUnderline(style & fsUnderline);
    f.setStrikeOut(style & fsStrikeOut);
    if (font.Pitch() == fpFixed)
        f.setFixedPitch(true);
    return f;
}

TSize MeasureText(const TFont &font, const std::string &text)
{
    QFontMetrics m(ToQFont(font));
    return {m.horizontalAdvance(ToQString(text)), m.ascent() + m.descent()};
}

TTextMetric MeasureFont(const TFont &font)
{
    QFont f = ToQFont(font);
    QFontMetrics m(f);
    TTextMetric tm;
    tm.tmAscent = m.ascent();
    tm.tmDescent = m.descent();
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = std::max(0, tm.tmHeight - f.pixelSize());
    tm.tmExternalLeading = std::max(0, m.leading());
    tm.tmAveCharWidth = m.averageCharWidth();
    tm.tmMaxCharWidth = m.maxWidth();
    return tm;
}

std::vector<int> CharacterAdvances(const TFont &font, const std::u16string &text)
{
    // Each advance is the growth of the rounded width of the text so far, so
    // the advances add up to the width of the whole text.
    QFontMetricsF m(ToQFont(font));
    QString s = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    std::vector<int> advances(text.size(), 0);
    int previous = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].isHighSurrogate() && i + 1 < s.size())
            continue;
        int upTo = static_cast<int>(std::lrint(m.horizontalAdvance(s.left(i + 1))));
        advances[static_cast<size_t>(i)] = upTo - previous;
        previous = upTo;
    }
    return advances;
}

// ---------------------------------------------------------------- painter canvas

namespace {

QPainter::CompositionMode ModeForPen(TPenMode mode)
{
    switch (mode) {
    case pmNot: return QPainter::RasterOp_NotDestination;
    case pmXor: return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor: return QPainter::RasterOp_NotSourceXorDestination;
    case pmMerge: return QPainter::RasterOp_SourceOrDestination;
    case pmMask: return QPainter::RasterOp_SourceAndDestination;
    case pmNotCopy: return QPainter::RasterOp_NotSource;
    case pmNotMerge: return QPainter::RasterOp_NotSourceOrNotDestination; // close enough
    case pmNotMask: return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmMaskPenNot: return QPainter::RasterOp_SourceAndNotDestination;
    case pmMaskNotPen: return QPainter::RasterOp_NotSourceAndDestination;
    case pmMergePenNot: return QPainter::RasterOp_NotSourceOrDestination;
    case pmMergeNotPen: return QPainter::RasterOp_NotSourceOrDestination;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

Qt::PenStyle ToQtPenStyle(TPenStyle style)
{
    switch (style) {
    case psDash: return Qt::DashLine;
    case psDot: return Qt::DotLine;
    case psDashDot: return Qt::DashDotLine;
    case psDashDotDot: return Qt::DashDotDotLine;
    case psClear: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

QBrush ToQBrush(const TBrush &brush)
{
    if (brush.Bitmap() && !brush.Bitmap()->Empty()) {
        brush.Bitmap()->Internal().Flush();
        return QBrush(brush.Bitmap()->Internal().image);
    }
    QColor color = ToQColor(brush.Color());
    switch (brush.Style()) {
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return QBrush(color, Qt::HorPattern);
    case bsVertical: return QBrush(color, Qt::VerPattern);
    case bsFDiagonal: return QBrush(color, Qt::BDiagPattern);
    case bsBDiagonal: return QBrush(color, Qt::FDiagPattern);
    case bsCross: return QBrush(color, Qt::CrossPattern);
    case bsDiagCross: return QBrush(color, Qt::DiagCrossPattern);
    default: return QBrush(color);
    }
}

QRect ToQRect(const TRect &r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

// The figure rectangle of a GDI shape: right and bottom exclusive.
QRect ShapeRect(const TRect &r)
{
    return QRect(r.Left, r.Top, std::max(0, r.Width() - 1), std::max(0, r.Height() - 1));
}

} // namespace

TQtCanvas::TQtCanvas(QPainter &painter) : external_(&painter)
{
    baseTransform_ = painter.transform();
    if (painter.device())
        ppi_ = painter.device()->logicalDpiY();
    if (ppi_ <= 0)
        ppi_ = 96;
    Font().SetPixelsPerInch(ppi_);
}

TQtCanvas::TQtCanvas(QPaintDevice &device) : device_(&device)
{
    ppi_ = device.logicalDpiY() > 0 ? device.logicalDpiY() : 96;
    Font().SetPixelsPerInch(ppi_);
}

TQtCanvas::~TQtCanvas()
{
    Release();
}

void TQtCanvas::Release()
{
    if (own_) {
        own_->end();
        own_.reset();
    }
}

TSize TQtCanvas::DeviceSize() const
{
    const QPaintDevice *device = external_ ? external_->device() : device_;
    if (!device)
        return {};
    return {device->width(), device->height()};
}

QPainter *TQtCanvas::Prepare()
{
    QPainter *p = external_;
    if (!p) {
        if (!own_) {
            if (device_->width() <= 0 || device_->height() <= 0)
                return nullptr;
            own_ = std::make_unique<QPainter>();
            if (!own_->begin(device_)) {
                own_.reset();
                return nullptr;
            }
        }
        p = own_.get();
    }
    if (!p->isActive())
        return nullptr;
    p->setTransform(baseTransform_);
    if (State().Clip)
        p->setClipRect(ToQRect(*State().Clip));
    else
        p->setClipping(false);
    p->translate(State().ViewportOrg.X - State().WindowOrg.X, State().ViewportOrg.Y - State().WindowOrg.Y);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setBackgroundMode(Qt::TransparentMode);
    p->setBrushOrigin(0, 0);
    return p;
}

void TQtCanvas::ApplyPenAndBrush(QPainter &p, bool withPen, bool withBrush)
{
    const TPen &pen = Pen();
    if (withPen && pen.Style() != psClear && pen.Mode() != pmNop) {
        QPen qpen(ToQColor(pen.Color()));
        qpen.setStyle(ToQtPenStyle(pen.Style()));
        qpen.setWidth(pen.Width() <= 1 ? 0 : pen.Width());
        // A wide dotted or dashed pen is a thin one scaled up (a page played
        // onto a printer): its dashes keep their length.
        const bool styled = pen.Style() != psSolid && pen.Style() != psInsideFrame;
        qpen.setCapStyle(styled ? Qt::FlatCap : Qt::RoundCap);
        qpen.setJoinStyle(Qt::RoundJoin);
        if (pen.Mode() == pmBlack)
            qpen.setColor(Qt::black);
        else if (pen.Mode() == pmWhite)
            qpen.setColor(Qt::white);
        p.setPen(qpen);
    } else {
        p.setPen(Qt::NoPen);
    }
    p.setBrush(withBrush ? ToQBrush(Brush()) : QBrush(Qt::NoBrush));
    p.setCompositionMode(ModeForPen(pen.Mode()));
}

void TQtCanvas::DrawSegment(QPainter &p, TPoint from, TPoint to)
{
    if (from == to)
        return;
    // GDI leaves out the last pixel of a line.
    int endX = to.X, endY = to.Y;
    if (Pen().Width() <= 1) {
        if (from.Y == to.Y)
            endX += to.X > from.X ? -1 : 1;
        else if (from.X == to.X)
            endY += to.Y > from.Y ? -1 : 1;
    }
    p.drawLine(from.X, from.Y, endX, endY);
}

void TQtCanvas::LineTo(int x, int y)
{
    TPoint from = PenPos();
    MoveTo(x, y);
    QPainter *p = Prepare();
    if (!p || from == TPoint{x, y})
        return;
    ApplyPenAndBrush(*p, true, false);
    DrawSegment(*p, from, TPoint{x, y});
}

// The segments one after another, as LineTo draws them, with the painter
// prepared once (a damaged page may hold a line of many thousand points).
void TQtCanvas::Polyline(const std::vector<TPoint> &points)
{
    QPainter *p = Prepare();
    if (!p || points.size() < 2)
        return;
    ApplyPenAndBrush(*p, true, false);
    for (size_t i = 1; i < points.size(); ++i)
        DrawSegment(*p, points[i - 1], points[i]);
}

void TQtCanvas::Rectangle(const TRect &rect)
{
    QPainter *p = Prepare();
    if (!p || rect.IsEmpty())
        return;
    ApplyPenAndBrush(*p, true, true);
    p->drawRect(ShapeRect(rect));
}

void TQtCanvas::FillRect(const TRect &rect)
{
    QPainter *p = Prepare();
    if (!p || rect.IsEmpty() || Brush().Style() == bsClear)
        return;
    p->fillRect(ToQRect(rect), ToQBrush(Brush()));
}

void TQtCanvas::RoundRect(const TRect &rect, int ellipseWidth, int ellipseHeight)
{
    QPainter *p = Prepare();
    if (!p || rect.IsEmpty())
        return;
    ApplyPenAndBrush(*p, true, true);
    p->drawRoundedRect(ShapeRect(rect), ellipseWidth / 2.0, ellipseHeight / 2.0, Qt::AbsoluteSize);
}

void TQtCanvas::Ellipse(const TRect &rect)
{
    QPainter *p = Prepare();
    if (!p || rect.IsEmpty())
        return;
    ApplyPenAndBrush(*p, true, true);
    p->drawEllipse(ShapeRect(rect));
}

void TQtCanvas::Polygon(const std::vector<TPoint> &points)
{
    QPainter *p = Prepare();
    if (!p || points.size() < 2)
        return;
    ApplyPenAndBrush(*p, true, true);
    QPolygon polygon;
    for (const TPoint &pt : points)
        polygon << QPoint(pt.X, pt.Y);
    p->drawPolygon(polygon, Qt::OddEvenFill);
}

void TQtCanvas::InvertRect(const TRect &rect)
{
    QPainter *p = Prepare();
    if (!p || rect.IsEmpty())
        return;
    p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p->fillRect(ToQRect(rect), Qt::white);
}

void TQtCanvas::ExtTextOut(int x, int y, unsigned options, const TRect *rect, const std::string &text)
{
    QPainter *p = Prepare();
    if (!p)
        return;
    if (rect && (options & ETO_OPAQUE))
        p->fillRect(ToQRect(*rect), ToQColor(Brush().Color()));
    if (rect && (options & ETO_CLIPPED))
        p->setClipRect(ToQRect(*rect), Qt::IntersectClip);
    if (text.empty())
        return;
    QFont font = ToQFont(Font());
    QFontMetrics m(font);
    QString s = ToQString(text);
    int width = m.horizontalAdvance(s);
    unsigned align = TextAlign();
    int left = x;
    if ((align & TA_CENTER) == TA_CENTER)
        left = x - width / 2;
    else if (align & TA_RIGHT)
        left = x - width;
    int baseline = y + m.ascent();
    if ((align & TA_BASELINE) == TA_BASELINE)
        baseline = y;
    else if (align & TA_BOTTOM)
        baseline = y - m.descent();
    if (Brush().Style() == bsSolid)
        p->fillRect(QRect(left, baseline - m.ascent(), width, m.ascent() + m.descent()), ToQColor(Brush().Color()));
    p->setFont(font);
    p->setPen(ToQColor(Font().Color()));
    p->drawText(QPoint(left, baseline), s);
}

void TQtCanvas::RotatedTextOut(int x, int y, const std::string &text)
{
    QPainter *p = Prepare();
    if (!p || text.empty())
        return;
    QFont font = ToQFont(Font());
    QFontMetrics m(font);
    p->save();
    p->translate(x, y);
    p->rotate(90);
    p->setFont(font);
    p->setPen(ToQColor(Font().Color()));
    p->drawText(QPoint(0, m.ascent()), ToQString(text));
    p->restore();
}

TSize TQtCanvas::TextExtent(const std::string &text)
{
    return MeasureText(Font(), text);
}

TTextMetric TQtCanvas::TextMetrics()
{
    return MeasureFont(Font());
}

namespace {

QPainter::CompositionMode ModeForRop(std::uint32_t rop)
{
    switch (rop) {
    case SRCPAINT: return QPainter::RasterOp_SourceOrDestination;
    case SRCAND: return QPainter::RasterOp_SourceAndDestination;
    case SRCINVERT: return QPainter::RasterOp_SourceXorDestination;
    case NOTSRCCOPY: return QPainter::RasterOp_NotSource;
    default: return QPainter::CompositionMode_Source;
    }
}

} // namespace

void TQtCanvas::BitBlt(const TRect &dest, const TBitmap &source, TPoint sourceOrigin, std::uint32_t rop)
{
    source.Internal().Flush();
    QPainter *p = Prepare();
    if (!p || dest.IsEmpty())
        return;
    switch (rop) {
    case BLACKNESS: p->fillRect(ToQRect(dest), Qt::black); return;
    case WHITENESS: p->fillRect(ToQRect(dest), Qt::white); return;
    case PATCOPY: p->fillRect(ToQRect(dest), ToQBrush(Brush())); return;
    case DSTINVERT: InvertRect(dest); return;
    default: break;
    }
    if (source.Empty())
        return;
    p->setCompositionMode(ModeForRop(rop));
    p->drawImage(QPoint(dest.Left, dest.Top), source.Internal().image,
                 QRect(sourceOrigin.X, sourceOrigin.Y, dest.Width(), dest.Height()));
}

bool TQtCanvas::CopyToBitmap(const TRect &rect, TBitmap &dest)
{
    QPainter *p = Prepare();
    if (!p || rect.IsEmpty())
        return false;
    // The raster engine paints into an image (a bitmap's own, or the window's
    // backing store); what is painted so far can be read from it.
    QPaintEngine *engine = p->paintEngine();
    QPaintDevice *device = engine ? engine->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image)
        return false;
    const QImage &image = *static_cast<const QImage *>(device);
    const QPoint origin = p->deviceTransform().map(QPoint(rect.Left, rect.Top));
    dest.SetSize(rect.Width(), rect.Height());
    dest.Internal().Flush();
    QImage &target = dest.Internal().image;
    target.fill(Qt::white);
    QPainter copy(&target);
    copy.setCompositionMode(QPainter::CompositionMode_Source);
    copy.drawImage(QPoint(0, 0), image, QRect(origin.x(), origin.y(), rect.Width(), rect.Height()));
    return true;
}

void TQtCanvas::StretchDraw(const TRect &dest, const TBitmap &bitmap)
{
    bitmap.Internal().Flush();
    QPainter *p = Prepare();
    if (!p || dest.IsEmpty() || bitmap.Empty())
        return;
    p->drawImage(ToQRect(dest), bitmap.Internal().image);
}
