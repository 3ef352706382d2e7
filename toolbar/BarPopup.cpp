// Popup windows: creation, placement on the monitor, painting, scrolling and
// the selection rules of open menus.
#include "toolbar/BarPopup.h"

#include "platform/services/SystemParameters.h"
#include "platform/kernel/WindowEffects.h"
#include "toolbar/BarAcc.h"
#include "toolbar/BarAnim.h"
#include "toolbar/BarCommon.h"

#include <algorithm>
#include <cstdlib>

namespace {
int gPopupShows = 0;
bool gFirstPopupShown = false;
} // namespace

int PopupShowCount() { return gPopupShows; }

// ---------------------------------------------------------------- popup view

TBarPopupView::TBarPopupView(TComponent *owner, TBarView *parentView, TBarCustomItem *parentItem,
                             TBarPopupWindow *window, bool customizing)
    : TBarView(owner, parentView, parentItem, window, false, customizing, false), popup_(window)
{
}

void TBarPopupView::ApplySize(int width, int height)
{
    TPoint nc = popup_->GetNCSize();
    popup_->SetBounds(popup_->Left(), popup_->Top(), width + 2 * nc.X, height + 2 * nc.Y);
}

TFont &TBarPopupView::GetFont() { return popup_->Font(); }

TPoint TBarPopupView::ClientToScreen(TPoint p) const
{
    TPoint nc = popup_->GetNCSize();
    return TPoint{popup_->Left() + nc.X + p.X, popup_->Top() + nc.Y + p.Y};
}

TPoint TBarPopupView::ScreenToClient(TPoint p) const
{
    TPoint nc = popup_->GetNCSize();
    return TPoint{p.X - popup_->Left() - nc.X, p.Y - popup_->Top() - nc.Y};
}

bool TBarPopupView::WindowAt(TPoint screen) const
{
    return popup_->Visible() && WindowIsUnderPoint(*popup_, screen);
}

void TBarPopupView::InvalidateLayout()
{
    TBarView::InvalidateLayout();
}

void TBarPopupView::InvalidateWindowRect(const TRect &rect)
{
    TRect inWindow = rect;
    const TPoint nc = popup_->GetNCSize();
    OffsetRect(inWindow, nc.X, nc.Y);
    TBarView::InvalidateWindowRect(inWindow);
}

// ---------------------------------------------------------------- popup window

TBarPopupWindow::TBarPopupWindow(TComponent *owner, TBarView *parentView, TBarCustomItem *parentItem,
                                 bool customizing)
    : TInputPopupWindow(owner)
{
    SetBounds(0, 0, 240, 320);
    SetColor(clMenu);
    SetShowHint(true);
    Font().Assign(parentView ? parentView->GetFont() : SharedMenuFont());
    view_ = std::make_unique<TBarPopupView>(nullptr, parentView, parentItem, this, customizing);
    view_->SetState(view_->State() | vsModal);
    if (parentView) {
        view_->SetStyle((view_->Style() & ~vsUseHiddenAccels) | (parentView->Style() & vsUseHiddenAccels));
        view_->SetState(view_->State() | (parentView->State() & vsShowAccels));
    } else
        view_->SetStyle(view_->Style() | vsUseHiddenAccels);
}

TBarPopupWindow::~TBarPopupWindow()
{
    StopPopupAnimation(this);
    CallNotifyWinEvent(EVENT_SYSTEM_MENUPOPUPEND, this, OBJID_CLIENT, CHILDID_SELF);
    view_->CloseChildPopup();
    view_->StopAllTimers();
    view_.reset();
}

void TBarPopupWindow::ShowPopup()
{
    ++gPopupShows;
    TBarView *parent = view_->ParentView();
    // The window itself may refuse the animation (answering 1 to BARWM_POPUPSHOW with 1).
    bool animate = !(parent && (parent->State() & vsDropDownClosed)) && !view_->Selected() && !Visible()
        && SystemParameters().MenuAnimation && SendMessage(this, BARWM_POPUPSHOW, 1, 0) == 0;
    ShowAt(TPoint{Left(), Top()});
    if (animate)
        StartPopupAnimation(this, SystemParameters().MenuFade, animateDirection_);
}

