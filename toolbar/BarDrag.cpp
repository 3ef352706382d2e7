// The drag loop: a dockable window follows the pointer between docks and the
// floating state until the button is released.
#include "toolbar/BarDock.h"

#include "platform/kernel/DragOutline.h"
#include "platform/kernel/Forms.h"
#include "platform/services/SystemParameters.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace {

TRect ScreenRectOf(const TControl *control)
{
    TPoint p = control->ClientToScreen(TPoint{0, 0});
    return TRect{p.X, p.Y, p.X + control->Width(), p.Y + control->Height()};
}

TRect Inflated(const TRect &r, int d) { return TRect{r.Left - d, r.Top - d, r.Right + d, r.Bottom + d}; }

bool Intersect(const TRect &a, const TRect &b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

bool IsEmpty(const TRect &r) { return r.Right <= r.Left || r.Bottom <= r.Top; }

bool Contains(const TWinControl *outer, const TControl *inner)
{
    for (const TControl *c = inner; c; c = c->Parent())
        if (c == outer)
            return true;
    return false;
}

} // namespace

// One place the window may go: a dock or, with no dock, floating.
struct TBarDragTarget {
    TBarDock *Dock = nullptr;
    TRect ScreenRect;
    TSize Size;
    std::vector<std::pair<int, bool>> Rows; // thickness and full-size flag
};

struct TBarDragState {
    TBarDock *StartDock = nullptr;
    int StartRow = 0, StartPos = 0;
    TPoint Grab;
    TSize Reference;
    bool Smooth = true;
    bool CannotFloat = false;
    bool MaySlide = false;
    bool StartVertical = false;
    bool DockingAllowed = false;
    TPoint StartCursor, LastCursor;
    TBarDock *Target = nullptr;
    TRect DragRect;
    std::vector<TBarDragTarget> Targets; // [0] floating
};

std::vector<TBarDock *> TBarCustomDockableWindow::CollectCandidateDocks()
{
    std::vector<TBarDock *> docks;
    auto add = [&](TBarDock *dock) {
        if (dock->AllowsDrag() && CanDockTo(dock) && std::find(docks.begin(), docks.end(), dock) == docks.end())
            docks.push_back(dock);
    };
    if (dockMode_ == dmCannotFloatOrChangeDocks) {
        if (currentDock_)
            docks.push_back(currentDock_);
        return docks;
    }
    if (currentDock_)
        add(currentDock_);
    TWinControl *form = ParentForm();
    if (!form)
        return docks;
    // Only the containers on the way from the form to its docks are walked:
    // the form's other controls (thousands of rows) are never visited.
    const std::vector<TBarDock *> &all = TBarDock::AllDocks();
    std::vector<const TWinControl *> onTheWay;
    for (TBarDock *dock : all) {
        std::vector<const TWinControl *> path;
        TWinControl *c = dock->Parent();
        for (; c && c != form; c = c->Parent())
            path.push_back(c);
        if (c == form)
            onTheWay.insert(onTheWay.end(), path.begin(), path.end());
    }
    auto dockOf = [&](TControl *c) -> TBarDock * {
        auto it = std::find(all.begin(), all.end(), c);
        return it == all.end() ? nullptr : *it;
    };
    std::function<void(TWinControl *)> walk = [&](TWinControl *container) {
        if (container == this || Contains(this, container) || !container->Showing())
            return;
        for (TBarDockPosition position : {dpTop, dpBottom, dpLeft, dpRight})
            for (int i = 0; i < container->ControlCount(); ++i)
                if (TBarDock *dock = dockOf(container->Controls(i));
                    dock && dock->Position() == position && dock->Showing())
                    add(dock);
        for (int i = 0; i < container->ControlCount(); ++i) {
            TControl *child = container->Controls(i);
            if (std::find(onTheWay.begin(), onTheWay.end(), child) != onTheWay.end() && !dockOf(child))
                walk(static_cast<TWinControl *>(child));
        }
    };
    walk(form);
    return docks;
}

bool TBarCustomDockableWindow::DockingZoneHit(const TBarDragState &state, const TBarDragTarget &target,
                                              TPoint cursor) const
{
    TRect r = Inflated(target.ScreenRect, 3);
    int a = MulDiv(25, state.Grab.X, state.Reference.cx);
    int b = MulDiv(25, state.Grab.Y, state.Reference.cy);
    if (cursor.X < r.Left + a - 25 || cursor.X >= r.Right + a)
        return false;
    if (target.Dock->Vertical() && (cursor.Y < r.Top || cursor.Y >= r.Bottom))
        return false;
    if (cursor.Y < r.Top + b - 25 || cursor.Y >= r.Bottom + b)
        return false;
    return Intersect(DragRectFor(state, target, cursor), r);
}

