#include "toolbar/BarItem.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A toolbar's view with a chevron item, as toolbars will have.
class ChevronView : public TBarView {
public:
    ChevronView(TBarCustomItem *root, bool priorityList, TBarViewOrientation orientation = tbvoHorizontal)
        : TBarView(nullptr, nullptr, root, nullptr, true, false, priorityList)
    {
        SetOrientation(orientation);
        RecreateAllViewers(); // now that the chevron exists
    }
    TBarCustomItem *GetChevronItem() override { return &chevron_; }
    TBarCustomItem &Chevron() { return chevron_; }

private:
    TBarCustomItem chevron_;
};

// Items with a 16 x 16 image and no caption: 23 x 22 buttons in a toolbar.
struct Buttons {
    TBarRootItem root;
    TBarImageList images{nullptr, 16, 16};
    std::vector<TBarCustomItem *> items;
    explicit Buttons(int count)
    {
        images.Add(clRed);
        for (int i = 0; i < count; ++i)
            AddButton();
    }
    TBarCustomItem *AddButton()
    {
        auto *item = new TBarCustomItem;
        item->SetImages(&images);
        item->SetImageIndex(0);
        root.Add(item);
        items.push_back(item);
        return item;
    }
    TBarSeparatorItem *AddSeparator(int index)
    {
        auto *sep = new TBarSeparatorItem;
        root.Insert(index, sep);
        return sep;
    }
};

TRect BoundsOf(TBarView &view, int index) { return view.Viewers(index)->BoundsRect(); }

} // namespace

TEST(BarLayout, ChevronHidesWhatDoesNotFit)
{
    Buttons b(10);
    ChevronView view(&b.root, false);
    view.SetChevronSize(12);
    view.SetMaxLength(140);
    TSize size = view.UpdateLayout();
    int shown = 0;
    for (int i = 0; i < 10; ++i) {
        TBarItemViewer *v = view.Viewers(i);
        if (v->Show()) {
            ++shown;
            EXPECT_EQ(v->BoundsRect(), Bounds(23 * i, 0, 23, 22)) << i;
        } else
            EXPECT_TRUE(v->OffEdge()) << i;
    }
    EXPECT_EQ(shown, 5);
    EXPECT_EQ(BoundsOf(view, 10), Bounds(128, 0, 12, 22)); // the chevron at 140 - 12
    EXPECT_TRUE(view.Chevron().Enabled());
    EXPECT_EQ(size.cy, 22);
    // Room for everything: no chevron button, nothing hidden.
    view.SetMaxLength(0);
    view.UpdateLayout();
    EXPECT_FALSE(view.Viewers(10)->Show());
    EXPECT_TRUE(view.Viewers(9)->Show());
}

TEST(BarLayout, PriorityDecidesWhatStaysLongest)
{
    Buttons b(4);
    ChevronView view(&b.root, true);
    view.SetChevronSize(12);
    view.SetMaxLength(23 * 2 + 12);
    view.UpdateLayout();
    // New items enter at the head: the first item is the one hidden first.
    view.GivePriority(view.Viewers(0));
    view.UpdateLayout();
    EXPECT_TRUE(view.Viewers(0)->Show());
    EXPECT_EQ(BoundsOf(view, 0), Bounds(0, 0, 23, 22));
    // At least one item always stays, even when it does not fit.
    view.SetMaxLength(20);
    view.UpdateLayout();
    int shown = 0;
    for (int i = 0; i < 4; ++i)
        shown += view.Viewers(i)->Show();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(view.Viewers(0)->Show());
}

TEST(BarLayout, SeparatorsNeverLeadTrailOrDouble)
{
    Buttons b(2);
    TBarSeparatorItem *lead = b.AddSeparator(0);
    TBarSeparatorItem *middle1 = b.AddSeparator(2);
    TBarSeparatorItem *middle2 = b.AddSeparator(3);
    auto *trail = new TBarSeparatorItem;
    b.root.Add(trail);
    TBarView view(nullptr, nullptr, &b.root, nullptr, true, false, false);
    view.UpdateLayout();
    EXPECT_FALSE(view.Find(lead)->Show());
    EXPECT_TRUE(view.Find(middle1)->Show());
    EXPECT_FALSE(view.Find(middle2)->Show());
    EXPECT_FALSE(view.Find(trail)->Show());
    EXPECT_EQ(view.Find(middle1)->BoundsRect(), Bounds(23, 0, 6, 22)); // stretched across the line
    EXPECT_EQ(view.Find(b.items[1])->BoundsRect(), Bounds(29, 0, 23, 22));
}

TEST(BarLayout, AnEmptyViewStillMeasures23By22)
{
    TBarRootItem root;
    root.Add(new TBarSeparatorItem);
    root.Add(new TBarSeparatorItem);
    TBarView view(nullptr, nullptr, &root, nullptr, true, false, false);
    int lines = 0;
    TSize total, base;
    view.ComputeLayout(false, tbvoHorizontal, lines, total, base, 0, 0, 0);
    EXPECT_EQ(base, (TSize{23, 22}));
    EXPECT_EQ(total, (TSize{23, 22}));
}

