// Views: viewers kept in step with the item tree, selection, priority and painting.
#include "toolbar/BarItem.h"

#include "platform/services/SystemParameters.h"
#include "platform/kernel/Timer.h"
#include "platform/kernel/WindowEffects.h"
#include "toolbar/BarCommon.h"
#include "toolbar/BarPopup.h"

#include <algorithm>

TPoint gMenuLastPos{-2147483647 - 1, 0};
TPoint gMessagePos{-2147483647 - 1, 0};

TFont &SharedMenuFont()
{
    static TFont font = [] {
        TFont f;
        f.SetName(SystemParameters().MenuFontName);
        f.SetSize(SystemParameters().MenuFontSize);
        return f;
    }();
    return font;
}

// The popup timers of a view: ids 0 open submenu, 1 close submenu, 2 scroll up, 3 scroll down.
TBarView::TBarView(TComponent *owner, TBarView *parentView, TBarCustomItem *parentItem, TWinControl *window,
                   bool isToolbar, bool customizing, bool priorityListKept)
    : TComponent(owner), customizing_(customizing), isPopup_(!isToolbar), isToolbar_(isToolbar),
      parentView_(parentView), parentItem_(parentItem), priorityListKept_(priorityListKept), window_(window),
      alive_(std::make_shared<TBarView *>(this))
{
    if (parentItem_) {
        parentItem_->RegisterNotification(ParentItemNotification, this);
        parentItem_->FreeNotification(this);
    }
    SetContainer(EffectiveItemContainer(parentItem_));
}

TBarView::~TBarView()
{
    *alive_ = nullptr;
    CloseChildPopup();
    DetachAccObject();
    if (parentView_ && parentView_->openViewerView_ == this) {
        parentView_->openViewerView_ = nullptr;
        parentView_->openPopup_ = nullptr;
        TBarItemViewer *open = parentView_->openViewer_;
        parentView_->openViewer_ = nullptr;
        if (parentView_->IsToolbar())
            parentView_->state_ |= vsDropDownClosed;
        if (open)
            parentView_->InvalidateViewer(open);
    }
    if (parentItem_) {
        parentItem_->UnregisterNotification(ParentItemNotification, this);
        parentItem_->RemoveFreeNotification(this);
    }
    if (container_) {
        container_->UnregisterNotification(ItemNotification, this);
        container_->RemoveFreeNotification(this);
    }
    StopAllTimers();
    priorityList_.clear();
    selected_ = nullptr;
    viewers_.clear();
    if (parentView_)
        parentView_->NotifyFocus();
}

void TBarView::SetContainer(TBarCustomItem *container)
{
    if (container == container_)
        return;
    CloseChildPopup();
    if (container_) {
        container_->UnregisterNotification(ItemNotification, this);
        if (container_ != parentItem_)
            container_->RemoveFreeNotification(this);
    }
    container_ = container;
    if (container_) {
        container_->RegisterNotification(ItemNotification, this);
        container_->FreeNotification(this);
    }
    RecreateAllViewers();
    InitiateActions();
}

void TBarView::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == parentItem_ || component == container_) {
        if (container_)
            container_->UnregisterNotification(ItemNotification, this);
        if (parentItem_ && component == parentItem_)
            parentItem_->UnregisterNotification(ParentItemNotification, this);
        if (component == parentItem_)
            parentItem_ = nullptr;
        container_ = nullptr;
        RecreateAllViewers();
    }
    if (component == openPopup_) {
        openPopup_ = nullptr;
        openViewerView_ = nullptr;
        openViewer_ = nullptr;
    }
    if (component == chevronParentView_)
        chevronParentView_ = nullptr;
}

int TBarView::IndexOfViewer(const TBarItemViewer *viewer) const
{
    for (size_t i = 0; i < viewers_.size(); ++i)
        if (viewers_[i].get() == viewer)
            return static_cast<int>(i);
    return -1;
}

TBarItemViewer *TBarView::Find(const TBarCustomItem *item) const
{
    for (const auto &v : viewers_)
        if (v->Item() == item)
            return v.get();
    return nullptr;
}

void TBarView::ClearAllViewers()
{
    CloseChildPopup();
    Select(nullptr, false);
    InvalidateLayout();
    priorityList_.clear();
    viewers_.clear();
    headCount_ = tailCount_ = 0;
}

