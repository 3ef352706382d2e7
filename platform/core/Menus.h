#pragma once
// Menu items as plain objects: a tree of captions with checked, enabled and
// visible states and click handlers. A window shows them through its menu bar or
// a popup; the tree itself needs no window, so it can be built and tested alone.
#include "platform/core/Component.h"

#include <memory>
#include <string>
#include <vector>

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent *owner = nullptr);
    ~TMenuItem() override;

    const std::string &Caption() const { return caption_; }
    void SetCaption(const std::string &caption);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Key code in the low byte, modifier flags above (scShift 0x2000, scCtrl 0x4000, scAlt 0x8000).
    int ShortCut() const { return shortCut_; }
    void SetShortCut(int shortCut);
    const std::string &Hint() const { return hint_; }
    void SetHint(const std::string &hint) { hint_ = hint; }
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool radio) { radioItem_ = radio; Changed(); }
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index) { groupIndex_ = index; }
    // A separator line: the caption "-".
    bool IsLine() const { return caption_ == "-"; }

    // Children. An item belongs to one parent at a time; freeing a parent frees its children.
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem *Items(int index) const { return items_.at(static_cast<size_t>(index)); }
    TMenuItem *Parent() const { return parent_; }
    int IndexOf(const TMenuItem *item) const;
    int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
    void Add(TMenuItem *item);
    void Insert(int index, TMenuItem *item);
    void Remove(TMenuItem *item);

    // Runs the click handler (when enabled).
    virtual void Click();

    TNotifyEvent OnClick;
    // Told whenever this item or its list of children changes; the window that
    // shows the menu binds it to rebuild what it shows.
    std::function<void(TMenuItem *)> OnChange;

protected:
    void Changed();

private:
    std::string caption_;
    std::string hint_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    bool radioItem_ = false;
    int groupIndex_ = 0;
    int shortCut_ = 0;
    TMenuItem *parent_ = nullptr;
    std::vector<TMenuItem *> items_;
};

constexpr int scShift = 0x2000;
constexpr int scCtrl = 0x4000;
constexpr int scAlt = 0x8000;

// A menu: the root item whose children a window shows.
class TMenu : public TComponent {
public:
    explicit TMenu(TComponent *owner = nullptr);
    ~TMenu() override;
    TMenuItem *Items() const { return items_.get(); }
    // The item that a key with these modifiers (a ShortCut value) runs: one
    // that is visible and enabled, as are the items above it; nullptr when none.
    TMenuItem *FindShortCut(int shortCut) const;
    // Runs the click of the item with that shortcut; false when there is none.
    bool IsShortCut(int shortCut);

private:
    std::unique_ptr<TMenuItem> items_;
};

// The menu bar of a form (TCustomForm::SetMenu shows it).
class TMainMenu : public TMenu {
public:
    explicit TMainMenu(TComponent *owner = nullptr) : TMenu(owner) {}
};

// A menu shown at a point, for example on a right click over a control that
// names it as its PopupMenu.
class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent *owner = nullptr) : TMenu(owner) {}
    // Shows the menu at a screen point and waits until it closes; the chosen
    // item's click runs after the menu is gone.
    virtual void Popup(int x, int y);
    // The control a right click (or, for the focused control, Shift+F10 or
    // the menu key) opens the menu for; set while OnPopup runs (nullptr when
    // the menu is opened otherwise), so that the handler can offer the items
    // that fit it.
    TComponent *PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent *component) { popupComponent_ = component; }
    TNotifyEvent OnPopup;

private:
    TComponent *popupComponent_ = nullptr;
};
