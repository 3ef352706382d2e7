#include "controls/ExFileNameKeeper.h"
#include "controls/IniGT.h"
#include "platform/core/Menus.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

TEST(IniGT, StringsAreWrappedInHalfWidthCornerBrackets)
{
    TempDir dir;
    TIniGT ini;
    ini.SetFileName(dir.File("Tarvold.ini"));
    ini.WriteString("Chart", "ChartAlignment", "中央");
    EXPECT_EQ(ReadBytes(dir.File("Tarvold.ini")), "[Chart]\r\nChartAlignment=\xA2\x92\x86\x89\x9B\xA3\r\n");
    EXPECT_EQ(ini.ReadString("Chart", "ChartAlignment", "x"), "中央");
    EXPECT_EQ(ini.ReadString("Chart", "Missing", "左寄せ"), "左寄せ");
    EXPECT_EQ(ini.ReadString("Chart", "Missing", ""), "");

    WriteBytes(dir.File("Tarvold.ini"),
               "[S]\r\nquotes=\"\"\r\nbrackets=\xA2\xA3\r\nabcb=\xA2" "abc\xA3\r\nabcq=\"abc\"\r\nopen=\xA2" "abc\r\n"
               "two=ab\r\nkana=\xB1\xB2\r\n");
    EXPECT_EQ(ini.ReadString("S", "quotes", "x"), "");
    EXPECT_EQ(ini.ReadString("S", "brackets", "x"), "");
    EXPECT_EQ(ini.ReadString("S", "abcb", "x"), "abc");
    EXPECT_EQ(ini.ReadString("S", "abcq", "x"), "abc");
    EXPECT_EQ(ini.ReadString("S", "open", "x"), "｢abc");
    EXPECT_EQ(ini.ReadString("S", "two", "x"), "ab");
    // Two characters are counted as characters: "ｱｲ" is two bytes in the file and
    // six in UTF-8, and is neither empty nor cut.
    EXPECT_EQ(ini.ReadString("S", "kana", "x"), "ｱｲ");
}

TEST(IniGT, TypedValuesAndWindowPlacement)
{
    struct Form : TWindowPlacementHolder {
        TWindowPlacement p{0, 1, -1, -1, 10, 20, 810, 620};
        TWindowPlacement GetWindowPlacement() const override { return p; }
        void SetWindowPlacement(const TWindowPlacement &placement) override { p = placement; }
    } form;
    TempDir dir;
    TIniGT ini;
    ini.SetFileName(dir.File("Tarvold.ini"));
    ini.WriteBool("Chart", "DateFit", true);
    ini.WriteInteger("Chart", "ChartFontColor", static_cast<int>(0xFF000008u));
    ini.WriteWindowPlacement("Window", "Form", form);
    EXPECT_EQ(ReadBytes(dir.File("Tarvold.ini")),
              "[Chart]\r\nDateFit=1\r\nChartFontColor=-16777208\r\n[Window]\r\nForm.Flags=0\r\nForm.Show=1\r\n"
              "Form.MaxX=-1\r\nForm.MaxY=-1\r\nForm.X=10\r\nForm.Y=20\r\nForm.XSize=810\r\nForm.YSize=620\r\n");
    EXPECT_EQ(ini.ReadInteger("Chart", "ChartFontColor", 0), static_cast<int>(0xFF000008u));
    EXPECT_TRUE(ini.ReadBool("Chart", "DateFit", false));

    WriteBytes(dir.File("Tarvold.ini"), "[Window]\r\nForm.X=100\r\nForm.XSize=500\r\nForm.Show=3\r\n");
    ini.ReadWindowPlacement("Window", "Form", form);
    EXPECT_EQ(form.p.normalLeft, 100);
    EXPECT_EQ(form.p.normalRight, 500);
    EXPECT_EQ(form.p.normalTop, 20); // missing keys keep the current value
    EXPECT_EQ(form.p.showCmd, 3);
}

