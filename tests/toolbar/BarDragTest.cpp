#include "platform/kernel/Forms.h"
#include "tests/toolbar/StepScript.h"
#include "platform/services/InputSimulation.h"
#include "toolbar/BarToolbar.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace {

struct DragForm {
    TForm form{nullptr};
    TBarImageList images{nullptr, 16, 16};
    TBarDock *dock;
    DragForm()
    {
        images.Add(clRed);
        form.SetBounds(100, 100, 500, 300);
        dock = new TBarDock(&form);
        dock->SetName("dockTop");
        dock->SetParent(&form);
        SimulateActivation(form);
    }
    TBarCustomToolbar *Toolbar(int buttons, int row = 0, int pos = -1)
    {
        auto *tb = new TBarCustomToolbar(&form);
        for (int i = 0; i < buttons; ++i) {
            auto *item = new TBarCustomItem(&form);
            item->SetImages(&images);
            item->SetImageIndex(0);
            tb->Items()->Add(item);
        }
        tb->SetDockRow(row);
        tb->SetDockPos(pos);
        tb->SetCurrentDock(dock);
        return tb;
    }
    // A point of the form's client area on the screen.
    TPoint Screen(TPoint p) const { return form.ClientToScreen(p); }
    // Moves the pointer, held down, to a point of the form's client area.
    void MoveTo(TControl &pressed, TPoint formPoint, TShiftState shift = 0)
    {
        SimulateMouseMove(pressed, pressed.ScreenToClient(Screen(formPoint)), shift);
    }
    void ReleaseAt(TControl &pressed, TPoint formPoint)
    {
        TPoint s = Screen(formPoint);
        SimulateMouseRelease(pressed, pressed.ScreenToClient(s));
    }
};

} // namespace

TEST(BarDrag, OffTheDockItFloatsAndOnTheDockItDocks)
{
    DragForm f;
    TBarCustomToolbar *tb = f.Toolbar(3);
    Script script;
    TPoint handle{3, 10};
    script.Add([&] { SimulateMousePress(*tb, handle); });
    script.Add([&] { f.MoveTo(*tb, TPoint{40, 100}); });
    script.Add([&] {
        // A smooth drag shows the window where it would go at once.
        EXPECT_TRUE(tb->Floating());
        EXPECT_EQ(tb->DragCursor, crSizeAll);
        f.MoveTo(*tb, TPoint{60, 150});
    });
    script.Add([&] { f.ReleaseAt(*tb, TPoint{60, 150}); });
    ASSERT_TRUE(script.Run());
    ASSERT_TRUE(tb->Floating());
    EXPECT_FALSE(tb->IsDragged);
    EXPECT_EQ(tb->LastDock(), f.dock);
    // The grab point keeps its place in the frame.
    TPoint cursor = f.Screen(TPoint{60, 150});
    TBarFloatingWindowParent *frame = tb->FloatingParent();
    EXPECT_NEAR(frame->Left(), cursor.X - 3, 2);
    EXPECT_EQ(f.dock->Height(), 0);
    // The remembered row and position stay while it floats.
    EXPECT_EQ(tb->DockRow(), 0);

    // Dragged by its caption back over the dock, it docks.
    Script back;
    TRect caption = frame->CaptionRect();
    TPoint grab{caption.Left + 10, caption.Top + 5};
    back.Add([&] { SimulateMousePress(*frame, grab); });
    back.Add([&] { f.MoveTo(*frame, TPoint{80, 5}); });
    back.Add([&] { f.ReleaseAt(*frame, TPoint{80, 5}); });
    ASSERT_TRUE(back.Run());
    EXPECT_TRUE(tb->Docked());
    EXPECT_EQ(f.dock->Height(), 26);
}

