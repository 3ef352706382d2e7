#include "report/RpPrntr.h"

#include "platform/services/DesktopServices.h"
#include "platform/core/SysUtils.h"
#include "tests/FakePrinters.h"
#include "tests/PdfTools.h"

#include <gtest/gtest.h>

#include <QImage>

#include <memory>
#include <vector>

namespace {

class TTestReport : public TRpReportLink {
public:
    TBandReportPrinterSettings Settings;
    bool Progress = false;
    int AfterPrints = 0;
    std::vector<TRpPrinter *> Destroyed;

    const TRpPrinterSettings &PrinterSettings() const override { return Settings; }
    bool ShowProgress() const override { return Progress; }
    void AfterPrint(TRpPrinter &) override { ++AfterPrints; }
    int ReportPageWidth() const override { return 2100; }
    int ReportPageLength() const override { return 2970; }
    void PrinterDestroyed(TRpPrinter &printer) override { Destroyed.push_back(&printer); }
};

class TRecorder : public TMessageTarget {
public:
    std::vector<TMessage> Received;
    std::function<void(const TMessage &)> OnMessage;
    void WndProc(TMessage &message) override
    {
        Received.push_back(message);
        if (OnMessage)
            OnMessage(message);
    }
    std::vector<std::uintptr_t> Params(unsigned msg) const
    {
        std::vector<std::uintptr_t> params;
        for (const TMessage &m : Received)
            if (m.Msg == msg)
                params.push_back(m.WParam);
        return params;
    }
};

// A progress window that records what it is told, standing in for the progress form.
class TTestProgressWindow : public TRpProgressWindow {
public:
    explicit TTestProgressWindow(std::shared_ptr<TRecorder> log) : log_(std::move(log)) {}
    TMessageTarget *ProgressTarget() override { return log_.get(); }
    void ShowProgress() override {}
    void HideProgress() override {}

private:
    std::shared_ptr<TRecorder> log_;
};

// Message boxes answered by the test and remembered.
class TAnsweringServices : public TDesktopServices {
public:
    int Answer = IDOK;
    std::vector<std::string> Shown;
    int MessageBox(const std::string &text, const std::string &, unsigned) override
    {
        Shown.push_back(text);
        return Answer;
    }
};

std::string TempFile(const std::string &name)
{
    return UniqueTempPath("rpprntr-" + name);
}

// Runs `pages` pages into the page store, each with its number as text.
void RunPages(TRpPrinter &printer, int pages)
{
    printer.BeginDoc();
    for (int i = 1; i <= pages; ++i) {
        printer.NewPage();
        printer.Canvas().TextOut(printer.XPos(200), printer.YPos(200), "ページ " + std::to_string(i));
    }
    printer.EndDoc();
}

struct TPrinterFixture : ::testing::Test {
    std::string Pdf = TempFile("out.pdf");
    std::string Office = TempFile("office.pdf");
    TScopedFakePrinters Fake{Office, TempFile("plain.pdf")};
    TAnsweringServices *Answers = nullptr;
    std::unique_ptr<TScopedServices> ScopedServices;
    TTestReport Report;

    void SetUp() override
    {
        auto services = std::make_unique<TAnsweringServices>();
        Answers = services.get();
        ScopedServices = std::make_unique<TScopedServices>(std::move(services));
    }
    void TearDown() override
    {
        RegisterProgressWindowClass(nullptr);
        DeleteFile(Pdf);
        DeleteFile(Office);
    }
    // A report printer on the PDF printer.
    std::unique_ptr<TRpPrinter> PdfPrinter(TRpReportLink *report = nullptr)
    {
        auto printer = std::make_unique<TRpPrinter>(report);
        printer->SetPrinterIndex(2);
        printer->PrinterObject().SetFileName(Pdf);
        return printer;
    }
};

using RpPrntr = TPrinterFixture;

} // namespace

