// Shift+F10 and the menu key open the focused control's popup menu, as a
// right click opens it under the pointer.
#include "platform/core/Menus.h"
#include "platform/core/Messages.h"
#include "platform/kernel/Forms.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/Button.h"
#include "platform/widgets/Memo.h"
#include "platform/widgets/Panel.h"
#include "tests/ModalScript.h"
#include "tests/PopupMenus.h"

#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

using testing_support::OpensAMenu;

// A popup menu of two items that keeps what it was opened for and what was
// chosen, and whether a menu was still up when the choice ran.
struct TRecordingMenu {
    TPopupMenu menu{nullptr};
    std::vector<const TComponent *> openedFor;
    std::vector<std::string> chosen;

    TRecordingMenu()
    {
        for (const char *caption : {"一(&1)", "二(&2)"}) {
            auto *item = new TMenuItem(nullptr);
            item->SetCaption(caption);
            item->OnClick = [this, caption](TObject *) {
                chosen.push_back(std::string(caption) + (ShownMenu() ? " with the menu up" : ""));
            };
            menu.Items()->Add(item);
        }
        menu.OnPopup = [this](TObject *) { openedFor.push_back(menu.PopupComponent()); };
    }
};

bool HasItem(const TShownMenu &shown, const std::string &caption)
{
    return std::any_of(shown.Items.begin(), shown.Items.end(),
                       [&](const TShownMenuItem &item) { return item.Caption == caption; });
}

} // namespace

TEST(PopupMenuKeys, ShiftF10AndTheMenuKeyOpenTheFocusedControlsMenuAtItsOrigin)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 420, 300);
    TPanel column(&form);
    column.SetBounds(20, 30, 200, 220);
    column.SetParent(&form);
    TRecordingMenu columnMenu, editMenu;
    column.SetPopupMenu(&columnMenu.menu);
    TMemo caption(&form);
    caption.SetBounds(10, 40, 150, 50);
    caption.SetParent(&column);
    TEdit edit(&form);
    edit.SetBounds(10, 120, 150, 21);
    edit.SetParent(&column);
    edit.SetPopupMenu(&editMenu.menu);
    TEdit plain(&form);
    plain.SetBounds(250, 30, 150, 21);
    plain.SetParent(&form);
    ASSERT_TRUE(SimulateActivation(form));
    SimulateClick(caption, TPoint{5, 5});
    ASSERT_EQ(FocusedControl(), &caption);

    // Shift+F10: the parent's menu opens at the caption, for the caption, and
    // takes the arrows and Enter; the choice runs once it has closed.
    std::optional<TShownMenu> shown;
    std::string active;
    SimulateNextMenuInput([&] {
        shown = ShownMenu();
        SimulateKey(VK_DOWN);
        SimulateKey(VK_DOWN);
        active = ShownMenu() ? ShownMenu()->Active : "";
        SimulateKey(VK_RETURN);
    });
    SimulateKey(VK_F10, ssShift);
    ASSERT_TRUE(shown);
    const TPoint origin = caption.ClientToScreen(TPoint{0, 0});
    EXPECT_EQ(shown->TopLeft.X, origin.X);
    EXPECT_EQ(shown->TopLeft.Y, origin.Y);
    ASSERT_EQ(shown->Items.size(), 2u);
    EXPECT_EQ(shown->Items[0].Caption, "一(&1)");
    EXPECT_EQ(active, "二(&2)");
    EXPECT_EQ(columnMenu.openedFor, (std::vector<const TComponent *>{&caption}));
    EXPECT_EQ(columnMenu.chosen, (std::vector<std::string>{"二(&2)"}));
    EXPECT_EQ(caption.Text(), "");
    EXPECT_EQ(FocusedControl(), &caption);

    // The menu key: the window system's request for the memo's own edit menu
    // is had, and the key opens ours once; its accelerators work, Esc closes it.
    shown.reset();
    SimulateNextMenuInput([&] {
        shown = ShownMenu();
        SimulateKey('1');
    });
    SimulateKey(VK_APPS);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->Items.size(), 2u);
    SimulateNextMenuInput([] { SimulateKey(VK_ESCAPE); });
    SimulateKey(VK_APPS);
    EXPECT_EQ(columnMenu.openedFor.size(), 3u);
    EXPECT_EQ(columnMenu.chosen, (std::vector<std::string>{"二(&2)", "一(&1)"}));
    EXPECT_EQ(caption.Text(), "");

    // A control's own menu comes before its parent's.
    SimulateClick(edit, TPoint{5, 5});
    SimulateNextMenuChoice("二(&2)");
    SimulateKey(VK_F10, ssShift);
    EXPECT_EQ(editMenu.openedFor, (std::vector<const TComponent *>{&edit}));
    EXPECT_EQ(editMenu.chosen, (std::vector<std::string>{"二(&2)"}));
    EXPECT_EQ(columnMenu.openedFor.size(), 3u);

    // Without a menu of ours the keys stay the toolkit's: Shift+F10 opens
    // nothing, the menu key the edit's own menu (which does not wait).
    SimulateClick(plain, TPoint{5, 5});
    ASSERT_EQ(FocusedControl(), &plain);
    EXPECT_FALSE(OpensAMenu([] { SimulateKey(VK_F10, ssShift); }));
    shown.reset();
    SimulateNextMenuInput([&] { shown = ShownMenu(); });
    SimulateKey(VK_APPS);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.has_value() && !ShownMenu(); }, 3000));
    EXPECT_FALSE(shown->Items.empty());
    EXPECT_FALSE(HasItem(*shown, "一(&1)"));
    EXPECT_EQ(columnMenu.openedFor.size() + editMenu.openedFor.size(), 4u);
    form.Hide();
}