TEST(IniGT, AWindowPlacementFromTheFileStaysOnTheScreens)
{
    struct Form : TWindowPlacementHolder {
        TWindowPlacement p{0, 1, -1, -1, 10, 20, 810, 620};
        TWindowPlacement GetWindowPlacement() const override { return p; }
        void SetWindowPlacement(const TWindowPlacement &placement) override { p = placement; }
    } form;
    TempDir dir;
    TIniGT ini;
    ini.SetFileName(dir.File("Tarvold.ini"));
    const std::vector<TRect> screens = ScreenRects();
    ASSERT_FALSE(screens.empty());
    const TRect screen = screens.front();
    auto read = [&](const std::string &text) {
        WriteBytes(dir.File("Tarvold.ini"), "[Window]\r\n" + text);
        ini.ReadWindowPlacement("Window", "Form", form);
        return TRect{form.p.normalLeft, form.p.normalTop, form.p.normalRight, form.p.normalBottom};
    };
    // Sizes at the extremes of the file's integers: no larger than the desktop.
    TRect r = read("Form.X=0\r\nForm.Y=0\r\nForm.XSize=2147483647\r\nForm.YSize=2147483647\r\n");
    EXPECT_EQ(r, screen);
    r = read("Form.X=-2147483648\r\nForm.Y=-2147483648\r\nForm.XSize=2147483647\r\nForm.YSize=2147483647\r\n");
    EXPECT_EQ(r.Width(), screen.Width());
    EXPECT_EQ(r.Height(), screen.Height());
    EXPECT_TRUE(r.Left < screen.Right && r.Right > screen.Left && r.Top < screen.Bottom && r.Bottom > screen.Top);
    // A window wholly off the screens comes back onto the first one.
    r = read("Form.X=100000\r\nForm.Y=-90000\r\nForm.XSize=100300\r\nForm.YSize=-89800\r\n");
    EXPECT_EQ(r, (TRect{screen.Right - 300, screen.Top, screen.Right, screen.Top + 200}));
    // A window partly on a screen keeps its place.
    r = read("Form.X=-50\r\nForm.Y=10\r\nForm.XSize=250\r\nForm.YSize=210\r\n");
    EXPECT_EQ(r, (TRect{-50, 10, 250, 210}));

    // Two screens side by side: the desktop is their union, and a window is
    // kept where any screen shows part of it.
    const std::vector<TRect> two{TRect{0, 0, 1000, 800}, TRect{1000, 0, 1600, 600}};
    TWindowPlacement p;
    p.normalLeft = 1200, p.normalTop = 100, p.normalRight = 1500, p.normalBottom = 400;
    TWindowPlacement fitted = FitPlacementToScreens(p, two);
    EXPECT_EQ(fitted.normalLeft, 1200);
    EXPECT_EQ(fitted.normalBottom, 400);
    p.normalLeft = 1200, p.normalTop = 700, p.normalRight = 1500, p.normalBottom = 750;
    fitted = FitPlacementToScreens(p, two);
    EXPECT_EQ((TRect{fitted.normalLeft, fitted.normalTop, fitted.normalRight, fitted.normalBottom}),
              (TRect{700, 700, 1000, 750}));
    p.normalLeft = 0, p.normalTop = 0, p.normalRight = 5000, p.normalBottom = 5000;
    fitted = FitPlacementToScreens(p, two);
    EXPECT_EQ(fitted.normalRight, 1600);
    EXPECT_EQ(fitted.normalBottom, 800);
    // An empty rectangle is not applied, and is passed on as it is.
    p.normalLeft = 10, p.normalRight = 10;
    EXPECT_EQ(FitPlacementToScreens(p, two).normalRight, 10);
}

TEST(IniGT, BareFileNamesGoToTheDefaultFolder)
{
    TIniGT ini;
    ini.SetDefaultDir(TIniGTDefaultDir::ddNone);
    ini.SetFileName("plain.ini");
    EXPECT_EQ(ini.Path(), "plain.ini");
    ini.SetDefaultDir(TIniGTDefaultDir::ddApplication);
    EXPECT_EQ(ini.Path().substr(ini.Path().size() - 10), "/plain.ini");
    ini.SetFileName("/etc/x/a.ini");
    EXPECT_EQ(ini.Path(), "/etc/x/a.ini");
}

namespace {
std::vector<std::string> Captions(TMenuItem &menu)
{
    std::vector<std::string> captions;
    for (int i = 0; i < menu.Count(); ++i)
        captions.push_back(menu.Items(i)->Caption());
    return captions;
}
} // namespace

