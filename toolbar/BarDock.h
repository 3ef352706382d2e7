#pragma once
// Docks and dockable windows: a dock lines up the windows that sit in it in
// rows, from the row and position each window wishes; a dockable window sits
// in a dock (with a drag handle) or plainly on a form. Position saving writes
// each named window's placement through two writer functions.
#include "platform/kernel/Controls.h"
#include "platform/kernel/DragOutline.h"
#include "platform/core/Exceptions.h"
#include "platform/kernel/Forms.h"
#include "platform/kernel/ToolWindow.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TBarDock;
class TBarCustomDockableWindow;
struct TRowLayoutEntry;
struct TBarDragState;
struct TBarDragTarget;

enum TBarDockPosition { dpTop, dpBottom, dpLeft, dpRight };
enum : unsigned { blTop = 0x01, blBottom = 0x02, blLeft = 0x04, blRight = 0x08 };
using TBarDockBoundLines = unsigned;
enum TBarShrinkMode : std::uint8_t { brsmNone, brsmWrap, brsmChevron };
enum TBarDockMode { dmCanFloat, dmCannotFloat, dmCannotFloatOrChangeDocks };
enum TBarDragHandleStyle { dhDouble, dhNone, dhSingle };
// fmOnTopOfParentForm: a floating frame belongs to its form (above that form
// only); fmOnTopOfAllForms: it belongs to the program and stays above every
// window while it is enabled.
enum TBarFloatingMode { fmOnTopOfParentForm, fmOnTopOfAllForms };
// 0 no dock, 1 floating, 2 top or bottom dock, 3 left or right dock.
enum TBarOrientation { tboNone = 0, tboFloating = 1, tboTopBottom = 2, tboLeftRight = 3 };
enum : unsigned { dtTop = 1u << dpTop, dtBottom = 1u << dpBottom, dtLeft = 1u << dpLeft, dtRight = 1u << dpRight };
using TBarDockableTo = unsigned;

// Position saving. The writers get the window's name, the key and the value.
using TPositionIntegerWriter = std::function<void(const std::string &window, const std::string &key, int value)>;
using TPositionStringWriter =
    std::function<void(const std::string &window, const std::string &key, const std::string &value)>;

// Told before a window changes its placement: whether it floats next, and the dock it goes to (nullptr: none).
using TBarDockChangingEvent = std::function<void(TObject *sender, bool floating, TBarDock *dockingTo)>;
using TBarInsertRemoveEvent = std::function<void(TObject *sender, bool inserting, TBarCustomDockableWindow *bar)>;
using TBarRequestDockEvent = std::function<void(TObject *sender, TBarCustomDockableWindow *bar, bool &accept)>;

class TBarDock : public TCustomControl {
public:
    explicit TBarDock(TComponent *owner);
    ~TBarDock() override;
    // The docks alive, in the order they were made.
    static const std::vector<TBarDock *> &AllDocks();

    TBarDockPosition Position() const { return position_; }
    void SetPosition(TBarDockPosition position);
    bool AllowDrag() const { return allowDrag_; }
    void SetAllowDrag(bool allow);
    TBarDockBoundLines BoundLines() const { return boundLines_; }
    void SetBoundLines(TBarDockBoundLines lines);
    bool FixAlign() const { return fixAlign_; }
    void SetFixAlign(bool fix);
    bool LimitToOneRow() const { return limitToOneRow_; }
    void SetLimitToOneRow(bool limit);
    bool Vertical() const { return position_ == dpLeft || position_ == dpRight; }
    static TBarOrientation OrientationOf(const TBarDock *dock, bool floating);

    int NonClientWidth() const { return nonClientWidth_; }
    int NonClientHeight() const { return nonClientHeight_; }
    int ClientWidth() const override { return std::max(0, Width() - nonClientWidth_); }
    int ClientHeight() const override { return std::max(0, Height() - nonClientHeight_); }
    // Where the client area starts inside the dock's window (after the top and left bound lines).
    TPoint ClientOrigin() const;

