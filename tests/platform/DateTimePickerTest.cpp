// Typing a date into a date picker, part by part, and its drop-down calendar.
#include "platform/widgets/DateTimePicker.h"
#include "platform/kernel/Application.h"
#include "platform/kernel/Forms.h"
#include "platform/kernel/QtControls.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/Memo.h"

#include <QApplication>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int VK_F4 = VK_F1 + 3;

// A picker with an edit to Tab to, on a shown form; the picker's changes are kept.
struct TPickerForm {
    TForm form{nullptr};
    TDateTimePicker picker{&form};
    TEdit next{&form};
    std::vector<TDateTime> changes;

    explicit TPickerForm(TDateTime date)
    {
        form.SetBounds(0, 0, 300, 200);
        picker.SetParent(&form);
        picker.SetBounds(10, 10, 120, 22);
        next.SetParent(&form);
        next.SetBounds(10, 50, 120, 22);
        picker.SetDate(date);
        picker.OnChange = [this](TObject *) { changes.push_back(picker.Date()); };
    }
    ~TPickerForm() { form.Hide(); }

    // One click on the year, the first part.
    void ClickYear() { SimulateClick(picker, TPoint{5, 11}); }
    std::string Shown() const { return StdStr(picker.Link()->Widget()->findChild<QLineEdit *>()->text()); }
};

bool CalendarOpen()
{
    ProcessMessages();
    return QApplication::activePopupWidget() != nullptr;
}

} // namespace

// Each part takes its digits and hands on to the next: four for the year, two
// for the month and the day, or one where no second digit could follow.
TEST(DateTimePicker, DigitsTypedFillTheYearMonthAndDayInTurn)
{
    TPickerForm f(EncodeDate(2024, 3, 9));
    ASSERT_TRUE(SimulateActivation(f.form));
    f.ClickYear();
    SimulateTyping("202");
    EXPECT_EQ(f.Shown(), "0202/03/09");
    EXPECT_TRUE(f.changes.empty());
    SimulateTyping("31225");
    SimulateKey(VK_TAB);
    ASSERT_EQ(FocusedControl(), &f.next);
    EXPECT_EQ(f.picker.Text(), "2023/12/25");
    EXPECT_EQ(f.changes, (std::vector<TDateTime>{EncodeDate(2023, 3, 9), EncodeDate(2023, 12, 9),
                                                 EncodeDate(2023, 12, 25)}));

    // 2..9 make a whole month; a day the new month lacks becomes its last day,
    // and "3" is a whole day of a month of 29.
    f.picker.SetDate(EncodeDate(2024, 1, 31));
    f.ClickYear();
    SimulateKey(VK_RIGHT);
    SimulateTyping("2");
    EXPECT_EQ(f.picker.Text(), "2024/02/29");
    SimulateTyping("3");
    EXPECT_EQ(f.picker.Text(), "2024/02/03");
    SimulateKey(VK_LEFT);
    SimulateTyping("0731");
    EXPECT_EQ(f.picker.Text(), "2024/07/31");
    SimulateKey(VK_LEFT);
    SimulateTyping("11");
    EXPECT_EQ(f.picker.Text(), "2024/11/30");
    SimulateTyping("31");  // past the month's end
    EXPECT_EQ(f.picker.Text(), "2024/11/30");
    SimulateKey(VK_DOWN);  // the day is still the selected part
    EXPECT_EQ(f.picker.Text(), "2024/11/29");
}

// A part left before it is full takes what was typed: a short year keeps the
// leading digits of the year shown. Backspace takes back the last digit typed,
// Delete all of them.
TEST(DateTimePicker, SlashBackspaceAndDeleteEndOrMendAnEntry)
{
    TPickerForm f(EncodeDate(2024, 3, 9));
    ASSERT_TRUE(SimulateActivation(f.form));
    f.ClickYear();
    SimulateTyping("25/1/5");
    EXPECT_EQ(f.picker.Text(), "2025/01/05");
    f.ClickYear();
    SimulateTyping("21");
    SimulateKey(VK_BACK);
    EXPECT_EQ(f.Shown(), "0002/01/05");
    SimulateTyping("030");
    EXPECT_EQ(f.picker.Text(), "2030/01/05");
    SimulateTyping("1");  // the month waits for a second digit
    SimulateKey(VK_DELETE);
    EXPECT_EQ(f.Shown(), "2030/01/05");
    SimulateKey(VK_BACK);
    SimulateTyping("0");
    SimulateKey(VK_TAB);
    EXPECT_EQ(f.picker.Text(), "2030/01/05");  // month 0 is January
    f.next.SetFocus();
}

// Alt+Down and F4 open the calendar, which takes the keys: the arrows move,
// Enter chooses, Esc closes it with the date as it was.
TEST(DateTimePicker, AltDownAndF4OpenTheCalendarWhereEnterChoosesAndEscLeavesTheDate)
{
    TPickerForm f(EncodeDate(2024, 3, 9));
    ASSERT_TRUE(SimulateActivation(f.form));
    f.ClickYear();
    SimulateKey(VK_RIGHT);
    SimulateKey(VK_DOWN, ssAlt);
    ASSERT_TRUE(CalendarOpen());
    SimulateKey(VK_RIGHT);
    SimulateKey(VK_DOWN);
    SimulateKey(VK_ESCAPE);
    EXPECT_FALSE(CalendarOpen());
    EXPECT_EQ(f.picker.Date(), EncodeDate(2024, 3, 9));
    EXPECT_EQ(f.Shown(), "2024/03/09");
    EXPECT_TRUE(f.changes.empty());
    ASSERT_EQ(FocusedControl(), &f.picker);

    SimulateKey(VK_F4);
    ASSERT_TRUE(CalendarOpen());
    SimulateKey(VK_RIGHT);
    SimulateKey(VK_DOWN);
    EXPECT_TRUE(f.changes.empty());
    SimulateKey(VK_RETURN);
    EXPECT_FALSE(CalendarOpen());
    EXPECT_EQ(f.picker.Date(), EncodeDate(2024, 3, 17));
    EXPECT_EQ(f.changes, (std::vector<TDateTime>{EncodeDate(2024, 3, 17)}));
    EXPECT_EQ(FocusedControl(), &f.picker);
}
