#include "platform/core/Exceptions.h"
#include "platform/core/IniFile.h"
#include "platform/core/Registry.h"
#include "platform/core/StringList.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

TEST(IniFile, WritesCreateSectionsAndReplaceKeysWhereTheyStand)
{
    TempDir dir;
    TIniFile ini(dir.File("a.ini"));
    ini.WriteString("Chart", "DateFit", "1");
    ini.WriteInteger("Chart", "ChartSize", 9);
    ini.WriteString("Other", "XSL", "x.xsl");
    EXPECT_EQ(ReadBytes(ini.FileName()), "[Chart]\r\nDateFit=1\r\nChartSize=9\r\n[Other]\r\nXSL=x.xsl\r\n");

    // A changed key is replaced in place, a new key joins the end of its section
    // (before blank lines), and the rest of the file is kept byte for byte.
    WriteBytes(ini.FileName(), "; note\r\n[Chart]\r\nDateFit=1\r\nChartSize=9\r\n\r\n[Other]\r\nXSL=x.xsl\r\n");
    ini.WriteBool("chart", "DATEFIT", false);
    ini.WriteString("Chart", "AutoMove", "1");
    EXPECT_EQ(ReadBytes(ini.FileName()),
              "; note\r\n[Chart]\r\nDATEFIT=0\r\nChartSize=9\r\nAutoMove=1\r\n\r\n[Other]\r\nXSL=x.xsl\r\n");
}

