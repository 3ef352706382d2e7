#include "toolbar/BarItem.h"

#include "platform/core/Actions.h"
#include "platform/kernel/Controls.h"
#include "platform/core/Menus.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Records the notifications of an item, as a view would get them.
struct Recorder {
    static std::vector<std::string> *log;
    static void Proc(TBarView *, TBarCustomItem *, bool relayed, TBarItemChangedAction action, int index,
                     TBarCustomItem *)
    {
        static const char *names[] = {"inserted", "deleting", "subitems", "begin", "end",
                                      "invalidate", "resize", "recreate", "name", "images"};
        log->push_back(std::string(names[action]) + (index >= 0 ? " " + std::to_string(index) : "")
                       + (relayed ? " relayed" : ""));
    }
};
std::vector<std::string> *Recorder::log = nullptr;

struct NotifyLog {
    std::vector<std::string> entries;
    NotifyLog() { Recorder::log = &entries; }
    ~NotifyLog() { Recorder::log = nullptr; }
};

TBarCustomItem *AddItem(TBarCustomItem &parent, const std::string &caption = {})
{
    auto *item = new TBarCustomItem;
    item->SetCaption(caption);
    parent.Add(item);
    return item;
}

} // namespace

TEST(BarItemTree, InsertDeleteAndMoveNotifyInOrder)
{
    TBarRootItem root;
    AddItem(root, "a");
    AddItem(root, "b");
    AddItem(root, "c");
    NotifyLog log;
    root.RegisterNotification(Recorder::Proc, nullptr);
    root.Move(1, 1);
    EXPECT_TRUE(log.entries.empty());
    root.Move(0, 2);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"begin", "deleting 0", "begin", "inserted 2", "end", "end"}));
    EXPECT_EQ(root[2]->Caption(), "a");

    // A child given another name is told as such; the same name tells nothing.
    log.entries.clear();
    root[1]->SetName("btnB");
    root[1]->SetName("btnB");
    EXPECT_EQ(log.entries, (std::vector<std::string>{"name 1"}));
    root.UnregisterNotification(Recorder::Proc, nullptr);
}

TEST(BarItemTree, InsertChecksComeFirstAndLeaveTheTreeUnchanged)
{
    TBarRootItem root;
    TBarCustomItem *a = AddItem(root, "a");
    auto b = std::make_unique<TBarCustomItem>();
    EXPECT_THROW(root.Insert(2, b.get()), ETBItemError);
    root.Insert(1, b.get()); // at count: appends
    EXPECT_EQ(root.IndexOf(b.get()), 1);
    root.Remove(b.get());
    // Already inserted wins over a wrong index.
    try {
        root.Insert(7, a);
        FAIL();
    } catch (const ETBItemError &e) {
        EXPECT_STREQ(e.what(), "Toolbar item already inserted");
    }
    EXPECT_THROW(root.GetItem(1), ETBItemError);
}

TEST(BarItemTree, AnItemCannotBeInsertedIntoItsOwnSubtree)
{
    // A cycle would make the shortcut search recurse forever and free items twice.
    auto top = std::make_unique<TBarCustomItem>();
    TBarCustomItem *child = AddItem(*top, "child");
    TBarCustomItem *grandchild = AddItem(*child, "grandchild");
    try {
        grandchild->Add(top.get());
        FAIL();
    } catch (const ETBItemError &e) {
        EXPECT_STREQ(e.what(), "Toolbar item cannot be inserted into itself");
    }
    EXPECT_THROW(top->Add(top.get()), ETBItemError);
    EXPECT_EQ(grandchild->Count(), 0);
    EXPECT_EQ(top->Parent(), nullptr);
    EXPECT_FALSE(ProcessItemShortCut(top.get(), 'Q', ssCtrl));
}

TEST(BarItemTree, RadioGroupsUncheckOnlyTheirNonZeroGroup)
{
    TBarRootItem root;
    TBarCustomItem *a = AddItem(root), *b = AddItem(root), *c = AddItem(root), *d = AddItem(root);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    c->SetGroupIndex(2);
    a->SetChecked(true);
    c->SetChecked(true);
    d->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(c->Checked());
    EXPECT_TRUE(d->Checked());
    // Group 0 never unchecks; joining a group while checked applies the rule.
    TBarCustomItem *e = AddItem(root);
    e->SetChecked(true);
    EXPECT_TRUE(d->Checked());
    c->SetGroupIndex(1);
    EXPECT_FALSE(b->Checked());
}

