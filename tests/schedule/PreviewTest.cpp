// The preview command and its window: pages shown while they are made, the
// page and zoom controls, and what the window refuses while the run goes on.
#include <gtest/gtest.h>

#include "platform/kernel/Application.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/Memo.h"
#include "platform/kernel/Timer.h"
#include "schedule/printing/Preview.h"
#include "schedule/printing/Rep.h"
#include "tests/FakePrinters.h"
#include "tests/schedule/DialogFixture.h"
#include "tests/schedule/ProgressStrips.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <set>
#include <tuple>
#include <thread>

namespace {

struct TPreviewBoard : TDialogFixture {
    TScopedFakePrinters printers;
    explicit TPreviewBoard(int rows)
    {
        for (int i = 0; i < rows; ++i)
            main->AddItem();
        main->RedrawChart();
        StartDate = EncodeDate(2024, 4, 1);
        DaysShown = 31;
    }
    // Calls `step` on every page notice of each preview the command shows.
    void Preview(const std::function<void(TfrmPreview &, int)> &step)
    {
        main->PreviewShown = [step](TfrmPreview &form) {
            auto own = form.pre1->OnPageAvailable;
            form.pre1->OnPageAvailable = [own, step, &form](TObject *sender, int page) {
                own(sender, page);
                step(form, page);
            };
        };
        main->mitPreviewClick();
    }
};

bool Finished(TfrmPreview &form)
{
    return form.pre1->Printer() != nullptr && form.pre1->Printer()->State() == rpsFinished;
}

// Runs an action from the message loop once the report's run has wound up
// (its printer is marked prepared), however the notices arrive.
class TLater {
public:
    TLater()
    {
        timer_.SetEnabled(false);
        timer_.SetInterval(2);
        timer_.OnTimer = [this](TObject *) {
            if (printer_ == nullptr || !printer_->Prepared)
                return;
            timer_.SetEnabled(false);
            if (auto action = std::move(action_))
                action();
        };
    }
    void Post(TfrmPreview &form, std::function<void()> action)
    {
        printer_ = form.pre1->Printer();
        action_ = std::move(action);
        timer_.SetEnabled(true);
    }

private:
    TTimer timer_{nullptr};
    TRpPrinter *printer_ = nullptr;
    std::function<void()> action_;
};

} // namespace

TEST(PreviewWindow, ShowsTheFirstPageWhileTheRunGoesOnAndRefusesToCloseOrPrint)
{
    TPreviewBoard board(23);
    bool sawRunning = false, sawEnd = false;
    TLater later;
    board.Preview([&](TfrmPreview &form, int) {
        if (!Finished(form)) {
            if (sawRunning)
                return;
            sawRunning = true;
            EXPECT_NE(form.pre1->Image().Metafile(), nullptr);
            EXPECT_FALSE(board.main->Enabled());
            form.btnPrint->Click();
            form.btnCloseClick(nullptr);
            EXPECT_TRUE(form.Visible());
            return;
        }
        if (sawEnd)
            return;
        sawEnd = true;
        later.Post(form, [&] {
        EXPECT_TRUE(board.main->Enabled());
        EXPECT_TRUE(board.main->FPreviewOpen);
        EXPECT_EQ(form.spePage->MaxValue(), 3);
        EXPECT_TRUE(form.spePage->Enabled());
        form.btnNextClick(nullptr);
        EXPECT_EQ(form.pre1->PageNumber(), 2);
        EXPECT_EQ(form.spePage->Value(), 2);
        form.btnLastClick(nullptr);
        EXPECT_EQ(form.pre1->PageNumber(), 3);
        form.btnNextClick(nullptr);
        EXPECT_EQ(form.pre1->PageNumber(), 3);
        form.btnPriorClick(nullptr);
        form.btnFirstClick(nullptr);
        form.btnPriorClick(nullptr);
        EXPECT_EQ(form.spePage->Value(), 1);
        EXPECT_EQ(form.pre1->PageNumber(), 1);
        form.SpeedButton1Click(nullptr);
        EXPECT_EQ(form.speZoom->Value(), 100);
        form.SpeedButton2Click(nullptr);
        EXPECT_EQ(form.speZoom->Value(), form.pre1->Zoom());
        EXPECT_EQ(form.pre1->ZoomState(), rpZoomToWidth);
        form.btnFitClick(nullptr);
        EXPECT_EQ(form.speZoom->Value(), std::clamp(form.pre1->Zoom(), 10, 300));
        EXPECT_EQ(form.pre1->ZoomState(), rpZoomToFit);
        // Printing from the preview runs a print command of its own, its dialog above the preview.
        bool dialogShown = false;
        board.main->RunPrintDialog = [&](TCustomForm &dialog) {
            dialogShown = true;
            EXPECT_EQ(dialog.FormStyle(), fsStayOnTop);
            return mrCancel;
        };
        form.btnPrint->Click();
        EXPECT_TRUE(dialogShown);
        form.speZoom->SetValue(150);
        form.speZoomChange(nullptr);
        EXPECT_EQ(form.pre1->Zoom(), 150);
        form.btnCloseClick(nullptr);
        });
    });
    EXPECT_TRUE(sawRunning);
    EXPECT_TRUE(sawEnd);
    ASSERT_EQ(board.services->messages.size(), 2u);
    EXPECT_EQ(board.services->messages[0].text, "レポート生成中です。しばらくお待ち下さい。");
    EXPECT_EQ(board.services->messages[1].text, "レポート生成中です。しばらくお待ち下さい。");
    EXPECT_FALSE(board.main->FPreviewOpen);
    EXPECT_EQ(frmPreview, nullptr);
}

