// The print command: the print dialog's values, the report's pages on a
// printer ("PDF") or in a saved-report file, and what the command leaves behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/core/Encoding.h"
#include "platform/kernel/Application.h"
#include "platform/widgets/Memo.h"
#include "report/RpPrntr.h"
#include "schedule/printing/Preview.h"
#include "schedule/printing/Print.h"
#include "schedule/printing/Rep.h"
#include "tests/FakePrinters.h"
#include "tests/PdfTools.h"
#include "tests/TestSupport.h"
#include "tests/schedule/DialogFixture.h"
#include "tests/schedule/ProgressStrips.h"

namespace {

struct TPrintBoard : TDialogFixture {
    TScopedFakePrinters printers;
    explicit TPrintBoard(int rows)
    {
        for (int i = 0; i < rows; ++i) {
            main->AddItem();
            ItemList.back()->FMemo->SetText("項目" + std::to_string(i + 1));
        }
        main->RedrawChart();
        main->edtHdTitle->SetText("工程表");
        StartDate = EncodeDate(2024, 4, 1);
        DaysShown = 31;
        PrinterIndex = -1;
    }
    // Runs the print command, filling its dialog with `fill` (which presses a button).
    void Print(const std::function<void(TdlgPrint &)> &fill)
    {
        main->RunPrintDialog = [&](TCustomForm &form) {
            auto &d = static_cast<TdlgPrint &>(form);
            fill(d);
            return d.ModalResult();
        };
        main->mitPrintClick();
    }
    // Chooses "PDF" and answers its file dialog with `pdf`.
    void ToPdf(TdlgPrint &d, const std::string &pdf)
    {
        const auto &names = d.cmbPrinterName->Items();
        d.cmbPrinterName->SetItemIndex(static_cast<int>(names.size()) - 1);
        d.cmbPrinterName->OnChange(d.cmbPrinterName);
        services->fileAnswers.push_back(TFileDialogAnswer{pdf, 1});
    }
};

std::string PdfPageText(const std::string &pdf, int page)
{
    const std::string p = std::to_string(page);
    return CommandOutput("pdftotext -layout -f " + p + " -l " + p + " '" + pdf + "' - 2>/dev/null");
}

bool Has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

} // namespace

TEST(PrintCommand, TwelveRowsPrintToPdfAsTwoA4LandscapePages)
{
    TPrintBoard board(12);
    const std::string pdf = UniqueTempPath("twelve.pdf");
    board.Print([&](TdlgPrint &d) {
        EXPECT_TRUE(d.rbtAll->Checked());
        EXPECT_FALSE(d.speStart->Visible());
        EXPECT_EQ(d.cmbCopies->ItemIndex(), 0);
        board.ToPdf(d, pdf);
        d.btnOk->Click();
    });
    EXPECT_TRUE(board.services->messages.empty());
    ASSERT_EQ(PdfPageCount(pdf), 2);
    EXPECT_NE(PdfInfoField(pdf, "Page size").find("842 x 595"), std::string::npos) << PdfInfoField(pdf, "Page size");
    EXPECT_EQ(PdfInfoField(pdf, "Title"), ExtractFileName(board.main->FFileName));
    const std::string page1 = PdfPageText(pdf, 1);
    for (const char *text : {"スケジュール表", "タイトル", "工程表", "作成日:", "2024/01/10", "承認", "査閲", "担当者", "作成者",
                             "2024/04/01", "2024/05/01", "2024年", "4月", "項目1", "項目11"})
        EXPECT_TRUE(Has(page1, text)) << text << "\n" << page1;
    EXPECT_FALSE(Has(page1, "項目12"));
    const std::string page2 = PdfPageText(pdf, 2);
    EXPECT_TRUE(Has(page2, "スケジュール表"));
    EXPECT_TRUE(Has(page2, "項目12"));
    EXPECT_TRUE(board.main->mitPrint->Enabled());
    EXPECT_TRUE(board.main->btnPrint->Enabled());
    DeleteFile(pdf);
}

