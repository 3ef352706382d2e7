// Alt and F10 belong to the menus: an Alt+character never types into a text
// control (matching nothing it only beeps), AltGr characters still type, and
// the menu bar shows which title the keyboard is on.
#include "platform/services/InputSimulation.h"

#include "platform/core/Menus.h"
#include "platform/kernel/Forms.h"
#include "platform/services/SystemParameters.h"
#include "platform/widgets/Button.h"
#include "platform/widgets/ComboBox.h"
#include "platform/widgets/Grids.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Mask.h"
#include "platform/widgets/Memo.h"
#include "platform/widgets/Panel.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A form with a menu bar (ファイル, 編集; 開く runs on Ctrl+O), a button with
// an accelerator, one of each kind of text control, and a label and a panel,
// which take no focus.
struct TKeysForm {
    TForm form{nullptr};
    TMainMenu menu{nullptr};
    TEdit edit{nullptr};
    TMemo memo{nullptr};
    TComboBox combo{nullptr};
    TMaskEdit mask{nullptr};
    TStringGrid grid{nullptr};
    TButton button{nullptr};
    TLabel label{nullptr};
    TPanel panel{nullptr};
    std::vector<std::string> ran;
    int pressed = 0;

    TKeysForm()
    {
        form.SetBounds(0, 0, 400, 300);
        auto menuItem = [this](TMenuItem *parent, const std::string &caption) {
            auto *item = new TMenuItem(nullptr);
            item->SetCaption(caption);
            item->OnClick = [this, caption](TObject *) { ran.push_back(caption); };
            parent->Add(item);
            return item;
        };
        TMenuItem *file = menuItem(menu.Items(), "ファイル(&F)");
        menuItem(file, "新規作成(&N)");
        menuItem(file, "開く(&O)")->SetShortCut(scCtrl | 'O');
        menuItem(menuItem(menu.Items(), "編集(&E)"), "コピー(&C)");
        form.SetMenu(&menu);
        edit.SetBounds(10, 10, 150, 21);
        edit.SetParent(&form);
        memo.SetBounds(10, 40, 150, 50);
        memo.SetParent(&form);
        combo.SetBounds(10, 100, 150, 21);
        combo.SetParent(&form);
        mask.SetBounds(10, 130, 150, 21);
        mask.SetParent(&form);
        grid.SetOptions(grid.Options() | goEditing);
        grid.SetBounds(180, 10, 200, 120);
        grid.SetParent(&form);
        button.SetCaption("実行(&G)");
        button.SetBounds(180, 140, 90, 25);
        button.SetParent(&form);
        button.OnClick = [this](TObject *) { ++pressed; };
        label.SetCaption("見出し");
        label.SetBounds(10, 170, 100, 16);
        label.SetParent(&form);
        panel.SetBounds(10, 200, 150, 40);
        panel.SetParent(&form);
    }
    ~TKeysForm()
    {
        form.Hide();
        form.SetMenu(nullptr);
    }

    // Each text control, focused as a person does, and the text it shows.
    struct TTextControl {
        std::string name;
        std::function<void()> focus;
        std::function<std::string()> text;
    };
    std::vector<TTextControl> TextControls()
    {
        auto clickIn = [](TWinControl &control) { return [&control] { SimulateClick(control, TPoint{5, 5}); }; };
        return {
            {"edit", clickIn(edit), [this] { return edit.Text(); }},
            {"memo", clickIn(memo), [this] { return memo.Text(); }},
            {"combo box", clickIn(combo), [this] { return combo.Text(); }},
            {"masked edit", clickIn(mask), [this] { return mask.Text(); }},
            // A cell of the grid, its editor opened by the first character.
            {"grid cell",
             [this] {
                 SimulateClick(grid, TPoint{grid.CellRect(1, 1).Left + 5, grid.CellRect(1, 1).Top + 5});
             },
             [this] { return grid.Cells(1, 1); }},
        };
    }
    // Each text control in turn, focused, with "a" typed into it; `keys`
    // gets the control and the beeps heard so far.
    void ForEachTextControlHoldingA(const std::function<void(const TTextControl &, int beeps)> &keys)
    {
        for (const TTextControl &control : TextControls()) {
            control.focus();
            SimulateTyping("a");
            keys(control, MessageBeepCount());
        }
    }
};

std::string ActiveTitle(TForm &form)
{
    std::optional<TShownMenu> bar = ShownMenuBar(form);
    return bar ? bar->Active : "<no menu bar>";
}

} // namespace

