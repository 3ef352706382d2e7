// The standard preview of a report without its own preview: caption, status,
// keys, going to a page, finding text, saving, loading and printing.
#include "report/RpStdPrev.h"

#include "platform/core/SysUtils.h"
#include "report/BandReport.h"
#include "report/RpCtrls.h"
#include "tests/FakePrinters.h"
#include "tests/PdfTools.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// Three pages; only page 2 carries "工程".
struct TThreePageReport {
    TThreePageReport()
    {
        report = new TBandReport(&owner);
        report->SetUnits(TRpUnit::MM);
        report->Page().SetPaperSize(TRpPaperSize::A4);
        report->ReportTitle = "Plan";
        auto *detail = new TRpBand(&owner, rbDetail);
        detail->SetParent(report);
        detail->Size().SetHeight(250);
        auto *label = new TRpLabel(&owner);
        label->SetParent(detail);
        label->SetCaption("x");
        label->OnPrint = [this](TObject *, std::string &text) {
            text = delivered == 2 ? "工程表 page" : "Other page";
        };
        report->OnNeedData = [this](TObject *, bool &more) {
            ++asked;
            more = delivered < 3;
            if (more)
                ++delivered;
        };
    }
    TComponent owner;
    TBandReport *report = nullptr;
    int delivered = 0;
    int asked = 0;
};

struct RpStdPrevTest : ::testing::Test {
    TScopedFakePrinters fake;
    testing_support::ScopedFakeServices services;
    TThreePageReport r;
    TRpPrinter *printer = nullptr;
    TRpStandardPreview *preview = nullptr;

    void SetUp() override
    {
        r.report->Prepare();
        printer = r.report->ReportPrinter();
        ASSERT_NE(printer, nullptr);
        ASSERT_EQ(printer->PageCount(), 3);
        preview = new TRpStandardPreview(&r.owner, printer);
        preview->ShowPreview();
    }
    void TearDown() override { preview->RpPreview->AttachPrinter(nullptr); }

    void Key(int key, TShiftState shift = 0) { preview->FormKeyDown(preview, key, shift); }
    std::string Status() const { return preview->StatusBar->PanelText(1); }
    void Find(const std::string &text)
    {
        preview->RunSearchDialog = [text](TCustomForm &form) {
            auto &dialog = static_cast<TSearchDlg &>(form);
            dialog.Edit1->SetText(text);
            dialog.SpeedButton2->Click();
            return mrOk;
        };
        preview->FindButtonClick(preview);
    }
};

} // namespace

TEST_F(RpStdPrevTest, CaptionStatusAndKeys)
{
    EXPECT_EQ(preview->Caption(), "Report Preview : Plan");
    EXPECT_EQ(Status(), "Page 1 of 3");
    EXPECT_TRUE(preview->Print->Enabled());
    EXPECT_TRUE(preview->ZoomFit->Down());
    EXPECT_EQ(preview->RpPreview->ZoomState(), rpZoomToFit);
    EXPECT_EQ(preview->WindowState(), wsNormal);
    EXPECT_EQ(preview->Tabs->ActivePage(), preview->TabThumbs);
    EXPECT_TRUE(preview->TabThumbs->Visible());
    EXPECT_FALSE(preview->TabSearchResult->Visible());
    Key(VK_NEXT);
    EXPECT_EQ(Status(), "Page 2 of 3");
    Key(VK_PRIOR);
    EXPECT_EQ(preview->RpPreview->PageNumber(), 1);
    Key(VK_NEXT, ssCtrl);
    EXPECT_EQ(preview->RpPreview->PageNumber(), 3);
    Key(VK_PRIOR, ssCtrl);
    EXPECT_EQ(preview->RpPreview->PageNumber(), 1);
    Key(VK_END);
    EXPECT_EQ(preview->RpPreview->PageNumber(), 3);
    Key(VK_HOME);
    EXPECT_EQ(preview->RpPreview->PageNumber(), 1);
    Key(VK_NEXT);
    Key(VK_NEXT);
    Key(VK_NEXT);  // past the last page: stays
    EXPECT_EQ(Status(), "Page 3 of 3");

    preview->ThumbGrid->SetRow(1);  // a thumbnail shows its page
    EXPECT_EQ(preview->RpPreview->PageNumber(), 2);
    EXPECT_EQ(preview->ThumbGrid->RowCount(), 3);
    preview->ZoomToWidth->Click();
    EXPECT_TRUE(preview->ZoomToWidth->Down());
    EXPECT_FALSE(preview->ZoomFit->Down());
    EXPECT_EQ(preview->RpPreview->ZoomState(), rpZoomToWidth);
    preview->Zoom100->Click();
    EXPECT_EQ(preview->RpPreview->Zoom(), 100);
}

