#pragma once
// A window's placement as the settings file keeps it: flags, show command, the
// maximised position and the normal position as a rectangle of coordinates.
#include "platform/graphics/Graphics.h"

#include <vector>

struct TWindowPlacement {
    int flags = 0;
    int showCmd = 1;       // SW_SHOWNORMAL
    int maxX = -1;
    int maxY = -1;
    int normalLeft = 0;
    int normalTop = 0;
    int normalRight = 0;   // coordinates, not sizes
    int normalBottom = 0;
};

// Something whose placement can be read and applied: a form.
class TWindowPlacementHolder {
public:
    virtual ~TWindowPlacementHolder() = default;
    virtual TWindowPlacement GetWindowPlacement() const = 0;
    virtual void SetWindowPlacement(const TWindowPlacement &placement) = 0;
};

// The placement with its normal rectangle made safe to apply: no larger than
// the virtual desktop (the union of `screens`) and at least partly on one of
// the screens (else moved onto the first). An empty rectangle, which is not
// applied, stays as it is. Values from a settings file may be anything.
TWindowPlacement FitPlacementToScreens(TWindowPlacement placement, const std::vector<TRect> &screens);
// The rectangles of the screens, the primary one first.
std::vector<TRect> ScreenRects();
