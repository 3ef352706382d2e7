#include "toolbar/SkinUtils.h"

#include "platform/services/SystemParameters.h"
#include "toolbar/BarItem.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

namespace {

int Clamp255(int v) { return std::clamp(v, 0, 255); }

// Pen and brush of the canvas set for one operation; "none" gives a clear one.
void UsePen(TCanvas &canvas, TColor color)
{
    canvas.Pen().SetWidth(1);
    if (color == clNone) {
        canvas.Pen().SetStyle(psClear);
    } else {
        canvas.Pen().SetStyle(psSolid);
        canvas.Pen().SetColor(ColorToRGB(color));
    }
}

void UseBrush(TCanvas &canvas, TColor color)
{
    canvas.Brush().SetBitmap(nullptr);
    if (color == clNone) {
        canvas.Brush().SetStyle(bsClear);
    } else {
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(ColorToRGB(color));
    }
}

std::vector<TPoint> PointsOf(const TPoint *points, int n) { return std::vector<TPoint>(points, points + n + 1); }

// One channel of a ramp. Falling channels round the other way so that the
// last band is exactly the end colour.
int RampChannel(int a, int d, int i, int e)
{
    if (d >= 0)
        return a + (e / 2 + i * d) / e;
    return a + (i * d - e / 2) / e;
}

struct TRampSlot {
    int Length = 0;
    std::vector<TColor> Colors;
};

constexpr int RampSlots = 16;
std::array<TRampSlot, RampSlots> rampCache;
int nextRampSlot = 0;
int rampsComputed = 0;

} // namespace

TColor MixColors(TColor a, TColor b, int w)
{
    assert(w >= 0 && w < 256);
    a = ColorToRGB(a);
    b = ColorToRGB(b);
    const std::uint32_t wa = static_cast<std::uint32_t>(w), wb = wa ^ 255u;
    const std::uint32_t redBlue = ((wa * (a & 0xFF00FF) + wb * (b & 0xFF00FF)) >> 8) & 0xFF00FF;
    const std::uint32_t green = ((wa * (a & 0x00FF00) + wb * (b & 0x00FF00)) >> 8) & 0x00FF00;
    return redBlue | green;
}

TColor ShiftColor(TColor color, int d)
{
    color = ColorToRGB(color);
    return RGB(Clamp255(GetRValue(color) + d), Clamp255(GetGValue(color) + d), Clamp255(GetBValue(color) + d));
}

TColor MixColorsNearest(TColor a, TColor b, int w)
{
    // The screens we run on show every colour.
    return MixColors(a, b, w);
}

bool IsDarkColor(TColor color, int threshold)
{
    color = ColorToRGB(color);
    return 76 * GetRValue(color) + 150 * GetGValue(color) + 30 * GetBValue(color) < threshold * 256;
}

std::uint32_t ColorToPixel32(TColor color)
{
    color = ColorToRGB(color);
    return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(color)) << 16)
        | (static_cast<std::uint32_t>(GetGValue(color)) << 8) | static_cast<std::uint32_t>(GetBValue(color));
}

bool FillRectEx(TCanvas &canvas, const TRect &rect, TColor color)
{
    if (color == clNone)
        return false;
    UseBrush(canvas, color);
    canvas.FillRect(rect);
    return true;
}

void FrameRectEx(TCanvas &canvas, TRect &rect, TColor color, bool shrink)
{
    if (color != clNone) {
        UseBrush(canvas, color);
        canvas.FrameRect(rect);
    }
    if (shrink)
        InflateRect(rect, -1, -1);
}

void DrawLineEx(TCanvas &canvas, int x1, int y1, int x2, int y2, TColor color)
{
    if (color == clNone)
        return;
    UsePen(canvas, color);
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
}

void PolylineEx(TCanvas &canvas, const TPoint *points, int n, TColor color)
{
    if (color == clNone)
        return;
    UsePen(canvas, color);
    canvas.Polyline(PointsOf(points, n));
}

void PolygonEx(TCanvas &canvas, const TPoint *points, int n, TColor fill, TColor outline)
{
    if (fill == clNone && outline == clNone)
        return;
    UsePen(canvas, outline);
    UseBrush(canvas, fill);
    canvas.Polygon(PointsOf(points, n));
}

