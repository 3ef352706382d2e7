#include "MainFixture.h"

#include "platform/core/Messages.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct TCommandBoard : TMainBoard {
    TCommandBoard()
    {
        StartDate = form.FDocStartDate = EncodeDate(2024, 1, 1);
        form.RedrawChart();
        form.AddItem();
        form.AddItem();
        Modified = false;
    }
    TShape &Band(int row, int line = 0) { return *ItemList[static_cast<size_t>(row)]->FLines[static_cast<size_t>(line)]; }
    int X(int day) const { return RoundInt((day + 0.5) * PixelsPerDay); }
    // The chart popup opened by a right click on a line band, `day` days after the start.
    void RightClickBand(int row, int day, int line = 0)
    {
        SendMessage(&Band(row, line), WM_RBUTTONDOWN, MK_RBUTTON, MakeLParam(X(day), 2));
        SendMessage(&Band(row, line), WM_RBUTTONUP, 0, MakeLParam(X(day), 2));
    }
    static void RightClickBar(const TChart &chart)
    {
        SendMessage(chart.FBar.get(), WM_RBUTTONDOWN, MK_RBUTTON, MakeLParam(3, 3));
        SendMessage(chart.FBar.get(), WM_RBUTTONUP, 0, MakeLParam(3, 3));
    }
    TChart &AddFromPopup(int row, int day, int line = 0)
    {
        RightClickBand(row, day, line);
        form.mitChartAdd2->Click();
        return *SelectedChart;
    }
};

TChart &Decorated(TChart &chart)
{
    chart.FBar->SetCaption("設計");
    chart.FBar->SetColor(0x00FF00);
    chart.FBar->Font().SetColor(0x0000FF);
    chart.FBar->SetAlignment(taRightJustify);
    chart.FYotei = 3;
    chart.FJisseki = 2;
    chart.FRitsu = 66.67;
    chart.FBikou = "memo";
    chart.FGroup = "A";
    return chart;
}

} // namespace

TEST(Commands, CutAndPasteTwiceGivesTwoIndependentBarsWithTheAttributesButNotThePlace)
{
    TCommandBoard board;
    board.RightClickBand(0, 2);
    EXPECT_FALSE(board.form.mitPaste->Enabled()) << "nothing has been copied yet";

    TChart &original = Decorated(board.AddFromPopup(0, 2));
    TDateTime duration = original.FEndDate - original.FStartDate;
    board.form.mitCut1->Click();
    EXPECT_TRUE(ItemList[0]->FCharts.empty());
    EXPECT_TRUE(Modified);

    board.RightClickBand(1, 5);
    ASSERT_TRUE(board.form.mitPaste->Enabled());
    board.form.mitPaste->Click();
    board.RightClickBand(1, 9);
    board.form.mitPaste->Click();
    ASSERT_EQ(ItemList[1]->FCharts.size(), 2u);
    const TChart &a = *ItemList[1]->FCharts[0];
    const TChart &b = *ItemList[1]->FCharts[1];
    for (const TChart *c : {&a, &b}) {
        EXPECT_EQ(c->FEndDate - c->FStartDate, duration);
        EXPECT_EQ(c->FBar->Caption(), "設計");
        EXPECT_EQ(c->FBar->Color(), 0x00FF00u);
        EXPECT_EQ(c->FBar->Font().Color(), 0x0000FFu);
        EXPECT_EQ(c->FYotei, 3);
        EXPECT_EQ(c->FJisseki, 2);
        EXPECT_DOUBLE_EQ(c->FRitsu, 66.67);
        EXPECT_EQ(c->FBikou, "memo");
        EXPECT_EQ(c->FGroup, "A");
    }
    EXPECT_EQ(a.FStartDate, StartDate + 5);
    EXPECT_EQ(b.FStartDate, StartDate + 9);
    EXPECT_EQ(SelectedChart, &b);
    EXPECT_EQ(board.form.cmbAlignment->Text(), "中央");

    // A right click on a bar disables pasting.
    SendMessage(b.FBar.get(), WM_RBUTTONDOWN, MK_RBUTTON, MakeLParam(3, 3));
    EXPECT_FALSE(board.form.mitPaste->Enabled());
    EXPECT_TRUE(board.form.mitCopy2->Enabled());
}

// A long bar pasted near the calendar's last day ends there at the latest.
TEST(Commands, ABarPastedNearTheCalendarsEndEndsOnItsLastDay)
{
    TCommandBoard board;
    TChart &original = board.AddFromPopup(0, 2);
    original.FEndDate = original.FStartDate + 400;
    original.FDuration = 400;
    board.form.mitCopy1->Click();
    StartDate = board.form.FDocStartDate = LastFittingStart(DaysShown);
    board.form.RedrawChart();
    board.RightClickBand(1, 3);
    board.form.mitPaste->Click();
    ASSERT_EQ(ItemList[1]->FCharts.size(), 1u);
    const TChart &pasted = *ItemList[1]->FCharts[0];
    EXPECT_EQ(pasted.FStartDate, StartDate + 3);
    EXPECT_EQ(pasted.FEndDate, LastDate);
    EXPECT_EQ(pasted.FDuration, LastDate - pasted.FStartDate);
}