TEST(IniFile, ReadsAreCaseInsensitiveTrimmedAndUnquoted)
{
    TempDir dir;
    std::string path = dir.File("a.ini");
    WriteBytes(path, "[Item]\nItemSize = 12 \r\nName=\"  spaced \"\r\nSingle='x'\r\nHalf=\"x\r\nHex=$10\r\nHex2=0x10\r\nBool=2\r\nEmpty=\r\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("ITEM", "itemsize", 0), 12);
    EXPECT_EQ(ini.ReadString("Item", "Name", ""), "  spaced ");
    EXPECT_EQ(ini.ReadString("Item", "Single", ""), "x");
    EXPECT_EQ(ini.ReadString("Item", "Half", ""), "\"x");
    EXPECT_EQ(ini.ReadInteger("Item", "Hex", 0), 16);
    EXPECT_EQ(ini.ReadInteger("Item", "Hex2", 0), 16);
    EXPECT_TRUE(ini.ReadBool("Item", "Bool", false));
    EXPECT_EQ(ini.ReadString("Item", "Empty", "def"), "");
    EXPECT_EQ(ini.ReadString("Item", "Missing", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("Item", "Name", 7), 7);
    EXPECT_EQ(ini.ReadString("Nowhere", "Name", "def"), "def");
    EXPECT_EQ(TIniFile(dir.File("missing.ini")).ReadString("a", "b", "def"), "def");
}

TEST(IniFile, TextIsCodePage932OnDisk)
{
    TempDir dir;
    TIniFile ini(dir.File("a.ini"));
    ini.WriteString("Chart", "ChartFontName", "ＭＳ ゴシック");
    EXPECT_EQ(ReadBytes(ini.FileName()), "[Chart]\r\nChartFontName=\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E\r\n");
    EXPECT_EQ(ini.ReadString("Chart", "ChartFontName", ""), "ＭＳ ゴシック");
    // "ア" is 0x83 0x41 and "ヂ" 0x83 0x61: the second bytes look like "A" and
    // "a" but are not letters, so the two names never match.
    ini.WriteString("ア", "ソ", "値");
    EXPECT_EQ(ini.ReadString("ア", "ソ", ""), "値");
    EXPECT_EQ(ini.ReadString("ヂ", "ソ", "none"), "none");
    // "ゾ" is 0x83 0x5D: its second byte is no closing bracket, so the section is found again.
    ini.WriteString("ゾ", "a", "1");
    ini.WriteString("ゾ", "b", "2");
    EXPECT_EQ(ini.ReadString("ゾ", "a", ""), "1");
    TStringList sections;
    ini.ReadSections(sections);
    EXPECT_EQ(sections.Count(), 3);
}

TEST(IniFile, AFileHoldingWhatCodePage932LacksIsUtf8UntilItNoLongerDoes)
{
    TempDir dir;
    TIniFile ini(dir.File("a.ini"));
    // "caf?" is what a name with "é" became in code page 932; "￢" is under
    // the second of its two codes.
    const std::string old = "[Chart]\r\nChartFontName=\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E\r\n"
                            "[caf?]\r\nx=1\r\n[Other]\r\nNote=\xEE\xF9\r\n";
    WriteBytes(ini.FileName(), old);
    EXPECT_EQ(ini.ReadString("café", "x", "none"), "none");
    EXPECT_FALSE(ini.SectionExists("café"));
    ini.EraseSection("café");
    EXPECT_EQ(ReadBytes(ini.FileName()), old);

    // The whole file turns to UTF-8 for one value, and every value reads as before.
    ini.WriteString("Other", "XSL", "/home/café/Tarvold.xsl");
    EXPECT_EQ(ReadBytes(ini.FileName()),
              "[Chart]\r\nChartFontName=ＭＳ ゴシック\r\n[caf?]\r\nx=1\r\n[Other]\r\nNote=￢\r\n"
              "XSL=/home/café/Tarvold.xsl\r\n");
    ini.WriteString("계획", "이름", "값");
    TIniFile reread(ini.FileName());
    EXPECT_EQ(reread.ReadString("CHART", "chartfontname", ""), "ＭＳ ゴシック");
    EXPECT_EQ(reread.ReadString("other", "xsl", ""), "/home/café/Tarvold.xsl");
    EXPECT_EQ(reread.ReadString("Other", "Note", ""), "￢");
    EXPECT_EQ(reread.ReadString("계획", "이름", ""), "값");
    EXPECT_EQ(reread.ReadString("caf?", "x", ""), "1");
    TStringList sections;
    reread.ReadSections(sections);
    EXPECT_EQ(sections.Text(), "Chart\r\ncaf?\r\nOther\r\n계획\r\n");

    // Back to code page 932 once nothing needs more ("￢" now under its first code).
    reread.EraseSection("계획");
    reread.WriteString("Other", "XSL", "/x.xsl");
    EXPECT_EQ(ReadBytes(ini.FileName()),
              "[Chart]\r\nChartFontName=\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E\r\n"
              "[caf?]\r\nx=1\r\n[Other]\r\nNote=\x81\xCA\r\nXSL=/x.xsl\r\n");

    // "ﾃｽ" is 0xC3 0xBD in code page 932, which reads as UTF-8 "ý": such a
    // file stays UTF-8. "〜" and "¥" would come back from code page 932 as
    // "～" and "\\".
    TIniFile kana(dir.File("kana.ini"));
    kana.WriteString("S", "k", "ﾃｽ");
    EXPECT_EQ(ReadBytes(kana.FileName()), "[S]\r\nk=ﾃｽ\r\n");
    EXPECT_EQ(kana.ReadString("S", "k", ""), "ﾃｽ");
    kana.WriteString("S", "k", "/home/u/5〜6月/¥");
    EXPECT_EQ(TIniFile(kana.FileName()).ReadString("S", "k", ""), "/home/u/5〜6月/¥");

    // A text editor's UTF-8 file with a byte-order mark keeps it.
    TIniFile edited(dir.File("edited.ini"));
    WriteBytes(edited.FileName(), "\xEF\xBB\xBF[Chart]\r\nChartFontName=｢맑은 고딕｣\r\n");
    EXPECT_EQ(edited.ReadString("Chart", "ChartFontName", ""), "｢맑은 고딕｣");
    edited.WriteInteger("Chart", "ChartSize", 9);
    EXPECT_EQ(ReadBytes(edited.FileName()), "\xEF\xBB\xBF[Chart]\r\nChartFontName=｢맑은 고딕｣\r\nChartSize=9\r\n");
}

TEST(IniFile, SectionsEraseAndDelete)
{
    TempDir dir;
    TIniFile ini(dir.File("a.ini"));
    ini.WriteString("KeepFileNames", "FileName1", "a");
    ini.WriteString("Other", "X", "1");
    ini.WriteString("KeepFileNames", "FileName2", "b");
    TStringList keys;
    ini.ReadSection("keepfilenames", keys);
    EXPECT_EQ(keys.Text(), "FileName1\r\nFileName2\r\n");
    EXPECT_TRUE(ini.ValueExists("Other", "x"));
    ini.EraseSection("KeepFileNames");
    EXPECT_EQ(ReadBytes(ini.FileName()), "[Other]\r\nX=1\r\n");
    ini.DeleteKey("Other", "X");
    EXPECT_EQ(ReadBytes(ini.FileName()), "[Other]\r\n");
    EXPECT_TRUE(ini.SectionExists("other"));
}

TEST(IniFile, AFailedWriteSaysSoAndLeavesTheFile)
{
    TempDir dir;
    TIniFile ini(dir.File("missing-folder/a.ini"));
    EXPECT_THROW(ini.WriteString("a", "b", "c"), EIniFileException);
}

TEST(Registry, KeysAndValuesPersistUnderThePerUserFolder)
{
    testing_support::ScopedFakeServices services;
    TempDir dir;
    services->appData = dir.Path() + "config";
    {
        TRegistry reg;
        EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\Tarvold"));
        ASSERT_TRUE(reg.OpenKey("Software\\Tarvold", true));
        reg.WriteString("Path", "/opt/프로그램/café/");
        reg.WriteString("", "default value");
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Tarvold"));
    EXPECT_EQ(reg.ReadString("Path"), "/opt/프로그램/café/");
    EXPECT_EQ(reg.ReadString(""), "default value");
    EXPECT_EQ(reg.ReadString("Nothing"), "");
    EXPECT_THROW(reg.WriteString("Path", "x"), ERegistryException); // read-only
    reg.SetRootKey(THKey::HKEY_CLASSES_ROOT);
    EXPECT_FALSE(reg.KeyExists("Software\\Tarvold"));
    reg.SetRootKey(THKey::HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey("Software\\Tarvold\\Sub", true));
    EXPECT_TRUE(reg.KeyExists("\\Software"));
    reg.CloseKey();
    EXPECT_TRUE(reg.DeleteKey("Software\\Tarvold"));
    EXPECT_FALSE(reg.KeyExists("Software\\Tarvold\\Sub"));
}
