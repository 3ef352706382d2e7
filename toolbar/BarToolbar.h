#pragma once
// The toolbar: a dockable window that shows a root item's children through a
// toolbar view, hides what does not fit behind a chevron item (or wraps), and
// turns a press on an item into menu mode.
#include "toolbar/BarDock.h"
#include "toolbar/BarItem.h"

#include <functional>
#include <memory>
#include <vector>

class TBarCustomToolbar;
struct TBarFloatingResize;

// The item at the end of a crowded toolbar whose menu holds the hidden items.
class TBarChevronItem : public TBarCustomItem {
public:
    explicit TBarChevronItem(TBarCustomToolbar *toolbar);
    TBarView *GetChevronParentView() override;
    std::unique_ptr<TBarItemViewer> CreateViewer(TBarView *view, int groupDepth) override;

private:
    TBarCustomToolbar *toolbar_;
};

// The view of a toolbar: it sizes the toolbar and maps its client area.
class TBarToolbarView : public TBarView {
public:
    TBarToolbarView(TBarCustomToolbar *toolbar, TBarCustomItem *root, bool priorityListKept);
    void ApplySize(int width, int height) override;
    void LayoutAndApply(TSize &size) override;
    TBarCustomItem *GetChevronItem() override;
    TPoint ClientToScreen(TPoint p) const override;
    TPoint ScreenToClient(TPoint p) const override;
    void InvalidateWindowRect(const TRect &rect) override;
    TPoint ControlOrigin() const override;
    bool ItemsLoading() const override;
    // The row's thickness changed since the layout was made.
    bool RowCrossMinimumChanged() const;

private:
    TBarCustomToolbar *toolbar_;
    int layoutCrossMinimum_ = 0;
};

class TBarCustomToolbar : public TBarCustomDockableWindow {
public:
    explicit TBarCustomToolbar(TComponent *owner);
    ~TBarCustomToolbar() override;

    TBarRootItem *Items() const { return items_; }
    TBarChevronItem *ChevronItem() const { return chevron_; }
    TBarToolbarView &View() const { return *view_; }
    // Hidden items move into the chevron's menu by priority (see TBarView::SetChevronMoveItems).
    bool ChevronMoveItems() const { return chevronMoveItems_; }
    void SetChevronMoveItems(bool move);
    TBarShrinkMode ShrinkMode() const { return shrinkMode_; }
    void SetShrinkMode(TBarShrinkMode mode);
    int FloatingWrapWidth() const { return floatingWrapWidth_; }
    void SetFloatingWrapWidth(int width);
    int LineCount() const { return lineCount_; }
    TSize BaseSize() const { return baseSize_; }
    void SetBaseSize(TSize size) { baseSize_ = size; }
    void BeginUpdate() { view_->BeginUpdate(); }
    void EndUpdate() { view_->EndUpdate(); }

    // Size and limits.
    void UpdateViewLimits();
    int GetWrapLength(const TBarDock *dock) const;
    int GetChevronLength(const TBarDock *dock, TBarViewOrientation orientation) const;
    TSize GetSizeForOrientation(bool current, TBarOrientation orientation, TBarDock *dock, bool floating) override;
    TSize GetBaseSize() override;
    void GetMinDockedLength(int &length) override;
    TBarShrinkMode GetShrinkMode() const override { return shrinkMode_; }
    void WritePositionData(const TPositionIntegerWriter &writeInteger, const TPositionStringWriter &) override;
    // Shortcuts: with ProcessShortCuts the items' shortcuts work anywhere in the toolbar's form.
    bool ProcessShortCuts() const { return processShortCuts_; }
    void SetProcessShortCuts(bool process);
    std::function<void(TObject *sender, int key, TShiftState shift, bool &handled)> OnShortCut;
    // Offers a key to the toolbar: OnShortCut first, then the items; true when taken.
    bool ProcessToolbarShortCut(int key, TShiftState shift);

    // A menu bar: its own row across the dock, wrapping, no close button,
    // shortcuts for the whole form, and Alt or Alt+letter open its menus.
    bool MenuBar() const { return menuBar_; }
    void SetMenuBar(bool menuBar);
    bool HasMenuEvents() const override { return menuBar_; }
    // Opens the toolbar's menus from the keyboard: character 0 selects the
    // first item; otherwise the item whose accelerator (with `accelOnly`, only
    // an explicit one) is the character. True when menu mode was entered.
    bool KeyboardOpen(char32_t ch, bool accelOnly);

    // Floating resize: the narrowest client size for each number of lines the
    // toolbar can wrap into, the unwrapped size first.
    std::vector<TSize> GetWrapPoints();

    // The largest docked cross size of the other windows of this window's row.
    int GetRowCrossMinimum() const;
    bool NeedsRowRelayout() const override;
    int InLayout = 0;

    void WndProc(TMessage &message) override;
    // Hosted controls. Every child control of the toolbar is shown through a
    // control item of the root item: a control that joins the toolbar gets one
    // at the end (unless one hosts it already); one that leaves it takes its
    // items with it. While the toolbar is being built (BeginLoading until
    // Loaded) joining controls wait; Loaded gives those without an item one.
    // Items added meanwhile hide behind the chevron from the last one; items
    // added later are the last to hide.
    void BeginLoading() { loading_ = true; }
    // Hosted controls hidden behind the chevron (the view's tab-order
    // controls) are out of the tab order until they show again.
    void UpdateTabOrder();
    void Loaded();
    bool Loading() const { return loading_; }

protected:
    void SizingStart(int edge) override;
    void SizingEnd() override;
    void SizingAdjustRect(TRect &rect, const TRect &startRect) override;
    void SizingApply() override;
    // A derived toolbar's own kinds of view and chevron item, put in place by
    // its constructor (the toolbar takes both).
    void ReplaceViewAndChevron(std::unique_ptr<TBarToolbarView> view, TBarChevronItem *chevron);
    void PaintClient(TCanvas &canvas) override;
    bool HitTestContent(TPoint clientPoint) const override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void ControlListChange(TControl *control, bool inserting) override;

private:
    void HostControl(TControl *control);
    // The toolbar's Hint is the hovered item's (empty over nothing).
    void HintFollowsSelection();
    // The pointer left the toolbar: nothing stays hovered, unless a press goes on.
    void MouseLeft();
    TBarRootItem *items_;
    TBarChevronItem *chevron_;
    std::unique_ptr<TBarToolbarView> view_;
    TBarShrinkMode shrinkMode_ = brsmChevron;
    bool chevronMoveItems_ = true;
    int floatingWrapWidth_ = 0;
    int lineCount_ = 0;
    TSize baseSize_;
    bool processShortCuts_ = false;
    bool menuBar_ = false;
    std::unique_ptr<TBarFloatingResize> resize_;
    bool loading_ = false;
    bool destroying_ = false;
};

// Offers a key to the toolbars that process shortcuts in a form; true when one took it.
bool DispatchShortCutForForm(TWinControl *form, int key, TShiftState shift);
// Offers a system command (Alt, Alt+letter) to the menu bars of a form, and
// through its docks to their floating menu bars; true when one took it.
bool DispatchSysCommand(TWinControl *form, TMessage &message);

// The view orientation of a placement: no dock or a top or bottom dock
// horizontal, a left or right dock vertical, floating floating.
TBarViewOrientation ViewOrientationOf(const TBarDock *dock, bool floating);
