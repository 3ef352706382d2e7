// What a screen reader reads of forms and of the controls a form places:
// roles, names, the items of radio groups and the tabs of page controls,
// asked through the toolkit's accessibility interfaces.
#include "platform/kernel/Forms.h"
#include "platform/services/InputSimulation.h"
#include "platform/widgets/Button.h"
#include "platform/widgets/CheckBox.h"
#include "platform/widgets/ComboBox.h"
#include "platform/widgets/Grids.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Memo.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "platform/widgets/RadioButton.h"
#include "platform/widgets/RadioGroup.h"
#include "tests/AccessibleTree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <utility>

using namespace testing_support;

namespace {

TLabel *PlaceLabel(TWinControl *parent, const std::string &caption, int left, int top)
{
    auto *label = PlaceControl<TLabel>(parent, left, top, 60, 17);
    label->SetCaption(caption);
    return label;
}

// The events a screen reader hears, as "focus NAME", "checked NAME",
// "selected NAME" (the state a reader asks for then follows after "="),
// "selection NAME" or "unselection NAME".
struct TEventLog {
    static std::vector<std::string> &Entries()
    {
        static std::vector<std::string> entries;
        return entries;
    }
    static void Handler(QAccessibleEvent *event)
    {
        QAccessibleInterface *iface = event->accessibleInterface();
        const std::string name = AccName(iface);
        if (event->type() == QAccessible::Focus) {
            Entries().push_back("focus " + name);
        } else if (event->type() == QAccessible::Selection) {
            Entries().push_back("selection " + name);
        } else if (event->type() == QAccessible::SelectionRemove) {
            Entries().push_back("unselection " + name);
        } else if (event->type() == QAccessible::StateChanged) {
            auto *change = static_cast<QAccessibleStateChangeEvent *>(event);
            if (change->changedStates().checked)
                Entries().push_back("checked " + name + "=" + (iface->state().checked ? "1" : "0"));
            if (change->changedStates().selected)
                Entries().push_back("selected " + name + "=" + (iface->state().selected ? "1" : "0"));
        }
    }
    TEventLog()
    {
        Entries().clear();
        previous = QAccessible::installUpdateHandler(&Handler);
    }
    ~TEventLog() { QAccessible::installUpdateHandler(previous); }
    // The entries since the last call.
    std::vector<std::string> Take() { return std::exchange(Entries(), {}); }
    QAccessible::UpdateHandler previous;
};

} // namespace

TEST(Accessibility, FormsAreDialogsOrWindowsNamedByTheirCaption)
{
    TForm dialog(nullptr);
    dialog.SetCaption("設定(&S)");
    dialog.SetBorderStyle(bsDialog);
    dialog.SetBounds(100, 100, 300, 200);
    TForm window(nullptr);
    window.SetCaption("予定表");
    window.SetBounds(100, 100, 300, 200);
    dialog.Show();
    window.Show();
    EXPECT_EQ(AccRole(dialog), QAccessible::Dialog);
    EXPECT_EQ(AccName(dialog), "設定(&S)") << "a window title keeps its text";
    EXPECT_EQ(AccRole(window), QAccessible::Window);
    EXPECT_EQ(AccName(window), "予定表");
    window.SetCaption("別の予定表");
    EXPECT_EQ(AccName(window), "別の予定表");
}

// A field is named by the label on its left on the same line, else by the
// one just above it, else by its hint; a name set for it wins, and a label
// with another control between it and the field is that control's.
TEST(Accessibility, AFieldTakesTheNameOfTheLabelTheFormPlacesBesideIt)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 500, 300);
    PlaceLabel(&form, "予定数(&Y)", 10, 12);
    auto *left = PlaceControl<TEdit>(&form, 80, 10, 90, 21);
    PlaceLabel(&form, "ファイル", 10, 40);
    auto *above = PlaceControl<TEdit>(&form, 10, 58, 200, 21);
    PlaceLabel(&form, "色", 250, 12);
    auto *between = PlaceControl<TEdit>(&form, 300, 10, 40, 21);
    auto *behind = PlaceControl<TEdit>(&form, 350, 10, 40, 21);  // 色 is the box before it's
    auto *hinted = PlaceControl<TEdit>(&form, 10, 150, 90, 21);
    hinted->SetHint("検索する言葉|ステータスバーの説明");
    auto *far = PlaceControl<TEdit>(&form, 10, 100, 90, 21);   // ファイル ends far above it
    auto *named = PlaceControl<TEdit>(&form, 80, 200, 90, 21);
    PlaceLabel(&form, "ラベル", 10, 202);
    named->SetAccessibleName("名前");
    form.Show();

    EXPECT_EQ(AccName(*left), "予定数(Y)");
    EXPECT_EQ(AccName(*above), "ファイル");
    EXPECT_EQ(AccName(*between), "色");
    EXPECT_EQ(AccName(*behind), "");
    EXPECT_EQ(AccName(*hinted), "検索する言葉");
    EXPECT_EQ(AccName(*far), "");
    EXPECT_EQ(AccName(*named), "名前");
}

