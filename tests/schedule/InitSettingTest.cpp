#include "schedule/InitSetting.h"

#include "platform/services/DesktopAssociation.h"
#include "platform/core/Registry.h"
#include "platform/services/InputSimulation.h"
#include "schedule/MainDocument.h"
#include "tests/InputMethodProbe.h"
#include "tests/ModalScript.h"
#include "tests/schedule/DialogFixture.h"

#include <gtest/gtest.h>

#include "platform/kernel/QtControls.h"

#include <QLineEdit>

namespace {

struct InitSettingTest : ::testing::Test {
    TDialogFixture f;
    InitSettingTest()
    {
        f.services->env["XDG_DATA_HOME"] = f.home.Path() + "data";
        f.services->env["XDG_CONFIG_HOME"] = f.home.Path() + "config";
        XmlTarvoldLink = false;
    }
    void SetLink(bool on)
    {
        ShowInitSettingDialog(*f.main, [on](TCustomForm &form) {
            auto &d = static_cast<TdlgInitSetting &>(form);
            d.ckbLink->SetChecked(on);
            d.btnOk->Click();
            return d.ModalResult();
        });
    }
    std::string Default(THKey root, const std::string &key)
    {
        TRegistry reg;
        reg.SetRootKey(root);
        return reg.OpenKeyReadOnly(key) ? reg.ReadString("") : "(none)";
    }
};

TEST_F(InitSettingTest, TheAssociationIsWrittenAndRemovedAgainInATemporaryHome)
{
    BaseDir = "/opt/tarvold/";
    SetLink(true);
    EXPECT_TRUE(XmlTarvoldLink);
    EXPECT_EQ(Default(THKey::HKEY_CLASSES_ROOT, ".xml"), "Tarvold.xml");
    EXPECT_EQ(Default(THKey::HKEY_CLASSES_ROOT, "Tarvold.xml\\Shell\\Open\\Command"),
              "\"/opt/tarvold/Tarvold.exe\" \"%1\"");
    TDesktopAssociation desktop("tarvold.desktop");
    EXPECT_EQ(desktop.EntryFileName(), f.home.Path() + "data/applications/tarvold.desktop");
    EXPECT_TRUE(FileExists(desktop.EntryFileName()));
    EXPECT_TRUE(desktop.IsDefaultFor("application/xml"));
    EXPECT_TRUE(f.services->messages.empty());

    SetLink(false);
    EXPECT_FALSE(XmlTarvoldLink);
    EXPECT_EQ(Default(THKey::HKEY_CLASSES_ROOT, ".xml"), "xmlfile");
    EXPECT_EQ(Default(THKey::HKEY_CLASSES_ROOT, "Tarvold.xml"), "(none)");
    EXPECT_FALSE(FileExists(desktop.EntryFileName()));
    EXPECT_FALSE(desktop.IsDefaultFor("application/xml"));
}

// Ticking puts the program before the person's own defaults for XML files;
// unticking gives them back exactly as they were, and other lines stay as they are.
TEST_F(InitSettingTest, UntickingGivesBackThePersonsOwnDefaultsByteForByte)
{
    ForceDirectories(f.home.Path() + "config");
    const std::string list = f.home.Path() + "config/mimeapps.list";
    const std::string before = "[Added Associations]\napplication/xml=org.gnome.TextEditor.desktop;\n"
                               "[Default Applications]\ntext/html=browser.desktop\n"
                               "application/xml=org.gnome.TextEditor.desktop\n"
                               "text/xml = editor.desktop;viewer.desktop; \r\n";
    WriteFileAtomically(list, before);
    TDesktopAssociation desktop("tarvold.desktop");
    ASSERT_FALSE(desktop.IsDefaultFor("application/xml"));
    SetLink(true);
    const std::string during = ReadFileBytes(list);
    EXPECT_EQ(during, "[Added Associations]\napplication/xml=org.gnome.TextEditor.desktop;\n"
                      "[Default Applications]\ntext/html=browser.desktop\n"
                      "application/xml=tarvold.desktop;org.gnome.TextEditor.desktop\n"
                      "text/xml = tarvold.desktop;editor.desktop;viewer.desktop; \r\n");
    EXPECT_TRUE(desktop.IsDefaultFor("application/xml"));
    EXPECT_TRUE(desktop.IsDefaultFor("text/xml"));
    // Made the default again (the setting lost, say), it is not listed twice.
    desktop.Register("たるぼる", "tarvold %f", {"application/xml", "text/xml"});
    EXPECT_EQ(ReadFileBytes(list), during);
    SetLink(false);
    EXPECT_EQ(ReadFileBytes(list), before);
    EXPECT_FALSE(desktop.IsDefaultFor("application/xml"));
    EXPECT_TRUE(f.services->messages.empty());
}

// Without a default of the person's there is no line left for it; a default
// the person chose meanwhile stays, and where the program only moved back
// in their list, the rest of the list stays.
TEST_F(InitSettingTest, UntickingKeepsWhatThePersonChoseMeanwhile)
{
    ForceDirectories(f.home.Path() + "config");
    const std::string list = f.home.Path() + "config/mimeapps.list";
    WriteFileAtomically(list, "[Default Applications]\ntext/html=browser.desktop\n");
    SetLink(true);
    SetLink(false);
    EXPECT_EQ(ReadFileBytes(list), "[Default Applications]\ntext/html=browser.desktop\n");

    SetLink(true);
    std::string during = ReadFileBytes(list);
    during.replace(during.find("application/xml=tarvold.desktop"), 31, "application/xml=other.desktop;");
    during.replace(during.find("text/xml=tarvold.desktop"), 24, "text/xml=viewer.desktop;tarvold.desktop;");
    WriteFileAtomically(list, during);
    TDesktopAssociation desktop("tarvold.desktop");
    EXPECT_FALSE(desktop.IsDefaultFor("text/xml"));
    SetLink(false);
    EXPECT_EQ(ReadFileBytes(list), "[Default Applications]\ntext/xml=viewer.desktop;\n"
                                   "application/xml=other.desktop;\ntext/html=browser.desktop\n");
}

TEST_F(InitSettingTest, AListWithWindowsLineEndsKeepsItsOtherLinesByteForByte)
{
    ForceDirectories(f.home.Path() + "config");
    const std::string before = "[Default Applications]\r\ntext/html=browser.desktop\r\n"
                               "[Added Associations]\r\ntext/xml=a.desktop;\r\r\n";
    WriteFileAtomically(f.home.Path() + "config/mimeapps.list", before);
    SetLink(true);
    std::string during = ReadFileBytes(f.home.Path() + "config/mimeapps.list");
    EXPECT_EQ(during.find("[Default Applications]"), during.rfind("[Default Applications]"))
        << "the section is found, not added a second time";
    SetLink(false);
    EXPECT_EQ(ReadFileBytes(f.home.Path() + "config/mimeapps.list"), before);
}

TEST_F(InitSettingTest, AnAssociationThatCannotBeWrittenIsReportedAndTheOldValueKept)
{
    // A file where the desktop folder should be makes the entry unwritable.
    WriteFileAtomically(f.home.Path() + "data", "not a folder");
    SetLink(true);
    EXPECT_FALSE(XmlTarvoldLink);
    ASSERT_EQ(f.services->messages.size(), 1u);
    EXPECT_EQ(f.services->messages[0].text, "関連付けを行うには管理者権限で実行してください。");
    // The rest of OK still ran.
    EXPECT_TRUE(Modified);
    // What was written before the failure is taken back: no handler is left behind.
    EXPECT_EQ(Default(THKey::HKEY_CLASSES_ROOT, "Tarvold.xml\\Shell\\Open\\Command"), "(none)");
    EXPECT_NE(Default(THKey::HKEY_CLASSES_ROOT, ".xml"), "Tarvold.xml");
}

TEST(DesktopAssociation, TheCommandLineQuotesAnyPath)
{
    // A plain path, also one with letters beyond ASCII, stands bare.
    EXPECT_EQ(TDesktopAssociation::ExecArgument("/opt/tarvold/tarvold"), "/opt/tarvold/tarvold");
    EXPECT_EQ(TDesktopAssociation::ExecArgument("/home/u/café/계획/tarvold"), "/home/u/café/계획/tarvold");
    EXPECT_EQ(TDesktopAssociation::ExecArgument("/opt/my apps/tarvold"), "\"/opt/my apps/tarvold\"");
    // Quote, backquote and dollar get a backslash, doubled by the value's own
    // escaping; a backslash becomes four; a percent sign is doubled.
    EXPECT_EQ(TDesktopAssociation::ExecArgument("/a b/$x`\"100%\\"),
              "\"/a b/\\\\$x\\\\`\\\\\"100%%\\\\\\\\\"");
}

TEST_F(InitSettingTest, OkWithoutTouchingTheLinkWritesNothingAndAlwaysMarksTheDocument)
{
    ShowInitSettingDialog(*f.main, [](TCustomForm &form) {
        auto &d = static_cast<TdlgInitSetting &>(form);
        d.rgpStrSet->SetItemIndex(1);
        d.speCustomTimeScale->SetValue(40);
        d.btnOk->Click();
        return d.ModalResult();
    });
    EXPECT_FALSE(FileExists(TRegistry::StoreFileName()));
    EXPECT_EQ(EncodingStrSet, "UTF-8");
    EXPECT_EQ(CustomTimeScale, 40);
    EXPECT_TRUE(Modified);
}

// What the person sees in the field, not only what the control holds.
std::string ShownText(TEdit &edit)
{
    return static_cast<QLineEdit *>(edit.Link()->Widget())->text().toStdString();
}

TEST_F(InitSettingTest, RowHeightOutsideTheRangeIsWarnedAndThePreviousTextShownAgain)
{
    ItemDefHeight = 50;
    auto answer = ShowInitSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgInitSetting &>(form);
        return testing_support::RunModalScript(d, [&] {
            d.pgc->SetActivePageIndex(1);
            for (const char *typed : {"10", "301"}) {
                d.edtItemHeight->SetFocus();
                SimulateTyping(typed);
                ASSERT_EQ(ShownText(*d.edtItemHeight), typed);
                SimulateKey(VK_TAB);
                EXPECT_NE(FocusedControl(), d.edtItemHeight);
                EXPECT_EQ(ShownText(*d.edtItemHeight), "50") << typed;
                EXPECT_EQ(d.edtItemHeight->AsInteger(), 50) << typed;
            }
            SimulateClick(*d.btnOk, TPoint{5, 5});
        });
    });
    EXPECT_EQ(answer, mrOk);
    EXPECT_EQ(ItemDefHeight, 50);
    ASSERT_EQ(f.services->messages.size(), 2u);
    EXPECT_EQ(f.services->messages[0].text, "値が小さすぎます。");
    EXPECT_EQ(f.services->messages[1].text, "値が大きすぎます。");
}

