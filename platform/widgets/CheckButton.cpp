#include "platform/widgets/CheckButton.h"

#include "platform/kernel/QtControls.h"

#include <QPushButton>

void TCheckButton::SetDown(bool down)
{
    down_ = down;
    if (down && GroupIndex > 0 && Parent() != nullptr) {
        for (int i = 0; i < Parent()->ControlCount(); ++i) {
            auto *other = dynamic_cast<TCheckButton *>(Parent()->Controls(i));
            if (other != nullptr && other != this && other->GroupIndex == GroupIndex && other->down_) {
                other->down_ = false;
                other->SyncWindow();
            }
        }
    }
    SyncWindow();
}

void TCheckButton::Click()
{
    SetDown(GroupIndex > 0 ? true : !down_);
    TButton::Click();
}

void TCheckButton::InitializeHandle()
{
    TButton::InitializeHandle();
    static_cast<QPushButton *>(Link()->Widget())->setCheckable(true);
    SyncWindow();
}

void TCheckButton::SyncWindow()
{
    if (HandleAllocated())
        static_cast<QPushButton *>(Link()->Widget())->setChecked(down_);
}
