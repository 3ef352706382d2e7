// Floating frames that hide while the program is inactive or their form is
// hidden or minimised, and show again when that ends; the window's Visible
// (which the View menu shows) stays as it is.
#include "toolbar/BarDock.h"
#include "toolbar/BarHook.h"

#include "platform/Forms.h"
#include "platform/WindowEffects.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<TBarCustomDockableWindow *> &Watched()
{
    static std::vector<TBarCustomDockableWindow *> windows;
    return windows;
}

// Set while an activation change is handled: only then does the program's
// inactivity hide a shown frame. A frame shown or moved in between stays (its
// own window may take the activation a moment later).
bool gActivationChanging = false;

// Activation anywhere in the program, and any window shown, hidden, moved or
// resized: every floating window looks again.
void VisibilityHook(THookKind kind, TMessageTarget *, WPARAM, LPARAM)
{
    if (kind != HookKindActivate && kind != HookKindActivateApp && kind != HookKindWindowPosChanged)
        return;
    struct TScope {
        bool saved = gActivationChanging;
        ~TScope() { gActivationChanging = saved; }
    } scope;
    if (kind != HookKindWindowPosChanged)
        gActivationChanging = true;
    // A copy: showing or hiding a frame may free or add windows.
    const std::vector<TBarCustomDockableWindow *> windows = Watched();
    for (TBarCustomDockableWindow *window : windows) {
        const auto &live = Watched();
        if (std::find(live.begin(), live.end(), window) != live.end() && window->Floating())
            window->UpdateVisibility();
    }
}

constexpr THookKinds kVisibilityKinds =
    (1u << HookKindActivate) | (1u << HookKindActivateApp) | (1u << HookKindWindowPosChanged);

} // namespace

void JoinVisibilityWatch(TBarCustomDockableWindow *window)
{
    Watched().push_back(window);
    HookSubscribe(window, VisibilityHook, kVisibilityKinds);
}

void LeaveVisibilityWatch(TBarCustomDockableWindow *window)
{
    auto &windows = Watched();
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
    HookUnsubscribe(window, VisibilityHook);
}

void TBarCustomDockableWindow::SetHideWhenInactive(bool v)
{
    if (v == hideWhenInactive_)
        return;
    hideWhenInactive_ = v;
    UpdateVisibility();
}

namespace {

// Visible, and when floating, with its form shown and not minimised.
bool PlacedToShow(const TBarCustomDockableWindow &window)
{
    if (!window.Visible())
        return false;
    if (!window.Floating())
        return true;
    const TBarFloatingWindowParent *frame = window.FloatingParent();
    TWinControl *form = frame ? frame->OwnerForm() : nullptr;
    // A form being freed (its windows going) shows nothing any more.
    if (!form || form->Destroying() || !form->Showing())
        return false;
    auto *f = dynamic_cast<TCustomForm *>(form);
    return !f || f->WindowState() != wsMinimized;
}

} // namespace

bool TBarCustomDockableWindow::ShouldBeVisible() const
{
    if (!PlacedToShow(*this))
        return false;
    return !floating_ || !hideWhenInactive_ || ProgramHasActiveWindow();
}

void TBarCustomDockableWindow::UpdateVisibility()
{
    TBarFloatingWindowParent *frame = FloatingParent();
    if (!floating_ || !frame || Parent() != frame)
        return;
    const bool show = ShouldBeVisible();
    if (show == frame->Visible())
        return;
    if (!show && !gActivationChanging && PlacedToShow(*this))
        return;
    if (show)
        frame->ShowAt(TPoint{frame->Left(), frame->Top()});
    else
        frame->Hide();
}