// 文字セット is one Tab stop between 画面のちらつきを減らす and the custom length;
// Down chooses UTF-8, which OK stores.
TEST_F(InitSettingTest, TheCharacterSetIsReachedByTabAndChosenByTheArrows)
{
    EncodingStrSet = "Shift_JIS";
    auto answer = ShowInitSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgInitSetting &>(form);
        return testing_support::RunModalScript(d, [&] {
            d.ckbDoubleBuffered->SetFocus();
            SimulateKey(VK_TAB);
            ASSERT_EQ(FocusedControl(), d.rgpStrSet);
            SimulateKey(VK_TAB);
            EXPECT_EQ(FocusedControl(), d.speCustomTimeScale);
            SimulateKey(VK_TAB, ssShift);
            ASSERT_EQ(FocusedControl(), d.rgpStrSet);
            SimulateKey(VK_DOWN);
            EXPECT_EQ(d.rgpStrSet->ItemIndex(), 1);
            SimulateClick(*d.btnOk, TPoint{5, 5});
        });
    });
    EXPECT_EQ(answer, mrOk);
    EXPECT_EQ(EncodingStrSet, "UTF-8");
    EncodingStrSet = "Shift_JIS";
}

// Ctrl+Tab and Ctrl+PageDown turn to the next page, Ctrl+Shift+Tab and
// Ctrl+PageUp to the previous one, wrapping around; the focus goes to the
// first control of the new page. On the tabs the arrows turn the pages.
TEST_F(InitSettingTest, TheKeysTurnThePagesAndWrapAround)
{
    ItemDefHeight = 50;
    auto answer = ShowInitSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgInitSetting &>(form);
        return testing_support::RunModalScript(d, [&] {
            d.ckbTodayStart->SetFocus();
            const std::pair<int, TShiftState> keys[] = {{VK_TAB, ssCtrl},          {VK_NEXT, ssCtrl},
                                                        {VK_TAB, ssCtrl},          {VK_TAB, ssCtrl | ssShift},
                                                        {VK_PRIOR, ssCtrl},        {VK_PRIOR, ssCtrl}};
            const int pages[] = {1, 2, 0, 2, 1, 0};
            TWinControl *const firsts[] = {d.ckbInitialLoad, d.edtItemHeight, d.ckbDateFit};
            for (size_t i = 0; i < std::size(keys); ++i) {
                SimulateKey(keys[i].first, keys[i].second);
                ASSERT_EQ(d.pgc->ActivePageIndex(), pages[i]) << "key " << i;
                EXPECT_EQ(FocusedControl(), firsts[pages[i]]) << "key " << i;
            }
            SimulateKey(VK_TAB, ssShift);
            ASSERT_EQ(FocusedControl(), d.pgc);
            SimulateKey(VK_RIGHT);
            EXPECT_EQ(d.pgc->ActivePageIndex(), 1);
            EXPECT_EQ(FocusedControl(), d.pgc);
            SimulateClick(*d.btnCancel, TPoint{5, 5});
        });
    });
    EXPECT_EQ(answer, mrCancel);
    EXPECT_TRUE(f.services->messages.empty());
}