void RoundRectEx(TCanvas &canvas, int left, int top, int right, int bottom, int cornerWidth, int cornerHeight,
    TColor outline, TColor fill)
{
    if (fill == clNone && outline == clNone)
        return;
    UsePen(canvas, outline);
    UseBrush(canvas, fill);
    canvas.RoundRect(TRect{left, top, right, bottom}, cornerWidth, cornerHeight);
}

std::shared_ptr<const TBitmap> CreateDitherBitmap(TColor c1, TColor c2)
{
    auto bitmap = std::make_shared<TBitmap>(8, 8);
    const TColor a = ColorToRGB(c1), b = ColorToRGB(c2);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            bitmap->SetPixel(x, y, (x + y) % 2 == 0 ? a : b);
    return bitmap;
}

void DitherFillRect(TCanvas &canvas, const TRect &rect, TColor c1, TColor c2)
{
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetBitmap(CreateDitherBitmap(c1, c2));
    canvas.FillRect(rect);
    canvas.Brush().SetBitmap(nullptr);
}

void Frame3DEx(TCanvas &canvas, TRect &rect, TColor topLeft, bool adjust, TColor bottomRight)
{
    --rect.Right;
    --rect.Bottom;
    const TPoint first[] = {{rect.Left, rect.Bottom}, {rect.Left, rect.Top}, {rect.Right, rect.Top}};
    PolylineEx(canvas, first, 2, topLeft);
    const TPoint second[] = {{rect.Right, rect.Top}, {rect.Right, rect.Bottom}, {rect.Left - 1, rect.Bottom}};
    PolylineEx(canvas, second, 2, bottomRight);
    if (adjust) {
        ++rect.Left;
        ++rect.Top;
    } else {
        --rect.Right;
        --rect.Bottom;
    }
}

void DrawMonoPatternCentered(TCanvas &canvas, const TRect &rect, int width, TColor color,
    const std::uint16_t *pattern, int height)
{
    if (color == clNone)
        return;
    const int left = (rect.Left + rect.Right - width + 1) / 2;
    const int top = (rect.Top + rect.Bottom - height + 1) / 2;
    UseBrush(canvas, color);
    for (int y = 0; y < std::min(height, 8); ++y) {
        const unsigned row = pattern[y] & 0xFF;
        for (int x = 0; x < std::min(width, 8); ++x)
            if (row & (0x80u >> x))
                canvas.FillRect(TRect{left + x, top + y, left + x + 1, top + y + 1});
    }
}

std::vector<TColor> ComputeGradientRamp(TColor a, TColor b, int n)
{
    assert(n > 0);
    a = ColorToRGB(a);
    b = ColorToRGB(b);
    const int ar = GetRValue(a), ag = GetGValue(a), ab = GetBValue(a);
    const int dr = GetRValue(b) - ar, dg = GetGValue(b) - ag, db = GetBValue(b) - ab;
    if (n == 1)
        return {RGB(ar + dr / 2, ag + dg / 2, ab + db / 2)};
    std::vector<TColor> ramp(static_cast<std::size_t>(n));
    const int e = n - 1;
    for (int i = 0; i < n; ++i)
        ramp[static_cast<std::size_t>(i)] =
            RGB(RampChannel(ar, dr, i, e), RampChannel(ag, dg, i, e), RampChannel(ab, db, i, e));
    return ramp;
}

const std::vector<TColor> &GetGradientRamp(TColor a, TColor b, int n)
{
    a = ColorToRGB(a);
    b = ColorToRGB(b);
    for (int slot = RampSlots - 1; slot >= 0; --slot) {
        const TRampSlot &entry = rampCache[static_cast<std::size_t>(slot)];
        if (entry.Length == n && entry.Colors.front() == a && entry.Colors.back() == b)
            return entry.Colors;
    }
    TRampSlot &entry = rampCache[static_cast<std::size_t>(nextRampSlot)];
    nextRampSlot = (nextRampSlot + 1) % RampSlots;
    entry.Length = n;
    entry.Colors = ComputeGradientRamp(a, b, n);
    ++rampsComputed;
    return entry.Colors;
}

