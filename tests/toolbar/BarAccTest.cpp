// Toolbars and menus as assistive technology sees them, asked through the
// toolkit's accessibility interface.
#include "tests/toolbar/StepScript.h"

#include "platform/kernel/Forms.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/Memo.h"
#include "platform/core/Menus.h"
#include "platform/kernel/QtControls.h"
#include "platform/services/SystemParameters.h"
#include "toolbar/BarAcc.h"
#include "toolbar/BarToolbar.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A form with a top dock holding the toolbar "tlbFile" captioned ファイル.
struct AccForm {
    TScopedSystemParameters parameters;
    TForm form{nullptr};
    TBarImageList images{nullptr, 16, 16};
    TBarDock *dock;
    TBarCustomToolbar *toolbar;
    std::vector<TBarCustomItem *> items;
    std::vector<std::string> log;

    AccForm(int width, const std::vector<std::string> &captions)
    {
        SystemParameters().MenuAnimation = false;
        images.Add(clRed);
        form.SetBounds(100, 100, width, 200);
        dock = new TBarDock(&form);
        dock->SetName("dockTop");
        dock->SetParent(&form);
        toolbar = new TBarCustomToolbar(&form);
        toolbar->SetName("tlbFile");
        toolbar->SetCaption("ファイル");
        for (const std::string &caption : captions)
            Add(*toolbar->Items(), caption);
        toolbar->SetCurrentDock(dock);
        form.Show();
        SimulateActivation(form);
    }
    TBarCustomItem *Add(TBarCustomItem &parent, const std::string &caption)
    {
        auto *item = new TBarCustomItem(&form);
        item->SetCaption(caption);
        item->SetImages(&images);
        item->SetImageIndex(0);
        item->OnClick = [this, item](TObject *) {
            bool menusGone = !(toolbar->View().State() & vsModal) && !toolbar->View().OpenPopup();
            log.push_back(item->Caption() + (menusGone ? "" : " (in menu mode)"));
        };
        parent.Add(item);
        items.push_back(item);
        return item;
    }
    QAccessibleInterface *Toolbar() const
    {
        return QAccessible::queryAccessibleInterface(toolbar->Link()->Widget());
    }
};

std::string Name(QAccessibleInterface *iface) { return iface ? iface->text(QAccessible::Name).toStdString() : "?"; }

QStringList Actions(QAccessibleInterface *iface)
{
    return iface && iface->actionInterface() ? iface->actionInterface()->actionNames() : QStringList();
}

// Records the events the toolkit would pass on to assistive technology.
struct EventLog {
    static std::vector<std::string> &Entries()
    {
        static std::vector<std::string> entries;
        return entries;
    }
    static void Handler(QAccessibleEvent *event)
    {
        std::string type;
        switch (event->type()) {
        case QAccessible::Focus:
            type = "focus";
            break;
        case QAccessible::MenuStart:
            type = "menu start";
            break;
        case QAccessible::MenuEnd:
            type = "menu end";
            break;
        case QAccessible::PopupMenuStart:
            type = "popup start";
            break;
        case QAccessible::PopupMenuEnd:
            type = "popup end";
            break;
        default:
            return;
        }
        QAccessibleInterface *iface = event->accessibleInterface();
        std::string role = !iface ? "?"
            : iface->role() == QAccessible::ToolBar ? "tool bar"
            : iface->role() == QAccessible::PopupMenu ? "menu"
            : iface->role() == QAccessible::MenuItem ? "item"
            : iface->role() == QAccessible::ButtonMenu ? "dropdown"
            : iface->role() == QAccessible::PushButton ? "button" : "other";
        std::string name = Name(iface);
        Entries().push_back(type + " " + role + (name.empty() ? "" : " " + name));
    }
    EventLog()
    {
        Entries().clear();
        previous = QAccessible::installUpdateHandler(&Handler);
    }
    ~EventLog()
    {
        QAccessible::installUpdateHandler(previous);
    }
    QAccessible::UpdateHandler previous;
};

} // namespace

