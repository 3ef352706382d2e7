#include "platform/kernel/Forms.h"
#include "platform/core/IniFile.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/Memo.h"
#include "platform/core/Menus.h"
#include "toolbar/BarToolbar.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

// A form with a top dock and toolbars of 23 x 22 image buttons.
struct ToolbarForm {
    TForm form{nullptr};
    TBarImageList images{nullptr, 16, 16};
    TBarDock *dock;
    explicit ToolbarForm(int width)
    {
        images.Add(clRed);
        form.SetBounds(0, 0, width, 200);
        dock = new TBarDock(&form);
        dock->SetName("dockTop");
        dock->SetParent(&form);
    }
    TBarCustomItem *Button(TBarCustomToolbar *tb, const std::string &caption)
    {
        auto *item = new TBarCustomItem(&form);
        item->SetImages(&images);
        item->SetImageIndex(0);
        item->SetCaption(caption);
        tb->Items()->Add(item);
        return item;
    }
    // `built` as the window's own layout (loading), else added as the program runs.
    TBarCustomToolbar *Toolbar(const std::string &name, int buttons, int row = 0, int pos = -1, bool built = false)
    {
        auto *tb = new TBarCustomToolbar(&form);
        tb->SetName(name);
        if (built)
            tb->BeginLoading();
        for (int i = 0; i < buttons; ++i)
            Button(tb, "B" + std::to_string(i));
        tb->SetDockRow(row);
        tb->SetDockPos(pos);
        tb->SetCurrentDock(dock);
        if (built)
            tb->Loaded();
        return tb;
    }
};

std::vector<int> ShownButtons(TBarView &view)
{
    std::vector<int> shown;
    for (int i = 0; i < view.ViewerCount(); ++i)
        if (view.Viewers(i)->Show() && view.Viewers(i)->Item()->Parent())
            shown.push_back(i);
    return shown;
}

// The first press on a drag area starts the drag loop, which its release ends;
// the second press of the double click toggles the docking.
void DoubleClickOnDragArea(TControl &control, TPoint p)
{
    struct Release : TMessageTarget {
        TControl *control;
        TPoint p;
        void WndProc(TMessage &) override { SimulateMouseRelease(*control, p); }
    } release;
    release.control = &control;
    release.p = p;
    PostMessage(&release, WM_USER);
    SimulateDoubleClick(control, p);
    ProcessMessages();
}

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(BarToolbar, SizesItselfFromItsButtons)
{
    ToolbarForm f(400);
    TBarCustomToolbar *tb = f.Toolbar("tlbFile", 3);
    EXPECT_EQ(tb->BoundsRect(), (TRect{0, 0, 3 * 23 + 10, 26}));
    EXPECT_EQ(f.dock->Height(), 26);
    EXPECT_EQ(tb->ClientOrigin(), (TPoint{8, 2}));
    // Another button grows the toolbar and the dock arranges again.
    auto *item = new TBarCustomItem(&f.form);
    item->SetImages(&f.images);
    item->SetImageIndex(0);
    tb->Items()->Add(item);
    tb->View().EnsureLayout();
    EXPECT_EQ(tb->Width(), 4 * 23 + 10);
}

TEST(BarToolbar, CrowdedToolbarHidesItemsBehindTheChevron)
{
    ToolbarForm f(150);
    TBarCustomToolbar *tb = f.Toolbar("tlbFile", 10);
    EXPECT_EQ(tb->Width(), 150);
    TBarView &view = tb->View();
    // Items added later have the higher priority: the first ones hide.
    EXPECT_EQ(ShownButtons(view), (std::vector<int>{5, 6, 7, 8, 9}));
    TBarItemViewer *chevron = view.Viewers(view.ViewerCount() - 1);
    EXPECT_EQ(chevron->Item(), tb->ChevronItem());
    EXPECT_TRUE(chevron->Show());
    EXPECT_EQ(chevron->BoundsRect().Left, 150 - 10 - 12);
    // The last used item is hidden last.
    view.GivePriority(view.Viewers(0));
    f.dock->ArrangeToolbars();
    view.EnsureLayout();
    EXPECT_EQ(ShownButtons(view), (std::vector<int>{0, 6, 7, 8, 9}));
    EXPECT_EQ(f.dock->Width(), 150);
    // Room again: everything shows and the chevron goes.
    f.form.SetWidth(400);
    EXPECT_EQ(f.dock->Width(), 400);
    view.EnsureLayout();
    EXPECT_EQ(ShownButtons(view).size(), 10u);
    EXPECT_FALSE(view.Viewers(view.ViewerCount() - 1)->Show());
}

