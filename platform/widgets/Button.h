#pragma once
// A push button. Clicking it gives its form the button's modal result (which
// ends a modal run), then fires OnClick. The default button answers Enter and
// the cancel button Esc anywhere on its form, unless the focused control took
// the key itself; Alt and the caption's accelerator letter press it from
// anywhere on its form.
#include "platform/kernel/Forms.h"

class TButton : public TWinControl {
public:
    explicit TButton(TComponent *owner);

    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    bool Default() const { return default_; }
    void SetDefault(bool v) { default_ = v; }
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }

    // Presses the button, as a click with the mouse does.
    void Click() override;
    void WndProc(TMessage &message) override;
    void SetText(const std::string &text) override;

protected:
    void KeyDown(int &key, TShiftState shift) override;
    void CreateHandle() override;
    void InitializeHandle() override;

private:
    void ShowCaption();
    TModalResult modalResult_ = mrNone;
    bool default_ = false;
    bool cancel_ = false;
};

// The form a control sits on, or nullptr.
TCustomForm *GetParentForm(TControl *control);
