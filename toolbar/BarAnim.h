#pragma once
// The show animation of popups: a fade (where windows can be translucent) or a
// slide, paced by one worker thread that posts step messages to the window and
// never waits for the GUI thread.
#include "platform/kernel/Controls.h"

#include <memory>

// The worker's clock, replaceable so that tests can step time.
class TAnimationClock {
public:
    virtual ~TAnimationClock() = default;
    virtual long long NowMs();
    virtual void SleepMs(int ms);
    // Where the GUI thread sees the pointer (it hands this to the worker).
    virtual TPoint PointerPos();
};
// Replaces the clock (nullptr: the real one); returns the previous.
std::shared_ptr<TAnimationClock> SetAnimationClock(std::shared_ptr<TAnimationClock> clock);

// The pointer position as the GUI thread last saw it (the worker reads it).
void SetAnimationCursorPos(TPoint screen);

// `directions`: 1 from the right, 2 from the left, 4 from the top, 8 from the bottom.
void StartPopupAnimation(TWinControl *window, bool fade, unsigned directions);
// Stops the animation of `window` (any window when nullptr) and shows it whole.
void StopPopupAnimation(TWinControl *window);
// Applies one BARWM_ANIMATIONSTEP.
void PopupAnimationStep(const TMessage &message);

// Where a sliding window's picture stands now (0, 0 when it does not slide):
// the window paints itself moved by it.
TPoint PopupAnimationOffset(const TWinControl *window);

// For tests: whether an animation runs, whether it fades, the alpha or slide
// progress (0..255) applied last.
bool PopupAnimationRunning();
bool PopupAnimationFading();
int PopupAnimationApplied();
