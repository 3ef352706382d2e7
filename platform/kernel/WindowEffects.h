#pragma once
// Effects on top-level windows used while a popup appears, and posting from a
// worker thread.
#include "platform/kernel/Controls.h"

#include <functional>

// Translucency of a top-level window, 0 (invisible) to 255 (opaque); only
// where the window system blends windows (SystemParameters().Compositing).
void SetWindowAlpha(TWinControl &window, int alpha);
// Limits the visible part of a window to a rectangle in its own coordinates;
// nullptr shows it whole again.
void SetWindowVisibleRect(TWinControl &window, const TRect *rect);
// Shows a top-level window at its bounds without activating it.
void ShowWindowNoActivate(TWinControl &window);

// Readies the hand-over of messages from worker threads (call on the GUI thread).
void PrepareThreadMessages();
// Posts a message from any thread; it is delivered on the GUI thread through
// the dispatcher, and not at all when the target is gone by then.
void PostMessageFromThread(const TMessageTargetRef &target, unsigned msg, WPARAM wParam, LPARAM lParam);

// While enabled, the program's top-level windows are told, through the
// dispatcher, when they are activated or deactivated (WM_ACTIVATE, WParam 1 or
// 0), when the program is activated or deactivated (WM_ACTIVATEAPP to each
// window, WParam 1 or 0) and when they move, are resized, shown or hidden
// (WM_WINDOWPOSCHANGED), so that message hooks see these events. Calls nest.
void EnableWindowStateMessages(bool enable);
// Whether one of the program's windows is the active window (none is while
// the person works in another program).
bool ProgramHasActiveWindow();
// The control whose top-level window is the active window, or nullptr.
TWinControl *ActiveWindowControl();

// Whether the window on top at a screen point is this control's window (or a
// window inside it): where windows overlap, only the topmost one is under the point.
bool WindowIsUnderPoint(const TWinControl &window, TPoint screen);

// Takes the pointer for a window: every press, move and release, over the
// program's other windows and over other programs' windows too, goes to it
// (points in its own coordinates) until it is released or the window hides.
// False when the window is not showing.
bool GrabPointer(TWinControl &window);
// Gives the pointer back when the window still holds it.
void ReleasePointer(TWinControl &window);
// Whether the window still holds the pointer.
bool HoldsPointer(const TWinControl &window);
// Delivers a press that was held back to the control under the screen point,
// which keeps the mouse until the buttons are up; false when none of the
// program's windows is there.
bool DeliverMousePressAt(TPoint screen, unsigned msg, WPARAM keys);
