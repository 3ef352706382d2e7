#pragma once
// Drawing: colours, fonts, pens, brushes, the canvas with the GDI operations
// the program uses, and bitmaps. A canvas keeps the device-context state
// (objects, pen position, text alignment, clipping, origins); the back ends
// (a painter on a widget, bitmap or printer; the metafile recorder) draw with it.
#include "platform/core/Exceptions.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A picture whose bytes cannot be read.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// ---------------------------------------------------------------- geometry

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint &, const TPoint &) = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize &, const TSize &) = default;
};

// Right and bottom are exclusive, as in the class library.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect &, const TRect &) = default;
};

inline TPoint Point(int x, int y) { return {x, y}; }
inline TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }
void InflateRect(TRect &rect, int dx, int dy);
void OffsetRect(TRect &rect, int dx, int dy);
// The common part; an empty rectangle (all zero) and false when they do not meet.
bool IntersectRect(TRect &result, const TRect &a, const TRect &b);
bool PtInRect(const TRect &rect, TPoint point);
bool IsRectEmpty(const TRect &rect);
// (a * b) / c rounded to nearest, as the Windows routine does; -1 when c is 0.
int MulDiv(int a, int b, int c);

// ---------------------------------------------------------------- colours

// 0x00BBGGRR; 0xFF0000nn is system colour nn; clNone draws nothing.
using TColor = std::uint32_t;

constexpr TColor RGB(int r, int g, int b)
{
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
    clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
    clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
    clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
    clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF, clMedGray = 0xA4A0A0,
    clNone = 0x1FFFFFFF, clDefault = 0x20000000;

// System colour indices (COLOR_*) and the matching colour values.
enum : int {
    COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_ACTIVECAPTION = 2, COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6, COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8, COLOR_CAPTIONTEXT = 9, COLOR_ACTIVEBORDER = 10, COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12, COLOR_HIGHLIGHT = 13, COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16, COLOR_GRAYTEXT = 17, COLOR_BTNTEXT = 18, COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20, COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24, COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28, COLOR_MENUHILIGHT = 29, COLOR_MENUBAR = 30,
};
constexpr TColor clSystemColor = 0xFF000000;
constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR, clBackground = clSystemColor | COLOR_BACKGROUND,
    clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION, clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION,
    clMenu = clSystemColor | COLOR_MENU, clWindow = clSystemColor | COLOR_WINDOW,
    clWindowFrame = clSystemColor | COLOR_WINDOWFRAME, clMenuText = clSystemColor | COLOR_MENUTEXT,
    clWindowText = clSystemColor | COLOR_WINDOWTEXT, clCaptionText = clSystemColor | COLOR_CAPTIONTEXT,
    clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER, clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER,
    clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE, clHighlight = clSystemColor | COLOR_HIGHLIGHT,
    clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT, clBtnFace = clSystemColor | COLOR_BTNFACE,
    clBtnShadow = clSystemColor | COLOR_BTNSHADOW, clGrayText = clSystemColor | COLOR_GRAYTEXT,
    clBtnText = clSystemColor | COLOR_BTNTEXT, clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT,
    clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT, cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW,
    cl3DLight = clSystemColor | COLOR_3DLIGHT, clInfoText = clSystemColor | COLOR_INFOTEXT,
    clInfoBk = clSystemColor | COLOR_INFOBK, clHotLight = clSystemColor | COLOR_HOTLIGHT,
    clGradientActiveCaption = clSystemColor | COLOR_GRADIENTACTIVECAPTION,
    clGradientInactiveCaption = clSystemColor | COLOR_GRADIENTINACTIVECAPTION,
    clMenuHighlight = clSystemColor | COLOR_MENUHILIGHT, clMenuBar = clSystemColor | COLOR_MENUBAR;

// A fixed colour stays; a system colour resolves through Services().SystemColor.
TColor ColorToRGB(TColor color);
// The system colour of an index (GetSysColor).
TColor GetSysColor(int index);

// ---------------------------------------------------------------- fonts, pens, brushes

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum : int { ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, SHIFTJIS_CHARSET = 128 };

// A font as the program describes it. Height in pixels at PixelsPerInch: negative
// is the character height, positive the cell height; Size is in points.
class TFont {
public:
    TFont();
    TFont(const TFont &other);
    TFont &operator=(const TFont &other);
    // Takes the other's attributes; across resolutions the point size is kept.
    void Assign(const TFont &other);

    const std::string &Name() const { return *name_; }
    void SetName(const std::string &name);
    int Size() const;
    void SetSize(int points);
    int Height() const { return height_; }
    void SetHeight(int height);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    int Charset() const { return charset_; }
    void SetCharset(int charset);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch pitch);
    int PixelsPerInch() const { return pixelsPerInch_; }
    // Changes the resolution; the height is kept.
    void SetPixelsPerInch(int ppi) { pixelsPerInch_ = ppi > 0 ? ppi : 96; }
    // Same face, size, style, colour and character set.
    bool SameAs(const TFont &other) const;

    // Called after every change (not copied by Assign).
    std::function<void()> OnChange;

private:
    void Changed();
    // Names are kept once for the process (a few faces serve thousands of
    // controls); the font points at its name there.
    static const std::string *SharedName(const std::string &name);
    const std::string *name_ = SharedName("ＭＳ Ｐゴシック");
    int height_ = -12;
    int pixelsPerInch_ = 96;
    TColor color_ = clWindowText;
    TFontStyles style_ = 0;
    int charset_ = SHIFTJIS_CHARSET;
    TFontPitch pitch_ = fpDefault;
};