TEST(BarAcc, AToolbarIsAToolBarOfNamedButtons)
{
    AccForm f(600, {"新規作成", "開く", "上書き保存", "印刷(&P)"});
    auto *separator = new TBarSeparatorItem(&f.form);
    f.toolbar->Items()->Insert(3, separator);
    f.items[1]->SetEnabled(false);
    f.items[3]->SetShortCut('P' | scCtrl);
    f.items[3]->SetDisplayMode(nbdmImageAndText);

    QAccessibleInterface *bar = f.Toolbar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->role(), QAccessible::ToolBar);
    EXPECT_EQ(Name(bar), "ファイル");
    // Four buttons and the separator; the chevron is no child while everything fits.
    ASSERT_EQ(bar->childCount(), 5);
    std::vector<std::string> names;
    for (int i = 0; i < bar->childCount(); ++i)
        names.push_back(Name(bar->child(i)));
    // A toolbar button's name leaves out the shortcut; the accelerator mark goes.
    EXPECT_EQ(names, (std::vector<std::string>{"新規作成", "開く", "上書き保存", "", "印刷(P)"}));

    QAccessibleInterface *newButton = bar->child(0);
    EXPECT_EQ(newButton->role(), QAccessible::PushButton);
    EXPECT_EQ(bar->child(3)->role(), QAccessible::Separator);
    EXPECT_EQ(newButton->parent(), bar);
    EXPECT_EQ(bar->indexOfChild(bar->child(2)), 2);
    EXPECT_EQ(bar->child(0), newButton); // one stand-in per viewer
    EXPECT_EQ(Actions(newButton), QStringList{"Press"});
    EXPECT_TRUE(newButton->state().focusable);
    EXPECT_FALSE(newButton->state().disabled);
    // A disabled button offers no action.
    EXPECT_TRUE(bar->child(1)->state().disabled);
    EXPECT_TRUE(Actions(bar->child(1)).isEmpty());
    // The accelerator: Alt and the letter in lower case.
    EXPECT_EQ(bar->child(4)->text(QAccessible::Accelerator).toStdString(), "Alt+p");
    // Without a caption shown there is no accelerator.
    f.items[0]->SetCaption("新規作成(&N)");
    EXPECT_TRUE(newButton->text(QAccessible::Accelerator).isEmpty());

    // Places on the screen: the button lies inside the toolbar, and a hit test finds it.
    QRect barRect = bar->rect(), buttonRect = bar->child(2)->rect();
    TPoint origin = f.toolbar->ClientToScreen(TPoint{0, 0});
    EXPECT_EQ(barRect.topLeft(), QPoint(origin.X, origin.Y));
    EXPECT_TRUE(barRect.contains(buttonRect));
    EXPECT_FALSE(buttonRect.isEmpty());
    EXPECT_EQ(bar->childAt(buttonRect.center().x(), buttonRect.center().y()), bar->child(2));
    EXPECT_EQ(bar->childAt(barRect.right() + 50, barRect.center().y()), nullptr);

    // The form's tree leads to the toolbar through the dock.
    EXPECT_EQ(bar->parent(), QAccessible::queryAccessibleInterface(f.dock->Link()->Widget()));

    // A hosted windowed control (the toolbar hosts a control put on it) is a
    // child through its own window's object.
    auto *edit = new TEdit(&f.form);
    edit->SetBounds(0, 0, 80, 22);
    edit->SetParent(f.toolbar);
    ASSERT_EQ(bar->childCount(), 6);
    QAccessibleInterface *hosted = bar->child(5);
    ASSERT_NE(hosted, nullptr);
    EXPECT_EQ(hosted, QAccessible::queryAccessibleInterface(edit->Link()->Widget()));
    EXPECT_EQ(hosted->role(), QAccessible::EditableText);
    EXPECT_EQ(hosted->parent(), bar);
    EXPECT_EQ(bar->indexOfChild(hosted), 5);
}

