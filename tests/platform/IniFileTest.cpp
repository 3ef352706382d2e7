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
        reg.WriteString("Path", "/opt/tarvold/");
        reg.WriteString("", "default value");
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Tarvold"));
    EXPECT_EQ(reg.ReadString("Path"), "/opt/tarvold/");
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