    virtual bool AllowsDrag() const { return allowDrag_; }
    virtual void ArrangeToolbars();
    void BeginArrange() { ++arrangeDisableCount_; }
    void EndArrange();
    void ChangeBarList(bool inserting, TBarCustomDockableWindow *bar);
    void ChangeVisibleBarList(TBarCustomDockableWindow *bar, bool forceRemove);
    // A window being freed leaves both lists before anything asks it again.
    void RemoveBar(TBarCustomDockableWindow *bar);
    void CommitEffectivePositions();
    void SetCommitPositions(bool commit) { commitPositions_ = commit; }
    int GetHighestRow(bool useEffective) const;
    int GetRowSize(int row, bool &fullSize) const;
    int GetRowMaxSize(int row, const TBarCustomDockableWindow *except) const;
    int GetRowAt(int position) const;
    void ChangeDockSize(int width, int height);

    const std::vector<TBarCustomDockableWindow *> &BarList() const { return barList_; }
    const std::vector<TBarCustomDockableWindow *> &VisibleBarList() const { return visibleBarList_; }
    // The window has this dock as parent and is visible.
    bool ShownHere(const TBarCustomDockableWindow *bar) const;

    TBarInsertRemoveEvent OnInsertRemoveBar;
    TBarRequestDockEvent OnRequestDock;

    void SetParent(TWinControl *parent) override;
    // Alt keys typed in the form reach the floating menu bars that last sat here.
    void WndProc(TMessage &message) override;
    // A screen reader lists the toolbars as the screen shows them: row by
    // row, each row from its start (a hidden one last).
    std::vector<TWinControl *> AccessibleChildOrder() const override;

protected:
    void BoundsChanged() override;
    void Notification(TComponent *component, TOperation operation) override;
    void Paint() override;

private:
    void UpdateNonClient();
    void ArrangeRow(int row, int &highest, int available, const std::vector<TBarCustomDockableWindow *> &sorted,
                    TRowLayoutEntry *entries);
    void PlaceRows(int highest, const std::vector<TBarCustomDockableWindow *> &sorted, TRowLayoutEntry *entries);

    std::vector<TBarCustomDockableWindow *> barList_;
    std::vector<TBarCustomDockableWindow *> visibleBarList_;
    int arrangeDisableCount_ = 0;
    bool arrangePending_ = false;
    bool commitPositions_ = false;
    int nonClientWidth_ = 0;
    int nonClientHeight_ = 0;
    TBarDockPosition position_ = dpTop;
    bool allowDrag_ = true;
    TBarDockBoundLines boundLines_ = 0;
    bool fixAlign_ = false;
    bool limitToOneRow_ = false;
};

// The small tool window a floating window sits in: our own border, caption
// and close button, shown without activation; its window title is the
// hosted window's caption.
class TBarFloatingWindowParent : public TToolWindow {
public:
    TBarFloatingWindowParent(TBarCustomDockableWindow *hosted, TWinControl *ownerForm);
    TBarCustomDockableWindow *HostedWindow() const { return hosted_; }
    TWinControl *OwnerForm() const { return ownerForm_; }
    // Border width and the caption's height.
    int BorderSize() const;
    int CaptionHeight() const;
    TPoint ClientOrigin() const { return TPoint{BorderSize(), BorderSize() + CaptionHeight()}; }
    // The frame's size for a client of the given size.
    TSize FrameSizeFor(TSize client) const;
    TRect CaptionRect() const;
    TRect CloseButtonRect() const;
    bool CloseButtonPressed = false;
    // The sizing border under a point of the frame: 10 left, 11 right, 12 top,
    // 13 top-left, 14 top-right, 15 bottom, 16 bottom-left, 17 bottom-right;
    // 0 elsewhere (and for a frame that cannot be sized).
    int HitTestBorder(int x, int y) const;

    void WndProc(TMessage &message) override;

protected:
    void PaintWindow(TCanvas &canvas) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    TBarCustomDockableWindow *hosted_;
    TWinControl *ownerForm_;
};

class TBarCustomDockableWindow : public TCustomControl {
public:
    explicit TBarCustomDockableWindow(TComponent *owner);
    ~TBarCustomDockableWindow() override;

