#include "platform/services/SystemParameters.h"
#include "toolbar/BarItem.h"
#include "toolbar/SkinDefaultTheme.h"
#include "toolbar/SkinUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr TColor Face = RGB(212, 208, 200), White = RGB(255, 255, 255), Shadow = RGB(128, 128, 128);
constexpr TColor Highlight = RGB(10, 36, 106);

TSkinItemInfo ToolbarButton()
{
    TSkinItemInfo info;
    info.ViewType = VIEWKIND_TOOLBAR | VIEWKIND_TOOLBAR_PLAIN;
    info.ItemOptions = IO_TOOLBARSTYLE | IO_APPACTIVE;
    info.Enabled = true;
    return info;
}

// A canvas of button face, 24 x 22.
struct TFaceBitmap {
    TBitmap Bitmap{24, 22};
    TFaceBitmap() { FillRectEx(Bitmap.Canvas(), TRect{0, 0, 24, 22}, Face); }
    TColor At(int x, int y) const { return Bitmap.Pixel(x, y); }
};

} // namespace

TEST(SkinDefaultTheme, ToolbarButtonStates)
{
    TSkinDefaultTheme theme("Default");
    const TRect rect{0, 0, 24, 22};
    {
        TFaceBitmap b;
        TSkinItemInfo info = ToolbarButton();
        info.HoverKind = HOVER_MOUSE;
        theme.PaintButton(b.Bitmap.Canvas(), rect, info);
        EXPECT_EQ(b.At(0, 0), White);
        EXPECT_EQ(b.At(0, 10), White);
        EXPECT_EQ(b.At(23, 10), Shadow);
        EXPECT_EQ(b.At(10, 21), Shadow);
        EXPECT_EQ(b.At(10, 10), Face);
    }
    {
        TFaceBitmap b;
        TSkinItemInfo info = ToolbarButton();
        info.HoverKind = HOVER_MOUSE;
        info.Pushed = true;
        theme.PaintButton(b.Bitmap.Canvas(), rect, info);
        EXPECT_EQ(b.At(0, 10), Shadow);
        EXPECT_EQ(b.At(23, 10), White);
        EXPECT_EQ(theme.GetImageOffset(b.Bitmap.Canvas(), info, nullptr), (TPoint{1, 1}));
    }
    {
        // Checked, not hovered, on a toolbar with opaque items: the dither.
        TFaceBitmap b;
        TSkinItemInfo info = ToolbarButton();
        info.ViewType |= VIEWKIND_OPAQUEITEMS;
        info.Selected = true;
        theme.PaintButton(b.Bitmap.Canvas(), rect, info);
        const TColor p = b.At(10, 10), q = b.At(11, 10);
        EXPECT_NE(p, q);
        EXPECT_TRUE((p == Face && q == White) || (p == White && q == Face));
        EXPECT_EQ(b.At(10, 11), q);
    }
    {
        // Neither hovered nor checked: nothing drawn.
        TFaceBitmap b;
        theme.PaintButton(b.Bitmap.Canvas(), rect, ToolbarButton());
        EXPECT_EQ(b.At(0, 0), Face);
    }
}

