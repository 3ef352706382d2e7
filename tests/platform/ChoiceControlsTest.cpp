#include "platform/DateTimePicker.h"
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
