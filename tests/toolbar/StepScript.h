#pragma once
// Test steps run one after another from the event loop, so that they also run
// inside a nested loop (menu mode, a drag).

#include "platform/core/Messages.h"
#include "platform/kernel/Timer.h"

#include <chrono>
#include <deque>
#include <functional>

class Script : public TMessageTarget {
public:
    Script()
    {
        pauseTimer_.SetEnabled(false);
        pauseTimer_.OnTimer = [this](TObject *) {
            pauseTimer_.SetEnabled(false);
            PostMessage(this, WM_USER);
        };
    }
    void Add(std::function<void()> step) { steps_.push_back({std::move(step), 0}); }
    // Lets the loop idle for a while (timers run; a script that keeps posting
    // its steps would hold them off).
    void AddPause(int ms) { steps_.push_back({nullptr, ms}); }
    void WndProc(TMessage &) override
    {
        if (steps_.empty())
            return;
        TStep step = std::move(steps_.front());
        steps_.pop_front();
        if (step.pauseMs > 0) {
            pauseTimer_.SetInterval(step.pauseMs);
            pauseTimer_.SetEnabled(true);
            return;
        }
        PostMessage(this, WM_USER);
        step.run();
    }
    // Runs every step; false when they did not finish in time.
    bool Run()
    {
        PostMessage(this, WM_USER);
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while ((!steps_.empty() || pauseTimer_.Enabled()) && std::chrono::steady_clock::now() < until)
            ProcessMessages();
        for (int i = 0; i < 5; ++i)
            ProcessMessages();
        return steps_.empty();
    }

private:
    struct TStep {
        std::function<void()> run;
        int pauseMs;
    };
    std::deque<TStep> steps_;
    TTimer pauseTimer_{nullptr};
};
