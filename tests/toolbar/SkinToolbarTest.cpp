#include "platform/Forms.h"
#include "platform/SystemParameters.h"
#include "toolbar/Skin.h"
#include "toolbar/SkinUtils.h"

#include <gtest/gtest.h>

namespace {

constexpr TColor Face = RGB(212, 208, 200), White = RGB(255, 255, 255), Shadow = RGB(128, 128, 128);

struct SkinToolbarForm {
    TForm form{nullptr};
    TBarDock *dock;
    SkinToolbarForm()
    {
        form.SetBounds(0, 0, 400, 200);
        dock = new TBarDock(&form);
        dock->SetName("dockTop");
        dock->SetParent(&form);
    }
    TSkinToolbar *Toolbar(int buttons)
    {
        auto *tb = new TSkinToolbar(&form);
        tb->SetName("tlbSkin");
        for (int i = 0; i < buttons; ++i) {
            auto *item = new TSkinItem(&form);
            item->SetCaption("B" + std::to_string(i));
            tb->Items()->Add(item);
        }
        return tb;
    }
};

} // namespace

TEST(SkinToolbar, ViewKindFollowsPlacementAndTransparency)
{
    SkinToolbarForm f;
    TSkinToolbar *tb = f.Toolbar(2);
    tb->SetParent(&f.form);
    EXPECT_EQ(SendMessage(tb, BARWM_GETVIEWKIND) & VIEWKIND_OPAQUEITEMS, VIEWKIND_OPAQUEITEMS);
    tb->SetItemTransparency(itEnable);
    EXPECT_EQ(tb->ViewKind() & VIEWKIND_OPAQUEITEMS, 0u);
    tb->SetItemTransparency(itAuto);
    tb->SetCurrentDock(f.dock);
    EXPECT_EQ(tb->ViewKind() & VIEWKIND_OPAQUEITEMS, 0u);
    EXPECT_EQ(tb->ViewKind() & (VIEWKIND_TOOLBAR | VIEWKIND_TOOLBAR_PLAIN), VIEWKIND_TOOLBAR | VIEWKIND_TOOLBAR_PLAIN);
    tb->SetItemTransparency(itDisable);
    EXPECT_EQ(tb->ViewKind() & VIEWKIND_OPAQUEITEMS, VIEWKIND_OPAQUEITEMS);
    // The automatic colour is the theme's toolbar colour.
    EXPECT_EQ(tb->Color(), clNone);
    TMessage message{BARWM_GETBACKCOLOR, 0, 0, 0};
    DispatchMessage(tb, message);
    EXPECT_EQ(message.Result, 1);
    EXPECT_EQ(ColorToRGB(static_cast<TColor>(message.WParam)), Face);
}

TEST(SkinToolbar, FloatingFramesSnapWithinTheDistance)
{
    const TRect work{0, 0, 1024, 768};
    // 100 x 50 frame; distance 10: 9 pixels off the right edge snaps, 10 does not.
    EXPECT_EQ(SnapToWorkArea(Bounds(1024 - 100 - 9, 300, 100, 50), work, 10), (TPoint{924, 300}));
    EXPECT_EQ(SnapToWorkArea(Bounds(1024 - 100 - 10, 300, 100, 50), work, 10), (TPoint{914, 300}));
    EXPECT_EQ(SnapToWorkArea(Bounds(-9, 5, 100, 50), work, 10), (TPoint{0, 0}));
    EXPECT_EQ(SnapToWorkArea(Bounds(-9, 5, 100, 50), work, 0), (TPoint{-9, 5}));

    SkinToolbarForm f;
    TSkinToolbar *tb = f.Toolbar(2);
    tb->SetSnapDistance(-3);
    EXPECT_EQ(tb->SnapDistance(), 0);
    tb->SetCurrentDock(f.dock);
    f.form.Show();
    tb->SetSnapDistance(10);
    tb->SetFloatingPosition(TPoint{100, 120});
    tb->SetFloating(true);
    auto *frame = dynamic_cast<TSkinFloatingWindowParent *>(tb->FloatingParent());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->SnapDistance(), 10);
    const TRect area = MonitorRectOfRect(frame->BoundsRect(), true);
    frame->SetBounds(area.Right - frame->Width() - 9, 200, frame->Width(), frame->Height());
    EXPECT_EQ(frame->Left(), area.Right - frame->Width());
    frame->SetBounds(area.Right - frame->Width() - 10, 200, frame->Width(), frame->Height());
    EXPECT_EQ(frame->Left(), area.Right - frame->Width() - 10);
}

TEST(SkinToolbar, DockedAndFloatingFramesArePaintedByTheTheme)
{
    SkinToolbarForm f;
    TSkinToolbar *tb = f.Toolbar(2);
    tb->SetCaption("Tools");
    tb->SetDragHandleStyle(dhDouble);
    tb->SetCurrentDock(f.dock);
    f.form.Show();
    {
        TBitmap bitmap(tb->Width(), tb->Height());
        tb->PaintTo(bitmap.Canvas());
        EXPECT_EQ(bitmap.Pixel(0, 0), White);
        EXPECT_EQ(bitmap.Pixel(tb->Width() - 1, 5), Shadow);
        // The double grip: bars from x = 4 and 7.
        EXPECT_EQ(bitmap.Pixel(4, 10), White);
        EXPECT_EQ(bitmap.Pixel(7, 10), White);
    }
    tb->SetFloatingPosition(TPoint{100, 120});
    tb->SetFloating(true);
    auto *frame = dynamic_cast<TSkinFloatingWindowParent *>(tb->FloatingParent());
    ASSERT_NE(frame, nullptr);
    const TSkinFloatingWindowInfo info = frame->GetFloatingInfo(SFWP_FRAME | SFWP_CAPTION | SFWP_CLOSEBUTTON);
    const TRect caption = GetFloatingCaptionRect(info, true, true);
    TBitmap active(frame->Width(), frame->Height());
    frame->PaintTo(active.Canvas());
    EXPECT_EQ(active.Pixel(caption.Left, caption.Bottom - 1), RGB(10, 36, 106));
    EXPECT_EQ(active.Pixel(caption.Right - 1, caption.Bottom - 1), RGB(166, 202, 240));
    tb->SetInactive(true);
    TBitmap inactive(frame->Width(), frame->Height());
    frame->PaintTo(inactive.Canvas());
    EXPECT_EQ(inactive.Pixel(caption.Left, caption.Bottom - 1), Shadow);
    EXPECT_EQ(inactive.Pixel(caption.Right - 1, caption.Bottom - 1), RGB(192, 192, 192));
}
