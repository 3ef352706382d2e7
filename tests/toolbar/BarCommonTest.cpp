#include "toolbar/BarCommon.h"
#include "toolbar/BarHook.h"

#include "platform/kernel/Forms.h"
#include "platform/services/InputSimulation.h"
#include "platform/services/SystemParameters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(BarCommon, AcceleratorMarksInCaptions)
{
    EXPECT_EQ(StripAccelChars("新規作成(&N)"), "新規作成(N)");
    EXPECT_EQ(FindAccelChar("新規作成(&N)"), U'N');
    EXPECT_EQ(StripAccelChars("A&&B"), "A&B");
    EXPECT_EQ(FindAccelChar("A&&B"), 0u);
    EXPECT_EQ(FindAccelChar("&File &Edit"), U'E'); // the last single mark
    EXPECT_EQ(FindAccelChar("End&"), 0u);
    EXPECT_EQ(FindAccelChar("&表示"), U'表');
    EXPECT_EQ(StripAccelChars("End&"), "End");
    EXPECT_EQ(EscapeAmpersands("R&D"), "R&&D");
    EXPECT_EQ(StripTrailingPunctuation("Name:"), "Name");
    EXPECT_EQ(StripTrailingPunctuation(":"), ":");
    EXPECT_EQ(StripTrailingPunctuation("Open..."), "Open");
    EXPECT_EQ(StripTrailingPunctuation("..."), "...");
}

TEST(BarCommon, DivisionRoundsAwayFromZero)
{
    EXPECT_EQ(DivRoundAwayFromZero(26, 3), 9);
    EXPECT_EQ(DivRoundAwayFromZero(27, 3), 9);
    EXPECT_EQ(DivRoundAwayFromZero(-26, 3), -9);
    EXPECT_EQ(DivRoundAwayFromZero(0, 3), 0);
}

TEST(BarCommon, MenuShowDelayIsNeverNegative)
{
    TScopedSystemParameters scope;
    EXPECT_EQ(GetMenuShowDelay(), 400);
    SystemParameters().MenuShowDelay = -20;
    EXPECT_EQ(GetMenuShowDelay(), 0);
    SystemParameters().VersionMajor = 3;
    EXPECT_EQ(GetMenuShowDelay(), 400);
}

namespace {
std::vector<std::string> gHookCalls;
void HookA(THookKind kind, TMessageTarget *, WPARAM, LPARAM) { gHookCalls.push_back("A" + std::to_string(kind)); }
void HookB(THookKind kind, TMessageTarget *, WPARAM, LPARAM);
void HookC(THookKind kind, TMessageTarget *, WPARAM, LPARAM) { gHookCalls.push_back("C" + std::to_string(kind)); }
int gOwnerA, gOwnerB, gOwnerC;
void HookB(THookKind kind, TMessageTarget *, WPARAM, LPARAM)
{
    gHookCalls.push_back("B" + std::to_string(kind));
    // Removes an earlier entry and itself while the dispatch runs.
    HookUnsubscribe(&gOwnerA, HookA);
    HookUnsubscribe(&gOwnerB, HookB);
}
void Throws(THookKind, TMessageTarget *, WPARAM, LPARAM) { throw std::runtime_error("subscriber failed"); }

struct Window : TMessageTarget {
    int got = 0;
    void WndProc(TMessage &) override { ++got; }
};
} // namespace

TEST(BarHook, SubscribersShareEntriesAndTheHookLivesWhileNeeded)
{
    gHookCalls.clear();
    Window window;
    int owner1 = 0, owner2 = 0;
    HookSubscribe(&owner1, HookA, 1u << HookKindActivate);
    HookSubscribe(&owner2, HookA, 1u << HookKindActivate);
    HookSubscribe(&owner2, HookA, 1u << HookKindActivate); // counted once
    EXPECT_TRUE(HookInstalled(HookKindActivateApp)); // served by the same hook
    EXPECT_FALSE(HookInstalled(HookKindDestroyWindow));
    SendMessage(&window, WM_ACTIVATE, 1, 0);
    SendMessage(&window, WM_DESTROY);
    EXPECT_EQ(gHookCalls, std::vector<std::string>{"A0"}); // one entry for both owners
    EXPECT_EQ(window.got, 2);
    HookUnsubscribe(&owner1, HookA);
    EXPECT_TRUE(HookInstalled(HookKindActivate));
    HookUnsubscribe(&owner2, HookA);
    EXPECT_FALSE(HookInstalled(HookKindActivate));
    SendMessage(&window, WM_ACTIVATE, 1, 0);
    EXPECT_EQ(gHookCalls.size(), 1u);
}

TEST(BarHook, DispatchSurvivesSubscribersThatUnsubscribeOrFail)
{
    gHookCalls.clear();
    Window window;
    int owner = 0;
    HookSubscribe(&gOwnerA, HookA, 1u << HookKindWindowPosChanged);
    HookSubscribe(&gOwnerB, HookB, 1u << HookKindWindowPosChanged);
    HookSubscribe(&owner, Throws, 1u << HookKindWindowPosChanged);
    HookSubscribe(&gOwnerC, HookC, 1u << HookKindWindowPosChanged);
    SendMessage(&window, WM_WINDOWPOSCHANGED);
    // The entry after the removed ones is still called; the failing one is skipped.
    EXPECT_EQ(gHookCalls, (std::vector<std::string>{"A2", "B2", "C2"}));
    HookUnsubscribe(&owner, Throws);
    HookUnsubscribe(&gOwnerC, HookC);
    EXPECT_FALSE(HookInstalled(HookKindWindowPosChanged));
}