TEST(Commands, PopupAddEndsTheModesButPasteDoesNot)
{
    TCommandBoard board;
    board.AddFromPopup(0, 1);
    board.form.mitCopy1->Click();
    board.form.mitChartAdd1->Click();
    EXPECT_TRUE(board.form.FPutChartMode);
    board.RightClickBand(0, 6);
    board.form.mitPaste->Click();
    EXPECT_TRUE(board.form.FPutChartMode);
    board.AddFromPopup(0, 10);
    EXPECT_FALSE(board.form.FPutChartMode);
    EXPECT_EQ(ItemList[0]->FCharts.size(), 3u);
}

TEST(Commands, BackgroundColourNamesTheBarAfterTheLastGroupOfThatColour)
{
    TCommandBoard board;
    Groups[2] = {"early", 0x123456};
    Groups[7] = {"late", 0x123456};
    TChart &bar = board.AddFromPopup(0, 1);
    board.startup.services->colors = {0x123456};
    board.RightClickBar(bar);
    board.form.mitColorChange2->Click();
    EXPECT_EQ(bar.FBar->Color(), 0x123456u);
    EXPECT_EQ(bar.FGroup, "late");

    // Cancelling still derives the group from the (unchanged) colour.
    bar.FGroup = "stale";
    board.form.pnlBgColorDblClick();
    EXPECT_EQ(bar.FGroup, "late");

    board.startup.services->colors = {0x654321};
    board.form.pnlBgColorDblClick();
    EXPECT_EQ(bar.FGroup, "");
}

TEST(Commands, FontControlsGoToTheSelectedBarElseTheSelectedRowAndMarkTheDocumentModified)
{
    TCommandBoard board;
    TChart &bar = board.AddFromPopup(0, 1);
    // Each change that lands is an edit; choosing what is already there is none.
    auto marks = [](const std::function<void()> &change) {
        Modified = false;
        change();
        return Modified;
    };
    EXPECT_TRUE(marks([&] { board.form.cmbFontSize->ChosenInWindow(-1, "14"); }));
    EXPECT_FALSE(marks([&] { board.form.cmbFontSize->ChosenInWindow(-1, "14"); }));
    EXPECT_TRUE(marks([&] { board.form.cmbAlignment->ChosenInWindow(2, "右寄せ"); }));
    EXPECT_TRUE(marks([&] { board.form.cmbFontName->ChosenInWindow(-1, "IPAGothic"); }));
    board.startup.services->colors = {0x0000FF};
    board.RightClickBar(bar);
    EXPECT_TRUE(marks([&] { board.form.mitFontColorChange2->Click(); }));
    EXPECT_FALSE(marks([&] { board.form.pnlFontColorDblClick(); })) << "a cancelled dialog changes nothing";
    board.startup.services->colors = {0x00FF00};
    EXPECT_TRUE(marks([&] { board.form.pnlBgColorDblClick(); }));
    EXPECT_EQ(bar.FBar->Font().Size(), 14);
    EXPECT_EQ(bar.FBar->Font().Name(), "IPAGothic");
    EXPECT_EQ(bar.FBar->Alignment(), taRightJustify);
    EXPECT_EQ(bar.FBar->Font().Color(), 0x0000FFu);
    EXPECT_EQ(bar.FBar->Color(), 0x00FF00u);
    EXPECT_FALSE(marks([&] { board.form.cmbFontSize->ChosenInWindow(-1, "big"); }));
    EXPECT_EQ(bar.FBar->Font().Size(), 14) << "a size that is not a number is ignored";

    board.form.DeselectChart();
    TItem &row = *ItemList[1];
    board.form.SelectItem(&row);
    int rowSize = row.FMemo->Font().Size();
    EXPECT_TRUE(marks([&] { board.form.cmbFontSize->ChosenInWindow(-1, "20"); }));
    EXPECT_FALSE(marks([&] { board.form.cmbAlignment->ChosenInWindow(0, "左寄せ"); })) << "rows have no alignment";
    board.startup.services->colors = {0xABCDEF};
    EXPECT_TRUE(marks([&] { board.form.mitColorChange3->Click(); }));
    EXPECT_EQ(row.FMemo->Font().Size(), 20);
    EXPECT_NE(rowSize, 20);
    EXPECT_EQ(row.FMemo->Color(), 0xABCDEFu);
    EXPECT_EQ(bar.FBar->Font().Size(), 14);
    EXPECT_EQ(bar.FBar->Alignment(), taRightJustify);

    // So closing now asks, and 'Cancel' keeps the window.
    board.startup.services->answer = IDCANCEL;
    bool canClose = true;
    board.form.FormCloseQuery(&board.form, canClose);
    EXPECT_FALSE(canClose);
    EXPECT_EQ(board.startup.services->messages.back(), "データが変更されています。保存しますか？");
}

