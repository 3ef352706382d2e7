// The floating frame as a window among the program's windows: whom it
// belongs to, its title, its caption's activity, the keyboard in its
// controls; and the docked frame's border and the placement events.
#include "platform/widgets/ComboBox.h"
#include "platform/kernel/Forms.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/Memo.h"
#include "platform/core/Menus.h"
#include "platform/kernel/QtControls.h"
#include "platform/kernel/WindowEffects.h"
#include "tests/toolbar/StepScript.h"
#include "toolbar/BarToolbar.h"

#include <QAccessible>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A shown, active form with a top dock, a text box holding the focus and a
// toolbar of two buttons floating at (300, 300).
struct FloatingForm {
    TForm form{nullptr};
    TMainMenu menu{nullptr};
    TBarDock *dock;
    TEdit *caption;
    TBarCustomToolbar *toolbar;
    bool active = false;
    FloatingForm()
    {
        form.SetBounds(0, 0, 400, 300);
        dock = new TBarDock(&form);
        dock->SetName("dockTop");
        dock->SetParent(&form);
        caption = PlaceControl<TEdit>(&form, 10, 100, 150, 21);
        toolbar = new TBarCustomToolbar(&form);
        toolbar->SetName("tlbMove");
        toolbar->SetCaption("移動");
        for (int i = 0; i < 2; ++i) {
            auto *item = new TBarCustomItem(&form);
            item->SetCaption("B" + std::to_string(i));
            toolbar->Items()->Add(item);
        }
        toolbar->SetCurrentDock(dock);
        active = SimulateActivation(form);
        caption->SetFocus();
        toolbar->SetFloatingPosition(TPoint{300, 300});
        toolbar->SetFloating(true);
    }
    TBarFloatingWindowParent &Frame() const { return *toolbar->FloatingParent(); }
    QWidget *FrameWindow() const { return Frame().Link()->Widget(); }
    // The caption's colour where its text does not reach.
    TColor CaptionPixel() const
    {
        TBitmap bitmap(Frame().Width(), Frame().Height());
        Frame().PaintTo(bitmap.Canvas());
        const TRect caption = Frame().CaptionRect();
        return bitmap.Pixel(caption.Left, caption.Top);
    }
};

} // namespace

// The window system keeps the frame above its form only (a dialog the
// program opens later comes above it, another program's window may cover
// it): it is its form's transient window, not a stay-on-top one. Window
// lists and screen readers name it by the toolbar's caption.
TEST(BarFloatingFrame, BelongsToItsFormAndIsNamedAfterTheToolbar)
{
    FloatingForm f;
    ASSERT_TRUE(f.active);
    QWidget *frame = f.FrameWindow();
    ASSERT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowHandle()->transientParent(), f.form.Link()->Widget()->windowHandle());
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(WindowIsTopmost(f.Frame()));
    EXPECT_EQ(StdStr(frame->windowTitle()), "移動");
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(frame);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(StdStr(accessible->text(QAccessible::Name)), "移動");
    f.toolbar->SetCaption("移動2");
    EXPECT_EQ(StdStr(frame->windowTitle()), "移動2");

    // Belonging to the program, it stays above every window.
    f.toolbar->SetFloatingMode(fmOnTopOfAllForms);
    frame = f.FrameWindow();
    EXPECT_EQ(frame->windowHandle()->transientParent(), nullptr);
    EXPECT_TRUE(WindowIsTopmost(f.Frame()));
    EXPECT_TRUE(frame->isVisible());
    f.toolbar->SetFloatingMode(fmOnTopOfParentForm);
    frame = f.FrameWindow();
    EXPECT_EQ(frame->windowHandle()->transientParent(), f.form.Link()->Widget()->windowHandle());
    EXPECT_FALSE(WindowIsTopmost(f.Frame()));
    EXPECT_TRUE(frame->isVisible());

    // Above every window only while its form is (changing that shows the form anew).
    f.form.SetFormStyle(fsStayOnTop);
    ASSERT_TRUE(SimulateActivation(f.form));
    EXPECT_TRUE(WindowIsTopmost(f.Frame()));
    EXPECT_EQ(f.FrameWindow()->windowHandle()->transientParent(), f.form.Link()->Widget()->windowHandle());
    f.form.SetFormStyle(fsNormal);
    ASSERT_TRUE(SimulateActivation(f.form));
    EXPECT_FALSE(WindowIsTopmost(f.Frame()));
    EXPECT_TRUE(f.FrameWindow()->isVisible());

    // Closing the frame (Alt+F4 on it) closes its form.
    int closed = 0;
    f.form.OnClose = [&](TObject *, TCloseAction &) { ++closed; };
    f.FrameWindow()->close();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(f.form.Visible());
    EXPECT_TRUE(f.toolbar->Visible());
}

