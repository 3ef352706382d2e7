#include "platform/kernel/Application.h"
#include "platform/core/Exceptions.h"
#include "platform/widgets/ComboBox.h"
#include "platform/widgets/DateTimePicker.h"
#include "platform/kernel/Forms.h"
#include "platform/widgets/Image.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Memo.h"
#include "platform/core/Menus.h"
#include "platform/core/Messages.h"
#include "platform/widgets/Panel.h"
#include "platform/kernel/QtControls.h"
#include "platform/widgets/ScrollBar.h"
#include "platform/widgets/Shape.h"
#include "platform/widgets/SpinEdit.h"
#include "platform/widgets/Splitter.h"
#include "platform/widgets/StatusBar.h"
#include "tests/ShownSelection.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// A windowless control that paints itself in one colour and records what the mouse did.
class TSwatch : public TGraphicControl {
public:
    TSwatch(TComponent *owner, TColor color) : TGraphicControl(owner) { SetColor(color); }
    std::vector<std::string> log;

protected:
    void Paint() override
    {
        Canvas().Brush().SetColor(Color());
        Canvas().FillRect(ClientRect());
    }
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override
    {
        log.push_back("down " + std::to_string(button) + " " + std::to_string(x) + "," + std::to_string(y)
                      + ((shift & ssShift) ? " shift" : ""));
    }
    void MouseUp(TMouseButton, TShiftState, int x, int y) override
    {
        log.push_back("up " + std::to_string(x) + "," + std::to_string(y));
    }
};

LPARAM At(int x, int y) { return MakeLParam(x, y); }

} // namespace

TEST(Controls, TopAlignedChildrenStackInTheOrderOfTheirTop)
{
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 100, 500);
    TPanel a(nullptr), b(nullptr), c(nullptr);
    a.SetBounds(0, 200, 10, 30);
    b.SetBounds(0, 0, 10, 40);
    c.SetBounds(0, 100, 10, 50);
    // A paused layout resumes even when the scope is left by an exception.
    try {
        TAlignPause pause(panel);
        for (TPanel *p : {&a, &b, &c}) {
            p->SetParent(&panel);
            p->SetAlign(alTop);
        }
        EXPECT_EQ(a.Top(), 200);
        throw std::runtime_error("left early");
    } catch (const std::runtime_error &) {
    }
    EXPECT_EQ(b.Top(), 0);
    EXPECT_EQ(c.Top(), 40);
    EXPECT_EQ(a.Top(), 90);
    EXPECT_EQ(a.Width(), 100);
    // A control given the Top of another comes before it.
    a.SetTop(40);
    EXPECT_EQ(b.Top(), 0);
    EXPECT_EQ(a.Top(), 40);
    EXPECT_EQ(c.Top(), 70);
    // Hidden controls take no room; a left and a client control share the rest.
    c.Hide();
    TPanel left(nullptr), client(nullptr);
    left.SetWidth(30);
    left.SetAlign(alLeft);
    client.SetAlign(alClient);
    left.SetParent(&panel);
    client.SetParent(&panel);
    EXPECT_EQ(left.BoundsRect(), Rect(0, 70, 30, 500));
    EXPECT_EQ(client.BoundsRect(), Rect(30, 70, 100, 500));
    // Size constraints hold against layout and direct sets.
    a.SetConstraints(TSizeConstraints{0, 20, 0, 600});
    a.SetHeight(5);
    EXPECT_EQ(a.Height(), 20);
    a.SetHeight(1000);
    EXPECT_EQ(a.Height(), 600);
}

TEST(Controls, WindowlessChildrenPaintInZOrderAndTheTopmostGetsTheMouse)
{
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 40, 40);
    panel.SetColor(clWhite);
    panel.SetBevelOuter(bvNone);
    TSwatch red(nullptr, clRed), blue(nullptr, clBlue);
    red.SetBounds(0, 0, 20, 20);
    blue.SetBounds(10, 10, 20, 20);
    red.SetParent(&panel);
    blue.SetParent(&panel);

    TBitmap bitmap(40, 40);
    panel.PaintTo(bitmap.Canvas());
    EXPECT_EQ(bitmap.Pixel(15, 15), clBlue);  // made later, in front
    EXPECT_EQ(bitmap.Pixel(5, 5), clRed);
    EXPECT_EQ(bitmap.Pixel(35, 5), clWhite);
    EXPECT_EQ(panel.ControlAtPos(Point(15, 15)), &blue);

    red.BringToFront();
    TBitmap again(40, 40);
    panel.PaintTo(again.Canvas());
    EXPECT_EQ(again.Pixel(15, 15), clRed);
    EXPECT_EQ(panel.ControlAtPos(Point(15, 15)), &red);
    red.Hide();
    EXPECT_EQ(panel.ControlAtPos(Point(15, 15)), &blue);
    EXPECT_EQ(panel.ControlAtPos(Point(2, 2)), nullptr);
}