// Alt with a letter, a digit or a shifted letter matching no menu and no
// control beeps once and leaves every text control's text as it was; the
// control still types what comes without Alt. The access keys that match
// work from every control.
TEST(MenuKeys, AnAltCharacterThatMatchesNothingBeepsAndNeverTypes)
{
    TKeysForm f;
    ASSERT_TRUE(SimulateActivation(f.form));
    f.ForEachTextControlHoldingA([&](const TKeysForm::TTextControl &control, int beeps) {
        SimulateKey('Q', ssAlt);
        SimulateKey('Z', ssAlt | ssShift);
        SimulateKey('5', ssAlt);
        SimulateTyping("b");
        EXPECT_EQ(control.text(), "ab") << control.name;
        EXPECT_EQ(MessageBeepCount(), beeps + 3) << control.name;

        // The button's accelerator presses it, the menu's opens its menu: no beep.
        SimulateKey('G', ssAlt);
        SimulateKey('F', ssAlt);
        std::optional<TShownMenu> opened = ShownMenu();
        if (!opened) {
            ADD_FAILURE() << "Alt+F opened no menu from the " << control.name;
            return;
        }
        EXPECT_EQ(opened->Items.front().Caption, "新規作成(&N)") << control.name;
        EXPECT_EQ(MessageBeepCount(), beeps + 3) << control.name;
        // Esc closes the menu, its title keeps the keyboard; Esc again gives it back.
        SimulateKey(VK_ESCAPE);
        EXPECT_FALSE(ShownMenu()) << control.name;
        EXPECT_EQ(ActiveTitle(f.form), "ファイル(&F)") << control.name;
        SimulateKey(VK_ESCAPE);
        EXPECT_EQ(ActiveTitle(f.form), "") << control.name;
    });
    EXPECT_EQ(f.pressed, 5);
    EXPECT_TRUE(f.ran.empty());
}

// A character a keyboard layout makes with AltGr types, whether it comes
// with no modifier or with Ctrl and Alt held, and beeps nothing.
TEST(MenuKeys, AltGrCharactersStillType)
{
    TKeysForm f;
    ASSERT_TRUE(SimulateActivation(f.form));
    f.ForEachTextControlHoldingA([](const TKeysForm::TTextControl &control, int beeps) {
        SimulateAltGrTyping('Q', "@", true);
        SimulateAltGrTyping('E', "€", false);
        EXPECT_EQ(control.text(), "a@€") << control.name;
        EXPECT_EQ(MessageBeepCount(), beeps) << control.name;
    });
}

// Alt alone and F10 give the menu bar the keyboard with its first title
// drawn highlighted; Right and Left move the highlight; Esc, F10 or Alt give
// the keyboard back to the control that had it, no title drawn highlighted.
TEST(MenuKeys, AltAndF10HighlightTheFirstTitleArrowsMoveItAndEscLeaves)
{
    TKeysForm f;
    ASSERT_TRUE(SimulateActivation(f.form));
    SimulateClick(f.edit, TPoint{5, 5});
    ASSERT_EQ(ShownMenuBar(f.form)->Items.size(), 2u);
    EXPECT_EQ(ActiveTitle(f.form), "");

    for (int enter : {VK_MENU, VK_F10}) {
        for (int leave : {VK_ESCAPE, VK_F10, VK_MENU}) {
            SimulateKey(enter);
            EXPECT_EQ(ActiveTitle(f.form), "ファイル(&F)") << enter << " " << leave;
            SimulateKey(VK_RIGHT);
            EXPECT_EQ(ActiveTitle(f.form), "編集(&E)") << enter << " " << leave;
            SimulateKey(VK_RIGHT); // round to the first
            EXPECT_EQ(ActiveTitle(f.form), "ファイル(&F)") << enter << " " << leave;
            SimulateKey(VK_LEFT);
            EXPECT_EQ(ActiveTitle(f.form), "編集(&E)") << enter << " " << leave;
            SimulateKey(leave);
            EXPECT_EQ(ActiveTitle(f.form), "") << enter << " " << leave;
            EXPECT_EQ(FocusedControl(), &f.edit) << enter << " " << leave;
        }
    }
    SimulateTyping("k");
    EXPECT_EQ(f.edit.Text(), "k");

    // F10 and Down open ファイル; Enter runs its first command.
    SimulateKey(VK_F10);
    SimulateKey(VK_DOWN);
    std::optional<TShownMenu> opened = ShownMenu();
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->Items.front().Caption, "新規作成(&N)");
    SimulateKey(VK_RETURN);
    EXPECT_EQ(f.ran, std::vector<std::string>{"新規作成(&N)"});
    EXPECT_EQ(ActiveTitle(f.form), "");
}