int TBarView::InsertItemViewers(int index, TBarCustomItem *item, int groupDepth, bool rebuilding)
{
    if (groupDepth > 10)
        return 0;
    std::unique_ptr<TBarItemViewer> viewer = item->CreateViewer(this, groupDepth);
    TBarItemViewer *raw = viewer.get();
    viewers_.insert(viewers_.begin() + index, std::move(viewer));
    if (priorityListKept_) {
        // An item added while the program runs is the most wanted; items that
        // make up the window (or are shown anew) keep their order, so the
        // last ones hide first.
        if (newItemsHighest_ && !rebuilding && !ItemsLoading())
            priorityList_.insert(priorityList_.begin(), raw);
        else
            priorityList_.push_back(raw);
    }
    int created = 1;
    if (!customizing_ && (item->ItemStyle() & InlineGroup)) {
        TBarCustomItem *inner = EffectiveItemContainer(item);
        for (int i = 0; i < inner->Count(); ++i)
            created += InsertItemViewers(index + created, inner->GetItem(i), groupDepth + 1, rebuilding);
    }
    return created;
}

void TBarView::RecreateAllViewers()
{
    ClearAllViewers();
    if (container_)
        for (int i = 0; i < container_->Count(); ++i)
            InsertItemViewers(ViewerCount(), container_->GetItem(i), 0, true);
    if (TBarCustomItem *chevron = GetChevronItem()) {
        viewers_.push_back(chevron->CreateViewer(this, 0));
        ++tailCount_;
    }
}

void TBarView::RemoveViewer(int index)
{
    TBarItemViewer *viewer = Viewers(index);
    if (viewer == selected_)
        selected_ = nullptr;
    if (viewer == openViewer_)
        CloseChildPopup();
    priorityList_.erase(std::remove(priorityList_.begin(), priorityList_.end(), viewer), priorityList_.end());
    viewers_.erase(viewers_.begin() + index);
}

void TBarView::ItemNotification(TBarView *view, TBarCustomItem *item, bool relayed, TBarItemChangedAction action,
                                int index, TBarCustomItem *child)
{
    (void)index;
    switch (action) {
    case ItemInserted: {
        view->InvalidateLayout();
        int first = 0, last = view->ViewerCount() - view->tailCount_;
        int depth = 0;
        if (relayed) {
            // The run after the inline group's viewer that does not yet show the child.
            first = last;
            for (int i = 0; i < view->ViewerCount() - view->tailCount_; ++i) {
                TBarItemViewer *v = view->Viewers(i);
                if (v->Item() != item)
                    continue;
                int end = i + 1;
                bool shows = false;
                while (end < view->ViewerCount() - view->tailCount_ && view->Viewers(end)->GroupDepth() > v->GroupDepth()) {
                    if (view->Viewers(end)->Item() == child)
                        shows = true;
                    ++end;
                }
                if (!shows) {
                    first = i + 1;
                    last = end;
                    depth = v->GroupDepth() + 1;
                    break;
                }
            }
            if (first > last)
                break;
        }
        TBarCustomItem *owner = child->Parent();
        int childIndex = owner ? owner->IndexOf(child) : -1;
        TBarCustomItem *next = owner && childIndex + 1 < owner->Count() ? owner->GetItem(childIndex + 1) : nullptr;
        int pos = last;
        for (int i = first; next && i < last; ++i)
            if (view->Viewers(i)->Item() == next && view->Viewers(i)->GroupDepth() == depth) {
                pos = i;
                break;
            }
        view->InsertItemViewers(pos, child, depth, false);
        break;
    }
    case ItemDeleting: {
        view->InvalidateLayout();
        for (int i = view->ViewerCount() - 1; i >= 0; --i) {
            if (i >= view->ViewerCount() || view->Viewers(i)->Item() != child)
                continue;
            int depth = view->Viewers(i)->GroupDepth();
            int end = i + 1;
            while (end < view->ViewerCount() && view->Viewers(end)->GroupDepth() > depth)
                ++end;
            for (int k = end - 1; k >= i; --k)
                view->RemoveViewer(k);
        }
        break;
    }
    case SubitemsChanged:
        if (relayed)
            view->RecreateAllViewers();
        break;
    case SubitemsBeginUpdate:
        view->BeginUpdate();
        break;
    case SubitemsEndUpdate:
        view->EndUpdate();
        break;
    case ItemInvalidate:
        for (const auto &v : view->viewers_)
            if (v->Item() == child)
                view->InvalidateViewer(v.get());
        break;
    case ItemInvalidateAndResize:
        view->InvalidateLayout();
        break;
    case RecreateItemViewers:
        view->InvalidateLayout();
        for (auto &v : view->viewers_)
            if (v->Item() == child) {
                TBarItemViewer *old = v.get();
                auto fresh = child->CreateViewer(view, old->GroupDepth());
                std::replace(view->priorityList_.begin(), view->priorityList_.end(), old, fresh.get());
                if (view->selected_ == old)
                    view->selected_ = nullptr;
                v = std::move(fresh);
            }
        break;
    case SubmenuImagesChanged:
        for (TBarView *v = view; v; v = v->openViewerView_)
            v->InvalidateLayout();
        break;
    default:
        return;
    }
    if (view->updateCounter_ == 0)
        view->EnsureLayout();
}

