// The preview control: zoom, fit and width, the page shown, pages arriving
// during a run, the painted page and its hyperlinks, and a printer freed
// while a preview still shows it.
#include "report/RpPrev.h"

#include "platform/graphics/Graphics.h"
#include "tests/FakePrinters.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Runs `pages` pages into the printer's page store, letting the posted
// messages reach the preview after each page.
void RunPages(TRpPrinter &printer, int pages)
{
    printer.BeginDoc();
    for (int i = 1; i <= pages; ++i) {
        printer.NewPage();
        printer.Canvas().TextOut(printer.XPos(200), printer.YPos(200), "Page " + std::to_string(i));
        ProcessMessages();
    }
    printer.EndDoc();
    ProcessMessages();
}

struct RpPrevTest : ::testing::Test {
    TScopedFakePrinters fake;  // the office printer, on A4
    TComponent owner;
    TRpPreview *preview = new TRpPreview(&owner);

    std::unique_ptr<TRpPrinter> A4Printer()
    {
        auto printer = std::make_unique<TRpPrinter>();
        printer->SetPaperSize(TRpPaperSize::A4);
        return printer;
    }
};

} // namespace

TEST_F(RpPrevTest, ZoomIsTakenFromTwoToTwoThousandAndTheDefaultPageIsLetter)
{
    EXPECT_EQ(preview->Zoom(), 100);
    EXPECT_EQ(preview->Image().Width(), 220);
    EXPECT_EQ(preview->Image().Height(), 283);
    for (int refused : {1, 2001, 0, -5}) {
        preview->SetZoom(refused);
        EXPECT_EQ(preview->Zoom(), 100) << refused;
    }
    preview->SetZoom(2);
    EXPECT_EQ(preview->Zoom(), 2);
    preview->SetZoom(2000);
    EXPECT_EQ(preview->Zoom(), 2000);
    EXPECT_EQ(preview->Image().Width(), 4322);  // 215.9 x 20 + 4
}

TEST_F(RpPrevTest, ThePageNumberKeepsItsPageWhenThePageIsNotThere)
{
    preview->SetPageNumber(2);  // no printer
    EXPECT_EQ(preview->PageNumber(), 1);

    auto printer = A4Printer();
    RunPages(*printer, 3);
    preview->AttachPrinter(printer.get());
    ASSERT_NE(preview->Image().Metafile(), nullptr);
    preview->SetPageNumber(3);
    EXPECT_EQ(preview->PageNumber(), 3);
    EXPECT_EQ(preview->Image().PageNumber(), 3);
    for (int refused : {0, -1, 4}) {
        preview->SetPageNumber(refused);
        EXPECT_EQ(preview->PageNumber(), 3) << refused;
    }
    preview->AttachPrinter(nullptr);
    EXPECT_FALSE(printer->PreviewActive());
}

TEST_F(RpPrevTest, FitAndWidthFollowTheControlOnlyWhileChosen)
{
    auto printer = A4Printer();
    RunPages(*printer, 1);
    preview->AttachPrinter(printer.get());
    preview->SetBounds(0, 0, 500, 600);
    preview->ZoomToFit();
    EXPECT_EQ(preview->Zoom(), 51);
    EXPECT_EQ(preview->ZoomState(), rpZoomToFit);
    preview->ZoomToWidth();
    EXPECT_EQ(preview->Zoom(), 57);
    EXPECT_EQ(preview->ZoomState(), rpZoomToWidth);
    // A narrower image is centred.
    EXPECT_EQ(preview->Image().Left(), (500 - preview->Image().Width()) / 2);

    preview->SetBounds(0, 0, 1000, 600);  // width: re-fitted to the new width
    EXPECT_EQ(preview->Zoom(), 113);
    preview->ZoomToFit();
    preview->SetBounds(0, 0, 1000, 1200);
    EXPECT_EQ(preview->Zoom(), 102);
    preview->SetZoom(100);
    preview->SetBounds(0, 0, 500, 600);
    EXPECT_EQ(preview->Zoom(), 100);
    EXPECT_EQ(preview->ZoomState(), rpZoomOther);
    preview->AttachPrinter(nullptr);
}

