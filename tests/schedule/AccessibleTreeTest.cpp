// The main window and its dialogs as a screen reader reads them: hidden
// toolbars, the toolbars' order, the names of the boxes, and the dialogs'
// roles, fields, tabs and radio buttons.
#include "MainFixture.h"

#include "platform/services/InputSimulation.h"
#include "schedule/ChartSetting.h"
#include "schedule/InitSetting.h"
#include "schedule/MainDocument.h"
#include "tests/AccessibleTree.h"
#include "tests/ModalScript.h"
#include "tests/schedule/DialogFixture.h"
#include "toolbar/BarToolbar.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// The main window shown and active.
struct TShownMain : TMainBoard {
    bool active = SimulateActivation(form);
    ~TShownMain() { form.Hide(); }
};

// Whether a toolbar and every one of its buttons are reported off screen.
bool WhollyInvisible(QAccessibleInterface *toolbar)
{
    if (!toolbar || !toolbar->state().invisible)
        return false;
    for (QAccessibleInterface *button : AccChildren(toolbar))
        if (button && !button->state().invisible)
            return false;
    return true;
}

bool WhollyVisible(QAccessibleInterface *toolbar)
{
    if (!toolbar || toolbar->state().invisible || toolbar->childCount() == 0)
        return false;
    for (QAccessibleInterface *button : AccChildren(toolbar))
        if (button && button->state().invisible)
            return false;
    return true;
}

} // namespace

// 表示 > ツールバー > ファイル unticked hides the toolbar for a screen reader
// too, buttons and all; ticked, it is back. A floating toolbar closed with
// its × likewise.
TEST(AccessibleTree, AHiddenToolbarIsNotOnScreenForAScreenReader)
{
    TShownMain main;
    ASSERT_TRUE(main.active);
    TfrmMain &form = main.form;
    QAccessibleInterface *file = AccessibleOf(*form.tlbFile);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->role(), QAccessible::ToolBar);
    ASSERT_TRUE(WhollyVisible(file));
    form.mitDspFile->Click();
    EXPECT_TRUE(WhollyInvisible(file));
    form.mitDspFile->Click();
    EXPECT_TRUE(WhollyVisible(file));

    form.tlbMove->SetFloatingPosition(TPoint{200, 300});
    form.tlbMove->SetFloating(true);
    TBarFloatingWindowParent *frame = form.tlbMove->FloatingParent();
    ASSERT_NE(frame, nullptr);
    QAccessibleInterface *move = AccessibleOf(*form.tlbMove);
    ASSERT_TRUE(WhollyVisible(move));
    EXPECT_EQ(AccRole(*frame), QAccessible::Window);
    EXPECT_EQ(AccName(*frame), "移動");
    const TRect close = frame->CloseButtonRect();
    SimulateClick(*frame, TPoint{(close.Left + close.Right) / 2, (close.Top + close.Bottom) / 2});
    ASSERT_FALSE(frame->Visible());
    EXPECT_TRUE(WhollyInvisible(AccessibleOf(*form.tlbMove)));
    form.mitDspMove->Click();
    EXPECT_TRUE(WhollyVisible(AccessibleOf(*form.tlbMove)));
}

// The toolbars are read in the order the dock shows them, whatever the order
// they were made in; the window is a window named by its caption, and every
// box of the main window has a name that says what it is for.
TEST(AccessibleTree, TheMainWindowReadsInItsOrderOnScreenWithNamedBoxes)
{
    TShownMain main;
    ASSERT_TRUE(main.active);
    TfrmMain &form = main.form;
    EXPECT_EQ(AccRole(form), QAccessible::Window);
    EXPECT_EQ(AccName(form), form.Caption());

    std::vector<std::pair<int, std::string>> shown;
    for (TSkinToolbar *bar : {form.tlbFile, form.tlbEdit, form.tlbMove, form.tlbFont})
        shown.emplace_back(bar->Left(), bar->Caption());
    std::sort(shown.begin(), shown.end());
    std::vector<std::string> onScreen;
    for (const auto &[left, caption] : shown)
        onScreen.push_back(caption);
    ASSERT_EQ(onScreen, (std::vector<std::string>{"ファイル", "編集", "フォント", "移動"}));
    EXPECT_EQ(AccChildNames(AccessibleOf(*form.dockTop), QAccessible::ToolBar), onScreen);

    EXPECT_EQ(AccName(*form.cmbFontName), "フォント名");
    EXPECT_EQ(AccName(*form.cmbFontSize), "フォントサイズ");
    EXPECT_EQ(AccName(*form.cmbAlignment), "文字の配置");
    EXPECT_EQ(AccName(*form.cmbChartCnt), "行数");
    EXPECT_EQ(AccName(*form.edtHdTitle), "タイトル");
    EXPECT_EQ(AccName(*form.pnlFontColor), "Font");
    EXPECT_EQ(AccName(*form.pnlBgColor), "BG");
    EXPECT_EQ(AccName(*form.SkinToolbar1), "日付スクロール");
    EXPECT_EQ(AccRole(*form.scb2), QAccessible::ScrollBar);
    EXPECT_EQ(AccName(*form.scb2), "日付");
}