void TBarView::ParentItemNotification(TBarView *view, TBarCustomItem *, bool, TBarItemChangedAction action, int,
                                      TBarCustomItem *)
{
    if (action == SubitemsChanged)
        view->SetContainer(EffectiveItemContainer(view->parentItem_));
    else if (action == SubmenuImagesChanged && view->parentItem_ != view->container_)
        for (TBarView *v = view; v; v = v->openViewerView_)
            v->InvalidateLayout();
}

void TBarView::SetOrientation(TBarViewOrientation o)
{
    if (o == orientation_)
        return;
    orientation_ = o;
    InvalidateLayout();
}

void TBarView::SetMaxLength(int length)
{
    if (length == maxLength_)
        return;
    maxLength_ = length;
    InvalidateLayout();
}

void TBarView::SetWrapLength(int length)
{
    if (length == wrapLength_)
        return;
    wrapLength_ = length;
    InvalidateLayout();
}

void TBarView::SetMaximumHeight(int height)
{
    if (height == maxHeight_)
        return;
    maxHeight_ = height;
    InvalidateLayout();
}

TRect TBarView::GetViewMargins(TBarViewOrientation orientation) const
{
    return orientation == tbvoFloating ? TRect{4, 2, 4, 1} : TRect{};
}

TFont &TBarView::GetFont() { return SharedMenuFont(); }

void TBarView::InvalidateLayout()
{
    if (!layoutValid_)
        return;
    layoutValid_ = false;
    if (window_)
        window_->Invalidate();
}

void TBarView::EndUpdate()
{
    if (--updateCounter_ == 0)
        EnsureLayout();
}

void TBarView::EnsureLayout()
{
    if (!layoutValid_)
        UpdateLayout();
}

TSize TBarView::UpdateLayout()
{
    TSize size;
    LayoutAndApply(size);
    return size;
}

void TBarView::LayoutAndApply(TSize &size)
{
    int lines = 0;
    TSize base;
    bool moved = ComputeLayout(true, orientation_, lines, size, base, chevronSize_, maxLength_, wrapLength_);
    lineCount_ = lines;
    baseSize_ = base;
    totalSize_ = size;
    layoutValid_ = true;
    ApplySize(size.cx, size.cy);
    if (moved && window_)
        window_->Invalidate();
}

void TBarView::InvalidateWindowRect(const TRect &rect)
{
    if (window_ && window_->HandleAllocated())
        window_->InvalidateRect(rect);
}

TPoint TBarView::ClientToScreen(TPoint p) const { return window_ ? window_->ClientToScreen(p) : p; }
TPoint TBarView::ScreenToClient(TPoint p) const { return window_ ? window_->ScreenToClient(p) : p; }
bool TBarView::WindowShowing() const { return window_ && window_->Showing(); }

bool TBarView::WindowAt(TPoint screen) const
{
    return WindowShowing() && WindowIsUnderPoint(*window_, screen);
}

void TBarView::InvalidateViewer(TBarItemViewer *viewer)
{
    if (!layoutValid_ || !viewer || !viewer->show_ || viewer->bounds_.IsEmpty())
        return;
    viewer->SetDirty(true);
    InvalidateWindowRect(viewer->bounds_);
}

