#include "platform/kernel/Forms.h"
#include "platform/core/Messages.h"
#include "platform/widgets/Panel.h"

#include <gtest/gtest.h>

#include <memory>

TEST(FormRelease, AModelessFormThatAnswersCaFreeIsFreedOnceItsEventsAreHandled)
{
    auto owner = std::make_unique<TComponent>();
    auto *form = new TForm(owner.get());
    form->SetFormStyle(fsStayOnTop);
    int closes = 0;
    form->OnClose = [&](TObject *, TCloseAction &action) {
        ++closes;
        action = caFree;
    };
    form->ShowForm();
    TMessageTargetRef alive(form);
    form->Close();
    EXPECT_EQ(closes, 1);
    // Still there while the handler that closed it may be running.
    EXPECT_TRUE(alive);
    EXPECT_FALSE(form->Visible());
    ProcessMessages();
    EXPECT_FALSE(alive);
    EXPECT_EQ(owner->ComponentCount(), 0);

    // A form freed by its owner before the deferred free is simply gone.
    auto *second = new TForm(owner.get());
    second->OnClose = [](TObject *, TCloseAction &action) { action = caFree; };
    second->ShowForm();
    second->Close();
    owner.reset();
    ProcessMessages();
}

TEST(FormRelease, TheReleaseThatEndsADoubleClickIsNoClick)
{
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 40, 20);
    int clicks = 0, doubleClicks = 0;
    panel.OnClick = [&](TObject *) { ++clicks; };
    panel.OnDblClick = [&](TObject *) { ++doubleClicks; };
    SendMessage(&panel, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5));
    SendMessage(&panel, WM_LBUTTONUP, 0, MakeLParam(5, 5));
    SendMessage(&panel, WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(5, 5));
    SendMessage(&panel, WM_LBUTTONUP, 0, MakeLParam(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubleClicks, 1);
    // A release without a press on the control is no click either.
    SendMessage(&panel, WM_LBUTTONUP, 0, MakeLParam(5, 5));
    EXPECT_EQ(clicks, 1);
}