// A face the documents name and the family that draws it.
struct TFontSubstitute {
    const char *Name;
    const char *Family;
};
// The program's one substitution table: the Windows Japanese faces and the
// IPA fonts that stand in for them.
const std::vector<TFontSubstitute> &FontSubstitutes();
// The family the drawing uses for a font name: its substitute, else the name.
std::string SubstituteFontName(const std::string &name);

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };

class TPen {
public:
    TPen() = default;
    TPen(const TPen &other) { Assign(other); }
    TPen &operator=(const TPen &other) { Assign(other); return *this; }
    void Assign(const TPen &other);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    // 0 and 1 both draw one pixel.
    int Width() const { return width_; }
    void SetWidth(int width);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode mode);
    bool SameAs(const TPen &other) const;

    std::function<void()> OnChange;

private:
    void Changed() { if (OnChange) OnChange(); }
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

class TBitmap;

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush {
public:
    TBrush() = default;
    TBrush(const TBrush &other) { Assign(other); }
    TBrush &operator=(const TBrush &other) { Assign(other); return *this; }
    void Assign(const TBrush &other);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);
    // A pattern brush: the bitmap is tiled (usually 8 x 8); none for a plain brush.
    // Shared, so that a canvas or a recorded page may keep it.
    const std::shared_ptr<const TBitmap> &Bitmap() const { return bitmap_; }
    void SetBitmap(std::shared_ptr<const TBitmap> bitmap);
    bool SameAs(const TBrush &other) const;

    std::function<void()> OnChange;

private:
    void Changed() { if (OnChange) OnChange(); }
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    std::shared_ptr<const TBitmap> bitmap_;
};

// ---------------------------------------------------------------- canvas constants

// Text alignment (SetTextAlign).
enum : unsigned {
    TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24,
    TA_RTLREADING = 256,
};
// ExtTextOut options.
enum : unsigned { ETO_OPAQUE = 2, ETO_CLIPPED = 4, ETO_RTLREADING = 0x80 };

// DrawText formats.
enum : unsigned {
    DT_TOP = 0, DT_LEFT = 0, DT_CENTER = 1, DT_RIGHT = 2, DT_VCENTER = 4, DT_BOTTOM = 8,
    DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800, DT_PATH_ELLIPSIS = 0x4000, DT_END_ELLIPSIS = 0x8000,
    DT_RTLREADING = 0x20000, DT_WORD_ELLIPSIS = 0x40000, DT_HIDEPREFIX = 0x100000,
};

// DrawEdge edges and flags.
enum : unsigned {
    BDR_RAISEDOUTER = 1, BDR_SUNKENOUTER = 2, BDR_RAISEDINNER = 4, BDR_SUNKENINNER = 8,
    BDR_OUTER = 3, BDR_INNER = 12,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER, EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER, EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
    BF_LEFT = 1, BF_TOP = 2, BF_RIGHT = 4, BF_BOTTOM = 8,
    BF_TOPLEFT = BF_TOP | BF_LEFT, BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT,
    BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
    BF_MIDDLE = 0x800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000,
};

