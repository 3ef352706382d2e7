// The report run: pages, page headers and footers, groups, forced breaks,
// band links and the faults a run must survive.
#include <gtest/gtest.h>

#include <algorithm>

#include "BandReportTestDevice.h"
#include "report/BandReport.h"
#include "report/RpCtrls.h"

using report_test::TTestDevice;

namespace {

// An in-memory data set whose current record the need-data event moves.
class TTableDataSet : public TRpDataSet {
public:
    TTableDataSet(std::string name, std::vector<std::string> fields, std::vector<std::vector<std::string>> rows)
        : name_(std::move(name)), fields_(std::move(fields)), rows_(std::move(rows))
    {
    }
    size_t Current = 0;

    std::string Name() const override { return name_; }
    int FieldCount() const override { return static_cast<int>(fields_.size()); }
    std::string FieldName(int index) const override { return fields_.at(static_cast<size_t>(index)); }
    TFieldType FieldType(int) const override { return TFieldType::ftString; }
    std::string FieldAsString(int index) const override { return rows_.at(Current).at(static_cast<size_t>(index)); }
    int FieldAsInteger(int index) const override { return std::stoi(FieldAsString(index)); }
    double FieldAsFloat(int index) const override { return std::stod(FieldAsString(index)); }
    bool FieldAsBoolean(int index) const override { return FieldAsString(index) == "True"; }
    size_t RowCount() const { return rows_.size(); }

private:
    std::string name_;
    std::vector<std::string> fields_;
    std::vector<std::vector<std::string>> rows_;
};

template <typename T>
T *Place(TComponent &owner, TRpControl *parent)
{
    auto *control = new T(&owner);
    control->SetParent(parent);
    return control;
}

TRpBand *AddBand(TComponent &owner, TBandReport *report, TRpBandType type, long double heightMm)
{
    auto *band = new TRpBand(&owner, type);
    band->SetParent(report);
    band->Size().SetHeight(heightMm);
    return band;
}

TRpSysData *AddSysData(TComponent &owner, TRpCustomBand *band, TRpSysDataType data, const std::string &prefix)
{
    auto *sys = Place<TRpSysData>(owner, band);
    sys->SetData(data);
    sys->SetText(prefix);
    return sys;
}

// A4 portrait with 10 mm margins: page header 10 mm, detail 40 mm (printing
// "R" and the record number) and, optionally, a page footer of 30 mm holding
// the page number.
struct TPagedReport {
    explicit TPagedReport(bool withFooter = true)
    {
        report = new TBandReport(&form);
        report->SetUnits(TRpUnit::MM);
        report->Page().SetPaperSize(TRpPaperSize::A4);
        header = AddBand(form, report, rbPageHeader, 10);
        headerLabel = Place<TRpLabel>(form, header);
        headerLabel->SetCaption("HEAD");
        detail = AddBand(form, report, rbDetail, 40);
        AddSysData(form, detail, rpsDetailNo, "R");
        if (withFooter) {
            footer = AddBand(form, report, rbPageFooter, 30);
            AddSysData(form, footer, rpsPageNumber, "");
        }
        report->OnNeedData = [this](TObject *, bool &more) {
            more = delivered < records;
            if (more)
                ++delivered;
        };
    }

    void Run(int count)
    {
        records = count;
        delivered = 0;
        report->BuildReport(device);
    }

    int CountOnPage(int page, const std::string &prefix) const
    {
        auto texts = device.TextsOnPage(page);
        return static_cast<int>(std::count_if(texts.begin(), texts.end(), [&](const std::string &t) {
            return t.rfind(prefix, 0) == 0;
        }));
    }

