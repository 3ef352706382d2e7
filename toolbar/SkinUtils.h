#pragma once
// Drawing utilities of the theme layer: colour arithmetic that understands
// system colours and "none", frame and line helpers, two-colour gradients with
// a ramp cache, and the geometry and alpha of the drop-shadow strips.

#include "platform/graphics/Graphics.h"
#include "platform/kernel/ShadowWindow.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// Per channel (w * a + (255 - w) * b) / 256; w must be below 256.
TColor MixColors(TColor a, TColor b, int w);
// Each channel moved by d, clamped to 0..255.
TColor ShiftColor(TColor color, int d);
// MixColors, then the nearest colour the screen shows (the colour itself on true colour).
TColor MixColorsNearest(TColor a, TColor b, int w);
bool IsDarkColor(TColor color, int threshold);
// Blue, green, red and alpha 255 from the low byte up.
std::uint32_t ColorToPixel32(TColor color);

// Fills unless the colour is clNone; answers whether it drew.
bool FillRectEx(TCanvas &canvas, const TRect &rect, TColor color);
// A 1-pixel frame; with shrink the rectangle is then moved in by 1 on every side.
void FrameRectEx(TCanvas &canvas, TRect &rect, TColor color, bool shrink);
void DrawLineEx(TCanvas &canvas, int x1, int y1, int x2, int y2, TColor color);
// Through n + 1 points.
void PolylineEx(TCanvas &canvas, const TPoint *points, int n, TColor color);
void PolygonEx(TCanvas &canvas, const TPoint *points, int n, TColor fill, TColor outline);
void RoundRectEx(TCanvas &canvas, int left, int top, int right, int bottom, int cornerWidth, int cornerHeight,
    TColor outline, TColor fill);
// The 8 x 8 checkerboard of the two colours (c1 where x + y is even).
std::shared_ptr<const TBitmap> CreateDitherBitmap(TColor c1, TColor c2);
void DitherFillRect(TCanvas &canvas, const TRect &rect, TColor c1, TColor c2);
// Raised or sunken 1-pixel edge; the rectangle then shrinks by 1 at the
// top-left (adjust) or at the bottom-right.
void Frame3DEx(TCanvas &canvas, TRect &rect, TColor topLeft, bool adjust, TColor bottomRight);
// An 8-row monochrome pattern (leftmost pixel in the high bit of each row's
// first byte); set bits take the colour, clear bits leave the canvas.
void DrawMonoPatternCentered(TCanvas &canvas, const TRect &rect, int width, TColor color,
    const std::uint16_t *pattern, int height);

// Glyphs of an image list recoloured over what the canvas shows: the area
// under the glyph is read back, the glyph drawn over a copy of it, and only
// the pixels the glyph changed are recoloured. Each answers false, drawing
// nothing, where the canvas cannot be read back.
class TBarImageList;
// Dark background: near-white glyph pixels become black, dark ones white, and
// all are lightened by 32; otherwise the glyph is drawn as it is.
bool DrawGlyphHighContrast(TCanvas &canvas, const TBarImageList &images, int index, int x, int y, bool darkBackground);
// Glyph pixels mixed with the colour: (alpha * pixel + (255 - alpha) * color) / 256.
bool DrawGlyphBlended(TCanvas &canvas, const TBarImageList &images, int index, int x, int y, int alpha, TColor color);
// The background under each glyph pixel darkened by the glyph's lightness
// (ramp 0, 1 or 2: strong to faint), as disabled glyphs look.
bool DrawGlyphShaded(TCanvas &canvas, const TBarImageList &images, int index, int x, int y, int ramp);

// The n colours from a to b (n >= 1); the last is exactly b.
std::vector<TColor> ComputeGradientRamp(TColor a, TColor b, int n);
// The ramp from the 16-slot cache, computing it into the next slot when missing.
const std::vector<TColor> &GetGradientRamp(TColor a, TColor b, int n);
void GradientFillRect(TCanvas &canvas, const TRect &rect, TColor c1, TColor c2, bool vertical);
void ClearGradientCache();
// Number of ramps computed since start (for tests of the cache).
int GradientRampsComputed();

// ---------------------------------------------------------------- shadows

enum : int { SHADOW_CORNER_FIRST = 1, SHADOW_CORNER_SECOND = 2 };

struct TShadowStrip {
    TRect Bounds;
    bool Vertical = false;
    int Corners = 0;
};

// The six slots: first vertical, first horizontal, second vertical, second
// horizontal, third vertical, third horizontal.
using TShadowStrips = std::array<std::optional<TShadowStrip>, 6>;

// The strips round a popup (screen rectangle) that leave out the parent
// item's rectangle; depth is halved when alpha blending is not available.
TShadowStrips ComputeShadowStrips(const TRect &popup, const TRect &excluded, int depth, bool halfDepth);
// Per-pixel alpha of a strip, row by row.
std::vector<std::uint8_t> ShadowAlphaImage(const TShadowStrip &strip);

// The mode of a strip: plain on a low-colour screen, translucent where the
// screen composites, else blended over the screen under it.
TShadowMode ShadowModeFor(bool lowColor);

// One strip of the shadow round a popup.
class TShadow : public TShadowWindow {
public:
    TShadow(const TShadowStrip &strip, bool lowColor, int opacity);
    const TShadowStrip &Strip() const { return strip_; }

private:
    TShadowStrip strip_;
};

// The strips round a popup's screen rectangle that leave out the parent
// item's rectangle (excluded), in the six slots of ComputeShadowStrips.
class TShadows {
public:
    TShadows(const TRect &excluded, bool lowColor, int opacity, int depth, const TRect &bounds);
    // Shows every strip right below the window.
    void SetZOrder(TWinControl &window);
    TShadow *Strip(int slot) const { return strips_[static_cast<std::size_t>(slot)].get(); }

private:
    std::array<std::unique_ptr<TShadow>, 6> strips_;
};