TEST(Controls, WindowlessChildrenAreFoundWhereverTheyMovedAmongThousands)
{
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 60000);
    panel.SetColor(clWhite);
    panel.SetBevelOuter(bvNone);
    std::vector<std::unique_ptr<TSwatch>> rows;
    for (int i = 0; i < 2000; ++i) {
        rows.push_back(std::make_unique<TSwatch>(nullptr, clRed));
        rows.back()->SetBounds(0, i * 30, 100, 20);
        rows.back()->SetParent(&panel);
    }
    TSwatch tall(nullptr, clGreen);  // reaches over many rows, behind them
    tall.SetBounds(200, -50, 50, 60000);
    tall.SetParent(&panel);
    tall.SendToBack();
    TSwatch &moved = *rows[5];
    moved.SetBounds(300, 40000, 30, 300);
    EXPECT_EQ(panel.ControlAtPos(Point(310, 40290)), &moved);
    EXPECT_EQ(panel.ControlAtPos(Point(10, 155)), nullptr);
    EXPECT_EQ(panel.ControlAtPos(Point(10, 40 * 30 + 5)), rows[40].get());
    EXPECT_EQ(panel.ControlAtPos(Point(210, -40)), &tall);
    moved.SetBounds(190, 100, 30, 20);
    EXPECT_EQ(panel.ControlAtPos(Point(210, 105)), &moved);
    EXPECT_EQ(panel.ControlAtPos(Point(310, 40290)), nullptr);

    TBitmap part(400, 200);
    part.Canvas().SetWindowOrg(0, 40000 - 100);
    panel.PaintTo(part.Canvas());
    EXPECT_EQ(part.Pixel(205, 10), clGreen);
    EXPECT_EQ(part.Pixel(5, 40025 - 39900), clRed);
    EXPECT_EQ(part.Pixel(310, 150), clWhite);

    rows[40].reset();
    EXPECT_EQ(panel.ControlAtPos(Point(10, 40 * 30 + 5)), nullptr);
    tall.SetParent(nullptr);
    EXPECT_EQ(panel.ControlAtPos(Point(210, 50000)), nullptr);
}

TEST(Controls, ShapeWithClearBrushAndNoPenDrawsNothing)
{
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 20, 20);
    panel.SetColor(clWhite);
    panel.SetBevelOuter(bvNone);
    TShape band(nullptr);
    band.SetBounds(0, 0, 20, 20);
    band.Brush().SetStyle(bsClear);
    band.Pen().SetStyle(psClear);
    band.SetParent(&panel);
    TShape box(nullptr);
    box.SetBounds(5, 5, 10, 10);
    box.Brush().SetColor(clLime);
    box.SetParent(&panel);
    TBitmap bitmap(20, 20);
    panel.PaintTo(bitmap.Canvas());
    EXPECT_EQ(bitmap.Pixel(1, 1), clWhite);
    EXPECT_EQ(bitmap.Pixel(5, 5), clBlack); // the pen frame
    EXPECT_EQ(bitmap.Pixel(10, 10), clLime);
}

