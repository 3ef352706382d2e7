#pragma once
// A pop-up window that also gets the mouse wheel (as WM_MOUSEWHEEL with the
// screen point), for menus that scroll.
#include "platform/kernel/PopupWindow.h"

class TInputPopupWindow : public TPopupWindow {
public:
    explicit TInputPopupWindow(TComponent *owner) : TPopupWindow(owner) {}

protected:
    void CreateHandle() override;
};
