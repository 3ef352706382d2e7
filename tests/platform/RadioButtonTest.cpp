#include "platform/kernel/Forms.h"
#include "platform/widgets/Panel.h"
#include "platform/widgets/RadioButton.h"

#include <gtest/gtest.h>

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