// On paper every text is in the face its font names through the one
// substitution table, and the heading line's words do not overlap.
TEST(PrintCommand, TheHeaderPrintsInItsFacesWithEveryWordApart)
{
    TPrintBoard board(12);
    board.services->now = EncodeDate(2026, 12, 9) + 0.5;
    const std::string pdf = UniqueTempPath("faces.pdf");
    board.Print([&](TdlgPrint &d) {
        board.ToPdf(d, pdf);
        d.btnOk->Click();
    });
    for (const std::string &font : PdfFontNames(pdf)) {
        EXPECT_TRUE(font == "IPAPGothic" || font == "IPAGothic") << font;
    }
    for (const auto &[text, family] : PdfTextFamilies(pdf, 1)) {
        if (Has(text, "日付範囲") || Has(text, "2024/04/01") || Has(text, "作成日") || Has(text, "頁:1")) {
            EXPECT_EQ(family, "IPAPGothic") << text;
        } else if (Has(text, "2024年")) {
            EXPECT_EQ(family, "IPAGothic") << text;
        }
    }
    const std::vector<TPdfWord> words = PdfWords(pdf, 1);
    std::vector<TPdfWord> heading;
    for (const TPdfWord &word : words)
        if (word.YMin < 45 && word.XMin > 400)
            heading.push_back(word);
    std::sort(heading.begin(), heading.end(), [](const TPdfWord &a, const TPdfWord &b) { return a.XMin < b.XMin; });
    std::vector<std::string> texts;
    for (size_t i = 0; i < heading.size(); ++i) {
        texts.push_back(heading[i].Text);
        if (i > 0) {
            EXPECT_LE(heading[i - 1].XMax, heading[i].XMin) << heading[i - 1].Text << " / " << heading[i].Text;
        }
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"作成日:", "2026/12/09", "頁:1", "承認", "査閲", "担当者", "作成者"}));
    DeleteFile(pdf);
}

// The first paper of the list lays the page out for the paper the printer
// prints on (its default, A4 here), in both orientations.
TEST(PrintCommand, TheDefaultPaperIsLaidOutForThePrintersPaper)
{
    TPrintBoard board(2);
    PaperSize = 0;
    for (const int orientation : {0, 1}) {
        Orientation = static_cast<std::uint8_t>(orientation);
        const std::string pdf = UniqueTempPath("default-paper.pdf");
        board.Print([&](TdlgPrint &d) {
            board.ToPdf(d, pdf);
            d.btnOk->Click();
        });
        const bool landscape = orientation == 1;
        EXPECT_NE(PdfInfoField(pdf, "Page size").find(landscape ? "842 x 595" : "595 x 842"), std::string::npos)
            << PdfInfoField(pdf, "Page size");
        const double paperRight = landscape ? 841.89 : 595.28;
        const double marginRight = paperRight - 10 / 25.4 * 72;
        double right = 0;
        int found = 0;
        for (const TPdfWord &word : PdfWords(pdf, 1)) {
            if (word.Text == "作成日:" || word.Text == "頁:1" || word.Text == "承認" || word.Text == "作成者") {
                EXPECT_LT(word.XMax, marginRight) << word.Text << " " << orientation;
                right = std::max(right, word.XMax);
                ++found;
            }
        }
        EXPECT_EQ(found, 4) << orientation;  // text off the paper is not read back
        // The stamps end at the printable width's edge: no strip stays blank.
        EXPECT_GT(right, marginRight - 25) << orientation;
        DeleteFile(pdf);
    }
    EXPECT_TRUE(board.services->messages.empty());
    // The caption column is measured against that paper: 720 pixels leave
    // no chart on A4 portrait (190 mm printable), though they would on the
    // form's own 250 mm page.
    Orientation = 0;
    board.main->pnlItem->SetWidth(720);
    const std::string pdf = UniqueTempPath("default-nochart.pdf");
    board.Print([&](TdlgPrint &d) {
        board.ToPdf(d, pdf);
        d.btnOk->Click();
    });
    EXPECT_FALSE(FileExists(pdf));
    ASSERT_EQ(board.services->messages.size(), 1u);
    EXPECT_EQ(board.services->messages[0].text, "項目欄の幅が用紙の印刷範囲より広いため、チャートを印刷できません。");
}

