#include "platform/kernel/Application.h"
#include "platform/widgets/Button.h"
#include "platform/widgets/CheckBox.h"
#include "platform/widgets/ComboBox.h"
#include "platform/widgets/DateTimePicker.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/Memo.h"
#include "platform/kernel/Forms.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "platform/widgets/RadioButton.h"
#include "platform/widgets/RadioGroup.h"
#include "platform/widgets/SpinEdit.h"
#include "platform/widgets/TabControl.h"
#include "platform/graphics/Graphics.h"
#include "tests/KeyInput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>

TEST(ChoiceControls, PageControlShowsOnlyTheActiveSheetAndForgetsFreedOnes)
{
    TForm form(nullptr);
    auto *pages = new TPageControl(&form);
    pages->SetParent(&form);
    auto *first = new TTabSheet(&form);
    auto second = std::make_unique<TTabSheet>(nullptr);
    first->SetPageControl(pages);
    second->SetPageControl(pages);
    EXPECT_EQ(pages->ActivePage(), first);
    EXPECT_FALSE(second->Visible());
    int changes = 0;
    pages->OnChange = [&](TObject *) { ++changes; };
    TRect tab = pages->TabRect(1);
    SendMessage(pages, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(tab.Left + 2, tab.Top + 2));
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(second->Visible());
    EXPECT_FALSE(first->Visible());
    second.reset();
    EXPECT_EQ(pages->PageCount(), 1);
    EXPECT_EQ(pages->ActivePage(), first);
}

TEST(ChoiceControls, RadioGroupChoosesByClickAndRefusesOutOfRangeIndexes)
{
    TForm form(nullptr);
    auto *group = new TRadioGroup(&form);
    group->SetParent(&form);
    group->SetItems({"Shift_JIS", "UTF-8"});
    TRect second = group->ItemRect(1);
    SendMessage(group, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(second.Left + 1, second.Top + 1));
    EXPECT_EQ(group->ItemIndex(), 1);
    group->SetItemIndex(5);
    EXPECT_EQ(group->ItemIndex(), -1);
}

namespace {

// The smallest rectangle holding the pixels that differ between the control
// painted with the focus and painted without it: where its focus mark is.
TRect FocusMarkArea(TWinControl &control, TWinControl &elsewhere)
{
    EXPECT_EQ(FocusedControl(), &control);
    TBitmap focused(control.Width(), control.Height()), unfocused(control.Width(), control.Height());
    control.PaintTo(focused.Canvas());
    elsewhere.SetFocus();
    control.PaintTo(unfocused.Canvas());
    control.SetFocus();
    TRect area{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < control.Height(); ++y)
        for (int x = 0; x < control.Width(); ++x)
            if (focused.Pixel(x, y) != unfocused.Pixel(x, y))
                area = TRect{std::min(area.Left, x), std::min(area.Top, y), std::max(area.Right, x + 1),
                             std::max(area.Bottom, y + 1)};
    return area;
}

bool Holds(const TRect &outer, const TRect &inner)
{
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right
           && inner.Bottom <= outer.Bottom && inner.Right > inner.Left;
}

} // namespace

// A radio group in two columns is one Tab stop; the keyboard is on the chosen
// item (the first while none is), which shows the focus mark; Space chooses
// it and the arrows move the choice, wrapping around, each choice a click.
TEST(ChoiceControls, RadioGroupIsOneTabStopAndTheArrowsMoveTheChoice)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto *before = PlaceControl<TEdit>(&form, 10, 10, 80, 21);
    auto *group = PlaceControl<TRadioGroup>(&form, 10, 40, 220, 52);
    auto *after = PlaceControl<TEdit>(&form, 10, 110, 80, 21);
    group->SetColumns(2);
    group->SetItems({"縦", "横"});
    EXPECT_EQ(group->ItemRect(1).Top, group->ItemRect(0).Top);
    EXPECT_GE(group->ItemRect(1).Left, group->ItemRect(0).Right);
    std::vector<int> clicks;
    group->OnClick = [&](TObject *) { clicks.push_back(group->ItemIndex()); };
    ASSERT_TRUE(SimulateActivation(form));

    before->SetFocus();
    SimulateKey(VK_TAB);
    ASSERT_EQ(FocusedControl(), group);
    EXPECT_EQ(group->ItemIndex(), -1);
    EXPECT_TRUE(Holds(group->ItemRect(0), FocusMarkArea(*group, *after)));
    SimulateKey(VK_TAB);
    EXPECT_EQ(FocusedControl(), after);
    SimulateKey(VK_TAB, ssShift);
    EXPECT_EQ(FocusedControl(), group);
    SimulateKey(VK_SPACE);
    for (int key : {VK_RIGHT, VK_DOWN, VK_LEFT, VK_UP, VK_DOWN})
        SimulateKey(key);
    EXPECT_EQ(clicks, (std::vector<int>{0, 1, 0, 1, 0, 1}));
    EXPECT_TRUE(Holds(group->ItemRect(1), FocusMarkArea(*group, *after)));
    SimulateKey(VK_TAB, ssShift);
    EXPECT_EQ(FocusedControl(), before);
    form.Hide();
}