TEST(ExFileNameKeep, MostRecentFirstSixAtMostOneSeparator)
{
    TComponent form;
    auto *reopen = new TMenuItem(&form);
    TExFileNameKeep keep(&form);
    keep.AddFileName("ignored without a parent menu");
    keep.SetParentMenu(reopen);
    EXPECT_EQ(reopen->Count(), 0);
    for (const char *name : {"a", "b", "c"})
        keep.AddFileName(name);
    EXPECT_EQ(Captions(*reopen), (std::vector<std::string>{"-", "c", "b", "a"}));
    keep.AddFileName("a"); // already listed: moves to the front, no new item
    EXPECT_EQ(Captions(*reopen), (std::vector<std::string>{"-", "a", "c", "b"}));
    for (const char *name : {"d", "e", "f", "g"})
        keep.AddFileName(name);
    EXPECT_EQ(Captions(*reopen), (std::vector<std::string>{"-", "g", "f", "e", "d", "a", "c"}));
    keep.AddFileName("");
    EXPECT_EQ(reopen->Count(), 7);

    std::string chosen;
    keep.OnSelect = [&](const std::string &name) { chosen = name; };
    reopen->Items(3)->Click();
    EXPECT_EQ(chosen, "e");
}

TEST(ExFileNameKeep, AnAmpersandInAPathIsShownAsItIsAndNoAccessKey)
{
    TComponent form;
    auto *reopen = new TMenuItem(&form);
    TExFileNameKeep keep(&form);
    keep.SetParentMenu(reopen);
    keep.AddFileName("/home/r&d/plan&&1.xml");
    // A menu shows "&&" as one "&"; a single "&" would underline the next letter.
    EXPECT_EQ(Captions(*reopen), (std::vector<std::string>{"-", "/home/r&&d/plan&&&&1.xml"}));
    EXPECT_EQ(keep.Entry(0), "/home/r&d/plan&&1.xml");
    std::string chosen;
    keep.OnSelect = [&](const std::string &name) { chosen = name; };
    reopen->Items(1)->Click();
    EXPECT_EQ(chosen, "/home/r&d/plan&&1.xml");
}

TEST(ExFileNameKeep, LoadsAndSavesTheSection)
{
    TempDir dir;
    std::string path = dir.File("Tarvold.ini");
    WriteBytes(path, "[Other]\r\nX=1\r\n[KeepFileNames]\r\nFileName1=/d/a.xml\r\nFileName2=/d/b.xml\r\n");
    {
        TComponent form;
        auto *reopen = new TMenuItem(&form);
        TExFileNameKeep keep;
        keep.SetParentMenu(reopen);
        keep.LoadFromIni(path);
        EXPECT_EQ(keep.Entry(0), "/d/a.xml");
        EXPECT_EQ(keep.Entry(1), "/d/b.xml");
        keep.AddFileName("/d/c.xml");
        // The menu is freed before the keeper here; the keeper must not touch it.
    }
    EXPECT_EQ(ReadBytes(path), "[Other]\r\nX=1\r\n[KeepFileNames]\r\nFileName1=/d/c.xml\r\nFileName2=/d/a.xml\r\n"
                               "FileName3=/d/b.xml\r\nFileName4=\r\nFileName5=\r\nFileName6=\r\n");
}