// The default paper is read in the middle of handlers (the page-setting
// dialog's OK, a run's start): reading it lets no waiting message run.
TEST(PrintCommand, ReadingTheDefaultPaperLetsNoWaitingMessageRun)
{
    TPrintBoard board(1);
    struct TWaiting : TMessageTarget {
        int received = 0;
        void WndProc(TMessage &) override { ++received; }
    } waiting;
    ASSERT_TRUE(PostMessage(&waiting, WM_USER));
    long double width = 0, length = 0;
    ASSERT_TRUE(PrintedPageSize(0, 1, width, length));
    EXPECT_EQ(waiting.received, 0);
    EXPECT_EQ(width, 2970);
    EXPECT_EQ(length, 2100);
    ProcessMessages();
    EXPECT_EQ(waiting.received, 1);
}

// A document saved with margins that leave no room is told so in the
// page-setting dialog's words before anything runs.
TEST(PrintCommand, MarginsWithoutRoomAreRefusedBeforeTheRun)
{
    TPrintBoard board(2);
    PaperSize = 9;
    Orientation = 0;
    TopMargin = BottomMargin = 150;
    const std::string pdf = UniqueTempPath("margins.pdf");
    board.Print([&](TdlgPrint &d) {
        board.ToPdf(d, pdf);
        d.btnOk->Click();
    });
    board.main->mitPreviewClick();
    EXPECT_FALSE(FileExists(pdf));
    EXPECT_EQ(frmPreview, nullptr);
    ASSERT_EQ(board.services->messages.size(), 2u);
    for (const auto &message : board.services->messages)
        EXPECT_EQ(message.text, "上下の余白が大きすぎて、印刷する範囲がありません。");
    EXPECT_TRUE(board.main->mitPrint->Enabled());
    EXPECT_EQ(board.main->FReportRuns, 0);
}

TEST(PrintCommand, ARangePastTheLastPageIsLoweredToIt)
{
    TPrintBoard board(23);
    const std::string pdf = UniqueTempPath("range.pdf");
    board.Print([&](TdlgPrint &d) {
        d.rbtSelect->SetChecked(true);
        EXPECT_TRUE(d.speStart->Visible());
        d.speStart->SetValue(2);
        d.speEnd->SetValue(5);
        board.ToPdf(d, pdf);
        d.btnOk->Click();
    });
    EXPECT_EQ(PdfPageCount(pdf), 2);
    EXPECT_FALSE(PrintAll);
    EXPECT_EQ(PrintToPage, 3);
    EXPECT_TRUE(Has(PdfPageText(pdf, 1), "頁:2"));
    DeleteFile(pdf);
}

// On paper a page number from 100 on prints whole, and a row caption starts
// clear of a thick page frame's left line.
TEST(PrintCommand, PageNumbersPrintWholeAndCaptionsClearOfTheFrame)
{
    TPrintBoard board(101);
    for (auto &row : ItemList)
        row->FMemo->SetHeight(600);  // one row fills a page
    ItemList[100]->FMemo->SetText("RO追加");
    FrameWidth = 3;
    const std::string pdf = UniqueTempPath("page101.pdf");
    board.Print([&](TdlgPrint &d) {
        d.rbtSelect->SetChecked(true);
        d.speStart->SetValue(101);
        d.speEnd->SetValue(101);
        board.ToPdf(d, pdf);
        d.btnOk->Click();
    });
    ASSERT_EQ(PdfPageCount(pdf), 1);
    bool number = false, caption = false;
    const double frameRight = 10 / 25.4 * 72 + 3;  // the 10 mm margin and the 3 pt line
    for (const TPdfWord &word : PdfWords(pdf, 1)) {
        number = number || word.Text == "頁:101";
        if (word.Text == "RO追加") {
            caption = true;
            EXPECT_GT(word.XMin, frameRight + 2) << word.XMin;
        }
    }
    EXPECT_TRUE(number) << PdfPageText(pdf, 1);
    EXPECT_TRUE(caption) << PdfPageText(pdf, 1);
    DeleteFile(pdf);
}