TEST(BarDrag, CtrlIsTheLiveStateAndNeverDocks)
{
    DragForm f;
    TBarCustomToolbar *tb = f.Toolbar(3);
    tb->SetFloatingPosition(f.Screen(TPoint{100, 150}));
    tb->SetFloating(true);
    TBarFloatingWindowParent *frame = tb->FloatingParent();
    TRect caption = frame->CaptionRect();
    TPoint grab{caption.Left + 10, caption.Top + 5};
    auto key = [&](unsigned msg) {
        TMessage m{msg, VK_CONTROL, 0, 0};
        DispatchMessage(frame, m);
    };
    Script script;
    script.Add([&] { SimulateMousePress(*frame, grab); });
    script.Add([&] { f.MoveTo(*frame, TPoint{80, 5}, ssCtrl); });
    // Held Ctrl repeats its key: still no docking.
    script.Add([&] { key(WM_KEYDOWN); });
    script.Add([&] { key(WM_KEYDOWN); });
    script.Add([&] {
        EXPECT_TRUE(tb->Floating());
        // Ctrl let go while another window had the keyboard: the next move docks.
        f.MoveTo(*frame, TPoint{82, 5});
    });
    script.Add([&] {
        EXPECT_TRUE(tb->Docked());
        // Held again: off the dock.
        key(WM_KEYDOWN);
    });
    script.Add([&] { f.ReleaseAt(*tb, TPoint{82, 5}); });
    ASSERT_TRUE(script.Run());
    EXPECT_TRUE(tb->Floating());
}

TEST(BarDrag, EscOrAPressCancelsAnOutlineDrag)
{
    DragForm f;
    TBarCustomToolbar *a = f.Toolbar(3);
    a->SetSmoothDrag(false);
    TRect before = a->BoundsRect();
    Script script;
    script.Add([&] { SimulateMousePress(*a, TPoint{3, 10}); });
    script.Add([&] { f.MoveTo(*a, TPoint{200, 150}); });
    script.Add([&] {
        EXPECT_TRUE(a->Docked()); // an outline drag moves nothing yet
        SimulateKey(VK_ESCAPE);
    });
    script.Add([&] { f.ReleaseAt(*a, TPoint{200, 150}); });
    ASSERT_TRUE(script.Run());
    EXPECT_TRUE(a->Docked());
    EXPECT_EQ(a->BoundsRect(), before);

    // So does a left press: the outline goes, nothing moved.
    TRect outline;
    Script pressed;
    pressed.Add([&] { SimulateMousePress(*a, TPoint{3, 10}); });
    pressed.Add([&] { f.MoveTo(*a, TPoint{200, 150}); });
    pressed.Add([&] {
        outline = a->OutlineRect();
        SimulateMousePress(f.form, TPoint{200, 150}, mbLeft);
    });
    pressed.Add([&] { f.ReleaseAt(f.form, TPoint{200, 150}); });
    ASSERT_TRUE(pressed.Run());
    EXPECT_FALSE(outline.IsEmpty());
    EXPECT_TRUE(a->OutlineRect().IsEmpty());
    EXPECT_TRUE(a->Docked());
    EXPECT_EQ(a->BoundsRect(), before);

    // Accepted, the outline drag applies at the end.
    Script accepted;
    accepted.Add([&] { SimulateMousePress(*a, TPoint{3, 10}); });
    accepted.Add([&] { f.MoveTo(*a, TPoint{200, 150}); });
    accepted.Add([&] { f.ReleaseAt(*a, TPoint{200, 150}); });
    ASSERT_TRUE(accepted.Run());
    EXPECT_TRUE(a->Floating());
}

TEST(BarDrag, CannotFloatShowsTheNoEntryCursorAndDropsNothing)
{
    DragForm f;
    TBarCustomToolbar *a = f.Toolbar(3);
    a->SetDockMode(dmCannotFloat);
    TRect before = a->BoundsRect();
    TCursor seen = crDefault;
    Script script;
    script.Add([&] { SimulateMousePress(*a, TPoint{3, 10}); });
    script.Add([&] { f.MoveTo(*a, TPoint{200, 200}); });
    script.Add([&] { seen = a->DragCursor; });
    script.Add([&] { f.ReleaseAt(*a, TPoint{200, 200}); });
    ASSERT_TRUE(script.Run());
    EXPECT_EQ(seen, crNoDrop);
    EXPECT_TRUE(a->Docked());
    EXPECT_EQ(a->BoundsRect(), before);
}

