// The toolkit side of accessibility: a factory that asks a window for its
// object with WM_GETOBJECT, and stand-ins (QAccessibleInterface) that put the
// toolkit's questions to the objects. Roles keep their numbers (the toolkit's
// roles use the same values); state bits map to the toolkit's state fields;
// the default action is the toolkit's one action of the object.
#include "platform/kernel/Accessibility.h"

#include "platform/kernel/Controls.h"
#include "platform/kernel/Application.h"
#include "platform/kernel/Forms.h"
#include "platform/kernel/QtControls.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
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

// The toolkit's state fields of an object's state bits.
QAccessible::State StateOfBits(unsigned bits)
{
    QAccessible::State s;
    s.disabled = (bits & STATE_SYSTEM_UNAVAILABLE) != 0;
    s.selected = (bits & STATE_SYSTEM_SELECTED) != 0;
    s.selectable = (bits & STATE_SYSTEM_SELECTABLE) != 0;
    s.focused = (bits & STATE_SYSTEM_FOCUSED) != 0;
    s.pressed = (bits & STATE_SYSTEM_PRESSED) != 0;
    s.checked = (bits & STATE_SYSTEM_CHECKED) != 0;
    s.hotTracked = (bits & STATE_SYSTEM_HOTTRACKED) != 0;
    s.invisible = (bits & STATE_SYSTEM_INVISIBLE) != 0;
    s.focusable = (bits & STATE_SYSTEM_FOCUSABLE) != 0;
    s.hasPopup = (bits & STATE_SYSTEM_HASPOPUP) != 0;
    return s;
}

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
    int indexOfChild(const QAccessibleInterface *child) const override { return IndexOfAccessibleChild(*this, child); }
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
        return StateOfBits(bits);
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

// ---------------------------------------------------------------- windows described by their controls

TWinControl *ControlOfWidget(const QWidget *widget)
{
    TWinControl *control = widget ? TWidgetLink::ControlOf(widget) : nullptr;
    return control && control->Link() && control->Link()->Widget() == widget ? control : nullptr;
}


// A part a window paints itself (TWinControl::AccessiblePart), asked of the
// control at each question; its one action is the part's action, run after
// the call has returned.
class TQtPartAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TQtPartAccessible(QWidget *widget, int index) : widget_(widget), index_(index) {}

    bool isValid() const override
    {
        TWinControl *control = ControlOfWidget(widget_);
        return control && index_ < control->AccessiblePartCount();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return widget_ ? widget_->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return widget_ ? QAccessible::queryAccessibleInterface(widget_.data()) : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? QStr(Part().Name) : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        TWinControl *control = ControlOfWidget(widget_);
        if (!control || !isValid())
            return QRect();
        const TRect r = Part().Bounds;
        const TPoint origin = control->ClientToScreen(TPoint{r.Left, r.Top});
        return QRect(origin.X, origin.Y, r.Width(), r.Height());
    }
    QAccessible::Role role() const override { return static_cast<QAccessible::Role>(Part().Role); }
    QAccessible::State state() const override
    {
        QAccessible::State s = StateOfBits(Part().State);
        if (!widget_ || !widget_->isVisible())
            s.invisible = true;
        if (!widget_ || !widget_->isEnabled())
            s.disabled = true;
        s.invalid = !isValid();
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }
    QStringList actionNames() const override
    {
        return isValid() && widget_->isEnabled() ? QStringList{pressAction()} : QStringList();
    }
    void doAction(const QString &name) override
    {
        TWinControl *control = ControlOfWidget(widget_);
        if (name != pressAction() || !control || !isValid())
            return;
        const int index = index_;
        RunOnControlLater(*control, [index](TWinControl &target) {
            if (index < target.AccessiblePartCount())
                target.DoAccessiblePartAction(index);
        });
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    TAccessiblePart Part() const
    {
        TWinControl *control = ControlOfWidget(widget_);
        return control && isValid() ? control->AccessiblePart(index_) : TAccessiblePart{};
    }

    QPointer<QWidget> widget_;
    int index_;
};

