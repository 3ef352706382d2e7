// The dockable window: its placement (docked or on its form), the wishes it
// gives its dock, its own size and the docked frame with its drag handle.
#include "toolbar/BarDock.h"

#include "platform/graphics/Graphics.h"

#include <algorithm>
#include <cstdint>

namespace {

// Lowers a counter when the scope ends, however it ends.
class TCounterScope {
public:
    explicit TCounterScope(int &counter) : counter_(counter) { ++counter_; }
    ~TCounterScope() { --counter_; }
    TCounterScope(const TCounterScope &) = delete;
    TCounterScope &operator=(const TCounterScope &) = delete;

private:
    int &counter_;
};

class TArrangeScope {
public:
    explicit TArrangeScope(TBarDock *dock) : dock_(dock)
    {
        if (dock_)
            dock_->BeginArrange();
    }
    ~TArrangeScope()
    {
        if (dock_)
            dock_->EndArrange();
    }
    TArrangeScope(const TArrangeScope &) = delete;
    TArrangeScope &operator=(const TArrangeScope &) = delete;

private:
    TBarDock *dock_;
};

} // namespace

TBarCustomDockableWindow::TBarCustomDockableWindow(TComponent *owner) : TCustomControl(owner)
{
    SetColor(clBtnFace);
    JoinVisibilityWatch(this);
}

TBarCustomDockableWindow::~TBarCustomDockableWindow()
{
    LeaveVisibilityWatch(this);
    // Leave the own frame before it goes with the members.
    if (floatingParent_ && Parent() == floatingParent_.get())
        TCustomControl::SetParent(nullptr);
    if (lastDock_ && lastDock_ != currentDock_)
        lastDock_->RemoveBar(this);
    if (currentDock_)
        currentDock_->RemoveBar(this);
}

void TBarCustomDockableWindow::SetParent(TWinControl *parent)
{
    auto *frame = dynamic_cast<TBarFloatingWindowParent *>(parent);
    if (parent == Parent()) {
        currentDock_ = dynamic_cast<TBarDock *>(parent);
        floating_ = frame != nullptr;
        return;
    }
    TBarDock *oldDock = dynamic_cast<TBarDock *>(Parent());
    auto *oldFrame = dynamic_cast<TBarFloatingWindowParent *>(Parent());
    TBarDock *newDock = dynamic_cast<TBarDock *>(parent);
    const bool told = parent && !Destroying();
    if (told) {
        if (OnDockChanging)
            OnDockChanging(this, frame != nullptr, newDock);
        if (OnRecreating)
            OnRecreating(this);
    }
    {
        TArrangeScope newArrange(newDock);
        TArrangeScope oldArrange(oldDock);
        TCounterScope bounds(boundsUpdateCount_);
        TCounterScope arrange(arrangeDisableCount_);
        if (told && OnDockChangingHidden)
            OnDockChangingHidden(this, frame != nullptr, newDock);
        ShrunkLength = 0;
        if (oldDock) {
            if (!(useLastDock_ && lastDock_ == oldDock))
                oldDock->ChangeBarList(false, this);
            currentDock_ = nullptr;
            oldDock->ChangeVisibleBarList(this, true);
        }
        // The same window moves, with the controls it hosts and a mouse press it holds.
        MoveWindowTo(parent);
        currentDock_ = newDock;
        floating_ = frame != nullptr;
        if (frame) {
            TPoint origin = frame->ClientOrigin();
            TCustomControl::SetBounds(origin.X, origin.Y, Width(), Height());
        }
        if (oldFrame)
            oldFrame->Hide();
        EffectiveRow = -1;
        if (newDock) {
            newDock->FreeNotification(this);
            if (!useLastDock_) {
                newDock->ChangeBarList(true, this);
            } else {
                SetLastDock(newDock);
                newDock->ChangeVisibleBarList(this, false);
            }
        }
        // The docks end their deferral (new first, then old) as the scopes close.
    }
    Arrange();
    if (told) {
        if (OnRecreated)
            OnRecreated(this);
        if (OnDockChanged)
            OnDockChanged(this);
    }
}

