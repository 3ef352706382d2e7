#include "platform/graphics/Graphics.h"
#include "platform/services/DesktopServices.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

class FixedColours : public TDesktopServices {
public:
    std::uint32_t SystemColor(int index) override { return index == COLOR_BTNFACE ? 0x123456 : 0x00ABCDEF; }
};

TBitmap &Blank(TBitmap &b, int w, int h)
{
    b.SetSize(w, h);
    b.Canvas().Brush().SetColor(clWhite);
    b.Canvas().FillRect({0, 0, w, h});
    return b;
}

} // namespace

TEST(Graphics, SystemColoursResolveThroughServices)
{
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC8D0D4u);
    TScopedServices scoped(std::make_unique<FixedColours>());
    EXPECT_EQ(ColorToRGB(clBtnFace), 0x123456u);
    EXPECT_EQ(ColorToRGB(clWindow), 0xABCDEFu);

    // A system colour drawn on a bitmap lands as its resolved value.
    TBitmap b;
    Blank(b, 4, 4);
    b.Canvas().Brush().SetColor(clBtnFace);
    b.Canvas().FillRect({0, 0, 2, 2});
    EXPECT_EQ(b.Pixel(1, 1), 0x123456u);
    EXPECT_EQ(b.Pixel(2, 2), clWhite);
}

TEST(Graphics, ShapesCoverGdiPixels)
{
    TBitmap b;
    Blank(b, 40, 40);
    TCanvas &c = b.Canvas();
    c.Pen().SetColor(clBlack);
    c.Brush().SetColor(clRed);
    c.Rectangle(10, 10, 20, 20);
    // The outline covers the left/top edge and right-1/bottom-1; the inside is filled.
    EXPECT_EQ(b.Pixel(10, 10), clBlack);
    EXPECT_EQ(b.Pixel(19, 19), clBlack);
    EXPECT_EQ(b.Pixel(20, 20), clWhite);
    EXPECT_EQ(b.Pixel(15, 15), clRed);

    // A horizontal line leaves out its last pixel.
    c.Pen().SetColor(clBlue);
    c.MoveTo(0, 30);
    c.LineTo(10, 30);
    EXPECT_EQ(b.Pixel(0, 30), clBlue);
    EXPECT_EQ(b.Pixel(9, 30), clBlue);
    EXPECT_EQ(b.Pixel(10, 30), clWhite);
    EXPECT_EQ(c.PenPos(), Point(10, 30));

    // FillRect ignores the pen; FrameRect draws one pixel in the brush colour.
    c.Brush().SetColor(clLime);
    c.FrameRect({25, 25, 35, 35});
    EXPECT_EQ(b.Pixel(25, 25), clLime);
    EXPECT_EQ(b.Pixel(34, 34), clLime);
    EXPECT_EQ(b.Pixel(30, 30), clWhite);

    // A clear brush leaves the inside alone.
    c.Brush().SetStyle(bsClear);
    c.Pen().SetColor(clBlack);
    c.Ellipse(0, 0, 9, 9);
    EXPECT_EQ(b.Pixel(4, 4), clWhite);
}

TEST(Graphics, ClippingOriginsAndSavedState)
{
    TBitmap b;
    Blank(b, 30, 30);
    TCanvas &c = b.Canvas();
    int saved = c.SaveDC();
    c.IntersectClipRect({0, 0, 10, 10});
    c.Brush().SetColor(clRed);
    c.FillRect({0, 0, 30, 30});
    EXPECT_EQ(b.Pixel(5, 5), clRed);
    EXPECT_EQ(b.Pixel(15, 15), clWhite);
    EXPECT_EQ(c.ClipRect(), Rect(0, 0, 10, 10));
    ASSERT_TRUE(c.RestoreDC(saved));
    EXPECT_FALSE(c.HasClip());
    EXPECT_EQ(c.Brush().Color(), clWhite);

    // Logical (10, 10) drawn with the window origin at (10, 10) lands at device (0, 0).
    c.SetWindowOrg(10, 10);
    c.Brush().SetColor(clBlue);
    c.FillRect({10, 10, 12, 12});
    EXPECT_EQ(b.Pixel(0, 0), clBlue);
    EXPECT_EQ(b.Pixel(11, 11), clWhite);
    c.SetWindowOrg(0, 0);
    EXPECT_FALSE(c.RestoreDC(-1));
}