TEST(Controls, SplitterResizesTheControlAboveThroughCanResize)
{
    TPanel column(nullptr);
    column.SetBounds(0, 0, 100, 400);
    TMemo caption(nullptr);
    caption.SetBounds(0, 0, 100, 50);
    caption.SetConstraints(TSizeConstraints{0, 20, 0, 600});
    caption.SetAlign(alTop);
    caption.SetParent(&column);
    TSplitter splitter(nullptr);
    splitter.SetBounds(0, 55, 100, 1);
    splitter.SetAlign(alTop);
    splitter.SetMinSize(20);
    splitter.SetParent(&column);
    EXPECT_EQ(splitter.Top(), 50);
    EXPECT_EQ(splitter.ResizeControl(), &caption);

    std::vector<int> asked;
    int moved = 0;
    splitter.OnCanResize = [&](TObject *, int &size, bool &) { asked.push_back(size); };
    splitter.OnMoved = [&](TObject *) { ++moved; };
    SendMessage(&splitter, WM_LBUTTONDOWN, MK_LBUTTON, At(3, 0));
    SendMessage(&splitter, WM_MOUSEMOVE, MK_LBUTTON, At(3, 30));
    SendMessage(&splitter, WM_MOUSEMOVE, MK_LBUTTON, At(3, -45)); // below the minimum
    EXPECT_EQ(asked, (std::vector<int>{80, 20}));
    EXPECT_EQ(caption.Height(), 50); // applied only on release
    SendMessage(&splitter, WM_MOUSEMOVE, MK_LBUTTON, At(3, 10));
    SendMessage(&splitter, WM_LBUTTONUP, 0, At(3, 10));
    EXPECT_EQ(caption.Height(), 60);
    EXPECT_EQ(splitter.Top(), 60);
    EXPECT_EQ(moved, 1);

    // A refused size keeps the last accepted one.
    splitter.OnCanResize = [&](TObject *, int &size, bool &accept) { accept = size < 100; };
    SendMessage(&splitter, WM_LBUTTONDOWN, MK_LBUTTON, At(3, 0));
    SendMessage(&splitter, WM_MOUSEMOVE, MK_LBUTTON, At(3, 20));
    SendMessage(&splitter, WM_MOUSEMOVE, MK_LBUTTON, At(3, 200));
    SendMessage(&splitter, WM_LBUTTONUP, 0, At(3, 200));
    EXPECT_EQ(caption.Height(), 80);
}

TEST(Messages, PostedMessagesArriveLaterAndNeverAtAFreedControl)
{
    struct TRecorder : TControl {
        using TControl::TControl;
        std::vector<unsigned> got;
        void WndProc(TMessage &m) override { got.push_back(m.Msg); m.Result = 7; }
    };
    TRecorder a(nullptr);
    auto b = std::make_unique<TRecorder>(nullptr);
    EXPECT_EQ(SendMessage(&a, WM_USER + 1), 7);
    PostMessage(&a, WM_USER + 2);
    PostMessage(b.get(), WM_USER + 3);
    b.reset();
    EXPECT_EQ(a.got, (std::vector<unsigned>{WM_USER + 1}));
    ProcessMessages();
    EXPECT_EQ(a.got, (std::vector<unsigned>{WM_USER + 1, WM_USER + 2}));

    // A hook sees every message first and may consume it.
    std::vector<unsigned> seen;
    int id = AddMessageHook([&](TMessageTarget *, TMessage &m) {
        seen.push_back(m.Msg);
        return m.Msg == WM_USER + 5;
    });
    SendMessage(&a, WM_USER + 4);
    SendMessage(&a, WM_USER + 5);
    RemoveMessageHook(id);
    SendMessage(&a, WM_USER + 6);
    EXPECT_EQ(seen, (std::vector<unsigned>{WM_USER + 4, WM_USER + 5}));
    EXPECT_EQ(a.got.back(), WM_USER + 6u);
    EXPECT_EQ(a.got.size(), 4u);
}

TEST(Forms, KeyPreviewLetsTheFormSeeAndEatKeysFirst)
{
    TForm form(nullptr);
    form.SetKeyPreview(true);
    TMemo memo(nullptr);
    memo.SetParent(&form);
    std::vector<std::string> log;
    form.OnKeyDown = [&](TObject *, int &key, TShiftState) {
        log.push_back("form " + std::to_string(key));
        if (key == VK_ESCAPE)
            key = 0;
    };
    memo.OnKeyDown = [&](TObject *, int &key, TShiftState) { log.push_back("memo " + std::to_string(key)); };
    SendMessage(&memo, WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessage(&memo, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"form 27", "form 46", "memo 46"}));
}

