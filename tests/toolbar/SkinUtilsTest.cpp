#include "toolbar/BarItem.h"
#include "toolbar/SkinUtils.h"

#include <gtest/gtest.h>

TEST(SkinUtils, ColourArithmetic)
{
    EXPECT_EQ(MixColors(0x000000FF, 0x00FF0000, 128), 0x007E007Fu);
    EXPECT_EQ(MixColors(0x00FFFFFF, 0x00000000, 255), 0x00FEFEFEu);
    EXPECT_EQ(MixColors(0x00000000, 0x00FFFFFF, 0), 0x00FEFEFEu);
    EXPECT_EQ(ShiftColor(0x00F0F0F0, 32), 0x00FFFFFFu);
    EXPECT_EQ(ShiftColor(0x00101010, -32), 0x00000000u);
    EXPECT_EQ(ShiftColor(0x00102030, 16), 0x00203040u);
    EXPECT_TRUE(IsDarkColor(0x00000000, 100));
    EXPECT_FALSE(IsDarkColor(0x00FFFFFF, 100));
    EXPECT_EQ(ColorToPixel32(RGB(1, 2, 3)), 0xFF010203u);
    // System colours resolve first.
    EXPECT_EQ(MixColors(clBtnFace, clBtnFace, 255), MixColors(ColorToRGB(clBtnFace), ColorToRGB(clBtnFace), 255));
}

TEST(SkinUtils, GradientRampsEndOnTheirColours)
{
    const std::vector<TColor> falling = ComputeGradientRamp(RGB(255, 255, 255), RGB(0, 0, 0), 5);
    ASSERT_EQ(falling.size(), 5u);
    EXPECT_EQ(falling.front(), RGB(255, 255, 255));
    EXPECT_EQ(falling.back(), RGB(0, 0, 0));
    const std::vector<TColor> rising = ComputeGradientRamp(RGB(10, 36, 106), RGB(166, 202, 240), 7);
    EXPECT_EQ(rising.front(), RGB(10, 36, 106));
    EXPECT_EQ(rising.back(), RGB(166, 202, 240));
    const std::vector<TColor> mixed = ComputeGradientRamp(RGB(0, 200, 0), RGB(200, 0, 100), 3);
    EXPECT_EQ(mixed[1], RGB(100, 100, 50));
    EXPECT_EQ(mixed[2], RGB(200, 0, 100));
    // One pixel long: the mid colour.
    EXPECT_EQ(ComputeGradientRamp(RGB(0, 0, 0), RGB(255, 100, 1), 1).front(), RGB(127, 50, 0));
}

TEST(SkinUtils, GradientFillUsesTheCacheAndTheClip)
{
    ClearGradientCache();
    TBitmap bitmap(20, 4);
    const int before = GradientRampsComputed();
    GradientFillRect(bitmap.Canvas(), TRect{0, 0, 20, 4}, RGB(0, 0, 0), RGB(190, 190, 190), false);
    GradientFillRect(bitmap.Canvas(), TRect{0, 0, 20, 4}, RGB(0, 0, 0), RGB(190, 190, 190), false);
    EXPECT_EQ(GradientRampsComputed(), before + 1);
    EXPECT_EQ(bitmap.Pixel(0, 2), RGB(0, 0, 0));
    EXPECT_EQ(bitmap.Pixel(19, 2), RGB(190, 190, 190));
    EXPECT_EQ(bitmap.Pixel(10, 0), RGB(100, 100, 100));

    TBitmap one(1, 3);
    GradientFillRect(one.Canvas(), TRect{0, 0, 1, 3}, RGB(0, 0, 0), RGB(200, 200, 200), false);
    EXPECT_EQ(one.Pixel(0, 1), RGB(100, 100, 100));

    TBitmap clipped(10, 1);
    FillRectEx(clipped.Canvas(), TRect{0, 0, 10, 1}, clRed);
    clipped.Canvas().SetClipRect(TRect{0, 0, 5, 1});
    GradientFillRect(clipped.Canvas(), TRect{0, 0, 10, 1}, RGB(0, 0, 0), RGB(9, 9, 9), false);
    EXPECT_EQ(clipped.Pixel(4, 0), RGB(4, 4, 4));
    EXPECT_EQ(clipped.Pixel(5, 0), ColorToRGB(clRed));
}

