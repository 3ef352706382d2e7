#include "schedule/AboutBox.h"
#include "schedule/Cal.h"
#include "schedule/ItemHeight.h"
#include "schedule/ItemMove.h"
#include "platform/widgets/Label.h"

#include "platform/services/InputSimulation.h"
#include "tests/ModalScript.h"
#include "tests/schedule/DialogFixture.h"

#include <gtest/gtest.h>

namespace {

void ClickControl(TControl *control)
{
    SendMessage(control, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(2, 2));
    SendMessage(control, WM_LBUTTONUP, 0, MakeLParam(2, 2));
}

TEST(RowDialogs, HeightForAllRowsScalesByEachRowsLineCount)
{
    TDialogFixture f;
    f.main->AddItem();
    f.main->AddItem();
    f.main->SetLineCount(*ItemList[1], 3);
    f.main->SelectItem(ItemList[0].get());
    ShowItemHeightDialog(*f.main, [](TCustomForm &form) {
        auto &d = static_cast<TdlgItemHeight &>(form);
        EXPECT_EQ(d.speHeight->Value(), ItemList[0]->Height() / ItemList[0]->FLineCount);
        d.speHeight->SetValue(40);
        d.ckbAll->SetChecked(true);
        d.btnOk->Click();
        return d.ModalResult();
    });
    EXPECT_EQ(ItemList[0]->Height(), 40);
    EXPECT_EQ(ItemList[1]->Height(), 120);
    EXPECT_EQ(f.main->stb1->PanelText(1), "項目の高さ:40");
    EXPECT_TRUE(Modified);
}

TEST(RowDialogs, MovingToTheSamePositionGivesMinusOneButMarksTheDocument)
{
    TDialogFixture f;
    for (int i = 0; i < 3; ++i)
        f.main->AddItem();
    TItem *first = ItemList[0].get();
    f.main->SelectItem(first);
    TdlgItemMove same;
    EXPECT_EQ(same.lblRow->Caption(), "1");
    EXPECT_EQ(same.cmbRow->Items().size(), 3u);
    same.btnOk->Click();
    EXPECT_EQ(same.ModalResult(), -1);
    EXPECT_TRUE(Modified);

    ShowItemMoveDialog(*f.main, [](TCustomForm &form) {
        auto &d = static_cast<TdlgItemMove &>(form);
        d.cmbRow->ChosenInWindow(2, "3");
        d.btnOk->Click();
        return d.ModalResult();
    });
    EXPECT_EQ(ItemList[2].get(), first);
    EXPECT_EQ(f.main->lblItemSuu->Caption(), "項目：3/3");
}

TEST(RowDialogs, CancelEscAndTheCloseBoxMoveNothing)
{
    TDialogFixture f;
    for (int i = 0; i < 3; ++i)
        f.main->AddItem();
    TItem *first = ItemList[0].get();
    f.main->SelectItem(first);
    TdlgItemMove d;
    SendMessage(d.cmbRow, WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(d.ModalResult(), -1);
    d.SetModalResult(mrNone);
    TCloseAction action = caHide;
    d.OnClose(&d, action);
    EXPECT_EQ(d.ModalResult(), -1);
    MoveSelectedItem(*f.main, -1);
    EXPECT_EQ(ItemList[0].get(), first);
}

// Enter presses the focused button: キャンセル moves nothing; in the row list
// Enter still presses OK, the default button.
TEST(RowDialogs, EnterOnAFocusedCancelMovesNothingAndInTheListPressesOk)
{
    TDialogFixture f;
    for (int i = 0; i < 3; ++i)
        f.main->AddItem();
    TItem *first = ItemList[0].get();
    for (bool onCancel : {true, false}) {
        f.main->SelectItem(first);
        ShowItemMoveDialog(*f.main, [&](TCustomForm &form) {
            auto &d = static_cast<TdlgItemMove &>(form);
            return testing_support::RunModalScript(d, [&] {
                d.cmbRow->SetFocus();
                SimulateKey(VK_END);
                ASSERT_EQ(d.cmbRow->Text(), "3");
                if (onCancel) {
                    ASSERT_TRUE(testing_support::TabTo(*d.btnCansel));
                }
                SimulateKey(VK_RETURN);
            });
        });
        EXPECT_EQ(ItemList[onCancel ? 0 : 2].get(), first) << onCancel;
    }
}

// Enter on the focused 次月 shows the next month and keeps the dialog up;
// on a focused キャンセル it throws the marked day away, and no holiday file
// is written.
TEST(RowDialogs, EnterOnAFocusedButtonOfTheCalendarPressesThatButton)
{
    TDialogFixture f;
    DateIniDir = f.home.Path();
    HolidayList.clear();
    ShowCalendarDialog(*f.main, [](TCustomForm &form) {
        auto &d = static_cast<TdlgCalendar &>(form);
        return testing_support::RunModalScript(d, [&] {
            // The first tab stop has the focus: 前月 and 次月 are out of the tab order.
            EXPECT_EQ(FocusedControl(), d.OKBtn);
            SimulateClick(*d.pnlDay[8], TPoint{3, 3});
            ASSERT_TRUE(d.IsHolidayCell(8));
            SimulateClick(*d.btnNext, TPoint{5, 5});
            ASSERT_EQ(FocusedControl(), d.btnNext);
            SimulateKey(VK_RETURN);
            EXPECT_EQ(d.Month(), 3);
            EXPECT_EQ(d.ModalResult(), mrNone);
            ASSERT_TRUE(testing_support::TabTo(*d.CancelBtn));
            SimulateKey(VK_RETURN);
        });
    });
    EXPECT_TRUE(HolidayList.empty());
    EXPECT_FALSE(FileExists(f.home.File("Date.ini")));
}

// Clicks at a brisk pace, as the toolkit delivers them (every second press
// a double click): each click on 次月 or 前月 moves a month, and a double
// click on a day marks it once.
TEST(RowDialogs, QuickClicksOnTheCalendarsMonthButtonsEachMoveAMonth)
{
    TDialogFixture f;
    DateIniDir = f.home.Path();
    HolidayList.clear();
    TDateTime marked = 0;
    ShowCalendarDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgCalendar &>(form);
        return testing_support::RunModalScript(d, [&] {
            ASSERT_EQ(d.Month(), 1);
            SimulateDoubleClick(*d.btnNext, TPoint{5, 5});
            SimulateDoubleClick(*d.btnNext, TPoint{5, 5});
            EXPECT_EQ(d.Month(), 5);
            EXPECT_EQ(d.pnlMonth->Caption(), "5");
            SimulateDoubleClick(*d.btnPrev, TPoint{5, 5});
            EXPECT_EQ(d.Month(), 3);
            SimulateDoubleClick(*d.pnlDay[8], TPoint{3, 3});
            EXPECT_TRUE(d.IsHolidayCell(8));
            marked = EncodeDate(2024, 3, d.DayOfCell(8));
            SimulateClick(*d.OKBtn, TPoint{5, 5});
        });
    });
    EXPECT_EQ(HolidayList, std::vector<TDateTime>{marked});
}

