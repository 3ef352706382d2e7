#include "platform/DateTimePicker.h"
#include "platform/InputSimulation.h"
#include "platform/Forms.h"
#include "platform/PageControl.h"
#include "platform/RadioGroup.h"
#include "platform/SpinEdit.h"

#include <gtest/gtest.h>

#include <memory>

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

TEST(ChoiceControls, SpinEditArrowKeysStepByTheIncrement)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    TSpinEdit spin(&form);
    spin.SetParent(&form);
    spin.SetBounds(10, 10, 80, 22);
    spin.SetRange(10, 300);
    spin.SetIncrement(10);
    spin.SetValue(64);
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