void TBarCustomDockableWindow::SetCurrentDock(TBarDock *dock)
{
    if (dock) {
        SetParent(dock);
        return;
    }
    TWinControl *form = Parent();
    while (form && form->Parent())
        form = form->Parent();
    if (!form)
        throw EInvalidOperation("コントロール '" + Name() + "' は親ウィンドウを持っていません");
    SetParent(form);
}

void TBarCustomDockableWindow::SetLastDock(TBarDock *dock)
{
    if (useLastDock_ && currentDock_)
        dock = currentDock_;
    if (dock == lastDock_)
        return;
    if (lastDock_ && lastDock_ != Parent())
        lastDock_->ChangeBarList(false, this);
    lastDock_ = dock;
    if (dock) {
        useLastDock_ = true;
        dock->FreeNotification(this);
        dock->ChangeBarList(true, this);
    }
}

void TBarCustomDockableWindow::SetDefaultDock(TBarDock *dock)
{
    defaultDock_ = dock;
    if (dock)
        dock->FreeNotification(this);
}

void TBarCustomDockableWindow::SetUseLastDock(bool use)
{
    if (use == useLastDock_)
        return;
    useLastDock_ = use;
    SetLastDock(use ? currentDock_ : nullptr);
}

void TBarCustomDockableWindow::Notification(TComponent *component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == lastDock_)
        lastDock_ = nullptr;
    if (component == defaultDock_)
        defaultDock_ = nullptr;
    if (component == currentDock_)
        currentDock_ = nullptr;
}

void TBarCustomDockableWindow::SetDockRow(int row)
{
    if (row == dockRow_)
        return;
    dockRow_ = row;
    if (currentDock_)
        currentDock_->ArrangeToolbars();
}

void TBarCustomDockableWindow::SetDockPos(int pos)
{
    if (pos == dockPos_)
        return;
    dockPos_ = pos;
    if (currentDock_)
        currentDock_->ArrangeToolbars();
}

void TBarCustomDockableWindow::SetFullSize(bool v)
{
    if (v == fullSize_)
        return;
    fullSize_ = v;
    if (currentDock_)
        currentDock_->ArrangeToolbars();
}

void TBarCustomDockableWindow::SetStretch(bool v)
{
    if (v == stretch_)
        return;
    stretch_ = v;
    if (currentDock_)
        currentDock_->ArrangeToolbars();
}

void TBarCustomDockableWindow::SetAutoResize(bool v)
{
    autoResize_ = v;
    if (v)
        Arrange();
}

void TBarCustomDockableWindow::DockedFrameChanged()
{
    if (currentDock_)
        currentDock_->ArrangeToolbars();
    Invalidate();
}

void TBarCustomDockableWindow::SetDragHandleStyle(TBarDragHandleStyle style)
{
    if (style == dragHandleStyle_)
        return;
    dragHandleStyle_ = style;
    DockedFrameChanged();
}

void TBarCustomDockableWindow::SetBorderStyle(TBorderStyle style)
{
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    DockedFrameChanged();
}

void TBarCustomDockableWindow::SetCloseButtonWhenDocked(bool v)
{
    if (v == closeButtonWhenDocked_)
        return;
    closeButtonWhenDocked_ = v;
    DockedFrameChanged();
}

bool TBarCustomDockableWindow::CanDockTo(const TBarDock *dock) const
{
    return (dockableTo_ & (1u << dock->Position())) != 0;
}

int TBarCustomDockableWindow::DragHandleSize() const
{
    static constexpr int kPlain[] = {9, 0, 6};
    return closeButtonWhenDocked_ ? 14 : kPlain[dragHandleStyle_];
}

TPoint TBarCustomDockableWindow::GetNCSize() const
{
    if (!currentDock_)
        return TPoint{0, 0};
    TPoint size{4, 4};
    if (currentDock_->AllowsDrag()) {
        if (currentDock_->Vertical())
            size.Y += DragHandleSize();
        else
            size.X += DragHandleSize();
    }
    return size;
}

