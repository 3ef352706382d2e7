#include "platform/widgets/ListBox.h"

#include "platform/kernel/Application.h"
#include "platform/kernel/QtControls.h"

#include <QListWidget>

TListBox::TListBox(TComponent *owner) : TWinControl(owner)
{
    SetColor(clWindow);
    SetTabStop(true);
}

void TListBox::AddItem(const std::string &text, int data)
{
    items_.push_back({text, data});
    SyncWindow();
}

void TListBox::Clear()
{
    items_.clear();
    itemIndex_ = -1;
    SyncWindow();
}

void TListBox::SetItemIndex(int index)
{
    itemIndex_ = index >= 0 && index < Count() ? index : -1;
    SyncWindow();
}

void TListBox::ChosenInWindow(int index)
{
    if (syncing_ || index < 0 || index >= Count())
        return;
    itemIndex_ = index;
    if (OnClick)
        Application().Guard([this] { OnClick(this); });
}

void TListBox::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    auto *list = new QListWidget(parentWidget);
    link_ = std::make_unique<TWidgetLink>(this, list);
    link_->SetNative(true);
    QObject::connect(list, &QListWidget::itemClicked, list,
                     [this, list](QListWidgetItem *item) { ChosenInWindow(list->row(item)); });
}

void TListBox::InitializeHandle()
{
    TWinControl::InitializeHandle();
    SyncWindow();
}

void TListBox::SyncWindow()
{
    if (!HandleAllocated())
        return;
    syncing_ = true;
    auto *list = static_cast<QListWidget *>(Link()->Widget());
    list->clear();
    for (const TItem &item : items_)
        list->addItem(QStr(item.Text));
    list->setCurrentRow(itemIndex_);
    syncing_ = false;
}
