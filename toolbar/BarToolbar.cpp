// The toolbar: its view, its size in each placement and the chevron.
#include "toolbar/BarToolbar.h"

#include "platform/graphics/Graphics.h"
#include "platform/services/SystemParameters.h"
#include "toolbar/BarAcc.h"

#include <algorithm>

// The state of one floating resize.
struct TBarFloatingResize {
    int Edge = 0;
    TRect StartFrame;
    int ClientLeft = 0;
    int StartWrapWidth = 0;
    bool Moved = false;
    bool Growing = false;
    struct TEntry {
        TSize Frame;
        int WrapWidth;
    };
    std::vector<TEntry> Sizes; // by the sizing dimension, largest first
    int Snap = 12;
    int ChosenWrapWidth = 0;
};

namespace {

constexpr int kChevronSize = 12;

class TBarChevronItemViewer : public TBarItemViewer {
public:
    using TBarItemViewer::TBarItemViewer;
    void Paint(TCanvas &canvas, const TRect &clientRect, bool, bool pushed, bool selected) override
    {
        bool enabled = Item()->Enabled();
        if (enabled && (pushed || selected)) {
            TRect edge = clientRect;
            canvas.DrawEdge(edge, pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        }
        const bool vertical = View()->Orientation() == tbvoVertical;
        static constexpr std::uint8_t kHorizontal[8] = {0xCC, 0x66, 0x33, 0x66, 0xCC, 0, 0, 0};
        static constexpr std::uint8_t kVertical[8] = {0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20};
        const std::uint8_t *rows = vertical ? kVertical : kHorizontal;
        TPoint at = vertical ? TPoint{clientRect.Right - 9, clientRect.Top + 2}
                             : TPoint{clientRect.Left + 2, clientRect.Top + 4};
        if (pushed)
            at = TPoint{at.X + 1, at.Y + 1};
        auto glyph = [&](TPoint origin, TColor color) {
            canvas.Brush().SetStyle(bsSolid);
            canvas.Brush().SetColor(color);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    if (rows[y] & (0x80u >> x))
                        canvas.FillRect(TRect{origin.X + x, origin.Y + y, origin.X + x + 1, origin.Y + y + 1});
        };
        if (enabled) {
            glyph(at, clBtnText);
        } else {
            glyph(TPoint{at.X + 1, at.Y + 1}, clBtnHighlight);
            glyph(at, clBtnShadow);
        }
    }
};

} // namespace

TBarViewOrientation ViewOrientationOf(const TBarDock *dock, bool floating)
{
    if (floating)
        return tbvoFloating;
    if (dock && dock->Vertical())
        return tbvoVertical;
    return tbvoHorizontal;
}

// ---------------------------------------------------------------- chevron item

TBarChevronItem::TBarChevronItem(TBarCustomToolbar *toolbar) : TBarCustomItem(toolbar), toolbar_(toolbar)
{
    SetItemStyle(ItemStyle() | HasSubmenu | NoOpenOnKeySelect);
    SetHint("More Buttons|");
    SetCaption("More Buttons");
}

TBarView *TBarChevronItem::GetChevronParentView() { return &toolbar_->View(); }

std::unique_ptr<TBarItemViewer> TBarChevronItem::CreateViewer(TBarView *view, int groupDepth)
{
    return std::make_unique<TBarChevronItemViewer>(view, this, groupDepth);
}

// ---------------------------------------------------------------- view

TBarToolbarView::TBarToolbarView(TBarCustomToolbar *toolbar, TBarCustomItem *root, bool priorityListKept)
    : TBarView(nullptr, nullptr, root, toolbar, true, false, priorityListKept), toolbar_(toolbar)
{
}

void TBarToolbarView::ApplySize(int width, int height)
{
    toolbar_->SetBaseSize(BaseSize());
    if (toolbar_->AutoResize() || toolbar_->Docked() || toolbar_->Floating())
        toolbar_->ChangeSize(width, height);
}

// The toolbar's shrunk length is the dock's to set: resetting it here would
// make the dock think nothing changed when the room grows again, and the view
// would keep hiding items.
// The view is at least as thick as the row's other windows, so that its
// buttons are centred across the row.
void TBarToolbarView::LayoutAndApply(TSize &size)
{
    ++toolbar_->InLayout;
    struct TLeave {
        TBarCustomToolbar *t;
        ~TLeave() { --t->InLayout; }
    } leave{toolbar_};
    const int across = toolbar_->GetRowCrossMinimum();
    const bool vertical = toolbar_->CurrentDock() && toolbar_->CurrentDock()->Vertical();
    (vertical ? size.cx : size.cy) = across;
    if (toolbar_->FullSize())
        (vertical ? size.cy : size.cx) = std::max(vertical ? size.cy : size.cx, WrapLength());
    layoutCrossMinimum_ = across;
    TBarView::LayoutAndApply(size);
    toolbar_->UpdateTabOrder();
}

bool TBarToolbarView::RowCrossMinimumChanged() const
{
    return LayoutValid() && toolbar_->GetRowCrossMinimum() != layoutCrossMinimum_;
}

TBarCustomItem *TBarToolbarView::GetChevronItem() { return toolbar_->ChevronItem(); }

bool TBarToolbarView::ItemsLoading() const { return toolbar_->Loading(); }

TPoint TBarToolbarView::ClientToScreen(TPoint p) const
{
    TPoint origin = toolbar_->ClientOrigin();
    return toolbar_->ClientToScreen(TPoint{p.X + origin.X, p.Y + origin.Y});
}

TPoint TBarToolbarView::ScreenToClient(TPoint p) const
{
    TPoint origin = toolbar_->ClientOrigin();
    TPoint q = toolbar_->ScreenToClient(p);
    return TPoint{q.X - origin.X, q.Y - origin.Y};
}

void TBarToolbarView::InvalidateWindowRect(const TRect &rect)
{
    TPoint origin = toolbar_->ClientOrigin();
    TBarView::InvalidateWindowRect(
        TRect{rect.Left + origin.X, rect.Top + origin.Y, rect.Right + origin.X, rect.Bottom + origin.Y});
}

TPoint TBarToolbarView::ControlOrigin() const { return toolbar_->ClientOrigin(); }

// ---------------------------------------------------------------- toolbar

TBarCustomToolbar::TBarCustomToolbar(TComponent *owner) : TBarCustomDockableWindow(owner)
{
    // A floating toolbar sizes only by its wrap steps: no corner sizing.
    SizingOptions = 0;
    items_ = new TBarRootItem(this);
    chevron_ = new TBarChevronItem(this);
    chevron_->SetLinkSubitems(items_);
    view_ = std::make_unique<TBarToolbarView>(this, items_, true);
    view_->RecreateAllViewers(); // the view's own construction could not see the chevron
    SetBounds(0, 0, 23, 22);
}

void TBarCustomToolbar::SetChevronMoveItems(bool move)
{
    if (move == chevronMoveItems_)
        return;
    chevronMoveItems_ = move;
    view_->SetChevronMoveItems(move);
}

void TBarCustomToolbar::ReplaceViewAndChevron(std::unique_ptr<TBarToolbarView> view, TBarChevronItem *chevron)
{
    view_.reset();
    delete chevron_;
    chevron_ = chevron;
    chevron_->SetLinkSubitems(items_);
    view_ = std::move(view);
    view_->RecreateAllViewers();
}

TBarCustomToolbar::~TBarCustomToolbar()
{
    menuBar_ = false;
    // The hosted controls go with their items below; nothing more is hosted.
    destroying_ = true;
    SetProcessShortCuts(false);
    view_.reset();
    delete chevron_;
    delete items_;
}

void TBarCustomToolbar::SetShrinkMode(TBarShrinkMode mode)
{
    if (mode == shrinkMode_)
        return;
    shrinkMode_ = mode;
    if (CurrentDock())
        CurrentDock()->ArrangeToolbars();
    else
        Arrange();
}

void TBarCustomToolbar::SetFloatingWrapWidth(int width)
{
    if (width == floatingWrapWidth_)
        return;
    floatingWrapWidth_ = width;
    if (Floating()) {
        UpdateViewLimits();
        Arrange();
    }
}

int TBarCustomToolbar::GetWrapLength(const TBarDock *dock) const
{
    if (!dock)
        return floatingWrapWidth_;
    if (shrinkMode_ != brsmWrap)
        return 0;
    TPoint nc = GetNCSize();
    return dock->Vertical() ? dock->Height() - dock->NonClientHeight() - nc.Y
                            : dock->Width() - dock->NonClientWidth() - nc.X;
}

int TBarCustomToolbar::GetChevronLength(const TBarDock *dock, TBarViewOrientation orientation) const
{
    if (shrinkMode_ != brsmChevron || !dock || dock != CurrentDock())
        return 0;
    TPoint nc = GetNCSize();
    return std::max(0, ShrunkLength - (orientation == tbvoVertical ? nc.Y : nc.X));
}

void TBarCustomToolbar::UpdateViewLimits()
{
    TBarViewOrientation orientation = ViewOrientationOf(CurrentDock(), Floating());
    view_->SetOrientation(orientation);
    view_->SetChevronSize(kChevronSize);
    if (Docked() || Floating()) {
        view_->SetMaxLength(GetChevronLength(CurrentDock(), orientation));
        view_->SetWrapLength(GetWrapLength(CurrentDock()));
        return;
    }
    view_->SetMaxLength(0);
    view_->SetWrapLength(0);
    if (!AutoResize()) {
        int room = Width() - GetNCSize().X;
        if (shrinkMode_ == brsmChevron)
            view_->SetMaxLength(room);
        else if (shrinkMode_ == brsmWrap)
            view_->SetWrapLength(room);
    }
}

TSize TBarCustomToolbar::GetSizeForOrientation(bool current, TBarOrientation, TBarDock *dock, bool floating)
{
    if (current) {
        UpdateViewLimits();
        TSize size = view_->UpdateLayout();
        lineCount_ = view_->LineCount();
        return size;
    }
    TBarViewOrientation orientation = ViewOrientationOf(dock, floating);
    TSize total, base;
    view_->ComputeLayout(false, orientation, lineCount_, total, base, kChevronSize,
                         GetChevronLength(dock, orientation), GetWrapLength(dock));
    return total;
}

TSize TBarCustomToolbar::GetBaseSize()
{
    view_->EnsureLayout();
    return baseSize_;
}

void TBarCustomToolbar::GetMinDockedLength(int &length)
{
    view_->EnsureLayout();
    const bool vertical = CurrentDock() && CurrentDock()->Vertical();
    int first = 0;
    if (TBarItemViewer *viewer = view_->FirstViewerByPriority()) {
        TRect r = viewer->BoundsRect();
        first = vertical ? r.Bottom - r.Top : r.Right - r.Left;
    }
    TPoint nc = GetNCSize();
    length = first + (vertical ? nc.Y : nc.X) + kChevronSize;
}

int TBarCustomToolbar::GetRowCrossMinimum() const
{
    return CurrentDock() ? CurrentDock()->GetRowMaxSize(EffectiveRow, this) : 0;
}

bool TBarCustomToolbar::NeedsRowRelayout() const { return view_->RowCrossMinimumChanged(); }

void TBarCustomToolbar::WritePositionData(const TPositionIntegerWriter &writeInteger, const TPositionStringWriter &)
{
    writeInteger(Name(), "FloatRightX", floatingWrapWidth_);
}

void TBarCustomToolbar::PaintClient(TCanvas &canvas)
{
    view_->DrawAll(canvas);
}

bool TBarCustomToolbar::HitTestContent(TPoint clientPoint) const
{
    if (TBarCustomDockableWindow::HitTestContent(clientPoint))
        return true;
    TBarItemViewer *viewer = view_->ViewerFromPoint(clientPoint);
    return viewer && !(viewer->Item()->ItemStyle() & NotClickable);
}

void TBarCustomToolbar::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TWinControl *parent = Parent();
    TBarCustomDockableWindow::MouseDown(button, shift, x, y);
    if (button != mbLeft || Parent() != parent)
        return;
    TPoint origin = ClientOrigin();
    TBarItemViewer *viewer = view_->ViewerFromPoint(TPoint{x - origin.X, y - origin.Y});
    if (!viewer || (viewer->Item()->ItemStyle() & NotClickable))
        return;
    view_->Select(viewer, true);
    // A floating toolbar's form becomes active once the menus are done (an
    // activation while they run would end them). The command may free us.
    TMessageTargetRef self(this);
    view_->EnterModalLoop(1);
    if (self)
        ActivateParentForm();
}

