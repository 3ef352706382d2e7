#pragma once
// A radio button: checking one clears the other radio buttons of the same
// parent; OnClick fires when it becomes checked.
//
// The radio buttons of one parent are one Tab stop: the checked one (the
// first when none is checked). The arrow keys move the focus and the check to
// the previous (up, left) or next (down, right) of them, wrapping around.
#include "platform/kernel/Controls.h"

class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent *owner);
    bool Checked() const { return checked_; }
    // Checking clears the siblings and fires OnClick.
    void SetChecked(bool checked);
    void SetText(const std::string &text) override;
    void SetParent(TWinControl *parent) override;

    // Platform side: the person chose the button.
    void ToggledInWindow(bool checked);

protected:
    std::string AccessibleCaption() const override { return StripAccelerators(Caption()); }
    void CreateHandle() override;
    void InitializeHandle() override;
    void KeyDown(int &key, TShiftState shift) override;

private:
    void ShowChecked();

    bool checked_ = false;
    bool syncing_ = false;
};