TEST(BarLayout, WrappingVerticalColumnsAndSeparatorBreaks)
{
    Buttons b(4);
    TBarView view(nullptr, nullptr, &b.root, nullptr, true, false, false);
    view.SetOrientation(tbvoVertical);
    view.SetWrapLength(50); // two buttons (44 high) per column
    view.UpdateLayout();
    EXPECT_EQ(view.LineCount(), 2);
    // The first column lies rightmost.
    EXPECT_EQ(BoundsOf(view, 0), Bounds(23, 0, 23, 22));
    EXPECT_EQ(BoundsOf(view, 1), Bounds(23, 22, 23, 22));
    EXPECT_EQ(BoundsOf(view, 2), Bounds(0, 0, 23, 22));

    // Horizontally, a separator before a group too long for the line ends the line.
    Buttons h(3);
    h.AddSeparator(1);
    TBarView row(nullptr, nullptr, &h.root, nullptr, true, false, false);
    row.SetWrapLength(60);
    row.UpdateLayout();
    TBarItemViewer *sep = row.Viewers(1);
    EXPECT_TRUE(sep->LineBreak());
    EXPECT_EQ(BoundsOf(row, 2), Bounds(0, 28, 23, 22));
    EXPECT_EQ(sep->BoundsRect().Height(), 6);
    EXPECT_EQ(sep->BoundsRect().Right, 60); // spans the toolbar
}

TEST(BarLayout, ViewsFollowTheItemTree)
{
    Buttons b(2);
    TBarView view(nullptr, nullptr, &b.root, nullptr, true, false, false);
    view.UpdateLayout();
    auto *added = new TBarCustomItem;
    added->SetImages(&b.images);
    added->SetImageIndex(0);
    b.root.Insert(1, added);
    ASSERT_EQ(view.ViewerCount(), 3);
    EXPECT_EQ(view.Viewers(1)->Item(), added);
    EXPECT_EQ(BoundsOf(view, 2), Bounds(46, 0, 23, 22)); // laid out at once
    b.items[0]->SetVisible(false);
    EXPECT_EQ(BoundsOf(view, 1), Bounds(0, 0, 23, 22));
    delete added;
    EXPECT_EQ(view.ViewerCount(), 2);
    // An inline group's children show in its place, at most ten groups deep.
    TBarCustomItem *group = new TBarCustomItem;
    group->SetItemStyle(group->ItemStyle() | InlineGroup);
    b.root.Add(group);
    TBarCustomItem *deepest = group;
    for (int depth = 0; depth < 11; ++depth) {
        auto *inner = new TBarCustomItem;
        inner->SetItemStyle(inner->ItemStyle() | InlineGroup);
        deepest->Add(inner);
        deepest = inner;
    }
    // Group at depth 0 plus nested groups at depths 1..10.
    EXPECT_EQ(view.ViewerCount(), 2 + 11);
}

TEST(BarLayout, PopupMenuRowsSpanTheWidestRow)
{
    TBarRootItem root;
    auto *a = new TBarCustomItem;
    a->SetCaption("Open");
    auto *bItem = new TBarCustomItem;
    bItem->SetCaption("A much longer caption");
    root.Add(a);
    root.Add(bItem);
    TBarView view(nullptr, nullptr, &root, nullptr, false, false, false);
    view.UpdateLayout();
    TRect ra = view.Viewers(0)->BoundsRect(), rb = view.Viewers(1)->BoundsRect();
    EXPECT_EQ(ra.Width(), rb.Width());
    EXPECT_EQ(ra.Bottom, rb.Top);
    EXPECT_GT(rb.Width(), 100);
}

TEST(BarLayout, ChildrenAddedToAnInlineGroupShowInItsPlace)
{
    Buttons b(2);
    auto *group = new TBarCustomItem;
    group->SetItemStyle(group->ItemStyle() | InlineGroup);
    b.root.Insert(1, group); // between the two buttons
    TBarView view(nullptr, nullptr, &b.root, nullptr, true, false, false);
    auto *inner = new TBarCustomItem;
    inner->SetImages(&b.images);
    inner->SetImageIndex(0);
    group->Add(inner);
    ASSERT_EQ(view.ViewerCount(), 4);
    EXPECT_EQ(view.Viewers(2)->Item(), inner);
    EXPECT_EQ(view.Viewers(2)->GroupDepth(), 1);
    EXPECT_FALSE(view.Viewers(1)->Show()); // the group itself takes no room
    EXPECT_EQ(BoundsOf(view, 2), Bounds(23, 0, 23, 22));
    EXPECT_EQ(BoundsOf(view, 3), Bounds(46, 0, 23, 22));
    delete inner;
    EXPECT_EQ(view.ViewerCount(), 3);
    EXPECT_EQ(BoundsOf(view, 2), Bounds(23, 0, 23, 22));
}
