// The dock: row arrangement of its windows, bound lines and its own thickness.
#include "toolbar/BarDock.h"

#include "platform/graphics/Graphics.h"

#include <algorithm>
#include <memory>
#include <tuple>

// One window's share of one arrangement.
struct TRowLayoutEntry {
    int effectiveRow;
    int sortedRow;
    int gap;
    int fullLength;
    int minLength;
    int currentLength;
    int overlap;
    int position;
    TBarShrinkMode shrinkMode;
    bool relayout;
};

namespace {

// Raises a counter for a scope and runs the end action however the scope ends.
template <typename F>
class TScopeExit {
public:
    explicit TScopeExit(F f) : f_(std::move(f)) {}
    ~TScopeExit() { f_(); }
    TScopeExit(const TScopeExit &) = delete;
    TScopeExit &operator=(const TScopeExit &) = delete;

private:
    F f_;
};

bool IsInsideDockOrWindow(TWinControl *parent)
{
    for (TWinControl *p = parent; p; p = p->Parent())
        if (dynamic_cast<TBarDock *>(p) || dynamic_cast<TBarCustomDockableWindow *>(p))
            return true;
    return false;
}

} // namespace

namespace {

// Every dock alive (the GUI thread's), so that a drag finds its form's docks
// without visiting the form's other controls.
std::vector<TBarDock *> &LiveDocks()
{
    static std::vector<TBarDock *> docks;
    return docks;
}

} // namespace

TBarDock::TBarDock(TComponent *owner) : TCustomControl(owner)
{
    SetColor(clBtnFace);
    SetAlign(alTop);
    LiveDocks().push_back(this);
}

TBarDock::~TBarDock()
{
    std::vector<TBarDock *> &docks = LiveDocks();
    docks.erase(std::find(docks.begin(), docks.end(), this));
}

const std::vector<TBarDock *> &TBarDock::AllDocks() { return LiveDocks(); }

TBarOrientation TBarDock::OrientationOf(const TBarDock *dock, bool floating)
{
    if (floating)
        return tboFloating;
    if (!dock)
        return tboNone;
    return dock->Vertical() ? tboLeftRight : tboTopBottom;
}

void TBarDock::SetPosition(TBarDockPosition position)
{
    if (position == position_)
        return;
    if (ControlCount() > 0)
        throw EInvalidOperation("Cannot change Position of a TBarDock if it already contains controls");
    position_ = position;
    static constexpr TAlign kAlign[] = {alTop, alBottom, alLeft, alRight};
    SetAlign(kAlign[position]);
}

void TBarDock::SetAllowDrag(bool allow)
{
    if (allow == allowDrag_)
        return;
    allowDrag_ = allow;
    for (TBarCustomDockableWindow *bar : barList_)
        bar->Invalidate();
    ArrangeToolbars();
}

void TBarDock::SetBoundLines(TBarDockBoundLines lines)
{
    if (lines == boundLines_)
        return;
    boundLines_ = lines;
    UpdateNonClient();
    ArrangeToolbars();
    Invalidate();
}

void TBarDock::SetFixAlign(bool fix)
{
    if (fix == fixAlign_)
        return;
    fixAlign_ = fix;
    ArrangeToolbars();
}

void TBarDock::SetLimitToOneRow(bool limit)
{
    if (limit == limitToOneRow_)
        return;
    limitToOneRow_ = limit;
    ArrangeToolbars();
}

void TBarDock::UpdateNonClient()
{
    nonClientWidth_ = ((boundLines_ & blLeft) ? 1 : 0) + ((boundLines_ & blRight) ? 1 : 0);
    nonClientHeight_ = ((boundLines_ & blTop) ? 1 : 0) + ((boundLines_ & blBottom) ? 1 : 0);
}

TPoint TBarDock::ClientOrigin() const
{
    return TPoint{(boundLines_ & blLeft) ? 1 : 0, (boundLines_ & blTop) ? 1 : 0};
}

void TBarDock::SetParent(TWinControl *parent)
{
    if (parent && IsInsideDockOrWindow(parent))
        throw EInvalidOperation("A TBarDock control cannot be placed inside a tool window or another TBarDock");
    TCustomControl::SetParent(parent);
}

void TBarDock::BoundsChanged()
{
    TCustomControl::BoundsChanged();
    ArrangeToolbars();
}

void TBarDock::EndArrange()
{
    if (--arrangeDisableCount_ == 0 && arrangePending_)
        ArrangeToolbars();
}

bool TBarDock::ShownHere(const TBarCustomDockableWindow *bar) const
{
    return bar->Parent() == this && bar->Visible();
}