TRect TBarCustomDockableWindow::DragRectFor(const TBarDragState &state, const TBarDragTarget &target,
                                            TPoint cursor) const
{
    int left = cursor.X - MulDiv(target.Size.cx - 1, state.Grab.X, state.Reference.cx);
    int top = cursor.Y - MulDiv(target.Size.cy - 1, state.Grab.Y, state.Reference.cy);
    return TRect{left, top, left + target.Size.cx, top + target.Size.cy};
}

void TBarCustomDockableWindow::ComputeDragTarget(TBarDragState &state, TPoint cursor, bool ctrlHeld)
{
    state.LastCursor = cursor;
    const TBarDragTarget *target = nullptr;
    if (SlidingInRow) {
        for (const TBarDragTarget &t : state.Targets)
            if (t.Dock && t.Dock == state.StartDock)
                target = &t;
    } else if (state.DockingAllowed && !ctrlHeld) {
        for (size_t i = 1; i < state.Targets.size() && !target; ++i) {
            const TBarDragTarget &t = state.Targets[i];
            if (!DockingZoneHit(state, t, cursor))
                continue;
            bool accept = true;
            if (t.Dock->OnRequestDock)
                t.Dock->OnRequestDock(t.Dock, this, accept);
            if (accept)
                target = &t;
        }
    }
    if (!target) {
        TRect work = MonitorRectOfPoint(cursor, true);
        cursor.X = std::clamp(cursor.X, work.Left, work.Right - 1);
        cursor.Y = std::clamp(cursor.Y, work.Top, work.Bottom - 1);
    }
    const TBarDragTarget &used = target ? *target : state.Targets[0];
    TRect rect = DragRectFor(state, used, cursor);
    if (!target) {
        TRect work = MonitorRectOfPoint(cursor, true);
        TPoint border = GetFloatingBorderSize();
        TRect area{work.Left + border.X + 4, work.Top + border.Y + 4, work.Right - border.X - 4,
                   work.Bottom - border.Y - 4};
        int dx = 0, dy = 0;
        if (rect.Bottom < area.Top)
            dy = area.Top - rect.Bottom;
        if (rect.Top + dy > area.Bottom)
            dy = area.Bottom - rect.Top;
        if (rect.Right < area.Left)
            dx = area.Left - rect.Right;
        if (rect.Left + dx > area.Right)
            dx = area.Right - rect.Left;
        rect = TRect{rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy};
        int topLimit = work.Top - (border.Y + (showCaption_ ? 16 : 0)) + 4;
        if (rect.Top < topLimit)
            rect = TRect{rect.Left, topLimit, rect.Right, topLimit + rect.Bottom - rect.Top};
    }
    state.Target = target ? target->Dock : nullptr;
    if (state.CannotFloat && !target) {
        state.DragRect = TRect{};
        DragCursor = crNoDrop;
    } else if (SlidingInRow) {
        DragCursor = state.StartVertical ? crSizeNS : crSizeWE;
        state.DragRect = rect;
    } else {
        DragCursor = crSizeAll;
        state.DragRect = rect;
    }
    Screen().SetCursor(DragCursor);
    if (state.Smooth) {
        if (!IsEmpty(state.DragRect))
            ApplyDragPosition(state);
        // The window may sit in another top-level window now: the pointer
        // stays with it there until the button is released.
        GrabPointer(this);
    } else {
        ShowOutline(state.DragRect, target ? 1 : GetFloatingBorderSize().X);
    }
}

void TBarCustomDockableWindow::ShowOutline(const TRect &rect, int thickness)
{
    if (!outline_) {
        if (IsEmpty(rect))
            return;
        outline_ = std::make_unique<TDragOutline>();
    }
    outline_->Show(rect, thickness);
}

TRect TBarCustomDockableWindow::OutlineRect() const
{
    return outline_ && outline_->Visible() ? outline_->Rect() : TRect{};
}

