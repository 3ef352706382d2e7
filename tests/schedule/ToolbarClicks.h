#pragma once
// Clicks on the main window's toolbar buttons, as a person gives them.
#include "platform/services/InputSimulation.h"
#include "tests/toolbar/StepScript.h"
#include "toolbar/BarToolbar.h"

namespace testing_main {

// The centre of an item's button, in the toolbar's own coordinates.
inline TPoint ItemCentre(TBarCustomToolbar &toolbar, const TBarCustomItem *item)
{
    toolbar.View().EnsureLayout();
    const TBarItemViewer *viewer = toolbar.View().Find(item);
    if (!viewer)
        return TPoint{-1, -1};
    const TRect r = viewer->BoundsRect();
    const TPoint origin = toolbar.ClientOrigin();
    return TPoint{origin.X + (r.Left + r.Right) / 2, origin.Y + (r.Top + r.Bottom) / 2};
}

// The press enters menu mode, which the release ends; the command then runs
// from the event loop.
inline void ClickToolbarItem(TBarCustomToolbar &toolbar, const TBarCustomItem *item)
{
    const TPoint p = ItemCentre(toolbar, item);
    Script script;
    script.Add([&] { SimulateMousePress(toolbar, p); });
    script.Add([&] { SimulateMouseRelease(toolbar, p); });
    script.Run();
}

} // namespace testing_main