// A label whose text changes, or one placed after the field's window was
// made, names the field as it reads now.
TEST(Accessibility, AFieldFollowsItsLabel)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    auto *label = PlaceLabel(&form, "開始", 10, 12);
    auto *edit = PlaceControl<TEdit>(&form, 80, 10, 90, 21);
    auto *later = PlaceControl<TEdit>(&form, 80, 40, 90, 21);
    form.Show();
    ASSERT_EQ(AccName(*edit), "開始");
    label->SetCaption("終了");
    EXPECT_EQ(AccName(*edit), "終了");
    EXPECT_EQ(AccName(*later), "");
    PlaceLabel(&form, "備考", 10, 42);
    EXPECT_EQ(AccName(*later), "備考");

    // A range shown on demand: the label hidden with its field still names it.
    PlaceLabel(&form, "ページ", 10, 72)->Hide();
    auto *page = PlaceControl<TEdit>(&form, 80, 70, 90, 21);
    page->Hide();
    EXPECT_EQ(AccName(*page), "ページ");
}

// A combo box is named by its label and tells its value apart, not as its name.
TEST(Accessibility, AComboBoxIsNamedByItsLabelAndGivesItsValueApart)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    PlaceLabel(&form, "部数", 10, 12);
    auto *copies = PlaceControl<TComboBox>(&form, 80, 10, 60, 21);
    copies->SetStyle(csDropDownList);
    copies->SetItems({"1", "2", "3"});
    copies->SetItemIndex(1);
    auto *unlabelled = PlaceControl<TComboBox>(&form, 80, 100, 60, 21);
    unlabelled->SetItems({"左寄せ", "中央"});
    unlabelled->SetItemIndex(1);
    form.Show();
    QAccessibleInterface *iface = AccessibleOf(*copies);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::ComboBox);
    EXPECT_EQ(AccName(iface), "部数");
    EXPECT_EQ(iface->text(QAccessible::Value).toStdString(), "2");
    EXPECT_EQ(AccName(*unlabelled), "中央") << "without a label the value is all there is";
    EXPECT_GE(iface->childCount(), 1) << "the list";
}

// The items of a radio group are radio buttons, the chosen one checked; an
// item's action chooses it as a click does.
TEST(Accessibility, ARadioGroupReadsAsItsRadioButtons)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    auto *group = PlaceControl<TRadioGroup>(&form, 10, 10, 180, 60);
    group->SetCaption("文字セット");
    group->SetItems({"Shift_JIS", "UTF-&8"});
    group->SetItemIndex(0);
    int clicks = 0;
    group->OnClick = [&](TObject *) { ++clicks; };
    form.Show();
    ASSERT_TRUE(SimulateActivation(form));

    QAccessibleInterface *iface = AccessibleOf(*group);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Grouping);
    EXPECT_EQ(AccName(iface), "文字セット");
    EXPECT_EQ(AccChildNames(iface, QAccessible::RadioButton), (std::vector<std::string>{"Shift_JIS", "UTF-8"}));
    QAccessibleInterface *sjis = iface->child(0), *utf8 = iface->child(1);
    ASSERT_TRUE(sjis && utf8);
    EXPECT_EQ(sjis->parent(), iface);
    EXPECT_EQ(iface->indexOfChild(utf8), 1);
    EXPECT_TRUE(sjis->state().checked);
    EXPECT_FALSE(utf8->state().checked);
    const QRect r = utf8->rect();
    const TPoint corner = group->ClientToScreen(TPoint{group->ItemRect(1).Left, group->ItemRect(1).Top});
    EXPECT_EQ(r.topLeft(), QPoint(corner.X, corner.Y));

    AccPress(utf8);
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(utf8->state().checked);
    EXPECT_FALSE(sjis->state().checked);
    EXPECT_TRUE(utf8->state().focused) << "the group took the focus, on the chosen item";

    group->SetItems({"一"});
    EXPECT_EQ(iface->childCount(), 1);
    EXPECT_FALSE(utf8->isValid()) << "an item gone answers nothing";
}

