#include "platform/widgets/Button.h"
#include "platform/widgets/Memo.h"
#include "platform/core/Messages.h"
#include "platform/kernel/QtControls.h"
#include "platform/services/InputSimulation.h"

#include <gtest/gtest.h>

#include <QPushButton>

#include <memory>

namespace {

struct Dialog {
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    TEdit *edit = new TEdit(form.get());
    TButton *ok = new TButton(form.get());
    TButton *cancel = new TButton(form.get());
    int okClicks = 0;

    Dialog()
    {
        for (TWinControl *c : {static_cast<TWinControl *>(edit), static_cast<TWinControl *>(ok),
                               static_cast<TWinControl *>(cancel)})
            c->SetParent(form.get());
        ok->SetModalResult(mrOk);
        ok->SetDefault(true);
        ok->OnClick = [this](TObject *) { ++okClicks; };
        cancel->SetModalResult(mrCancel);
        cancel->SetCancel(true);
    }
    void Key(TWinControl *target, int key) { SendMessage(target, WM_KEYDOWN, static_cast<WPARAM>(key)); }
};

TEST(Button, ClickGivesTheFormItsResultBeforeOnClick)
{
    Dialog d;
    TModalResult seen = mrNone;
    d.ok->OnClick = [&](TObject *) { seen = d.form->ModalResult(); d.form->SetModalResult(mrNone); };
    d.ok->Click();
    EXPECT_EQ(seen, mrOk);
    // A handler that refuses the input keeps the dialog open.
    EXPECT_EQ(d.form->ModalResult(), mrNone);
}

TEST(Button, EnterAndEscReachTheDefaultAndCancelButtons)
{
    Dialog d;
    d.Key(d.edit, VK_RETURN);
    EXPECT_EQ(d.okClicks, 1);
    EXPECT_EQ(d.form->ModalResult(), mrOk);
    d.Key(d.edit, VK_ESCAPE);
    EXPECT_EQ(d.form->ModalResult(), mrCancel);
    d.form->SetModalResult(mrNone);
    d.Key(d.edit, 'A');
    EXPECT_EQ(d.form->ModalResult(), mrNone);
}

TEST(Button, AKeyTheFocusedControlTookOrADisabledButtonClicksNothing)
{
    Dialog d;
    d.edit->OnKeyDown = [](TObject *, int &key, TShiftState) { if (key == VK_RETURN) key = 0; };
    d.Key(d.edit, VK_RETURN);
    EXPECT_EQ(d.okClicks, 0);
    d.cancel->SetEnabled(false);
    d.Key(d.edit, VK_ESCAPE);
    EXPECT_EQ(d.form->ModalResult(), mrNone);
}

TEST(Button, SpaceOnTheButtonPressesIt)
{
    Dialog d;
    d.Key(d.ok, VK_SPACE);
    EXPECT_EQ(d.okClicks, 1);
}

bool ShownAsDefault(TButton &button) { return static_cast<QPushButton *>(button.Link()->Widget())->isDefault(); }

// Enter presses the focused button; the default button answers it only while
// no button has the focus, and only the button Enter would press looks like
// the default. Esc presses the cancel button wherever the focus is.
TEST(Button, EnterPressesTheFocusedButtonAndTheDefaultOneOnlyWhileNoButtonHasTheFocus)
{
    Dialog d;
    d.form->SetBounds(0, 0, 300, 120);
    d.edit->SetBounds(10, 10, 100, 21);
    d.ok->SetBounds(10, 50, 75, 25);
    d.cancel->SetBounds(100, 50, 75, 25);
    int cancelClicks = 0;
    d.cancel->OnClick = [&](TObject *) { ++cancelClicks; };
    auto enterOn = [&](TWinControl &focus) {
        d.form->SetModalResult(mrNone);
        focus.SetFocus();
        SimulateKey(VK_RETURN);
    };
    ASSERT_TRUE(SimulateActivation(*d.form));
    d.edit->SetFocus();
    EXPECT_TRUE(ShownAsDefault(*d.ok));
    EXPECT_FALSE(ShownAsDefault(*d.cancel));

    SimulateKey(VK_TAB);
    SimulateKey(VK_TAB);
    ASSERT_EQ(FocusedControl(), d.cancel);
    EXPECT_FALSE(ShownAsDefault(*d.ok));
    EXPECT_TRUE(ShownAsDefault(*d.cancel));
    SimulateKey(VK_RETURN);
    EXPECT_EQ(cancelClicks, 1);
    EXPECT_EQ(d.okClicks, 0);
    EXPECT_EQ(d.form->ModalResult(), mrCancel);

    enterOn(*d.edit);
    EXPECT_EQ(d.okClicks, 1);
    EXPECT_TRUE(ShownAsDefault(*d.ok));
    EXPECT_FALSE(ShownAsDefault(*d.cancel));
    d.form->SetModalResult(mrNone);
    d.ok->SetFocus();
    SimulateKey(VK_ESCAPE);
    EXPECT_EQ(d.form->ModalResult(), mrCancel);

    // Without a default button Enter in the edit presses nothing, and on a
    // focused button that button.
    d.ok->SetDefault(false);
    enterOn(*d.edit);
    EXPECT_EQ(d.okClicks, 1);
    EXPECT_FALSE(ShownAsDefault(*d.ok));
    enterOn(*d.ok);
    EXPECT_EQ(d.okClicks, 2);
    EXPECT_TRUE(ShownAsDefault(*d.ok));
    SimulateKey(VK_SPACE);
    EXPECT_EQ(d.okClicks, 3);
    d.form->Hide();
}

// A form shown gives the focus to its first tab stop, not to a button kept
// out of the tab order that was made before it, so Enter reaches the default
// button.
TEST(Button, AShownFormFocusesItsFirstTabStopAndEnterPressesTheDefaultButton)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 120);
    TButton previous(&form);
    previous.SetTabStop(false);
    previous.SetBounds(10, 10, 75, 25);
    previous.SetParent(&form);
    int previousClicks = 0;
    previous.OnClick = [&](TObject *) { ++previousClicks; };
    TButton ok(&form);
    ok.SetDefault(true);
    ok.SetModalResult(mrOk);
    ok.SetBounds(10, 50, 75, 25);
    ok.SetParent(&form);
    ASSERT_TRUE(SimulateActivation(form));
    EXPECT_EQ(FocusedControl(), &ok);
    SimulateKey(VK_RETURN);
    EXPECT_EQ(form.ModalResult(), mrOk);
    EXPECT_EQ(previousClicks, 0);
    form.Hide();
}

TEST(Button, AClickDuringTheModalRunEndsItWithTheButtonsResult)
{
    Dialog d;
    d.form->SetBounds(0, 0, 200, 100);
    d.cancel->SetBounds(10, 10, 75, 25);
    d.form->OnShow = [&](TObject *) {
        PostMessage(d.cancel, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5));
        PostMessage(d.cancel, WM_LBUTTONUP, 0, MakeLParam(5, 5));
    };
    EXPECT_EQ(d.form->ShowModal(), mrCancel);
    EXPECT_FALSE(d.form->Visible());
}

} // namespace