TEST_F(RpPrntr, StatesAndMisuse)
{
    TRpPrinter printer;
    EXPECT_EQ(printer.State(), rpsIdle);
    EXPECT_TRUE(printer.PrintersExist());
    EXPECT_THROW(printer.NewPage(), ERpError);
    try {
        printer.NewPage();
    } catch (const ERpError &e) {
        EXPECT_STREQ(e.what(), "Illegal call to NewPage");
    }
    auto window = std::make_unique<TRecorder>();
    printer.SetProgressWindow(window.get());
    printer.BeginDoc();
    EXPECT_EQ(printer.State(), rpsBusy);
    EXPECT_THROW(printer.BeginDoc(), ERpError);
    printer.EndDoc();
    // A run without pages still finishes and announces one more page.
    EXPECT_EQ(printer.State(), rpsFinished);
    EXPECT_EQ(printer.PageCount(), 0);
    EXPECT_EQ(printer.AvailablePages(), 1);
    ProcessMessages();
    EXPECT_EQ(window->Params(WM_RPPAGESAVAILABLE), (std::vector<std::uintptr_t>{1}));
    try {
        printer.BeginDoc();
        FAIL();
    } catch (const ERpError &e) {
        EXPECT_STREQ(e.what(), "RpPrinter not ready");
    }
    EXPECT_EQ(printer.GetPage(1), nullptr);
    EXPECT_FALSE(printer.Print());  // nothing stored: no job
}

TEST_F(RpPrntr, PositionsRoundHalvesToEven)
{
    TRpPrinter printer;
    printer.SetPrinterIndex(1);  // 508 dpi: two pixels per 0.1 mm; offsets 1 mm and 2 mm
    printer.SetDestination(rpdPrinter);
    printer.BeginDoc();
    EXPECT_EQ(printer.LeftOffset(), 10);
    EXPECT_EQ(printer.TopOffset(), 20);
    EXPECT_EQ(printer.XSize(1.25L), 2);
    EXPECT_EQ(printer.XSize(1.75L), 4);
    EXPECT_EQ(printer.YSize(2.25L), 4);
    EXPECT_EQ(printer.XPos(11.25L), 2);
    EXPECT_EQ(printer.YPos(21.75L), 4);
    EXPECT_EQ(printer.XPos(0), -20);
    printer.AbortDoc();
    EXPECT_EQ(printer.State(), rpsFinished);

    // On the page store the factors are the screen's 96 per inch and there are no offsets.
    TRpPrinter store;
    store.BeginDoc();
    EXPECT_EQ(store.LeftOffset(), 0);
    EXPECT_EQ(store.XSize(2100), 794);   // 793.7
    EXPECT_EQ(store.YSize(2970), 1123);  // 1122.52
    store.EndDoc();
}

TEST_F(RpPrntr, PageSizeFollowsPaperAndOrientation)
{
    TRpPrinter printer;
    EXPECT_EQ(printer.GetPaperSize(), TRpPaperSize::A4);
    EXPECT_EQ(printer.PageWidth(), 2100);
    EXPECT_EQ(printer.PageHeight(), 2970);
    ASSERT_TRUE(printer.SetOrientation(poLandscape));
    EXPECT_EQ(printer.PageWidth(), 2970);
    EXPECT_EQ(printer.PageHeight(), 2100);
    ASSERT_TRUE(printer.SetPaperSize(TRpPaperSize::Letter));
    EXPECT_EQ(printer.PageWidth(), 2794);
    EXPECT_EQ(printer.PageHeight(), 2159);
    ASSERT_TRUE(printer.SetPaperSize(TRpPaperSize::Custom));
    printer.SetPaperWidth(1000);
    printer.SetPaperLength(1500);
    EXPECT_EQ(printer.PageWidth(), 1500);
    EXPECT_EQ(printer.PageHeight(), 1000);
    EXPECT_FALSE(printer.SetDuplex(true) && false);
    EXPECT_FALSE(printer.SetOutputBin(TRpBin::Upper));

    // Another printer brings its own defaults; a bad index raises.
    printer.SetPrinterIndex(1);
    EXPECT_EQ(printer.GetPaperSize(), TRpPaperSize::A4);
    EXPECT_FALSE(printer.SetDuplex(true));
    EXPECT_THROW(printer.SetPrinterIndex(7), EPrinter);
}

