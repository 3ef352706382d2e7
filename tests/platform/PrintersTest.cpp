#include "platform/graphics/Printers.h"

#include "platform/graphics/Graphics.h"

#include "platform/services/DesktopServices.h"
#include "platform/core/SysUtils.h"
#include "tests/FakePrinters.h"
#include "tests/PdfTools.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

std::string TempPdf(const std::string &name)
{
    return UniqueTempPath("printers-" + name + ".pdf");
}

class TScriptedSaveDialog : public TDesktopServices {
public:
    std::optional<std::string> Answer;
    int Asked = 0;
    std::optional<TFileDialogAnswer> FileDialog(const TFileDialogRequest &) override
    {
        ++Asked;
        if (!Answer)
            return std::nullopt;
        return TFileDialogAnswer{*Answer, 1};
    }
};

} // namespace

TEST(Printers, ListsTheQueuesThenThePdfPrinter)
{
    TScopedFakePrinters fake;
    TPrinter printer;
    EXPECT_EQ(printer.Printers(), (std::vector<std::string>{"Office", "Plain", "PDF"}));
    EXPECT_EQ(printer.PrinterIndex(), 0);
    printer.SetPrinterIndex(2);
    EXPECT_EQ(printer.PrinterName(), "PDF");
    printer.SetPrinterIndex(-1);
    EXPECT_EQ(printer.PrinterName(), "Office");
    EXPECT_THROW(printer.SetPrinterIndex(3), EPrinter);
    EXPECT_THROW(printer.SetPrinterIndex(-2), EPrinter);
    EXPECT_EQ(printer.PrinterIndex(), 0);
}

TEST(Printers, DeviceCapabilitiesArePortraitPixels)
{
    TScopedFakePrinters fake;
    TPrinter printer;
    EXPECT_EQ(printer.GetDeviceCaps(LOGPIXELSX), 600);
    EXPECT_EQ(printer.GetDeviceCaps(LOGPIXELSY), 600);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALWIDTH), 4961);   // 210 mm
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALHEIGHT), 7016);  // 297 mm
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETX), 99);   // 4.2 mm
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETY), 118);  // 5.0 mm

    TDeviceMode mode = printer.DeviceMode();
    mode.dmOrientation = DMORIENT_LANDSCAPE;
    mode.dmPaperWidth = 2159;
    mode.dmPaperLength = 2794;
    printer.SetDeviceMode(mode);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALWIDTH), 5100);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALHEIGHT), 6600);
}

TEST(Printers, DeviceModeHoldsOnlyWhatTheQueueHonours)
{
    TScopedFakePrinters fake;
    TPrinter printer;
    TDeviceMode office = printer.DeviceMode();
    EXPECT_EQ(office.dmFields & (DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DUPLEX | DM_COLLATE),
              DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DUPLEX | DM_COLLATE);
    EXPECT_EQ(office.dmFields & DM_DEFAULTSOURCE, 0u);  // bins are not chosen by number
    EXPECT_EQ(office.dmPaperSize, 9);
    EXPECT_EQ(office.dmPaperWidth, 2100);
    EXPECT_EQ(office.dmPaperLength, 2970);
    EXPECT_EQ(printer.PaperCodes(), (std::vector<int>{9, 1, DMPAPER_USER}));

    printer.SetPrinterIndex(1);
    TDeviceMode plain = printer.DeviceMode();
    EXPECT_EQ(plain.dmFields & DM_DUPLEX, 0u);
    plain.dmFields |= DM_DUPLEX | DM_DEFAULTSOURCE;
    plain.dmCopies = 3;
    printer.SetDeviceMode(plain);
    EXPECT_EQ(printer.DeviceMode().dmFields & (DM_DUPLEX | DM_DEFAULTSOURCE), 0u);
    EXPECT_EQ(printer.DeviceMode().dmCopies, 3);
    EXPECT_EQ(printer.PaperCodes(), (std::vector<int>{9}));

    // Each printer keeps its own changes; a reset brings back the defaults.
    printer.SetPrinterIndex(0);
    EXPECT_EQ(printer.DeviceMode().dmCopies, 1);
    printer.SetPrinterIndex(1);
    printer.ResetDeviceMode();
    EXPECT_EQ(printer.DeviceMode().dmCopies, 1);
}

