#include "controls/ExEdit.h"

#include "tests/TestSupport.h"
#include "platform/core/DateTime.h"
#include "platform/kernel/Forms.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

namespace {

using testing_support::ScopedFakeServices;

struct Fixture {
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    TExEdit *edit = new TExEdit(form.get());
    int validated = 0;
    Fixture(TEditDataType type, const std::string &format)
    {
        edit->SetParent(form.get());
        edit->SetDataType(type);
        edit->SetDataFormat(format);
        edit->OnValidate = [this](TObject *) { ++validated; };
    }
    void Type(const std::string &text) { edit->TextEdited(text); }
    void Enter() { SendMessage(edit, WM_SETFOCUS); }
    void Leave() { SendMessage(edit, WM_KILLFOCUS); }
};

TEST(ExEdit, TypedIntegersAreCleanedOfSeparatorsSignsAndInnerMinus)
{
    Fixture f(dInteger, "###,##0");
    f.Type("1,234");
    EXPECT_EQ(f.edit->AsInteger(), 1234);
    f.Type("-1,234");
    EXPECT_EQ(f.edit->AsInteger(), -1234);
    f.Type("12-3");
    EXPECT_EQ(f.edit->AsInteger(), 123);
    f.Type("\\$99");
    EXPECT_EQ(f.edit->AsInteger(), 99);
    f.Type("");
    EXPECT_EQ(f.edit->AsInteger(), 0);
    // A text that is no number keeps the value before it.
    f.Type("7");
    f.Type("7x");
    EXPECT_EQ(f.edit->AsInteger(), 7);
    f.Type("99999999999");
    EXPECT_EQ(f.edit->AsInteger(), 7);
}

TEST(ExEdit, FloatsAreRoundedToTheFormatsDecimalsAndShownWithThem)
{
    Fixture f(dFloat, "#,##0.00");
    f.Enter();
    f.Type("3.14159");
    EXPECT_DOUBLE_EQ(static_cast<double>(f.edit->AsFloat()), 3.14);
    f.Leave();
    EXPECT_EQ(f.edit->Text(), "3.14");
    f.edit->SetVal(1234.5L);
    EXPECT_EQ(f.edit->Text(), "1,234.50");
    // As an integer the value is truncated and held within the integer's range.
    f.edit->SetVal(-7.9L);
    EXPECT_EQ(f.edit->AsInteger(), -7);
    f.edit->SetVal(1e30L);
    EXPECT_EQ(f.edit->AsInteger(), std::numeric_limits<long long>::max());
    f.edit->SetVal(-1e30L);
    EXPECT_EQ(f.edit->AsInteger(), std::numeric_limits<long long>::min());
}

TEST(ExEdit, ZeroIndicatedShowsANumericZeroAsEmpty)
{
    Fixture f(dInteger, "###0");
    f.edit->SetVal(0LL);
    EXPECT_EQ(f.edit->Text(), "0");
    f.edit->SetZeroIndicated(true);
    f.edit->SetVal(0LL);
    EXPECT_EQ(f.edit->Text(), "");
    EXPECT_EQ(f.edit->AsInteger(), 0);
}

TEST(ExEdit, MonthAndDayTypedLateInTheYearMeanNextYear)
{
    ScopedFakeServices services;
    services->now = EncodeDate(2024, 11, 20) + 0.5;
    Fixture f(dDateTime, "yyyy/mm/dd");
    f.Type("1/15");
    EXPECT_EQ(f.edit->AsDate(), EncodeDate(2025, 1, 15));
    f.Type("11/5");
    EXPECT_EQ(f.edit->AsDate(), EncodeDate(2024, 11, 5));
    f.Type("2024/1/15");
    EXPECT_EQ(f.edit->AsDate(), EncodeDate(2024, 1, 15));
    f.Type("13/45");
    EXPECT_EQ(f.edit->AsDate(), EncodeDate(2024, 1, 15));
    services->now = EncodeDate(2024, 5, 1);
    f.Type("1/15");
    EXPECT_EQ(f.edit->AsDate(), EncodeDate(2024, 1, 15));
    f.edit->SetVal(0.0L);
    EXPECT_EQ(f.edit->Text(), "");
}

// Text typed with an input method on (or pasted) in full-width forms is read
// as its ASCII forms in number and date edits, and kept in text edits.
TEST(ExEdit, FullWidthNumbersAndDatesAreReadAsTheirAsciiForms)
{
    ScopedFakeServices services;
    services->now = EncodeDate(2024, 11, 20) + 0.5;
    Fixture integer(dInteger, "###,##0");
    EXPECT_TRUE(integer.edit->NumericInput());
    integer.Enter();
    integer.Type("－１，２３４");
    EXPECT_EQ(integer.edit->AsInteger(), -1234);
    integer.Leave();
    EXPECT_EQ(integer.edit->Text(), "-1,234");
    integer.Type("１２ー３");
    EXPECT_EQ(integer.edit->AsInteger(), 123);

    Fixture real(dFloat, "##0.00");
    real.Type("１５．２５");
    EXPECT_EQ(real.edit->AsFloat(), 15.25L);

    Fixture date(dDateTime, "yyyy/mm/dd");
    date.Type("２０２４／０１／０５");
    EXPECT_EQ(date.edit->AsDate(), EncodeDate(2024, 1, 5));
    date.Type("１／１５");
    EXPECT_EQ(date.edit->AsDate(), EncodeDate(2025, 1, 15));

    Fixture text(dString, "");
    EXPECT_FALSE(text.edit->NumericInput());
    text.Type("第１期");
    EXPECT_EQ(text.edit->AsString(), "第１期");
}

TEST(ExEdit, OnValidateFiresOnlyWhenTheTextChangedSinceEntering)
{
    Fixture f(dInteger, "###,##0");
    f.edit->SetVal(1234LL);
    f.Enter();
    f.Leave();
    EXPECT_EQ(f.validated, 0);
    f.Enter();
    f.Type("12-3");
    f.Leave();
    EXPECT_EQ(f.validated, 1);
    EXPECT_EQ(f.edit->Text(), "123");
}

TEST(ExEdit, EnterIsSwallowedAndChangingTheTypeClearsTheText)
{
    Fixture f(dString, "");
    f.Type("abc");
    EXPECT_EQ(f.edit->AsString(), "abc");
    EXPECT_EQ(SendMessage(f.edit, WM_KEYDOWN, VK_RETURN), 0);
    f.edit->SetDataType(dInteger);
    EXPECT_EQ(f.edit->Text(), "");
}

TEST(ExEdit, SilentEnableFalseIsReadOnlyPaleAndOutOfTheTabOrderButEnabled)
{
    Fixture f(dString, "");
    f.edit->SetSilentEnable(false);
    EXPECT_TRUE(f.edit->Enabled());
    EXPECT_TRUE(f.edit->ReadOnly());
    EXPECT_FALSE(f.edit->TabStop());
    EXPECT_EQ(f.edit->Color(), 0xFFF0E1u);
    f.edit->SetSilentEnable(true);
    EXPECT_FALSE(f.edit->ReadOnly());
    EXPECT_TRUE(f.edit->TabStop());
}

} // namespace
