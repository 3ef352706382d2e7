#pragma once
// Views: one item's children shown in one window (a toolbar or a popup), with
// one viewer per shown item, their layout, selection and the chain of open
// popups. Included by BarItem.h.

// Orientation of a view.
enum TBarViewOrientation { tbvoHorizontal = 0, tbvoVertical = 1, tbvoFloating = 2 };

// View state flags.
enum : unsigned {
    vsModal = 0x01,
    vsMouseInWindow = 0x02,
    vsDrawInOrder = 0x04,
    vsOppositePopup = 0x08,
    vsShowAccels = 0x20,
    vsKeepOpen = 0x40,
    vsDropDownClosed = 0x80,
};
// View style flags.
enum : unsigned { vsMenuBar = 0x01, vsUseHiddenAccels = 0x02, vsAlwaysShowHints = 0x04 };

// What ends menu mode.
enum TBarDoneActionKind : std::uint8_t { tbdaNone, tbdaCancel, tbdaClickItem, tbdaOpenSystemMenu, tbdaHelp };
struct TBarDoneAction {
    TBarDoneActionKind Kind = tbdaNone;
    TBarCustomItem *ClickItem = nullptr;
    bool ClickPlaySound = false;
    TMessageTarget *Window = nullptr;
    int Key = 0;
    int HelpContext = 0;
};

// Height of a popup's scroll-arrow band.
constexpr int kScrollArrowHeight = 19;

class TBarView : public TComponent {
public:
    TBarView(TComponent *owner, TBarView *parentView, TBarCustomItem *parentItem, TWinControl *window,
             bool isToolbar, bool customizing, bool priorityListKept);
    ~TBarView() override;

    // Viewers.
    int ViewerCount() const { return static_cast<int>(viewers_.size()); }
    TBarItemViewer *Viewers(int index) const { return viewers_.at(static_cast<size_t>(index)).get(); }
    int IndexOfViewer(const TBarItemViewer *viewer) const;
    TBarItemViewer *Find(const TBarCustomItem *item) const;
    void RecreateAllViewers();
    // With the flag the view keeps a priority list: items hide behind the
    // chevron by priority (the one used last goes last); without it, from
    // the end. The viewers are made anew.
    void SetChevronMoveItems(bool flag);
    // Appends every hosted windowed control that is hidden behind the chevron.
    void GetTabOrderControls(std::vector<TWinControl *> &list);

    TBarCustomItem *ParentItem() const { return parentItem_; }
    TBarCustomItem *Container() const { return container_; }
    TBarView *ParentView() const { return parentView_; }
    TWinControl *Window() const { return window_; }
    bool IsPopup() const { return isPopup_; }
    bool IsToolbar() const { return isToolbar_; }
    void SetIsToolbar(bool v) { isToolbar_ = v; }
    bool Customizing() const { return customizing_; }

