// The page-setting dialog, filled through its controls.
#include "schedule/printing/PageSetting.h"

#include "platform/services/InputSimulation.h"
#include "schedule/printing/Rep.h"
#include "tests/report/BandReportTestDevice.h"
#include "tests/InputMethodProbe.h"
#include "tests/ModalScript.h"
#include "tests/schedule/DialogFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Types into a margin edit as the person would, leaving it afterwards when `leave`.
void TypeMargin(TExEdit &edit, const std::string &text, bool leave = true)
{
    SendMessage(&edit, WM_SETFOCUS);
    edit.TextEdited(text);
    if (leave)
        SendMessage(&edit, WM_KILLFOCUS);
}

TModalResult Show(TDialogFixture &f, const std::function<void(TdlgPageSetting &)> &fill)
{
    TModalResult result = mrNone;
    ShowPageSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgPageSetting &>(form);
        fill(d);
        result = d.ModalResult();
        return result;
    });
    return result;
}

} // namespace

// The frame is drawn in the window text colour until one is chosen.
TEST(PageSetting, TheFrameColourDialogStartsAtTheColourShown)
{
    TDialogFixture f;
    FrameColor = clWindowText;
    f.services->colorAnswers.push_back(testing_support::kColorDialogOk);
    EXPECT_EQ(Show(f,
                   [](TdlgPageSetting &d) {
                       d.pnlFrameColor->OnDblClick(d.pnlFrameColor);
                       d.btnOk->Click();
                   }),
              mrOk);
    ASSERT_EQ(f.services->colorRequests.size(), 1u);
    EXPECT_EQ(f.services->colorRequests[0], ColorToRGB(clWindowText));
    EXPECT_EQ(FrameColor, ColorToRGB(clWindowText));
}

TEST(PageSetting, ValuesSetThroughTheControlsSurviveSaveAndReopen)
{
    TDialogFixture f;
    f.services->colorAnswers.push_back(0x0000FF);
    EXPECT_EQ(Show(f,
                   [](TdlgPageSetting &d) {
                       EXPECT_EQ(d.cmbSize->Items().size(), 26u);
                       EXPECT_EQ(d.cmbSize->Items()[22], "Envelope #12 4 \\276 x 11");
                       EXPECT_EQ(d.cmbSize->ItemIndex(), 9);
                       d.cmbSize->SetItemIndex(8);
                       d.rdgOrientation->SetItemIndex(0);
                       TypeMargin(*d.edtTopMargin, "12.5");
                       TypeMargin(*d.edtLeftMargin, "200");
                       d.ckbFrameLeft->SetChecked(false);
                       d.pnlFrameColor->OnDblClick(d.pnlFrameColor);
                       d.cmbFrameWidth->SetItemIndex(2);
                       d.edtMidashi->TextEdited("工程");
                       d.ckbHanko3->SetChecked(false);
                       d.memKaishamei->SetText("会社\r\n部");
                       d.btnOk->Click();
                   }),
              mrOk);
    EXPECT_TRUE(Modified);
    const std::string path = f.home.File("page.xml");
    ASSERT_TRUE(WriteXmlFile(*f.main, path));
    ResetPageSettings();
    ReadXmlFile(*f.main, path);
    EXPECT_EQ(PaperSize, 8);
    EXPECT_EQ(Orientation, 0);
    EXPECT_EQ(TopMargin, 12.5L);
    EXPECT_EQ(LeftMargin, 200);
    EXPECT_FALSE(FrameLeft);
    EXPECT_EQ(FrameColor, 0x0000FFu);
    EXPECT_EQ(FrameWidth, 3);
    EXPECT_EQ(PrintMidashi, "工程");
    EXPECT_FALSE(PrintHanko3);
    EXPECT_TRUE(PrintHanko4);
    EXPECT_EQ(PrintKaishamei, "会社\r\n部");
}