TEST(PreviewWindow, OnePageDisablesThePageBox)
{
    TPreviewBoard board(1);
    TLater later;
    board.Preview([&](TfrmPreview &form, int) {
        if (!Finished(form))
            return;
        EXPECT_FALSE(form.spePage->Enabled());
        later.Post(form, [&] { form.btnCloseClick(nullptr); });
    });
    EXPECT_FALSE(board.main->FPreviewOpen);
}

TEST(PreviewWindow, TheMainWindowStaysOpenUntilTheLastPreviewCloses)
{
    TPreviewBoard board(2);
    int previews = 0;
    TLater first, second;
    board.Preview([&](TfrmPreview &form, int) {
        if (!Finished(form))
            return;
        if (++previews == 1) {
            first.Post(form, [&] {
                // A second preview, opened and closed while the first is up.
                board.main->mitPreviewClick();
                EXPECT_TRUE(board.main->FPreviewOpen);
                bool canClose = true;
                board.main->FormCloseQuery(board.main.get(), canClose);
                EXPECT_FALSE(canClose);
                form.btnCloseClick(nullptr);
            });
        } else {
            second.Post(form, [&] { form.btnCloseClick(nullptr); });
        }
    });
    EXPECT_EQ(previews, 2);
    EXPECT_FALSE(board.main->FPreviewOpen);
}

TEST(PreviewWindow, AReportFormGoingFirstClosesItsPreview)
{
    TPreviewBoard board(1);
    {
        TrepForm rep(*board.main);
        ASSERT_TRUE(rep.rep1->NewPrinter());
        rep.myPreview(rep.rep1->ReportPrinter());
        ASSERT_NE(frmPreview, nullptr);
        EXPECT_TRUE(frmPreview->Visible());
    }
    // The window closed itself; nothing is left to call into the freed form.
    EXPECT_EQ(frmPreview, nullptr);
    ProcessMessages();
}

TEST(PreviewWindow, TheZoomBoxStepsByTen)
{
    TPreviewBoard board(1);
    TLater later;
    std::vector<int> zooms;
    board.Preview([&](TfrmPreview &form, int) {
        if (!Finished(form))
            return;
        later.Post(form, [&] {
            form.speZoom->SetValue(64);
            ASSERT_TRUE(SimulateActivation(form));
            SimulateClick(*form.speZoom, TPoint{5, 5});
            ASSERT_EQ(FocusedControl(), form.speZoom);
            SimulateKey(VK_UP);
            zooms.push_back(form.pre1->Zoom());
            SimulateKey(VK_DOWN);
            SimulateKey(VK_DOWN);
            zooms.push_back(form.pre1->Zoom());
            form.btnCloseClick(nullptr);
        });
    });
    EXPECT_EQ(zooms, (std::vector<int>{74, 54}));
}