void TBarPopupWindow::HidePopup()
{
    StopPopupAnimation(this);
    Hide();
}

void TBarPopupWindow::WndProc(TMessage &message)
{
    switch (message.Msg) {
    case BARWM_ANIMATIONSTEP:
        PopupAnimationStep(message);
        return;
    case BARWM_ANIMATIONDONE:
        PostMessage(this, BARWM_POPUPSHOW, 2, 0);
        return;
    case BARWM_POPUPSHOW:
    case WM_CLOSE:
        return;
    case WM_PRINT:
        // The same picture as on the screen, into the canvas in WParam.
        HandleWMPrint(*this, message, GetNCSize(), [this](TCanvas &canvas) { PaintBorder(canvas); });
        return;
    case WM_PRINTCLIENT:
        if (auto *canvas = reinterpret_cast<TCanvas *>(message.WParam))
            PaintClient(*canvas, false);
        return;
    case WM_ERASEBKGND:
        if (auto *canvas = reinterpret_cast<TCanvas *>(message.LParam)) {
            TPoint nc = GetNCSize();
            canvas->Brush().SetStyle(bsSolid);
            canvas->Brush().SetColor(Color());
            canvas->FillRect(TRect{0, 0, Width() - 2 * nc.X, Height() - 2 * nc.Y});
            message.Result = 1;
        }
        return;
    case WM_TIMER:
        if (message.WParam >= kPopupTimerBase && message.WParam < kPopupTimerBase + 4) {
            view_->TimerElapsed(static_cast<int>(message.WParam - kPopupTimerBase));
            return;
        }
        TInputPopupWindow::WndProc(message);
        return;
    case CM_HINTSHOW:
        // The hint of the selected row, holding while the pointer stays on it.
        if (!view_->ViewerHintInfo(view_->Selected(), *reinterpret_cast<THintInfo *>(message.LParam)))
            message.Result = 1;
        return;
    case WM_GETOBJECT:
        if (view_ && view_->HandleWMGetObject(message))
            return;
        TInputPopupWindow::WndProc(message);
        return;
    default:
        TInputPopupWindow::WndProc(message);
    }
}

void TBarPopupWindow::PaintWindow(TCanvas &canvas)
{
    canvas.SaveDC();
    // While sliding in, the whole picture stands moved.
    TPoint slide = PopupAnimationOffset(this);
    canvas.SetWindowOrg(canvas.WindowOrg().X - slide.X, canvas.WindowOrg().Y - slide.Y);
    PaintBorder(canvas);
    TPoint nc = GetNCSize();
    canvas.SaveDC();
    canvas.SetWindowOrg(canvas.WindowOrg().X - nc.X, canvas.WindowOrg().Y - nc.Y);
    PaintClient(canvas, true);
    canvas.RestoreDC(-1);
    canvas.RestoreDC(-1);
}

void TBarPopupWindow::PaintBorder(TCanvas &canvas)
{
    TRect r{0, 0, Width(), Height()};
    TPoint nc = GetNCSize();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    // The ring around the client area only.
    canvas.FillRect(TRect{0, 0, r.Right, nc.Y});
    canvas.FillRect(TRect{0, r.Bottom - nc.Y, r.Right, r.Bottom});
    canvas.FillRect(TRect{0, nc.Y, nc.X, r.Bottom - nc.Y});
    canvas.FillRect(TRect{r.Right - nc.X, nc.Y, r.Right, r.Bottom - nc.Y});
    if (FlatMenusEnabled()) {
        canvas.Brush().SetColor(clBtnShadow);
        canvas.FrameRect(r);
    } else {
        canvas.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        canvas.Brush().SetColor(clBtnFace);
        canvas.FrameRect(r);
    }
}

