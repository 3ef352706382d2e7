// The printable controls: word wrap, automatic size, stretching over page
// ends, system values, expressions and shapes.
#include <gtest/gtest.h>

#include <algorithm>

#include "BandReportTestDevice.h"
#include "report/RpCtrls.h"

using report_test::TTestDevice;

namespace {

// A report with one detail band of 40 mm on A4 with 10 mm margins; records
// come from the need-data event.
struct TOneBandReport {
    TOneBandReport()
    {
        report = new TBandReport(&form);
        report->SetUnits(TRpUnit::MM);
        report->Page().SetPaperSize(TRpPaperSize::A4);
        detail = new TRpBand(&form, rbDetail);
        detail->SetParent(report);
        detail->Size().SetHeight(40);
        report->OnNeedData = [this](TObject *, bool &more) {
            more = delivered < records;
            if (more)
                ++delivered;
        };
    }
    template <typename T>
    T *Add()
    {
        auto *control = new T(&form);
        control->SetParent(detail);
        return control;
    }
    void Run(TTestDevice &device, int count)
    {
        records = count;
        delivered = 0;
        report->BuildReport(device);
    }

    TComponent form;
    TBandReport *report = nullptr;
    TRpBand *detail = nullptr;
    int records = 0;
    int delivered = 0;
};

bool ValidUtf8(const std::string &text)
{
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (n == 0 || i + n > text.size())
            return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

} // namespace

TEST(RpLabel, WrapsAtWordsAndCarriageReturns)
{
    TOneBandReport r;
    auto *label = r.Add<TRpLabel>();
    label->SetAutoSize(false);
    const int firstWord = r.report->MeasureTextWidth(label->EffectiveFont(), "alpha ");
    const int whole = r.report->MeasureTextWidth(label->EffectiveFont(), "alpha beta");
    ASSERT_LT(firstWord + 2, whole);
    label->SetWidth(firstWord + 2);
    label->SetCaption("alpha beta");
    EXPECT_EQ(label->FormattedLines(), (std::vector<std::string>{"alpha ", "beta"}));

    label->SetWidth(400);
    label->SetCaption("one\r\ntwo\r\n\r\nthree");
    EXPECT_EQ(label->FormattedLines(), (std::vector<std::string>{"one", "two", "", "three"}));

    // A word longer than the control loses its tail; without word wrap the
    // words after an overflow are dropped.
    label->SetWidth(firstWord + 2);
    label->SetCaption("ab extraordinarilylongword");
    ASSERT_EQ(label->FormattedLines().size(), 2u);
    EXPECT_EQ(label->FormattedLines()[0], "ab ");
    EXPECT_LE(r.report->MeasureTextWidth(label->EffectiveFont(), label->FormattedLines()[1]), firstWord + 2);
    EXPECT_EQ(label->FormattedLines()[1].rfind("extra", 0), 0u);
    label->SetWordWrap(false);
    label->SetCaption("alpha beta");
    EXPECT_EQ(label->FormattedLines(), (std::vector<std::string>{"alpha "}));
}

TEST(RpLabel, NeverCutsAMultiByteCharacter)
{
    TOneBandReport r;
    auto *label = r.Add<TRpLabel>();
    label->SetAutoSize(false);
    const std::string text = "日本語の文章を表示する欄がとても狭い場合";
    label->SetWidth(r.report->MeasureTextWidth(label->EffectiveFont(), "日本語の") + 3);
    label->SetCaption(text);
    ASSERT_EQ(label->FormattedLines().size(), 1u);
    const std::string &line = label->FormattedLines()[0];
    EXPECT_TRUE(ValidUtf8(line));
    EXPECT_EQ(text.rfind(line, 0), 0u);
    EXPECT_GE(line.size(), std::string("日本語").size());
    EXPECT_LT(line.size(), text.size());
}

TEST(RpLabel, AutoSizeKeepsTheRightEdgeOfARightAlignedLabel)
{
    TOneBandReport r;
    auto *label = r.Add<TRpLabel>();
    label->SetAlignment(TRpAlignment::Right);
    label->SetBounds(100, 0, 200, 20);
    label->SetCaption("short");
    const int width = r.report->MeasureTextWidth(label->EffectiveFont(), "short");
    EXPECT_EQ(label->Width(), width);
    EXPECT_EQ(label->Left() + label->Width(), 300);
    EXPECT_GE(label->Height(), r.report->MeasureTextHeight(label->EffectiveFont(), "W") + 1);
}

TEST(RpLabel, AFontChangeFormatsTheLabelAgain)
{
    TOneBandReport r;
    auto *label = r.Add<TRpLabel>();
    label->SetCaption("Schedule");
    const int small = label->Width();
    label->Font().SetSize(label->Font().Size() * 3);
    EXPECT_FALSE(label->ParentFont());
    EXPECT_EQ(label->Width(), r.report->MeasureTextWidth(label->EffectiveFont(), "Schedule"));
    EXPECT_GT(label->Width(), 2 * small);
}

TEST(RpMemo, StretchesOverTheBandEndOntoTheNextPage)
{
    TOneBandReport r;
    auto *memo = r.Add<TRpMemo>();
    memo->SetAutoSize(false);
    memo->SetAutoStretch(true);
    memo->Size().SetWidth(40);
    memo->Size().SetHeight(10);
    memo->Frame().SetDrawTop(true);
    std::string text;
    for (int i = 1; i <= 300; ++i)
        text += "w" + std::to_string(i) + " ";
    memo->SetLines({text});
    TTestDevice device;
    r.Run(device, 1);
    ASSERT_GE(device.Pages, 2);
    std::string printed;
    for (const auto &t : device.Texts())
        printed += t.Text;
    EXPECT_EQ(printed, text);
    EXPECT_FALSE(device.TextsOnPage(2).empty());
    EXPECT_EQ(device.TextsOnPage(2).front().rfind("w", 0), 0u);
    // The memo's frame is drawn on every page it prints on.
    const int frameLines = static_cast<int>(std::count_if(device.Fills().begin(), device.Fills().end(),
                                                          [](const auto &f) { return f.Color == clBlack; }));
    EXPECT_EQ(frameLines, device.Pages);
}

TEST(RpMemo, NeededHeightCountsTheFormattedLines)
{
    TOneBandReport r;
    auto *memo = r.Add<TRpMemo>();
    memo->SetLines({"a", "b", "c"});
    const int lineHeight = r.report->MeasureTextHeight(memo->EffectiveFont(), "W");
    EXPECT_EQ(memo->NeededHeight(), 3 * lineHeight);
    // A band that keeps on one page measures the memo.
    memo->SetTop(10);
    EXPECT_GT(r.detail->CalculateBandHeight(), r.detail->Size().Height() - 1);
}

// An indented text starts that far in and is fitted to the width left; the
// control's fill keeps its whole width, and a right-aligned text its right end.
TEST(RpLabel, AnIndentedTextStartsInsideAndFitsTheRestOfTheWidth)
{
    TOneBandReport r;
    auto *left = r.Add<TRpLabel>();
    left->SetAutoSize(false);
    left->SetBounds(0, 0, 100, 36);
    left->SetCaption("alpha beta");
    auto *right = r.Add<TRpLabel>();
    right->SetAutoSize(false);
    right->SetBounds(0, 50, 100, 20);
    right->SetAlignment(TRpAlignment::Right);
    right->SetCaption("gamma");
    TTestDevice plain;
    r.Run(plain, 1);
    const int wordWidth = r.report->MeasureTextWidth(left->EffectiveFont(), "alpha ");
    left->SetTextIndent(100 - wordWidth - 2);
    right->SetTextIndent(30);
    EXPECT_EQ(left->FormattedLines(), (std::vector<std::string>{"alpha ", "beta"}));
    TTestDevice indented;
    r.Run(indented, 1);
    ASSERT_EQ(indented.Texts().size(), 3u);
    EXPECT_EQ(indented.Texts()[0].X, plain.Texts()[0].X + 100 - wordWidth - 2);
    EXPECT_EQ(indented.Texts()[2].X, plain.Texts()[1].X);
    EXPECT_EQ(indented.Fills()[0].Rect, plain.Fills()[0].Rect);
}

TEST(RpSysData, PrintsItsTextFollowedByTheValue)
{
    TOneBandReport r;
    auto *page = r.Add<TRpSysData>();
    page->SetData(rpsPageNumber);
    page->SetText("頁:");
    EXPECT_EQ(page->Caption(), "頁:(Page#)");
    auto *number = r.Add<TRpSysData>();
    number->SetData(rpsDetailNo);
    number->SetTop(60);
    r.report->ReportTitle = "Plan";
    auto *title = r.Add<TRpSysData>();
    title->SetData(rpsReportTitle);
    title->SetTop(100);
    TTestDevice device;
    r.Run(device, 2);
    EXPECT_EQ(device.TextsOnPage(1), (std::vector<std::string>{"頁:1", "1", "Plan", "頁:1", "2", "Plan"}));
}

TEST(RpExpr, FormatsResultsByKind)
{
    EXPECT_EQ(TRpExpr::ValueText(TRpValue::Integer(1234), "#,##0"), "1,234");
    EXPECT_EQ(TRpExpr::ValueText(TRpValue::Integer(7), ""), "7");
    EXPECT_EQ(TRpExpr::ValueText(TRpValue::Float(2.5), "0.00"), "2.50");
    EXPECT_EQ(TRpExpr::ValueText(TRpValue::Float(2.5), ""), "2.5");
    EXPECT_EQ(TRpExpr::ValueText(TRpValue::String("abc"), "0"), "abc");
    EXPECT_EQ(TRpExpr::ValueText(TRpValue::Boolean(true), ""), "True");
    EXPECT_EQ(TRpExpr::ValueText(TRpValue::Error("bad"), ""), "bad");
    // A money mask is a format of its own: the yen sign, thousands, no decimals.
    EXPECT_EQ(TRpExpr::ValueText(TRpValue::Float(1234567.5), "%m"), "¥1,234,568");
    EXPECT_EQ(TRpExpr::ValueText(TRpValue::Float(-12.25), "Total %m (100%%)"), "Total -¥12 (100%)");
    EXPECT_EQ(TRpExpr::ValueText(TRpValue::Float(1234.375), "[%m] [%10.2m] [%-8m]"), "[¥1,234] [ ¥1,234.38] [¥1,234  ]");
    EXPECT_EQ(TRpExpr::ValueText(TRpValue::Integer(1234), "%m"), FormatFloat("%m", 1234));

    TComponent form;
    TRpExpr expr(&form);
    EXPECT_EQ(expr.Caption(), "(none)");
    expr.SetExpression("1+2");
    EXPECT_EQ(expr.Caption(), "1+2");
}

TEST(RpExpr, PageAndColumnConstantsDuringARun)
{
    TOneBandReport r;
    r.report->Page().SetColumns(2);
    auto *footer = new TRpBand(&r.form, rbPageFooter);
    footer->SetParent(r.report);
    footer->Size().SetHeight(10);
    auto *page = new TRpExpr(&r.form);
    page->SetParent(footer);
    page->SetExpression("PAGENUMBER");
    auto *column = r.Add<TRpExpr>();
    column->SetExpression("COLUMNNUMBER");
    auto *title = r.Add<TRpExpr>();
    title->SetExpression("REPORTTITLE");
    title->SetTop(60);
    r.report->ReportTitle = "T";
    TTestDevice device;
    r.Run(device, 12);
    // Six details per column, two columns per page.
    ASSERT_EQ(device.Pages, 1);
    const auto texts = device.TextsOnPage(1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "1"), 6 + 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "2"), 6);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "T"), 12);
    EXPECT_EQ(texts.back(), "1");
    EXPECT_EQ(page->Caption(), "PAGENUMBER");
}

