// Controls hosted in a toolbar through control items.
#include "platform/kernel/Forms.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/ComboBox.h"
#include "platform/widgets/Memo.h"
#include "platform/widgets/Panel.h"
#include "toolbar/BarToolbar.h"

#include <gtest/gtest.h>

namespace {

struct HostForm {
    TForm form{nullptr};
    TBarImageList images{nullptr, 16, 16};
    TBarDock *dock;
    TBarCustomToolbar *tb;
    HostForm()
    {
        images.Add(clRed);
        form.SetBounds(0, 0, 600, 200);
        dock = new TBarDock(&form);
        dock->SetName("dockTop");
        dock->SetParent(&form);
        tb = new TBarCustomToolbar(&form);
        tb->SetName("tlbHost");
        for (int i = 0; i < 2; ++i) {
            auto *item = new TBarCustomItem(&form);
            item->SetImages(&images);
            item->SetImageIndex(0);
            tb->Items()->Add(item);
        }
        tb->SetCurrentDock(dock);
    }
    TPanel *Panel(int width)
    {
        auto *panel = new TPanel(&form);
        panel->SetBounds(0, 0, width, 20);
        return panel;
    }
    TBarControlItem *HostItem(int index) { return dynamic_cast<TBarControlItem *>(tb->Items()->GetItem(index)); }
};

// Counts how often a watched component is freed.
struct FreeCounter : TComponent {
    int freed = 0;
    void Watch(TComponent *c) { c->FreeNotification(this); }
    void Notification(TComponent *, TOperation operation) override
    {
        if (operation == TOperation::opRemove)
            ++freed;
    }
};

} // namespace

TEST(HostedControls, AControlJoiningIsHostedOnceAtTheEndAndLeavesWithoutItsItem)
{
    HostForm f;
    TPanel *first = f.Panel(60);
    first->SetParent(f.tb);
    ASSERT_EQ(f.tb->Items()->Count(), 3);
    ASSERT_NE(f.HostItem(2), nullptr);
    EXPECT_EQ(f.HostItem(2)->Control(), first);

    // A control an item already hosts gets no second item.
    TPanel *second = f.Panel(40);
    f.tb->Items()->Add(new TBarControlItem(&f.form, second));
    second->SetParent(f.tb);
    EXPECT_EQ(f.tb->Items()->Count(), 4);

    // Placed after the buttons, inside the docked frame (after the drag handle).
    f.tb->View().EnsureLayout();
    const TPoint origin = f.tb->ClientOrigin();
    const TRect button = f.tb->View().Viewers(1)->BoundsRect();
    EXPECT_EQ(first->Left(), origin.X + button.Right);
    EXPECT_EQ(first->Top() >= origin.Y, true);
    EXPECT_EQ(second->Left(), first->Left() + 60);
    EXPECT_GE(f.tb->Width(), origin.X + button.Right + 100);

    // Leaving frees the item, not the control.
    FreeCounter counter;
    counter.Watch(first);
    first->SetParent(&f.form);
    EXPECT_EQ(counter.freed, 0);
    EXPECT_EQ(first->Parent(), &f.form);
    ASSERT_EQ(f.tb->Items()->Count(), 3);
    EXPECT_EQ(f.HostItem(2)->Control(), second);
    // Back in, it is hosted again, at the end.
    first->SetParent(f.tb);
    ASSERT_EQ(f.tb->Items()->Count(), 4);
    EXPECT_EQ(f.HostItem(3)->Control(), first);
}

TEST(HostedControls, ControlsJoiningWhileLoadingAreHostedWhenLoadedInTheirOrder)
{
    HostForm f;
    f.tb->BeginLoading();
    TPanel *a = f.Panel(30), *b = f.Panel(30), *c = f.Panel(30);
    a->SetParent(f.tb);
    b->SetParent(f.tb);
    f.tb->Items()->Insert(0, new TBarControlItem(&f.form, b));
    c->SetParent(f.tb);
    EXPECT_EQ(f.tb->Items()->Count(), 3);
    f.tb->Loaded();
    ASSERT_EQ(f.tb->Items()->Count(), 5);
    EXPECT_EQ(f.HostItem(0)->Control(), b);
    EXPECT_EQ(f.HostItem(3)->Control(), a);
    EXPECT_EQ(f.HostItem(4)->Control(), c);
    // Loaded once, later controls are hosted as they come.
    TPanel *d = f.Panel(30);
    d->SetParent(f.tb);
    EXPECT_EQ(f.HostItem(5)->Control(), d);
}

