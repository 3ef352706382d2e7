#include "platform/services/InputSimulation.h"

#include "platform/widgets/Button.h"
#include "platform/widgets/ComboBox.h"
#include "platform/kernel/Forms.h"
#include "platform/widgets/Memo.h"
#include "platform/core/Menus.h"
#include "platform/core/Messages.h"
#include "platform/widgets/Panel.h"
#include "platform/widgets/Shape.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(InputSimulation, AWindowlessDragDropsWhereTheReleaseHappened)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    TPanel panel(nullptr);
    panel.SetAlign(alClient);
    panel.SetParent(&form);
    TShape source(nullptr), target(nullptr);
    source.SetBounds(10, 10, 40, 20);
    target.SetBounds(100, 60, 80, 50);
    source.SetParent(&panel);
    target.SetParent(&panel);
    std::vector<std::string> log;
    source.OnMouseDown = [&](TObject *, TMouseButton, TShiftState shift, int x, int y) {
        log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
        if (shift & ssShift)
            source.BeginDrag(true);
    };
    target.OnDragOver = [&](TObject *, TObject *from, int, int, TDragState, bool &accept) { accept = from == &source; };
    target.OnDragDrop = [&](TObject *, TObject *from, int x, int y) {
        log.push_back(std::string(from == &source ? "drop " : "drop? ") + std::to_string(x) + "," + std::to_string(y));
    };
    ASSERT_TRUE(SimulateActivation(form));

    // The release point, given in the source's coordinates, is (7, 3) of the target.
    SimulateDrag(source, TPoint{5, 5}, TPoint{97, 53}, ssShift, 3);
    EXPECT_EQ(log, (std::vector<std::string>{"down 5,5", "drop 7,3"}));
    EXPECT_FALSE(source.Dragging());

    // Without Shift nothing is dragged, and the source keeps the mouse until the release.
    log.clear();
    std::vector<std::string> moves;
    source.OnMouseMove = [&](TObject *, TShiftState, int x, int y) {
        moves.push_back(std::to_string(x) + "," + std::to_string(y));
    };
    SimulateDrag(source, TPoint{5, 5}, TPoint{97, 53});
    EXPECT_EQ(log, (std::vector<std::string>{"down 5,5"}));
    EXPECT_EQ(moves, (std::vector<std::string>{"51,29", "97,53"}));
    form.Hide();
}

TEST(InputSimulation, KeysReachTheFocusedWindowAndTypingChangesAComboBoxText)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 100);
    TComboBox combo(nullptr);
    combo.SetItems({"8", "10"});
    combo.SetText("10");
    combo.SetBounds(10, 10, 100, 21);
    combo.SetParent(&form);
    int changes = 0;
    combo.OnChange = [&](TObject *) { ++changes; };
    std::vector<int> previewed;
    form.SetKeyPreview(true);
    form.OnKeyDown = [&](TObject *, int &key, TShiftState) { previewed.push_back(key); };
    ASSERT_TRUE(SimulateActivation(form));

    SimulateClick(combo, TPoint{5, 5});
    ASSERT_EQ(FocusedControl(), &combo);
    SimulateKey(VK_END);
    SimulateKey(VK_BACK);
    EXPECT_EQ(combo.Text(), "1");
    EXPECT_EQ(combo.ItemIndex(), -1);
    SimulateTyping("2日");
    EXPECT_EQ(combo.Text(), "12日");
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(previewed, (std::vector<int>{VK_END, VK_BACK, '2'}));
    form.Hide();
}

namespace {

// A form with a memo above a one-line edit.
struct TMemoAndEdit {
    TForm form{nullptr};
    TMemo memo{nullptr};
    TEdit edit{nullptr};
    TMemoAndEdit()
    {
        form.SetBounds(0, 0, 300, 200);
        memo.SetBounds(10, 10, 150, 60);
        memo.SetParent(&form);
        edit.SetBounds(10, 100, 150, 21);
        edit.SetParent(&form);
    }
};

} // namespace

TEST(InputSimulation, TabInAMemoMovesOnUnlessTheMemoWantsTabs)
{
    TMemoAndEdit f;
    TForm &form = f.form;
    TMemo &memo = f.memo;
    TEdit &edit = f.edit;
    EXPECT_FALSE(memo.WantTabs());
    ASSERT_TRUE(SimulateActivation(form));
    SimulateClick(memo, TPoint{5, 5});
    SimulateTyping("a");
    SimulateKey(VK_TAB);
    EXPECT_EQ(memo.Text(), "a");
    EXPECT_EQ(FocusedControl(), &edit);

    memo.SetWantTabs(true);
    SimulateClick(memo, TPoint{40, 5});
    SimulateKey(VK_TAB);
    EXPECT_EQ(memo.Text(), "a\t");
    EXPECT_EQ(FocusedControl(), &memo);
    form.Hide();
}