// Text is smoothed, so the tests look at the strongest ink.
TEST(SkinDefaultTheme, CaptionsMoveWhenPushedAndEmbossWhenDisabled)
{
    TSkinDefaultTheme theme("Default");
    auto luma = [](TColor c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); };
    // The first pixel (row by row) whose colour is within 40 per channel of `ink`.
    auto firstInk = [](const TBitmap &bitmap, TColor ink) {
        for (int y = 0; y < 22; ++y)
            for (int x = 0; x < 40; ++x) {
                const TColor c = bitmap.Pixel(x, y);
                if (std::abs(GetRValue(c) - GetRValue(ink)) < 40 && std::abs(GetGValue(c) - GetGValue(ink)) < 40
                    && std::abs(GetBValue(c) - GetBValue(ink)) < 40)
                    return TPoint{x, y};
            }
        return TPoint{-1, -1};
    };
    const TRect rect{0, 0, 40, 22};
    const unsigned format = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
    TSkinItemInfo info = ToolbarButton();
    TBitmap normal(40, 22), pushed(40, 22), disabled(40, 22);
    for (TBitmap *b : {&normal, &pushed, &disabled}) {
        FillRectEx(b->Canvas(), rect, Face);
        b->Canvas().Font().SetColor(clNone);
    }
    theme.PaintCaption(normal.Canvas(), rect, info, "H", format, false);
    info.Pushed = true;
    theme.PaintCaption(pushed.Canvas(), rect, info, "H", format, false);
    const TPoint a = firstInk(normal, RGB(0, 0, 0)), p = firstInk(pushed, RGB(0, 0, 0));
    ASSERT_NE(a.X, -1);
    EXPECT_EQ(p, (TPoint{a.X + 1, a.Y + 1}));

    info.Pushed = false;
    info.Enabled = false;
    theme.PaintCaption(disabled.Canvas(), rect, info, "H", format, false);
    // The shadow copy sits where the enabled text was; the highlight copy
    // shows one pixel right and down of it, brighter than the face.
    EXPECT_EQ(firstInk(disabled, Shadow), a);
    const TPoint w = firstInk(disabled, White);
    ASSERT_NE(w.X, -1);
    EXPECT_GT(w.Y, a.Y);
    EXPECT_GT(luma(disabled.Pixel(w.X, w.Y)), luma(Face));
}

TEST(SkinDefaultTheme, PopupItemsMarksAndChevron)
{
    TSkinDefaultTheme theme("Default");
    TSkinItemInfo info;
    info.ViewType = VIEWKIND_POPUP | VIEWKIND_POPUPMENU;
    info.ItemOptions = IO_APPACTIVE;
    info.Enabled = true;
    info.HoverKind = HOVER_MOUSE;
    TBitmap item(100, 20);
    FillRectEx(item.Canvas(), TRect{0, 0, 100, 20}, Face);
    theme.PaintMenuItem(item.Canvas(), TRect{0, 0, 100, 20}, info);
    EXPECT_EQ(item.Pixel(50, 10), Highlight);
    EXPECT_EQ(ColorToRGB(theme.GetItemTextColor(info)), White);
    EXPECT_EQ(ColorToRGB(theme.GetItemColor(info)), Highlight);

    TBitmap marks(16, 16);
    FillRectEx(marks.Canvas(), TRect{0, 0, 16, 16}, Face);
    theme.PaintCheckMark(marks.Canvas(), TRect{0, 0, 16, 16}, info);
    // Centre (8, 8): the check passes (7, 9) and its light edge (12, 4).
    EXPECT_EQ(marks.Pixel(7, 9), RGB(0, 0, 0));
    EXPECT_EQ(marks.Pixel(12, 6), White);
    FillRectEx(marks.Canvas(), TRect{0, 0, 16, 16}, Face);
    info.ItemOptions |= IO_RADIO;
    theme.PaintCheckMark(marks.Canvas(), TRect{0, 0, 16, 16}, info);
    EXPECT_EQ(marks.Pixel(8, 8), RGB(0, 0, 0));
    EXPECT_EQ(marks.Pixel(0, 0), Face);

    TBitmap chevron(13, 22);
    FillRectEx(chevron.Canvas(), TRect{0, 0, 13, 22}, Face);
    TSkinItemInfo button = ToolbarButton();
    theme.PaintChevron(chevron.Canvas(), TRect{0, 0, 13, 22}, button);
    // The 8 x 5 pattern centred in (0, 4)-(13, 9): its first row starts at (3, 4).
    EXPECT_EQ(chevron.Pixel(3, 4), RGB(0, 0, 0));
    EXPECT_EQ(chevron.Pixel(4, 4), RGB(0, 0, 0));
    EXPECT_EQ(chevron.Pixel(5, 4), Face);
    EXPECT_EQ(chevron.Pixel(5, 6), RGB(0, 0, 0));
    EXPECT_EQ(chevron.Pixel(7, 6), Face);
}

