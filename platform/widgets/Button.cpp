#include "platform/widgets/Button.h"

#include "platform/kernel/Application.h"
#include "platform/kernel/QtControls.h"

#include <QKeySequence>
#include <QPushButton>

TCustomForm *GetParentForm(TControl *control)
{
    for (TControl *c = control; c; c = c->Parent())
        if (auto *form = dynamic_cast<TCustomForm *>(c))
            return form;
    return nullptr;
}

TButton::TButton(TComponent *owner) : TWinControl(owner)
{
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

void TButton::Click()
{
    if (TCustomForm *form = GetParentForm(this))
        form->SetModalResult(modalResult_);
    TWinControl::Click();
}

void TButton::WndProc(TMessage &message)
{
    if (message.Msg == CM_DIALOGKEY) {
        int key = static_cast<int>(message.WParam);
        bool mine = (key == VK_RETURN && default_) || (key == VK_ESCAPE && cancel_);
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
}

void TButton::InitializeHandle()
{
    TWinControl::InitializeHandle();
    ShowCaption();
    static_cast<QPushButton *>(Link()->Widget())->setDefault(default_);
}