    // Placement.
    TBarDock *CurrentDock() const { return currentDock_; }
    void SetCurrentDock(TBarDock *dock);
    bool Docked() const { return currentDock_ != nullptr; }
    bool Floating() const { return floating_; }
    TBarDock *LastDock() const { return lastDock_; }
    void SetLastDock(TBarDock *dock);
    TBarDock *DefaultDock() const { return defaultDock_; }
    void SetDefaultDock(TBarDock *dock);
    bool UseLastDock() const { return useLastDock_; }
    void SetUseLastDock(bool use);
    TPoint FloatingPosition() const { return floatingPosition_; }
    void SetFloatingPosition(TPoint p) { floatingPosition_ = p; }
    void SetParent(TWinControl *parent) override;
    // Moves the window into its own floating frame (true) or onto its form.
    void SetFloating(bool floating);
    TBarFloatingWindowParent *FloatingParent() const { return floatingParent_.get(); }
    // The top-level control the window belongs to.
    TWinControl *ParentForm() const;
    // Docked: floats (when allowed); floating: back to the last or default dock.
    void ToggleDocking();
    // Brings a floating frame back onto its monitor's work area.
    void MoveOnScreen(bool onlyWhenOffScreen);
    void CloseWindow();
    // The drag loop; x, y in the window's coordinates. Runs until the button is released.
    void BeginMoving(int x, int y);
    // The size loop of a floating window: edge 0 left, 1 right, 2 top, 3 top-left,
    // 4 top-right, 5 bottom, 6 bottom-left, 7 bottom-right; `cursor` is the
    // press on the frame's border (screen). Runs until the button is released.
    void BeginSizing(int edge, TPoint cursor);
    // The cursor the drag shows (size-all, sizing while sliding, no-entry where nothing can drop).
    TCursor DragCursor = crDefault;
    // Bit 0: the frame's corners size both ways; bit 1: the cursor stays on
    // the screen while sizing (left out: nothing here confines the cursor).
    unsigned SizingOptions = 3;
    // The outline an outline-mode drag or sizing shows now (screen; empty when none).
    TRect OutlineRect() const;
    bool CloseButton() const { return closeButton_; }
    void SetCloseButton(bool v) { closeButton_ = v; }
    bool ShowCaption() const { return showCaption_; }
    void SetShowCaption(bool v) { showCaption_ = v; }
    bool Resizable() const { return resizable_; }
    void SetResizable(bool v) { resizable_ = v; }
    virtual TPoint GetFloatingBorderSize() const;
    // The frame the window floats in (a themed window makes its own kind).
    virtual std::unique_ptr<TBarFloatingWindowParent> CreateFloatingParent(TWinControl *form);

