#pragma once
// A small top-level window that belongs to a window of the program (its
// owner): the window system keeps it above its owner only, so a dialog the
// program opens later comes above it and another program's window may cover
// it. Without an owner it belongs to the program as a whole; kept topmost, it
// stays above every window. It is shown without taking the activation, and
// takes the keyboard when a control inside it that takes the focus is clicked.
// Its window title (which window lists and screen readers name it by) is its
// caption.
#include "platform/kernel/Controls.h"

class TToolWindow : public TCustomControl {
public:
    explicit TToolWindow(TComponent *owner);
    ~TToolWindow() override;

    // The window this one belongs to (a form); nullptr: the program.
    TWinControl *OwnerWindow() const;
    void SetOwnerWindow(TWinControl *owner);
    // Kept above every window, also other programs'.
    bool Topmost() const { return topmost_; }
    void SetTopmost(bool topmost);
    // Shows the window with its top-left corner at a screen point, without activating it.
    void ShowAt(TPoint screen);
    void SetText(const std::string &text) override;

protected:
    void CreateHandle() override;
    void InitializeHandle() override;
    void BoundsChanged() override;

private:
    void ApplyOwner();
    std::uint64_t ownerSerial_ = 0;
    bool topmost_ = false;
};

// Whether a window is kept above every window (fsStayOnTop forms, topmost tool windows).
bool WindowIsTopmost(const TWinControl &window);
// Makes a window the active one, as a click on it would.
void ActivateWindow(TWinControl &window);
