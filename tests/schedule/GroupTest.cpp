#include "schedule/Group.h"

#include "platform/core/Messages.h"
#include "platform/services/InputSimulation.h"
#include "tests/ModalScript.h"
#include "tests/schedule/DialogFixture.h"

#include <gtest/gtest.h>

using testing_support::ReadBytes;

namespace {

constexpr TColor kOff = static_cast<TColor>(-1);

struct GroupTest : ::testing::Test {
    TDialogFixture f;

    GroupTest()
    {
        StartDate = f.main->FDocStartDate = EncodeDate(2024, 1, 1);
        f.main->RedrawChart();
    }

    // A bar of that colour and group, on the first row, starting `day` days after the start.
    TChart &Bar(TColor color, const std::string &group, int day = 1)
    {
        TChart &chart = f.AddBar(StartDate + day, 2);
        chart.FBar->SetColor(color);
        chart.FGroup = group;
        return chart;
    }

    static TdlgGroup &Open(TfrmMain &main)
    {
        ShowGroupDialog(main);
        EXPECT_NE(dlgGroup, nullptr);
        return *dlgGroup;
    }

    // Types a name into row `n` (0-based) and leaves the edit, as the person would.
    static void Rename(TdlgGroup &d, size_t n, const std::string &name)
    {
        SendMessage(d.edtGroup[n], WM_SETFOCUS);
        d.edtGroup[n]->TextEdited(name);
        SendMessage(d.edtGroup[n], WM_KILLFOCUS);
    }

    static void Click(TControl *control)
    {
        SendMessage(control, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(3, 3));
        SendMessage(control, WM_LBUTTONUP, 0, MakeLParam(3, 3));
    }

    static void DoubleClick(TControl *control)
    {
        Click(control);
        SendMessage(control, WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(3, 3));
        SendMessage(control, WM_LBUTTONUP, 0, MakeLParam(3, 3));
    }

    // Double-clicks swatch `n` and picks `color` in the colour dialog.
    void Recolour(TdlgGroup &d, size_t n, TColor color)
    {
        f.services->colorAnswers.push_back(color);
        DoubleClick(d.pnlColor[n]);
    }
};

TEST_F(GroupTest, TheDialogShowsTheTableAndFindsItsRowsByName)
{
    Groups[2].Name = "Design";
    TdlgGroup &d = Open(*f.main);
    EXPECT_EQ(d.Caption(), "グループの設定");
    EXPECT_EQ(d.FormStyle(), fsStayOnTop);
    for (size_t i = 0; i < 12; ++i) {
        ASSERT_NE(d.edtGroup[i], nullptr);
        ASSERT_NE(d.pnlColor[i], nullptr);
        EXPECT_EQ(d.pnlColor[i]->Color(), Groups[i].Color);
        EXPECT_EQ(d.pnlColor[i]->Tag(), static_cast<long>(i));
    }
    EXPECT_EQ(d.edtGroup[2]->Text(), "Design");
    EXPECT_EQ(d.edtGroup[11]->Name(), "edtGroup12");
    EXPECT_TRUE(d.Visible());
}

TEST_F(GroupTest, OkNamesBarsByColourAndRecoloursBarsByName)
{
    Groups[1].Name = "Build";
    Groups[3].Name = "Deploy";
    TChart &shared = Bar(Groups[0].Color, "");
    TChart &built = Bar(Groups[1].Color, "Build");
    TChart &strayBuild = Bar(0x123456, "Build");
    TChart &deploy = Bar(0x111111, "Deploy");
    TChart &unnamed = Bar(Groups[4].Color, "Old");
    TChart &plain = Bar(0x222222, "");
    TColor firstColour = Groups[0].Color;
    SelectedChart = &deploy;

    TdlgGroup &d = Open(*f.main);
    Rename(d, 0, "Alpha");
    Rename(d, 2, "Gamma");
    Recolour(d, 2, firstColour); // groups 1 and 3 now share a colour
    Rename(d, 1, "Make");
    Modified = false;
    d.Button1->Click();

    EXPECT_EQ(Groups[0].Name, "Alpha");
    EXPECT_EQ(Groups[2].Name, "Gamma");
    EXPECT_EQ(Groups[2].Color, firstColour);
    // The later group of a shared colour wins.
    EXPECT_EQ(shared.FGroup, "Gamma");
    // A renamed group renames the bars of its colour, not those of its old name.
    EXPECT_EQ(built.FGroup, "Make");
    EXPECT_EQ(strayBuild.FGroup, "Build");
    EXPECT_EQ(strayBuild.FBar->Color(), 0x123456u);
    // A named group recolours the bars that carry its name.
    EXPECT_EQ(deploy.FBar->Color(), Groups[3].Color);
    EXPECT_EQ(f.main->pnlBgColor->Color(), Groups[3].Color);
    // An empty name recolours nothing but empties the name of bars of its colour.
    EXPECT_EQ(unnamed.FGroup, "");
    EXPECT_EQ(plain.FBar->Color(), 0x222222u);
    EXPECT_NE(shared.FBar->Hint().find("Gamma"), std::string::npos);
    EXPECT_TRUE(Modified);
    EXPECT_EQ(dlgGroup, nullptr);
    EXPECT_FALSE(d.Visible());
}

TEST_F(GroupTest, CancelAndTheCloseBoxKeepNothingAndFreeTheDialog)
{
    auto before = Groups;
    TdlgGroup &d = Open(*f.main);
    Rename(d, 0, "Changed");
    Recolour(d, 1, 0x010203);
    EXPECT_TRUE(Modified);
    TMessageTargetRef alive(&d);
    d.dlgCansel->Click();
    EXPECT_EQ(dlgGroup, nullptr);
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(Groups[i].Name, before[i].Name);
        EXPECT_EQ(Groups[i].Color, before[i].Color);
    }
    EXPECT_TRUE(alive);
    ProcessMessages();
    EXPECT_FALSE(alive);

