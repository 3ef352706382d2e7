#include "MainFixture.h"
#include "TestBars.h"

#include <gtest/gtest.h>

namespace {

struct TDocBoard : TMainBoard {
    TChart &Bar(TItem &row, double start, double end, int line = 0)
    {
        return AddTestBar(row, start, end, form.IndexOfItem(&row), line);
    }
    std::vector<std::pair<double, double>> Spans(const TItem &row)
    {
        std::vector<std::pair<double, double>> spans;
        for (const auto &c : row.FCharts)
            spans.emplace_back(c->FStartDate, c->FEndDate);
        return spans;
    }
};

} // namespace

TEST(Document, AutoMovePushesOverlapsRightAndTheSelectedBarKeepsItsPlace)
{
    TDocBoard board;
    board.form.AddItem();
    TItem &row = *ItemList[0];
    board.Bar(row, 1, 5);
    board.Bar(row, 4, 6);
    board.Bar(row, 2, 3);
    board.Bar(row, 2, 4, 1); // another line is left alone
    SelectedChart = nullptr;
    board.form.AutoMoveCharts(0, 0);
    // In start order: A [1, 5), B [2, 3) -> [5, 6), the bar of line 1 unchanged, C [4, 6) -> [6, 8).
    EXPECT_EQ(board.Spans(row), (std::vector<std::pair<double, double>>{{1, 5}, {5, 6}, {2, 4}, {6, 8}}));

    board.form.FreeDocument();
    board.form.NewDocument();
    board.form.AddItem();
    TItem &second = *ItemList[0];
    TChart &other = board.Bar(second, 10, 12);
    TChart &selected = board.Bar(second, 10, 11);
    SelectedChart = &selected;
    board.form.AutoMoveCharts(0, 0);
    EXPECT_EQ(selected.FStartDate, 10);
    EXPECT_EQ(other.FStartDate, 11);
    EXPECT_EQ(other.FEndDate, 13);
}

TEST(Document, InsertRelayoutAndDeleteKeepRowOrderTopsAndTags)
{
    TDocBoard board;
    for (int i = 0; i < 3; ++i)
        board.form.AddItem();
    auto checkOrder = [] {
        for (size_t i = 0; i < ItemList.size(); ++i) {
            EXPECT_EQ(ItemList[i]->FMemo->Tag(), static_cast<long>(i));
            if (i > 0) {
                EXPECT_EQ(ItemList[i]->Top(), ItemList[i - 1]->Top() + ItemList[i - 1]->Height() + 1) << i;
            }
        }
    };
    TItem *first = ItemList[0].get();
    TItem *middle = ItemList[1].get();
    board.form.SelectItem(middle);
    board.form.InsertItem();
    ASSERT_EQ(ItemList.size(), 4u);
    EXPECT_EQ(ItemList[0].get(), first);
    EXPECT_EQ(ItemList[2].get(), middle);
    EXPECT_EQ(board.form.lblItemSuu->Caption(), "項目：2/4");
    checkOrder();

    board.form.SelectItem(first);
    board.form.RelayoutItems(3);
    EXPECT_EQ(ItemList[3].get(), first);
    checkOrder();

    board.form.SelectItem(nullptr);
    board.form.InsertItem();
    EXPECT_EQ(ItemList.size(), 4u);

    Modified = false;
    board.form.SelectItem(middle);
    board.startup.services->answer = IDNO;
    board.form.DeleteItem();
    EXPECT_EQ(ItemList.size(), 4u);
    EXPECT_FALSE(Modified);
    board.startup.services->answer = IDYES;
    board.form.DeleteItem();
    EXPECT_EQ(ItemList.size(), 3u);
    EXPECT_EQ(SelectedItem, nullptr);
    EXPECT_TRUE(Modified);
    for (size_t i = 0; i < ItemList.size(); ++i)
        EXPECT_EQ(ItemList[i]->FMemo->Tag(), static_cast<long>(i));
}

TEST(Document, PuttingABarTruncatesTheDayWhileDraggingRoundsIt)
{
    TDocBoard board;
    board.form.AddItem();
    TItem &row = *ItemList[0];
    int x = RoundInt(2.7 * PixelsPerDay);
    board.form.AddChart(*row.FLines[0], x, false);
    ASSERT_EQ(row.FCharts.size(), 1u);
    TChart &c = *row.FCharts[0];
    EXPECT_EQ(c.FStartDate, StartDate + 2);
    EXPECT_EQ(c.FEndDate, StartDate + 3);
    EXPECT_EQ(SelectedChart, &c);
    EXPECT_EQ(c.FBar->BevelColor(), SelectColor);
    EXPECT_TRUE(board.form.mitCopy1->Enabled());
    EXPECT_EQ(board.form.PixelToDate(x), StartDate + 3);
    EXPECT_EQ(board.form.FindChart(c.FBar.get()), &c);
    EXPECT_TRUE(board.form.DeleteChart());
    EXPECT_FALSE(board.form.DeleteChart());
}

