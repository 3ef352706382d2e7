#include "platform/kernel/Forms.h"
#include "platform/kernel/QtControls.h"
#include "platform/services/InputSimulation.h"
#include "platform/services/SystemParameters.h"
#include "toolbar/Skin.h"
#include "toolbar/SkinDefaultTheme.h"
#include "toolbar/SkinUtils.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace {

constexpr TColor Face = RGB(212, 208, 200), White = RGB(255, 255, 255), Shadow = RGB(128, 128, 128);

struct SkinToolbarForm {
    TForm form{nullptr};
    TBarDock *dock;
    SkinToolbarForm()
    {
        form.SetBounds(0, 0, 400, 200);
        dock = new TBarDock(&form);
        dock->SetName("dockTop");
        dock->SetParent(&form);
    }
    TSkinToolbar *Toolbar(int buttons)
    {
        auto *tb = new TSkinToolbar(&form);
        tb->SetName("tlbSkin");
        for (int i = 0; i < buttons; ++i) {
            auto *item = new TSkinItem(&form);
            item->SetCaption("B" + std::to_string(i));
            tb->Items()->Add(item);
        }
        return tb;
    }
};

} // namespace

TEST(SkinToolbar, ViewKindFollowsPlacementAndTransparency)
{
    SkinToolbarForm f;
    TSkinToolbar *tb = f.Toolbar(2);
    tb->SetParent(&f.form);
    EXPECT_EQ(SendMessage(tb, BARWM_GETVIEWKIND) & VIEWKIND_OPAQUEITEMS, VIEWKIND_OPAQUEITEMS);
    tb->SetItemTransparency(itEnable);
    EXPECT_EQ(tb->ViewKind() & VIEWKIND_OPAQUEITEMS, 0u);
    tb->SetItemTransparency(itAuto);
    tb->SetCurrentDock(f.dock);
    EXPECT_EQ(tb->ViewKind() & VIEWKIND_OPAQUEITEMS, 0u);
    EXPECT_EQ(tb->ViewKind() & (VIEWKIND_TOOLBAR | VIEWKIND_TOOLBAR_PLAIN), VIEWKIND_TOOLBAR | VIEWKIND_TOOLBAR_PLAIN);
    tb->SetItemTransparency(itDisable);
    EXPECT_EQ(tb->ViewKind() & VIEWKIND_OPAQUEITEMS, VIEWKIND_OPAQUEITEMS);
    // The automatic colour is the theme's toolbar colour.
    EXPECT_EQ(tb->Color(), clNone);
    TMessage message{BARWM_GETBACKCOLOR, 0, 0, 0};
    DispatchMessage(tb, message);
    EXPECT_EQ(message.Result, 1);
    EXPECT_EQ(ColorToRGB(static_cast<TColor>(message.WParam)), Face);
}

TEST(SkinToolbar, FloatingFramesSnapWithinTheDistance)
{
    const TRect work{0, 0, 1024, 768};
    // 100 x 50 frame; distance 10: 9 pixels off the right edge snaps, 10 does not.
    EXPECT_EQ(SnapToWorkArea(Bounds(1024 - 100 - 9, 300, 100, 50), work, 10), (TPoint{924, 300}));
    EXPECT_EQ(SnapToWorkArea(Bounds(1024 - 100 - 10, 300, 100, 50), work, 10), (TPoint{914, 300}));
    EXPECT_EQ(SnapToWorkArea(Bounds(-9, 5, 100, 50), work, 10), (TPoint{0, 0}));
    EXPECT_EQ(SnapToWorkArea(Bounds(-9, 5, 100, 50), work, 0), (TPoint{-9, 5}));

    SkinToolbarForm f;
    TSkinToolbar *tb = f.Toolbar(2);
    tb->SetSnapDistance(-3);
    EXPECT_EQ(tb->SnapDistance(), 0);
    tb->SetCurrentDock(f.dock);
    f.form.Show();
    tb->SetSnapDistance(10);
    tb->SetFloatingPosition(TPoint{100, 120});
    tb->SetFloating(true);
    auto *frame = dynamic_cast<TSkinFloatingWindowParent *>(tb->FloatingParent());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->SnapDistance(), 10);
    const TRect area = MonitorRectOfRect(frame->BoundsRect(), true);
    frame->SetBounds(area.Right - frame->Width() - 9, 200, frame->Width(), frame->Height());
    EXPECT_EQ(frame->Left(), area.Right - frame->Width());
    frame->SetBounds(area.Right - frame->Width() - 10, 200, frame->Width(), frame->Height());
    EXPECT_EQ(frame->Left(), area.Right - frame->Width() - 10);
}

