#pragma once
// A settings file with the rules of the profile files of the class library:
// CR LF lines in code page 932, or in UTF-8 as long as the file holds a
// character code page 932 lacks (a file is read as UTF-8 when its bytes are
// UTF-8 beyond plain ASCII); section and key names compared without regard to
// the case of ASCII letters;
// values trimmed, with enclosing quotes stripped on reading; a changed key is
// replaced where it stands, a new key is added at the end of its section and a
// new section at the end of the file; every write goes to the disk at once
// (atomically, so a failed write leaves the file as it was).
#include <string>

class TStringList;

class TIniFile {
public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

    const std::string &FileName() const { return fileName_; }

    std::string ReadString(const std::string &section, const std::string &key, const std::string &def) const;
    // Decimal, or hexadecimal written "$1F" or "0x1F"; anything else gives the default.
    int ReadInteger(const std::string &section, const std::string &key, int def) const;
    // Any non-zero integer is true.
    bool ReadBool(const std::string &section, const std::string &key, bool def) const;
    long double ReadFloat(const std::string &section, const std::string &key, long double def) const;

    // Raise EIniFileException when the file cannot be written.
    void WriteString(const std::string &section, const std::string &key, const std::string &value);
    void WriteInteger(const std::string &section, const std::string &key, int value);
    void WriteBool(const std::string &section, const std::string &key, bool value);
    void WriteFloat(const std::string &section, const std::string &key, long double value);

    // The key names of a section, in file order.
    void ReadSection(const std::string &section, TStringList &keys) const;
    void ReadSections(TStringList &sections) const;
    // "key=value" lines of a section.
    void ReadSectionValues(const std::string &section, TStringList &values) const;
    bool SectionExists(const std::string &section) const;
    bool ValueExists(const std::string &section, const std::string &key) const;
    void EraseSection(const std::string &section);
    void DeleteKey(const std::string &section, const std::string &key);
    // Writes are immediate; kept for callers that flush explicitly.
    void UpdateFile() {}

private:
    std::string fileName_;
};