// 項目行の高さ keeps the input method out and takes full-width digits.
TEST_F(InitSettingTest, TheRowHeightKeepsTheInputMethodOutAndTakesFullWidthDigits)
{
    ItemDefHeight = 50;
    ShowInitSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgInitSetting &>(form);
        return testing_support::RunModalScript(d, [&] {
            d.pgc->SetActivePageIndex(1);
            d.edtItemHeight->SetFocus();
            ASSERT_EQ(FocusedControl(), d.edtItemHeight);
            testing_support::TInputMethodAnswer answer = testing_support::AskFocusedWindow();
            EXPECT_FALSE(answer.enabled);
            EXPECT_TRUE(answer.PrefersNumbers());
            SimulateTyping("１５０");
            SimulateClick(*d.btnOk, TPoint{5, 5});
        });
    });
    EXPECT_TRUE(f.services->messages.empty());
    EXPECT_EQ(ItemDefHeight, 150);
}

// On the custom scale, a length that would show days past 9999/12/31 is
// refused and goes back; on another scale it is taken.
TEST_F(InitSettingTest, ACustomLengthThatWouldPassTheLastDateIsRefusedWhileItIsShown)
{
    CustomTimeScale = 7;
    StartDate = f.main->FDocStartDate = EncodeDate(9999, 12, 20);
    f.main->tbcCalSelect->SetTabIndex(kCustomScaleTab);
    DaysShown = CustomTimeScale;
    auto typeLengthAndOk = [&](TdlgInitSetting &d, const std::string &days) {
        d.speCustomTimeScale->SetFocus();
        SimulateKey('A', ssCtrl);
        SimulateTyping(days);
        SimulateClick(*d.btnOk, TPoint{5, 5});
    };
    auto answer = ShowInitSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgInitSetting &>(form);
        return testing_support::RunModalScript(d, [&] {
            typeLengthAndOk(d, "30");
            ASSERT_EQ(f.services->messages.size(), 1u);
            EXPECT_EQ(f.services->messages[0].text,
                      "9999/12/20 から 30 日間の表示は 9999/12/31 を越えるため、その日付にはできません。");
            EXPECT_EQ(d.ModalResult(), mrNone);
            EXPECT_EQ(d.speCustomTimeScale->Value(), 7);
            EXPECT_EQ(CustomTimeScale, 7);
            typeLengthAndOk(d, "12");  // up to 9999/12/31
        });
    });
    EXPECT_EQ(answer, mrOk);
    EXPECT_EQ(CustomTimeScale, 12);
    f.main->tbcCalSelect->SetTabIndex(0);
    DaysShown = 7;
    answer = ShowInitSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgInitSetting &>(form);
        return testing_support::RunModalScript(d, [&] { typeLengthAndOk(d, "30"); });
    });
    EXPECT_EQ(answer, mrOk);
    EXPECT_EQ(CustomTimeScale, 30);
    EXPECT_EQ(f.services->messages.size(), 1u);
}

