#include "platform/widgets/CheckBox.h"

#include "platform/kernel/Application.h"
#include "platform/kernel/QtControls.h"

#include <QCheckBox>

TCheckBox::TCheckBox(TComponent *owner) : TWinControl(owner)
{
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
}

void TCheckBox::SetChecked(bool checked)
{
    checked_ = checked;
    if (!HandleAllocated())
        return;
    syncing_ = true;
    static_cast<QCheckBox *>(Link()->Widget())->setChecked(checked);
    syncing_ = false;
}

void TCheckBox::SetText(const std::string &text)
{
    TWinControl::SetText(text);
    if (HandleAllocated())
        static_cast<QCheckBox *>(Link()->Widget())->setText(QStr(text));
}

void TCheckBox::ToggledInWindow(bool checked)
{
    if (syncing_ || checked == checked_)
        return;
    checked_ = checked;
    Application().Guard([this] { Click(); });
}

void TCheckBox::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    auto *box = new QCheckBox(parentWidget);
    link_ = std::make_unique<TWidgetLink>(this, box);
    link_->SetNative(true);
    QObject::connect(box, &QCheckBox::toggled, box, [this](bool on) { ToggledInWindow(on); });
}

void TCheckBox::InitializeHandle()
{
    TWinControl::InitializeHandle();
    auto *box = static_cast<QCheckBox *>(Link()->Widget());
    box->setText(QStr(Caption()));
    SetChecked(checked_);
}