TEST_F(RpPrntr, PrintsARangeWithProgress)
{
    Report.Progress = true;
    auto log = std::make_shared<TRecorder>();
    RegisterProgressWindowClass([log](TRpPrinter &) { return std::make_unique<TTestProgressWindow>(log); });
    auto printer = PdfPrinter(&Report);
    RunPages(*printer, 5);
    ASSERT_EQ(printer->PageCount(), 5);
    printer->FirstPage = 3;
    printer->LastPage = 5;
    EXPECT_TRUE(printer->Print());
    ProcessMessages();
    EXPECT_EQ(PdfPageCount(Pdf), 3);
    EXPECT_EQ(log->Params(WM_RPPROGRESS), (std::vector<std::uintptr_t>{33, 67, 100}));
    EXPECT_EQ(Report.AfterPrints, 1);
    EXPECT_TRUE(Answers->Shown.empty());
}

TEST_F(RpPrntr, CancellingAbortsTheJob)
{
    Report.Progress = true;
    auto log = std::make_shared<TRecorder>();
    auto printer = PdfPrinter(&Report);
    TRpPrinter *raw = printer.get();
    log->OnMessage = [raw](const TMessage &m) {
        if (m.Msg == WM_RPPROGRESS)
            raw->Cancel();
    };
    RegisterProgressWindowClass([log](TRpPrinter &) { return std::make_unique<TTestProgressWindow>(log); });
    RunPages(*printer, 5);
    EXPECT_FALSE(printer->Print());
    EXPECT_TRUE(printer->PrinterObject().Aborted());
    EXPECT_FALSE(printer->PrinterObject().Printing());
    EXPECT_FALSE(FileExists(Pdf));
    EXPECT_LT(printer->PageNumber(), 5);
}

TEST_F(RpPrntr, NothingToPrintStartsNoJobAndSaysSo)
{
    auto printer = PdfPrinter();
    RunPages(*printer, 2);
    printer->FirstPage = 3;
    EXPECT_FALSE(printer->Print());
    EXPECT_FALSE(FileExists(Pdf));
    ASSERT_EQ(Answers->Shown.size(), 1u);

    printer->FirstPage = 2;
    printer->LastPage = 1;
    EXPECT_FALSE(printer->Print());
    EXPECT_FALSE(FileExists(Pdf));
    EXPECT_EQ(Answers->Shown.size(), 2u);

    // Straight to the printer, pages outside the range start no job either.
    auto direct = PdfPrinter();
    direct->SetDestination(rpdPrinter);
    direct->FirstPage = 5;
    RunPages(*direct, 2);
    EXPECT_FALSE(FileExists(Pdf));
    EXPECT_EQ(Answers->Shown.size(), 3u);
}

TEST_F(RpPrntr, UnlistedPaperIsToldBeforePrinting)
{
    auto printer = std::make_unique<TRpPrinter>();  // Office: A4, Letter, custom
    printer->SetPrinterIndex(0);
    EXPECT_FALSE(printer->SetPaperSize(TRpPaperSize::A3));
    EXPECT_EQ(printer->GetPaperSize(), TRpPaperSize::A4);
    RunPages(*printer, 1);
    Answers->Answer = IDCANCEL;
    EXPECT_FALSE(printer->Print());
    ASSERT_EQ(Answers->Shown.size(), 1u);
    EXPECT_NE(Answers->Shown[0].find("A3"), std::string::npos);
    EXPECT_NE(Answers->Shown[0].find("Office"), std::string::npos);
    EXPECT_FALSE(FileExists(Office));

    Answers->Answer = IDOK;
    EXPECT_TRUE(printer->Print());
    EXPECT_EQ(PdfPageCount(Office), 1);

    // A size the printer lists clears the warning.
    ASSERT_TRUE(printer->SetPaperSize(TRpPaperSize::Letter));
    EXPECT_TRUE(printer->Print());
    EXPECT_EQ(Answers->Shown.size(), 2u);
    EXPECT_EQ(PdfInfoField(Office, "Page size").substr(0, 13), "612 x 792 pts");
    DeleteFile(Office);
}