TEST_F(RpPrevTest, ARunShowsPageOneAtPageWidthAndReportsEveryPage)
{
    auto printer = A4Printer();
    preview->SetBounds(0, 0, 500, 600);
    std::vector<int> available;
    std::vector<int> progress;
    preview->OnPageAvailable = [&](TObject *sender, int page) {
        EXPECT_EQ(sender, preview);
        available.push_back(page);
    };
    preview->OnProgressUpdate = [&](TObject *, int percent) { progress.push_back(percent); };
    preview->AttachPrinter(printer.get());
    EXPECT_TRUE(printer->PreviewActive());
    EXPECT_EQ(preview->Image().Metafile(), nullptr);
    printer->BeginDoc();
    printer->NewPage();
    printer->SetProgress(40);
    ProcessMessages();
    EXPECT_EQ(preview->Image().Metafile(), nullptr);  // page 1 is still open
    EXPECT_EQ(preview->Zoom(), 100);
    printer->NewPage();
    ProcessMessages();
    ASSERT_NE(preview->Image().Metafile(), nullptr);
    EXPECT_EQ(preview->Zoom(), 57);
    EXPECT_EQ(preview->ZoomState(), rpZoomToWidth);
    for (int i = 3; i <= 5; ++i) {
        printer->NewPage();
        ProcessMessages();
    }
    printer->EndDoc();
    ProcessMessages();
    EXPECT_EQ(available, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(progress, (std::vector<int>{40}));
    EXPECT_EQ(preview->PageNumber(), 1);
    preview->AttachPrinter(nullptr);
}

TEST_F(RpPrevTest, ThePageIsWhiteWithABlackFrameAndAShadow)
{
    TMetafile page;
    page.SetWidth(100);
    page.SetHeight(100);
    { TMetafileCanvas canvas(page); }
    TBitmap bitmap(60, 80);
    bitmap.Canvas().Brush().SetColor(clRed);
    bitmap.Canvas().FillRect(TRect{0, 0, 60, 80});
    TRpPreviewImage::DrawPageImage(&page, bitmap.Canvas(), TRect{0, 0, 60, 80}, false);
    EXPECT_EQ(bitmap.Pixel(30, 40), clWhite);
    EXPECT_EQ(bitmap.Pixel(0, 40), clBlack);      // left side
    EXPECT_EQ(bitmap.Pixel(30, 0), clBlack);      // top
    EXPECT_EQ(bitmap.Pixel(57, 40), clBlack);     // right side
    EXPECT_EQ(bitmap.Pixel(30, 77), clBlack);     // bottom
    EXPECT_EQ(bitmap.Pixel(58, 40), clBlack);     // shadow, two pixels
    EXPECT_EQ(bitmap.Pixel(59, 40), clBlack);
    EXPECT_EQ(bitmap.Pixel(30, 79), clBlack);
    EXPECT_EQ(bitmap.Pixel(59, 1), clRed);        // the shadow starts two pixels down
    EXPECT_EQ(bitmap.Pixel(1, 79), clRed);        // and two pixels in

    // Without a page nothing is drawn, unless designing.
    TBitmap empty(60, 80);
    empty.Canvas().Brush().SetColor(clRed);
    empty.Canvas().FillRect(TRect{0, 0, 60, 80});
    TRpPreviewImage::DrawPageImage(nullptr, empty.Canvas(), TRect{0, 0, 60, 80}, false);
    EXPECT_EQ(empty.Pixel(30, 40), clRed);
    TRpPreviewImage::DrawPageImage(nullptr, empty.Canvas(), TRect{0, 0, 60, 80}, true);
    EXPECT_EQ(empty.Pixel(30, 40), clWhite);
}

TEST_F(RpPrevTest, APageWithADamagedRecordPaintsWithoutFailing)
{
    TMetafile page;
    page.SetWidth(100);
    page.SetHeight(100);
    {
        TMetafileCanvas canvas(page);
        canvas.TextOut(10, 10, "工程");
    }
    // The text record claims more characters than it holds.
    std::string bytes = page.Data();
    for (size_t at = 0; at + 8 <= bytes.size();) {
        const auto u32 = [&](size_t i) {
            return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]))
                | static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8
                | static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 2])) << 16
                | static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 3])) << 24;
        };
        if (u32(at) == 84)
            bytes[at + 44 + 2] = '\x7f';
        const std::uint32_t size = u32(at + 4);
        if (size < 8)
            break;
        at += size;
    }
    TMetafile damaged;
    damaged.LoadFromBytes(bytes);
    TBitmap bitmap(60, 80);
    TBitmap probe(60, 80);
    EXPECT_THROW(damaged.Play(probe.Canvas(), TRect{0, 0, 60, 80}), EInvalidGraphic);
    EXPECT_NO_THROW(TRpPreviewImage::DrawPageImage(&damaged, bitmap.Canvas(), TRect{0, 0, 60, 80}, false));
    EXPECT_EQ(bitmap.Pixel(0, 40), clBlack);  // the frame is drawn all the same
    EXPECT_EQ(bitmap.Pixel(59, 40), clBlack);
}

