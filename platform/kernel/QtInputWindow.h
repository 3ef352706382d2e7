#pragma once
// Platform-internal: a painted window that also turns typed characters into
// WM_CHAR messages (after the key went through WM_KEYDOWN), for controls that
// do their own text input and scrolling. Only platform/ sources include this header.
#include "platform/kernel/QtControls.h"

class TQtInputWindow : public TQtWindow {
public:
    TQtInputWindow(TWinControl *control, QWidget *parent);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    // The wheel reaches the control as WM_MOUSEWHEEL (the turn in the high word of WParam).
    void wheelEvent(QWheelEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    bool focusNextPrevChild(bool) override { return false; }

private:
    void SendChars(const QString &text);
    TWinControl *control_;
};