    TdlgGroup &again = Open(*f.main);
    Rename(again, 0, "Changed");
    again.Close();
    EXPECT_EQ(dlgGroup, nullptr);
    EXPECT_EQ(Groups[0].Name, before[0].Name);
}

// The dialog has no default button: Enter presses the button that has the
// focus, OK keeping the name typed, キャンセル dropping it.
TEST_F(GroupTest, EnterPressesTheFocusedOkOrCancel)
{
    const std::string before = Groups[0].Name;
    for (bool onOk : {false, true}) {
        TdlgGroup &d = Open(*f.main);
        ASSERT_TRUE(SimulateActivation(d));
        SimulateClick(*d.edtGroup[0], TPoint{5, 5});
        d.edtGroup[0]->SelectAll();
        SimulateTyping("Alpha");
        ASSERT_TRUE(testing_support::TabTo(onOk ? *d.Button1 : *d.dlgCansel));
        SimulateKey(VK_RETURN);
        EXPECT_EQ(dlgGroup, nullptr) << onOk;
        EXPECT_EQ(Groups[0].Name, onOk ? "Alpha" : before) << onOk;
        ProcessMessages();
    }
}

TEST_F(GroupTest, TheDialogIsOpenedOnlyOnceAndFreeingTheDocumentClosesIt)
{
    int components = f.main->ComponentCount();
    TdlgGroup &d = Open(*f.main);
    f.main->mitGroup->Click();
    EXPECT_EQ(dlgGroup, &d);
    EXPECT_EQ(f.main->ComponentCount(), components + 1);

    Click(d.pnlColor[0]);
    ASSERT_NE(GroupSetColor, kOff);
    TMessageTargetRef alive(&d);
    f.main->FreeDocument();
    EXPECT_EQ(dlgGroup, nullptr);
    EXPECT_EQ(GroupSetColor, kOff);
    ProcessMessages();
    EXPECT_FALSE(alive);
    EXPECT_EQ(f.main->ComponentCount(), components);
    f.main->NewDocument();

    // A dialog closed but not yet freed goes with the main window.
    Open(*f.main).Close();
}