TBarItemViewer *TBarView::ViewerFromPoint(TPoint p)
{
    EnsureLayout();
    for (const auto &v : viewers_)
        if (v->show_ && PtInRect(v->bounds_, p))
            return v.get();
    return nullptr;
}

void TBarView::DrawAll(TCanvas &canvas)
{
    EnsureLayout();
    auto drawOne = [&](TBarItemViewer *v) {
        if (!v->show_ || v->bounds_.IsEmpty() || dynamic_cast<TBarControlItem *>(v->Item()))
            return;
        v->SetDirty(false);
        canvas.SaveDC();
        canvas.IntersectClipRect(v->bounds_);
        TPoint org = canvas.WindowOrg();
        canvas.SetWindowOrg(org.X - v->bounds_.Left, org.Y - v->bounds_.Top);
        bool selected = v == selected_;
        bool toolbarStyled = v->UsesToolbarStyle();
        canvas.Font().Assign(GetFont());
        if (selected && !toolbarStyled) {
            canvas.Brush().SetStyle(bsSolid);
            canvas.Brush().SetColor(FlatMenusEnabled() ? clMenuHighlight : clHighlight);
        } else
            canvas.Brush().SetStyle(bsClear);
        bool enabled = v->Item()->Enabled() || customizing_;
        bool embossed = false;
        if (enabled)
            canvas.Font().SetColor(selected && !toolbarStyled ? clHighlightText : toolbarStyled ? clBtnText : clMenuText);
        else {
            canvas.Font().SetColor(clGrayText);
            embossed = toolbarStyled || (!selected && ColorToRGB(clMenu) == ColorToRGB(clBtnFace));
        }
        bool pushed = selected && (v == openViewer_ || (mouseOverSelected_ && pressing_));
        TRect r{0, 0, v->bounds_.Width(), v->bounds_.Height()};
        v->Paint(canvas, r, embossed, pushed, selected);
        canvas.RestoreDC(-1);
    };
    for (const auto &v : viewers_)
        if (v.get() != selected_ || (state_ & vsDrawInOrder))
            drawOne(v.get());
    if (selected_ && !(state_ & vsDrawInOrder))
        drawOne(selected_);
    state_ &= ~vsDrawInOrder;
}

// ---------------------------------------------------------------- selection

void TBarView::Select(TBarItemViewer *viewer, bool byMouse)
{
    TBarItemViewer *old = selected_;
    if (viewer != old) {
        if (viewer && parentView_ && parentView_->openViewer_ != parentView_->selected_) {
            parentView_->Select(parentView_->openViewer_, false);
            parentView_->StopTimer(1);
            parentView_->StopTimer(0);
        }
        if (state_ & vsModal) {
            if (isToolbar_ || !byMouse) {
                StopTimer(1);
                if (openViewer_ && openViewer_ != viewer)
                    CloseChildPopup();
            } else if (openPopup_ && !TimerRunning(1))
                StartTimer(1, GetMenuShowDelay());
        }
        if (pressing_)
            EndMousePress();
        if (old)
            old->SelectionLeft();
        selected_ = viewer;
        selectedByMouse_ = byMouse;
    }
    bool over = false;
    if (viewer && WindowShowing()) {
        TPoint screen = gMessagePos.X == -2147483647 - 1 ? CursorPos() : gMessagePos;
        if (WindowAt(screen)) {
            TPoint p = ScreenToClient(screen);
            over = ViewerFromPoint(p) == viewer
                && (!pressing_ || viewer->IsPtInButtonPart(p.X - viewer->bounds_.Left, p.Y - viewer->bounds_.Top));
        }
    }
    if (viewer == old) {
        if (over != mouseOverSelected_) {
            mouseOverSelected_ = over;
            if (pressing_ && viewer && (viewer->Item()->ItemStyle() & RedrawOnHoverChange))
                InvalidateViewer(viewer);
        }
        return;
    }
    mouseOverSelected_ = over;
    if (old && (old->Item()->ItemStyle() & RedrawOnSelChange))
        InvalidateViewer(old);
    if (viewer && (viewer->Item()->ItemStyle() & RedrawOnSelChange))
        InvalidateViewer(viewer);
    if (viewer)
        viewer->SelectionEntered();
    NotifyFocus();
    if (!(state_ & vsModal) || !viewer)
        return;
    if (isPopup_) {
        StopTimer(0);
        if (byMouse && (viewer->Item()->ItemStyle() & HasSubmenu))
            StartTimer(0, GetMenuShowDelay());
    }
    if (isToolbar_ && (state_ & vsKeepOpen)) {
        if (byMouse || !(viewer->Item()->ItemStyle() & NoOpenOnKeySelect))
            SubmenuTimerElapsed(!byMouse);
    } else if (isToolbar_ && parentView_ && byMouse)
        state_ |= vsKeepOpen;
}