TEST(Document, HintCountsWorkingDaysAndShowsTheLastWholeDay)
{
    TDocBoard board;
    board.form.AddItem();
    HolidayList = {EncodeDate(2024, 1, 2)};
    TChart &c = board.Bar(*ItemList[0], EncodeDate(2024, 1, 1), EncodeDate(2024, 1, 4));
    board.form.ChartHintText(c);
    EXPECT_EQ(c.FBar->Hint(),
              "開始日：2024/01/01\r\n終了日：2024/01/03\r\n日数：3.00日(2.00)\r\n予定数：0\r\n実績数：0\r\n"
              "達成率：0％\r\nｸﾞﾙｰﾌﾟ：\r\n備考：");
    c.FJisseki = 2;
    c.FChakushubi = EncodeDate(2024, 1, 1);
    c.FJissekibi = EncodeDate(2024, 1, 2);
    c.FRitsu = 99.99L;
    board.form.ChartHintText(c);
    EXPECT_NE(c.FBar->Hint().find("着手日：2024/01/01\r\n実績日：2024/01/02\r\n達成率：99％"), std::string::npos);
    HolidayList.clear();
}

TEST(Document, NewDocumentDefaultsAndTheNextFreeFileName)
{
    TDocBoard board;
    WriteFileAtomically(SettingsDir + "Schedule1.xml", "");
    WriteFileAtomically(SettingsDir + "Schedule2.xml", "");
    EXPECT_EQ(board.form.NextFreeFileName(), SettingsDir + "Schedule3.xml");
    PaperSize = 3;
    Groups[0].Name = "x";
    board.form.NewDocument();
    EXPECT_EQ(PaperSize, 9);
    EXPECT_EQ(Groups[0].Name, "");
    EXPECT_EQ(Groups[11].Color, 0x808000u);
    EXPECT_EQ(board.form.scb2->Position(), 2000);
    EXPECT_EQ(board.form.scb2->Max(), 4000);
    EXPECT_EQ(board.form.scb2->LargeChange(), 2);
    EXPECT_EQ(DefaultChartDuration(20), 1);
    EXPECT_EQ(DefaultChartDuration(40), 0);
    EXPECT_EQ(DefaultChartDuration(730), 30);
}

TEST(Startup, FaultsAreReportedAndNeverWriteZerosOverSettings)
{
    TStartup startup;
    ForceDirectories(startup.root + "appdata/Tarvold");
    WriteFileAtomically(startup.root + "appdata/Tarvold/Tarvold.ini",
                        "[Other]\r\nVersion=abc\r\nCustomTimeScale=40\r\n[Item]\r\nItemDefHeight=0\r\n");
    WriteFileAtomically(startup.root + "run/doc.xml", "<schedule><papersize>A4</papersize>");
    {
        TfrmMain form(nullptr, startup.root + "run/doc.xml", false);
        EXPECT_TRUE(form.StartupHadErrors());
        EXPECT_GE(startup.services->messages.size(), 2u);  // the version and the document
        // The new document does not take the name of the file that did not read.
        EXPECT_EQ(form.FFileName, SettingsDir + "Schedule1.xml");
        EXPECT_TRUE(form.scb1->Visible());
        EXPECT_EQ(CustomTimeScale, 40);
        EXPECT_EQ(ItemDefHeight, 50);
        TCloseAction action = caHide;
        form.FormClose(&form, action);
    }
    std::string ini = ReadFileBytes(startup.root + "appdata/Tarvold/Tarvold.ini");
    EXPECT_NE(ini.find("CustomTimeScale=40"), std::string::npos);
    EXPECT_NE(ini.find("ItemDefHeight=50"), std::string::npos);
}

TEST(Startup, AWindowPlacementAtTheExtremesOfIntegersFitsTheScreen)
{
    TStartup startup;
    ForceDirectories(startup.root + "appdata/Tarvold");
    WriteFileAtomically(startup.root + "appdata/Tarvold/Tarvold.ini",
                        "[Window]\r\nForm.X=0\r\nForm.Y=0\r\nForm.XSize=2147483647\r\nForm.YSize=2147483647\r\n");
    {
        TfrmMain form(nullptr, "", false);
        EXPECT_GT(form.Width(), 0);
        EXPECT_LE(form.Width(), Screen().Width());
        EXPECT_LE(form.Height(), Screen().Height());
        TCloseAction action = caHide;
        form.FormClose(&form, action);
    }
    // What is written back is the fitted placement.
    std::string ini = ReadFileBytes(startup.root + "appdata/Tarvold/Tarvold.ini");
    EXPECT_EQ(ini.find("2147483647"), std::string::npos);
}

TEST(Startup, CloseQueryAsksAboutChangesAndStaysOpenWhenNothingWasSaved)
{
    TStartup startup;
    TfrmMain form(nullptr, "", false);
    bool canClose = true;
    form.FormCloseQuery(&form, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_TRUE(startup.services->messages.empty());

    Modified = true;
    for (auto [answer, expected] : {std::pair{IDNO, true}, {IDCANCEL, false}, {IDYES, false}}) {
        startup.services->answer = answer;
        canClose = true;
        form.FormCloseQuery(&form, canClose);
        EXPECT_EQ(canClose, expected) << answer;
    }
    form.FPreviewOpen = true;
    startup.services->answer = IDNO;
    canClose = true;
    form.FormCloseQuery(&form, canClose);
    EXPECT_FALSE(canClose);
    Modified = false;
}
