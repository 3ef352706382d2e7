#pragma once
// A window that shows a root item's children as a toolbar row and enters menu
// mode on a press, standing in for the toolbars that will use this framework.
#include "platform/kernel/Forms.h"
#include "toolbar/BarItem.h"
#include "toolbar/BarPopup.h"

#include <memory>

class TTestBar : public TCustomControl {
public:
    TTestBar(TComponent *owner, TBarCustomItem *root) : TCustomControl(owner)
    {
        view_ = std::make_unique<TBarView>(nullptr, nullptr, root, this, true, false, false);
        view_->SetStyle(view_->Style() | vsAlwaysShowHints);
        SetShowHint(true);
    }
    void WndProc(TMessage &message) override
    {
        if (message.Msg == CM_HINTSHOW) {
            // The hint of the button under the pointer.
            auto &info = *reinterpret_cast<THintInfo *>(message.LParam);
            if (!view_->ViewerHintInfo(view_->ViewerFromPoint(info.CursorPos), info))
                message.Result = 1;
            return;
        }
        // Screen readers ask the view (WM_GETOBJECT).
        if (view_ && view_->HandleWMGetObject(message))
            return;
        TCustomControl::WndProc(message);
    }
    ~TTestBar() override { view_.reset(); }
    TBarView &View() { return *view_; }
    // The centre of an item's button, in the bar's coordinates.
    TPoint CentreOf(int index)
    {
        view_->EnsureLayout();
        TRect r = view_->Viewers(index)->BoundsRect();
        return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }

protected:
    void Paint() override
    {
        Canvas().Brush().SetStyle(bsSolid);
        Canvas().Brush().SetColor(clBtnFace);
        Canvas().FillRect(ClientRect());
        view_->DrawAll(Canvas());
    }
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override
    {
        TCustomControl::MouseDown(button, shift, x, y);
        if (button != mbLeft)
            return;
        TBarItemViewer *viewer = view_->ViewerFromPoint(TPoint{x, y});
        if (!viewer)
            return;
        view_->Select(viewer, true);
        view_->EnterModalLoop(1);
    }

private:
    std::unique_ptr<TBarView> view_;
};

// The centre of a popup row, in the popup window's coordinates.
inline TPoint PopupRowCentre(TBarPopupWindow &popup, int index)
{
    TBarView *view = popup.View();
    view->EnsureLayout();
    TRect r = view->Viewers(index)->BoundsRect();
    TPoint nc = popup.GetNCSize();
    return TPoint{nc.X + (r.Left + r.Right) / 2, nc.Y + (r.Top + r.Bottom) / 2};
}
