// Input-method modes as the input method sees them, and full-width numbers
// typed into number and date fields.
#include "platform/widgets/DateTimePicker.h"
#include "platform/kernel/Forms.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/Mask.h"
#include "platform/widgets/Memo.h"
#include "platform/widgets/SpinEdit.h"
#include "tests/InputMethodProbe.h"

#include <QInputMethodEvent>
#include <gtest/gtest.h>

using testing_support::AskFocusedWindow;

namespace {

struct TFields {
    TForm form{nullptr};
    TEdit edit{nullptr};
    TMemo memo{nullptr};
    TMaskEdit mask{nullptr};
    TDateTimePicker picker{nullptr};
    TSpinEdit spin{nullptr};
    TFields()
    {
        form.SetBounds(0, 0, 400, 300);
        int top = 10;
        for (TWinControl *c : std::initializer_list<TWinControl *>{&edit, &memo, &mask, &picker, &spin}) {
            c->SetBounds(10, top, 150, 40);
            c->SetParent(&form);
            top += 50;
        }
    }
    std::vector<TWinControl *> All() { return {&edit, &memo, &mask, &picker, &spin}; }
};

std::string Name(const TWinControl *c, TFields &f)
{
    const char *names[] = {"edit", "memo", "masked edit", "date picker", "spin edit"};
    std::vector<TWinControl *> all = f.All();
    return names[std::find(all.begin(), all.end(), c) - all.begin()];
}

} // namespace

TEST(InputMethod, OffAndDisabledKeepItOutOpenLetsItInAndNumberFieldsAskForDigits)
{
    TFields f;
    ASSERT_TRUE(SimulateActivation(f.form));
    for (TWinControl *c : f.All()) {
        SCOPED_TRACE(Name(c, f));
        c->SetFocus();
        ASSERT_EQ(FocusedControl(), c);
        const bool numeric = c == &f.picker || c == &f.spin;
        EXPECT_EQ(c->NumericInput(), numeric);
        EXPECT_EQ(AskFocusedWindow().PrefersNumbers(), numeric);
        // The mode changes while the window has the focus.
        for (TImeMode mode : {imClose, imDisable}) {
            c->SetImeMode(mode);
            EXPECT_FALSE(AskFocusedWindow().enabled);
            EXPECT_TRUE(AskFocusedWindow().PrefersLatin());
        }
        c->SetImeMode(imOpen);
        EXPECT_TRUE(AskFocusedWindow().enabled);
        EXPECT_FALSE(AskFocusedWindow().PrefersLatin());
    }
    // A mode set before the window exists holds once it does.
    TEdit late(nullptr);
    late.SetImeMode(imClose);
    late.SetNumericInput(true);
    late.SetBounds(200, 10, 100, 21);
    late.SetParent(&f.form);
    late.SetFocus();
    EXPECT_FALSE(AskFocusedWindow().enabled);
    EXPECT_TRUE(AskFocusedWindow().PrefersNumbers());
    f.form.Hide();
}

TEST(InputMethod, FullWidthDigitsSignsAndSlashesArriveInNumberFieldsAsAscii)
{
    TFields f;
    f.edit.SetNumericInput(true);
    f.mask.SetEditMask("!9999/99/00;1;_");
    f.mask.SetNumericInput(true);
    ASSERT_TRUE(SimulateActivation(f.form));
    f.edit.SetFocus();
    SimulateTyping("－１，２３４");
    EXPECT_EQ(f.edit.Text(), "-1,234");
    f.mask.SetFocus();
    SimulateTyping("２０２４／０１／０５");
    EXPECT_EQ(f.mask.Text(), "2024/01/05");
    f.picker.SetDate(EncodeDate(2024, 1, 5));
    f.picker.SetFocus();
    SimulateKey(VK_HOME);
    for (int i = 0; i < 4; ++i)
        SimulateKey(VK_RIGHT, ssShift);
    SimulateTyping("２０２５");
    EXPECT_EQ(f.picker.Date(), EncodeDate(2025, 1, 5));
    f.spin.SetFocus();
    SimulateKey(VK_END);
    SimulateKey(VK_BACK);
    SimulateTyping("１２");
    EXPECT_EQ(f.spin.Value(), 12);

    // Text an input method commits is read the same way.
    f.edit.SetFocus();
    f.edit.SetText("");
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("７ー８"));
    QCoreApplication::sendEvent(QGuiApplication::focusObject(), &commit);
    EXPECT_EQ(f.edit.Text(), "7-8");
    // A whole date committed at once fills the picker's parts in turn.
    f.picker.SetFocus();
    SimulateKey(VK_HOME);
    commit.setCommitString(QString::fromUtf8("２０２３１２２５"));
    QCoreApplication::sendEvent(QGuiApplication::focusObject(), &commit);
    EXPECT_EQ(f.picker.Date(), EncodeDate(2023, 12, 25));

    // A text field keeps what was typed.
    f.memo.SetFocus();
    SimulateTyping("１２／");
    EXPECT_EQ(f.memo.Text(), "１２／");
    f.form.Hide();
}