TEST(BarAcc, ItemsBehindTheChevronAreCountedButInvisible)
{
    std::vector<std::string> captions;
    for (int i = 0; i < 10; ++i)
        captions.push_back("B" + std::to_string(i));
    AccForm f(150, captions);
    QAccessibleInterface *bar = f.Toolbar();
    // Items added later stay visible longest: the first five hide behind the chevron.
    ASSERT_EQ(bar->childCount(), 11);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(bar->child(i)->state().invisible, i < 5) << i;
    EXPECT_FALSE(bar->child(0)->state().focusable);
    EXPECT_TRUE(bar->child(5)->state().focusable);
    EXPECT_EQ(Name(bar->child(0)), "B0");
    EXPECT_FALSE(bar->child(10)->state().invisible); // the chevron shows
}

TEST(BarAcc, TheChevronMenuListsTheHiddenItemsAndRunsOne)
{
    std::vector<std::string> captions;
    for (int i = 0; i < 10; ++i)
        captions.push_back("B" + std::to_string(i));
    AccForm f(150, captions);
    QAccessibleInterface *chevron = f.Toolbar()->child(10);
    ASSERT_EQ(Actions(chevron), QStringList{"Open"});
    Script script;
    std::vector<std::string> names;
    QAccessible::Role role = QAccessible::NoRole, itemRole = QAccessible::NoRole;
    script.Add([&] { chevron->actionInterface()->doAction("Open"); });
    script.Add([] {});
    script.Add([&] {
        QAccessibleInterface *popup = chevron->child(0);
        ASSERT_NE(popup, nullptr);
        role = popup->role();
        for (int i = 0; i < popup->childCount(); ++i)
            names.push_back(Name(popup->child(i)));
        itemRole = popup->child(2)->role();
        popup->child(2)->actionInterface()->doAction("Execute");
    });
    EXPECT_TRUE(script.Run());
    EXPECT_EQ(role, QAccessible::PopupMenu);
    // Only the items hidden behind the chevron are in its menu.
    EXPECT_EQ(names, (std::vector<std::string>{"B0", "B1", "B2", "B3", "B4"}));
    EXPECT_EQ(itemRole, QAccessible::MenuItem);
    EXPECT_EQ(f.log, std::vector<std::string>{"B2"});
}

TEST(BarAcc, ChildIdsOutsideTheViewersNameNoChild)
{
    AccForm f(600, {"新規作成", "開く"});
    std::shared_ptr<TBarViewAccObject> object = f.toolbar->View().GetAccObject();
    ASSERT_NE(object, nullptr);
    int count = 0;
    ASSERT_EQ(object->get_accChildCount(count), S_OK);
    EXPECT_EQ(count, 2);
    TAccVariant child;
    EXPECT_EQ(object->get_accChild(0, child), S_OK);
    EXPECT_EQ(child.Object.get(), object.get());
    EXPECT_EQ(object->get_accChild(1, child), S_OK);
    ASSERT_EQ(child.Kind, TAccVariant::vtObject);
    std::string name;
    EXPECT_EQ(child.Object->get_accName(CHILDID_SELF, name), S_OK);
    EXPECT_EQ(name, "新規作成");
    for (int id : {-1, -2, -3, 3, 100}) {
        child = TAccVariant{};
        EXPECT_EQ(object->get_accChild(id, child), E_INVALIDARG) << id;
        EXPECT_EQ(child.Kind, TAccVariant::vtEmpty) << id;
    }
    // Other calls take only the object itself.
    EXPECT_EQ(object->get_accName(1, name), E_INVALIDARG);
    EXPECT_EQ(child.Object, nullptr);
    EXPECT_EQ(f.Toolbar()->child(-1), nullptr);
    EXPECT_EQ(f.Toolbar()->child(2), nullptr);
}

