#include "platform/kernel/Forms.h"
#include "platform/services/InputSimulation.h"
#include "tests/toolbar/StepScript.h"
#include "toolbar/BarToolbar.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A floating toolbar of ten 23 x 22 buttons.
struct FloatingToolbar {
    TForm form{nullptr};
    TBarImageList images{nullptr, 16, 16};
    TBarDock *dock;
    TBarCustomToolbar *tb;
    TBarFloatingWindowParent *frame;
    FloatingToolbar()
    {
        images.Add(clRed);
        form.SetBounds(50, 50, 500, 300);
        dock = new TBarDock(&form);
        dock->SetParent(&form);
        tb = new TBarCustomToolbar(&form);
        for (int i = 0; i < 10; ++i) {
            auto *item = new TBarCustomItem(&form);
            item->SetImages(&images);
            item->SetImageIndex(0);
            tb->Items()->Add(item);
        }
        tb->SetCurrentDock(dock);
        SimulateActivation(form);
        tb->SetFloatingPosition(TPoint{200, 200});
        tb->SetFloating(true);
        frame = tb->FloatingParent();
    }
    // The middle of the frame's right border, and of its bottom border.
    TPoint RightBorder() const { return TPoint{frame->Width() - 2, frame->Height() / 2}; }
    TPoint BottomBorder() const { return TPoint{frame->Width() / 2, frame->Height() - 2}; }
    void MoveBy(TPoint from, int dx, int dy) { SimulateMouseMove(*frame, TPoint{from.X + dx, from.Y + dy}); }
};

// Frame sizes are the client sizes plus a 4-pixel border and a 16-pixel caption.
constexpr int kFrameWidth = 8, kFrameHeight = 8 + 16;

} // namespace

TEST(BarFloatingResize, WrapPointsAreTheNarrowestSizeOfEachLineCount)
{
    FloatingToolbar f;
    // Floating margins 4 left and right, 2 above and 1 below the buttons.
    std::vector<TSize> expected{{238, 25}, {123, 47}, {100, 69}, {77, 91}, {54, 113}, {31, 223}};
    EXPECT_EQ(f.tb->GetWrapPoints(), expected);
    // Asking changes nothing.
    EXPECT_EQ(f.tb->FloatingWrapWidth(), 0);
    EXPECT_EQ(f.tb->Width(), 238);
    EXPECT_EQ(f.tb->LineCount(), 1);
}

TEST(BarFloatingResize, TheRightBorderStepsThroughWrapSizesAfterADeadZone)
{
    FloatingToolbar f;
    const TRect start = f.frame->BoundsRect();
    ASSERT_EQ(start.Width(), 238 + kFrameWidth);
    const TPoint grab = f.RightBorder();
    EXPECT_EQ(f.frame->HitTestBorder(grab.X, grab.Y), 11);
    std::vector<int> widths;
    Script script;
    script.Add([&] { SimulateMousePress(*f.frame, grab); });
    // Twelve pixels in: nothing yet.
    script.Add([&] { f.MoveBy(grab, -12, 0); });
    script.Add([&] {
        widths.push_back(f.frame->Width());
        f.MoveBy(grab, -13, 0);
    });
    // Past the zone: the widest size that fits the wish, two lines.
    script.Add([&] {
        widths.push_back(f.frame->Width());
        f.MoveBy(grab, -238 + 100 + 3, 0);
    });
    // Shrinking takes the largest size not larger than the wish.
    script.Add([&] {
        widths.push_back(f.frame->Width());
        f.MoveBy(grab, -238 + 100 - 1, 0);
    });
    script.Add([&] {
        widths.push_back(f.frame->Width());
        SimulateMouseRelease(*f.frame, TPoint{grab.X - 139, grab.Y});
    });
    ASSERT_TRUE(script.Run());
    EXPECT_EQ(widths, (std::vector<int>{246, 123 + kFrameWidth, 100 + kFrameWidth, 77 + kFrameWidth}));
    // The frame keeps its left edge; the toolbar wraps at the chosen width.
    EXPECT_EQ(f.frame->BoundsRect(), (TRect{start.Left, start.Top, start.Left + 77 + kFrameWidth,
                                            start.Top + 91 + kFrameHeight}));
    EXPECT_EQ(f.tb->FloatingWrapWidth(), 77);
    EXPECT_EQ(f.tb->LineCount(), 4);
    EXPECT_EQ(f.tb->Width(), 77);
}

TEST(BarFloatingResize, TheBottomBorderGrowsToTheNextLineCountAndOutlinesWaitForTheRelease)
{
    FloatingToolbar f;
    f.tb->SetSmoothDrag(false);
    const TRect start = f.frame->BoundsRect();
    const TPoint grab = f.BottomBorder();
    EXPECT_EQ(f.frame->HitTestBorder(grab.X, grab.Y), 15);
    TRect outline, during;
    Script script;
    script.Add([&] { SimulateMousePress(*f.frame, grab); });
    script.Add([&] { f.MoveBy(grab, 0, 13); });
    script.Add([&] {
        outline = f.tb->OutlineRect();
        during = f.frame->BoundsRect();
        SimulateMouseRelease(*f.frame, TPoint{grab.X, grab.Y + 13});
    });
    ASSERT_TRUE(script.Run());
    // Growing takes the smallest size taller than the wish: two lines; the top edge stays.
    const TRect twoLines{start.Left, start.Top, start.Left + 123 + kFrameWidth, start.Top + 47 + kFrameHeight};
    EXPECT_EQ(outline, twoLines);
    EXPECT_EQ(during, start);
    EXPECT_EQ(f.frame->BoundsRect(), twoLines);
    EXPECT_EQ(f.tb->OutlineRect(), TRect{});
    EXPECT_EQ(f.tb->LineCount(), 2);

    // Esc cancels: the outline goes and nothing changes.
    const TRect before = f.frame->BoundsRect();
    const TPoint right = f.RightBorder();
    Script cancelled;
    cancelled.Add([&] { SimulateMousePress(*f.frame, right); });
    cancelled.Add([&] { f.MoveBy(right, 60, 0); });
    cancelled.Add([&] {
        outline = f.tb->OutlineRect();
        SimulateKey(VK_ESCAPE);
    });
    cancelled.Add([&] { SimulateMouseRelease(*f.frame, TPoint{right.X + 60, right.Y}); });
    ASSERT_TRUE(cancelled.Run());
    EXPECT_EQ(outline.Width(), 238 + kFrameWidth);
    EXPECT_EQ(f.frame->BoundsRect(), before);
    EXPECT_EQ(f.tb->OutlineRect(), TRect{});
    EXPECT_EQ(f.tb->FloatingWrapWidth(), 123);
}