// A caption wider than its column prints on paper whole, line by line as the
// screen wraps it, each line inside its cell's frame; printing leaves the
// saved document as it was, with the caption as typed.
TEST(PrintCommand, AWrappedCaptionPrintsWholeAndTheDocumentKeepsItAsTyped)
{
    const std::string typed = "要件定義と顧客ヒアリングおよび現行業務の調査分析と課題の洗い出しを行う工程";
    TPrintBoard board(1);
    board.main->pnlItem->SetWidth(180);
    TMemo &caption = *ItemList[0]->FMemo;
    caption.SetHeight(100);
    caption.SetText(typed);
    const std::vector<std::string> shown = caption.Lines();
    ASSERT_EQ(shown.size(), 3u);
    const std::string before = UniqueTempPath("before.xml"), after = UniqueTempPath("after.xml");
    ASSERT_TRUE(WriteXmlFile(*board.main, before));
    const std::string pdf = UniqueTempPath("wrapped.pdf");
    board.Print([&](TdlgPrint &d) {
        board.ToPdf(d, pdf);
        d.btnOk->Click();
    });
    ASSERT_TRUE(WriteXmlFile(*board.main, after));
    EXPECT_EQ(testing_support::ReadBytes(after), testing_support::ReadBytes(before));
    EXPECT_NE(testing_support::ReadBytes(after).find(Utf8ToCp932(typed)), std::string::npos);
    EXPECT_EQ(caption.Text(), typed);

    const double margin = 10 / 25.4 * 72;  // 10 mm, in points
    const double cellRight = margin + 180 * 0.75;
    const double headerBottom = margin + 100 * 0.75;  // the stamp row and the three date strips
    std::vector<std::string> printed;
    for (const TPdfWord &word : PdfWords(pdf, 1)) {
        if (word.XMin > cellRight || word.YMin < headerBottom)
            continue;
        printed.push_back(word.Text);
        EXPECT_LT(word.XMax, cellRight - 0.75) << word.Text;  // clear of the cell's right line
    }
    EXPECT_EQ(printed, shown) << PdfPageText(pdf, 1);

    // A thick page frame leaves less room than the screen's (here for a
    // 10 point face): the caption wraps again, every character printing clear
    // of the frame's 10 point line and of the cell's right line.
    FrameWidth = 10;
    caption.Font().SetSize(10);
    board.Print([&](TdlgPrint &d) {
        board.ToPdf(d, pdf);
        d.btnOk->Click();
    });
    FrameWidth = 1;
    std::string joined;
    for (const TPdfWord &word : PdfWords(pdf, 1)) {
        if (word.XMin > cellRight || word.YMin < headerBottom)
            continue;
        joined += word.Text;
        EXPECT_GT(word.XMin, margin + 10) << word.Text;
        EXPECT_LT(word.XMax, cellRight - 0.75) << word.Text;
    }
    EXPECT_EQ(joined, typed) << PdfPageText(pdf, 1);
    for (const std::string &file : {before, after, pdf})
        DeleteFile(file);
}

TEST(PrintCommand, ToFileWritesASavedReportOfTheSamePages)
{
    TPrintBoard board(12);
    const std::string rpf = UniqueTempPath("saved.rpf");
    board.services->fileAnswers.push_back(TFileDialogAnswer{rpf, 1});
    board.Print([&](TdlgPrint &d) {
        d.ckbToFile->SetChecked(true);
        d.btnOk->Click();
    });
    ASSERT_EQ(board.services->fileRequests.size(), 1u);
    const TFileDialogRequest &classic = board.services->fileRequests[0];
    EXPECT_EQ(classic.filter, "RPF|*.rpf");
    EXPECT_EQ(classic.defaultExt, "rpf");
    EXPECT_EQ(classic.initialDir, ExtractFilePath(board.main->FFileName));
    EXPECT_EQ(classic.fileName, "");
    ASSERT_TRUE(FileExists(rpf));
    TRpPrinter loaded;
    loaded.Load(rpf);
    EXPECT_EQ(loaded.PageCount(), 2);

    // Cancelled: nothing is written; on "Seven" the newer dialog asks.
    DeleteFile(rpf);
    board.services->osName = "Seven";
    board.Print([&](TdlgPrint &d) {
        d.ckbToFile->SetChecked(true);
        d.btnOk->Click();
    });
    ASSERT_EQ(board.services->fileRequests.size(), 2u);
    EXPECT_EQ(board.services->fileRequests[1].filter, "Report file|*.rpf");
    EXPECT_EQ(board.services->fileRequests[1].initialDir, ExtractFilePath(board.main->FFileName));
    EXPECT_EQ(board.services->fileRequests[1].fileName, "");
    EXPECT_FALSE(FileExists(rpf));
    EXPECT_TRUE(board.services->messages.empty());
}

