#pragma once
// Binding to a visual-styles library, loaded at run time. This system has no
// such library: the default loader finds nothing, so every paint is classic.
// Tests install a loader that fills the slots with a recording fake.

#include "platform/graphics/Graphics.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

using HTHEME = std::intptr_t;

// The slots the theme layer calls; the library's other functions are listed
// by name only.
struct TUxThemeFunctions {
    std::function<HTHEME(const std::string &classList)> OpenThemeData;
    std::function<long(HTHEME theme)> CloseThemeData;
    std::function<long(HTHEME theme, TCanvas &canvas, int part, int state, const TRect &rect, const TRect *clip)>
        DrawThemeBackground;
    std::function<long(HTHEME theme, TCanvas &canvas, int part, int state, const TRect &bounds, TRect &content)>
        GetThemeBackgroundContentRect;
    std::function<long(HTHEME theme, int part, int state, TSize &size)> GetThemePartSize;
    std::function<long(HTHEME theme, int part, int state, const TRect &rect)> GetThemeBackgroundRegion;
    std::function<long(HTHEME theme, int part, int state, int property, TColor &color)> GetThemeColor;
    std::function<long(HTHEME theme, int part, int state, int property, TRect &margins)> GetThemeMargins;
    std::function<bool()> IsAppThemed;
    std::function<bool()> IsThemeActive;
};

// Every function name the binding looks up, in binding order.
extern const std::array<const char *, 46> UxThemeFunctionNames;

// Finds the library; nothing when it is missing.
using TUxThemeLoader = std::function<std::optional<TUxThemeFunctions>()>;
// Replaces the loader (tests); an empty one restores the default. Unloads first.
void SetUxThemeLoader(TUxThemeLoader loader);

// Loads the library once; answers whether it is loaded.
bool LoadUxThemeFunctions();
void FreeUxThemeFunctions();
bool UxThemeLoaded();
// Loaded, the application themed and then visual styles switched on.
bool VisualStylesActive();
// The bound slots (all empty when not loaded).
const TUxThemeFunctions &UxTheme();
