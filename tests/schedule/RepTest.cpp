// The schedule report: page, header, date axis and the row band, read from
// the pages a run records and from the controls the run placed.
#include <gtest/gtest.h>

#include "platform/widgets/Memo.h"
#include "schedule/printing/Rep.h"
#include "tests/report/BandReportTestDevice.h"
#include "tests/schedule/DialogFixture.h"
#include "schedule/InitSetting.h"
#include "tests/ModalScript.h"
#include "tests/schedule/ProgressStrips.h"
#include "tests/schedule/TestBars.h"

#include <algorithm>

using report_test::TTestDevice;

namespace {

struct TReportBoard : TDialogFixture {
    std::vector<TDateTime> savedHolidays = HolidayList;
    int savedMode = JissekiHyouji;

    explicit TReportBoard(int rows = 12, int days = 31, TDateTime start = EncodeDate(2024, 4, 1))
    {
        HolidayList.clear();
        for (int i = 0; i < rows; ++i) {
            main->AddItem();
            ItemList.back()->FMemo->SetText("項目" + std::to_string(i + 1));
        }
        main->RedrawChart();
        StartDate = start;
        DaysShown = days;
    }
    ~TReportBoard()
    {
        HolidayList = savedHolidays;
        JissekiHyouji = savedMode;
    }
    // Runs the report on an A4 landscape recording device.
    std::unique_ptr<TTestDevice> Run(TrepForm &rep)
    {
        auto device = std::make_unique<TTestDevice>(96, 2100, 2970);
        device->Orientation = poLandscape;
        rep.rep1->BuildReport(*device);
        return device;
    }
};

bool Shows(const std::vector<std::string> &texts, const std::string &text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

int Right(const TRpControl &c) { return c.Left() + c.Width(); }

std::vector<std::string> Captions(const std::vector<std::unique_ptr<TRpLabel>> &labels)
{
    std::vector<std::string> captions;
    for (const auto &label : labels)
        captions.push_back(label->Caption());
    return captions;
}

} // namespace

TEST(RepForm, TwelveRowsMakeTwoLandscapePagesWithTheHeaderOnEach)
{
    TReportBoard board;
    board.main->edtHdTitle->SetText("工程表");
    TrepForm rep(*board.main);
    auto device = board.Run(rep);
    ASSERT_EQ(device->Pages, 2);
    EXPECT_EQ(rep.bndHeader->Width(), 1047);  // 277 mm at 96 per inch
    const auto page1 = device->TextsOnPage(1);
    const auto page2 = device->TextsOnPage(2);
    for (const char *text : {"スケジュール表", "タイトル", "工程表", "作成日:", "頁:1", "承認", "査閲",
                             "担当者", "作成者", " 日付範囲", " 2024/04/01～2024/05/01", "2024年", "4月", "5月", "30"})
        EXPECT_TRUE(Shows(page1, text)) << text;
    EXPECT_EQ(rep.lblDate->Caption(), "2024/01/10\xE3\x80\x80       ");
    for (int i = 1; i <= 11; ++i)
        EXPECT_TRUE(Shows(page1, "項目" + std::to_string(i))) << i;
    EXPECT_FALSE(Shows(page1, "項目12"));
    EXPECT_TRUE(Shows(page2, "頁:2"));
    EXPECT_TRUE(Shows(page2, "スケジュール表"));
    EXPECT_TRUE(Shows(page2, "項目12"));
    EXPECT_FALSE(Shows(page2, "項目11"));
    EXPECT_EQ(rep.RowCounter(), 12);
    EXPECT_EQ(rep.WaitDialog(), nullptr);
}

// The faces of the form's texts equal the fonts a new control starts with
// (9 pt of the proportional face); they must not fall back to the band's or
// the report's font for that.
TEST(RepForm, EveryTextPrintsInTheFaceItsControlNames)
{
    TReportBoard board(1);
    TEvent event;
    event.EventDate = StartDate + 3;
    event.Marker = "▲";
    event.EventName = "検収";
    event.FontName = "ＭＳ Ｐゴシック";
    event.FontSize = 9;
    ItemList[0]->FEvents.push_back(event);
    TrepForm rep(*board.main);
    auto device = board.Run(rep);
    // The face of the first text on page 1 that starts so.
    auto faceOf = [&](const std::string &text) {
        for (const report_test::TRecordedText &t : device->Texts())
            if (t.Page == 1 && t.Text.rfind(text, 0) == 0)
                return t.Face;
        return std::string("(not printed)");
    };
    for (const char *text : {" ", "スケジュール表", "タイトル", "作成日:", "2024/01/10", "頁:1",
                             "承認", "作成者", " 日付範囲", " 2024/04/01～2024/05/01", "▲検収"})
        EXPECT_EQ(faceOf(text), "ＭＳ Ｐゴシック") << text;
    for (const char *text : {"2024年", "4月", "15"})
        EXPECT_EQ(faceOf(text), "MS UI Gothic") << text;
    EXPECT_EQ(faceOf("項目1"), ItemList[0]->FMemo->Font().Name());
}

TEST(RepForm, StampBoxesSetTheHeadingHeightAndPushTheDateLeft)
{
    TReportBoard board(1);
    {
        TrepForm rep(*board.main);
        board.Run(rep);
        const int w = rep.bndHeader->Width();
        EXPECT_EQ(rep.lblHeader->Height(), 50);
        EXPECT_EQ(rep.bndHeader->Height(), 50 + 50);
        EXPECT_EQ(rep.lblhanko4->Left(), w - 51);
        EXPECT_EQ(rep.lblHanko1->Left(), w - 1 - 50 * 4);
        EXPECT_EQ(rep.lblHanko1->Height(), 47);
        // The page number ends at the leftmost box; the date labels end
        // there too, or left of it where the date needs more room.
        EXPECT_EQ(Right(*rep.rpsPage), rep.lblHanko1->Left());
        EXPECT_LE(Right(*rep.lblDate), rep.lblHanko1->Left());
        EXPECT_LE(Right(*rep.lblD), Right(*rep.lblDate));
    }
    PrintHanko2 = PrintHanko3 = PrintHanko4 = false;
    {
        TrepForm rep(*board.main);
        board.Run(rep);
        const int w = rep.bndHeader->Width();
        EXPECT_EQ(rep.lblHanko1->Left(), w - 51);
        EXPECT_EQ(Right(*rep.rpsPage), w - 51);
        EXPECT_EQ(rep.lblhanko2->Top(), ParkedTop);
    }
    PrintHanko1 = false;
    PrintDate = false;
    {
        TrepForm rep(*board.main);
        auto device = board.Run(rep);
        EXPECT_EQ(rep.lblHeader->Height(), 30);
        EXPECT_EQ(rep.bndHeader->Height(), 30 + 50);
        EXPECT_EQ(rep.lblDate->Top(), ParkedTop);
        EXPECT_EQ(rep.lblD->Top(), ParkedTop);
        EXPECT_EQ(rep.lblHanko1->Top(), ParkedTop);
    }
    PrintTitle = false;
    {
        TrepForm rep(*board.main);
        board.Run(rep);
        EXPECT_EQ(rep.lblT->Top(), ParkedTop);
        EXPECT_EQ(rep.lblHdTitle->Top(), ParkedTop);
    }
}

// The page number prints over the date label's trailing spaces; in any face
// the date's digits end before it, and 作成日: ends before the date.
TEST(RepForm, ThePageNumberNeverCoversTheDate)
{
    TReportBoard board(1);
    board.services->now = EncodeDate(2026, 12, 9) + 0.5;
    for (const char *face : {"ＭＳ Ｐゴシック", "DejaVu Sans", "DejaVu Sans Mono"}) {
        TrepForm rep(*board.main);
        for (TRpCustomLabel *label : {(TRpCustomLabel *)rep.lblD, (TRpCustomLabel *)rep.lblDate, (TRpCustomLabel *)rep.rpsPage})
            label->Font().SetName(face);
        auto device = board.Run(rep);
        TBitmap measure(1, 1);
        measure.Canvas().Font().Assign(rep.lblDate->Font());
        auto drawn = [&](const std::string &start) {
            for (const report_test::TRecordedText &t : device->Texts())
                if (t.Page == 1 && t.Text.rfind(start, 0) == 0)
                    return t;
            return report_test::TRecordedText{};
        };
        const auto caption = drawn("作成日:"), date = drawn("2026/12/09"), page = drawn("頁:1");
        EXPECT_LE(caption.X + measure.Canvas().TextWidth("作成日:"), date.X) << face;
        EXPECT_LT(date.X + measure.Canvas().TextWidth("2026/12/09"), page.X) << face;
        EXPECT_EQ(Right(*rep.rpsPage), rep.lblHanko1->Left()) << face;
    }
}

// The page number's box keeps its width while "頁:" and the number fit; a
// number from 100 on widens it to the left, its right edge staying at the
// stamp boxes, and prints whole without covering the date.
TEST(RepForm, PageNumbersPrintWholeAndEndWhereTheBoxEnds)
{
    TReportBoard board(273);
    board.services->now = EncodeDate(2026, 12, 9) + 0.5;
    for (auto &row : ItemList)
        row->FMemo->SetHeight(600);  // one row fills a page
    TrepForm rep(*board.main);
    auto device = board.Run(rep);
    ASSERT_EQ(device->Pages, 273);
    auto drawn = [&](int page, const std::string &start) {
        for (const report_test::TRecordedText &t : device->Texts())
            if (t.Page == page && t.Text.rfind(start, 0) == 0)
                return t;
        return report_test::TRecordedText{};
    };
    // The white box under the page number: the fill its text starts on.
    auto box = [&](const report_test::TRecordedText &text) {
        for (const report_test::TRecordedFill &fill : device->Fills())
            if (fill.Page == text.Page && fill.Rect.Left == text.X && fill.Color == clWhite
                && fill.Rect.Top <= text.Y && text.Y < fill.Rect.Bottom)
                return fill.Rect;
        return TRect{};
    };
    const auto page7 = drawn(7, "頁:"), page99 = drawn(99, "頁:"), page100 = drawn(100, "頁:"),
               page273 = drawn(273, "頁:");
    EXPECT_EQ(page7.Text, "頁:7");
    EXPECT_EQ(page99.Text, "頁:99");
    EXPECT_EQ(page100.Text, "頁:100");
    EXPECT_EQ(page273.Text, "頁:273");
    // Up to 99 the box is the form's, 32 wide at the stamps' left as on page 1.
    const int marginX = RoundInt(100 * 96 / 254.0);  // the 10 mm left margin in pixels
    const TRect box7 = box(page7), box99 = box(page99), box273 = box(page273);
    EXPECT_EQ(page7.X, drawn(1, "頁:").X);
    EXPECT_EQ(box7.Width(), 32);
    EXPECT_EQ(box7.Right, marginX + rep.lblHanko1->Left());
    EXPECT_EQ(box99, box7);
    EXPECT_EQ(box(page100).Right, box7.Right);
    EXPECT_EQ(box273.Right, box7.Right);
    TBitmap measure(1, 1);
    measure.Canvas().Font().Assign(rep.rpsPage->Font());
    EXPECT_GE(box273.Width(), measure.Canvas().TextWidth("頁:273"));
    EXPECT_EQ(page273.X, box273.Left);
    // The date still ends before the number.
    const auto date = drawn(273, "2026/12/09");
    EXPECT_LT(date.X + measure.Canvas().TextWidth("2026/12/09"), page273.X);
    EXPECT_EQ(drawn(7, "2026/12/09").X, drawn(1, "2026/12/09").X);
}

TEST(RepForm, FooterHoldsTheCompanyNameLineByLine)
{
    TReportBoard board(1);
    {
        TrepForm rep(*board.main);
        board.Run(rep);
        EXPECT_EQ(rep.bndFooter->Height(), 0);
    }
    PrintKaishamei = "株式会社たるぼる\r\n設計部";
    TrepForm rep(*board.main);
    auto device = board.Run(rep);
    EXPECT_EQ(rep.memKaishamei->Height(), 24);
    EXPECT_EQ(rep.bndFooter->Height(), 29);
    EXPECT_TRUE(Shows(device->TextsOnPage(1), "株式会社たるぼる"));
    EXPECT_TRUE(Shows(device->TextsOnPage(1), "設計部"));
    EXPECT_EQ(rep.lblDummy->Caption(), "");
}

TEST(RepForm, PaperOutsideTheListKeepsTheFormsPage)
{
    TReportBoard board(1);
    PaperSize = 27;
    TrepForm rep(*board.main);
    TTestDevice device(96, 2500, 3540);
    rep.rep1->BuildReport(device);
    EXPECT_EQ(rep.rep1->Page().PaperSize(), TRpPaperSize::Custom);
    EXPECT_EQ(rep.rep1->Page().Orientation(), poPortrait);
    EXPECT_EQ(rep.bndHeader->Width(), RoundInt((2500 - 200) * 96 / 254.0));
}

TEST(RepForm, DateAxisLabelsFollowTheDaysShown)
{
    {
        TReportBoard board(1, 14);
        TrepForm rep(*board.main);
        board.Run(rep);
        const auto days = Captions(rep.DayLabels());
        ASSERT_EQ(days.size(), 14u);
        EXPECT_EQ(days[0], "1(月)");  // 2024/04/01 is a Monday
        EXPECT_EQ(days[6], "7(日)");
    }
    {
        TReportBoard board(1, 15);
        TrepForm rep(*board.main);
        board.Run(rep);
        EXPECT_EQ(Captions(rep.DayLabels())[0], "1");
    }
    {
        TReportBoard board(1, 62, EncodeDate(2024, 1, 1));
        TrepForm rep(*board.main);
        board.Run(rep);
        const auto days = Captions(rep.DayLabels());
        EXPECT_TRUE(std::find(days.begin(), days.end(), "31") == days.end());
        // January 1..29 odd (15), February 1..27 odd (14), March 1.
        EXPECT_EQ(days.size(), 15u + 14u + 1u);
    }
    {
        TReportBoard board(1, 100);
        TrepForm rep(*board.main);
        board.Run(rep);
        EXPECT_TRUE(rep.DayLabels().empty());
    }
    {
        // The last year a date can have: its year label is measured against the days left in it.
        TReportBoard board(1, 31, EncodeDate(9999, 12, 1));
        TrepForm rep(*board.main);
        ASSERT_NO_THROW(board.Run(rep));
        EXPECT_EQ(Captions(rep.YearLabels())[0], "9999年");
        EXPECT_EQ(Captions(rep.DayLabels()).size(), 31u);
    }
    {
        // The first year: a period across its end, and one whose first day
        // would be the day before it (the year before is never encoded).
        TReportBoard board(1, 7, EncodeDate(1, 12, 29));
        TrepForm rep(*board.main);
        ASSERT_NO_THROW(board.Run(rep));
        EXPECT_EQ(Captions(rep.YearLabels()), (std::vector<std::string>{"1年", "2年"}));
        EXPECT_EQ(rep.memPHeader->Lines().back(), " 0001/12/29～0002/01/04");
        StartDate = FirstDate - 1;
        ASSERT_NO_THROW(board.Run(rep));
        EXPECT_EQ(Captions(rep.YearLabels()).back(), "1年");
    }
}

TEST(RepForm, YearAndMonthChangesDrawTheirAxisLines)
{
    TReportBoard board(1, 31, EncodeDate(2024, 12, 31));
    TrepForm rep(*board.main);
    board.Run(rep);
    const int top = rep.memPHeader->Top();
    ASSERT_EQ(rep.YearLabels().size(), 2u);
    // One day is too narrow for "2024年" beside its line.
    EXPECT_EQ(rep.YearLabels()[0]->Caption(), "");
    EXPECT_EQ(rep.YearLabels()[1]->Caption(), "2025年");
    const TRpShape &yearLine = *rep.HeaderDayLines()[1];
    EXPECT_EQ(yearLine.Top(), top);
    EXPECT_EQ(yearLine.Height(), rep.memPHeader->Height());
    EXPECT_EQ(yearLine.Left(), RoundInt(rep.DayWidth()) + rep.memPHeader->Width() - 1);
    // A plain day: the short line under the day strip.
    EXPECT_EQ(rep.HeaderDayLines()[2]->Top(), top + 26);
    EXPECT_EQ(rep.HeaderDayLines()[2]->Height(), 14);
    EXPECT_EQ(rep.HeaderDayLines()[0]->Top(), ParkedTop);

    TReportBoard monthBoard(1, 31, EncodeDate(2024, 4, 20));
    TrepForm monthRep(*monthBoard.main);
    monthBoard.Run(monthRep);
    const TRpShape &monthLine = *monthRep.HeaderDayLines()[11];  // 2024/05/01
    EXPECT_EQ(monthLine.Top(), monthRep.memPHeader->Top() + 13);
    EXPECT_EQ(monthLine.Height(), 27);
}

TEST(RepForm, DayBackgroundsAlternateAndMarkHolidays)
{
    TReportBoard board(1, 31);
    HolidayList = {EncodeDate(2024, 4, 3)};
    HorydayColorOnly = false;
    {
        TrepForm rep(*board.main);
        board.Run(rep);
        EXPECT_EQ(rep.DayBackgrounds()[0]->Brush().Color(), DateColor1);
        EXPECT_EQ(rep.DayBackgrounds()[1]->Brush().Color(), DateColor2);
        EXPECT_EQ(rep.DayBackgrounds()[2]->Brush().Color(), HorydayColor);
        EXPECT_EQ(rep.DayBackgrounds()[1]->Left(), RoundInt(rep.DayWidth()) + rep.memPItem->Width());
    }
    HorydayColorOnly = true;
    TrepForm rep(*board.main);
    board.Run(rep);
    EXPECT_EQ(rep.DayBackgrounds()[0]->Brush().Color(), clWhite);
    EXPECT_EQ(rep.DayBackgrounds()[1]->Brush().Color(), clWhite);
    EXPECT_EQ(rep.DayBackgrounds()[2]->Brush().Color(), HorydayColor);
}

// ---------------------------------------------------------------- the row band

namespace {

// One row over 62 days at 10 pixels a day (caption column 427 of 1047).
struct TRowBoard : TReportBoard {
    TRowBoard() : TReportBoard(1, 62, EncodeDate(2024, 4, 1)) { main->pnlItem->SetWidth(427); }
    TItem &Row() { return *ItemList[0]; }
    TDateTime Day(int i) const { return EncodeDate(2024, 4, 1) + i; }
    std::unique_ptr<TTestDevice> Print(TrepForm &rep)
    {
        auto device = Run(rep);
        EXPECT_EQ(rep.ChartWidth(), 620);
        EXPECT_EQ(rep.DayWidth(), 10);
        return device;
    }
};

int Parked(const std::vector<std::unique_ptr<TRpShape>> &shapes)
{
    return static_cast<int>(std::count_if(shapes.begin(), shapes.end(),
                                          [](const auto &s) { return s->Top() == ParkedTop; }));
}

} // namespace

TEST(RepRowBand, RowHeightAndLinesSizeTheBand)
{
    TRowBoard board;
    {
        TrepForm rep(*board.main);
        board.Print(rep);
        EXPECT_EQ(rep.bndDetail->Height(), 55);
        EXPECT_EQ(rep.memPItem->Height(), 55);
        EXPECT_EQ(rep.shpDetailHLine->Top(), 53);
        EXPECT_EQ(Parked(rep.LineSeparators()), 10);
        EXPECT_EQ(rep.memPItem->Lines(), std::vector<std::string>{"項目1"});
        EXPECT_EQ(rep.DayGridLines()[0]->Top(), ParkedTop);
        EXPECT_EQ(rep.DayGridLines()[1]->Top(), 0);
        EXPECT_EQ(rep.DayGridLines()[1]->Height(), 54);
        EXPECT_EQ(rep.DayBackgrounds()[5]->Height(), 55);
    }
    board.Row().FMemo->SetHeight(47);
    board.main->SetLineCount(board.Row(), 3);
    ASSERT_EQ(board.Row().FLines[0]->Height(), 16);
    TrepForm rep(*board.main);
    board.Print(rep);
    EXPECT_EQ(rep.LineSeparators()[0]->Top(), 18);
    EXPECT_EQ(rep.LineSeparators()[1]->Top(), 34);
    EXPECT_EQ(Parked(rep.LineSeparators()), 8);
}

// A row caption starts clear of the page frame's left line, which runs down
// the caption column's edge, by the margin it keeps on screen; without that
// line, by the margin alone. Its text is fitted to the width that leaves. The
// printed period above the column starts clear of the line as well.
TEST(RepRowBand, CaptionsStartClearOfThePageFrame)
{
    TRowBoard board;
    board.Row().FMemo->SetText("RO追加");
    const int columnLeft = RoundInt(100 * 96 / 254.0);  // the 10 mm left margin in pixels
    auto textX = [&](const TTestDevice &device, const std::string &text) {
        for (const report_test::TRecordedText &t : device.Texts())
            if (t.Text == text)
                return t.X;
        return -1;
    };
    FrameWidth = 3;  // a line 4 pixels wide
    {
        TrepForm rep(*board.main);
        auto device = board.Print(rep);
        EXPECT_EQ(textX(*device, "RO追加"), columnLeft + 4 + MemoTextMargin);
        EXPECT_EQ(textX(*device, " 日付範囲"), columnLeft + 4);
        EXPECT_EQ(rep.memPItem->Left(), 0);
        EXPECT_EQ(rep.memPItem->Width(), 427);
    }
    FrameLeft = false;
    {
        TrepForm rep(*board.main);
        auto device = board.Print(rep);
        EXPECT_EQ(textX(*device, "RO追加"), columnLeft + MemoTextMargin);
        EXPECT_EQ(textX(*device, " 日付範囲"), columnLeft);
    }
    FrameLeft = true;
    FrameWidth = 1;
    board.main->pnlItem->SetWidth(60);
    board.Row().FMemo->SetText("設計工程表");
    TrepForm rep(*board.main);
    auto device = board.Run(rep);
    TBitmap measure(1, 1);
    measure.Canvas().Font().Assign(rep.memPItem->Font());
    std::string joined;
    for (const std::string &line : rep.memPItem->FormattedLines()) {
        EXPECT_LE(measure.Canvas().TextWidth(line), 60 - 1 - MemoTextMargin) << line;
        EXPECT_TRUE(Shows(device->TextsOnPage(1), line)) << line;
        joined += line;
    }
    EXPECT_EQ(joined, "設計工程表");
}

namespace {

using TLines = std::vector<std::string>;
const std::string LongCaption = "要件定義と顧客ヒアリングおよび現行業務の調査分析と課題の洗い出しを行う工程";

// Prints the one row of the board with a caption column `width` pixels wide
// and answers the lines of its caption on page 1, top to bottom, checking
// that each starts past the page frame's line and the text margin and ends
// clear of the cell's right frame line.
TLines PrintedCaption(TReportBoard &board, int width)
{
    const TMemo &caption = *ItemList[0]->FMemo;
    board.main->pnlItem->SetWidth(width);
    EXPECT_EQ(caption.Width(), width);
    TrepForm rep(*board.main);
    auto device = board.Run(rep);
    const int columnLeft = RoundInt(100 * 96 / 254.0);  // the 10 mm left margin
    const int frameLine = std::max(1, RoundInt(FrameWidth * 96 / 72.0));
    TBitmap measure(1, 1);
    measure.Canvas().Font().Assign(caption.Font());
    TLines lines;
    int lastY = -1;
    for (const report_test::TRecordedText &text : device->Texts()) {
        if (text.Page != 1 || text.Face != caption.Font().Name() || text.X >= columnLeft + width)
            continue;
        EXPECT_EQ(text.X, columnLeft + frameLine + MemoTextMargin) << text.Text;
        EXPECT_LE(text.X + measure.Canvas().TextWidth(text.Text), columnLeft + width - 2) << text.Text;
        EXPECT_GT(text.Y, lastY) << text.Text;
        lastY = text.Y;
        lines.push_back(text.Text);
    }
    return lines;
}

std::string Joined(const TLines &lines)
{
    std::string joined;
    for (const std::string &line : lines)
        joined += line;
    return joined;
}

// The lines joined by spaces, each checked to be whole words of `text`.
std::string WholeWords(const std::string &text, const TLines &lines)
{
    std::string joined;
    for (const std::string &line : lines) {
        EXPECT_NE((" " + text + " ").find(" " + line + " "), std::string::npos) << line;
        joined += (joined.empty() ? "" : " ") + line;
    }
    return joined;
}

} // namespace

// A caption wider than its column prints line by line as the screen wraps it,
// whether or not it has a window; a typed break prints as typed, Latin text
// breaks between words, and the lines the row's height cannot hold are left
// out. A thick page frame leaves less room than the screen has: there the
// caption wraps again for that room, and no character is lost.
TEST(RepRowBand, AWrappedCaptionPrintsLineByLineAsTheScreenShowsIt)
{
    TReportBoard board(1, 31);
    TMemo &caption = *ItemList[0]->FMemo;
    caption.SetHeight(100);
    caption.SetText(LongCaption);
    const TLines screen{"要件定義と顧客ヒアリングおよ", "び現行業務の調査分析と課題の", "洗い出しを行う工程"};
    EXPECT_EQ(PrintedCaption(board, 180), screen);
    EXPECT_EQ(caption.Lines(), screen);
    EXPECT_EQ(caption.Text(), LongCaption);

    caption.SetText("設計\r\n" + LongCaption);
    EXPECT_EQ(PrintedCaption(board, 180), (TLines{"設計", screen[0], screen[1], screen[2]}));

    const std::string latin = "Reviewing the plans with all teams before the release of the next version";
    caption.SetText(latin);
    EXPECT_EQ(PrintedCaption(board, 180), caption.Lines());
    EXPECT_GT(caption.Lines().size(), 2u);
    EXPECT_EQ(WholeWords(latin, caption.Lines()), latin);

    caption.SetText(LongCaption);
    caption.SetHeight(40);
    const TLines narrow = PrintedCaption(board, 104);  // eight characters fill a line to its last pixel
    const TLines shown = caption.Lines();
    EXPECT_EQ(shown[0], "要件定義と顧客ヒ");
    ASSERT_GT(narrow.size(), 1u);
    ASSERT_LT(narrow.size(), shown.size());
    EXPECT_EQ(narrow, TLines(shown.begin(), shown.begin() + static_cast<long>(narrow.size())));

    caption.SetHeight(100);
    FrameWidth = 10;
    const TLines thick = PrintedCaption(board, 180);
    EXPECT_EQ(Joined(thick), LongCaption);
    EXPECT_EQ(thick.size(), screen.size());  // wrapped again, not each line broken in two
    EXPECT_NE(thick[0], screen[0]);
    caption.SetText(latin);
    const TLines thickWords = PrintedCaption(board, 180);
    EXPECT_NE(thickWords, caption.Lines());
    EXPECT_EQ(WholeWords(latin, thickWords), latin);
    FrameWidth = 1;
}

TEST(RepRowBand, BarsAreClippedToTheChart)
{
    TRowBoard board;
    TItem &row = board.Row();
    AddTestBar(row, board.Day(-5), board.Day(3)).FBar->SetCaption("前");
    AddTestBar(row, board.Day(60), board.Day(70)).FBar->SetCaption("後");
    AddTestBar(row, board.Day(62), board.Day(64));  // starts at x = CW: not printed
    AddTestBar(row, board.Day(3), board.Day(5), 0, 1);  // on a line the row does not have
    TrepForm rep(*board.main);
    auto device = board.Print(rep);
    ASSERT_EQ(rep.BarShapes().size(), 2u);
    const int c = 427;
    const TShape &band = *row.FLines[0];
    const int top = band.Top() + band.Height() / 5 - row.FMemo->Top() + 2;
    EXPECT_EQ(rep.BarShapes()[0]->Left(), c);
    EXPECT_EQ(rep.BarShapes()[0]->Width(), 30);
    EXPECT_EQ(rep.BarShapes()[0]->Top(), top);
    EXPECT_EQ(rep.BarShapes()[0]->Height(), band.Height() - band.Height() / 2);
    EXPECT_EQ(rep.BarShapes()[1]->Left(), c + 599);
    EXPECT_EQ(Right(*rep.BarShapes()[1]), c + 620);
    EXPECT_EQ(rep.BarLabels()[0]->Caption(), "前");
    EXPECT_EQ(rep.BarLabels()[1]->Top(), top + 1);
    EXPECT_TRUE(Shows(device->TextsOnPage(1), "後"));
}

TEST(RepRowBand, ProgressStripsInRateAndDateMode)
{
    TRowBoard board;
    TItem &row = board.Row();
    TChart &half = AddTestBar(row, board.Day(10), board.Day(17));
    half.FRitsu = 50;
    half.ProgressBarNeeded();
    TChart &outside = AddTestBar(row, board.Day(62), board.Day(64));
    outside.FRitsu = 100;
    outside.ProgressBarNeeded();
    JissekiHyouji = 0;
    {
        TrepForm rep(*board.main);
        board.Print(rep);
        ASSERT_EQ(rep.ProgressShapes().size(), 2u);
        EXPECT_EQ(rep.ProgressShapes()[0]->Left(), 427 + 99);
        EXPECT_EQ(rep.ProgressShapes()[0]->Width(), 36);
        EXPECT_EQ(rep.ProgressShapes()[0]->Height(), 5);
        // The bar at x = CW does not print; its strip does, one pixel at the edge.
        EXPECT_EQ(rep.ProgressShapes()[1]->Left(), 427 + 619);
        EXPECT_EQ(rep.ProgressShapes()[1]->Width(), 1);
    }
    JissekiHyouji = 1;
    half.FChakushubi = half.FJissekibi = board.Day(12);
    TrepForm rep(*board.main);
    board.Print(rep);
    EXPECT_EQ(rep.ProgressShapes()[0]->Left(), 427 + 119);
    EXPECT_EQ(rep.ProgressShapes()[0]->Width(), 11);
}

TEST(RepRowBand, EventsSitOnTheirDayAndLine)
{
    TRowBoard board;
    TItem &row = board.Row();
    auto event = [&](int day, const std::string &marker, int position, bool done = false) {
        TEvent e;
        e.EventDate = board.Day(day);
        e.Marker = marker;
        e.EventName = "名";
        e.FontName = "ＭＳ ゴシック";
        e.FontSize = 9;
        e.Position = static_cast<std::uint8_t>(position);
        e.EndFlg = done;
        row.FEvents.push_back(e);
    };
    event(2, "!", 0);
    event(4, "★★★★", 1);
    event(6, "済", 2, true);
    event(62, "外", 0);
    TrepForm rep(*board.main);
    auto device = board.Print(rep);
    ASSERT_EQ(rep.EventLabels().size(), 2u);
    const TRpLabel &narrow = *rep.EventLabels()[0];
    const TRpLabel &wide = *rep.EventLabels()[1];
    EXPECT_EQ(narrow.Caption(), "!名");
    EXPECT_EQ(narrow.Left(), 427 + 20 + 2);
    EXPECT_EQ(narrow.Top(), 0);
    const TShape &band = *row.FLines[0];
    EXPECT_EQ(wide.Top(), band.Height() / 2 - wide.Height() / 2);
    EXPECT_LT(wide.Left(), 427 + 40);  // centred on its day, wider than it
    EXPECT_FALSE(Shows(device->TextsOnPage(1), "済名"));
    EXPECT_FALSE(Shows(device->TextsOnPage(1), "外名"));
}

TEST(RepRowBand, NegativeLinesAndStaleBarsDoNotMisplaceAnything)
{
    TRowBoard board;
    TItem &row = board.Row();
    TEvent event;
    event.EventDate = board.Day(3);
    event.Marker = "▲";
    event.Line = -1;
    row.FEvents.push_back(event);
    AddTestBar(row, board.Day(3), board.Day(5), 0, -1);
    TChart &unprinted = AddTestBar(row, board.Day(62), board.Day(64));
    unprinted.FRitsu = 100;
    unprinted.ProgressBarNeeded();
    unprinted.FBar->SetBounds(0, 500, 20, 3);  // geometry the screen left behind
    JissekiHyouji = 0;
    TrepForm rep(*board.main);
    board.Print(rep);
    EXPECT_TRUE(rep.EventLabels().empty());
    EXPECT_TRUE(rep.BarShapes().empty());
    ASSERT_EQ(rep.ProgressShapes().size(), 1u);
    const TShape &band = *row.FLines[0];
    const int barBottom = band.Top() + band.Height() / 5 + band.Height() - band.Height() / 2;
    EXPECT_EQ(rep.ProgressShapes()[0]->Top(), barBottom - row.FMemo->Top() + 1);
}

// The report takes what a row prints from the document, not from how the
// screen last placed the row: a strip placed in the colour of an earlier
// setting and put away, or never placed at all, prints in its bar's colour as
// the settings give it now; a caption the screen has no window for prints
// the lines it shows once scrolled to.
TEST(RepRowBand, RowsAwayFromTheViewPrintAsTheSettingsAndTheirCaptionsSayNow)
{
    TReportBoard board(120);
    const TColor savedDone = JissekiEndColor, savedHalf = JissekiColor;
    AddProgressBars(StartDate);
    board.main->pnlItem->SetWidth(180);
    TMemo &last = *ItemList.back()->FMemo;
    last.SetText(LongCaption);
    ShowWindowAtTop(*board.main);
    ScrollWindowToBottom(*board.main);
    board.main->scb1->VertScrollBar().SetPosition(0);
    // The rows near the end were placed in the old colours; the settings
    // change while the view is at the top.
    constexpr TColor Green = 0x00A000, Purple = 0x800080;
    testing_support::WhenDialogActive<TdlgInitSetting>([&](TdlgInitSetting &d) {
        d.pnlJissekiEndColor->SetColor(Green);
        d.pnlJissekiColor->SetColor(Purple);
        d.btnOk->Click();
    });
    board.main->mitInitSettingClick();
    ASSERT_EQ(JissekiEndColor, Green);
    ASSERT_FALSE(last.HandleAllocated());

    TrepForm rep(*board.main);
    auto device = board.Run(rep);
    std::string colours;
    for (const report_test::TRecordedFill &fill : device->Fills())
        if (fill.Rect.Height() == 5)
            colours += fill.Color == Green ? 'D' : fill.Color == Purple ? 'H' : '?';
    EXPECT_EQ(colours, ExpectedStripColours());

    const std::vector<std::string> shown = last.Lines();
    ASSERT_EQ(shown.size(), 3u);
    const std::vector<std::string> page = device->TextsOnPage(device->Pages);
    for (const std::string &line : shown)
        EXPECT_TRUE(Shows(page, line)) << line;
    ScrollWindowToBottom(*board.main);
    EXPECT_TRUE(last.HandleAllocated());
    EXPECT_EQ(last.Lines(), shown);
    JissekiEndColor = savedDone;
    JissekiColor = savedHalf;
}
