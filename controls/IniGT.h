#pragma once
// The settings store: an INI file with typed reads and writes, strings kept
// between half-width corner brackets, and the eight keys of a window placement.
#include "platform/core/Component.h"
#include "platform/core/IniFile.h"
#include "platform/kernel/WindowPlacement.h"

#include <memory>
#include <string>

enum class TIniGTDefaultDir { ddApplication, ddWindows, ddNone };

class TIniGT : public TComponent {
public:
    explicit TIniGT(TComponent *owner = nullptr);

    TIniGTDefaultDir DefaultDir() const { return defaultDir_; }
    void SetDefaultDir(TIniGTDefaultDir dir);
    const std::string &FileName() const { return fileName_; }
    // A name with a folder is used as it is; a bare name goes into the folder
    // that DefaultDir names.
    void SetFileName(const std::string &fileName);
    // The path of the file in use.
    const std::string &Path() const { return iniFile_->FileName(); }
    // After loading from a form: an empty file name becomes the program's name with ".ini".
    void Loaded();

    bool ReadBool(const std::string &section, const std::string &key, bool def) const;
    void WriteBool(const std::string &section, const std::string &key, bool value);
    int ReadInteger(const std::string &section, const std::string &key, int def) const;
    void WriteInteger(const std::string &section, const std::string &key, int value);
    // Strings are stored as "｢value｣"; "｢｣" and "\"\"" read as empty, and a value
    // between the brackets or between double quotes loses them.
    std::string ReadString(const std::string &section, const std::string &key, const std::string &def) const;
    void WriteString(const std::string &section, const std::string &key, const std::string &value);

    // Keys name + ".Flags", ".Show", ".MaxX", ".MaxY", ".X", ".Y", ".XSize", ".YSize";
    // the last two are the right and bottom coordinates of the normal position.
    void ReadWindowPlacement(const std::string &section, const std::string &name, TWindowPlacementHolder &form) const;
    void WriteWindowPlacement(const std::string &section, const std::string &name, const TWindowPlacementHolder &form);

    TIniFile &IniFile() { return *iniFile_; }

private:
    void ApplyFileName();

    TIniGTDefaultDir defaultDir_ = TIniGTDefaultDir::ddApplication;
    std::string fileName_;
    std::unique_ptr<TIniFile> iniFile_;
};