TEST_F(RpPrntr, MessagesToReportAndPreview)
{
    auto report = std::make_unique<TRecorder>();
    auto printer = PdfPrinter();
    printer->SetMessagingReport(report.get());
    RunPages(*printer, 1);
    // A run not marked prepared asks its report to run again to the printer.
    EXPECT_FALSE(printer->Print());
    ProcessMessages();
    EXPECT_EQ(report->Params(WM_RPPRINTREQUEST).size(), 1u);
    EXPECT_FALSE(FileExists(Pdf));

    printer->SetPreviewActive(true);
    printer->ClosePreview();  // sent at once
    ASSERT_EQ(report->Received.back().Msg, WM_RPPREVIEWCLOSED);
    EXPECT_EQ(report->Received.back().LParam, reinterpret_cast<std::intptr_t>(printer.get()));
    EXPECT_FALSE(printer->PreviewActive());

    int closed = 0;
    printer->OnClose = [&](TRpPrinter *) { ++closed; };
    printer->SetPreviewActive(true);
    printer->SetPreviewActive(false);
    printer->SetPreviewActive(false);
    EXPECT_EQ(closed, 1);

    printer->Prepared = true;
    EXPECT_TRUE(printer->Print());
    EXPECT_EQ(PdfPageCount(Pdf), 1);
}

TEST_F(RpPrntr, PrinterAndReportNeverTouchAFreedOther)
{
    auto printer = std::make_unique<TRpPrinter>(&Report);
    TRpPrinter *raw = printer.get();
    printer.reset();
    ASSERT_EQ(Report.Destroyed.size(), 1u);
    EXPECT_EQ(Report.Destroyed[0], raw);

    // The report goes first: the printer forgets it and tells nobody.
    auto report = std::make_unique<TTestReport>();
    printer = PdfPrinter(report.get());
    printer->ReportDestroyed();
    report.reset();
    RunPages(*printer, 1);
    printer->Prepared = true;
    EXPECT_TRUE(printer->Print());
    printer.reset();

    // A report that frees the printer on the preview's close notice.
    printer = PdfPrinter();
    auto closer = std::make_unique<TRecorder>();
    closer->OnMessage = [&](const TMessage &m) {
        if (m.Msg == WM_RPPREVIEWCLOSED)
            printer.reset();
    };
    printer->SetMessagingReport(closer.get());
    printer->SetPreviewActive(true);
    printer->ClosePreview();
    EXPECT_EQ(printer, nullptr);

    // A preview that goes before a posted notice arrives does not get it.
    printer = PdfPrinter();
    auto window = std::make_unique<TRecorder>();
    printer->SetProgressWindow(window.get());
    printer->BeginDoc();
    printer->NewPage();
    printer->NewPage();
    window.reset();
    printer->EndDoc();
    ProcessMessages();
    printer.reset();
}

namespace {

// Draws a framed Japanese caption at 20 mm / 30 mm through the report printer's conversions.
void DrawFramedCaption(TRpPrinter &printer)
{
    TCanvas &canvas = printer.Canvas();
    canvas.Pen().SetColor(clBlack);
    canvas.Pen().SetWidth(printer.XSize(5));
    canvas.Brush().SetStyle(bsClear);
    canvas.Rectangle(printer.XPos(200), printer.YPos(300), printer.XPos(1200), printer.YPos(600));
    canvas.Font().SetName("ＭＳ ゴシック");
    canvas.Font().SetSize(20);
    canvas.Font().SetColor(clBlack);
    canvas.TextOut(printer.XPos(300), printer.YPos(380), "工程表①");
}

// The number of dark pixels in a rectangle of an image.
int Ink(const QImage &image, int left, int top, int right, int bottom)
{
    int ink = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            ink += qGray(image.pixel(x, y)) < 128;
    return ink;
}

// Checks a page rendered at 50 dpi (about 2 pixels per mm) for the frame and the caption.
void ExpectFramedCaption(const std::string &pdf)
{
    std::string png = RenderPdfPage(pdf, 1, 50);
    QImage page(QString::fromStdString(png));
    ASSERT_FALSE(page.isNull());
    // The frame's edges: 20 mm and 120 mm across, 30 mm and 60 mm down.
    EXPECT_GT(Ink(page, 37, 70, 42, 110), 20);   // left edge
    EXPECT_GT(Ink(page, 233, 70, 239, 110), 20); // right edge
    EXPECT_GT(Ink(page, 60, 57, 200, 62), 100);  // top edge
    // The caption inside, nothing outside the frame.
    EXPECT_GT(Ink(page, 55, 72, 200, 110), 150);
    EXPECT_EQ(Ink(page, 0, 0, 30, 50), 0);
    EXPECT_EQ(Ink(page, 250, 130, 400, 400), 0);
    DeleteFile(png);
}

} // namespace

