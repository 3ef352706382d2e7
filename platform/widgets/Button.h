#pragma once
// A push button. Clicking it gives its form the button's modal result (which
// ends a modal run), then fires OnClick. Every click counts, however quickly
// it follows the one before: a double click is two clicks. Enter presses the focused button, and
// the default button while no button has the focus (that button shows as the
// default); the cancel button answers Esc anywhere on its form. Neither key
// reaches a button when the focused control took it itself. Alt and the
// caption's accelerator letter press a button from anywhere on its form.
#include "platform/kernel/Forms.h"

class TButton : public TWinControl {
public:
    explicit TButton(TComponent *owner);

    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    bool Default() const { return default_; }
    void SetDefault(bool v);
    // Whether Enter presses this button now.
    bool Active();
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }

    // Presses the button, as a click with the mouse does.
    void Click() override;
    void WndProc(TMessage &message) override;
    void SetText(const std::string &text) override;

protected:
    std::string AccessibleCaption() const override { return StripAccelerators(Caption()); }
    void KeyDown(int &key, TShiftState shift) override;
    void CreateHandle() override;
    void InitializeHandle() override;

private:
    void ShowCaption();
    void ShowActiveButtons();
    TModalResult modalResult_ = mrNone;
    bool default_ = false;
    bool cancel_ = false;
};

// The form a control sits on, or nullptr.
TCustomForm *GetParentForm(TControl *control);
