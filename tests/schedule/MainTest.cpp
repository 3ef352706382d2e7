#include "platform/kernel/Application.h"
#include "platform/core/Registry.h"
#include "platform/core/DateTime.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "schedule/Cal.h"
#include "schedule/Main.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "MainFixture.h"
#include "TestBars.h"

TEST(MainWindow, AFreshStartShowsTodaysWeekAndWritesEverySettingAtClose)
{
    TStartup startup;
    {
        TfrmMain form(nullptr, "", false);
        EXPECT_EQ(form.lblItemSuu->Caption(), "項目：0/0");
        EXPECT_EQ(form.stb1->PanelText(0), "本日2024年1月10日(水)");
        EXPECT_EQ(DaysShown, 7);
        EXPECT_EQ(form.FFileName, startup.root + "appdata/Tarvold/Schedule1.xml");
        EXPECT_EQ(form.lblDateHanni->Caption(), "2024/01/10～2024/01/16");
        TCloseAction action = caHide;
        form.FormClose(&form, action);
    }
    std::string ini = ReadFileBytes(startup.root + "appdata/Tarvold/Tarvold.ini");
    for (const char *key : {"Version=\xA2" "1.18\xA3", "HorydayColor=46583551", "ItemDefHeight=50", "CustomTimeScale=7",
                            "ChartFontName=\xA2", "EncodingStrSet=\xA2Shift_JIS\xA3", "PrinterIndex=-1"})
        EXPECT_NE(ini.find(key), std::string::npos) << key;
    EXPECT_LT(ini.find("[Other]"), ini.find("[Window]"));
    EXPECT_LT(ini.find("DateFit"), ini.find("ItemColor"));
}

TEST(MainWindow, OlderSettingsFolderIsMigratedOrDropped)
{
    {
        TStartup startup("Vista");
        ForceDirectories(startup.root + "appdata/Tervold");
        WriteFileAtomically(startup.root + "appdata/Tervold/Tervold.ini", "[Other]\r\nCustomTimeScale=40\r\n");
        TfrmMain form(nullptr, "", false);
        EXPECT_EQ(SettingsDir, startup.root + "appdata/Tarvold/");
        EXPECT_FALSE(DirectoryExists(startup.root + "appdata/Tervold"));
        EXPECT_EQ(CustomTimeScale, 40);
    }
    {
        TStartup startup("Seven");
        ForceDirectories(startup.root + "appdata/Tervold");
        ForceDirectories(startup.root + "appdata/Tarvold");
        WriteFileAtomically(startup.root + "program/Date.ini", "");
        WriteFileAtomically(startup.root + "appdata/Tervold/Tervold.ini", "[Other]\r\nCustomTimeScale=40\r\n");
        TfrmMain form(nullptr, "", false);
        EXPECT_EQ(SettingsDir, startup.root + "appdata/Tarvold/");
        EXPECT_FALSE(FileExists(startup.root + "appdata/Tervold/Tervold.ini"));
        EXPECT_EQ(CustomTimeScale, 7);
    }
}

TEST(MainWindow, SettingsFollowTheProgramFolderNotTheFolderStartedFrom)
{
    TStartup startup;
    const std::string program = startup.root + "program/";
    const std::string perUser = startup.root + "appdata/Tarvold/";
    // A holiday file in the folder the program is started from is no reason
    // to keep the settings there.
    WriteFileAtomically(startup.root + "run/Date.ini", "2024/01/08\r\n");
    {
        TfrmMain form(nullptr, "", false);
        EXPECT_EQ(BaseDir, program);
        EXPECT_EQ(SettingsDir, perUser);
        EXPECT_EQ(DateIniDir, perUser);
        EXPECT_TRUE(HolidayList.empty());
        EXPECT_EQ(XSL, program + "Tarvold.xsl");
    }
    // A writable holiday file beside the program keeps everything there.
    WriteFileAtomically(program + "Date.ini", "2024/01/09\r\n");
    {
        TfrmMain form(nullptr, "", false);
        EXPECT_EQ(SettingsDir, program);
        EXPECT_EQ(DateIniDir, program);
        EXPECT_EQ(HolidayList, std::vector<TDateTime>{EncodeDate(2024, 1, 9)});
    }
    // The registry's "Path" names the program folder over both, taken unchanged.
    ForceDirectories(startup.root + "base");
    WriteFileAtomically(startup.root + "base/Date.ini", "2024/01/08\r\n");
    TRegistry registry;
    registry.SetRootKey(THKey::HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.OpenKey("Software\\Tarvold", true));
    registry.WriteString("Path", startup.root + "base/");
    {
        TfrmMain form(nullptr, "", false);
        EXPECT_EQ(BaseDir, startup.root + "base/");
        EXPECT_EQ(SettingsDir, startup.root + "base/");
        EXPECT_EQ(HolidayList, std::vector<TDateTime>{EncodeDate(2024, 1, 8)});
    }
    // A key without the value leaves the program folder.
    registry.DeleteValue("Path");
    TfrmMain form(nullptr, "", false);
    EXPECT_EQ(BaseDir, program);
}

