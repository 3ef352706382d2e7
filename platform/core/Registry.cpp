#include "platform/core/Registry.h"

#include "platform/core/Exceptions.h"
#include "platform/core/IniFile.h"
#include "platform/core/Services.h"
#include "platform/core/StringList.h"
#include "platform/core/SysUtils.h"

namespace {

const char *kDefaultValueName = "@";

std::string RootName(THKey root)
{
    return root == THKey::HKEY_CLASSES_ROOT ? "HKEY_CLASSES_ROOT" : "HKEY_CURRENT_USER";
}

std::string Normalize(std::string key)
{
    while (!key.empty() && key.front() == '\\')
        key.erase(key.begin());
    while (!key.empty() && key.back() == '\\')
        key.pop_back();
    return key;
}

std::string ValueName(const std::string &name)
{
    return name.empty() ? kDefaultValueName : name;
}

bool IsSameOrBelow(const std::string &section, const std::string &key)
{
    if (SameText(section, key))
        return true;
    return section.size() > key.size() && SameText(section.substr(0, key.size()), key) && section[key.size()] == '\\';
}

} // namespace

std::string TRegistry::StoreFileName()
{
    return Services().AppDataDir() + "/tarvold/registry.ini";
}

std::string TRegistry::FullPath(const std::string &key) const
{
    std::string k = Normalize(key);
    if (!current_.empty() && !key.empty() && key.front() != '\\')
        return k.empty() ? current_ : current_ + "\\" + k;
    return k.empty() ? RootName(root_) : RootName(root_) + "\\" + k;
}

bool TRegistry::KeyExists(const std::string &key) const
{
    std::string path = FullPath(key);
    TStringList sections;
    TIniFile(StoreFileName()).ReadSections(sections);
    for (int i = 0; i < sections.Count(); ++i)
        if (IsSameOrBelow(sections[i], path))
            return true;
    return false;
}

bool TRegistry::OpenKey(const std::string &key, bool canCreate)
{
    std::string path = FullPath(key);
    if (!KeyExists(key)) {
        if (!canCreate)
            return false;
        ForceDirectories(ExtractFileDir(StoreFileName()));
        // A key is a section; a marker value keeps an empty key in the file.
        TIniFile ini(StoreFileName());
        try {
            ini.WriteString(path, "", "");
            ini.DeleteKey(path, "");
        } catch (const Exception &) {
            return false;
        }
    }
    current_ = path;
    readOnly_ = false;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string &key)
{
    if (!KeyExists(key))
        return false;
    current_ = FullPath(key);
    readOnly_ = true;
    return true;
}

void TRegistry::CloseKey()
{
    current_.clear();
    readOnly_ = false;
}

bool TRegistry::DeleteKey(const std::string &key)
{
    std::string path = FullPath(key);
    TIniFile ini(StoreFileName());
    TStringList sections;
    ini.ReadSections(sections);
    bool found = false;
    for (int i = 0; i < sections.Count(); ++i)
        if (IsSameOrBelow(sections[i], path)) {
            ini.EraseSection(sections[i]);
            found = true;
        }
    return found;
}

bool TRegistry::ValueExists(const std::string &name) const
{
    if (current_.empty())
        return false;
    return TIniFile(StoreFileName()).ValueExists(current_, ValueName(name));
}

std::string TRegistry::ReadString(const std::string &name) const
{
    if (current_.empty())
        return std::string();
    return TIniFile(StoreFileName()).ReadString(current_, ValueName(name), "");
}

void TRegistry::WriteString(const std::string &name, const std::string &value)
{
    if (current_.empty() || readOnly_)
        throw ERegistryException("Failed to set data for '" + name + "'");
    try {
        // Quotes keep surrounding spaces and quotes of the value itself.
        TIniFile(StoreFileName()).WriteString(current_, ValueName(name), "\"" + value + "\"");
    } catch (const Exception &) {
        throw ERegistryException("Failed to set data for '" + name + "'");
    }
}

bool TRegistry::DeleteValue(const std::string &name)
{
    if (current_.empty() || !ValueExists(name))
        return false;
    TIniFile(StoreFileName()).DeleteKey(current_, ValueName(name));
    return true;
}
