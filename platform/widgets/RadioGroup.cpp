#include "platform/widgets/RadioGroup.h"

#include "platform/kernel/Accessibility.h"
#include "platform/kernel/QtControls.h"

#include <algorithm>

namespace {
constexpr int kCaptionHeight = 16;
constexpr int kMaxColumns = 16;
constexpr int kTextOffset = 16; // from the item's left to its text, past the circle
}

TRadioGroup::TRadioGroup(TComponent *owner) : TCustomControl(owner)
{
    SetBounds(0, 0, 185, 105);
    SetTabStop(true);
}

// Tab reaches the group; a click focuses it only on an item (MouseDown).
void TRadioGroup::CreateHandle()
{
    TCustomControl::CreateHandle();
    Link()->Widget()->setFocusPolicy(Qt::TabFocus);
}

void TRadioGroup::SetItems(const std::vector<std::string> &items)
{
    items_ = items;
    if (itemIndex_ >= Count())
        itemIndex_ = -1;
    Invalidate();
}

void TRadioGroup::SetItemIndex(int index)
{
    if (index < -1 || index >= Count())
        index = -1;
    if (index == itemIndex_)
        return;
    const int old = itemIndex_;
    itemIndex_ = index;
    Invalidate();
    // A screen reader hears the check move, and the focus with it.
    if (old >= 0)
        NotifyStateChange(this, old + 1, STATE_SYSTEM_CHECKED);
    if (index >= 0)
        NotifyStateChange(this, index + 1, STATE_SYSTEM_CHECKED);
    AnnounceFocus();
    Click();
}

void TRadioGroup::SetColumns(int columns)
{
    columns_ = std::clamp(columns, 1, kMaxColumns);
    Invalidate();
}

int TRadioGroup::FocusIndex() const
{
    if (items_.empty())
        return -1;
    return itemIndex_ >= 0 ? itemIndex_ : 0;
}

TRect TRadioGroup::ItemRect(int index) const
{
    const int perColumn = std::max(1, (Count() + columns_ - 1) / columns_);
    const int columnWidth = std::max(1, (ClientWidth() - 16) / columns_);
    const int rowHeight = std::max(1, (ClientHeight() - kCaptionHeight - 4) / perColumn);
    const int left = 8 + (index / perColumn) * columnWidth;
    const int top = kCaptionHeight + (index % perColumn) * rowHeight;
    return TRect{left, top, left + columnWidth, top + rowHeight};
}

int TRadioGroup::AccessibleRole() const { return ROLE_SYSTEM_GROUPING; }

TAccessiblePart TRadioGroup::AccessiblePart(int index)
{
    TAccessiblePart part;
    if (index < 0 || index >= Count())
        return part;
    part.Role = ROLE_SYSTEM_RADIOBUTTON;
    part.Name = StripAccelerators(items_[static_cast<size_t>(index)]);
    part.Bounds = ItemRect(index);
    part.State = STATE_SYSTEM_FOCUSABLE;
    if (index == itemIndex_)
        part.State |= STATE_SYSTEM_CHECKED;
    if (Focused() && index == FocusIndex())
        part.State |= STATE_SYSTEM_FOCUSED;
    return part;
}

void TRadioGroup::DoAccessiblePartAction(int index)
{
    if (index < 0 || index >= Count())
        return;
    if (CanFocus())
        SetFocus();
    SetItemIndex(index);
}

void TRadioGroup::Paint()
{
    TCanvas &canvas = Canvas();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(ClientRect());
    TRect frame{0, kCaptionHeight / 2, ClientWidth(), ClientHeight()};
    canvas.DrawEdge(frame, EDGE_ETCHED, BF_RECT);
    canvas.Font().Assign(Font());
    canvas.TextOut(8, 0, Caption());
    canvas.Brush().SetStyle(bsClear);
    const int textHeight = canvas.TextHeight("0");
    const int focusIndex = Focused() ? FocusIndex() : -1;
    for (int i = 0; i < Count(); ++i) {
        TRect item = ItemRect(i);
        int mid = (item.Top + item.Bottom) / 2;
        canvas.Brush().SetStyle(i == itemIndex_ ? bsSolid : bsClear);
        canvas.Brush().SetColor(clWindowText);
        canvas.Ellipse(item.Left, mid - 5, item.Left + 10, mid + 5);
        canvas.Brush().SetStyle(bsClear);
        const std::string &text = items_[static_cast<size_t>(i)];
        const int textLeft = item.Left + kTextOffset, textTop = mid - textHeight / 2;
        canvas.TextOut(textLeft, textTop, text);
        if (i == focusIndex)
            canvas.DrawFocusRect(TRect{textLeft - 2, textTop - 1, textLeft + canvas.TextWidth(text) + 2,
                                       textTop + textHeight + 1});
    }
}

void TRadioGroup::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    for (int i = 0; i < Count(); ++i) {
        TRect r = ItemRect(i);
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) {
            if (CanFocus())
                SetFocus();
            SetItemIndex(i);
        }
    }
}

void TRadioGroup::KeyDown(int &key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    if (items_.empty() || (shift & ssAlt))
        return;
    const int at = FocusIndex();
    switch (key) {
    case VK_DOWN: case VK_RIGHT: SetItemIndex((at + 1) % Count()); break;
    case VK_UP: case VK_LEFT: SetItemIndex((at + Count() - 1) % Count()); break;
    case VK_SPACE: SetItemIndex(at); break;
    default: return;
    }
    key = 0;
}

// The toolkit announces the focus on the group after this; the item's
// announcement follows it.
void TRadioGroup::DoEnter()
{
    Invalidate();
    RunOnControlLater(*this, [](TWinControl &group) { static_cast<TRadioGroup &>(group).AnnounceFocus(); });
    TCustomControl::DoEnter();
}

// The focus is on an item, not on the group around it.
void TRadioGroup::AnnounceFocus()
{
    if (Focused() && FocusIndex() >= 0)
        NotifyWinEvent(EVENT_OBJECT_FOCUS, this, OBJID_CLIENT, FocusIndex() + 1);
}

void TRadioGroup::DoExit()
{
    Invalidate();
    TCustomControl::DoExit();
}
