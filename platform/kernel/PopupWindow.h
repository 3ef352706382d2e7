#pragma once
// A pop-up window: a top-level window with a thin border and no caption that
// is shown without being activated, so that the control that opened it keeps
// the focus (drop-down lists and calendars). It belongs to the window of the
// control that opened it, so it takes the mouse while that window runs modally.
#include "platform/kernel/Controls.h"

class TPopupWindow : public TCustomControl {
public:
    explicit TPopupWindow(TComponent *owner);
    // Shows the window with its top-left corner at a screen point, as a
    // pop-up of the window that `opener` sits on.
    void ShowAt(TPoint screen, const TControl *opener = nullptr);

protected:
    void CreateHandle() override;
    void InitializeHandle() override;
    void BoundsChanged() override;
    void PaintWindow(TCanvas &canvas) override;

private:
    std::uint64_t openerSerial_ = 0;
};

// The part of the screen that windows may use (without panels and docks).
TRect ScreenWorkArea();

// Where a pop-up of `size` goes for a control whose screen rectangle is
// `anchor`: under it, or above it when it would pass the bottom of the work
// area; moved left so that it stays inside the work area's right edge.
TPoint PlacePopup(const TRect &anchor, TSize size, const TRect &workArea);
