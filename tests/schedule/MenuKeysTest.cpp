// The main window's menus from the keyboard: Alt+letters that match nothing
// stay out of the document, and the menu bar shows where the keyboard is.
#include "platform/core/SysUtils.h"
#include "platform/services/InputSimulation.h"
#include "platform/services/SystemParameters.h"
#include "platform/widgets/Memo.h"
#include "schedule/Head.h"
#include "schedule/Main.h"
#include "tests/TestSupport.h"
#include "tests/schedule/DocumentWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

struct TKeyboardWindow : TDocumentWindow {
    TKeyboardWindow()
    {
        EncodingStrSet = "UTF-8";
        form->SetBounds(0, 0, 900, 600);
    }
    ~TKeyboardWindow() { form->Hide(); }

    // The window active, the keyboard in its title box.
    bool ActivateInTitle()
    {
        if (!SimulateActivation(*form))
            return false;
        SimulateClick(*form->edtHdTitle, TPoint{5, 5});
        return FocusedControl() == form->edtHdTitle;
    }

    std::string ActiveTitle()
    {
        std::optional<TShownMenu> bar = ShownMenuBar(*form);
        return bar ? bar->Active : "<no menu bar>";
    }
};

} // namespace

// A row added with Ctrl+A gets its caption typed; Alt+Q and Alt+Z, which are
// no menu's, beep and leave it "行A", and the save stores "行A". Alt+P leaves
// the title box alike. Alt+F still opens ファイル.
TEST(MainMenuKeys, AltLettersThatMatchNothingStayOutOfARowCaptionTheTitleAndTheSave)
{
    TKeyboardWindow f;
    TfrmMain &form = *f.form;
    ASSERT_TRUE(f.ActivateInTitle());
    SimulateKey('A', ssCtrl);
    ASSERT_EQ(ItemList.size(), 1u);
    ASSERT_EQ(FocusedControl(), ItemList[0]->FMemo.get());
    SimulateTyping("行A");
    const int beeps = MessageBeepCount();
    SimulateKey('Q', ssAlt);
    SimulateKey('Z', ssAlt);
    EXPECT_EQ(ItemList[0]->FMemo->Text(), "行A");
    EXPECT_EQ(MessageBeepCount(), beeps + 2);

    SimulateClick(*form.edtHdTitle, TPoint{5, 5});
    SimulateKey(VK_END);
    SimulateTyping("計画");
    SimulateKey('P', ssAlt);
    const std::string title = form.edtHdTitle->Text();
    EXPECT_EQ(title.substr(title.size() - std::string("計画").size()), "計画");
    EXPECT_EQ(MessageBeepCount(), beeps + 3);

    SimulateKey('F', ssAlt);
    std::optional<TShownMenu> file = ShownMenu();
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Items.front().Caption, "新規作成(&N)");
    SimulateKey(VK_ESCAPE);
    SimulateKey(VK_ESCAPE);
    EXPECT_EQ(f.ActiveTitle(), "");
    EXPECT_EQ(MessageBeepCount(), beeps + 3);

    const std::string path = f.dir.File("keys.xml");
    f.services->fileAnswers.push_back(TFileDialogAnswer{path, 1});
    SimulateKey('S', ssCtrl);
    const std::string saved = testing_support::ReadBytes(path);
    EXPECT_NE(saved.find("行A"), std::string::npos);
    EXPECT_EQ(saved.find("行Aq"), std::string::npos);
    EXPECT_EQ(saved.find("計画p"), std::string::npos);
}

