#pragma once
// Small helpers of the toolbar framework: captions with accelerators ("&"),
// integer division, system parameters as the framework reads them, monitors.
#include "platform/graphics/Graphics.h"

#include "platform/kernel/Controls.h"
#include "platform/core/Messages.h"

#include <functional>
#include <string>

// The caption without its accelerator marks: each "&" goes, the character
// after it stays (so "&&" becomes "&").
std::string StripAccelChars(const std::string &text);
// Each "&" doubled, so that the text shows as written.
std::string EscapeAmpersands(const std::string &text);
// Without one trailing ":" (text of two characters or more) or "..." (more than three).
std::string StripTrailingPunctuation(const std::string &text);
// The character after the last single "&" ("&&" is no mark, a final "&" ends
// the search) as a code point; 0 when there is none.
char32_t FindAccelChar(const std::string &text);
// The first character of the text as a code point (0 for an empty text).
char32_t FirstChar(const std::string &text);
// Case-insensitive comparison of two characters.
bool SameCharIgnoringCase(char32_t a, char32_t b);

// A shortcut value (key code with scShift/scCtrl/scAlt bits) as text, e.g. "Ctrl+S".
std::string ShortCutToText(int shortCut);

// a / b, an inexact quotient rounded away from zero.
int DivRoundAwayFromZero(int a, int b);

// The delay before a submenu opens or closes on hover, never below 0.
int GetMenuShowDelay();
// "MenuShowDelay" of the per-user desktop settings: 400 when missing, 0 when not a number.
int ReadMenuShowDelayFromRegistry();
bool FlatMenusEnabled();
// Accelerator underlines always show unless the system hides them until the keyboard is used.
bool ShowAccelUnderlines();
// True when the sound event has a sound set.
bool SoundEventAssigned(const std::string &name);
bool RunningVersion51OrLater();

// The work area (or the whole monitor) nearest to a rectangle or a point.
TRect GetMonitorRectOfRect(const TRect &rect, bool workArea);
TRect GetMonitorRectOfPoint(TPoint point, bool workArea);

// What WM_PRINT asks to paint.
enum : unsigned {
    PRF_CHECKVISIBLE = 0x01,
    PRF_NONCLIENT = 0x02,
    PRF_CLIENT = 0x04,
    PRF_ERASEBKGND = 0x08,
    PRF_CHILDREN = 0x10,
    PRF_OWNED = 0x20,
};

// Answers WM_PRINT for a window with a border of `ncSize` that it paints
// itself: nothing for a hidden window when PRF_CHECKVISIBLE is set; the border
// through `paintNonClient`; the client (WM_ERASEBKGND first when asked, then
// WM_PRINTCLIENT, both with the origin at the client area when the border is
// painted too); the visible child windows at their places. The canvas's state
// is restored; the result is 1.
void HandleWMPrint(TWinControl &window, TMessage &message, TPoint ncSize,
                   const std::function<void(TCanvas &)> &paintNonClient);

// Draws a caption top to bottom (turned 90 degrees clockwise, for vertical
// toolbars), centred across the rectangle. Each single "&" is removed and the
// character after it underlined, unless DT_NOPREFIX keeps the "&"s or
// DT_HIDEPREFIX hides the underline; DT_END_ELLIPSIS cuts a caption longer
// than the rectangle's height and appends "..."; DT_CENTER centres it along
// the rectangle; without DT_NOCLIP it is clipped to the rectangle.
void DrawRotatedText(TCanvas &canvas, const std::string &text, const TRect &rect, unsigned flags);
