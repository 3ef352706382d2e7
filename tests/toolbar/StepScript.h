#pragma once
// Test steps run one after another from the event loop, so that they also run
// inside a nested loop (menu mode, a drag).

#include "platform/Messages.h"

#include <chrono>
#include <deque>
#include <functional>

class Script : public TMessageTarget {
public:
    void Add(std::function<void()> step) { steps_.push_back(std::move(step)); }
    void WndProc(TMessage &) override
    {
        if (steps_.empty())
            return;
        auto step = std::move(steps_.front());
        steps_.pop_front();
        PostMessage(this, WM_USER);
        step();
    }
    // Runs every step; false when they did not finish in time.
    bool Run()
    {
        PostMessage(this, WM_USER);
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!steps_.empty() && std::chrono::steady_clock::now() < until)
            ProcessMessages();
        for (int i = 0; i < 5; ++i)
            ProcessMessages();
        return steps_.empty();
    }

private:
    std::deque<std::function<void()>> steps_;
};