void TBarDock::ChangeBarList(bool inserting, TBarCustomDockableWindow *bar)
{
    auto it = std::find(barList_.begin(), barList_.end(), bar);
    if (inserting) {
        if (it == barList_.end()) {
            barList_.push_back(bar);
            FreeNotification(bar);
        }
    } else if (it != barList_.end()) {
        barList_.erase(it);
    }
    ChangeVisibleBarList(bar, false);
}

void TBarDock::ChangeVisibleBarList(TBarCustomDockableWindow *bar, bool forceRemove)
{
    bool belongs = !forceRemove && ShownHere(bar);
    auto it = std::find(visibleBarList_.begin(), visibleBarList_.end(), bar);
    bool present = it != visibleBarList_.end();
    if (belongs == present)
        return;
    if (belongs)
        visibleBarList_.push_back(bar);
    else
        visibleBarList_.erase(it);
    ArrangeToolbars();
    if (OnInsertRemoveBar)
        OnInsertRemoveBar(this, belongs, bar);
}

void TBarDock::RemoveBar(TBarCustomDockableWindow *bar)
{
    barList_.erase(std::remove(barList_.begin(), barList_.end(), bar), barList_.end());
    auto it = std::find(visibleBarList_.begin(), visibleBarList_.end(), bar);
    if (it == visibleBarList_.end())
        return;
    visibleBarList_.erase(it);
    if (!Destroying())
        ArrangeToolbars();
}

void TBarDock::CommitEffectivePositions()
{
    for (TBarCustomDockableWindow *bar : visibleBarList_) {
        bar->SetDockRowField(bar->EffectiveRow);
        bar->SetDockPosField(bar->EffectivePos);
    }
}

int TBarDock::GetHighestRow(bool useEffective) const
{
    int highest = -1;
    for (const TBarCustomDockableWindow *bar : barList_)
        highest = std::max(highest, useEffective ? bar->EffectiveRow : bar->DockRow());
    return highest;
}

int TBarDock::GetRowSize(int row, bool &fullSize) const
{
    fullSize = false;
    if (row < 0)
        return 0;
    int size = 0;
    for (const TBarCustomDockableWindow *bar : barList_) {
        if (!ShownHere(bar) || bar->EffectiveRow != row)
            continue;
        size = std::max(size, Vertical() ? bar->Width() : bar->Height());
        fullSize = bar->FullSize();
    }
    return size;
}

int TBarDock::GetRowMaxSize(int row, const TBarCustomDockableWindow *except) const
{
    if (row < 0)
        return 0;
    int size = 0;
    for (const TBarCustomDockableWindow *bar : barList_)
        if (bar != except && ShownHere(bar) && bar->EffectiveRow == row)
            size = std::max(size, bar->DockedCrossSize);
    return size;
}

int TBarDock::GetRowAt(int position) const
{
    int highest = GetHighestRow(true);
    int sum = 0;
    for (int row = 0; row <= highest; ++row) {
        bool fullSize = false;
        sum += GetRowSize(row, fullSize);
        if (sum > position)
            return row;
    }
    return highest + 1;
}

void TBarDock::ChangeDockSize(int width, int height)
{
    switch (Align()) {
    case alBottom:
        SetBounds(Left(), Top() + Height() - height, width, height);
        break;
    case alRight:
        SetBounds(Left() + Width() - width, Top(), width, height);
        break;
    case alTop:
    case alLeft:
    case alNone:
        SetBounds(Left(), Top(), width, height);
        break;
    default:
        break;
    }
}

void TBarDock::Notification(TComponent *component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    auto *bar = dynamic_cast<TBarCustomDockableWindow *>(component);
    if (bar)
        RemoveBar(bar);
}

void TBarDock::WndProc(TMessage &message)
{
    if (message.Msg == WM_SYSCOMMAND || message.Msg == CM_DIALOGKEY || message.Msg == CM_DIALOGCHAR) {
        // A copy: a command may take windows away.
        std::vector<TBarCustomDockableWindow *> bars = barList_;
        for (TBarCustomDockableWindow *bar : bars) {
            if (std::find(barList_.begin(), barList_.end(), bar) == barList_.end())
                continue;
            if (!bar->HasMenuEvents() || !bar->Floating() || !bar->Showing() || !bar->Enabled())
                continue;
            message.Result = 0;
            DispatchMessage(bar, message);
            if (message.Result != 0)
                return;
        }
        if (message.Msg == WM_SYSCOMMAND)
            return;
    }
    TCustomControl::WndProc(message);
}

