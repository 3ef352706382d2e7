// The main window's toolbars: their place, the View menu's checks, the
// floating frame while the program is inactive, and the positions at close.
#include "MainFixture.h"
#include "ToolbarClicks.h"

#include "platform/services/InputSimulation.h"
#include "platform/core/IniFile.h"
#include "platform/kernel/WindowEffects.h"
#include "tests/FakePrinters.h"
#include "tests/KeyInput.h"

#include <gtest/gtest.h>

namespace {

// The text of one INI section, header and keys, up to the next section.
std::string Section(const std::string &ini, const std::string &name)
{
    const size_t start = ini.find("[" + name + "]");
    if (start == std::string::npos)
        return "";
    const size_t end = ini.find("\r\n[", start);
    return ini.substr(start, end == std::string::npos ? std::string::npos : end + 2 - start);
}

std::string PositionSection(const std::string &name, const std::string &visible, const std::string &dockedTo,
                            int dockRow, int dockPos, TPoint floating = {})
{
    return "[frmMain_" + name + "]\r\nRev=2000\r\nVisible=" + visible + "\r\nDockedTo=" + dockedTo +
           "\r\nLastDock=dockTop\r\nDockRow=" + std::to_string(dockRow) + "\r\nDockPos=" + std::to_string(dockPos) +
           "\r\nFloatLeft=" + std::to_string(floating.X) + "\r\nFloatTop=" + std::to_string(floating.Y) +
           "\r\nFloatRightX=0\r\n";
}

struct TShownBoard {
    TStartup startup;
    TfrmMain form{nullptr, "", false};
    bool active = false;
    TShownBoard()
    {
        form.SetBounds(0, 0, 900, 600);
        active = SimulateActivation(form);
        form.RedrawChart();
    }
    ~TShownBoard() { form.Hide(); }
    std::string IniPath() const { return startup.root + "appdata/Tarvold/Tarvold.ini"; }
    void Close()
    {
        TCloseAction action = caHide;
        form.FormClose(&form, action);
    }
};

} // namespace

TEST(MainToolbars, FourToolbarsShareOneDockRowAndTheScrollBarSitsAboveTheStatusBar)
{
    TShownBoard board;
    ASSERT_TRUE(board.active);
    TfrmMain &form = board.form;
    form.SetBounds(0, 0, 800, 600); // the window's size at a first start
    ProcessMessages();
    // Left to right by their wished positions: File -1, Edit 91, Font 304, Move 391.
    const std::vector<TSkinToolbar *> order{form.tlbFile, form.tlbEdit, form.tlbFont, form.tlbMove};
    int right = 0;
    for (TSkinToolbar *toolbar : order) {
        EXPECT_EQ(toolbar->CurrentDock(), form.dockTop);
        EXPECT_EQ(toolbar->EffectiveRow, 0) << toolbar->Name();
        EXPECT_GE(toolbar->Left(), right) << toolbar->Name();
        right = toolbar->Left() + toolbar->Width();
        // Every button shows: nothing hides behind a chevron in a window this wide.
        toolbar->View().EnsureLayout();
        for (int i = 0; i < toolbar->Items()->Count(); ++i)
            EXPECT_TRUE(toolbar->View().Find(toolbar->Items()->GetItem(i))->Show()) << toolbar->Name() << " " << i;
    }
    EXPECT_EQ(form.dockTop->Top(), 0);
    EXPECT_EQ(form.pnlDate->Top(), form.dockTop->Height());
    EXPECT_LE(right, form.ClientWidth());
    EXPECT_EQ(form.tlbFile->Items()->IndexOf(form.btnPrint), 3);
    EXPECT_EQ(form.tlbEdit->Items()->Count(), 8);
    EXPECT_EQ(form.tlbMove->Items()->Count(), 9);

    // The font panel, inside the font toolbar's frame, takes input there.
    const TRect font = form.tlbFont->BoundsRect();
    const TPoint at = form.cmbFontSize->ClientToScreen(TPoint{0, 0});
    const TPoint toolbarAt = form.tlbFont->ClientToScreen(TPoint{0, 0});
    EXPECT_GE(at.X, toolbarAt.X + form.tlbFont->ClientOrigin().X);
    EXPECT_LE(at.Y + form.cmbFontSize->Height(), toolbarAt.Y + font.Height());
    EXPECT_TRUE(form.cmbFontSize->Showing());

    // The bottom toolbar: the caption column's width, then the scroll bar.
    EXPECT_EQ(form.pnlScb->Parent(), form.SkinToolbar1);
    EXPECT_EQ(form.scb2->Parent(), form.SkinToolbar1);
    EXPECT_EQ(form.scb2->Left(), form.pnlBase->Left() + 2) << "the scroll bar starts under the date strips";
    EXPECT_EQ(form.scb2->Left(), form.pnlScb->Left() + form.pnlScb->Width());
    EXPECT_EQ(form.scb2->Top(), form.pnlScb->Top());
    EXPECT_EQ(form.scb2->Left(), form.tbcCalSelect->Left());
    EXPECT_EQ(form.SkinToolbar1->Top() + form.SkinToolbar1->Height(), form.stb1->Top());
    EXPECT_EQ(form.scb1->Top() + form.scb1->Height(), form.SkinToolbar1->Top());
}

