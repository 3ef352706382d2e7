#pragma once
// Platform-internal: the toolkit side of windowed controls. Only platform/ sources
// include this header.
#include "platform/kernel/Controls.h"

#include <QCursor>
#include <QObject>
#include <QPointer>
#include <QWidget>

class QPainter;
class QAccessibleInterface;

// Binds a TWinControl to its widget: owns the widget, translates the widget's
// input into messages, and paints through the control.
class TWidgetLink : public QObject {
public:
    // `widget` is the control's window, `client` the widget its children go
    // into (the same widget unless the control wraps an inner area).
    TWidgetLink(TWinControl *control, QWidget *widget, QWidget *client = nullptr);
    ~TWidgetLink() override;

    QWidget *Widget() const { return widget_; }
    QWidget *Client() const { return client_; }
    TWinControl *Control() const { return control_; }
    // Also translate the input of this inner widget (e.g. a scroll area's viewport).
    void WatchWidget(QWidget *widget);
    // Native controls handle their own input after our handlers ran. Their
    // mouse input is theirs alone: what the toolkit's widget leaves unused
    // (a button ignores plain moves) does not reach the window under it too,
    // which would take the pointer's hint away from the control.
    void SetNative(bool native);
    // Makes the window's accessibility interface where the toolkit's own
    // would not tell what the control tells (its name); nullptr for the toolkit's.
    using TAccessibleMaker = QAccessibleInterface *(*)(QWidget *widget);
    void SetAccessibleMaker(TAccessibleMaker maker) { accessibleMaker_ = maker; }
    TAccessibleMaker AccessibleMaker() const { return accessibleMaker_; }

    bool eventFilter(QObject *watched, QEvent *event) override;

    static TWinControl *ControlOf(const QWidget *widget);
    // Paints a control's face and its windowless children with a painter.
    static void Paint(TWinControl *control, QPainter &painter, const TRect &clip);

private:
    bool FilterEvent(QObject *watched, QEvent *event);
    bool MouseEvent(QWidget *source, QEvent *event);
    bool KeyEvent(QEvent *event);
    // The control's input-method mode: the widget's answer to the input
    // method's query, with the input method kept out or digits asked for.
    bool AnswerInputMethodQuery(QObject *watched, QEvent *event);
    // A number or date field: a key or committed text holding full-width
    // forms is sent again in ASCII; true when it was.
    bool ResendHalfWidth(QObject *watched, QEvent *event);

    TWinControl *control_;
    QPointer<QWidget> widget_;
    QWidget *client_;
    bool native_ = false;
    TAccessibleMaker accessibleMaker_ = nullptr;
};

// The plain window of TWinControl and TCustomControl: paints through the control.
class TQtWindow : public QWidget {
public:
    TQtWindow(TWinControl *control, QWidget *parent);
protected:
    void paintEvent(QPaintEvent *event) override;
    bool focusNextPrevChild(bool next) override;
private:
    TWinControl *control_;
};


class QMenuBar;
class TMenuItem;
// A form's menu bar (its parent owns it).
QMenuBar *NewQtMenuBar(QWidget *parent);
// Rebuilds a menu bar from the children of a root menu item.
void FillQtMenuBar(QMenuBar &bar, TMenuItem &root);
// The menu bar takes the keyboard with its first title highlighted, as after
// Alt alone; when it has the keyboard, it gives it back.
void ToggleMenuBarKeyboardMode(QMenuBar &bar);
// When the menu bar has the keyboard, it gives it back to where it was.
void EndMenuBarKeyboardMode(QMenuBar &bar);
// Opens the menu bar's title whose access key is `ch` (in either case), as
// Alt and that letter do; false when no enabled title has it.
bool OpenMenuBarTitle(QMenuBar &bar, char32_t ch);

// Keeps a top-level window above every window or not; a shown window (which
// changing the flag hides) shows again as it was.
void SetStaysOnTop(QWidget &window, bool onTop);

// The toolkit cursor of a screen cursor number (stock or the program's own drawing).
QCursor QtCursor(TCursor cursor);
QString QStr(const std::string &text);
// The index of an accessibility interface among a parent's children (-1: none).
int IndexOfAccessibleChild(const QAccessibleInterface &parent, const QAccessibleInterface *child);
std::string StdStr(const QString &text);