TEST(SkinToolbar, DockedAndFloatingFramesArePaintedByTheTheme)
{
    SkinToolbarForm f;
    TSkinToolbar *tb = f.Toolbar(2);
    tb->SetCaption("Tools");
    tb->SetDragHandleStyle(dhDouble);
    tb->SetCurrentDock(f.dock);
    f.form.Show();
    {
        TBitmap bitmap(tb->Width(), tb->Height());
        tb->PaintTo(bitmap.Canvas());
        EXPECT_EQ(bitmap.Pixel(0, 0), White);
        EXPECT_EQ(bitmap.Pixel(tb->Width() - 1, 5), Shadow);
        // The double grip: bars from x = 4 and 7.
        EXPECT_EQ(bitmap.Pixel(4, 10), White);
        EXPECT_EQ(bitmap.Pixel(7, 10), White);
    }
    tb->SetFloatingPosition(TPoint{100, 120});
    tb->SetFloating(true);
    auto *frame = dynamic_cast<TSkinFloatingWindowParent *>(tb->FloatingParent());
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(SimulateActivation(f.form)) << "an active caption needs its form active";
    const TSkinFloatingWindowInfo info = frame->GetFloatingInfo(SFWP_FRAME | SFWP_CAPTION | SFWP_CLOSEBUTTON);
    const TRect caption = GetFloatingCaptionRect(info, true, true);
    TBitmap active(frame->Width(), frame->Height());
    frame->PaintTo(active.Canvas());
    EXPECT_EQ(active.Pixel(caption.Left, caption.Bottom - 1), RGB(10, 36, 106));
    EXPECT_EQ(active.Pixel(caption.Right - 1, caption.Bottom - 1), RGB(166, 202, 240));
    tb->SetCaptionInactive(true);
    TBitmap inactive(frame->Width(), frame->Height());
    frame->PaintTo(inactive.Canvas());
    EXPECT_EQ(inactive.Pixel(caption.Left, caption.Bottom - 1), Shadow);
    EXPECT_EQ(inactive.Pixel(caption.Right - 1, caption.Bottom - 1), RGB(192, 192, 192));
}

TEST(SkinToolbar, TheChevronAndItsPopupAreThemed)
{
    SkinToolbarForm f;
    f.form.SetWidth(150);
    TSkinToolbar *tb = f.Toolbar(10);
    tb->SetCurrentDock(f.dock);
    f.form.Show();
    ASSERT_NE(dynamic_cast<TSkinChevronItem *>(tb->ChevronItem()), nullptr);
    TBarView &view = tb->View();
    view.EnsureLayout();
    TBarItemViewer *chevron = view.Viewers(view.ViewerCount() - 1);
    ASSERT_EQ(chevron->Item(), tb->ChevronItem());
    ASSERT_TRUE(chevron->Show());
    ASSERT_NE(dynamic_cast<TSkinChevronItemViewer *>(chevron), nullptr);

    // The glyph's first row (11001100) at the top of its 8 x 5 block, centred
    // across and 4 below the top.
    TBitmap bitmap(tb->Width(), tb->Height());
    tb->PaintTo(bitmap.Canvas());
    const TPoint origin = tb->ClientOrigin();
    const TRect b = chevron->BoundsRect();
    const int left = origin.X + (b.Left + b.Right - 8 + 1) / 2, top = origin.Y + b.Top + 4;
    EXPECT_EQ(bitmap.Pixel(left, top), RGB(0, 0, 0));
    EXPECT_EQ(bitmap.Pixel(left + 1, top), RGB(0, 0, 0));
    EXPECT_EQ(bitmap.Pixel(left + 2, top), Face);
    EXPECT_EQ(bitmap.Pixel(left + 4, top + 2), Face);
    EXPECT_EQ(bitmap.Pixel(left + 6, top + 2), RGB(0, 0, 0));

    // Its popup is the themed chevron popup, holding themed viewers of the hidden items.
    TBarPopupWindow *popup = tb->ChevronItem()->CreatePopup(&view, chevron, false, false, false, TPoint{}, tbpaLeft);
    ASSERT_NE(dynamic_cast<TSkinChevronPopupWindow *>(popup), nullptr);
    EXPECT_EQ(SendMessage(popup, BARWM_GETVIEWKIND), VIEWKIND_POPUP | VIEWKIND_CHEVRONPOPUP);
    popup->View()->EnsureLayout();
    ASSERT_GT(popup->View()->ViewerCount(), 0);
    EXPECT_NE(dynamic_cast<TSkinItemViewer *>(popup->View()->Viewers(0)), nullptr);
    TBitmap shown(popup->Width(), popup->Height());
    popup->PaintTo(shown.Canvas());
    EXPECT_EQ(shown.Pixel(1, 1), White); // the raised frame of a popup without flat menus
    view.CloseChildPopup();
}

