#include "platform/kernel/Forms.h"
#include "toolbar/BarDock.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A dockable window of a fixed client size; a chevron window may shrink to a
// minimum client length.
class FakeBar : public TBarCustomDockableWindow {
public:
    FakeBar(TComponent *owner, int width, int height, TBarShrinkMode mode = brsmNone, int minClient = 0)
        : TBarCustomDockableWindow(owner), w_(width), h_(height), mode_(mode), min_(minClient)
    {
    }
    TSize GetSizeForOrientation(bool, TBarOrientation, TBarDock *dock, bool) override
    {
        if (ShrunkLength > 0 && dock) {
            TPoint nc = GetNCSize();
            return TSize{ShrunkLength - nc.X, h_};
        }
        return TSize{w_, h_};
    }
    TSize GetBaseSize() override { return TSize{w_, h_}; }
    void GetMinDockedLength(int &length) override { length = min_ + GetNCSize().X; }
    TBarShrinkMode GetShrinkMode() const override { return mode_; }

private:
    int w_, h_;
    TBarShrinkMode mode_;
    int min_;
};

struct DockFixture {
    TForm form{nullptr};
    TBarDock *dock;
    explicit DockFixture(int width = 400)
    {
        form.SetBounds(0, 0, width, 300);
        dock = new TBarDock(&form);
        dock->SetParent(&form);
    }
    FakeBar *Add(int row, int pos, int width, int height = 22, TBarShrinkMode mode = brsmNone, int minClient = 0)
    {
        auto *bar = new FakeBar(&form, width, height, mode, minClient);
        bar->SetDockRow(row);
        bar->SetDockPos(pos);
        bar->SetCurrentDock(dock);
        return bar;
    }
};

TRect R(int l, int t, int w, int h) { return TRect{l, t, l + w, t + h}; }

} // namespace

// A docked window is its client size plus a frame of 2 on each side and a
// 6-pixel drag handle along the dock; a row is its thickest client plus 4.
TEST(BarDock, RowsStackAndEmptyRowsGo)
{
    DockFixture f;
    f.dock->SetBoundLines(blTop | blBottom | blLeft | blRight);
    FakeBar *a = f.Add(1, -1, 50);
    FakeBar *b = f.Add(5, -1, 60, 30);
    EXPECT_EQ(a->EffectiveRow, 0);
    EXPECT_EQ(b->EffectiveRow, 1);
    EXPECT_EQ(a->BoundsRect(), R(1, 1, 60, 26));
    EXPECT_EQ(b->BoundsRect(), R(1, 27, 70, 34));
    EXPECT_EQ(f.dock->Height(), 2 + 26 + 34);
    // The wishes stay until a drag commits them.
    EXPECT_EQ(a->DockRow(), 1);
    EXPECT_EQ(b->DockRow(), 5);
}

TEST(BarDock, PositionsGapsAndCrowdedRows)
{
    DockFixture f(400);
    FakeBar *a = f.Add(0, -1, 50);
    FakeBar *b = f.Add(0, 200, 50);
    // -1 starts right after its predecessors; a larger position leaves a gap.
    EXPECT_EQ(a->BoundsRect(), R(0, 0, 60, 26));
    EXPECT_EQ(b->BoundsRect(), R(200, 0, 60, 26));
    // A position less than the predecessors' minimum lengths starts after them.
    FakeBar *c = f.Add(0, 10, 40);
    EXPECT_EQ(c->EffectivePos, 60);
    EXPECT_EQ(b->EffectivePos, 200);
    // Too long for the row: the last ones move to a row of their own.
    FakeBar *d = f.Add(0, 300, 250);
    EXPECT_EQ(d->EffectiveRow, 1);
    // Alone in its row, it keeps what it can of its wish.
    EXPECT_EQ(d->BoundsRect(), R(140, 26, 260, 26));
    EXPECT_EQ(f.dock->Height(), 52);
}

TEST(BarDock, SingleLongWindowShrinksInsteadOfSplitting)
{
    DockFixture f(200);
    FakeBar *chev = f.Add(0, -1, 300, 22, brsmChevron, 30);
    EXPECT_EQ(chev->EffectiveRow, 0);
    EXPECT_EQ(chev->Width(), 200);
    EXPECT_EQ(chev->ShrunkLength, 200);
    // A chevron window is counted at its minimum: another window fits beside it.
    FakeBar *other = f.Add(0, -1, 50);
    EXPECT_EQ(other->EffectiveRow, 0);
    EXPECT_EQ(chev->Width(), 140);
    EXPECT_EQ(other->BoundsRect(), R(140, 0, 60, 26));
    // A window that cannot shrink overhangs.
    DockFixture g(100);
    FakeBar *plain = g.Add(0, -1, 300);
    EXPECT_EQ(plain->Width(), 310);
}

