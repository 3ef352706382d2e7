#include "ToolbarHost.h"

#include "platform/services/InputSimulation.h"
#include "platform/services/SystemParameters.h"
#include "toolbar/Skin.h"
#include "toolbar/SkinUtils.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

constexpr TColor Face = RGB(212, 208, 200), Shadow = RGB(128, 128, 128);

// Counts how often its viewers execute.
class TCountingItem : public TSkinItem {
public:
    using TSkinItem::TSkinItem;
    int Executions = 0;
    std::unique_ptr<TBarItemViewer> CreateViewer(TBarView *view, int groupDepth) override
    {
        class TViewer : public TSkinItemViewer {
        public:
            TViewer(TBarView *view, TCountingItem *item, int depth) : TSkinItemViewer(view, item, depth), item_(item) {}
            bool DoExecute() override
            {
                ++item_->Executions;
                return TSkinItemViewer::DoExecute();
            }

        private:
            TCountingItem *item_;
        };
        return std::make_unique<TViewer>(view, this, groupDepth);
    }
};

struct ThemedBar {
    TScopedSystemParameters parameters;
    TBarRootItem root;
    TForm form{nullptr};
    TTestBar *bar;
    ThemedBar()
    {
        SystemParameters().MenuAnimation = false;
        form.SetBounds(100, 100, 400, 300);
        bar = new TTestBar(&form, &root);
        bar->SetParent(&form);
        bar->SetBounds(0, 0, 400, 24);
    }
    TBarItemViewer *Viewer(int index)
    {
        bar->View().EnsureLayout();
        return bar->View().Viewers(index);
    }
};

TSize Measure(TBarItemViewer *viewer)
{
    TBitmap bitmap(1, 1);
    bitmap.Canvas().Font().Assign(viewer->View()->GetFont());
    int w = 0, h = 0;
    viewer->CalcSize(bitmap.Canvas(), w, h);
    return TSize{w, h};
}

bool RunUntil(const std::function<bool()> &done)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < until)
        ProcessMessages();
    return done();
}

} // namespace

TEST(SkinItem, SizesFollowMinimaAndSeparatorSizes)
{
    ThemedBar h;
    auto *item = new TSkinItem;
    item->SetCaption("A");
    h.root.Add(item);
    auto *separator = new TSkinSeparatorItem;
    h.root.Add(separator);
    EXPECT_LT(Measure(h.Viewer(0)).cx, 100);
    item->SetMinWidth(100);
    item->SetMinHeight(30);
    EXPECT_EQ(Measure(h.Viewer(0)), (TSize{100, 30}));

    EXPECT_EQ(Measure(h.Viewer(1)), (TSize{6, 6})); // the theme's toolbar separator size
    separator->SetSize(-5);
    EXPECT_EQ(separator->Size(), -1);
    separator->SetSize(0);
    EXPECT_EQ(Measure(h.Viewer(1)), (TSize{0, 0}));
    TBitmap bitmap(10, 10);
    FillRectEx(bitmap.Canvas(), TRect{0, 0, 10, 10}, Face);
    h.Viewer(1)->Paint(bitmap.Canvas(), TRect{0, 0, 10, 10}, false, false, false);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(bitmap.Pixel(x, 4), Face);
    separator->SetSize(-1);
    h.Viewer(1)->Paint(bitmap.Canvas(), TRect{0, 0, 10, 10}, false, false, false);
    EXPECT_EQ(bitmap.Pixel(4, 5), Shadow); // an etched line at (0 + 10) / 2 - 1
}

TEST(SkinItem, FontSettingsScaleAndRestyle)
{
    TSkinItem item;
    int changes = 0;
    TFont font;
    font.SetSize(9);
    item.FontSettings().SetSize(150);
    item.FontSettings().SetBold(tsTrue);
    item.FontSettings().Apply(font);
    EXPECT_EQ(font.Size(), 14);
    EXPECT_TRUE(font.Style() & fsBold);
    font.SetStyle(fsItalic);
    TFontSettings other;
    other.SetItalic(tsFalse);
    other.Apply(font);
    EXPECT_FALSE(font.Style() & fsItalic);
    other.OnChange = [&] { ++changes; };
    other.SetItalic(tsFalse);
    EXPECT_EQ(changes, 0);
    other.Assign(item.FontSettings());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(other.Size(), 150);
}

TEST(SkinItem, ASplitButtonPushedOnItsArrow)
{
    ThemedBar h;
    auto *item = new TSkinItem;
    item->SetItemStyle(item->ItemStyle() | HasSubmenu | SubmenuOnArrowOnly);
    item->SetDisplayMode(nbdmImageAndText);
    h.root.Add(item);
    TBarItemViewer *viewer = h.Viewer(0);
    TBitmap bitmap(40, 22);
    FillRectEx(bitmap.Canvas(), TRect{0, 0, 40, 22}, Face);
    ASSERT_FALSE(h.bar->View().Pressing());
    viewer->Paint(bitmap.Canvas(), TRect{0, 0, 40, 22}, false, true, false);
    EXPECT_EQ(bitmap.Pixel(0, 0), Face);        // the main part is not pushed
    EXPECT_EQ(bitmap.Pixel(40 - 11, 5), Shadow); // the arrow part is sunken
    EXPECT_TRUE(viewer->IsPtInButtonPart(5, 5));
}