TEST(MainWindow, WithPerUserSettingsTheHolidaysArePerUserToo)
{
    const std::string ownHolidays = "2024/02/01\r\n";
    TStartup startup("Seven");
    const std::string program = startup.root + "program/";
    const std::string perUser = startup.root + "appdata/Tarvold/";
    // The holidays that come with the program are carried to the settings folder.
    WriteFileAtomically(program + "Date.ini", "2024/01/09\r\n");
    {
        TfrmMain form(nullptr, "", false);
        EXPECT_EQ(DateIniDir, perUser);
        EXPECT_EQ(ReadFileBytes(perUser + "Date.ini"), "2024/01/09\r\n");
        EXPECT_EQ(ReadFileBytes(program + "Date.ini"), "2024/01/09\r\n");
    }
    // Holidays of the user's own are read, never replaced by those of the program.
    WriteFileAtomically(perUser + "Date.ini", ownHolidays);
    {
        TfrmMain form(nullptr, "", false);
        EXPECT_EQ(DateIniDir, perUser);
        EXPECT_EQ(HolidayList, std::vector<TDateTime>{EncodeDate(2024, 2, 1)});
        EXPECT_EQ(ReadFileBytes(perUser + "Date.ini"), ownHolidays);
    }
    // Nor by an empty list when the program brings none.
    DeleteFile(program + "Date.ini");
    {
        TfrmMain form(nullptr, "", false);
        EXPECT_EQ(HolidayList, std::vector<TDateTime>{EncodeDate(2024, 2, 1)});
        EXPECT_EQ(ReadFileBytes(perUser + "Date.ini"), ownHolidays);
    }
    // A holiday folder chosen elsewhere stays where it is.
    ForceDirectories(startup.root + "shared");
    WriteFileAtomically(startup.root + "shared/Date.ini", "2024/03/01\r\n");
    WriteFileAtomically(perUser + "Tarvold.ini",
                        "[Other]\r\nDateIniDir=\xA2" + startup.root + "shared/\xA3\r\n");
    TfrmMain form(nullptr, "", false);
    EXPECT_EQ(DateIniDir, startup.root + "shared/");
    EXPECT_EQ(HolidayList, std::vector<TDateTime>{EncodeDate(2024, 3, 1)});
}

TEST(MainWindow, ARestartFromADocumentsFolderFindsTheSettingsAndWritesNothingThere)
{
    TStartup startup;
    const std::string documents = startup.root + "run/";
    const std::string perUser = startup.root + "appdata/Tarvold/";
    {
        TfrmMain form(nullptr, "", false);
        ShowCalendarDialog(form, [](TCustomForm &dialog) {
            auto &calendar = static_cast<TdlgCalendar &>(dialog);
            SendMessage(calendar.pnlDay[8], WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(2, 2));
            SendMessage(calendar.pnlDay[8], WM_LBUTTONUP, 0, MakeLParam(2, 2));
            calendar.OKBtn->Click();
            return calendar.ModalResult();
        });
        form.AddItem();
        ASSERT_TRUE(WriteXmlFile(form, documents + "plan.xml"));
        form.SetBounds(10, 20, 700, 500);
        TCloseAction action = caHide;
        form.FormClose(&form, action);
    }
    EXPECT_EQ(testing_support::ListFiles(documents), std::vector<std::string>{"plan.xml"});
    EXPECT_EQ(ReadFileBytes(perUser + "Date.ini"), "2024/01/08\r\n");

    SetCurrentDir(documents);
    {
        TfrmMain form(nullptr, "", false);
        EXPECT_EQ(SettingsDir, perUser);
        EXPECT_EQ(form.FFileName, documents + "plan.xml");
        EXPECT_EQ(form.Width(), 700);
        EXPECT_EQ(form.Height(), 500);
        EXPECT_EQ(HolidayList, std::vector<TDateTime>{EncodeDate(2024, 1, 8)});
        TCloseAction action = caHide;
        form.FormClose(&form, action);
    }
    EXPECT_EQ(testing_support::ListFiles(documents), std::vector<std::string>{"plan.xml"});
}