TEST(IniGT, ACodePage932FileIsWrittenAsBefore)
{
    TempDir dir;
    const std::string path = dir.File("Tarvold.ini");
    // As an earlier version wrote it, with a hand-made comment, a bare line
    // feed and "￢" under the second of its two codes (0xEEF9; written from
    // the text it would be 0x81CA).
    WriteBytes(path, "; \x83\x81\x83\x82\r\n[Chart]\r\nChartFontName=\xA2\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E\xA3\r\n"
                     "ChartAlignment=\xA2\x92\x86\x89\x9B\xA3\r\n\r\n[Other]\nNote=\xEE\xF9\r\n"
                     "DateIniDir=\xA2/home/\x83\x86\x81\x5B\x83\x55\x81\x5B/\xA3\r\n"
                     "[KeepFileNames]\r\nFileName1=/home/\x8C\x76\x89\xE6/a.xml\r\n");
    {
        TIniGT ini;
        ini.SetFileName(path);
        EXPECT_EQ(ini.ReadString("Chart", "ChartFontName", ""), "ＭＳ ゴシック");
        EXPECT_EQ(ini.ReadString("chart", "chartalignment", ""), "中央");
        EXPECT_EQ(ini.ReadString("Other", "DateIniDir", ""), "/home/ユーザー/");
        EXPECT_EQ(ini.IniFile().ReadString("Other", "Note", ""), "￢");
        TComponent form;
        auto *reopen = new TMenuItem(&form);
        TExFileNameKeep keep(&form);
        keep.SetParentMenu(reopen);
        keep.LoadFromIni(path);
        EXPECT_EQ(keep.Entry(0), "/home/計画/a.xml");
        ini.WriteString("Chart", "ChartAlignment", "右寄せ");
        ini.WriteInteger("CHART", "ChartSize", 9);
        ini.WriteString("Item", "ItemFontName", "ＭＳ 明朝");
        ini.WriteString("Other", "DateIniDir", "/home/ユーザー/");
        keep.AddFileName("/home/計画/b.xml");
    }
    // Changed lines in place, a new key before the blank line, a new section
    // at the end and every other line's bytes as they were.
    EXPECT_EQ(ReadBytes(path),
              "; \x83\x81\x83\x82\r\n[Chart]\r\nChartFontName=\xA2\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E\xA3\r\n"
              "ChartAlignment=\xA2\x89\x45\x8A\xF1\x82\xB9\xA3\r\nChartSize=9\r\n\r\n[Other]\r\nNote=\xEE\xF9\r\n"
              "DateIniDir=\xA2/home/\x83\x86\x81\x5B\x83\x55\x81\x5B/\xA3\r\n"
              "[Item]\r\nItemFontName=\xA2\x82\x6C\x82\x72 \x96\xBE\x92\xA9\xA3\r\n"
              "[KeepFileNames]\r\nFileName1=/home/\x8C\x76\x89\xE6/b.xml\r\nFileName2=/home/\x8C\x76\x89\xE6/a.xml\r\n"
              "FileName3=\r\nFileName4=\r\nFileName5=\r\nFileName6=\r\n");
}

TEST(IniGT, StringsAndRecentFilesCodePage932LacksSurviveARestart)
{
    TempDir dir;
    const std::string path = dir.File("Tarvold.ini");
    const std::vector<std::string> recent{"/home/u/계획/plan.xml", "/home/u/café/plan.xml", "/home/u/5〜6月/plan.xml"};
    {
        TIniGT ini;
        ini.SetFileName(path);
        ini.WriteString("Chart", "ChartFontName", "맑은 고딕");
        ini.WriteString("Chart", "ChartAlignment", "中央");
        ini.WriteString("Other", "XSL", "/home/café/Tarvold.xsl");
        TComponent form;
        auto *reopen = new TMenuItem(&form);
        TExFileNameKeep keep(&form);
        keep.SetParentMenu(reopen);
        keep.LoadFromIni(path);
        for (auto name = recent.rbegin(); name != recent.rend(); ++name)
            keep.AddFileName(*name);
    }
    // The corner brackets are those of UTF-8 (U+FF62, U+FF63) in a UTF-8 file.
    EXPECT_NE(ReadBytes(path).find("ChartAlignment=｢中央｣\r\n"), std::string::npos);
    TIniGT ini;
    ini.SetFileName(path);
    EXPECT_EQ(ini.ReadString("Chart", "ChartFontName", ""), "맑은 고딕");
    EXPECT_EQ(ini.ReadString("Chart", "ChartAlignment", ""), "中央");
    EXPECT_EQ(ini.ReadString("Other", "XSL", ""), "/home/café/Tarvold.xsl");
    TComponent form;
    auto *reopen = new TMenuItem(&form);
    TExFileNameKeep keep(&form);
    keep.SetParentMenu(reopen);
    keep.LoadFromIni(path);
    for (size_t i = 0; i < recent.size(); ++i)
        EXPECT_EQ(keep.Entry(static_cast<int>(i)), recent[i]);
    EXPECT_EQ(Captions(*reopen)[1], recent[0]);
}