void TBarView::EndMousePress()
{
    if (!pressing_)
        return;
    pressing_ = false;
    gMenuLastPos.X = -2147483647 - 1;
    InvalidateViewer(selected_);
}

void TBarView::GivePriority(TBarItemViewer *viewer)
{
    if (chevronParentView_) {
        int index = IndexOfViewer(viewer) + chevronParentView_->headCount_;
        if (index >= 0 && index < chevronParentView_->ViewerCount())
            chevronParentView_->GivePriority(chevronParentView_->Viewers(index));
        return;
    }
    auto it = std::find(priorityList_.begin(), priorityList_.end(), viewer);
    if (it != priorityList_.end()) {
        priorityList_.erase(it);
        priorityList_.insert(priorityList_.begin(), viewer);
        if (!layoutValid_ || viewer->offEdge_) {
            layoutValid_ = false;
            UpdateLayout();
        }
    }
    if (parentView_ && parentView_->openViewer_)
        parentView_->GivePriority(parentView_->openViewer_);
}

void TBarView::SetChevronMoveItems(bool flag)
{
    priorityListKept_ = flag;
    RecreateAllViewers();
}

void TBarView::GetTabOrderControls(std::vector<TWinControl *> &list)
{
    EnsureLayout();
    for (const auto &viewer : viewers_)
        if (auto *item = dynamic_cast<TBarControlItem *>(viewer->Item()); item && viewer->OffEdge())
            if (auto *control = dynamic_cast<TWinControl *>(item->Control()))
                list.push_back(control);
}

TBarItemViewer *TBarView::FirstViewerByPriority() const
{
    auto good = [](const TBarItemViewer *v) { return v->show_ && !(v->Item()->ItemStyle() & Separator); };
    if (priorityListKept_) {
        for (TBarItemViewer *v : priorityList_)
            if (good(v))
                return v;
        return nullptr;
    }
    for (const auto &v : viewers_)
        if (good(v.get()))
            return v.get();
    return nullptr;
}

namespace {
bool IsSelectableViewer(const TBarItemViewer *v)
{
    return (v->Show() || v->Clipped()) && v->Item()->Visible() && (v->Item()->ItemStyle() & Selectable);
}
} // namespace

TBarItemViewer *TBarView::NextSelectable(TBarItemViewer *viewer, bool forward) const
{
    int n = ViewerCount();
    if (n == 0)
        return nullptr;
    int start = viewer ? IndexOfViewer(viewer) : (forward ? -1 : n);
    int i = start;
    for (int step = 0; step < n; ++step) {
        i = forward ? (i + 1) % n : (i - 1 + n) % n;
        if (IsSelectableViewer(Viewers(i)))
            return Viewers(i);
    }
    return nullptr;
}

TBarItemViewer *TBarView::FirstKeyboardViewer() const
{
    TBarItemViewer *fallback = nullptr;
    for (const auto &v : viewers_)
        if (IsSelectableViewer(v.get())) {
            if (!(v->Item()->ItemStyle() & NotKeyboardSelectable))
                return v.get();
            if (!fallback)
                fallback = v.get();
        }
    return fallback;
}

