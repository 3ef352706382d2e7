#include "toolbar/BarAnim.h"

#include "platform/services/SystemParameters.h"
#include "toolbar/BarItem.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Time moves only when the worker sleeps (or not at all when frozen).
class StepClock : public TAnimationClock {
public:
    std::atomic<long long> now{5000};
    std::atomic<bool> frozen{false};
    std::atomic<bool> slow{false}; // a millisecond per real millisecond
    TPoint pointer{-100, -100};
    long long NowMs() override { return now.load(); }
    void SleepMs(int ms) override
    {
        if (slow.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            now += 1;
        } else if (frozen.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        else
            now += ms;
    }
    TPoint PointerPos() override { return pointer; }
};

// A top-level window that applies the animation's messages and records them.
class AnimatedWindow : public TCustomControl {
public:
    explicit AnimatedWindow() : TCustomControl(nullptr) { SetBounds(200, 200, 120, 80); }
    std::vector<int> applied;
    std::vector<TPoint> offsets;
    bool done = false;
    void WndProc(TMessage &message) override
    {
        if (message.Msg == BARWM_ANIMATIONSTEP) {
            PopupAnimationStep(message);
            applied.push_back(PopupAnimationApplied());
            offsets.push_back(PopupAnimationOffset(this));
        } else if (message.Msg == BARWM_ANIMATIONDONE)
            done = true;
        else
            TCustomControl::WndProc(message);
    }
};

struct ClockScope {
    std::shared_ptr<StepClock> clock = std::make_shared<StepClock>();
    std::shared_ptr<TAnimationClock> previous;
    ClockScope() { previous = SetAnimationClock(clock); }
    ~ClockScope() { SetAnimationClock(previous); }
};

bool WaitUntil(const std::function<bool()> &condition)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition() && std::chrono::steady_clock::now() < until)
        ProcessMessages();
    return condition();
}

} // namespace

TEST(BarAnimation, AFadeRunsFrom40ToOpaqueWithin175Milliseconds)
{
    TScopedSystemParameters parameters;
    SystemParameters().Compositing = true;
    ClockScope scope;
    AnimatedWindow window;
    long long start = scope.clock->now.load();
    StartPopupAnimation(&window, true, 4);
    EXPECT_TRUE(PopupAnimationFading());
    EXPECT_EQ(PopupAnimationApplied(), 40);
    ASSERT_TRUE(WaitUntil([&] { return window.done; }));
    EXPECT_FALSE(PopupAnimationRunning());
    EXPECT_LE(scope.clock->now.load() - start, 175);
    ASSERT_FALSE(window.applied.empty());
    EXPECT_EQ(window.applied.back(), 255);
    for (size_t i = 1; i < window.applied.size(); ++i)
        EXPECT_GE(window.applied[i], window.applied[i - 1]);
    EXPECT_GE(window.applied.front(), 40);
}

TEST(BarAnimation, WithoutCompositingAFadeBecomesASlideWithin150Milliseconds)
{
    TScopedSystemParameters parameters;
    SystemParameters().Compositing = false;
    ClockScope scope;
    scope.clock->slow = true; // several steps reach the window, whatever the load
    AnimatedWindow window;
    long long start = scope.clock->now.load();
    StartPopupAnimation(&window, true, 4 | 2);
    EXPECT_FALSE(PopupAnimationFading());
    ASSERT_TRUE(WaitUntil([&] { return window.done; }));
    EXPECT_LE(scope.clock->now.load() - start, 150);
    EXPECT_EQ(window.applied.back(), 255);
    // From the top left: the picture comes down and right into place.
    ASSERT_GE(window.offsets.size(), 2u);
    EXPECT_LT(window.offsets.front().Y, 0);
    EXPECT_LT(window.offsets.front().X, 0);
    EXPECT_EQ(window.offsets.back(), (TPoint{0, 0})); // ended: whole and in place
}

TEST(BarAnimation, ThePointerReachingThePopupEndsItAtOnce)
{
    TScopedSystemParameters parameters;
    SystemParameters().Compositing = true;
    ClockScope scope;
    scope.clock->slow = true;
    AnimatedWindow window;
    long long start = scope.clock->now.load();
    StartPopupAnimation(&window, true, 8);
    EXPECT_TRUE(PopupAnimationRunning());
    scope.clock->pointer = window.ClientToScreen(TPoint{10, 10});
    SetAnimationCursorPos(scope.clock->pointer);
    ASSERT_TRUE(WaitUntil([&] { return window.done; }));
    EXPECT_EQ(window.applied.back(), 255);
    EXPECT_LT(scope.clock->now.load() - start, 100); // long before its time
}

TEST(BarAnimation, StartingAnotherOrFreeingTheWindowEndsTheFirst)
{
    TScopedSystemParameters parameters;
    SystemParameters().Compositing = true;
    ClockScope scope;
    scope.clock->frozen = true;
    AnimatedWindow first, second;
    StartPopupAnimation(&first, true, 4);
    StartPopupAnimation(&second, false, 4);
    EXPECT_TRUE(first.done); // ended, shown whole
    StopPopupAnimation(&first); // not the running one: nothing
    EXPECT_TRUE(PopupAnimationRunning());
    StopPopupAnimation(nullptr);
    EXPECT_TRUE(second.done);
    EXPECT_FALSE(PopupAnimationRunning());
    ProcessMessages(); // late steps of the old sequence are ignored
}