// The default font colour is the system's window text and a row's default
// background the system's window colour: the colour dialog starts at what the
// swatch shows, and OK without a choice keeps that colour.
TEST(Commands, SwatchesOfSystemColoursOpenTheDialogAtTheColourShown)
{
    TCommandBoard board;
    auto &services = *board.startup.services;
    TChart &bar = board.AddFromPopup(0, 1);
    ASSERT_EQ(board.form.pnlFontColor->Color(), clWindowText);
    services.colors = {testing_support::kColorDialogOk};
    board.form.pnlFontColorDblClick();
    ASSERT_EQ(services.colorRequests.size(), 1u);
    EXPECT_EQ(services.colorRequests[0], ColorToRGB(clWindowText));
    EXPECT_EQ(bar.FBar->Font().Color(), ColorToRGB(clWindowText));

    TItem &row = *ItemList[1];
    SendMessage(row.FMemo.get(), WM_SETFOCUS);
    ASSERT_EQ(board.form.pnlBgColor->Color(), clWindow);
    services.colors = {testing_support::kColorDialogOk};
    board.form.pnlBgColorDblClick();
    EXPECT_EQ(services.colorRequests.at(1), ColorToRGB(clWindow));
    EXPECT_EQ(row.FMemo->Color(), ColorToRGB(clWindow));

    testing_support::TempDir dir;
    ASSERT_TRUE(WriteXmlFile(board.form, dir.File("colours.xml")));
    const std::string saved = testing_support::ReadBytes(dir.File("colours.xml"));
    const std::string barFont = saved.substr(saved.find("<chart>"));
    EXPECT_EQ(barFont.find("<color>8</color>"), std::string::npos);
    EXPECT_NE(barFont.find("<color>" + IntToStr(ColorToRGB(clWindowText)) + "</color>\r\n</font>"),
              std::string::npos);
}

TEST(Commands, LineCountChangeGrowsTheCaptionByWholeLines)
{
    TCommandBoard board;
    TItem &row = *ItemList[0];
    board.form.SelectItem(&row);
    int h = row.FMemo->Height();
    ASSERT_EQ(row.FLineCount, 1);
    board.form.cmbChartCnt->ChosenInWindow(2, "3");
    EXPECT_EQ(row.FLineCount, 3);
    EXPECT_EQ(row.FMemo->Height(), h + 2 * h);
    EXPECT_TRUE(Modified);

    Modified = false;
    board.form.cmbChartCnt->ChosenInWindow(2, "3");
    EXPECT_FALSE(Modified) << "the same count changes nothing";
    board.form.cmbChartCnt->ChosenInWindow(1, "2");
    EXPECT_EQ(row.FMemo->Height(), 3 * h - h);
}

TEST(Commands, EditAndPopupCommandsNeedASelection)
{
    TCommandBoard board;
    SelectedItem = nullptr;
    SelectedChart = nullptr;
    // With nothing selected the dialog commands and the colour swatches do nothing.
    for (TMenuItem *m : {board.form.mitEvent1, board.form.mitChartInfo1, board.form.mitItemHeight,
                         board.form.mitItemMove, board.form.mitChartDelete1, board.form.mitCut1})
        m->Click();
    board.startup.services->colors = {0x111111};
    board.form.mitColorChange3->Click();
    EXPECT_EQ(ItemList.size(), 2u);
    EXPECT_FALSE(Modified);
    for (auto &row : ItemList)
        EXPECT_NE(row->FMemo->Color(), 0x111111u);
}

TEST(Commands, HelpSaysSoNamingTheFileWhenItIsMissingOrCannotBeShown)
{
    TCommandBoard board;
    TTestServices &services = *board.startup.services;
    // Looked up beside the program, not in the folder it was started from.
    const std::string file = board.startup.root + "program/Tarvold.chm";
    board.form.mitContentsClick();
    EXPECT_TRUE(services.opened.empty());
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].find("見つかりません"), std::string::npos);
    EXPECT_NE(services.messages[0].find(file), std::string::npos);

    WriteFileAtomically(file, "help");
    services.shellOpens = false;
    board.form.mitContentsClick();
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_NE(services.messages[1].find("表示できません"), std::string::npos);
    EXPECT_NE(services.messages[1].find(file), std::string::npos);

    services.shellOpens = true;
    board.form.mitContentsClick();
    EXPECT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(services.opened.back(), file);
}
