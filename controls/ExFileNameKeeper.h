#pragma once
// The six most recently used file names, kept in the section "KeepFileNames" of
// an INI file and mirrored as items under a menu.
#include "platform/core/Component.h"

#include <array>
#include <functional>
#include <string>

class TMenuItem;

using TFileNameSelectEvent = std::function<void(const std::string &fileName)>;

class TExFileNameKeep : public TComponent {
public:
    static constexpr int KeepCount = 6;

    explicit TExFileNameKeep(TComponent *owner = nullptr);
    // Writes the list back when it was loaded from a file.
    ~TExFileNameKeep() override;

    TMenuItem *ParentMenu() const { return parentMenu_; }
    void SetParentMenu(TMenuItem *menu);

    // Reads "FileName6" down to "FileName1", so that FileName1 ends up first.
    void LoadFromIni(const std::string &iniPath);
    // Erases the section and writes "FileName1".."FileName6", empty ones included.
    void SaveToIni();
    // Puts a name first (moving it there when already listed); ignored without a
    // parent menu or for an empty name.
    void AddFileName(const std::string &name);
    // Moves every entry equal to the name to the front; true when one was found.
    bool MoveToFront(const std::string &name);
    void UpdateMenu();

    const std::string &Entry(int index) const { return entries_.at(static_cast<size_t>(index)); }
    TMenuItem *MenuItem(int index) const { return menuItems_.at(static_cast<size_t>(index)); }

    TFileNameSelectEvent OnSelect;

protected:
    void Notification(TComponent *component, TOperation operation) override;

private:
    void MenuItemClick(TObject *sender);

    std::string iniName_;
    std::array<std::string, KeepCount> entries_;
    std::array<TMenuItem *, KeepCount> menuItems_{};
    TMenuItem *parentMenu_ = nullptr;
};