    // Wishes and results of the dock's arrangement.
    int DockRow() const { return dockRow_; }
    void SetDockRow(int row);
    int DockPos() const { return dockPos_; }
    void SetDockPos(int pos);
    // Set by the dock itself, without arranging again.
    void SetDockRowField(int row) { dockRow_ = row; }
    void SetDockPosField(int pos) { dockPos_ = pos; }
    bool FullSize() const { return fullSize_; }
    void SetFullSize(bool v);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool v);
    int EffectiveRow = -1;
    int EffectivePos = 0;
    int ShrunkLength = 0;
    int DockedCrossSize = 0;
    bool StartsNewRow = false;
    bool IsDragged = false;
    bool SlidingInRow = false;
    bool ShrunkInRow = false;

    // Properties.
    bool AutoResize() const { return autoResize_; }
    void SetAutoResize(bool v);
    TBarDockMode DockMode() const { return dockMode_; }
    void SetDockMode(TBarDockMode mode) { dockMode_ = mode; }
    TBarDockableTo DockableTo() const { return dockableTo_; }
    void SetDockableTo(TBarDockableTo to) { dockableTo_ = to; }
    TBarDragHandleStyle DragHandleStyle() const { return dragHandleStyle_; }
    void SetDragHandleStyle(TBarDragHandleStyle style);
    bool CloseButtonWhenDocked() const { return closeButtonWhenDocked_; }
    void SetCloseButtonWhenDocked(bool v);
    bool DblClickUndock() const { return dblClickUndock_; }
    void SetDblClickUndock(bool v) { dblClickUndock_ = v; }
    bool SmoothDrag() const { return smoothDrag_; }
    void SetSmoothDrag(bool v) { smoothDrag_ = v; }
    // The docked frame's outer ring: raised (bsSingle) or flat (bsNone).
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);

    // Whom the floating frame belongs to (see TBarFloatingMode).
    TBarFloatingMode FloatingMode() const { return floatingMode_; }
    void SetFloatingMode(TBarFloatingMode mode);
    // A click on the floating frame activates its form.
    bool ActivateParent() const { return activateParent_; }
    void SetActivateParent(bool v) { activateParent_ = v; }
    // The floating caption is drawn inactive unless the program is active and
    // its active window is the frame or the frame's form (or the frame
    // belongs to the program); a change repaints the frame.
    void UpdateCaptionState();
    bool CaptionInactive() const { return captionInactive_; }
    void SetCaptionInactive(bool inactive);
    // The frame is kept above every window while it is enabled
    // (fmOnTopOfAllForms), or while its form is (fmOnTopOfParentForm).
    void UpdateTopmost();
    // With ActivateParent, a press on the floating window or its frame makes its form the active window.
    void ActivateParentForm();

    // Visibility of a floating window: its frame shows only while the window
    // is Visible, its form is shown and not minimised and, with
    // HideWhenInactive, while one of the program's windows is active. Visible
    // itself does not change when the frame hides for these reasons.
    bool HideWhenInactive() const { return hideWhenInactive_; }
    void SetHideWhenInactive(bool v);
    bool ShouldBeVisible() const;
    // Shows or hides the floating frame as ShouldBeVisible says.
    void UpdateVisibility();

    // The frame: the drag handle's size and the whole non-client size.
    int DragHandleSize() const;
    // Whether a window point lies on the docked drag handle (the size-all
    // cursor shows there).
    bool OnDragHandle(TPoint p) const;
    // The docked close button: shown with CloseButtonWhenDocked on a dock
    // that allows dragging; its square in window coordinates; lit under the
    // mouse, pushed while a press on it stays inside.
    bool DockedCloseButtonShown() const;
    virtual TRect GetDockedCloseButtonRect() const;
    bool DockedCloseButtonHot() const { return closeHot_; }
    bool DockedCloseButtonPushed() const { return closePressed_ && closeHot_; }
    virtual TPoint GetNCSize() const;
    // Where the client area starts inside the window.
    TPoint ClientOrigin() const;
    int ClientWidth() const override { return std::max(0, Width() - GetNCSize().X); }
    int ClientHeight() const override { return std::max(0, Height() - GetNCSize().Y); }

    // Size operations the subclasses supply.
    virtual bool CanDockTo(const TBarDock *dock) const;
    virtual TSize GetSizeForOrientation(bool current, TBarOrientation orientation, TBarDock *dock, bool floating) = 0;
    virtual TSize GetBaseSize() = 0;
    virtual void GetMinDockedLength(int &) {}
    virtual TBarShrinkMode GetShrinkMode() const { return brsmNone; }
    virtual void SizeChanging(int, int) {}
    // Client sizes a floating window may take (a maximum of 0: no limit).
    virtual void GetFloatingSizeLimits(int &, int &, int &, int &) {}
    // Whether the window takes the form's menu keys (a menu bar does).
    virtual bool HasMenuEvents() const { return false; }
    // Whether the window's layout depends on its row's thickness and must be
    // made again now that the row has been placed.
    virtual bool NeedsRowRelayout() const { return false; }

    // Recomputes the window's own size.
    void Arrange();
    void ChangeSize(int width, int height);
    void SetBounds(int left, int top, int width, int height) override;
    // The floating frame's caption (and window title) follows the text.
    void SetText(const std::string &text) override;
    void BeginBoundsUpdate() { ++boundsUpdateCount_; }
    void EndBoundsUpdate() { --boundsUpdateCount_; }

    // Position saving: the window writes its extra keys last.
    virtual void WritePositionData(const TPositionIntegerWriter &, const TPositionStringWriter &) {}

    TNotifyEvent OnVisibleChanged;
    // A placement change: OnDockChanging and OnRecreating before anything
    // moves, OnDockChangingHidden once the window is hidden for the move,
    // OnRecreated and OnDockChanged when it sits in its new place.
    TBarDockChangingEvent OnDockChanging;
    TBarDockChangingEvent OnDockChangingHidden;
    TNotifyEvent OnRecreating;
    TNotifyEvent OnRecreated;
    TNotifyEvent OnDockChanged;
    TNotifyEvent OnClose;
    std::function<void(TObject *sender, bool &canClose)> OnCloseQuery;