TEST(Forms, MouseInputOnTheWindowReachesTheWindowlessControlUnderIt)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 150);
    TPanel panel(&form);
    panel.SetAlign(alClient);
    panel.SetParent(&form);
    TSwatch swatch(nullptr, clRed);
    swatch.SetBounds(30, 40, 50, 20);
    swatch.SetParent(&panel);
    form.ShowForm();
    ASSERT_TRUE(panel.HandleAllocated());
    QWidget *client = panel.Link()->Client();
    QTest::mousePress(client, Qt::LeftButton, Qt::ShiftModifier, QPoint(35, 45));
    QTest::mouseRelease(client, Qt::LeftButton, Qt::ShiftModifier, QPoint(90, 45));
    QTest::mouseClick(client, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(swatch.log, (std::vector<std::string>{"down 0 5,5 shift", "up 60,5"}));
    form.Hide();
}

TEST(Forms, ADialogCentredOnTheMainFormOpensOverIt)
{
    TForm main(nullptr);
    main.SetBounds(100, 80, 600, 400);
    Application().SetMainForm(&main);
    main.ShowForm();
    TForm dialog(nullptr);
    dialog.SetPosition(poMainFormCenter);
    dialog.SetBounds(0, 0, 200, 100);
    dialog.ShowForm();
    QWidget *window = dialog.Link()->Widget();
    // The main window's place is where the window system put it.
    EXPECT_EQ(window->x(), main.Left() + (600 - 200) / 2);
    EXPECT_EQ(window->y(), main.Top() + (400 - 100) / 2);
    dialog.Hide();
    main.Hide();
    Application().SetMainForm(nullptr);
}

