#pragma once
// Tab pages: a page control shows one of its tab sheets under a row of tabs.
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
    void SetActivePageIndex(int index);
    // The tab of a page (client coordinates).
    TRect TabRect(int index);

    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void BoundsChanged() override;

private:
    friend class TTabSheet;
    void AddPage(TTabSheet *sheet);
    void RemovePage(TTabSheet *sheet);
    void PlacePages();
    std::vector<TTabSheet *> pages_;
    int active_ = -1;
};
