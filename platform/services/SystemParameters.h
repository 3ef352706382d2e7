#pragma once
// The system's user-interface parameters (menu delays, keyboard cues, wheel
// lines, menu metrics), the version the program believes it runs on, and the
// system's sounds. They come from one table of the classic values, which a
// test may change for its scope; sounds are silent here but counted.
#include "platform/graphics/Graphics.h"
#include "platform/kernel/Beep.h"

#include <string>
#include <vector>

struct TSystemParameters {
    int MenuShowDelay = 400;       // ms; negative when the system's answer is broken
    bool MenuShowDelayKnown = true; // false: the system parameter query fails
    bool KeyboardCues = false;     // true: accelerator underlines only after the keyboard is used
    bool FlatMenus = false;
    bool MenuAnimation = true;
    bool MenuFade = true;
    bool MenuDropRightAligned = false;
    int WheelScrollLines = 3;      // may be any value the system stores (page scrolling is -1)
    int MenuCheckWidth = 13;
    int MenuCheckHeight = 13;
    std::string MenuFontName = "MS UI Gothic";
    int MenuFontSize = 9;
    int VersionMajor = 5;          // the system version the framework's branches test (5.1)
    int VersionMinor = 1;
    bool Compositing = false;
    int ScreenBitsPerPixel = 24;   // colour depth of the screen (times its planes)      // the window system blends translucent windows
    std::vector<std::string> AssignedSoundEvents; // sound events with a sound set
};

TSystemParameters &SystemParameters();

// Changes the parameters for a scope and restores them after it.
class TScopedSystemParameters {
public:
    TScopedSystemParameters() : saved_(SystemParameters()) {}
    ~TScopedSystemParameters() { SystemParameters() = saved_; }
    TScopedSystemParameters(const TScopedSystemParameters &) = delete;
    TScopedSystemParameters &operator=(const TScopedSystemParameters &) = delete;

private:
    TSystemParameters saved_;
};

// The work area of the monitor nearest to a rectangle or a point (the whole
// screen when `workArea` is false).
TRect MonitorRectOfRect(const TRect &rect, bool workArea = true);
TRect MonitorRectOfPoint(TPoint point, bool workArea = true);
// The screen position of the pointer.
TPoint CursorPos();

// A named sound event (silent), kept so that tests can see it; the warning
// beep is the kernel's (Beep.h).
void PlaySound(const std::string &alias);
const std::vector<std::string> &PlayedSounds();

// Whether one of the program's windows is active (the person works in this program).
bool ApplicationIsActive();
