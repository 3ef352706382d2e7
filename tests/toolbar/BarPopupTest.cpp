#include "toolbar/BarPopup.h"

#include "platform/services/SystemParameters.h"
#include "toolbar/BarCommon.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

TBarPopupPositionRec Submenu(const TRect &parent, int w, int h, bool openLeft)
{
    TBarPopupPositionRec rec;
    rec.PositionAsSubmenu = true;
    rec.OpenLeft = openLeft;
    rec.MonitorRect = TRect{0, 0, 1024, 768};
    rec.ParentItemRect = parent;
    rec.NCSize = TPoint{3, 3};
    rec.X = parent.Right - 3;
    rec.Y = parent.Top - 3;
    rec.W = w;
    rec.H = h;
    return rec;
}

// A popup-styled view of many menu rows, limited in height.
struct TallMenu {
    TBarRootItem root;
    std::unique_ptr<TBarView> view;
    int row = 0;
    explicit TallMenu(int count, int maxHeight)
    {
        for (int i = 0; i < count; ++i) {
            auto *item = new TBarCustomItem;
            item->SetCaption("Item " + std::to_string(i));
            root.Add(item);
        }
        view = std::make_unique<TBarView>(nullptr, nullptr, &root, nullptr, false, false, false);
        view->SetMaximumHeight(maxHeight);
        view->UpdateLayout();
        row = view->Viewers(0)->BoundsRect().Height();
    }
    int FirstShown() const
    {
        for (int i = 0; i < view->ViewerCount(); ++i)
            if (view->Viewers(i)->Show())
                return i;
        return -1;
    }
};

} // namespace

TEST(BarPopupPlacement, SubmenusOpenLeftAndStayLeftWhileTheyFit)
{
    TBarRootItem root;
    TBarView parent(nullptr, nullptr, &root, nullptr, false, false, false);
    bool left = false;
    // Parent item near the right edge: no room on the right.
    TBarPopupPositionRec rec = Submenu(TRect{800, 100, 1000, 120}, 150, 200, false);
    CalcPopupPosition(&parent, rec, left);
    EXPECT_TRUE(left);
    EXPECT_EQ(rec.X, 800 + 3 - 150);
    EXPECT_EQ(rec.Y, 97);
    EXPECT_EQ(rec.AnimateDirection, 1);
    // Its own submenu keeps opening to the left, though there is room on the right.
    rec = Submenu(TRect{653, 150, 803, 170}, 150, 200, true);
    CalcPopupPosition(&parent, rec, left);
    EXPECT_TRUE(left);
    EXPECT_EQ(rec.X, 653 + 3 - 150);
    // Until there is no room on the left either: then it turns right again.
    rec = Submenu(TRect{100, 150, 250, 170}, 150, 200, true);
    CalcPopupPosition(&parent, rec, left);
    EXPECT_FALSE(left);
    EXPECT_EQ(rec.X, 247);
    EXPECT_EQ(rec.AnimateDirection, 2);
}

TEST(BarPopupPlacement, DropdownsAtTheBottomOpenUpwardsOrArePushedUp)
{
    TBarRootItem root;
    TBarView toolbar(nullptr, nullptr, &root, nullptr, true, false, false);
    bool left = false;
    TBarPopupPositionRec rec;
    rec.MonitorRect = TRect{0, 0, 1024, 768};
    rec.ParentItemRect = TRect{100, 700, 123, 722};
    rec.X = 100;
    rec.Y = 722;
    rec.W = 120;
    rec.H = 300;
    CalcPopupPosition(&toolbar, rec, left);
    EXPECT_EQ(rec.Y, 400); // above the button
    EXPECT_EQ(rec.X, 100);
    EXPECT_EQ(rec.AnimateDirection, 8);
    // Too tall to fit above: pushed up to the bottom of the screen, then moved
    // beside the button so that it does not cover it.
    rec.Y = 722;
    rec.X = 100;
    rec.H = 720;
    CalcPopupPosition(&toolbar, rec, left);
    EXPECT_EQ(rec.Y, 768 - 720);
    EXPECT_EQ(rec.X, 123);
    // A popup at a point, right-aligned, that would leave the screen on the left.
    rec = TBarPopupPositionRec{};
    rec.MonitorRect = TRect{0, 0, 1024, 768};
    rec.ParentItemRect = TRect{50, 50, 50, 50};
    rec.Alignment = tbpaRight;
    rec.X = 50 - 120;
    rec.Y = 50;
    rec.W = 120;
    rec.H = 100;
    CalcPopupPosition(nullptr, rec, left);
    EXPECT_EQ(rec.X, 50);
}

