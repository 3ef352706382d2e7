#include "schedule/ChartSetting.h"

#include "platform/kernel/QtControls.h"
#include "platform/services/InputSimulation.h"
#include "tests/InputMethodProbe.h"
#include "tests/ModalScript.h"
#include "tests/schedule/DialogFixture.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include <cmath>

namespace {

using testing_support::AskFocusedWindow;
using testing_support::RunModalScript;

struct ChartSettingTest : ::testing::Test {
    TDialogFixture f;
    // Fills the dialog as the person would and presses OK; returns the dialog's result.
    TModalResult Fill(TChart &chart, const std::string &planned, const std::string &actual,
                      TDateTime workStart = 0, TDateTime actualDate = 0)
    {
        TModalResult result = mrNone;
        ShowChartSettingDialog(*f.main, [&](TCustomForm &form) {
            auto &d = static_cast<TdlgChartSetting &>(form);
            d.edtYotei->TextEdited(planned);
            SendMessage(d.edtJisseki, WM_SETFOCUS);
            d.edtJisseki->TextEdited(actual);
            SendMessage(d.edtJisseki, WM_KILLFOCUS);
            if (workStart != 0)
                d.dtpChakushubi->SetDate(workStart);
            if (actualDate != 0)
                d.dtpJissekibi->SetDate(actualDate);
            d.btnOk->Click();
            result = d.ModalResult();
            return result;
        });
        (void)chart;
        return result;
    }
    // A bar with work done, whose pickers are enabled: started 2024/01/08,
    // actual date 2024/01/20.
    TChart &AddBarInProgress(int yotei, int jisseki)
    {
        TChart &chart = f.AddBar(StartDate + 1, 3);
        chart.FYotei = yotei;
        chart.FJisseki = jisseki;
        chart.FChakushubi = EncodeDate(2024, 1, 8);
        chart.FJissekibi = EncodeDate(2024, 1, 20);
        return chart;
    }
};

TEST_F(ChartSettingTest, TwoOfThreeGiveTwoDecimalsAndAStripByRateInTheProgressColour)
{
    TChart &chart = f.AddBar(StartDate + 1, 3);
    EXPECT_EQ(Fill(chart, "3", "2", StartDate + 1, StartDate + 2), mrOk);
    EXPECT_DOUBLE_EQ(static_cast<double>(chart.FRitsu), 66.67);
    ASSERT_TRUE(chart.FProgressBar);
    EXPECT_EQ(chart.FProgressBar->Color(), JissekiColor);
    EXPECT_EQ(chart.FProgressBar->WidthEx(), static_cast<int>(std::trunc(chart.FBar->WidthEx() * 66.67 / 100)));
    EXPECT_EQ(chart.FChakushubi, StartDate + 1);
    EXPECT_TRUE(Modified);
}

TEST_F(ChartSettingTest, RateIsCappedAtAHundredAndNothingPlannedCountsAsDone)
{
    TChart &chart = f.AddBar(StartDate + 1, 3);
    Fill(chart, "0", "5", StartDate + 1, StartDate + 2);
    EXPECT_EQ(chart.FRitsu, 100);
    ASSERT_TRUE(chart.FProgressBar);
    EXPECT_EQ(chart.FProgressBar->Color(), JissekiEndColor);
    Fill(chart, "2", "5", StartDate + 1, StartDate + 2);
    EXPECT_EQ(chart.FRitsu, 100);
    EXPECT_EQ(AchievementRate(3, 1), 33.33L);
}

TEST_F(ChartSettingTest, AnActualCountOfZeroRemovesTheStripAndClearsTheDates)
{
    TChart &chart = f.AddBar(StartDate + 1, 3);
    Fill(chart, "3", "2", StartDate + 1, StartDate + 2);
    Fill(chart, "3", "0");
    EXPECT_FALSE(chart.FProgressBar);
    EXPECT_EQ(chart.FChakushubi, 0);
    EXPECT_EQ(chart.FRitsu, 0);
}

TEST_F(ChartSettingTest, WorkStartAfterTheActualDateOrANegativeCountIsRefusedAndStoresNothing)
{
    TChart &chart = f.AddBar(StartDate + 1, 3);
    EXPECT_EQ(Fill(chart, "3", "2", StartDate + 5, StartDate + 2), mrNone);
    ASSERT_EQ(f.services->messages.size(), 1u);
    EXPECT_EQ(f.services->messages[0].text, "着手日が実績日の後にあります.");
    EXPECT_EQ(chart.FJisseki, 0);
    EXPECT_EQ(Fill(chart, "3", "-2"), mrNone);
    EXPECT_EQ(Fill(chart, "-3", "2", StartDate + 1, StartDate + 2), mrNone);
    ASSERT_EQ(f.services->messages.size(), 3u);
    EXPECT_EQ(f.services->messages[2].text, "値が小さすぎます。");
    EXPECT_EQ(chart.FYotei, 0);
    EXPECT_FALSE(chart.FProgressBar);
}

TEST_F(ChartSettingTest, PickersFollowTheActualCountAndCleanedCountsAreStored)
{
    TChart &chart = f.AddBar(StartDate + 1, 3);
    ShowChartSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgChartSetting &>(form);
        EXPECT_FALSE(d.dtpChakushubi->Enabled());
        EXPECT_EQ(d.dtpJissekibi->Date(), StartDate + 3);  // the shown end
        SendMessage(d.edtJisseki, WM_SETFOCUS);
        d.edtJisseki->TextEdited("1");
        SendMessage(d.edtJisseki, WM_KILLFOCUS);
        EXPECT_TRUE(d.dtpChakushubi->Enabled());
        d.edtYotei->TextEdited("12-3");
        d.btnOk->Click();
        return d.ModalResult();
    });
    EXPECT_EQ(chart.FYotei, 123);
}

