#pragma once
// Controls: the visual object model.
//
// A TControl is a plain object holding its state (bounds, alignment, caption,
// colour, font, hint, cursor, popup menu); it needs no window to exist, so a
// model built of controls can be made and tested without a screen.
//  - TGraphicControl has no window: its parent paints it, in z-order, into the
//    parent's window and hit-tests it for the mouse. Thousands are cheap.
//  - TWinControl owns a toolkit window, made lazily when it is first needed
//    (HandleNeeded); until then it is only state.
//  - TCustomControl is a TWinControl that paints itself (Paint on Canvas()).
// Input reaches controls as WM_* messages through the one dispatcher of
// Messages.h and ends in MouseDown/MouseMove/MouseUp/KeyDown and the On* events.
#include "platform/core/Component.h"
#include "platform/graphics/Graphics.h"
#include "platform/core/Messages.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class TControl;
class TWinControl;

// What CM_HINTSHOW hands a control before its hint shows.
struct THintInfo {
    TControl *HintControl = nullptr;
    TPoint CursorPos; // in the control's client coordinates
    TRect CursorRect; // the hint stays while the pointer is inside (client coordinates)
    std::string HintStr; // the short hint, which the control may change
};
// The part of a hint before "|" (shown in the hint window) and after it
// (shown in a status bar; the whole hint when there is no "|").
std::string GetShortHint(const std::string &hint);
std::string GetLongHint(const std::string &hint);
// A caption as it reads: "&&" is "&", a single "&" (the accelerator's mark) goes.
std::string StripAccelerators(const std::string &caption);

// A part a window paints itself that a screen reader takes as an object of
// its own (a radio group's item, a page control's tab). Role numbers and
// state bits are those of Accessibility.h; the bounds are in the window's
// client coordinates.
struct TAccessiblePart {
    int Role = 0;
    std::string Name;
    unsigned State = 0;
    TRect Bounds;
};
class TChildIndex;
class TPopupMenu;
class TCanvas;
class TFont;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
// The input method in a window: disabled, off, on, or as the window system
// likes. The toolkit's input methods cannot be closed for one window and
// opened there again by the person, so off keeps the input method out of the
// window as disabled does.
enum TImeMode : unsigned char { imDisable, imClose, imOpen, imDontCare };

using TShiftState = unsigned;
constexpr TShiftState ssShift = 0x01, ssAlt = 0x02, ssCtrl = 0x04, ssLeft = 0x08, ssRight = 0x10,
                      ssMiddle = 0x20, ssDouble = 0x40;

// Screen cursors: the class library's stock numbers below zero, the program's
// own drawings (TScreen::SetCursorImage) at positive numbers.
using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11,
                  crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15, crHandPoint = -21, crSizeAll = -22;

// Virtual key codes (the Windows values) that key events carry.
enum : int {
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12,
    VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
    VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
    VK_APPS = 0x5D, VK_F1 = 0x70, VK_F10 = 0x79,
};

using TMouseEvent = std::function<void(TObject *sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject *sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject *sender, int &key, TShiftState shift)>;
using TDragOverEvent = std::function<void(TObject *sender, TObject *source, int x, int y, TDragState state, bool &accept)>;
using TDragDropEvent = std::function<void(TObject *sender, TObject *source, int x, int y)>;
using TMouseWheelUpDownEvent = std::function<void(TObject *sender, TShiftState shift, TPoint mousePos, bool &handled)>;

struct TSizeConstraints {
    int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0; // 0 = no limit
};

class TControl : public TComponent, public TMessageTarget {
public:
    explicit TControl(TComponent *owner);
    ~TControl() override;

    TWinControl *Parent() const { return parent_; }
    virtual void SetParent(TWinControl *parent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    // Sets all four at once; the size is kept within Constraints.
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return TRect{left_, top_, left_ + width_, top_ + height_}; }
    virtual int ClientWidth() const { return width_; }
    virtual int ClientHeight() const { return height_; }
    TRect ClientRect() const { return TRect{0, 0, ClientWidth(), ClientHeight()}; }
    TSizeConstraints &Constraints() { return constraints_; }
    void SetConstraints(const TSizeConstraints &c);

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent up to a form visible too.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    // The caption of labels, panels and forms; the text of edits and memos.
    virtual std::string Text() const { return caption_; }
    virtual void SetText(const std::string &text);
    std::string Caption() const { return Text(); }
    void SetCaption(const std::string &caption) { SetText(caption); }