TEST(BarDrag, TheUpperQuarterOfARowOpensANewRow)
{
    DragForm f;
    TBarCustomToolbar *a = f.Toolbar(3);
    TBarCustomToolbar *b = f.Toolbar(3, 0, 200);
    ASSERT_EQ(b->EffectiveRow, 0);
    ASSERT_EQ(f.dock->Height(), 26);
    // Grabbed at its handle and moved so that its centre lies in the upper
    // quarter of row 0 (the centre is 13 pixels below the grab point).
    Script script;
    script.Add([&] { SimulateMousePress(*b, TPoint{3, 10}); });
    script.Add([&] { f.MoveTo(*b, TPoint{203, 0}); });
    script.Add([&] { f.ReleaseAt(*b, TPoint{203, 0}); });
    ASSERT_TRUE(script.Run());
    EXPECT_TRUE(b->Docked());
    EXPECT_EQ(b->EffectiveRow, 0);
    EXPECT_EQ(a->EffectiveRow, 1);
    EXPECT_EQ(f.dock->Height(), 52);
    // The new row stays at the next arrangement.
    f.dock->ArrangeToolbars();
    EXPECT_EQ(a->EffectiveRow, 1);
    EXPECT_EQ(f.dock->Height(), 52);

    // The middle of a row joins it.
    Script join;
    join.Add([&] { SimulateMousePress(*b, TPoint{3, 10}); });
    join.Add([&] { f.MoveTo(*b, TPoint{250, 36}); });
    join.Add([&] { f.ReleaseAt(*b, TPoint{250, 36}); });
    ASSERT_TRUE(join.Run());
    EXPECT_EQ(a->EffectiveRow, b->EffectiveRow);
    EXPECT_EQ(f.dock->Height(), 26);
}

// The toolkit reports the second press of a double click as a press, which
// starts a drag loop, and then the double click itself: the loop ends without
// moving anything and the docking toggles; no capture is left behind.
TEST(BarDrag, ADoubleClickThatArrivesInTheLoopTogglesTheDocking)
{
    DragForm f;
    TBarCustomToolbar *tb = f.Toolbar(3);
    tb->SetFloatingPosition(f.Screen(TPoint{100, 150}));
    tb->SetFloating(true);
    TBarFloatingWindowParent *frame = tb->FloatingParent();
    const TRect before = frame->BoundsRect();
    TRect caption = frame->CaptionRect();
    TPoint grab{caption.Left + 10, caption.Top + 5};
    auto doubleClick = [](TControl &target, TPoint p) {
        TMessage m{WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(p.X, p.Y), 0};
        DispatchMessage(&target, m);
    };
    Script script;
    script.Add([&] { SimulateMousePress(*frame, grab); });
    script.Add([&] { doubleClick(*frame, grab); });
    script.Add([&] { SimulateMouseRelease(*f.dock, TPoint{5, 5}); });
    ASSERT_TRUE(script.Run());
    EXPECT_TRUE(tb->Docked());
    EXPECT_EQ(tb->Parent(), f.dock);
    EXPECT_EQ(CaptureControl(), nullptr);

    // On the docked handle it floats again, where it floated before.
    Script again;
    again.Add([&] { SimulateMousePress(*tb, TPoint{3, 10}); });
    again.Add([&] { doubleClick(*tb, TPoint{3, 10}); });
    again.Add([&] { SimulateMouseRelease(*frame, grab); });
    ASSERT_TRUE(again.Run());
    EXPECT_TRUE(tb->Floating());
    EXPECT_EQ(frame->BoundsRect(), before);
    EXPECT_EQ(CaptureControl(), nullptr);
}