// Wherever the focus is inside a page control, Ctrl+Tab and Ctrl+PageDown turn
// to the next page and Ctrl+Shift+Tab and Ctrl+PageUp to the previous one,
// wrapping around, each turn a click on the tab; the focus goes straight to
// the first tab stop of the new page. The tabs are a Tab stop of their own,
// with the focus mark on the active tab; there Left and Right turn the page
// and the focus stays on the tabs.
TEST(ChoiceControls, PageControlTurnsItsPagesByKeys)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
    auto *pages = PlaceControl<TPageControl>(&form, 8, 8, 300, 200);
    std::vector<TWinControl *> firstStops;
    for (const char *caption : {"全般", "項目", "チャート"}) {
        auto *sheet = new TTabSheet(&form);
        sheet->SetCaption(caption);
        sheet->SetPageControl(pages);
        if (firstStops.size() == 2)
            PlaceControl<TButton>(sheet, 10, 10, 75, 25)->SetTabStop(false);
        firstStops.push_back(PlaceControl<TEdit>(sheet, 10, 40, 80, 21));
    }
    auto *outside = PlaceControl<TEdit>(&form, 8, 220, 80, 21);
    int outsideEntered = 0, changes = 0;
    outside->OnEnter = [&](TObject *) { ++outsideEntered; };
    pages->OnChange = [&](TObject *) { ++changes; };
    ASSERT_TRUE(SimulateActivation(form));

    firstStops[0]->SetFocus();
    const std::pair<int, TShiftState> turns[] = {
        {VK_TAB, ssCtrl}, {VK_NEXT, ssCtrl}, {VK_TAB, ssCtrl}, {VK_TAB, ssCtrl | ssShift}, {VK_PRIOR, ssCtrl}};
    for (int expected : {1, 2, 0, 2, 1}) {
        const auto &[key, shift] = turns[changes];
        SimulateKey(key, shift);
        ASSERT_EQ(pages->ActivePageIndex(), expected) << "turn " << changes;
        EXPECT_EQ(FocusedControl(), firstStops[static_cast<size_t>(expected)]);
    }
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(outsideEntered, 0);

    SimulateKey(VK_TAB, ssShift);
    ASSERT_EQ(FocusedControl(), pages);
    EXPECT_TRUE(Holds(pages->TabRect(1), FocusMarkArea(*pages, *outside)));
    for (auto [key, expected] : {std::pair{VK_RIGHT, 2}, {VK_RIGHT, 2}, {VK_LEFT, 1}}) {
        SimulateKey(key);
        EXPECT_EQ(pages->ActivePageIndex(), expected);
    }
    SimulateKey(VK_TAB, ssCtrl);
    EXPECT_EQ(pages->ActivePageIndex(), 2);
    EXPECT_EQ(FocusedControl(), pages);
    EXPECT_EQ(changes, 8);
    SimulateKey(VK_TAB);
    EXPECT_EQ(FocusedControl(), firstStops[2]);
    form.Hide();
}

