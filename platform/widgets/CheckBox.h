#pragma once
// A check box; OnClick fires when the person ticks or clears it.
#include "platform/kernel/Controls.h"

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent *owner);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    void SetText(const std::string &text) override;

    // Platform side: the person toggled the box.
    void ToggledInWindow(bool checked);

protected:
    std::string AccessibleCaption() const override { return StripAccelerators(Caption()); }
    void CreateHandle() override;
    void InitializeHandle() override;

private:
    bool checked_ = false;
    bool syncing_ = false;
};
