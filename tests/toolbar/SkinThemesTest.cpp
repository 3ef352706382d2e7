#include "platform/kernel/Forms.h"
#include "toolbar/Skin.h"
#include "toolbar/SkinDefaultTheme.h"
#include "toolbar/SkinThemes.h"
#include "toolbar/SkinUtils.h"

#include "platform/services/DesktopServices.h"
#include "platform/services/SystemParameters.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

std::unique_ptr<TSkinTheme> MakeDefault(const std::string &name) { return std::make_unique<TSkinDefaultTheme>(name); }

// Registers "Default" for a test and empties the registry afterwards.
class SkinRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearThemeRegistry();
        RegisterTheme("Default", MakeDefault);
    }
    void TearDown() override { ClearThemeRegistry(); }
};

std::string ErrorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const ESkinThemeError &e) {
        return e.Message();
    }
    return "(none)";
}

// Records the theme-change codes it receives, with the state seen at the time.
class TRecordingListener : public TMessageTarget {
public:
    std::vector<unsigned> Codes;
    std::vector<int> SetupCounts;
    TSkinDefaultTheme *Theme = nullptr;
    std::function<void()> OnMessage;
    void WndProc(TMessage &message) override
    {
        if (message.Msg != BARWM_SYSTEMTHEMECHANGE && message.Msg != BARWM_THEMECHANGE)
            return;
        Codes.push_back(static_cast<unsigned>(message.WParam));
        if (Theme)
            SetupCounts.push_back(Theme->SetupCount());
        if (OnMessage)
            OnMessage();
    }
};

std::vector<unsigned> probeSeen;

class TProbe : public TSkinDefaultTheme {
public:
    using TSkinDefaultTheme::TSkinDefaultTheme;
    void WndProc(TMessage &message) override
    {
        if (message.Msg == BARWM_SYSTEMTHEMECHANGE)
            probeSeen.push_back(static_cast<unsigned>(message.WParam));
        TSkinDefaultTheme::WndProc(message);
    }
};

} // namespace

TEST_F(SkinRegistry, RegistryErrorsCarryTheirTexts)
{
    EXPECT_EQ(ErrorOf([] { RegisterTheme("default", MakeDefault); }), "Theme default is already registered");
    EXPECT_EQ(ErrorOf([] { RegisterTheme("", MakeDefault); }), "Cannot register theme");
    EXPECT_EQ(ErrorOf([] { RegisterTheme("Other", nullptr); }), "Cannot register theme");
    EXPECT_EQ(ErrorOf([] { GetTheme("Fancy"); }), "Unknown theme Fancy");
    EXPECT_EQ(FindTheme("DEFAULT"), 0);
    EXPECT_EQ(FindTheme("Other"), -1);

    TSkinTheme *a = GetTheme("Default");
    TSkinTheme *b = GetTheme("default");
    EXPECT_EQ(a, b);
    ReleaseTheme(b);
    EXPECT_EQ(b, a); // still referenced
    ReleaseTheme(a);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(ErrorOf([&] { ReleaseTheme(a); }), "Cannot release theme Default");

    TSkinDefaultTheme stranger("Stranger");
    TSkinTheme *p = &stranger;
    EXPECT_EQ(ErrorOf([&] { ReleaseTheme(p); }), "Cannot release theme");
}

// A new theme is told the activation state with its own codes, not with the
// codes of a theme change.
TEST_F(SkinRegistry, ANewThemeLearnsTheActivationState)
{
    RegisterTheme("Probe", [](const std::string &name) { return std::make_unique<TProbe>(name); });
    TSkinTheme *theme = GetTheme("Probe");
    ASSERT_EQ(probeSeen.size(), 1u);
    EXPECT_EQ(probeSeen[0], ApplicationIsActive() ? THEMECHANGE_APPACTIVATED : THEMECHANGE_APPDEACTIVATED);
    ReleaseTheme(theme);
}