void TBarDock::Paint()
{
    TCanvas &canvas = Canvas();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(TRect{0, 0, Width(), Height()});
    if (boundLines_ == 0 || visibleBarList_.empty())
        return;
    auto line = [&](TColor color, int l, int t, int r, int b) {
        canvas.Brush().SetColor(color);
        canvas.FillRect(TRect{l, t, r, b});
    };
    if (boundLines_ & blTop)
        line(clBtnShadow, 0, 0, Width(), 1);
    if (boundLines_ & blLeft)
        line(clBtnShadow, 0, 0, 1, Height());
    if (boundLines_ & blBottom)
        line(clBtnHighlight, 0, Height() - 1, Width(), Height());
    if (boundLines_ & blRight)
        line(clBtnHighlight, Width() - 1, 0, Width(), Height());
}

// ---------------------------------------------------------------- arrangement

void TBarDock::ArrangeToolbars()
{
    if (arrangeDisableCount_ > 0) {
        arrangePending_ = true;
        return;
    }
    ++arrangeDisableCount_;
    TScopeExit done([this] {
        --arrangeDisableCount_;
        arrangePending_ = false;
        commitPositions_ = false;
    });
    const bool vertical = Vertical();
    if (visibleBarList_.empty()) {
        int thickness = fixAlign_ ? 1 : 0;
        if (vertical)
            ChangeDockSize(thickness, Height());
        else
            ChangeDockSize(Width(), thickness);
        return;
    }
    const int available = vertical ? ClientHeight() : ClientWidth();
    if (limitToOneRow_)
        for (TBarCustomDockableWindow *bar : barList_)
            bar->SetDockRowField(0);

    auto byRowThenPos = [](const TBarCustomDockableWindow *a, const TBarCustomDockableWindow *b) {
        if (a->DockRow() != b->DockRow())
            return a->DockRow() < b->DockRow();
        return a->DockPos() < b->DockPos();
    };
    std::vector<TBarCustomDockableWindow *> sorted(barList_);
    std::stable_sort(sorted.begin(), sorted.end(), byRowThenPos);
    // A window sliding along its row keeps its order among its neighbours.
    for (size_t i = 0; i < barList_.size(); ++i) {
        if (!barList_[i]->IsDragged || !barList_[i]->SlidingInRow)
            continue;
        auto it = std::find(sorted.begin(), sorted.end(), barList_[i]);
        TBarCustomDockableWindow *dragged = *it;
        sorted.erase(it);
        sorted.insert(sorted.begin() + static_cast<std::ptrdiff_t>(i), dragged);
        break;
    }
    std::stable_sort(visibleBarList_.begin(), visibleBarList_.end(), byRowThenPos);
    int highest = GetHighestRow(false);

    const int n = static_cast<int>(sorted.size());
    auto entries = std::make_unique<TRowLayoutEntry[]>(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        entries[i] = TRowLayoutEntry{};
        entries[i].effectiveRow = ShownHere(sorted[i]) ? sorted[i]->DockRow() : -1;
        entries[i].sortedRow = sorted[i]->DockRow();
        entries[i].position = sorted[i]->DockPos();
    }
    auto othersInRow = [&](int self, int row) {
        for (int k = 0; k < n; ++k)
            if (k != self && entries[k].sortedRow == row)
                return true;
        return false;
    };

    // Windows that start a row or are full size get a row of their own.
    for (int pass = 0; pass < 2; ++pass) {
        for (int j = 0; j <= highest; ++j) {
            for (int i = 0; i < n; ++i) {
                if (entries[i].sortedRow != j)
                    continue;
                bool own = pass == 0 ? sorted[i]->StartsNewRow && !limitToOneRow_ : sorted[i]->FullSize();
                if (!own || !othersInRow(i, j))
                    continue;
                for (int k = 0; k < n; ++k) {
                    if (k != i && entries[k].sortedRow >= j && entries[k].effectiveRow >= j) {
                        ++entries[k].sortedRow;
                        ++entries[k].effectiveRow;
                    }
                }
                ++highest;
            }
        }
    }
    // Empty rows go.
    for (int j = 0; j <= highest;) {
        bool used = false;
        for (int i = 0; i < n && !used; ++i)
            used = entries[i].sortedRow == j;
        if (used) {
            ++j;
            continue;
        }
        for (int i = 0; i < n; ++i) {
            if (entries[i].sortedRow > j)
                --entries[i].sortedRow;
            if (entries[i].effectiveRow > j)
                --entries[i].effectiveRow;
        }
        --highest;
    }

    for (int j = 0; j <= highest; ++j)
        ArrangeRow(j, highest, available, sorted, entries.get());

    for (int i = 0; i < n; ++i) {
        sorted[i]->EffectiveRow = entries[i].sortedRow;
        sorted[i]->EffectivePos = entries[i].position;
        if (commitPositions_) {
            sorted[i]->SetDockRowField(sorted[i]->EffectiveRow);
            sorted[i]->SetDockPosField(sorted[i]->EffectivePos);
        }
    }
    if (commitPositions_)
        barList_ = sorted;

    PlaceRows(highest, sorted, entries.get());
}