void TBarCustomToolbar::MouseMove(TShiftState shift, int x, int y)
{
    TBarCustomDockableWindow::MouseMove(shift, x, y);
    if (view_->State() & vsModal)
        return;
    TPoint screen = ClientToScreen(TPoint{x, y});
    view_->UpdateSelectionAt(&screen, true);
    HintFollowsSelection();
}

void TBarCustomToolbar::HintFollowsSelection()
{
    TBarItemViewer *hovered = view_->Selected();
    const bool shown = hovered && !(hovered->Item()->EffectiveOptions() & broLongHintInMenuOnly);
    SetHint(shown ? hovered->Item()->Hint() : std::string());
}

void TBarCustomToolbar::MouseLeft()
{
    if ((view_->State() & vsModal) || view_->Pressing() || CaptureControl())
        return;
    view_->UpdateSelectionAt(nullptr, true);
    HintFollowsSelection();
}

// ---------------------------------------------------------------- menu bar and keyboard

void TBarCustomToolbar::SetMenuBar(bool menuBar)
{
    if (menuBar == menuBar_)
        return;
    menuBar_ = menuBar;
    unsigned style = view_->Style() & ~(vsMenuBar | vsUseHiddenAccels);
    if (menuBar)
        style |= vsMenuBar | vsUseHiddenAccels;
    view_->SetStyle(style);
    view_->RecreateAllViewers();
    SetFullSize(menuBar);
    SetShrinkMode(menuBar ? brsmWrap : brsmChevron);
    SetCloseButton(!menuBar);
    SetProcessShortCuts(menuBar);
}

