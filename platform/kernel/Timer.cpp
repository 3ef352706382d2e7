#include "platform/kernel/Timer.h"

#include "platform/kernel/Application.h"

#include <QTimer>

struct TTimer::Impl {
    QTimer timer;
};

TTimer::TTimer(TComponent *owner) : TComponent(owner), impl_(std::make_unique<Impl>())
{
    QObject::connect(&impl_->timer, &QTimer::timeout, &impl_->timer, [this] {
        if (OnTimer)
            Application().Guard([this] { OnTimer(this); });
    });
    Restart();
}

TTimer::~TTimer() = default;

void TTimer::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    Restart();
}

void TTimer::SetInterval(int ms)
{
    interval_ = ms;
    Restart();
}

void TTimer::Restart()
{
    impl_->timer.stop();
    if (enabled_ && interval_ > 0)
        impl_->timer.start(interval_);
}