    TColor Color() const { return color_; }
    virtual void SetColor(TColor color);
    TFont &Font() { return font_; }
    const TFont &Font() const { return font_; }
    // Tells the control that its font changed (called by the font's change hook).
    virtual void FontChanged();
    // The hint: set as a text, or made when it is first asked for after
    // HintChanged (a control of thousands need not keep a text nobody reads).
    const std::string &Hint() const
    {
        if (hintPending_) {
            hint_ = MakeHint();
            hintPending_ = false;
        }
        return hint_;
    }
    void SetHint(const std::string &hint)
    {
        hint_ = hint;
        hintPending_ = false;
    }
    // What the hint depends on changed: MakeHint makes it again when it is asked for.
    void HintChanged()
    {
        std::string().swap(hint_);
        hintPending_ = true;
    }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    TPopupMenu *PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu *menu);

    // Repaints the control's area soon (Invalidate) or at once (Repaint).
    virtual void Invalidate();
    void Repaint();
    // Puts the control in front of (or behind) its siblings of the same kind.
    virtual void BringToFront();
    virtual void SendToBack();
    // The order among siblings: higher is in front.
    std::uint64_t ZOrder() const { return zOrder_; }

    // Coordinates of a point of this control relative to its parent chain's top window.
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    // Drag and drop: starts dragging this control (at once, or after the mouse moves a few pixels).
    void BeginDrag(bool immediate, int threshold = 5);
    bool Dragging() const;
    void EndDrag(bool drop);

    // The message handler. Mouse messages become MouseDown/MouseMove/MouseUp.
    void WndProc(TMessage &message) override;
    // Whether a press that quickly follows a click reaches this control as a
    // double click (DblClick, ssDouble, and no click on its release). A
    // control without a use for double clicks (a push button) takes such a
    // press as a plain one, so that every quick click counts.
    bool DoubleClicks() const { return doubleClicks_; }

    // Every control has a serial number that stays unique for the process; a
    // posted message finds its target by it (and finds nothing after a free).
    std::uint64_t Serial() const { return serial_; }
    static TControl *FindBySerial(std::uint64_t serial);

    // Used by the dispatcher and by parents; not for the program's code.
    int indexInParent_ = -1;
    // Paints a windowless control onto the canvas the parent gives (origin at the control's corner).
    virtual void PaintControl(TCanvas &canvas);

protected:
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void Click();
    virtual void DblClick();
    // Told after the bounds changed.
    virtual void BoundsChanged();
    virtual void VisibleChanged();
    // The hint's text when it is made on demand (see HintChanged).
    virtual std::string MakeHint() const { return {}; }

public:
    // The text a label shows for the field beside it, which names that field
    // for a screen reader; empty for every control but labels.
    virtual std::string LabelText() const { return {}; }

protected:
    void Notification(TComponent *component, TOperation operation) override;
    // Asks the parent to lay out its aligned children again.
    void RequestAlign();
    void SetDoubleClicks(bool v) { doubleClicks_ = v; }

public:
    // Asks OnDragOver whether a drop of `source` is accepted here.
    bool AcceptsDrop(TObject *source, int x, int y, TDragState state);

protected:

    TWinControl *parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;

private:
    friend class TWinControl;
    friend class TChildIndex;
    void HandleMouseMessage(TMessage &message);

    std::uint64_t serial_;
    std::uint64_t zOrder_ = 0;
    bool windowed_ = false;
    // Where the parent's child index files this control: the band, and the
    // place in that band's list (-1: not filed).
    int indexBand_ = 0;
    int indexSlot_ = -1;
    TAlign align_ = alNone;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clBtnFace;
    TFont font_;  // kept in the control: a redraw reads it beside the bounds
    TSizeConstraints constraints_;
    bool showHint_ = false;
    mutable bool hintPending_ = false;
    // A left press started on this control; only its release is a click (the
    // release that ends a double click is not).
    bool clicked_ = false;
    bool doubleClicks_ = true;
    TCursor cursor_ = crDefault;
    TPopupMenu *popupMenu_ = nullptr;
    mutable std::string hint_;

