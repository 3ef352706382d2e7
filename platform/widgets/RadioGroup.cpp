#include "platform/widgets/RadioGroup.h"

#include <algorithm>

namespace {
constexpr int kCaptionHeight = 16;
}

TRadioGroup::TRadioGroup(TComponent *owner) : TCustomControl(owner)
{
    SetBounds(0, 0, 185, 105);
    SetTabStop(true);
}

void TRadioGroup::SetItems(const std::vector<std::string> &items)
{
    items_ = items;
    if (itemIndex_ >= static_cast<int>(items_.size()))
        itemIndex_ = -1;
    Invalidate();
}

void TRadioGroup::SetItemIndex(int index)
{
    if (index < -1 || index >= static_cast<int>(items_.size()))
        index = -1;
    if (index == itemIndex_)
        return;
    itemIndex_ = index;
    Invalidate();
    Click();
}

TRect TRadioGroup::ItemRect(int index) const
{
    int count = std::max<int>(1, static_cast<int>(items_.size()));
    int rowHeight = std::max(1, (ClientHeight() - kCaptionHeight - 4) / count);
    int top = kCaptionHeight + index * rowHeight;
    return TRect{8, top, ClientWidth() - 8, top + rowHeight};
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
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        TRect row = ItemRect(i);
        int mid = (row.Top + row.Bottom) / 2;
        canvas.Brush().SetStyle(i == itemIndex_ ? bsSolid : bsClear);
        canvas.Brush().SetColor(clWindowText);
        canvas.Ellipse(row.Left, mid - 5, row.Left + 10, mid + 5);
        canvas.Brush().SetStyle(bsClear);
        canvas.TextOut(row.Left + 16, mid - canvas.TextHeight("0") / 2, items_[static_cast<size_t>(i)]);
    }
}

void TRadioGroup::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        TRect r = ItemRect(i);
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom)
            SetItemIndex(i);
    }
}

void TRadioGroup::KeyDown(int &key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    int count = static_cast<int>(items_.size());
    if (count == 0)
        return;
    if (key == VK_DOWN || key == VK_RIGHT)
        SetItemIndex(std::min(count - 1, itemIndex_ + 1));
    else if (key == VK_UP || key == VK_LEFT)
        SetItemIndex(std::max(0, itemIndex_ - 1));
}
