#include "platform/WindowEffects.h"

#include "platform/QtControls.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QRegion>

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

void PostMessageFromThread(const TMessageTargetRef &target, unsigned msg, WPARAM wParam, LPARAM lParam)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app, [target, msg, wParam, lParam] {
            if (TMessageTarget *t = target.Get())
                SendMessage(t, msg, wParam, lParam);
        },
        Qt::QueuedConnection);
}
