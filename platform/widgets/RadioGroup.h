#pragma once
// A framed group of mutually exclusive choices, laid out in columns.
//
// The group is one Tab stop: the keyboard is on the chosen item (the first
// when none is chosen), which shows a focus mark while the group has the
// focus; the arrow keys choose the previous (up, left) or next (down, right)
// item, wrapping around, and Space chooses the item the keyboard is on. A
// choice by key fires OnClick as a click does.
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
    // The items fill the first column top to bottom, then the next (1 to 16).
    int Columns() const { return columns_; }
    void SetColumns(int columns);
    // The place of an item (client coordinates), for painting and clicks.
    TRect ItemRect(int index) const;
    // The item the keyboard is on: the chosen one, else the first (-1 without items).
    int FocusIndex() const;

    // A screen reader reads the group by its caption, and its items as radio
    // buttons (the chosen one checked); an item's action chooses it.
    int AccessibleRole() const override;
    int AccessiblePartCount() override { return Count(); }
    TAccessiblePart AccessiblePart(int index) override;
    void DoAccessiblePartAction(int index) override;

protected:
    std::string AccessibleCaption() const override { return StripAccelerators(Caption()); }
    void CreateHandle() override;
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(int &key, TShiftState shift) override;
    void DoEnter() override;
    void DoExit() override;

private:
    void AnnounceFocus();
    int Count() const { return static_cast<int>(items_.size()); }
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    int columns_ = 1;
};