TEST_F(SkinRegistry, AColourChangeRenewsTheStateBeforeTheListenersHearIt)
{
    auto *theme = static_cast<TSkinDefaultTheme *>(GetTheme("Default"));
    TRecordingListener listener;
    listener.Theme = theme;
    AddThemeNotification(&listener);

    // The ramp cache is emptied before the broadcast.
    TBitmap bitmap(7, 1);
    GradientFillRect(bitmap.Canvas(), TRect{0, 0, 7, 1}, RGB(1, 2, 3), RGB(4, 5, 6), false);
    const int computed = GradientRampsComputed();
    bool lowColourSeen = false;
    listener.OnMessage = [&] { lowColourSeen = SkinSystemState().LowColor; };

    TScopedSystemParameters parameters;
    SystemParameters().ScreenBitsPerPixel = 8;
    const int before = theme->SetupCount();
    SendMessage(&SkinThemeManager(), WM_SYSCOLORCHANGE);
    EXPECT_EQ(listener.Codes, (std::vector<unsigned>{1, 2, 3}));
    // The theme's colours are set up on "apply", before "end" reaches anyone after it.
    EXPECT_EQ(listener.SetupCounts, (std::vector<int>{before, before + 1, before + 1}));
    EXPECT_TRUE(lowColourSeen);
    EXPECT_TRUE(SkinSystemState().ReducedColor);
    GradientFillRect(bitmap.Canvas(), TRect{0, 0, 7, 1}, RGB(1, 2, 3), RGB(4, 5, 6), false);
    EXPECT_EQ(GradientRampsComputed(), computed + 1);

    listener.Codes.clear();
    SendMessage(&SkinThemeManager(), WM_ACTIVATEAPP, 0);
    EXPECT_EQ(listener.Codes, (std::vector<unsigned>{THEMECHANGE_APPDEACTIVATED}));
    EXPECT_EQ(theme->SetupCount(), before + 1);

    RemoveThemeNotification(&listener);
    SystemParameters().ScreenBitsPerPixel = 24;
    SkinThemeManager().UpdateSystemState();
    TSkinTheme *t = theme;
    ReleaseTheme(t);
}

// A listener that leaves while a broadcast is under way is not reached
// afterwards, and the walk does not run past the shrunken list.
TEST_F(SkinRegistry, ListenersLeavingDuringABroadcastAreSkipped)
{
    TRecordingListener first, second, third;
    first.OnMessage = [&] { RemoveThemeNotification(&first); RemoveThemeNotification(&second); };
    AddThemeNotification(&first);
    AddThemeNotification(&second);
    AddThemeNotification(&third);
    SkinThemeManager().Broadcast(BARWM_SYSTEMTHEMECHANGE, THEMECHANGE_BEGIN, 0);
    EXPECT_EQ(first.Codes.size(), 1u);
    EXPECT_TRUE(second.Codes.empty());
    EXPECT_EQ(third.Codes.size(), 1u);
    RemoveThemeNotification(&third);

    TSkinNexus nexus("Default");
    TRecordingListener a, b, c;
    a.OnMessage = [&] { nexus.RemoveToolbar(&b); };
    nexus.AddToolbar(&a);
    EXPECT_EQ(nexus.AddToolbar(&b), 1);
    EXPECT_EQ(nexus.AddToolbar(&b), 1);
    nexus.AddToolbar(&c);
    SkinThemeManager().BroadcastThemeChange();
    EXPECT_EQ(a.Codes, (std::vector<unsigned>{1, 2, 3}));
    EXPECT_TRUE(b.Codes.empty());
    EXPECT_EQ(c.Codes, (std::vector<unsigned>{1, 2, 3}));
}

