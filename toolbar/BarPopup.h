#pragma once
// Popup windows of submenus and their views.
#include "platform/kernel/MenuPopupWindow.h"
#include "toolbar/BarItem.h"

// The view of a popup: sizes its window to the content.
class TBarPopupView : public TBarView {
public:
    TBarPopupView(TComponent *owner, TBarView *parentView, TBarCustomItem *parentItem, TBarPopupWindow *window,
                  bool customizing);
    void ApplySize(int width, int height) override;
    TFont &GetFont() override;
    TPoint ClientToScreen(TPoint p) const override;
    TPoint ScreenToClient(TPoint p) const override;
    bool WindowAt(TPoint screen) const override;
    void InvalidateLayout() override;
    // The view's rectangles lie inside the window's border.
    void InvalidateWindowRect(const TRect &rect) override;
    TBarPopupWindow *PopupWindow() const { return popup_; }

private:
    TBarPopupWindow *popup_;
};

// A frameless top-level window shown without activation, with a 3-pixel border.
class TBarPopupWindow : public TInputPopupWindow {
public:
    TBarPopupWindow(TComponent *owner, TBarView *parentView, TBarCustomItem *parentItem, bool customizing);
    ~TBarPopupWindow() override;
    TBarPopupView *View() const { return view_.get(); }
    // The border around the view.
    virtual TPoint GetNCSize() const { return TPoint{3, 3}; }
    std::uint8_t AnimateDirection() const { return animateDirection_; }
    void SetAnimateDirection(std::uint8_t d) { animateDirection_ = d; }
    // Shows or hides the window without activating it.
    void ShowPopup();
    void HidePopup();
    void WndProc(TMessage &message) override;

protected:
    void PaintWindow(TCanvas &canvas) override;
    virtual void PaintScrollArrows(TCanvas &canvas);
    // The 3-pixel border, and the client area (the view and its scroll
    // arrows) at the canvas's origin.
    void PaintBorder(TCanvas &canvas);
    void PaintClient(TCanvas &canvas, bool erase);

private:
    std::uint8_t animateDirection_ = 0;
    std::unique_ptr<TBarPopupView> view_;
};

// Adjusts a popup's position to the monitor and away from the item that opened it.
void CalcPopupPosition(TBarView *parentView, TBarPopupPositionRec &rec, bool &popupOpensLeft);

// The number of popups shown since the program started (tests, benchmarks).
int PopupShowCount();