namespace {
std::vector<std::pair<THookKind, TMessageTarget *>> gWindowEvents;
void RecordWindowEvent(THookKind kind, TMessageTarget *window, WPARAM, LPARAM)
{
    gWindowEvents.emplace_back(kind, window);
}
} // namespace

TEST(BarHook, WindowActivationAndMovesReachTheSubscribers)
{
    gWindowEvents.clear();
    int owner = 0;
    HookSubscribe(&owner, RecordWindowEvent,
                  (1u << HookKindActivate) | (1u << HookKindWindowPosChanged) | (1u << HookKindDestroyWindow));
    const void *formAddress = nullptr;
    {
        TForm form(nullptr);
        form.SetBounds(10, 10, 200, 100);
        ASSERT_TRUE(SimulateActivation(form));
        form.SetBounds(30, 30, 220, 120);
        ProcessMessages();
        auto seen = [&](THookKind kind) {
            for (auto &[k, w] : gWindowEvents)
                if (k == kind && w == &form)
                    return true;
            return false;
        };
        EXPECT_TRUE(seen(HookKindActivate));
        EXPECT_TRUE(seen(HookKindWindowPosChanged));
        EXPECT_FALSE(seen(HookKindDestroyWindow));
        formAddress = static_cast<TMessageTarget *>(&form);
    }
    // The window's end is told once, while it still existed.
    int destroyed = 0;
    for (auto &[k, w] : gWindowEvents)
        destroyed += k == HookKindDestroyWindow && static_cast<const void *>(w) == formAddress;
    EXPECT_EQ(destroyed, 1);
    HookUnsubscribe(&owner, RecordWindowEvent);
    size_t before = gWindowEvents.size();
    TForm later(nullptr);
    SimulateActivation(later);
    EXPECT_EQ(gWindowEvents.size(), before); // nobody listens any more
}

namespace {
// A canvas with fixed metrics (7 pixels a character, 13 high, ascent 11)
// that records turned text and lines.
class RecordingCanvas : public TNullCanvas {
public:
    std::vector<std::string> log;
    void LineTo(int x, int y) override { log.push_back("line " + Point(PenPos()) + "-" + Point({x, y})); }
    TSize TextExtent(const std::string &text) override
    {
        int chars = 0;
        for (char c : text)
            chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        return TSize{7 * chars, 13};
    }
    TTextMetric TextMetrics() override
    {
        TTextMetric m;
        m.tmHeight = 13;
        m.tmAscent = 11;
        return m;
    }
    void RotatedTextOut(int x, int y, const std::string &text) override
    {
        log.push_back("text " + Point({x, y}) + " " + text);
    }
    static std::string Point(TPoint p) { return std::to_string(p.X) + "," + std::to_string(p.Y); }
};
} // namespace

TEST(BarCommon, RotatedCaptionsReadDownwardsCentredAcrossWithTheirAccelerator)
{
    RecordingCanvas c;
    // Centred across a 23-wide column: the text's 13 pixels from x 5 to 18.
    DrawRotatedText(c, "&File", TRect{0, 0, 23, 100}, DT_SINGLELINE);
    EXPECT_EQ(c.log, (std::vector<std::string>{"text 18,0 File", "line 6,0-6,7"}));

    c.log.clear();
    DrawRotatedText(c, "Fi&le && more", TRect{10, 20, 33, 200}, DT_CENTER | DT_HIDEPREFIX);
    // 11 characters (77 pixels) centred along 180; no underline shown.
    EXPECT_EQ(c.log, std::vector<std::string>{"text 28,71 File & more"});

    c.log.clear();
    DrawRotatedText(c, "&Save", TRect{0, 0, 23, 100}, DT_NOPREFIX);
    EXPECT_EQ(c.log, std::vector<std::string>{"text 18,0 &Save"});
}

TEST(BarCommon, RotatedCaptionsLongerThanTheirRoomAreCut)
{
    RecordingCanvas c;
    // 40 pixels hold two characters and the "..." (35 pixels); the
    // accelerator beyond the cut is not underlined.
    DrawRotatedText(c, "Propert&ies", TRect{0, 0, 23, 40}, DT_END_ELLIPSIS);
    EXPECT_EQ(c.log, std::vector<std::string>{"text 18,0 Pr..."});
    c.log.clear();
    DrawRotatedText(c, "&Print", TRect{0, 0, 23, 2}, DT_END_ELLIPSIS);
    EXPECT_EQ(c.log, (std::vector<std::string>{"text 18,0 P", "line 6,0-6,7"}));
    c.log.clear();
    DrawRotatedText(c, "Fits", TRect{0, 0, 23, 28}, DT_END_ELLIPSIS);
    EXPECT_EQ(c.log, std::vector<std::string>{"text 18,0 Fits"});
}

TEST(BarCommon, TurnedTextOnABitmapStandsInAColumn)
{
    TBitmap bitmap(60, 120);
    TCanvas &c = bitmap.Canvas();
    c.Font().SetColor(clBlack);
    DrawRotatedText(c, "WWWWWW", TRect{0, 0, 60, 120}, DT_NOCLIP);
    int minX = 60, maxX = -1, minY = 120, maxY = -1;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 60; ++x)
            if (bitmap.Pixel(x, y) != clWhite) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    ASSERT_GE(maxX, 0);
    int height = c.TextMetrics().tmHeight, length = c.TextWidth("WWWWWW");
    // Taller than wide, within the text's column and as long as the text.
    EXPECT_GT(maxY - minY, 2 * (maxX - minX));
    EXPECT_GE(minX, (60 - height) / 2 - 1);
    EXPECT_LE(maxX, (60 - height) / 2 + height);
    EXPECT_LE(maxY, length + 1);
    EXPECT_GE(maxY - minY, length / 2);
}
