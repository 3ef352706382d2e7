// Menu mode: the root view runs its own loop, in which every key and mouse
// message goes to the chain of open views first. The chosen command runs
// once, from the deferred-call queue, after every popup has gone.
#include "toolbar/BarItem.h"

#include "platform/kernel/Application.h"
#include "platform/kernel/Forms.h"
#include "platform/core/Services.h"
#include "platform/services/SystemParameters.h"
#include "platform/kernel/WindowEffects.h"
#include "toolbar/BarAcc.h"
#include "toolbar/BarCommon.h"
#include "toolbar/BarPopup.h"

#include <optional>
#include <string>

namespace {

constexpr int kStalePos = -2147483647 - 1;

bool IsStale(TPoint p) { return p.X == kStalePos; }

// The views from the root down the open chain.
std::vector<TBarView *> Chain(TBarView *root)
{
    std::vector<TBarView *> chain;
    for (TBarView *v = root; v; v = v->OpenViewerView())
        chain.push_back(v);
    return chain;
}

// The character a key press types, for accelerators (letters, digits, blank, "-").
char32_t CharOfKey(int key, TShiftState shift)
{
    if (shift & (ssCtrl | ssAlt))
        return 0;
    if (key >= 'A' && key <= 'Z')
        return static_cast<char32_t>(key - 'A' + 'a');
    if (key >= '0' && key <= '9')
        return static_cast<char32_t>(key);
    if (key == VK_SPACE)
        return U' ';
    if (key == 0xBD || key == 0x6D) // the minus keys
        return U'-';
    return 0;
}

} // namespace

class TBarModalHandler {
public:
    explicit TBarModalHandler(TBarView *root) : root_(root)
    {
        gMenuLastPos = CursorPos();
        gMessagePos = gMenuLastPos;
        activeForm_ = Screen().ActiveForm();
        hookId_ = AddMessageHook([this](TMessageTarget *target, TMessage &message) { return OnMessage(target, message); });
        // The pointer is taken, so that a press anywhere, also outside the
        // program, reaches the loop and ends it.
        if (TWinControl *window = root_->Window()) {
            grabbed_ = GrabPointer(*window);
            grabWindow_ = TMessageTargetRef(window);
        }
    }
    ~TBarModalHandler() { Release(); }
    // Gives back the pointer and stops looking at messages.
    void Release()
    {
        if (hookId_) {
            RemoveMessageHook(hookId_);
            hookId_ = 0;
        }
        // The root view may be gone by now (freed by a handler); its window is
        // reached through a reference that empties itself.
        if (auto *window = dynamic_cast<TWinControl *>(grabWindow_.Get()); grabbed_ && window)
            ReleasePointer(*window);
        grabbed_ = false;
        gMessagePos.X = kStalePos;
    }
    TBarModalHandler(const TBarModalHandler &) = delete;
    TBarModalHandler &operator=(const TBarModalHandler &) = delete;

    void Loop(bool startWithPress, bool noPriority, bool executeSelected);
    bool HasPendingPress() const { return pending_; }
    void DeliverPendingPress()
    {
        if (!pending_)
            return;
        pending_ = false;
        // Under the pointer grab every press came to the root window: the
        // press goes to the control under its point instead.
        if (pendingScreen_) {
            DeliverMousePressAt(*pendingScreen_, pendingMessage_.Msg, pendingMessage_.WParam);
            return;
        }
        if (TMessageTarget *target = pendingTarget_.Get())
            DispatchMessage(target, pendingMessage_);
    }

private:
    bool ShouldContinue() const
    {
        if (exit_ || root_->IsEndingModal())
            return false;
        // The window that holds the menus going away is losing the capture.
        if (root_->Window() && !root_->WindowShowing())
            return false;
        // Another window (or program) taking the pointer ends menu mode too.
        if (grabbed_ && !HoldsPointer(*root_->Window()))
            return false;
        // A popup may take the activation where windows cannot refuse it; only
        // another form, or another program, changes the active window.
        TCustomForm *active = Screen().ActiveForm();
        return active == activeForm_ || (!active && ApplicationIsActive());
    }
    bool OnMessage(TMessageTarget *target, TMessage &message);
    void HandleKey(TMessage &message);
    void HandleChar(char32_t ch);
    bool HandleMouse(TMessageTarget *target, TMessage &message);
    void UpdateChainSelection(TPoint screen, bool byMouse);
    TBarView *PressingView() const;
    TBarView *TargetView(TPoint screen, TBarItemViewer *&viewer) const;
    void HoverUpdate();
    void UpdateApplicationHint();
    void KeepPress(TMessageTarget *target, const TMessage &message, TPoint screen)
    {
        pending_ = true;
        pendingScreen_.reset();
        if (grabbed_)
            pendingScreen_ = screen;
        pendingTarget_ = TMessageTargetRef(target);
        pendingMessage_ = message;
        exit_ = true;
    }
    TBarView *Innermost() const { return Chain(root_).back(); }

