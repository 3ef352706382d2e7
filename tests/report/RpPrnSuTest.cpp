// The print-setup dialog through the services, and the report's print setup
// that carries the choice into its settings and page.
#include "report/RpPrnSu.h"

#include "report/BandReport.h"
#include "report/RpPrntr.h"
#include "tests/FakePrinters.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class TPrintDialogServices : public testing_support::FakeServices {
public:
    std::vector<TPrintDialogRequest> Seen;
    std::function<bool(TPrintDialogRequest &)> Answer = [](TPrintDialogRequest &) { return false; };
    bool PrintDialog(TPrintDialogRequest &request) override
    {
        Seen.push_back(request);
        return Answer(request);
    }
};

} // namespace

TEST(RpPrnSu, ThePrinterSetupCarriesTheChoiceIntoTheReport)
{
    TScopedFakePrinters fake;
    auto services = std::make_unique<TPrintDialogServices>();
    TPrintDialogServices &dialog = *services;
    TScopedServices scoped(std::move(services));
    TComponent owner;
    auto *report = new TBandReport(&owner);
    report->Page().SetPaperSize(TRpPaperSize::A4);
    report->PrinterSettings().PrinterIndex = 0;

    dialog.Answer = [](TPrintDialogRequest &r) {
        r.copies = 3;
        r.range = TPrintDialogRequest::PageNumbers;
        r.fromPage = 2;
        r.toPage = 3;
        r.orientation = DMORIENT_LANDSCAPE;
        r.duplex = DMDUP_VERTICAL;
        return true;
    };
    report->PrinterSetup();
    ASSERT_EQ(dialog.Seen.size(), 1u);
    EXPECT_EQ(dialog.Seen[0].options, 10u);
    EXPECT_EQ(dialog.Seen[0].minPage, 0);  // no pages made yet
    EXPECT_EQ(dialog.Seen[0].maxPage, 9999);
    EXPECT_EQ(dialog.Seen[0].printers.at(0), "Office");
    EXPECT_EQ(report->Tag(), 0);
    EXPECT_EQ(report->PrinterSettings().Copies, 3);
    EXPECT_EQ(report->PrinterSettings().FirstPage, 2);
    EXPECT_EQ(report->PrinterSettings().LastPage, 3);
    EXPECT_EQ(report->PrinterSettings().Orientation, poLandscape);
    EXPECT_EQ(report->Page().Orientation(), poLandscape);
    EXPECT_TRUE(report->SetupSettings().Duplex);  // the office printer prints both sides

    // Cancel changes nothing and says so in Tag.
    dialog.Answer = [](TPrintDialogRequest &r) {
        r.copies = 9;
        return false;
    };
    report->PrinterSetup();
    EXPECT_EQ(report->Tag(), 1);
    EXPECT_EQ(report->PrinterSettings().Copies, 3);

    // With finished pages the range offered is theirs; all pages clears the range.
    auto *detail = new TRpBand(&owner, rbDetail);
    detail->SetParent(report);
    int records = 0;
    report->OnNeedData = [&](TObject *, bool &more) { more = records++ < 1; };
    report->Prepare();
    ASSERT_NE(report->ReportPrinter(), nullptr);
    dialog.Answer = [](TPrintDialogRequest &r) {
        r.range = TPrintDialogRequest::All;
        return true;
    };
    report->ReportPrinter()->OnPrintSetup(report->ReportPrinter());
    EXPECT_EQ(dialog.Seen.back().minPage, 1);
    EXPECT_EQ(dialog.Seen.back().maxPage, 1);
    EXPECT_EQ(dialog.Seen.back().copies, 3);
    EXPECT_EQ(dialog.Seen.back().orientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(report->PrinterSettings().FirstPage, 0);
    EXPECT_EQ(report->PrinterSettings().LastPage, 0);
}

TEST(RpPrnSu, PrintingToAFileChoosesThePdfPrinterAndItsFile)
{
    TScopedFakePrinters fake;
    auto services = std::make_unique<TPrintDialogServices>();
    services->Answer = [](TPrintDialogRequest &r) {
        r.printerIndex = 2;
        r.printToFile = true;
        r.outputFile = "/tmp/plan.pdf";
        r.copies = 1;
        r.paperCode = 9;  // A4
        return true;
    };
    TScopedServices scoped(std::move(services));
    TPrinter printer;
    TRpPrintDialog dialog(nullptr, &printer);
    dialog.SetCopies(2);
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(printer.PrinterName(), "PDF");
    EXPECT_EQ(printer.FileName(), "/tmp/plan.pdf");
    EXPECT_TRUE(dialog.PrintToFile);
    EXPECT_EQ(dialog.PaperSize, 9);
    EXPECT_EQ(dialog.Copies(), 1);  // a PDF file holds one copy
    EXPECT_EQ(dialog.Fields & DM_COPIES, 0u);
}
