#pragma once
// What a screen reader reads of a toolkit button the platform makes (a push
// button, a radio button): its caption as the name, accelerator marks taken
// out, and a press action that presses the control once the reader's call
// has returned, as a click does.
#include "platform/kernel/Accessibility.h"
#include "platform/kernel/QtControls.h"

#include <QAbstractButton>
#include <QAccessibleWidget>

class TQtButtonAccessible : public QAccessibleWidget {
public:
    TQtButtonAccessible(QWidget *widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text t) const override
    {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            return QStr(StripAccelerators(StdStr(Button()->text())));
        return text;
    }
    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
    void doAction(const QString &name) override
    {
        TWinControl *control = name == pressAction() ? TWidgetLink::ControlOf(widget()) : nullptr;
        if (!control)
            return QAccessibleWidget::doAction(name);
        if (Button()->isEnabled())
            RunOnControlLater(*control, [press = press_](TWinControl &target) { press(target); });
    }

protected:
    // How the control is pressed (run from the event loop).
    void SetPress(void (*press)(TWinControl &)) { press_ = press; }
    QAbstractButton *Button() const { return static_cast<QAbstractButton *>(widget()); }

private:
    void (*press_)(TWinControl &) = [](TWinControl &) {};
};
