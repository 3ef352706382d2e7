#include "platform/widgets/ProgressBar.h"

#include "platform/graphics/Graphics.h"

#include <algorithm>

TProgressBar::TProgressBar(TComponent *owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 150, 16);
}

void TProgressBar::SetMax(int max)
{
    max_ = std::max(min_, max);
    SetPosition(position_);
}

void TProgressBar::SetPosition(int position)
{
    position = std::clamp(position, min_, max_);
    if (position == position_)
        return;
    position_ = position;
    Invalidate();
}

void TProgressBar::StepIt()
{
    long long next = static_cast<long long>(position_) + step_;
    SetPosition(static_cast<int>(std::clamp<long long>(next, min_, max_)));
}

void TProgressBar::Paint()
{
    TCanvas &canvas = Canvas();
    TRect frame{0, 0, Width(), Height()};
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clBtnFace);
    canvas.FillRect(frame);
    canvas.Brush().SetColor(clBtnShadow);
    canvas.FrameRect(frame);
    long long range = static_cast<long long>(max_) - min_;
    if (range <= 0)
        return;
    int inner = std::max(0, Width() - 4);
    int filled = static_cast<int>(inner * (static_cast<long long>(position_) - min_) / range);
    canvas.Brush().SetColor(clHighlight);
    canvas.FillRect(TRect{2, 2, 2 + filled, Height() - 2});
}
