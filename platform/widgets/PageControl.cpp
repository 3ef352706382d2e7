#include "platform/widgets/PageControl.h"

#include "platform/kernel/Accessibility.h"
#include "platform/kernel/QtControls.h"

#include <algorithm>

namespace {
constexpr int kTabHeight = 22;
constexpr int kTabPadding = 12;
}

TTabSheet::TTabSheet(TComponent *owner) : TWinControl(owner)
{
}

TTabSheet::~TTabSheet()
{
    if (pageControl_)
        pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl *control)
{
    if (control == pageControl_)
        return;
    if (pageControl_)
        pageControl_->RemovePage(this);
    if (control)
        control->AddPage(this);
}

TPageControl::TPageControl(TComponent *owner) : TCustomControl(owner)
{
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
}

// Tab reaches the row of tabs; a click focuses it only on a tab (MouseDown).
void TPageControl::CreateHandle()
{
    TCustomControl::CreateHandle();
    Link()->Widget()->setFocusPolicy(Qt::TabFocus);
}

TPageControl::~TPageControl()
{
    for (TTabSheet *sheet : pages_)
        sheet->pageControl_ = nullptr;
}

void TPageControl::AddPage(TTabSheet *sheet)
{
    sheet->pageControl_ = this;
    pages_.push_back(sheet);
    sheet->SetParent(this);
    if (active_ < 0)
        active_ = 0;
    PlacePages();
    Invalidate();
}

void TPageControl::RemovePage(TTabSheet *sheet)
{
    auto it = std::find(pages_.begin(), pages_.end(), sheet);
    if (it == pages_.end())
        return;
    pages_.erase(it);
    sheet->pageControl_ = nullptr;
    active_ = std::min(active_, PageCount() - 1);
    PlacePages();
    Invalidate();
}

TTabSheet *TPageControl::ActivePage() const
{
    return active_ >= 0 ? pages_[static_cast<size_t>(active_)] : nullptr;
}

void TPageControl::SetActivePageIndex(int index)
{
    if (index < 0 || index >= PageCount() || index == active_)
        return;
    const int old = active_;
    active_ = index;
    PlacePages();
    Invalidate();
    // A screen reader hears the selected tab change, and the focus with it.
    if (old >= 0) {
        NotifyStateChange(this, old + 1, STATE_SYSTEM_SELECTED);
        NotifyWinEvent(EVENT_OBJECT_SELECTIONREMOVE, this, OBJID_CLIENT, old + 1);
    }
    NotifyStateChange(this, index + 1, STATE_SYSTEM_SELECTED);
    NotifyWinEvent(EVENT_OBJECT_SELECTION, this, OBJID_CLIENT, index + 1);
    AnnounceFocus();
}

TRect TPageControl::TabRect(int index)
{
    int left = 2;
    for (int i = 0; i <= index && i < PageCount(); ++i) {
        int width = Font().Size() * static_cast<int>(pages_[static_cast<size_t>(i)]->Caption().size()) / 2 + kTabPadding;
        if (i == index)
            return TRect{left, 0, left + width, kTabHeight};
        left += width;
    }
    return TRect{};
}

int TTabSheet::AccessibleRole() const { return ROLE_SYSTEM_PANE; }

int TPageControl::AccessibleRole() const { return ROLE_SYSTEM_PAGETABLIST; }

TAccessiblePart TPageControl::AccessiblePart(int index)
{
    TAccessiblePart part;
    if (index < 0 || index >= PageCount())
        return part;
    part.Role = ROLE_SYSTEM_PAGETAB;
    part.Name = StripAccelerators(pages_[static_cast<size_t>(index)]->Caption());
    part.Bounds = TabRect(index);
    part.State = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    if (index == active_) {
        part.State |= STATE_SYSTEM_SELECTED;
        if (Focused())
            part.State |= STATE_SYSTEM_FOCUSED;
    }
    return part;
}

void TPageControl::DoAccessiblePartAction(int index) { ChangePage(index); }

void TPageControl::PlacePages()
{
    for (int i = 0; i < PageCount(); ++i) {
        TTabSheet *sheet = pages_[static_cast<size_t>(i)];
        sheet->SetBounds(2, kTabHeight + 2, std::max(0, Width() - 4), std::max(0, Height() - kTabHeight - 4));
        sheet->SetVisible(i == active_);
    }
}

void TPageControl::BoundsChanged()
{
    TCustomControl::BoundsChanged();
    PlacePages();
}