TEST(BarAcc, PressRunsTheCommandOnceAfterTheCallHasReturned)
{
    AccForm f(600, {"新規作成", "開く", "上書き保存"});
    QAccessibleInterface *save = f.Toolbar()->child(2);
    ASSERT_EQ(Actions(save), QStringList{"Press"});
    save->actionInterface()->doAction("Press");
    EXPECT_TRUE(f.log.empty()); // not from inside the call
    for (int i = 0; i < 5; ++i)
        ProcessMessages();
    EXPECT_EQ(f.log, std::vector<std::string>{"上書き保存"});
    EXPECT_FALSE(f.toolbar->View().State() & vsModal);

    // An action that is not offered does nothing.
    save->actionInterface()->doAction("Open");
    // A button whose window is not the active one cannot be pressed.
    TForm other{nullptr};
    other.SetBounds(0, 0, 100, 100);
    other.Show();
    SimulateActivation(other);
    EXPECT_TRUE(Actions(save).isEmpty());
    save->actionInterface()->doAction("Press");
    for (int i = 0; i < 5; ++i)
        ProcessMessages();
    EXPECT_EQ(f.log.size(), 1u);
}

TEST(BarAcc, DestroyedViewersAnswerNothing)
{
    AccForm f(600, {"新規作成", "開く"});
    QAccessibleInterface *open = f.Toolbar()->child(1);
    ASSERT_TRUE(open->isValid());
    QAccessible::Id id = QAccessible::uniqueId(open);
    std::shared_ptr<TBarItemViewerAccObject> object = f.toolbar->View().Viewers(1)->GetAccObject();
    int viewersBefore = LiveViewerAccObjects();

    delete f.items[1];
    EXPECT_FALSE(open->isValid());
    std::string name;
    int role = 0;
    EXPECT_EQ(object->get_accName(CHILDID_SELF, name), E_FAIL);
    EXPECT_EQ(object->get_accRole(CHILDID_SELF, role), E_FAIL);
    EXPECT_EQ(object->accDoDefaultAction(CHILDID_SELF), E_FAIL);
    // The toolkit's stand-in goes once the event loop runs; the object lives while held.
    ProcessMessages();
    EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr);
    EXPECT_EQ(LiveViewerAccObjects(), viewersBefore);
    object.reset();
    EXPECT_EQ(LiveViewerAccObjects(), viewersBefore - 1);
    EXPECT_EQ(f.Toolbar()->childCount(), 1);

    // Shutdown cuts every live object off: the stand-ins go, and the window
    // hands out its object anew when asked again.
    QAccessible::Id barId = QAccessible::uniqueId(f.Toolbar());
    DisconnectAccObjects();
    EXPECT_EQ(QAccessible::accessibleInterface(barId), nullptr);
    EXPECT_EQ(f.Toolbar()->role(), QAccessible::ToolBar);
    EXPECT_EQ(Name(f.Toolbar()->child(0)), "新規作成");

    // A view's object outlives its view the same way.
    std::shared_ptr<TBarViewAccObject> view = f.toolbar->View().GetAccObject();
    delete f.toolbar;
    EXPECT_EQ(view->get_accChildCount(role), E_FAIL);
    TAccVariant parent;
    EXPECT_EQ(view->get_accParent(parent), E_FAIL);
}