    TBarView *root_;
    TCustomForm *activeForm_ = nullptr;
    int hookId_ = 0;
    bool exit_ = false;
    bool closeOnRelease_ = false;
    bool pending_ = false;
    TMessageTargetRef pendingTarget_;
    TMessage pendingMessage_;
    std::optional<TPoint> pendingScreen_;
    bool grabbed_ = false;
    TMessageTargetRef grabWindow_;
};

void TBarModalHandler::Loop(bool startWithPress, bool noPriority, bool executeSelected)
{
    root_->doneAction_ = TBarDoneAction{};
    root_->EnsureLayout();
    if (startWithPress && root_->Selected()) {
        TBarItemViewer *v = root_->Selected();
        TPoint p = v->ScreenToViewer(CursorPos());
        closeOnRelease_ = false;
        v->MouseDown(0, p.X, p.Y, closeOnRelease_);
    }
    if (executeSelected)
        root_->ExecuteSelected(!noPriority);
    while (ShouldContinue()) {
        WaitMessage();
        if (ShouldContinue() && IsStale(gMenuLastPos)) {
            gMenuLastPos = CursorPos();
            HoverUpdate();
        }
    }
    for (TBarView *v : Chain(root_))
        v->EndMousePress();
    Application().SetHint({});
    Application().CancelHint();
}

bool TBarModalHandler::OnMessage(TMessageTarget *target, TMessage &message)
{
    if (exit_ || !ShouldContinue())
        return false;
    unsigned msg = message.Msg;
    if (msg >= WM_KEYDOWN && msg <= 0x0109) {
        Application().CancelHint();
        if (msg == WM_KEYDOWN || msg == 0x0104)
            HandleKey(message);
        message.Result = 0;
        if (ShouldContinue())
            UpdateApplicationHint();
        return true;
    }
    if (msg == WM_TIMER && message.WParam >= kPopupTimerBase && message.WParam < kPopupTimerBase + 4) {
        // A timer of one of the menus' popup windows.
        if (auto *popup = dynamic_cast<TBarPopupWindow *>(target); popup && popup->View()) {
            popup->View()->TimerElapsed(static_cast<int>(message.WParam - kPopupTimerBase));
            return true;
        }
        return false;
    }
    if (msg >= WM_MOUSEMOVE && msg <= WM_MOUSEWHEEL) {
        bool handled = HandleMouse(target, message);
        if (handled && ShouldContinue())
            UpdateApplicationHint();
        return handled;
    }
    return false;
}

void TBarModalHandler::HandleKey(TMessage &message)
{
    int key = static_cast<int>(message.WParam);
    auto shift = static_cast<TShiftState>(message.LParam);
    if ((shift & ssLeft) && key != VK_F1)
        return;
    TBarView *view = Innermost();
    if (TBarItemViewer *selected = view->Selected())
        selected->KeyDown(key, shift);
    if (key != 0)
        view->KeyDown(key, shift);
    if (root_->IsEndingModal() || key == 0)
        return;
    if (char32_t ch = CharOfKey(key, shift))
        HandleChar(ch);
}

