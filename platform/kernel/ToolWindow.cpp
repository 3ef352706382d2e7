#include "platform/kernel/ToolWindow.h"

#include "platform/kernel/QtControls.h"

#include <QWindow>

TToolWindow::TToolWindow(TComponent *owner) : TCustomControl(owner)
{
    SetVisible(false);
}

TToolWindow::~TToolWindow() = default;

TWinControl *TToolWindow::OwnerWindow() const
{
    return dynamic_cast<TWinControl *>(TControl::FindBySerial(ownerSerial_));
}

void TToolWindow::SetOwnerWindow(TWinControl *owner)
{
    const std::uint64_t serial = owner ? owner->Serial() : 0;
    if (serial == ownerSerial_)
        return;
    ownerSerial_ = serial;
    ApplyOwner();
}

void TToolWindow::SetTopmost(bool topmost)
{
    if (topmost == topmost_)
        return;
    topmost_ = topmost;
    if (!HandleAllocated())
        return;
    SetStaysOnTop(*Link()->Widget(), topmost);
    ApplyOwner();
}

void TToolWindow::CreateHandle()
{
    // No toolkit parent: the owner going first must not take this window
    // with it. The owner is the window system's relation only (transient).
    auto *window = new TQtWindow(this, nullptr);
    // It refuses the activation until a control in it that takes the focus is clicked.
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
    if (topmost_)
        flags |= Qt::WindowStaysOnTopHint;
    window->setWindowFlags(flags);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setFocusPolicy(Qt::NoFocus);
    link_ = std::make_unique<TWidgetLink>(this, window);
}

void TToolWindow::InitializeHandle()
{
    TCustomControl::InitializeHandle();
    QWidget *w = Link()->Widget();
    w->move(Left(), Top());
    w->setWindowTitle(QStr(Caption()));
    ApplyOwner();
}

void TToolWindow::ApplyOwner()
{
    if (!HandleAllocated())
        return;
    QWidget *w = Link()->Widget();
    w->winId();
    QWindow *transientParent = nullptr;
    if (TWinControl *owner = OwnerWindow(); owner && owner->HandleAllocated()) {
        QWidget *ownerWindow = owner->Link()->Widget()->window();
        ownerWindow->winId();
        transientParent = ownerWindow->windowHandle();
    }
    w->windowHandle()->setTransientParent(transientParent);
}

void TToolWindow::BoundsChanged()
{
    TCustomControl::BoundsChanged();
    if (HandleAllocated())
        Link()->Widget()->move(Left(), Top());
}

void TToolWindow::ShowAt(TPoint screen)
{
    SetBounds(screen.X, screen.Y, Width(), Height());
    Show();
    HandleNeeded();
    // The owner's window may have been made since.
    ApplyOwner();
    Link()->Widget()->show();
}

void TToolWindow::SetText(const std::string &text)
{
    TCustomControl::SetText(text);
    if (HandleAllocated())
        Link()->Widget()->setWindowTitle(QStr(text));
}

bool WindowIsTopmost(const TWinControl &window)
{
    return window.HandleAllocated() && (window.Link()->Widget()->window()->windowFlags() & Qt::WindowStaysOnTopHint);
}

void ActivateWindow(TWinControl &window)
{
    if (!window.HandleAllocated())
        return;
    QWidget *w = window.Link()->Widget()->window();
    w->raise();
    w->activateWindow();
}