void TBarPopupWindow::PaintClient(TCanvas &canvas, bool erase)
{
    TPoint nc = GetNCSize();
    TRect client{0, 0, Width() - 2 * nc.X, Height() - 2 * nc.Y};
    canvas.SaveDC();
    canvas.IntersectClipRect(client);
    if (erase) {
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(Color());
        canvas.FillRect(client);
    }
    view_->DrawAll(canvas);
    PaintScrollArrows(canvas);
    canvas.RestoreDC(-1);
}

void TBarPopupWindow::PaintScrollArrows(TCanvas &canvas)
{
    TPoint nc = GetNCSize();
    int w = Width() - 2 * nc.X, h = Height() - 2 * nc.Y;
    canvas.Brush().SetStyle(bsSolid);
    auto band = [&](const TRect &r, bool up) {
        canvas.Brush().SetColor(Color());
        canvas.FillRect(r);
        int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2 - 1;
        canvas.Brush().SetColor(clMenuText);
        canvas.Pen().SetColor(clMenuText);
        if (up)
            canvas.Polygon({{cx - 3, cy + 3}, {cx + 3, cy + 3}, {cx, cy}});
        else
            canvas.Polygon({{cx - 3, cy}, {cx + 3, cy}, {cx, cy + 3}});
    };
    if (view_->ShowUpArrow())
        band(TRect{0, 0, w, kScrollArrowHeight}, true);
    if (view_->ShowDownArrow())
        band(TRect{0, h - kScrollArrowHeight, w, h}, false);
}

// ---------------------------------------------------------------- placement

void CalcPopupPosition(TBarView *parentView, TBarPopupPositionRec &rec, bool &popupOpensLeft)
{
    const TRect &M = rec.MonitorRect;
    const TRect &P = rec.ParentItemRect;
    int nx = rec.NCSize.X, ny = rec.NCSize.Y;
    int &x = rec.X, &y = rec.Y;
    int w = rec.W, h = rec.H;
    bool parentVertical = parentView && parentView->Orientation() == tbvoVertical;
    popupOpensLeft = false;

    // Vertical fit.
    if (y + h > M.Bottom && !parentVertical) {
        int b = rec.PositionAsSubmenu ? P.Bottom + ny : P.Top;
        if (b - h >= M.Top)
            y = b - h;
    }
    if (y + h > M.Bottom)
        y = M.Bottom - h;
    if (y < M.Top)
        y = M.Top;

    if (rec.PositionAsSubmenu) {
        for (;;) {
            if (!rec.OpenLeft && x + w <= M.Right)
                break;
            int L = parentView ? P.Left + nx - w : x - w;
            if (!rec.OpenLeft || L >= M.Left) {
                x = L;
                popupOpensLeft = true;
                break;
            }
            rec.OpenLeft = false;
        }
        if (x < M.Left)
            x = M.Left;
    } else {
        if (!parentView && rec.Alignment == tbpaRight && x < M.Left)
            x += w;
        if (x + w > M.Right)
            x = (parentView || rec.Alignment != tbpaLeft) ? M.Right - w : x - w;
        if (x < M.Left)
            x = M.Left;

        auto covered = [&](int px, int py) {
            if (!parentView)
                return 0;
            TRect popup = Bounds(px, py, w, h);
            int count = 0;
            for (int i = 0; i < parentView->ViewerCount(); ++i) {
                TBarItemViewer *v = parentView->Viewers(i);
                if (!v->Show())
                    continue;
                TPoint tl = parentView->ClientToScreen(v->BoundsRect().TopLeft());
                TRect r = Bounds(tl.X, tl.Y, v->BoundsRect().Width(), v->BoundsRect().Height());
                if (r.Left >= popup.Left && r.Top >= popup.Top && r.Right <= popup.Right && r.Bottom <= popup.Bottom)
                    ++count;
            }
            return count;
        };
        auto overlaps = [&]() {
            TRect popup = Bounds(x, y, w, h);
            if (P.IsEmpty())
                return P.Left > popup.Left && P.Left < popup.Right && P.Top > popup.Top && P.Top < popup.Bottom;
            TRect common;
            return IntersectRect(common, popup, P);
        };
        if (parentVertical) {
            if (M.Right >= P.Right + w && (covered(P.Right, y) < covered(x, y) || overlaps()))
                x = P.Right;
            if (overlaps()) {
                y = M.Bottom < P.Bottom + h ? P.Top - h : P.Bottom;
                if (y < M.Top)
                    y = M.Top;
            }
        } else {
            if (P.Top - h >= M.Top && (covered(x, P.Top - h) < covered(x, y) || overlaps()))
                y = P.Top - h;
            if (overlaps()) {
                x = M.Right < P.Right + w ? P.Left - w : P.Right;
                if (x < M.Left)
                    x = M.Left;
            }
        }
    }

    // The direction the show animation comes from.
    if (rec.PositionAsSubmenu)
        rec.AnimateDirection = (x + w / 2 < P.Left + (P.Right - P.Left) / 2) ? 1 : 2;
    else {
        std::uint8_t d = 0;
        if (y >= P.Bottom)
            d |= 4;
        else if (P.Top >= y + h)
            d |= 8;
        if (x >= P.Right)
            d |= 2;
        else if (x + w <= P.Left)
            d |= 1;
        rec.AnimateDirection = d;
    }
}

