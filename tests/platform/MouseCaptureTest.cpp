#include "platform/kernel/Forms.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/Panel.h"
#include "platform/widgets/SpeedButton.h"
#include "platform/kernel/Timer.h"

#include <gtest/gtest.h>

TEST(MouseCapture, AClickThatOpensAModalWindowLeavesTheMouseToIt)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    auto *button = PlaceControl<TSpeedButton>(&form, 10, 10, 40, 24);  // windowless: the form captures for it
    TForm dialog(nullptr);
    dialog.SetBounds(150, 150, 200, 100);
    auto *panel = PlaceControl<TPanel>(&dialog, 0, 0, 200, 100);
    int panelClicks = 0, buttonClicks = 0;
    panel->OnClick = [&](TObject *) {
        ++panelClicks;
        dialog.SetModalResult(mrOk);
    };
    TTimer timer(nullptr);
    timer.SetEnabled(false);
    timer.SetInterval(20);
    int ticks = 0;
    timer.OnTimer = [&](TObject *) {
        if (++ticks == 1) {
            SimulateClick(*panel, TPoint{20, 20});
        } else {
            timer.SetEnabled(false);
            if (dialog.Modal())
                dialog.SetModalResult(mrCancel);  // the click never arrived
        }
    };
    button->OnClick = [&](TObject *) {
        ++buttonClicks;
        timer.SetEnabled(true);
        dialog.ShowModal();
    };
    ASSERT_TRUE(SimulateActivation(form));
    SimulateClick(*button, TPoint{5, 5});
    EXPECT_EQ(buttonClicks, 1);
    EXPECT_EQ(panelClicks, 1);
    EXPECT_EQ(dialog.ModalResult(), mrOk);
}
