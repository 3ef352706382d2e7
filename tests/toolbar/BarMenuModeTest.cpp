#include "ToolbarHost.h"
#include "tests/toolbar/StepScript.h"

#include "platform/kernel/Application.h"
#include "platform/services/InputSimulation.h"
#include "platform/core/Menus.h"
#include "platform/core/Services.h"
#include "platform/services/SystemParameters.h"
#include "platform/kernel/WindowEffects.h"
#include "toolbar/BarAnim.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace {

// A control that records the presses it gets.
class PressTarget : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::function<void()> OnPress;

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override
    {
        TCustomControl::MouseDown(button, shift, x, y);
        if (OnPress)
            OnPress();
    }
};

TBarCustomItem *AddItem(TBarCustomItem &parent, const std::string &caption, bool submenu = false)
{
    auto *item = new TBarCustomItem;
    item->SetCaption(caption);
    if (submenu)
        item->SetItemStyle(item->ItemStyle() | HasSubmenu);
    parent.Add(item);
    return item;
}

struct Host {
    TScopedSystemParameters parameters;
    TBarRootItem root;
    TBarCustomItem *file, *open, *recent, *first, *cut, *copy, *paste;
    TForm form{nullptr};
    TTestBar *bar;
    PressTarget *other;
    std::vector<std::string> log;

    Host()
    {
        SystemParameters().MenuAnimation = false;
        file = AddItem(root, "&File", true);
        recent = AddItem(*file, "&Recent", true);
        first = AddItem(*recent, "first.xml");
        open = AddItem(*file, "&Open");
        cut = AddItem(*file, "&Cut");
        copy = AddItem(*file, "&Copy");
        paste = AddItem(*file, "&Paste");
        AddItem(*AddItem(root, "&Edit", true), "&Undo");
        for (TBarCustomItem *item : {open, first, cut, copy, paste})
            item->OnClick = [this, item](TObject *) {
                // Every popup is gone and menu mode is over when a command runs.
                bool clean = !bar->View().OpenPopup() && !(bar->View().State() & vsModal);
                log.push_back(item->Caption() + (clean ? "" : " (menus still open)"));
            };
        form.SetBounds(100, 100, 400, 300);
        bar = new TTestBar(&form, &root);
        bar->SetParent(&form);
        bar->SetBounds(0, 0, 400, 24);
        other = PlaceControl<PressTarget>(&form, 0, 200, 100, 50);
        other->OnPress = [this] {
            bool clean = !bar->View().OpenPopup() && !(bar->View().State() & vsModal);
            log.push_back(std::string("press") + (clean ? "" : " (menus still open)"));
        };
        SimulateActivation(form);
    }
    TBarPopupWindow *FilePopup() { return bar->View().OpenPopup(); }
    TBarView *Innermost()
    {
        TBarView *v = &bar->View();
        while (v->OpenViewerView())
            v = v->OpenViewerView();
        return v;
    }
};

} // namespace

using BoundHost = Host;

