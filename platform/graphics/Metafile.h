#pragma once
// Enhanced metafiles: a picture kept as EMF records. A TMetafileCanvas records
// drawing into a metafile; the metafile plays itself back onto any canvas,
// checking every record first, and saves and loads itself as EMF bytes.
#include "platform/graphics/Graphics.h"
#include "platform/core/Stream.h"

#include <cstdint>
#include <memory>
#include <string>

class TMetafile {
public:
    TMetafile() = default;
    TMetafile(const TMetafile &) = default;
    TMetafile &operator=(const TMetafile &) = default;

    // The size in pixels at 96 per inch; the frame is the same size in 0.01 mm.
    int Width() const;
    int Height() const;
    void SetWidth(int width);
    void SetHeight(int height);
    int MMWidth() const { return mmWidth_; }
    int MMHeight() const { return mmHeight_; }
    void SetMMWidth(int mm) { mmWidth_ = mm; }
    void SetMMHeight(int mm) { mmHeight_ = mm; }

    // No picture recorded or loaded.
    bool Empty() const { return data_.empty(); }
    void Clear();
    // The EMF bytes (empty when nothing has been recorded or loaded).
    const std::string &Data() const { return data_; }

    // Writes the EMF bytes (an empty picture of the metafile's size when it has none).
    void SaveToStream(TStream &stream) const;
    // Reads one EMF picture from the stream's position; its header tells its length.
    // Raises EInvalidGraphic, leaving the metafile as it was, when the bytes are no EMF.
    void LoadFromStream(TStream &stream);
    void LoadFromBytes(const std::string &bytes);

    // Draws the picture scaled into the rectangle. Every record is checked before
    // it is played; a damaged one ends the playback with EInvalidGraphic. The
    // canvas's state is restored afterwards in every case.
    void Play(TCanvas &canvas, const TRect &dest) const;

private:
    friend class TMetafileCanvas;
    std::string data_;
    int mmWidth_ = 0;
    int mmHeight_ = 0;
};

// Records drawing into a metafile in device pixels at 96 per inch. The picture
// is complete when the canvas is destroyed (or Finish is called): the metafile
// then holds the EMF bytes and its earlier picture is replaced.
class TMetafileCanvas : public TCanvas {
public:
    explicit TMetafileCanvas(TMetafile &metafile);
    ~TMetafileCanvas() override;
    void Finish();

    TSize DeviceSize() const override;
    using TCanvas::Ellipse;
    using TCanvas::Rectangle;

    void MoveTo(int x, int y) override;
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
    TTextMetric TextMetrics() override;
    void BitBlt(const TRect &dest, const TBitmap &source, TPoint sourceOrigin, std::uint32_t rop = SRCCOPY) override;
    void StretchDraw(const TRect &dest, const TBitmap &bitmap) override;

    // What has been recorded so far (for the recorder's own code).
    struct Recorder;

private:
    std::unique_ptr<Recorder> recorder_;
    TMetafile *metafile_;
};