// What the screen holds of a window (its painted pixels, not a fresh picture).
TColor ScreenPixel(TWinControl &window, int x, int y)
{
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(window.Link()->Widget()->winId()).toImage();
    const QRgb rgb = image.pixel(x, y);
    return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

// The button under the pointer in the chevron's popup gets its whole raised
// edge on the screen, though only its own rectangle is painted again.
TEST(SkinToolbar, TheHotButtonOfTheChevronPopupShowsItsWholeEdge)
{
    SkinToolbarForm f;
    f.form.SetWidth(150);
    TSkinToolbar *tb = f.Toolbar(10);
    tb->SetCurrentDock(f.dock);
    f.form.Show();
    TBarView &view = tb->View();
    view.EnsureLayout();
    TBarItemViewer *chevron = view.Viewers(view.ViewerCount() - 1);
    TBarPopupWindow *popup = tb->ChevronItem()->CreatePopup(&view, chevron, false, false, false, TPoint{}, tbpaLeft);
    popup->ShowPopup();
    ProcessMessages();
    TBarView &items = *popup->View();
    TBarItemViewer *hot = nullptr;
    for (int i = 0; i < items.ViewerCount() && !hot; ++i)
        if (items.Viewers(i)->Show())
            hot = items.Viewers(i);
    ASSERT_NE(hot, nullptr);
    items.Select(hot, true);
    ProcessMessages();

    const TPoint nc = popup->GetNCSize();
    TRect b = hot->BoundsRect();
    OffsetRect(b, nc.X, nc.Y);
    const int midX = (b.Left + b.Right) / 2, midY = (b.Top + b.Bottom) / 2;
    EXPECT_EQ(ScreenPixel(*popup, b.Left, midY), White);
    EXPECT_EQ(ScreenPixel(*popup, midX, b.Top), White);
    EXPECT_EQ(ScreenPixel(*popup, b.Right - 1, midY), Shadow);
    EXPECT_EQ(ScreenPixel(*popup, midX, b.Bottom - 1), Shadow);
    view.CloseChildPopup();
}

namespace {

// A theme answering its own view margins, recording the kinds asked about.
class TMarginTheme : public TSkinDefaultTheme {
public:
    using TSkinDefaultTheme::TSkinDefaultTheme;
    static inline std::vector<std::uint32_t> Kinds;
    void GetViewMargins(std::uint32_t viewType, TRect &margins) override
    {
        Kinds.push_back(viewType);
        margins = (viewType & VIEWKIND_FLOATING) ? TRect{1, 2, 3, 4} : TRect{5, 6, 7, 8};
    }
};

// A control whose background is a red ramp along x, answered to WM_ERASEBKGND.
class TRampPanel : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    void WndProc(TMessage &message) override
    {
        if (message.Msg == WM_ERASEBKGND) {
            auto &canvas = *reinterpret_cast<TCanvas *>(message.LParam);
            for (int x = 0; x < Width(); ++x)
                FillRectEx(canvas, TRect{x, 0, x + 1, Height()}, RGB(x, 0, 0));
            message.Result = 1;
            return;
        }
        TCustomControl::WndProc(message);
    }
};

} // namespace

