#include "platform/kernel/WindowEffects.h"

#include "platform/kernel/QtControls.h"

#include <QCoreApplication>
#include <QApplication>
#include <QEvent>
#include <QSocketNotifier>
#include <QWidget>

#include <fcntl.h>
#include <unistd.h>
#include <QRegion>

#include <deque>
#include <mutex>

void SetWindowAlpha(TWinControl &window, int alpha)
{
    if (!window.HandleAllocated())
        return;
    window.Link()->Widget()->setWindowOpacity(alpha / 255.0);
}

void SetWindowVisibleRect(TWinControl &window, const TRect *rect)
{
    if (!window.HandleAllocated())
        return;
    QWidget *w = window.Link()->Widget();
    if (rect)
        w->setMask(QRegion(rect->Left, rect->Top, rect->Width(), rect->Height()));
    else
        w->clearMask();
}

void ShowWindowNoActivate(TWinControl &window)
{
    window.HandleNeeded();
    QWidget *w = window.Link()->Widget();
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    w->show();
}

namespace {

struct TThreadMessage {
    TMessageTargetRef target;
    unsigned msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Messages from worker threads wait here, under the lock, until the GUI thread
// takes them; the toolkit's queue only carries the wake-up.
std::mutex gThreadMessagesLock;
std::deque<TThreadMessage> gThreadMessages;

void DeliverThreadMessages()
{
    for (;;) {
        TThreadMessage message;
        {
            std::lock_guard<std::mutex> lock(gThreadMessagesLock);
            if (gThreadMessages.empty())
                return;
            message = std::move(gThreadMessages.front());
            gThreadMessages.pop_front();
        }
        if (TMessageTarget *t = message.target.Get())
            SendMessage(t, message.msg, message.wParam, message.lParam);
    }
}

// The wake-up of the GUI thread: a byte written to a pipe that a socket
// notifier of the GUI thread watches (the worker touches nothing of the toolkit).
struct TThreadWakeUp {
    int fds[2] = {-1, -1};
    QSocketNotifier *notifier = nullptr;
};
TThreadWakeUp gWakeUp;

} // namespace

void PrepareThreadMessages()
{
    if (gWakeUp.notifier || !QCoreApplication::instance())
        return;
    {
        std::lock_guard<std::mutex> lock(gThreadMessagesLock);
        if (pipe2(gWakeUp.fds, O_CLOEXEC | O_NONBLOCK) != 0) {
            gWakeUp.fds[0] = gWakeUp.fds[1] = -1;
            return;
        }
    }
    gWakeUp.notifier = new QSocketNotifier(gWakeUp.fds[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(gWakeUp.notifier, &QSocketNotifier::activated, [] {
        char buffer[64];
        while (read(gWakeUp.fds[0], buffer, sizeof buffer) > 0) {
        }
        DeliverThreadMessages();
    });
}

void PostMessageFromThread(const TMessageTargetRef &target, unsigned msg, WPARAM wParam, LPARAM lParam)
{
    {
        std::lock_guard<std::mutex> lock(gThreadMessagesLock);
        if (gWakeUp.fds[1] < 0)
            return;
        gThreadMessages.push_back(TThreadMessage{target, msg, wParam, lParam});
    }
    char byte = 1;
    ssize_t written = write(gWakeUp.fds[1], &byte, 1); // a full pipe already wakes the GUI thread
    (void)written;
}

namespace {

enum : unsigned { kActivate = 0x0006, kActivateApp = 0x001C, kWindowPosChanged = 0x0047 };

// Turns the toolkit's window state events into messages to the windows' controls.
class TWindowStateWatcher : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            break;
        case QEvent::ApplicationStateChange:
            if (watched == QCoreApplication::instance()) {
                bool active = QGuiApplication::applicationState() == Qt::ApplicationActive;
                for (QWidget *w : QApplication::topLevelWidgets())
                    if (TWinControl *c = TWidgetLink::ControlOf(w))
                        SendMessage(c, kActivateApp, active ? 1 : 0, 0);
            }
            return false;
        default:
            return false;
        }
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || !widget->isWindow())
            return false;
        TWinControl *control = TWidgetLink::ControlOf(widget);
        if (!control)
            return false;
        if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)
            SendMessage(control, kActivate, event->type() == QEvent::WindowActivate ? 1 : 0, 0);
        else
            SendMessage(control, kWindowPosChanged, 0, 0);
        return false;
    }
};

int gWindowStateUsers = 0;
TWindowStateWatcher *gWindowStateWatcher = nullptr;

} // namespace

void EnableWindowStateMessages(bool enable)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    gWindowStateUsers += enable ? 1 : -1;
    if (gWindowStateUsers > 0 && !gWindowStateWatcher) {
        gWindowStateWatcher = new TWindowStateWatcher;
        gWindowStateWatcher->setParent(app);
        app->installEventFilter(gWindowStateWatcher);
    } else if (gWindowStateUsers <= 0 && gWindowStateWatcher) {
        gWindowStateUsers = 0;
        app->removeEventFilter(gWindowStateWatcher);
        delete gWindowStateWatcher;
        gWindowStateWatcher = nullptr;
    }
}

bool ProgramHasActiveWindow()
{
    return QCoreApplication::instance() && QApplication::activeWindow() != nullptr;
}

TWinControl *ActiveWindowControl()
{
    QWidget *active = QCoreApplication::instance() ? QApplication::activeWindow() : nullptr;
    return active ? TWidgetLink::ControlOf(active) : nullptr;
}

bool WindowIsUnderPoint(const TWinControl &window, TPoint screen)
{
    if (!window.HandleAllocated() || !QCoreApplication::instance())
        return false;
    for (QWidget *w = QApplication::widgetAt(QPoint(screen.X, screen.Y)); w; w = w->parentWidget())
        if (TWidgetLink::ControlOf(w) == &window)
            return true;
    return false;
}

bool GrabPointer(TWinControl &window)
{
    if (!window.HandleAllocated() || !window.Showing())
        return false;
    QWidget *w = window.Link()->Widget();
    if (!w->isVisible())
        return false;
    w->grabMouse();
    return QWidget::mouseGrabber() == w;
}

void ReleasePointer(TWinControl &window)
{
    if (HoldsPointer(window))
        window.Link()->Widget()->releaseMouse();
}

bool HoldsPointer(const TWinControl &window)
{
    return window.HandleAllocated() && QWidget::mouseGrabber() == window.Link()->Widget();
}