TEST(HostedControls, AHostedControlIsFreedExactlyOnce)
{
    FreeCounter counter;
    {
        HostForm f;
        TPanel *freedFirst = f.Panel(30), *freedWithToolbar = f.Panel(30), *freedWithForm = f.Panel(30);
        for (TPanel *p : {freedFirst, freedWithToolbar})
            p->SetParent(f.tb);
        counter.Watch(freedFirst);
        counter.Watch(freedWithToolbar);
        counter.Watch(freedWithForm);

        // Freed by its owner: its item goes, the toolbar goes on without it.
        delete freedFirst;
        EXPECT_EQ(counter.freed, 1);
        ASSERT_EQ(f.tb->Items()->Count(), 3);
        EXPECT_EQ(f.HostItem(2)->Control(), freedWithToolbar);
        f.tb->View().UpdateLayout();

        // Freed by its item, when the toolbar goes.
        delete f.tb;
        EXPECT_EQ(counter.freed, 2);

        // A control hosted by an item of a toolbar that never took it as a child.
        auto *loose = new TBarCustomToolbar(&f.form);
        loose->Items()->Add(new TBarControlItem(&f.form, freedWithForm));
    }
    // The form frees the rest once.
    EXPECT_EQ(counter.freed, 3);
}

// Boxes hidden behind the chevron (a hosted panel's boxes and a hosted box)
// are passed over by Tab; shown again, Tab reaches them.
TEST(HostedControls, BoxesBehindTheChevronAreOutOfTheTabOrderUntilTheyShow)
{
    TForm form{nullptr};
    form.SetBounds(0, 0, 600, 200);
    TBarImageList images{nullptr, 16, 16};
    images.Add(clRed);
    auto edit = [&](int left) {
        auto *box = new TEdit(&form);
        box->SetBounds(left, 150, 80, 21);
        box->SetParent(&form);
        return box;
    };
    TEdit *before = edit(0);
    auto *dock = new TBarDock(&form);
    dock->SetParent(&form);
    auto *tb = new TBarCustomToolbar(&form);
    tb->BeginLoading();
    auto *button = new TBarCustomItem(&form);
    button->SetImages(&images);
    button->SetImageIndex(0);
    tb->Items()->Add(button);
    auto *panel = new TPanel(&form);
    panel->SetBounds(0, 0, 130, 22);
    panel->SetParent(tb);
    auto combo = [&](TWinControl *parent, int left) {
        auto *box = new TComboBox(&form);
        box->SetBounds(left, 0, 60, 21);
        box->SetParent(parent);
        return box;
    };
    const std::vector<TWinControl *> boxes{combo(panel, 2), combo(panel, 66), combo(tb, 0)};
    tb->SetCurrentDock(dock);
    tb->Loaded();
    TEdit *after = edit(100);
    ASSERT_TRUE(SimulateActivation(form));

    // Tab from the first edit round the form; the boxes it meets.
    auto tabbedBoxes = [&] {
        SimulateClick(*before, TPoint{5, 5});
        std::vector<TWinControl *> met;
        bool reachedAfter = false;
        for (int i = 0; i < 8; ++i) {
            SimulateKey(VK_TAB);
            TWinControl *focused = FocusedControl();
            reachedAfter = reachedAfter || focused == after;
            if (std::find(boxes.begin(), boxes.end(), focused) != boxes.end()
                && std::find(met.begin(), met.end(), focused) == met.end())
                met.push_back(focused);
        }
        EXPECT_TRUE(reachedAfter);
        return met.size();
    };
    form.SetWidth(90);
    ProcessMessages();
    std::vector<TWinControl *> hidden;
    tb->View().GetTabOrderControls(hidden);
    ASSERT_EQ(hidden.size(), 2u);
    EXPECT_EQ(tabbedBoxes(), 0u);

    form.SetWidth(600);
    ProcessMessages();
    hidden.clear();
    tb->View().GetTabOrderControls(hidden);
    ASSERT_TRUE(hidden.empty());
    EXPECT_EQ(tabbedBoxes(), 3u);
    form.Hide();
}