// A row of tabs wider than its control scrolls by the arrows at its right
// end, and the tab chosen by keys comes into view.
TEST(ChoiceControls, ATabRowWiderThanItsControlScrollsToEveryTab)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 600, 200);
    auto *tabs = PlaceControl<TTabControl>(&form, 8, 8, 450, 26);
    tabs->SetTabWidth(45);
    tabs->SetTabs({"1", "2", "3", "4", "5", "6", "7", "8", "9", "任意"});
    auto *edit = PlaceControl<TEdit>(&form, 8, 60, 80, 21);
    int changes = 0;
    tabs->OnChange = [&](TObject *) { ++changes; };
    ASSERT_TRUE(SimulateActivation(form));
    EXPECT_FALSE(tabs->ScrollArrowsShown());
    edit->SetFocus();

    tabs->SetWidth(200);
    ProcessMessages();
    ASSERT_TRUE(tabs->ScrollArrowsShown());
    EXPECT_EQ(tabs->TabRect(0).Left, 0);
    EXPECT_GT(tabs->TabRect(9).Left, tabs->Width());
    const TPoint rightArrow{tabs->Width() - 4, tabs->Height() / 2};
    int clicks = 0;
    for (TRect before; clicks < 20 && tabs->TabRect(9) != before; ++clicks) {
        before = tabs->TabRect(9);
        SimulateClick(*tabs, rightArrow);
        ProcessMessages();
    }
    const TRect scrolledToEnd = tabs->TabRect(9);
    EXPECT_GT(clicks, 2);
    EXPECT_LT(scrolledToEnd.Right, rightArrow.X) << "the last tab clear of the arrows";
    EXPECT_EQ(changes, 0) << "scrolling chooses no tab";
    SimulateClick(*tabs, testing_support::Middle(scrolledToEnd));
    EXPECT_EQ(tabs->TabIndex(), 9);
    EXPECT_EQ(changes, 1);

    // The click focused the tabs: Left goes back to the first tab, which
    // comes into view, and Right to the last again.
    ASSERT_EQ(FocusedControl(), tabs);
    for (int i = 0; i < 9; ++i)
        SimulateKey(VK_LEFT);
    EXPECT_EQ(tabs->TabIndex(), 0);
    EXPECT_EQ(tabs->TabRect(0).Left, 0);
    for (int i = 0; i < 9; ++i)
        SimulateKey(VK_RIGHT);
    EXPECT_EQ(tabs->SelectedText(), "任意");
    EXPECT_EQ(tabs->TabRect(9), scrolledToEnd);
    EXPECT_EQ(changes, 19);
    // So does a tab the program chooses.
    tabs->SetTabIndex(0);
    EXPECT_EQ(tabs->TabRect(0).Left, 0);

    tabs->SetWidth(tabs->TabsWidth());
    ProcessMessages();
    EXPECT_FALSE(tabs->ScrollArrowsShown());
    EXPECT_EQ(tabs->TabRect(9).Right, tabs->TabsWidth());
    form.Hide();
}

TEST(ChoiceControls, SpinEditKeepsItsValueInRangeAndPickerHoldsWholeDays)
{
    TSpinEdit spin(nullptr);
    spin.SetRange(20, 300);
    spin.SetValue(500);
    EXPECT_EQ(spin.Value(), 300);
    spin.SetValue(3);
    EXPECT_EQ(spin.Value(), 20);
    TDateTimePicker picker(nullptr);
    picker.SetDate(EncodeDate(2024, 3, 9) + 0.75);
    EXPECT_EQ(picker.Date(), EncodeDate(2024, 3, 9));
    EXPECT_EQ(picker.Text(), "2024/03/09");
}

namespace {

// A spin edit at the form's top left, from 10 to 300 by tens, showing 64.
void PlaceSpinEdit(TSpinEdit &spin, TForm &form)
{
    spin.SetParent(&form);
    spin.SetBounds(10, 10, 80, 22);
    spin.SetRange(10, 300);
    spin.SetIncrement(10);
    spin.SetValue(64);
}

} // namespace