void TBarCustomItem::GetPopupPosition(TBarView *parentView, TBarPopupWindow *popup, TBarPopupPositionRec &rec)
{
    bool opensLeft = false;
    CalcPopupPosition(parentView, rec, opensLeft);
    if (opensLeft && popup)
        popup->View()->SetState(popup->View()->State() | vsOppositePopup);
}

std::unique_ptr<TBarPopupWindow> TBarCustomItem::CreatePopupWindow(TBarView *parentView, bool customizing)
{
    return std::make_unique<TBarPopupWindow>(nullptr, parentView, this, customizing);
}

std::unique_ptr<TBarPopupWindow> TBarCustomItem::CreateChevronPopupWindow(TBarCustomItem *shown, TBarView *parentView,
                                                                          bool customizing)
{
    return shown->CreatePopupWindow(parentView, customizing);
}

TBarPopupWindow *TBarCustomItem::CreatePopup(TBarView *parentView, TBarItemViewer *parentViewer,
                                             bool positionAsSubmenu, bool selectFirst, bool customizing,
                                             TPoint point, TBarPopupAlignment alignment)
{
    if (LinkSubitems())
        LinkSubitems()->DoPopup(this, true);
    DoPopup(this, false);
    TBarView *chevronParent = GetChevronParentView();
    TBarCustomItem *shown = chevronParent ? chevronParent->ParentItem() : this;
    std::unique_ptr<TBarPopupWindow> window = chevronParent
        ? CreateChevronPopupWindow(shown, parentView, customizing)
        : shown->CreatePopupWindow(parentView, customizing);
    TBarPopupView *view = window->View();
    if (chevronParent) {
        view->SetChevronParentView(chevronParent);
        view->SetIsToolbar(true);
        view->SetStyle(view->Style() | (chevronParent->Style() & vsAlwaysShowHints));
        window->SetColor(clBtnFace);
    }
    TRect parentRect, monitor;
    if (parentView) {
        parentView->EnsureLayout();
        const TRect &b = parentViewer->BoundsRect();
        TPoint tl = parentView->ClientToScreen(b.TopLeft());
        parentRect = Bounds(tl.X, tl.Y, b.Width(), b.Height());
        monitor = parentView->MonitorRect();
        if (monitor.IsEmpty())
            monitor = GetMonitorRectOfRect(parentRect, true);
    } else {
        parentRect = TRect{point.X, point.Y, point.X, point.Y};
        monitor = GetMonitorRectOfPoint(point, true);
    }
    view->SetMonitorRect(monitor);
    TPoint nc = window->GetNCSize();
    if (chevronParent)
        view->SetWrapLength(monitor.Width() - 2 * nc.X);
    else
        view->SetMaximumHeight(monitor.Height() - 2 * nc.Y);
    // The layout decides which viewers show, and only those can be selected.
    view->UpdateLayout();
    if (selectFirst)
        view->Select(view->FirstKeyboardViewer(), false);
    int w = window->Width(), h = window->Height();
    int x, y;
    if (!parentView) {
        x = point.X - (alignment == tbpaRight ? w : alignment == tbpaCenter ? w / 2 : 0);
        y = point.Y;
    } else if (positionAsSubmenu) {
        x = parentRect.Right - nc.X;
        y = parentRect.Top - nc.Y;
    } else if (chevronParent) {
        bool vertical = chevronParent->Orientation() == tbvoVertical;
        x = vertical ? parentRect.Left - w : parentRect.Right - w;
        y = vertical ? parentRect.Top : parentRect.Bottom;
    } else if (parentView->Orientation() == tbvoVertical) {
        x = parentRect.Left - w;
        y = parentRect.Top;
    } else {
        x = SystemParameters().MenuDropRightAligned ? parentRect.Right - w : parentRect.Left;
        y = parentRect.Bottom;
    }
    TBarPopupPositionRec rec;
    rec.PositionAsSubmenu = positionAsSubmenu;
    rec.Alignment = alignment;
    rec.OpenLeft = parentView && (parentView->State() & vsOppositePopup);
    rec.MonitorRect = monitor;
    rec.ParentItemRect = parentRect;
    rec.NCSize = nc;
    rec.X = x;
    rec.Y = y;
    rec.W = w;
    rec.H = h;
    GetPopupPosition(parentView, window.get(), rec);
    window->SetAnimateDirection(rec.AnimateDirection);
    window->SetBounds(rec.X, rec.Y, rec.W, rec.H);
    TBarPopupWindow *raw = window.get();
    if (parentView) {
        parentView->SetOpenPopup(raw, view, parentViewer);
        if (parentView->IsToolbar()) {
            parentView->SetState(parentView->State() | vsKeepOpen);
            parentView->InvalidateViewer(parentViewer);
        }
    }
    view->SetState(view->State() | vsDrawInOrder);
    if (!rec.PlaySound || !SoundEventAssigned("MenuPopup"))
        raw->ShowPopup();
    else if (!gFirstPopupShown) {
        gFirstPopupShown = true;
        raw->ShowPopup();
        PlaySound("MenuPopup");
    } else {
        PlaySound("MenuPopup");
        raw->ShowPopup();
    }
    CallNotifyWinEvent(EVENT_SYSTEM_MENUPOPUPSTART, raw, OBJID_CLIENT, CHILDID_SELF);
    if (view->Selected())
        view->NotifyFocus();
    return window.release();
}