// DrawFrameControl types and states.
enum : unsigned {
    DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4,
    DFCS_CAPTIONCLOSE = 0, DFCS_CAPTIONMIN = 1, DFCS_CAPTIONMAX = 2, DFCS_CAPTIONRESTORE = 3,
    DFCS_MENUARROW = 0, DFCS_MENUCHECK = 1, DFCS_MENUBULLET = 2,
    DFCS_SCROLLUP = 0, DFCS_SCROLLDOWN = 1, DFCS_SCROLLLEFT = 2, DFCS_SCROLLRIGHT = 3,
    DFCS_SCROLLCOMBOBOX = 5,
    DFCS_BUTTONCHECK = 0, DFCS_BUTTONRADIO = 4, DFCS_BUTTON3STATE = 8, DFCS_BUTTONPUSH = 0x10,
    DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400, DFCS_ADJUSTRECT = 0x2000,
    DFCS_FLAT = 0x4000, DFCS_MONO = 0x8000,
};

// Raster operations of BitBlt.
enum : std::uint32_t {
    SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
    NOTSRCCOPY = 0x00330008, PATCOPY = 0x00F00021, DSTINVERT = 0x00550009,
    BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062,
};

// What GetTextMetrics answers, in pixels.
struct TTextMetric {
    int tmHeight = 0;
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0;
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;
    int tmMaxCharWidth = 0;
};

// ---------------------------------------------------------------- canvas

// The state SaveDC keeps.
struct TCanvasState {
    TPen Pen;
    TBrush Brush;
    TFont Font;
    TPoint PenPos;
    unsigned TextAlign = TA_LEFT | TA_TOP;
    std::optional<TRect> Clip;   // in device pixels; none = the whole device
    TPoint WindowOrg;
    TPoint ViewportOrg;
};

class TCanvas {
public:
    TCanvas();
    virtual ~TCanvas();
    TCanvas(const TCanvas &) = delete;
    TCanvas &operator=(const TCanvas &) = delete;

    // The objects in use; changing them changes what the next operation draws.
    TPen &Pen() { return state_.Pen; }
    TBrush &Brush() { return state_.Brush; }
    TFont &Font() { return state_.Font; }
    const TPen &Pen() const { return state_.Pen; }
    const TBrush &Brush() const { return state_.Brush; }
    const TFont &Font() const { return state_.Font; }
    const TCanvasState &State() const { return state_; }
    TPoint PenPos() const { return state_.PenPos; }
    void SetPenPos(TPoint p) { MoveTo(p.X, p.Y); }
    // The device's resolution; fonts are sized for it.
    virtual int PixelsPerInch() const { return 96; }

    // Lines and shapes (right and bottom exclusive, like GDI).
    virtual void MoveTo(int x, int y);
    virtual void LineTo(int x, int y) = 0;
    virtual void Rectangle(const TRect &rect) = 0;
    void Rectangle(int l, int t, int r, int b) { Rectangle(TRect{l, t, r, b}); }
    virtual void FillRect(const TRect &rect) = 0;
    // A one-pixel frame in the brush's colour.
    virtual void FrameRect(const TRect &rect);
    virtual void RoundRect(const TRect &rect, int ellipseWidth, int ellipseHeight) = 0;
    virtual void Ellipse(const TRect &rect) = 0;
    void Ellipse(int l, int t, int r, int b) { Ellipse(TRect{l, t, r, b}); }
    virtual void Polygon(const std::vector<TPoint> &points) = 0;
    virtual void Polyline(const std::vector<TPoint> &points);
    // Inverts the colours inside the rectangle.
    virtual void InvertRect(const TRect &rect) = 0;
    virtual void DrawFocusRect(const TRect &rect);

    // Text. The reference point follows the text alignment; the background is
    // filled with the brush colour when the brush is solid.
    void TextOut(int x, int y, const std::string &text);
    // Text clipped to the rectangle (filled first when the brush is solid).
    void TextRect(const TRect &rect, int x, int y, const std::string &text);
    // The primitive behind both (options ETO_*; rect may be null).
    virtual void ExtTextOut(int x, int y, unsigned options, const TRect *rect, const std::string &text) = 0;
    virtual TSize TextExtent(const std::string &text) = 0;
    // Text turned 90 degrees clockwise, read from top to bottom, in the font
    // colour without background: (x, y) is the top-right corner of the turned
    // text, which takes the text height across and its width along. Back ends
    // that cannot turn text set the characters one below the other.
    virtual void RotatedTextOut(int x, int y, const std::string &text);
    int TextWidth(const std::string &text) { return TextExtent(text).cx; }
    int TextHeight(const std::string &text) { return TextExtent(text).cy; }
    virtual TTextMetric TextMetrics() = 0;
    unsigned TextAlign() const { return state_.TextAlign; }
    virtual void SetTextAlign(unsigned align) { state_.TextAlign = align; }
    // Formatted text in a rectangle (DT_* flags); returns the text's height.
    // With DT_CALCRECT nothing is drawn and the rectangle gets the text's size.
    int DrawText(const std::string &text, TRect &rect, unsigned format);