TEST_F(RpStdPrevTest, UpAndDownScrollThePageAndMoveOnAtItsEnds)
{
    preview->Zoom100->Click();
    TControlScrollBar &bar = preview->RpPreview->VertScrollBar();
    ASSERT_GT(bar.MaxPosition(), bar.Increment());
    Key(VK_DOWN);
    EXPECT_EQ(bar.Position(), bar.Increment());
    Key(VK_UP);
    EXPECT_EQ(bar.Position(), 0);
    Key(VK_UP);  // the top of page 1: nowhere to go
    EXPECT_EQ(preview->RpPreview->PageNumber(), 1);
    bar.SetPosition(bar.MaxPosition());
    for (int i = 0; i < 3 && preview->RpPreview->PageNumber() == 1; ++i)
        Key(VK_DOWN);  // the bottom of page 1: page 2 at its top
    EXPECT_EQ(preview->RpPreview->PageNumber(), 2);
    EXPECT_EQ(bar.Position(), 0);
    Key(VK_UP);  // the top of page 2: page 1 at its bottom
    EXPECT_EQ(preview->RpPreview->PageNumber(), 1);
    EXPECT_GT(bar.Position(), bar.Increment());  // scrolled to its end
}

TEST_F(RpStdPrevTest, GoToPageTakesPageOneForAPageThatIsNotThere)
{
    services->inputAnswers = {std::string("2"), std::string("0"), std::string("7"), std::string("abc"), std::nullopt};
    preview->GotoPageButtonClick(preview);
    EXPECT_EQ(services->inputCaptions.at(0), "Select a page from 1 to 3");
    EXPECT_EQ(preview->RpPreview->PageNumber(), 2);
    preview->GotoPageButtonClick(preview);
    EXPECT_EQ(preview->RpPreview->PageNumber(), 1);
    preview->LastPageClick(preview);
    preview->GotoPageButtonClick(preview);
    EXPECT_EQ(preview->RpPreview->PageNumber(), 1);
    preview->LastPageClick(preview);
    preview->GotoPageButtonClick(preview);  // not a number: said, and the page stays
    EXPECT_EQ(preview->RpPreview->PageNumber(), 3);
    ASSERT_EQ(services->messages.size(), 1u);
    preview->GotoPageButtonClick(preview);  // cancelled
    EXPECT_EQ(preview->RpPreview->PageNumber(), 3);
}

TEST_F(RpStdPrevTest, FindListsThePagesHoldingTheText)
{
    Find("工程");
    ASSERT_EQ(preview->SearchResultBox->Count(), 1);
    EXPECT_EQ(preview->SearchResultBox->Items(0), "Page 2");
    EXPECT_TRUE(preview->SearchResultBox->Enabled());
    EXPECT_EQ(preview->Tabs->ActivePage(), preview->TabSearchResult);
    EXPECT_FALSE(preview->TabThumbs->Visible());
    preview->SearchResultBox->ChosenInWindow(0);
    EXPECT_EQ(preview->RpPreview->PageNumber(), 2);

    Find("page");  // case folded: every page
    EXPECT_EQ(preview->SearchResultBox->Count(), 3);

    Find("見つからない");
    ASSERT_EQ(preview->SearchResultBox->Count(), 1);
    EXPECT_EQ(preview->SearchResultBox->Items(0), "No matching text");
    EXPECT_FALSE(preview->SearchResultBox->Enabled());

    // A cancelled search leaves the list alone.
    preview->RunSearchDialog = [](TCustomForm &form) {
        static_cast<TSearchDlg &>(form).SpeedButton1->Click();
        return mrCancel;
    };
    preview->FindButtonClick(preview);
    EXPECT_EQ(preview->SearchResultBox->Items(0), "No matching text");
}

TEST_F(RpStdPrevTest, SavedPagesLoadAgainAndPrintAsStored)
{
    testing_support::TempDir dir;
    const std::string file = dir.File("plan.rpf");
    services->fileAnswers = {TFileDialogAnswer{file, 1}};
    preview->SaveClick(preview);
    ASSERT_EQ(services->fileRequests.size(), 1u);
    EXPECT_EQ(services->fileRequests[0].title, "Save report");
    EXPECT_EQ(services->fileRequests[0].filter, "Report file (*.RPF)|*.RPF");
    EXPECT_TRUE(services->fileRequests[0].overwritePrompt);
    ASSERT_TRUE(FileExists(file));

    int afterPreview = 0;
    r.report->AfterPreview = [&](TObject *) { ++afterPreview; };
    preview->NextPageClick(preview);
    services->fileAnswers = {TFileDialogAnswer{file, 1}};
    preview->LoadClick(preview);
    EXPECT_EQ(afterPreview, 0);  // loading is not closing the preview
    EXPECT_TRUE(printer->PreviewActive());
    EXPECT_EQ(preview->RpPreview->PageNumber(), 1);
    EXPECT_EQ(services->fileRequests.back().title, "Load report");
    EXPECT_EQ(printer->PageCount(), 3);
    EXPECT_TRUE(printer->FileLoaded());
    EXPECT_EQ(preview->StatusBar->PanelText(2), file);
    EXPECT_EQ(Status(), "Page 1 of 3");
    EXPECT_TRUE(preview->Print->Enabled());

    // A report made meanwhile clears the process-wide flag; the preview still
    // plays its own loaded pages instead of running the report again.
    TComponent other;
    new TBandReport(&other);
    EXPECT_FALSE(ReportFileLoaded);
    const std::string pdf = dir.File("plan.pdf");
    printer->SetPrinterIndex(2);  // PDF
    printer->PrinterObject().SetFileName(pdf);
    const int asked = r.asked;
    preview->PrintClick(preview);
    EXPECT_EQ(r.asked, asked);
    EXPECT_EQ(PdfPageCount(pdf), 3);
}

