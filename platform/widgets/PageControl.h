#pragma once
// Tab pages: a page control shows one of its tab sheets under a row of tabs.
//
// The row of tabs is one Tab stop; while it has the focus the active tab shows
// a focus mark and Left and Right turn to the page beside. Wherever the focus
// is inside the page control, Ctrl+Tab and Ctrl+PageDown turn to the next
// page, Ctrl+Shift+Tab and Ctrl+PageUp to the previous one, wrapping around.
#include "platform/kernel/Controls.h"

#include <vector>

class TPageControl;

// One page; its caption is the tab's text.
class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent *owner);
    ~TTabSheet() override;
    TPageControl *PageControl() const { return pageControl_; }
    // Puts the sheet on a page control (as its last page) and fills its client area.
    void SetPageControl(TPageControl *control);
    // A screen reader reads a sheet as a pane named by its tab.
    int AccessibleRole() const override;

protected:
    std::string AccessibleCaption() const override { return StripAccelerators(Caption()); }

private:
    friend class TPageControl;
    TPageControl *pageControl_ = nullptr;
};

class TPageControl : public TCustomControl {
public:
    explicit TPageControl(TComponent *owner);
    ~TPageControl() override;
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet *Pages(int index) const { return pages_.at(static_cast<size_t>(index)); }
    TTabSheet *ActivePage() const;
    int ActivePageIndex() const { return active_; }
    // Shows a page without firing OnChange (as a program's own change does not).
    void SetActivePageIndex(int index);
    // Turns to the next (or previous) page, wrapping around, as a click on its
    // tab does: OnChange fires, and the focus, when it was on a control of the
    // page left, goes to the first tab stop of the new page.
    void SelectNextPage(bool forward);
    // The tab of a page (client coordinates).
    TRect TabRect(int index);

    // A screen reader reads the control as a list of page tabs (the active
    // one selected), before the pages; a tab's action turns to its page.
    int AccessibleRole() const override;
    int AccessiblePartCount() override { return PageCount(); }
    TAccessiblePart AccessiblePart(int index) override;
    void DoAccessiblePartAction(int index) override;

    TNotifyEvent OnChange;

    void WndProc(TMessage &message) override;

protected:
    void CreateHandle() override;
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(int &key, TShiftState shift) override;
    void DoEnter() override;
    void DoExit() override;
    void BoundsChanged() override;

private:
    void AnnounceFocus();
    friend class TTabSheet;
    void AddPage(TTabSheet *sheet);
    void RemovePage(TTabSheet *sheet);
    void PlacePages();
    // The person turns to a page (click or key).
    void ChangePage(int index);
    // Ctrl+Tab and the like: the page to turn to; false for other keys.
    bool PageKey(int key, TShiftState shift, bool &forward) const;
    std::vector<TTabSheet *> pages_;
    int active_ = -1;
};
