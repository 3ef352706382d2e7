// Floating: the frame a dockable window floats in, moving between the frame
// and the docks, and the mouse on the frame and on the docked handle.
#include "toolbar/BarDock.h"

#include "platform/kernel/Forms.h"
#include "platform/graphics/Graphics.h"
#include "platform/services/SystemParameters.h"

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
    : TToolWindow(nullptr), hosted_(hosted), ownerForm_(ownerForm)
{
    SetColor(clBtnFace);
    SetText(hosted->Caption());
    SetOwnerWindow(ownerForm);
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
    const bool inactive = hosted_->CaptionInactive();
    canvas.Brush().SetColor(inactive ? clInactiveCaption : clActiveCaption);
    canvas.FillRect(caption);
    canvas.Font().SetColor(inactive ? clInactiveCaptionText : clCaptionText);
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

int TBarFloatingWindowParent::HitTestBorder(int x, int y) const
{
    if (!hosted_->Resizable())
        return 0;
    const int b = BorderSize();
    const int w = Width(), h = Height();
    const TPoint client = ClientOrigin();
    if (x >= client.X && x < client.X + hosted_->Width() && y >= client.Y && y < client.Y + hosted_->Height())
        return 0;
    const bool corners = (hosted_->SizingOptions & 1) != 0;
    const int corner = kSmallCaption + b - 1;
    if (y < b) {
        if (corners && x < corner)
            return 13;
        if (corners && x >= w - corner)
            return 14;
        return 12;
    }
    if (y >= h - b - 1) {
        if (corners && x < corner)
            return 16;
        if (corners && x >= w - corner)
            return 17;
        return 15;
    }
    if (x < b) {
        if (corners && y < corner)
            return 13;
        if (corners && y >= h - corner)
            return 16;
        return 10;
    }
    if (x >= w - b - 1) {
        if (corners && y < corner)
            return 14;
        if (corners && y >= h - corner)
            return 17;
        return 11;
    }
    return 0;
}

namespace {

TCursor SizingCursor(int code)
{
    switch (code) {
    case 10: case 11: return crSizeWE;
    case 12: case 15: return crSizeNS;
    case 13: case 17: return crSizeNWSE;
    case 14: case 16: return crSizeNESW;
    default: return crDefault;
    }
}

} // namespace

void TBarFloatingWindowParent::MouseMove(TShiftState shift, int x, int y)
{
    TToolWindow::MouseMove(shift, x, y);
    SetCursor(SizingCursor(HitTestBorder(x, y)));
}

void TBarFloatingWindowParent::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TToolWindow::MouseDown(button, shift, x, y);
    hosted_->ActivateParentForm();
    if (button != mbLeft)
        return;
    if (int code = HitTestBorder(x, y)) {
        if (!(shift & ssDouble))
            hosted_->BeginSizing(code - 10, ClientToScreen(TPoint{x, y}));
        return;
    }
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
    TToolWindow::MouseUp(button, shift, x, y);
    if (button != mbLeft || !CloseButtonPressed)
        return;
    CloseButtonPressed = false;
    Invalidate();
    if (PtIn(CloseButtonRect(), x, y))
        hosted_->CloseWindow();
}

void TBarFloatingWindowParent::WndProc(TMessage &message)
{
    // Closing the frame (Alt+F4) is closing its form.
    if (message.Msg == WM_CLOSE) {
        if (auto *form = dynamic_cast<TCustomForm *>(ownerForm_))
            form->Close();
        return;
    }
    TToolWindow::WndProc(message);
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
    // The frame's window first, so that the window moves into it rather than being made again.
    if (HandleAllocated())
        frame->HandleNeeded();
    SetParent(frame);
    ApplyFloatingOwner();
    frame->ShowAt(floatingPosition_);
    UpdateCaptionState();
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
    if (DockedCloseButtonShown() && PtInRect(GetDockedCloseButtonRect(), TPoint{x, y})) {
        closePressed_ = true;
        SetDockedCloseButtonHot(true);
        return;
    }
    bool draggable = (currentDock_ && currentDock_->AllowsDrag()) || floating_;
    TPoint origin = ClientOrigin();
    if (!draggable || HitTestContent(TPoint{x - origin.X, y - origin.Y}))
        return;
    ActivateParentForm();
    if (shift & ssDouble)
        ToggleDocking();
    else
        BeginMoving(x, y);
}

// ---------------------------------------------------------------- size loop