TEST(BarItemTree, OptionsAreInheritedMaskedAndKeptConsistent)
{
    TBarRootItem root;
    TBarCustomItem *menu = AddItem(root);
    TBarCustomItem *leaf = AddItem(*menu);
    root.SetOptions(broDefault | broToolbarStyle | broShowHint);
    EXPECT_EQ(menu->EffectiveOptions(), broToolbarStyle | broShowHint); // never broDefault
    EXPECT_EQ(leaf->EffectiveOptions(), broToolbarStyle | broShowHint);
    menu->SetMaskOptions(broShowHint);
    EXPECT_EQ(leaf->EffectiveOptions(), broToolbarStyle);
    leaf->SetInheritOptions(false);
    EXPECT_EQ(leaf->EffectiveOptions(), 0u);
    // broToolbarSize needs broToolbarStyle.
    leaf->SetOptions(broToolbarSize);
    EXPECT_EQ(leaf->Options(), 0u);
    EXPECT_EQ(leaf->EffectiveOptions(), 0u);
    // A child inserted later takes the parent's options at once.
    TBarCustomItem *late = AddItem(root);
    EXPECT_EQ(late->EffectiveOptions(), broToolbarStyle | broShowHint);
}

TEST(BarItemTree, ImageIndexResizesOnlyWhenTheImageComesOrGoes)
{
    TBarRootItem root;
    TBarCustomItem *item = AddItem(root);
    NotifyLog log;
    root.RegisterNotification(Recorder::Proc, nullptr);
    item->SetImageIndex(0);  // gains an image
    item->SetImageIndex(3);  // another image
    item->SetImageIndex(-5); // any negative index is no image
    item->SetImageIndex(-1); // still none
    item->SetImageIndex(2);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"resize", "invalidate", "resize", "invalidate", "resize"}));
    root.UnregisterNotification(Recorder::Proc, nullptr);
}

namespace {
// Registrations that remove themselves and others while the walk runs.
std::vector<int> gCalls;
TBarCustomItem *gWalked = nullptr;
void First(TBarView *, TBarCustomItem *, bool, TBarItemChangedAction, int, TBarCustomItem *) { gCalls.push_back(1); }
void Second(TBarView *, TBarCustomItem *, bool, TBarItemChangedAction action, int, TBarCustomItem *)
{
    gCalls.push_back(2);
    if (action == ItemInvalidate) {
        gWalked->UnregisterNotification(First, nullptr);
        gWalked->UnregisterNotification(Second, nullptr);
    }
}
void Third(TBarView *, TBarCustomItem *, bool, TBarItemChangedAction, int, TBarCustomItem *) { gCalls.push_back(3); }
void Last(TBarView *, TBarCustomItem *, bool, TBarItemChangedAction, int, TBarCustomItem *)
{
    gCalls.push_back(9);
    gWalked->UnregisterNotification(Last, nullptr);
}
} // namespace

TEST(BarItemTree, TheNotificationWalkSurvivesCallbacksThatUnregister)
{
    TBarRootItem root;
    TBarCustomItem *child = AddItem(root);
    gWalked = &root;
    gCalls.clear();
    root.RegisterNotification(First, nullptr);
    root.RegisterNotification(Second, nullptr);
    root.RegisterNotification(Third, nullptr);
    child->SetEnabled(false); // ItemInvalidate: Second removes First and itself
    EXPECT_EQ(gCalls, (std::vector<int>{1, 2, 3}));
    gCalls.clear();
    child->SetEnabled(true);
    EXPECT_EQ(gCalls, (std::vector<int>{3}));
    root.UnregisterNotification(Third, nullptr);
    // The last registration removing itself frees nothing under the walk.
    root.RegisterNotification(Last, nullptr);
    gCalls.clear();
    child->SetEnabled(false);
    child->SetEnabled(true);
    EXPECT_EQ(gCalls, (std::vector<int>{9}));
}

TEST(BarItemTree, InlineGroupsRelayTheirChangesUpwards)
{
    TBarRootItem root;
    TBarCustomItem *group = AddItem(root);
    group->SetItemStyle(group->ItemStyle() | InlineGroup);
    NotifyLog log;
    root.RegisterNotification(Recorder::Proc, nullptr);
    TBarCustomItem *inner = AddItem(*group);
    inner->SetCaption("x");
    EXPECT_EQ(log.entries, (std::vector<std::string>{"begin relayed", "inserted 0 relayed", "end relayed",
                                                     "resize relayed"}));
    root.UnregisterNotification(Recorder::Proc, nullptr);
}