// The caption is drawn active only while the program is active and its
// active window is the frame's form or the frame itself.
TEST(BarFloatingFrame, TheCaptionIsInactiveWhileAnotherWindowIsActive)
{
    FloatingForm f;
    ASSERT_TRUE(f.active);
    f.toolbar->SetHideWhenInactive(false);
    const TColor active = ColorToRGB(clActiveCaption), inactive = ColorToRGB(clInactiveCaption);
    ASSERT_NE(active, inactive);
    EXPECT_FALSE(f.toolbar->CaptionInactive());
    EXPECT_EQ(f.CaptionPixel(), active);

    TForm other(nullptr);
    other.SetBounds(500, 0, 200, 100);
    ASSERT_TRUE(SimulateActivation(other));
    EXPECT_TRUE(f.toolbar->CaptionInactive());
    EXPECT_EQ(f.CaptionPixel(), inactive);

    ASSERT_TRUE(SimulateActivation(f.form));
    EXPECT_FALSE(f.toolbar->CaptionInactive());
    EXPECT_EQ(f.CaptionPixel(), active);

    SimulateApplicationDeactivation();
    EXPECT_TRUE(f.toolbar->CaptionInactive());
    ASSERT_TRUE(SimulateActivation(f.form));
    EXPECT_FALSE(f.toolbar->CaptionInactive());
}

// A box hosted in the floating toolbar takes what is typed after a click on
// it, not the form's focused control; the form's menu shortcuts still work
// there, Esc gives the keyboard back to the form, and a click on the frame
// itself activates the form.
TEST(BarFloatingFrame, AHostedBoxTakesTheTypingAfterAClick)
{
    FloatingForm f;
    ASSERT_TRUE(f.active);
    auto *save = new TMenuItem(nullptr);
    save->SetCaption("上書き保存(&S)");
    save->SetShortCut(scCtrl | 'S');
    int saved = 0;
    save->OnClick = [&](TObject *) { ++saved; };
    f.menu.Items()->Add(save);
    f.form.SetMenu(&f.menu);
    auto *box = new TComboBox(&f.form);
    box->SetBounds(0, 0, 50, 21);
    box->SetParent(f.toolbar);
    ASSERT_EQ(f.toolbar->Parent(), &f.Frame());
    ASSERT_EQ(FocusedControl(), f.caption);

    SimulateClick(*box, TPoint{10, 10});
    ProcessMessages(); // the window system's answer
    // The window system sends the keys to the active window.
    EXPECT_EQ(ActiveWindowControl(), &f.Frame());
    EXPECT_EQ(FocusedControl(), box);
    SimulateTyping("14");
    EXPECT_EQ(box->Text(), "14");
    EXPECT_EQ(f.caption->Text(), "");
    SimulateKey('S', ssCtrl);
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(box->Text(), "14");

    SimulateKey(VK_ESCAPE);
    ProcessMessages();
    EXPECT_EQ(ActiveWindowControl(), &f.form);
    EXPECT_EQ(FocusedControl(), f.caption);

    // A press on the close button (let go outside it) activates the form.
    SimulateClick(*box, TPoint{10, 10});
    ProcessMessages();
    ASSERT_EQ(ActiveWindowControl(), &f.Frame());
    const TRect close = f.Frame().CloseButtonRect();
    SimulateMousePress(f.Frame(), TPoint{close.Left + 3, close.Top + 3});
    SimulateMouseRelease(f.Frame(), TPoint{2, f.Frame().Height() - 2});
    ProcessMessages();
    EXPECT_EQ(ActiveWindowControl(), &f.form);
    EXPECT_TRUE(f.toolbar->Visible());

    // So does a click on one of its buttons, once the button has run.
    int clicked = 0;
    f.toolbar->Items()->GetItem(0)->OnClick = [&](TObject *) { ++clicked; };
    SimulateClick(*box, TPoint{10, 10});
    ProcessMessages();
    ASSERT_EQ(ActiveWindowControl(), &f.Frame());
    f.toolbar->View().EnsureLayout();
    const TRect button = f.toolbar->View().Find(f.toolbar->Items()->GetItem(0))->BoundsRect();
    const TPoint at{(button.Left + button.Right) / 2, (button.Top + button.Bottom) / 2};
    Script script;
    script.Add([&] { SimulateMousePress(*f.toolbar, at); });
    script.Add([&] { SimulateMouseRelease(*f.toolbar, at); });
    EXPECT_TRUE(script.Run());
    ProcessMessages();
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(ActiveWindowControl(), &f.form);
}

