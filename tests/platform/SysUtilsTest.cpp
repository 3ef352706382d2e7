#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(SysUtils, RoundingIsHalfToEven)
{
    EXPECT_EQ(RoundHalfEven(0.5L), 0);
    EXPECT_EQ(RoundHalfEven(1.5L), 2);
    EXPECT_EQ(RoundHalfEven(2.5L), 2);
    EXPECT_EQ(RoundHalfEven(-0.5L), 0);
    EXPECT_EQ(RoundHalfEven(-1.5L), -2);
    EXPECT_EQ(RoundHalfEven(2.5000001L), 3);
}

TEST(SysUtils, IntegersInDecimalAndHex)
{
    EXPECT_EQ(StrToInt(" 42 "), 42);
    EXPECT_EQ(StrToInt("-7"), -7);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("0x1f"), 31);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("0xFF000008"), static_cast<int>(0xFF000008u));
    EXPECT_EQ(StrToIntDef("12a", 5), 5);
    EXPECT_EQ(StrToIntDef("", 5), 5);
    EXPECT_EQ(StrToIntDef("2147483648", 5), 5);
    EXPECT_THROW(StrToInt("1.5"), EConvertError);
}

TEST(SysUtils, RealsUseAPointWhateverTheLocale)
{
    EXPECT_EQ(StrToFloat("1.5"), 1.5L);
    EXPECT_EQ(StrToFloat("-2e3"), -2000.0L);
    EXPECT_THROW(StrToFloat("1,5"), EConvertError);
    EXPECT_EQ(StrToFloat("1."), 1.0L);
    EXPECT_THROW(StrToFloat("."), EConvertError);
    EXPECT_THROW(StrToFloat("inf"), EConvertError);
}

TEST(SysUtils, GeneralFloatFormat)
{
    EXPECT_EQ(FloatToStr(0), "0");
    EXPECT_EQ(FloatToStr(1.18L), "1.18");
    EXPECT_EQ(FloatToStr(45292.5L), "45292.5");
    EXPECT_EQ(FloatToStr(-0.25L), "-0.25");
    EXPECT_EQ(FloatToStr(0.1L + 0.2L), "0.3");
    EXPECT_EQ(FloatToStr(1.0L / 3), "0.333333333333333");
    EXPECT_EQ(FloatToStr(1e20L), "1E20");
    EXPECT_EQ(FloatToStr(1.5e-6L), "1.5E-6");
    EXPECT_EQ(FloatToStr(0.00001L), "0.00001");
    EXPECT_EQ(FloatToStr(123456789012345.0L), "123456789012345");
    EXPECT_EQ(FloatToStr(1234567890123456.0L), "1.23456789012346E15");
}

TEST(SysUtils, FormatMasks)
{
    EXPECT_EQ(FormatFloat("0.00", 1.18L), "1.18");
    EXPECT_EQ(FormatFloat("0.00", 2), "2.00");
    EXPECT_EQ(FormatFloat("0.00", 0.125L), "0.13"); // halves away from zero on the decimal form
    EXPECT_EQ(FormatFloat("0.00", -0.125L), "-0.13");
    EXPECT_EQ(FormatFloat("0.00", -0.001L), "0.00");
    EXPECT_EQ(FormatFloat("#,##0", 1234567), "1,234,567");
    EXPECT_EQ(FormatFloat("#,##0", 0), "0");
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5L), "1,234.50");
    EXPECT_EQ(FormatFloat("0", 2.5L), "3");
    EXPECT_EQ(FormatFloat("#.##", 0.5L), ".5");
    EXPECT_EQ(FormatFloat("0.0#", 1.5L), "1.5");
    EXPECT_EQ(FormatFloat("0.0#", 1.567L), "1.57");
    EXPECT_EQ(FormatFloat("00", 7), "07");
    EXPECT_EQ(FormatFloat("0\"%\"", 50), "50%");
    EXPECT_EQ(FormatFloat("0;(0);zero", -5), "(5)");
    EXPECT_EQ(FormatFloat("0;(0);zero", 0), "zero");
    EXPECT_EQ(FormatFloat("0.00E+00", 12345), "1.23E+04");
    EXPECT_EQ(FormatFloat("", 12.5L), "12.5");
}

TEST(SysUtils, PathsAndAtomicWrites)
{
    EXPECT_EQ(ExtractFilePath("/a/b/c.xml"), "/a/b/");
    EXPECT_EQ(ExtractFileName("/a/b/c.xml"), "c.xml");
    EXPECT_EQ(ExtractFileExt("/a/b.d/c"), "");
    EXPECT_EQ(ChangeFileExt("/a/b/c.xml", ".ini"), "/a/b/c.ini");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");

    testing_support::TempDir dir;
    std::string path = dir.File("out.txt");
    WriteFileAtomically(path, "first");
    WriteFileAtomically(path, "second");
    EXPECT_EQ(testing_support::ReadBytes(path), "second");
    // A write into a missing folder fails with the reason and creates nothing.
    EXPECT_THROW(WriteFileAtomically(dir.File("missing/out.txt"), "x"), EFCreateError);
    EXPECT_TRUE(RenameFile(path, dir.File("moved.txt")));
    EXPECT_FALSE(FileExists(path));
    WriteFileAtomically(path, "again");
    EXPECT_FALSE(RenameFile(path, dir.File("moved.txt"))); // never replaces a file
}

TEST(SysUtils, AFileWrittenInPiecesTakesThePlaceOfTheOldOneOnlyWhenCommitted)
{
    testing_support::TempDir dir;
    const std::string path = dir.File("doc.txt");
    WriteFileAtomically(path, "old");
    auto folderEntries = [&] {
        return std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator());
    };
    {
        TAtomicFileWriter file(path);
        file.Write("new ");
        file.Write("text");
        EXPECT_EQ(testing_support::ReadBytes(path), "old");
    }  // given up: the temporary file goes
    EXPECT_EQ(testing_support::ReadBytes(path), "old");
    EXPECT_EQ(folderEntries(), 1);

    TAtomicFileWriter file(path);
    file.Write(std::string(100000, 'x'));
    file.Restart();  // written again from the start, shorter
    file.Write("short");
    file.Commit();
    EXPECT_EQ(testing_support::ReadBytes(path), "short");
    EXPECT_EQ(folderEntries(), 1);
    EXPECT_THROW(file.Write("more"), EFCreateError);  // a committed file takes no more
}

TEST(SysUtils, HalfWidthFormsTurnsFullWidthAsciiFormsAndLookAlikesIntoAscii)
{
    EXPECT_EQ(HalfWidthForms("０１２３４５６７８９"), "0123456789");
    EXPECT_EQ(HalfWidthForms("２０２４／０１／０５"), "2024/01/05");
    EXPECT_EQ(HalfWidthForms("－１　２−３ー４"), "-1 2-3-4");
    EXPECT_EQ(HalfWidthForms("￥１，２００．５０"), "\\1,200.50");
    EXPECT_EQ(HalfWidthForms("ＡＢｃ～！"), "ABc~!");
    // Everything else stays byte for byte, a broken sequence too.
    EXPECT_EQ(HalfWidthForms("工程 ｱｲ 12 あ"), "工程 ｱｲ 12 あ");
    EXPECT_EQ(HalfWidthForms("\xEF\xBC"), "\xEF\xBC");
    EXPECT_EQ(HalfWidthForms("\xEF\xBC\x31\xEF\xBC\x91"), "\xEF\xBC\x31" "1");
    EXPECT_EQ(HalfWidthForms(""), "");
}
