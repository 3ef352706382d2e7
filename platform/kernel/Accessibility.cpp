// The toolkit side of accessibility: a factory that asks a window for its
// object with WM_GETOBJECT, and stand-ins (QAccessibleInterface) that put the
// toolkit's questions to the objects. Roles keep their numbers (the toolkit's
// roles use the same values); state bits map to the toolkit's state fields;
// the default action is the toolkit's one action of the object.
#include "platform/kernel/Accessibility.h"

#include "platform/kernel/Controls.h"
#include "platform/kernel/QtControls.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <map>
#include <unordered_map>
#include <vector>

namespace {

bool gSupported = true;
bool gShutDown = false;

// Objects handed out by LresultFromObject until the factory takes them.
std::map<LRESULT, std::shared_ptr<TAccessibleObject>> &PendingObjects()
{
    static std::map<LRESULT, std::shared_ptr<TAccessibleObject>> pending;
    return pending;
}
LRESULT gLastCookie = 0;

std::vector<void (*)()> &ShutdownProcedures()
{
    static std::vector<void (*)()> procedures;
    return procedures;
}

class TQtAccessible;

// The toolkit's stand-in of each object (one per object).
std::unordered_map<const TAccessibleObject *, TQtAccessible *> &StandIns()
{
    static std::unordered_map<const TAccessibleObject *, TQtAccessible *> standIns;
    return standIns;
}

QWidget *WidgetOf(const TWinControl *window)
{
    return window && window->HandleAllocated() && window->Link() ? window->Link()->Widget() : nullptr;
}

QAccessibleInterface *Resolve(const TAccVariant &v);

class TQtAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TQtAccessible(std::shared_ptr<TAccessibleObject> object, QWidget *widget)
        : object_(std::move(object)), widget_(widget)
    {
        StandIns()[object_.get()] = this;
    }
    ~TQtAccessible() override
    {
        auto it = StandIns().find(object_.get());
        if (it != StandIns().end() && it->second == this)
            StandIns().erase(it);
    }

