#include "platform/kernel/QtInputWindow.h"

#include "platform/kernel/Application.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QWheelEvent>

TQtInputWindow::TQtInputWindow(TWinControl *control, QWidget *parent) : TQtWindow(control, parent), control_(control)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
}

void TQtInputWindow::SendChars(const QString &text)
{
    TMessageTargetRef target(control_);
    for (char32_t c : text.toStdU32String()) {
        if (c < 0x20 || c == 0x7F || !target)
            continue;
        Application().Guard([&] { SendMessage(control_, WM_CHAR, static_cast<WPARAM>(c)); });
    }
}

void TQtInputWindow::keyPressEvent(QKeyEvent *event)
{
    // Ctrl makes no text, Alt a menu key; both together are how some
    // keyboard layouts give AltGr, whose characters are typed.
    const Qt::KeyboardModifiers held = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (held == Qt::NoModifier || held == (Qt::ControlModifier | Qt::AltModifier))
        SendChars(event->text());
    event->accept();
}

void TQtInputWindow::inputMethodEvent(QInputMethodEvent *event)
{
    SendChars(event->commitString());
    event->accept();
}

void TQtInputWindow::wheelEvent(QWheelEvent *event)
{
    auto turn = static_cast<std::uint16_t>(static_cast<std::int16_t>(event->angleDelta().y()));
    QPoint global = event->globalPosition().toPoint();
    Application().Guard([&] {
        SendMessage(control_, WM_MOUSEWHEEL, static_cast<WPARAM>(turn) << 16, MakeLParam(global.x(), global.y()));
    });
    event->accept();
}

QVariant TQtInputWindow::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImEnabled)
        return true;
    return TQtWindow::inputMethodQuery(query);
}