void GradientFillRect(TCanvas &canvas, const TRect &rect, TColor c1, TColor c2, bool vertical)
{
    TRect visible;
    if (!IntersectRect(visible, rect, canvas.ClipRect()) && canvas.HasClip())
        return;
    if (!canvas.HasClip())
        visible = rect;
    const int length = vertical ? rect.Height() : rect.Width();
    if (length < 1 || visible.IsEmpty())
        return;
    const std::vector<TColor> &ramp = GetGradientRamp(c1, c2, length);
    canvas.Brush().SetBitmap(nullptr);
    canvas.Brush().SetStyle(bsSolid);
    if (vertical) {
        for (int y = visible.Top; y < visible.Bottom; ++y) {
            canvas.Brush().SetColor(ramp[static_cast<std::size_t>(y - rect.Top)]);
            canvas.FillRect(TRect{visible.Left, y, visible.Right, y + 1});
        }
    } else {
        for (int x = visible.Left; x < visible.Right; ++x) {
            canvas.Brush().SetColor(ramp[static_cast<std::size_t>(x - rect.Left)]);
            canvas.FillRect(TRect{x, visible.Top, x + 1, visible.Bottom});
        }
    }
}

void ClearGradientCache()
{
    for (TRampSlot &entry : rampCache)
        entry = TRampSlot{};
    nextRampSlot = 0;
}

int GradientRampsComputed() { return rampsComputed; }

// ---------------------------------------------------------------- glyphs

namespace {

// The two work bitmaps, reused by every call.
TBitmap &WorkBitmap(int which)
{
    static TBitmap bitmaps[2];
    return bitmaps[which];
}

// Reads the canvas under the glyph into both work bitmaps, draws the glyph
// into the second, changes the pixels the glyph changed and puts the first back.
template <typename Recolor>
bool RecolorGlyph(TCanvas &canvas, const TBarImageList &images, int index, int x, int y, Recolor recolor)
{
    if (index < 0 || index >= images.Count() || images.Width() <= 0 || images.Height() <= 0)
        return true;
    const TRect area = Bounds(x, y, images.Width(), images.Height());
    TBitmap &under = WorkBitmap(0), &glyph = WorkBitmap(1);
    if (!canvas.CopyToBitmap(area, under))
        return false;
    glyph.Assign(under);
    images.Draw(glyph.Canvas(), 0, 0, index, true);
    for (int py = 0; py < area.Height(); ++py)
        for (int px = 0; px < area.Width(); ++px) {
            const TColor background = under.Pixel(px, py), pixel = glyph.Pixel(px, py);
            if (background != pixel)
                under.SetPixel(px, py, recolor(pixel, background));
        }
    canvas.BitBlt(area, under, TPoint{0, 0});
    return true;
}

TColor Channels(int r, int g, int b) { return RGB(Clamp255(r), Clamp255(g), Clamp255(b)); }

} // namespace

bool DrawGlyphHighContrast(TCanvas &canvas, const TBarImageList &images, int index, int x, int y, bool darkBackground)
{
    if (!darkBackground) {
        images.Draw(canvas, x, y, index, true);
        return true;
    }
    return RecolorGlyph(canvas, images, index, x, y, [](TColor pixel, TColor) {
        const int luma = 76 * GetRValue(pixel) + 150 * GetGValue(pixel) + 29 * GetBValue(pixel);
        if (luma > 0xFD00)
            pixel = RGB(0, 0, 0);
        else if (luma < 100 * 256)
            pixel = RGB(255, 255, 255);
        return ShiftColor(pixel, 32);
    });
}

bool DrawGlyphBlended(TCanvas &canvas, const TBarImageList &images, int index, int x, int y, int alpha, TColor color)
{
    color = ColorToRGB(color);
    return RecolorGlyph(canvas, images, index, x, y, [alpha, color](TColor pixel, TColor) {
        auto mix = [alpha](int p, int c) { return (alpha * p + (255 - alpha) * c) / 256; };
        return Channels(mix(GetRValue(pixel), GetRValue(color)), mix(GetGValue(pixel), GetGValue(color)),
            mix(GetBValue(pixel), GetBValue(color)));
    });
}