void TBarDock::ArrangeRow(int j, int &highest, int available, const std::vector<TBarCustomDockableWindow *> &sorted,
                          TRowLayoutEntry *entries)
{
    const bool vertical = Vertical();
    const int n = static_cast<int>(sorted.size());
    std::vector<int> row;
    int sum = 0, total = 0;
    for (int i = 0; i < n; ++i) {
        TRowLayoutEntry &e = entries[i];
        if (e.effectiveRow != j)
            continue;
        TBarCustomDockableWindow *bar = sorted[i];
        TSize base = bar->GetBaseSize();
        TPoint nc = bar->GetNCSize();
        e.fullLength = vertical ? base.cy + nc.Y : base.cx + nc.X;
        e.currentLength = e.fullLength;
        e.shrinkMode = bar->GetShrinkMode();
        e.minLength = 0;
        bar->GetMinDockedLength(e.minLength);
        e.minLength = std::min(e.minLength, e.fullLength);
        sum += e.shrinkMode == brsmChevron ? e.minLength : e.fullLength;
        if (!row.empty() && sum > available && !limitToOneRow_) {
            // This window and the later ones move one row down.
            for (int k = i; k < n; ++k) {
                if (entries[k].sortedRow >= j)
                    ++entries[k].sortedRow;
                if (entries[k].effectiveRow >= j)
                    ++entries[k].effectiveRow;
            }
            ++highest;
            break;
        }
        total += e.fullLength;
        row.push_back(i);
    }
    if (row.empty())
        return;
    int excess = total - available;
    const int count = static_cast<int>(row.size());
    auto at = [&](int r) -> TRowLayoutEntry & { return entries[row[static_cast<size_t>(r)]]; };
    auto barAt = [&](int r) { return sorted[static_cast<size_t>(row[static_cast<size_t>(r)])]; };

    // Wanted positions, gaps and overlaps.
    int dragged = -1, draggedWanted = 0;
    int cursor = 0, previousEnd = 0, minSum = 0;
    for (int r = 0; r < count; ++r) {
        TRowLayoutEntry &e = at(r);
        TBarCustomDockableWindow *bar = barAt(r);
        int wanted = bar->DockPos();
        if ((bar->FullSize() || bar->Stretch()) && cursor == 0)
            wanted = 0;
        wanted = std::max(wanted, minSum);
        if (bar->IsDragged) {
            dragged = r;
            draggedWanted = wanted;
        }
        if (wanted > cursor) {
            if (excess > 0) {
                wanted = cursor;
            } else {
                e.gap = wanted - cursor;
                cursor = wanted;
            }
        } else if (wanted < previousEnd) {
            e.overlap = previousEnd - wanted;
        }
        cursor += e.currentLength;
        previousEnd = wanted + e.currentLength;
        minSum += e.minLength;
    }
    // Takes an amount from the gaps of the windows first..0, last first.
    auto takeFromGaps = [&](int first, int amount) {
        int taken = 0;
        for (int r = first; r >= 0 && amount > 0; --r) {
            int t = std::min(at(r).gap, amount);
            at(r).gap -= t;
            amount -= t;
            taken += t;
        }
        return taken;
    };
    // A window dragged into its predecessors pushes them towards the start.
    if (excess < 0 && dragged > 0) {
        int reach = 0;
        for (int r = 0; r < dragged; ++r)
            reach += at(r).gap + at(r).currentLength;
        reach -= draggedWanted;
        if (reach > 0) {
            int taken = takeFromGaps(dragged - 1, reach);
            if (dragged + 1 < count)
                at(dragged + 1).gap += taken;
        }
    }
    // The row's content must fit.
    int end = 0;
    for (int r = 0; r < count; ++r)
        end += at(r).gap + at(r).currentLength;
    if (end > available)
        takeFromGaps(count - 1, end - available);
    // Shrinking by overlap: a window that wanted to start inside its
    // predecessors takes the room from their chevrons.
    if (excess > 0) {
        int accumulated = 0;
        for (int r = 0; r < count && excess > 0; ++r) {
            if (r == dragged && count >= 2)
                barAt(r)->ShrunkInRow = true;
            accumulated = std::min(accumulated + at(r).overlap, excess);
            for (int k = r - 1; k >= 0 && accumulated > 0 && k != dragged; --k) {
                if (at(k).shrinkMode != brsmChevron)
                    continue;
                int give = std::min(at(k).currentLength - at(k).minLength, accumulated);
                if (give <= 0)
                    continue;
                at(k).currentLength -= give;
                excess -= give;
                accumulated -= give;
            }
        }
    }
    // Shrinking from the end.
    for (int r = count - 1; r >= 0 && excess > 0; --r) {
        TRowLayoutEntry &e = at(r);
        if (e.shrinkMode == brsmNone || (e.shrinkMode == brsmWrap && count != 1))
            continue;
        int give = std::min(e.currentLength - e.minLength, excess);
        if (give > 0) {
            e.currentLength -= give;
            excess -= give;
        }
    }
    // Final placement.
    cursor = 0;
    for (int r = 0; r < count; ++r) {
        TRowLayoutEntry &e = at(r);
        TBarCustomDockableWindow *bar = barAt(r);
        if (bar->FullSize() || bar->Stretch()) {
            e.currentLength += e.gap;
            e.gap = 0;
        }
        cursor += e.gap;
        if (bar->FullSize())
            e.currentLength = std::max(e.currentLength, available);
        if (bar->Stretch()) {
            if (r + 1 < count) {
                e.currentLength += at(r + 1).gap;
                at(r + 1).gap = 0;
            } else {
                e.currentLength = std::max(e.currentLength, available - cursor);
            }
        }
        e.position = cursor;
        cursor += e.currentLength;
    }
}