namespace {

bool Black(const TBitmap &b, int x, int y)
{
    return x >= 0 && y >= 0 && x < b.Width() && y < b.Height() && b.Pixel(x, y) == clBlack;
}

// The first black pixel from `from` towards `to` along a row or a column.
int FirstBlack(const TBitmap &b, int from, int to, int at, bool alongRow)
{
    for (int i = from; i != to; i += from < to ? 1 : -1)
        if (alongRow ? Black(b, i, at) : Black(b, at, i))
            return i;
    return -1;
}

// Lines of a page found where no text lies, in pixels of the page drawn at
// 100 %: the frame's four sides, the heading rule and the lines that cross
// the row just above the rule (the stamp boxes').
struct TPageLines {
    std::vector<int> across;  // x of vertical lines, crossing the middle row
    std::vector<int> stamps;  // x of vertical lines, crossing the row above the rule
    std::vector<int> down;    // y of horizontal lines, crossing the middle column
    int stampRow = 0;
};

TPageLines FindLines(const TBitmap &page)
{
    const int faceRight = page.Width() - 4, faceBottom = page.Height() - 4;
    const int midX = page.Width() / 2, midY = page.Height() / 2;
    TPageLines lines;
    const int left = FirstBlack(page, 1, faceRight, midY, true);
    const int right = FirstBlack(page, faceRight, 0, midY, true);
    const int top = FirstBlack(page, 1, faceBottom, midX, false);
    const int bottom = FirstBlack(page, faceBottom, 0, midX, false);
    const int rule = FirstBlack(page, top + 2, faceBottom, right - 3, false);
    lines.across = {left, right};
    lines.down = {top, rule, bottom};
    lines.stampRow = rule - 3;
    for (int x = left + 2; x < right - 1; ++x)
        if (Black(page, x, lines.stampRow) && !Black(page, x - 1, lines.stampRow))
            lines.stamps.push_back(x);
    return lines;
}

// Shows the board's preview and, once its report is finished, runs `check`
// on the preview control sized 800 x 570, then closes the preview.
void ShowFinishedPreview(TPreviewBoard &board, const std::function<void(TRpPreview &)> &check)
{
    TLater later;
    board.Preview([&](TfrmPreview &form, int) {
        if (!Finished(form))
            return;
        later.Post(form, [&] {
            TRpPreview &preview = *form.pre1;
            preview.SetBounds(preview.Left(), preview.Top(), 800, 570);
            check(preview);
            form.btnCloseClick(nullptr);
        });
    });
}

// What the preview control shows now, painted as on screen.
TBitmap ControlPixels(TRpPreview &preview)
{
    TBitmap shown(preview.Width(), preview.Height());
    preview.PaintTo(shown.Canvas());
    return shown;
}

} // namespace

TEST(PreviewWindow, EveryLineOfThePageShowsWhenThePageIsShownSmaller)
{
    TPreviewBoard board(12);
    std::vector<int> checked;
    ShowFinishedPreview(board, [&](TRpPreview &preview) {
    const TMetafile &page = *preview.Image().Metafile();
    preview.SetZoom(100);
    TBitmap full(preview.Image().Width(), preview.Image().Height());
    TRpPreviewImage::DrawPageImage(&page, full.Canvas(), {0, 0, full.Width(), full.Height()}, false);
    const TPageLines lines = FindLines(full);
    ASSERT_EQ(lines.stamps.size(), 4u);
    const int opening = [&] { preview.ZoomToWidth(); return preview.Zoom(); }();
    const int fit = [&] { preview.ZoomToFit(); return preview.Zoom(); }();
    for (int zoom : {opening, fit, 64, 68, 50}) {
        preview.SetZoom(zoom);
        const TBitmap shown = ControlPixels(preview);
        const TRpPreviewImage &image = preview.Image();
        auto x = [&](int px) { return image.Left() + RoundInt(px * static_cast<long double>(image.Width()) / full.Width()); };
        auto y = [&](int py) { return image.Top() + RoundInt(py * static_cast<long double>(image.Height()) / full.Height()); };
        auto vertical = [&](int px, int row) {
            return Black(shown, x(px) - 1, y(row)) || Black(shown, x(px), y(row)) || Black(shown, x(px) + 1, y(row));
        };
        auto horizontal = [&](int py, int column) {
            return Black(shown, x(column), y(py) - 1) || Black(shown, x(column), y(py)) || Black(shown, x(column), y(py) + 1);
        };
        for (int px : lines.across)
            EXPECT_TRUE(vertical(px, full.Height() / 2)) << "zoom " << zoom << ", line at x " << px;
        for (int px : lines.stamps)
            EXPECT_TRUE(vertical(px, lines.stampRow)) << "zoom " << zoom << ", stamp line at x " << px;
        for (int py : lines.down)
            EXPECT_TRUE(horizontal(py, full.Width() / 2)) << "zoom " << zoom << ", line at y " << py;
        checked.push_back(zoom);
    }
    });
    EXPECT_EQ(checked.size(), 5u);
}