// A page control is a list of page tabs, the active one selected, followed
// by its pages named by their tabs; a tab's action turns to its page.
TEST(Accessibility, APageControlReadsAsPageTabsBeforeItsPages)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 400, 300);
    auto *pages = PlaceControl<TPageControl>(&form, 8, 8, 380, 280);
    std::vector<TTabSheet *> sheets;
    for (const char *caption : {"全般", "項目", "チャート"}) {
        sheets.push_back(new TTabSheet(&form));
        sheets.back()->SetCaption(caption);
        sheets.back()->SetPageControl(pages);
    }
    int changes = 0;
    pages->OnChange = [&](TObject *) { ++changes; };
    form.Show();
    ASSERT_TRUE(SimulateActivation(form));

    QAccessibleInterface *iface = AccessibleOf(*pages);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::PageTabList);
    EXPECT_EQ(AccChildNames(iface, QAccessible::PageTab), (std::vector<std::string>{"全般", "項目", "チャート"}));
    EXPECT_EQ(AccChildNames(iface), (std::vector<std::string>{"全般", "項目", "チャート", "全般", "項目", "チャート"}));
    EXPECT_EQ(iface->child(3), AccessibleOf(*sheets[0])) << "the pages follow the tabs";
    EXPECT_EQ(AccessibleOf(*sheets[1])->parent(), iface);
    EXPECT_EQ(AccRole(*sheets[0]), QAccessible::Pane);
    EXPECT_TRUE(iface->child(0)->state().selected);
    EXPECT_FALSE(iface->child(2)->state().selected);
    EXPECT_FALSE(iface->child(0)->state().invisible);

    AccPress(iface->child(2));
    EXPECT_EQ(pages->ActivePageIndex(), 2);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(iface->child(2)->state().selected);
    EXPECT_FALSE(iface->child(0)->state().selected);

    form.Hide();
    EXPECT_TRUE(iface->child(2)->state().invisible);
    EXPECT_TRUE(iface->child(2)->actionInterface()->actionNames().size() == 1);
}

// Radio buttons of one parent read as radio buttons (not check boxes),
// checked or not, by their captions.
TEST(Accessibility, RadioButtonsReadAsRadioButtons)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    auto *all = PlaceControl<TRadioButton>(&form, 10, 10, 90, 17);
    all->SetCaption("すべて(&A)");
    auto *range = PlaceControl<TRadioButton>(&form, 10, 30, 90, 17);
    range->SetCaption("範囲指定");
    all->SetChecked(true);
    form.Show();
    ASSERT_TRUE(SimulateActivation(form));
    EXPECT_EQ(AccRole(*all), QAccessible::RadioButton);
    EXPECT_EQ(AccName(*all), "すべて(A)");
    EXPECT_TRUE(AccessibleOf(*all)->state().checked);
    EXPECT_FALSE(AccessibleOf(*range)->state().checked);
    AccessibleOf(*range)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_FALSE(range->Checked()) << "the click runs once the reader's call has returned";
    QCoreApplication::processEvents();
    EXPECT_TRUE(range->Checked());
    EXPECT_FALSE(all->Checked());
    EXPECT_TRUE(AccessibleOf(*range)->state().checked);
    range->SetCaption("ページ指定");
    EXPECT_EQ(AccName(*range), "ページ指定") << "a caption read as it is now";
}