// The row colours and the font colours start as system colours: each colour
// dialog starts at the colour shown, and OK without a choice keeps it.
TEST_F(InitSettingTest, ColourPanelsOfSystemColoursOpenTheDialogAtTheColourShown)
{
    ItemColor = clWindow;
    ItemFontColor = ChartFontColor = clWindowText;
    ShowInitSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgInitSetting &>(form);
        for (TPanel *panel : {d.pnlItemColor, d.pnlItemFontColor, d.pnlChartFontColor}) {
            f.services->colorAnswers.push_back(testing_support::kColorDialogOk);
            panel->OnDblClick(panel);
        }
        d.btnOk->Click();
        return d.ModalResult();
    });
    const std::vector<std::uint32_t> started{ColorToRGB(clWindow), ColorToRGB(clWindowText),
                                             ColorToRGB(clWindowText)};
    EXPECT_EQ(f.services->colorRequests, started);
    EXPECT_EQ(ItemColor, ColorToRGB(clWindow));
    EXPECT_EQ(ItemFontColor, ColorToRGB(clWindowText));
    EXPECT_EQ(ChartFontColor, ColorToRGB(clWindowText));
}

// Enter on a focused キャンセル cancels: the box ticked stays unset.
TEST_F(InitSettingTest, EnterOnAFocusedCancelKeepsTheSettings)
{
    InitialLoad = false;
    auto answer = ShowInitSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgInitSetting &>(form);
        return testing_support::RunModalScript(d, [&] {
            SimulateClick(*d.ckbInitialLoad, TPoint{5, 5});
            ASSERT_TRUE(d.ckbInitialLoad->Checked());
            ASSERT_TRUE(testing_support::TabTo(*d.btnCancel));
            SimulateKey(VK_RETURN);
        });
    });
    EXPECT_EQ(answer, mrCancel);
    EXPECT_FALSE(InitialLoad);
}

