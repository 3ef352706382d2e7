#pragma once
// Accessibility objects of views and item viewers: a view's window hands out
// its view's object (a tool bar, menu bar or menu popup), whose children are
// the view's accessible viewers (buttons and menu items). They answer from the
// live view and viewer; once those are gone every call answers E_FAIL.
#include "platform/kernel/Accessibility.h"
#include "toolbar/BarItem.h"

#include <memory>

// The base of the framework's objects.
class TBarBaseAccObject : public TAccessibleObject {
public:
    // The view or viewer is going away: the object forgets it.
    virtual void ClientIsDestroying() = 0;
};

// An object on the process-wide list of live objects (newest first).
class TBarCustomAccObject : public TBarBaseAccObject, public std::enable_shared_from_this<TBarCustomAccObject> {
public:
    TBarCustomAccObject();
    ~TBarCustomAccObject() override;

private:
    friend void DisconnectAccObjects();
    TBarCustomAccObject *prev_ = nullptr;
    TBarCustomAccObject *next_ = nullptr;
};

class TBarViewAccObject : public TBarCustomAccObject {
public:
    explicit TBarViewAccObject(TBarView *view);
    ~TBarViewAccObject() override;
    void ClientIsDestroying() override;
    TBarView *View() const { return view_; }

    HRESULT get_accParent(TAccVariant &parent) override;
    HRESULT get_accChildCount(int &count) override;
    HRESULT get_accChild(int childId, TAccVariant &child) override;
    HRESULT get_accName(int childId, std::string &name) override;
    HRESULT get_accValue(int childId, std::string &value) override;
    HRESULT get_accDescription(int childId, std::string &description) override;
    HRESULT get_accHelp(int childId, std::string &help) override;
    HRESULT get_accRole(int childId, int &role) override;
    HRESULT get_accState(int childId, unsigned &state) override;
    HRESULT get_accKeyboardShortcut(int childId, std::string &shortcut) override;
    HRESULT get_accFocus(TAccVariant &focus) override;
    HRESULT get_accDefaultAction(int childId, std::string &action) override;
    HRESULT accSelect(unsigned flags, int childId) override;
    HRESULT accLocation(TRect &screen, int childId) override;
    HRESULT accHitTest(int screenX, int screenY, TAccVariant &hit) override;
    HRESULT accDoDefaultAction(int childId) override;
    TWinControl *ClientWindow() const override;

private:
    TBarView *view_;
};

class TBarItemViewerAccObject : public TBarCustomAccObject {
public:
    explicit TBarItemViewerAccObject(TBarItemViewer *viewer);
    ~TBarItemViewerAccObject() override;
    void ClientIsDestroying() override;
    TBarItemViewer *Viewer() const { return viewer_; }

    HRESULT get_accParent(TAccVariant &parent) override;
    HRESULT get_accChildCount(int &count) override;
    HRESULT get_accChild(int childId, TAccVariant &child) override;
    HRESULT get_accName(int childId, std::string &name) override;
    HRESULT get_accValue(int childId, std::string &value) override;
    HRESULT get_accDescription(int childId, std::string &description) override;
    HRESULT get_accHelp(int childId, std::string &help) override;
    HRESULT get_accRole(int childId, int &role) override;
    HRESULT get_accState(int childId, unsigned &state) override;
    HRESULT get_accKeyboardShortcut(int childId, std::string &shortcut) override;
    HRESULT get_accFocus(TAccVariant &focus) override;
    HRESULT get_accDefaultAction(int childId, std::string &action) override;
    HRESULT accSelect(unsigned flags, int childId) override;
    HRESULT accLocation(TRect &screen, int childId) override;
    HRESULT accHitTest(int screenX, int screenY, TAccVariant &hit) override;
    HRESULT accDoDefaultAction(int childId) override;

private:
    bool Available() const;
    TBarItemViewer *viewer_;
};

// Whether objects can be made.
bool InitAccessibility();
// Raises an accessibility event for a window's object or one of its children.
void CallNotifyWinEvent(unsigned event, TWinControl *window, LPARAM objectId, int childId);
// Cuts every live object off from the toolkit (shutdown).
void DisconnectAccObjects();
// The numbers of live view and viewer objects.
int LiveViewAccObjects();
int LiveViewerAccObjects();
