#include "platform/widgets/RadioButton.h"

#include "platform/kernel/Application.h"
#include "platform/kernel/QtControls.h"

#include <QRadioButton>

TRadioButton::TRadioButton(TComponent *owner) : TWinControl(owner)
{
    SetBounds(0, 0, 113, 17);
    SetTabStop(true);
}

void TRadioButton::SetChecked(bool checked)
{
    if (checked == checked_)
        return;
    checked_ = checked;
    ShowChecked();
    if (!checked)
        return;
    if (TWinControl *parent = Parent())
        for (int i = 0; i < parent->ControlCount(); ++i)
            if (auto *sibling = dynamic_cast<TRadioButton *>(parent->Controls(i)); sibling && sibling != this)
                sibling->SetChecked(false);
    Click();
}

void TRadioButton::ShowChecked()
{
    if (!HandleAllocated())
        return;
    syncing_ = true;
    auto *button = static_cast<QRadioButton *>(Link()->Widget());
    button->setAutoExclusive(false);
    button->setChecked(checked_);
    button->setAutoExclusive(true);
    syncing_ = false;
}

void TRadioButton::SetText(const std::string &text)
{
    TWinControl::SetText(text);
    if (HandleAllocated())
        static_cast<QRadioButton *>(Link()->Widget())->setText(QStr(text));
}

void TRadioButton::ToggledInWindow(bool checked)
{
    if (syncing_ || !checked || checked_)
        return;
    Application().Guard([this] { SetChecked(true); });
}

void TRadioButton::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    auto *button = new QRadioButton(parentWidget);
    link_ = std::make_unique<TWidgetLink>(this, button);
    link_->SetNative(true);
    QObject::connect(button, &QRadioButton::toggled, button, [this](bool on) { ToggledInWindow(on); });
}

void TRadioButton::InitializeHandle()
{
    TWinControl::InitializeHandle();
    static_cast<QRadioButton *>(Link()->Widget())->setText(QStr(Caption()));
    ShowChecked();
}
