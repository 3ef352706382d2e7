#include "platform/core/Messages.h"

#include <mutex>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

struct THookEntry {
    int id;
    TMessageHook hook;
};

std::vector<THookEntry> &Hooks()
{
    static std::vector<THookEntry> hooks;
    return hooks;
}

const QEvent::Type kPostedMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class TPostedMessage : public QEvent {
public:
    TPostedMessage(TMessageTargetRef target, const TMessage &message)
        : QEvent(kPostedMessageEvent), target_(std::move(target)), message_(message) {}
    void Deliver()
    {
        if (TMessageTarget *target = target_.Get())
            DispatchMessage(target, message_);
    }

private:
    TMessageTargetRef target_;
    TMessage message_;
};

// Lives on the thread of the event loop and hands posted messages to their targets.
class TMessagePump : public QObject {
protected:
    bool event(QEvent *event) override
    {
        if (event->type() != kPostedMessageEvent)
            return QObject::event(event);
        static_cast<TPostedMessage *>(event)->Deliver();
        return true;
    }
};

TMessagePump *Pump()
{
    static TMessagePump *pump = nullptr;
    if (!pump && QCoreApplication::instance()) {
        pump = new TMessagePump;
        pump->setParent(QCoreApplication::instance());
    }
    return pump;
}

// References are also taken on the animation thread when it posts.
std::mutex &TargetSelfLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

TMessageTargetRef::TMessageTargetRef(TMessageTarget *target)
{
    if (!target)
        return;
    const std::lock_guard hold(TargetSelfLock());
    if (!target->self_)
        target->self_ = std::make_shared<TMessageTarget *>(target);
    target_ = target->self_;
}

TMessageTarget *TMessageTargetRef::Get() const
{
    std::shared_ptr<TMessageTarget *> target = target_.lock();
    return target ? *target : nullptr;
}

TMessageTarget::TMessageTarget() = default;

TMessageTarget::~TMessageTarget()
{
    const std::lock_guard hold(TargetSelfLock());
    if (self_)
        *self_ = nullptr;
}

std::intptr_t SendMessage(TMessageTarget *target, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (!target)
        return 0;
    TMessage message{msg, wParam, lParam, 0};
    DispatchMessage(target, message);
    return message.Result;
}

bool PostMessage(TMessageTarget *target, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam)
{
    TMessagePump *pump = Pump();
    if (!target || !pump)
        return false;
    QCoreApplication::postEvent(pump, new TPostedMessage(TMessageTargetRef(target), TMessage{msg, wParam, lParam, 0}));
    return true;
}

void ProcessMessages()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void ProcessPaintMessages()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
}

void WaitMessage()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

namespace {

struct TTargetTimer {
    TMessageTargetRef target;
    const TMessageTarget *key;
    unsigned id;
    QTimer *timer;
};

std::vector<std::unique_ptr<TTargetTimer>> &TargetTimers()
{
    static std::vector<std::unique_ptr<TTargetTimer>> timers;
    return timers;
}

void DropTimer(std::vector<std::unique_ptr<TTargetTimer>>::iterator it)
{
    // The timer may be the one whose message is being handled: it goes later.
    (*it)->timer->stop();
    (*it)->timer->deleteLater();
    TargetTimers().erase(it);
}

} // namespace

bool SetTimer(TMessageTarget *target, unsigned id, int ms)
{
    if (!target || !QCoreApplication::instance())
        return false;
    KillTimer(target, id);
    auto entry = std::make_unique<TTargetTimer>();
    entry->target = TMessageTargetRef(target);
    entry->key = target;
    entry->id = id;
    entry->timer = new QTimer(QCoreApplication::instance());
    entry->timer->setInterval(std::max(1, ms));
    const TMessageTarget *key = target;
    QTimer *timer = entry->timer;
    QObject::connect(timer, &QTimer::timeout, timer, [key, id, timer] {
        auto &timers = TargetTimers();
        auto it = std::find_if(timers.begin(), timers.end(),
                               [&](const auto &e) { return e->key == key && e->id == id && e->timer == timer; });
        if (it == timers.end())
            return;
        TMessageTarget *t = (*it)->target.Get();
        if (!t) {
            DropTimer(it); // the target is gone, and so is its timer
            return;
        }
        TMessage message;
        message.Msg = WM_TIMER;
        message.WParam = id;
        DispatchMessage(t, message);
    });
    entry->timer->start();
    TargetTimers().push_back(std::move(entry));
    return true;
}

void KillTimer(const TMessageTarget *target, unsigned id)
{
    auto &timers = TargetTimers();
    auto it = std::find_if(timers.begin(), timers.end(), [&](const auto &e) { return e->key == target && e->id == id; });
    if (it != timers.end())
        DropTimer(it);
}

void DispatchMessage(TMessageTarget *target, TMessage &message)
{
    if (!target)
        return;
    if (!Hooks().empty()) {
        // A copy, so that a hook may remove itself (or add another) while it runs.
        std::vector<THookEntry> hooks = Hooks();
        TMessageTargetRef ref(target);
        for (const THookEntry &entry : hooks) {
            if (entry.hook(target, message))
                return;
            if (!ref)
                return;
        }
    }
    target->WndProc(message);
}

int AddMessageHook(TMessageHook hook)
{
    static int nextId = 1;
    Hooks().push_back({nextId, std::move(hook)});
    return nextId++;
}

void RemoveMessageHook(int id)
{
    auto &hooks = Hooks();
    hooks.erase(std::remove_if(hooks.begin(), hooks.end(), [id](const THookEntry &e) { return e.id == id; }), hooks.end());
}
