#pragma once
// Typing and clicking through the platform's messages, for tests of controls.
#include "platform/kernel/Controls.h"
#include "platform/widgets/Mask.h"

#include <string>

namespace testing_support {

// Each character as a WM_CHAR message.
inline void Type(TMessageTarget *target, const std::string &text)
{
    for (char32_t c : Utf8ToUtf32(text))
        SendMessage(target, WM_CHAR, static_cast<WPARAM>(c));
}

inline void Key(TMessageTarget *target, int key, TShiftState shift = 0)
{
    SendMessage(target, WM_KEYDOWN, static_cast<WPARAM>(key), static_cast<LPARAM>(shift));
}

// A left (or right) press and release at a point; `keys` are the MK_* flags held.
inline void Click(TControl &control, TPoint p, TMouseButton button = mbLeft, WPARAM keys = 0)
{
    unsigned down = button == mbLeft ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
    SendMessage(&control, down, keys | (button == mbLeft ? MK_LBUTTON : MK_RBUTTON), MakeLParam(p.X, p.Y));
    SendMessage(&control, down + 1, keys, MakeLParam(p.X, p.Y));
}

inline TPoint Middle(const TRect &r) { return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

} // namespace testing_support
