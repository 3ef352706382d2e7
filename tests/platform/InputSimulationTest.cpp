#include "platform/InputSimulation.h"

#include "platform/ComboBox.h"
#include "platform/Forms.h"
#include "platform/Panel.h"
#include "platform/Shape.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(InputSimulation, AWindowlessDragDropsWhereTheReleaseHappened)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    TPanel panel(nullptr);
    panel.SetAlign(alClient);
    panel.SetParent(&form);
    TShape source(nullptr), target(nullptr);
    source.SetBounds(10, 10, 40, 20);
    target.SetBounds(100, 60, 80, 50);
    source.SetParent(&panel);
    target.SetParent(&panel);
    std::vector<std::string> log;
    source.OnMouseDown = [&](TObject *, TMouseButton, TShiftState shift, int x, int y) {
        log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
        if (shift & ssShift)
            source.BeginDrag(true);
    };
    target.OnDragOver = [&](TObject *, TObject *from, int, int, TDragState, bool &accept) { accept = from == &source; };
    target.OnDragDrop = [&](TObject *, TObject *from, int x, int y) {
        log.push_back(std::string(from == &source ? "drop " : "drop? ") + std::to_string(x) + "," + std::to_string(y));
    };
    ASSERT_TRUE(SimulateActivation(form));

    // The release point, given in the source's coordinates, is (7, 3) of the target.
    SimulateDrag(source, TPoint{5, 5}, TPoint{97, 53}, ssShift, 3);
    EXPECT_EQ(log, (std::vector<std::string>{"down 5,5", "drop 7,3"}));
    EXPECT_FALSE(source.Dragging());

    // Without Shift nothing is dragged, and the source keeps the mouse until the release.
    log.clear();
    std::vector<std::string> moves;
    source.OnMouseMove = [&](TObject *, TShiftState, int x, int y) {
        moves.push_back(std::to_string(x) + "," + std::to_string(y));
    };
    SimulateDrag(source, TPoint{5, 5}, TPoint{97, 53});
    EXPECT_EQ(log, (std::vector<std::string>{"down 5,5"}));
    EXPECT_EQ(moves, (std::vector<std::string>{"51,29", "97,53"}));
    form.Hide();
}

TEST(InputSimulation, KeysReachTheFocusedWindowAndTypingChangesAComboBoxText)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 100);
    TComboBox combo(nullptr);
    combo.SetItems({"8", "10"});
    combo.SetText("10");
    combo.SetBounds(10, 10, 100, 21);
    combo.SetParent(&form);
    int changes = 0;
    combo.OnChange = [&](TObject *) { ++changes; };
    std::vector<int> previewed;
    form.SetKeyPreview(true);
    form.OnKeyDown = [&](TObject *, int &key, TShiftState) { previewed.push_back(key); };
    ASSERT_TRUE(SimulateActivation(form));

    SimulateClick(combo, TPoint{5, 5});
    ASSERT_EQ(FocusedControl(), &combo);
    SimulateKey(VK_END);
    SimulateKey(VK_BACK);
    EXPECT_EQ(combo.Text(), "1");
    EXPECT_EQ(combo.ItemIndex(), -1);
    SimulateTyping("2日");
    EXPECT_EQ(combo.Text(), "12日");
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(previewed, (std::vector<int>{VK_END, VK_BACK, '2'}));
    form.Hide();
}