TEST(ChoiceControls, SpinEditArrowKeysStepByTheIncrement)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    TSpinEdit spin(&form);
    PlaceSpinEdit(spin, form);
    std::vector<int> seen;
    spin.OnChange = [&](TObject *) { seen.push_back(spin.Value()); };
    ASSERT_TRUE(SimulateActivation(form));
    SimulateClick(spin, TPoint{5, 5});
    ASSERT_EQ(FocusedControl(), &spin);
    SimulateKey(VK_UP);
    EXPECT_EQ(spin.Value(), 74);
    SimulateKey(VK_DOWN);
    SimulateKey(VK_DOWN);
    EXPECT_EQ(spin.Value(), 54);
    EXPECT_EQ(seen, (std::vector<int>{74, 64, 54}));
    // A step past the end stops at the end; an increment below 1 is one.
    spin.SetValue(295);
    SimulateKey(VK_UP);
    EXPECT_EQ(spin.Value(), 300);
    spin.SetIncrement(0);
    EXPECT_EQ(spin.Increment(), 1);
    SimulateKey(VK_DOWN);
    EXPECT_EQ(spin.Value(), 299);
    form.Hide();
}

// The wheel over the text of a spin edit, a combo box with an edit or a date
// picker lands on the text field, which passes it on to the box around it:
// the box steps once a notch, and the form hears of each turn once.
TEST(ChoiceControls, TheWheelStepsBoxesWithATextFieldOnceANotch)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 150);
    TSpinEdit spin(&form);
    PlaceSpinEdit(spin, form);
    TComboBox combo(&form);
    combo.SetParent(&form);
    combo.SetBounds(10, 45, 80, 22);
    combo.SetItems({"8", "9", "10"});
    combo.SetItemIndex(1);
    TDateTimePicker picker(&form);
    picker.SetParent(&form);
    picker.SetBounds(10, 80, 120, 22);
    picker.SetDate(EncodeDate(2024, 3, 9));
    int up = 0, down = 0;
    form.OnMouseWheelUp = [&](TObject *, TShiftState, TPoint, bool &) { ++up; };
    form.OnMouseWheelDown = [&](TObject *, TShiftState, TPoint, bool &) { ++down; };
    ASSERT_TRUE(SimulateActivation(form));

    SimulateClick(spin, TPoint{5, 5});
    SimulateWheel(spin, TPoint{5, 5}, 120);
    EXPECT_EQ(spin.Value(), 74);
    SimulateWheel(spin, TPoint{5, 5}, -120);
    SimulateWheel(spin, TPoint{5, 5}, -120);
    EXPECT_EQ(spin.Value(), 54);

    SimulateClick(combo, TPoint{5, 5});
    SimulateWheel(combo, TPoint{5, 5}, -120);
    EXPECT_EQ(combo.ItemIndex(), 2);
    SimulateWheel(combo, TPoint{5, 5}, 120);
    EXPECT_EQ(combo.ItemIndex(), 1);

    // The click chose the year.
    SimulateClick(picker, TPoint{5, 5});
    SimulateWheel(picker, TPoint{5, 5}, 120);
    EXPECT_EQ(picker.Date(), EncodeDate(2025, 3, 9));
    SimulateWheel(picker, TPoint{5, 5}, -120);
    EXPECT_EQ(picker.Date(), EncodeDate(2024, 3, 9));

    ProcessMessages();
    EXPECT_EQ(up, 3);
    EXPECT_EQ(down, 4);
    form.Hide();
}

namespace {

// The hint shown after the pointer rests on a point of the control (the hint
// pause made short), or "" when none shows within a while.
std::string HintAfterRestingOn(TControl &control, TPoint p)
{
    Application().CancelHint();
    SimulateMouseMove(control, p);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < until && Application().ShownHint().empty()) {
        ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return Application().ShownHint();
}

} // namespace

// A button, check box or radio button shows its own hint, though its widget
// leaves the plain moves to the window under it, which has a hint of its own.
TEST(ChoiceControls, ButtonsOnAPanelShowTheirOwnHint)
{
    const int savedPause = Application().HintPause();
    Application().SetHintPause(20);
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    TPanel panel(&form);
    panel.SetParent(&form);
    panel.SetBounds(0, 0, 300, 200);
    panel.SetHint("panel");
    panel.SetShowHint(true);
    TButton button(&form);
    TCheckBox check(&form);
    TRadioButton radio(&form);
    int top = 10;
    for (TControl *c : std::initializer_list<TControl *>{&button, &check, &radio}) {
        c->SetParent(&panel);
        c->SetBounds(10, top, 120, 24);
        c->SetHint(c == &button ? "button" : c == &check ? "check" : "radio");
        c->SetShowHint(true);
        top += 40;
    }
    ASSERT_TRUE(SimulateActivation(form));
    EXPECT_EQ(HintAfterRestingOn(button, TPoint{60, 12}), "button");
    EXPECT_EQ(HintAfterRestingOn(check, TPoint{60, 12}), "check");
    EXPECT_EQ(HintAfterRestingOn(radio, TPoint{60, 12}), "radio");
    EXPECT_EQ(HintAfterRestingOn(panel, TPoint{200, 150}), "panel");
    Application().CancelHint();
    Application().SetHintPause(savedPause);
    form.Hide();
}