// The form's menu shortcuts and its buttons' accelerators come before the
// focused control, whichever it is; other keys still reach the control.
TEST(InputSimulation, MenuShortcutsAndAcceleratorsComeBeforeTheFocusedControl)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    TMainMenu menu(nullptr);
    auto *edit = new TMenuItem(nullptr);
    edit->SetCaption("編集(&E)");
    menu.Items()->Add(edit);
    auto *add = new TMenuItem(nullptr);
    add->SetCaption("項目の追加(&A)");
    add->SetShortCut(scCtrl | 'A');
    int added = 0;
    add->OnClick = [&](TObject *) { ++added; };
    edit->Add(add);
    form.SetMenu(&menu);
    TEdit box(nullptr);
    box.SetBounds(10, 10, 150, 21);
    box.SetParent(&form);
    TComboBox combo(nullptr);
    combo.SetBounds(10, 40, 150, 21);
    combo.SetParent(&form);
    TButton button(nullptr);
    button.SetCaption("行追加(&D)");
    button.SetBounds(10, 80, 90, 25);
    button.SetParent(&form);
    int pressed = 0;
    button.OnClick = [&](TObject *) { ++pressed; };
    ASSERT_TRUE(SimulateActivation(form));

    for (TWinControl *control : std::initializer_list<TWinControl *>{&box, &combo}) {
        SimulateClick(*control, TPoint{5, 5});
        ASSERT_EQ(FocusedControl(), control);
        SimulateTyping("xy");
        SimulateKey('A', ssCtrl);
        SimulateKey(VK_BACK);
        EXPECT_EQ(control->Caption(), "x") << "Ctrl+A did not select the text";
        SimulateKey('D', ssAlt);
    }
    EXPECT_EQ(added, 2);
    EXPECT_EQ(pressed, 2);
    // A disabled command or button leaves the key alone.
    add->SetEnabled(false);
    button.SetEnabled(false);
    SimulateKey('A', ssCtrl);
    SimulateKey('D', ssAlt);
    EXPECT_EQ(added, 2);
    EXPECT_EQ(pressed, 2);
    form.Hide();
    form.SetMenu(nullptr);
}

// A memo takes Enter as a new line, and its lines are joined by CR LF; the
// default button answers Enter in a one-line edit, and in a memo that does not
// want returns.
TEST(InputSimulation, EnterInAMemoTypesANewLineAndInAnEditPressesTheDefaultButton)
{
    TMemoAndEdit f;
    TForm &form = f.form;
    TMemo &memo = f.memo;
    TEdit &edit = f.edit;
    TButton ok(nullptr);
    ok.SetBounds(200, 160, 75, 25);
    ok.SetDefault(true);
    ok.SetParent(&form);
    int clicks = 0;
    ok.OnClick = [&](TObject *) { ++clicks; };
    EXPECT_TRUE(memo.WantReturns());
    ASSERT_TRUE(SimulateActivation(form));
    SimulateClick(memo, TPoint{5, 5});
    SimulateTyping("A1");
    SimulateKey(VK_RETURN);
    SimulateTyping("xyz");
    EXPECT_EQ(memo.Text(), "A1\r\nxyz");
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(FocusedControl(), &memo);

    SimulateClick(edit, TPoint{5, 5});
    SimulateKey(VK_RETURN);
    EXPECT_EQ(clicks, 1);

    memo.SetWantReturns(false);
    SimulateClick(memo, TPoint{5, 40});
    SimulateKey(VK_END);
    SimulateKey(VK_RETURN);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(memo.Text(), "A1\r\nxyz");
    form.Hide();
}

// Text given with CR LF shows as its lines, and typing on keeps CR LF.
TEST(InputSimulation, AMemoShowsCrLfTextAsLinesAndKeepsCrLfWhenTypedOn)
{
    TMemoAndEdit f;
    TForm &form = f.form;
    TMemo &memo = f.memo;
    memo.SetHeight(90);
    memo.SetText("一行目\r\n\r\n三行目");
    ASSERT_TRUE(SimulateActivation(form));
    SimulateClick(memo, TPoint{5, 5});
    SimulateKey(VK_END, ssCtrl);
    SimulateTyping("!");
    EXPECT_EQ(memo.Text(), "一行目\r\n\r\n三行目!");
    form.Hide();
}

TEST(InputSimulation, TheFormHearsOfEachTurnOfTheWheelOnceWhateverWindowsLieUnderThePointer)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    TPanel outer(nullptr), inner(nullptr);
    outer.SetAlign(alClient);
    outer.SetParent(&form);
    inner.SetBounds(20, 20, 200, 100);
    inner.SetParent(&outer);
    int down = 0, up = 0;
    form.OnMouseWheelDown = [&](TObject *, TShiftState, TPoint, bool &) { ++down; };
    form.OnMouseWheelUp = [&](TObject *, TShiftState, TPoint, bool &) { ++up; };
    ASSERT_TRUE(SimulateActivation(form));

    // The window system hands a turn no window takes on to the windows around.
    SimulateWheel(inner, TPoint{10, 10}, -120);
    SimulateWheel(outer, TPoint{5, 5}, 120);
    EXPECT_EQ(down, 1);
    EXPECT_EQ(up, 1);
    // Notches that arrive together are heard one by one.
    SimulateWheelBurst(inner, TPoint{10, 10}, -120, 3);
    ProcessMessages();
    EXPECT_EQ(down, 4);
    form.Hide();
}