protected:
    void VisibleChanged() override;
    void Notification(TComponent *component, TOperation operation) override;
    void PaintWindow(TCanvas &canvas) override;
    // Paints the frame outside the client area (window coordinates).
    virtual void DrawNCArea(TCanvas &canvas);
    // Paints the client area; the canvas's origin is the client origin.
    virtual void PaintClient(TCanvas &) {}
    // Whether a point of the client area lies on content (a press there is no drag).
    virtual bool HitTestContent(TPoint clientPoint) const;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void WndProc(TMessage &message) override;
    // Hooks of the size loop: the loop starts and ends, a rectangle (frame,
    // screen) is about to be shown, the chosen size is about to be applied.
    virtual void SizingStart(int) {}
    virtual void SizingEnd() {}
    virtual void SizingAdjustRect(TRect &, const TRect &) {}
    virtual void SizingApply() {}

private:
    friend class TBarFloatingWindowParent;
    int dockRow_ = 0;
    int dockPos_ = -1;
    TBarDock *currentDock_ = nullptr;
    TBarDock *lastDock_ = nullptr;
    TBarDock *defaultDock_ = nullptr;
    bool floating_ = false;
    TPoint floatingPosition_;
    bool fullSize_ = false;
    bool stretch_ = false;
    bool autoResize_ = true;
    bool useLastDock_ = true;
    bool dblClickUndock_ = true;
    bool smoothDrag_ = true;
    bool closeButtonWhenDocked_ = false;
    bool closePressed_ = false;
    bool closeHot_ = false;
    void SetDockedCloseButtonHot(bool hot);
    void DrawDockedCloseButton(TCanvas &canvas);
    TBarDockMode dockMode_ = dmCanFloat;
    TBarDockableTo dockableTo_ = dtTop | dtBottom | dtLeft | dtRight;
    TBarDragHandleStyle dragHandleStyle_ = dhSingle;
    int boundsUpdateCount_ = 0;
    int arrangeDisableCount_ = 0;
    std::vector<TBarDock *> CollectCandidateDocks();
    bool DockingZoneHit(const TBarDragState &state, const TBarDragTarget &target, TPoint cursor) const;
    TRect DragRectFor(const TBarDragState &state, const TBarDragTarget &target, TPoint cursor) const;
    void ComputeDragTarget(TBarDragState &state, TPoint cursor, bool ctrlHeld);
    int RowFromPosition(const TBarDragState &state, const TBarDragTarget &target, int centre, bool &newRow) const;
    void ApplyDragPosition(TBarDragState &state);
    void ShowOutline(const TRect &rect, int thickness);
    void ApplySizing(const TRect &rect);
    bool arrangePending_ = false;

    bool smoothDragging_ = false;
    // The outline of an outline-mode loop; made on first use.
    std::unique_ptr<TDragOutline> outline_;
    // The docked frame looks different: the dock arranges again and the window repaints.
    void DockedFrameChanged();
    // Gives the frame its owner (the form, or none) and its band, before it shows.
    void ApplyFloatingOwner();
    TBorderStyle borderStyle_ = bsSingle;
    TBarFloatingMode floatingMode_ = fmOnTopOfParentForm;
    bool activateParent_ = true;
    bool captionInactive_ = false;
    bool hideWhenInactive_ = true;
    bool closeButton_ = true;
    bool showCaption_ = true;
    bool resizable_ = true;
    // Kept after the window leaves it (a handler of the frame may still run)
    // and used again when the window floats again.
    std::unique_ptr<TBarFloatingWindowParent> floatingParent_;
};

// The dockable windows whose floating frames follow the program's activation
// and their forms' showing (every window, from its construction to its end).
void JoinVisibilityWatch(TBarCustomDockableWindow *window);
void LeaveVisibilityWatch(TBarCustomDockableWindow *window);

void SaveDockablePositions(TComponent *owner, const TPositionIntegerWriter &writeInteger,
                           const TPositionStringWriter &writeString);
// Writes the sections prefix + window name into the settings file.
void SaveDockablePositionsToIni(TComponent *owner, const std::string &iniFileName, const std::string &sectionPrefix);
