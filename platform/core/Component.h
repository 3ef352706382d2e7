#pragma once
// The object model's roots. A component is owned by another component, which
// frees it; components that refer to one another ask for a free notification
// and clear the reference when told that the other is being freed.
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TObject {
public:
    TObject() = default;
    virtual ~TObject() = default;
    TObject(const TObject &) = delete;
    TObject &operator=(const TObject &) = delete;
};

// The handler of a simple event: the object that fired it.
using TNotifyEvent = std::function<void(TObject *sender)>;

// An event of a control, used like the handler type F (assigned, tested,
// called), that takes the room of one pointer until a handler is set: a
// control has a dozen events and most of thousands of controls set few.
// Copying a slot shares its handler (thousands of bars bind the same few
// handlers of their window), so a handler is held once, however many bind it.
// Slots live on the thread of the windows; the count is not atomic.
template <typename F>
class TEventSlot {
public:
    TEventSlot() = default;
    TEventSlot(const TEventSlot &other) : held_(Share(other.held_)) {}
    ~TEventSlot() { Release(held_); }
    TEventSlot &operator=(const TEventSlot &other)
    {
        THeld *shared = Share(other.held_);
        Release(held_);
        held_ = shared;
        return *this;
    }
    TEventSlot &operator=(F f)
    {
        THeld *made = f ? new THeld{std::move(f), 1} : nullptr;
        Release(held_);
        held_ = made;
        return *this;
    }
    TEventSlot &operator=(std::nullptr_t)
    {
        Release(held_);
        held_ = nullptr;
        return *this;
    }
    explicit operator bool() const { return held_ && held_->f; }
    // The handler (an empty one when none is set).
    operator const F &() const { return held_ ? held_->f : Empty(); }
    template <typename... A>
    decltype(auto) operator()(A &&...args) const
    {
        // A handler that replaces itself while it runs stays alive until it returns.
        if (!held_)
            throw std::bad_function_call();
        const TKeep keep(held_);
        return keep.held->f(std::forward<A>(args)...);
    }

private:
    struct THeld {
        F f;
        long count;
    };
    struct TKeep {
        explicit TKeep(THeld *h) : held(Share(h)) {}
        ~TKeep() { Release(held); }
        TKeep(const TKeep &) = delete;
        TKeep &operator=(const TKeep &) = delete;
        THeld *held;
    };
    static THeld *Share(THeld *held)
    {
        if (held)
            ++held->count;
        return held;
    }
    static void Release(THeld *held)
    {
        if (held && --held->count == 0)
            delete held;
    }
    static const F &Empty()
    {
        static const F empty;
        return empty;
    }
    THeld *held_ = nullptr;
};

enum class TOperation { opInsert, opRemove };

class TComponent : public TObject {
public:
    explicit TComponent(TComponent *owner = nullptr);
    ~TComponent() override;

    TComponent *Owner() const { return owner_; }
    const std::string &Name() const;
    void SetName(const std::string &name);
    long Tag() const { return tag_; }
    void SetTag(long tag) { tag_ = tag; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent *Components(int index) const { return components_.at(static_cast<size_t>(index)); }
    // The owned component of that name, or nullptr.
    TComponent *FindComponent(const std::string &name) const;

    void InsertComponent(TComponent *component);
    void RemoveComponent(TComponent *component);

    // Asks to be told (through Notification with opRemove) when `component` is freed.
    void FreeNotification(TComponent *component);
    void RemoveFreeNotification(TComponent *component);

    bool Destroying() const { return destroying_; }

protected:
    // Told when an owned component is inserted or removed, and when a component
    // this one asked about is being freed.
    virtual void Notification(TComponent *component, TOperation operation);
    // Told after SetName gave the component another name.
    virtual void NameChanged() {}
    // Frees every owned component, last first.
    void DestroyComponents();

private:
    TComponent *owner_ = nullptr;
    std::unique_ptr<std::string> name_;  // none while the name is empty (most controls have none)
    long tag_ = 0;
    bool destroying_ = false;
    std::vector<TComponent *> components_;
    std::vector<TComponent *> freeNotifies_;
};