// The menu bar's keyboard mode leaves the focus where it was as far as the
// controls know: entered and left with the keyboard, it neither selects a
// text control's text on return (the next letter would replace it) nor tells
// the control it was left.
TEST(MenuKeys, TheMenuBarsKeyboardModeLeavesTheTextAndTheFocusAsTheyWere)
{
    TKeysForm f;
    ASSERT_TRUE(SimulateActivation(f.form));
    for (const auto &control : f.TextControls()) {
        for (int enter : {VK_MENU, VK_F10}) {
            control.focus();
            SimulateTyping("ab");
            TWinControl *focused = FocusedControl();
            ASSERT_NE(focused, nullptr) << control.name;
            int exits = 0;
            focused->OnExit = [&](TObject *) { ++exits; };
            SimulateKey(enter);
            ASSERT_EQ(ActiveTitle(f.form), "ファイル(&F)") << control.name;
            SimulateKey(VK_RIGHT);
            SimulateKey(VK_ESCAPE);
            ASSERT_EQ(ActiveTitle(f.form), "") << control.name;
            EXPECT_EQ(FocusedControl(), focused) << control.name;
            SimulateTyping("c");
            focused->OnExit = nullptr;
            EXPECT_EQ(exits, 0) << control.name << " " << enter;
            SimulateKey(VK_RETURN);
            const std::string text = control.text();
            EXPECT_NE(text.find("abc"), std::string::npos) << control.name << " " << enter << ": " << text;
            SimulateKey(VK_ESCAPE);
        }
    }
}

// Whatever takes the keyboard from the menu bar while it has it gives it back
// to the control that had it, no title highlighted: a menu's shortcut (its
// command may open a dialog), the window losing the activation to another
// window or another program, a click on a part that takes no focus. The
// letters typed afterwards go into that control and open no menu.
TEST(MenuKeys, TheMenuBarGivesTheKeyboardBackWhenAShortcutRunsTheWindowIsLeftOrAPartIsClicked)
{
    TKeysForm f;
    TForm other{nullptr};
    other.SetBounds(450, 0, 200, 100);
    ASSERT_TRUE(SimulateActivation(f.form));
    SimulateClick(f.edit, TPoint{5, 5});
    const int beeps = MessageBeepCount();

    struct TStep {
        std::string name;
        std::function<void()> leave;
    };
    const std::vector<TStep> steps = {
        {"Ctrl+O", [] { SimulateKey('O', ssCtrl); }},
        {"another window",
         [&] {
             ASSERT_TRUE(SimulateActivation(other));
             other.Hide();
             ASSERT_TRUE(SimulateActivation(f.form));
         }},
        {"another program",
         [&] {
             SimulateApplicationDeactivation();
             ASSERT_TRUE(SimulateActivation(f.form));
         }},
        {"the label", [&] { SimulateClick(f.label, TPoint{5, 5}); }},
        {"the panel", [&] { SimulateClick(f.panel, TPoint{5, 5}); }},
    };
    std::string typed;
    for (int enter : {VK_MENU, VK_F10}) {
        for (const TStep &step : steps) {
            SimulateKey(enter);
            ASSERT_EQ(ActiveTitle(f.form), "ファイル(&F)") << step.name;
            step.leave();
            EXPECT_EQ(ActiveTitle(f.form), "") << step.name;
            EXPECT_EQ(FocusedControl(), &f.edit) << step.name;
            SimulateTyping("e");
            typed += "e";
            EXPECT_FALSE(ShownMenu()) << step.name;
            EXPECT_EQ(f.edit.Text(), typed) << step.name;
            if (ShownMenu())
                SimulateKey(VK_ESCAPE);
        }
    }
    EXPECT_EQ(f.ran, (std::vector<std::string>{"開く(&O)", "開く(&O)"}));
    EXPECT_EQ(MessageBeepCount(), beeps);
}

// Alt+Shift and a title's access key opens that title from every text
// control as Alt and the key does, its first command highlighted, with no
// beep and nothing typed; Esc closes it and the title keeps the keyboard.
// Alt+Shift and a key no title has still beeps.
TEST(MenuKeys, AltShiftAndATitlesAccessKeyOpensItsMenu)
{
    TKeysForm f;
    ASSERT_TRUE(SimulateActivation(f.form));
    f.ForEachTextControlHoldingA([&](const TKeysForm::TTextControl &control, int beeps) {
        SimulateKey('Q', ssAlt | ssShift);
        EXPECT_FALSE(ShownMenu()) << control.name;
        EXPECT_EQ(MessageBeepCount(), beeps + 1) << control.name;
        SimulateTyping("b");
        for (auto [key, first] : {std::pair{'F', "新規作成(&N)"}, std::pair{'E', "コピー(&C)"}}) {
            SimulateKey(key, ssAlt | ssShift);
            std::optional<TShownMenu> opened = ShownMenu();
            if (!opened) {
                ADD_FAILURE() << "Alt+Shift+" << key << " opened no menu from the " << control.name;
                return;
            }
            EXPECT_EQ(opened->Items.front().Caption, first) << control.name;
            EXPECT_EQ(opened->Active, first) << control.name;
            SimulateKey(VK_ESCAPE);
            EXPECT_FALSE(ShownMenu()) << control.name;
            EXPECT_NE(ActiveTitle(f.form), "") << control.name;
            SimulateKey(VK_ESCAPE);
            EXPECT_EQ(ActiveTitle(f.form), "") << control.name;
        }
        EXPECT_EQ(control.text(), "ab") << control.name;
        EXPECT_EQ(MessageBeepCount(), beeps + 1) << control.name;
    });
    EXPECT_TRUE(f.ran.empty());
}