int TBarCustomDockableWindow::RowFromPosition(const TBarDragState &state, const TBarDragTarget &target, int centre,
                                              bool &newRow) const
{
    newRow = false;
    int start = 0;
    for (size_t i = 0; i < target.Rows.size(); ++i) {
        auto [thickness, rowFull] = target.Rows[i];
        if (thickness == 0)
            continue;
        int half = (rowFull || fullSize_) ? thickness / 2 : thickness / 4;
        if (centre < start + half) {
            newRow = true;
            return static_cast<int>(i);
        }
        if (!rowFull && centre < start + thickness - half)
            return static_cast<int>(i);
        start += thickness;
    }
    (void)state;
    return static_cast<int>(target.Rows.size());
}

void TBarCustomDockableWindow::ApplyDragPosition(TBarDragState &state)
{
    const TRect &rect = state.DragRect;
    if (!state.Target) {
        floatingPosition_ = TPoint{rect.Left, rect.Top};
        if (floating_ && floatingParent_)
            floatingParent_->SetBounds(rect.Left, rect.Top, floatingParent_->Width(), floatingParent_->Height());
        else
            SetFloating(true);
        MoveOnScreen(true);
        return;
    }
    TBarDock *dock = state.Target;
    const TBarDragTarget *target = nullptr;
    for (const TBarDragTarget &t : state.Targets)
        if (t.Dock == dock)
            target = &t;
    TPoint origin = dock->ClientToScreen(dock->ClientOrigin());
    TRect local{rect.Left - origin.X, rect.Top - origin.Y, rect.Right - origin.X, rect.Bottom - origin.Y};
    const bool vertical = dock->Vertical();
    int row = dockRow_;
    bool newRow = false;
    if (!SlidingInRow) {
        int centre = vertical ? (local.Left + local.Right) / 2 : (local.Top + local.Bottom) / 2;
        row = RowFromPosition(state, *target, centre, newRow);
        if (newRow)
            state.MaySlide = false;
    }
    if (state.MaySlide) {
        int moved = state.StartVertical ? std::abs(state.LastCursor.Y - state.StartCursor.Y)
                                        : std::abs(state.LastCursor.X - state.StartCursor.X);
        if (dock != state.StartDock || row != state.StartRow) {
            state.MaySlide = false;
        } else if (moved > 9) {
            state.MaySlide = false;
            SlidingInRow = true;
            DragCursor = state.StartVertical ? crSizeNS : crSizeWE;
            Screen().SetCursor(DragCursor);
        }
    }
    dockRow_ = row;
    dockPos_ = vertical ? local.Top : local.Left;
    if (!state.Smooth)
        dock->SetCommitPositions(true);
    StartsNewRow = newRow;
    if (Parent() != dock)
        SetParent(dock);
    else
        dock->ArrangeToolbars();
    StartsNewRow = false;
}