TEST(BarAcc, MenusAnnounceFocusStartAndEnd)
{
    AccForm f(600, {"新規作成", "最近使ったファイル(&R)"});
    TBarCustomItem *recent = f.items[1];
    recent->SetItemStyle(recent->ItemStyle() | HasSubmenu);
    recent->OnClick = nullptr; // opening the submenu clicks the item
    f.Add(*recent, "first.xml");
    f.Add(*recent, "&second.xml")->SetShortCut('O' | scCtrl);
    EventLog events;
    QAccessibleInterface *bar = f.Toolbar();
    QAccessibleInterface *dropdown = bar->child(1);
    ASSERT_EQ(dropdown->role(), QAccessible::ButtonMenu);
    EXPECT_TRUE(dropdown->state().hasPopup);
    ASSERT_EQ(Actions(dropdown), QStringList{"Open"});

    Script script;
    QAccessibleInterface *popup = nullptr;
    std::vector<std::string> popupNames, popupActions;
    std::string dropdownAction;
    int dropdownChildren = -1;
    script.Add([&] { dropdown->actionInterface()->doAction("Open"); });
    script.Add([] {}); // the action runs after the call has returned
    script.Add([&] {
        // Menu mode runs with the submenu open and its first item selected.
        dropdownChildren = dropdown->childCount();
        popup = dropdown->child(0);
        ASSERT_NE(popup, nullptr);
        for (int i = 0; i < popup->childCount(); ++i) {
            popupNames.push_back(Name(popup->child(i)));
            popupActions.push_back(Actions(popup->child(i)).join(",").toStdString());
        }
        dropdownAction = Actions(dropdown).join(",").toStdString();
        SimulateKey(VK_DOWN);
    });
    script.Add([&] { SimulateKey(VK_ESCAPE); });
    script.Add([&] { SimulateKey(VK_ESCAPE); });
    EXPECT_TRUE(script.Run());
    EXPECT_EQ(dropdownChildren, 1);
    EXPECT_EQ(dropdownAction, "Close");
    // A menu item's name carries its shortcut after a TAB.
    EXPECT_EQ(popupNames, (std::vector<std::string>{"first.xml", "second.xml\tCtrl+O"}));
    EXPECT_EQ(popupActions, (std::vector<std::string>{"Execute", "Execute"}));
    // Menu mode starts on the toolbar with the dropdown focused; the menu opens
    // with its first item focused; Down moves the focus; closing the menu
    // gives it back to the dropdown; menu mode ends.
    const std::vector<std::string> &e = EventLog::Entries();
    ASSERT_GE(e.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(e.begin(), e.begin() + 4),
              (std::vector<std::string>{"menu start tool bar ファイル", "focus dropdown 最近使ったファイル(R)",
                                        "popup start menu 最近使ったファイル(R)", "focus item first.xml"}));
    EXPECT_NE(std::find(e.begin() + 4, e.end() - 3, "focus item second.xml\tCtrl+O"), e.end() - 3);
    EXPECT_EQ(std::vector<std::string>(e.end() - 3, e.end()),
              (std::vector<std::string>{"popup end menu", "focus dropdown 最近使ったファイル(R)",
                                        "menu end tool bar ファイル"}));
    EXPECT_TRUE(f.log.empty());
}

TEST(BarAcc, TakingTheFocusDrivesTheToolbarFromTheKeyboard)
{
    AccForm f(600, {"新規作成", "開く", "上書き保存"});
    QAccessibleInterface *open = f.Toolbar()->child(1);
    std::shared_ptr<TBarItemViewerAccObject> object = f.toolbar->View().Viewers(1)->GetAccObject();
    EXPECT_EQ(object->accSelect(SELFLAG_TAKEFOCUS | 2, CHILDID_SELF), E_INVALIDARG);
    Script script;
    TBarItemViewer *selected = nullptr;
    bool modal = false, focused = false;
    script.Add([&] { open->actionInterface()->doAction(QAccessibleActionInterface::setFocusAction()); });
    script.Add([] {}); // the action runs after the call has returned
    script.Add([&] {
        // Menu mode runs on the toolbar with the button selected; nothing ran.
        modal = f.toolbar->View().State() & vsModal;
        selected = f.toolbar->View().Selected();
        focused = open->state().focused;
        SimulateKey(VK_RIGHT);
    });
    script.Add([&] { SimulateKey(VK_RETURN); });
    EXPECT_TRUE(script.Run());
    EXPECT_TRUE(modal);
    EXPECT_EQ(selected, f.toolbar->View().Viewers(1));
    EXPECT_TRUE(focused);
    EXPECT_EQ(f.log, std::vector<std::string>{"上書き保存"});
}

TEST(BarAcc, WithoutSupportNoObjectIsMade)
{
    int viewsBefore = LiveViewAccObjects();
    SetAccessibilitySupported(false);
    {
        AccForm f(600, {"新規作成"});
        QAccessibleInterface *iface = f.Toolbar();
        ASSERT_NE(iface, nullptr); // the toolkit's own answer for a plain window
        EXPECT_NE(iface->role(), QAccessible::ToolBar);
        EXPECT_EQ(f.toolbar->View().GetAccObject(), nullptr);
        EXPECT_EQ(f.toolbar->View().Viewers(0)->GetAccObject(), nullptr);
        EXPECT_EQ(LiveViewAccObjects(), viewsBefore);
    }
    SetAccessibilitySupported(true);
}
