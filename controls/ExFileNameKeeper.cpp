#include "controls/ExFileNameKeeper.h"

#include "platform/core/Exceptions.h"
#include "platform/core/IniFile.h"
#include "platform/core/Menus.h"
#include "platform/core/Services.h"

#include <algorithm>

namespace {
const char *kSection = "KeepFileNames";

std::string KeyName(int number)
{
    return "FileName" + std::to_string(number);
}
} // namespace

TExFileNameKeep::TExFileNameKeep(TComponent *owner) : TComponent(owner)
{
}

TExFileNameKeep::~TExFileNameKeep()
{
    if (iniName_.empty())
        return;
    try {
        SaveToIni();
    } catch (const Exception &e) {
        Services().MessageBox(e.Message(), "たるぼる", MB_OK | MB_ICONERROR);
    }
}

void TExFileNameKeep::SetParentMenu(TMenuItem *menu)
{
    if (parentMenu_)
        RemoveFreeNotification(parentMenu_);
    parentMenu_ = menu;
    if (menu)
        FreeNotification(menu);
}

void TExFileNameKeep::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == parentMenu_)
        parentMenu_ = nullptr;
    for (TMenuItem *&item : menuItems_)
        if (item == component)
            item = nullptr;
}

void TExFileNameKeep::LoadFromIni(const std::string &iniPath)
{
    iniName_ = iniPath;
    TIniFile ini(iniPath);
    for (int number = KeepCount; number >= 1; --number)
        AddFileName(ini.ReadString(kSection, KeyName(number), ""));
}

void TExFileNameKeep::SaveToIni()
{
    TIniFile ini(iniName_);
    ini.EraseSection(kSection);
    for (int number = 1; number <= KeepCount; ++number)
        ini.WriteString(kSection, KeyName(number), entries_[static_cast<size_t>(number - 1)]);
}

void TExFileNameKeep::AddFileName(const std::string &name)
{
    if (!parentMenu_ || name.empty())
        return;
    if (!MoveToFront(name)) {
        for (size_t slot = 0; slot < menuItems_.size(); ++slot) {
            if (menuItems_[slot])
                continue;
            if (slot == 0) {
                auto *separator = new TMenuItem(this);
                separator->SetCaption("-");
                parentMenu_->Add(separator);
            }
            auto *item = new TMenuItem(this);
            item->OnClick = [this](TObject *sender) { MenuItemClick(sender); };
            parentMenu_->Add(item);
            menuItems_[slot] = item;
            break;
        }
        for (size_t i = entries_.size() - 1; i > 0; --i)
            entries_[i] = entries_[i - 1];
        entries_[0] = name;
    }
    UpdateMenu();
}

bool TExFileNameKeep::MoveToFront(const std::string &name)
{
    bool found = false;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i] != name)
            continue;
        for (size_t k = i; k > 0; --k)
            entries_[k] = entries_[k - 1];
        entries_[0] = name;
        found = true;
    }
    return found;
}

namespace {

// A menu caption shows "&&" as "&" (a single one marks the access key), so
// that a path is shown as it is.
std::string ShownAsItIs(const std::string &text)
{
    std::string caption;
    caption.reserve(text.size());
    for (char c : text) {
        caption += c;
        if (c == '&')
            caption += '&';
    }
    return caption;
}

} // namespace

void TExFileNameKeep::UpdateMenu()
{
    for (size_t i = 0; i < menuItems_.size() && menuItems_[i]; ++i)
        menuItems_[i]->SetCaption(ShownAsItIs(entries_[i]));
}

void TExFileNameKeep::MenuItemClick(TObject *sender)
{
    const auto item = std::find(menuItems_.begin(), menuItems_.end(), sender);
    if (OnSelect && item != menuItems_.end())
        OnSelect(entries_[static_cast<size_t>(item - menuItems_.begin())]);
}