TEST(RowDialogs, CalendarMarksADayAndOkWritesTheHolidayFile)
{
    TDialogFixture f;
    DateIniDir = f.home.Path();
    HolidayList.clear();
    ShowCalendarDialog(*f.main, [](TCustomForm &form) {
        auto &d = static_cast<TdlgCalendar &>(form);
        EXPECT_EQ(d.Year(), 2024);
        EXPECT_EQ(d.Month(), 1);
        // 2024/01/01 is a Monday: the first row starts on 2023/12/31.
        EXPECT_EQ(d.DayOfCell(0), 0);
        EXPECT_EQ(d.DayOfCell(1), 1);
        ClickControl(d.pnlDay[8]);  // the 8th
        EXPECT_TRUE(d.IsHolidayCell(8));
        ClickControl(d.pnlDay[0]);  // outside the month: nothing
        EXPECT_FALSE(d.IsHolidayCell(0));
        d.btnNextClick(&d);
        d.btnPrevClick(&d);
        EXPECT_TRUE(d.IsHolidayCell(8));
        d.OKBtn->Click();
        return d.ModalResult();
    });
    ASSERT_TRUE(FileExists(f.home.File("Date.ini")));
    EXPECT_NE(ReadFileBytes(f.home.File("Date.ini")).find("2024/01/08"), std::string::npos);
}

