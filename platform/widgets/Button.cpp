#include "platform/widgets/Button.h"

#include "platform/kernel/Application.h"
#include "platform/kernel/QtControls.h"
#include "platform/widgets/QtButtonAccessible.h"

#include <QKeySequence>
#include <QPushButton>

#include <functional>

TCustomForm *GetParentForm(TControl *control)
{
    for (TControl *c = control; c; c = c->Parent())
        if (auto *form = dynamic_cast<TCustomForm *>(c))
            return form;
    return nullptr;
}

namespace {

// The control that has the focus in the form's window, or had it last while
// the window is not active.
TWinControl *FocusedControlOf(TCustomForm &form)
{
    if (!form.HandleAllocated())
        return nullptr;
    for (QWidget *focus = form.Link()->Widget()->window()->focusWidget(); focus; focus = focus->parentWidget())
        if (TWinControl *control = TWidgetLink::ControlOf(focus))
            return control;
    return nullptr;
}

void ForEachButton(TWinControl &parent, const std::function<void(TButton &)> &action)
{
    for (int i = 0; i < parent.ControlCount(); ++i)
        if (auto *child = dynamic_cast<TWinControl *>(parent.Controls(i))) {
            if (auto *button = dynamic_cast<TButton *>(child))
                action(*button);
            ForEachButton(*child, action);
        }
}

// A push button's press action presses this button as a click does (the
// toolkit's own would click the toolkit's button, which runs nothing of ours).
class TQtPushButtonAccessible : public TQtButtonAccessible {
public:
    explicit TQtPushButtonAccessible(QWidget *widget) : TQtButtonAccessible(widget, QAccessible::Button)
    {
        SetPress([](TWinControl &target) {
            if (auto *button = dynamic_cast<TButton *>(&target))
                button->Click();
        });
    }

    QString text(QAccessible::Text t) const override
    {
        QString text = TQtButtonAccessible::text(t);
        if (t == QAccessible::Accelerator && text.isEmpty())
            return AltKey(StdStr(Button()->text()));
        return text;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = Button()->isDown();
        s.defaultButton = static_cast<QPushButton *>(widget())->isDefault();
        return s;
    }
    QStringList keyBindingsForAction(const QString &name) const override
    {
        QString key = name == pressAction() ? text(QAccessible::Accelerator) : QString();
        return key.isEmpty() ? QAccessibleWidget::keyBindingsForAction(name) : QStringList{key};
    }

private:
    // Alt and the caption's accelerator letter press the button.
    static QString AltKey(const std::string &caption)
    {
        for (size_t i = 0; i + 1 < caption.size(); ++i) {
            if (caption[i] != '&')
                continue;
            if (caption[i + 1] != '&')
                return QStringLiteral("Alt+") + QStr(caption.substr(i + 1, 1)).toUpper();
            ++i;
        }
        return {};
    }
};

QAccessibleInterface *MakeButtonAccessible(QWidget *widget) { return new TQtPushButtonAccessible(widget); }

} // namespace

TButton::TButton(TComponent *owner) : TWinControl(owner)
{
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
    SetDoubleClicks(false);
}

void TButton::Click()
{
    if (TCustomForm *form = GetParentForm(this))
        form->SetModalResult(modalResult_);
    TWinControl::Click();
}

bool TButton::Active()
{
    TCustomForm *form = GetParentForm(this);
    if (auto *focused = dynamic_cast<TButton *>(form ? FocusedControlOf(*form) : nullptr))
        return focused == this;
    return default_;
}

void TButton::SetDefault(bool v)
{
    default_ = v;
    ShowActiveButtons();
}

// Only the button Enter would press looks like the default button.
void TButton::ShowActiveButtons()
{
    TCustomForm *form = GetParentForm(this);
    auto show = [](TButton &button) {
        if (button.HandleAllocated())
            static_cast<QPushButton *>(button.Link()->Widget())->setDefault(button.Active());
    };
    if (form)
        ForEachButton(*form, show);
    else
        show(*this);
}

void TButton::WndProc(TMessage &message)
{
    if (message.Msg == CM_DIALOGKEY) {
        int key = static_cast<int>(message.WParam);
        bool mine = (key == VK_RETURN && Active()) || (key == VK_ESCAPE && cancel_);
        if (mine && Visible() && Enabled()) {
            Click();
            message.Result = 1;
        }
        return;
    }
    if (message.Msg == CM_DIALOGCHAR) {
        if (IsAccel(static_cast<int>(message.WParam), Caption()) && CanFocus()) {
            Click();
            message.Result = 1;
        }
        return;
    }
    TWinControl::WndProc(message);
    // The focus came to this button or left it: Enter now presses another one.
    if (message.Msg == WM_SETFOCUS || message.Msg == WM_KILLFOCUS)
        ShowActiveButtons();
}

void TButton::SetText(const std::string &text)
{
    TWinControl::SetText(text);
    if (HandleAllocated())
        ShowCaption();
}

// The toolkit would make the accelerator its own shortcut and press the button
// behind our back; the form offers Alt + letter to its controls instead
// (CM_DIALOGCHAR), so the caption only shows the underline.
void TButton::ShowCaption()
{
    auto *button = static_cast<QPushButton *>(Link()->Widget());
    button->setText(QStr(Caption()));
    button->setShortcut(QKeySequence());
}

void TButton::KeyDown(int &key, TShiftState shift)
{
    TWinControl::KeyDown(key, shift);
    if (key == VK_SPACE) {
        key = 0;
        Click();
    }
}

void TButton::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    auto *button = new QPushButton(parentWidget);
    button->setAutoDefault(false);
    link_ = std::make_unique<TWidgetLink>(this, button);
    link_->SetNative(true);
    link_->SetAccessibleMaker(MakeButtonAccessible);
}

void TButton::InitializeHandle()
{
    TWinControl::InitializeHandle();
    ShowCaption();
    static_cast<QPushButton *>(Link()->Widget())->setDefault(Active());
}