TEST(BarDock, FullSizeStretchAndOneRow)
{
    DockFixture f(300);
    FakeBar *a = f.Add(0, -1, 50);
    FakeBar *full = f.Add(0, 100, 40);
    full->SetFullSize(true);
    EXPECT_NE(full->EffectiveRow, a->EffectiveRow);
    EXPECT_EQ(full->Width(), 300);
    EXPECT_EQ(full->Left(), 0);

    DockFixture g(300);
    FakeBar *s = g.Add(0, -1, 50);
    FakeBar *t = g.Add(0, 200, 50);
    s->SetStretch(true);
    // The stretching window fills the gap to its right neighbour.
    EXPECT_EQ(s->BoundsRect(), R(0, 0, 200, 26));
    EXPECT_EQ(t->Left(), 200);
    t->SetStretch(true);
    EXPECT_EQ(t->BoundsRect(), R(200, 0, 100, 26));

    DockFixture h(100);
    h.dock->SetLimitToOneRow(true);
    FakeBar *x = h.Add(0, -1, 80);
    FakeBar *y = h.Add(3, -1, 80);
    EXPECT_EQ(x->EffectiveRow, 0);
    EXPECT_EQ(y->EffectiveRow, 0);
    EXPECT_EQ(y->DockRow(), 0);
    FakeBar *z = h.Add(0, -1, 10);
    z->SetFullSize(true);
    EXPECT_EQ(x->EffectiveRow, y->EffectiveRow);
    EXPECT_NE(z->EffectiveRow, x->EffectiveRow);
}

TEST(BarDock, EmptyDockThicknessAndVerticalDocks)
{
    DockFixture f;
    f.dock->SetBoundLines(blTop | blBottom);
    f.dock->ArrangeToolbars();
    EXPECT_EQ(f.dock->Height(), 0);
    f.dock->SetFixAlign(true);
    EXPECT_EQ(f.dock->Height(), 1);
    FakeBar *a = f.Add(0, -1, 50);
    EXPECT_EQ(f.dock->Height(), 28);
    a->Hide();
    EXPECT_EQ(f.dock->Height(), 1);
    a->Show();
    EXPECT_EQ(f.dock->Height(), 28);

    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
    auto *left = new TBarDock(&form);
    left->SetPosition(dpLeft);
    left->SetParent(&form);
    auto *bar = new FakeBar(&form, 22, 40);
    bar->SetCurrentDock(left);
    // On a vertical dock the handle lies at the top.
    EXPECT_EQ(bar->BoundsRect(), R(0, 0, 26, 50));
    EXPECT_EQ(left->Width(), 26);
    EXPECT_EQ(bar->ClientOrigin(), (TPoint{2, 8}));
}

TEST(BarDock, ErrorsAndNotifications)
{
    DockFixture f;
    FakeBar *a = f.Add(0, -1, 50);
    EXPECT_THROW(f.dock->SetPosition(dpLeft), EInvalidOperation);
    auto *inner = new TBarDock(&f.form);
    EXPECT_THROW(inner->SetParent(f.dock), EInvalidOperation);
    EXPECT_THROW(inner->SetParent(a), EInvalidOperation);

    int inserted = 0, removed = 0;
    f.dock->OnInsertRemoveBar = [&](TObject *, bool inserting, TBarCustomDockableWindow *) {
        (inserting ? inserted : removed)++;
    };
    int visibleChanges = 0;
    a->OnVisibleChanged = [&](TObject *) { ++visibleChanges; };
    a->Hide();
    a->Show();
    EXPECT_EQ(inserted, 1);
    EXPECT_EQ(removed, 1);
    EXPECT_EQ(visibleChanges, 2);
    // A freed window leaves both lists and the dock shrinks.
    delete a;
    EXPECT_TRUE(f.dock->BarList().empty());
    EXPECT_TRUE(f.dock->VisibleBarList().empty());
    EXPECT_EQ(f.dock->Height(), 0);
}

TEST(BarDock, LastDockKeepsAWindowThatLeft)
{
    DockFixture f;
    FakeBar *a = f.Add(0, -1, 50);
    EXPECT_EQ(a->LastDock(), f.dock);
    a->SetCurrentDock(nullptr);
    EXPECT_EQ(a->Parent(), &f.form);
    EXPECT_FALSE(a->Docked());
    EXPECT_EQ(a->LastDock(), f.dock);
    ASSERT_EQ(f.dock->BarList().size(), 1u);
    EXPECT_TRUE(f.dock->VisibleBarList().empty());
    EXPECT_EQ(a->GetNCSize(), (TPoint{0, 0}));
    delete f.dock;
    EXPECT_EQ(a->LastDock(), nullptr);
}