TEST(SkinUtils, NoneDrawsNothingAndFramesShrink)
{
    TBitmap bitmap(10, 10);
    FillRectEx(bitmap.Canvas(), TRect{0, 0, 10, 10}, clWhite);
    EXPECT_FALSE(FillRectEx(bitmap.Canvas(), TRect{0, 0, 10, 10}, clNone));
    TRect r{0, 0, 10, 10};
    FrameRectEx(bitmap.Canvas(), r, clNone, true);
    EXPECT_EQ(r, (TRect{1, 1, 9, 9}));
    FrameRectEx(bitmap.Canvas(), r, clBlack, false);
    EXPECT_EQ(bitmap.Pixel(0, 0), ColorToRGB(clWhite));
    EXPECT_EQ(bitmap.Pixel(1, 1), ColorToRGB(clBlack));
    EXPECT_EQ(bitmap.Pixel(8, 8), ColorToRGB(clBlack));
    EXPECT_EQ(bitmap.Pixel(2, 2), ColorToRGB(clWhite));
}

TEST(SkinUtils, RaisedEdgeAndDither)
{
    TBitmap bitmap(10, 10);
    FillRectEx(bitmap.Canvas(), TRect{0, 0, 10, 10}, RGB(212, 208, 200));
    TRect r{0, 0, 10, 10};
    Frame3DEx(bitmap.Canvas(), r, clWhite, true, RGB(128, 128, 128));
    EXPECT_EQ(bitmap.Pixel(0, 0), ColorToRGB(clWhite));
    EXPECT_EQ(bitmap.Pixel(0, 8), ColorToRGB(clWhite));
    EXPECT_EQ(bitmap.Pixel(0, 9), RGB(128, 128, 128));
    EXPECT_EQ(bitmap.Pixel(9, 0), RGB(128, 128, 128));
    EXPECT_EQ(bitmap.Pixel(0 + 5, 9), RGB(128, 128, 128));
    EXPECT_EQ(bitmap.Pixel(5, 5), RGB(212, 208, 200));
    EXPECT_EQ(r, (TRect{1, 1, 9, 9}));

    DitherFillRect(bitmap.Canvas(), TRect{2, 2, 6, 6}, RGB(212, 208, 200), clWhite);
    EXPECT_NE(bitmap.Pixel(2, 2), bitmap.Pixel(3, 2));
    EXPECT_EQ(bitmap.Pixel(2, 2), bitmap.Pixel(3, 3));
}

TEST(SkinUtils, MonoPatternIsCentred)
{
    TBitmap bitmap(10, 10);
    FillRectEx(bitmap.Canvas(), TRect{0, 0, 10, 10}, clWhite);
    const std::uint16_t pattern[8] = {0x80, 0x40, 0, 0, 0, 0, 0, 0};
    DrawMonoPatternCentered(bitmap.Canvas(), TRect{0, 0, 10, 10}, 2, clBlack, pattern, 2);
    // (0 + 10 - 2 + 1) / 2 = 4
    EXPECT_EQ(bitmap.Pixel(4, 4), ColorToRGB(clBlack));
    EXPECT_EQ(bitmap.Pixel(5, 5), ColorToRGB(clBlack));
    EXPECT_EQ(bitmap.Pixel(5, 4), ColorToRGB(clWhite));
}

TEST(SkinUtils, ShadowStripsRoundAPopupUnderAWiderItem)
{
    const TRect item{100, 100, 200, 120};
    const TRect popup{100, 120, 160, 220};
    const TShadowStrips s = ComputeShadowStrips(popup, item, 4, false);
    ASSERT_TRUE(s[2] && s[3] && s[0] && s[5]);
    EXPECT_FALSE(s[1]); // the popup starts where the item starts
    EXPECT_EQ(s[3]->Bounds, (TRect{104, 220, 164, 224}));
    EXPECT_EQ(s[0]->Bounds, (TRect{200, 104, 204, 120}));
    // A short shadow under the item, right of the popup.
    EXPECT_EQ(s[5]->Bounds, (TRect{160, 120, 204, 124}));
    EXPECT_EQ(s[5]->Corners, SHADOW_CORNER_FIRST | SHADOW_CORNER_SECOND);
    EXPECT_EQ(s[2]->Bounds, (TRect{160, 121, 164, 220}));
    EXPECT_EQ(s[2]->Corners, 0);

    const TShadowStrips alone = ComputeShadowStrips(popup, TRect{}, 4, true);
    ASSERT_TRUE(alone[0] && alone[1]);
    EXPECT_EQ(alone[0]->Bounds, (TRect{160, 122, 162, 220}));
    EXPECT_EQ(alone[1]->Bounds, (TRect{102, 220, 162, 222}));

    EXPECT_FALSE(ComputeShadowStrips(TRect{0, 0, 50, 50}, TRect{10, 10, 40, 40}, 4, false)[0]);
}

