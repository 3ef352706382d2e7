#include "toolbar/SkinUxThemes.h"

const std::array<const char *, 46> UxThemeFunctionNames = {"OpenThemeData", "CloseThemeData",
    "DrawThemeBackground", "DrawThemeText", "GetThemeBackgroundContentRect", "GetThemePartSize",
    "GetThemeTextExtent", "GetThemeTextMetrics", "GetThemeBackgroundRegion", "HitTestThemeBackground",
    "DrawThemeEdge", "DrawThemeIcon", "IsThemePartDefined", "IsThemeBackgroundPartiallyTransparent",
    "GetThemeColor", "GetThemeMetric", "GetThemeString", "GetThemeBool", "GetThemeInt", "GetThemeEnumValue",
    "GetThemePosition", "GetThemeFont", "GetThemeRect", "GetThemeMargins", "GetThemeIntList",
    "GetThemePropertyOrigin", "SetWindowTheme", "GetThemeFilename", "GetThemeSysColor", "GetThemeSysColorBrush",
    "GetThemeSysBool", "GetThemeSysSize", "GetThemeSysFont", "GetThemeSysString", "GetThemeSysInt",
    "IsThemeActive", "IsAppThemed", "GetWindowTheme", "EnableThemeDialogTexture", "IsThemeDialogTextureEnabled",
    "GetThemeAppProperties", "SetThemeAppProperties", "GetCurrentThemeName", "GetThemeDocumentationProperty",
    "DrawThemeParentBackground", "EnableTheming"};

namespace {

TUxThemeLoader loader;
TUxThemeFunctions bound;
bool loaded = false;

} // namespace

void SetUxThemeLoader(TUxThemeLoader newLoader)
{
    FreeUxThemeFunctions();
    loader = std::move(newLoader);
}

bool LoadUxThemeFunctions()
{
    if (loaded)
        return true;
    if (!loader)
        return false;
    std::optional<TUxThemeFunctions> functions = loader();
    if (!functions)
        return false;
    bound = std::move(*functions);
    loaded = true;
    return true;
}

void FreeUxThemeFunctions()
{
    bound = TUxThemeFunctions{};
    loaded = false;
}

bool UxThemeLoaded() { return loaded; }

bool VisualStylesActive()
{
    return loaded && bound.IsAppThemed && bound.IsAppThemed() && bound.IsThemeActive && bound.IsThemeActive();
}

const TUxThemeFunctions &UxTheme() { return bound; }