// In a narrow window the toolbars keep their first buttons: the last ones go
// behind the chevron first.
TEST(MainToolbars, ANarrowWindowHidesTheLastButtonsOfEachToolbar)
{
    TShownBoard board;
    ASSERT_TRUE(board.active);
    TfrmMain &form = board.form;
    for (int width : {760, 420}) {
        form.SetBounds(0, 0, width, 600);
        ProcessMessages();
        for (TSkinToolbar *toolbar : {form.tlbFile, form.tlbEdit, form.tlbMove}) {
            toolbar->View().EnsureLayout();
            std::string shown;
            for (int i = 0; i < toolbar->Items()->Count(); ++i)
                shown += toolbar->View().Find(toolbar->Items()->GetItem(i))->Show() ? 'x' : '.';
            const size_t kept = shown.find('.');
            EXPECT_NE(kept, 0u) << toolbar->Name() << " at " << width << ": " << shown;
            if (kept != std::string::npos) {
                EXPECT_EQ(shown.find('x', kept), std::string::npos) << toolbar->Name() << " at " << width << ": "
                                                                    << shown;
            }
        }
    }
}

// The font-name list shows whole names: it is as wide as the longest needs,
// within the screen.
TEST(MainToolbars, TheFontNameListShowsTheLongestNameWhole)
{
    TShownBoard board;
    ASSERT_TRUE(board.active);
    TfrmMain &form = board.form;
    // A selected row's caption opens the font boxes.
    ClickToolbarItem(*form.tlbEdit, form.tlbEdit->Items()->GetItem(0));
    ASSERT_EQ(ItemList.size(), 1u);
    SimulateClick(*ItemList[0]->FMemo, TPoint{5, 5});
    TComboBox &names = *form.cmbFontName;
    ASSERT_TRUE(names.Enabled());
    TBitmap measure(1, 1);
    measure.Canvas().Font().Assign(names.Font());
    int longest = 0;
    for (const std::string &name : names.Items())
        longest = std::max(longest, measure.Canvas().TextWidth(name));
    ASSERT_GT(longest, names.Width()) << "no font name is longer than the box";

    SimulateClick(names, TPoint{names.Width() - 6, names.Height() / 2});
    ProcessMessages();
    const TRect list = names.DroppedRect();
    names.SetDroppedDown(false);
    EXPECT_GE(list.Width(), std::min(longest, Screen().Width()));
    EXPECT_LE(list.Width(), Screen().Width());
}

TEST(MainToolbars, ViewMenuChecksAndToolbarVisibilityFollowEachOther)
{
    TShownBoard board;
    ASSERT_TRUE(board.active);
    TfrmMain &form = board.form;
    for (auto [toolbar, check] : {std::pair{form.tlbFile, form.mitDspFile}, {form.tlbEdit, form.mitDspEdit},
                                  {form.tlbMove, form.mitDspMove}, {form.tlbFont, form.mitDspFont}}) {
        EXPECT_TRUE(check->Checked());
        check->Click();
        EXPECT_FALSE(toolbar->Visible()) << toolbar->Name();
        EXPECT_FALSE(check->Checked()) << toolbar->Name();
        check->Click();
        EXPECT_TRUE(toolbar->Visible()) << toolbar->Name();
        EXPECT_TRUE(check->Checked()) << toolbar->Name();
        toolbar->Hide();
        EXPECT_FALSE(check->Checked()) << toolbar->Name();
        toolbar->Show();
        EXPECT_TRUE(check->Checked()) << toolbar->Name();
    }

    // Floating, its own close button hides it and clears the check; the menu brings it back.
    form.tlbMove->SetFloatingPosition(TPoint{200, 300});
    form.tlbMove->SetFloating(true);
    TBarFloatingWindowParent *frame = form.tlbMove->FloatingParent();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->Visible());
    const TRect close = frame->CloseButtonRect();
    SimulateClick(*frame, TPoint{(close.Left + close.Right) / 2, (close.Top + close.Bottom) / 2});
    EXPECT_FALSE(form.tlbMove->Visible());
    EXPECT_FALSE(frame->Visible());
    EXPECT_FALSE(form.mitDspMove->Checked());
    form.mitDspMove->Click();
    EXPECT_TRUE(form.tlbMove->Visible());
    EXPECT_TRUE(frame->Visible());
    EXPECT_TRUE(form.mitDspMove->Checked());
}