namespace {

struct AccessibleDialogTest : ::testing::Test {
    TDialogFixture f;
};

} // namespace

// 初期設定 is a dialog: its page control lists the tabs 全般, 項目 and
// チャート, the radio groups their radio buttons with the chosen one checked,
// and each field the label beside it; a tab's action turns to its page.
TEST_F(AccessibleDialogTest, TheInitialSettingsReadAsADialogOfTabsRadioButtonsAndNamedFields)
{
    EncodingStrSet = "UTF-8";
    JissekiHyouji = 0;
    auto answer = ShowInitSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgInitSetting &>(form);
        return RunModalScript(d, [&] {
            EXPECT_EQ(AccRole(d), QAccessible::Dialog);
            EXPECT_EQ(AccName(d), "初期設定");

            QAccessibleInterface *pages = AccessibleOf(*d.pgc);
            ASSERT_NE(pages, nullptr);
            EXPECT_EQ(pages->role(), QAccessible::PageTabList);
            EXPECT_EQ(AccChildNames(pages, QAccessible::PageTab),
                      (std::vector<std::string>{"全般", "項目", "チャート"}));
            EXPECT_TRUE(pages->child(0)->state().selected);

            QAccessibleInterface *strSet = AccessibleOf(*d.rgpStrSet);
            ASSERT_NE(strSet, nullptr);
            EXPECT_EQ(strSet->role(), QAccessible::Grouping);
            EXPECT_EQ(AccName(strSet), "文字セット");
            EXPECT_EQ(AccChildNames(strSet, QAccessible::RadioButton),
                      (std::vector<std::string>{"Shift_JIS", "UTF-8"}));
            EXPECT_FALSE(strSet->child(0)->state().checked);
            EXPECT_TRUE(strSet->child(1)->state().checked);

            EXPECT_EQ(AccName(*d.edtXsl), "XSLファイルの指定");
            EXPECT_EQ(AccName(*d.speCustomTimeScale), "タイムスケールが任意の場合の日数");
            EXPECT_EQ(AccName(*d.pnlDateColor1), "奇数日");
            EXPECT_EQ(AccName(*d.pnlDateColor2), "偶数日");
            EXPECT_EQ(AccName(*d.pnlHorydayColor), "休日");

            AccPress(pages->child(2));
            EXPECT_EQ(d.pgc->ActivePageIndex(), 2);
            EXPECT_TRUE(pages->child(2)->state().selected);
            QAccessibleInterface *jisseki = AccessibleOf(*d.rgpJisseki);
            ASSERT_NE(jisseki, nullptr);
            EXPECT_EQ(AccName(jisseki), "実績表示");
            EXPECT_EQ(AccChildNames(jisseki, QAccessible::RadioButton), (std::vector<std::string>{"比率", "日付"}));
            EXPECT_TRUE(jisseki->child(0)->state().checked);
            AccPress(jisseki->child(1));
            EXPECT_EQ(d.rgpJisseki->ItemIndex(), 1);
            EXPECT_EQ(AccName(*d.pnlChartColor), "チャート色");
            EXPECT_EQ(AccName(*d.pnlJissekiEndColor), "完了色");
            EXPECT_EQ(AccName(*d.cmbChartFontName), "チャートのフォント名");
            EXPECT_EQ(AccName(*d.cmbChartAlignment), "チャートの文字の配置");

            d.pgc->SetActivePageIndex(1);
            EXPECT_EQ(AccName(*d.edtItemHeight), "項目行の高さ");
            EXPECT_EQ(AccName(*d.pnlItemColor), "項目色");
            EXPECT_EQ(AccName(*d.cmbItemFontSize), "項目のフォントサイズ");
            d.btnOk->Click();
        });
    });
    EXPECT_EQ(answer, mrOk);
    EXPECT_EQ(JissekiHyouji, 1) << "the radio button's action chose 日付";
    EncodingStrSet = "Shift_JIS";
    JissekiHyouji = 0;
}

// チャート情報の設定 is a dialog whose every field is named by its label.
TEST_F(AccessibleDialogTest, TheBarSettingsNameEveryFieldByItsLabel)
{
    f.AddBar(StartDate + 1, 3);
    ShowChartSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgChartSetting &>(form);
        return RunModalScript(d, [&] {
            EXPECT_EQ(AccRole(d), QAccessible::Dialog);
            EXPECT_EQ(AccName(d), "チャート情報の設定");
            const std::pair<TWinControl *, const char *> fields[] = {
                {d.edtYotei, "予定数"},    {d.edtJisseki, "実績数"}, {d.dtpChakushubi, "着手日"},
                {d.dtpJissekibi, "実績日"}, {d.cmbGroup, "ｸﾞﾙｰﾌﾟ"},  {d.memText, "内容"},
                {d.memBikou, "備考"},       {d.pnlChartColor, "チャート色"},
            };
            for (const auto &[field, name] : fields)
                EXPECT_EQ(AccName(*field), name);
            EXPECT_EQ(AccName(*d.btnOk), "OK");
            d.btnCancel->Click();
        });
    });
}