TEST(BarPopupScrolling, TallMenusShowArrowsAndHideRowsUnderThem)
{
    TallMenu menu(60, 300);
    TBarView &view = *menu.view;
    EXPECT_FALSE(view.ShowUpArrow());
    EXPECT_TRUE(view.ShowDownArrow());
    for (int i = 0; i < view.ViewerCount(); ++i) {
        TBarItemViewer *v = view.Viewers(i);
        if (v->Show())
            EXPECT_LE(v->BoundsRect().Bottom, 300 - kScrollArrowHeight) << i;
        else
            EXPECT_TRUE(v->Clipped()) << i;
    }
    view.Scroll(true);
    EXPECT_TRUE(view.ShowUpArrow());
    EXPECT_GE(view.Viewers(menu.FirstShown())->BoundsRect().Top, kScrollArrowHeight);
}

TEST(BarPopupScrolling, TheWheelScrollsWholeRowsAndAlwaysDrains)
{
    TScopedSystemParameters scope;
    TallMenu menu(60, 300);
    TBarView &view = *menu.view;
    view.MouseWheel(-120, 0, 0); // 3 lines
    int after3 = view.ScrollOffset();
    TallMenu byArrows(60, 300);
    for (int i = 0; i < 3; ++i)
        byArrows.view->Scroll(true);
    EXPECT_EQ(after3, byArrows.view->ScrollOffset()); // one notch: three rows
    view.MouseWheel(120, 0, 0);
    EXPECT_EQ(view.ScrollOffset(), 0);

    // A wheel setting above 120 lines (or page scrolling) must not stall the
    // accumulator: each notch does at most what is left to scroll.
    SystemParameters().WheelScrollLines = 500;
    view.MouseWheel(-120, 0, 0);
    EXPECT_FALSE(view.ShowDownArrow()); // scrolled to the end
    int end = view.ScrollOffset();
    view.MouseWheel(120, 0, 0);
    EXPECT_EQ(view.ScrollOffset(), 0);
    view.MouseWheel(-120, 0, 0);
    EXPECT_EQ(view.ScrollOffset(), end);

    SystemParameters().WheelScrollLines = 0; // no wheel scrolling at all
    view.MouseWheel(120, 0, 0);
    view.MouseWheel(120, 0, 0);
    EXPECT_EQ(view.ScrollOffset(), end);
    SystemParameters().WheelScrollLines = 3;
    view.MouseWheel(60, 0, 0); // half a notch: nothing yet, nothing left over from before
    EXPECT_EQ(view.ScrollOffset(), end);
    view.MouseWheel(60, 0, 0);
    EXPECT_LT(view.ScrollOffset(), end);
}

TEST(BarPopupPrinting, APopupPrintsTheSamePictureItShowsAndSkipsWhenHidden)
{
    TBarRootItem root;
    for (const char *caption : {"&Open", "&Save", "E&xit"}) {
        auto *item = new TBarCustomItem;
        item->SetCaption(caption);
        root.Add(item);
    }
    std::unique_ptr<TBarPopupWindow> popup(
        root.CreatePopup(nullptr, nullptr, false, true, false, TPoint{100, 100}, tbpaLeft));
    ASSERT_NE(popup, nullptr);
    int w = popup->Width(), h = popup->Height();
    TBitmap shown(w, h), printed(w, h), client(w - 6, h - 6);
    popup->PaintTo(shown.Canvas());
    auto print = [&](TBitmap &bitmap, unsigned flags) {
        return SendMessage(popup.get(), WM_PRINT, reinterpret_cast<WPARAM>(&bitmap.Canvas()), flags);
    };
    EXPECT_EQ(print(printed, PRF_CHECKVISIBLE | PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN), 1);
    EXPECT_EQ(print(client, PRF_CLIENT | PRF_ERASEBKGND), 1);
    int differ = 0, clientDiffer = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            differ += printed.Pixel(x, y) != shown.Pixel(x, y);
            if (x >= 3 && y >= 3 && x < w - 3 && y < h - 3)
                clientDiffer += client.Pixel(x - 3, y - 3) != shown.Pixel(x, y);
        }
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(clientDiffer, 0);
    // The selected first row is painted as on the screen, in the highlight.
    EXPECT_NE(shown.Pixel(w / 2, 3 + popup->View()->Viewers(0)->BoundsRect().Top + 2), shown.Pixel(w / 2, h - 4));

    popup->HidePopup();
    TBitmap untouched(w, h);
    EXPECT_EQ(print(untouched, PRF_CHECKVISIBLE | PRF_NONCLIENT | PRF_CLIENT), 0);
    EXPECT_EQ(untouched.Pixel(0, 0), clWhite);
    EXPECT_EQ(untouched.Pixel(w / 2, h / 2), clWhite);
}
