#include "report/RpExpr.h"

#include <gtest/gtest.h>

#include "platform/core/DateTime.h"
#include "platform/core/Encoding.h"
#include "platform/services/DesktopServices.h"

namespace {

TRpValue Eval(std::string_view text)
{
    TRpEvaluator evaluator;
    evaluator.Prepare(text);
    return evaluator.Evaluate();
}

::testing::AssertionResult IsInt(const TRpValue &value, int expected)
{
    if (value.Kind == rpvInteger && value.IntValue == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "kind " << int(value.Kind) << " int " << value.IntValue << " float "
                                         << value.FloatValue << " text \"" << value.Text << "\"";
}

::testing::AssertionResult IsFloat(const TRpValue &value, double expected)
{
    if (value.Kind == rpvFloat && value.FloatValue == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "kind " << int(value.Kind) << " float " << value.FloatValue
                                         << " text \"" << value.Text << "\"";
}

::testing::AssertionResult IsText(const TRpValue &value, TRpValueKind kind, std::string_view expected)
{
    if (value.Kind == kind && value.Text == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "kind " << int(value.Kind) << " text \"" << value.Text << "\"";
}

::testing::AssertionResult IsString(const TRpValue &value, std::string_view expected)
{
    return IsText(value, rpvString, expected);
}

::testing::AssertionResult IsError(const TRpValue &value, std::string_view expected)
{
    return IsText(value, rpvError, expected);
}

::testing::AssertionResult IsBool(const TRpValue &value, bool expected)
{
    if (value.Kind == rpvBoolean && value.BoolValue == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "kind " << int(value.Kind) << " text \"" << value.Text << "\"";
}

} // namespace

TEST(RpExprOperators, IntegerFloatAndMixedArithmetic)
{
    EXPECT_TRUE(IsInt(Eval("2+3"), 5));
    EXPECT_TRUE(IsInt(Eval("2-3"), -1));
    EXPECT_TRUE(IsInt(Eval("4*3"), 12));
    EXPECT_TRUE(IsFloat(Eval("7 / 2"), 3.5));
    EXPECT_TRUE(IsFloat(Eval("6 / 3"), 2.0));
    EXPECT_TRUE(IsFloat(Eval("1.5+1"), 2.5));
    EXPECT_TRUE(IsFloat(Eval("1+1.5"), 2.5));
    EXPECT_TRUE(IsFloat(Eval("2.5-0.5"), 2.0));
    EXPECT_TRUE(IsFloat(Eval("2*1.5"), 3.0));
    EXPECT_TRUE(IsFloat(Eval("3/1.5"), 2.0));
    EXPECT_TRUE(IsError(Eval("1/0"), "Cannot divide by 0"));
    EXPECT_TRUE(IsError(Eval("1.5/0.0"), "Cannot divide by 0"));
    EXPECT_TRUE(IsError(Eval("1.5/0"), "Cannot divide by 0"));
    EXPECT_TRUE(IsInt(Eval("6 or 1"), 7));
    EXPECT_TRUE(IsInt(Eval("6 AND 3"), 2));
    EXPECT_TRUE(IsError(Eval("1.5 or 1"), "Operator OR is not compatible with numeric expressions"));
    EXPECT_TRUE(IsError(Eval("1.5 and 1.5"), "Operator AND is not compatible with numeric expressions"));
}

TEST(RpExprOperators, StringsAndBooleans)
{
    EXPECT_TRUE(IsString(Eval("'ab'+'cd'"), "abcd"));
    // Other kind pairs compare and combine as texts.
    EXPECT_TRUE(IsString(Eval("1+'a'"), "1a"));
    EXPECT_TRUE(IsString(Eval("'a'+1.5"), "a1.5"));
    EXPECT_TRUE(IsString(Eval("TRUE+'x'"), "Truex"));
    EXPECT_TRUE(IsBool(Eval("'10'=10"), true));
    EXPECT_TRUE(IsError(Eval("'a'-'b'"), "Cannot subtract string expressions"));
    EXPECT_TRUE(IsError(Eval("'a'*'b'"), "Cannot multiply string expressions"));
    EXPECT_TRUE(IsError(Eval("'a'/'b'"), "Cannot divide string expressions"));
    EXPECT_TRUE(IsError(Eval("'a' or 'b'"), "Operator OR is not compatible with string expressions"));
    EXPECT_TRUE(IsError(Eval("'a' and 'b'"), "Operator AND is not compatible with string expressions"));
    EXPECT_TRUE(IsError(Eval("TRUE+TRUE"), "Cannot add boolean expressions"));
    EXPECT_TRUE(IsError(Eval("TRUE-TRUE"), "Cannot subtract boolean expressions"));
    EXPECT_TRUE(IsError(Eval("TRUE*TRUE"), "Cannot multiply boolean expressions"));
    EXPECT_TRUE(IsError(Eval("TRUE/TRUE"), "Cannot divide boolean expressions"));
    EXPECT_TRUE(IsBool(Eval("TRUE or FALSE"), true));
    EXPECT_TRUE(IsBool(Eval("TRUE and FALSE"), false));
    EXPECT_TRUE(IsBool(Eval("TRUE=TRUE"), true));
    EXPECT_TRUE(IsBool(Eval("TRUE<>FALSE"), true));
    EXPECT_TRUE(IsError(Eval("TRUE<FALSE"), "Operator < is not compatible with boolean expressions"));
    EXPECT_TRUE(IsError(Eval("TRUE<=FALSE"), "Operator <= is not compatible with boolean expressions"));
    EXPECT_TRUE(IsError(Eval("TRUE>FALSE"), "Operator > is not compatible with boolean expressions"));
    EXPECT_TRUE(IsError(Eval("TRUE>=FALSE"), "Operator >= is not compatible with boolean expressions"));
}

TEST(RpExprOperators, Comparisons)
{
    EXPECT_TRUE(IsBool(Eval("1<2"), true));
    EXPECT_TRUE(IsBool(Eval("2<=2"), true));
    EXPECT_TRUE(IsBool(Eval("1>2"), false));
    EXPECT_TRUE(IsBool(Eval("2>=3"), false));
    EXPECT_TRUE(IsBool(Eval("2=2.0"), true));
    EXPECT_TRUE(IsBool(Eval("2<>2"), false));
    EXPECT_TRUE(IsBool(Eval("1.5<2"), true));
    EXPECT_TRUE(IsBool(Eval("1.5<2.5"), true));
    EXPECT_TRUE(IsBool(Eval("2.5<=2.5"), true));
    EXPECT_TRUE(IsBool(Eval("1.5>2.5"), false));
    EXPECT_TRUE(IsBool(Eval("2.5>=2.5"), true));
    EXPECT_TRUE(IsBool(Eval("2.5=2.5"), true));
    EXPECT_TRUE(IsBool(Eval("2.5<>2.5"), false));
    EXPECT_TRUE(IsBool(Eval("'abc'<='abd'"), true));
    EXPECT_TRUE(IsBool(Eval("'abc'>='abd'"), false));
    // A number meets a string or a boolean as text.
    EXPECT_TRUE(IsBool(Eval("1.5='1.5'"), true));
    EXPECT_TRUE(IsBool(Eval("TRUE='True'"), true));
    EXPECT_TRUE(IsBool(Eval("TRUE<1"), false));
    // Byte texts: a prefix is smaller, bytes compare unsigned.
    EXPECT_TRUE(IsBool(Eval("'ab'<'abc'"), true));
    EXPECT_TRUE(IsBool(Eval("'b'>'abc'"), true));
    EXPECT_TRUE(IsBool(Eval("'ｱ'>'z'"), true));
    EXPECT_TRUE(IsBool(Eval("'ab'='ab'"), true));
    EXPECT_TRUE(IsBool(Eval("'ab'<>'ab '"), true));
    // A chain of comparisons is not supported.
    EXPECT_EQ(Eval("2 > 1 = TRUE").Kind, rpvError);
    EXPECT_TRUE(IsBool(Eval("(2 > 1) = TRUE"), true));
}

TEST(RpExprOperators, ErrorsPropagateAndBothSidesAreEvaluated)
{
    EXPECT_TRUE(IsError(Eval("1/0 + 'a'"), "Cannot divide by 0"));
    EXPECT_TRUE(IsError(Eval("'a' + 1/0"), "Cannot divide by 0"));
    EXPECT_TRUE(IsError(Eval("FOO(1) = 1/0"), "Unknown function : FOO"));
    EXPECT_TRUE(IsError(Eval("FALSE and (1/0)"), "Cannot divide by 0"));
    // "and" is a term operator: (FALSE and 1) / 0.
    EXPECT_TRUE(IsError(Eval("FALSE and 1/0"), "Operator AND is not compatible with string expressions"));
}

TEST(RpExprOperators, IntegerOverflowGivesAnErrorValue)
{
    EXPECT_TRUE(IsError(Eval("2147483647+1"), "Integer overflow"));
    EXPECT_TRUE(IsError(Eval("INT(-2147483648.0)-1"), "Integer overflow"));
    EXPECT_TRUE(IsError(Eval("65536*65536"), "Integer overflow"));
    EXPECT_TRUE(IsInt(Eval("2147483646+1"), 2147483647));
    EXPECT_TRUE(IsInt(Eval("INT(-2147483648.0)"), INT32_MIN));
}

TEST(RpExprParser, LevelsAndLeftToRightEvaluation)
{
    EXPECT_TRUE(IsInt(Eval("1 + 2 * 3"), 7));
    EXPECT_TRUE(IsInt(Eval("2 * 3 + 1"), 7));
    EXPECT_TRUE(IsInt(Eval("(1 + 2) * 3"), 9));
    EXPECT_TRUE(IsInt(Eval("7 - 2 - 1"), 4));
    EXPECT_TRUE(IsFloat(Eval("8 / 4 / 2"), 1.0));
    EXPECT_TRUE(IsInt(Eval("10 - 2 + 3"), 11));
    EXPECT_TRUE(IsFloat(Eval("8 / 2 * 4"), 16.0));
    // Unary signs keep their meaning and "or" is a sum operator of its own.
    EXPECT_TRUE(IsInt(Eval("10--2"), 12));
    EXPECT_TRUE(IsInt(Eval("10-+2"), 8));
    EXPECT_TRUE(IsInt(Eval("6 - 2 or 1"), 5));
    EXPECT_TRUE(IsInt(Eval("-2+3"), 1));
    EXPECT_TRUE(IsInt(Eval("2*-3"), -6));
    EXPECT_TRUE(IsInt(Eval("- 2 * 3"), -6));
    EXPECT_TRUE(IsInt(Eval("+5"), 5));
    EXPECT_TRUE(IsInt(Eval("1 or -2"), -1));
    EXPECT_TRUE(IsBool(Eval("1 < -2"), false));
    // "or"/"and" need blanks around them.
    EXPECT_EQ(Eval("1or 2").Kind, rpvError);
}

TEST(RpExprParser, NotIsARealNegation)
{
    EXPECT_TRUE(IsBool(Eval("not TRUE"), false));
    EXPECT_TRUE(IsBool(Eval("NOT FALSE"), true));
    EXPECT_TRUE(IsBool(Eval("not(1=2)"), true));
    EXPECT_TRUE(IsBool(Eval("not not TRUE"), true));
    EXPECT_TRUE(IsBool(Eval("not TRUE or TRUE"), true));
    EXPECT_TRUE(IsBool(Eval("not FALSE and FALSE"), false));
    EXPECT_TRUE(IsError(Eval("not 5"), "Invalid use of NOT"));
    EXPECT_TRUE(IsError(Eval("not 'a'"), "Invalid use of NOT"));
    EXPECT_TRUE(IsError(Eval("not (1/0)"), "Cannot divide by 0"));
    // A name that starts with the letters is a name.
    EXPECT_TRUE(IsError(Eval("NOTE"), "Unknown function : NOTE"));
    TRpEvEnvironment environment;
    environment.Define("NOTE", "'memo'");
    environment.Prepare();
    TRpEvaluator evaluator;
    evaluator.SetEnvironment(&environment);
    evaluator.Prepare("NOTE + '!'");
    EXPECT_TRUE(IsString(evaluator.Evaluate(), "memo!"));
    evaluator.Unprepare();
    environment.Unprepare();
}

TEST(RpExprParser, LiteralsAndCompileErrors)
{
    EXPECT_TRUE(IsString(Eval(""), " "));
    EXPECT_TRUE(IsString(Eval("'it''s'"), "it''s"));
    EXPECT_TRUE(IsString(Eval("  'a b'  "), "a b"));
    EXPECT_TRUE(IsError(Eval("'abc"), "Missing '"));
    EXPECT_TRUE(IsError(Eval("'"), "Missing '"));
    EXPECT_TRUE(IsError(Eval("(1+2"), "Missing )"));
    EXPECT_TRUE(IsError(Eval("[field"), "Missing ]"));
    EXPECT_TRUE(IsError(Eval("#"), "Error in expression : #"));
    EXPECT_TRUE(IsError(Eval("1+"), "Illegal character in numeric contant \"1+\""));
    EXPECT_TRUE(IsError(Eval("1 + "), "Error in expression : "));
    EXPECT_TRUE(IsError(Eval("12ab"), "Illegal character in numeric contant \"12ab\""));
    EXPECT_TRUE(IsError(Eval("1.2.3"), "Illegal character in numeric contant \"1.2.3\""));
    EXPECT_TRUE(IsFloat(Eval("1E5"), 100000.0));
    EXPECT_TRUE(IsFloat(Eval("2.5e2"), 250.0));
    EXPECT_TRUE(IsError(Eval("1E-5"), "Illegal character in numeric contant \"1E\""));
    EXPECT_TRUE(IsFloat(Eval("2147483648"), 2147483648.0));
    EXPECT_TRUE(IsInt(Eval("2147483647"), 2147483647));
    EXPECT_TRUE(IsError(Eval("FOO(1)"), "Unknown function : FOO"));
    EXPECT_TRUE(IsError(Eval("foo(1)"), "Unknown function : FOO"));
    EXPECT_TRUE(IsError(Eval("foo"), "Unknown function : FOO"));
    EXPECT_TRUE(IsError(Eval("IF(1"), "Unknown function : "));
    // Beyond the range of a float: an error whose message is cut at 255 bytes.
    TRpValue huge = Eval(std::string(400, '9'));
    EXPECT_EQ(huge.Kind, rpvError);
    EXPECT_EQ(huge.Text.rfind("Illegal character in numeric contant \"999", 0), 0u);
    EXPECT_EQ(huge.Text.size(), 255u);
}

TEST(RpExprParser, DeepNestingIsRefusedNotCrashed)
{
    std::string deep = std::string(3000, '(') + "1" + std::string(3000, ')');
    EXPECT_TRUE(IsError(Eval(deep), "Expression too complex"));
    std::string shallow = std::string(100, '(') + "1" + std::string(100, ')');
    EXPECT_TRUE(IsInt(Eval(shallow), 1));
    EXPECT_EQ(Eval(std::string(5000, '-') + "1").Kind, rpvError);
    EXPECT_EQ(Eval(std::string(3000, '+') + "1").Kind, rpvError);
}

TEST(RpExprEvaluator, MisuseRaises)
{
    TRpEvaluator evaluator;
    EXPECT_THROW(evaluator.Evaluate(), ERpEvalError);
    evaluator.Prepare("1");
    EXPECT_TRUE(IsInt(evaluator.Evaluate(), 1));
    evaluator.Unprepare();
    EXPECT_THROW(evaluator.Evaluate(), ERpEvalError);
    try {
        RpValueToText(TRpValue::Error("boom"));
        FAIL();
    } catch (const ERpEvalError &error) {
        EXPECT_EQ(error.Message(), "Error in expression : boom");
    }
    EXPECT_EQ(RpValueToText(TRpValue::Integer(-3)), "-3");
    EXPECT_EQ(RpValueToText(TRpValue::Float(0.25)), "0.25");
    EXPECT_EQ(RpValueToText(TRpValue::Boolean(false)), "False");
}

TEST(RpExprValues, TextsAreCutAt255Cp932Bytes)
{
    std::string ascii(300, 'a');
    EXPECT_EQ(TRpValue::String(ascii).Text.size(), 255u);
    // 200 double-byte characters are 400 bytes: 127 whole characters fit.
    std::string japanese;
    for (int i = 0; i < 200; ++i)
        japanese += "あ";
    std::string cut = TRpValue::String(japanese).Text;
    EXPECT_EQ(Cp932Length(cut), 254u);
    EXPECT_TRUE(IsValidUtf8(cut));
    EXPECT_EQ(Cp932Length(TRpValue::String("a" + japanese).Text), 255u);
    // Half-width katakana take one byte each.
    std::string kana;
    for (int i = 0; i < 300; ++i)
        kana += "ｱ";
    EXPECT_EQ(Utf8Length(TRpValue::String(kana).Text), 255u);
    EXPECT_EQ(Eval("'" + ascii + "'").Text.size(), 255u);
    EXPECT_EQ(Eval("'" + std::string(200, 'x') + "'+'" + std::string(200, 'y') + "'").Text.size(), 255u);
    EXPECT_EQ(Cp932Length(TRpValue::Error(japanese).Text), 254u);
}

namespace {

class TFixedClock : public TDesktopServices {
public:
    double Now() override { return EncodeDate(2024, 3, 5) + EncodeTime(13, 4, 5, 0); }
};

} // namespace

TEST(RpExprFunctions, LibraryHoldsTheBuiltInsInOrder)
{
    const char *const names[] = {"IF", "STR", "UPPER", "LOWER", "PRETTY", "TIME", "DATE", "COPY", "SUM", "COUNT", "MAX",
                                 "MIN", "AVERAGE", "TRUE", "FALSE", "INT", "FRAC", "SQRT", "DIV", "TYPEOF",
                                 "FORMATNUMERIC"};
    TRpFunctionLibrary &library = FunctionLibrary();
    ASSERT_GE(library.Count(), 21);
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(library.EntryAt(i)->Name, names[i]);
    EXPECT_EQ(library.EntryAt(library.Count()), nullptr);
    EXPECT_EQ(library.EntryAt(0)->Description,
              "IF(<Exp>, <X>, <Y>)|Returns <X> or <Y> depending on the boolean expression <Exp>");
    EXPECT_EQ(library.EntryAt(0)->ArgumentCode, "5BVV");
    EXPECT_EQ(library.Find("div")->Description, "DIV(<X>, <Y>) | Integer division of <X> by <Y>");
    EXPECT_EQ(library.Find("FormatNumeric")->ArgumentCode, "7SN");
    EXPECT_EQ(library.Find("COPY")->Description, "COPY(<X>, <St>,<Len>)|Returns a substring of string X");
}

TEST(RpExprFunctions, IfStrAndTypeOf)
{
    EXPECT_TRUE(IsString(Eval("IF(1<2, 'yes', 'no')"), "yes"));
    EXPECT_TRUE(IsInt(Eval("if(FALSE, 1, 2)"), 2));
    // The unused branch is evaluated too, but its error does not reach the result.
    EXPECT_TRUE(IsInt(Eval("IF(TRUE, 1, 1/0)"), 1));
    EXPECT_TRUE(IsError(Eval("IF(1, 2, 3)"), "Wrong arguments for IF"));
    EXPECT_TRUE(IsError(Eval("IF(TRUE, 2)"), "Wrong arguments for IF"));
    EXPECT_TRUE(IsError(Eval("IF"), "Wrong arguments for IF"));
    EXPECT_TRUE(IsString(Eval("IF(TRUE, 'a,b', 'c')"), "a,b"));
    EXPECT_TRUE(IsInt(Eval("IF(DIV(7, 2) = 3, DIV(9, 3), 0) + 1"), 4));

    EXPECT_TRUE(IsString(Eval("STR(12)"), "12"));
    EXPECT_TRUE(IsString(Eval("STR(1.5)"), "1.5"));
    EXPECT_TRUE(IsString(Eval("STR(TRUE)"), "True"));
    EXPECT_TRUE(IsError(Eval("STR('a')"), "Conversion error"));
    EXPECT_TRUE(IsError(Eval("STR(1/0)"), "Conversion error"));
    EXPECT_TRUE(IsError(Eval("STR(1,2)"), "Conversion error"));

    EXPECT_TRUE(IsString(Eval("TYPEOF(1)"), "INTEGER"));
    EXPECT_TRUE(IsString(Eval("TYPEOF(1.5)"), "FLOAT"));
    EXPECT_TRUE(IsString(Eval("TYPEOF('a')"), "STRING"));
    EXPECT_TRUE(IsString(Eval("TYPEOF(TRUE)"), "BOOLEAN"));
    EXPECT_TRUE(IsString(Eval("TYPEOF(1/0)"), "ERROR"));
    EXPECT_TRUE(IsError(Eval("TYPEOF(1,2)"), "Wrong arguments for TypeOf"));

    EXPECT_TRUE(IsBool(Eval("TRUE()"), true));
    EXPECT_TRUE(IsError(Eval("TRUE(1)"), "Too many arguments"));
    EXPECT_TRUE(IsError(Eval("FALSE(1)"), "Too many arguments"));
}

TEST(RpExprFunctions, Numbers)
{
    EXPECT_TRUE(IsInt(Eval("INT(7)"), 7));
    EXPECT_TRUE(IsInt(Eval("INT(7.9)"), 7));
    EXPECT_TRUE(IsInt(Eval("INT(-7.9)"), -7));
    EXPECT_TRUE(IsError(Eval("INT(3000000000.0)"), "Integer overflow"));
    EXPECT_TRUE(IsError(Eval("INT(1E300*1E300)"), "Integer overflow"));
    EXPECT_TRUE(IsError(Eval("INT('1')"), "Wrong arguments for INT"));
    EXPECT_TRUE(IsError(Eval("INT(1,2)"), "Wrong arguments for INT"));

    EXPECT_TRUE(IsFloat(Eval("FRAC(3)"), 0.0));
    EXPECT_TRUE(IsFloat(Eval("FRAC(2.25)"), 0.25));
    EXPECT_TRUE(IsFloat(Eval("FRAC(-2.25)"), -0.25));
    EXPECT_TRUE(IsError(Eval("FRAC('a')"), ""));

    EXPECT_TRUE(IsFloat(Eval("SQRT(9)"), 3.0));
    EXPECT_TRUE(IsFloat(Eval("SQRT(2.25)"), 1.5));
    EXPECT_TRUE(IsError(Eval("SQRT(-1)"), "Invalid argument to SQRT function"));
    EXPECT_TRUE(IsError(Eval("SQRT('4')"), "Invalid argument to SQRT function"));
    EXPECT_TRUE(IsError(Eval("SQRT(4,1)"), "Invalid argument to SQRT function"));

    EXPECT_TRUE(IsInt(Eval("DIV(7, 2)"), 3));
    EXPECT_TRUE(IsInt(Eval("DIV(-7, 2)"), -3));
    EXPECT_TRUE(IsInt(Eval("DIV(7.5, 2)"), 4));
    EXPECT_TRUE(IsInt(Eval("DIV(6.5, 2)"), 3));
    EXPECT_TRUE(IsError(Eval("DIV(1, 0)"), "Division by Zero"));
    EXPECT_TRUE(IsError(Eval("DIV(1, 0.4)"), "Division by Zero"));
    EXPECT_TRUE(IsError(Eval("DIV(INT(-2147483648.0), -1)"), "Integer overflow"));
    EXPECT_TRUE(IsError(Eval("DIV(1E300, 1)"), "Integer overflow"));
    EXPECT_TRUE(IsError(Eval("DIV('a', 1)"), "Wrong arguments for DIV"));
    EXPECT_TRUE(IsError(Eval("DIV(1)"), "Wrong arguments for DIV"));

    EXPECT_TRUE(IsString(Eval("FORMATNUMERIC('#,##0.00', 1234.5)"), "1,234.50"));
    EXPECT_TRUE(IsString(Eval("FORMATNUMERIC('000', 7)"), "007"));
    EXPECT_TRUE(IsError(Eval("FORMATNUMERIC(1, 7)"), ""));
    EXPECT_TRUE(IsError(Eval("FORMATNUMERIC('0', 'a')"), ""));
}

TEST(RpExprFunctions, TextFunctions)
{
    EXPECT_TRUE(IsString(Eval("UPPER('abc')"), "ABC"));
    EXPECT_TRUE(IsString(Eval("LOWER('AbC')"), "abc"));
    EXPECT_TRUE(IsString(Eval("PRETTY('hELLO wORLD')"), "Hello world"));
    EXPECT_TRUE(IsString(Eval("PRETTY('')"), ""));
    EXPECT_TRUE(IsError(Eval("UPPER()"), "Missing argument for UPPER"));
    EXPECT_TRUE(IsError(Eval("LOWER('a','b')"), "Missing argument for LOWER"));
    EXPECT_TRUE(IsError(Eval("PRETTY()"), "Missing argument for PRETTY"));
    EXPECT_TRUE(IsError(Eval("UPPER(1)"), ""));
    EXPECT_TRUE(IsError(Eval("UPPER(1/0)"), "Cannot divide by 0"));

    EXPECT_TRUE(IsString(Eval("COPY('abcdef', 2, 3)"), "bcd"));
    EXPECT_TRUE(IsString(Eval("COPY('abcdef', 0, 2)"), "ab"));
    EXPECT_TRUE(IsString(Eval("COPY('abcdef', 5, 10)"), "ef"));
    EXPECT_TRUE(IsString(Eval("COPY('abcdef', 7, 1)"), ""));
    EXPECT_TRUE(IsString(Eval("COPY('abcdef', 2, -1)"), ""));
    EXPECT_TRUE(IsString(Eval("COPY('abcdef', -5, 2)"), "ab"));
    EXPECT_TRUE(IsString(Eval("COPY('abc', 2147483647, 2147483647)"), ""));
    EXPECT_TRUE(IsError(Eval("COPY('abc', 1.0, 2)"), ""));
    EXPECT_TRUE(IsError(Eval("COPY('abc', 1)"), ""));
    EXPECT_TRUE(IsError(Eval("COPY(1, 1, 1)"), ""));

    TScopedServices clock(std::make_unique<TFixedClock>());
    EXPECT_TRUE(IsString(Eval("TIME"), "13:04:05"));
    EXPECT_TRUE(IsString(Eval("DATE"), "2024/03/05"));
    EXPECT_TRUE(IsError(Eval("DATE(1)"), ""));
    EXPECT_TRUE(IsError(Eval("TIME(1)"), ""));
}

TEST(RpExprFunctions, DoubleByteTextsWorkOnCp932Bytes)
{
    // "Ｂ" is 0x82 0x61 and "ア" 0x83 0x41: their trail bytes are "a" and "A".
    EXPECT_TRUE(IsString(Eval("UPPER('Ｂbア漢')"), "ＢBア漢"));
    EXPECT_TRUE(IsString(Eval("LOWER('ＢBア')"), "Ｂbア"));
    EXPECT_EQ(Utf8ToCp932("Ｂア"), "\x82\x61\x83\x41");
    EXPECT_TRUE(IsString(Eval("PRETTY('あBC')"), "あbc"));
    EXPECT_TRUE(IsString(Eval("PRETTY('ｱBC')"), "ｱbc"));

    // Bytes: あ=1-2, い=3-4, う=5-6.
    EXPECT_TRUE(IsString(Eval("COPY('あいう', 1, 2)"), "あ"));
    EXPECT_TRUE(IsString(Eval("COPY('あいう', 3, 4)"), "いう"));
    // Starting on a trail byte moves past that character.
    EXPECT_TRUE(IsString(Eval("COPY('あいう', 2, 3)"), "い"));
    EXPECT_TRUE(IsString(Eval("COPY('あいう', 2, 2)"), ""));
    // A count ending on a lead byte is shortened by one.
    EXPECT_TRUE(IsString(Eval("COPY('あいう', 1, 3)"), "あ"));
    EXPECT_TRUE(IsString(Eval("COPY('aあb', 2, 1)"), ""));
    EXPECT_TRUE(IsString(Eval("COPY('aあb', 2, 3)"), "あb"));
    EXPECT_TRUE(IsString(Eval("COPY('ｱｲｳ', 2, 1)"), "ｲ"));
}

TEST(RpExprFunctions, CharactersTheCodePageLacksSurvive)
{
    // "é" and the emoji have no code page 932 bytes: they count as one byte
    // each but must not turn into "?".
    EXPECT_TRUE(IsString(Eval("UPPER('café😀')"), "CAFé😀"));
    EXPECT_TRUE(IsString(Eval("LOWER('CAFÉ')"), "cafÉ"));
    EXPECT_TRUE(IsString(Eval("PRETTY('éCOLE')"), "école"));
    EXPECT_TRUE(IsString(Eval("COPY('é漢a', 1, 1)"), "é"));
    EXPECT_TRUE(IsString(Eval("COPY('é漢a', 2, 3)"), "漢a"));
    EXPECT_TRUE(IsString(Eval("COPY('é漢a', 3, 2)"), "a"));
    EXPECT_TRUE(IsBool(Eval("'😀' = '😁'"), false));
    EXPECT_TRUE(IsBool(Eval("'😀' <> '😁'"), true));
    EXPECT_TRUE(IsBool(Eval("'😀' = '😀'"), true));
    EXPECT_TRUE(IsBool(Eval("'a😀' < 'a😁'"), true));
    // Texts the code page can hold still order by its bytes ("①" is 0x87 0x40,
    // after "あ" 0x82 0xA0, though it comes first in Unicode).
    EXPECT_TRUE(IsBool(Eval("'あ' < '①'"), true));
}

namespace {

// Evaluates one compiled expression across aggregation steps.
class TAggregate {
public:
    explicit TAggregate(std::string_view text)
    {
        environment_.Define("X", "0");
        environment_.Prepare();
        value_ = environment_.FindConstant("X");
        evaluator_.SetEnvironment(&environment_);
        evaluator_.Prepare(text);
    }
    ~TAggregate()
    {
        evaluator_.Unprepare();
        environment_.Unprepare();
    }
    TAggregate &Step(const TRpValue &value)
    {
        TRpEvEnvironment::AssignConstant(value_, value);
        evaluator_.UpdateAggregates();
        return *this;
    }
    TRpValue Value() { return evaluator_.Evaluate(); }
    TRpEvaluator &Evaluator() { return evaluator_; }

private:
    TRpEvEnvironment environment_;
    TRpEvaluator evaluator_;
    TRpEvElement *value_ = nullptr;
};

} // namespace

TEST(RpExprAggregates, SumAverageCount)
{
    TAggregate sum("SUM(X)");
    EXPECT_TRUE(sum.Evaluator().ContainsAggregate());
    EXPECT_TRUE(IsInt(sum.Value(), 0));
    sum.Step(TRpValue::Integer(1)).Step(TRpValue::Integer(2)).Step(TRpValue::Integer(3));
    EXPECT_TRUE(IsInt(sum.Value(), 6));
    EXPECT_TRUE(IsInt(sum.Value(), 6));
    sum.Step(TRpValue::Boolean(true));
    EXPECT_TRUE(IsInt(sum.Value(), 6));
    sum.Step(TRpValue::Float(0.5));
    EXPECT_TRUE(IsFloat(sum.Value(), 6.5));
    sum.Evaluator().Reset();
    EXPECT_TRUE(IsInt(sum.Value(), 0));
    sum.Step(TRpValue::Integer(INT32_MAX)).Step(TRpValue::Integer(1));
    EXPECT_TRUE(IsError(sum.Value(), "Integer overflow"));
    sum.Evaluator().Reset();
    sum.Step(TRpValue::String("a"));
    EXPECT_EQ(sum.Value().Kind, rpvError);
    sum.Evaluator().Reset();
    sum.Step(TRpValue::Integer(1)).Step(TRpValue::String("a")).Step(TRpValue::Integer(1));
    EXPECT_EQ(sum.Value().Kind, rpvError);

    TAggregate average("AVERAGE(X)");
    EXPECT_TRUE(IsInt(average.Value(), 0));
    average.Evaluator().Reset();
    EXPECT_TRUE(IsFloat(average.Value(), 0.0));
    average.Step(TRpValue::Integer(1)).Step(TRpValue::Integer(2)).Step(TRpValue::Integer(3));
    EXPECT_TRUE(IsFloat(average.Value(), 2.0));

    TAggregate count("COUNT");
    EXPECT_TRUE(IsInt(count.Value(), 0));
    count.Step(TRpValue::Integer(0)).Step(TRpValue::Integer(0));
    EXPECT_TRUE(IsInt(count.Value(), 2));
    EXPECT_TRUE(IsInt(count.Value(), 2));
    count.Evaluator().Reset();
    EXPECT_TRUE(IsInt(count.Value(), 0));
    EXPECT_TRUE(IsError(Eval("COUNT(1)"), "COUNT - Too many arguments"));

    // Aggregates inside an expression accumulate together.
    TAggregate ratio("SUM(X) / COUNT");
    ratio.Step(TRpValue::Integer(4)).Step(TRpValue::Integer(8));
    EXPECT_TRUE(IsFloat(ratio.Value(), 6.0));
    EXPECT_FALSE(TAggregate("X + 1").Evaluator().ContainsAggregate());
}

TEST(RpExprAggregates, MaxAndMin)
{
    TAggregate max("MAX(X)");
    TAggregate min("MIN(X)");
    EXPECT_TRUE(IsInt(max.Value(), 0));
    for (bool value : {true, false}) {
        max.Step(TRpValue::Boolean(value));
        min.Step(TRpValue::Boolean(value));
    }
    EXPECT_TRUE(IsBool(max.Value(), true));
    EXPECT_TRUE(IsBool(min.Value(), false));

    max.Evaluator().Reset();
    min.Evaluator().Reset();
    for (int value : {3, 9, -2, 5}) {
        max.Step(TRpValue::Integer(value));
        min.Step(TRpValue::Integer(value));
    }
    EXPECT_TRUE(IsInt(max.Value(), 9));
    EXPECT_TRUE(IsInt(min.Value(), -2));
    // Numbers of the other kind compare numerically; other kinds are passed over.
    max.Step(TRpValue::Float(9.5)).Step(TRpValue::String("zzz"));
    EXPECT_TRUE(IsFloat(max.Value(), 9.5));

    max.Evaluator().Reset();
    for (const char *text : {"b", "abc", "ba"})
        max.Step(TRpValue::String(text));
    EXPECT_TRUE(IsString(max.Value(), "ba"));

    max.Evaluator().Reset();
    max.Step(TRpValue::Error("bad")).Step(TRpValue::Integer(1));
    EXPECT_TRUE(IsError(max.Value(), "bad"));
}

TEST(RpExprEnvironments, DefineValueOfAndConstants)
{
    TRpEvEnvironment environment;
    environment.Define("Total", "1+2");
    environment.Define("TOTAL", "100");
    environment.Define("Double", "total*2");
    EXPECT_EQ(environment.Count(), 2);
    EXPECT_EQ(environment.Names(0), "TOTAL");
    EXPECT_EQ(environment.Expressions(0), "1+2");
    EXPECT_EQ(environment.FindConstant("TOTAL"), nullptr);
    environment.Prepare();
    EXPECT_TRUE(IsInt(environment.ValueOf("total"), 3));
    EXPECT_TRUE(IsInt(environment.ValueOf("DOUBLE"), 6));
    EXPECT_TRUE(IsError(environment.ValueOf("none"), ""));

    // Defining while prepared compiles at once.
    environment.Define("PAGENUMBER", "0");
    environment.Define("REPORTTITLE", "''");
    TRpEvElement *page = environment.FindConstant("PAGENUMBER");
    TRpEvElement *title = environment.FindConstant("REPORTTITLE");
    ASSERT_NE(page, nullptr);
    ASSERT_NE(title, nullptr);
    TRpEvEnvironment::AssignIntegerConstant(page, 7);
    TRpEvEnvironment::AssignStringConstant(title, "Plan");
    TRpEvEnvironment::AssignStringConstant(page, "ignored");
    EXPECT_TRUE(IsInt(environment.ValueOf("PAGENUMBER"), 7));
    EXPECT_TRUE(IsString(environment.ValueOf("REPORTTITLE"), "Plan"));
    TRpEvEnvironment::AssignConstant(title, TRpValue::String("Other"));
    TRpEvEnvironment::AssignConstant(page, TRpValue::Float(1.5));
    EXPECT_TRUE(IsString(environment.ValueOf("REPORTTITLE"), "Other"));
    EXPECT_TRUE(IsFloat(environment.ValueOf("PAGENUMBER"), 1.5));

    TRpEvaluator evaluator;
    evaluator.SetEnvironment(&environment);
    evaluator.Prepare("'Page ' + PageNumber");
    EXPECT_TRUE(IsString(evaluator.Evaluate(), "Page 1.5"));
    // Undefining a name used elsewhere leaves no dangling reference.
    environment.Undefine("pagenumber");
    EXPECT_EQ(environment.IndexOf("PAGENUMBER"), -1);
    EXPECT_TRUE(IsError(evaluator.Evaluate(), "Unknown function : PAGENUMBER"));
    evaluator.Unprepare();

    EXPECT_EQ(environment.ExpressionTexts(), (std::vector<std::string>{"1+2", "total*2", "''"}));
    environment.ReadExpressionTexts({"5", "total*3"});
    EXPECT_TRUE(IsInt(environment.ValueOf("TOTAL"), 5));
    EXPECT_TRUE(IsInt(environment.ValueOf("DOUBLE"), 15));
    environment.Unprepare();
    EXPECT_EQ(environment.FindConstant("TOTAL"), nullptr);
    environment.Clear();
    EXPECT_EQ(environment.Count(), 0);
}

TEST(RpExprEnvironments, RecursionIsRefused)
{
    TRpEvEnvironment environment;
    environment.Define("SELF", "SELF+1");
    environment.Define("A", "B");
    environment.Define("B", "A*2");
    environment.Define("OK", "1");
    environment.Prepare();
    EXPECT_TRUE(IsError(environment.ValueOf("SELF"), "Recursive calls not allowed"));
    EXPECT_TRUE(IsError(environment.ValueOf("A"), "Recursive calls not allowed"));
    // The guard is cleared after each evaluation.
    EXPECT_TRUE(IsError(environment.ValueOf("A"), "Recursive calls not allowed"));
    TRpEvaluator evaluator;
    evaluator.SetEnvironment(&environment);
    evaluator.Prepare("OK + OK");
    EXPECT_TRUE(IsInt(evaluator.Evaluate(), 2));
    // Restarting aggregates through a name that uses itself ends.
    evaluator.Prepare("SUM(SELF) + A");
    evaluator.Reset();
    EXPECT_TRUE(IsError(evaluator.Evaluate(), "Recursive calls not allowed"));
    evaluator.Unprepare();
    environment.Unprepare();
}

TEST(RpExprEnvironments, PrepareCountingAndTheGlobalEnvironment)
{
    TRpEvEnvironment environment;
    environment.Define("N", "41+1");
    environment.Prepare();
    environment.Prepare();
    environment.Unprepare();
    EXPECT_TRUE(environment.Prepared());
    EXPECT_TRUE(IsInt(environment.ValueOf("N"), 42));
    environment.Unprepare();
    EXPECT_FALSE(environment.Prepared());
    environment.Unprepare();
    EXPECT_FALSE(environment.Prepared());

    TRpEvEnvironment &global = GetGlobalEnvironment();
    EXPECT_GE(global.IndexOf("APPSTARTTIME"), 0);
    EXPECT_GE(global.IndexOf("AppStartDate"), 0);
    EXPECT_GE(global.IndexOf("APPNAME"), 0);
    TRpEvaluator evaluator;
    evaluator.Prepare("TYPEOF(AppStartDate) + TYPEOF(appstarttime) + TYPEOF(APPNAME)");
    EXPECT_TRUE(global.Prepared());
    EXPECT_TRUE(IsString(evaluator.Evaluate(), "STRINGSTRINGSTRING"));
    evaluator.Prepare("COPY(AppStartDate, 5, 1)");
    EXPECT_TRUE(IsString(evaluator.Evaluate(), "/"));
    // The report's own environment is asked before the global one.
    TRpEvEnvironment mine;
    mine.Define("APPNAME", "'mine'");
    mine.Prepare();
    evaluator.SetEnvironment(&mine);
    evaluator.Prepare("APPNAME");
    EXPECT_TRUE(IsString(evaluator.Evaluate(), "mine"));
    evaluator.Unprepare();
    mine.Unprepare();
}

namespace {

// A data set of one current record held in memory.
class TMemoryDataSet : public TRpDataSet {
public:
    struct Field {
        std::string name;
        TFieldType type;
        std::string text;
        int integer = 0;
        double real = 0;
        bool boolean = false;
    };
    TMemoryDataSet(std::string name, std::vector<Field> fields) : name_(std::move(name)), fields_(std::move(fields)) {}
    std::string Name() const override { return name_; }
    int FieldCount() const override { return static_cast<int>(fields_.size()); }
    std::string FieldName(int index) const override { return fields_[index].name; }
    TFieldType FieldType(int index) const override { return fields_[index].type; }
    std::string FieldAsString(int index) const override { return fields_[index].text; }
    int FieldAsInteger(int index) const override { return fields_[index].integer; }
    double FieldAsFloat(int index) const override { return fields_[index].real; }
    bool FieldAsBoolean(int index) const override { return fields_[index].boolean; }
    Field &operator[](int index) { return fields_[index]; }

private:
    std::string name_;
    std::vector<Field> fields_;
};

} // namespace

TEST(RpExprDataFields, FieldsAreReadInTheCurrentRecord)
{
    TMemoryDataSet orders("Orders", {{"Qty", TFieldType::ftInteger, "", 3},
                                     {"Price", TFieldType::ftCurrency, "", 0, 2.5},
                                     {"Name", TFieldType::ftString, "Pen"},
                                     {"Paid", TFieldType::ftBoolean, "", 0, 0, true},
                                     {"Day", TFieldType::ftDate, "2024/03/05"},
                                     {"Photo", TFieldType::ftBlob, ""}});
    TMemoryDataSet other("Other", {{"Name", TFieldType::ftString, "Ink"}, {"Qty", TFieldType::ftSmallint, "", 9}});
    TRpDataSetList dataSets{&other, &orders};
    auto eval = [&](std::string_view text) {
        TRpEvaluator evaluator;
        evaluator.AssignDataSets(&dataSets);
        evaluator.Prepare(text);
        return evaluator.Evaluate();
    };
    EXPECT_TRUE(IsFloat(eval("[orders.qty] * [Orders.Price]"), 7.5));
    EXPECT_TRUE(IsString(eval("[Name]"), "Ink"));
    EXPECT_TRUE(IsString(eval("[ORDERS.NAME]"), "Pen"));
    EXPECT_TRUE(IsInt(eval("Qty"), 9));
    EXPECT_TRUE(IsBool(eval("[Paid]"), true));
    EXPECT_TRUE(IsString(eval("[Day]"), "2024/03/05"));
    EXPECT_TRUE(IsError(eval("[Photo]"), "Field Photo is of unknown type"));
    EXPECT_TRUE(IsError(eval("[Other.Price]"), "Unknown function : OTHER.PRICE"));
    EXPECT_TRUE(IsError(eval("[Nothing]"), "Unknown function : NOTHING"));

    // The value is read at every evaluation.
    TRpEvaluator evaluator;
    evaluator.AssignDataSets(&dataSets);
    evaluator.Prepare("SUM([Orders.Qty])");
    evaluator.Reset();
    evaluator.UpdateAggregates();
    orders[0].integer = 4;
    evaluator.UpdateAggregates();
    EXPECT_TRUE(IsInt(evaluator.Evaluate(), 7));
}
