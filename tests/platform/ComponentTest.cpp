#include "platform/core/Component.h"
#include "platform/core/Menus.h"
#include "platform/core/StringList.h"

#include <gtest/gtest.h>

namespace {
struct Probe : TComponent {
    Probe(TComponent *owner, std::vector<std::string> &log, std::string name) : TComponent(owner), log_(log)
    {
        SetName(std::move(name));
    }
    ~Probe() override { log_.push_back("free " + Name()); }
    TComponent *watched = nullptr;
    void Watch(TComponent *c)
    {
        watched = c;
        FreeNotification(c);
    }

protected:
    void Notification(TComponent *c, TOperation op) override
    {
        if (op == TOperation::opRemove && c == watched)
            watched = nullptr;
    }

private:
    std::vector<std::string> &log_;
};
} // namespace

TEST(Component, OwnerFreesItsComponentsLastFirstAndWatchersAreTold)
{
    std::vector<std::string> log;
    auto *owner = new Probe(nullptr, log, "owner");
    auto *a = new Probe(owner, log, "a");
    new Probe(owner, log, "b");
    Probe watcher(nullptr, log, "watcher");
    watcher.Watch(a);
    EXPECT_EQ(owner->FindComponent("a"), a);
    delete owner;
    EXPECT_EQ(log, (std::vector<std::string>{"free owner", "free b", "free a"}));
    EXPECT_EQ(watcher.watched, nullptr);
}

TEST(Component, NamesCanBeClearedAndFoundAgain)
{
    std::vector<std::string> log;
    Probe owner(nullptr, log, "owner");
    auto *a = new Probe(&owner, log, "");
    EXPECT_EQ(a->Name(), "");
    EXPECT_EQ(owner.FindComponent(""), nullptr);
    a->SetName("a");
    a->SetName("b");
    EXPECT_EQ(owner.FindComponent("a"), nullptr);
    EXPECT_EQ(owner.FindComponent("b"), a);
    a->SetName("");
    EXPECT_EQ(owner.FindComponent("b"), nullptr);
}

// Slots copied from one another share the handler; each keeps it while it
// holds it, and a handler replacing its own slot runs to its end.
TEST(EventSlot, CopiesShareTheHandlerAndEachKeepsItAlive)
{
    auto token = std::make_shared<int>(0);
    TEventSlot<std::function<void(int)>> first;
    EXPECT_FALSE(first);
    EXPECT_THROW(first(1), std::bad_function_call);
    first = [token](int n) { *token += n; };
    std::vector<TEventSlot<std::function<void(int)>>> copies(100, first);
    EXPECT_EQ(token.use_count(), 2);  // one handler for all 101 slots
    first = nullptr;
    copies[7](5);
    EXPECT_EQ(*token, 5);
    copies.erase(copies.begin(), copies.begin() + 99);
    copies[0](1);
    EXPECT_EQ(*token, 6);
    copies.clear();
    EXPECT_EQ(token.use_count(), 1);

    TEventSlot<std::function<void(int)>> self;
    std::string seen;
    self = [&self, &seen, keep = std::string(40, 'x')](int) {
        self = [](int) {};
        seen = keep;  // the replaced handler's own capture is still there
    };
    TEventSlot<std::function<void(int)>> alias = self;
    alias = std::function<void(int)>();  // an empty handler clears the slot
    EXPECT_FALSE(alias);
    self(0);
    EXPECT_EQ(seen, std::string(40, 'x'));
    EXPECT_TRUE(self);
    const std::function<void(int)> &plain = self;
    EXPECT_TRUE(static_cast<bool>(plain));
}

TEST(Menus, ItemsFormATreeAndReportChanges)
{
    TComponent form;
    auto *root = new TMenuItem(&form);
    int changes = 0;
    root->OnChange = [&](TMenuItem *) { ++changes; };
    auto *child = new TMenuItem(&form);
    root->Add(child);
    child->SetCaption("開く");
    child->SetChecked(true);
    EXPECT_EQ(changes, 3);
    int clicks = 0;
    child->OnClick = [&](TObject *) { ++clicks; };
    child->Click();
    child->SetEnabled(false);
    child->Click();
    EXPECT_EQ(clicks, 1);
    delete child; // freeing an item takes it out of its parent
    EXPECT_EQ(root->Count(), 0);
}

TEST(StringList, TextLinesSortingAndFiles)
{
    TStringList list;
    list.SetText("b\r\na\nc\rd\r\n");
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Text(), "b\r\na\r\nc\r\nd\r\n");
    list.SetSorted(true);
    EXPECT_EQ(list[0], "a");
    EXPECT_EQ(list.Add("B"), 1); // ignored as a duplicate of "b" (not case-sensitive)
    EXPECT_EQ(list.Count(), 4);
    list.SetDuplicates(TDuplicates::dupAccept);
    list.Add("b");
    EXPECT_EQ(list.Count(), 5);
    TStringList empty;
    empty.SetText("");
    EXPECT_EQ(empty.Count(), 0);
    empty.SetText("\r\n");
    EXPECT_EQ(empty.Count(), 1);
}