// Each face of the substitution table draws and measures as its family does,
// Latin digits included (no other face fills in for them).
TEST(Graphics, SubstitutedFacesMeasureAsTheirFamilies)
{
    ASSERT_EQ(FontSubstitutes().size(), 3u);
    TBitmap named(1, 1), family(1, 1);
    for (const TFontSubstitute &substitute : FontSubstitutes()) {
        EXPECT_EQ(SubstituteFontName(substitute.Name), substitute.Family);
        named.Canvas().Font().SetName(substitute.Name);
        family.Canvas().Font().SetName(substitute.Family);
        for (TBitmap *b : {&named, &family})
            b->Canvas().Font().SetSize(8);
        for (const char *text : {"2026/12/09", "日付範囲", "作成日:2026/12/09　 頁:1"})
            EXPECT_EQ(named.Canvas().TextExtent(text), family.Canvas().TextExtent(text)) << substitute.Name << " " << text;
    }
    EXPECT_EQ(SubstituteFontName("Arial"), "Arial");
}

// The font database names a family that several foundries make once for
// each ("C059 [urw]", "C059 [UKWN]"): the screen's fonts name it once, by its
// name, and a name kept with its foundry still draws with that family.
TEST(Graphics, TheScreensFontsNameEachFamilyOnceAndATaggedNameStillDraws)
{
    const std::vector<std::string> names = TDesktopServices().FontNames();
    std::set<std::string> listed;
    for (const std::string &name : names) {
        EXPECT_EQ(name.find(" ["), std::string::npos) << name;
        EXPECT_TRUE(listed.insert(name).second) << name << " twice";
    }
    ASSERT_EQ(listed.count("C059"), 1u) << "the base-35 fonts come in several foundries";

    // Each foundry measures a little differently; a family no font has falls back far off.
    auto width = [](const char *name) {
        TBitmap b(1, 1);
        b.Canvas().Font().SetName(name);
        b.Canvas().Font().SetSize(12);
        return b.Canvas().TextWidth("Schedule of the quarter, 2026/12/09");
    };
    EXPECT_NEAR(width("C059 [urw]"), width("C059"), 2);
    EXPECT_GT(std::abs(width("No Such Family") - width("C059")), 10);
}