TEST_F(RpPrevTest, LinksOpenThroughTheShellOrTheirHandler)
{
    auto services = std::make_unique<testing_support::FakeServices>();
    testing_support::FakeServices &shell = *services;
    TScopedServices scoped(std::move(services));
    TRpPreviewImage &image = preview->Image();
    image.SetZoom(200);
    image.Hyperlinks = {{10, 10, 50, 20, "EXT:/tmp/report.pdf"},
                        {10, 30, 50, 40, "ext:/tmp/lower.pdf"},
                        {10, 50, 50, 60, "INT:chapter2"},
                        {10, 70, 50, 80, "https://example.org/"}};
    auto click = [&](int x, int y) {
        SendMessage(&image, WM_MOUSEMOVE, 0, MakeLParam(x, y));
        SendMessage(&image, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(x, y));
        SendMessage(&image, WM_LBUTTONUP, 0, MakeLParam(x, y));
    };

    // Without a handler a click does nothing.
    click(60, 30);
    EXPECT_TRUE(shell.opened.empty());

    SendMessage(&image, WM_MOUSEMOVE, 0, MakeLParam(5, 5));
    std::vector<std::pair<TRpHyperlinkEventType, std::string>> events;
    preview->SetOnHyperlink([&](TObject *, TRpHyperlinkEventType type, const std::string &link, bool &) {
        events.push_back({type, link});
    });
    std::vector<std::string> internal;
    RegisterHyperlinkHandler("chapter", [&](void *, TRpPrinter *, const std::string &rest) { internal.push_back(rest); });
    click(60, 30);                                   // (30, 15) at 100 %
    EXPECT_EQ(image.Cursor(), crHandPoint);
    click(60, 70);
    click(60, 110);
    click(60, 150);
    SendMessage(&image, WM_MOUSEMOVE, 0, MakeLParam(300, 300));
    EXPECT_EQ(image.Cursor(), crDefault);
    ClearHyperlinkHandlers();

    EXPECT_EQ(shell.opened, (std::vector<std::string>{"/tmp/report.pdf", "/tmp/lower.pdf", "https://example.org/"}));
    EXPECT_EQ(internal, (std::vector<std::string>{"2"}));
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], (std::pair{heCursorMoveOver, std::string("EXT:/tmp/report.pdf")}));
    EXPECT_EQ(events[1], (std::pair{heGoto, std::string("EXT:/tmp/report.pdf")}));
    EXPECT_EQ(events.back(), (std::pair{heCursorMoveAway, std::string()}));

    // A handler that says it handled the link stops it being followed.
    preview->SetOnHyperlink([](TObject *, TRpHyperlinkEventType, const std::string &, bool &handled) { handled = true; });
    click(60, 30);
    EXPECT_EQ(shell.opened.size(), 3u);
}

TEST_F(RpPrevTest, APrinterFreedBeforeThePreviewIsForgotten)
{
    auto printer = A4Printer();
    RunPages(*printer, 2);
    preview->AttachPrinter(printer.get());
    ASSERT_EQ(preview->Printer(), printer.get());
    EXPECT_EQ(printer->ProgressWindow(), preview);
    printer.reset();
    EXPECT_EQ(preview->Printer(), nullptr);
    EXPECT_EQ(preview->Image().Printer(), nullptr);
    // Detaching and paging afterwards touch no freed printer.
    preview->AttachPrinter(nullptr);
    preview->SetPageNumber(2);
    EXPECT_EQ(preview->PageNumber(), 1);
}

TEST_F(RpPrevTest, TheOutlineIsFilledFromThePrinter)
{
    TTreeView outline(nullptr);
    outline.Add("stale", 0);
    preview->SetOutline(&outline);
    auto printer = A4Printer();
    preview->AttachPrinter(printer.get());
    EXPECT_EQ(outline.Count(), 0);  // this system's pages carry no outline
    preview->AttachPrinter(nullptr);
}