TEST(SkinSystemState, HighContrastAndVisualStylesOff)
{
    class TWhiteFace : public TDesktopServices {
    public:
        std::uint32_t SystemColor(int index) override
        {
            return index == COLOR_BTNFACE ? 0xFFFFFF : TServices::SystemColor(index);
        }
    };
    {
        TScopedServices services(std::make_unique<TWhiteFace>());
        SkinThemeManager().UpdateSystemState();
        EXPECT_TRUE(SkinSystemState().HighContrast);
        EXPECT_TRUE(SkinSystemState().ReducedColor);
        EXPECT_FALSE(SkinSystemState().LowColor);
    }
    SkinThemeManager().UpdateSystemState();
    EXPECT_FALSE(SkinSystemState().HighContrast);
    EXPECT_FALSE(SkinSystemState().VisualStyles);
    EXPECT_FALSE(LoadUxThemeFunctions());
}

TEST(SkinFrameGeometry, DragHandlesAndCloseButtons)
{
    TSkinToolbarFrameInfo info;
    EXPECT_EQ(GetDragHandleSize(info), 0);
    info.AllowDrag = true;
    EXPECT_EQ(GetDragHandleSize(info), 9);
    info.DragHandleStyle = 1;
    EXPECT_EQ(GetDragHandleSize(info), 0);
    info.DragHandleStyle = 2;
    EXPECT_EQ(GetDragHandleSize(info), 6);
    info.CloseButtonState = CDBS_VISIBLE;
    EXPECT_EQ(GetDragHandleSize(info), 14);
    info.BorderSizeX = info.BorderSizeY = 2;
    info.ClientWidth = 100;
    EXPECT_EQ(GetDockedCloseButtonRect(info), (TRect{2, 2, 15, 15}));
    info.IsVertical = true;
    EXPECT_EQ(GetDockedCloseButtonRect(info), (TRect{89, 2, 102, 15}));

    TSkinFloatingWindowInfo floating;
    floating.ClientWidth = 80;
    floating.FloatingBorderX = floating.FloatingBorderY = 3;
    EXPECT_EQ(GetFloatingCaptionRect(floating, false, false), (TRect{0, 0, 80, SkinSmallCaptionHeight - 1}));
    EXPECT_EQ(GetFloatingCaptionRect(floating, true, true), (TRect{3, 3, 83 - 15, 18}));
    EXPECT_EQ(GetFloatingCloseButtonRect(floating, true), (TRect{68, 3, 83, 18}));
}

namespace {

class TMarkedTheme : public TSkinDefaultTheme {
public:
    using TSkinDefaultTheme::TSkinDefaultTheme;
};

} // namespace

// A theme freed with its registry entry is no longer current: the next use
// takes "Default" again, registering it anew when it is gone as well, and a
// themed toolbar painted meanwhile reads no freed theme.
TEST(SkinNexus, AThemeFreedWithTheRegistryIsNoLongerCurrent)
{
    TSkinTheme *before = &CurrentTheme();
    EXPECT_EQ(before->Name(), "Default");
    ClearThemeRegistry();
    EXPECT_EQ(FindTheme("Default"), -1);
    RegisterTheme("Default", [](const std::string &name) { return std::make_unique<TMarkedTheme>(name); });
    EXPECT_NE(dynamic_cast<TMarkedTheme *>(&CurrentTheme()), nullptr);

    TForm form(nullptr);
    auto *toolbar = new TSkinToolbar(&form);
    toolbar->SetParent(&form);
    ClearThemeRegistry();
    TBitmap bitmap(toolbar->Width(), toolbar->Height());
    toolbar->PaintTo(bitmap.Canvas());
    EXPECT_EQ(bitmap.Pixel(0, 0), RGB(212, 208, 200));
    EXPECT_EQ(dynamic_cast<TMarkedTheme *>(&CurrentTheme()), nullptr);
    EXPECT_NE(dynamic_cast<TSkinDefaultTheme *>(&CurrentTheme()), nullptr);
    EXPECT_GE(FindTheme("Default"), 0);
}