// Alt and F10 give the menu bar the keyboard with ファイル drawn highlighted;
// the arrows move the highlight along the titles, Down opens the highlighted
// one and Enter runs its command; Esc (or F10 again) gives the keyboard back
// to the title box with no title highlighted.
TEST(MainMenuKeys, TheMenuBarShowsTheTitleTheKeyboardIsOnAfterAltAndF10)
{
    TKeyboardWindow f;
    TfrmMain &form = *f.form;
    ASSERT_TRUE(f.ActivateInTitle());
    std::optional<TShownMenu> bar = ShownMenuBar(form);
    ASSERT_TRUE(bar);
    std::vector<std::string> titles;
    for (const TShownMenuItem &item : bar->Items)
        titles.push_back(item.Caption);
    EXPECT_EQ(titles, (std::vector<std::string>{"ファイル(&F)", "編集(&E)", "表示(&V)", "設定(&S)", "ヘルプ(&H)"}));
    EXPECT_EQ(bar->Active, "");
    const int beeps = MessageBeepCount();

    SimulateKey(VK_MENU);
    EXPECT_EQ(f.ActiveTitle(), "ファイル(&F)");
    SimulateKey(VK_RIGHT);
    EXPECT_EQ(f.ActiveTitle(), "編集(&E)");
    SimulateKey(VK_RIGHT);
    EXPECT_EQ(f.ActiveTitle(), "表示(&V)");
    SimulateKey(VK_LEFT);
    EXPECT_EQ(f.ActiveTitle(), "編集(&E)");
    SimulateKey(VK_ESCAPE);
    EXPECT_EQ(f.ActiveTitle(), "");
    EXPECT_EQ(FocusedControl(), form.edtHdTitle);

    SimulateKey(VK_F10);
    EXPECT_EQ(f.ActiveTitle(), "ファイル(&F)");
    SimulateKey(VK_F10);
    EXPECT_EQ(f.ActiveTitle(), "");
    EXPECT_EQ(FocusedControl(), form.edtHdTitle);

    // 編集 > 項目の追加 (its first enabled command) from the keyboard.
    SimulateKey(VK_F10);
    SimulateKey(VK_RIGHT);
    SimulateKey(VK_DOWN);
    std::optional<TShownMenu> edit = ShownMenu();
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->Items.front().Caption, "切り取り(&X)");
    EXPECT_EQ(edit->Active, "項目の追加(&A)");
    SimulateKey(VK_RETURN);
    EXPECT_EQ(ItemList.size(), 1u);
    EXPECT_EQ(f.ActiveTitle(), "");
    EXPECT_EQ(MessageBeepCount(), beeps);
}

// After Alt or F10 in the title box, the keyboard comes back to the title box
// with no title highlighted whatever takes it from the menu bar: Ctrl+O (its
// save question answered いいえ, its file dialog cancelled), a click on the
// date header, a click on the status bar. What is typed next goes into the
// title; "v" does not open 表示.
TEST(MainMenuKeys, ACommandsShortcutOrAClickOnTheDatesOrStatusBarGivesTheKeyboardBackToTheTitle)
{
    TKeyboardWindow f;
    TfrmMain &form = *f.form;
    ASSERT_TRUE(f.ActivateInTitle());
    SimulateKey(VK_END);
    const int beeps = MessageBeepCount();

    struct TStep {
        std::string name;
        std::function<void()> leave;
    };
    const std::vector<TStep> steps = {
        {"Ctrl+O",
         [&] {
             f.services->answers = {IDNO};
             SimulateKey('O', ssCtrl);
         }},
        {"the date header", [&] { SimulateClick(*form.imgDay, TPoint{30, 5}); }},
        {"the status bar", [&] { SimulateClick(*form.stb1, TPoint{30, 5}); }},
    };
    std::string typed;
    for (int enter : {VK_MENU, VK_F10}) {
        for (const TStep &step : steps) {
            SimulateKey(enter);
            ASSERT_EQ(f.ActiveTitle(), "ファイル(&F)") << step.name;
            step.leave();
            EXPECT_EQ(f.ActiveTitle(), "") << step.name;
            EXPECT_EQ(FocusedControl(), form.edtHdTitle) << step.name;
            SimulateTyping("wv");
            typed += "wv";
            EXPECT_FALSE(ShownMenu()) << step.name;
            if (ShownMenu())
                SimulateKey(VK_ESCAPE);
            const std::string title = form.edtHdTitle->Text();
            EXPECT_EQ(title.substr(title.size() - std::min(title.size(), typed.size())), typed) << step.name;
        }
    }
    EXPECT_EQ(f.services->fileRequests.size(), 2u);
    EXPECT_EQ(MessageBeepCount(), beeps);
}

// Alt+Shift+F and Alt+Shift+V in the title box open ファイル and 表示 as Alt+F
// and Alt+V do, without a beep and without typing into the title.
TEST(MainMenuKeys, AltShiftAndATitlesAccessKeyOpensItsMenu)
{
    TKeyboardWindow f;
    TfrmMain &form = *f.form;
    ASSERT_TRUE(f.ActivateInTitle());
    const std::string title = form.edtHdTitle->Text();
    const int beeps = MessageBeepCount();
    for (auto [key, first] : {std::pair{'F', "新規作成(&N)"}, std::pair{'V', "ツールバー"}}) {
        SimulateKey(key, ssAlt | ssShift);
        std::optional<TShownMenu> opened = ShownMenu();
        ASSERT_TRUE(opened) << char(key);
        EXPECT_EQ(opened->Items.front().Caption, first);
        SimulateKey(VK_ESCAPE);
        SimulateKey(VK_ESCAPE);
        EXPECT_EQ(f.ActiveTitle(), "");
    }
    EXPECT_EQ(form.edtHdTitle->Text(), title);
    EXPECT_EQ(FocusedControl(), form.edtHdTitle);
    EXPECT_EQ(MessageBeepCount(), beeps);
}
