#include "platform/core/Menus.h"

#include "platform/core/Exceptions.h"

#include <algorithm>

TMenuItem::TMenuItem(TComponent *owner) : TComponent(owner)
{
}

TMenuItem::~TMenuItem()
{
    while (!items_.empty()) {
        TMenuItem *child = items_.back();
        items_.pop_back();
        child->parent_ = nullptr;
        delete child;
    }
    if (parent_)
        parent_->Remove(this);
}

void TMenuItem::SetCaption(const std::string &caption)
{
    if (caption_ == caption)
        return;
    caption_ = caption;
    Changed();
}

void TMenuItem::SetChecked(bool checked)
{
    if (checked_ == checked)
        return;
    checked_ = checked;
    if (checked && radioItem_ && parent_) {
        // Checking one radio item clears the others of its group.
        for (TMenuItem *sibling : parent_->items_)
            if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_ && sibling->checked_) {
                sibling->checked_ = false;
                sibling->Changed();
            }
    }
    Changed();
}

void TMenuItem::SetEnabled(bool enabled)
{
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    Changed();
}

void TMenuItem::SetVisible(bool visible)
{
    if (visible_ == visible)
        return;
    visible_ = visible;
    Changed();
}

void TMenuItem::SetShortCut(int shortCut)
{
    shortCut_ = shortCut;
    Changed();
}

int TMenuItem::IndexOf(const TMenuItem *item) const
{
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Add(TMenuItem *item)
{
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem *item)
{
    if (!item)
        return;
    if (item->parent_)
        throw EInvalidOperation("Menu inserted twice");
    if (index < 0 || index > Count())
        throw EListError("Menu index out of range");
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    Changed();
}

void TMenuItem::Remove(TMenuItem *item)
{
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end())
        return;
    items_.erase(it);
    item->parent_ = nullptr;
    Changed();
}

void TMenuItem::Click()
{
    if (enabled_ && OnClick)
        OnClick(this);
}

void TMenuItem::Changed()
{
    if (Destroying())
        return;
    // The window binds the root item; changes anywhere below reach it.
    for (TMenuItem *item = this; item; item = item->parent_)
        if (item->OnChange) {
            item->OnChange(this);
            break;
        }
}

TMenu::TMenu(TComponent *owner) : TComponent(owner), items_(std::make_unique<TMenuItem>(nullptr))
{
}

TMenu::~TMenu() = default;

namespace {

TMenuItem *FindShortCutBelow(const TMenuItem &parent, int shortCut)
{
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem *item = parent.Items(i);
        if (!item->Visible() || !item->Enabled())
            continue;
        if (item->Count() == 0 && item->ShortCut() == shortCut)
            return item;
        if (TMenuItem *found = FindShortCutBelow(*item, shortCut))
            return found;
    }
    return nullptr;
}

} // namespace

TMenuItem *TMenu::FindShortCut(int shortCut) const
{
    if (shortCut == 0)
        return nullptr;
    return FindShortCutBelow(*items_, shortCut);
}

bool TMenu::IsShortCut(int shortCut)
{
    TMenuItem *item = FindShortCut(shortCut);
    if (!item)
        return false;
    item->Click();
    return true;
}