TEST(Printers, PaperCodesFollowOurOwnTable)
{
    TPaperCodeSize size;
    ASSERT_TRUE(PaperCodeSize(12, size));
    EXPECT_DOUBLE_EQ(static_cast<double>(size.Width), 250);
    EXPECT_DOUBLE_EQ(static_cast<double>(size.Length), 354);
    EXPECT_FALSE(PaperCodeSize(0, size));
    EXPECT_FALSE(PaperCodeSize(DMPAPER_USER, size));
    EXPECT_EQ(PaperCodeOfSize(250, 354), 12);
    EXPECT_EQ(PaperCodeOfSize(250, 353), 33);  // ISO B4 is first the B4 envelope
    EXPECT_EQ(PaperCodeOfSize(257, 364), 0);   // JIS B4 has no code of its own
    EXPECT_EQ(PaperCodeOfSize(215.9L, 279.4L), 1);
    EXPECT_EQ(PaperCodeOfSize(297, 210), 55);

    TScopedFakePrinters fake;
    TPrinter printer;
    printer.SetPrinterIndex(2);
    std::vector<int> pdf = printer.PaperCodes();
    auto lists = [&](int code) { return std::find(pdf.begin(), pdf.end(), code) != pdf.end(); };
    EXPECT_TRUE(lists(1) && lists(9) && lists(12) && lists(33) && lists(DMPAPER_USER));
    EXPECT_FALSE(lists(2) || lists(10) || lists(42));  // the same sheets as Letter, A4, EnvB4
    EXPECT_EQ(printer.DeviceMode().dmPaperSize, 9);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETX), 0);
}

TEST(Printers, PdfPrinterWritesOnePdfPagePerPage)
{
    TScopedFakePrinters fake;
    TPrinter printer;
    printer.SetPrinterIndex(2);
    std::string pdf = TempPdf("three");
    printer.SetFileName(pdf);
    printer.SetTitle("予定表");
    printer.BeginDoc();
    EXPECT_TRUE(printer.Printing());
    EXPECT_THROW(printer.BeginDoc(), EPrinter);
    printer.NewPage();
    printer.NewPage();
    EXPECT_EQ(printer.PageNumber(), 3);
    printer.EndDoc();
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(PdfPageCount(pdf), 3);
    EXPECT_EQ(PdfInfoField(pdf, "Title"), "予定表");
    EXPECT_EQ(PdfInfoField(pdf, "Page size").substr(0, 13), "595 x 842 pts");
    EXPECT_THROW(printer.EndDoc(), EPrinter);

    TDeviceMode mode = printer.DeviceMode();
    mode.dmOrientation = DMORIENT_LANDSCAPE;
    printer.SetDeviceMode(mode);
    printer.BeginDoc();
    printer.EndDoc();
    EXPECT_EQ(PdfPageCount(pdf), 1);
    EXPECT_EQ(PdfInfoField(pdf, "Page size").substr(0, 13), "842 x 595 pts");
    DeleteFile(pdf);
}

TEST(Printers, AbortThrowsThePagesAway)
{
    std::string pdf = TempPdf("office");
    TScopedFakePrinters fake(pdf);
    TPrinter printer;
    printer.BeginDoc();
    printer.NewPage();
    printer.Abort();
    EXPECT_FALSE(printer.Printing());
    EXPECT_TRUE(printer.Aborted());
    EXPECT_FALSE(FileExists(pdf));
}

TEST(Printers, PdfPrinterAsksForTheFileWhenNoneIsGiven)
{
    TScopedFakePrinters fake;
    auto services = std::make_unique<TScriptedSaveDialog>();
    TScriptedSaveDialog *dialog = services.get();
    TScopedServices scoped(std::move(services));
    TPrinter printer;
    printer.SetPrinterIndex(2);
    EXPECT_THROW(printer.BeginDoc(), EAbort);  // a cancel, not a failure
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(dialog->Asked, 1);

    std::string pdf = TempPdf("asked");
    dialog->Answer = pdf;
    printer.BeginDoc();
    printer.EndDoc();
    EXPECT_EQ(PdfPageCount(pdf), 1);
    DeleteFile(pdf);
}

TEST(Printers, CanvasOriginIsThePrintableCorner)
{
    std::string pdf = TempPdf("canvas");
    TScopedFakePrinters fake(pdf);
    TPrinter printer;
    EXPECT_THROW(printer.Canvas(), EPrinter);
    printer.BeginDoc();
    TCanvas &canvas = printer.Canvas();
    EXPECT_EQ(canvas.PixelsPerInch(), 600);
    canvas.Brush().SetColor(clBlack);
    canvas.FillRect(Rect(0, 0, 600, 600));
    canvas.Font().SetName("ＭＳ ゴシック");
    canvas.Font().SetSize(28);
    canvas.Font().SetColor(clBlack);
    canvas.Brush().SetStyle(bsClear);
    canvas.TextOut(600, 1200, "予定表");
    printer.EndDoc();

    std::string png = RenderPdfPage(pdf, 1, 60);
    QImage page(QString::fromStdString(png));
    DeleteFile(png);
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(page.width(), 496);  // 210 mm at 60 dpi
    auto dark = [&](int x, int y) { return qGray(page.pixel(x, y)) < 128; };
    // The offsets are 99 and 118 pixels at 600 dpi: about 10 and 12 at 60 dpi.
    EXPECT_FALSE(dark(8, 30));
    EXPECT_FALSE(dark(30, 10));
    EXPECT_TRUE(dark(12, 14));
    EXPECT_TRUE(dark(68, 70));
    EXPECT_FALSE(dark(72, 74));
    int inkInText = 0;
    for (int y = 130; y < 170; ++y)
        for (int x = 65; x < 200; ++x)
            inkInText += dark(x, y);
    EXPECT_GT(inkInText, 50);
    DeleteFile(pdf);
}