TEST_F(ChartSettingTest, GroupAndColourFollowEachOtherAndAnUnlistedGroupIsCleared)
{
    Groups[0] = {"設計", 0x80FFFF};
    Groups[1] = {"", 0x80FF80};
    Groups[2] = {"製造", 0xFFFF80};
    TChart &chart = f.AddBar(StartDate + 1, 3);
    chart.FGroup = "古い";
    f.services->colorAnswers.push_back(0xFFFF80u);
    ShowChartSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgChartSetting &>(form);
        EXPECT_EQ(d.cmbGroup->Items().size(), 2u);
        EXPECT_EQ(d.cmbGroup->ItemIndex(), -1);
        d.cmbGroup->ChosenInWindow(0, "設計");
        EXPECT_EQ(d.pnlChartColor->Color(), 0x80FFFFu);
        SendMessage(d.pnlChartColor, WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(2, 2));
        EXPECT_EQ(d.cmbGroup->Text(), "製造");
        d.btnOk->Click();
        return d.ModalResult();
    });
    EXPECT_EQ(chart.FGroup, "製造");
    EXPECT_EQ(chart.FBar->Color(), 0xFFFF80u);
    EXPECT_EQ(f.main->pnlBgColor->Color(), 0xFFFF80u);
}

// A document may give a bar a system colour: the dialog starts at the colour shown.
TEST_F(ChartSettingTest, TheColourSwatchOfASystemColourOpensTheDialogAtTheColourShown)
{
    TChart &chart = f.AddBar(StartDate + 1, 3);
    chart.FBar->SetColor(clWindow);
    f.services->colorAnswers.push_back(testing_support::kColorDialogOk);
    ShowChartSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgChartSetting &>(form);
        d.pnlChartColor->OnDblClick(d.pnlChartColor);
        d.btnOk->Click();
        return d.ModalResult();
    });
    ASSERT_EQ(f.services->colorRequests.size(), 1u);
    EXPECT_EQ(f.services->colorRequests[0], ColorToRGB(clWindow));
    EXPECT_EQ(chart.FBar->Color(), ColorToRGB(clWindow));
}

// The counts and dates keep the input method out and ask for digits, the
// texts let it in; counts typed in full-width digits are taken.
TEST_F(ChartSettingTest, CountsAndDatesKeepTheInputMethodOutAndTakeFullWidthDigits)
{
    TChart &chart = f.AddBar(StartDate + 1, 3);
    ShowChartSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgChartSetting &>(form);
        return RunModalScript(d, [&] {
            d.edtYotei->SetFocus();
            EXPECT_FALSE(AskFocusedWindow().enabled);
            EXPECT_TRUE(AskFocusedWindow().PrefersNumbers());
            SimulateTyping("１，２００");
            d.edtJisseki->SetFocus();
            EXPECT_FALSE(AskFocusedWindow().enabled);
            SimulateTyping("５");
            d.edtYotei->SetFocus(); // leaving 実績数 enables the dates
            d.dtpChakushubi->SetFocus();
            ASSERT_EQ(FocusedControl(), d.dtpChakushubi);
            EXPECT_FALSE(AskFocusedWindow().enabled);
            EXPECT_TRUE(AskFocusedWindow().PrefersNumbers());
            for (TMemo *memo : {d.memText, d.memBikou}) {
                memo->SetFocus();
                EXPECT_TRUE(AskFocusedWindow().enabled);
                EXPECT_FALSE(AskFocusedWindow().PrefersNumbers());
            }
            SimulateClick(*d.btnOk, TPoint{5, 5});
        });
    });
    EXPECT_EQ(chart.FYotei, 1200);
    EXPECT_EQ(chart.FJisseki, 5);
}