    // Frames.
    void DrawEdge(TRect &rect, unsigned edge, unsigned flags);
    void DrawFrameControl(TRect &rect, unsigned type, unsigned state);

    // Bitmaps.
    virtual void BitBlt(const TRect &dest, const TBitmap &source, TPoint sourceOrigin, std::uint32_t rop = SRCCOPY) = 0;
    void Draw(int x, int y, const TBitmap &bitmap);
    virtual void StretchDraw(const TRect &dest, const TBitmap &bitmap) = 0;
    // Copies what the canvas shows in the rectangle into the bitmap (sized to
    // it); false where the device cannot be read back (a recorded page).
    virtual bool CopyToBitmap(const TRect &rect, TBitmap &dest);

    // Clipping, in logical coordinates at the time of the call.
    virtual void IntersectClipRect(const TRect &rect);
    virtual void SetClipRect(const TRect &rect);
    virtual void ResetClip();
    bool HasClip() const { return state_.Clip.has_value(); }
    // The clip rectangle in logical coordinates (the device bounds when none).
    TRect ClipRect() const;

    // Saves the state; RestoreDC(-1) restores the last, RestoreDC(n) the n-th saved.
    virtual int SaveDC();
    virtual bool RestoreDC(int saved);

    // Logical point (0, 0) of the window origin lies at the viewport origin.
    virtual void SetWindowOrg(int x, int y);
    virtual void SetViewportOrg(int x, int y);
    TPoint WindowOrg() const { return state_.WindowOrg; }
    TPoint ViewportOrg() const { return state_.ViewportOrg; }
    TPoint LogicalToDevice(TPoint p) const;
    TRect LogicalToDevice(const TRect &r) const;
    TRect DeviceToLogical(const TRect &r) const;

    // The size of the drawing surface in pixels (0 when unbounded).
    virtual TSize DeviceSize() const { return {}; }

protected:
    TCanvasState &MutableState() { return state_; }

private:
    std::vector<TCanvasState> saved_;
    TCanvasState state_;
};

// A canvas whose drawing calls do nothing: the base of canvases that only
// measure text or record some of the calls.
class TNullCanvas : public TCanvas {
public:
    void LineTo(int, int) override {}
    void Rectangle(const TRect &) override {}
    void FillRect(const TRect &) override {}
    void RoundRect(const TRect &, int, int) override {}
    void Ellipse(const TRect &) override {}
    void Polygon(const std::vector<TPoint> &) override {}
    void InvertRect(const TRect &) override {}
    void ExtTextOut(int, int, unsigned, const TRect *, const std::string &) override {}
    void BitBlt(const TRect &, const TBitmap &, TPoint, std::uint32_t) override {}
    void StretchDraw(const TRect &, const TBitmap &) override {}
};

// ---------------------------------------------------------------- bitmap

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

class TBitmap {
public:
    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap();
    TBitmap(const TBitmap &) = delete;
    TBitmap &operator=(const TBitmap &) = delete;
    TBitmap(TBitmap &&other) noexcept;
    TBitmap &operator=(TBitmap &&other) noexcept;
    // Copies the other's pixels and format.
    void Assign(const TBitmap &other);

    int Width() const;
    int Height() const;
    void SetWidth(int width);
    void SetHeight(int height);
    // A new size; new pixels are white.
    void SetSize(int width, int height);
    TPixelFormat PixelFormat() const { return pixelFormat_; }
    // Recorded for the program; pixels are always kept as 32-bit colour.
    void SetPixelFormat(TPixelFormat format) { pixelFormat_ = format; }
    bool Empty() const { return Width() == 0 || Height() == 0; }

    // Reads a picture file (PNG, BMP, ...); raises EInvalidGraphic when it cannot.
    void LoadFromFile(const std::string &path);

    TCanvas &Canvas();
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    struct Data;
    // For the platform's drawing code.
    Data &Internal() const { return *data_; }

private:
    std::unique_ptr<Data> data_;
    TPixelFormat pixelFormat_ = pfDevice;
};
