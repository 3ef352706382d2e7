// A band report run through the report printer: into the page store and out
// to the PDF printer, and straight to the printer.
#include "report/BandReport.h"
#include "report/RpCtrls.h"
#include "report/RpPrntr.h"

#include "platform/core/SysUtils.h"
#include "tests/FakePrinters.h"
#include "tests/PdfTools.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

// A4 portrait: a framed "工程表" in a 20 mm page header, and 40 mm detail bands
// with the record number, six to a page.
struct TScheduleLikeReport {
    TScheduleLikeReport()
    {
        report = new TBandReport(&form);
        report->SetUnits(TRpUnit::MM);
        report->Page().SetPaperSize(TRpPaperSize::A4);
        report->PrinterSettings().PrinterIndex = 2;  // the PDF printer
        auto *header = new TRpBand(&form, rbPageHeader);
        header->SetParent(report);
        header->Size().SetHeight(20);
        auto *title = new TRpLabel(&form);
        title->SetParent(header);
        title->SetCaption("工程表");
        title->SetBounds(40, 10, 300, 40);
        title->Font().SetName("ＭＳ ゴシック");
        title->Font().SetSize(20);
        title->Frame().SetAllSides(true);
        auto *detail = new TRpBand(&form, rbDetail);
        detail->SetParent(report);
        detail->Size().SetHeight(40);
        auto *number = new TRpSysData(&form);
        number->SetParent(detail);
        number->SetData(rpsDetailNo);
        number->SetText("行 ");
        report->OnNeedData = [this](TObject *, bool &more) {
            more = delivered < 15;
            if (more)
                ++delivered;
        };
    }
    TComponent form;
    TBandReport *report = nullptr;
    int delivered = 0;
};

std::string TempPdf(const std::string &name)
{
    return UniqueTempPath("rpreport-" + name + ".pdf");
}

int InkIn(const QImage &image, int left, int top, int right, int bottom)
{
    int ink = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            ink += qGray(image.pixel(x, y)) < 128;
    return ink;
}

} // namespace

TEST(RpPrntrReport, PreparedPagesPrintToThePdfPrinter)
{
    TScopedFakePrinters fake;
    const std::string pdf = TempPdf("prepared");
    TScheduleLikeReport schedule;
    TRpPrinter printer;
    printer.PrinterObject().SetFileName(pdf);
    schedule.report->BuildReport(printer);
    ASSERT_EQ(printer.State(), rpsFinished);
    ASSERT_EQ(printer.PageCount(), 3);
    EXPECT_EQ(printer.PrinterObject().PrinterName(), "PDF");
    printer.Prepared = true;
    ASSERT_TRUE(printer.Print());
    EXPECT_EQ(PdfPageCount(pdf), 3);

    const std::string png = RenderPdfPage(pdf, 1, 50);
    QImage page(QString::fromStdString(png));
    ASSERT_FALSE(page.isNull());
    // The header's framed title lies in the top 25 mm (50 pixels); the page ends blank.
    EXPECT_GT(InkIn(page, 0, 0, page.width(), 50), 200);
    EXPECT_EQ(InkIn(page, 0, page.height() - 40, page.width(), page.height()), 0);
    DeleteFile(png);
    DeleteFile(pdf);
}

TEST(RpPrntrReport, StraightToThePrinterWithARange)
{
    TScopedFakePrinters fake;
    const std::string pdf = TempPdf("direct");
    TScheduleLikeReport schedule;
    schedule.report->PrinterSettings().FirstPage = 2;
    schedule.report->PrinterSettings().LastPage = 3;
    TRpPrinter printer;
    printer.PrinterObject().SetFileName(pdf);
    printer.SetDestination(rpdPrinter);
    schedule.report->BuildReport(printer);
    EXPECT_EQ(printer.PageCount(), 3);
    EXPECT_EQ(PdfPageCount(pdf), 2);
    DeleteFile(pdf);
}