protected:
    std::string caption_;

public:
    // The events come after the state, so that the fields a redraw of
    // thousands of controls reads lie together.
    TEventSlot<TNotifyEvent> OnClick;
    TEventSlot<TNotifyEvent> OnDblClick;
    TEventSlot<TMouseEvent> OnMouseDown;
    TEventSlot<TMouseMoveEvent> OnMouseMove;
    TEventSlot<TMouseEvent> OnMouseUp;
    TEventSlot<TDragOverEvent> OnDragOver;
    TEventSlot<TDragDropEvent> OnDragDrop;
    TEventSlot<TNotifyEvent> OnResize;
};

// A control without a window of its own; its parent paints it.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent *owner) : TControl(owner) {}
    // The canvas to paint on; valid only inside Paint.
    TCanvas &Canvas() { return *canvas_; }
    void PaintControl(TCanvas &canvas) override;

protected:
    virtual void Paint() {}

private:
    TCanvas *canvas_ = nullptr;
};

// The toolkit window of a windowed control; defined inside the platform.
class TWidgetLink;

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent *owner);
    ~TWinControl() override;

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    // The children in the order they were added (not the z-order).
    TControl *Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }
    void InsertControl(TControl *control);
    void RemoveControl(TControl *control);
    // The topmost visible windowless child under the point (client coordinates), or nullptr.
    TControl *ControlAtPos(TPoint p) const;

    // Makes the toolkit window now (parents first).
    void HandleNeeded();
    // Moves the control to another parent keeping its toolkit window, its
    // children's windows and what they hold (typed text, a held mouse press):
    // the window changes parent instead of being made again. When either side
    // has no window (or makes its children's windows on demand) it is the
    // plain move. The window shows again as it was, without activation.
    void MoveWindowTo(TWinControl *parent);
    bool HandleAllocated() const;

    // The windowed children get their toolkit windows only while they are near
    // the part of this control that can be seen, and give them back when they
    // are far from it again (unless they hold the focus or the mouse): a column
    // of thousands of text boxes holds a few screenfuls of windows, and a child
    // without one is a plain object that keeps its state. Tab moves through
    // these children in the order they were made.
    void SetChildWindowsOnDemand(bool onDemand);
    bool ChildWindowsOnDemand() const { return windowsOnDemand_; }
    // The part of the client area that can be seen through the parents
    // (a scrolling parent shows only its view), in client coordinates.
    TRect SeenRect() const;
    // Makes and gives back the children's windows for the part now seen.
    void UpdateChildWindows();
    // Platform side: Tab (forward) or Shift+Tab from the focused child to the
    // next child that can take the focus; false when this control does not
    // choose (the toolkit's order then applies).
    bool FocusNextChild(bool forward);

    // Focus.
    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    // Tab stops at a tab stop only: the window of a control that is none is
    // passed over by Tab (a click or SetFocus still focuses it).
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v);
    // Taken out of the tab order, the control and every control inside it are
    // passed over by Tab (a click or SetFocus still focuses them), whatever
    // their TabStop says: a window takes out the controls it has put out of
    // sight. InTabOrder: neither the control nor any of its parents is out.
    bool OutOfTabOrder() const { return outOfTabOrder_; }
    void SetOutOfTabOrder(bool out);
    bool InTabOrder() const;
    // True when the control takes this key (Enter or Esc) itself, so that the
    // form's default or cancel button does not get it.
    virtual bool WantsSpecialKey(int /*key*/) const { return false; }

    TImeMode ImeMode() const { return imeMode_; }
    void SetImeMode(TImeMode mode);
    // The window takes a number or a date: the input method is asked for
    // digits, and full-width digits, signs and slashes typed or committed
    // into it arrive as their ASCII forms.
    bool NumericInput() const { return numericInput_; }
    void SetNumericInput(bool numeric);

    // Lays out the aligned children in the client area: top-aligned ones in the
    // order of their Top, then bottom, left (by Left), right and client. Among
    // children at the same place, `cause` (the child whose change asked for the
    // layout) comes first, so setting a child's Top to a sibling's Top puts it
    // before that sibling.
    void Realign(TControl *cause = nullptr);
    void DisableAlign() { ++alignLock_; }
    void EnableAlign();
    // The rectangle children are aligned in (scrolling controls make it taller than the client area).
    virtual TRect AlignRect() const { return ClientRect(); }
    // The part of the client area shown on screen (a scrolling control shows a part of it).
    virtual TRect ViewRect() const { return ClientRect(); }

    // Stops (false) or resumes (true) the window's repainting.
    void SetRedraw(bool redraw);
    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool v) { doubleBuffered_ = v; }

    // Paints the control and its windowless children onto a canvas, as on
    // screen, without needing a window (the report and tests use it).
    void PaintTo(TCanvas &canvas, int x = 0, int y = 0);

    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void SetText(const std::string &text) override;
    void SetColor(TColor color) override;
    void FontChanged() override;
    void Invalidate() override;
    // Repaints only a part of the client area.
    void InvalidateRect(const TRect &rect);
    void BringToFront() override;
    void SendToBack() override;
    void WndProc(TMessage &message) override;

    TEventSlot<TNotifyEvent> OnEnter;
    TEventSlot<TNotifyEvent> OnExit;
    TEventSlot<TKeyEvent> OnKeyDown;
    TEventSlot<TKeyEvent> OnKeyUp;

    // What a screen reader is told of the window, unless the window hands
    // out an object of its own (WM_GETOBJECT). Its name: the one set here,
    // else the caption the window shows on itself, else the text of the
    // label the form places beside it (on its left on the same line, with no
    // other control between, or just above it), else its short hint.
    std::string AccessibleName() const;
    void SetAccessibleName(const std::string &name);
    // The role number (Accessibility.h): a plain window is a client area.
    virtual int AccessibleRole() const;
    // The value a reader gives beside the name (an edit's text); empty for none.
    virtual std::string AccessibleValue() const { return {}; }
    // The parts the window paints itself, read before its child windows.
    virtual int AccessiblePartCount() { return 0; }
    virtual TAccessiblePart AccessiblePart(int index);
    // A part's one action (an item chosen, a page turned to), as a click does.
    virtual void DoAccessiblePartAction(int /*index*/) {}
    // The child windows in the order a reader lists them; empty for the
    // order they were made in.
    virtual std::vector<TWinControl *> AccessibleChildOrder() const { return {}; }
    // Platform side: the names of the child windows may have changed (a
    // label beside one of them changed); the toolkit learns them again.
    void AccessibleNamesChanged();

    // Platform side: the window and the widget children go into.
    TWidgetLink *Link() const { return link_.get(); }