// A number, date or text-and-list box shows its hint over its text as over its
// arrows; text fields keep the text cursor, and typing there still reaches them once.
TEST(ChoiceControls, EditBoxesShowTheirHintOverTheirTextAndKeepTheTextCursor)
{
    const int savedPause = Application().HintPause();
    Application().SetHintPause(20);
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 260);
    TSpinEdit spin(&form);
    TComboBox combo(&form);
    TDateTimePicker picker(&form);
    TEdit edit(&form);
    TMemo memo(&form);
    int top = 10;
    for (TControl *c : std::initializer_list<TControl *>{&spin, &combo, &picker, &edit, &memo}) {
        c->SetParent(&form);
        c->SetBounds(10, top, 120, 22);
        top += 40;
    }
    int i = 0;
    for (TControl *c : std::initializer_list<TControl *>{&spin, &combo, &picker}) {
        c->SetHint("box " + std::to_string(++i) + "|the long words");
        c->SetShowHint(true);
    }
    ASSERT_TRUE(SimulateActivation(form));
    EXPECT_EQ(HintAfterRestingOn(spin, TPoint{114, 5}), "box 1");
    EXPECT_EQ(HintAfterRestingOn(spin, TPoint{8, 11}), "box 1");
    EXPECT_EQ(Application().Hint(), "the long words");
    EXPECT_EQ(HintAfterRestingOn(combo, TPoint{8, 11}), "box 2");
    EXPECT_EQ(HintAfterRestingOn(picker, TPoint{8, 11}), "box 3");
    for (TControl *c : std::initializer_list<TControl *>{&spin, &combo, &edit, &memo}) {
        SimulateMouseMove(*c, TPoint{8, 11});
        EXPECT_EQ(ShownCursor(*c, TPoint{8, 11}), crIBeam) << c->Hint();
    }
    SimulateClick(combo, TPoint{8, 11});
    SimulateTyping("ab");
    EXPECT_EQ(combo.Text(), "ab");
    Application().CancelHint();
    Application().SetHintPause(savedPause);
    form.Hide();
}

// A list that fits its items drops down as wide as its longest item needs,
// within the screen; otherwise it is as wide as the box.
TEST(ChoiceControls, AComboListCanBeAsWideAsItsLongestItem)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    TComboBox combo(&form);
    combo.SetBounds(10, 10, 100, 22);
    combo.SetParent(&form);
    const std::string longest = "Longer Family Name Condensed Semibold";
    combo.SetItems({"Sans", longest, "Serif"});
    ASSERT_TRUE(SimulateActivation(form));
    TBitmap measure(1, 1);
    measure.Canvas().Font().Assign(combo.Font());
    const int needed = measure.Canvas().TextWidth(longest);
    ASSERT_GT(needed, combo.Width());

    auto droppedByTheArrow = [&] {
        SimulateClick(combo, TPoint{combo.Width() - 6, combo.Height() / 2});
        ProcessMessages();
        const TRect list = combo.DroppedRect();
        combo.SetDroppedDown(false);
        ProcessMessages();
        return list;
    };
    EXPECT_LT(droppedByTheArrow().Width(), needed);
    combo.SetListFitsItems(true);
    TRect list = droppedByTheArrow();
    EXPECT_GE(list.Width(), needed);

    // A name longer than the screen is wide is cut at the screen's width.
    combo.AddItem(std::string(400, 'W'));
    list = droppedByTheArrow();
    EXPECT_GT(list.Width(), needed);
    EXPECT_GE(list.Left, 0);
    EXPECT_LE(list.Right, Screen().Width());
    EXPECT_FALSE(combo.DroppedDown());
    form.Hide();
}
