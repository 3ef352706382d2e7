// Floating: the frame a dockable window floats in, moving between the frame
// and the docks, and the mouse on the frame and on the docked handle.
#include "toolbar/BarDock.h"

#include "platform/Graphics.h"
#include "platform/SystemParameters.h"

#include <algorithm>

namespace {

// Classic metrics: sizing and fixed frames, small caption.
constexpr int kSizingFrame = 4;
constexpr int kFixedFrame = 3;
constexpr int kSmallCaption = 16;

bool PtIn(const TRect &r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

} // namespace

// ---------------------------------------------------------------- frame

TBarFloatingWindowParent::TBarFloatingWindowParent(TBarCustomDockableWindow *hosted, TWinControl *ownerForm)
    : TPopupWindow(nullptr), hosted_(hosted), ownerForm_(ownerForm)
{
    SetColor(clBtnFace);
    SetText(hosted->Caption());
}

int TBarFloatingWindowParent::BorderSize() const { return hosted_->Resizable() ? kSizingFrame : kFixedFrame; }

int TBarFloatingWindowParent::CaptionHeight() const { return hosted_->ShowCaption() ? kSmallCaption : 0; }

TSize TBarFloatingWindowParent::FrameSizeFor(TSize client) const
{
    return TSize{client.cx + 2 * BorderSize(), client.cy + 2 * BorderSize() + CaptionHeight()};
}

TRect TBarFloatingWindowParent::CaptionRect() const
{
    if (!hosted_->ShowCaption())
        return TRect{};
    int b = BorderSize();
    return TRect{b, b, Width() - b, b + kSmallCaption - 1};
}

TRect TBarFloatingWindowParent::CloseButtonRect() const
{
    if (!hosted_->ShowCaption() || !hosted_->CloseButton())
        return TRect{};
    TRect caption = CaptionRect();
    return TRect{caption.Right - (kSmallCaption - 1), caption.Top, caption.Right, caption.Bottom};
}

void TBarFloatingWindowParent::PaintWindow(TCanvas &canvas)
{
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clBtnFace);
    canvas.FillRect(TRect{0, 0, Width(), Height()});
    TRect frame{0, 0, Width(), Height()};
    canvas.DrawEdge(frame, EDGE_RAISED, BF_RECT);
    if (!hosted_->ShowCaption())
        return;
    TRect caption = CaptionRect();
    TRect close = CloseButtonRect();
    TRect text = caption;
    if (close.Right > close.Left)
        text.Right = close.Left;
    canvas.Brush().SetColor(clActiveCaption);
    canvas.FillRect(caption);
    canvas.Font().SetColor(clCaptionText);
    canvas.Brush().SetStyle(bsClear);
    TRect textRect{text.Left + 2, text.Top, text.Right, text.Bottom};
    canvas.DrawText(hosted_->Caption(), textRect, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clBtnFace);
    canvas.FillRect(TRect{caption.Left, caption.Bottom, caption.Right, caption.Bottom + 1});
    if (close.Right > close.Left) {
        TRect face{close.Left, close.Top + 2, close.Right - 2, close.Bottom - 2};
        canvas.DrawFrameControl(face, DFC_CAPTION, CloseButtonPressed ? unsigned{DFCS_CAPTIONCLOSE | DFCS_PUSHED} : unsigned{DFCS_CAPTIONCLOSE});
    }
}

void TBarFloatingWindowParent::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TPopupWindow::MouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    if (PtIn(CloseButtonRect(), x, y)) {
        CloseButtonPressed = true;
        Invalidate();
        return;
    }
    if (!PtIn(CaptionRect(), x, y))
        return;
    if (shift & ssDouble)
        hosted_->ToggleDocking();
    else
        hosted_->BeginMoving(x - hosted_->Left(), y - hosted_->Top());
}

void TBarFloatingWindowParent::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TPopupWindow::MouseUp(button, shift, x, y);
    if (button != mbLeft || !CloseButtonPressed)
        return;
    CloseButtonPressed = false;
    Invalidate();
    if (PtIn(CloseButtonRect(), x, y))
        hosted_->CloseWindow();
}

// ---------------------------------------------------------------- the window