// The panels of a window are parts of it unless named; a panel the person
// clicks (a colour swatch) takes the label beside it.
TEST(Accessibility, APanelIsAPaneWhenItHasAName)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    auto *container = PlaceControl<TPanel>(&form, 0, 0, 300, 100);
    PlaceLabel(container, "選択色", 10, 12);
    auto *swatch = PlaceControl<TPanel>(container, 80, 10, 40, 20);
    swatch->OnDblClick = [](TObject *) {};
    auto *plain = PlaceControl<TPanel>(container, 80, 40, 40, 20);
    PlaceLabel(container, "見出し", 10, 42);
    auto *captioned = PlaceControl<TPanel>(&form, 0, 120, 60, 20);
    captioned->SetCaption("BG");
    form.Show();
    EXPECT_EQ(AccRole(*container), QAccessible::Client);
    EXPECT_EQ(AccName(*swatch), "選択色");
    EXPECT_EQ(AccRole(*swatch), QAccessible::Pane);
    EXPECT_EQ(AccName(*plain), "") << "a container is not named by a label";
    EXPECT_EQ(AccRole(*plain), QAccessible::Client);
    EXPECT_EQ(AccName(*captioned), "BG");
}

// A grid is a table; its cell editor is a text field named by its column's title.
TEST(Accessibility, AGridsEditorIsNamedByItsColumnsTitle)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 400, 300);
    auto *grid = PlaceControl<TStringGrid>(&form, 8, 8, 380, 200);
    grid->SetColCount(3);
    grid->SetRowCount(3);
    grid->SetFixedRows(1);
    grid->SetFixedCols(1);
    grid->SetCells(1, 0, "日付");
    grid->SetCells(2, 0, "名称");
    grid->SetCells(2, 1, "打ち合わせ");
    grid->SetOptions(grid->Options() | goEditing | goAlwaysShowEditor);
    form.Show();
    ASSERT_TRUE(SimulateActivation(form));
    grid->SetFocus();
    grid->SetCol(2);
    grid->ShowEditor();
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_EQ(AccRole(*grid), QAccessible::Table);
    QAccessibleInterface *editor = AccessibleOf(*grid->InplaceEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->role(), QAccessible::EditableText);
    EXPECT_EQ(AccName(editor), "名称");
    EXPECT_EQ(editor->text(QAccessible::Value).toStdString(), "打ち合わせ");
}

// The arrows move a radio group's check and a page control's tab: a screen
// reader hears the state change of both items or tabs, read as it is now, and
// the focus on the item or tab; the focus is on the item, not on the group.
TEST(Accessibility, KeysThatMoveTheCheckOrThePageAreHeard)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 400, 300);
    auto *before = PlaceControl<TEdit>(&form, 10, 10, 90, 21);
    auto *group = PlaceControl<TRadioGroup>(&form, 10, 40, 180, 60);
    group->SetCaption("文字セット");
    group->SetItems({"Shift_JIS", "UTF-8"});
    group->SetItemIndex(0);
    auto *pages = PlaceControl<TPageControl>(&form, 10, 110, 380, 180);
    for (const char *caption : {"全般", "項目"}) {
        auto *sheet = new TTabSheet(&form);
        sheet->SetCaption(caption);
        sheet->SetPageControl(pages);
    }
    form.Show();
    ASSERT_TRUE(SimulateActivation(form));
    before->SetFocus();
    QAccessibleInterface *groupIface = AccessibleOf(*group), *pagesIface = AccessibleOf(*pages);
    ASSERT_TRUE(groupIface && pagesIface);

    TEventLog log;
    SimulateKey(VK_TAB);
    QCoreApplication::processEvents();
    ASSERT_TRUE(group->Focused());
    std::vector<std::string> heard = log.Take();
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back(), "focus Shift_JIS") << "the last focus heard is the item's";
    EXPECT_EQ(groupIface->focusChild(), groupIface->child(0));
    EXPECT_TRUE(groupIface->child(0)->state().focused);

    SimulateKey(VK_RIGHT);
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"checked Shift_JIS=0", "checked UTF-8=1", "focus UTF-8"}));
    EXPECT_EQ(groupIface->focusChild(), groupIface->child(1));
    EXPECT_TRUE(groupIface->child(1)->state().checked);
    EXPECT_FALSE(groupIface->child(0)->state().checked);

    group->SetItemIndex(0);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"checked UTF-8=0", "checked Shift_JIS=1", "focus Shift_JIS"}))
        << "a check set by the program is heard too";

    SimulateKey(VK_TAB);
    QCoreApplication::processEvents();
    ASSERT_TRUE(pages->Focused());
    heard = log.Take();
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back(), "focus 全般");
    EXPECT_EQ(pagesIface->focusChild(), pagesIface->child(0));

    SimulateKey(VK_RIGHT);
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"selected 全般=0", "unselection 全般", "selected 項目=1",
                                                    "selection 項目", "focus 項目"}));
    EXPECT_TRUE(pagesIface->child(1)->state().selected);
    EXPECT_FALSE(pagesIface->child(0)->state().selected);
    EXPECT_EQ(pagesIface->focusChild(), pagesIface->child(1));

    before->SetFocus();
    log.Take();
    pages->SetActivePageIndex(0);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"selected 項目=0", "unselection 項目", "selected 全般=1",
                                                    "selection 全般"}))
        << "no focus is heard on a control that has none";
}