TEST(MainToolbars, AnInactiveProgramHidesFloatingToolbarsButKeepsTheirChecks)
{
    TShownBoard board;
    ASSERT_TRUE(board.active);
    TfrmMain &form = board.form;
    form.tlbMove->SetFloatingPosition(TPoint{200, 300});
    form.tlbMove->SetFloating(true);
    TBarFloatingWindowParent *frame = form.tlbMove->FloatingParent();
    ASSERT_TRUE(frame->Visible());

    SimulateApplicationDeactivation();
    EXPECT_FALSE(frame->Visible());
    EXPECT_TRUE(form.tlbMove->Visible());
    EXPECT_TRUE(form.mitDspMove->Checked());
    EXPECT_TRUE(form.tlbFile->Showing()) << "docked toolbars stay";

    ASSERT_TRUE(SimulateActivation(form));
    EXPECT_TRUE(frame->Visible());

    // Closed while floating, it stays hidden whatever activates.
    form.tlbMove->Hide();
    EXPECT_FALSE(frame->Visible());
    EXPECT_FALSE(form.mitDspMove->Checked());
    ASSERT_TRUE(SimulateActivation(form));
    EXPECT_FALSE(frame->Visible());

    // With its form hidden, showing it checks the menu but keeps the frame hidden.
    form.Hide();
    form.tlbMove->Show();
    EXPECT_TRUE(form.mitDspMove->Checked());
    EXPECT_FALSE(frame->Visible());
}

// Floating, the font toolbar's size box takes what is typed after a click on
// it (not the row caption that had the focus), the size reaches the selected
// row, and Ctrl+S typed there saves the document with that size.
TEST(MainToolbars, AFloatingFontToolbarTakesTypingAndCtrlSSavesIt)
{
    TShownBoard board;
    ASSERT_TRUE(board.active);
    TfrmMain &form = board.form;
    form.FHasFile = true; // saving writes to its file without asking
    ClickToolbarItem(*form.tlbEdit, form.tlbEdit->Items()->GetItem(0));
    ASSERT_EQ(ItemList.size(), 1u);
    TMemo &caption = *ItemList[0]->FMemo;
    caption.SetText("row");
    SimulateClick(caption, TPoint{5, 5});
    ASSERT_EQ(SelectedItem, ItemList[0].get());
    ASSERT_EQ(FocusedControl(), &caption);
    form.tlbFont->SetFloatingPosition(TPoint{200, 300});
    form.tlbFont->SetFloating(true);
    ASSERT_TRUE(form.tlbFont->FloatingParent()->Visible());

    SimulateClick(*form.cmbFontSize, TPoint{5, 5});
    ProcessMessages();
    // The window system sends the keys to the active window.
    ASSERT_EQ(ActiveWindowControl(), form.tlbFont->FloatingParent());
    ASSERT_EQ(FocusedControl(), form.cmbFontSize);
    SimulateKey(VK_END);
    for (int i = 0; i < 4; ++i)
        SimulateKey(VK_BACK);
    SimulateTyping("16");
    SimulateKey(VK_RETURN);
    EXPECT_EQ(caption.Font().Size(), 16);
    EXPECT_EQ(caption.Text(), "row");
    SimulateKey('S', ssCtrl);
    EXPECT_FALSE(Modified);
    const std::string saved = ReadFileBytes(form.FFileName);
    EXPECT_NE(saved.find("<size>16</size>"), std::string::npos);
    EXPECT_EQ(caption.Text(), "row");
}