void TBarModalHandler::HandleChar(char32_t ch)
{
    TBarView *view = Innermost();
    bool unique = false;
    if (TBarItemViewer *found = view->NextViewerByAccel(view->Selected(), ch, unique, false)) {
        view->Select(found, false);
        view->ScrollSelectedIntoView();
        if (unique)
            view->ExecuteSelected(true);
        return;
    }
    if ((ch == U' ' || ch == U'-') && root_->IsToolbar() && view == root_ && activeForm_) {
        root_->EndModalWithSystemMenu(activeForm_, static_cast<int>(ch));
        return;
    }
    MessageBeep(0);
}

TBarView *TBarModalHandler::PressingView() const
{
    for (TBarView *v : Chain(root_))
        if (v->Pressing())
            return v;
    return nullptr;
}

void TBarModalHandler::UpdateChainSelection(TPoint screen, bool byMouse)
{
    if (TBarView *pressing = PressingView()) {
        pressing->UpdateSelectionAt(&screen, byMouse);
        return;
    }
    std::vector<TBarView *> chain = Chain(root_);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        // Opening or closing a submenu may cut the chain below this view.
        std::vector<TBarView *> now = Chain(root_);
        if (std::find(now.begin(), now.end(), *it) == now.end())
            continue;
        (*it)->UpdateSelectionAt(&screen, byMouse);
    }
}

TBarView *TBarModalHandler::TargetView(TPoint screen, TBarItemViewer *&viewer) const
{
    std::vector<TBarView *> chain = Chain(root_);
    for (TBarView *v : chain)
        if (v->Pressing()) {
            viewer = v->Selected();
            return v;
        }
    for (TBarView *v : chain)
        if (v->Selected() && v->MouseOverSelected()) {
            viewer = v->Selected();
            return v;
        }
    viewer = nullptr;
    for (TBarView *v : chain)
        if (v->WindowAt(screen))
            return v;
    return nullptr;
}

void TBarModalHandler::HoverUpdate()
{
    UpdateChainSelection(gMenuLastPos, true);
    // The hint of the row under the pointer shows after the hint pause, in
    // views that show hints or for items that ask for theirs.
    TBarView *view = nullptr;
    for (TBarView *v : Chain(root_))
        if (v->Selected() && v->Window())
            view = v;
    if (view && !view->Pressing()
        && ((view->Style() & vsAlwaysShowHints) || (view->Selected()->Item()->EffectiveOptions() & broShowHint))) {
        Application().ActivateHint(view->Window(), gMenuLastPos);
    } else {
        Application().CancelHint();
    }
}

void TBarModalHandler::UpdateApplicationHint()
{
    // The long hint of the deepest selected row, for a status bar.
    TBarItemViewer *deepest = nullptr;
    for (TBarView *v : Chain(root_))
        if (v->Selected())
            deepest = v->Selected();
    Application().SetHint(deepest ? GetLongHint(deepest->Item()->Hint()) : std::string());
}