// ---------------------------------------------------------------- opening and closing

void TBarView::CloseChildPopup()
{
    if (!openPopup_)
        return;
    StopTimer(1);
    TBarPopupWindow *popup = openPopup_;
    TBarItemViewer *open = openViewer_;
    openPopup_ = nullptr;
    openViewerView_ = nullptr;
    openViewer_ = nullptr;
    popup->RemoveFreeNotification(this);
    if (isToolbar_)
        state_ |= vsDropDownClosed;
    delete popup;
    if (open)
        InvalidateViewer(open);
}

void TBarView::CancelChildPopup()
{
    if (isToolbar_)
        state_ &= ~vsKeepOpen;
    CloseChildPopup();
}

bool TBarView::SubmenuTimerElapsed(bool selectFirst)
{
    StopTimer(1);
    StopTimer(0);
    if (selected_ != openViewer_) {
        CloseChildPopup();
        if (selected_ && selected_->Item()->Enabled() && (selected_->Item()->ItemStyle() & HasSubmenu))
            selected_->Item()->CreatePopup(this, selected_, !isToolbar_, selectFirst, false, TPoint{}, tbpaLeft);
    }
    wheelAccumulator_ = 0;
    return openPopup_ != nullptr;
}

// ---------------------------------------------------------------- selection under the mouse

