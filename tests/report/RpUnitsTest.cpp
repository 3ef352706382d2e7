// Page metrics, units and frames.
#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "report/RpUnits.h"

TEST(RpUnits, ConversionsFromTenthsOfAMillimetre)
{
    TRpBandSize size;
    const long double v = 254;
    EXPECT_DOUBLE_EQ(static_cast<double>(size.ToUnits(TRpUnit::MM, true, v)), 25.4);
    EXPECT_DOUBLE_EQ(static_cast<double>(size.ToUnits(TRpUnit::Inches, false, v)), 1.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(size.ToUnits(TRpUnit::Pixels, true, v)), 96.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(size.ToUnits(TRpUnit::Native, true, v)), 254.0);

    TFont font;
    font.SetSize(10);
    size.SetCharacterFont(&font);
    EXPECT_NEAR(static_cast<double>(size.ToUnits(TRpUnit::Characters, true, v)), 8.065, 0.001);
    EXPECT_NEAR(static_cast<double>(size.ToUnits(TRpUnit::Characters, false, v)), 254 / (145.3 / 10 / 2.54) / 10,
                1e-9);
    for (TRpUnit unit : {TRpUnit::MM, TRpUnit::Inches, TRpUnit::Pixels, TRpUnit::Characters, TRpUnit::Native})
        EXPECT_NEAR(static_cast<double>(size.FromUnits(unit, true, size.ToUnits(unit, true, v))), 254, 1e-9);

    // Reading and writing go through the current unit; values are kept in 0.1 mm.
    size.AssignUnits(TRpUnit::MM);
    size.SetHeight(12.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(size.Values()[0]), 125.0);
    size.AssignUnits(TRpUnit::Inches);
    EXPECT_NEAR(static_cast<double>(size.Height()), 125 / 254.0, 1e-12);
}

TEST(RpUnits, StoredValuesAreReadWithoutConversion)
{
    TRpPrintableSize size;
    size.AssignUnits(TRpUnit::Inches);
    int pushed = 0;
    size.OnApply = [&pushed] { ++pushed; };
    size.ReadValues({10, 20, 30, 40});
    EXPECT_EQ(size.Values(), (std::vector<long double>{10, 20, 30, 40}));
    EXPECT_EQ(pushed, 1);
    size.AssignUnits(TRpUnit::Native);
    EXPECT_EQ(size.Left(), 20);
    EXPECT_EQ(size.Width(), 40);
}

TEST(RpPage, NamedPapersOrientationAndCustomSizes)
{
    TRpPage page;
    page.AssignUnits(TRpUnit::MM);
    page.SetPaperSize(TRpPaperSize::A4);
    EXPECT_NEAR(static_cast<double>(page.Width()), 210, 1e-9);
    EXPECT_NEAR(static_cast<double>(page.Length()), 297, 1e-9);
    page.SetOrientation(poLandscape);
    EXPECT_NEAR(static_cast<double>(page.Width()), 297, 1e-9);
    EXPECT_NEAR(static_cast<double>(page.Length()), 210, 1e-9);

    // Width and length are written only for a custom paper.
    page.SetWidth(100);
    EXPECT_NEAR(static_cast<double>(page.Width()), 297, 1e-9);
    page.SetPaperSize(TRpPaperSize::Custom);
    page.SetWidth(100);
    EXPECT_NEAR(static_cast<double>(page.Width()), 100, 1e-9);

    // Default keeps the dimensions until a run takes the printer's paper.
    page.SetPaperSize(TRpPaperSize::Default);
    EXPECT_NEAR(static_cast<double>(page.Width()), 100, 1e-9);

    page.SetColumns(3);
    page.SetColumns(0);
    page.SetColumns(-2);
    EXPECT_EQ(page.Columns(), 3);

    int sizeChanges = 0;
    int marginChanges = 0;
    page.OnChange = [&](bool pageSize) { ++(pageSize ? sizeChanges : marginChanges); };
    page.SetTopMargin(5);
    page.SetBottomMargin(5);
    EXPECT_EQ(marginChanges, 1);
    EXPECT_EQ(sizeChanges, 1);
}

TEST(RpPage, InitialValuesAreTenMillimetreMarginsOnA4)
{
    if (RpUSMeasurement())
        GTEST_SKIP() << "the system measures in inches";
    TRpPage page;
    EXPECT_EQ(page.Units(), TRpUnit::MM);
    EXPECT_EQ(page.PaperSize(), TRpPaperSize::A4);
    EXPECT_NEAR(static_cast<double>(page.TopMargin()), 10, 1e-9);
    EXPECT_NEAR(static_cast<double>(page.BottomMargin()), 10, 1e-9);
    EXPECT_NEAR(static_cast<double>(page.LeftMargin()), 10, 1e-9);
    EXPECT_NEAR(static_cast<double>(page.RightMargin()), 10, 1e-9);
    EXPECT_EQ(page.Columns(), 1);
}

TEST(RpFrame, LineThicknessFollowsTheDeviceResolution)
{
    TRpFrame frame;
    EXPECT_EQ(frame.LineThickness(96.0L / 254), 1);   // 1.33 pixels
    EXPECT_EQ(frame.LineThickness(600.0L / 254), 8);  // 8.33 pixels
    frame.SetWidth(3);
    EXPECT_EQ(frame.LineThickness(96.0L / 254), 4);
    EXPECT_EQ(frame.LineThickness(600.0L / 254), 25);
    frame.SetWidth(-1);
    EXPECT_EQ(frame.LineThickness(600.0L / 254), 1);
    frame.SetWidth(0);
    EXPECT_EQ(frame.LineThickness(600.0L / 254), 0);
}

TEST(RpFrame, DrawsTheSelectedSidesInsideTheRectangle)
{
    TBitmap bitmap(60, 60);
    TRpFrame frame;
    frame.SetColor(clRed);
    frame.SetDrawTop(true);
    frame.SetDrawLeft(true);
    frame.SetWidth(2);
    const long double factor = 96.0L / 254; // 2 points = 3 pixels
    frame.DrawFrame(bitmap.Canvas(), {10, 10, 50, 50}, factor, factor);
    EXPECT_EQ(bitmap.Pixel(30, 10), clRed);
    EXPECT_EQ(bitmap.Pixel(30, 12), clRed);
    EXPECT_EQ(bitmap.Pixel(30, 13), clWhite);
    EXPECT_EQ(bitmap.Pixel(12, 30), clRed);
    EXPECT_EQ(bitmap.Pixel(13, 30), clWhite);
    EXPECT_EQ(bitmap.Pixel(49, 30), clWhite);  // no right side
    EXPECT_EQ(bitmap.Pixel(30, 49), clWhite);  // no bottom side
}