bool TBarCustomToolbar::KeyboardOpen(char32_t ch, bool accelOnly)
{
    TBarView &view = *view_;
    view.SetAccelsVisible(true);
    struct THide {
        TBarView &view;
        bool entered = false;
        ~THide()
        {
            if (!entered)
                view.SetAccelsVisible(false);
        }
    } hide{view};
    if (ch == 0) {
        TBarItemViewer *first = view.FirstKeyboardViewer();
        if (!first)
            return false;
        hide.entered = true;
        view.Select(first, false);
        view.EnterModalLoop(0);
        return true;
    }
    bool unique = false;
    TBarItemViewer *found = view.NextViewerByAccel(nullptr, ch, unique, accelOnly);
    if (!found || !found->Item()->Enabled())
        return false;
    if (!unique && !menuBar_)
        return false;
    hide.entered = true;
    view.Select(found, false);
    view.EnterModalLoop(unique ? 2 : 0);
    return true;
}

void TBarCustomToolbar::WndProc(TMessage &message)
{
    switch (message.Msg) {
    case WM_GETOBJECT:
        // Screen readers ask the view first.
        if (view_ && view_->HandleWMGetObject(message))
            return;
        break;
    case CM_MOUSELEAVE:
        MouseLeft();
        break;
    case CM_HINTSHOW: {
        // The hint of the button under the pointer, held while the pointer stays on it.
        auto &info = *reinterpret_cast<THintInfo *>(message.LParam);
        const TPoint origin = ClientOrigin();
        TBarItemViewer *viewer = view_->ViewerFromPoint(TPoint{info.CursorPos.X - origin.X, info.CursorPos.Y - origin.Y});
        message.Result = view_->ViewerHintInfo(viewer, info) ? 0 : 1;
        return;
    }
    case CM_SHOWHINTCHANGED:
        view_->SetStyle(ShowHint() ? view_->Style() | vsAlwaysShowHints : view_->Style() & ~vsAlwaysShowHints);
        break;
    case CM_DIALOGCHAR:
        // Alt and a letter on an ordinary toolbar: only its explicit accelerators.
        if (!menuBar_ && Enabled() && Showing() && message.WParam != 0) {
            char32_t ch = static_cast<char32_t>(message.WParam);
            if (ch >= U'A' && ch <= U'Z')
                ch = ch - U'A' + U'a';
            if (KeyboardOpen(ch, true)) {
                message.Result = 1;
                return;
            }
        }
        break;
    case WM_SYSCOMMAND:
        if (menuBar_ && Enabled() && Showing() && !CaptureControl() && (message.WParam & 0xFFF0) == SC_KEYMENU
            && message.LParam != U' ') {
            auto ch = static_cast<char32_t>(message.LParam);
            if (!KeyboardOpen(ch, false)) {
                // The minus key is the system's; anything else that opens nothing beeps.
                if (ch == U'-')
                    return;
                MessageBeep(0);
            }
            message.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    TBarCustomDockableWindow::WndProc(message);
}

// ---------------------------------------------------------------- floating resize

std::vector<TSize> TBarCustomToolbar::GetWrapPoints()
{
    std::vector<TSize> points;
    const TRect margins = view_->GetViewMargins(tbvoFloating);
    const int narrowest = margins.Left + margins.Right;
    const int savedWrap = floatingWrapWidth_;
    const int savedLines = lineCount_;
    struct TRestore {
        TBarCustomToolbar *t;
        int wrap, lines;
        ~TRestore()
        {
            t->floatingWrapWidth_ = wrap;
            t->lineCount_ = lines;
        }
    } restore{this, savedWrap, savedLines};
    floatingWrapWidth_ = 0;
    TSize size = GetSizeForOrientation(false, tboFloating, nullptr, true);
    points.push_back(size);
    int lines = 1;
    for (int i = size.cx - 1; i >= narrowest;) {
        floatingWrapWidth_ = i;
        TSize s = GetSizeForOrientation(false, tboFloating, nullptr, true);
        if (s.cx > i)
            break;
        if (s.cx < i) {
            i = s.cx; // the same layout as at that width: try that width next
            continue;
        }
        if (lineCount_ == lines) {
            points.back() = s;
        } else {
            points.push_back(s);
            lines = lineCount_;
        }
        --i;
    }
    return points;
}

namespace {

bool SizesByHeight(int edge) { return edge == 2 || edge == 5; }

} // namespace

void TBarCustomToolbar::SizingStart(int edge)
{
    TBarFloatingWindowParent *frame = FloatingParent();
    if (!frame)
        return;
    resize_ = std::make_unique<TBarFloatingResize>();
    TBarFloatingResize &r = *resize_;
    r.Edge = edge;
    r.StartFrame = frame->BoundsRect();
    r.ClientLeft = frame->ClientOrigin().X;
    r.StartWrapWidth = floatingWrapWidth_;
    r.ChosenWrapWidth = floatingWrapWidth_;
    const TSize nc = frame->FrameSizeFor(TSize{0, 0});
    std::vector<TSize> points = GetWrapPoints();
    for (size_t i = 0; i < points.size(); ++i)
        r.Sizes.push_back({TSize{points[i].cx + nc.cx, points[i].cy + nc.cy}, i == 0 ? 0 : points[i].cx});
    const bool byHeight = SizesByHeight(edge);
    auto dim = [byHeight](const TSize &s) { return byHeight ? s.cy : s.cx; };
    std::stable_sort(r.Sizes.begin(), r.Sizes.end(),
                     [&](const auto &a, const auto &b) { return dim(a.Frame) > dim(b.Frame); });
    // Within the snap distance of the present size nothing changes; closer
    // neighbours make the zone smaller, so that each size can be reached.
    const int present = byHeight ? r.StartFrame.Height() : r.StartFrame.Width();
    for (size_t i = 0; i < r.Sizes.size(); ++i) {
        if (dim(r.Sizes[i].Frame) != present)
            continue;
        for (size_t n : {i - 1, i + 1})
            if (n < r.Sizes.size())
                r.Snap = std::min(r.Snap, std::abs(dim(r.Sizes[n].Frame) - present) - 1);
        r.Snap = std::max(r.Snap, 0);
        break;
    }
}

void TBarCustomToolbar::SizingAdjustRect(TRect &rect, const TRect &startRect)
{
    if (!resize_ || resize_->Sizes.empty())
        return;
    TBarFloatingResize &r = *resize_;
    const bool byHeight = SizesByHeight(r.Edge);
    auto dim = [byHeight](const TSize &s) { return byHeight ? s.cy : s.cx; };
    const int startSize = byHeight ? startRect.Height() : startRect.Width();
    int wanted = byHeight ? rect.Height() : rect.Width();
    const bool growing = wanted > startSize;
    if (!r.Moved || growing != r.Growing) {
        r.Growing = growing;
        if (std::abs(wanted - startSize) <= r.Snap)
            wanted = startSize;
    }
    const TBarFloatingResize::TEntry *chosen = nullptr;
    if (wanted > startSize) {
        // The smallest size larger than the wish; the largest when none is.
        for (const auto &e : r.Sizes)
            if (dim(e.Frame) > wanted)
                chosen = &e;
        if (!chosen)
            chosen = &r.Sizes.front();
    } else {
        // The largest size not larger than the wish; the smallest when none is.
        for (const auto &e : r.Sizes)
            if (dim(e.Frame) <= wanted) {
                chosen = &e;
                break;
            }
        if (!chosen)
            chosen = &r.Sizes.back();
    }
    const bool moveLeft = r.Edge == 0 || r.Edge == 3 || r.Edge == 6;
    const bool moveTop = r.Edge == 2 || r.Edge == 3 || r.Edge == 4;
    if (moveLeft) {
        rect.Right = startRect.Right;
        rect.Left = rect.Right - chosen->Frame.cx;
    } else {
        rect.Left = startRect.Left;
        rect.Right = rect.Left + chosen->Frame.cx;
    }
    if (moveTop) {
        rect.Bottom = startRect.Bottom;
        rect.Top = rect.Bottom - chosen->Frame.cy;
    } else {
        rect.Top = startRect.Top;
        rect.Bottom = rect.Top + chosen->Frame.cy;
    }
    r.ChosenWrapWidth = chosen->WrapWidth;
    if (rect != startRect)
        r.Moved = true;
}

void TBarCustomToolbar::SizingApply()
{
    if (resize_)
        SetFloatingWrapWidth(resize_->ChosenWrapWidth);
}

void TBarCustomToolbar::SizingEnd() { resize_.reset(); }

// ---------------------------------------------------------------- hosted controls

void TBarCustomToolbar::HostControl(TControl *control)
{
    for (int i = 0; i < items_->Count(); ++i) {
        auto *item = dynamic_cast<TBarControlItem *>(items_->GetItem(i));
        if (item && item->Control() == control)
            return;
    }
    items_->Add(new TBarControlItem(Owner(), control));
}

void TBarCustomToolbar::UpdateTabOrder()
{
    // A layout asked for while sizing runs later and comes here again.
    if (!view_->LayoutValid())
        return;
    std::vector<TWinControl *> hidden;
    view_->GetTabOrderControls(hidden);
    for (int i = 0; i < items_->Count(); ++i)
        if (auto *item = dynamic_cast<TBarControlItem *>(items_->GetItem(i)))
            if (auto *control = dynamic_cast<TWinControl *>(item->Control()))
                control->SetOutOfTabOrder(std::find(hidden.begin(), hidden.end(), control) != hidden.end());
}

void TBarCustomToolbar::Loaded()
{
    // Hosting may add items but never children: the list stays as it is.
    // The items it adds are part of the toolbar as built.
    for (int i = 0; i < ControlCount(); ++i)
        HostControl(Controls(i));
    loading_ = false;
    // Controls that joined meanwhile show only now.
    view_->InvalidateLayout();
    Arrange();
}

void TBarCustomToolbar::ControlListChange(TControl *control, bool inserting)
{
    TBarCustomDockableWindow::ControlListChange(control, inserting);
    if (destroying_)
        return;
    if (inserting) {
        if (loading_)
            return;
        HostControl(control);
        // An item may have hosted it before it came: it shows only now.
        view_->InvalidateLayout();
        Arrange();
        return;
    }
    // The control stays alive (it moves elsewhere, or is already being freed):
    // its items go without it.
    for (int i = items_->Count() - 1; i >= 0; --i) {
        if (i >= items_->Count())
            continue;
        auto *item = dynamic_cast<TBarControlItem *>(items_->GetItem(i));
        if (item && item->Control() == control) {
            item->SetDontFreeControl(true);
            delete item;
        }
    }
}
