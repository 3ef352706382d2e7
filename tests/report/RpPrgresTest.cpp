// The progress window: what it shows, and its Cancel button in a run that
// goes straight to the printer.
#include "report/RpPrgres.h"
#include "report/RpStdPrev.h"

#include "platform/core/SysUtils.h"
#include "report/BandReport.h"
#include "report/RpCtrls.h"
#include "tests/FakePrinters.h"
#include "tests/PdfTools.h"

#include <gtest/gtest.h>

TEST(RpPrgres, ShowsEveryFifthPerCent)
{
    TRpProgressForm form(nullptr, nullptr);
    SendMessage(&form, WM_RPPROGRESS, 37, 0);
    EXPECT_EQ(form.Gauge->Position(), 0);
    EXPECT_EQ(form.Info->Caption(), "");
    SendMessage(&form, WM_RPPROGRESS, 40, 0);
    EXPECT_EQ(form.Gauge->Position(), 40);
    EXPECT_EQ(form.Info->Caption(), "40%  Completed");
    EXPECT_EQ(form.Caption(), "Printing progress");
    EXPECT_EQ(form.CancelButton->Caption(), "Cancel");
}

TEST(RpPrgres, CancelStopsAStraightPrintWithThePagesMadeSoFar)
{
    const std::string pdf = UniqueTempPath("rpprgres-cancel.pdf");
    TScopedFakePrinters fake(pdf);
    RegisterReportWindows();
    TComponent owner;
    auto *report = new TBandReport(&owner);
    report->SetUnits(TRpUnit::MM);
    report->Page().SetPaperSize(TRpPaperSize::A4);
    report->SetShowProgress(false);  // made all the same, only not shown
    auto *detail = new TRpBand(&owner, rbDetail);
    detail->SetParent(report);
    detail->Size().SetHeight(250);  // one record a page
    auto *number = new TRpSysData(&owner);
    number->SetParent(detail);
    number->SetData(rpsDetailNo);
    int delivered = 0;
    TRpProgressForm *progress = nullptr;
    report->OnNeedData = [&](TObject *, bool &more) {
        if (delivered == 5) {
            progress = dynamic_cast<TRpProgressForm *>(report->ReportPrinter()->ProgressWindow());
            ASSERT_NE(progress, nullptr);
            EXPECT_FALSE(progress->Visible());
            progress->CancelButton->Click();
        }
        more = delivered < 20;
        if (more)
            ++delivered;
    };
    report->Print();
    RegisterProgressWindowClass(nullptr);
    RegisterPreviewInterface(nullptr);
    EXPECT_NE(progress, nullptr);
    EXPECT_LT(delivered, 20);
    const int pages = PdfPageCount(pdf);
    EXPECT_GE(pages, 4);
    EXPECT_LT(pages, 20);
    DeleteFile(pdf);
}
