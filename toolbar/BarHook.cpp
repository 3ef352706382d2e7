#include "toolbar/BarHook.h"

#include "platform/kernel/WindowEffects.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

// The three system hooks of the original design: one serves kinds 0-2, one
// kind 3, one kind 4.
enum { hkCallWndProc, hkCbt, hkGetMessage, hkCount };

unsigned HooksForKinds(THookKinds kinds)
{
    unsigned hooks = 0;
    if (kinds & 0x7)
        hooks |= 1u << hkCallWndProc;
    if (kinds & (1u << HookKindDestroyWindow))
        hooks |= 1u << hkCbt;
    if (kinds & (1u << HookKindGetMessage))
        hooks |= 1u << hkGetMessage;
    return hooks;
}

struct TOwner {
    const void *owner;
    unsigned countedHooks;
};

struct TSubscriber {
    THookProc proc;
    THookKinds kinds;
    std::vector<TOwner> owners; // head first
};

struct THookState {
    std::vector<std::shared_ptr<TSubscriber>> subscribers;
    std::array<std::uint32_t, hkCount> refs{};
    int dispatcherHook = 0;
};

THookState &State()
{
    static THookState state;
    return state;
}

void Dispatch(THookKind kind, TMessageTarget *window, WPARAM wParam, LPARAM lParam)
{
    // A snapshot: a subscriber may unsubscribe itself or others while it runs;
    // only entries still subscribed are called.
    std::vector<std::shared_ptr<TSubscriber>> snapshot = State().subscribers;
    for (const auto &entry : snapshot) {
        const auto &live = State().subscribers;
        if (std::find(live.begin(), live.end(), entry) == live.end())
            continue;
        if (!(entry->kinds & (1u << kind)))
            continue;
        try {
            entry->proc(kind, window, wParam, lParam);
        } catch (...) {
            // A failing subscriber is skipped.
        }
    }
}

bool OnMessage(TMessageTarget *target, TMessage &message)
{
    const auto &refs = State().refs;
    if (refs[hkCallWndProc]) {
        if (message.Msg == WM_ACTIVATE)
            Dispatch(HookKindActivate, target, message.WParam, message.LParam);
        else if (message.Msg == WM_ACTIVATEAPP)
            Dispatch(HookKindActivateApp, target, message.WParam, message.LParam);
        else if (message.Msg == WM_WINDOWPOSCHANGED)
            Dispatch(HookKindWindowPosChanged, target, message.WParam, message.LParam);
    }
    if (refs[hkCbt] && message.Msg == WM_DESTROY)
        Dispatch(HookKindDestroyWindow, target, 0, 0);
    if (refs[hkGetMessage])
        Dispatch(HookKindGetMessage, nullptr, 1, reinterpret_cast<LPARAM>(&message));
    return false;
}

void UpdateDispatcherHook()
{
    THookState &s = State();
    bool needed = s.refs[0] || s.refs[1] || s.refs[2];
    if (needed && !s.dispatcherHook) {
        s.dispatcherHook = AddMessageHook(OnMessage);
        EnableWindowStateMessages(true);
    } else if (!needed && s.dispatcherHook) {
        RemoveMessageHook(s.dispatcherHook);
        EnableWindowStateMessages(false);
        s.dispatcherHook = 0;
    }
}

void AddHookReferences(TOwner &owner, THookKinds kinds)
{
    unsigned hooks = HooksForKinds(kinds);
    for (int h = 0; h < hkCount; ++h)
        if ((hooks & (1u << h)) && !(owner.countedHooks & (1u << h))) {
            ++State().refs[static_cast<size_t>(h)];
            owner.countedHooks |= 1u << h;
        }
    UpdateDispatcherHook();
}

} // namespace

void HookSubscribe(const void *owner, THookProc proc, THookKinds kinds)
{
    auto &subs = State().subscribers;
    auto it = std::find_if(subs.begin(), subs.end(), [proc](const auto &s) { return s->proc == proc; });
    if (it == subs.end()) {
        subs.push_back(std::make_shared<TSubscriber>(TSubscriber{proc, kinds, {}}));
        it = subs.end() - 1;
    }
    TSubscriber &entry = **it;
    auto o = std::find_if(entry.owners.begin(), entry.owners.end(), [owner](const TOwner &x) { return x.owner == owner; });
    if (o == entry.owners.end())
        o = entry.owners.insert(entry.owners.begin(), TOwner{owner, 0});
    AddHookReferences(*o, entry.kinds);
}

void HookUnsubscribe(const void *owner, THookProc proc)
{
    auto &subs = State().subscribers;
    auto it = std::find_if(subs.begin(), subs.end(), [proc](const auto &s) { return s->proc == proc; });
    if (it == subs.end())
        return;
    auto &owners = (*it)->owners;
    auto o = std::find_if(owners.begin(), owners.end(), [owner](const TOwner &x) { return x.owner == owner; });
    if (o == owners.end())
        return;
    unsigned counted = o->countedHooks;
    owners.erase(o);
    if (owners.empty())
        subs.erase(it);
    for (int h = 0; h < hkCount; ++h)
        if ((counted & (1u << h)) && State().refs[static_cast<size_t>(h)] > 0)
            --State().refs[static_cast<size_t>(h)];
    UpdateDispatcherHook();
}

bool HookInstalled(THookKind kind)
{
    unsigned hooks = HooksForKinds(1u << kind);
    for (int h = 0; h < hkCount; ++h)
        if (hooks & (1u << h))
            return State().refs[static_cast<size_t>(h)] > 0;
    return false;
}