TEST(SkinUtils, ShadowAlphaFadesAwayFromThePopup)
{
    const TShadowStrip horz{TRect{0, 0, 12, 4}, false, SHADOW_CORNER_FIRST | SHADOW_CORNER_SECOND};
    const std::vector<std::uint8_t> a = ShadowAlphaImage(horz);
    ASSERT_EQ(a.size(), 48u);
    // Middle: by rows.
    EXPECT_EQ(a[6], 255);
    EXPECT_EQ(a[12 + 6], 255 - 64);
    EXPECT_EQ(a[3 * 12 + 6], 255 - 192);
    // Left corner: (3, 0) is next to the popup, (0, 3) far from it.
    EXPECT_EQ(a[3], 255);
    EXPECT_EQ(a[3 * 12 + 0], 0);
    // Right corner mirrors the left.
    EXPECT_EQ(a[8], 255);
    EXPECT_EQ(a[3 * 12 + 11], 0);
    const TShadowStrip vert{TRect{0, 0, 4, 10}, true, SHADOW_CORNER_FIRST};
    const std::vector<std::uint8_t> v = ShadowAlphaImage(vert);
    EXPECT_EQ(v[3 * 4 + 0], 255); // bottom of the top corner, by the popup
    EXPECT_EQ(v[0 * 4 + 3], 0);
    EXPECT_EQ(v[9 * 4 + 1], 255 - 64);
}

// The recoloured glyphs change only the glyph's own pixels, read back from
// what the canvas shows under them.
TEST(SkinUtils, GlyphsAreRecolouredOverTheCanvas)
{
    TBarImageList images(nullptr, 4, 4);
    images.Add(RGB(200, 40, 100));
    images.Add(RGB(212, 208, 200)); // the same as the background: no pixel changes
    images.Add(RGB(255, 255, 255));
    images.Add(RGB(10, 10, 10));
    const TColor face = RGB(212, 208, 200);
    TBitmap bitmap(10, 10);
    auto clear = [&] { FillRectEx(bitmap.Canvas(), TRect{0, 0, 10, 10}, face); };

    clear();
    ASSERT_TRUE(DrawGlyphBlended(bitmap.Canvas(), images, 0, 2, 3, 178, RGB(255, 255, 255)));
    // (178 * 200 + 77 * 255) / 256 = 215, (178 * 40 + 77 * 255) / 256 = 104, (178 * 100 + 77 * 255) / 256 = 146.
    EXPECT_EQ(bitmap.Pixel(2, 3), RGB(215, 104, 146));
    EXPECT_EQ(bitmap.Pixel(5, 6), RGB(215, 104, 146));
    EXPECT_EQ(bitmap.Pixel(1, 3), face);
    EXPECT_EQ(bitmap.Pixel(6, 3), face);

    clear();
    ASSERT_TRUE(DrawGlyphShaded(bitmap.Canvas(), images, 0, 0, 0, 0));
    // l = 170 + ((29 * 200 + 150 * 40 + 76 * 100) / 256) / 3 = 170 + 75 / 3 = 195: the face darkened.
    EXPECT_EQ(bitmap.Pixel(1, 1), RGB(212 * 195 / 256, 208 * 195 / 256, 200 * 195 / 256));
    clear();
    ASSERT_TRUE(DrawGlyphShaded(bitmap.Canvas(), images, 1, 0, 0, 0));
    EXPECT_EQ(bitmap.Pixel(1, 1), face);

    clear();
    ASSERT_TRUE(DrawGlyphHighContrast(bitmap.Canvas(), images, 2, 0, 0, true));
    EXPECT_EQ(bitmap.Pixel(0, 0), RGB(32, 32, 32));    // near white turns black, then lightened
    ASSERT_TRUE(DrawGlyphHighContrast(bitmap.Canvas(), images, 3, 4, 4, true));
    EXPECT_EQ(bitmap.Pixel(4, 4), RGB(255, 255, 255)); // dark turns white
    ASSERT_TRUE(DrawGlyphHighContrast(bitmap.Canvas(), images, 0, 4, 4, false));
    EXPECT_EQ(bitmap.Pixel(4, 4), RGB(200, 40, 100));  // on a light background as it is

    // Drawn through a moved origin, the glyph lands where the canvas says.
    clear();
    bitmap.Canvas().SaveDC();
    bitmap.Canvas().SetWindowOrg(-3, -3);
    ASSERT_TRUE(DrawGlyphBlended(bitmap.Canvas(), images, 0, 0, 0, 178, RGB(255, 255, 255)));
    bitmap.Canvas().RestoreDC(-1);
    EXPECT_EQ(bitmap.Pixel(2, 2), face);
    EXPECT_EQ(bitmap.Pixel(3, 3), RGB(215, 104, 146));
}