void TBarCustomDockableWindow::BeginMoving(int x, int y)
{
    TBarDragState state;
    state.StartDock = currentDock_;
    IsDragged = true;
    SlidingInRow = false;
    struct TEnd {
        TBarCustomDockableWindow *w;
        bool finished = false;
        ~TEnd() { Finish(); }
        void Finish()
        {
            if (finished)
                return;
            finished = true;
            w->IsDragged = false;
            w->SlidingInRow = false;
            w->smoothDragging_ = false;
            ReleasePointer();
            ReleaseCapture();
            w->ShowOutline(TRect{}, 0);
            Screen().SetCursor(crDefault);
        }
    } end{this};
    if (currentDock_) {
        ShrunkInRow = false;
        currentDock_->SetCommitPositions(true);
        currentDock_->ArrangeToolbars();
        state.StartVertical = currentDock_->Vertical();
        state.MaySlide = ShrunkInRow;
    }
    // The row and position a drag that ends undocked goes back to: those the
    // dock shows, committed just above as its other windows' are. The ones
    // asked for before may name a row the dock drops as empty, which next to
    // the committed neighbours would become a row of its own.
    state.StartRow = dockRow_;
    state.StartPos = dockPos_;
    state.Smooth = smoothDrag_;
    smoothDragging_ = state.Smooth;
    // The grab point relative to the outer rectangle (the frame's when floating).
    TControl *outer = floating_ && floatingParent_ ? static_cast<TControl *>(floatingParent_.get()) : this;
    TRect outerRect = ScreenRectOf(outer);
    TPoint grabScreen = ClientToScreen(TPoint{x, y});
    state.Grab = TPoint{grabScreen.X - outerRect.Left, grabScreen.Y - outerRect.Top};
    state.Reference = TSize{outerRect.Right - outerRect.Left - 1, outerRect.Bottom - outerRect.Top - 1};
    state.CannotFloat = dockMode_ != dmCanFloat;

    // Targets: floating first, then each candidate dock.
    TBarDragTarget floatingTarget;
    TSize fs = GetSizeForOrientation(false, tboFloating, nullptr, true);
    TPoint border = GetFloatingBorderSize();
    floatingTarget.Size = TSize{fs.cx + 2 * border.X, fs.cy + 2 * border.Y + (showCaption_ ? 16 : 0)};
    state.Targets.push_back(floatingTarget);
    for (TBarDock *dock : CollectCandidateDocks()) {
        dock->CommitEffectivePositions();
        TBarDragTarget t;
        t.Dock = dock;
        t.ScreenRect = ScreenRectOf(dock);
        if (dock == currentDock_) {
            t.Size = TSize{Width(), Height()};
        } else {
            TSize s = GetSizeForOrientation(false, TBarDock::OrientationOf(dock, false), dock, false);
            int handle = dock->AllowsDrag() ? DragHandleSize() : 0;
            t.Size = dock->Vertical() ? TSize{s.cx + 4, s.cy + 4 + handle} : TSize{s.cx + 4 + handle, s.cy + 4};
        }
        for (int row = 0; row <= dock->GetHighestRow(true); ++row) {
            bool full = false;
            int thickness = dock->GetRowSize(row, full);
            t.Rows.emplace_back(thickness, full);
        }
        state.Targets.push_back(std::move(t));
    }

    state.StartCursor = grabScreen;
    state.LastCursor = grabScreen;
    // A docked window stays in its dock on the first computation; a floating one stays floating.
    state.DockingAllowed = currentDock_ != nullptr;
    ComputeDragTarget(state, grabScreen, false);
    state.DockingAllowed = true;
    TWinControl *held = floating_ && floatingParent_ ? static_cast<TWinControl *>(floatingParent_.get()) : this;
    GrabPointer(held);

    bool done = false, accept = false, doubleClick = false;
    TScopedMessageHook hook([&](TMessageTarget *target, TMessage &m) {
        if (done)
            return false;
        switch (m.Msg) {
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (m.WParam == VK_ESCAPE && m.Msg == WM_KEYDOWN) {
                done = true;
            } else if (m.WParam == VK_CONTROL) {
                // The live state of Ctrl, never a toggle: a repeated key or a
                // change seen while another program had the keyboard cannot invert it.
                ComputeDragTarget(state, state.LastCursor, m.Msg == WM_KEYDOWN);
            }
            return true;
        case WM_CHAR:
            return true;
        case WM_MOUSEMOVE: {
            auto *control = dynamic_cast<TControl *>(target);
            TPoint p = control ? control->ClientToScreen(TPoint{LParamX(m.LParam), LParamY(m.LParam)})
                               : state.LastCursor;
            if (p.X != state.LastCursor.X || p.Y != state.LastCursor.Y)
                ComputeDragTarget(state, p, (m.WParam & MK_CONTROL) != 0);
            return true;
        }
        case WM_LBUTTONUP:
            done = true;
            accept = true;
            return true;
        case WM_LBUTTONDOWN:
            done = true;
            return true;
        case WM_LBUTTONDBLCLK:
            // The toolkit reports the second press of a double click as a
            // press (which started this loop) followed by the double click.
            doubleClick = state.LastCursor.X == state.StartCursor.X && state.LastCursor.Y == state.StartCursor.Y;
            done = true;
            return true;
        default:
            return IsRightOrMiddleButtonMessage(m.Msg);
        }
    });
    while (!done && !Destroying())
        WaitMessage();

    smoothDragging_ = false;
    if (accept && !state.Smooth && !IsEmpty(state.DragRect))
        ApplyDragPosition(state);
    // What the drop showed is kept: without this, a row opened by a smooth
    // drag would merge again at the dock's next arrangement.
    if (currentDock_)
        currentDock_->CommitEffectivePositions();
    if (useLastDock_ && currentDock_)
        SetLastDock(currentDock_);
    if (!currentDock_) {
        dockRow_ = state.StartRow;
        dockPos_ = state.StartPos;
    }
    if (doubleClick) {
        end.Finish();
        ToggleDocking();
    }
}
