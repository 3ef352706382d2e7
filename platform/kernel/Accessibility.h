#pragma once
// Accessibility: objects that describe to assistive technology (screen
// readers, through AT-SPI on Linux) the parts of a window that the window
// paints itself. A window hands out the object of its client area when it
// gets WM_GETOBJECT with OBJID_CLIENT (answering with LresultFromObject); the
// toolkit side then asks the object for names, roles, states, children and
// actions through TAccessibleObject. Nothing here needs the toolkit.
//
// Child ids are indices: 0 is the object itself, 1..count its children.
#include "platform/graphics/Graphics.h"
#include "platform/core/Messages.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TWinControl;
class TAccessibleObject;

// Result codes of the accessibility calls.
using HRESULT = std::int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);

enum : unsigned { WM_GETOBJECT = 0x003D };
constexpr LPARAM OBJID_WINDOW = 0;
constexpr LPARAM OBJID_CLIENT = -4;
constexpr int CHILDID_SELF = 0;

// Events raised for a window's client object or one of its children.
enum : unsigned {
    EVENT_SYSTEM_MENUSTART = 0x0004,
    EVENT_SYSTEM_MENUEND = 0x0005,
    EVENT_SYSTEM_MENUPOPUPSTART = 0x0006,
    EVENT_SYSTEM_MENUPOPUPEND = 0x0007,
    EVENT_OBJECT_FOCUS = 0x8005,
    EVENT_OBJECT_SELECTION = 0x8006,
    EVENT_OBJECT_SELECTIONREMOVE = 0x8008,
    EVENT_OBJECT_STATECHANGE = 0x800A,
};

// Roles are numbers; those used here.
enum : int {
    ROLE_SYSTEM_MENUBAR = 2,
    ROLE_SYSTEM_WINDOW = 9,
    ROLE_SYSTEM_CLIENT = 10,
    ROLE_SYSTEM_MENUPOPUP = 11,
    ROLE_SYSTEM_MENUITEM = 12,
    ROLE_SYSTEM_PANE = 16,
    ROLE_SYSTEM_DIALOG = 18,
    ROLE_SYSTEM_GROUPING = 20,
    ROLE_SYSTEM_SEPARATOR = 21,
    ROLE_SYSTEM_TOOLBAR = 22,
    ROLE_SYSTEM_TABLE = 24,
    ROLE_SYSTEM_PAGETAB = 37,
    ROLE_SYSTEM_TEXT = 42,
    ROLE_SYSTEM_PUSHBUTTON = 43,
    ROLE_SYSTEM_RADIOBUTTON = 45,
    ROLE_SYSTEM_BUTTONMENU = 57,
    ROLE_SYSTEM_PAGETABLIST = 60,
};

// State bits.
enum : unsigned {
    STATE_SYSTEM_UNAVAILABLE = 0x00000001,
    STATE_SYSTEM_SELECTED = 0x00000002,
    STATE_SYSTEM_FOCUSED = 0x00000004,
    STATE_SYSTEM_PRESSED = 0x00000008,
    STATE_SYSTEM_CHECKED = 0x00000010,
    STATE_SYSTEM_HOTTRACKED = 0x00000080,
    STATE_SYSTEM_INVISIBLE = 0x00008000,
    STATE_SYSTEM_FOCUSABLE = 0x00100000,
    STATE_SYSTEM_SELECTABLE = 0x00200000,
    STATE_SYSTEM_HASPOPUP = 0x40000000,
};

// accSelect flags.
enum : unsigned { SELFLAG_TAKEFOCUS = 0x1 };

// What a call answers when it names an object: nothing, a child id of the
// asked object, another object, or the standard object of a window.
struct TAccVariant {
    enum TKind : std::uint8_t { vtEmpty, vtChild, vtObject, vtWindow };
    TKind Kind = vtEmpty;
    int ChildId = 0;
    std::shared_ptr<TAccessibleObject> Object;
    TWinControl *Window = nullptr;

    static TAccVariant Child(int id)
    {
        TAccVariant v;
        v.Kind = vtChild;
        v.ChildId = id;
        return v;
    }
    static TAccVariant Of(std::shared_ptr<TAccessibleObject> object)
    {
        TAccVariant v;
        v.Kind = object ? vtObject : vtEmpty;
        v.Object = std::move(object);
        return v;
    }
    static TAccVariant WindowObject(TWinControl *window)
    {
        TAccVariant v;
        v.Kind = window ? vtWindow : vtEmpty;
        v.Window = window;
        return v;
    }
};