TWinControl *TBarCustomDockableWindow::ParentForm() const
{
    if (floatingParent_ && Parent() == floatingParent_.get())
        return floatingParent_->OwnerForm();
    TWinControl *form = Parent();
    while (form && form->Parent())
        form = form->Parent();
    return form;
}

TPoint TBarCustomDockableWindow::GetFloatingBorderSize() const
{
    int b = resizable_ ? kSizingFrame : kFixedFrame;
    return TPoint{b, b};
}

std::unique_ptr<TBarFloatingWindowParent> TBarCustomDockableWindow::CreateFloatingParent(TWinControl *form)
{
    return std::make_unique<TBarFloatingWindowParent>(this, form);
}

void TBarCustomDockableWindow::SetFloating(bool floating)
{
    if (floating == floating_)
        return;
    TWinControl *form = ParentForm();
    if (!form)
        throw EInvalidOperation("コントロール '" + Name() + "' は親ウィンドウを持っていません");
    if (!floating) {
        SetParent(form);
        return;
    }
    if (!floatingParent_ || floatingParent_->OwnerForm() != form)
        floatingParent_ = CreateFloatingParent(form);
    TBarFloatingWindowParent *frame = floatingParent_.get();
    TSize size = frame->FrameSizeFor(TSize{Width(), Height()});
    frame->SetBounds(floatingPosition_.X, floatingPosition_.Y, size.cx, size.cy);
    SetParent(frame);
    frame->ShowAt(floatingPosition_);
}

void TBarCustomDockableWindow::ToggleDocking()
{
    if (currentDock_) {
        if (dblClickUndock_ && dockMode_ == dmCanFloat) {
            if (floatingPosition_.X == 0 && floatingPosition_.Y == 0)
                floatingPosition_ = ClientToScreen(TPoint{0, 0});
            SetFloating(true);
            MoveOnScreen(true);
        }
        return;
    }
    if (!floating_)
        return;
    if (lastDock_) {
        SetParent(lastDock_);
    } else if (defaultDock_) {
        dockRow_ = 0;
        dockPos_ = -8;
        SetParent(defaultDock_);
    }
}

void TBarCustomDockableWindow::MoveOnScreen(bool onlyWhenOffScreen)
{
    if (!floating_ || !floatingParent_)
        return;
    TBarFloatingWindowParent *frame = floatingParent_.get();
    TRect r = frame->BoundsRect();
    TRect work = MonitorRectOfRect(r, true);
    bool meets = r.Left < work.Right && work.Left < r.Right && r.Top < work.Bottom && work.Top < r.Bottom;
    if (onlyWhenOffScreen && meets)
        return;
    int dx = 0, dy = 0;
    if (r.Right > work.Right)
        dx = work.Right - r.Right;
    if (r.Bottom > work.Bottom)
        dy = work.Bottom - r.Bottom;
    if (r.Left + dx < work.Left)
        dx = work.Left - r.Left;
    if (r.Top + dy < work.Top)
        dy = work.Top - r.Top;
    if (dx == 0 && dy == 0)
        return;
    floatingPosition_ = TPoint{r.Left + dx, r.Top + dy};
    frame->SetBounds(floatingPosition_.X, floatingPosition_.Y, frame->Width(), frame->Height());
}

void TBarCustomDockableWindow::CloseWindow()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    if (!canClose)
        return;
    Hide();
    if (OnClose)
        OnClose(this);
}

bool TBarCustomDockableWindow::HitTestContent(TPoint clientPoint) const
{
    for (int i = 0; i < ControlCount(); ++i) {
        TControl *c = Controls(i);
        TPoint origin = ClientOrigin();
        if (c->Visible() && PtIn(c->BoundsRect(), clientPoint.X + origin.X, clientPoint.Y + origin.Y))
            return true;
    }
    return false;
}

void TBarCustomDockableWindow::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    bool draggable = (currentDock_ && currentDock_->AllowsDrag()) || floating_;
    TPoint origin = ClientOrigin();
    if (!draggable || HitTestContent(TPoint{x - origin.X, y - origin.Y}))
        return;
    if (shift & ssDouble)
        ToggleDocking();
    else
        BeginMoving(x, y);
}