TBarItemViewer *TBarView::NextViewerByAccel(TBarItemViewer *viewer, char32_t ch, bool &unique, bool explicitOnly) const
{
    unique = false;
    int n = ViewerCount();
    if (n == 0)
        return nullptr;
    auto matches = [&](const TBarItemViewer *v, int pass) {
        if (!IsSelectableViewer(v) || !v->CaptionShown())
            return false;
        bool enabled = v->Item()->Enabled();
        if ((pass % 2 == 0) != enabled)
            return false;
        std::string caption = v->GetCaptionText();
        char32_t accel = FindAccelChar(caption);
        if (pass < 2)
            return accel != 0 && SameCharIgnoringCase(accel, ch);
        return accel == 0 && ch != U' ' && SameCharIgnoringCase(FirstChar(caption), ch);
    };
    int start = viewer ? IndexOfViewer(viewer) : -1;
    for (int pass = 0; pass < (explicitOnly ? 2 : 4); ++pass) {
        for (int step = 1; step <= n; ++step) {
            int i = ((start + step) % n + n) % n;
            if (!matches(Viewers(i), pass))
                continue;
            if (pass % 2 == 1)
                unique = true;
            else {
                unique = true;
                for (int k = 1; k < n; ++k) {
                    int j = (i + k) % n;
                    if (matches(Viewers(j), pass)) {
                        unique = false;
                        break;
                    }
                }
            }
            return Viewers(i);
        }
    }
    return nullptr;
}

void TBarView::SetAccelsVisible(bool show)
{
    if ((style_ & vsUseHiddenAccels) && !show)
        show = ShowAccelUnderlines();
    bool now = (state_ & vsShowAccels) != 0;
    if (show == now)
        return;
    state_ = show ? (state_ | vsShowAccels) : (state_ & ~vsShowAccels);
    for (const auto &v : viewers_)
        if (FindAccelChar(v->GetCaptionText()) != 0)
            InvalidateViewer(v.get());
}

void TBarView::InitiateActions()
{
    for (const auto &v : viewers_)
        v->Item()->InitiateAction();
}

bool TBarView::IsAncestorOf(const TBarView *view) const
{
    for (; view; view = view->parentView_)
        if (view == this)
            return true;
    return false;
}

TBarView *TBarView::GetRootView()
{
    TBarView *v = this;
    while (v->parentView_)
        v = v->parentView_;
    return v;
}

TBarView *TBarView::GetToolbarView()
{
    for (TBarView *v = this; v; v = v->parentView_)
        if (v->isToolbar_)
            return v;
    return nullptr;
}

// ---------------------------------------------------------------- timers

void TBarView::StartTimer(int id, int ms)
{
    StopTimer(id);
    if (!isPopup_ || !window_)
        return;
    // Timers of the popup window, whose WM_TIMER the menu loop (or the
    // window) hands back to TimerElapsed.
    if (SetTimer(window_, kPopupTimerBase + static_cast<unsigned>(id), ms))
        timers_ |= 1u << id;
}

void TBarView::StopTimer(int id)
{
    if (!(timers_ & (1u << id)))
        return;
    KillTimer(window_, kPopupTimerBase + static_cast<unsigned>(id));
    timers_ &= ~(1u << id);
}

void TBarView::StopAllTimers()
{
    for (int id = 0; id < 4; ++id)
        StopTimer(id);
}

void TBarView::TimerElapsed(int id)
{
    switch (id) {
    case 0:
    case 1:
        SubmenuTimerElapsed(false);
        break;
    case 2:
        if (showUpArrow_)
            Scroll(false);
        else
            StopTimer(2);
        break;
    case 3:
        if (showDownArrow_)
            Scroll(true);
        else
            StopTimer(3);
        break;
    default:
        break;
    }
}

void TBarView::SetOpenPopup(TBarPopupWindow *window, TBarView *view, TBarItemViewer *viewer)
{
    openPopup_ = window;
    openViewerView_ = view;
    openViewer_ = viewer;
    if (window)
        window->FreeNotification(this);
}

bool TBarView::ViewerHintInfo(TBarItemViewer *viewer, THintInfo &info) const
{
    if (!viewer || !info.HintControl)
        return false;
    std::string text = viewer->GetViewerHint();
    if (text.empty())
        return false;
    TRect b = viewer->BoundsRect();
    TPoint topLeft = info.HintControl->ScreenToClient(ClientToScreen(TPoint{b.Left, b.Top}));
    info.CursorRect = TRect{topLeft.X, topLeft.Y, topLeft.X + b.Width(), topLeft.Y + b.Height()};
    info.HintStr = text;
    return true;
}
