#include "toolbar/BarAnim.h"

#include "platform/services/SystemParameters.h"
#include "platform/kernel/WindowEffects.h"
#include "toolbar/BarItem.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace {

std::mutex gClockMutex;
std::shared_ptr<TAnimationClock> gClock;

std::shared_ptr<TAnimationClock> Clock()
{
    std::lock_guard<std::mutex> lock(gClockMutex);
    if (!gClock)
        gClock = std::make_shared<TAnimationClock>();
    return gClock;
}

std::atomic<long long> gCursor{0};

long long PackPoint(TPoint p)
{
    return static_cast<long long>(static_cast<std::uint32_t>(p.X)) << 32 | static_cast<std::uint32_t>(p.Y);
}
TPoint UnpackPoint(long long v)
{
    return TPoint{static_cast<int>(static_cast<std::int32_t>(v >> 32)), static_cast<int>(static_cast<std::int32_t>(v))};
}

// What the worker shares with the GUI thread; the worker only reads the
// constants and writes the atomics.
struct TAnimationData {
    std::uint32_t sequence = 0;
    TMessageTargetRef window;
    int duration = 0;
    bool layered = false;
    int startProgress = 0;
    TRect clientRect;
    unsigned directions = 0;
    long long startCursor = 0; // the pointer when the animation started
    std::shared_ptr<TAnimationClock> clock;
    std::atomic<int> progress{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    std::atomic<bool> stepPending{false};
};

struct TAnimationState {
    std::unique_ptr<TAnimationData> data;
    std::thread worker;
    TWinControl *window = nullptr;
    std::uint32_t nextSequence = 0;
    int applied = 0;
    int width = 0, height = 0;
    TPoint offset;
};

TAnimationState &State()
{
    static TAnimationState state;
    return state;
}

void Worker(TAnimationData *d)
{
    long long start = d->clock->NowMs();
    long long lastStep = start;
    long long lastCursor = d->startCursor;
    while (!d->stop.load()) {
        long long now = d->clock->NowMs();
        long long elapsed = now - start;
        if (elapsed < 0 || elapsed >= d->duration)
            break;
        long long p = elapsed * 255 / d->duration + d->startProgress;
        if (p < 0 || p > 254)
            break;
        long long cursor = gCursor.load();
        if (cursor != lastCursor) {
            lastCursor = cursor;
            if (PtInRect(d->clientRect, UnpackPoint(cursor)))
                break; // the person reached the popup: show it whole at once
        }
        if (p > d->progress.load()) {
            d->progress.store(static_cast<int>(p));
            bool expected = false;
            if (d->stepPending.compare_exchange_strong(expected, true))
                PostMessageFromThread(d->window, BARWM_ANIMATIONSTEP, 0, static_cast<LPARAM>(d->sequence));
        }
        lastStep = now;
        while (!d->stop.load() && d->clock->NowMs() - lastStep < 10)
            d->clock->SleepMs(5);
    }
    d->finished.store(true);
    PostMessageFromThread(d->window, BARWM_ANIMATIONSTEP, 0, static_cast<LPARAM>(d->sequence));
}

void EndPopupAnimation()
{
    TAnimationState &s = State();
    TWinControl *window = s.window;
    bool layered = s.data && s.data->layered;
    s.data.reset();
    s.window = nullptr;
    bool slid = s.offset.X != 0 || s.offset.Y != 0;
    s.offset = TPoint{};
    if (!window)
        return;
    if (slid)
        window->Invalidate();
    if (layered)
        SetWindowAlpha(*window, 255);
    else
        SetWindowVisibleRect(*window, nullptr);
    s.applied = 255;
    SendMessage(window, BARWM_ANIMATIONDONE);
}

} // namespace

long long TAnimationClock::NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

TPoint TAnimationClock::PointerPos() { return CursorPos(); }

void TAnimationClock::SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::shared_ptr<TAnimationClock> SetAnimationClock(std::shared_ptr<TAnimationClock> clock)
{
    std::lock_guard<std::mutex> lock(gClockMutex);
    std::swap(gClock, clock);
    return clock;
}

void SetAnimationCursorPos(TPoint screen) { gCursor.store(PackPoint(screen)); }

void StartPopupAnimation(TWinControl *window, bool fade, unsigned directions)
{
    StopPopupAnimation(nullptr);
    PrepareThreadMessages();
    TAnimationState &s = State();
    auto d = std::make_unique<TAnimationData>();
    d->sequence = ++s.nextSequence;
    d->window = TMessageTargetRef(window);
    // Without a compositing window system a window cannot be translucent: slide.
    d->layered = fade && SystemParameters().Compositing;
    d->directions = directions;
    d->clock = Clock();
    window->HandleNeeded();
    TPoint origin = window->ClientToScreen(TPoint{0, 0});
    d->clientRect = Bounds(origin.X, origin.Y, window->Width(), window->Height());
    s.width = window->Width();
    s.height = window->Height();
    SetAnimationCursorPos(d->clock->PointerPos());
    d->startCursor = gCursor.load();
    if (d->layered) {
        d->duration = 175;
        d->startProgress = 40;
        d->progress.store(40);
        window->HandleNeeded();
        SetWindowAlpha(*window, 40);
    } else {
        d->duration = 150;
        window->HandleNeeded();
        TRect none{0, 0, 0, 0};
        SetWindowVisibleRect(*window, &none);
    }
    s.applied = d->progress.load();
    ShowWindowNoActivate(*window);
    s.window = window;
    s.data = std::move(d);
    try {
        s.worker = std::thread(Worker, s.data.get());
    } catch (...) {
        EndPopupAnimation();
    }
}

void StopPopupAnimation(TWinControl *window)
{
    TAnimationState &s = State();
    if (!s.data || (window && window != s.window))
        return;
    s.data->stop.store(true);
    if (s.worker.joinable())
        s.worker.join();
    EndPopupAnimation();
}

void PopupAnimationStep(const TMessage &message)
{
    TAnimationState &s = State();
    if (!s.data || static_cast<std::uint32_t>(message.LParam) != s.data->sequence)
        return;
    SetAnimationCursorPos(s.data->clock->PointerPos());
    if (s.data->finished.load()) {
        StopPopupAnimation(s.window);
        return;
    }
    int progress = s.data->progress.load();
    if (s.data->layered)
        SetWindowAlpha(*s.window, progress);
    else {
        int w = s.width, h = s.height, x = 0, y = 0;
        unsigned d = s.data->directions;
        if (d & 4) y = MulDiv(h, progress, 255) - h;
        if (d & 8) y = h - MulDiv(h, progress, 255);
        if (d & 2) x = MulDiv(w, progress, 255) - w;
        if (d & 1) x = w - MulDiv(w, progress, 255);
        TRect visible{std::max(0, x), std::max(0, y), std::min(w, x + w), std::min(h, y + h)};
        SetWindowVisibleRect(*s.window, &visible);
        s.offset = TPoint{x, y};
        s.window->Repaint();
    }
    s.applied = progress;
    s.data->stepPending.store(false);
}

TPoint PopupAnimationOffset(const TWinControl *window)
{
    return window && window == State().window ? State().offset : TPoint{};
}

bool PopupAnimationRunning() { return State().data != nullptr; }
bool PopupAnimationFading() { return State().data && State().data->layered; }
int PopupAnimationApplied() { return State().applied; }