TPoint TBarCustomDockableWindow::ClientOrigin() const
{
    if (!currentDock_)
        return TPoint{0, 0};
    int handle = currentDock_->AllowsDrag() ? DragHandleSize() : 0;
    return currentDock_->Vertical() ? TPoint{2, 2 + handle} : TPoint{2 + handle, 2};
}

void TBarCustomDockableWindow::Arrange()
{
    if (arrangeDisableCount_ > 0) {
        arrangePending_ = true;
        return;
    }
    arrangePending_ = false;
    if (!Parent())
        return;
    TSize size = GetSizeForOrientation(true, TBarDock::OrientationOf(currentDock_, floating_), currentDock_, floating_);
    if (autoResize_ || currentDock_ || floating_)
        ChangeSize(size.cx, size.cy);
}

void TBarCustomDockableWindow::ChangeSize(int width, int height)
{
    if (currentDock_) {
        currentDock_->ArrangeToolbars();
        return;
    }
    TPoint nc = GetNCSize();
    TCounterScope bounds(boundsUpdateCount_);
    SetBounds(Left(), Top(), width + nc.X, height + nc.Y);
}

void TBarCustomDockableWindow::SetBounds(int left, int top, int width, int height)
{
    bool sizeChanged = width != Width() || height != Height();
    if (sizeChanged && boundsUpdateCount_ == 0)
        SizeChanging(width, height);
    if (floating_ && floatingParent_ && Parent() == floatingParent_.get()) {
        // The frame takes the size; the window stays at the frame's client origin.
        TBarFloatingWindowParent *frame = floatingParent_.get();
        TSize size = frame->FrameSizeFor(TSize{width, height});
        frame->SetBounds(frame->Left(), frame->Top(), size.cx, size.cy);
        TPoint origin = frame->ClientOrigin();
        left = origin.X;
        top = origin.Y;
    }
    TCustomControl::SetBounds(left, top, width, height);
}

void TBarCustomDockableWindow::SetText(const std::string &text)
{
    TCustomControl::SetText(text);
    if (floatingParent_) {
        floatingParent_->SetText(text);
        floatingParent_->Invalidate();
    }
}

void TBarCustomDockableWindow::VisibleChanged()
{
    TCustomControl::VisibleChanged();
    if (currentDock_)
        currentDock_->ChangeVisibleBarList(this, false);
    UpdateVisibility();
    if (OnVisibleChanged)
        OnVisibleChanged(this);
}

void TBarCustomDockableWindow::PaintWindow(TCanvas &canvas)
{
    DrawNCArea(canvas);
    TPoint origin = ClientOrigin();
    canvas.SaveDC();
    canvas.IntersectClipRect(TRect{origin.X, origin.Y, origin.X + ClientWidth(), origin.Y + ClientHeight()});
    canvas.SetWindowOrg(canvas.WindowOrg().X - origin.X, canvas.WindowOrg().Y - origin.Y);
    PaintClient(canvas);
    canvas.RestoreDC(-1);
}

