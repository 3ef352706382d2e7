#include "platform/widgets/ScrollBar.h"

#include "platform/kernel/Application.h"
#include "platform/core/Exceptions.h"
#include "platform/kernel/QtControls.h"

#include <QScrollBar>

TScrollBar::TScrollBar(TComponent *owner) : TWinControl(owner)
{
    SetBounds(0, 0, 121, 16);
}

void TScrollBar::SetParams(int position, int min, int max)
{
    if (max < min || max < pageSize_)
        throw EInvalidOperation("Scroll bar property out of range");
    position = std::clamp(position, min, max);
    bool changed = position != position_;
    min_ = min;
    max_ = max;
    position_ = position;
    Sync();
    if (changed && OnChange)
        OnChange(this);
}

void TScrollBar::Scrolled(TScrollCode code, int position)
{
    if (syncing_)
        return;
    Application().Guard([&] {
        int pos = position;
        if (OnScroll)
            OnScroll(this, code, pos);
        pos = std::clamp(pos, min_, max_);
        if (pos != position_) {
            position_ = pos;
            if (OnChange)
                OnChange(this);
        }
        Sync();
    });
}

void TScrollBar::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    auto *bar = new QScrollBar(kind_ == sbHorizontal ? Qt::Horizontal : Qt::Vertical, parentWidget);
    link_ = std::make_unique<TWidgetLink>(this, bar);
    link_->SetNative(true);
    QObject::connect(bar, &QScrollBar::actionTriggered, bar, [this, bar](int action) {
        int pos = bar->sliderPosition();
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: Scrolled(scLineDown, pos); break;
        case QAbstractSlider::SliderSingleStepSub: Scrolled(scLineUp, pos); break;
        case QAbstractSlider::SliderPageStepAdd: Scrolled(scPageDown, pos); break;
        case QAbstractSlider::SliderPageStepSub: Scrolled(scPageUp, pos); break;
        case QAbstractSlider::SliderToMinimum: Scrolled(scTop, pos); break;
        case QAbstractSlider::SliderToMaximum: Scrolled(scBottom, pos); break;
        case QAbstractSlider::SliderMove: Scrolled(scTrack, pos); break;
        default: break;
        }
    });
    QObject::connect(bar, &QScrollBar::sliderReleased, bar, [this, bar] { Scrolled(scPosition, bar->sliderPosition()); });
}

void TScrollBar::InitializeHandle()
{
    TWinControl::InitializeHandle();
    Sync();
}

void TScrollBar::Sync()
{
    if (!HandleAllocated())
        return;
    syncing_ = true;
    auto *bar = static_cast<QScrollBar *>(Link()->Widget());
    bar->setRange(min_, max_ - std::max(0, pageSize_ - 1));
    bar->setPageStep(std::max(1, largeChange_));
    bar->setSingleStep(std::max(1, smallChange_));
    if (!bar->isSliderDown())
        bar->setValue(position_);
    syncing_ = false;
}