// Toolbars made with a row the dock drops as empty (the main window asks for
// row 1 with nothing in row 0) show in row 0. One dragged off the dock keeps
// the row and position it showed, saves them while it floats and comes back
// there, beside its neighbour, when a double click on its caption docks it.
TEST(BarDrag, AToolbarDraggedOffTheDockComesBackBesideItsNeighbour)
{
    DragForm f;
    f.form.SetName("frmMain");
    TBarCustomToolbar *a = f.Toolbar(3, 1, 0);
    TBarCustomToolbar *b = f.Toolbar(3, 1, 150);
    b->SetName("tlbMove");
    ASSERT_EQ(a->EffectiveRow, 0);
    ASSERT_EQ(b->EffectiveRow, 0);
    ASSERT_EQ(f.dock->Height(), 26);
    const int left = b->Left();
    const int shownPos = b->EffectivePos;

    Script script;
    script.Add([&] { SimulateMousePress(*b, TPoint{3, 10}); });
    script.Add([&] { f.MoveTo(*b, TPoint{left + 3, 60}); });
    script.Add([&] { f.MoveTo(*b, TPoint{left + 3, 150}); });
    script.Add([&] { f.ReleaseAt(*b, TPoint{left + 3, 150}); });
    ASSERT_TRUE(script.Run());
    ASSERT_TRUE(b->Floating());
    EXPECT_EQ(b->DockRow(), 0);
    EXPECT_EQ(b->DockPos(), shownPos);

    std::vector<std::string> lines;
    SaveDockablePositions(
        &f.form, [&](const std::string &w, const std::string &k, int v) { lines.push_back(w + "." + k + "=" + std::to_string(v)); },
        [&](const std::string &w, const std::string &k, const std::string &v) { lines.push_back(w + "." + k + "=" + v); });
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[2], "tlbMove.DockedTo=+");
    EXPECT_EQ(lines[4], "tlbMove.DockRow=0");
    EXPECT_EQ(lines[5], "tlbMove.DockPos=" + std::to_string(shownPos));

    TBarFloatingWindowParent *frame = b->FloatingParent();
    TRect caption = frame->CaptionRect();
    TPoint grab{caption.Left + 10, caption.Top + 5};
    Script back;
    back.Add([&] { SimulateMousePress(*frame, grab); });
    back.Add([&] {
        TMessage m{WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(grab.X, grab.Y), 0};
        DispatchMessage(frame, m);
    });
    back.Add([&] { SimulateMouseRelease(*f.dock, TPoint{5, 5}); });
    ASSERT_TRUE(back.Run());
    ASSERT_TRUE(b->Docked());
    EXPECT_EQ(b->EffectiveRow, a->EffectiveRow);
    EXPECT_EQ(b->DockRow(), 0);
    EXPECT_EQ(b->DockPos(), shownPos);
    EXPECT_EQ(b->Left(), left);
    EXPECT_EQ(f.dock->Height(), 26);
}

// In a crowded row a shrunk toolbar dragged along the row by more than 9
// pixels locks to the row: the sizing cursor shows, moving off the dock no
// longer floats it, and only its position changes.
TEST(BarDrag, AShrunkToolbarSlidesInItsCrowdedRowAfterNinePixels)
{
    DragForm f;
    TBarCustomToolbar *a = f.Toolbar(15);
    TBarCustomToolbar *b = f.Toolbar(10);
    ASSERT_EQ(a->EffectiveRow, 0);
    ASSERT_EQ(b->EffectiveRow, 0);
    ASSERT_GT(b->ShrunkLength + a->ShrunkLength, 0);
    const TPoint handle{3, 10};
    const TPoint start{b->Left() + handle.X, b->Top() + handle.Y};
    TCursor early = crDefault, sliding = crDefault;
    bool slidingEarly = true, floatedWhileSliding = true;
    Script script;
    script.Add([&] { SimulateMousePress(*b, handle); });
    script.Add([&] { f.MoveTo(*b, TPoint{start.X - 6, start.Y}); });
    script.Add([&] {
        early = b->DragCursor;
        slidingEarly = b->SlidingInRow;
        f.MoveTo(*b, TPoint{start.X - 30, start.Y});
    });
    script.Add([&] {
        sliding = b->DragCursor;
        f.MoveTo(*b, TPoint{start.X - 40, start.Y + 150});
    });
    script.Add([&] {
        floatedWhileSliding = b->Floating();
        f.ReleaseAt(*b, TPoint{start.X - 40, start.Y + 150});
    });
    ASSERT_TRUE(script.Run());
    EXPECT_FALSE(slidingEarly);
    EXPECT_EQ(early, crSizeAll);
    EXPECT_EQ(sliding, crSizeWE);
    EXPECT_FALSE(floatedWhileSliding);
    EXPECT_TRUE(b->Docked());
    EXPECT_EQ(b->EffectiveRow, 0);
    EXPECT_EQ(a->EffectiveRow, 0);
    EXPECT_EQ(f.dock->Height(), 26);
    EXPECT_FALSE(b->SlidingInRow);
}