TEST(RpShape, DrawsLinesThroughTheMiddleOfItsBox)
{
    TOneBandReport r;
    auto *shape = r.Add<TRpShape>();
    EXPECT_EQ(shape->Width(), 65);
    shape->Shape = rpsVertLine;
    shape->Size().SetLeft(10);
    shape->Size().SetWidth(1);
    TTestDevice device(254);  // one device pixel per 0.1 mm
    r.Run(device, 1);
    const auto &lines = device.Recorder().Lines;
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].first.X, 100 + 100 + 5);
    EXPECT_EQ(lines[0].second.X, lines[0].first.X);
}

TEST(RpFrame, BandFramesAtScreenAndPrinterResolution)
{
    for (int dpi : {96, 600}) {
        TOneBandReport r;
        r.detail->Frame().SetDrawTop(true);
        r.detail->Frame().SetColor(clBlue);
        r.detail->SetColor(clYellow);
        TTestDevice device(dpi);
        r.Run(device, 1);
        std::vector<TRect> frames;
        for (const auto &fill : device.Fills())
            if (fill.Color == clBlue)
                frames.push_back(fill.Rect);
        ASSERT_EQ(frames.size(), 1u) << dpi;
        EXPECT_EQ(frames[0].Height(), dpi == 96 ? 1 : 8) << dpi;
        EXPECT_EQ(frames[0].Top, RoundInt(100 * dpi / 254.0L)) << dpi;
    }
}

