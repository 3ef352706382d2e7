// Menu trees shown as the toolkit's menu bar and popup menus.
#include "platform/kernel/Application.h"
#include "platform/core/Menus.h"
#include "platform/kernel/QtControls.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStyleOptionMenuItem>

namespace {

// A form's menu bar. While it has the keyboard (after Alt or F10, and while
// the arrows move along it) the title the keyboard is on is drawn
// highlighted as an open one, so that the person sees that the menus have
// the keyboard and which title Left and Right have reached.
class TQtMenuBar : public QMenuBar {
public:
    explicit TQtMenuBar(QWidget *parent) : QMenuBar(parent)
    {
        // Where the keyboard was before the bar took it, to give it back there.
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
            if (now == this && old && old != this && old->window() == window())
                before_ = old;
        });
    }

    // As Alt pressed and let go alone: the toolkit's own keyboard mode
    // (first title, arrows, Esc) starts, or ends when it runs. The toolkit
    // watches the bar's Alt keys for it.
    void ToggleKeyboardMode()
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
        QCoreApplication::sendEvent(this, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
        QCoreApplication::sendEvent(this, &release);
    }

    // The bar has the keyboard: it is its window's focus (whether or not the
    // window is active now).
    bool HasKeyboard() const { return window()->focusWidget() == this; }

    // The bar gives the keyboard back to where it was, no title highlighted.
    void EndKeyboardMode()
    {
        if (!HasKeyboard())
            return;
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QMenuBar::keyPressEvent(&escape);
        if (HasKeyboard())
            GiveFocusBack();
        update();
    }

    // Opens the title whose access key is `ch` (in either case) with its
    // first command highlighted, as Alt, then the letter; false when no
    // enabled title has that access key.
    bool OpenTitle(char32_t ch)
    {
        const QString wanted = QString::fromUcs4(&ch, 1).toUpper();
        bool found = false;
        for (QAction *action : actions())
            found = found || (action->isVisible() && action->isEnabled() && AccessKeyOf(action->text()) == wanted);
        if (!found)
            return false;
        if (!HasKeyboard())
            ToggleKeyboardMode();
        QKeyEvent letter(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, wanted);
        QMenuBar::keyPressEvent(&letter);
        return true;
    }

protected:
    void initStyleOption(QStyleOptionMenuItem *option, const QAction *action) const override
    {
        QMenuBar::initStyleOption(option, action);
        if ((option->state & QStyle::State_Selected) && hasFocus())
            option->state |= QStyle::State_Sunken;
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        // F10 gives the keyboard back, as Esc does.
        if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::NoModifier) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QMenuBar::keyPressEvent(&escape);
            event->accept();
            return;
        }
        QMenuBar::keyPressEvent(event);
    }

    void focusOutEvent(QFocusEvent *event) override
    {
        QMenuBar::focusOutEvent(event);
        // The window lost the activation (a dialog opened over it, another
        // program was chosen): the keyboard mode has ended, and the keyboard
        // goes back to where it was, so that the bar does not take the keys
        // again with no title highlighted once the window is active again.
        if (event->reason() == Qt::ActiveWindowFocusReason && HasKeyboard())
            GiveFocusBack();
    }

private:
    // The character after the caption's single "&", upper case; empty when none.
    static QString AccessKeyOf(const QString &caption)
    {
        for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
            if (caption.at(i) != u'&')
                continue;
            if (caption.at(i + 1) != u'&')
                return caption.at(i + 1).toUpper();
            ++i;
        }
        return {};
    }

    void GiveFocusBack()
    {
        // (In a window that is not active, setting the focus only chooses the
        // widget that gets it when the window is active again.)
        if (before_ && before_->window() == window() && before_->isVisible() && before_->isEnabled())
            before_->setFocus(Qt::OtherFocusReason);
        else
            clearFocus();
    }

    QPointer<QWidget> before_;
};

QKeySequence KeySequence(int shortCut)
{
    if (shortCut == 0)
        return {};
    int key = shortCut & 0xFF;
    int qtKey = 0;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        qtKey = key;
    else if (key >= VK_F1 && key < VK_F1 + 24)
        qtKey = Qt::Key_F1 + (key - VK_F1);
    else if (key == VK_DELETE)
        qtKey = Qt::Key_Delete;
    else if (key == VK_INSERT)
        qtKey = Qt::Key_Insert;
    else
        return {};
    int modifiers = 0;
    if (shortCut & scShift) modifiers |= Qt::SHIFT;
    if (shortCut & scCtrl) modifiers |= Qt::CTRL;
    if (shortCut & scAlt) modifiers |= Qt::ALT;
    return QKeySequence(qtKey | modifiers);
}

// Adds the visible children of `item` to the menu. `chosen` receives the item
// picked; when it is null the item's click runs at once.
void FillMenu(QMenu &menu, TMenuItem &item, TMenuItem **chosen)
{
    for (int i = 0; i < item.Count(); ++i) {
        TMenuItem *child = item.Items(i);
        if (!child->Visible())
            continue;
        if (child->IsLine()) {
            menu.addSeparator();
            continue;
        }
        if (child->Count() > 0) {
            QMenu *sub = menu.addMenu(QStr(child->Caption()));
            sub->setEnabled(child->Enabled());
            FillMenu(*sub, *child, chosen);
            continue;
        }
        // The shortcut is only shown here: the form runs it from its own key
        // handling, before the focused control sees the key (a text box would
        // otherwise take Ctrl+A as select-all).
        QString text = QStr(child->Caption());
        if (QKeySequence keys = KeySequence(child->ShortCut()); !keys.isEmpty())
            text += '\t' + keys.toString(QKeySequence::NativeText);
        QAction *action = menu.addAction(text);
        action->setEnabled(child->Enabled());
        action->setCheckable(child->Checked() || child->RadioItem());
        action->setChecked(child->Checked());
        QObject::connect(action, &QAction::triggered, action, [child, chosen] {
            if (chosen)
                *chosen = child;
            else
                Application().Guard([child] { child->Click(); });
        });
    }
}

} // namespace

QMenuBar *NewQtMenuBar(QWidget *parent) { return new TQtMenuBar(parent); }

void ToggleMenuBarKeyboardMode(QMenuBar &bar)
{
    if (auto *ours = dynamic_cast<TQtMenuBar *>(&bar))
        ours->ToggleKeyboardMode();
}

void EndMenuBarKeyboardMode(QMenuBar &bar)
{
    if (auto *ours = dynamic_cast<TQtMenuBar *>(&bar))
        ours->EndKeyboardMode();
}

bool OpenMenuBarTitle(QMenuBar &bar, char32_t ch)
{
    auto *ours = dynamic_cast<TQtMenuBar *>(&bar);
    return ours && ours->OpenTitle(ch);
}

void FillQtMenuBar(QMenuBar &bar, TMenuItem &root)
{
    bar.clear();
    for (int i = 0; i < root.Count(); ++i) {
        TMenuItem *top = root.Items(i);
        if (!top->Visible())
            continue;
        QMenu *menu = bar.addMenu(QStr(top->Caption()));
        menu->setEnabled(top->Enabled());
        FillMenu(*menu, *top, nullptr);
    }
}

void TPopupMenu::Popup(int x, int y)
{
    if (OnPopup)
        OnPopup(this);
    popupComponent_ = nullptr;
    QMenu menu;
    TMenuItem *chosen = nullptr;
    FillMenu(menu, *Items(), &chosen);
    if (menu.isEmpty())
        return;
    menu.exec(QPoint(x, y));
    if (chosen)
        chosen->Click();
}
