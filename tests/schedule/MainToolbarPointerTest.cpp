// The main window's toolbars under the pointer: the hovered button lights and
// its hint names it, and the buttons sit centred across the dock's row, which
// the font toolbar makes thicker than they are.
#include "MainFixture.h"
#include "ToolbarClicks.h"

#include "platform/kernel/Application.h"
#include "platform/services/InputSimulation.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

using namespace testing_main;

namespace {

struct TPointedBoard {
    TStartup startup;
    TfrmMain form{nullptr, "", false};
    bool active = false;
    int savedPause = Application().HintPause();
    TPointedBoard()
    {
        Application().SetHintPause(20);
        form.SetBounds(0, 0, 900, 600);
        active = SimulateActivation(form);
        ProcessMessages();
    }
    ~TPointedBoard()
    {
        form.Hide();
        Application().SetHintPause(savedPause);
    }
    // The hint shown after resting on an item's button.
    std::string RestOn(TBarCustomToolbar &toolbar, const TBarCustomItem *item)
    {
        SimulateMouseMove(toolbar, ItemCentre(toolbar, item));
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
        while (std::chrono::steady_clock::now() < until && Application().ShownHint().empty()) {
            ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return Application().ShownHint();
    }
};

TRect ViewerRect(TBarCustomToolbar &toolbar, const TBarCustomItem *item)
{
    toolbar.View().EnsureLayout();
    return toolbar.View().Find(item)->BoundsRect();
}

} // namespace

TEST(MainToolbarPointer, EveryButtonNamesItselfInItsHint)
{
    TPointedBoard board;
    ASSERT_TRUE(board.active);
    TfrmMain &form = board.form;
    auto hintsOf = [&](TSkinToolbar &toolbar) {
        std::vector<std::string> hints;
        for (int i = 0; i < toolbar.Items()->Count(); ++i)
            hints.push_back(board.RestOn(toolbar, toolbar.Items()->GetItem(i)));
        return hints;
    };
    EXPECT_EQ(hintsOf(*form.tlbFile), (std::vector<std::string>{"新規作成", "開く", "上書き保存", "印刷"}));
    EXPECT_EQ(hintsOf(*form.tlbEdit),
              (std::vector<std::string>{"項目の追加", "項目の挿入", "項目の削除", "チャートの追加", "チャートの削除",
                                        "チャート情報の設定", "イベント設定", "グループの設定"}));
    EXPECT_EQ(hintsOf(*form.tlbMove),
              (std::vector<std::string>{"左に１年移動", "左に１月移動", "左に１週間移動", "左に１日移動",
                                        "最初の日付に戻る", "右に１日移動", "右に１週間移動", "右に１月移動",
                                        "右に１年移動"}));
}

TEST(MainToolbarPointer, TheRestedOnButtonIsLitAndItsHintHoldsInItsBounds)
{
    TPointedBoard board;
    ASSERT_TRUE(board.active);
    TfrmMain &form = board.form;
    EXPECT_EQ(board.RestOn(*form.tlbFile, form.btnNew), "新規作成");
    EXPECT_EQ(form.tlbFile->View().Selected(), form.tlbFile->View().Find(form.btnNew));
    EXPECT_EQ(board.RestOn(*form.tlbMove, form.btnDayR), "右に１日移動");
    // Over another toolbar the first one's button is no longer lit.
    EXPECT_EQ(form.tlbFile->View().Selected(), nullptr);
    EXPECT_EQ(form.tlbMove->View().Selected(), form.tlbMove->View().Find(form.btnDayR));
    THintInfo info;
    info.HintControl = form.tlbMove;
    info.CursorPos = ItemCentre(*form.tlbMove, form.btnDayR);
    ASSERT_EQ(SendMessage(form.tlbMove, CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 0);
    const TRect r = ViewerRect(*form.tlbMove, form.btnDayR);
    const TPoint origin = form.tlbMove->ClientOrigin();
    EXPECT_EQ(info.CursorRect, Bounds(r.Left + origin.X, r.Top + origin.Y, r.Width(), r.Height()));
    EXPECT_EQ(info.HintStr, "右に１日移動");
}

TEST(MainToolbarPointer, ButtonsSitCentredAcrossTheRowTheFontToolbarMakesThick)
{
    TPointedBoard board;
    ASSERT_TRUE(board.active);
    TfrmMain &form = board.form;
    ASSERT_EQ(form.tlbFont->EffectiveRow, form.tlbFile->EffectiveRow);
    // The font panel is 25 high, the buttons 22: one pixel above, two below.
    EXPECT_EQ(form.tlbFont->DockedCrossSize, 25);
    EXPECT_EQ(form.tlbFile->Height(), 29);
    EXPECT_EQ(ViewerRect(*form.tlbFile, form.btnNew), (TRect{0, 1, 23, 23}));
    EXPECT_EQ(ViewerRect(*form.tlbFile, form.btnPrint), (TRect{69, 1, 92, 23}));
    EXPECT_EQ(ViewerRect(*form.tlbEdit, form.tlbEdit->Items()->GetItem(0)), (TRect{0, 1, 23, 23}));
    EXPECT_EQ(ViewerRect(*form.tlbMove, form.btnYearL), (TRect{0, 1, 23, 23}));
    EXPECT_EQ(ViewerRect(*form.tlbMove, form.btnDayR), (TRect{115, 1, 138, 23}));
}