// The key reaches the form's key preview, the control's handlers and the
// message hooks (a toolbar's menu mode) first: one of them taking it opens nothing.
TEST(PopupMenuKeys, AKeyTakenBeforeTheControlIsDoneWithItOpensNothing)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    TRecordingMenu menu;
    form.SetPopupMenu(&menu.menu);
    TMemo memo(&form);
    memo.SetBounds(10, 10, 150, 60);
    memo.SetParent(&form);
    ASSERT_TRUE(SimulateActivation(form));
    SimulateClick(memo, TPoint{5, 5});
    ASSERT_EQ(FocusedControl(), &memo);

    form.SetKeyPreview(true);
    form.OnKeyDown = [](TObject *, int &key, TShiftState) {
        if (key == VK_APPS)
            key = 0;
    };
    memo.OnKeyDown = [](TObject *, int &key, TShiftState shift) {
        if (key == VK_F10 && shift == ssShift)
            key = 0;
    };
    EXPECT_FALSE(OpensAMenu([] { SimulateKey(VK_APPS); }));
    EXPECT_FALSE(OpensAMenu([] { SimulateKey(VK_F10, ssShift); }));
    form.OnKeyDown = nullptr;
    memo.OnKeyDown = nullptr;
    {
        TScopedMessageHook menuMode([](TMessageTarget *, TMessage &message) {
            if (message.Msg != WM_KEYDOWN)
                return false;
            message.Result = 0;
            return true;
        });
        EXPECT_FALSE(OpensAMenu([] { SimulateKey(VK_APPS); }));
        EXPECT_FALSE(OpensAMenu([] { SimulateKey(VK_F10, ssShift); }));
    }
    EXPECT_TRUE(menu.openedFor.empty());
    // Ctrl+Shift+F10 is no request for the menu; Shift+F10 alone is.
    EXPECT_FALSE(OpensAMenu([] { SimulateKey(VK_F10, ssShift | ssCtrl); }));
    EXPECT_TRUE(OpensAMenu([] { SimulateKey(VK_F10, ssShift); }));
    EXPECT_EQ(menu.openedFor, (std::vector<const TComponent *>{&memo}));
    form.Hide();
}

// In a modal dialog the open menu has the keyboard: Enter chooses its item
// and does not press the dialog's default button.
TEST(PopupMenuKeys, InADialogTheMenuTakesEnterBeforeTheDefaultButton)
{
    TForm dialog(nullptr);
    dialog.SetBorderStyle(bsDialog);
    dialog.SetBounds(100, 100, 300, 160);
    TPanel panel(&dialog);
    panel.SetBounds(0, 0, 300, 80);
    panel.SetParent(&dialog);
    TRecordingMenu menu;
    panel.SetPopupMenu(&menu.menu);
    TEdit edit(&dialog);
    edit.SetBounds(10, 10, 150, 21);
    edit.SetParent(&panel);
    TButton ok(&dialog);
    ok.SetCaption("OK");
    ok.SetBounds(10, 100, 75, 25);
    ok.SetDefault(true);
    ok.SetModalResult(mrOk);
    ok.SetParent(&dialog);
    TModalResult result = testing_support::RunModalScript(dialog, [&] {
        SimulateClick(edit, TPoint{5, 5});
        ASSERT_EQ(FocusedControl(), &edit);
        SimulateNextMenuInput([] {
            SimulateKey(VK_DOWN);
            SimulateKey(VK_RETURN);
        });
        SimulateKey(VK_APPS);
        EXPECT_EQ(dialog.ModalResult(), mrNone);
        EXPECT_EQ(menu.chosen, (std::vector<std::string>{"一(&1)"}));
        EXPECT_EQ(menu.openedFor, (std::vector<const TComponent *>{&edit}));
        SimulateKey(VK_RETURN);
    });
    EXPECT_EQ(result, mrOk);
}

// For the program the focus stays where it was while a popup menu is open: a
// text editor that ends when it is left stays open under its menu, and loses
// the focus only when the chosen command gives it to another control.
TEST(PopupMenuKeys, APopupMenuLeavesTheFocusWithTheControl)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    TRecordingMenu menu;
    form.SetPopupMenu(&menu.menu);
    TMemo editor(&form), other(&form);
    editor.SetBounds(10, 10, 150, 60);
    editor.SetParent(&form);
    other.SetBounds(10, 100, 150, 60);
    other.SetParent(&form);
    std::vector<std::string> log;
    editor.OnEnter = [&](TObject *) { log.push_back("editor enter"); };
    editor.OnExit = [&](TObject *) { log.push_back("editor exit"); };
    other.OnEnter = [&](TObject *) { log.push_back("other enter"); };
    ASSERT_TRUE(SimulateActivation(form));
    SimulateClick(editor, TPoint{5, 5});
    ASSERT_EQ(log, (std::vector<std::string>{"editor enter"}));

    SimulateNextMenuChoice("");
    SimulateKey(VK_F10, ssShift);
    SimulateNextMenuChoice("一(&1)");
    SimulateClick(editor, TPoint{5, 5}, mbRight);
    EXPECT_EQ(log, (std::vector<std::string>{"editor enter"}));
    EXPECT_EQ(FocusedControl(), &editor);

    menu.menu.Items()->Items(1)->OnClick = [&](TObject *) { other.SetFocus(); };
    SimulateNextMenuChoice("二(&2)");
    SimulateKey(VK_APPS);
    EXPECT_EQ(log, (std::vector<std::string>{"editor enter", "editor exit", "other enter"}));
    EXPECT_EQ(FocusedControl(), &other);
    form.Hide();
}
