#pragma once
// A row of tabs with one chosen. A row wider than the control shows two
// arrows at its right end that scroll it; choosing a tab, by mouse, keys
// (Left/Right) or program, scrolls that tab into view.
#include "platform/kernel/Controls.h"

#include <functional>
#include <string>
#include <vector>

// Before the person's choice of tab `newIndex` takes effect; clearing
// `allowChange` keeps the tab chosen before.
using TTabChangingEvent = std::function<void(TObject *sender, int newIndex, bool &allowChange)>;

class TTabControl : public TWinControl {
public:
    explicit TTabControl(TComponent *owner);
    const std::vector<std::string> &Tabs() const { return tabs_; }
    void SetTabs(const std::vector<std::string> &tabs);
    int TabIndex() const { return tabIndex_; }
    // Chooses a tab without firing OnChange (as a program's own change does not).
    void SetTabIndex(int index);
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int width) { tabWidth_ = width; }
    // The width the row of tabs takes when every tab has the tab width.
    int TabsWidth() const { return static_cast<int>(tabs_.size()) * tabWidth_; }
    // The text of the chosen tab, or "" when none.
    std::string SelectedText() const;
    // Where tab `index` is drawn, in client coordinates, as the row is
    // scrolled now (empty without a window).
    TRect TabRect(int index) const;
    // The row of tabs does not fit and the arrows that scroll it are shown.
    bool ScrollArrowsShown() const;

    TTabChangingEvent OnChanging;
    TNotifyEvent OnChange;

    // Platform side: the person chose a tab.
    void ChosenInWindow(int index);

protected:
    void CreateHandle() override;
    void InitializeHandle() override;

private:
    void Sync();
    void ShowChosenTab();
    std::vector<std::string> tabs_;
    int tabIndex_ = -1;
    int tabWidth_ = 0;
    bool syncing_ = false;
};