TEST_F(RpPrntr, StraightToThePdfPrinterShowsTextAndFrames)
{
    auto printer = PdfPrinter();
    printer->SetDestination(rpdPrinter);
    printer->Title = "工程表.xml";
    printer->BeginDoc();
    printer->NewPage();
    DrawFramedCaption(*printer);
    printer->EndDoc();
    EXPECT_EQ(PdfPageCount(Pdf), 1);
    EXPECT_EQ(PdfInfoField(Pdf, "Title"), "工程表.xml");
    ExpectFramedCaption(Pdf);
}

TEST_F(RpPrntr, SavedReportLoadsEveryPageAndItsPaper)
{
    const std::string portraitFile = TempFile("portrait.RPF");
    const std::string landscapeFile = TempFile("landscape.RPF");
    std::vector<std::string> pages;
    {
        auto printer = PdfPrinter();
        RunPages(*printer, 3);
        for (int i = 1; i <= 3; ++i)
            pages.push_back(printer->GetPage(i)->Data());
        printer->Save(portraitFile);
        auto landscape = PdfPrinter();
        ASSERT_TRUE(landscape->SetOrientation(poLandscape));
        RunPages(*landscape, 1);
        landscape->Save(landscapeFile);
    }

    ReportFileLoaded = false;
    auto loaded = PdfPrinter();
    ASSERT_TRUE(loaded->SetOrientation(poLandscape));
    ASSERT_TRUE(loaded->SetPaperSize(TRpPaperSize::Letter));
    loaded->Load(portraitFile);
    EXPECT_EQ(loaded->State(), rpsFinished);
    EXPECT_TRUE(loaded->Prepared);
    EXPECT_TRUE(ReportFileLoaded);
    ASSERT_EQ(loaded->PageCount(), 3);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(loaded->GetPage(i)->Data(), pages[static_cast<size_t>(i - 1)]) << i;
    EXPECT_EQ(loaded->GetPage(4), nullptr);
    // A4 and then A4Small match; the PDF printer lists no A4Small, so A4 stays.
    EXPECT_EQ(loaded->GetPaperSize(), TRpPaperSize::A4);
    EXPECT_EQ(loaded->GetOrientation(), poPortrait);

    // Loading again replaces the pages; a landscape first page turns the paper.
    loaded->Load(landscapeFile);
    EXPECT_EQ(loaded->PageCount(), 1);
    EXPECT_EQ(loaded->GetPaperSize(), TRpPaperSize::A4);
    EXPECT_EQ(loaded->GetOrientation(), poLandscape);
    EXPECT_TRUE(loaded->Print());
    EXPECT_EQ(PdfInfoField(Pdf, "Page size").substr(0, 13), "842 x 595 pts");

    DeleteFile(portraitFile);
    DeleteFile(landscapeFile);
}

TEST_F(RpPrntr, LoadKeepsThePaperWhenNoSizeFitsAndRefusesDamage)
{
    const std::string file = TempFile("card.RPF");
    {
        auto card = PdfPrinter();
        ASSERT_TRUE(card->SetPaperSize(TRpPaperSize::Custom));
        card->SetPaperWidth(1000);
        card->SetPaperLength(1500);
        RunPages(*card, 2);
        card->Save(file);
    }
    auto loaded = PdfPrinter();
    ASSERT_TRUE(loaded->SetPaperSize(TRpPaperSize::Letter));
    loaded->Load(file);
    EXPECT_EQ(loaded->PageCount(), 2);
    EXPECT_EQ(loaded->GetPaperSize(), TRpPaperSize::Letter);
    EXPECT_EQ(loaded->GetOrientation(), poPortrait);

    // A damaged file raises a clear error instead of crashing.
    std::string bytes = ReadFileBytes(file);
    bytes.resize(bytes.size() - 40);
    WriteFileAtomically(file, bytes);
    auto damaged = PdfPrinter();
    EXPECT_THROW(damaged->Load(file), Exception);
    DeleteFile(file);
}