// A heading emptied in the dialog, or made of spaces, is saved so and reads
// back so through 開く: the dialog shows it and the printed header has none,
// rather than the heading a new document starts with.
TEST(PageSetting, AnEmptiedHeadingStaysSoAfterSaveAndOpen)
{
    TDialogFixture f;
    for (const std::string heading : {"", "  "}) {
        f.main->mitNewClick();
        f.main->AddItem();
        EXPECT_EQ(Show(f,
                       [&](TdlgPageSetting &d) {
                           EXPECT_EQ(d.edtMidashi->Text(), "スケジュール表");
                           d.edtMidashi->TextEdited(heading);
                           d.btnOk->Click();
                       }),
                  mrOk);
        const std::string path = f.home.File("heading.xml");
        f.services->fileAnswers.push_back(TFileDialogAnswer{path, 1});
        ASSERT_TRUE(f.main->mitSaveAsClick());
        EXPECT_NE(testing_support::ReadBytes(path).find("<printmidashi>" + heading + "</printmidashi>\r\n"),
                  std::string::npos);
        f.main->mitNewClick();
        ASSERT_EQ(PrintMidashi, "スケジュール表");
        f.services->fileAnswers.push_back(TFileDialogAnswer{path, 1});
        f.main->mitOpenClick();
        ASSERT_EQ(ItemList.size(), 1u);
        EXPECT_EQ(PrintMidashi, heading);
        Show(f, [&](TdlgPageSetting &d) {
            EXPECT_EQ(d.edtMidashi->Text(), heading);
            d.btnCancel->Click();
        });
        TrepForm rep(*f.main);
        report_test::TTestDevice device(96, 2100, 2970);
        device.Orientation = poLandscape;
        rep.rep1->BuildReport(device);
        EXPECT_EQ(rep.lblMidashi->Caption(), heading);
        const std::vector<std::string> texts = device.TextsOnPage(1);
        EXPECT_TRUE(std::none_of(texts.begin(), texts.end(), [](const std::string &text) {
            return text.find("スケジュール表") != std::string::npos;
        }));
        EXPECT_NE(std::find(texts.begin(), texts.end(), "タイトル"), texts.end());
    }
    EXPECT_TRUE(f.services->messages.empty());
}

TEST(PageSetting, MarginsOutsideZeroTo200AreRefusedAndTheOldTextReturns)
{
    TDialogFixture f;
    Show(f, [&](TdlgPageSetting &d) {
        TypeMargin(*d.edtTopMargin, "250");
        EXPECT_EQ(d.edtTopMargin->Text(), "10.00");
        TypeMargin(*d.edtBottomMargin, "-5");
        EXPECT_EQ(d.edtBottomMargin->AsFloat(), 10);
        // Clicking OK from a margin still being edited checks it first.
        TypeMargin(*d.edtRightMargin, "300", false);
        d.btnOk->Click();
        EXPECT_EQ(d.ModalResult(), mrNone);
        EXPECT_EQ(d.edtRightMargin->AsFloat(), 10);
    });
    ASSERT_EQ(f.services->messages.size(), 3u);
    EXPECT_EQ(f.services->messages[0].text, "値が大きすぎます。");
    EXPECT_EQ(f.services->messages[1].text, "値が小さすぎます。");
    EXPECT_EQ(f.services->messages[2].text, "値が大きすぎます。");
    EXPECT_EQ(RightMargin, 10);
}

// Margins that leave no paper between them are refused on OK, against the
// paper and orientation chosen in the dialog; the dialog stays open.
TEST(PageSetting, MarginsThatLeaveNoRoomOnThePaperAreRefused)
{
    TDialogFixture f;
    Show(f, [&](TdlgPageSetting &d) {
        d.cmbSize->SetItemIndex(9);  // A4
        d.rdgOrientation->SetItemIndex(0);
        TypeMargin(*d.edtTopMargin, "150");
        TypeMargin(*d.edtBottomMargin, "150");
        d.btnOk->Click();
        EXPECT_EQ(d.ModalResult(), mrNone);
        TypeMargin(*d.edtBottomMargin, "140");
        TypeMargin(*d.edtLeftMargin, "110");
        TypeMargin(*d.edtRightMargin, "100");
        d.btnOk->Click();
        EXPECT_EQ(d.ModalResult(), mrNone);
        d.rdgOrientation->SetItemIndex(1);  // 297 mm wide, 210 mm long
        d.btnOk->Click();
        EXPECT_EQ(d.ModalResult(), mrNone);
        TypeMargin(*d.edtTopMargin, "60");
        d.btnOk->Click();
        EXPECT_EQ(d.ModalResult(), mrOk);
    });
    ASSERT_EQ(f.services->messages.size(), 3u);
    EXPECT_EQ(f.services->messages[0].text, "上下の余白が大きすぎて、印刷する範囲がありません。");
    EXPECT_EQ(f.services->messages[1].text, "左右の余白が大きすぎて、印刷する範囲がありません。");
    EXPECT_EQ(f.services->messages[2].text, "上下の余白が大きすぎて、印刷する範囲がありません。");
    EXPECT_EQ(TopMargin, 60);
    EXPECT_EQ(BottomMargin, 140);
    EXPECT_EQ(Orientation, 1);
}