protected:
    // Creates the toolkit window inside the parent's client window (which may be
    // null for a top-level window). The default is a plain painted window.
    virtual void CreateHandle();
    virtual void DestroyHandle();
    // Copies the control's state into the freshly made window.
    virtual void InitializeHandle();
    // Paints the window's own face before the windowless children.
    virtual void PaintWindow(TCanvas &canvas);
    // The caption the window shows on itself (a button's, a form's), as it
    // reads, which names it; empty where the window's text is its value (an edit's).
    virtual std::string AccessibleCaption() const { return {}; }
    // Whether a label beside the window, or its hint, names it: a field does,
    // a container does not.
    virtual bool NamedByLabel() const { return true; }
    virtual void KeyDown(int &key, TShiftState shift);
    virtual void KeyUp(int &key, TShiftState shift);
    virtual void DoEnter();
    virtual void DoExit();
    void BoundsChanged() override;
    void VisibleChanged() override;
    void PaintControls(TCanvas &canvas, const TRect &clip);
    // Told after a child joined this control, and before a child leaves it
    // (also when the child is being freed: then only its address may be used).
    virtual void ControlListChange(TControl *, bool /*inserting*/) {}

    std::unique_ptr<TWidgetLink> link_;

private:
    friend class TControl;
    friend class TWidgetLink;
    void AlignChildren(TControl *cause);
    // Makes the control's window, then its children's.
    void MakeWindows();
    void CreateChildHandles();
    // The windows of the control (and of the controls inside it) take the
    // tab order's state; called when it changes and when windows are made.
    void ApplyTabOrder();
    // The control's own windows (not those of the controls inside it) take
    // its tab stop and tab order state.
    void ApplyOwnTabFocus();
    // A key with Ctrl left alone here goes to the parents as CM_CHILDKEY;
    // true when one took it.
    bool OfferChildKey(int key, TShiftState shift);
    void HandleMade();
    // A child was moved: its place in the indexes follows.
    void ChildMoved(TControl *control);
    // The visible windowless children that meet the area, back to front.
    std::vector<TControl *> ChildrenIn(const TRect &area) const;
    // Windows on demand: whether a child is near the part seen; making and
    // giving back one child's window; whether a child must keep its window.
    bool NearSeenPart(const TControl &child, int margins) const;
    void MakeChildWindow(TWinControl &child);
    void GiveBackChildWindow(TControl *child);
    static bool HoldsWindow(const TWinControl &child);

    std::vector<TControl *> controls_;
    // The windowless children by the part of the client area they cover, so
    // that painting a part of the window or finding the child under the mouse
    // looks only at the children near it, however many there are.
    std::unique_ptr<TChildIndex> graphicIndex_;
    // The name set for a screen reader (rarely any: kept aside).
    std::unique_ptr<std::string> accessibleName_;
    // With windows on demand: the windowed children likewise, those that have
    // a window now, and all of them in the order they were made (tab order).
    std::unique_ptr<TChildIndex> windowIndex_;
    std::vector<TControl *> nearWindows_;
    std::unique_ptr<std::map<std::uint64_t, TControl *>> tabOrder_;
    bool windowsOnDemand_ = false;
    bool updatingWindows_ = false;
    int lastKey_ = 0;
    int alignLock_ = 0;
    bool alignPending_ = false;
    TControl *alignCause_ = nullptr;
    bool tabStop_ = false;
    bool outOfTabOrder_ = false;
    TImeMode imeMode_ = imDontCare;
    bool numericInput_ = false;
    bool doubleBuffered_ = false;
    bool redrawOff_ = false;  // SetRedraw(false): invalidations are dropped here at once
    bool keepWindow_ = false; // MoveWindowTo runs: leaving the old parent keeps the window
};