TEST_F(RpPrntr, StoredPagesPrintedShowTextAndFrames)
{
    auto printer = PdfPrinter();
    printer->BeginDoc();
    printer->NewPage();
    DrawFramedCaption(*printer);
    printer->EndDoc();
    printer->Prepared = true;
    EXPECT_TRUE(printer->Print());
    EXPECT_EQ(PdfPageCount(Pdf), 1);
    ExpectFramedCaption(Pdf);
}

TEST_F(RpPrntr, StandardPrinterIsSharedAndKeepsItsIndex)
{
    Printer().SetPrinterIndex(1);
    TRpPrinter own(&Report);
    EXPECT_NE(&own.PrinterObject(), &Printer());
    EXPECT_EQ(own.PrinterObject().PrinterIndex(), 1);  // follows the application's printer
    EXPECT_EQ(own.Settings().DeviceName(), "Plain");
    EXPECT_EQ(own.Settings().PixelsPerX(), 508);

    Report.Settings.UseStandardprinter = true;
    Report.Settings.MemoryLimit = 1000;
    TRpPrinter shared(&Report);
    EXPECT_EQ(&shared.PrinterObject(), &Printer());
    EXPECT_TRUE(shared.UseStandardPrinter());
    EXPECT_EQ(shared.Settings().MemoryLimit, 1000);
    shared.SetPrinterIndex(0);  // the shared printer is not switched
    EXPECT_EQ(Printer().PrinterIndex(), 1);
    Printer().SetPrinterIndex(-1);
}

TEST_F(RpPrntr, AnAbortedCompressedRunSavesEveryPage)
{
    const std::string file = TempFile("aborted.RPF");
    std::vector<std::string> pages;
    {
        auto printer = PdfPrinter();
        printer->SetCompression(true);
        printer->BeginDoc();
        for (int i = 1; i <= 3; ++i) {
            printer->NewPage();
            printer->Canvas().TextOut(10, 10, "中断 " + std::to_string(i));
        }
        printer->AbortDoc();
        EXPECT_EQ(printer->State(), rpsFinished);
        for (int i = 1; i <= 3; ++i)
            pages.push_back(printer->GetPage(i)->Data());
        printer->Save(file);
    }
    auto loaded = PdfPrinter();
    loaded->Load(file);
    ASSERT_EQ(loaded->PageCount(), 3);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(loaded->GetPage(i)->Data(), pages[static_cast<size_t>(i - 1)]) << i;
    DeleteFile(file);
}

TEST_F(RpPrntr, AnotherPrinterIsAskedForThePaperAskedOfTheFirst)
{
    auto printer = std::make_unique<TRpPrinter>();
    printer->SetPrinterIndex(0);  // Office lists Letter
    ASSERT_TRUE(printer->SetPaperSize(TRpPaperSize::Letter));
    printer->SetPrinterIndex(1);  // Plain lists only A4
    EXPECT_EQ(printer->GetPaperSize(), TRpPaperSize::A4);
    RunPages(*printer, 1);
    Answers->Answer = IDCANCEL;
    EXPECT_FALSE(printer->Print());
    ASSERT_EQ(Answers->Shown.size(), 1u);
    EXPECT_NE(Answers->Shown[0].find("Letter"), std::string::npos);
    EXPECT_NE(Answers->Shown[0].find("Plain"), std::string::npos);

    // Back on a printer that lists it, the paper is Letter again and nothing is said.
    printer->SetPrinterIndex(0);
    EXPECT_EQ(printer->GetPaperSize(), TRpPaperSize::Letter);
    EXPECT_TRUE(printer->Print());
    EXPECT_EQ(Answers->Shown.size(), 1u);
    DeleteFile(Office);
}