    bool HasText(int page, const std::string &text) const
    {
        auto texts = device.TextsOnPage(page);
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    TComponent form;
    TBandReport *report = nullptr;
    TRpBand *header = nullptr;
    TRpLabel *headerLabel = nullptr;
    TRpBand *detail = nullptr;
    TRpBand *footer = nullptr;
    TTestDevice device;
    int records = 0;
    int delivered = 0;
};

} // namespace

TEST(BandReportRun, DetailsFillPagesBetweenHeaderAndFooter)
{
    TPagedReport ten;
    ten.Run(10);
    EXPECT_EQ(ten.device.Pages, 2);
    EXPECT_EQ(ten.CountOnPage(1, "R"), 5);
    EXPECT_EQ(ten.CountOnPage(2, "R"), 5);
    EXPECT_TRUE(ten.device.Ended);
    EXPECT_TRUE(ten.report->Idle());

    TPagedReport twelve;
    twelve.Run(12);
    ASSERT_EQ(twelve.device.Pages, 3);
    EXPECT_EQ(twelve.CountOnPage(1, "R"), 5);
    EXPECT_EQ(twelve.CountOnPage(2, "R"), 5);
    EXPECT_EQ(twelve.CountOnPage(3, "R"), 2);
    for (int page = 1; page <= 3; ++page) {
        EXPECT_TRUE(twelve.HasText(page, std::to_string(page))) << page;
        EXPECT_TRUE(twelve.HasText(page, "HEAD")) << page;
    }
    EXPECT_TRUE(twelve.HasText(3, "R12"));

    TPagedReport noFooter(false);
    noFooter.Run(12);
    EXPECT_EQ(noFooter.device.Pages, 2);
    EXPECT_EQ(noFooter.CountOnPage(1, "R"), 6);
    EXPECT_EQ(noFooter.CountOnPage(2, "R"), 6);
}

TEST(BandReportRun, NoRecordsGiveNoPage)
{
    TPagedReport report;
    report.Run(0);
    EXPECT_EQ(report.device.Pages, 0);
    EXPECT_EQ(report.device.BeginCount, 1);
    EXPECT_TRUE(report.device.Ended);
    EXPECT_TRUE(report.device.Texts().empty());
}

TEST(BandReportRun, FirstPageHeaderAndLastPageFooterOptions)
{
    TPagedReport report;
    report.report->Options = TBandReportOptions{TBandReportOption::LastPageFooter};
    report.Run(7);
    ASSERT_EQ(report.device.Pages, 2);
    EXPECT_FALSE(report.HasText(1, "HEAD"));
    EXPECT_TRUE(report.HasText(2, "HEAD"));
    EXPECT_TRUE(report.HasText(2, "2"));
    // Without the page header page 1 takes one more detail.
    EXPECT_EQ(report.CountOnPage(1, "R"), 6);

    TPagedReport noLastFooter;
    noLastFooter.report->Options = TBandReportOptions{TBandReportOption::FirstPageHeader};
    noLastFooter.Run(7);
    ASSERT_EQ(noLastFooter.device.Pages, 2);
    EXPECT_TRUE(noLastFooter.HasText(1, "HEAD"));
    EXPECT_TRUE(noLastFooter.HasText(1, "1"));
    EXPECT_FALSE(noLastFooter.HasText(2, "2"));
}

TEST(BandReportRun, BeforePrintCanCancelAndNeedDataDecidesTheRecords)
{
    TPagedReport cancelled;
    cancelled.report->BeforePrint = [](TCustomBandReport *, bool &print) { print = false; };
    cancelled.Run(3);
    EXPECT_EQ(cancelled.device.BeginCount, 0);
    EXPECT_EQ(cancelled.device.Pages, 0);
    EXPECT_TRUE(cancelled.report->Idle());

    // A handler that leaves MoreData alone delivers one record on the first
    // call only.
    TPagedReport lazy;
    int calls = 0;
    lazy.report->OnNeedData = [&calls](TObject *, bool &) { ++calls; };
    lazy.report->BuildReport(lazy.device);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(lazy.CountOnPage(1, "R"), 1);
}

TEST(BandReportRun, TitleSummaryAndForcedPages)
{
    TPagedReport report;
    auto *title = AddBand(report.form, report.report, rbTitle, 20);
    Place<TRpLabel>(report.form, title)->SetCaption("TITLE");
    auto *summary = AddBand(report.form, report.report, rbSummary, 20);
    Place<TRpLabel>(report.form, summary)->SetCaption("SUM");
    report.detail->ForceNewPage = true;
    report.Run(3);
    // The forced break right after the title makes no empty page.
    ASSERT_EQ(report.device.Pages, 3);
    EXPECT_TRUE(report.HasText(1, "TITLE"));
    EXPECT_TRUE(report.HasText(1, "R1"));
    EXPECT_TRUE(report.HasText(2, "R2"));
    EXPECT_TRUE(report.HasText(3, "R3"));
    EXPECT_TRUE(report.HasText(3, "SUM"));

    // Without a title every forced detail still starts its own page.
    TPagedReport untitled;
    untitled.detail->ForceNewPage = true;
    untitled.Run(2);
    EXPECT_EQ(untitled.device.Pages, 2);
}

TEST(BandReportRun, SummaryThatDoesNotFitMovesToTheNextPage)
{
    TPagedReport report;
    auto *summary = AddBand(report.form, report.report, rbSummary, 50);
    Place<TRpLabel>(report.form, summary)->SetCaption("SUM");
    report.Run(5);
    ASSERT_EQ(report.device.Pages, 2);
    EXPECT_TRUE(report.HasText(2, "SUM"));
}

TEST(BandReportRun, ColumnsAndForcedPageOnLaterColumn)
{
    TPagedReport report;
    report.report->Page().SetColumns(3);
    report.report->Page().SetColumnSpace(5);
    std::vector<int> columns;
    report.detail->BeforePrint = [&](TRpCustomBand *, bool &) {
        report.detail->ForceNewPage = report.delivered == 8;
    };
    report.detail->AfterPrint = [&](TRpCustomBand *, bool) { columns.push_back(report.report->CurrentColumn()); };
    report.Run(9);
    // Five details per column; the eighth record forces a new page from column 2.
    ASSERT_EQ(columns.size(), 9u);
    EXPECT_EQ(columns[4], 1);
    EXPECT_EQ(columns[5], 2);
    EXPECT_EQ(columns[7], 1);
    EXPECT_EQ(report.device.Pages, 2);
    EXPECT_TRUE(report.HasText(2, "R8"));
}

TEST(BandReportRun, GroupsPrintHeadersAndFootersAroundChangingValues)
{
    TTableDataSet data("DATA", {"OUTER", "INNER"},
                       {{"A", "x"}, {"A", "x"}, {"A", "y"}, {"B", "y"}, {"B", "y"}});
    TPagedReport report;
    report.report->DataSets().push_back(&data);
    report.report->OnNeedData = [&](TObject *, bool &more) {
        more = report.delivered < static_cast<int>(data.RowCount());
        if (more)
            data.Current = static_cast<size_t>(report.delivered++);
    };
    auto addGroup = [&](const std::string &expression, const std::string &name) {
        auto *group = Place<TRpGroup>(report.form, report.report);
        group->Expression = expression;
        group->Size().SetHeight(5);
        auto *headerText = Place<TRpExpr>(report.form, group);
        headerText->SetExpression("'" + name + "H'+" + expression);
        auto *footerBand = AddBand(report.form, report.report, rbGroupFooter, 5);
        group->SetFooterBand(footerBand);
        Place<TRpLabel>(report.form, footerBand)->SetCaption(name + "F");
        return group;
    };
    addGroup("[DATA.OUTER]", "O");
    addGroup("[DATA.INNER]", "I");
    report.report->BuildReport(report.device);

    std::vector<std::string> sequence;
    for (int page = 1; page <= report.device.Pages; ++page)
        for (const std::string &text : report.device.TextsOnPage(page))
            if (text != "HEAD" && text != std::to_string(page))
                sequence.push_back(text);
    const std::vector<std::string> expected{"OHA", "IHx", "R1", "R2", "IF", "IHy", "R3", "IF", "OF",
                                            "OHB", "IHy", "R4", "R5", "IF", "OF"};
    EXPECT_EQ(sequence, expected);
}

TEST(BandReportRun, ChildBandsFollowTheirBandAndFooterChildrenArePageFooters)
{
    TPagedReport report;
    report.footer->SetHasChild(true);
    auto *child = report.footer->ChildBand();
    ASSERT_NE(child, nullptr);
    child->Size().SetHeight(20);
    Place<TRpLabel>(report.form, child)->SetCaption("BELOW");
    report.detail->SetHasChild(true);
    report.detail->ChildBand()->Size().SetHeight(10);
    Place<TRpLabel>(report.form, report.detail->ChildBand())->SetCaption("DC");
    report.Run(4);
    // The footer reserve holds 50 mm now; each record takes 50 mm.
    EXPECT_EQ(report.device.Pages, 1);
    EXPECT_EQ(report.CountOnPage(1, "DC"), 4);
    EXPECT_TRUE(report.HasText(1, "BELOW"));
    EXPECT_EQ(child->BandType(), rbChild);
    report.Run(5);
    EXPECT_EQ(report.device.Pages, 1 + 2);
}

TEST(BandReportRun, CircularLinksAreRefused)
{
    TComponent form;
    auto *report = new TBandReport(&form);
    auto *a = AddBand(form, report, rbDetail, 10);
    auto *childA = new TRpChildBand(&form);
    childA->SetParent(report);
    auto *childB = new TRpChildBand(&form);
    childB->SetParent(report);
    EXPECT_TRUE(childA->SetParentBand(a));
    EXPECT_TRUE(childB->SetParentBand(childA));
    EXPECT_FALSE(childA->SetParentBand(childB));
    EXPECT_FALSE(childA->SetParentBand(childA));
    EXPECT_EQ(childA->ParentBand(), a);

    auto *b = AddBand(form, report, rbTitle, 10);
    EXPECT_TRUE(a->SetLinkBand(b));
    EXPECT_FALSE(b->SetLinkBand(a));
    EXPECT_EQ(b->LinkBand(), nullptr);

    auto *sub1 = Place<TRpSubDetail>(form, report);
    auto *sub2 = Place<TRpSubDetail>(form, report);
    EXPECT_EQ(sub1->Master(), report);
    EXPECT_TRUE(sub2->SetMaster(sub1));
    EXPECT_FALSE(sub1->SetMaster(sub2));
    EXPECT_FALSE(sub1->SetMaster(sub1));
    EXPECT_EQ(sub1->Master(), report);
}

TEST(BandReportRun, BandOrderFollowsTypesAndChains)
{
    TComponent form;
    auto *report = new TBandReport(&form);
    report->Bands().SetHasSummary(true);
    report->Bands().SetHasDetail(true);
    report->Bands().SetHasPageFooter(true);
    report->Bands().SetHasTitle(true);
    report->Bands().SetHasPageHeader(true);
    std::vector<TRpBandType> types;
    for (TRpCustomBand *band : report->BandList())
        types.push_back(band->BandType());
    EXPECT_EQ(types, (std::vector<TRpBandType>{rbPageHeader, rbTitle, rbDetail, rbSummary, rbPageFooter}));
    EXPECT_EQ(report->FindBand(rbDetail)->Name(), "DetailBand1");
    report->Bands().SetHasDetail(false);
    EXPECT_FALSE(report->Bands().HasDetail());
    // The bands are stacked from the top margin down, full width or column width.
    const auto &bands = report->BandList();
    EXPECT_EQ(bands[1]->Top(), bands[0]->Top() + bands[0]->Height());
}

// ---------------------------------------------------------------- faults that must not hang or pass silently

TEST(BandReportFaults, ContentTallerThanAnEmptyPageEndsInsteadOfLooping)
{
    TPagedReport report;
    // One line taller than the page in a memo that cannot grow on any page.
    auto *memo = Place<TRpMemo>(report.form, report.detail);
    memo->SetAutoSize(false);
    memo->SetAutoStretch(true);
    memo->Font().SetSize(900);
    memo->Size().SetWidth(150);
    memo->Size().SetHeight(5);
    memo->SetLines({"W"});
    report.Run(1);
    EXPECT_LE(report.device.Pages, 2);
    EXPECT_TRUE(report.device.Ended);
}

TEST(BandReportFaults, MarginsSetInBeforePrintThatLeaveNoRoomRefuseTheRun)
{
    TPagedReport report;
    report.report->BeforePrint = [](TCustomBandReport *sender, bool &) {
        sender->Page().SetTopMargin(200);
        sender->Page().SetBottomMargin(200);
    };
    try {
        report.Run(3);
        FAIL() << "the run was not refused";
    } catch (const ERpReportError &error) {
        EXPECT_NE(std::string(error.what()).find("margins"), std::string::npos);
    }
    EXPECT_EQ(report.device.Pages, 0);
    EXPECT_EQ(report.device.BeginCount, 0);
    EXPECT_TRUE(report.report->Idle());
    EXPECT_EQ(report.report->Units(), TRpUnit::MM);

    // Margins wider than the page before the run are zeroed and stay so.
    TPagedReport wide;
    wide.report->Page().SetLeftMargin(150);
    wide.report->Page().SetRightMargin(150);
    wide.Run(1);
    EXPECT_EQ(wide.report->Page().LeftMargin(), 0);
    EXPECT_EQ(wide.device.Pages, 1);
}

TEST(BandReportFaults, DefaultPaperTakesThePrintersPaper)
{
    TPagedReport report;
    report.report->Page().SetPaperSize(TRpPaperSize::Default);
    TTestDevice letter(96, 2159, 2794);
    letter.Orientation = poLandscape;
    report.records = 1;
    report.report->BuildReport(letter);
    EXPECT_NEAR(report.report->Page().Width(), 279.4, 1e-9);
    EXPECT_NEAR(report.report->Page().Length(), 215.9, 1e-9);
    // Full-width bands follow the printer's paper.
    EXPECT_NEAR(report.header->Size().Width(), 279.4 - 20, 0.3);
}

TEST(BandReportFaults, ExceptionsLeaveTheReportIdleAndAbortTheDocument)
{
    TPagedReport report;
    report.report->OnNeedData = [](TObject *, bool &) { throw EInvalidOperation("data failed"); };
    EXPECT_THROW(report.Run(1), EInvalidOperation);
    EXPECT_TRUE(report.report->Idle());
    EXPECT_TRUE(report.device.Aborted);
    EXPECT_EQ(report.report->Units(), TRpUnit::MM);
    EXPECT_FALSE(report.headerLabel->IsPrinting());
}

// ---------------------------------------------------------------- objects outside a run

TEST(BandReportObjects, PrintablesAlignInTheirBandAndTakeTheReportsUnits)
{
    TComponent form;
    TRpLabel loose(&form);
    EXPECT_EQ(loose.Width(), 10);
    EXPECT_EQ(loose.Height(), 10);
    EXPECT_EQ(loose.Color(), clWhite);
    EXPECT_EQ(loose.Alignment(), TRpAlignment::Left);
    EXPECT_TRUE(loose.PrintFinished());

    // A band without a report gives its printables the Native unit.
    TRpBand orphan(&form);
    auto *onOrphan = Place<TRpShape>(form, &orphan);
    EXPECT_EQ(onOrphan->Size().Units(), TRpUnit::Native);

    auto *report = new TBandReport(&form);
    report->SetUnits(TRpUnit::Inches);
    auto *band = AddBand(form, report, rbDetail, 1);
    band->SetWidth(100);
    auto *shape = Place<TRpShape>(form, band);
    EXPECT_EQ(shape->Size().Units(), TRpUnit::Inches);
    shape->SetWidth(30);
    shape->SetAlignment(TRpAlignment::Right);
    shape->SetAlignToBand(true);
    EXPECT_EQ(shape->Left(), 70);
    shape->SetAlignment(TRpAlignment::Center);
    EXPECT_EQ(shape->Left(), 35);
    shape->SetWidth(31);
    EXPECT_EQ(shape->Left(), 34);

    // Pixel bounds and sizes follow each other.
    shape->SetAlignToBand(false);
    shape->Size().SetTop(0.5);
    EXPECT_EQ(shape->Top(), 48);
    report->SetUnits(TRpUnit::MM);
    EXPECT_NEAR(static_cast<double>(shape->Size().Top()), 12.7, 1e-9);
}

TEST(BandReportObjects, ReportPropertiesIgnoreValuesOutOfRange)
{
    TComponent form;
    TBandReport report(&form);
    report.SetZoom(0);
    report.SetZoom(301);
    EXPECT_EQ(report.Zoom(), 100);
    report.SetZoom(150);
    EXPECT_EQ(report.Zoom(), 150);
    report.SetPreviewWidth(0);
    EXPECT_EQ(report.PreviewWidth(), 500);
    EXPECT_TRUE(report.PrintIfEmpty());
    EXPECT_TRUE(report.Options.Contains(TBandReportOption::FirstPageHeader));
    EXPECT_TRUE(report.Options.Contains(TBandReportOption::LastPageFooter));
    EXPECT_FALSE(report.Options.Contains(TBandReportOption::Compression));
    report.Functions().Prepare();
    EXPECT_EQ(report.Functions().ValueOf("PAGENUMBER").IntValue, 0);
    EXPECT_EQ(report.Functions().ValueOf("REPORTTITLE").Text, "");
    report.Functions().Unprepare();
}

TEST(BandReportRun, DisabledPrintablesAndBandsAreSkipped)
{
    TPagedReport report;
    report.headerLabel->SetEnabled(false);
    report.footer->SetEnabled(false);
    report.Run(6);
    EXPECT_FALSE(report.HasText(1, "HEAD"));
    EXPECT_FALSE(report.HasText(1, "1"));
    // Without the footer's reserve six details fit on the page.
    EXPECT_EQ(report.device.Pages, 1);
}

TEST(BandReportRun, SubDetailsRunTheirLoopInsideEachMasterRecord)
{
    TPagedReport report;
    auto *sub = Place<TRpSubDetail>(report.form, report.report);
    sub->Size().SetHeight(5);
    auto *subText = Place<TRpLabel>(report.form, sub);
    subText->SetCaption("S");
    int subRows = 0;
    sub->OnNeedData() = [&](TObject *sender, bool &more) {
        EXPECT_EQ(sender, sub);
        more = subRows < 2;
        if (more)
            ++subRows;
    };
    report.detail->AfterPrint = [&](TRpCustomBand *, bool) { subRows = 0; };
    report.Run(2);
    auto texts = report.device.TextsOnPage(1);
    std::erase_if(texts, [](const std::string &t) { return t == "HEAD" || t == "1"; });
    EXPECT_EQ(texts, (std::vector<std::string>{"R1", "S", "S", "R2", "S", "S"}));

    // Printed before the detail, the sub-detail runs first.
    sub->SetPrintBefore(true);
    subRows = 0;
    report.Run(1);
    texts = report.device.TextsOnPage(2);
    std::erase_if(texts, [](const std::string &t) { return t == "HEAD" || t == "1"; });
    EXPECT_EQ(texts, (std::vector<std::string>{"S", "S", "R1"}));
}

// HasHeader and HasFooter make the sub-detail's group bands on its report,
// which print around each run of its loop; clearing them frees the bands.
TEST(BandReportRun, SubDetailBandsCreateAndFreeTheGroupHeaderAndFooter)
{
    TPagedReport report;
    auto *sub = Place<TRpSubDetail>(report.form, report.report);
    sub->Size().SetHeight(5);
    Place<TRpLabel>(report.form, sub)->SetCaption("S");
    EXPECT_FALSE(sub->Bands().HasHeader());
    EXPECT_FALSE(sub->Bands().HasFooter());
    sub->Bands().SetHasHeader(true);
    sub->Bands().SetHasFooter(true);
    ASSERT_TRUE(sub->Bands().HasHeader());
    ASSERT_TRUE(sub->Bands().HasFooter());
    TRpCustomBand *header = sub->HeaderBand();
    TRpCustomBand *footer = sub->FooterBand();
    EXPECT_EQ(header->BandType(), rbGroupHeader);
    EXPECT_EQ(footer->BandType(), rbGroupFooter);
    EXPECT_EQ(header->Name(), "GroupHeaderBand1");
    EXPECT_EQ(footer->Name(), "GroupFooterBand1");
    EXPECT_EQ(header->Owner(), &report.form);
    EXPECT_EQ(header->ParentReport(), report.report);
    sub->Bands().SetHasHeader(true);  // already there: the same band stays
    EXPECT_EQ(sub->HeaderBand(), header);
    for (TRpCustomBand *band : {header, footer})
        band->Size().SetHeight(5);
    Place<TRpLabel>(report.form, header)->SetCaption("H");
    Place<TRpLabel>(report.form, footer)->SetCaption("F");
    int subRows = 0;
    sub->OnNeedData() = [&](TObject *, bool &more) {
        more = subRows < 2;
        if (more)
            ++subRows;
    };
    report.detail->AfterPrint = [&](TRpCustomBand *, bool) { subRows = 0; };
    report.Run(1);
    auto texts = report.device.TextsOnPage(1);
    std::erase_if(texts, [](const std::string &t) { return t == "HEAD" || t == "1"; });
    EXPECT_EQ(texts, (std::vector<std::string>{"R1", "H", "S", "S", "F"}));

    const size_t bands = report.report->BandList().size();
    sub->Bands().SetHasHeader(false);
    sub->Bands().SetHasFooter(false);
    EXPECT_FALSE(sub->Bands().HasHeader());
    EXPECT_FALSE(sub->Bands().HasFooter());
    EXPECT_EQ(report.report->BandList().size(), bands - 2);
    EXPECT_EQ(report.form.FindComponent("GroupHeaderBand1"), nullptr);
    EXPECT_EQ(report.form.FindComponent("GroupFooterBand1"), nullptr);
}

TEST(BandReportRun, GroupHeadersRepeatOnNewPagesWhenAsked)
{
    TTableDataSet data("DATA", {"G"}, {{"A"}, {"A"}, {"A"}, {"A"}, {"A"}, {"A"}, {"A"}, {"B"}});
    TPagedReport report;
    report.report->DataSets().push_back(&data);
    report.report->OnNeedData = [&](TObject *, bool &more) {
        more = report.delivered < static_cast<int>(data.RowCount());
        if (more)
            data.Current = static_cast<size_t>(report.delivered++);
    };
    auto *group = Place<TRpGroup>(report.form, report.report);
    group->Expression = "[G]";
    group->ReprintOnNewPage = true;
    group->Size().SetHeight(5);
    Place<TRpExpr>(report.form, group)->SetExpression("'G'+[G]");
    report.report->BuildReport(report.device);
    // Page 1: header, GA and four details fill 1,850 of 2,370; page 2 repeats GA.
    ASSERT_EQ(report.device.Pages, 2);
    EXPECT_TRUE(report.HasText(1, "GA"));
    EXPECT_TRUE(report.HasText(2, "GA"));
    EXPECT_TRUE(report.HasText(2, "GB"));
    EXPECT_EQ(report.CountOnPage(2, "GA"), 1);
}

TEST(BandReportRun, PageEventsFrameAndPrintablesOnThePage)
{
    TPagedReport report;
    report.report->Frame().SetAllSides(true);
    report.report->Frame().SetColor(clRed);
    auto *stamp = Place<TRpLabel>(report.form, report.report);
    stamp->SetCaption("STAMP");
    std::vector<std::string> events;
    report.report->OnStartPage = [&](TCustomBandReport *sender) {
        events.push_back("start" + std::to_string(sender->PageCount()));
    };
    report.report->OnEndPage = [&](TCustomBandReport *sender) {
        events.push_back("end" + std::to_string(sender->PageCount()));
    };
    report.Run(6);
    EXPECT_EQ(events, (std::vector<std::string>{"start1", "end1", "start2", "end2"}));
    EXPECT_TRUE(report.HasText(1, "STAMP"));
    EXPECT_TRUE(report.HasText(2, "STAMP"));
    int redSides = 0;
    for (const auto &fill : report.device.Fills())
        redSides += fill.Color == clRed;
    EXPECT_EQ(redSides, 8);
}

TEST(BandReportRun, BandsKeptOnOnePageAndAlignedToTheBottom)
{
    TPagedReport report;
    auto *memo = Place<TRpMemo>(report.form, report.detail);
    memo->SetLines({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16",
                    "17", "18", "19", "20", "21", "22", "23", "24", "25"});
    memo->SetAutoStretch(true);
    report.detail->KeepOnOnePage = true;
    std::vector<int> pages;
    report.detail->AfterPrint = [&](TRpCustomBand *, bool) { pages.push_back(report.report->PageCount()); };
    report.Run(3);
    // Each memo needs more than half of the page: it moves whole to the next page.
    EXPECT_EQ(pages, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(report.CountOnPage(2, "25"), 1);
    EXPECT_EQ(report.CountOnPage(2, "1"), 1 + 10);

    TPagedReport bottom;
    auto *summary = AddBand(bottom.form, bottom.report, rbSummary, 20);
    summary->AlignToBottom = true;
    int summaryY = 0;
    summary->BeforePrint = [&](TRpCustomBand *, bool &) { summaryY = bottom.report->PrintY(); };
    bottom.Run(1);
    // Just above the page footer: 2970 - 100 - 300 - 200.
    EXPECT_EQ(summaryY, 2370);
}