TEST(SkinDefaultTheme, DockedGripAndCloseButton)
{
    TSkinDefaultTheme theme("Default");
    TSkinToolbarFrameInfo info;
    info.AllowDrag = true;
    info.BorderStyle = 1;
    info.BorderSizeX = info.BorderSizeY = 2;
    info.ClientWidth = 60;
    info.ClientHeight = 22;
    info.DragHandleStyle = 0;
    info.EffectiveColor = clBtnFace;
    const int handle = GetDragHandleSize(info);
    TBitmap bitmap(64 + handle, 26);
    bitmap.Canvas().Brush().SetColor(Face);
    theme.PaintToolbarNCArea(bitmap.Canvas(), TRect{0, 0, 64 + handle, 26}, info);
    EXPECT_EQ(bitmap.Pixel(0, 0), White); // the raised border
    EXPECT_EQ(bitmap.Pixel(63 + handle, 10), Shadow);
    // Two raised bars from x = 4 and x = 7.
    EXPECT_EQ(bitmap.Pixel(4, 10), White);
    EXPECT_EQ(bitmap.Pixel(6, 10), Shadow);
    EXPECT_EQ(bitmap.Pixel(7, 10), White);
    EXPECT_EQ(bitmap.Pixel(9, 10), Shadow);

    info.CloseButtonState = CDBS_VISIBLE;
    const int withClose = GetDragHandleSize(info);
    TBitmap closeBitmap(64 + withClose, 26);
    closeBitmap.Canvas().Brush().SetColor(Face);
    theme.PaintToolbarNCArea(closeBitmap.Canvas(), TRect{0, 0, 64 + withClose, 26}, info);
    // The cross centred in the square (2, 2)-(13, 13) from (4, 4); its first row of ink is y = 5.
    EXPECT_EQ(closeBitmap.Pixel(4, 5), RGB(0, 0, 0));
    EXPECT_EQ(closeBitmap.Pixel(6, 5), Face);
    EXPECT_EQ(closeBitmap.Pixel(6, 7), RGB(0, 0, 0));
}

TEST(SkinDefaultTheme, FloatingCaptionGradients)
{
    TSkinDefaultTheme theme("Default");
    TSkinFloatingWindowInfo info;
    info.ClientWidth = 100;
    info.ClientHeight = 30;
    info.FloatingBorderX = info.FloatingBorderY = 3;
    info.ShowCaption = true;
    info.RedrawPart = SFWP_FRAME | SFWP_CAPTION | SFWP_CLOSEBUTTON;
    info.CloseButtonState = CDBS_VISIBLE;
    info.Active = true;
    const TRect rect{0, 0, 106, 36 + SkinSmallCaptionHeight};
    TBitmap active(106, rect.Bottom), inactive(106, rect.Bottom);
    theme.PaintFloatingBorder(active.Canvas(), rect, info);
    const TRect caption = GetFloatingCaptionRect(info, true, true);
    EXPECT_EQ(active.Pixel(caption.Left, caption.Bottom - 1), Highlight);
    EXPECT_EQ(active.Pixel(caption.Right - 1, caption.Bottom - 1), RGB(166, 202, 240));
    EXPECT_EQ(active.Pixel(0, 0), Face); // EDGE_RAISED: light outer ring
    info.Active = false;
    theme.PaintFloatingBorder(inactive.Canvas(), rect, info);
    EXPECT_EQ(inactive.Pixel(caption.Left, caption.Bottom - 1), Shadow);
    EXPECT_EQ(inactive.Pixel(caption.Right - 1, caption.Bottom - 1), RGB(192, 192, 192));
}