void TBarCustomDockableWindow::BeginSizing(int edge, TPoint cursor)
{
    if (!floating_ || !floatingParent_ || Parent() != floatingParent_.get())
        return;
    TBarFloatingWindowParent *frame = floatingParent_.get();
    int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
    GetFloatingSizeLimits(minWidth, minHeight, maxWidth, maxHeight);
    const TSize nc = frame->FrameSizeFor(TSize{0, 0});
    minWidth += nc.cx;
    minHeight += nc.cy;
    if (maxWidth > 0)
        maxWidth += nc.cx;
    if (maxHeight > 0)
        maxHeight += nc.cy;

    SizingStart(edge);
    struct TEnd {
        TBarCustomDockableWindow *w;
        ~TEnd()
        {
            ReleasePointer();
            ReleaseCapture();
            w->ShowOutline(TRect{}, 0);
            Screen().SetCursor(crDefault);
            w->SizingEnd();
        }
    } end{this};

    const bool smooth = smoothDrag_;
    const int border = GetFloatingBorderSize().X;
    const TRect start = frame->BoundsRect();
    TRect rect = start;
    if (!smooth)
        ShowOutline(start, border);
    GrabPointer(frame);
    Screen().SetCursor(SizingCursor(edge + 10));
    const bool moveLeft = edge == 0 || edge == 3 || edge == 6;
    const bool moveRight = edge == 1 || edge == 4 || edge == 7;
    const bool moveTop = edge == 2 || edge == 3 || edge == 4;
    const bool moveBottom = edge == 5 || edge == 6 || edge == 7;
    TPoint last = cursor;

    auto follow = [&](TPoint p) {
        const int dx = p.X - cursor.X, dy = p.Y - cursor.Y;
        TRect r = start;
        if (moveLeft)
            r.Left += dx;
        if (moveRight)
            r.Right += dx;
        if (moveTop)
            r.Top += dy;
        if (moveBottom)
            r.Bottom += dy;
        int w = std::max(r.Right - r.Left, minWidth);
        if (maxWidth > 0)
            w = std::min(w, maxWidth);
        if (moveLeft)
            r.Left = r.Right - w;
        else
            r.Right = r.Left + w;
        int h = std::max(r.Bottom - r.Top, minHeight);
        if (maxHeight > 0)
            h = std::min(h, maxHeight);
        if (moveTop)
            r.Top = r.Bottom - h;
        else
            r.Bottom = r.Top + h;
        SizingAdjustRect(r, start);
        rect = r;
        if (smooth)
            ApplySizing(rect);
        else
            ShowOutline(rect, border);
    };

    bool done = false, accept = false;
    TScopedMessageHook hook([&](TMessageTarget *target, TMessage &m) {
        if (done)
            return false;
        switch (m.Msg) {
        case WM_KEYDOWN:
            if (m.WParam == VK_ESCAPE)
                done = true;
            return true;
        case WM_KEYUP:
        case WM_CHAR:
            return true;
        case WM_MOUSEMOVE: {
            auto *control = dynamic_cast<TControl *>(target);
            if (!control)
                return true;
            TPoint p = control->ClientToScreen(TPoint{LParamX(m.LParam), LParamY(m.LParam)});
            if (p.X != last.X || p.Y != last.Y) {
                last = p;
                follow(p);
            }
            return true;
        }
        case WM_LBUTTONUP:
            done = true;
            accept = true;
            return true;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            done = true;
            return true;
        default:
            return IsRightOrMiddleButtonMessage(m.Msg);
        }
    });
    while (!done && !Destroying() && floating_)
        WaitMessage();
    if (accept && !smooth && floating_)
        ApplySizing(rect);
}

void TBarCustomDockableWindow::ApplySizing(const TRect &rect)
{
    TBarFloatingWindowParent *frame = floatingParent_.get();
    if (!frame || Parent() != frame)
        return;
    const TSize nc = frame->FrameSizeFor(TSize{0, 0});
    {
        ++arrangeDisableCount_;
        struct TLower {
            int &count;
            ~TLower() { --count; }
        } lower{arrangeDisableCount_};
        SizingApply();
        frame->SetBounds(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top);
        floatingPosition_ = TPoint{rect.Left, rect.Top};
        SetBounds(0, 0, rect.Right - rect.Left - nc.cx, rect.Bottom - rect.Top - nc.cy);
    }
    if (arrangePending_)
        Arrange();
    MoveOnScreen(true);
}