void TBarView::UpdateSelectionAt(const TPoint *screenPoint, bool byMouse)
{
    EnsureLayout();
    TBarItemViewer *viewer = (state_ & vsModal) ? selected_ : nullptr;
    bool wasInside = (state_ & vsMouseInWindow) != 0;
    bool inside = false;
    TPoint client{};
    if (screenPoint && WindowAt(*screenPoint)) {
        inside = true;
        state_ |= vsMouseInWindow;
        if (isPopup_)
            viewer = nullptr;
        client = ScreenToClient(*screenPoint);
        if (byMouse || selected_)
            if (TBarItemViewer *under = ViewerFromPoint(client))
                viewer = under;
    } else
        state_ &= ~vsMouseInWindow;
    if (pressing_)
        viewer = selected_;
    if (isPopup_ && wasInside && !pressing_ && !inside
        && (!openPopup_ || !viewer || !(viewer->Item()->ItemStyle() & HasSubmenu)))
        viewer = nullptr;
    Select(viewer, true);
    if (inside && client.Y < kScrollArrowHeight && showUpArrow_) {
        StopTimer(3);
        if (!TimerRunning(2))
            StartTimer(2, 100);
    } else if (inside && client.Y >= totalSize_.cy - kScrollArrowHeight && showDownArrow_) {
        StopTimer(2);
        if (!TimerRunning(3))
            StartTimer(3, 100);
    } else {
        StopTimer(2);
        StopTimer(3);
    }
}

// ---------------------------------------------------------------- scrolling

void TBarView::Scroll(bool down)
{
    bool found = false;
    int best = 0;
    for (const auto &v : viewers_) {
        if (!v->Clipped() || (v->Item()->ItemStyle() & Separator))
            continue;
        // Clipped records keep their shifted rectangles.
        const TRect &b = v->BoundsRect();
        if (down && b.Bottom > maxHeight_ - kScrollArrowHeight && (!found || b.Bottom < best)) {
            best = b.Bottom;
            found = true;
        } else if (!down && b.Top < kScrollArrowHeight && (!found || b.Top > best)) {
            best = b.Top;
            found = true;
        }
    }
    if (!found)
        return;
    scrollOffset_ += down ? best + kScrollArrowHeight - maxHeight_ : best - kScrollArrowHeight;
    layoutValid_ = false;
    UpdateLayout();
    if (window_)
        window_->Invalidate();
}

void TBarView::ScrollSelectedIntoView()
{
    if (!selected_ || !selected_->Clipped())
        return;
    const TRect &b = selected_->BoundsRect();
    if (b.Top <= kScrollArrowHeight - 1)
        scrollOffset_ -= kScrollArrowHeight - b.Top;
    else if (b.Bottom > maxHeight_ - kScrollArrowHeight)
        scrollOffset_ += b.Bottom - (maxHeight_ - kScrollArrowHeight);
    layoutValid_ = false;
    UpdateLayout();
    if (window_)
        window_->Invalidate();
}

void TBarView::MouseWheel(int delta, int, int)
{
    if (!showUpArrow_ && !showDownArrow_)
        return;
    // Lines outside 1..120 (a page-scroll setting, a broken value) would make the
    // step per line zero and never drain the accumulator.
    int lines = SystemParameters().WheelScrollLines;
    if (lines <= 0) {
        wheelAccumulator_ = 0;
        return;
    }
    lines = std::min(lines, 120);
    wheelAccumulator_ += delta;
    int n = std::abs(wheelAccumulator_) / 120 * lines;
    if (n <= 0)
        return;
    int step = 120 / lines;
    wheelAccumulator_ -= (delta < 0 ? -1 : 1) * n * step;
    bool down = delta < 0;
    if (!(down ? showDownArrow_ : showUpArrow_))
        return;
    CloseChildPopup();
    for (int i = 0; i < n && (down ? showDownArrow_ : showUpArrow_); ++i)
        Scroll(down);
}
