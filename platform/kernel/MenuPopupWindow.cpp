#include "platform/kernel/MenuPopupWindow.h"

#include "platform/kernel/QtInputWindow.h"

void TInputPopupWindow::CreateHandle()
{
    auto *window = new TQtInputWindow(this, nullptr);
    window->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus
                           | Qt::WindowStaysOnTopHint);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setFocusPolicy(Qt::NoFocus);
    link_ = std::make_unique<TWidgetLink>(this, window);
}