// A dialog's border is a fixed-size dialog window to the window manager: no
// minimise or maximise button, and its smallest and largest sizes are its
// size, also after the program sizes it anew. A sizeable form stays sizeable.
TEST(Forms, ADialogBorderMakesAFixedSizeWindowWithoutMinimiseOrMaximise)
{
    TForm dialog(nullptr);
    dialog.SetBorderStyle(bsDialog);
    dialog.SetBounds(50, 50, 320, 240);
    dialog.ShowForm();
    QWidget *window = dialog.Link()->Widget();
    EXPECT_FALSE(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(window->minimumSize(), QSize(320, 240));
    EXPECT_EQ(window->maximumSize(), QSize(320, 240));
    dialog.SetBounds(50, 50, 400, 260);
    EXPECT_EQ(window->size(), QSize(400, 260));
    EXPECT_EQ(window->maximumSize(), QSize(400, 260));
    // The person's resize is refused.
    SimulateWindowResize(dialog, 800, 600);
    EXPECT_EQ(window->size(), QSize(400, 260));
    EXPECT_EQ(dialog.Width(), 400);
    dialog.Hide();

    TForm sizeable(nullptr);
    sizeable.SetBounds(50, 50, 320, 240);
    sizeable.ShowForm();
    SimulateWindowResize(sizeable, 500, 300);
    EXPECT_EQ(sizeable.Width(), 500);
    sizeable.Hide();
}

TEST(Controls, AnEditsAlignmentReachesItsWindowBeforeAndAfterItIsMade)
{
    TForm form(nullptr);
    TEdit early(&form), late(&form);
    early.SetAlignment(taRightJustify);
    early.SetParent(&form);
    late.SetParent(&form);
    form.ShowForm();
    late.SetAlignment(taCenter);
    auto horizontal = [](TEdit &e) {
        return static_cast<QLineEdit *>(e.Link()->Widget())->alignment() & Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(horizontal(early), Qt::AlignRight);
    EXPECT_EQ(horizontal(late), Qt::AlignHCenter);
    form.Hide();
}

// Text fields keep their selection while their window is not the active one,
// but show it only when the window is active again.
TEST(Controls, TextFieldsInAWindowThatIsNotActiveShowNoSelection)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    TEdit edit(&form);
    edit.SetText("schedule");
    TSpinEdit spin(&form);
    spin.SetRange(0, 9999);
    spin.SetValue(1234);
    TDateTimePicker picker(&form);
    const std::pair<TWinControl *, const char *> fields[] = {{&edit, "edit"}, {&spin, "spin"}, {&picker, "date"}};
    int top = 10;
    for (auto [field, name] : fields) {
        field->SetParent(&form);
        field->SetBounds(10, top, 200, 24);
        top += 40;
    }
    ASSERT_TRUE(SimulateActivation(form));
    for (auto [field, name] : fields) {
        field->SetFocus();
        SimulateKey('A', ssCtrl);
        ASSERT_GT(testing_support::SelectionPixels(*field), 0) << name;
        SimulateApplicationDeactivation();
        EXPECT_EQ(testing_support::SelectionPixels(*field), 0) << name;
        ASSERT_TRUE(SimulateActivation(form));
        EXPECT_GT(testing_support::SelectionPixels(*field), 0) << name;
    }
    form.Hide();
}

TEST(Forms, ScrollBoxAlignsChildrenInItsWholeRange)
{
    TScrollBox box(nullptr);
    box.SetBounds(0, 0, 204, 104);
    TPanel column(nullptr);
    column.SetWidth(50);
    column.SetAlign(alLeft);
    column.SetParent(&box);
    EXPECT_EQ(column.Height(), 100);
    box.VertScrollBar().SetRange(1000);
    EXPECT_EQ(column.Height(), 1000);
    EXPECT_EQ(box.ClientWidth(), 200 - 16);
    box.VertScrollBar().SetPosition(5000);
    EXPECT_EQ(box.VertScrollBar().Position(), 900);
}

TEST(Controls, StandardControlsKeepTheirStateWithoutAWindow)
{
    TComboBox combo(nullptr);
    combo.SetStyle(csDropDownList);
    combo.SetItems({"左寄せ", "中央", "右寄せ"});
    combo.SetText("中央");
    EXPECT_EQ(combo.ItemIndex(), 1);
    combo.SetText("なし");
    EXPECT_EQ(combo.ItemIndex(), -1);
    EXPECT_EQ(combo.Text(), "");

    TScrollBar bar(nullptr);
    bar.SetParams(2000, 0, 4000);
    EXPECT_EQ(bar.Position(), 2000);
    EXPECT_THROW(bar.SetMax(-1), EInvalidOperation);
    EXPECT_EQ(bar.Max(), 4000);

    TMemo memo(nullptr);
    int changes = 0;
    memo.OnChange = [&](TObject *) { ++changes; };
    memo.SetText("abc");
    memo.SetText("abc");
    EXPECT_EQ(changes, 1);

    TStatusBar status(nullptr);
    status.AddPanel(200);
    status.SetPanelText(0, "本日");
    EXPECT_EQ(status.PanelText(0), "本日");
}

TEST(Menus, PopupMenuOfAParentServesItsWindowlessChildren)
{
    TPanel panel(nullptr);
    TPopupMenu menu(nullptr);
    panel.SetPopupMenu(&menu);
    TSwatch swatch(nullptr, clRed);
    swatch.SetParent(&panel);
    EXPECT_EQ(swatch.PopupMenu(), nullptr);
    {
        TPopupMenu other(nullptr);
        swatch.SetPopupMenu(&other);
        EXPECT_EQ(swatch.PopupMenu(), &other);
    }
    // The free notification cleared the reference.
    EXPECT_EQ(swatch.PopupMenu(), nullptr);
}

TEST(Menus, ATextBoxWithAPopupMenuNeverOpensTheToolkitsEditMenu)
{
    TForm form(nullptr);
    TPanel column(&form);
    column.SetParent(&form);
    TMemo caption(&form), plain(&form);
    caption.SetParent(&column);
    plain.SetParent(&form);
    TPopupMenu menu(nullptr);
    column.SetPopupMenu(&menu);
    form.ShowForm();
    // Should the toolkit open its own menu, close it so the test cannot hang.
    bool toolkitMenuOpened = false;
    auto closeToolkitMenu = [&] {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            toolkitMenuOpened = true;
            popup->close();
        }
    };
    auto rightClick = [&](TMemo &memo) {
        QTimer::singleShot(100, closeToolkitMenu);
        QWidget *viewport = static_cast<QPlainTextEdit *>(memo.Link()->Widget())->viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), viewport->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(viewport, &event);
        QTest::qWait(150);
    };
    // The caption's parent has a popup menu: that one is shown on release, never the toolkit's.
    rightClick(caption);
    EXPECT_FALSE(toolkitMenuOpened);
    // Without a popup menu anywhere above it the toolkit's own edit menu stays.
    rightClick(plain);
    EXPECT_TRUE(toolkitMenuOpened);
    form.Hide();
}