void TBarCustomDockableWindow::DrawNCArea(TCanvas &canvas)
{
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(TRect{0, 0, Width(), Height()});
    if (!currentDock_)
        return;
    TRect outer{0, 0, Width(), Height()};
    if (borderStyle_ == bsSingle) {
        canvas.DrawEdge(outer, BDR_RAISEDINNER, BF_RECT);
    } else {
        canvas.Brush().SetColor(Color());
        canvas.FrameRect(outer);
    }
    if (DockedCloseButtonShown())
        DrawDockedCloseButton(canvas);
    if (!currentDock_->AllowsDrag() || dragHandleStyle_ == dhNone)
        return;
    const bool vertical = currentDock_->Vertical();
    const bool close = closeButtonWhenDocked_;
    const int s = dragHandleStyle_ == dhDouble ? (close ? 3 : 2) : (close ? 5 : 1);
    const int g = dragHandleStyle_ == dhSingle ? 1 : 0;
    const int crossClient = vertical ? ClientWidth() : ClientHeight();
    int from = 2 + g, to = crossClient + 2 - g;
    if (close && !vertical)
        from = DragHandleSize();
    if (close && vertical)
        to -= DragHandleSize() - 2;
    const int bars = dragHandleStyle_ == dhDouble ? 2 : 1;
    for (int b = 0; b < bars; ++b) {
        int start = 2 + s + 3 * b;
        TRect bar = vertical ? TRect{from, start, to, start + 3} : TRect{start, from, start + 3, to};
        TRect edge = bar;
        canvas.DrawEdge(edge, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        canvas.Brush().SetColor(clBtnHighlight);
        TPoint far = vertical ? TPoint{bar.Right - 1, bar.Top} : TPoint{bar.Left, bar.Bottom - 1};
        canvas.FillRect(TRect{far.X, far.Y, far.X + 1, far.Y + 1});
    }
}

// ---------------------------------------------------------------- drag handle and docked close button

void TBarCustomDockableWindow::DrawDockedCloseButton(TCanvas &canvas)
{
    TRect button = GetDockedCloseButtonRect();
    const bool pushed = DockedCloseButtonPushed();
    if (pushed || closeHot_) {
        TRect edge = button;
        canvas.DrawEdge(edge, pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    static constexpr std::uint8_t kCross[8] = {0x00, 0xCC, 0x78, 0x30, 0x78, 0xCC, 0x00, 0x00};
    const int shift = pushed ? 1 : 0;
    const TPoint at{(button.Left + button.Right) / 2 - 4 + shift, (button.Top + button.Bottom) / 2 - 4 + shift};
    canvas.Brush().SetColor(clBtnText);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if (kCross[y] & (0x80u >> x))
                canvas.FillRect(Bounds(at.X + x, at.Y + y, 1, 1));
    canvas.Brush().SetColor(Color());
}

bool TBarCustomDockableWindow::OnDragHandle(TPoint p) const
{
    if (!currentDock_ || !currentDock_->AllowsDrag() || dragHandleStyle_ == dhNone)
        return false;
    const int reach = DragHandleSize() + 2;
    return currentDock_->Vertical() ? p.Y < reach : p.X < reach;
}

bool TBarCustomDockableWindow::DockedCloseButtonShown() const
{
    return closeButtonWhenDocked_ && currentDock_ && currentDock_->AllowsDrag();
}

TRect TBarCustomDockableWindow::GetDockedCloseButtonRect() const
{
    const int side = DragHandleSize() - 3;
    if (currentDock_ && currentDock_->Vertical())
        return Bounds(ClientWidth() - DragHandleSize() + 5, 3, side, side);
    return Bounds(3, 2, side, side);
}

void TBarCustomDockableWindow::SetDockedCloseButtonHot(bool hot)
{
    if (hot == closeHot_)
        return;
    closeHot_ = hot;
    Invalidate();
}

void TBarCustomDockableWindow::MouseMove(TShiftState shift, int x, int y)
{
    TCustomControl::MouseMove(shift, x, y);
    // While a press on the close button lasts, "hot" is whether the pointer is still on it.
    if (DockedCloseButtonShown() && (closePressed_ || !(shift & ssLeft)))
        SetDockedCloseButtonHot(PtInRect(GetDockedCloseButtonRect(), TPoint{x, y}));
}

void TBarCustomDockableWindow::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (button != mbLeft || !closePressed_)
        return;
    closePressed_ = false;
    const bool inside = DockedCloseButtonShown() && PtInRect(GetDockedCloseButtonRect(), TPoint{x, y});
    SetDockedCloseButtonHot(inside);
    Invalidate();
    if (inside)
        CloseWindow();
}

void TBarCustomDockableWindow::WndProc(TMessage &message)
{
    switch (message.Msg) {
    case WM_SETCURSOR:
        if (OnDragHandle(TPoint{LParamX(message.LParam), LParamY(message.LParam)})) {
            message.WParam = static_cast<WPARAM>(crSizeAll);
            message.Result = 1;
            return;
        }
        break;
    case CM_MOUSELEAVE:
        if (!closePressed_)
            SetDockedCloseButtonHot(false);
        break;
    default:
        break;
    }
    TCustomControl::WndProc(message);
}