TEST(MainWindow, TheRowCounterReadsWholeBeside行数OrOnALineOfItsOwn)
{
    TStartup startup;
    TfrmMain form(nullptr, "", false);
    auto clear = [&](const TControl &a, const TControl &b) {
        TRect overlap;
        return !IntersectRect(overlap, a.BoundsRect(), b.BoundsRect());
    };
    auto readsWhole = [&] {
        const TRect counter = form.lblItemSuu->BoundsRect();
        return clear(*form.lblItemSuu, *form.lblLine) && clear(*form.lblItemSuu, *form.cmbChartCnt)
            && clear(*form.lblItemSuu, *form.edtHdTitle) && counter.Left >= 0
            && counter.Right <= form.pnlHead->Width() && counter.Bottom <= form.pnlHead->Height();
    };
    form.AddItem();
    EXPECT_EQ(form.lblItemSuu->Caption(), "項目：1/1");
    EXPECT_TRUE(readsWhole());
    EXPECT_EQ(form.lblItemSuu->Top(), form.lblLine->Top()) << "a short count stands beside 行数";
    {
        TAlignPause pause(*form.pnlItem);
        for (int r = 1; r < 9999; ++r)
            form.AddItemQuietly();
    }
    form.AddItem();
    ASSERT_EQ(form.lblItemSuu->Caption(), "項目：10000/10000");
    EXPECT_TRUE(readsWhole()) << form.lblItemSuu->Left() << "+" << form.lblItemSuu->Width() << " / 行数 at "
                              << form.lblLine->Left();
    EXPECT_LT(form.lblItemSuu->Top(), form.lblLine->Top()) << "too long for the line of 行数 in the default column";
    // A wider caption column has room for it beside 行数 again.
    form.pnlItem->SetWidth(300);
    form.spl1->OnMoved(form.spl1);
    EXPECT_TRUE(readsWhole());
    EXPECT_EQ(form.lblItemSuu->Top(), form.lblLine->Top());
}

TEST(MainWindow, TheDateRangeShowsWholeBesideTheTabsInTheDefaultWindow)
{
    TStartup startup;
    TfrmMain form(nullptr, "", false);
    ASSERT_EQ(form.Width(), 800);
    form.RedrawChart();
    EXPECT_EQ(form.lblDateHanni->Caption(), "2024/01/10～2024/01/16");
    EXPECT_GE(form.lblDateHanni->Left(), form.tbcCalSelect->BoundsRect().Right);
    EXPECT_LE(form.lblDateHanni->BoundsRect().Right, form.pnlDate->ClientWidth());
}

TEST(MainWindow, RedrawPlacesBarsClampedAndHidesThoseOutOfView)
{
    TStartup startup;
    TfrmMain form(nullptr, "", false);
    form.SetBounds(0, 0, 900, 600);
    form.AddItem();
    TItem &row = *ItemList[0];
    auto add = [&](double start, double end) { return &AddTestBar(row, start, end); };
    TChart *before = add(StartDate - 100, StartDate - 50);
    TChart *across = add(StartDate - 100, StartDate + 2);
    TChart *badLine = add(StartDate, StartDate + 1);
    badLine->FLine = 3;
    row.FEvents.push_back(TEvent{StartDate + 7, "▲", "x", "ＭＳ ゴシック", 9, 0, 0, 0, 0});
    form.RedrawChart();
    EXPECT_FALSE(before->FBar->Visible());
    EXPECT_TRUE(across->FBar->Visible());
    EXPECT_EQ(across->FBar->Left(), -10);
    EXPECT_EQ(across->FBar->WidthEx(), DateToPixel(PixelsPerDay, StartDate + 2) + 10);
    EXPECT_FALSE(badLine->FBar->Visible());

    // Pixels: the day columns alternate and the bar shows over its band.
    TBitmap bitmap(form.pnlBase->Width(), 200);
    form.pnlBase->PaintTo(bitmap.Canvas());
    int x = across->FBar->Left() + across->FBar->Width() / 2;
    int y = across->FBar->Top() + across->FBar->Height() / 2;
    EXPECT_NE(bitmap.Pixel(x, y), DateColor1);
    EXPECT_EQ(bitmap.Pixel(x, 150), DateColor2); // 2024/01/10 is even
}