TEST(Controls, AParentFreedLeavesItsAlignedChildrenWhereTheyWere)
{
    TPanel a(nullptr), b(nullptr), c(nullptr);
    auto panel = std::make_unique<TPanel>(nullptr);
    panel->SetBounds(0, 0, 100, 500);
    a.SetBounds(0, 0, 10, 20);
    b.SetBounds(0, 20, 10, 20);
    c.SetBounds(0, 40, 10, 20);
    // Added last, `a` is detached first.
    panel->DisableAlign();
    for (TPanel *p : {&c, &b, &a}) {
        p->SetParent(panel.get());
        p->SetAlign(alTop);
    }
    panel->EnableAlign();
    ASSERT_EQ(c.Top(), 40);
    panel.reset();
    EXPECT_EQ(a.Parent(), nullptr);
    EXPECT_EQ(b.Top(), 20);
    EXPECT_EQ(c.Top(), 40);
    // Detached children align again once they have a parent.
    TPanel other(nullptr);
    other.SetBounds(0, 0, 50, 100);
    c.SetParent(&other);
    EXPECT_EQ(c.Top(), 0);
    EXPECT_EQ(c.Width(), 50);
}

TEST(Controls, TheChildIndexKeepsEveryChildFindableThroughSwapsAndBandChanges)
{
    // Children filed in one band are unfiled by swapping with the last of the
    // band; whichever child takes the freed place must stay findable.
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 1000, 5000);
    std::vector<std::unique_ptr<TSwatch>> cells;
    auto at = [](int i) { return Point((i % 10) * 100 + 5, (i / 10) * 25 + 5); };
    for (int i = 0; i < 400; ++i) {
        cells.push_back(std::make_unique<TSwatch>(nullptr, clRed));
        cells.back()->SetBounds((i % 10) * 100, (i / 10) * 25, 90, 20);
        cells.back()->SetParent(&panel);
    }
    // Every third one leaves, every fifth one goes to a far band and back to
    // its place, a few grow over many bands and shrink again.
    for (int i = 0; i < 400; i += 3)
        cells[static_cast<size_t>(i)].reset();
    for (int i = 1; i < 400; i += 5) {
        if (!cells[static_cast<size_t>(i)])
            continue;
        TSwatch &c = *cells[static_cast<size_t>(i)];
        TRect home = c.BoundsRect();
        c.SetBounds(home.Left, 4500, 90, 20);
        c.SetBounds(home.Left, home.Top, 90, 20);
    }
    for (int i : {2, 50, 398}) {
        TSwatch &c = *cells[static_cast<size_t>(i)];
        TRect home = c.BoundsRect();
        c.SetBounds(home.Left, home.Top, 90, 3000);
        c.SetBounds(home.Left, home.Top, 90, 20);
    }
    for (int i = 0; i < 400; ++i)
        EXPECT_EQ(panel.ControlAtPos(at(i)), cells[static_cast<size_t>(i)].get()) << "cell " << i;
}

namespace {

// A scroll box over a column of `count` one-line edits, 30 pixels each, whose
// windows are made on demand.
struct TEditColumn {
    TForm form{nullptr};
    TScrollBox box{nullptr};
    TPanel column{nullptr};
    std::vector<std::unique_ptr<TEdit>> edits;
    explicit TEditColumn(int count)
    {
        form.SetBounds(0, 0, 300, 300);
        box.SetAlign(alClient);
        box.SetParent(&form);
        column.SetBevelOuter(bvNone);
        column.SetChildWindowsOnDemand(true);
        column.SetAlign(alClient);
        column.SetParent(&box);
        for (int i = 0; i < count; ++i) {
            edits.push_back(std::make_unique<TEdit>(nullptr));
            edits.back()->SetBounds(0, i * 30, 100, 30);
            edits.back()->SetText(std::to_string(i));
            edits.back()->SetParent(&column);
        }
        box.VertScrollBar().SetRange(count * 30);
    }
    int Windows() const
    {
        int n = 0;
        for (const auto &e : edits)
            n += e->HandleAllocated() ? 1 : 0;
        return n;
    }
    bool InView(const TEdit &e)
    {
        int pos = box.VertScrollBar().Position();
        return e.Top() >= pos && e.Top() + e.Height() <= pos + box.ClientHeight();
    }
};

} // namespace