// Toolbars size their floating frame by wrap steps along an edge only: the
// frame's corners are parts of its edges.
TEST(BarFloatingFrame, ToolbarFramesHaveNoCornerSizing)
{
    FloatingForm f;
    EXPECT_EQ(f.toolbar->SizingOptions, 0u);
    const TBarFloatingWindowParent &frame = f.Frame();
    const int w = frame.Width(), h = frame.Height();
    EXPECT_EQ(frame.HitTestBorder(1, 1), 12);
    EXPECT_EQ(frame.HitTestBorder(w - 2, 1), 12);
    EXPECT_EQ(frame.HitTestBorder(1, h - 2), 15);
    EXPECT_EQ(frame.HitTestBorder(w - 2, h - 2), 15);
    EXPECT_EQ(frame.HitTestBorder(1, h / 2), 10);
    f.toolbar->SizingOptions = 1;
    EXPECT_EQ(frame.HitTestBorder(1, 1), 13);
    EXPECT_EQ(frame.HitTestBorder(w - 2, h - 2), 17);
}

// A placement change tells its events in order; the docked frame's ring is
// raised with bsSingle and flat in the window's colour with bsNone.
TEST(BarFloatingFrame, PlacementEventsAndTheDockedBorder)
{
    FloatingForm f;
    std::vector<std::string> told;
    TBarCustomToolbar *tb = f.toolbar;
    auto dock = [&](TBarDock *d) { return std::string(d ? d->Name() : "none"); };
    tb->OnDockChanging = [&](TObject *, bool floating, TBarDock *to) {
        told.push_back("changing " + std::to_string(floating) + " " + dock(to));
    };
    tb->OnRecreating = [&](TObject *) { told.push_back("recreating"); };
    tb->OnDockChangingHidden = [&](TObject *, bool floating, TBarDock *to) {
        told.push_back("hidden " + std::to_string(floating) + " " + dock(to) + " " + dock(tb->CurrentDock()));
    };
    tb->OnRecreated = [&](TObject *) { told.push_back("recreated " + dock(tb->CurrentDock())); };
    tb->OnDockChanged = [&](TObject *) { told.push_back("changed"); };
    tb->ToggleDocking();
    EXPECT_EQ(told, (std::vector<std::string>{"changing 0 dockTop", "recreating", "hidden 0 dockTop none",
                                              "recreated dockTop", "changed"}));
    told.clear();
    tb->SetFloating(true);
    EXPECT_EQ(told, (std::vector<std::string>{"changing 1 none", "recreating", "hidden 1 none dockTop",
                                              "recreated none", "changed"}));
    tb->ToggleDocking();

    auto corner = [&] {
        TBitmap bitmap(tb->Width(), tb->Height());
        tb->PaintTo(bitmap.Canvas());
        return bitmap.Pixel(0, 0);
    };
    EXPECT_EQ(tb->BorderStyle(), bsSingle);
    EXPECT_EQ(corner(), ColorToRGB(clBtnHighlight));
    tb->SetBorderStyle(bsNone);
    EXPECT_EQ(corner(), ColorToRGB(tb->Color()));
}
