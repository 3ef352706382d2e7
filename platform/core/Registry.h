#pragma once
// The registry stand-in: a key tree kept in a file of the per-user folder
// ("registry.ini" under "<application data>/tarvold/"), with the two roots the
// program uses. It stores exactly what the program writes.
#include <string>

enum class THKey { HKEY_CLASSES_ROOT, HKEY_CURRENT_USER };

class TRegistry {
public:
    TRegistry() = default;

    THKey RootKey() const { return root_; }
    void SetRootKey(THKey root) { root_ = root; CloseKey(); }

    // Opens a key below the root ("Software\Tarvold"); with canCreate it is made
    // when missing. False when it does not exist and may not be made.
    bool OpenKey(const std::string &key, bool canCreate);
    bool OpenKeyReadOnly(const std::string &key);
    void CloseKey();
    const std::string &CurrentPath() const { return current_; }

    bool KeyExists(const std::string &key) const;
    // Deletes a key with all its subkeys.
    bool DeleteKey(const std::string &key);
    bool ValueExists(const std::string &name) const;
    // An empty name is the key's default value. A missing value reads as empty.
    std::string ReadString(const std::string &name) const;
    // Raise ERegistryException when no key is open or the store cannot be written.
    void WriteString(const std::string &name, const std::string &value);
    bool DeleteValue(const std::string &name);

    // The file that holds the tree.
    static std::string StoreFileName();

private:
    std::string FullPath(const std::string &key) const;
    THKey root_ = THKey::HKEY_CURRENT_USER;
    std::string current_;   // full path of the open key, empty when none
    bool readOnly_ = false;
};