bool DrawGlyphShaded(TCanvas &canvas, const TBarImageList &images, int index, int x, int y, int ramp)
{
    assert(ramp >= 0 && ramp <= 2);
    static constexpr int divisors[] = {3, 8, 20}, offsets[] = {170, 224, 243};
    const int divisor = divisors[ramp], offset = offsets[ramp];
    return RecolorGlyph(canvas, images, index, x, y, [divisor, offset](TColor pixel, TColor background) {
        const int l = offset + ((29 * GetRValue(pixel) + 150 * GetGValue(pixel) + 76 * GetBValue(pixel)) / 256) / divisor;
        return Channels(GetRValue(background) * l / 256, GetGValue(background) * l / 256,
            GetBValue(background) * l / 256);
    });
}

// ---------------------------------------------------------------- shadows

namespace {

TShadowStrip Vert(int l, int t, int r, int b, int corners) { return {TRect{l, t, r, b}, true, corners}; }
TShadowStrip Horz(int l, int t, int r, int b, int corners) { return {TRect{l, t, r, b}, false, corners}; }

bool OverlapVertically(const TRect &r, const TRect &x) { return r.Top + 2 < x.Bottom && x.Top < r.Bottom - 2; }
bool SideBySide(const TRect &r, const TRect &x) { return r.Left + 2 >= x.Right || x.Left >= r.Right - 2; }

// Alpha of pixel (a, b) of a corner block whose larger side is m.
std::uint8_t CornerAlpha(int a, int b, int m)
{
    const int f = ((std::max(a, b) + a + b) * 128) / m;
    return f > 254 ? 0 : static_cast<std::uint8_t>(255 - f);
}

} // namespace

TShadowStrips ComputeShadowStrips(const TRect &popup, const TRect &excluded, int c, bool halfDepth)
{
    if (halfDepth)
        c /= 2;
    TShadowStrips s;
    TRect r = popup, x = excluded;
    if (r.IsEmpty() != x.IsEmpty() || (r.IsEmpty() && x.IsEmpty())) {
        const TRect &p = r.IsEmpty() ? x : r;
        if (p.IsEmpty())
            return s;
        s[0] = Vert(p.Right, p.Top + c, p.Right + c, p.Bottom, SHADOW_CORNER_FIRST);
        s[1] = Horz(p.Left + c, p.Bottom, p.Right + c, p.Bottom + c, SHADOW_CORNER_FIRST | SHADOW_CORNER_SECOND);
        return s;
    }
    if (OverlapVertically(r, x)) {
        if (!SideBySide(r, x))
            return s;
        if (r.Left < x.Left)
            std::swap(r, x);
        if (x.Top + c < r.Top)
            s[0] = Vert(x.Right, x.Top + c, x.Right + c, r.Top, SHADOW_CORNER_FIRST);
        s[2] = Vert(r.Right, r.Top + c, r.Right + c, r.Bottom + c, SHADOW_CORNER_FIRST | SHADOW_CORNER_SECOND);
        s[1] = Horz(x.Left + c, x.Bottom, x.Right, x.Bottom + c, SHADOW_CORNER_FIRST);
        if (r.Bottom < x.Bottom)
            s[4] = Vert(x.Right, r.Bottom, x.Right + c, x.Bottom + c, SHADOW_CORNER_FIRST | SHADOW_CORNER_SECOND);
        if (x.Bottom + c < r.Bottom)
            s[3] = Horz(r.Left + c, r.Bottom, r.Right, r.Bottom + c, SHADOW_CORNER_FIRST);
        else
            s[3] = Horz(r.Left, r.Bottom, r.Right, r.Bottom + c, 0);
        return s;
    }
    if (r.Top < x.Top)
        std::swap(r, x);
    if (x.Left + c < r.Left)
        s[1] = Horz(x.Left + c, x.Bottom, r.Left, x.Bottom + c, SHADOW_CORNER_FIRST);
    s[3] = Horz(r.Left + c, r.Bottom, r.Right + c, r.Bottom + c, SHADOW_CORNER_FIRST | SHADOW_CORNER_SECOND);
    s[0] = Vert(x.Right, x.Top + c, x.Right + c, x.Bottom, SHADOW_CORNER_FIRST);
    if (r.Right < x.Right)
        s[5] = Horz(r.Right, x.Bottom, x.Right + c, x.Bottom + c, SHADOW_CORNER_FIRST | SHADOW_CORNER_SECOND);
    if (x.Right + c < r.Right)
        s[2] = Vert(r.Right, r.Top + c, r.Right + c, r.Bottom, SHADOW_CORNER_FIRST);
    else
        s[2] = Vert(r.Right, r.Top + 1, r.Right + c, r.Bottom, 0);
    return s;
}