TEST_F(RpStdPrevTest, AMissingOrDamagedFileIsSaidAndTheWindowGoesOn)
{
    testing_support::TempDir dir;
    services->fileAnswers = {TFileDialogAnswer{dir.File("none.rpf"), 1}};
    preview->LoadClick(preview);
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].text, "File does not exist");
    EXPECT_EQ(printer->PageCount(), 3);

    const std::string damaged = dir.File("damaged.rpf");
    testing_support::WriteBytes(damaged, std::string(200, '\x7f'));
    services->fileAnswers = {TFileDialogAnswer{damaged, 1}};
    preview->LoadClick(preview);
    ASSERT_EQ(services->messages.size(), 2u);
    EXPECT_FALSE(services->messages[1].text.empty());
    // Still usable: paging, finding and closing do not fail.
    preview->NextPageClick(preview);
    preview->LastPageClick(preview);
    Find("工程");
    EXPECT_EQ(preview->StatusBar->PanelText(2), "");
}

TEST_F(RpStdPrevTest, ProgressShowsInStepsOfFive)
{
    auto progress = [&](int percent) {
        preview->RpPreviewProgressUpdate(preview->RpPreview, percent);
        return preview->StatusBar->PanelText(0);
    };
    EXPECT_EQ(progress(3), "");
    EXPECT_EQ(progress(5), "5%");
    EXPECT_EQ(progress(7), "5%");
    EXPECT_EQ(progress(12), "12%");
    EXPECT_EQ(progress(100), "");
}

TEST_F(RpStdPrevTest, ALoadedFileIsShownOnItsOwnPaper)
{
    testing_support::TempDir dir;
    const std::string file = dir.File("landscape.rpf");
    {
        TThreePageReport wide;
        wide.report->Page().SetOrientation(poLandscape);
        wide.report->Prepare();
        wide.report->ReportPrinter()->Save(file);
    }
    EXPECT_LT(preview->RpPreview->Image().Width(), preview->RpPreview->Image().Height());
    services->fileAnswers = {TFileDialogAnswer{file, 1}};
    preview->LoadClick(preview);
    EXPECT_EQ(printer->GetOrientation(), poLandscape);
    EXPECT_GT(preview->RpPreview->Image().Width(), preview->RpPreview->Image().Height());
}

TEST(RpStdPrev, TheReportsPreviewSettingsShapeTheWindow)
{
    TScopedFakePrinters fake;
    TThreePageReport r;
    r.report->PrevFormStyle = fsStayOnTop;
    r.report->PreviewInitialState = wsNormal;
    r.report->PrevInitialZoom = rpZoomToWidth;
    r.report->PrevShowSearch = false;
    r.report->SetPreviewWidth(640);
    r.report->SetPreviewHeight(0);  // reads 500
    r.report->Prepare();
    TRpStandardPreview preview(nullptr, r.report->ReportPrinter());
    EXPECT_EQ(preview.FormStyle(), fsStayOnTop);
    EXPECT_EQ(preview.ClientWidth(), 640);
    EXPECT_EQ(preview.ClientHeight(), 500);
    EXPECT_TRUE(preview.ZoomToWidth->Down());
    EXPECT_FALSE(preview.ZoomFit->Down());
    EXPECT_EQ(preview.Tabs->PageCount(), 1);

    // Pages without a report (a file loaded on a bare printer) open maximised.
    TRpPrinter bare;
    TRpStandardPreview loose(nullptr, &bare);
    EXPECT_EQ(loose.WindowState(), wsMaximized);
    EXPECT_FALSE(loose.Print->Enabled());
}

namespace {
class TLater : public TMessageTarget {
public:
    std::function<void()> Action;
    void WndProc(TMessage &) override { Action(); }
};
} // namespace

TEST(RpStdPrev, AReportWithoutItsOwnPreviewOpensTheStandardOne)
{
    TScopedFakePrinters fake;
    RegisterReportWindows();
    TThreePageReport r;
    TRpStandardPreview *shown = nullptr;
    TLater close;
    close.Action = [&] { shown->Close(); };
    r.report->BeforePrint = [&](TCustomBandReport *sender, bool &) {
        // The preview is open before the pages exist.
        shown = dynamic_cast<TRpStandardPreview *>(sender->ReportPrinter()->PreviewWindow());
        PostMessage(&close, WM_USER);
    };
    r.report->Preview();
    RegisterProgressWindowClass(nullptr);
    RegisterPreviewInterface(nullptr);
    EXPECT_NE(shown, nullptr);
    EXPECT_EQ(r.report->ReportPrinter(), nullptr);  // the closed preview freed the printer
    ProcessMessages();
}