void TBarDock::PlaceRows(int highest, const std::vector<TBarCustomDockableWindow *> &sorted, TRowLayoutEntry *entries)
{
    const bool vertical = Vertical();
    const TBarOrientation orientation = OrientationOf(this, false);
    const TPoint origin = ClientOrigin();
    const int n = static_cast<int>(sorted.size());
    int across = 0;
    std::vector<TSize> sizes(static_cast<size_t>(n));
    for (int j = 0; j <= highest; ++j) {
        int thickness = 0;
        for (int i = 0; i < n; ++i) {
            TRowLayoutEntry &e = entries[i];
            if (e.effectiveRow != j)
                continue;
            TBarCustomDockableWindow *bar = sorted[i];
            int shrunk = e.currentLength < e.fullLength ? e.currentLength : 0;
            bool shrunkChanged = bar->ShrunkLength != shrunk;
            bar->ShrunkLength = shrunk;
            TSize size;
            if (e.shrinkMode != brsmNone && shrunkChanged) {
                size = bar->GetSizeForOrientation(false, orientation, this, false);
                e.relayout = true;
            } else if (e.shrinkMode == brsmWrap && e.currentLength < e.fullLength) {
                size = TSize{bar->ClientWidth(), bar->ClientHeight()};
            } else {
                size = bar->GetBaseSize();
            }
            sizes[static_cast<size_t>(i)] = size;
            bar->DockedCrossSize = vertical ? size.cx : size.cy;
            thickness = std::max(thickness, bar->DockedCrossSize);
        }
        if (thickness != 0)
            thickness += 4;
        for (int i = 0; i < n; ++i) {
            TRowLayoutEntry &e = entries[i];
            if (e.effectiveRow != j)
                continue;
            TBarCustomDockableWindow *bar = sorted[i];
            bar->BeginBoundsUpdate();
            TScopeExit end([bar] { bar->EndBoundsUpdate(); });
            if (vertical)
                bar->SetBounds(origin.X + across, origin.Y + e.position, thickness, e.currentLength);
            else
                bar->SetBounds(origin.X + e.position, origin.Y + across, e.currentLength, thickness);
            if (e.relayout || bar->NeedsRowRelayout())
                bar->Arrange();
        }
        across += thickness;
    }
    if (vertical)
        ChangeDockSize(nonClientWidth_ + across, Height());
    else
        ChangeDockSize(Width(), nonClientHeight_ + across);
}

std::vector<TWinControl *> TBarDock::AccessibleChildOrder() const
{
    std::vector<TWinControl *> order;
    for (int i = 0; i < ControlCount(); ++i)
        if (auto *w = dynamic_cast<TWinControl *>(Controls(i)))
            order.push_back(w);
    const bool vertical = Vertical();
    auto key = [vertical](const TWinControl *w) {
        const int across = vertical ? w->Left() : w->Top(), along = vertical ? w->Top() : w->Left();
        return std::tuple{!w->Visible(), across, along};
    };
    std::stable_sort(order.begin(), order.end(),
                     [&key](const TWinControl *a, const TWinControl *b) { return key(a) < key(b); });
    return order;
}