// A window the program paints itself, or a form: its role and name come
// from the control, its children are its parts, then its child windows (in
// the control's reading order when it gives one).
class TQtWindowAccessible : public QAccessibleWidget {
public:
    explicit TQtWindowAccessible(QWidget *widget) : QAccessibleWidget(widget) {}
    ~TQtWindowAccessible() override
    {
        if (gShutDown)
            return;
        for (QAccessible::Id id : parts_)
            if (QAccessible::accessibleInterface(id))
                QAccessible::deleteAccessibleInterface(id);
    }

    QAccessible::Role role() const override
    {
        // A top-level window with nothing else to say (a floating toolbar's
        // frame) is a window.
        TWinControl *control = Control();
        const int role = control ? control->AccessibleRole() : ROLE_SYSTEM_CLIENT;
        return static_cast<QAccessible::Role>(role == ROLE_SYSTEM_CLIENT && widget()->isWindow() ? ROLE_SYSTEM_WINDOW
                                                                                                 : role);
    }
    QString text(QAccessible::Text t) const override
    {
        TWinControl *control = Control();
        if (t == QAccessible::Name && control && widget()->accessibleName().isEmpty()) {
            std::string name = control->AccessibleName();
            if (!name.empty())
                return QStr(name);
        }
        if (t == QAccessible::Value && control)
            return QStr(control->AccessibleValue());
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return PartCount() + QAccessibleWidget::childCount(); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0)
            return nullptr;
        const int parts = PartCount();
        if (index < parts)
            return Part(index);
        TWinControl *control = Control();
        std::vector<TWinControl *> order = control ? control->AccessibleChildOrder() : std::vector<TWinControl *>();
        if (order.empty())
            return QAccessibleWidget::child(index - parts);
        std::vector<QAccessibleInterface *> windows = Windows(order);
        return static_cast<size_t>(index - parts) < windows.size() ? windows[static_cast<size_t>(index - parts)]
                                                                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        for (size_t i = 0; i < parts_.size() && static_cast<int>(i) < PartCount(); ++i)
            if (QAccessible::accessibleInterface(parts_[i]) == child)
                return static_cast<int>(i);
        TWinControl *control = Control();
        std::vector<TWinControl *> order = control ? control->AccessibleChildOrder() : std::vector<TWinControl *>();
        int at = -1;
        if (order.empty()) {
            at = QAccessibleWidget::indexOfChild(child);
        } else {
            std::vector<QAccessibleInterface *> windows = Windows(order);
            auto it = std::find(windows.begin(), windows.end(), child);
            at = it == windows.end() ? -1 : static_cast<int>(it - windows.begin());
        }
        return at < 0 ? -1 : PartCount() + at;
    }
    // The part that has the focus (a radio group's item) rather than the window.
    QAccessibleInterface *focusChild() const override
    {
        if (TWinControl *control = Control())
            for (int i = 0; i < control->AccessiblePartCount(); ++i)
                if (control->AccessiblePart(i).State & STATE_SYSTEM_FOCUSED)
                    return Part(i);
        return QAccessibleWidget::focusChild();
    }

private:
    TWinControl *Control() const { return ControlOfWidget(widget()); }
    int PartCount() const
    {
        TWinControl *control = Control();
        return control ? control->AccessiblePartCount() : 0;
    }
    QAccessibleInterface *Part(int index) const
    {
        while (parts_.size() <= static_cast<size_t>(index)) {
            auto *part = new TQtPartAccessible(widget(), static_cast<int>(parts_.size()));
            parts_.push_back(QAccessible::registerAccessibleInterface(part));
        }
        return QAccessible::accessibleInterface(parts_[static_cast<size_t>(index)]);
    }
    // The toolkit's children, those the control orders first in its order.
    std::vector<QAccessibleInterface *> Windows(const std::vector<TWinControl *> &order) const
    {
        std::vector<QAccessibleInterface *> windows;
        const int count = QAccessibleWidget::childCount();
        for (int i = 0; i < count; ++i)
            windows.push_back(QAccessibleWidget::child(i));
        auto rank = [&order](QAccessibleInterface *c) {
            QObject *o = c ? c->object() : nullptr;
            TWinControl *w = o && o->isWidgetType() ? ControlOfWidget(static_cast<QWidget *>(o)) : nullptr;
            auto it = std::find(order.begin(), order.end(), w);
            return static_cast<size_t>(it - order.begin());
        };
        std::stable_sort(windows.begin(), windows.end(),
                         [&rank](QAccessibleInterface *a, QAccessibleInterface *b) { return rank(a) < rank(b); });
        return windows;
    }

    mutable std::vector<QAccessible::Id> parts_;
};