TEST(SkinDefaultTheme, MetricsBordersAndColours)
{
    TSkinDefaultTheme theme("Default");
    EXPECT_EQ(theme.GetIntegerMetric(TMI_MENU_SEPARATORSIZE), -1);
    EXPECT_EQ(theme.GetIntegerMetric(TMI_SPLITBTN_ARROWWIDTH), 11);
    EXPECT_EQ(theme.GetIntegerMetric(TMI_TLBR_SEPARATORSIZE), 6);
    EXPECT_FALSE(theme.GetBooleanMetric(TMB_VISUALSTYLES));
    TPoint border;
    theme.GetViewBorder(VIEWKIND_TOOLBAR | VIEWKIND_FLOATING | VIEWKIND_RESIZABLE, border);
    EXPECT_EQ(border, (TPoint{4, 4}));
    theme.GetViewBorder(VIEWKIND_TOOLBAR | VIEWKIND_FLOATING, border);
    EXPECT_EQ(border, (TPoint{3, 3}));
    theme.GetViewBorder(VIEWKIND_TOOLBAR, border);
    EXPECT_EQ(border, (TPoint{2, 2}));
    theme.GetViewBorder(VIEWKIND_POPUP | VIEWKIND_POPUPMENU, border);
    EXPECT_EQ(border, (TPoint{3, 3}));
    TRect margins;
    theme.GetViewMargins(VIEWKIND_TOOLBAR | VIEWKIND_FLOATING, margins);
    EXPECT_EQ(margins, (TRect{4, 2, 4, 1}));
    TSkinMargins m;
    theme.GetMargins(MID_MENUITEM, m);
    EXPECT_EQ(m.TopHeight, 2);
    EXPECT_EQ(theme.DockPanelColor(), MixColors(clBtnFace, clWindow, 64));
}

// Classic menus and toolbar buttons draw images as the list does; with flat
// menus a popup item's image is blended with the window colour at rest and
// shaded when disabled.
TEST(SkinDefaultTheme, ImagesOfFlatMenusAreRecoloured)
{
    TSkinDefaultTheme theme("Default");
    TBarImageList images(nullptr, 4, 4);
    images.Add(RGB(200, 40, 100));
    TSkinItemInfo menu;
    menu.ViewType = VIEWKIND_POPUP | VIEWKIND_POPUPMENU;
    menu.Enabled = true;
    const TRect at = Bounds(2, 2, 4, 4);

    TFaceBitmap plain;
    theme.PaintImage(plain.Bitmap.Canvas(), at, menu, &images, 0);
    EXPECT_EQ(plain.At(3, 3), RGB(200, 40, 100));
    TFaceBitmap button;
    theme.PaintImage(button.Bitmap.Canvas(), at, ToolbarButton(), &images, 0);
    EXPECT_EQ(button.At(3, 3), RGB(200, 40, 100));

    TScopedSystemParameters parameters;
    SystemParameters().FlatMenus = true;
    SkinThemeManager().UpdateSystemState();
    ASSERT_TRUE(SkinSystemState().FlatMenus);
    TFaceBitmap blended;
    theme.PaintImage(blended.Bitmap.Canvas(), at, menu, &images, 0);
    EXPECT_EQ(blended.At(3, 3), RGB(215, 104, 146));
    menu.HoverKind = HOVER_MOUSE;
    TFaceBitmap hovered;
    theme.PaintImage(hovered.Bitmap.Canvas(), at, menu, &images, 0);
    EXPECT_EQ(hovered.At(3, 3), RGB(200, 40, 100)); // on a light background as it is
    menu.HoverKind = HOVER_NONE;
    menu.Enabled = false;
    TFaceBitmap shaded;
    theme.PaintImage(shaded.Bitmap.Canvas(), at, menu, &images, 0);
    EXPECT_EQ(shaded.At(3, 3), RGB(212 * 195 / 256, 208 * 195 / 256, 200 * 195 / 256));
    EXPECT_EQ(shaded.At(1, 1), Face);
    SystemParameters().FlatMenus = false;
    SkinThemeManager().UpdateSystemState();
}
