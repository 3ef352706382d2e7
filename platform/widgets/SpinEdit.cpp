#include "platform/widgets/SpinEdit.h"

#include "platform/kernel/Application.h"
#include "platform/kernel/QtControls.h"
#include "platform/widgets/QtEditLook.h"

#include <QLineEdit>
#include <QSpinBox>

#include <algorithm>

TSpinEdit::TSpinEdit(TComponent *owner) : TWinControl(owner)
{
    SetBounds(0, 0, 121, 22);
    SetColor(clWindow);
    SetTabStop(true);
    SetNumericInput(true);
}

void TSpinEdit::SetRange(int minValue, int maxValue)
{
    min_ = minValue;
    max_ = std::max(minValue, maxValue);
    value_ = std::clamp(value_, min_, max_);
    Sync();
}

void TSpinEdit::SetValue(int value)
{
    value_ = std::clamp(value, min_, max_);
    Sync();
}

void TSpinEdit::SetMaxLength(int digits)
{
    maxLength_ = std::max(0, digits);
    Sync();
}

void TSpinEdit::SetIncrement(int increment)
{
    increment_ = std::max(1, increment);
    Sync();
}

void TSpinEdit::ChangedInWindow(int value)
{
    if (syncing_ || value == value_)
        return;
    value_ = std::clamp(value, min_, max_);
    if (OnChange)
        Application().Guard([this] { OnChange(this); });
}

void TSpinEdit::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    auto *box = new QSpinBox(parentWidget);
    link_ = std::make_unique<TWidgetLink>(this, box);
    link_->SetNative(true);
    QObject::connect(box, qOverload<int>(&QSpinBox::valueChanged), box, [this](int v) { ChangedInWindow(v); });
}

void TSpinEdit::InitializeHandle()
{
    TWinControl::InitializeHandle();
    if (auto *text = Link()->Widget()->findChild<QLineEdit *>())
        HideSelectionWithoutFocus(*text);
    Sync();
}

void TSpinEdit::Sync()
{
    if (!HandleAllocated())
        return;
    syncing_ = true;
    auto *box = static_cast<QSpinBox *>(Link()->Widget());
    int lo = min_, hi = max_;
    if (maxLength_ > 0 && maxLength_ < 10) {
        int limit = 1;
        for (int i = 0; i < maxLength_; ++i)
            limit *= 10;
        hi = std::min(hi, limit - 1);
    }
    box->setRange(lo, hi);
    box->setSingleStep(increment_);
    box->setValue(value_);
    syncing_ = false;
}
