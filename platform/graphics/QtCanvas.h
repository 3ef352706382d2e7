#pragma once
// For platform code only (it includes Qt): the painter back end of TCanvas and
// the conversions between the program's drawing objects and Qt's.
#include "platform/graphics/Graphics.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

#include <memory>
#include <string>
#include <vector>

QColor ToQColor(TColor color);
TColor FromQRgb(QRgb rgb);
// A pixel-sized font for the program's font (substitutes applied).
QFont ToQFont(const TFont &font);
QString ToQString(const std::string &utf8);

// Measurement without a device, shared by every back end so that a page
// recorded into a metafile measures the same as one drawn on the screen.
TSize MeasureText(const TFont &font, const std::string &text);
TTextMetric MeasureFont(const TFont &font);
// The advance of each UTF-16 unit of the text (0 for the second unit of a pair).
std::vector<int> CharacterAdvances(const TFont &font, const std::u16string &text);

// A canvas drawing with a QPainter: either one someone else has begun (a widget
// in its paint event, a printer job), or its own on a paint device, begun on the
// first operation and ended by Release or on destruction.
class TQtCanvas : public TCanvas {
public:
    explicit TQtCanvas(QPainter &painter);
    explicit TQtCanvas(QPaintDevice &device);
    ~TQtCanvas() override;

    // Ends an own painter so that the device may be read or resized.
    void Release();
    int PixelsPerInch() const override { return ppi_; }
    TSize DeviceSize() const override;
    using TCanvas::Ellipse;
    using TCanvas::Rectangle;

    void LineTo(int x, int y) override;
    void Rectangle(const TRect &rect) override;
    void FillRect(const TRect &rect) override;
    void RoundRect(const TRect &rect, int ellipseWidth, int ellipseHeight) override;
    void Ellipse(const TRect &rect) override;
    void Polygon(const std::vector<TPoint> &points) override;
    void Polyline(const std::vector<TPoint> &points) override;
    void InvertRect(const TRect &rect) override;
    void ExtTextOut(int x, int y, unsigned options, const TRect *rect, const std::string &text) override;
    TSize TextExtent(const std::string &text) override;
    void RotatedTextOut(int x, int y, const std::string &text) override;
    TTextMetric TextMetrics() override;
    void BitBlt(const TRect &dest, const TBitmap &source, TPoint sourceOrigin, std::uint32_t rop = SRCCOPY) override;
    void StretchDraw(const TRect &dest, const TBitmap &bitmap) override;
    bool CopyToBitmap(const TRect &rect, TBitmap &dest) override;

private:
    // The painter with the canvas's clip and origin applied; null when it cannot paint.
    QPainter *Prepare();
    void ApplyPenAndBrush(QPainter &p, bool withPen, bool withBrush);
    void DrawSegment(QPainter &p, TPoint from, TPoint to);

    QPainter *external_ = nullptr;
    QPaintDevice *device_ = nullptr;
    std::unique_ptr<QPainter> own_;
    QTransform baseTransform_;
    int ppi_ = 96;
};

struct TBitmap::Data {
    QImage image;
    std::unique_ptr<TQtCanvas> canvas;
    // Ends painting so that the pixels are current.
    void Flush() const
    {
        if (canvas)
            canvas->Release();
    }
};