TEST(RowDialogs, CalendarCancelPutsTheListBackEvenWithoutAHolidayFile)
{
    TDialogFixture f;
    DateIniDir = f.home.Path() + "none/";
    HolidayList = {EncodeDate(2024, 1, 2)};
    ShowCalendarDialog(*f.main, [](TCustomForm &form) {
        auto &d = static_cast<TdlgCalendar &>(form);
        ClickControl(d.pnlDay[2]);  // clears the 2nd
        ClickControl(d.pnlDay[9]);  // marks the 9th
        d.btnNextClick(&d);          // stores January
        d.CancelBtn->Click();
        return d.ModalResult();
    });
    EXPECT_EQ(HolidayList, std::vector<TDateTime>{EncodeDate(2024, 1, 2)});
    EXPECT_FALSE(FileExists(DateIniDir + "Date.ini"));
}

TEST(RowDialogs, CalendarMonthsStartingOnSaturdayOrSunday)
{
    testing_support::ScopedFakeServices services;
    services->now = EncodeDate(2024, 6, 10);  // June 2024 begins on a Saturday
    TdlgCalendar d;
    EXPECT_EQ(d.DayOfCell(6), 1);
    EXPECT_EQ(d.DayOfCell(5), 0);
    d.btnNextClick(&d);
    d.btnNextClick(&d);
    d.btnNextClick(&d);  // September 2024 begins on a Sunday
    EXPECT_EQ(d.DayOfCell(0), 1);
}

TEST(RowDialogs, CalendarWeekdayLabelsNameTheDaysFromSunday)
{
    TdlgCalendar d;
    std::vector<std::string> labels;
    for (int i = 0; i < d.pnlCalender->ControlCount(); ++i)
        if (auto *label = dynamic_cast<TLabel *>(d.pnlCalender->Controls(i)))
            labels.push_back(label->Caption());
    EXPECT_EQ(labels, (std::vector<std::string>{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}));
}

TEST(RowDialogs, VersionLinksOpenThroughTheShell)
{
    testing_support::ScopedFakeServices services;
    TdlgAboutBox d;
    EXPECT_EQ(d.lblVersion->Caption(), "1.18");
    ClickControl(d.lblMail);
    ClickControl(d.lblUrl);
    ASSERT_EQ(services->opened.size(), 2u);
    EXPECT_EQ(services->opened[0], "mailto:" + d.lblMail->Caption());
    EXPECT_EQ(services->opened[1], d.lblUrl->Caption());
    d.HighlightLink(d.lblMail);
    EXPECT_EQ(d.lblMail->Font().Color(), 0xFF0000u);
    EXPECT_EQ(d.lblUrl->Font().Color(), 0x808000u);
}

TEST(RowDialogs, VersionDialogShowsTheProgramIconInItsPanel)
{
    TdlgAboutBox d;
    TBitmap bitmap(d.pnlIcon->Width(), d.pnlIcon->Height());
    d.pnlIcon->PaintTo(bitmap.Canvas());
    // The sheet is white and the first bar orange, inside the teal panel.
    int left = d.imgIcon->Left(), top = d.imgIcon->Top();
    EXPECT_EQ(bitmap.Pixel(left + 16, top + 28), clWhite);
    EXPECT_EQ(bitmap.Pixel(left + 10, top + 14), 0x00C0FFu);
    EXPECT_EQ(bitmap.Pixel(2 * left + 32 - 3, top), 0x808000u);
}

} // namespace
