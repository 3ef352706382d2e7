#pragma once
// Window messages between the program's objects: a message is sent (the
// target's WndProc runs at once) or posted (queued on the event loop and
// delivered later). A target freed before a posted message arrives simply
// does not get it, so posting never touches a freed object.
#include <cstdint>
#include <memory>

constexpr unsigned WM_USER = 0x0400;

struct TMessage {
    unsigned Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

class TMessageTarget;

// A reference that becomes empty when its target is freed.
class TMessageTargetRef {
public:
    TMessageTargetRef() = default;
    TMessageTargetRef(TMessageTarget *target);
    // The target, or nullptr once it is gone.
    TMessageTarget *Get() const;
    explicit operator bool() const { return Get() != nullptr; }

private:
    std::weak_ptr<TMessageTarget *> target_;
};

class TMessageTarget {
public:
    TMessageTarget();
    virtual ~TMessageTarget();
    TMessageTarget(const TMessageTarget &) = delete;
    TMessageTarget &operator=(const TMessageTarget &) = delete;

    virtual void WndProc(TMessage &message) = 0;

private:
    friend class TMessageTargetRef;
    std::shared_ptr<TMessageTarget *> self_;
};

// Calls the target's WndProc now; returns the message's result (0 without a target).
std::intptr_t SendMessage(TMessageTarget *target, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);
// Queues the message for the target; false when there is no target or no event loop.
bool PostMessage(TMessageTarget *target, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);
// Delivers the messages and events waiting in the queue.
void ProcessMessages();