// Cancelling the PDF file's name is no failure: nothing is shown or written,
// and the commands come back.
TEST(PrintCommand, CancellingThePdfFileNameShowsNothing)
{
    TPrintBoard board(2);
    board.Print([&](TdlgPrint &d) {
        const auto &names = d.cmbPrinterName->Items();
        d.cmbPrinterName->SetItemIndex(static_cast<int>(names.size()) - 1);
        d.cmbPrinterName->OnChange(d.cmbPrinterName);
        d.btnOk->Click();  // the PDF file dialog is cancelled
    });
    EXPECT_TRUE(board.services->messages.empty());
    ASSERT_EQ(board.services->fileRequests.size(), 1u);
    EXPECT_EQ(board.services->fileRequests[0].filter, "PDF (*.pdf)|*.pdf");
    EXPECT_TRUE(board.main->mitPrint->Enabled());
    EXPECT_TRUE(board.main->mitPreview->Enabled());
    EXPECT_TRUE(board.main->btnPrint->Enabled());
    EXPECT_TRUE(board.main->Enabled());
    EXPECT_EQ(board.main->FReportRuns, 0);
    // Elsewhere, too, a cancel passed to the application's handler shows nothing.
    Application().HandleException(EAbort("Printing aborted"));
    EXPECT_TRUE(board.services->messages.empty());
}

// The PDF file is asked for beside the document, under the document's name,
// as the file commands ask in the document's folder.
TEST(PrintCommand, ThePdfFileDialogStartsInTheDocumentsFolder)
{
    TPrintBoard board(2);
    testing_support::TempDir plans;
    board.main->TakeFileName(plans.File("plan.xml"));
    board.Print([&](TdlgPrint &d) {
        const auto &names = d.cmbPrinterName->Items();
        d.cmbPrinterName->SetItemIndex(static_cast<int>(names.size()) - 1);
        d.cmbPrinterName->OnChange(d.cmbPrinterName);
        d.btnOk->Click();  // the PDF file dialog is cancelled
    });
    ASSERT_EQ(board.services->fileRequests.size(), 1u);
    EXPECT_EQ(board.services->fileRequests[0].initialDir, plans.Path());
    EXPECT_EQ(board.services->fileRequests[0].fileName, "plan.pdf");
    EXPECT_NE(plans.Path(), SettingsDir);
}

TEST(PrintCommand, DialogKeepsThePrinterChoiceAndForgetsALostOne)
{
    TPrintBoard board(1);
    PrinterIndex = 7;
    board.Print([&](TdlgPrint &d) {
        EXPECT_EQ(PrinterIndex, -1);
        EXPECT_EQ(d.cmbPrinterName->Items().size(), 3u);
        d.cmbPrinterName->SetItemIndex(1);
        d.cmbPrinterName->OnChange(d.cmbPrinterName);
        d.btnCancel->Click();
    });
    EXPECT_EQ(PrinterIndex, 1);
    EXPECT_TRUE(board.main->mitPrint->Enabled());
}

TEST(PrintCommand, WithoutRowsNothingHappens)
{
    TPrintBoard board(0);
    bool shown = false;
    board.Print([&](TdlgPrint &d) {
        shown = true;
        d.btnCancel->Click();
    });
    EXPECT_FALSE(shown);
}

TEST(PrintCommand, TheMainWindowTakesNoInputWhileARunReadsTheDocument)
{
    TPrintBoard board(3);
    TrepForm rep(*board.main);
    int pages = 0;
    rep.rep1->OnStartPage = [&](TCustomBandReport *) {
        ++pages;
        EXPECT_FALSE(board.main->Enabled());
        bool canClose = true;
        board.main->FormCloseQuery(board.main.get(), canClose);
        EXPECT_FALSE(canClose);
    };
    rep.rep1->Prepare();
    EXPECT_GT(pages, 0);
    EXPECT_TRUE(board.main->Enabled());
    bool canClose = true;
    Modified = false;
    board.main->FormCloseQuery(board.main.get(), canClose);
    EXPECT_TRUE(canClose);
}

