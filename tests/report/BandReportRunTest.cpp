// The report around its runs: bands laid out again when a run changes the
// page, the print order of printables, the paper a new report starts on, the
// printer a new run takes over and the messages the printer sends.
#include <gtest/gtest.h>

#include "BandReportTestDevice.h"
#include "platform/kernel/Application.h"
#include "platform/kernel/Forms.h"
#include "platform/graphics/Metafile.h"
#include "report/BandReport.h"
#include "report/RpCtrls.h"
#include "report/RpPrntr.h"
#include "tests/FakePrinters.h"

using report_test::TTestDevice;

namespace {

TRpBand *AddBand(TComponent &owner, TBandReport *report, TRpBandType type, long double heightMm)
{
    auto *band = new TRpBand(&owner, type);
    band->SetParent(report);
    band->Size().SetHeight(heightMm);
    return band;
}

TRpLabel *AddLabel(TComponent &owner, TRpControl *band, const std::string &caption)
{
    auto *label = new TRpLabel(&owner);
    label->SetParent(band);
    label->SetCaption(caption);
    return label;
}

// A queue whose paper is Letter until told otherwise.
class TLetterPrinterSystem : public TPrinterSystem {
public:
    std::vector<TPrinterQueue> Queues() override
    {
        TPrinterQueue queue;
        queue.Name = "Letters";
        queue.DpiX = queue.DpiY = 300;
        queue.Papers = {{"A4", 2100, 2970}, {"Letter", 2159, 2794}};
        queue.DefaultPaper = 1;
        return {queue};
    }
    int DefaultQueue(const std::vector<TPrinterQueue> &) override { return 0; }
};

class TRecorder : public TMessageTarget {
public:
    void WndProc(TMessage &) override {}
};

// Runs an action when its message arrives.
class TLater : public TMessageTarget {
public:
    explicit TLater(std::function<void()> action) : action_(std::move(action)) {}
    void WndProc(TMessage &) override { action_(); }

private:
    std::function<void()> action_;
};

} // namespace

TEST(BandReportAroundRuns, BandsAreLaidOutAgainWhenBeforePrintChangesThePage)
{
    TComponent form;
    auto *report = new TBandReport(&form);
    report->SetUnits(TRpUnit::MM);
    report->Page().SetPaperSize(TRpPaperSize::Custom);
    report->Page().SetWidth(250);
    TRpBand *header = AddBand(form, report, rbPageHeader, 10);
    TRpBand *detail = AddBand(form, report, rbDetail, 20);
    EXPECT_NEAR(detail->Size().Width(), 229.9L, 0.05L);  // 250 mm less two 10 mm margins, in whole pixels

    report->BeforePrint = [](TCustomBandReport *sender, bool &) {
        sender->Page().SetPaperSize(TRpPaperSize::A4);
        sender->Page().SetOrientation(poLandscape);
        for (auto set : {&TRpPage::SetLeftMargin, &TRpPage::SetRightMargin, &TRpPage::SetTopMargin,
                         &TRpPage::SetBottomMargin})
            (sender->Page().*set)(20);
    };
    long double headerWidth = 0, detailWidth = 0;
    int records = 0;
    report->OnNeedData = [&](TObject *, bool &more) {
        headerWidth = header->Size().Width();  // 0.1 mm during the run
        detailWidth = detail->Size().Width();
        more = records++ < 1;
    };
    TTestDevice device(96, 2100, 2970);
    device.Orientation = poLandscape;
    report->BuildReport(device);
    // A4 landscape is 297 mm wide; less two 20 mm margins, 257 mm (to a screen pixel).
    const long double pixel = 254.0L / 96;
    EXPECT_NEAR(detailWidth, 2570, pixel);
    EXPECT_NEAR(headerWidth, 2570, pixel);
    EXPECT_NEAR(detail->Size().Width(), 257, pixel / 10);
}

TEST(BandReportAroundRuns, PrintablesPrintInTheirOrderFrontLast)
{
    TComponent form;
    auto *report = new TBandReport(&form);
    TRpBand *detail = AddBand(form, report, rbDetail, 20);
    TRpLabel *a = AddLabel(form, detail, "A");
    AddLabel(form, detail, "B");
    TRpLabel *c = AddLabel(form, detail, "C");
    a->BringToFront();
    c->SendToBack();
    int records = 0;
    report->OnNeedData = [&](TObject *, bool &more) { more = records++ < 1; };
    TTestDevice device;
    report->BuildReport(device);
    EXPECT_EQ(device.TextsOnPage(1), (std::vector<std::string>{"C", "B", "A"}));
}

