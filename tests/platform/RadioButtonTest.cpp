#include "platform/kernel/Forms.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/Memo.h"
#include "platform/widgets/Panel.h"
#include "platform/widgets/RadioButton.h"

#include <gtest/gtest.h>

#include <vector>

TEST(RadioButton, CheckingOneClearsItsSiblingsAndTellsOnlyTheChecked)
{
    TForm form(nullptr);
    auto *other = PlaceControl<TPanel>(&form, 0, 100, 100, 40);
    auto *a = PlaceControl<TRadioButton>(&form, 0, 0, 80, 17);
    auto *b = PlaceControl<TRadioButton>(&form, 0, 20, 80, 17);
    auto *elsewhere = PlaceControl<TRadioButton>(other, 0, 0, 80, 17);
    int clicksA = 0, clicksB = 0;
    a->OnClick = [&](TObject *) { ++clicksA; };
    b->OnClick = [&](TObject *) { ++clicksB; };
    elsewhere->SetChecked(true);
    a->SetChecked(true);
    EXPECT_TRUE(a->Checked());
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(elsewhere->Checked());  // another parent, another group
    b->SetChecked(true);
    EXPECT_EQ(clicksA, 1);
    EXPECT_EQ(clicksB, 1);
    form.ShowForm();
    a->SetChecked(true);
    EXPECT_FALSE(b->Checked());
}

// The radio buttons of one parent are one Tab stop, the checked one (the first
// while none is); the arrows move the focus and the check among them,
// wrapping around, and a click makes the clicked one the stop.
TEST(RadioButton, SiblingsAreOneTabStopAndTheArrowsMoveTheCheck)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto *before = PlaceControl<TEdit>(&form, 10, 10, 80, 21);
    std::vector<TRadioButton *> group;
    for (int i = 0; i < 3; ++i)
        group.push_back(PlaceControl<TRadioButton>(&form, 10, 40 + 20 * i, 80, 17));
    auto *after = PlaceControl<TEdit>(&form, 10, 110, 80, 21);
    std::vector<TRadioButton *> clicked;
    for (TRadioButton *button : group)
        button->OnClick = [&clicked, button](TObject *) { clicked.push_back(button); };
    ASSERT_TRUE(SimulateActivation(form));

    before->SetFocus();
    SimulateKey(VK_TAB);
    ASSERT_EQ(FocusedControl(), group[0]);
    EXPECT_FALSE(group[0]->Checked());
    SimulateKey(VK_TAB);
    EXPECT_EQ(FocusedControl(), after);
    SimulateKey(VK_TAB, ssShift);
    ASSERT_EQ(FocusedControl(), group[0]);
    for (int key : {VK_DOWN, VK_RIGHT, VK_DOWN, VK_UP, VK_LEFT})
        SimulateKey(key);
    EXPECT_EQ(clicked, (std::vector<TRadioButton *>{group[1], group[2], group[0], group[2], group[1]}));
    EXPECT_EQ(FocusedControl(), group[1]);
    EXPECT_TRUE(group[1]->Checked());
    EXPECT_FALSE(group[2]->Checked());
    SimulateKey(VK_TAB);
    EXPECT_EQ(FocusedControl(), after);
    SimulateKey(VK_TAB, ssShift);
    EXPECT_EQ(FocusedControl(), group[1]);

    SimulateClick(*group[2], TPoint{5, 5});
    SimulateClick(*group[2], TPoint{5, 5});
    EXPECT_TRUE(group[2]->Checked()) << "a click on the checked button keeps it checked";
    before->SetFocus();
    SimulateKey(VK_TAB);
    EXPECT_EQ(FocusedControl(), group[2]);
    form.Hide();
}