TEST(PrintCommand, ACaptionColumnWithoutRoomForTheChartIsRefused)
{
    TPrintBoard board(2);
    board.main->pnlItem->SetWidth(1047);  // the whole printable width of A4 landscape
    const std::string pdf = UniqueTempPath("nochart.pdf");
    board.Print([&](TdlgPrint &d) {
        board.ToPdf(d, pdf);
        d.btnOk->Click();
    });
    EXPECT_FALSE(FileExists(pdf));
    board.main->mitPreviewClick();
    EXPECT_EQ(frmPreview, nullptr);
    ASSERT_EQ(board.services->messages.size(), 2u);
    EXPECT_EQ(board.services->messages[0].text, "項目欄の幅が用紙の印刷範囲より広いため、チャートを印刷できません。");
    EXPECT_TRUE(board.main->mitPrint->Enabled());
    EXPECT_FALSE(board.main->FPreviewOpen);
}

namespace {

bool Dark(const TBitmap &b, int x, int y)
{
    const TColor c = b.Pixel(x, y);
    return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128;
}

// The length of the dark run starting at (x, y) and going (dx, dy).
int DarkRun(const TBitmap &b, int x, int y, int dx, int dy)
{
    int n = 0;
    while (x >= 0 && y >= 0 && x < b.Width() && y < b.Height() && Dark(b, x, y)) {
        ++n;
        x += dx;
        y += dy;
    }
    return n;
}

} // namespace

TEST(PrintCommand, LinesPrintAsThinAsTheirPenAndStampCaptionsKeepClearOfThem)
{
    TPrintBoard board(12);
    const std::string pdf = UniqueTempPath("lines.pdf");
    board.Print([&](TdlgPrint &d) {
        board.ToPdf(d, pdf);
        d.btnOk->Click();
    });
    constexpr int kPerPoint = 4;  // rendered at 288 dots per inch
    const std::string png = RenderPdfPage(pdf, 1, 72 * kPerPoint);
    ASSERT_FALSE(png.empty());
    TBitmap page;
    page.LoadFromFile(png);
    // The page frame (FrameWidth 1): one pixel at 96 per inch, 0.75 point.
    const int midX = page.Width() / 2, midY = page.Height() / 2;
    int left = 0;
    while (left < midX && !Dark(page, left, midY))
        ++left;
    int top = 0;
    while (top < midY && !Dark(page, midX, top))
        ++top;
    for (int thickness : {DarkRun(page, left, midY, 1, 0), DarkRun(page, midX, top, 0, 1)}) {
        EXPECT_GE(thickness, 2);
        EXPECT_LE(thickness, 4);  // 1.44 points would be 6
    }
    // Each stamp caption starts clear of its box's left line.
    int stamps = 0;
    for (const TPdfWord &word : PdfWords(pdf, 1)) {
        if (word.Text != "承認" && word.Text != "査閲" && word.Text != "担当者" && word.Text != "作成者")
            continue;
        ++stamps;
        const int x = static_cast<int>(word.XMin * kPerPoint);
        const int below = static_cast<int>((word.YMax + 3) * kPerPoint);  // inside the box, under the caption
        int line = x;
        while (line > x - 4 * kPerPoint && !Dark(page, line, below))
            --line;
        ASSERT_TRUE(Dark(page, line, below)) << word.Text;
        EXPECT_GE(x - line, 2) << word.Text << ": the line ends at " << line << ", the caption starts at " << x;
    }
    EXPECT_EQ(stamps, 4);
}

// A document far longer than the window: every progress strip prints in its
// bar's achievement colour, whichever rows the screen has placed, with the
// view at the top and at the bottom.
TEST(PrintCommand, EveryProgressStripPrintsInItsBarsColourWhereverTheWindowIsScrolled)
{
    TPrintBoard board(60);
    AddProgressBars(StartDate);
    ShowWindowAtTop(*board.main);
    const std::string pdf = UniqueTempPath("strips.pdf");
    auto printedColours = [&] {
        board.Print([&](TdlgPrint &d) {
            board.ToPdf(d, pdf);
            d.btnOk->Click();
        });
        EXPECT_TRUE(board.services->messages.empty());
        std::string colours;
        const int pages = PdfPageCount(pdf);
        EXPECT_GE(pages, 3);
        for (int page = 1; page <= pages; ++page) {
            const std::string png = RenderPdfPage(pdf, page, 96);
            TBitmap image;
            image.LoadFromFile(png);
            colours += StripColoursDown(image, 5);
            DeleteFile(png);
        }
        return colours;
    };
    EXPECT_EQ(printedColours(), ExpectedStripColours());
    ScrollWindowToBottom(*board.main);
    EXPECT_EQ(printedColours(), ExpectedStripColours());
    DeleteFile(pdf);
}