// A toolbar built with its window keeps its first buttons longest; a button
// added while the program runs still takes the head, and showing the buttons
// anew keeps their order.
TEST(BarToolbar, ToolbarBuiltWithItsWindowHidesItsLastButtonsFirst)
{
    ToolbarForm f(150);
    TBarCustomToolbar *tb = f.Toolbar("tlbFile", 10, 0, -1, true);
    TBarView &view = tb->View();
    view.EnsureLayout();
    EXPECT_EQ(ShownButtons(view), (std::vector<int>{0, 1, 2, 3, 4}));

    f.Button(tb, "late");
    f.dock->ArrangeToolbars();
    view.EnsureLayout();
    EXPECT_EQ(ShownButtons(view), (std::vector<int>{0, 1, 2, 3, 10}));

    tb->SetChevronMoveItems(false);
    tb->SetChevronMoveItems(true);
    f.dock->ArrangeToolbars();
    view.EnsureLayout();
    EXPECT_EQ(ShownButtons(view), (std::vector<int>{0, 1, 2, 3, 4}));
}

// Without ChevronMoveItems the view keeps no priority list: items hide from
// the end whatever was used last. A hosted box hidden behind the chevron is
// one of the view's tab-order controls (which leave the form's tab order).
TEST(BarToolbar, WithoutChevronMoveItemsItemsHideFromTheEnd)
{
    ToolbarForm f(150);
    TBarCustomToolbar *tb = f.Toolbar("tlbFile", 10);
    EXPECT_TRUE(tb->ChevronMoveItems());
    tb->SetChevronMoveItems(false);
    TBarView &view = tb->View();
    f.dock->ArrangeToolbars();
    view.EnsureLayout();
    EXPECT_EQ(ShownButtons(view), (std::vector<int>{0, 1, 2, 3, 4}));
    view.GivePriority(view.Viewers(9));
    f.dock->ArrangeToolbars();
    view.EnsureLayout();
    EXPECT_EQ(ShownButtons(view), (std::vector<int>{0, 1, 2, 3, 4}));

    auto *box = new TEdit(&f.form);
    box->SetBounds(0, 0, 40, 21);
    box->SetParent(tb);
    f.dock->ArrangeToolbars();
    std::vector<TWinControl *> hidden;
    view.GetTabOrderControls(hidden);
    EXPECT_EQ(hidden, (std::vector<TWinControl *>{box}));
    f.form.SetWidth(800);
    hidden.clear();
    view.GetTabOrderControls(hidden);
    EXPECT_TRUE(hidden.empty());
}

TEST(BarToolbar, PositionSections)
{
    auto dir = std::filesystem::temp_directory_path() / ("tarvold_barpos_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string ini = (dir / "Tarvold.ini").string();
    {
        ToolbarForm f(600);
        TBarCustomToolbar *file = f.Toolbar("tlbFile", 2, 1, -1);
        TBarCustomToolbar *edit = f.Toolbar("tlbEdit", 2, 1, 91);
        edit->Hide();
        f.Toolbar("", 1);                       // unnamed: nothing
        auto *loose = new TBarCustomToolbar(&f.form); // on the form: nothing
        loose->SetName("tlbLoose");
        loose->SetParent(&f.form);
        (void)file;
        SaveDockablePositionsToIni(&f.form, ini, "frmMain_");
        SaveDockablePositionsToIni(&f.form, ini, "frmMain_");
    }
    EXPECT_EQ(ReadFile(ini), "[frmMain_tlbFile]\r\nRev=2000\r\nVisible=1\r\nDockedTo=dockTop\r\nLastDock=dockTop\r\n"
                             "DockRow=1\r\nDockPos=-1\r\nFloatLeft=0\r\nFloatTop=0\r\nFloatRightX=0\r\n"
                             "[frmMain_tlbEdit]\r\nRev=2000\r\nVisible=0\r\nDockedTo=dockTop\r\nLastDock=dockTop\r\n"
                             "DockRow=1\r\nDockPos=91\r\nFloatLeft=0\r\nFloatTop=0\r\nFloatRightX=0\r\n");
    std::filesystem::remove_all(dir);
}

TEST(BarToolbar, PositionSavingOfUndraggableAndUnnamedDocks)
{
    ToolbarForm f(600);
    TBarCustomToolbar *tb = f.Toolbar("tlbMove", 1);
    std::vector<std::string> lines;
    auto writeInteger = [&](const std::string &w, const std::string &k, int v) {
        lines.push_back(w + "." + k + "=" + std::to_string(v));
    };
    auto writeString = [&](const std::string &w, const std::string &k, const std::string &v) {
        lines.push_back(w + "." + k + "=" + v);
    };
    f.dock->SetAllowDrag(false);
    SaveDockablePositions(&f.form, writeInteger, writeString);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[2], "tlbMove.DockedTo=");
    EXPECT_EQ(lines[3], "tlbMove.LastDock=dockTop");
    f.dock->SetAllowDrag(true);
    f.dock->SetName("");
    lines.clear();
    try {
        SaveDockablePositions(&f.form, writeInteger, writeString);
        FAIL();
    } catch (const Exception &e) {
        EXPECT_STREQ(e.what(), "Cannot save dockable window's position because DockedTo's Name property not set");
    }
    EXPECT_TRUE(lines.empty());
    (void)tb;
}