// A push button's press action presses it as a click does (its form takes
// the modal result); a check box's actions toggle it and fire its click.
TEST(Accessibility, ThePressActionsOfButtonsAndCheckBoxesWork)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    auto *ok = PlaceControl<TButton>(&form, 10, 10, 75, 25);
    ok->SetCaption("&OK");
    ok->SetModalResult(mrOk);
    int okClicks = 0;
    ok->OnClick = [&](TObject *) { ++okClicks; };
    auto *off = PlaceControl<TButton>(&form, 100, 10, 75, 25);
    off->SetCaption("中止");
    off->SetEnabled(false);
    int offClicks = 0;
    off->OnClick = [&](TObject *) { ++offClicks; };
    auto *box = PlaceControl<TCheckBox>(&form, 10, 50, 150, 17);
    box->SetCaption("画面のちらつきを減らす");
    int boxClicks = 0;
    box->OnClick = [&](TObject *) { ++boxClicks; };
    form.Show();
    ASSERT_TRUE(SimulateActivation(form));

    QAccessibleInterface *okIface = AccessibleOf(*ok);
    ASSERT_NE(okIface, nullptr);
    EXPECT_EQ(okIface->role(), QAccessible::Button);
    EXPECT_EQ(AccName(okIface), "OK");
    EXPECT_EQ(okIface->text(QAccessible::Accelerator).toStdString(), "Alt+O");
    ASSERT_TRUE(okIface->actionInterface());
    EXPECT_TRUE(okIface->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    okIface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(okClicks, 0) << "the click runs once the reader's call has returned";
    QCoreApplication::processEvents();
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(form.ModalResult(), mrOk);
    AccPress(AccessibleOf(*off));
    EXPECT_EQ(offClicks, 0) << "a disabled button is not pressed";

    QAccessibleInterface *boxIface = AccessibleOf(*box);
    ASSERT_TRUE(boxIface && boxIface->actionInterface());
    AccPress(boxIface);
    // The toolkit shows the press before it clicks.
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
         !box->Checked() && std::chrono::steady_clock::now() < until;)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(boxClicks, 1);
    boxIface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCoreApplication::processEvents();
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(boxClicks, 2);
}

// A child is found among many without asking for every child before it
// (each of which lists all the window's children again).
TEST(Accessibility, TheIndexOfAChildIsFoundQuickly)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 400, 300);
    auto *container = PlaceControl<TPanel>(&form, 0, 0, 400, 300);
    auto *group = PlaceControl<TRadioGroup>(container, 0, 0, 180, 60);
    group->SetItems({"一", "二"});
    constexpr int kPanels = 1500;
    std::vector<TPanel *> panels;
    for (int i = 0; i < kPanels; ++i)
        panels.push_back(PlaceControl<TPanel>(container, i % 40, 70 + i / 40, 4, 4));
    form.Show();
    QAccessibleInterface *groupIface = AccessibleOf(*group);
    ASSERT_TRUE(groupIface);
    QAccessibleInterface *formIface = AccessibleOf(*container);
    ASSERT_TRUE(formIface);
    EXPECT_EQ(groupIface->indexOfChild(groupIface->child(1)), 1);
    EXPECT_EQ(groupIface->indexOfChild(formIface), -1);
    EXPECT_EQ(formIface->indexOfChild(groupIface), 0);
    const auto start = std::chrono::steady_clock::now();
    for (int i = kPanels - 100; i < kPanels; ++i)
        ASSERT_EQ(formIface->indexOfChild(AccessibleOf(*panels[static_cast<size_t>(i)])), i + 1);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::seconds(1));
}