TEST(PageSetting, CancelChangesNothingAndMissingChoicesKeepTheirValues)
{
    TDialogFixture f;
    Show(f, [](TdlgPageSetting &d) {
        TypeMargin(*d.edtTopMargin, "20");
        d.ckbTitle->SetChecked(false);
        d.btnCancel->Click();
    });
    EXPECT_EQ(TopMargin, 10);
    EXPECT_TRUE(PrintTitle);
    EXPECT_FALSE(Modified);

    // A document's paper 26 is not in the list, and an unknown frame width not either.
    PaperSize = 26;
    FrameWidth = 12;
    EXPECT_EQ(Show(f,
                   [](TdlgPageSetting &d) {
                       EXPECT_EQ(d.cmbSize->ItemIndex(), -1);
                       EXPECT_EQ(d.cmbFrameWidth->ItemIndex(), -1);
                       d.btnOk->Click();
                   }),
              mrOk);
    EXPECT_EQ(PaperSize, 26);
    EXPECT_EQ(FrameWidth, 12);
}

// Margins keep the input method out, 見出し and 会社名 let it in; Enter in 会社名
// types a new line, leaves the dialog open, and OK keeps both lines.
TEST(PageSetting, MarginsKeepTheInputMethodOutAndEnterInTheCompanyNameTypesANewLine)
{
    TDialogFixture f;
    PrintKaishamei.clear();
    ShowPageSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgPageSetting &>(form);
        return testing_support::RunModalScript(d, [&] {
            d.edtTopMargin->SetFocus();
            EXPECT_FALSE(testing_support::AskFocusedWindow().enabled);
            EXPECT_TRUE(testing_support::AskFocusedWindow().PrefersNumbers());
            SimulateTyping("１５．５");
            d.edtMidashi->SetFocus();
            EXPECT_TRUE(testing_support::AskFocusedWindow().enabled);
            SimulateClick(*d.memKaishamei, TPoint{5, 5});
            EXPECT_TRUE(testing_support::AskFocusedWindow().enabled);
            SimulateTyping("本社");
            SimulateKey(VK_RETURN);
            SimulateTyping("工務部");
            EXPECT_EQ(d.ModalResult(), mrNone);
            EXPECT_EQ(FocusedControl(), d.memKaishamei);
            SimulateClick(*d.btnOk, TPoint{5, 5});
        });
    });
    EXPECT_EQ(PrintKaishamei, "本社\r\n工務部");
    EXPECT_EQ(TopMargin, 15.5L);
}

// 印刷方向 is one Tab stop after the paper size; the arrows move its choice
// across its two columns, wrapping around, and OK stores it.
TEST(PageSetting, TheOrientationIsReachedByTabAndChosenByTheArrows)
{
    TDialogFixture f;
    ResetPageSettings();
    ASSERT_EQ(Orientation, 1);
    ShowPageSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgPageSetting &>(form);
        return testing_support::RunModalScript(d, [&] {
            EXPECT_EQ(d.rdgOrientation->Columns(), 2);
            d.cmbSize->SetFocus();
            SimulateKey(VK_TAB);
            ASSERT_EQ(FocusedControl(), d.rdgOrientation);
            SimulateKey(VK_LEFT);
            EXPECT_EQ(d.rdgOrientation->ItemIndex(), 0);
            SimulateKey(VK_RIGHT);
            SimulateKey(VK_RIGHT);
            EXPECT_EQ(d.rdgOrientation->ItemIndex(), 0);
            SimulateKey(VK_TAB);
            EXPECT_EQ(FocusedControl(), d.edtTopMargin);
            SimulateClick(*d.btnOk, TPoint{5, 5});
        });
    });
    EXPECT_EQ(Orientation, 0);
}