TEST(BarToolbar, FloatsInItsFrameAndDocksBackOnACaptionDoubleClick)
{
    ToolbarForm f(400);
    // Active: a floating frame hides while the program is inactive.
    ASSERT_TRUE(SimulateActivation(f.form));
    TBarCustomToolbar *tb = f.Toolbar("tlbFile", 3);
    tb->SetCaption("File");
    tb->SetFloatingPosition(TPoint{100, 120});
    tb->SetFloating(true);
    TBarFloatingWindowParent *frame = tb->FloatingParent();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(tb->Floating());
    EXPECT_FALSE(tb->Docked());
    EXPECT_EQ(tb->LastDock(), f.dock);
    EXPECT_EQ(f.dock->Height(), 0);
    // Floating margins 4, 2, 4, 1 around the buttons; the frame adds its border and caption.
    EXPECT_EQ(tb->Width(), 3 * 23 + 8);
    EXPECT_EQ(tb->Height(), 22 + 3);
    EXPECT_EQ(frame->BoundsRect(), (TRect{100, 120, 100 + tb->Width() + 8, 120 + tb->Height() + 8 + 16}));
    EXPECT_EQ(tb->Left(), 4);
    EXPECT_EQ(tb->Top(), 20);

    TRect caption = frame->CaptionRect();
    DoubleClickOnDragArea(*frame, TPoint{caption.Left + 5, caption.Top + 5});
    EXPECT_TRUE(tb->Docked());
    EXPECT_EQ(tb->Parent(), f.dock);
    EXPECT_FALSE(frame->Visible());
    EXPECT_EQ(f.dock->Height(), 26);

    // A double click on the drag handle floats it again, in the same frame.
    DoubleClickOnDragArea(*tb, TPoint{3, 10});
    EXPECT_TRUE(tb->Floating());
    EXPECT_EQ(tb->FloatingParent(), frame);
    EXPECT_TRUE(frame->Visible());
}

TEST(BarToolbar, ReturnsToTheDefaultDockAndClosesFromItsFrame)
{
    ToolbarForm f(400);
    f.form.Show();
    TBarCustomToolbar *tb = new TBarCustomToolbar(&f.form);
    tb->SetParent(&f.form);
    tb->SetDefaultDock(f.dock);
    tb->SetDockRow(3);
    tb->SetDockPos(50);
    tb->SetFloating(true);
    EXPECT_EQ(tb->LastDock(), nullptr);
    tb->ToggleDocking();
    EXPECT_EQ(tb->CurrentDock(), f.dock);
    EXPECT_EQ(tb->DockRow(), 0);
    EXPECT_EQ(tb->DockPos(), -8);
    EXPECT_EQ(tb->Left(), 0);

    tb->SetFloating(true);
    int closed = 0;
    bool allow = false;
    tb->OnCloseQuery = [&](TObject *, bool &canClose) { canClose = allow; };
    tb->OnClose = [&](TObject *) { ++closed; };
    TBarFloatingWindowParent *frame = tb->FloatingParent();
    TRect close = frame->CloseButtonRect();
    TPoint centre{(close.Left + close.Right) / 2, (close.Top + close.Bottom) / 2};
    SimulateClick(*frame, centre);
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(tb->Visible());
    allow = true;
    SimulateClick(*frame, centre);
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(tb->Visible());
}