// The name of a toolkit control (an edit, a list, a box) that shows no
// caption of its own; one that has neither label nor hint keeps the
// toolkit's. Given when the window is made and when what names it changes,
// never while the toolkit asks for the window's interface (a new name is
// announced, which asks for it again).
void NameToolkitControl(TWinControl &control, QWidget &widget)
{
    std::string name = control.AccessibleName();
    if (!name.empty() || !widget.accessibleName().isEmpty())
        widget.setAccessibleName(QStr(name));
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
    if (result == 0) {
        // No object of its own: the control describes the window.
        if (dynamic_cast<TCustomForm *>(control) || dynamic_cast<TQtWindow *>(widget))
            return new TQtWindowAccessible(widget);
        if (TWidgetLink::TAccessibleMaker maker = control->Link()->AccessibleMaker())
            return maker(widget);
        return nullptr;
    }
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

namespace {

// The toolkit passes events on only while assistive technology listens; an
// installed update handler (a test's) hears them always.
QAccessible::UpdateHandler TestHandler()
{
    QAccessible::UpdateHandler handler = QAccessible::installUpdateHandler(nullptr);
    QAccessible::installUpdateHandler(handler);
    return handler;
}

// The window an event is raised for, while anyone hears events.
QWidget *EventWidget(TWinControl *window)
{
    QWidget *widget = gShutDown ? nullptr : WidgetOf(window);
    return widget && (QAccessible::isActive() || TestHandler()) ? widget : nullptr;
}

void Dispatch(QAccessibleEvent &e)
{
    if (QAccessible::isActive())
        QAccessible::updateAccessibility(&e);
    else if (QAccessible::UpdateHandler handler = TestHandler())
        handler(&e);
}

} // namespace

void NotifyWinEvent(unsigned event, TWinControl *window, LPARAM objectId, int childId)
{
    QWidget *widget = EventWidget(window);
    if (!widget || objectId != OBJID_CLIENT)
        return;
    QAccessibleEvent e(widget, static_cast<QAccessible::Event>(event));
    if (childId > 0)
        e.setChild(childId - 1);
    Dispatch(e);
}

void NotifyStateChange(TWinControl *window, int childId, unsigned changed)
{
    QWidget *widget = EventWidget(window);
    if (!widget)
        return;
    QAccessibleStateChangeEvent e(widget, StateOfBits(changed));
    if (childId > 0)
        e.setChild(childId - 1);
    Dispatch(e);
}

void RunOnControlLater(const TWinControl &control, std::function<void(TWinControl &)> action)
{
    const std::uint64_t serial = control.Serial();
    QMetaObject::invokeMethod(
        qApp,
        [serial, action = std::move(action)] {
            auto *target = dynamic_cast<TWinControl *>(TControl::FindBySerial(serial));
            if (target && target->Enabled())
                Application().Guard([target, &action] { action(*target); });
        },
        Qt::QueuedConnection);
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

int IndexOfAccessibleChild(const QAccessibleInterface &parent, const QAccessibleInterface *child)
{
    const int count = parent.childCount();
    for (int i = 0; i < count; ++i)
        if (parent.child(i) == child)
            return i;
    return -1;
}

void RefreshAccessibleName(TWinControl &control)
{
    // A button reads its caption as it is now; the toolkit's interface does that.
    QWidget *widget = gSupported && !gShutDown ? WidgetOf(&control) : nullptr;
    if (widget && !dynamic_cast<TQtWindow *>(widget) && !dynamic_cast<TCustomForm *>(&control)
        && !qobject_cast<QAbstractButton *>(widget))
        NameToolkitControl(control, *widget);
}

bool MouseCaptured() { return QWidget::mouseGrabber() != nullptr; }

// ---------------------------------------------------------------- what a control tells

std::string StripAccelerators(const std::string &caption)
{
    std::string out;
    out.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && ++i >= caption.size())
            break;
        out += caption[i];
    }
    return out;
}

