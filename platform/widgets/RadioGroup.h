#pragma once
// A framed group of mutually exclusive choices, one per row.
#include "platform/kernel/Controls.h"

#include <string>
#include <vector>

class TRadioGroup : public TCustomControl {
public:
    explicit TRadioGroup(TComponent *owner);
    const std::vector<std::string> &Items() const { return items_; }
    void SetItems(const std::vector<std::string> &items);
    // -1 when nothing is chosen.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    // The row of an item (client coordinates), for painting and clicks.
    TRect ItemRect(int index) const;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(int &key, TShiftState shift) override;

private:
    std::vector<std::string> items_;
    int itemIndex_ = -1;
};