TEST(SkinItem, AMenuItemShowsItsCheckOrRadioMark)
{
    TSkinItemViewer *viewer = nullptr;
    ThemedBar h;
    auto *parent = new TSkinItem;
    parent->SetItemStyle(parent->ItemStyle() | HasSubmenu);
    h.root.Add(parent);
    auto *child = new TSkinItem;
    child->SetCaption("Checked");
    child->SetChecked(true);
    parent->Add(child);
    TBarView popupView(nullptr, nullptr, parent, h.bar, false, false, false);
    popupView.EnsureLayout();
    viewer = dynamic_cast<TSkinItemViewer *>(popupView.Viewers(0));
    ASSERT_NE(viewer, nullptr);
    TBitmap bitmap(120, 22);
    FillRectEx(bitmap.Canvas(), TRect{0, 0, 120, 22}, Face);
    viewer->Paint(bitmap.Canvas(), TRect{0, 0, 120, 22}, false, false, false);
    const int margin = viewer->GetPopupMargin(bitmap.Canvas());
    const int cx = margin / 2, cy = 11;
    EXPECT_EQ(bitmap.Pixel(cx - 1, cy + 1), RGB(0, 0, 0));
    child->SetRadioItem(true);
    FillRectEx(bitmap.Canvas(), TRect{0, 0, 120, 22}, Face);
    viewer->Paint(bitmap.Canvas(), TRect{0, 0, 120, 22}, false, false, false);
    EXPECT_EQ(bitmap.Pixel(cx, cy), RGB(0, 0, 0));
    EXPECT_EQ(bitmap.Pixel(cx + 1, cy - 1), RGB(0, 0, 0));
}

// A release over a themed button executes it once. (Menu mode runs a nested
// loop from the press, so the release is posted ahead of it.)
TEST(SkinItem, OneReleaseRunsTheCommandOnce)
{
    ThemedBar h;
    auto *item = new TCountingItem;
    item->SetCaption("Go");
    int clicks = 0;
    item->OnClick = [&](TObject *) { ++clicks; };
    h.root.Add(item);
    SimulateActivation(h.form);
    const TPoint p = h.bar->CentreOf(0);
    class TRelease : public TMessageTarget {
    public:
        std::function<void()> Step;
        void WndProc(TMessage &) override { Step(); }
    } release;
    release.Step = [&] { SimulateMouseRelease(*h.bar, p); };
    PostMessage(&release, WM_USER);
    SimulateMousePress(*h.bar, p);
    EXPECT_TRUE(RunUntil([&] { return clicks > 0 && !(h.bar->View().State() & vsModal); }));
    for (int i = 0; i < 5; ++i)
        ProcessMessages();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(item->Executions, 1);
}

TEST(SkinItem, ThemedPopupsDrawTheirFrameAndHoveredRow)
{
    ThemedBar h;
    auto *parent = new TSkinItem;
    parent->SetItemStyle(parent->ItemStyle() | HasSubmenu);
    h.root.Add(parent);
    for (const char *caption : {"Open", "Save"}) {
        auto *child = new TSkinItem;
        child->SetCaption(caption);
        parent->Add(child);
    }
    std::unique_ptr<TBarPopupWindow> popup = parent->CreatePopupWindow(&h.bar->View(), false);
    ASSERT_NE(dynamic_cast<TSkinPopupWindow *>(popup.get()), nullptr);
    EXPECT_EQ(SendMessage(popup.get(), BARWM_GETVIEWKIND), VIEWKIND_POPUP | VIEWKIND_POPUPMENU);
    EXPECT_EQ(popup->GetNCSize(), (TPoint{3, 3}));
    popup->SetBounds(0, 0, 120, 60);
    TBarView *view = popup->View();
    view->EnsureLayout();
    view->Select(view->Viewers(1), true);
    TBitmap bitmap(popup->Width(), popup->Height());
    popup->PaintTo(bitmap.Canvas());
    EXPECT_EQ(bitmap.Pixel(1, 1), RGB(255, 255, 255)); // raised frame
    EXPECT_EQ(bitmap.Pixel(popup->Width() - 1, popup->Height() / 2), RGB(64, 64, 64));
    const TRect row = view->Viewers(1)->BoundsRect();
    EXPECT_EQ(bitmap.Pixel(3 + row.Left + row.Width() - 5, 3 + row.Top + 2), RGB(10, 36, 106));
    const TRect first = view->Viewers(0)->BoundsRect();
    EXPECT_EQ(bitmap.Pixel(3 + first.Left + first.Width() - 5, 3 + first.Top + 2), Face);
}
