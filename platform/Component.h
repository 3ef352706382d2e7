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
template <typename F>
class TEventSlot {
public:
    TEventSlot() = default;
    TEventSlot(const TEventSlot &other) : f_(other.f_ ? std::make_unique<F>(*other.f_) : nullptr) {}
    TEventSlot &operator=(const TEventSlot &other)
    {
        if (this != &other)
            f_ = other.f_ ? std::make_unique<F>(*other.f_) : nullptr;
        return *this;
    }
    TEventSlot &operator=(F f)
    {
        if (f)
            f_ = std::make_unique<F>(std::move(f));
        else
            f_.reset();
        return *this;
    }
    TEventSlot &operator=(std::nullptr_t)
    {
        f_.reset();
        return *this;
    }
    explicit operator bool() const { return f_ && *f_; }
    // The handler (an empty one when none is set).
    operator const F &() const { return f_ ? *f_ : Empty(); }
    template <typename... A>
    decltype(auto) operator()(A &&...args) const
    {
        // A handler that replaces itself while it runs stays alive until it returns.
        if (!f_)
            throw std::bad_function_call();
        F keep = *f_;
        return keep(std::forward<A>(args)...);
    }

private:
    static const F &Empty()
    {
        static const F empty;
        return empty;
    }
    std::unique_ptr<F> f_;
};

enum class TOperation { opInsert, opRemove };

class TComponent : public TObject {
public:
    explicit TComponent(TComponent *owner = nullptr);
    ~TComponent() override;

    TComponent *Owner() const { return owner_; }
    const std::string &Name() const { return name_; }
    void SetName(const std::string &name) { name_ = name; }
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
    // Frees every owned component, last first.
    void DestroyComponents();

private:
    TComponent *owner_ = nullptr;
    std::string name_;
    long tag_ = 0;
    bool destroying_ = false;
    std::vector<TComponent *> components_;
    std::vector<TComponent *> freeNotifies_;
};
