#include "platform/kernel/DragOutline.h"
#include "platform/kernel/Forms.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/Memo.h"
#include "platform/widgets/Panel.h"
#include "platform/kernel/PopupWindow.h"

#include <gtest/gtest.h>

// A control moved with its window keeps that window and its children's
// windows (what they hold goes along), into another form's top-level window too.
TEST(MoveWindowTo, KeepsTheWindowsAcrossParentsAndTopLevelWindows)
{
    TForm form(nullptr);
    form.SetBounds(10, 10, 300, 200);
    auto *left = PlaceControl<TPanel>(&form, 0, 0, 150, 200);
    auto *right = PlaceControl<TPanel>(&form, 150, 0, 150, 200);
    auto *box = PlaceControl<TPanel>(left, 5, 5, 100, 50);
    auto *edit = PlaceControl<TEdit>(box, 2, 2, 90, 20);
    ASSERT_TRUE(SimulateActivation(form));
    edit->SetFocus();
    SimulateTyping("abc");
    const TWidgetLink *boxWindow = box->Link();
    const TWidgetLink *editWindow = edit->Link();

    box->MoveWindowTo(right);
    EXPECT_EQ(box->Parent(), right);
    EXPECT_EQ(box->Link(), boxWindow);
    EXPECT_EQ(edit->Link(), editWindow);
    EXPECT_EQ(edit->Text(), "abc");
    EXPECT_EQ(box->ClientToScreen(TPoint{0, 0}), right->ClientToScreen(TPoint{5, 5}));
    EXPECT_EQ(left->ControlCount(), 0);

    TPopupWindow frame(nullptr);
    frame.SetBounds(400, 300, 120, 80);
    frame.HandleNeeded();
    box->MoveWindowTo(&frame);
    frame.ShowAt(TPoint{400, 300});
    EXPECT_EQ(box->Link(), boxWindow);
    EXPECT_EQ(edit->Link(), editWindow);
    EXPECT_TRUE(box->Showing());
    box->MoveWindowTo(left);
    EXPECT_EQ(edit->Link(), editWindow);

    // Without a window on the new side the move is the plain one.
    TPanel loose(nullptr);
    box->MoveWindowTo(&loose);
    EXPECT_FALSE(box->HandleAllocated());
    box->MoveWindowTo(nullptr);
}

TEST(DragOutline, AFrameThatTheMousePassesThrough)
{
    TDragOutline outline;
    EXPECT_FALSE(outline.Visible());
    outline.Show(TRect{10, 20, 110, 70}, 4);
    EXPECT_TRUE(outline.Visible());
    EXPECT_TRUE(outline.InputTransparent());
    EXPECT_EQ(outline.Rect(), (TRect{10, 20, 110, 70}));
    EXPECT_EQ(outline.Thickness(), 4);
    // An empty rectangle hides it.
    outline.Show(TRect{5, 5, 5, 30}, 1);
    EXPECT_FALSE(outline.Visible());
    outline.Show(TRect{0, 0, 50, 50}, 1);
    outline.Hide();
    EXPECT_FALSE(outline.Visible());
}
