#pragma once
// An output device for report tests: it records the text, fills and lines of
// every page at a chosen resolution, on a paper of a chosen size.
#include <string>
#include <vector>

#include "platform/core/SysUtils.h"
#include "report/BandReport.h"

namespace report_test {

struct TRecordedText {
    int Page = 0;
    int X = 0;
    int Y = 0;
    std::string Text;
    std::string Face;  // the font name the text was drawn in
};

struct TRecordedFill {
    int Page = 0;
    TRect Rect;
    TColor Color = clBlack;
};

// Measures like a screen canvas scaled to the resolution; records what is drawn.
class TRecordingCanvas : public TNullCanvas {
public:
    explicit TRecordingCanvas(int dpi) : dpi_(dpi) {}
    int PixelsPerInch() const override { return dpi_; }

    int Page = 0;
    std::vector<TRecordedText> Texts;
    std::vector<TRecordedFill> Fills;
    std::vector<std::pair<TPoint, TPoint>> Lines;

    void LineTo(int x, int y) override
    {
        Lines.push_back({PenPos(), {x, y}});
        TCanvas::MoveTo(x, y);
    }
    void Rectangle(const TRect &rect) override { Fills.push_back({Page, rect, Brush().Color()}); }
    void FillRect(const TRect &rect) override { Fills.push_back({Page, rect, Brush().Color()}); }
    void RoundRect(const TRect &rect, int, int) override { Fills.push_back({Page, rect, Brush().Color()}); }
    void Ellipse(const TRect &rect) override { Fills.push_back({Page, rect, Brush().Color()}); }
    void ExtTextOut(int x, int y, unsigned, const TRect *, const std::string &text) override
    {
        Texts.push_back({Page, x, y, text, Font().Name()});
    }
    TSize TextExtent(const std::string &text) override
    {
        TCanvas &screen = measure_.Canvas();
        screen.Font().Assign(Font());
        const TSize size = screen.TextExtent(text);
        return {MulDiv(size.cx, dpi_, 96), MulDiv(size.cy, dpi_, 96)};
    }
    TTextMetric TextMetrics() override { return {}; }

private:
    int dpi_;
    TBitmap measure_{1, 1};
};

class TTestDevice : public TRpOutputDevice {
public:
    explicit TTestDevice(int dpi = 96, long double paperWidth = 2100, long double paperLength = 2970)
        : canvas_(dpi), dpi_(dpi), paperWidth_(paperWidth), paperLength_(paperLength)
    {
    }

    int Pages = 0;
    int BeginCount = 0;
    bool Ended = false;
    bool Aborted = false;
    bool CancelFlag = false;
    TPrinterOrientation Orientation = poPortrait;

    void BeginDoc() override { ++BeginCount; }
    void NewPage() override { canvas_.Page = ++Pages; }
    void EndDoc() override { Ended = true; }
    void AbortDoc() override { Aborted = true; }
    TCanvas &Canvas() override { return canvas_; }
    long double XFactor() const override { return dpi_ / 254.0L; }
    long double YFactor() const override { return dpi_ / 254.0L; }
    int XPos(long double x) const override { return RoundInt(x * XFactor()); }
    int YPos(long double y) const override { return RoundInt(y * YFactor()); }
    int XSize(long double x) const override { return RoundInt(x * XFactor()); }
    int YSize(long double y) const override { return RoundInt(y * YFactor()); }
    long double PaperWidth() const override { return paperWidth_; }
    long double PaperLength() const override { return paperLength_; }
    long double PageWidth() const override { return Orientation == poLandscape ? paperLength_ : paperWidth_; }
    long double PageHeight() const override { return Orientation == poLandscape ? paperWidth_ : paperLength_; }
    bool Cancelled() const override { return CancelFlag; }
    void Cancel() override { CancelFlag = true; }

    const std::vector<TRecordedText> &Texts() const { return canvas_.Texts; }
    const std::vector<TRecordedFill> &Fills() const { return canvas_.Fills; }
    const TRecordingCanvas &Recorder() const { return canvas_; }
    // The texts drawn on a page, in drawing order.
    std::vector<std::string> TextsOnPage(int page) const
    {
        std::vector<std::string> texts;
        for (const TRecordedText &t : canvas_.Texts)
            if (t.Page == page)
                texts.push_back(t.Text);
        return texts;
    }

private:
    TRecordingCanvas canvas_;
    int dpi_;
    long double paperWidth_;
    long double paperLength_;
};

} // namespace report_test
