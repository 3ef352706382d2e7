#include "platform/core/Component.h"

#include <algorithm>

TComponent::TComponent(TComponent *owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    destroying_ = true;
    // Tell everyone who asked, then drop the links both ways.
    while (!freeNotifies_.empty()) {
        TComponent *other = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto &theirs = other->freeNotifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        other->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (owner_)
        owner_->RemoveComponent(this);
}

const std::string &TComponent::Name() const
{
    static const std::string none;
    return name_ ? *name_ : none;
}

void TComponent::SetName(const std::string &name)
{
    if (name == Name())
        return;
    if (name.empty())
        name_.reset();
    else if (name_)
        *name_ = name;
    else
        name_ = std::make_unique<std::string>(name);
    NameChanged();
}

TComponent *TComponent::FindComponent(const std::string &name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent *c : components_)
        if (c->Name() == name)
            return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent *component)
{
    if (component->owner_)
        component->owner_->RemoveComponent(component);
    components_.push_back(component);
    component->owner_ = this;
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent *component)
{
    auto it = std::find(components_.begin(), components_.end(), component);
    if (it == components_.end())
        return;
    Notification(component, TOperation::opRemove);
    components_.erase(std::find(components_.begin(), components_.end(), component));
    component->owner_ = nullptr;
}

void TComponent::FreeNotification(TComponent *component)
{
    if (!component || component == this)
        return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
    auto &theirs = component->freeNotifies_;
    if (std::find(theirs.begin(), theirs.end(), this) == theirs.end())
        theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent *component)
{
    if (!component)
        return;
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component), freeNotifies_.end());
    auto &theirs = component->freeNotifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Notification(TComponent *, TOperation)
{
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent *last = components_.back();
        RemoveComponent(last);
        delete last;
    }
}