namespace {

bool RowsMeet(const TRect &a, const TRect &b) { return a.Top < b.Bottom && a.Bottom > b.Top; }
bool ColumnsMeet(const TRect &a, const TRect &b) { return a.Left < b.Right && a.Right > b.Left; }

// How far a label may end inside the field's edge and still stand beside it,
// and how far above the field one just above it may end.
constexpr int kLabelOverlap = 2;
constexpr int kLabelGapAbove = 8;

// The label beside a field: the nearest on its left on the same line with
// no other control between them, else the nearest just above it.
std::string LabelBeside(const TWinControl &field)
{
    // A column of thousands of windows made on demand holds no labels.
    const TWinControl *parent = field.Parent();
    if (!parent || parent->ChildWindowsOnDemand())
        return {};
    const TRect f = field.BoundsRect();
    const TControl *left = nullptr, *above = nullptr;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        const TControl *c = parent->Controls(i);
        // A label hidden with its field (a range shown on demand) still names it.
        if (c == &field || c->LabelText().empty())
            continue;
        const TRect l = c->BoundsRect();
        if (RowsMeet(l, f) && l.Right <= f.Left + kLabelOverlap) {
            if (!left || l.Right > left->BoundsRect().Right)
                left = c;
        } else if (ColumnsMeet(l, f) && l.Bottom <= f.Top + kLabelOverlap && f.Top - l.Bottom <= kLabelGapAbove) {
            if (!above || l.Bottom > above->BoundsRect().Bottom)
                above = c;
        }
    }
    if (left) {
        // Another control between the label and the field is the label's.
        const TRect l = left->BoundsRect();
        for (int i = 0; i < parent->ControlCount(); ++i) {
            const TControl *c = parent->Controls(i);
            const TRect r = c->BoundsRect();
            if (c != &field && c != left && c->LabelText().empty() && RowsMeet(r, f)
                && r.Left >= l.Right - kLabelOverlap && r.Right <= f.Left + kLabelOverlap)
                return above ? above->LabelText() : std::string();
        }
        return left->LabelText();
    }
    return above ? above->LabelText() : std::string();
}

} // namespace

std::string TWinControl::AccessibleName() const
{
    if (accessibleName_)
        return *accessibleName_;
    std::string caption = AccessibleCaption();
    if (!caption.empty())
        return caption;
    if (!NamedByLabel())
        return {};
    std::string label = LabelBeside(*this);
    if (!label.empty())
        return label;
    return GetShortHint(Hint());
}

void TWinControl::SetAccessibleName(const std::string &name)
{
    accessibleName_ = std::make_unique<std::string>(name);
    RefreshAccessibleName(*this);
}

int TWinControl::AccessibleRole() const { return ROLE_SYSTEM_CLIENT; }

TAccessiblePart TWinControl::AccessiblePart(int) { return {}; }

void TWinControl::AccessibleNamesChanged()
{
    for (TControl *c : controls_)
        if (auto *w = dynamic_cast<TWinControl *>(c))
            RefreshAccessibleName(*w);
}

bool InActiveWindow(const TWinControl *window)
{
    QWidget *widget = WidgetOf(window);
    QWidget *active = QApplication::activeWindow();
    return widget && active && widget->window() == active;
}
