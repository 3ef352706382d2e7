#pragma once
// Input as a person gives it, for tests: mouse buttons, mouse moves and keys
// become the toolkit's own events, delivered to the window under the pointer
// (or, for keys, to the focused window), so they travel the whole input path:
// the dispatcher, mouse capture, drag and drop, focus and key preview.
//
// Points are in the client coordinates of `control`, which may be windowless;
// its form must be shown. Between a press and its release the pressed window
// keeps getting the mouse, as the windowing system does; while a window runs
// modally, the mouse reaches only it and the windows it owns.
#include "platform/kernel/Controls.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class TCustomForm;

// Shows the form, makes it the active window and waits until it is, so that
// focus and keys reach it; false when the window could not be activated.
bool SimulateActivation(TCustomForm &form);
// The person turns to another program: none of the program's windows stays
// active (the windows are told as they would be).
void SimulateApplicationDeactivation();

// The person asks the window manager to close the active window: its close
// button on the title bar, or Alt+F4.
void SimulateCloseRequest();

// The person's input on the next message box the program shows (its modal
// question): `input` runs once the box is up and is the active window, so
// that keys reach it. Given before what shows the box; looked for during two
// seconds.
void SimulateNextMessageBoxInput(std::function<void()> input);
// Whether a message box is up now.
bool MessageBoxShown();
// A click on the button of the message box up now whose caption, without its
// accelerator ("はい" for "はい(&Y)"), is `caption`; false when there is none.
bool SimulateMessageBoxClick(const std::string &caption);

// The person resizes the form's window to this outer size.
void SimulateWindowResize(TCustomForm &form, int width, int height);

void SimulateMousePress(TControl &control, TPoint p, TMouseButton button = mbLeft, TShiftState shift = 0);
// A move with the buttons pressed so far still held.
void SimulateMouseMove(TControl &control, TPoint p, TShiftState shift = 0);
void SimulateMouseRelease(TControl &control, TPoint p, TMouseButton button = mbLeft, TShiftState shift = 0);
void SimulateClick(TControl &control, TPoint p, TMouseButton button = mbLeft, TShiftState shift = 0);
// Press, release, the second press (the double click) and its release.
void SimulateDoubleClick(TControl &control, TPoint p);
// A left press at `from`, moves in `steps` equal steps to `to`, and the release there.
void SimulateDrag(TControl &control, TPoint from, TPoint to, TShiftState shift = 0, int steps = 2);
// The wheel turned by `delta` (120 = one notch away from the person) with the pointer at `p`.
void SimulateWheel(TControl &control, TPoint p, int delta, TShiftState shift = 0);
// `notches` turns of the wheel arriving together, as a quick spin gives them:
// all are queued before the first is handled (ProcessMessages delivers them).
void SimulateWheelBurst(TControl &control, TPoint p, int delta, int notches);

// The person's answer to the next popup menu that opens: the item with this
// caption is chosen when the menu shows it enabled; otherwise (an empty
// caption, a missing or disabled item) the menu is closed with Esc. Given
// before the click that opens the menu.
void SimulateNextMenuChoice(const std::string &caption);
// The person's input on the next popup menu that opens: `input` runs once the
// menu is up, and keys given there (SimulateKey) reach the menu. The menu is
// closed with Esc afterwards if the input left it open. Given before what
// opens the menu; looked for during two seconds.
void SimulateNextMenuInput(std::function<void()> input);

// A popup menu as it is shown: its top-left corner on the screen and its
// items (the captions as given, "&" included, without the shortcut shown
// beside them; separators left out).
struct TShownMenuItem {
    std::string Caption;
    bool Enabled = false;
};
struct TShownMenu {
    TPoint TopLeft;
    std::vector<TShownMenuItem> Items;
    // The highlighted item's caption; empty when none is.
    std::string Active;
};
// The popup menu up now; nullopt when none is.
std::optional<TShownMenu> ShownMenu();

// The form's menu bar as it is drawn now: its titles (captions as given, "&"
// included) and, in Active, the title drawn highlighted (empty when none
// is); nullopt when the form shows no menu bar.
std::optional<TShownMenu> ShownMenuBar(TCustomForm &form);

// The cursor the window under a point of the control shows now (after a
// mouse move there); crDefault for the arrow.
TCursor ShownCursor(TControl &control, TPoint p);

// A key pressed and released on the focused window (`key` is a VK_ value, a
// letter 'A'..'Z' or a digit '0'..'9'). The menu key (VK_APPS) is preceded,
// as the window system sends it, by a request for the focused widget's
// context menu.
void SimulateKey(int key, TShiftState shift = 0);
// Each character typed on the focused window.
void SimulateTyping(const std::string &text);
// A character a keyboard layout makes with AltGr, typed on the focused
// window on the letter key `key` ('A'..'Z'): the layout's third level gives
// the character with no modifier held; some layouts give it with Ctrl and
// Alt held (`withCtrlAlt`).
void SimulateAltGrTyping(int key, const std::string &character, bool withCtrlAlt);

// The system clipboard as a person may leave it: holding `text`, or holding
// data with nothing in it (an empty `text`).
void SimulateClipboard(const std::string &text);