    bool isValid() const override
    {
        if (!object_ || (hasWidget_ && !widget_))
            return false;
        int role = 0;
        return object_->get_accRole(CHILDID_SELF, role) == S_OK;
    }
    QObject *object() const override { return widget_; }
    QWindow *window() const override
    {
        if (widget_)
            return widget_->window()->windowHandle();
        QAccessibleInterface *p = parent();
        return p ? p->window() : nullptr;
    }
    QAccessibleInterface *parent() const override
    {
        TAccVariant v;
        if (object_->get_accParent(v) == S_OK) {
            // The standard object of the object's own window is that window's parent here:
            // the toolkit has no separate window level above a window's client.
            if (v.Kind == TAccVariant::vtWindow && widget_ && WidgetOf(v.Window) == widget_)
                return OwnWindowParent();
            if (QAccessibleInterface *p = Resolve(v))
                return p;
        }
        return widget_ ? OwnWindowParent() : nullptr;
    }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0)
            return nullptr;
        TAccVariant v;
        if (object_->get_accChild(index + 1, v) != S_OK)
            return nullptr;
        return Resolve(v);
    }
    int childCount() const override
    {
        int count = 0;
        return object_->get_accChildCount(count) == S_OK ? count : 0;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        int count = childCount();
        for (int i = 0; i < count; ++i)
            if (this->child(i) == child)
                return i;
        return -1;
    }
    QAccessibleInterface *focusChild() const override
    {
        TAccVariant v;
        if (object_->get_accFocus(v) != S_OK)
            return nullptr;
        if (v.Kind == TAccVariant::vtChild)
            return v.ChildId > 0 ? child(v.ChildId - 1) : nullptr;
        return Resolve(v);
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        TAccVariant v;
        if (object_->accHitTest(x, y, v) != S_OK)
            return nullptr;
        if (v.Kind == TAccVariant::vtChild)
            return v.ChildId > 0 ? child(v.ChildId - 1) : nullptr;
        return Resolve(v);
    }
    QString text(QAccessible::Text t) const override
    {
        std::string s;
        HRESULT hr = S_FALSE;
        switch (t) {
        case QAccessible::Name:
            hr = object_->get_accName(CHILDID_SELF, s);
            break;
        case QAccessible::Description:
            hr = object_->get_accDescription(CHILDID_SELF, s);
            break;
        case QAccessible::Value:
            hr = object_->get_accValue(CHILDID_SELF, s);
            break;
        case QAccessible::Help:
            hr = object_->get_accHelp(CHILDID_SELF, s);
            break;
        case QAccessible::Accelerator:
            hr = object_->get_accKeyboardShortcut(CHILDID_SELF, s);
            break;
        default:
            break;
        }
        return hr == S_OK ? QStr(s) : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        TRect r;
        if (object_->accLocation(r, CHILDID_SELF) != S_OK)
            return QRect();
        return QRect(r.Left, r.Top, r.Width(), r.Height());
    }
    QAccessible::Role role() const override
    {
        int role = 0;
        if (object_->get_accRole(CHILDID_SELF, role) != S_OK)
            return QAccessible::NoRole;
        return static_cast<QAccessible::Role>(role);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        unsigned bits = 0;
        if (object_->get_accState(CHILDID_SELF, bits) != S_OK) {
            s.invalid = !isValid();
            return s;
        }
        s.disabled = (bits & STATE_SYSTEM_UNAVAILABLE) != 0;
        s.focused = (bits & STATE_SYSTEM_FOCUSED) != 0;
        s.pressed = (bits & STATE_SYSTEM_PRESSED) != 0;
        s.checked = (bits & STATE_SYSTEM_CHECKED) != 0;
        s.hotTracked = (bits & STATE_SYSTEM_HOTTRACKED) != 0;
        s.invisible = (bits & STATE_SYSTEM_INVISIBLE) != 0;
        s.focusable = (bits & STATE_SYSTEM_FOCUSABLE) != 0;
        s.hasPopup = (bits & STATE_SYSTEM_HASPOPUP) != 0;
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    // The default action is the object's one action; taking the focus is accSelect.
    QStringList actionNames() const override
    {
        std::string action;
        if (object_->get_accDefaultAction(CHILDID_SELF, action) == S_OK && !action.empty())
            return {QStr(action)};
        return {};
    }
    void doAction(const QString &name) override
    {
        if (name == setFocusAction()) {
            object_->accSelect(SELFLAG_TAKEFOCUS, CHILDID_SELF);
            return;
        }
        std::string action;
        if (object_->get_accDefaultAction(CHILDID_SELF, action) == S_OK && QStr(action) == name)
            object_->accDoDefaultAction(CHILDID_SELF);
    }
    QStringList keyBindingsForAction(const QString &name) const override
    {
        std::string action, shortcut;
        if (object_->get_accDefaultAction(CHILDID_SELF, action) == S_OK && QStr(action) == name
            && object_->get_accKeyboardShortcut(CHILDID_SELF, shortcut) == S_OK && !shortcut.empty())
            return {QStr(shortcut)};
        return {};
    }

    void SetHasWidget() { hasWidget_ = true; }

private:
    QAccessibleInterface *OwnWindowParent() const
    {
        if (!widget_)
            return nullptr;
        QObject *p = widget_->parentWidget();
        return QAccessible::queryAccessibleInterface(p ? p : static_cast<QObject *>(qApp));
    }

    std::shared_ptr<TAccessibleObject> object_;
    QPointer<QWidget> widget_;
    bool hasWidget_ = false;
};

QAccessibleInterface *Resolve(const TAccVariant &v)
{
    switch (v.Kind) {
    case TAccVariant::vtWindow:
        if (QWidget *w = WidgetOf(v.Window))
            return QAccessible::queryAccessibleInterface(w);
        return nullptr;
    case TAccVariant::vtObject: {
        if (!v.Object || gShutDown)
            return nullptr;
        // The object of a window's client area is that window's own.
        if (TWinControl *window = v.Object->ClientWindow()) {
            if (QWidget *w = WidgetOf(window)) {
                QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
                auto it = StandIns().find(v.Object.get());
                if (it != StandIns().end() && it->second == iface)
                    return iface;
            }
        }
        auto it = StandIns().find(v.Object.get());
        if (it != StandIns().end())
            return it->second;
        auto *iface = new TQtAccessible(v.Object, nullptr);
        QAccessible::registerAccessibleInterface(iface);
        return iface;
    }
    default:
        return nullptr;
    }
}

