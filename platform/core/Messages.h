#pragma once
// Window messages between the program's objects: a message is sent (the
// target's WndProc runs at once) or posted (queued on the event loop and
// delivered later). A target freed before a posted message arrives simply
// does not get it, so posting never touches a freed object.
//
// Every input a window gets (mouse, keys, focus) travels as a TMessage through
// DispatchMessage to the target's WndProc, so hooks see every message in one
// place.
#include <cstdint>
#include <functional>
#include <memory>

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

struct TMessage {
    unsigned Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

class TMessageTarget;

// Message numbers, with their Windows values.
enum : unsigned {
    WM_NULL = 0x0000,
    // A window is going away (dispatched while it still exists).
    WM_DESTROY = 0x0002,
    WM_SIZE = 0x0005,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_SETREDRAW = 0x000B,
    WM_PAINT = 0x000F,
    // Erase a window's background: LParam the canvas (TCanvas *) in the
    // window's coordinates; Result 1 when it was erased.
    WM_ERASEBKGND = 0x0014,
    // A window paints itself into another canvas: WParam is the TCanvas *,
    // LParam PRF_* flags saying which parts.
    WM_PRINT = 0x0317,
    WM_PRINTCLIENT = 0x0318,
    WM_CLOSE = 0x0010,
    // The pointer moves over the control (LParam: the point in its client
    // coordinates): a control that shows a cursor of its own there sets
    // Result to 1 and WParam to the cursor (TCursor).
    WM_SETCURSOR = 0x0020,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_SYSCOMMAND = 0x0112,
    WM_TIMER = 0x0113,
    WM_HSCROLL = 0x0114,
    WM_VSCROLL = 0x0115,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    WM_USER = 0x0400,
    // The class library's own notifications.
    // Enter or Esc that the focused control left alone, offered to the form's
    // buttons (WParam = the key); a taker sets Result to 1.
    CM_DIALOGKEY = 0xB005,
    // Alt and a letter or digit, offered to every control of the form
    // (WParam = the key, 'A'..'Z' or '0'..'9'); a control whose caption has
    // that accelerator takes it and sets Result to 1.
    CM_DIALOGCHAR = 0xB006,
    // A key with Ctrl that the focused control left alone, offered to each of
    // its parents in turn, nearest first (WParam = the key, LParam = the
    // shift state); a container that takes it (a page control turning its
    // page) sets Result to 1.
    CM_CHILDKEY = 0xB01A,
    CM_MOUSEENTER = 0xB013,
    // A system command (WParam = SC_KEYMENU for Alt, LParam = the character
    // typed with Alt, 0 for Alt alone) offered by the form it was typed in to
    // the application's hooks before the system sees it; a taker sets Result to 1.
    CM_APPSYSCOMMAND = 0xB017,
    // A hint is about to show for the control: LParam is a THintInfo the
    // control may change (text, the rectangle the hint holds in); a Result
    // other than 0 shows none.
    CM_HINTSHOW = 0xB030,
    // The control's ShowHint changed.
    CM_SHOWHINTCHANGED = 0xB031,
    CM_MOUSELEAVE = 0xB014,
    // Posted by a form to itself to be freed (TCustomForm::Release).
    CM_RELEASE = 0xB021,
};

// System commands of WM_SYSCOMMAND.
enum : unsigned { SC_KEYMENU = 0xF100 };

// Key and button state flags of the mouse messages' WParam.
enum : unsigned { MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08, MK_MBUTTON = 0x10 };

// Mouse positions travel packed as in Windows: x in the low word, y in the high
// word, both signed 16-bit.
inline LPARAM MakeLParam(int x, int y)
{
    return static_cast<LPARAM>(static_cast<std::uint16_t>(static_cast<std::int16_t>(x)))
        | static_cast<LPARAM>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(static_cast<std::int16_t>(y))) << 16);
}
inline int LParamX(LPARAM l) { return static_cast<std::int16_t>(l & 0xFFFF); }
inline int LParamY(LPARAM l) { return static_cast<std::int16_t>((l >> 16) & 0xFFFF); }

// A reference that becomes empty when its target is freed.
class TMessageTargetRef {
public:
    TMessageTargetRef() = default;
    TMessageTargetRef(TMessageTarget *target);
    // The target, or nullptr once it is gone.
    TMessageTarget *Get() const;
    explicit operator bool() const { return Get() != nullptr; }

private:
    std::weak_ptr<TMessageTarget *> target_;
};

class TMessageTarget {
public:
    TMessageTarget();
    virtual ~TMessageTarget();
    TMessageTarget(const TMessageTarget &) = delete;
    TMessageTarget &operator=(const TMessageTarget &) = delete;

    virtual void WndProc(TMessage &message) = 0;

private:
    friend class TMessageTargetRef;
    // Made when the first reference is taken: most of thousands of controls
    // are never referred to this way.
    std::shared_ptr<TMessageTarget *> self_;
};

// Calls the target's WndProc now; returns the message's result (0 without a target).
std::intptr_t SendMessage(TMessageTarget *target, unsigned msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
// Queues the message for the target; false when there is no target or no event loop.
bool PostMessage(TMessageTarget *target, unsigned msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
// Delivers the messages and events waiting in the queue.
void ProcessMessages();
// Lets the windows paint (and posted work run) without taking any input from
// the person: for progress shown during a long piece of work.
void ProcessPaintMessages();
// Waits until at least one message or input arrives, delivering it.
void WaitMessage();

// A repeating timer of a target: every `ms` milliseconds WM_TIMER (WParam =
// the id) goes to the target through the dispatcher, until KillTimer or the
// target's end. Setting an id again restarts it. False without an event loop.
bool SetTimer(TMessageTarget *target, unsigned id, int ms);
void KillTimer(const TMessageTarget *target, unsigned id);

// A hook sees every sent, posted and input message before its target does;
// returning true consumes it.
using TMessageHook = std::function<bool(TMessageTarget *target, TMessage &message)>;
// Adds a hook; returns an id for RemoveMessageHook.
int AddMessageHook(TMessageHook hook);
void RemoveMessageHook(int id);
// A hook for the length of a scope (a modal loop's).
class TScopedMessageHook {
public:
    explicit TScopedMessageHook(TMessageHook hook) : id_(AddMessageHook(std::move(hook))) {}
    ~TScopedMessageHook() { RemoveMessageHook(id_); }
    TScopedMessageHook(const TScopedMessageHook &) = delete;
    TScopedMessageHook &operator=(const TScopedMessageHook &) = delete;

private:
    int id_;
};
// Presses, releases and double clicks of the right and middle buttons, which
// the toolbars' drag and size loops swallow.
inline bool IsRightOrMiddleButtonMessage(unsigned msg)
{
    return msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDOWN ||
           msg == WM_MBUTTONUP || msg == WM_MBUTTONDBLCLK;
}
// Sends the message through the hooks to the target's WndProc.
void DispatchMessage(TMessageTarget *target, TMessage &message);