TEST(Graphics, JapaneseTextHasExtentAndInk)
{
    TBitmap b;
    Blank(b, 200, 40);
    TCanvas &c = b.Canvas();
    c.Font().SetName("ＭＳ Ｐゴシック");
    c.Font().SetSize(12);
    c.Font().SetColor(clBlack);
    EXPECT_EQ(c.Font().Name(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(c.Font().Height(), -16);
    EXPECT_EQ(SubstituteFontName("ＭＳ ゴシック"), "IPAGothic");
    EXPECT_EQ(SubstituteFontName("MS UI Gothic"), "IPAGothic");

    TSize extent = c.TextExtent("日本語の文字");
    EXPECT_GT(extent.cx, 6 * 8);
    EXPECT_GE(extent.cy, 14);
    EXPECT_EQ(c.TextWidth("日本語"), c.TextExtent("日本語").cx);

    c.Brush().SetStyle(bsClear);
    c.TextOut(2, 2, "日本語");
    int ink = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            ink += b.Pixel(x, y) != clWhite;
    EXPECT_GT(ink, 20);
    EXPECT_EQ(c.PenPos(), Point(2 + c.TextWidth("日本語"), 2));
}

TEST(Graphics, FontSizeAcrossResolutions)
{
    TFont screen;
    screen.SetSize(10);
    TFont printer;
    printer.SetPixelsPerInch(600);
    printer.Assign(screen);
    EXPECT_EQ(printer.Size(), 10);
    EXPECT_EQ(printer.Height(), -83);
    int changes = 0;
    screen.OnChange = [&] { ++changes; };
    screen.SetStyle(fsBold | fsItalic);
    screen.SetStyle(fsBold | fsItalic);
    EXPECT_EQ(changes, 1);
}

TEST(Graphics, DrawTextAlignsWrapsAndMeasures)
{
    TBitmap b;
    Blank(b, 200, 100);
    TCanvas &c = b.Canvas();
    c.Font().SetSize(9);
    int lineHeight = c.TextMetrics().tmHeight;

    TRect calc{0, 0, 1000, 0};
    int h = c.DrawText("abc def", calc, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(h, lineHeight);
    EXPECT_EQ(calc.Width(), c.TextWidth("abc def"));

    // Wrapping at spaces and between Japanese characters.
    TRect narrow{0, 0, c.TextWidth("abc "), 0};
    EXPECT_EQ(c.DrawText("abc def", narrow, DT_CALCRECT | DT_WORDBREAK), 2 * lineHeight);
    TRect japanese{0, 0, c.TextWidth("日本"), 0};
    EXPECT_EQ(c.DrawText("日本語です", japanese, DT_CALCRECT | DT_WORDBREAK), 3 * lineHeight);

    // "&&" is one ampersand; the prefix is dropped.
    TRect prefix{0, 0, 1000, 0};
    c.DrawText("a&&b&c", prefix, DT_CALCRECT);
    EXPECT_EQ(prefix.Width(), c.TextWidth("a&bc"));

    // Right alignment puts the ink at the right edge.
    c.Brush().SetStyle(bsClear);
    c.Font().SetColor(clBlack);
    TRect right{0, 0, 200, 30};
    c.DrawText("MMM", right, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    int leftmost = 200;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 200; ++x)
            if (b.Pixel(x, y) != clWhite)
                leftmost = std::min(leftmost, x);
    EXPECT_GE(leftmost, 200 - c.TextWidth("MMM") - 1);
    EXPECT_LT(leftmost, 200);
}

TEST(Graphics, EdgesUseSystemColours)
{
    TBitmap b;
    Blank(b, 20, 20);
    TRect r{0, 0, 20, 20};
    b.Canvas().DrawEdge(r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    EXPECT_EQ(r, Rect(2, 2, 18, 18));
    EXPECT_EQ(b.Pixel(0, 5), ColorToRGB(cl3DLight));
    EXPECT_EQ(b.Pixel(1, 5), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(b.Pixel(19, 5), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(b.Pixel(18, 5), ColorToRGB(clBtnShadow));
    EXPECT_EQ(b.Pixel(10, 10), ColorToRGB(clBtnFace));
}

TEST(Graphics, BitmapsBlitAndPatternBrushes)
{
    TBitmap source(4, 4);
    source.Canvas().Brush().SetColor(clRed);
    source.Canvas().FillRect({0, 0, 4, 4});
    TBitmap b;
    Blank(b, 20, 20);
    b.Canvas().Draw(5, 5, source);
    EXPECT_EQ(b.Pixel(5, 5), clRed);
    EXPECT_EQ(b.Pixel(8, 8), clRed);
    EXPECT_EQ(b.Pixel(9, 9), clWhite);

    auto pattern = std::make_shared<TBitmap>(2, 2);
    pattern->SetPixel(0, 0, clBlack);
    pattern->SetPixel(1, 1, clBlack);
    b.Canvas().Brush().SetBitmap(pattern);
    b.Canvas().FillRect({10, 10, 14, 14});
    EXPECT_EQ(b.Pixel(10, 10), clBlack);
    EXPECT_EQ(b.Pixel(11, 10), clWhite);
    EXPECT_EQ(b.Pixel(11, 11), clBlack);

    // Resizing keeps the pixels and the canvas goes on drawing.
    b.SetSize(30, 30);
    EXPECT_EQ(b.Pixel(5, 5), clRed);
    EXPECT_EQ(b.Pixel(25, 25), clWhite);
    b.Canvas().Brush().SetBitmap(nullptr);
    b.Canvas().Brush().SetColor(clBlue);
    b.Canvas().FillRect({25, 25, 30, 30});
    EXPECT_EQ(b.Pixel(29, 29), clBlue);
}