TEST(Controls, ChildWindowsOnDemandFollowTheViewAndKeepTheirState)
{
    TEditColumn c(300);
    ASSERT_TRUE(SimulateActivation(c.form));
    EXPECT_TRUE(c.edits.front()->HandleAllocated());
    EXPECT_FALSE(c.edits.back()->HandleAllocated());
    EXPECT_LE(c.Windows(), 60);

    // Typed text stays with the control when its window is given back.
    c.edits[1]->SetFocus();
    SimulateTyping("x");
    ASSERT_EQ(c.edits[1]->Text(), "1x");
    c.box.VertScrollBar().SetPosition(300 * 30);
    EXPECT_TRUE(c.edits.back()->HandleAllocated());
    EXPECT_TRUE(c.edits[1]->HandleAllocated()) << "the focused control keeps its window";
    c.edits.back()->SetFocus();
    c.box.VertScrollBar().SetPosition(8000);
    EXPECT_FALSE(c.edits[1]->HandleAllocated());
    EXPECT_LE(c.Windows(), 60);
    EXPECT_EQ(c.edits[1]->Text(), "1x");

    // Focus into a control far from the view: it gets a window and comes into view.
    c.edits[150]->SetFocus();
    EXPECT_EQ(FocusedControl(), c.edits[150].get());
    EXPECT_TRUE(c.InView(*c.edits[150]));
    SimulateTyping("y");
    EXPECT_EQ(c.edits[150]->Text(), "150y");

    // A control moved next to the view gets a window, one moved away gives it back.
    int pos = c.box.VertScrollBar().Position();
    c.edits[5]->SetTop(pos + 40);
    EXPECT_TRUE(c.edits[5]->HandleAllocated());
    c.edits[5]->SetTop(5 * 30);
    EXPECT_FALSE(c.edits[5]->HandleAllocated());
    c.form.Hide();
}

TEST(Controls, TabMovesThroughChildWindowsOnDemandInTheOrderTheyWereMade)
{
    TEditColumn c(200);
    ASSERT_TRUE(SimulateActivation(c.form));
    c.edits[0]->SetFocus();
    for (int i = 1; i < 120; ++i) {
        SimulateKey(VK_TAB);
        ASSERT_EQ(FocusedControl(), c.edits[static_cast<size_t>(i)].get()) << "after " << i << " tabs";
        ASSERT_TRUE(c.InView(*c.edits[static_cast<size_t>(i)]));
    }
    EXPECT_LE(c.Windows(), 60);
    for (int i = 118; i >= 100; --i) {
        SimulateKey(VK_TAB, ssShift);
        ASSERT_EQ(FocusedControl(), c.edits[static_cast<size_t>(i)].get());
    }
    // A control that cannot take the focus is passed over.
    c.edits[101]->SetEnabled(false);
    SimulateKey(VK_TAB);
    EXPECT_EQ(FocusedControl(), c.edits[102].get());
    c.form.Hide();
}

// Out of the tab order, a control and the controls inside it (also those
// whose windows are made later) are passed over by Tab, though a click still
// focuses them; back in, Tab reaches them, but not a control inside that is
// itself still out.
TEST(Controls, TabPassesOverControlsOutOfTheTabOrder)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 200);
    TEdit first(nullptr), inner(nullptr), last(nullptr);
    TPanel panel(nullptr);
    TComboBox box(nullptr);
    first.SetBounds(10, 10, 80, 21);
    first.SetParent(&form);
    panel.SetBounds(10, 40, 300, 30);
    panel.SetParent(&form);
    inner.SetBounds(5, 5, 80, 21);
    inner.SetParent(&panel);
    box.SetBounds(100, 5, 80, 21);
    box.SetParent(&panel);
    last.SetBounds(10, 100, 80, 21);
    last.SetParent(&form);
    panel.SetOutOfTabOrder(true);
    ASSERT_TRUE(SimulateActivation(form));

    auto tabbed = [&] {
        first.SetFocus();
        std::vector<TWinControl *> met;
        for (int i = 0; i < 4; ++i) {
            SimulateKey(VK_TAB);
            met.push_back(FocusedControl());
        }
        return met;
    };
    auto has = [](const std::vector<TWinControl *> &met, TWinControl *c) {
        return std::find(met.begin(), met.end(), c) != met.end();
    };
    std::vector<TWinControl *> met = tabbed();
    EXPECT_TRUE(has(met, &last));
    EXPECT_FALSE(has(met, &inner));
    EXPECT_FALSE(has(met, &box));
    EXPECT_FALSE(inner.InTabOrder());
    SimulateClick(inner, TPoint{5, 5});
    EXPECT_EQ(FocusedControl(), &inner);

    box.SetOutOfTabOrder(true);
    panel.SetOutOfTabOrder(false);
    met = tabbed();
    EXPECT_TRUE(has(met, &inner));
    EXPECT_FALSE(has(met, &box));
    box.SetOutOfTabOrder(false);
    EXPECT_TRUE(has(tabbed(), &box));
    form.Hide();
}

