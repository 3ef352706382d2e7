#include "platform/widgets/PageControl.h"

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
    active_ = index;
    PlacePages();
    Invalidate();
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
    }
}

void TPageControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    for (int i = 0; i < PageCount(); ++i) {
        TRect tab = TabRect(i);
        if (x >= tab.Left && x < tab.Right && y >= tab.Top && y < tab.Bottom && i != active_) {
            SetActivePageIndex(i);
            if (OnChange)
                OnChange(this);
        }
    }
}
