// Floating frames that hide while the program is inactive or their form is
// hidden or minimised, and show again when that ends; the window's Visible
// (which the View menu shows) stays as it is.
#include "toolbar/BarDock.h"
#include "toolbar/BarHook.h"

#include "platform/kernel/Forms.h"
#include "platform/services/SystemParameters.h"
#include "platform/kernel/WindowEffects.h"

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
    if (show == frame->Visible()) {
        if (show)
            UpdateCaptionState();
        return;
    }
    if (!show && !gActivationChanging && PlacedToShow(*this))
        return;
    if (show) {
        ApplyFloatingOwner();
        frame->ShowAt(TPoint{frame->Left(), frame->Top()});
        UpdateCaptionState();
    } else {
        frame->Hide();
    }
}

void TBarCustomDockableWindow::SetFloatingMode(TBarFloatingMode mode)
{
    if (mode == floatingMode_)
        return;
    floatingMode_ = mode;
    ApplyFloatingOwner();
    UpdateVisibility();
}

void TBarCustomDockableWindow::ApplyFloatingOwner()
{
    TBarFloatingWindowParent *frame = FloatingParent();
    if (!frame)
        return;
    frame->SetOwnerWindow(floatingMode_ == fmOnTopOfAllForms ? nullptr : frame->OwnerForm());
    UpdateTopmost();
}

void TBarCustomDockableWindow::UpdateTopmost()
{
    TBarFloatingWindowParent *frame = FloatingParent();
    if (!frame)
        return;
    TWinControl *form = frame->OwnerForm();
    frame->SetTopmost(floatingMode_ == fmOnTopOfAllForms ? frame->Enabled() : form && WindowIsTopmost(*form));
}

void TBarCustomDockableWindow::SetCaptionInactive(bool inactive)
{
    if (inactive == captionInactive_)
        return;
    captionInactive_ = inactive;
    if (FloatingParent())
        FloatingParent()->Invalidate();
}

void TBarCustomDockableWindow::UpdateCaptionState()
{
    TBarFloatingWindowParent *frame = FloatingParent();
    if (!floating_ || !frame || !frame->HandleAllocated())
        return;
    TWinControl *owner = frame->OwnerWindow();
    TWinControl *active = ActiveWindowControl();
    // An active floating frame stands for its form.
    if (auto *activeFrame = dynamic_cast<TBarFloatingWindowParent *>(active))
        active = activeFrame->OwnerForm();
    const bool activeCaption = ApplicationIsActive()
        && (floatingMode_ == fmOnTopOfAllForms || !owner || active == frame || (active && active == owner));
    SetCaptionInactive(!activeCaption);
}

void TBarCustomDockableWindow::ActivateParentForm()
{
    TBarFloatingWindowParent *frame = FloatingParent();
    if (!activateParent_ || floatingMode_ != fmOnTopOfParentForm || !floating_ || !frame || Parent() != frame)
        return;
    TWinControl *form = frame->OwnerForm();
    if (form && ActiveWindowControl() != form)
        ActivateWindow(*form);
}