TEST(MainToolbars, ClosingWritesEachToolbarsPositionBeforeThePrinter)
{
    {
        TShownBoard board;
        ASSERT_TRUE(board.active);
        board.Close();
        const std::string ini = ReadFileBytes(board.IniPath());
        EXPECT_EQ(Section(ini, "frmMain_tlbFile"), PositionSection("tlbFile", "1", "dockTop", 1, -1));
        EXPECT_EQ(Section(ini, "frmMain_tlbEdit"), PositionSection("tlbEdit", "1", "dockTop", 1, 91));
        EXPECT_EQ(Section(ini, "frmMain_tlbMove"), PositionSection("tlbMove", "1", "dockTop", 1, 391));
        EXPECT_EQ(Section(ini, "frmMain_tlbFont"), PositionSection("tlbFont", "1", "dockTop", 1, 304));
        EXPECT_LT(ini.find("[frmMain_tlbFile]"), ini.find("[frmMain_tlbEdit]"));
        EXPECT_LT(ini.find("[frmMain_tlbMove]"), ini.find("[frmMain_tlbFont]"));
        EXPECT_EQ(ini.find("SkinToolbar1"), std::string::npos);
        // Written after the toolbars, the printer and the encoding are still there.
        EXPECT_NE(ini.find("PrinterIndex=-1"), std::string::npos);
        EXPECT_NE(ini.find("EncodingStrSet="), std::string::npos);
    }
    {
        TShownBoard board;
        ASSERT_TRUE(board.active);
        board.form.tlbMove->SetFloatingPosition(TPoint{250, 320});
        board.form.tlbMove->SetFloating(true);
        board.form.tlbEdit->Hide();
        board.Close();
        const std::string ini = ReadFileBytes(board.IniPath());
        EXPECT_EQ(Section(ini, "frmMain_tlbMove"), PositionSection("tlbMove", "1", "+", 1, 391, TPoint{250, 320}));
        EXPECT_EQ(Section(ini, "frmMain_tlbEdit"), PositionSection("tlbEdit", "0", "dockTop", 1, 91));
    }
}

// Settings of an older version keep the checks as designed; newer ones copy
// the toolbars' visibility. Both start with every toolbar shown and checked.
TEST(MainToolbars, SettingsOfEitherVersionStartWithEveryToolbarChecked)
{
    for (const char *version : {"0.98", "1.18"}) {
        TStartup startup;
        ForceDirectories(startup.root + "appdata/Tarvold");
        TIniFile(startup.root + "appdata/Tarvold/Tarvold.ini").WriteString("Other", "Version", version);
        TfrmMain form(nullptr, "", false);
        EXPECT_FALSE(form.StartupHadErrors()) << version;
        for (auto [toolbar, check] : {std::pair{form.tlbFile, form.mitDspFile}, {form.tlbEdit, form.mitDspEdit},
                                      {form.tlbMove, form.mitDspMove}, {form.tlbFont, form.mitDspFont}}) {
            EXPECT_TRUE(toolbar->Visible()) << version;
            EXPECT_TRUE(check->Checked()) << version;
        }
    }
}

TEST(MainToolbars, ButtonsRunTheirCommandsOnceAndPrintWaitsForItsDialog)
{
    TShownBoard board;
    ASSERT_TRUE(board.active);
    TfrmMain &form = board.form;
    ClickToolbarItem(*form.tlbEdit, form.tlbEdit->Items()->GetItem(0));
    EXPECT_EQ(ItemList.size(), 1u) << "項目の追加 adds one row";
    ClickToolbarItem(*form.tlbEdit, form.tlbEdit->Items()->GetItem(1));
    EXPECT_EQ(ItemList.size(), 2u) << "項目の挿入 inserts one row";
    EXPECT_TRUE(Modified);

    // The hosted font controls reach the selected row's caption.
    SimulateClick(*ItemList[0]->FMemo, TPoint{5, 5});
    ASSERT_EQ(SelectedItem, ItemList[0].get());
    Modified = false;
    SimulateClick(*form.cmbFontSize, TPoint{5, 5});
    ASSERT_EQ(FocusedControl(), form.cmbFontSize);
    SimulateKey(VK_END);
    for (int i = 0; i < 4; ++i)
        SimulateKey(VK_BACK);
    SimulateTyping("16");
    EXPECT_EQ(ItemList[0]->FMemo->Font().Size(), 16);
    EXPECT_TRUE(Modified);

    // New asks nothing of an unmodified document and empties it.
    Modified = false;
    ClickToolbarItem(*form.tlbFile, form.btnNew);
    EXPECT_TRUE(ItemList.empty());

    // Print: the button is disabled while the dialog is up, and enabled after.
    TScopedFakePrinters printers;
    form.AddItem();
    bool asked = false;
    form.RunPrintDialog = [&](TCustomForm &) {
        asked = true;
        EXPECT_FALSE(form.btnPrint->Enabled());
        EXPECT_FALSE(form.mitPrint->Enabled());
        return mrCancel;
    };
    ClickToolbarItem(*form.tlbFile, form.btnPrint);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(form.btnPrint->Enabled());
}