TEST(BarMenuMode, AClickedItemRunsOnceAfterEveryPopupHasGone)
{
    BoundHost h;
    SystemParameters().AssignedSoundEvents = {"MenuCommand"};
    size_t soundsBefore = PlayedSounds().size();
    Script script;
    script.Add([&] { SimulateMousePress(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] {
        ASSERT_NE(h.FilePopup(), nullptr);
        SimulateMouseRelease(*h.bar, h.bar->CentreOf(0));
    });
    script.Add([&] {
        ASSERT_NE(h.FilePopup(), nullptr); // the first release keeps the menu open
        TPoint p = PopupRowCentre(*h.FilePopup(), 1);
        SimulateMouseMove(*h.FilePopup(), p);
        SimulateClick(*h.FilePopup(), p);
    });
    EXPECT_TRUE(script.Run());
    EXPECT_EQ(h.log, std::vector<std::string>{"&Open"});
    EXPECT_EQ(h.bar->View().OpenPopup(), nullptr);
    // A command chosen from a popup plays its sound when one is set.
    ASSERT_EQ(PlayedSounds().size(), soundsBefore + 1);
    EXPECT_EQ(PlayedSounds().back(), "MenuCommand");
}

TEST(BarMenuMode, EscClosesOneLevelAndAltEndsWithoutACommand)
{
    BoundHost h;
    Script script;
    TBarView *levelsAfterEsc = nullptr;
    bool recentOpen = false, firstSelected = false;
    script.Add([&] { SimulateMousePress(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateMouseRelease(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateKey(VK_DOWN); });   // selects "Recent"
    script.Add([&] { SimulateKey(VK_RIGHT); });  // opens its submenu
    script.Add([&] {
        recentOpen = h.Innermost() != h.FilePopup()->View();
        // Opened from the keyboard: its first item is selected.
        TBarItemViewer *selected = h.Innermost()->Selected();
        firstSelected = selected && selected->Item() == h.first;
        SimulateKey(VK_ESCAPE);
    });
    script.Add([&] {
        levelsAfterEsc = h.Innermost();
        SimulateKey(VK_MENU);
    });
    EXPECT_TRUE(script.Run());
    EXPECT_TRUE(recentOpen);
    EXPECT_TRUE(firstSelected);
    ASSERT_NE(levelsAfterEsc, nullptr);
    EXPECT_NE(levelsAfterEsc, &h.bar->View()); // the File menu was still open after Esc
    EXPECT_FALSE(h.bar->View().State() & vsModal);
    EXPECT_EQ(h.bar->View().OpenPopup(), nullptr);
    EXPECT_TRUE(h.log.empty());
}

TEST(BarMenuMode, EnterRunsTheSelectedItemOnce)
{
    BoundHost h;
    Script script;
    script.Add([&] { SimulateMousePress(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateMouseRelease(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateKey(VK_DOWN); });
    script.Add([&] { SimulateKey(VK_DOWN); }); // "Open"
    script.Add([&] { SimulateKey(VK_RETURN); });
    EXPECT_TRUE(script.Run());
    EXPECT_EQ(h.log, std::vector<std::string>{"&Open"});
}

TEST(BarMenuMode, AcceleratorsRunAUniqueMatchAndCycleDuplicates)
{
    BoundHost h;
    Script script;
    std::vector<TBarCustomItem *> selected;
    int beepsBefore = MessageBeepCount();
    script.Add([&] { SimulateMousePress(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateMouseRelease(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateKey('C'); });
    script.Add([&] {
        selected.push_back(h.Innermost()->Selected()->Item());
        SimulateKey('C');
    });
    script.Add([&] {
        selected.push_back(h.Innermost()->Selected()->Item());
        SimulateKey('Z'); // matches nothing: a beep
    });
    script.Add([&] { SimulateKey('P'); });
    EXPECT_TRUE(script.Run());
    EXPECT_EQ(selected, (std::vector<TBarCustomItem *>{h.cut, h.copy}));
    EXPECT_EQ(MessageBeepCount(), beepsBefore + 1);
    EXPECT_EQ(h.log, std::vector<std::string>{"&Paste"});
}

TEST(BarMenuMode, APressOutsideEndsMenuModeAndThenReachesItsTarget)
{
    BoundHost h;
    Script script;
    script.Add([&] { SimulateMousePress(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateMouseRelease(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateClick(*h.other, TPoint{10, 10}); });
    EXPECT_TRUE(script.Run());
    EXPECT_EQ(h.log, std::vector<std::string>{"press"});
    EXPECT_FALSE(h.bar->View().State() & vsModal);
}

TEST(BarPopupPlacement, RightAlignedDropsLineUpWithTheButtonsRightEdge)
{
    Host h;
    TBarView &view = h.bar->View();
    TRect button = view.Viewers(0)->BoundsRect();
    TPoint buttonRight = view.ClientToScreen(TPoint{button.Right, button.Bottom});
    for (bool rightAligned : {false, true}) {
        SystemParameters().MenuDropRightAligned = rightAligned;
        view.Select(view.Viewers(0), true);
        ASSERT_TRUE(view.SubmenuTimerElapsed(false));
        TBarPopupWindow *popup = view.OpenPopup();
        EXPECT_EQ(popup->Top(), buttonRight.Y);
        if (rightAligned)
            EXPECT_EQ(popup->Left() + popup->Width(), buttonRight.X);
        else
            EXPECT_EQ(popup->Left(), buttonRight.X - button.Width());
        view.CloseChildPopup();
        EXPECT_EQ(view.OpenPopup(), nullptr);
    }
}

TEST(BarPopupShowing, OnlyTheFirstMouseDropOfAToolbarAndNoKeyboardDropAnimates)
{
    Host h;
    SystemParameters().MenuAnimation = true;
    TBarView &view = h.bar->View();
    view.Select(view.Viewers(0), true);
    ASSERT_TRUE(view.SubmenuTimerElapsed(false));
    EXPECT_TRUE(PopupAnimationRunning());
    view.CloseChildPopup();
    EXPECT_FALSE(PopupAnimationRunning()); // freeing the popup ends its animation
    // Once a dropdown of this toolbar has closed, the next shows at once.
    view.Select(view.Viewers(1), true);
    ASSERT_TRUE(view.SubmenuTimerElapsed(false));
    EXPECT_FALSE(PopupAnimationRunning());
    view.CloseChildPopup();
    // Entering menu mode clears that; a drop from the keyboard (first item
    // selected) is never animated.
    view.SetState(view.State() & ~vsDropDownClosed);
    view.Select(view.Viewers(0), false);
    ASSERT_TRUE(view.SubmenuTimerElapsed(true));
    EXPECT_FALSE(PopupAnimationRunning());
    view.CloseChildPopup();
}

// Before it animates, the popup is asked (BARWM_POPUPSHOW with 1); an answer
// other than 0 shows it at once.
TEST(BarPopupShowing, APopupThatRefusesTheAnimationShowsAtOnce)
{
    Host h;
    SystemParameters().MenuAnimation = true;
    int asked = 0;
    bool refuse = true;
    TScopedMessageHook hook([&](TMessageTarget *, TMessage &m) {
        if (m.Msg != BARWM_POPUPSHOW || m.WParam != 1)
            return false;
        ++asked;
        m.Result = refuse ? 1 : 0;
        return refuse;
    });
    TBarView &view = h.bar->View();
    view.Select(view.Viewers(0), true);
    ASSERT_TRUE(view.SubmenuTimerElapsed(false));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(PopupAnimationRunning());
    EXPECT_NE(view.OpenPopup(), nullptr);
    view.CloseChildPopup();
    view.SetState(view.State() & ~vsDropDownClosed);
    refuse = false;
    view.Select(view.Viewers(1), true);
    ASSERT_TRUE(view.SubmenuTimerElapsed(false));
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(PopupAnimationRunning());
    view.CloseChildPopup();
}

TEST(BarMenuMode, AnotherWindowBecomingActiveEndsMenuModeWithoutACommand)
{
    BoundHost h;
    TForm elsewhere(nullptr);
    elsewhere.SetBounds(500, 300, 200, 100);
    Script script;
    bool wasOpen = false;
    script.Add([&] { SimulateMousePress(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateMouseRelease(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] {
        wasOpen = h.FilePopup() != nullptr;
        SimulateActivation(elsewhere);
    });
    EXPECT_TRUE(script.Run());
    EXPECT_TRUE(wasOpen);
    EXPECT_FALSE(h.bar->View().State() & vsModal);
    EXPECT_EQ(h.bar->View().OpenPopup(), nullptr);
    EXPECT_TRUE(h.log.empty());
}

namespace {
struct HelpServices : TServices {
    std::vector<std::string> *pages;
    explicit HelpServices(std::vector<std::string> *p) : pages(p) {}
    bool ShowHelp(const std::string &, const std::string &page) override
    {
        pages->push_back(page);
        return true;
    }
};
} // namespace

TEST(BarMenuMode, F1EndsMenuModeWithTheHelpOfTheSelectedItem)
{
    BoundHost h;
    std::vector<std::string> pages;
    TScopedServices services(std::make_unique<HelpServices>(&pages));
    h.open->SetHelpContext(42);
    Script script;
    script.Add([&] { SimulateMousePress(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateMouseRelease(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateKey(VK_DOWN); });
    script.Add([&] { SimulateKey(VK_F1); }); // "Recent" has no help: nothing
    script.Add([&] { SimulateKey(VK_DOWN); });
    script.Add([&] { SimulateKey(VK_F1); });
    EXPECT_TRUE(script.Run());
    EXPECT_EQ(pages, std::vector<std::string>{"42"});
    EXPECT_FALSE(h.bar->View().State() & vsModal);
    EXPECT_TRUE(h.log.empty());
}

TEST(BarMenuMode, TheRootWindowHidingEndsMenuMode)
{
    BoundHost h;
    Script script;
    script.Add([&] { SimulateMousePress(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateMouseRelease(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { h.bar->Hide(); });
    EXPECT_TRUE(script.Run());
    EXPECT_FALSE(h.bar->View().State() & vsModal);
    EXPECT_EQ(h.bar->View().OpenPopup(), nullptr);
    EXPECT_TRUE(h.log.empty());
}

TEST(BarMenuMode, ThePointerIsHeldWhileMenusAreOpenAndAPressOnAnotherWindowReachesIt)
{
    BoundHost h;
    TForm elsewhere(nullptr);
    elsewhere.SetBounds(600, 100, 200, 120);
    auto *target = PlaceControl<PressTarget>(&elsewhere, 10, 10, 100, 50);
    int presses = 0;
    target->OnPress = [&] { ++presses; };
    elsewhere.Show();
    bool heldInside = false;
    Script script;
    script.Add([&] { SimulateMousePress(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateMouseRelease(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] {
        heldInside = HoldsPointer(*h.bar);
        // Under the grab the press first comes to the bar; menu mode ends and
        // hands it to the window that is really under the pointer.
        SimulateClick(*target, TPoint{20, 20});
    });
    EXPECT_TRUE(script.Run());
    EXPECT_TRUE(heldInside);
    EXPECT_FALSE(HoldsPointer(*h.bar));
    EXPECT_FALSE(h.bar->View().State() & vsModal);
    EXPECT_EQ(presses, 1);
    EXPECT_TRUE(h.log.empty());
}

TEST(BarMenuMode, LosingThePointerEndsMenuModeWithoutACommand)
{
    BoundHost h;
    TForm elsewhere(nullptr);
    elsewhere.SetBounds(600, 100, 200, 120);
    elsewhere.Show();
    bool wasOpen = false;
    Script script;
    script.Add([&] { SimulateMousePress(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateMouseRelease(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] {
        wasOpen = h.FilePopup() != nullptr;
        GrabPointer(elsewhere);
    });
    script.Add([] {});
    EXPECT_TRUE(script.Run());
    ReleasePointer(elsewhere);
    EXPECT_TRUE(wasOpen);
    EXPECT_FALSE(h.bar->View().State() & vsModal);
    EXPECT_EQ(h.bar->View().OpenPopup(), nullptr);
    EXPECT_TRUE(h.log.empty());
}

TEST(BarMenuMode, HoveredRowsShowTheirHintAfterThePauseWhereHintsAreAskedFor)
{
    BoundHost h;
    int savedPause = Application().HintPause();
    Application().SetHintPause(20);
    h.open->SetHint("Open a file|Opens a schedule from disk");
    h.open->SetShortCut('O' | scCtrl);
    h.open->SetOptions(broShowHint);
    h.cut->SetHint("Cut|Moves the bar to the clipboard");
    std::string shownOnOpen, longOnOpen, shownOnCut, longOnCut;
    bool stillModal = false;
    Script script;
    script.Add([&] { SimulateMousePress(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateMouseRelease(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateMouseMove(*h.FilePopup(), PopupRowCentre(*h.FilePopup(), 1)); });
    script.AddPause(100);
    script.Add([&] {
        shownOnOpen = Application().ShownHint();
        longOnOpen = Application().Hint();
        // A menu row without the option shows no hint window, only the long hint.
        SimulateMouseMove(*h.FilePopup(), PopupRowCentre(*h.FilePopup(), 2));
    });
    script.AddPause(100);
    script.Add([&] {
        shownOnCut = Application().ShownHint();
        longOnCut = Application().Hint();
        stillModal = (h.bar->View().State() & vsModal) != 0;
        SimulateClick(*h.other, TPoint{5, 5});
    });
    EXPECT_TRUE(script.Run());
    Application().SetHintPause(savedPause);
    EXPECT_EQ(shownOnOpen, "Open a file (Ctrl+O)");
    EXPECT_EQ(longOnOpen, "Opens a schedule from disk");
    EXPECT_EQ(shownOnCut, "");
    EXPECT_EQ(longOnCut, "Moves the bar to the clipboard");
    EXPECT_TRUE(stillModal);
    // Leaving menu mode clears both.
    EXPECT_EQ(Application().Hint(), "");
    EXPECT_EQ(Application().ShownHint(), "");
    EXPECT_FALSE(h.bar->View().State() & vsModal);
}

TEST(BarMenuMode, ViewerHintsComeFromTheHintOrTheCaptionAndEndWithTheShortCut)
{
    TBarRootItem root;
    auto add = [&](const std::string &caption) {
        auto *item = new TBarCustomItem;
        item->SetCaption(caption);
        root.Add(item);
        return item;
    };
    TBarCustomItem *open = add("&Open...");
    open->SetShortCut('O' | scCtrl);
    TBarCustomItem *save = add("&Save\tCtrl+S");
    save->SetHint("Save the file|Writes the schedule");
    TBarCustomItem *recent = add("&Recent");
    recent->SetItemStyle(recent->ItemStyle() | HasSubmenu);
    TBarCustomItem *split = add("&Print");
    split->SetItemStyle(split->ItemStyle() | HasSubmenu | SubmenuOnArrowOnly);
    TBarCustomItem *quiet = add("&Quiet");
    quiet->SetOptions(broNoAutoHint);
    TAction vetoing, renaming;
    vetoing.OnHint = [](std::string &, bool &canShow) { canShow = false; };
    renaming.OnHint = [](std::string &hint, bool &) { hint = "renamed " + hint; };
    TBarCustomItem *vetoed = add("");
    vetoed->SetAction(&vetoing);
    vetoed->SetCaption("Vetoed");
    TBarCustomItem *renamed = add("");
    renamed->SetAction(&renaming);
    renamed->SetCaption("Renamed:");
    TBarView view(nullptr, nullptr, &root, nullptr, false, false, false);
    std::vector<std::string> hints;
    for (int i = 0; i < view.ViewerCount(); ++i)
        hints.push_back(view.Viewers(i)->GetViewerHint());
    EXPECT_EQ(hints, (std::vector<std::string>{"Open (Ctrl+O)", "Save the file (Ctrl+S)", "", "Print", "", "",
                                               "renamed Renamed"}));
    Application().SetHintShortCuts(false);
    EXPECT_EQ(view.Viewers(0)->GetViewerHint(), "Open");
    Application().SetHintShortCuts(true);
}

TEST(BarMenuMode, RestingOnASubmenuRowOpensItAfterTheDelayThroughThePopupsTimer)
{
    BoundHost h;
    SystemParameters().MenuShowDelay = 40;
    bool openAtOnce = true, openLater = false;
    // The opening comes as the popup window's timer message, through the dispatcher.
    int openTimerMessages = 0;
    int hook = AddMessageHook([&](TMessageTarget *target, TMessage &message) {
        if (message.Msg == WM_TIMER && message.WParam == 9000 && target == h.FilePopup())
            ++openTimerMessages;
        return false;
    });
    Script script;
    script.Add([&] { SimulateMousePress(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateMouseRelease(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateMouseMove(*h.FilePopup(), PopupRowCentre(*h.FilePopup(), 0)); });
    script.Add([&] {
        openAtOnce = h.FilePopup()->View()->OpenPopup() != nullptr;
    });
    script.AddPause(150);
    script.Add([&] {
        openLater = h.FilePopup()->View()->OpenPopup() != nullptr;
        SimulateKey(VK_MENU);
    });
    EXPECT_TRUE(script.Run());
    RemoveMessageHook(hook);
    EXPECT_FALSE(openAtOnce);
    EXPECT_TRUE(openLater);
    EXPECT_EQ(openTimerMessages, 1);
    EXPECT_FALSE(h.bar->View().State() & vsModal);
}

TEST(BarMenuMode, ALongSubmenuScrollsWithTheWheelAndAChosenRowRunsOnce)
{
    BoundHost h;
    SystemParameters().MenuShowDelay = 0;
    for (int i = 1; i <= 60; ++i) {
        TBarCustomItem *item = AddItem(*h.recent, "Item " + std::to_string(i));
        item->OnClick = [&h, item](TObject *) { h.log.push_back(item->Caption()); };
    }
    TBarPopupWindow *recent = nullptr;
    int offsetBefore = -1, offsetAfter = -1;
    bool arrow = false;
    Script script;
    script.Add([&] { SimulateMousePress(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateMouseRelease(*h.bar, h.bar->CentreOf(0)); });
    script.Add([&] { SimulateKey(VK_DOWN); });  // "Recent"
    script.Add([&] { SimulateKey(VK_RIGHT); }); // its submenu
    script.Add([&] {
        recent = h.FilePopup()->View()->OpenPopup();
        if (!recent)
            return;
        arrow = recent->View()->ShowDownArrow();
        offsetBefore = recent->View()->ScrollOffset();
        SimulateMouseMove(*recent, PopupRowCentre(*recent, 5));
    });
    script.AddPause(30); // the move is taken before the wheel turns
    script.Add([&] {
        if (recent)
            SimulateWheel(*recent, PopupRowCentre(*recent, 5), -120);
    });
    script.Add([&] {
        if (!recent)
            return;
        offsetAfter = recent->View()->ScrollOffset();
        SimulateClick(*recent, PopupRowCentre(*recent, 10));
    });
    EXPECT_TRUE(script.Run());
    ASSERT_NE(recent, nullptr);
    EXPECT_TRUE(arrow);
    EXPECT_EQ(offsetBefore, 0);
    EXPECT_GT(offsetAfter, 0);
    ASSERT_EQ(h.log.size(), 1u);
    EXPECT_EQ(h.log[0], "Item 10"); // the row is the tenth item: "first.xml" is row 0
    EXPECT_FALSE(h.bar->View().State() & vsModal);
}