// A control that is no tab stop is passed over by Tab, its inner text field
// too, and reached again once it is one; a click still focuses it.
TEST(Controls, TabPassesOverControlsThatAreNoTabStop)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 200);
    auto *first = PlaceControl<TEdit>(&form, 10, 10, 80, 21);
    auto *spin = PlaceControl<TSpinEdit>(&form, 10, 40, 80, 22);
    PlaceControl<TScrollBox>(&form, 10, 70, 200, 60); // between the spin edit and the last edit
    auto *last = PlaceControl<TEdit>(&form, 10, 140, 80, 21);
    spin->SetTabStop(false);
    ASSERT_TRUE(SimulateActivation(form));
    first->SetFocus();
    SimulateKey(VK_TAB);
    EXPECT_EQ(FocusedControl(), last);
    SimulateKey(VK_TAB, ssShift);
    EXPECT_EQ(FocusedControl(), first);
    SimulateClick(*spin, TPoint{5, 5});
    EXPECT_EQ(FocusedControl(), spin);

    spin->SetTabStop(true);
    first->SetFocus();
    SimulateKey(VK_TAB);
    EXPECT_EQ(FocusedControl(), spin);
    SimulateKey(VK_TAB);
    EXPECT_EQ(FocusedControl(), last) << "a scroll box is no tab stop";
    form.Hide();
}

// Tab follows the order the controls were placed in, also through a panel
// that was hidden when the form was shown (a tab page not yet turned to).
TEST(Controls, TabFollowsThePlacingOrderThroughControlsShownLater)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 200);
    auto *first = PlaceControl<TEdit>(&form, 10, 10, 80, 21);
    auto *panel = PlaceControl<TPanel>(&form, 10, 40, 300, 40);
    auto *inner = PlaceControl<TEdit>(panel, 5, 5, 80, 21);
    auto *last = PlaceControl<TEdit>(&form, 10, 100, 80, 21);
    panel->Hide();
    ASSERT_TRUE(SimulateActivation(form));
    panel->Show();
    first->SetFocus();
    SimulateKey(VK_TAB);
    EXPECT_EQ(FocusedControl(), inner);
    SimulateKey(VK_TAB);
    EXPECT_EQ(FocusedControl(), last);
    form.Hide();
}

TEST(Controls, PastingAnEmptyClipboardIntoATextBoxInsertsNothing)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    TMemo memo(&form);
    memo.SetParent(&form);
    memo.SetBounds(10, 10, 150, 80);
    memo.SetText("行");
    TEdit edit(&form);
    edit.SetParent(&form);
    edit.SetBounds(10, 120, 150, 21);
    edit.SetText("欄");
    ASSERT_TRUE(SimulateActivation(form));
    for (TCustomEdit *box : std::vector<TCustomEdit *>{&memo, &edit}) {
        const std::string before = box->Text();
        SimulateClick(*box, TPoint{5, 5});
        ASSERT_EQ(FocusedControl(), box);
        SimulateKey(VK_END);
        SimulateClipboard("");
        SimulateKey('V', ssCtrl);
        EXPECT_EQ(box->Text(), before);
        SimulateClipboard("貼");
        SimulateKey('V', ssCtrl);
        EXPECT_EQ(box->Text(), before + "貼");
    }
    // The combo box's edit field likewise.
    TComboBox combo(&form);
    combo.SetParent(&form);
    combo.SetBounds(170, 120, 100, 21);
    combo.SetText("10");
    SimulateClick(combo, TPoint{5, 5});
    ASSERT_EQ(FocusedControl(), &combo);
    SimulateKey(VK_END);
    SimulateClipboard("");
    SimulateKey('V', ssCtrl);
    EXPECT_EQ(combo.Text(), "10");
    SimulateClipboard("5");
    SimulateKey('V', ssCtrl);
    EXPECT_EQ(combo.Text(), "105");
    // A read-only box takes nothing from the clipboard either.
    memo.SetReadOnly(true);
    SimulateClick(memo, TPoint{5, 5});
    SimulateKey('V', ssCtrl);
    EXPECT_EQ(memo.Text(), "行貼");
    form.Hide();
}
