#include "platform/kernel/Forms.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/Memo.h"
#include "platform/services/SystemParameters.h"
#include "tests/toolbar/StepScript.h"
#include "toolbar/BarToolbar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A form with a dock holding a menu bar ("&File": New, Open; "&Edit": Cut,
// Copy) and a toolbar, and an edit that has the focus.
struct MenuBarForm {
    TScopedSystemParameters parameters;
    TForm form{nullptr};
    TBarDock *dock;
    TBarCustomToolbar *menu;
    TBarCustomToolbar *tools;
    TEdit *edit;
    std::vector<std::string> log;
    bool active = false;
    MenuBarForm()
    {
        SystemParameters().MenuAnimation = false;
        form.SetBounds(60, 60, 400, 200);
        dock = new TBarDock(&form);
        dock->SetName("dockTop");
        dock->SetParent(&form);
        menu = new TBarCustomToolbar(&form);
        menu->SetMenuBar(true);
        TBarCustomItem *file = Add(menu->Items(), "&File", true);
        Add(file, "&New");
        Add(file, "&Open");
        TBarCustomItem *editMenu = Add(menu->Items(), "&Edit", true);
        Add(editMenu, "Cu&t");
        Add(editMenu, "&Copy");
        menu->SetCurrentDock(dock);
        tools = new TBarCustomToolbar(&form);
        Add(tools->Items(), "&Bold");
        tools->SetDockRow(1);
        tools->SetCurrentDock(dock);
        edit = PlaceControl<TEdit>(&form, 10, 100, 100, 24);
        active = SimulateActivation(form);
        edit->SetFocus();
    }
    TBarCustomItem *Add(TBarCustomItem *parent, const std::string &caption, bool submenu = false)
    {
        auto *item = new TBarCustomItem(&form);
        item->SetCaption(caption);
        if (submenu)
            item->SetItemStyle(item->ItemStyle() | HasSubmenu);
        else
            item->OnClick = [this, caption](TObject *) { log.push_back(caption); };
        parent->Add(item);
        return item;
    }
    // Runs the keys one after another (each may start a menu loop that the
    // next ones run in). A menu key is Alt pressed and let go alone (0) or
    // Alt with a letter that no control took: the system's menu key, as the
    // form offers it to the application.
    struct Key {
        int key;
        TShiftState shift = 0;
        bool menu = false;
    };
    static Key Menu(char32_t ch = 0) { return Key{static_cast<int>(ch), 0, true}; }
    bool Keys(std::vector<Key> keys)
    {
        // The test platform activates every window it shows (the menus too).
        SimulateActivation(form);
        edit->SetFocus();
        Script script;
        for (Key k : keys)
            script.Add([this, k] {
                if (!k.menu) {
                    SimulateKey(k.key, k.shift);
                    return;
                }
                TMessage m{CM_APPSYSCOMMAND, SC_KEYMENU, k.key, 0};
                DispatchMessage(&form, m);
            });
        bool done = script.Run();
        ProcessMessages();
        return done;
    }
};

} // namespace

TEST(BarMenuBar, TakesItsOwnRowWrapsAndHasNoCloseButton)
{
    MenuBarForm f;
    EXPECT_TRUE(f.menu->FullSize());
    EXPECT_EQ(f.menu->ShrinkMode(), brsmWrap);
    EXPECT_FALSE(f.menu->CloseButton());
    EXPECT_TRUE(f.menu->ProcessShortCuts());
    EXPECT_EQ(f.menu->Width(), f.dock->ClientWidth());
    EXPECT_NE(f.menu->EffectiveRow, f.tools->EffectiveRow);
    f.menu->SetMenuBar(false);
    EXPECT_FALSE(f.menu->FullSize());
    EXPECT_EQ(f.menu->ShrinkMode(), brsmChevron);
    EXPECT_TRUE(f.menu->CloseButton());
}

TEST(BarMenuBar, AltRightDownEnterRunsOneCommandOnce)
{
    MenuBarForm f;
    ASSERT_TRUE(f.active);
    ASSERT_TRUE(f.Keys({MenuBarForm::Menu(), {VK_RIGHT}, {VK_DOWN}, {VK_RETURN}}));
    EXPECT_EQ(f.log, (std::vector<std::string>{"Cu&t"}));
}

TEST(BarMenuBar, AltLetterOpensTheMenuUnmatchedLettersBeepAndMinusIsLeftAlone)
{
    MenuBarForm f;
    // Alt+F opens "File"; N in its menu runs "New".
    ASSERT_TRUE(f.Keys({MenuBarForm::Menu(U'f'), {'N'}}));
    EXPECT_EQ(f.log, (std::vector<std::string>{"&New"}));
    // An ordinary toolbar answers its explicit accelerators: Alt+B runs "Bold" at once.
    ASSERT_TRUE(f.Keys({{'B', ssAlt}}));
    EXPECT_EQ(f.log, (std::vector<std::string>{"&New", "&Bold"}));
    // Nobody's letter: a beep, and the key is taken.
    int beeps = MessageBeepCount();
    ASSERT_TRUE(f.Keys({{'Z', ssAlt}}));
    EXPECT_EQ(MessageBeepCount(), beeps + 1);
    EXPECT_EQ(f.log.size(), 2u);
    // The minus key stays the system's, and a blank is not a menu key.
    EXPECT_EQ(SendMessage(f.menu, WM_SYSCOMMAND, SC_KEYMENU, '-'), 0);
    EXPECT_EQ(SendMessage(f.menu, WM_SYSCOMMAND, SC_KEYMENU, ' '), 0);
    EXPECT_EQ(MessageBeepCount(), beeps + 1);
    // A disabled menu bar takes nothing.
    f.menu->SetEnabled(false);
    EXPECT_EQ(SendMessage(f.menu, WM_SYSCOMMAND, SC_KEYMENU, 'z'), 0);
}

// F10 puts the menu bar in menu mode as Alt alone does, with its first title
// selected (drawn highlighted); Right moves to the next title and Esc ends
// menu mode without a command. Twice: the second F10 finds it as the first.
TEST(BarMenuBar, F10SelectsTheFirstTitleRightMovesAndEscLeaves)
{
    MenuBarForm f;
    for (int round : {1, 2}) {
        const int enter = VK_F10;
        SimulateActivation(f.form);
        f.edit->SetFocus();
        std::vector<std::string> selected;
        auto note = [&] {
            TBarItemViewer *viewer = f.menu->View().Selected();
            selected.push_back(viewer ? viewer->Item()->Caption() : "");
        };
        Script script;
        script.Add([&] { SimulateKey(enter); });
        script.Add([&] {
            note();
            SimulateKey(VK_RIGHT);
        });
        script.Add([&] {
            note();
            SimulateKey(VK_ESCAPE);
        });
        ASSERT_TRUE(script.Run()) << round;
        EXPECT_EQ(selected, (std::vector<std::string>{"&File", "&Edit"})) << round;
        EXPECT_FALSE(f.menu->View().State() & vsModal) << round;
        EXPECT_EQ(f.menu->View().Selected(), nullptr) << round;
    }
    EXPECT_TRUE(f.log.empty());
}

TEST(BarMenuBar, AFloatingMenuBarStillHearsAltKeysThroughItsDock)
{
    MenuBarForm f;
    f.menu->SetFloatingPosition(TPoint{100, 300});
    f.menu->SetFloating(true);
    ASSERT_TRUE(f.menu->Floating());
    ASSERT_TRUE(f.Keys({MenuBarForm::Menu(U'e'), {'C'}}));
    EXPECT_EQ(f.log, (std::vector<std::string>{"&Copy"}));
}