void TPageControl::Paint()
{
    TCanvas &canvas = Canvas();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(ClientRect());
    TRect body{0, kTabHeight, Width(), Height()};
    canvas.DrawEdge(body, EDGE_RAISED, BF_RECT);
    canvas.Font().Assign(Font());
    canvas.Brush().SetStyle(bsClear);
    for (int i = 0; i < PageCount(); ++i) {
        TRect tab = TabRect(i);
        if (i != active_)
            tab.Top += 2;
        canvas.DrawEdge(tab, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT);
        canvas.DrawText(pages_[static_cast<size_t>(i)]->Caption(), tab, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        if (i == active_ && Focused())
            canvas.DrawFocusRect(TRect{tab.Left + 3, tab.Top + 3, tab.Right - 3, tab.Bottom - 2});
    }
}

void TPageControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    for (int i = 0; i < PageCount(); ++i) {
        TRect tab = TabRect(i);
        if (x >= tab.Left && x < tab.Right && y >= tab.Top && y < tab.Bottom) {
            if (CanFocus())
                SetFocus();
            ChangePage(i);
            return;
        }
    }
}

bool TPageControl::PageKey(int key, TShiftState shift, bool &forward) const
{
    if (!(shift & ssCtrl) || (shift & ssAlt))
        return false;
    if (key == VK_TAB)
        forward = !(shift & ssShift);
    else if (key == VK_NEXT || key == VK_PRIOR)
        forward = key == VK_NEXT;
    else
        return false;
    return true;
}

void TPageControl::KeyDown(int &key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    bool forward = true;
    if (PageKey(key, shift, forward))
        SelectNextPage(forward);
    else if ((key == VK_LEFT || key == VK_RIGHT) && !(shift & (ssCtrl | ssAlt)))
        ChangePage(active_ + (key == VK_RIGHT ? 1 : -1)); // none past the first or last
    else
        return;
    key = 0;
}

void TPageControl::WndProc(TMessage &message)
{
    if (message.Msg == CM_CHILDKEY) {
        bool forward = true;
        if (PageKey(static_cast<int>(message.WParam), static_cast<TShiftState>(message.LParam), forward)
            && PageCount() > 1) {
            SelectNextPage(forward);
            message.Result = 1;
        }
        return;
    }
    TCustomControl::WndProc(message);
}

void TPageControl::SelectNextPage(bool forward)
{
    if (PageCount() > 1)
        ChangePage((active_ + (forward ? 1 : PageCount() - 1)) % PageCount());
}

namespace {

bool Inside(const TControl *control, const TWinControl *container)
{
    for (const TControl *c = control; c; c = c->Parent())
        if (c == container)
            return true;
    return false;
}

// The first control inside `parent` that Tab stops at, in the order the
// controls were placed (as the toolkit's tab chain has them).
TWinControl *FirstTabStop(TWinControl &parent)
{
    for (int i = 0; i < parent.ControlCount(); ++i) {
        auto *child = dynamic_cast<TWinControl *>(parent.Controls(i));
        if (!child || !child->Visible())
            continue;
        if (child->TabStop() && child->CanFocus() && child->InTabOrder())
            return child;
        if (TWinControl *inner = FirstTabStop(*child))
            return inner;
    }
    return nullptr;
}

} // namespace

void TPageControl::ChangePage(int index)
{
    if (index < 0 || index >= PageCount() || index == active_)
        return;
    TTabSheet *page = pages_[static_cast<size_t>(index)];
    if (Inside(FocusedControl(), ActivePage())) {
        // The new page shows before the old one hides, so that the focus goes
        // straight over and no control between gets it on the way.
        page->SetVisible(true);
        if (TWinControl *first = FirstTabStop(*page))
            first->SetFocus();
        else if (CanFocus())
            SetFocus();
    }
    SetActivePageIndex(index);
    if (OnChange)
        OnChange(this);
}

// The toolkit announces the focus on the row of tabs after this; the tab's
// announcement follows it.
void TPageControl::DoEnter()
{
    Invalidate();
    RunOnControlLater(*this, [](TWinControl &pages) { static_cast<TPageControl &>(pages).AnnounceFocus(); });
    TCustomControl::DoEnter();
}

// The focus is on the active page's tab, not on the row of tabs.
void TPageControl::AnnounceFocus()
{
    if (Focused() && active_ >= 0)
        NotifyWinEvent(EVENT_OBJECT_FOCUS, this, OBJID_CLIENT, active_ + 1);
}

void TPageControl::DoExit()
{
    Invalidate();
    TCustomControl::DoExit();
}
