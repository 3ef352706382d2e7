#include "platform/Component.h"
#include "platform/Menus.h"
#include "platform/StringList.h"

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
