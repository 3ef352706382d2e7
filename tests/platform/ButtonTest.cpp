#include "platform/widgets/Button.h"
#include "platform/widgets/CheckButton.h"
#include "platform/widgets/Grids.h"
#include "platform/widgets/Memo.h"
#include "platform/widgets/Panel.h"
#include "platform/widgets/SpeedButton.h"
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

// Clicks given at a brisk pace, as the toolkit delivers them: every second
// press comes as a double click. Push buttons and speed buttons count each
// click; a panel and a grid, which have a use for the double click, still get
// one click and one double click for each pair.
TEST(Button, EveryQuickClickOfAButtonCountsAndOtherControlsKeepTheDoubleClick)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 200);
    auto *button = PlaceControl<TButton>(&form, 10, 10, 75, 25);
    auto *toggle = PlaceControl<TCheckButton>(&form, 100, 10, 75, 25);
    auto *speed = PlaceControl<TSpeedButton>(&form, 190, 10, 40, 24);
    auto *panel = PlaceControl<TPanel>(&form, 10, 60, 60, 30);
    auto *grid = PlaceControl<TDrawGrid>(&form, 100, 60, 200, 100);
    int buttonClicks = 0, speedClicks = 0, panelClicks = 0, panelDoubleClicks = 0, gridDoubleClicks = 0;
    int gridDoublePresses = 0;
    button->OnClick = [&](TObject *) { ++buttonClicks; };
    speed->OnClick = [&](TObject *) { ++speedClicks; };
    panel->OnClick = [&](TObject *) { ++panelClicks; };
    panel->OnDblClick = [&](TObject *) { ++panelDoubleClicks; };
    grid->OnDblClick = [&](TObject *) { ++gridDoubleClicks; };
    grid->OnMouseDown = [&](TObject *, TMouseButton, TShiftState shift, int, int) {
        gridDoublePresses += (shift & ssDouble) ? 1 : 0;
    };
    ASSERT_TRUE(SimulateActivation(form));
    for (TControl *control : std::initializer_list<TControl *>{button, speed, panel, grid}) {
        SimulateDoubleClick(*control, TPoint{5, 5});
        SimulateDoubleClick(*control, TPoint{5, 5});
    }
    EXPECT_EQ(buttonClicks, 4);
    EXPECT_EQ(speedClicks, 4);
    EXPECT_EQ(panelClicks, 2);
    EXPECT_EQ(panelDoubleClicks, 2);
    EXPECT_EQ(gridDoubleClicks, 2);
    EXPECT_EQ(gridDoublePresses, 2);
    // A button that stays down goes down and up with every click.
    SimulateDoubleClick(*toggle, TPoint{5, 5});
    SimulateClick(*toggle, TPoint{5, 5});
    EXPECT_TRUE(toggle->Down());
    form.Hide();
}

} // namespace