bool TBarModalHandler::HandleMouse(TMessageTarget *target, TMessage &message)
{
    unsigned msg = message.Msg;
    TPoint screen;
    if (msg == WM_MOUSEWHEEL)
        screen = TPoint{LParamX(message.LParam), LParamY(message.LParam)};
    else if (auto *control = dynamic_cast<TControl *>(target))
        screen = control->ClientToScreen(TPoint{LParamX(message.LParam), LParamY(message.LParam)});
    else
        return false;
    gMessagePos = screen;
    bool press = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK;
    if (press) {
        bool inChainPopup = false;
        for (TBarView *v : Chain(root_))
            if (v != root_ && v->WindowAt(screen))
                inChainPopup = true;
        if (!inChainPopup) {
            if (root_->IsPopup() || !root_->WindowAt(screen)) {
                KeepPress(target, message, screen);
                return true;
            }
            if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
                UpdateChainSelection(screen, true);
                TBarItemViewer *s = root_->Selected();
                if (!s || !root_->MouseOverSelected() || (s->Item()->ItemStyle() & NotClickable)) {
                    KeepPress(target, message, screen);
                    return true;
                }
            }
        }
    }
    switch (msg) {
    case WM_MOUSEMOVE: {
        if (screen != gMenuLastPos) {
            gMenuLastPos = screen;
            HoverUpdate();
        }
        TBarItemViewer *viewer = nullptr;
        TargetView(screen, viewer);
        if (viewer) {
            TPoint p = viewer->ScreenToViewer(screen);
            viewer->MouseMove(p.X, p.Y);
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        Application().CancelHint();
        closeOnRelease_ = false;
        UpdateChainSelection(screen, true);
        TBarItemViewer *viewer = nullptr;
        TargetView(screen, viewer);
        if (viewer) {
            TPoint p = viewer->ScreenToViewer(screen);
            viewer->MouseDown(msg == WM_LBUTTONDBLCLK ? ssDouble : 0, p.X, p.Y, closeOnRelease_);
        }
        gMenuLastPos = screen;
        break;
    }
    case WM_LBUTTONUP: {
        UpdateChainSelection(screen, false);
        TBarItemViewer *viewer = nullptr;
        TBarView *view = TargetView(screen, viewer);
        if (viewer) {
            TPoint p = viewer->ScreenToViewer(screen);
            viewer->MouseUp(p.X, p.Y, closeOnRelease_);
        } else if (!view || (view == root_ && root_->IsToolbar())) {
            root_->EndModal();
            exit_ = true;
        }
        break;
    }
    case WM_MOUSEWHEEL: {
        int delta = static_cast<std::int16_t>(static_cast<std::uint16_t>(message.WParam >> 16));
        TBarItemViewer *viewer = nullptr;
        TBarView *view = TargetView(screen, viewer);
        bool handled = false;
        if (viewer) {
            TPoint p = viewer->ScreenToViewer(screen);
            viewer->MouseWheel(delta, p.X, p.Y, handled);
        }
        if (!handled && view) {
            TPoint p = view->ScreenToClient(screen);
            view->MouseWheel(delta, p.X, p.Y);
        }
        break;
    }
    default:
        break; // right button and other mouse messages are dropped
    }
    if (ShouldContinue() && IsStale(gMenuLastPos)) {
        gMenuLastPos = screen;
        HoverUpdate();
    }
    return true;
}

// ---------------------------------------------------------------- entering and leaving

TBarCustomItem *RunDoneAction(const TBarDoneAction &action, bool runClickNow)
{
    switch (action.Kind) {
    case tbdaClickItem:
        if (action.ClickPlaySound && SoundEventAssigned("MenuCommand"))
            PlaySound("MenuCommand");
        if (!runClickNow && action.ClickItem)
            QueueItemClick(action.ClickItem);
        return action.ClickItem;
    case tbdaHelp:
        Services().ShowHelp("", std::to_string(action.HelpContext));
        return nullptr;
    default:
        // The system menu has no counterpart here.
        return nullptr;
    }
}

void TBarView::EnterModalLoop(unsigned options)
{
    if (state_ & vsModal)
        return;
    std::weak_ptr<TBarView *> alive = alive_;
    auto handler = std::make_unique<TBarModalHandler>(this);
    CallNotifyWinEvent(EVENT_SYSTEM_MENUSTART, window_, OBJID_CLIENT, CHILDID_SELF);
    state_ = (state_ & vsShowAccels) | vsModal;
    doneAction_ = TBarDoneAction{};
    if (selected_)
        NotifyFocus();
    auto cleanUp = [&] {
        state_ &= ~vsModal;
        StopAllTimers();
        CloseChildPopup();
        TPoint cursor = CursorPos();
        UpdateSelectionAt(&cursor, true);
        handler->Release();
        CallNotifyWinEvent(EVENT_SYSTEM_MENUEND, window_, OBJID_CLIENT, CHILDID_SELF);
    };
    try {
        handler->Loop(options & 1, options & 4, options & 2);
    } catch (...) {
        if (alive.lock() && *alive.lock())
            cleanUp();
        throw;
    }
    if (!alive.lock() || !*alive.lock())
        return;
    cleanUp();
    SetAccelsVisible(false);
    Select(nullptr, false);
    TBarDoneAction done = doneAction_;
    doneAction_ = TBarDoneAction{};
    RunDoneAction(done, false);
    // A press that ended menu mode reaches its target now that the menus are gone.
    handler->DeliverPendingPress();
}

