#pragma once
// Window hooks shared by the toolbar framework's objects: a subscriber names
// the kinds of window events it wants; the dispatcher's hook is installed
// while anyone needs it and fans the events out.
#include "platform/core/Messages.h"

#include <cstdint>

enum THookKind : int {
    HookKindActivate = 0,          // WM_ACTIVATE sent
    HookKindActivateApp = 1,       // WM_ACTIVATEAPP sent
    HookKindWindowPosChanged = 2,  // WM_WINDOWPOSCHANGED sent
    HookKindDestroyWindow = 3,     // a window is being destroyed
    HookKindGetMessage = 4,        // a message is delivered (lParam: the TMessage, which may be changed)
};
using THookKinds = unsigned; // bit (1 << kind)

// Message numbers that feed the kinds.
enum : unsigned {
    WM_ACTIVATE = 0x0006,
    WM_ACTIVATEAPP = 0x001C,
    WM_WINDOWPOSCHANGED = 0x0047,
};

using THookProc = void (*)(THookKind kind, TMessageTarget *window, WPARAM wParam, LPARAM lParam);

// Subscribes `owner` for `proc`; an owner subscribed twice for one procedure counts once.
void HookSubscribe(const void *owner, THookProc proc, THookKinds kinds);
void HookUnsubscribe(const void *owner, THookProc proc);
// Whether the system hook serving the kind is installed (tests).
bool HookInstalled(THookKind kind);
