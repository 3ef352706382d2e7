#include "platform/kernel/PopupWindow.h"

#include "platform/kernel/QtInputWindow.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

TPopupWindow::TPopupWindow(TComponent *owner) : TCustomControl(owner)
{
    SetVisible(false);
}

namespace {

// The toolkit window a control sits on, or nullptr.
QWidget *WindowOf(const TControl *control)
{
    for (const TControl *c = control; c; c = c->Parent())
        if (auto *win = dynamic_cast<const TWinControl *>(c); win && win->HandleAllocated())
            return win->Link()->Widget()->window();
    return nullptr;
}

} // namespace

void TPopupWindow::CreateHandle()
{
    // A window with a parent is that window's pop-up: a modal run of the
    // parent does not shut it out of the mouse. The wheel reaches it as
    // WM_MOUSEWHEEL (lists scroll); it never has the focus to take typing.
    auto *window = new TQtInputWindow(this, WindowOf(TControl::FindBySerial(openerSerial_)));
    window->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus
                           | Qt::WindowStaysOnTopHint);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setFocusPolicy(Qt::NoFocus);
    link_ = std::make_unique<TWidgetLink>(this, window);
}

void TPopupWindow::InitializeHandle()
{
    TCustomControl::InitializeHandle();
    Link()->Widget()->move(Left(), Top());
}

void TPopupWindow::BoundsChanged()
{
    TCustomControl::BoundsChanged();
    if (HandleAllocated())
        Link()->Widget()->move(Left(), Top());
}

void TPopupWindow::ShowAt(TPoint screen, const TControl *opener)
{
    std::uint64_t serial = opener ? opener->Serial() : 0;
    if (serial != openerSerial_) {
        openerSerial_ = serial;
        DestroyHandle();
    }
    SetBounds(screen.X, screen.Y, Width(), Height());
    Show();
    HandleNeeded();
    Link()->Widget()->show();
}

void TPopupWindow::PaintWindow(TCanvas &canvas)
{
    TCustomControl::PaintWindow(canvas);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clWindowFrame);
    canvas.FrameRect(TRect{0, 0, Width(), Height()});
}

TRect ScreenWorkArea()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return TRect{0, 0, 1024, 768};
    QRect r = screen->availableGeometry();
    return TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

TPoint PlacePopup(const TRect &anchor, TSize size, const TRect &workArea)
{
    TPoint p{anchor.Left, anchor.Bottom};
    if (p.Y + size.cy > workArea.Bottom)
        p.Y = anchor.Top - size.cy;
    if (p.X + size.cx > workArea.Right)
        p.X = workArea.Right - size.cx;
    p.X = std::max(p.X, workArea.Left);
    return p;
}