TEST(BarItemShortCuts, FoundThroughNestedAndLinkedItemsUnlessDisabled)
{
    TBarRootItem root;
    TBarCustomItem *file = AddItem(root, "File");
    TBarCustomItem *recent = AddItem(*file, "Recent");
    TBarCustomItem *open = AddItem(*recent, "Open");
    open->SetShortCut('O' | scCtrl);
    int clicks = 0, popups = 0;
    open->OnClick = [&](TObject *) { ++clicks; };
    recent->OnSubmenuPopup = [&](TBarCustomItem *, bool) { ++popups; };
    EXPECT_TRUE(ProcessItemShortCut(&root, 'O', ssCtrl));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(popups, 1);
    EXPECT_FALSE(ProcessItemShortCut(&root, 'O', 0));

    // Through a link: the linked item's children answer in its place.
    TBarRootItem shared;
    TBarCustomItem *save = AddItem(shared, "Save");
    save->SetShortCut('S' | scCtrl);
    int saves = 0;
    save->OnClick = [&](TObject *) { ++saves; };
    TBarCustomItem *edit = AddItem(root, "Edit");
    edit->SetLinkSubitems(&shared);
    EXPECT_TRUE(ProcessItemShortCut(&root, 'S', ssCtrl));
    EXPECT_EQ(saves, 1);

    // Disabled item, or disabled submenu: not handled.
    save->SetEnabled(false);
    EXPECT_FALSE(ProcessItemShortCut(&root, 'S', ssCtrl));
    recent->SetEnabled(false);
    EXPECT_FALSE(ProcessItemShortCut(&root, 'O', ssCtrl));
    EXPECT_EQ(clicks, 1);
}

TEST(BarItemShortCuts, LinkCyclesEndTheSearch)
{
    TBarRootItem a, b;
    TBarCustomItem *toB = AddItem(a, "to b");
    TBarCustomItem *toA = AddItem(b, "to a");
    toB->SetLinkSubitems(&b);
    toA->SetLinkSubitems(&a);
    EXPECT_FALSE(ProcessItemShortCut(&a, 'Z', ssCtrl));
}

TEST(BarItemDeferredCalls, AClickRunsLaterAndNotAtAllForAFreedItem)
{
    TBarRootItem root;
    TBarCustomItem *kept = AddItem(root);
    auto *freed = AddItem(root);
    int keptClicks = 0, freedClicks = 0;
    kept->OnClick = [&](TObject *) { ++keptClicks; };
    freed->OnClick = [&](TObject *) { ++freedClicks; };
    QueueItemClick(freed);
    QueueItemClick(kept);
    EXPECT_EQ(keptClicks, 0);
    delete freed;
    ProcessMessages();
    EXPECT_EQ(keptClicks, 1);
    EXPECT_EQ(freedClicks, 0);
    EXPECT_TRUE(DeferredCallWindowExists());
}

TEST(BarItemDeferredCalls, TheHiddenWindowLivesWhileItemsExist)
{
    ProcessMessages();
    // Other tests' items are gone; one item brings the window, its end takes it.
    {
        TBarCustomItem item;
        QueueItemClick(&item);
        EXPECT_TRUE(DeferredCallWindowExists());
    }
    EXPECT_FALSE(DeferredCallWindowExists());
    ProcessMessages(); // the posted call finds no window and does nothing
}

TEST(BarItemTree, ShortCutTextComesFromTheCaptionOrTheShortCut)
{
    TBarCustomItem item;
    item.SetCaption("開く(&O)\tCtrl+O");
    EXPECT_EQ(item.GetShortCutText(), "Ctrl+O");
    item.SetCaption("開く(&O)\t");
    item.SetShortCut('P' | scCtrl | scShift);
    EXPECT_EQ(item.GetShortCutText(), "Shift+Ctrl+P");
    item.SetShortCut(0);
    EXPECT_EQ(item.GetShortCutText(), "");
}

TEST(BarItemActions, AnItemShowsItsActionAndFollowsItsChanges)
{
    TBarRootItem root;
    TBarCustomItem *item = AddItem(root, "old");
    TAction action;
    action.SetCaption("保存(&S)");
    action.SetHint("Save|Saves the document");
    action.SetShortCut('S' | scCtrl);
    action.SetImageIndex(4);
    action.SetHelpContext(7);
    action.SetChecked(true);
    item->SetAction(&action);
    EXPECT_EQ(item->Caption(), "保存(&S)");
    EXPECT_EQ(item->Hint(), "Save|Saves the document");
    EXPECT_EQ(item->ShortCut(), 'S' | scCtrl);
    EXPECT_EQ(item->ImageIndex(), 4);
    EXPECT_EQ(item->HelpContext(), 7);
    EXPECT_TRUE(item->Checked());

    NotifyLog log;
    root.RegisterNotification(Recorder::Proc, nullptr);
    action.SetEnabled(false);
    EXPECT_FALSE(item->Enabled());
    EXPECT_EQ(log.entries, std::vector<std::string>{"invalidate"});
    action.SetCaption("名前を付けて保存(&A)...");
    action.SetVisible(false);
    EXPECT_EQ(item->Caption(), "名前を付けて保存(&A)...");
    EXPECT_FALSE(item->Visible());
    root.UnregisterNotification(Recorder::Proc, nullptr);

    // Freeing the action unties the item, which keeps what it shows.
    {
        TAction gone;
        gone.SetCaption("gone");
        item->SetAction(&gone);
    }
    EXPECT_EQ(item->Action(), nullptr);
    EXPECT_EQ(item->Caption(), "gone");
    item->Click(); // nothing to run, nothing read from the freed action
}