// The questions assistive technology asks. Calls are made on the GUI thread;
// the last reference may be dropped on any thread.
class TAccessibleObject {
public:
    TAccessibleObject() = default;
    TAccessibleObject(const TAccessibleObject &) = delete;
    TAccessibleObject &operator=(const TAccessibleObject &) = delete;
    virtual ~TAccessibleObject() = default;

    virtual HRESULT get_accParent(TAccVariant &parent) = 0;
    virtual HRESULT get_accChildCount(int &count) = 0;
    virtual HRESULT get_accChild(int childId, TAccVariant &child) = 0;
    virtual HRESULT get_accName(int childId, std::string &name) = 0;
    virtual HRESULT get_accValue(int childId, std::string &value) = 0;
    virtual HRESULT get_accDescription(int childId, std::string &description) = 0;
    virtual HRESULT get_accHelp(int childId, std::string &help) = 0;
    virtual HRESULT get_accRole(int childId, int &role) = 0;
    virtual HRESULT get_accState(int childId, unsigned &state) = 0;
    virtual HRESULT get_accKeyboardShortcut(int childId, std::string &shortcut) = 0;
    virtual HRESULT get_accFocus(TAccVariant &focus) = 0;
    virtual HRESULT get_accDefaultAction(int childId, std::string &action) = 0;
    virtual HRESULT accSelect(unsigned flags, int childId) = 0;
    // The object's rectangle in screen coordinates.
    virtual HRESULT accLocation(TRect &screen, int childId) = 0;
    virtual HRESULT accHitTest(int screenX, int screenY, TAccVariant &hit) = 0;
    virtual HRESULT accDoDefaultAction(int childId) = 0;

    // The window whose client area the object stands for; nullptr for a part of a window.
    virtual TWinControl *ClientWindow() const { return nullptr; }
};

// Whether objects can be handed out at all: false stands for a system
// without accessibility support (nothing is then made, and WM_GETOBJECT is
// left to the window's own handling). Tests switch it.
bool AccessibilitySupported();
void SetAccessibilitySupported(bool supported);

// The answer to WM_GETOBJECT that hands `object` to the toolkit (0 for none).
LRESULT LresultFromObject(std::shared_ptr<TAccessibleObject> object);
// Raises an accessibility event for a window's object (OBJID_CLIENT) or one
// of its children (childId 1..count); nothing when the window has no handle.
void NotifyWinEvent(unsigned event, TWinControl *window, LPARAM objectId, int childId);
// Tells that the state bits `changed` (checked, selected...) of a window's
// object or of one of its children (childId 1..count) changed; the reader
// asks for the state as it is now.
void NotifyStateChange(TWinControl *window, int childId, unsigned changed);
// Runs `action` on the control once the current event has been handled (an
// action asked for by assistive technology, once the call has returned; an
// event that must follow the toolkit's own), if the control still exists
// and is enabled then.
void RunOnControlLater(const TWinControl &control, std::function<void(TWinControl &)> action);
// Cuts the toolkit's links to the object: the toolkit's stand-ins for it are
// deleted (now, or once the current event has been handled when `later`).
void DisconnectAccessibleObject(const TAccessibleObject *object, bool later = false);
// Registers a procedure that runs once when the toolkit's application shuts
// down, while the toolkit still works.
void RegisterAccessibilityShutdown(void (*procedure)());
// Makes the toolkit ask windows for their objects (once the application
// exists; every window's creation calls it).
void InstallAccessibilityFactory();
// Windows that hand out no object of their own are described by the toolkit
// from what the control tells (TWinControl::AccessibleName, AccessibleRole,
// AccessiblePart...): a window the program paints itself through an
// interface that asks the control at each question, a toolkit control (an
// edit, a list) through the toolkit's own, given the control's name.
// Gives a toolkit control the control's name again (nothing before the
// toolkit has asked for the window).
void RefreshAccessibleName(TWinControl &control);
// Whether a window of the program holds the mouse capture.
bool MouseCaptured();
// Whether the window is the active window or lies inside it.
bool InActiveWindow(const TWinControl *window);