    TBarViewOrientation Orientation() const { return orientation_; }
    void SetOrientation(TBarViewOrientation o);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);
    int ChevronSize() const { return chevronSize_; }
    void SetChevronSize(int size) { chevronSize_ = size; InvalidateLayout(); }
    int WrapLength() const { return wrapLength_; }
    void SetWrapLength(int length);
    int MaximumHeight() const { return maxHeight_; }
    void SetMaximumHeight(int height);
    int ScrollOffset() const { return scrollOffset_; }
    bool ShowUpArrow() const { return showUpArrow_; }
    bool ShowDownArrow() const { return showDownArrow_; }
    TBarView *ChevronParentView() const { return chevronParentView_; }
    void SetChevronParentView(TBarView *view) { chevronParentView_ = view; }
    int HeadCount() const { return headCount_; }
    unsigned State() const { return state_; }
    void SetState(unsigned state) { state_ = state; }
    unsigned Style() const { return style_; }
    void SetStyle(unsigned style) { style_ = style; }
    bool MouseOverSelected() const { return mouseOverSelected_; }
    bool Pressing() const { return pressing_; }
    TRect MonitorRect() const { return monitorRect_; }
    void SetMonitorRect(const TRect &r) { monitorRect_ = r; }
    TBarItemViewer *Selected() const { return selected_; }
    TBarItemViewer *OpenViewer() const { return openViewer_; }
    TBarView *OpenViewerView() const { return openViewerView_; }
    TBarPopupWindow *OpenPopup() const { return openPopup_; }
    const std::vector<TBarItemViewer *> &PriorityList() const { return priorityList_; }
    TBarDoneAction &DoneAction() { return doneAction_; }
    int LineCount() const { return lineCount_; }
    TSize BaseSize() const { return baseSize_; }

    // Virtual operations.
    virtual void ApplySize(int, int) {}
    virtual void LayoutAndApply(TSize &size);
    virtual TBarCustomItem *GetChevronItem() { return nullptr; }
    virtual TRect GetViewMargins(TBarViewOrientation orientation) const;
    virtual void KeyDown(int &key, TShiftState shift);
    virtual void MouseWheel(int delta, int x, int y);
    virtual TFont &GetFont();
    virtual void InvalidateLayout();
    // The items joining the view are part of the window being built (they
    // take the end of the priority list, not its head).
    virtual bool ItemsLoading() const { return false; }

    // Layout.
    void BeginUpdate() { ++updateCounter_; }
    void EndUpdate();
    void EnsureLayout();
    TSize UpdateLayout();
    bool LayoutValid() const { return layoutValid_; }
    // Lays the viewers out (applying the result when `apply`); true when a
    // viewer's bounds, visibility or line break changed.
    bool ComputeLayout(bool apply, TBarViewOrientation orientation, int &lineCount, TSize &totalSize, TSize &baseSize,
                       int chevronSize, int maxLength, int wrapLength);

    // Painting.
    void DrawAll(TCanvas &canvas);
    void InvalidateViewer(TBarItemViewer *viewer);
    TBarItemViewer *ViewerFromPoint(TPoint clientPoint);
    // Fills a hint request of the view's window for a viewer: its hint text
    // and its bounds as the rectangle the hint holds in; false (no hint)
    // without a viewer or a text.
    bool ViewerHintInfo(TBarItemViewer *viewer, THintInfo &info) const;

    // Selection.
    void Select(TBarItemViewer *viewer, bool byMouse);
    void StartPress() { pressing_ = true; }
    void EndMousePress();
    void UpdateSelectionAt(const TPoint *screenPoint, bool byMouse);
    void GivePriority(TBarItemViewer *viewer);
    TBarItemViewer *FirstViewerByPriority() const;
    TBarItemViewer *FirstKeyboardViewer() const;
    TBarItemViewer *NextSelectable(TBarItemViewer *viewer, bool forward) const;
    TBarItemViewer *NextViewerByAccel(TBarItemViewer *viewer, char32_t ch, bool &unique, bool explicitOnly) const;
    void SetAccelsVisible(bool show);
    void InitiateActions();
    bool IsAncestorOf(const TBarView *view) const;
    TBarView *GetRootView();
    TBarView *GetToolbarView();

    // Popups, timers and scrolling.
    void StartTimer(int id, int ms);
    void StopTimer(int id);
    void StopAllTimers();
    bool TimerRunning(int id) const { return (timers_ & (1u << id)) != 0; }
    void TimerElapsed(int id);
    void Scroll(bool down);
    void ScrollSelectedIntoView();
    void CloseChildPopup();
    void CancelChildPopup();
    bool SubmenuTimerElapsed(bool selectFirst);
    void SetOpenPopup(TBarPopupWindow *window, TBarView *view, TBarItemViewer *viewer);

    // Menu mode.
    void EnterModalLoop(unsigned options);
    void EndModal();
    void EndModalWithClick(TBarItemViewer *viewer);
    void EndModalWithSystemMenu(TMessageTarget *window, int key);
    void EndModalWithHelp(int helpContext);
    bool IsEndingModal();
    void CancelModal();
    void ExecuteSelected(bool givePriority);
    void SelectNextViewer(bool forward);

    // Accessibility (BarAcc.cpp): the view's object, made on first request;
    // WM_GETOBJECT answered with it; the selected viewer announced as focused.
    std::shared_ptr<TBarViewAccObject> GetAccObject();
    bool HandleWMGetObject(TMessage &message);
    void NotifyFocus();

    // Platform: the view's window repaints a part.
    virtual void InvalidateWindowRect(const TRect &rect);
    // The view's client origin in screen coordinates.
    virtual TPoint ClientToScreen(TPoint p) const;
    virtual TPoint ScreenToClient(TPoint p) const;
    virtual bool WindowShowing() const;
    // Whether the control under a screen point is this view's window.
    virtual bool WindowAt(TPoint screen) const;
    // Where the view's client area starts in the window's own coordinates,
    // in which its hosted controls are placed (a docked toolbar's frame
    // comes first).
    virtual TPoint ControlOrigin() const { return TPoint{0, 0}; }