TEST_F(GroupTest, ASwatchClickPaintsPressedBarsUntilEsc)
{
    TChart &first = Bar(0x222222, "", 1);
    TChart &second = Bar(0x333333, "Other", 5);
    TDateTime start = first.FStartDate, end = first.FEndDate;
    TdlgGroup &d = Open(*f.main);
    Rename(d, 1, "Build");
    Modified = false;

    Click(d.pnlColor[1]);
    EXPECT_EQ(GroupSetName, "Build");
    EXPECT_EQ(GroupSetColor, Groups[1].Color);
    EXPECT_EQ(Screen().Cursor(), 7);
    Click(first.FBar.get());
    EXPECT_EQ(first.FGroup, "Build");
    EXPECT_EQ(first.FBar->Color(), Groups[1].Color);
    EXPECT_EQ(first.FStartDate, start);
    EXPECT_EQ(first.FEndDate, end);
    EXPECT_EQ(ChartDragState, 3);
    EXPECT_NE(first.FBar->Hint().find("Build"), std::string::npos);
    EXPECT_TRUE(Modified);
    // Painting goes on bar after bar.
    SendMessage(second.FBar.get(), WM_RBUTTONDOWN, MK_RBUTTON, MakeLParam(3, 3));
    EXPECT_EQ(second.FGroup, "Build");

    SendMessage(f.main.get(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(GroupSetColor, kOff);
    EXPECT_EQ(GroupSetName, "");
    EXPECT_EQ(Screen().Cursor(), crDefault);
    TChart &third = Bar(0x444444, "", 9);
    Click(third.FBar.get());
    EXPECT_EQ(third.FBar->Color(), 0x444444u);
    EXPECT_EQ(dlgGroup, &d);
}

TEST_F(GroupTest, AnUnnamedSwatchPaintsTheColourWithAnEmptyNameAndADoubleClickEndsPainting)
{
    TChart &bar = Bar(0x222222, "Old");
    TdlgGroup &d = Open(*f.main);
    Click(d.pnlColor[5]);
    Click(bar.FBar.get());
    EXPECT_EQ(bar.FGroup, "");
    EXPECT_EQ(bar.FBar->Color(), Groups[5].Color);

    Modified = false;
    Recolour(d, 5, 0x0000FF);
    EXPECT_EQ(f.services->colorRequests.back(), Groups[5].Color);
    EXPECT_EQ(d.pnlColor[5]->Color(), 0x0000FFu);
    EXPECT_EQ(GroupSetColor, kOff);
    EXPECT_EQ(Screen().Cursor(), crDefault);
    EXPECT_TRUE(Modified);
    // A cancelled colour dialog leaves the swatch but still counts as a change.
    Modified = false;
    DoubleClick(d.pnlColor[5]);
    EXPECT_EQ(d.pnlColor[5]->Color(), 0x0000FFu);
    EXPECT_TRUE(Modified);
}

TEST_F(GroupTest, CaptionOrTitleFocusAddingABarAndClosingEndPainting)
{
    f.main->AddItem();
    TdlgGroup &d = Open(*f.main);
    Click(d.pnlColor[0]);
    SendMessage(ItemList[0]->FMemo.get(), WM_SETFOCUS);
    EXPECT_EQ(GroupSetColor, kOff);

    Click(d.pnlColor[0]);
    SendMessage(f.main->edtHdTitle, WM_SETFOCUS);
    EXPECT_EQ(GroupSetColor, kOff);

    Click(d.pnlColor[0]);
    f.main->FPutChartMode = true;
    TShape &band = *ItemList[0]->FLines[0];
    SendMessage(&band, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(30, 2));
    EXPECT_EQ(ItemList[0]->FCharts.size(), 1u);
    EXPECT_EQ(GroupSetColor, kOff);

    Click(d.pnlColor[0]);
    SendMessage(&band, WM_RBUTTONDOWN, MK_RBUTTON, MakeLParam(90, 2));
    f.main->mitChartAdd2Click(false);
    EXPECT_EQ(ItemList[0]->FCharts.size(), 2u);
    EXPECT_EQ(GroupSetColor, kOff);

    Click(d.pnlColor[0]);
    d.Close();
    EXPECT_EQ(GroupSetColor, kOff);
    EXPECT_EQ(Screen().Cursor(), crDefault);
}

TEST_F(GroupTest, TheSavedDocumentHoldsThePaintedGroup)
{
    TChart &bar = Bar(0x222222, "");
    TdlgGroup &d = Open(*f.main);
    Rename(d, 3, "Review");
    d.Button1->Click();
    Open(*f.main);
    Click(dlgGroup->pnlColor[3]);
    Click(bar.FBar.get());
    dlgGroup->Close();

    std::string path = f.home.Path() + "painted.xml";
    f.services->fileAnswers.push_back(TFileDialogAnswer{path, 1});
    ASSERT_TRUE(f.main->mitSaveClick());
    std::string saved = ReadBytes(path);
    EXPECT_NE(saved.find("<group>Review</group>"), std::string::npos);
    EXPECT_NE(saved.find("<groupname4>Review</groupname4>"), std::string::npos);
    EXPECT_NE(saved.find("<groupcolor4>" + IntToStr(static_cast<long long>(Groups[3].Color)) + "</groupcolor4>"),
              std::string::npos);
    EXPECT_FALSE(Modified);
}

// A document may give a group a system colour: the dialog starts at the colour shown.
TEST_F(GroupTest, ASwatchOfASystemColourOpensTheDialogAtTheColourShown)
{
    Groups[4].Color = clWindow;
    TdlgGroup &d = Open(*f.main);
    Recolour(d, 4, testing_support::kColorDialogOk);
    EXPECT_EQ(f.services->colorRequests.back(), ColorToRGB(clWindow));
    EXPECT_EQ(d.pnlColor[4]->Color(), ColorToRGB(clWindow));
}

} // namespace