TEST(RpFrame, CaptionsKeepClearOfTheirFrameLines)
{
    // Wherever a label lies on the device's pixels, its text keeps at least
    // the line's own thickness of space from each drawn frame line.
    for (int dpi : {96, 600}) {
        for (int left = 100; left < 110; ++left) {
            TOneBandReport r;
            auto *stamp = r.Add<TRpLabel>();
            stamp->SetAutoSize(false);
            stamp->Size().SetLeft(left / 10.0L);
            stamp->Size().SetTop(left / 10.0L);
            stamp->Size().SetWidth(13);
            stamp->Size().SetHeight(12);
            stamp->SetCaption("承認");
            stamp->Frame().SetDrawLeft(true);
            stamp->Frame().SetDrawTop(true);
            auto *total = r.Add<TRpLabel>();
            total->SetAutoSize(false);
            total->SetAlignment(TRpAlignment::Right);
            total->Size().SetLeft(30 + left / 10.0L);
            total->Size().SetWidth(20);
            total->Size().SetHeight(8);
            total->SetCaption("合計");
            total->Frame().SetDrawRight(true);
            TTestDevice device(dpi);
            r.Run(device, 1);
            const int thickness = dpi == 96 ? 1 : 8;
            std::vector<TRect> lines;
            for (const auto &fill : device.Fills())
                if (fill.Color == clBlack)
                    lines.push_back(fill.Rect);
            ASSERT_EQ(lines.size(), 3u);
            ASSERT_EQ(device.Texts().size(), 2u);
            const auto &caption = device.Texts()[0];
            const TRect top = lines[0], side = lines[1], right = lines[2];
            EXPECT_EQ(side.Width(), thickness);
            EXPECT_GE(caption.X, side.Right + thickness) << dpi << " " << left;
            EXPECT_GE(caption.Y, top.Bottom + thickness) << dpi << " " << left;
            EXPECT_LE(device.Texts()[1].X, right.Left - thickness) << dpi << " " << left;
        }
    }
}