std::vector<std::uint8_t> ShadowAlphaImage(const TShadowStrip &strip)
{
    const int w = std::max(0, strip.Bounds.Width()), h = std::max(0, strip.Bounds.Height());
    std::vector<std::uint8_t> alpha(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    if (w == 0 || h == 0)
        return alpha;
    auto at = [&](int px, int py) -> std::uint8_t & { return alpha[static_cast<std::size_t>(py * w + px)]; };
    const bool first = strip.Corners & SHADOW_CORNER_FIRST, second = strip.Corners & SHADOW_CORNER_SECOND;
    const int length = strip.Vertical ? h : w, side = strip.Vertical ? w : h;
    int firstLen = first ? side : 0, secondLen = second ? side : 0;
    if (firstLen + secondLen > length) {
        if (first && second) {
            firstLen = length / 2;
            secondLen = length - firstLen;
        } else {
            (first ? firstLen : secondLen) = length;
        }
    }
    for (int py = 0; py < h; ++py) {
        for (int px = 0; px < w; ++px) {
            const int along = strip.Vertical ? py : px;
            if (along < firstLen || along >= length - secondLen) {
                const bool isFirst = along < firstLen;
                // The corner block and this pixel's place in it.
                const int blockLen = isFirst ? firstLen : secondLen;
                const int pos = isFirst ? along : along - (length - secondLen);
                const int bw = strip.Vertical ? w : blockLen, bh = strip.Vertical ? blockLen : h;
                const int cx = strip.Vertical ? px : pos, cy = strip.Vertical ? pos : py;
                const int m = std::max(bw, bh);
                int a, b;
                if (strip.Vertical) {
                    a = std::abs(cx + m - bw);
                    b = isFirst ? std::abs(cy - m + 1) : std::abs(cy + m - bh);
                } else {
                    a = isFirst ? std::abs(cx - m + 1) : std::abs(cx + m - bw);
                    b = std::abs(cy + m - bh);
                }
                at(px, py) = CornerAlpha(a, b, m);
            } else {
                const int across = strip.Vertical ? px : py;
                at(px, py) = static_cast<std::uint8_t>(255 - across * 256 / side);
            }
        }
    }
    return alpha;
}

TShadowMode ShadowModeFor(bool lowColor)
{
    if (lowColor)
        return shmPlain;
    return SystemParameters().Compositing ? shmTranslucent : shmOverScreen;
}

TShadow::TShadow(const TShadowStrip &strip, bool lowColor, int opacity)
    : TShadowWindow(nullptr, ShadowModeFor(lowColor)), strip_(strip)
{
    SetBounds(strip.Bounds.Left, strip.Bounds.Top, strip.Bounds.Width(), strip.Bounds.Height());
    SetAlpha(ShadowAlphaImage(strip), opacity);
}

TShadows::TShadows(const TRect &excluded, bool lowColor, int opacity, int depth, const TRect &bounds)
{
    // Painter composition is always at hand, so only a low-colour screen halves the depth.
    const TShadowStrips strips = ComputeShadowStrips(bounds, excluded, depth, lowColor);
    for (std::size_t i = 0; i < strips.size(); ++i)
        if (strips[i] && !strips[i]->Bounds.IsEmpty())
            strips_[i] = std::make_unique<TShadow>(*strips[i], lowColor, opacity);
}

void TShadows::SetZOrder(TWinControl &window)
{
    for (const std::unique_ptr<TShadow> &strip : strips_)
        if (strip)
            strip->ShowBelow(window);
}
