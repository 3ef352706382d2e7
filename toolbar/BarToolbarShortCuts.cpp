// Shortcut processing: keys of the whole form offered to the toolbars that
// process their items' shortcuts, before the key reaches its control.
#include "toolbar/BarToolbar.h"

#include "platform/kernel/Application.h"
#include "platform/kernel/Forms.h"

#include <algorithm>
#include <vector>

namespace {

struct TShortCutRegistry {
    std::vector<TBarCustomToolbar *> toolbars;
    int hook = 0;
};

TShortCutRegistry &Registry()
{
    static TShortCutRegistry registry;
    return registry;
}

TWinControl *TopLevelOf(TControl *control)
{
    TWinControl *top = dynamic_cast<TWinControl *>(control);
    if (!top)
        top = control->Parent();
    while (top && top->Parent())
        top = top->Parent();
    // A key typed in a floating frame belongs to the frame's form.
    if (auto *frame = dynamic_cast<TBarFloatingWindowParent *>(top))
        return frame->OwnerForm();
    return top;
}

bool ApplicationShortCutHook(TMessageTarget *target, TMessage &message)
{
    if (message.Msg == CM_APPSYSCOMMAND) {
        auto *form = dynamic_cast<TWinControl *>(target);
        if (!form || !form->Enabled() || !form->Visible())
            return false;
        TMessage command{WM_SYSCOMMAND, message.WParam, message.LParam, 0};
        if (DispatchSysCommand(form, command))
            message.Result = 1;
        return message.Result != 0;
    }
    if (message.Msg != WM_KEYDOWN)
        return false;
    auto *control = dynamic_cast<TControl *>(target);
    if (!control)
        return false;
    int key = static_cast<int>(message.WParam);
    auto shift = static_cast<TShiftState>(message.LParam);
    TWinControl *form = TopLevelOf(control);
    bool handled = form && DispatchShortCutForForm(form, key, shift);
    TWinControl *mainForm = Application().MainForm();
    if (!handled && mainForm && mainForm != form)
        handled = DispatchShortCutForForm(mainForm, key, shift);
    if (handled)
        message.Result = 1;
    return handled;
}

void RegisterShortCuts(TBarCustomToolbar *toolbar)
{
    TShortCutRegistry &r = Registry();
    if (std::find(r.toolbars.begin(), r.toolbars.end(), toolbar) != r.toolbars.end())
        return;
    if (r.toolbars.empty())
        r.hook = AddMessageHook(ApplicationShortCutHook);
    r.toolbars.push_back(toolbar);
}

void UnregisterShortCuts(TBarCustomToolbar *toolbar)
{
    TShortCutRegistry &r = Registry();
    auto it = std::find(r.toolbars.begin(), r.toolbars.end(), toolbar);
    if (it == r.toolbars.end())
        return;
    r.toolbars.erase(it);
    if (r.toolbars.empty())
        RemoveMessageHook(r.hook);
}

} // namespace

bool DispatchShortCutForForm(TWinControl *form, int key, TShiftState shift)
{
    // A copy: a command may free toolbars.
    std::vector<TBarCustomToolbar *> toolbars = Registry().toolbars;
    for (TBarCustomToolbar *toolbar : toolbars) {
        auto &live = Registry().toolbars;
        if (std::find(live.begin(), live.end(), toolbar) == live.end())
            continue;
        if (!toolbar->ProcessShortCuts() || toolbar->ParentForm() != form || !form->Enabled())
            continue;
        if (toolbar->ProcessToolbarShortCut(key, shift))
            return true;
    }
    return false;
}

bool DispatchSysCommand(TWinControl *container, TMessage &message)
{
    for (int i = 0; i < container->ControlCount(); ++i) {
        TControl *c = container->Controls(i);
        if (!c->Visible() || !c->Enabled())
            continue;
        auto *toolbar = dynamic_cast<TBarCustomToolbar *>(c);
        if (dynamic_cast<TBarDock *>(c) || (toolbar && toolbar->MenuBar())) {
            message.Result = 0;
            DispatchMessage(c, message);
            if (message.Result != 0)
                return true;
        }
    }
    for (int i = 0; i < container->ControlCount(); ++i)
        if (auto *child = dynamic_cast<TWinControl *>(container->Controls(i)); child && child->Showing())
            if (DispatchSysCommand(child, message))
                return true;
    return false;
}

void TBarCustomToolbar::SetProcessShortCuts(bool process)
{
    processShortCuts_ = process;
    if (process || menuBar_)
        RegisterShortCuts(this);
    else
        UnregisterShortCuts(this);
}

bool TBarCustomToolbar::ProcessToolbarShortCut(int key, TShiftState shift)
{
    bool handled = false;
    if (OnShortCut)
        OnShortCut(this, key, shift, handled);
    return handled || ProcessItemShortCut(items_, key, shift);
}
