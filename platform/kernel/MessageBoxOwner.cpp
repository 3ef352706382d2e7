#include "platform/kernel/MessageBoxOwner.h"

#include "platform/kernel/Forms.h"

namespace {

TCustomForm *&ExplicitMessageBoxOwner()
{
    static TCustomForm *owner = nullptr;
    return owner;
}

} // namespace

TMessageBoxOwner::TMessageBoxOwner(TCustomForm &form) : previous_(ExplicitMessageBoxOwner())
{
    ExplicitMessageBoxOwner() = &form;
}

TMessageBoxOwner::~TMessageBoxOwner() { ExplicitMessageBoxOwner() = previous_; }

TCustomForm *MessageBoxOwner()
{
    return ExplicitMessageBoxOwner() ? ExplicitMessageBoxOwner() : Screen().ActiveForm();
}
