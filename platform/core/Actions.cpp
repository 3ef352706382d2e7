#include "platform/core/Actions.h"

#include <algorithm>

TAction::TAction(TComponent *owner) : TComponent(owner) {}

TAction::~TAction()
{
    // The links forget the action; their clients learn it through the free
    // notification they asked for.
    for (TActionLink *link : std::vector<TActionLink *>(clients_))
        link->action_ = nullptr;
    clients_.clear();
}

template <class F>
void TAction::ForClients(F &&f)
{
    // A client's setter may drop its link (a handler freeing the client).
    std::vector<TActionLink *> snapshot = clients_;
    for (TActionLink *link : snapshot)
        if (std::find(clients_.begin(), clients_.end(), link) != clients_.end())
            f(link);
}

#define ACTION_SETTER(Name, Type, field)                                                                              \
    void TAction::Set##Name(Type value)                                                                               \
    {                                                                                                                 \
        if (value == field)                                                                                           \
            return;                                                                                                   \
        ForClients([&](TActionLink *link) { link->Set##Name(value); });                                               \
        field = value;                                                                                                \
        Change();                                                                                                     \
    }

ACTION_SETTER(AutoCheck, bool, autoCheck_)
ACTION_SETTER(Caption, const std::string &, caption_)
ACTION_SETTER(Checked, bool, checked_)
ACTION_SETTER(Enabled, bool, enabled_)
ACTION_SETTER(HelpContext, int, helpContext_)
ACTION_SETTER(Hint, const std::string &, hint_)
ACTION_SETTER(ImageIndex, int, imageIndex_)
ACTION_SETTER(ShortCut, int, shortCut_)
ACTION_SETTER(Visible, bool, visible_)

#undef ACTION_SETTER

bool TAction::Execute()
{
    Update();
    if (!enabled_)
        return false;
    if (autoCheck_)
        SetChecked(!checked_);
    if (!OnExecute)
        return false;
    OnExecute(this);
    return true;
}

bool TAction::Update()
{
    if (!OnUpdate)
        return false;
    OnUpdate(this);
    return true;
}

bool TAction::DoHint(std::string &hint)
{
    bool canShow = true;
    if (OnHint)
        OnHint(hint, canShow);
    return canShow;
}

void TAction::Change()
{
    ForClients([&](TActionLink *link) {
        if (link->OnChange)
            link->OnChange(this);
    });
}

TActionLink::~TActionLink() { SetAction(nullptr); }

void TActionLink::SetAction(TAction *action)
{
    if (action == action_)
        return;
    if (action_) {
        auto &c = action_->clients_;
        c.erase(std::remove(c.begin(), c.end(), this), c.end());
    }
    action_ = action;
    if (action_)
        action_->clients_.push_back(this);
}
