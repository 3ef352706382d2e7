#pragma once
// A radio button: checking one clears the other radio buttons of the same
// parent; OnClick fires when it becomes checked.
#include "platform/kernel/Controls.h"

class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent *owner);
    bool Checked() const { return checked_; }
    // Checking clears the siblings and fires OnClick.
    void SetChecked(bool checked);
    void SetText(const std::string &text) override;

    // Platform side: the person chose the button.
    void ToggledInWindow(bool checked);

protected:
    void CreateHandle() override;
    void InitializeHandle() override;

private:
    void ShowChecked();

    bool checked_ = false;
    bool syncing_ = false;
};
