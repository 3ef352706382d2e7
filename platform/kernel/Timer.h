#pragma once
// A timer: fires OnTimer every Interval milliseconds while enabled.
#include "platform/core/Component.h"

#include <memory>

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent *owner);
    ~TTimer() override;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    int Interval() const { return interval_; }
    void SetInterval(int ms);
    TNotifyEvent OnTimer;

    struct Impl;

private:
    void Restart();
    bool enabled_ = true;
    int interval_ = 1000;
    std::unique_ptr<Impl> impl_;
};