// Enter in 内容 and 備考 types a new line and leaves the dialog open; OK keeps
// both lines, and the document keeps them as CR LF lines.
TEST_F(ChartSettingTest, EnterInTheTextAndTheRemarksTypesANewLine)
{
    TChart &chart = f.AddBar(StartDate + 1, 3);
    ShowChartSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgChartSetting &>(form);
        return RunModalScript(d, [&] {
            for (TMemo *memo : {d.memText, d.memBikou}) {
                SimulateClick(*memo, TPoint{5, 5});
                SimulateTyping("A1");
                SimulateKey(VK_RETURN);
                SimulateTyping("xyz");
                EXPECT_EQ(d.ModalResult(), mrNone);
                EXPECT_TRUE(d.Visible());
                EXPECT_EQ(FocusedControl(), memo);
            }
            SimulateClick(*d.btnOk, TPoint{5, 5});
        });
    });
    EXPECT_EQ(chart.FBar->Caption(), "A1\r\nxyz");
    EXPECT_EQ(chart.FBikou, "A1\r\nxyz");
    const std::string path = f.home.File("lines.xml");
    ASSERT_TRUE(WriteXmlFile(*f.main, path));
    const std::string bytes = testing_support::ReadBytes(path);
    EXPECT_NE(bytes.find("<text>A1\r\nxyz</text>"), std::string::npos);
    EXPECT_NE(bytes.find("A1\r\nxyz</bikou>"), std::string::npos);
}

// Enter presses the focused button: on キャンセル it throws away what was
// typed; in the group list it presses OK, the default button. (Enter in a
// number field moves to the next field.)
TEST_F(ChartSettingTest, EnterPressesTheFocusedButtonAndInTheGroupListTheDefaultOne)
{
    TChart &chart = f.AddBar(StartDate + 1, 3);
    for (bool onCancel : {true, false}) {
        TModalResult result = mrNone;
        ShowChartSettingDialog(*f.main, [&](TCustomForm &form) {
            auto &d = static_cast<TdlgChartSetting &>(form);
            return result = RunModalScript(d, [&] {
                ASSERT_TRUE(testing_support::TabTo(*d.edtYotei));
                SimulateTyping("8");
                SimulateKey(VK_RETURN);
                ASSERT_EQ(FocusedControl(), d.edtJisseki);
                ASSERT_TRUE(testing_support::TabTo(onCancel ? static_cast<TWinControl &>(*d.btnCancel)
                                                            : *d.cmbGroup));
                EXPECT_EQ(d.btnCancel->Active(), onCancel);
                EXPECT_EQ(d.btnOk->Active(), !onCancel);
                SimulateKey(VK_RETURN);
            });
        });
        EXPECT_EQ(result, onCancel ? mrCancel : mrOk) << onCancel;
        EXPECT_EQ(chart.FYotei, onCancel ? 0 : 8) << onCancel;
    }
}

// A click in the middle of a character of a date picker's shown text, as the
// person aims at a part of the date.
void ClickDateCharacter(TDateTimePicker &picker, int index)
{
    QWidget *box = picker.Link()->Widget();
    auto *text = box->findChild<QLineEdit *>();
    ASSERT_NE(text, nullptr);
    const int middle = text->height() / 2;
    int x = 0;
    while (x < text->width() && text->cursorPositionAt(QPoint(x, middle)) <= index)
        ++x;
    const QPoint at = text->mapTo(box, QPoint(x, middle));
    SimulateClick(picker, TPoint{at.x(), at.y()});
}

// One click on a part of a date (day, month) and the digits typed replace it.
TEST_F(ChartSettingTest, DigitsTypedAfterOneClickOnAPartOfADateReplaceThatPart)
{
    TChart &chart = AddBarInProgress(2, 1);
    TModalResult answer = mrNone;
    ShowChartSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgChartSetting &>(form);
        return answer = RunModalScript(d, [&] {
            ClickDateCharacter(*d.dtpChakushubi, 8);  // 2024/01/[0]8
            SimulateTyping("15");
            ClickDateCharacter(*d.dtpJissekibi, 6);  // 2024/0[1]/20
            SimulateTyping("3");
            ClickDateCharacter(*d.dtpJissekibi, 0);  // [2]024/03/20
            SimulateTyping("2025");
            SimulateClick(*d.btnOk, TPoint{5, 5});
        });
    });
    EXPECT_EQ(answer, mrOk);
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd", chart.FChakushubi), "2024/01/15");
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd", chart.FJissekibi), "2025/03/20");
}

// A date typed from its year as eight digits is the date OK stores, and the
// document keeps it; Enter presses OK with a part typed only halfway taken.
TEST_F(ChartSettingTest, ADateTypedAsEightDigitsIsStoredAsTyped)
{
    TChart &chart = AddBarInProgress(3, 2);
    TModalResult answer = mrNone;
    ShowChartSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgChartSetting &>(form);
        return answer = RunModalScript(d, [&] {
            ClickDateCharacter(*d.dtpChakushubi, 1);  // 2[0]24/01/08
            SimulateTyping("20231225");
            SimulateKey(VK_TAB);
            ASSERT_EQ(FocusedControl(), d.dtpJissekibi);
            ClickDateCharacter(*d.dtpJissekibi, 9);  // 2024/01/2[0]
            SimulateTyping("3");  // a second digit could follow
            SimulateKey(VK_RETURN);
        });
    });
    EXPECT_EQ(answer, mrOk);
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd", chart.FChakushubi), "2023/12/25");
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd", chart.FJissekibi), "2024/01/03");
    const std::string path = f.home.File("typed.xml");
    ASSERT_TRUE(WriteXmlFile(*f.main, path));
    EXPECT_NE(testing_support::ReadBytes(path).find("<chakushubi>2023/12/25</chakushubi>"), std::string::npos);
}

} // namespace
