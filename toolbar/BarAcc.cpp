// Accessibility objects of views and item viewers, and the hooks through
// which views and viewers hand them out and announce focus.
#include "toolbar/BarAcc.h"

#include "platform/core/CriticalSection.h"
#include "toolbar/BarCommon.h"

#include <atomic>
#include <cwctype>
#include <vector>

namespace {

// ---------------------------------------------------------------- the live list

TCriticalSection &LiveLock()
{
    static TCriticalSection lock;
    return lock;
}
TBarCustomAccObject *gLiveHead = nullptr;
std::atomic<int> gLiveViews{0};
std::atomic<int> gLiveViewers{0};

// The unit's start-up: the toolkit asks windows for their objects from now
// on, and every live object is cut off when it shuts down.
const struct TStartUp {
    TStartUp() { RegisterAccessibilityShutdown(&DisconnectAccObjects); }
} gStartUp;

template <class F>
HRESULT Guarded(F &&call)
{
    try {
        return call();
    } catch (...) {
        return E_UNEXPECTED;
    }
}

std::string Utf8Of(char32_t c)
{
    std::string s;
    if (c < 0x80)
        s += static_cast<char>(c);
    else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// The name of the Alt key as shortcuts show it.
const char *AltKeyName() { return "Alt"; }

// A view whose items can be used now: its window shows, it and its parents
// are enabled, and it runs menu mode or sits in the active window.
bool ViewUsable(TBarView *view)
{
    TWinControl *window = view->Window();
    if (!window || !view->WindowShowing())
        return false;
    for (TWinControl *w = window; w; w = w->Parent())
        if (!w->Enabled())
            return false;
    return (view->State() & vsModal) || InActiveWindow(window);
}

bool ItemUsable(const TBarCustomItem *item) { return item->Enabled() && (item->ItemStyle() & Selectable); }

bool ViewerAvailable(TBarItemViewer *viewer)
{
    return viewer->IsAccessible() && ItemUsable(viewer->Item()) && ViewUsable(viewer->View());
}

// The hosted windowed control of a viewer that has a window, else nullptr.
TWinControl *HostedWindow(TBarItemViewer *viewer)
{
    auto *item = dynamic_cast<TBarControlItem *>(viewer->Item());
    auto *control = item ? dynamic_cast<TWinControl *>(item->Control()) : nullptr;
    return control && control->HandleAllocated() ? control : nullptr;
}

TRect ScreenRectOf(TWinControl *window)
{
    TPoint tl = window->ClientToScreen(TPoint{0, 0});
    return Bounds(tl.X, tl.Y, window->Width(), window->Height());
}

} // namespace

// ---------------------------------------------------------------- module functions

bool InitAccessibility() { return AccessibilitySupported(); }

void CallNotifyWinEvent(unsigned event, TWinControl *window, LPARAM objectId, int childId)
{
    NotifyWinEvent(event, window, objectId, childId);
}

void DisconnectAccObjects()
{
    std::vector<std::shared_ptr<TBarCustomAccObject>> live;
    LiveLock().Enter();
    for (TBarCustomAccObject *o = gLiveHead; o; o = o->next_)
        if (auto held = o->weak_from_this().lock())
            live.push_back(std::move(held));
    LiveLock().Leave();
    for (const auto &o : live)
        DisconnectAccessibleObject(o.get());
}

int LiveViewAccObjects() { return gLiveViews; }
int LiveViewerAccObjects() { return gLiveViewers; }

// ---------------------------------------------------------------- live objects

TBarCustomAccObject::TBarCustomAccObject()
{
    LiveLock().Enter();
    next_ = gLiveHead;
    if (gLiveHead)
        gLiveHead->prev_ = this;
    gLiveHead = this;
    LiveLock().Leave();
}

TBarCustomAccObject::~TBarCustomAccObject()
{
    LiveLock().Enter();
    if (prev_)
        prev_->next_ = next_;
    else
        gLiveHead = next_;
    if (next_)
        next_->prev_ = prev_;
    LiveLock().Leave();
}

// ---------------------------------------------------------------- view object

TBarViewAccObject::TBarViewAccObject(TBarView *view) : view_(view) { ++gLiveViews; }
TBarViewAccObject::~TBarViewAccObject() { --gLiveViews; }
void TBarViewAccObject::ClientIsDestroying() { view_ = nullptr; }
TWinControl *TBarViewAccObject::ClientWindow() const { return view_ ? view_->Window() : nullptr; }

HRESULT TBarViewAccObject::get_accParent(TAccVariant &parent)
{
    return Guarded([&] {
        if (!view_)
            return E_FAIL;
        TBarView *pv = view_->ParentView();
        if (pv && pv->OpenViewer() && pv->OpenViewerView() == view_)
            parent = TAccVariant::Of(pv->OpenViewer()->GetAccObject());
        else
            parent = TAccVariant::WindowObject(view_->Window());
        return S_OK;
    });
}

HRESULT TBarViewAccObject::get_accChildCount(int &count)
{
    return Guarded([&] {
        if (!view_)
            return E_FAIL;
        count = 0;
        for (int i = 0; i < view_->ViewerCount(); ++i)
            if (view_->Viewers(i)->IsAccessible())
                ++count;
        return S_OK;
    });
}

HRESULT TBarViewAccObject::get_accChild(int childId, TAccVariant &child)
{
    return Guarded([&] {
        if (!view_)
            return E_FAIL;
        // A negative id names no child (it must not count back into the viewers).
        if (childId < 0)
            return E_INVALIDARG;
        if (childId == CHILDID_SELF) {
            child = TAccVariant::Of(shared_from_this());
            return S_OK;
        }
        int n = 0;
        for (int i = 0; i < view_->ViewerCount(); ++i) {
            TBarItemViewer *v = view_->Viewers(i);
            if (!v->IsAccessible() || ++n != childId)
                continue;
            if (TWinControl *hosted = HostedWindow(v))
                child = TAccVariant::WindowObject(hosted);
            else
                child = TAccVariant::Of(v->GetAccObject());
            return child.Kind == TAccVariant::vtEmpty ? E_FAIL : S_OK;
        }
        return E_INVALIDARG;
    });
}

HRESULT TBarViewAccObject::get_accName(int childId, std::string &name)
{
    return Guarded([&] {
        if (!view_)
            return E_FAIL;
        if (childId != CHILDID_SELF)
            return E_INVALIDARG;
        name.clear();
        TBarView *pv = view_->ParentView();
        if (pv && pv->OpenViewer() && pv->OpenViewerView() == view_)
            name = StripAccelChars(pv->OpenViewer()->GetCaptionText());
        if (name.empty() && view_->Window())
            name = view_->Window()->Caption();
        return S_OK;
    });
}

namespace {
// The calls that have nothing to say about a view.
HRESULT NothingOfView(TBarView *view, int childId, std::string &text)
{
    if (!view)
        return E_FAIL;
    if (childId != CHILDID_SELF)
        return E_INVALIDARG;
    text.clear();
    return S_FALSE;
}
} // namespace

HRESULT TBarViewAccObject::get_accValue(int childId, std::string &value)
{
    return Guarded([&] { return NothingOfView(view_, childId, value); });
}

HRESULT TBarViewAccObject::get_accDescription(int childId, std::string &description)
{
    return Guarded([&] { return NothingOfView(view_, childId, description); });
}

HRESULT TBarViewAccObject::get_accHelp(int childId, std::string &help)
{
    return Guarded([&] { return NothingOfView(view_, childId, help); });
}

HRESULT TBarViewAccObject::get_accDefaultAction(int childId, std::string &action)
{
    return Guarded([&] { return NothingOfView(view_, childId, action); });
}

HRESULT TBarViewAccObject::get_accRole(int childId, int &role)
{
    return Guarded([&] {
        if (!view_)
            return E_FAIL;
        if (childId != CHILDID_SELF)
            return E_INVALIDARG;
        role = view_->IsPopup() ? ROLE_SYSTEM_MENUPOPUP
            : (view_->Style() & vsMenuBar) ? ROLE_SYSTEM_MENUBAR
                                           : ROLE_SYSTEM_TOOLBAR;
        return S_OK;
    });
}

HRESULT TBarViewAccObject::get_accState(int childId, unsigned &state)
{
    return Guarded([&] {
        if (!view_)
            return E_FAIL;
        if (childId != CHILDID_SELF)
            return E_INVALIDARG;
        // The object follows its window: a hidden toolbar (unticked in a
        // menu, or a floating one closed) is not on screen for a reader.
        state = view_->WindowShowing() ? 0u : unsigned{STATE_SYSTEM_INVISIBLE};
        return S_OK;
    });
}

HRESULT TBarViewAccObject::get_accKeyboardShortcut(int childId, std::string &shortcut)
{
    return Guarded([&] {
        HRESULT hr = NothingOfView(view_, childId, shortcut);
        if (hr == S_FALSE && (view_->Style() & vsMenuBar)) {
            shortcut = AltKeyName();
            return S_OK;
        }
        return hr;
    });
}

HRESULT TBarViewAccObject::get_accFocus(TAccVariant &focus)
{
    return Guarded([&] {
        if (!view_)
            return E_FAIL;
        focus = TAccVariant{};
        return S_FALSE;
    });
}

HRESULT TBarViewAccObject::accSelect(unsigned, int childId)
{
    return Guarded([&] {
        if (!view_)
            return E_FAIL;
        return childId != CHILDID_SELF ? E_INVALIDARG : DISP_E_MEMBERNOTFOUND;
    });
}

HRESULT TBarViewAccObject::accLocation(TRect &screen, int childId)
{
    return Guarded([&] {
        if (!view_ || !view_->Window())
            return E_FAIL;
        if (childId != CHILDID_SELF)
            return E_INVALIDARG;
        screen = ScreenRectOf(view_->Window());
        return S_OK;
    });
}

HRESULT TBarViewAccObject::accHitTest(int screenX, int screenY, TAccVariant &hit)
{
    return Guarded([&] {
        if (!view_ || !view_->Window())
            return E_FAIL;
        hit = TAccVariant{};
        TPoint p{screenX, screenY};
        TWinControl *window = view_->Window();
        if (!PtInRect(ScreenRectOf(window), p))
            return S_FALSE;
        for (int i = window->ControlCount() - 1; i >= 0; --i) {
            auto *child = dynamic_cast<TWinControl *>(window->Controls(i));
            if (child && child->Showing() && child->HandleAllocated() && PtInRect(ScreenRectOf(child), p)) {
                hit = TAccVariant::WindowObject(child);
                return S_OK;
            }
        }
        if (TBarItemViewer *v = view_->ViewerFromPoint(view_->ScreenToClient(p)))
            hit = TAccVariant::Of(v->GetAccObject());
        if (hit.Kind == TAccVariant::vtEmpty)
            hit = TAccVariant::Child(CHILDID_SELF);
        return S_OK;
    });
}

HRESULT TBarViewAccObject::accDoDefaultAction(int childId)
{
    return Guarded([&] {
        if (!view_)
            return E_FAIL;
        return childId != CHILDID_SELF ? E_INVALIDARG : S_FALSE;
    });
}

// ---------------------------------------------------------------- viewer object

TBarItemViewerAccObject::TBarItemViewerAccObject(TBarItemViewer *viewer) : viewer_(viewer) { ++gLiveViewers; }
TBarItemViewerAccObject::~TBarItemViewerAccObject() { --gLiveViewers; }
void TBarItemViewerAccObject::ClientIsDestroying() { viewer_ = nullptr; }
bool TBarItemViewerAccObject::Available() const { return viewer_ && ViewerAvailable(viewer_); }

namespace {
// The checks every viewer call starts with; S_OK to go on.
HRESULT CheckViewer(TBarItemViewer *viewer, int childId)
{
    if (!viewer)
        return E_FAIL;
    return childId == CHILDID_SELF ? S_OK : E_INVALIDARG;
}

HRESULT NothingOfViewer(TBarItemViewer *viewer, int childId, std::string &text)
{
    HRESULT hr = CheckViewer(viewer, childId);
    if (hr != S_OK)
        return hr;
    text.clear();
    return S_FALSE;
}
} // namespace

HRESULT TBarItemViewerAccObject::get_accParent(TAccVariant &parent)
{
    return Guarded([&] {
        if (!viewer_)
            return E_FAIL;
        parent = TAccVariant::Of(viewer_->View()->GetAccObject());
        return parent.Kind == TAccVariant::vtEmpty ? E_FAIL : S_OK;
    });
}

HRESULT TBarItemViewerAccObject::get_accChildCount(int &count)
{
    return Guarded([&] {
        if (!viewer_)
            return E_FAIL;
        TBarView *view = viewer_->View();
        count = view->OpenViewer() == viewer_ && view->OpenViewerView() ? 1 : 0;
        return S_OK;
    });
}

HRESULT TBarItemViewerAccObject::get_accChild(int childId, TAccVariant &child)
{
    return Guarded([&] {
        if (!viewer_)
            return E_FAIL;
        if (childId == CHILDID_SELF) {
            child = TAccVariant::Of(shared_from_this());
            return S_OK;
        }
        // The one child is the menu this viewer has open.
        TBarView *view = viewer_->View();
        if (childId != 1 || view->OpenViewer() != viewer_ || !view->OpenViewerView())
            return E_INVALIDARG;
        child = TAccVariant::Of(view->OpenViewerView()->GetAccObject());
        return child.Kind == TAccVariant::vtEmpty ? E_FAIL : S_OK;
    });
}

HRESULT TBarItemViewerAccObject::get_accName(int childId, std::string &name)
{
    return Guarded([&] {
        HRESULT hr = CheckViewer(viewer_, childId);
        if (hr != S_OK)
            return hr;
        name = StripAccelChars(viewer_->GetCaptionText());
        std::string shortcut = viewer_->Item()->GetShortCutText();
        if (!viewer_->UsesToolbarStyle() && !shortcut.empty())
            name += "\t" + shortcut;
        return S_OK;
    });
}

HRESULT TBarItemViewerAccObject::get_accValue(int childId, std::string &value)
{
    return Guarded([&] {
        HRESULT hr = NothingOfViewer(viewer_, childId, value);
        if (hr == S_FALSE && viewer_->GetAccValue(value))
            return S_OK;
        return hr;
    });
}

HRESULT TBarItemViewerAccObject::get_accDescription(int childId, std::string &description)
{
    return Guarded([&] { return NothingOfViewer(viewer_, childId, description); });
}

HRESULT TBarItemViewerAccObject::get_accHelp(int childId, std::string &help)
{
    return Guarded([&] { return NothingOfViewer(viewer_, childId, help); });
}

HRESULT TBarItemViewerAccObject::get_accRole(int childId, int &role)
{
    return Guarded([&] {
        HRESULT hr = CheckViewer(viewer_, childId);
        if (hr == S_OK)
            role = viewer_->GetAccRole();
        return hr;
    });
}

HRESULT TBarItemViewerAccObject::get_accState(int childId, unsigned &state)
{
    return Guarded([&] {
        HRESULT hr = CheckViewer(viewer_, childId);
        if (hr != S_OK)
            return hr;
        TBarView *view = viewer_->View();
        TBarCustomItem *item = viewer_->Item();
        state = 0;
        if (view->Selected() == viewer_) {
            state |= STATE_SYSTEM_HOTTRACKED;
            if (view->State() & vsModal)
                state |= STATE_SYSTEM_FOCUSED;
            if (view->MouseOverSelected() && view->Pressing())
                state |= STATE_SYSTEM_PRESSED;
        }
        if (item->ItemStyle() & HasSubmenu)
            state |= STATE_SYSTEM_HASPOPUP;
        if (viewer_->Show() || viewer_->Clipped()) {
            if (ViewUsable(view))
                state |= STATE_SYSTEM_FOCUSABLE;
        } else if (viewer_->OffEdge())
            state |= STATE_SYSTEM_INVISIBLE;
        if (!view->WindowShowing())
            state |= STATE_SYSTEM_INVISIBLE;
        if (!ItemUsable(item))
            state |= STATE_SYSTEM_UNAVAILABLE;
        if (item->Checked())
            state |= STATE_SYSTEM_CHECKED;
        return S_OK;
    });
}

HRESULT TBarItemViewerAccObject::get_accKeyboardShortcut(int childId, std::string &shortcut)
{
    return Guarded([&] {
        HRESULT hr = NothingOfViewer(viewer_, childId, shortcut);
        if (hr != S_FALSE || !viewer_->CaptionShown())
            return hr;
        char32_t accel = FindAccelChar(viewer_->GetCaptionText());
        if (accel == 0)
            return hr;
        std::string key = Utf8Of(static_cast<char32_t>(std::towlower(static_cast<wint_t>(accel))));
        shortcut = viewer_->View()->IsPopup() ? key : std::string(AltKeyName()) + "+" + key;
        return S_OK;
    });
}

HRESULT TBarItemViewerAccObject::get_accFocus(TAccVariant &focus)
{
    return Guarded([&] {
        if (!viewer_)
            return E_FAIL;
        TBarView *view = viewer_->View();
        if ((view->State() & vsModal) && view->Selected() == viewer_) {
            focus = TAccVariant::Child(CHILDID_SELF);
            return S_OK;
        }
        focus = TAccVariant{};
        return S_FALSE;
    });
}

HRESULT TBarItemViewerAccObject::get_accDefaultAction(int childId, std::string &action)
{
    return Guarded([&] {
        HRESULT hr = NothingOfViewer(viewer_, childId, action);
        if (hr != S_FALSE || !Available())
            return hr;
        TBarView *view = viewer_->View();
        if (view->OpenViewer() == viewer_)
            action = "Close";
        else if (viewer_->Item()->ItemStyle() & HasSubmenu)
            action = "Open";
        else if (view->IsPopup() || (view->Style() & vsMenuBar))
            action = "Execute";
        else
            action = "Press";
        return S_OK;
    });
}

HRESULT TBarItemViewerAccObject::accSelect(unsigned flags, int childId)
{
    return Guarded([&] {
        HRESULT hr = CheckViewer(viewer_, childId);
        if (hr != S_OK)
            return hr;
        if (flags != SELFLAG_TAKEFOCUS)
            return E_INVALIDARG;
        TBarView *view = viewer_->View();
        if (!ViewUsable(view) || !(viewer_->Show() || viewer_->Clipped()))
            return E_FAIL;
        view->Select(viewer_, false);
        view->ScrollSelectedIntoView();
        if (!(view->State() & vsModal) && !view->ParentView())
            viewer_->PostAccDoDefaultAction(0);
        return S_OK;
    });
}

HRESULT TBarItemViewerAccObject::accLocation(TRect &screen, int childId)
{
    return Guarded([&] {
        HRESULT hr = CheckViewer(viewer_, childId);
        if (hr != S_OK)
            return hr;
        const TRect &b = viewer_->BoundsRect();
        TPoint tl = viewer_->View()->ClientToScreen(b.TopLeft());
        screen = Bounds(tl.X, tl.Y, b.Width(), b.Height());
        return S_OK;
    });
}

HRESULT TBarItemViewerAccObject::accHitTest(int screenX, int screenY, TAccVariant &hit)
{
    return Guarded([&] {
        if (!viewer_)
            return E_FAIL;
        TRect r;
        accLocation(r, CHILDID_SELF);
        if (PtInRect(r, TPoint{screenX, screenY})) {
            hit = TAccVariant::Child(CHILDID_SELF);
            return S_OK;
        }
        hit = TAccVariant{};
        return S_FALSE;
    });
}

HRESULT TBarItemViewerAccObject::accDoDefaultAction(int childId)
{
    return Guarded([&] {
        HRESULT hr = CheckViewer(viewer_, childId);
        if (hr != S_OK)
            return hr;
        if (!Available())
            return E_FAIL;
        TBarView *view = viewer_->View();
        if (view->OpenViewer() == viewer_) {
            view->CloseChildPopup();
            if (view->IsToolbar() && (view->State() & vsModal))
                view->EndModal();
            return S_OK;
        }
        view->Select(viewer_, false);
        view->ScrollSelectedIntoView();
        viewer_->PostAccDoDefaultAction(1);
        return S_OK;
    });
}

// ---------------------------------------------------------------- hooks of views and viewers

std::shared_ptr<TBarViewAccObject> TBarView::GetAccObject()
{
    if (!accObject_ && InitAccessibility())
        accObject_ = std::make_shared<TBarViewAccObject>(this);
    return accObject_;
}

bool TBarView::HandleWMGetObject(TMessage &message)
{
    if (message.Msg != WM_GETOBJECT || message.LParam != OBJID_CLIENT || !InitAccessibility())
        return false;
    std::shared_ptr<TBarViewAccObject> object = GetAccObject();
    if (!object)
        return false;
    message.Result = LresultFromObject(object);
    return true;
}

void TBarView::NotifyFocus()
{
    if (!(state_ & vsModal) || !(GetRootView()->state_ & vsModal) || IsEndingModal() || !window_
        || !window_->HandleAllocated())
        return;
    if (selected_ && selected_->IsAccessible()) {
        int child = 1;
        for (const auto &v : viewers_) {
            if (v.get() == selected_)
                break;
            if (v->IsAccessible())
                ++child;
        }
        CallNotifyWinEvent(EVENT_OBJECT_FOCUS, window_, OBJID_CLIENT, child);
    } else if (parentView_)
        parentView_->NotifyFocus();
}

void TBarView::DetachAccObject()
{
    if (!accObject_)
        return;
    accObject_->ClientIsDestroying();
    DisconnectAccessibleObject(accObject_.get(), true);
    accObject_.reset();
}

std::shared_ptr<TBarItemViewerAccObject> TBarItemViewer::GetAccObject()
{
    std::shared_ptr<TBarItemViewerAccObject> object = accObject_.lock();
    if (!object && InitAccessibility()) {
        object = std::make_shared<TBarItemViewerAccObject>(this);
        accObject_ = object;
    }
    return object;
}

void TBarItemViewer::PostAccDoDefaultAction(unsigned flags) { QueueViewerDefaultAction(this, flags); }

void TBarItemViewer::DetachAccObject()
{
    if (std::shared_ptr<TBarItemViewerAccObject> object = accObject_.lock()) {
        object->ClientIsDestroying();
        DisconnectAccessibleObject(object.get(), true);
    }
}

void RunViewerDefaultAction(TBarItemViewer *viewer, unsigned flags)
{
    bool execute = flags & 1;
    TBarView *view = viewer->View();
    if (execute ? !ViewerAvailable(viewer) : !ViewUsable(view))
        return;
    view->Select(viewer, false);
    view->ScrollSelectedIntoView();
    if (view->State() & vsModal) {
        if (execute)
            view->ExecuteSelected(false);
    } else if (!view->ParentView() && !MouseCaptured())
        view->EnterModalLoop(execute ? 6 : 4);
}