namespace {

// The page with its texts' clipping taken off.
TMetafile Unclipped(const TMetafile &page)
{
    constexpr std::uint32_t kTextRecord = 84;
    std::string bytes = page.Data();
    for (size_t at = 0; at + 56 <= bytes.size();) {
        std::uint32_t type, size, options;
        std::memcpy(&type, bytes.data() + at, 4);
        std::memcpy(&size, bytes.data() + at + 4, 4);
        if (type == kTextRecord) {
            std::memcpy(&options, bytes.data() + at + 52, 4);
            options &= ~static_cast<std::uint32_t>(ETO_CLIPPED);
            std::memcpy(bytes.data() + at + 52, &options, 4);
        }
        if (size == 0)
            break;
        at += size;
    }
    TMetafile unclipped;
    unclipped.LoadFromBytes(bytes);
    return unclipped;
}

} // namespace

// Shown smaller, the texts of the header and footer (auto-sized to the text
// at the page's own size) lose nothing to the rectangles that clip them.
TEST(PreviewWindow, EveryTextShowsWholeWhenThePageIsShownSmaller)
{
    TPreviewBoard board(4);
    PrintKaishamei = "株式会社テスト";
    std::vector<int> checked;
    ShowFinishedPreview(board, [&](TRpPreview &preview) {
    const TMetafile unclipped = Unclipped(*preview.Image().Metafile());
    const int fit = [&] { preview.ZoomToFit(); return preview.Zoom(); }();
    for (int zoom : {50, fit, 64}) {
        preview.SetZoom(zoom);
        const TBitmap shown = ControlPixels(preview);
        const TRpPreviewImage &image = preview.Image();
        TBitmap whole(image.Width(), image.Height());
        TRpPreviewImage::DrawPageImage(&unclipped, whole.Canvas(), {0, 0, whole.Width(), whole.Height()}, false);
        int cut = 0;
        // The page's face, inside its frame and shadow.
        for (int y = 1; y < whole.Height() - 4; ++y)
            for (int x = 1; x < whole.Width() - 4; ++x)
                cut += whole.Pixel(x, y) != shown.Pixel(image.Left() + x, image.Top() + y);
        EXPECT_EQ(cut, 0) << "zoom " << zoom;
        checked.push_back(zoom);
    }
    });
    ResetPageSettings();
    EXPECT_EQ(checked.size(), 3u);
}