protected:
    void Notification(TComponent *component, TOperation operation) override;

private:
    friend class TBarPopupView;
    static void ItemNotification(TBarView *view, TBarCustomItem *item, bool relayed, TBarItemChangedAction action,
                                 int index, TBarCustomItem *child);
    static void ParentItemNotification(TBarView *view, TBarCustomItem *item, bool relayed,
                                       TBarItemChangedAction action, int index, TBarCustomItem *child);
    void SetContainer(TBarCustomItem *container);
    void RemoveViewer(int index);
    // Makes the viewers of an item (and of an inline group's children) at
    // `index`; `rebuilding` when every viewer is being made anew.
    int InsertItemViewers(int index, TBarCustomItem *item, int groupDepth, bool rebuilding);
    void ClearAllViewers();
    bool ShouldBeVisible(int index, bool chevronPopup) const;
    void DetachAccObject();

    std::vector<std::unique_ptr<TBarItemViewer>> viewers_;
    std::vector<TBarItemViewer *> priorityList_;
    unsigned timers_ = 0;
    bool pressing_ = false;
    int maxLength_ = 0;
    TBarView *chevronParentView_ = nullptr;
    int chevronSize_ = 0;
    TBarCustomItem *container_ = nullptr;
    bool customizing_ = false;
    TBarDoneAction doneAction_;
    int headCount_ = 0;
    int tailCount_ = 0;
    bool isPopup_ = false;
    bool isToolbar_ = false;
    int maxHeight_ = 0;
    TRect monitorRect_;
    bool mouseOverSelected_ = false;
    bool newItemsHighest_ = true;
    TBarItemViewer *openViewer_ = nullptr;
    TBarView *openViewerView_ = nullptr;
    TBarPopupWindow *openPopup_ = nullptr;
    TBarView *parentView_ = nullptr;
    TBarCustomItem *parentItem_ = nullptr;
    TBarViewOrientation orientation_ = tbvoHorizontal;
    int scrollOffset_ = 0;
    TBarItemViewer *selected_ = nullptr;
    bool selectedByMouse_ = false;
    bool showDownArrow_ = false;
    bool showUpArrow_ = false;
    unsigned state_ = 0;
    unsigned style_ = 0;
    int updateCounter_ = 0;
    bool priorityListKept_ = false;
    bool layoutValid_ = false;
    int wheelAccumulator_ = 0;
    TWinControl *window_ = nullptr;
    int wrapLength_ = 0;
    int lineCount_ = 0;
    TSize baseSize_;
    TSize totalSize_;
    std::unique_ptr<TFont> font_;
    std::shared_ptr<TBarView *> alive_;
    std::shared_ptr<TBarViewAccObject> accObject_;
    friend class TBarModalHandler;
};

// The ids of a popup window's timers are this plus the view's timer id
// (0 open a submenu, 1 close it, 2 scroll up, 3 scroll down).
constexpr unsigned kPopupTimerBase = 9000;

// The font menus are drawn with ("MS UI Gothic" 9 pt unless the system says otherwise).
TFont &SharedMenuFont();

// The last mouse position menu mode saw; the smallest int marks it stale.
extern TPoint gMenuLastPos;
// The screen position of the mouse message being handled (the pointer's, outside menu mode).
extern TPoint gMessagePos;
