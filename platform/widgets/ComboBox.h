#pragma once
// A combo box: a list of texts with a chosen index, and (csDropDown) an edit.
#include "platform/kernel/Controls.h"

#include <string>
#include <vector>

enum TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent *owner);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle s) { style_ = s; }
    const std::vector<std::string> &Items() const { return items_; }
    void SetItems(const std::vector<std::string> &items);
    void AddItem(const std::string &item);
    void ClearItems() { SetItems({}); }
    int IndexOf(const std::string &text) const;
    // -1 when nothing is chosen.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    std::string Text() const override;
    // Chooses the item with that text, or (csDropDown) shows the text; a text not
    // in a drop-down list leaves the list without a choice.
    void SetText(const std::string &text) override;

    // The dropped-down list is as wide as its longest item needs (never
    // narrower than the box, never wider than the screen); otherwise it is
    // as wide as the box.
    bool ListFitsItems() const { return listFitsItems_; }
    void SetListFitsItems(bool fits);
    // Drops the list down or closes it, as the arrow does.
    bool DroppedDown() const;
    void SetDroppedDown(bool dropped);
    // Where the dropped-down list is on the screen; empty while it is closed.
    TRect DroppedRect() const;

    TNotifyEvent OnChange;

    // Platform side: the person chose an item or typed.
    void ChosenInWindow(int index, const std::string &text);
    void TypedInWindow(const std::string &text);

protected:
    void CreateHandle() override;
    void InitializeHandle() override;
    void FontChanged() override;

private:
    void SyncWindow();
    void FitListWidth();
    TComboBoxStyle style_ = csDropDown;
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    bool syncing_ = false;
    bool listFitsItems_ = false;
};