namespace {

std::int32_t I32(const std::string &bytes, size_t at)
{
    std::int32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

// Where the page draws lines (a move and a line to) down its columns
// (`vertical`) or along its rows: their x or y.
std::set<int> DrawnLines(const TMetafile &page, bool vertical)
{
    constexpr std::int32_t kMoveTo = 27, kLineTo = 54;
    const std::string &bytes = page.Data();
    std::set<int> lines;
    int x = 0, y = 0;
    for (size_t at = 0; at + 16 <= bytes.size() && I32(bytes, at + 4) > 0; at += I32(bytes, at + 4)) {
        const std::int32_t type = I32(bytes, at), toX = I32(bytes, at + 8), toY = I32(bytes, at + 12);
        if (type == kLineTo && (vertical ? toX == x : toY == y))
            lines.insert(vertical ? x : y);
        if (type == kMoveTo || type == kLineTo)
            std::tie(x, y) = std::pair{toX, toY};
    }
    return lines;
}

// Of the lines drawn at `drawn`, those crossing one row (`vertical`) or
// column of the picture, running on for eight pixels each way, with three
// white pixels on either side: the row or column crossed by the most of
// them, and where they cross it.
struct TCrossing {
    int at = 0;
    std::vector<int> lines;
};

TCrossing LonelyLines(const TBitmap &b, const std::set<int> &drawn, bool vertical)
{
    auto dark = [&](int along, int at) {
        const int x = vertical ? along : at, y = vertical ? at : along;
        return x >= 0 && y >= 0 && x < b.Width() && y < b.Height() && b.Pixel(x, y) != clWhite;
    };
    const int across = vertical ? b.Height() : b.Width();
    TCrossing best;
    for (int at = 0; at < across; ++at) {
        TCrossing here{at, {}};
        for (int i : drawn) {
            bool line = true;
            for (int k = 1; k <= 3 && line; ++k)
                line = !dark(i - k, at) && !dark(i + k, at);
            for (int k = -8; k <= 8 && line; ++k)
                line = dark(i, at + k);
            if (line)
                here.lines.push_back(i);
        }
        if (here.lines.size() > best.lines.size())
            best = here;
    }
    return best;
}

// How wide each of the lines shows where they cross the scaled picture.
std::vector<int> ShownWidths(const TBitmap &shown, const TCrossing &crossing, bool vertical, double scale)
{
    auto dark = [&](int along, int at) {
        const int x = vertical ? along : at, y = vertical ? at : along;
        return x >= 0 && y >= 0 && x < shown.Width() && y < shown.Height() && shown.Pixel(x, y) == clBlack;
    };
    const int at = static_cast<int>(std::lrint((crossing.at + 0.5) * scale));
    std::vector<int> widths;
    for (int line : crossing.lines) {
        int i = static_cast<int>(std::lrint(line * scale)) - 1;
        while (!dark(i, at) && i <= std::lrint((line + 1) * scale))
            ++i;
        int width = 0;
        while (dark(i + width, at))
            ++width;
        widths.push_back(width);
    }
    return widths;
}

} // namespace

// The page's day lines and row lines, each one pixel wide where the page is
// drawn at its own size, show equally wide at every zoom: none of them twice
// as thick as the others.
TEST(PreviewWindow, LinesOfOneWidthShowEquallyWideAtEveryZoom)
{
    TPreviewBoard board(6);
    std::vector<int> checked;
    ShowFinishedPreview(board, [&](TRpPreview &preview) {
    const TMetafile &page = *preview.Image().Metafile();
    TBitmap own(page.Width(), page.Height());
    page.Play(own.Canvas(), {0, 0, own.Width(), own.Height()});
    const TCrossing days = LonelyLines(own, DrawnLines(page, true), true);
    const TCrossing rows = LonelyLines(own, DrawnLines(page, false), false);
    ASSERT_GE(days.lines.size(), 20u);
    ASSERT_GE(rows.lines.size(), 4u);
    const int fit = [&] { preview.ZoomToFit(); return preview.Zoom(); }();
    for (int zoom : {103, fit, 110, 128, 150}) {
        preview.SetZoom(zoom);
        const TRpPreviewImage &image = preview.Image();
        TBitmap shown(image.Width(), image.Height());
        TRpPreviewImage::DrawPageImage(&page, shown.Canvas(), {0, 0, shown.Width(), shown.Height()}, false);
        const double scale = static_cast<double>(shown.Width()) / own.Width();
        // As wide as the widest a page pixel shows: 2 at 103 %.
        const int thickness = std::max(1, static_cast<int>(std::ceil(scale)));
        for (bool vertical : {true, false}) {
            const TCrossing &lines = vertical ? days : rows;
            const std::vector<int> widths = ShownWidths(shown, lines, vertical, scale);
            for (size_t k = 0; k < widths.size(); ++k)
                EXPECT_EQ(widths[k], thickness) << "zoom " << zoom << ", line at " << lines.lines[k];
        }
        checked.push_back(zoom);
    }
    });
    EXPECT_EQ(checked.size(), 5u);
}

TEST(PreviewWindow, ItsMessagesBelongToIt)
{
    TPreviewBoard board(23);
    TForm elsewhere(nullptr);
    elsewhere.SetBounds(0, 0, 200, 100);
    const TfrmPreview *preview = nullptr;
    TLater later;
    board.Preview([&](TfrmPreview &form, int) {
        if (preview != nullptr || Finished(form))
            return;
        preview = &form;
        // Another window is active: the person closes the preview from the
        // window list, then presses its print button.
        ASSERT_TRUE(SimulateActivation(elsewhere));
        form.Close();
        form.btnPrint->Click();
        EXPECT_TRUE(form.Visible());
        later.Post(form, [&] { form.btnCloseClick(nullptr); });
    });
    ASSERT_EQ(board.services->messages.size(), 2u);
    for (const auto &message : board.services->messages) {
        EXPECT_EQ(message.text, "レポート生成中です。しばらくお待ち下さい。");
        EXPECT_EQ(message.owner, preview);
    }
}

// Resting the pointer on the close button shows the button's hint after the
// application's hint pause, not the toolbar's (which has none).
TEST(PreviewWindow, TheCloseButtonShowsItsHint)
{
    TPreviewBoard board(1);
    const int savedPause = Application().HintPause();
    Application().SetHintPause(20);
    TLater later;
    std::string shown;
    board.Preview([&](TfrmPreview &form, int) {
        if (!Finished(form))
            return;
        later.Post(form, [&] {
            Application().CancelHint();
            SimulateMouseMove(*form.btnClose, TPoint{30, 12});
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
            while (std::chrono::steady_clock::now() < until && Application().ShownHint().empty()) {
                ProcessMessages();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            shown = Application().ShownHint();
            Application().CancelHint();
            form.btnCloseClick(nullptr);
        });
    });
    Application().SetHintPause(savedPause);
    EXPECT_EQ(shown, "プレビューを閉じる");
}

namespace {

// UTF-8 for text of the basic plane, as the captions here are.
std::string Utf8(const std::u16string &wide)
{
    std::string out;
    for (char16_t c : wide) {
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        if (c >= 0x800)
            out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(c < 0x800 ? 0xC0 | (c >> 6) : 0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

struct TPageText {
    std::string Text;
    int X = 0, Right = 0, ClipRight = 0;
};

// The wide-character texts of a recorded page in drawing order: where each
// starts, where its advances end and where its clip rectangle ends.
std::vector<TPageText> PageTexts(const TMetafile &page)
{
    constexpr std::int32_t kExtTextOutW = 84;
    const std::string &bytes = page.Data();
    std::vector<TPageText> texts;
    for (size_t at = 0; at + 8 <= bytes.size() && I32(bytes, at + 4) > 0; at += I32(bytes, at + 4)) {
        if (I32(bytes, at) != kExtTextOutW)
            continue;
        const auto count = static_cast<size_t>(I32(bytes, at + 44));
        std::u16string wide(count, u'\0');
        std::memcpy(wide.data(), bytes.data() + at + I32(bytes, at + 48), count * 2);
        TPageText text{Utf8(wide), I32(bytes, at + 36), I32(bytes, at + 36),
                       I32(bytes, at + 64)};
        for (size_t i = 0; i < count; ++i)
            text.Right += I32(bytes, at + I32(bytes, at + 72) + 4 * i);
        texts.push_back(text);
    }
    return texts;
}

} // namespace

// The preview's page shows a caption wider than its column whole, line by
// line as the screen wraps it, every line ending inside the cell's frame.
TEST(PreviewWindow, AWrappedCaptionShowsLineByLineInsideItsCell)
{
    TPreviewBoard board(1);
    board.main->pnlItem->SetWidth(180);
    TMemo &caption = *ItemList[0]->FMemo;
    caption.SetHeight(100);
    caption.SetText("要件定義と顧客ヒアリングおよび現行業務の調査分析と課題の洗い出しを行う工程");
    const std::vector<std::string> shown = caption.Lines();
    ASSERT_EQ(shown.size(), 3u);
    const int cellRight = RoundInt(100 * 96 / 254.0) + 180;  // the 10 mm margin and the column
    std::vector<std::string> printed;
    ShowFinishedPreview(board, [&](TRpPreview &preview) {
        for (const TPageText &text : PageTexts(*preview.Image().Metafile())) {
            if (std::find(shown.begin(), shown.end(), text.Text) == shown.end())
                continue;
            printed.push_back(text.Text);
            EXPECT_LE(text.ClipRight, cellRight - 1) << text.Text;
            EXPECT_LE(text.Right, text.ClipRight) << text.Text;
        }
    });
    EXPECT_EQ(printed, shown);
}

// A document far longer than the window: every page of the preview shows
// each progress strip in its bar's achievement colour, whichever rows the
// screen has placed, with the view at the top and at the bottom.
TEST(PreviewWindow, EveryProgressStripShowsInItsBarsColourWhereverTheWindowIsScrolled)
{
    TPreviewBoard board(60);
    AddProgressBars(StartDate);
    ShowWindowAtTop(*board.main);
    auto previewedColours = [&] {
        std::string colours;
        int pages = 0;
        ShowFinishedPreview(board, [&](TRpPreview &preview) {
            TRpPrinter &printer = *preview.Printer();
            pages = printer.PageCount();
            for (int n = 1; n <= pages; ++n) {
                const std::unique_ptr<TMetafile> page = printer.GetPage(n);
                ASSERT_NE(page, nullptr);
                TBitmap image(page->Width(), page->Height());
                image.Canvas().Brush().SetColor(clWhite);
                image.Canvas().FillRect(TRect{0, 0, image.Width(), image.Height()});
                page->Play(image.Canvas(), TRect{0, 0, image.Width(), image.Height()});
                colours += StripColoursDown(image, 5);
            }
        });
        EXPECT_GE(pages, 3);
        return colours;
    };
    EXPECT_EQ(previewedColours(), ExpectedStripColours());
    ScrollWindowToBottom(*board.main);
    EXPECT_EQ(previewedColours(), ExpectedStripColours());
}
