#pragma once
// The outline a drag shows where a window would go: a frame in a halftone
// pattern on a window of its own that stays on top and lets the mouse pass
// through (it is masked to the frame, so only the frame covers the screen).
// Nothing is drawn onto the desktop and nothing is locked.
#include "platform/graphics/Graphics.h"

#include <memory>

class TDragOutline {
public:
    TDragOutline();
    ~TDragOutline();
    TDragOutline(const TDragOutline &) = delete;
    TDragOutline &operator=(const TDragOutline &) = delete;

    // Moves the frame (thickness pixels inside the rectangle, screen
    // coordinates) to the rectangle; an empty rectangle hides it.
    void Show(const TRect &rect, int thickness);
    void Hide() { Show(TRect{}, 0); }
    bool Visible() const { return visible_; }
    TRect Rect() const { return rect_; }
    int Thickness() const { return thickness_; }
    // Whether the frame's window lets the mouse through to what lies under it.
    bool InputTransparent() const;

private:
    struct TWindow;
    std::unique_ptr<TWindow> window_;
    TRect rect_;
    int thickness_ = 0;
    bool visible_ = false;
};

// Holds the pointer for a windowed control while a mouse loop runs: every
// mouse event goes to the control's window, wherever the pointer is. Call it
// again after the control moved to another top-level window: it grabs anew
// there as soon as the window system shows that window, and the pointer stays
// held as it was until then. ReleasePointer lets the pointer go.
class TWinControl;
void GrabPointer(TWinControl *control);
void ReleasePointer();