// Asks a window for its client object.
QAccessibleInterface *Factory(const QString &, QObject *object)
{
    if (!gSupported || gShutDown || !object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    TWinControl *control = TWidgetLink::ControlOf(widget);
    if (!control || !control->Link() || control->Link()->Widget() != widget)
        return nullptr;
    LRESULT result = SendMessage(control, WM_GETOBJECT, 0, OBJID_CLIENT);
    if (result == 0)
        return nullptr;
    auto it = PendingObjects().find(result);
    if (it == PendingObjects().end())
        return nullptr;
    std::shared_ptr<TAccessibleObject> taken = std::move(it->second);
    PendingObjects().erase(it);
    // An earlier stand-in of the same object (made before the window had a handle) goes.
    auto old = StandIns().find(taken.get());
    if (old != StandIns().end())
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(old->second));
    auto *iface = new TQtAccessible(std::move(taken), widget);
    iface->SetHasWidget();
    return iface;
}

void Shutdown()
{
    for (void (*procedure)() : ShutdownProcedures())
        procedure();
    std::vector<QAccessible::Id> ids;
    for (auto &[object, iface] : StandIns())
        ids.push_back(QAccessible::uniqueId(iface));
    for (QAccessible::Id id : ids)
        QAccessible::deleteAccessibleInterface(id);
    PendingObjects().clear();
    gShutDown = true;
}

} // namespace

bool AccessibilitySupported()
{
#if QT_CONFIG(accessibility)
    return gSupported && !gShutDown;
#else
    return false;
#endif
}

void SetAccessibilitySupported(bool supported) { gSupported = supported; }

LRESULT LresultFromObject(std::shared_ptr<TAccessibleObject> object)
{
    if (!object)
        return 0;
    LRESULT cookie = ++gLastCookie;
    PendingObjects()[cookie] = std::move(object);
    return cookie;
}

void NotifyWinEvent(unsigned event, TWinControl *window, LPARAM objectId, int childId)
{
    QWidget *widget = WidgetOf(window);
    if (!widget || objectId != OBJID_CLIENT || gShutDown)
        return;
    // The toolkit passes events on only while assistive technology listens;
    // an installed update handler (a test's) hears them always.
    QAccessible::UpdateHandler handler = QAccessible::installUpdateHandler(nullptr);
    QAccessible::installUpdateHandler(handler);
    if (!QAccessible::isActive() && !handler)
        return;
    QAccessibleEvent e(widget, static_cast<QAccessible::Event>(event));
    if (childId > 0)
        e.setChild(childId - 1);
    if (QAccessible::isActive())
        QAccessible::updateAccessibility(&e);
    else
        handler(&e);
}

void DisconnectAccessibleObject(const TAccessibleObject *object, bool later)
{
    auto it = StandIns().find(object);
    if (it == StandIns().end())
        return;
    QAccessible::Id id = QAccessible::uniqueId(it->second);
    if (!later || !QCoreApplication::instance()) {
        QAccessible::deleteAccessibleInterface(id);
        return;
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [id] {
            if (QAccessible::accessibleInterface(id))
                QAccessible::deleteAccessibleInterface(id);
        },
        Qt::QueuedConnection);
}

void RegisterAccessibilityShutdown(void (*procedure)()) { ShutdownProcedures().push_back(procedure); }

void InstallAccessibilityFactory()
{
    // Factories are asked newest first: ours goes after the toolkit's own
    // (installed with the application), so that it is asked first.
    static bool installed = false;
    if (installed || !qApp)
        return;
    installed = true;
    QAccessible::installFactory(Factory);
    qAddPostRoutine(Shutdown);
}

bool MouseCaptured() { return QWidget::mouseGrabber() != nullptr; }

bool InActiveWindow(const TWinControl *window)
{
    QWidget *widget = WidgetOf(window);
    QWidget *active = QApplication::activeWindow();
    return widget && active && widget->window() == active;
}