TEST_F(InitSettingTest, AStylesheetOfAnotherTypeIsRefused)
{
    TdlgInitSetting d(*f.main);
    f.services->fileAnswers.push_back(TFileDialogAnswer{"/tmp/a.txt", 1});
    f.services->fileAnswers.push_back(TFileDialogAnswer{"/tmp/b.XSL", 1});
    d.btnOpen->Click();
    EXPECT_EQ(f.services->messages.at(0).text, "ファイルの種類が違います");
    d.btnOpen->Click();
    EXPECT_EQ(d.edtXsl->Text(), "/tmp/b.XSL");
}

} // namespace

// The font boxes list the screen's families and drop down as wide as the
// longest name needs; a name kept with its foundry is shown and kept as it is,
// and a family chosen from the list is kept by its name.
TEST_F(InitSettingTest, TheFontListsShowLongNamesWholeAndKeepTheNameAsItIs)
{
    const std::string itemFontBefore = ItemFontName, chartFontBefore = ChartFontName;
    ItemFontName = "C059 [urw]";
    ChartFontName = "C059";
    auto answer = ShowInitSettingDialog(*f.main, [&](TCustomForm &form) {
        auto &d = static_cast<TdlgInitSetting &>(form);
        return testing_support::RunModalScript(d, [&] {
            EXPECT_EQ(d.cmbItemFontName->Text(), "C059 [urw]");
            int page = 1;
            for (TComboBox *names : {d.cmbItemFontName, d.cmbChartFontName}) {
                d.pgc->SetActivePageIndex(page++);
                ProcessMessages();
                EXPECT_EQ(names->Items(), Services().FontNames());
                // As a family with a long name would be listed.
                names->AddItem("Long Family Name Semi Condensed ExtraLight");
                TBitmap measure(1, 1);
                measure.Canvas().Font().Assign(names->Font());
                int longest = 0;
                for (const std::string &name : names->Items())
                    longest = std::max(longest, measure.Canvas().TextWidth(name));
                ASSERT_GT(longest, names->Width());
                SimulateClick(*names, TPoint{names->Width() - 6, names->Height() / 2});
                ProcessMessages();
                const TRect list = names->DroppedRect();
                names->SetDroppedDown(false);
                ProcessMessages();
                EXPECT_GE(list.Width(), std::min(longest, Screen().Width())) << names->Name();
            }
            d.cmbChartFontName->SetFocus();
            SimulateKey(VK_DOWN);
            SimulateClick(*d.btnOk, TPoint{5, 5});
        });
    });
    EXPECT_EQ(answer, mrOk);
    EXPECT_EQ(ItemFontName, "C059 [urw]");
    const std::vector<std::string> families = Services().FontNames();
    const auto c059 = std::find(families.begin(), families.end(), "C059");
    ASSERT_NE(c059, families.end());
    ASSERT_NE(c059 + 1, families.end());
    EXPECT_EQ(ChartFontName, *(c059 + 1));
    ItemFontName = itemFontBefore;
    ChartFontName = chartFontBefore;
}
