#include "report/RpPrnSettings.h"

#include "platform/core/SysUtils.h"
#include "tests/FakePrinters.h"

#include <gtest/gtest.h>

namespace {

// Settings bound to the fake printing system's printer `index`.
struct TBoundSettings {
    TScopedFakePrinters fake;
    TPrinter printer;
    TPrinterSettings settings;
    explicit TBoundSettings(int index = 0)
    {
        printer.SetPrinterIndex(index);
        settings.SetPrinter(&printer);
    }
};

} // namespace

TEST(RpPrnSettings, PaperTableAndBinCodes)
{
    EXPECT_EQ(PaperSizeCode(TRpPaperSize::Default), 0);
    EXPECT_EQ(PaperSizeCode(TRpPaperSize::A3ExtraTrans), 68);
    EXPECT_EQ(PaperSizeCode(TRpPaperSize::Custom), 256);
    EXPECT_STREQ(PaperSizeName(TRpPaperSize::B4), "B4");
    EXPECT_DOUBLE_EQ(static_cast<double>(PaperSizeWidthMm(TRpPaperSize::EnvMonarch)), 98.43);
    EXPECT_DOUBLE_EQ(static_cast<double>(PaperSizeLengthMm(TRpPaperSize::ESheet)), 1117.6);
    EXPECT_EQ(PaperSizeWidthMm(TRpPaperSize::Custom), 0);
    EXPECT_EQ(BinCode(TRpBin::First), 1);
    EXPECT_EQ(BinCode(TRpBin::Auto), 7);
    EXPECT_EQ(BinCode(TRpBin::Cassette), 14);
    EXPECT_EQ(BinCode(TRpBin::Last), 14);

    TRpPrinterSettings report;
    EXPECT_EQ(report.PaperSize, TRpPaperSize::Letter);
    EXPECT_EQ(report.PrinterIndex, -1);
    EXPECT_EQ(report.OutputBin, TRpBin::Auto);
    EXPECT_EQ(report.MemoryLimit, 250000);
    EXPECT_EQ(TBandReportPrinterSettings().PrintQuality, 600);
}

TEST(RpPrnSettings, PaperDimensionsInTenthsOfMm)
{
    TBoundSettings bound;
    TPrinterSettings &s = bound.settings;
    ASSERT_TRUE(s.SetPaperSize(TRpPaperSize::Letter));
    EXPECT_EQ(s.PaperWidth(), 2159);
    EXPECT_EQ(s.PaperLength(), 2794);
    ASSERT_TRUE(s.SetPaperSize(TRpPaperSize::Custom));
    s.SetPaperWidth(1000);
    s.SetPaperLength(1500);
    EXPECT_EQ(s.PaperWidth(), 1000);
    EXPECT_EQ(s.PaperLength(), 1500);

    // B4 (code 12) is 250 x 354 mm, whatever a toolkit calls code 12.
    TPrinterSettings unbound;
    EXPECT_TRUE(unbound.SetPaperSize(TRpPaperSize::Default));
    EXPECT_FALSE(unbound.SetPaperSize(TRpPaperSize::B4));
    EXPECT_EQ(unbound.PaperSize(), TRpPaperSize::Default);
    EXPECT_EQ(TRpPaperSize::B4, static_cast<TRpPaperSize>(12));
    EXPECT_EQ(RoundInt(PaperSizeWidthMm(TRpPaperSize::B4) * 10), 2500);
    EXPECT_EQ(RoundInt(PaperSizeLengthMm(TRpPaperSize::B4) * 10), 3540);
}

TEST(RpPrnSettings, FetchReadsTheDriverSettings)
{
    TBoundSettings bound;
    const TPrinterSettings &s = bound.settings;
    EXPECT_EQ(s.DeviceName(), "Office");
    EXPECT_EQ(s.DriverName(), "office-driver");
    EXPECT_EQ(s.PixelsPerX(), 600);
    EXPECT_EQ(s.PixelsPerY(), 600);
    EXPECT_EQ(s.LeftOffset(), 42);
    EXPECT_EQ(s.TopOffset(), 50);
    EXPECT_EQ(s.PaperSize(), TRpPaperSize::A4);
    EXPECT_EQ(s.PaperWidth(), 2100);
    EXPECT_EQ(s.PaperLength(), 2970);
    EXPECT_EQ(s.Copies(), 1);
    EXPECT_FALSE(s.Duplex());
    EXPECT_EQ(s.ExtendedDuplex, DMDUP_SIMPLEX);
    EXPECT_EQ(s.OutputBin(), TRpBin::First);
    EXPECT_TRUE(s.PapersKnown());
    EXPECT_TRUE(s.PaperSupported(TRpPaperSize::A4));
    EXPECT_TRUE(s.PaperSupported(TRpPaperSize::Letter));
    EXPECT_TRUE(s.PaperSupported(TRpPaperSize::Custom));
    EXPECT_FALSE(s.PaperSupported(TRpPaperSize::A3));
    EXPECT_FALSE(s.PaperSupported(TRpPaperSize::A4Small));
}

