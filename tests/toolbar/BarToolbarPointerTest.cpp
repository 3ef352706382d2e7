// A docked toolbar under the pointer: the hovered button lights and names
// itself in a hint, the handle shows the size-all cursor, the docked close
// button closes on a release inside it, and buttons are centred across a
// row that a taller neighbour makes thick.
#include "platform/kernel/Application.h"
#include "platform/kernel/Forms.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/Panel.h"
#include "tests/toolbar/StepScript.h"
#include "toolbar/BarToolbar.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

struct PointerForm {
    TForm form{nullptr};
    TBarDock *dock;
    TBarCustomToolbar *toolbar;
    TBarCustomItem *open, *save;
    int savedPause = Application().HintPause();
    PointerForm()
    {
        Application().SetHintPause(20);
        form.SetBounds(100, 100, 500, 300);
        dock = new TBarDock(&form);
        dock->SetParent(&form);
        toolbar = new TBarCustomToolbar(&form);
        open = Add("Open");
        save = Add("Save");
        save->SetHint("Save the file|Writes the schedule to disk");
        toolbar->SetCurrentDock(dock);
        toolbar->SetShowHint(true);
        SimulateActivation(form);
        ProcessMessages();
    }
    ~PointerForm() { Application().SetHintPause(savedPause); }
    TBarCustomItem *Add(const std::string &caption)
    {
        auto *item = new TBarCustomItem(&form);
        item->SetCaption(caption);
        toolbar->Items()->Add(item);
        return item;
    }
    TBarItemViewer *ViewerOf(const TBarCustomItem *item) const { return toolbar->View().Find(item); }
    // A viewer's bounds in the toolbar's own coordinates.
    TRect WindowRectOf(const TBarCustomItem *item) const
    {
        TRect r = ViewerOf(item)->BoundsRect();
        const TPoint origin = toolbar->ClientOrigin();
        return Bounds(r.Left + origin.X, r.Top + origin.Y, r.Width(), r.Height());
    }
    TPoint CentreOf(const TBarCustomItem *item) const
    {
        const TRect r = WindowRectOf(item);
        return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
};

// Lets timers (the hint pause) run for a while.
void Rest(int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace

TEST(BarToolbarPointer, TheHoveredButtonIsSelectedUntilThePointerLeaves)
{
    PointerForm f;
    TBarView &view = f.toolbar->View();
    SimulateMouseMove(*f.toolbar, f.CentreOf(f.open));
    EXPECT_EQ(view.Selected(), f.ViewerOf(f.open));
    EXPECT_TRUE(view.MouseOverSelected());
    EXPECT_EQ(f.toolbar->Hint(), "");
    SimulateMouseMove(*f.toolbar, f.CentreOf(f.save));
    EXPECT_EQ(view.Selected(), f.ViewerOf(f.save));
    // The toolbar's hint is the hovered item's; its long part is the application's.
    EXPECT_EQ(f.toolbar->Hint(), "Save the file|Writes the schedule to disk");
    EXPECT_EQ(Application().Hint(), "Writes the schedule to disk");
    // Onto the drag handle: nothing is hovered.
    SimulateMouseMove(*f.toolbar, TPoint{3, f.toolbar->Height() / 2});
    EXPECT_EQ(view.Selected(), nullptr);
    EXPECT_EQ(Application().Hint(), "");
    SimulateMouseMove(*f.toolbar, f.CentreOf(f.open));
    SendMessage(f.toolbar, CM_MOUSELEAVE);
    EXPECT_EQ(view.Selected(), nullptr);
}

TEST(BarToolbarPointer, HintsNameTheButtonHoldInItsRectangleAndEndWithAKey)
{
    PointerForm f;
    SimulateMouseMove(*f.toolbar, f.CentreOf(f.save));
    Rest(120);
    EXPECT_EQ(Application().ShownHint(), "Save the file");
    // Within the button the hint stays; on the next button it goes, and that one's comes.
    SimulateMouseMove(*f.toolbar, TPoint{f.WindowRectOf(f.save).Left + 1, f.CentreOf(f.save).Y});
    EXPECT_EQ(Application().ShownHint(), "Save the file");
    SimulateMouseMove(*f.toolbar, f.CentreOf(f.open));
    EXPECT_EQ(Application().ShownHint(), "");
    Rest(120);
    EXPECT_EQ(Application().ShownHint(), "Open");
    // A key ends the hint, and resting on does not bring it back.
    SimulateKey(VK_SHIFT);
    EXPECT_EQ(Application().ShownHint(), "");
    Rest(120);
    EXPECT_EQ(Application().ShownHint(), "");
    // The rectangle the hint holds in is the button's; off the buttons there is none.
    THintInfo info;
    info.HintControl = f.toolbar;
    info.CursorPos = f.CentreOf(f.save);
    EXPECT_EQ(SendMessage(f.toolbar, CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.CursorRect, f.WindowRectOf(f.save));
    EXPECT_EQ(info.HintStr, "Save the file");
    info.CursorPos = TPoint{3, 3};
    EXPECT_NE(SendMessage(f.toolbar, CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 0);
}

TEST(BarToolbarPointer, TheDragHandleShowsTheSizeAllCursor)
{
    PointerForm f;
    const int handle = f.toolbar->DragHandleSize() + 2;
    const int y = f.toolbar->Height() / 2;
    SimulateMouseMove(*f.toolbar, TPoint{handle - 1, y});
    EXPECT_EQ(ShownCursor(*f.toolbar, TPoint{handle - 1, y}), crSizeAll);
    SimulateMouseMove(*f.toolbar, TPoint{handle, y});
    EXPECT_EQ(ShownCursor(*f.toolbar, TPoint{handle, y}), crDefault);
    SimulateMouseMove(*f.toolbar, TPoint{0, y});
    EXPECT_EQ(ShownCursor(*f.toolbar, TPoint{0, y}), crSizeAll);
    // Without a handle, no size-all cursor.
    f.toolbar->SetDragHandleStyle(dhNone);
    SimulateMouseMove(*f.toolbar, TPoint{1, y});
    EXPECT_EQ(ShownCursor(*f.toolbar, TPoint{1, y}), crDefault);
}

TEST(BarToolbarPointer, TheDockedCloseButtonClosesOnAReleaseInsideIt)
{
    PointerForm f;
    f.toolbar->SetCloseButtonWhenDocked(true);
    ProcessMessages();
    int closed = 0;
    f.toolbar->OnClose = [&](TObject *) { ++closed; };
    const TRect close = f.toolbar->GetDockedCloseButtonRect();
    EXPECT_EQ(close, Bounds(3, 2, 11, 11));
    const TPoint inside{close.Left + 4, close.Top + 4}, outside{close.Left + 4, close.Bottom + 4};
    SimulateMouseMove(*f.toolbar, inside);
    EXPECT_TRUE(f.toolbar->DockedCloseButtonHot());
    SimulateMouseMove(*f.toolbar, outside);
    EXPECT_FALSE(f.toolbar->DockedCloseButtonHot());
    // Pressed inside and let go outside: nothing closes, and no drag started.
    bool pushed = false, pushedOutside = true;
    Script script;
    script.Add([&] { SimulateMousePress(*f.toolbar, inside); });
    script.Add([&] {
        pushed = f.toolbar->DockedCloseButtonPushed();
        SimulateMouseMove(*f.toolbar, outside, ssLeft);
        pushedOutside = f.toolbar->DockedCloseButtonPushed();
        SimulateMouseRelease(*f.toolbar, outside);
    });
    EXPECT_TRUE(script.Run());
    EXPECT_TRUE(pushed);
    EXPECT_FALSE(pushedOutside);
    EXPECT_TRUE(f.toolbar->Visible());
    EXPECT_EQ(f.toolbar->CurrentDock(), f.dock);
    Script click;
    click.Add([&] { SimulateMousePress(*f.toolbar, inside); });
    click.Add([&] { SimulateMouseRelease(*f.toolbar, inside); });
    EXPECT_TRUE(click.Run());
    EXPECT_FALSE(f.toolbar->Visible());
    EXPECT_EQ(closed, 1);
}

TEST(BarToolbarPointer, ButtonsAreCentredAcrossARowATallerNeighbourMakesThick)
{
    PointerForm f;
    auto *tall = new TBarCustomToolbar(&f.form);
    auto *panel = new TPanel(&f.form);
    panel->SetBounds(0, 0, 60, 40);
    tall->Items()->Add(new TBarControlItem(&f.form, panel));
    panel->SetParent(tall);
    tall->SetDockPos(200);
    tall->SetCurrentDock(f.dock);
    ProcessMessages();
    ASSERT_EQ(tall->EffectiveRow, f.toolbar->EffectiveRow);
    EXPECT_EQ(f.toolbar->Height(), 44);
    EXPECT_EQ(f.toolbar->GetRowCrossMinimum(), 40);
    const TRect open = f.ViewerOf(f.open)->BoundsRect();
    const int h = open.Height();
    EXPECT_LT(h, 40);
    EXPECT_EQ(open.Top, (40 - h) / 2);
    EXPECT_EQ(f.ViewerOf(f.save)->BoundsRect().Top, (40 - h) / 2);
    // Squeezed, the chevron spans the whole line.
    f.toolbar->Items()->Add(new TBarCustomItem(&f.form));
    for (int i = 0; i < 6; ++i)
        f.Add("Button " + std::to_string(i));
    f.form.SetBounds(100, 100, 330, 300);
    ProcessMessages();
    TBarItemViewer *chevron = f.toolbar->View().Find(f.toolbar->ChevronItem());
    ASSERT_NE(chevron, nullptr);
    ASSERT_TRUE(chevron->Show());
    EXPECT_EQ(chevron->BoundsRect().Top, 0);
    EXPECT_EQ(chevron->BoundsRect().Bottom, 40);
    // Once the tall neighbour goes, the row is the toolbar's own again.
    tall->SetVisible(false);
    ProcessMessages();
    EXPECT_EQ(f.ViewerOf(f.open)->BoundsRect().Top, 0);
}
