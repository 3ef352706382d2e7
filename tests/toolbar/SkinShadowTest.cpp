#include "ToolbarHost.h"

#include "platform/services/SystemParameters.h"
#include "toolbar/Skin.h"
#include "toolbar/SkinDefaultTheme.h"
#include "toolbar/SkinUtils.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

// The Default theme with shadow strips round its popups (type 2: leaving out
// the parent item), in place of the current theme for one test.
class TStripTheme : public TSkinDefaultTheme {
public:
    using TSkinDefaultTheme::TSkinDefaultTheme;
    int GetPopupShadowType() override { return 2; }
};

struct StripThemeInUse {
    StripThemeInUse()
    {
        ClearThemeRegistry();
        RegisterTheme("Default", [](const std::string &name) { return std::make_unique<TStripTheme>(name); });
    }
    ~StripThemeInUse() { ClearThemeRegistry(); }
};

bool RunUntil(const std::function<bool()> &done)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < until)
        ProcessMessages();
    return done();
}

} // namespace

// A popup opened under a toolbar item wider than itself gets strips on its
// right and bottom and a short one under the item to the right of the popup;
// they follow the popup when it moves and go when it hides.
TEST(SkinShadows, StripsRoundAPopupUnderAWiderItem)
{
    StripThemeInUse theme;
    TScopedSystemParameters parameters;
    SystemParameters().MenuAnimation = false;
    SystemParameters().Compositing = false;
    TBarRootItem root;
    TForm form(nullptr);
    form.SetBounds(100, 100, 400, 300);
    auto *bar = new TTestBar(&form, &root);
    bar->SetParent(&form);
    bar->SetBounds(0, 0, 400, 40);
    auto *parent = new TSkinItem;
    parent->SetCaption("A rather long caption for a wide item");
    parent->SetItemStyle(parent->ItemStyle() | HasSubmenu);
    root.Add(parent);
    auto *child = new TSkinItem;
    child->SetCaption("X");
    parent->Add(child);
    form.Show();

    TBarView &view = bar->View();
    view.EnsureLayout();
    TBarItemViewer *viewer = view.Viewers(0);
    auto *popup = dynamic_cast<TSkinPopupWindow *>(parent->CreatePopup(&view, viewer, false, false, false, TPoint{}, tbpaLeft));
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(RunUntil([&] { return popup->Shadows() != nullptr; }));
    const TRect r = popup->BoundsRect();
    const TRect &b = viewer->BoundsRect();
    const TPoint at = view.ClientToScreen(b.TopLeft());
    const TRect x = Bounds(at.X, at.Y, b.Width(), b.Height());
    ASSERT_LT(r.Right, x.Right);
    ASSERT_EQ(r.Top, x.Bottom);
    const TShadowStrips expected = ComputeShadowStrips(r, x, 4, false);
    for (int slot = 0; slot < 6; ++slot) {
        TShadow *strip = popup->Shadows()->Strip(slot);
        ASSERT_EQ(strip != nullptr, expected[static_cast<std::size_t>(slot)].has_value()) << slot;
        if (!strip)
            continue;
        EXPECT_EQ(strip->BoundsRect(), expected[static_cast<std::size_t>(slot)]->Bounds) << slot;
        EXPECT_TRUE(strip->Visible());
        EXPECT_EQ(strip->Mode(), shmOverScreen);
        EXPECT_EQ(strip->Opacity(), 61);
    }
    // The popup's bottom strip, and the item's short strip to its right.
    TShadow *bottom = popup->Shadows()->Strip(3);
    ASSERT_NE(bottom, nullptr);
    EXPECT_EQ(bottom->BoundsRect(), (TRect{r.Left + 4, r.Bottom, r.Right + 4, r.Bottom + 4}));
    ASSERT_NE(popup->Shadows()->Strip(5), nullptr);
    EXPECT_EQ(popup->Shadows()->Strip(5)->BoundsRect(), (TRect{r.Right, x.Bottom, x.Right + 4, x.Bottom + 4}));
    // Dark next to the popup, fading away from it, and out at the corners.
    const int middle = bottom->Width() / 2;
    EXPECT_EQ(bottom->ShownAlpha(middle, 0), 61);
    EXPECT_EQ(bottom->ShownAlpha(middle, 3), 63 * 61 / 255);
    EXPECT_EQ(bottom->ShownAlpha(0, 3), 0);
    EXPECT_EQ(bottom->ShownAlpha(bottom->Width() - 1, 3), 0);

    // Moved: the strips are made again at the new place.
    popup->SetBounds(r.Left + 10, r.Top + 20, r.Width(), r.Height());
    ASSERT_NE(popup->Shadows(), nullptr);
    ASSERT_NE(popup->Shadows()->Strip(3), nullptr);
    EXPECT_EQ(popup->Shadows()->Strip(3)->Top(), r.Bottom + 20);
    popup->HidePopup();
    EXPECT_EQ(popup->Shadows(), nullptr);
    view.CloseChildPopup();
}

// A low-colour screen gets plain strips of half the depth, and the Default
// theme asks for no strips at all (the window system's own shadow).
TEST(SkinShadows, LowColourAndTheDefaultTheme)
{
    TShadows low(TRect{}, true, 61, 4, TRect{100, 100, 200, 200});
    ASSERT_NE(low.Strip(0), nullptr);
    EXPECT_EQ(low.Strip(0)->BoundsRect(), (TRect{200, 102, 202, 200}));
    EXPECT_EQ(low.Strip(0)->Mode(), shmPlain);
    EXPECT_EQ(low.Strip(2), nullptr);
    {
        TScopedSystemParameters parameters;
        SystemParameters().Compositing = true;
        TShadows composited(TRect{}, false, 61, 4, TRect{100, 100, 200, 200});
        EXPECT_EQ(composited.Strip(1)->Mode(), shmTranslucent);
        EXPECT_EQ(composited.Strip(1)->BoundsRect(), (TRect{104, 200, 204, 204}));
    }
    EXPECT_EQ(CurrentTheme().GetPopupShadowType(), 1);
}
