#pragma once
// A list box: texts one under another, each with a number the program keeps
// beside it, and the chosen one.
#include "platform/kernel/Controls.h"

#include <string>
#include <vector>

class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent *owner);

    int Count() const { return static_cast<int>(items_.size()); }
    const std::string &Items(int index) const { return items_.at(static_cast<size_t>(index)).Text; }
    // The number kept with an item (0 unless given).
    int ItemData(int index) const { return items_.at(static_cast<size_t>(index)).Data; }
    void AddItem(const std::string &text, int data = 0);
    void Clear();
    // -1 when nothing is chosen.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);

    // Platform side: the person chose an item (fires OnClick).
    void ChosenInWindow(int index);

protected:
    void CreateHandle() override;
    void InitializeHandle() override;

private:
    struct TItem {
        std::string Text;
        int Data = 0;
    };
    void SyncWindow();
    std::vector<TItem> items_;
    int itemIndex_ = -1;
    bool syncing_ = false;
};
