#pragma once
// A dialog run modally while a person's input is played on it from inside the
// modal loop. Whatever the script leaves undone (a failed assertion too), the
// modal run ends.
#include "platform/kernel/Forms.h"
#include "platform/services/InputSimulation.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <functional>

namespace testing_support {

inline TModalResult RunModalScript(TCustomForm &form, const std::function<void()> &script)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        struct TEnd {
            TCustomForm &form;
            ~TEnd()
            {
                if (form.ModalResult() == mrNone)
                    form.SetModalResult(mrAbort);
            }
        } end{form};
        ran = true;
        ASSERT_TRUE(SimulateActivation(form));
        script();
    });
    TModalResult result = form.ShowModal();
    EXPECT_TRUE(ran);
    return result;
}

// Presses Tab (Shift+Tab when `back`) until `control` has the focus, as a
// person moves through a dialog; false when it never comes.
inline bool TabTo(TWinControl &control, bool back = false)
{
    for (int presses = 0; presses < 60 && FocusedControl() != &control; ++presses)
        SimulateKey(VK_TAB, back ? ssShift : 0);
    return FocusedControl() == &control;
}

// Runs `input` once a modal dialog of the kind is the active window (looked
// for during two seconds); a dialog the input leaves open is ended.
template <typename TDialog>
void WhenDialogActive(std::function<void(TDialog &)> input, int triesLeft = 200)
{
    QTimer::singleShot(10, [input = std::move(input), triesLeft]() mutable {
        auto *dialog = dynamic_cast<TDialog *>(Screen().ActiveForm());
        if (!dialog || !dialog->Modal()) {
            if (triesLeft > 0)
                WhenDialogActive<TDialog>(std::move(input), triesLeft - 1);
            return;
        }
        input(*dialog);
        if (dialog->ModalResult() == mrNone)
            dialog->SetModalResult(mrAbort);
    });
}

} // namespace testing_support