TEST(SkinToolbar, MarginsAndBackgroundComeFromTheTheme)
{
    // The theme in use answers the margins: the placement decides the floating flag.
    ClearThemeRegistry();
    RegisterTheme("Default", [](const std::string &name) { return std::make_unique<TMarginTheme>(name); });
    {
        SkinToolbarForm f;
        TSkinToolbar *tb = f.Toolbar(1);
        tb->SetCurrentDock(f.dock);
        TMarginTheme::Kinds.clear();
        EXPECT_EQ(tb->View().GetViewMargins(tbvoFloating), (TRect{1, 2, 3, 4}));
        EXPECT_EQ(tb->View().GetViewMargins(tbvoHorizontal), (TRect{5, 6, 7, 8}));
        ASSERT_EQ(TMarginTheme::Kinds.size(), 2u);
        EXPECT_EQ(TMarginTheme::Kinds[0], tb->ViewKind() | VIEWKIND_FLOATING);
        EXPECT_EQ(TMarginTheme::Kinds[1], tb->ViewKind());
        EXPECT_EQ(tb->ViewKind() & VIEWKIND_FLOATING, 0u);
    }
    ClearThemeRegistry();

    // On a plain control an automatic-colour toolbar shows the control's own
    // background where it lies; a set colour fills.
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 100);
    auto *panel = new TRampPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 256, 60);
    auto *tb = new TSkinToolbar(&form);
    tb->SetParent(panel);
    tb->SetBounds(50, 10, 120, 24);
    TBitmap bitmap(tb->Width(), tb->Height());
    tb->PaintTo(bitmap.Canvas());
    EXPECT_EQ(bitmap.Pixel(0, 5), RGB(50, 0, 0));
    EXPECT_EQ(bitmap.Pixel(100, 20), RGB(150, 0, 0));
    tb->SetColor(RGB(0, 0, 255));
    tb->PaintTo(bitmap.Canvas());
    EXPECT_EQ(bitmap.Pixel(100, 20), RGB(0, 0, 255));
}

TEST(SkinToolbar, TheFloatingCloseButtonLightsUnderTheMouse)
{
    SkinToolbarForm f;
    TSkinToolbar *tb = f.Toolbar(2);
    tb->SetCaption("Tools");
    tb->SetCloseButton(true);
    tb->SetCurrentDock(f.dock);
    f.form.Show();
    tb->SetFloatingPosition(TPoint{100, 120});
    tb->SetFloating(true);
    auto *frame = dynamic_cast<TSkinFloatingWindowParent *>(tb->FloatingParent());
    ASSERT_NE(frame, nullptr);
    auto state = [&] { return frame->GetFloatingInfo(SFWP_CLOSEBUTTON).CloseButtonState; };
    EXPECT_EQ(state(), CDBS_VISIBLE);
    const TRect close = frame->CloseButtonRect();
    SendMessage(frame, WM_MOUSEMOVE, 0, MakeLParam(close.Left + 3, close.Top + 3));
    EXPECT_TRUE(frame->CloseButtonHot());
    EXPECT_EQ(state(), CDBS_VISIBLE | CDBS_HOT);
    SendMessage(frame, WM_MOUSEMOVE, 0, MakeLParam(close.Left - 3, close.Top + 3));
    EXPECT_FALSE(frame->CloseButtonHot());
    SendMessage(frame, WM_MOUSEMOVE, 0, MakeLParam(close.Left + 3, close.Top + 3));
    SendMessage(frame, CM_MOUSELEAVE);
    EXPECT_EQ(state(), CDBS_VISIBLE);
    // Straight from the button onto the toolbar inside the frame.
    SendMessage(frame, WM_MOUSEMOVE, 0, MakeLParam(close.Left + 3, close.Top + 3));
    SendMessage(tb, WM_MOUSEMOVE, 0, MakeLParam(5, 5));
    EXPECT_EQ(state(), CDBS_VISIBLE);
    // The frame paints all of itself: nothing is erased first.
    EXPECT_EQ(SendMessage(frame, WM_ERASEBKGND), 1);
}