TEST(BarToolbar, FloatingPositionSection)
{
    ToolbarForm f(400);
    TBarCustomToolbar *tb = f.Toolbar("tlbFont", 2, 0, 304);
    tb->SetFloatingPosition(TPoint{210, 330});
    tb->SetFloating(true);
    std::vector<std::string> lines;
    SaveDockablePositions(
        &f.form, [&](const std::string &w, const std::string &k, int v) { lines.push_back(w + "." + k + "=" + std::to_string(v)); },
        [&](const std::string &w, const std::string &k, const std::string &v) { lines.push_back(w + "." + k + "=" + v); });
    EXPECT_EQ(lines, (std::vector<std::string>{"tlbFont.Rev=2000", "tlbFont.Visible=1", "tlbFont.DockedTo=+",
                                               "tlbFont.LastDock=dockTop", "tlbFont.DockRow=0", "tlbFont.DockPos=304",
                                               "tlbFont.FloatLeft=210", "tlbFont.FloatTop=330",
                                               "tlbFont.FloatRightX=0"}));
}

TEST(BarToolbar, ShortCutsWorkFromAnyControlOfTheForm)
{
    ToolbarForm f(400);
    TBarCustomToolbar *tb = f.Toolbar("tlbEdit", 2);
    TBarCustomItem *cut = tb->Items()->GetItem(0);
    TBarCustomItem *copy = tb->Items()->GetItem(1);
    cut->SetShortCut('X' | scCtrl);
    copy->SetShortCut('C' | scCtrl);
    copy->SetEnabled(false);
    std::vector<std::string> log;
    cut->OnClick = [&](TObject *) { log.push_back("cut"); };
    copy->OnClick = [&](TObject *) { log.push_back("copy"); };
    auto *edit = PlaceControl<TEdit>(&f.form, 10, 100, 100, 24);
    std::vector<int> editKeys;
    edit->OnKeyDown = [&](TObject *, int &key, TShiftState) {
        if (key == 'X' || key == 'C')
            editKeys.push_back(key);
    };
    ASSERT_TRUE(SimulateActivation(f.form));
    edit->SetFocus();

    // Without ProcessShortCuts the key goes to the edit.
    SimulateKey('X', ssCtrl);
    ProcessMessages();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(editKeys.size(), 1u);

    tb->SetProcessShortCuts(true);
    SimulateKey('X', ssCtrl);
    ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"cut"}));
    EXPECT_EQ(editKeys.size(), 1u); // taken by the toolbar
    // A disabled item's shortcut does nothing and the key goes on.
    SimulateKey('C', ssCtrl);
    ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"cut"}));
    EXPECT_EQ(editKeys.size(), 2u);
    // OnShortCut is asked first.
    tb->OnShortCut = [&](TObject *, int key, TShiftState, bool &handled) {
        handled = key == 'X';
        if (handled)
            log.push_back("handler");
    };
    SimulateKey('X', ssCtrl);
    ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"cut", "handler"}));
    // A freed toolbar no longer hears keys.
    delete tb;
    SimulateKey('X', ssCtrl);
    ProcessMessages();
    EXPECT_EQ(log.size(), 2u);
}

namespace {

// An edit that counts its frees.
struct CountedEdit : TEdit {
    int *freed;
    CountedEdit(TComponent *owner, int *count) : TEdit(owner), freed(count) {}
    ~CountedEdit() override { ++*freed; }
};

} // namespace

// The form frees hosted controls made before and after its toolbar, with an
// item made before its control, each once; a control dropped on the toolbar
// is hosted by a new item at the end.
TEST(BarToolbar, FreeingAFormFreesEachHostedControlOnce)
{
    int freed = 0;
    {
        auto *form = new TForm(nullptr);
        form->SetBounds(0, 0, 400, 200);
        auto *dock = new TBarDock(form);
        dock->SetParent(form);
        auto *before = new CountedEdit(form, &freed);
        auto *early = new TBarControlItem(form);
        auto *tb = new TBarCustomToolbar(form);
        auto *after = new CountedEdit(form, &freed);
        tb->Items()->Add(early);
        early->SetControl(after);
        for (TEdit *e : {static_cast<TEdit *>(after), static_cast<TEdit *>(before)}) {
            e->SetBounds(0, 0, 60, 20);
            e->SetParent(tb);
        }
        ASSERT_EQ(tb->Items()->Count(), 2);
        EXPECT_EQ(tb->Items()->GetItem(0), early);
        auto *dropped = dynamic_cast<TBarControlItem *>(tb->Items()->GetItem(1));
        ASSERT_NE(dropped, nullptr);
        EXPECT_EQ(dropped->Control(), before);
        tb->SetCurrentDock(dock);
        form->Show();
        tb->View().UpdateLayout();
        ProcessMessages();
        delete form;
    }
    EXPECT_EQ(freed, 2);
}