TEST(RpPrnSettings, SettersTakeOnlyWhatThePrinterHonours)
{
    TBoundSettings office(0);
    TPrinterSettings &s = office.settings;
    EXPECT_FALSE(s.SetPaperSize(TRpPaperSize::A3));
    EXPECT_EQ(s.PaperSize(), TRpPaperSize::A4);
    EXPECT_TRUE(s.SetPaperSize(TRpPaperSize::Default));
    EXPECT_TRUE(s.SetPaperSize(TRpPaperSize::Letter));
    EXPECT_TRUE(s.SetDuplex(true));
    EXPECT_TRUE(s.SetCopies(3));
    EXPECT_TRUE(s.SetOrientation(poLandscape));
    EXPECT_FALSE(s.SetOutputBin(TRpBin::Cassette));  // bins are not chosen by number
    EXPECT_EQ(s.OutputBin(), TRpBin::First);

    TBoundSettings plain(1);
    EXPECT_FALSE(plain.settings.SetDuplex(true));
    EXPECT_FALSE(plain.settings.Duplex());
    EXPECT_FALSE(plain.settings.SetPaperSize(TRpPaperSize::Custom));
}

TEST(RpPrnSettings, ApplyWritesTheDeviceModeAndFetchReadsItBack)
{
    TBoundSettings bound;
    TPrinterSettings &s = bound.settings;
    ASSERT_TRUE(s.SetOrientation(poLandscape));
    ASSERT_TRUE(s.SetCopies(3));
    ASSERT_TRUE(s.SetPaperSize(TRpPaperSize::Letter));
    s.ApplyToPrinter();
    TDeviceMode mode = bound.printer.DeviceMode();
    EXPECT_EQ(mode.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(mode.dmCopies, 3);
    EXPECT_EQ(mode.dmPaperSize, 1);
    EXPECT_EQ(mode.dmPaperWidth, 2159);
    EXPECT_EQ(mode.dmPaperLength, 2794);

    struct DuplexCase { int extended; bool duplex; short expected; };
    for (DuplexCase c : {DuplexCase{0, true, DMDUP_HORIZONTAL}, DuplexCase{0, false, DMDUP_SIMPLEX},
                         DuplexCase{2, false, DMDUP_VERTICAL}, DuplexCase{2, true, DMDUP_VERTICAL}}) {
        s.ExtendedDuplex = c.extended;
        ASSERT_TRUE(s.SetDuplex(c.duplex));
        s.ApplyToPrinter();
        EXPECT_EQ(bound.printer.DeviceMode().dmDuplex, c.expected) << c.extended << " " << c.duplex;
    }

    s.ExtendedDuplex = 0;
    s.SetDuplex(true);
    s.ApplyToPrinter();
    TPrinterSettings fresh;
    fresh.SetPrinter(&bound.printer);
    EXPECT_EQ(fresh.Copies(), 3);
    EXPECT_TRUE(fresh.Duplex());
    EXPECT_EQ(fresh.ExtendedDuplex, DMDUP_HORIZONTAL);
    EXPECT_EQ(fresh.PaperSize(), TRpPaperSize::Letter);
    EXPECT_EQ(fresh.PaperWidth(), 2159);

    // The printer can be told to forget and load its defaults.
    fresh.ResetDeviceMode();
    fresh.FetchFromPrinter();
    EXPECT_EQ(fresh.Copies(), 1);
    EXPECT_EQ(fresh.PaperSize(), TRpPaperSize::A4);
}

TEST(RpPrnSettings, HandlersSeeAndMayCancelTheDeviceMode)
{
    TBoundSettings bound;
    TPrinterSettings &s = bound.settings;
    s.OnGetPrinterSettings = [](TObject *, bool &, TDeviceMode *mode) {
        mode->dmFields |= DM_DEFAULTSOURCE;
        mode->dmDefaultSource = 14;
        mode->dmPaperSize = 300;  // a driver's own code
    };
    s.FetchFromPrinter();
    EXPECT_EQ(s.OutputBin(), TRpBin::Cassette);
    EXPECT_EQ(s.PaperSize(), TRpPaperSize::Default);

    s.OnGetPrinterSettings = [](TObject *, bool &cancel, TDeviceMode *) { cancel = true; };
    ASSERT_TRUE(s.SetCopies(2));
    s.FetchFromPrinter();
    EXPECT_EQ(s.Copies(), 2);

    s.OnApplyPrinterSettings = [](TObject *sender, bool &cancel, TDeviceMode *mode) {
        EXPECT_NE(sender, nullptr);
        EXPECT_EQ(mode->dmCopies, 2);
        cancel = true;
    };
    s.ApplyToPrinter();
    EXPECT_EQ(bound.printer.DeviceMode().dmCopies, 1);
}
