// The report run through the report printer: prepared pages, saved files,
// the printer's messages to the report and who frees the printer.
#include <gtest/gtest.h>

#include "tests/TestSupport.h"
#include "platform/core/SysUtils.h"
#include "report/BandReport.h"
#include "report/RpCtrls.h"
#include "report/RpPrntr.h"
#include "tests/FakePrinters.h"

namespace {

// A4 portrait, page header 10 mm, detail 40 mm, page footer 30 mm with the page number.
struct TPrintedReport {
    TPrintedReport()
    {
        report = new TBandReport(&form);
        report->SetUnits(TRpUnit::MM);
        report->Page().SetPaperSize(TRpPaperSize::A4);
        for (auto [type, height] : {std::pair{rbPageHeader, 10}, {rbDetail, 40}, {rbPageFooter, 30}}) {
            auto *band = new TRpBand(&form, type);
            band->SetParent(report);
            band->Size().SetHeight(height);
            if (type == rbPageFooter) {
                auto *page = new TRpSysData(&form);
                page->SetParent(band);
                page->SetData(rpsPageNumber);
            }
        }
        report->OnNeedData = [this](TObject *, bool &more) {
            if (onRecord)
                onRecord();
            more = delivered < records;
            if (more)
                ++delivered;
        };
    }

    TComponent form;
    TBandReport *report = nullptr;
    int records = 0;
    int delivered = 0;
    std::function<void()> onRecord;
};

} // namespace

TEST(BandReportPrinter, PrepareBuildsThePagesIntoAFreshPrintersStore)
{
    TScopedFakePrinters fake;
    testing_support::TempDir dir;
    TPrintedReport r;
    r.records = 12;
    r.report->Prepare();
    TRpPrinter *printer = r.report->ReportPrinter();
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(printer->State(), rpsFinished);
    EXPECT_EQ(printer->PageCount(), 3);
    EXPECT_TRUE(printer->Prepared);
    printer->Save(dir.File("twelve.rpf"));
    EXPECT_GT(ReadFileBytes(dir.File("twelve.rpf")).size(), 128u);

    // No record: no page, and a file that is only its header.
    std::unique_ptr<TRpPrinter> taken = r.report->TakePrinter();
    EXPECT_EQ(r.report->ReportPrinter(), nullptr);
    r.records = 0;
    r.delivered = 0;
    r.report->Prepare();
    ASSERT_NE(r.report->ReportPrinter(), nullptr);
    EXPECT_EQ(r.report->ReportPrinter()->PageCount(), 0);
    r.report->ReportPrinter()->Save(dir.File("empty.rpf"));
    EXPECT_EQ(ReadFileBytes(dir.File("empty.rpf")).size(), 128u);
    EXPECT_EQ(taken->PageCount(), 3);
}

TEST(BandReportPrinter, PrepareDuringARunDoesNothing)
{
    TScopedFakePrinters fake;
    TPrintedReport r;
    r.records = 2;
    TRpPrinter *during = nullptr;
    r.onRecord = [&] {
        r.report->Prepare();
        during = r.report->ReportPrinter();
    };
    r.report->Prepare();
    EXPECT_EQ(during, r.report->ReportPrinter());
    EXPECT_EQ(r.report->ReportPrinter()->PageCount(), 1);
}

TEST(BandReportPrinter, PreviewClosedCancelsARunAndFreesAnIdlePrinter)
{
    TScopedFakePrinters fake;
    TPrintedReport r;
    r.records = 20;
    r.onRecord = [&] {
        if (r.delivered == 3)
            SendMessage(r.report, WM_RPPREVIEWCLOSED, 0, 0);
    };
    r.report->Prepare();
    ASSERT_NE(r.report->ReportPrinter(), nullptr);
    EXPECT_TRUE(r.report->Cancelled());
    // The record asked for while the message arrived is not printed.
    EXPECT_EQ(r.delivered, 4);
    // A cancelled run prints no last footer and aborts the document.
    EXPECT_EQ(r.report->ReportPrinter()->PageCount(), 1);

    SendMessage(r.report, WM_RPPREVIEWCLOSED, 0, 0);
    EXPECT_EQ(r.report->ReportPrinter(), nullptr);
}

TEST(BandReportPrinter, APrinterOutlivingItsReportForgetsIt)
{
    TScopedFakePrinters fake;
    std::unique_ptr<TRpPrinter> printer;
    {
        TPrintedReport r;
        r.records = 1;
        r.report->Prepare();
        printer = r.report->TakePrinter();
        ASSERT_NE(printer, nullptr);
        EXPECT_NE(printer->Report(), nullptr);
    }
    EXPECT_EQ(printer->Report(), nullptr);
    EXPECT_EQ(printer->PageCount(), 1);
}

// AfterPrint fires once each time the pages go to the printer, straight from
// a run or from the store; AfterPreview when a preview of the pages closes.
TEST(BandReportPrinter, AfterPrintAndAfterPreviewFollowThePrinter)
{
    testing_support::TempDir dir;
    TScopedFakePrinters fake(dir.File("office.pdf"));
    TPrintedReport r;
    int printed = 0, previewed = 0;
    r.report->AfterPrint = [&](TObject *sender) {
        EXPECT_EQ(sender, r.report);
        ++printed;
    };
    r.report->AfterPreview = [&](TObject *sender) {
        EXPECT_EQ(sender, r.report);
        ++previewed;
    };
    r.records = 2;
    r.report->Print();
    EXPECT_EQ(printed, 1);
    EXPECT_TRUE(FileExists(dir.File("office.pdf")));

    r.delivered = 0;
    r.report->Prepare();
    EXPECT_EQ(printed, 1);  // into the store: not printed yet
    TRpPrinter *printer = r.report->ReportPrinter();
    ASSERT_NE(printer, nullptr);
    EXPECT_TRUE(printer->Print());
    EXPECT_EQ(printed, 2);
    printer->SetPreviewActive(true);
    printer->SetPreviewActive(false);
    EXPECT_EQ(previewed, 1);
    EXPECT_EQ(printed, 2);
}