TEST(BandReportAroundRuns, ANewReportStartsOnThePrintersPaper)
{
    TComponent form;
    std::unique_ptr<TPrinterSystem> previous = SetPrinterSystem(std::make_unique<TLetterPrinterSystem>());
    Printer().Refresh();
    auto *letter = new TBandReport(&form);
    SetPrinterSystem(std::move(previous));
    Printer().Refresh();
    EXPECT_EQ(letter->Page().PaperSize(), TRpPaperSize::Letter);

    TScopedFakePrinters fake;  // the office queue is on A4
    auto *a4 = new TBandReport(&form);
    EXPECT_EQ(a4->Page().PaperSize(), TRpPaperSize::A4);
}

TEST(BandReportAroundRuns, ANewPrinterKeepsTheProgressWindowAndPageOneBecomesThePicture)
{
    TScopedFakePrinters fake;
    TComponent form;
    auto *report = new TBandReport(&form);
    AddBand(form, report, rbDetail, 20);
    int records = 0;
    report->OnNeedData = [&](TObject *, bool &more) { more = records++ < 2; };
    report->Prepare();
    ASSERT_NE(report->ReportPrinter(), nullptr);
    TRecorder progress;
    report->ReportPrinter()->SetProgressWindow(&progress);

    EXPECT_EQ(report->SurfacePicture(), nullptr);
    SendMessage(report, WM_RPPAGESAVAILABLE, 2, 0);
    EXPECT_EQ(report->SurfacePicture(), nullptr);
    SendMessage(report, WM_RPPAGESAVAILABLE, 1, 0);
    ASSERT_NE(report->SurfacePicture(), nullptr);
    EXPECT_GT(report->SurfacePicture()->Width(), 0);

    records = 0;
    report->Prepare();
    ASSERT_NE(report->ReportPrinter(), nullptr);
    EXPECT_EQ(report->ReportPrinter()->ProgressWindow(), &progress);
    EXPECT_EQ(report->SurfacePicture(), nullptr);  // a run drops the old picture
}

TEST(BandReportAroundRuns, PreviewReturnsWhenTheApplicationTerminates)
{
    TScopedFakePrinters fake;
    TComponent form;
    auto *report = new TBandReport(&form);
    AddBand(form, report, rbDetail, 20);
    int records = 0;
    report->OnNeedData = [&](TObject *, bool &more) { more = records++ < 1; };
    // A preview that stays open until the application ends.
    report->OnPreview = [](TRpPrinter *printer) { printer->SetPreviewActive(true); };
    report->BeforePrint = [](TCustomBandReport *, bool &) { Application().Terminate(); };
    report->Preview();
    ASSERT_NE(report->ReportPrinter(), nullptr);
    EXPECT_TRUE(report->ReportPrinter()->PreviewActive());

    // The message loop's run clears the flag again for the other tests.
    TForm mainForm(nullptr);
    TCustomForm *previousMain = Application().MainForm();
    Application().SetMainForm(&mainForm);
    TLater hide([&] { mainForm.Hide(); });
    PostMessage(&hide, WM_USER);
    Application().Run();
    Application().SetMainForm(previousMain);
    EXPECT_FALSE(Application().Terminated());
}

TEST(BandReportAroundRuns, TheReportConstantsAreTheirDefinitionsOutsideARun)
{
    TComponent form;
    auto *report = new TBandReport(&form);
    report->ReportTitle = "Plan";
    EXPECT_EQ(report->Functions().ValueOf("PAGENUMBER").Kind, rpvInteger);
    EXPECT_EQ(report->Functions().ValueOf("PAGENUMBER").IntValue, 0);
    EXPECT_EQ(report->Functions().ValueOf("COLUMNNUMBER").IntValue, 0);
    EXPECT_EQ(report->Functions().ValueOf("REPORTTITLE").Text, "");
    TRpEvaluator evaluator;
    evaluator.SetEnvironment(&report->Functions());
    evaluator.Prepare("PAGENUMBER + 1");
    EXPECT_EQ(evaluator.Evaluate().IntValue, 1);
}