TEST(BarItemActions, AClickRunsTheActionOnceAfterItsUpdate)
{
    TBarRootItem root;
    TBarCustomItem *item = AddItem(root);
    TAction action;
    std::vector<std::string> calls;
    bool allow = true;
    action.OnUpdate = [&](TObject *) {
        calls.push_back("update");
        action.SetEnabled(allow);
    };
    action.OnExecute = [&](TObject *sender) { calls.push_back(sender == &action ? "execute" : "execute?"); };
    action.SetAutoCheck(true);
    item->SetAction(&action);
    EXPECT_TRUE(item->AutoCheck());
    EXPECT_TRUE(item->OnClickIsActionHandler());

    item->Click();
    EXPECT_EQ(calls, (std::vector<std::string>{"update", "execute"}));
    // The action toggles its check once and the item follows it.
    EXPECT_TRUE(action.Checked());
    EXPECT_TRUE(item->Checked());

    // An update that disables the action stops the command (the item shows it).
    calls.clear();
    allow = false;
    item->Click();
    EXPECT_EQ(calls, std::vector<std::string>{"update"});
    EXPECT_FALSE(item->Enabled());
    item->Click(); // a disabled item does nothing at all
    EXPECT_EQ(calls, std::vector<std::string>{"update"});

    // An own OnClick set afterwards runs instead of the action.
    allow = true;
    action.SetEnabled(true);
    calls.clear();
    item->OnClick = [&](TObject *sender) { calls.push_back(sender == item ? "own" : "own?"); };
    EXPECT_FALSE(item->OnClickIsActionHandler());
    item->Click();
    EXPECT_EQ(calls, std::vector<std::string>{"own"});
}

TEST(BarItemActions, ShortCutsLetTheActionsUpdateBeforeRunning)
{
    TBarRootItem root;
    TBarCustomItem *file = AddItem(root, "&File");
    TBarCustomItem *save = AddItem(*file, "&Save");
    TAction action;
    int runs = 0;
    bool allow = false;
    action.OnUpdate = [&](TObject *) { action.SetEnabled(allow); };
    action.OnExecute = [&](TObject *) { ++runs; };
    action.SetShortCut('S' | scCtrl);
    save->SetAction(&action);
    EXPECT_FALSE(ProcessItemShortCut(&root, 'S', ssCtrl));
    EXPECT_EQ(runs, 0);
    allow = true;
    EXPECT_TRUE(ProcessItemShortCut(&root, 'S', ssCtrl));
    EXPECT_EQ(runs, 1);
}

TEST(BarItemImages, ItemsFollowTheChangesOfTheirImageLists)
{
    TBarRootItem root;
    TBarCustomItem *item = AddItem(root, "a");
    NotifyLog log;
    root.RegisterNotification(Recorder::Proc, nullptr);
    {
        TBarImageList images(nullptr, 16, 16);
        item->SetImages(&images); // gains images of a size: a re-layout
        images.Add(clRed);        // another picture, same size: a redraw
        images.SetSize(24, 24);   // another size: a re-layout
        images.SetSize(24, 24);   // no change
        TBarImageList same(nullptr, 24, 24);
        item->SetImages(&same);   // same size: a redraw
        item->SetImages(&images);
    }
    EXPECT_EQ(item->Images(), nullptr);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"resize", "invalidate", "resize", "invalidate", "invalidate"}));
    root.UnregisterNotification(Recorder::Proc, nullptr);

    // The submenu's images tell the item's own views.
    log.entries.clear();
    item->RegisterNotification(Recorder::Proc, nullptr);
    TBarImageList submenu(nullptr, 16, 16);
    item->SetSubmenuImages(&submenu);
    submenu.Replace(0, clBlue); // no such picture: nothing
    submenu.Add(clBlue);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"images", "images"}));
    item->UnregisterNotification(Recorder::Proc, nullptr);
    item->SetSubmenuImages(nullptr);
}
