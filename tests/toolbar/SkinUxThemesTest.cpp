#include "toolbar/SkinDefaultTheme.h"
#include "toolbar/SkinThemes.h"
#include "toolbar/SkinUxThemes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A visual-styles library that records what it is asked.
struct TRecordingLibrary {
    std::vector<std::string> Opened;
    std::vector<std::string> Calls;
    bool AppThemed = true;
    bool Active = true;
    int IsThemeActiveAsked = 0;

    TUxThemeFunctions Functions()
    {
        TUxThemeFunctions f;
        f.OpenThemeData = [this](const std::string &name) {
            Opened.push_back(name);
            return static_cast<HTHEME>(Opened.size());
        };
        f.CloseThemeData = [](HTHEME) { return 0L; };
        f.DrawThemeBackground = [this](HTHEME theme, TCanvas &, int part, int state, const TRect &, const TRect *) {
            Calls.push_back("draw " + Opened[static_cast<std::size_t>(theme - 1)] + " " + std::to_string(part) + " "
                + std::to_string(state));
            return 0L;
        };
        f.GetThemeColor = [this](HTHEME theme, int, int, int property, TColor &color) {
            Calls.push_back("color " + Opened[static_cast<std::size_t>(theme - 1)] + " " + std::to_string(property));
            color = RGB(1, 2, 3);
            return 0L;
        };
        f.GetThemePartSize = [](HTHEME, int, int, TSize &size) {
            size = TSize{12, 20};
            return 0L;
        };
        f.IsAppThemed = [this] { return AppThemed; };
        f.IsThemeActive = [this] {
            ++IsThemeActiveAsked;
            return Active;
        };
        return f;
    }
};

struct ScopedLibrary {
    TRecordingLibrary Library;
    explicit ScopedLibrary(bool appThemed)
    {
        Library.AppThemed = appThemed;
        SkinThemeManager(); // made before the library is found
        SetUxThemeLoader([this] { return std::optional<TUxThemeFunctions>(Library.Functions()); });
        SkinThemeManager().UpdateSystemState();
    }
    ~ScopedLibrary()
    {
        SkinThemeManager().CloseThemeHandles();
        SetUxThemeLoader(nullptr);
        SkinThemeManager().UpdateSystemState();
    }
};

} // namespace

TEST(SkinUxThemes, NoLibraryMeansClassicPainting)
{
    EXPECT_FALSE(LoadUxThemeFunctions());
    EXPECT_FALSE(VisualStylesActive());
    EXPECT_EQ(UxThemeFunctionNames.size(), 46u);
    EXPECT_STREQ(UxThemeFunctionNames.front(), "OpenThemeData");
    EXPECT_STREQ(UxThemeFunctionNames.back(), "EnableTheming");
}

TEST(SkinUxThemes, AnUnthemedApplicationDoesNotAskWhetherStylesAreOn)
{
    ScopedLibrary scope(false);
    EXPECT_TRUE(UxThemeLoaded());
    EXPECT_FALSE(SkinSystemState().VisualStyles);
    EXPECT_EQ(scope.Library.IsThemeActiveAsked, 0);
}

TEST(SkinUxThemes, TheDefaultThemeAsksForItsPartsAndStates)
{
    ScopedLibrary scope(true);
    ASSERT_TRUE(SkinSystemState().VisualStyles);
    EXPECT_EQ(scope.Library.Opened, (std::vector<std::string>{"BUTTON", "SCROLLBAR", "REBAR", "TOOLBAR", "WINDOW",
                                        "COMBOBOX", "EXPLORERBAR", "STATUS", "SPIN"}));
    TSkinDefaultTheme theme("Default");
    EXPECT_EQ(theme.ToolbarColor(), RGB(1, 2, 3));
    EXPECT_EQ(theme.GetIntegerMetric(TMI_SPLITBTN_ARROWWIDTH), 14);
    EXPECT_TRUE(theme.GetBooleanMetric(TMB_VISUALSTYLES));
    scope.Library.Calls.clear();

    TBitmap bitmap(30, 30);
    TSkinItemInfo info;
    info.ViewType = VIEWKIND_TOOLBAR | VIEWKIND_TOOLBAR_PLAIN;
    info.ItemOptions = IO_TOOLBARSTYLE;
    info.Enabled = true;
    theme.PaintButton(bitmap.Canvas(), TRect{0, 0, 20, 20}, info); // normal
    info.HoverKind = HOVER_MOUSE;
    info.Selected = true;
    theme.PaintButton(bitmap.Canvas(), TRect{0, 0, 20, 20}, info); // hot checked
    info.ComboPart = 3;
    info.Pushed = true;
    theme.PaintButton(bitmap.Canvas(), TRect{0, 0, 20, 20}, info); // pushed arrow
    info = TSkinItemInfo{};
    info.ViewType = VIEWKIND_TOOLBAR | VIEWKIND_TOOLBAR_PLAIN;
    info.ItemOptions = IO_TOOLBARSTYLE;
    theme.PaintButton(bitmap.Canvas(), TRect{0, 0, 20, 20}, info); // disabled
    info.Enabled = true;
    theme.PaintSeparator(bitmap.Canvas(), TRect{0, 0, 6, 20}, info, false, false);
    theme.PaintSeparator(bitmap.Canvas(), TRect{0, 0, 20, 6}, info, true, false);
    EXPECT_EQ(scope.Library.Calls, (std::vector<std::string>{"draw TOOLBAR 1 1", "draw TOOLBAR 1 6",
                                        "draw TOOLBAR 4 3", "draw TOOLBAR 1 4", "draw TOOLBAR 5 1",
                                        "draw TOOLBAR 6 1"}));
}