void TBarView::EndModal()
{
    TBarView *root = GetRootView();
    if (root->doneAction_.Kind == tbdaNone)
        root->doneAction_.Kind = tbdaCancel;
}

void TBarView::EndModalWithClick(TBarItemViewer *viewer)
{
    TBarDoneAction &d = GetRootView()->doneAction_;
    d = TBarDoneAction{};
    d.Kind = tbdaClickItem;
    d.ClickItem = viewer->Item();
    d.ClickPlaySound = viewer->View()->IsPopup();
}

void TBarView::EndModalWithSystemMenu(TMessageTarget *window, int key)
{
    TBarDoneAction &d = GetRootView()->doneAction_;
    d = TBarDoneAction{};
    d.Kind = tbdaOpenSystemMenu;
    d.Window = window;
    d.Key = key;
}

void TBarView::EndModalWithHelp(int helpContext)
{
    TBarDoneAction &d = GetRootView()->doneAction_;
    d = TBarDoneAction{};
    d.Kind = tbdaHelp;
    d.HelpContext = helpContext;
}

bool TBarView::IsEndingModal() { return GetRootView()->doneAction_.Kind != tbdaNone; }

void TBarView::CancelModal()
{
    EndModal();
    std::vector<TBarView *> chain = Chain(GetRootView());
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        (*it)->StopAllTimers();
        if (auto *popup = dynamic_cast<TBarPopupView *>(*it))
            popup->PopupWindow()->HidePopup();
    }
}

void TBarView::ExecuteSelected(bool givePriority)
{
    if (selected_ && selected_->Item()->Enabled()) {
        TBarCustomItem *item = selected_->Item();
        if (!(item->ItemStyle() & SubmenuOnArrowOnly) && SubmenuTimerElapsed(true))
            return;
        if (item->ItemStyle() & Selectable) {
            selected_->Execute(givePriority);
            return;
        }
    }
    EndModal();
}

void TBarView::SelectNextViewer(bool forward)
{
    Select(NextSelectable(selected_, forward), false);
    ScrollSelectedIntoView();
}

void TBarView::KeyDown(int &key, TShiftState shift)
{
    TBarView *t = GetToolbarView();
    bool tVertical = t && t->Orientation() == tbvoVertical;
    switch (key) {
    case VK_TAB:
        SelectNextViewer(!(shift & ssShift));
        break;
    case VK_RETURN:
        ExecuteSelected(true);
        break;
    case VK_ESCAPE:
        if (parentView_)
            parentView_->CancelChildPopup();
        else
            EndModal();
        break;
    case VK_MENU:
    case 0x79: // F10
        EndModal();
        break;
    case VK_HOME:
    case VK_END: {
        TBarItemViewer *v = key == VK_HOME ? NextSelectable(nullptr, true) : NextSelectable(nullptr, false);
        Select(v, false);
        ScrollSelectedIntoView();
        break;
    }
    case VK_LEFT:
    case VK_RIGHT:
        if (t == this && tVertical) {
            SubmenuTimerElapsed(true);
            break;
        }
        if (key == VK_LEFT) {
            if (!t || tVertical) {
                if (parentView_)
                    parentView_->CancelChildPopup();
            } else if (t == this)
                SelectNextViewer(false);
            else if (t == parentView_)
                t->SelectNextViewer(false);
            else if (parentView_)
                parentView_->CancelChildPopup();
        } else if ((t == this || !SubmenuTimerElapsed(true)) && t && !tVertical)
            t->SelectNextViewer(true);
        break;
    case VK_UP:
    case VK_DOWN:
        if (t != this || tVertical)
            SelectNextViewer(key == VK_DOWN);
        else
            SubmenuTimerElapsed(true);
        break;
    case VK_F1: {
        for (TBarView *v = this; v; v = v->parentView_)
            if (v->selected_ && v->selected_->Item()->HelpContext() != 0) {
                EndModalWithHelp(v->selected_->Item()->HelpContext());
                break;
            }
        break;
    }
    default:
        return;
    }
    key = 0;
}