// A windowed control that paints itself on Canvas() in Paint.
// Pauses a control's alignment for a scope: its children are laid out once,
// when the scope ends, however it ends.
class TAlignPause {
public:
    explicit TAlignPause(TWinControl &control) : control_(control) { control_.DisableAlign(); }
    ~TAlignPause() { control_.EnableAlign(); }
    TAlignPause(const TAlignPause &) = delete;
    TAlignPause &operator=(const TAlignPause &) = delete;

private:
    TWinControl &control_;
};

class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent *owner) : TWinControl(owner) {}
    TCanvas &Canvas() { return *canvas_; }

protected:
    virtual void Paint() {}
    void PaintWindow(TCanvas &canvas) override;

private:
    TCanvas *canvas_ = nullptr;
};

// The control whose window has the keyboard focus, or nullptr.
TWinControl *FocusedControl();
// The control that holds the mouse while a button is down on it, or nullptr.
TControl *CaptureControl();
// Ends the capture (a mouse loop that took the button's release ends with it).
void ReleaseCapture();
// Platform side: what a scrolling control shows has moved; the controls with
// child windows on demand make and give back their children's windows.
void UpdateOnDemandWindows();

// A new control of type T owned by and placed on `parent`, at the given bounds.
template <typename T>
T *PlaceControl(TWinControl *parent, int left, int top, int width, int height)
{
    auto *control = new T(parent);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}
