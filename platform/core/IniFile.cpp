#include "platform/core/IniFile.h"

#include "platform/core/Encoding.h"
#include "platform/core/Exceptions.h"
#include "platform/core/StringList.h"
#include "platform/core/SysUtils.h"

#include <optional>
#include <vector>

namespace {

// The file's lines as code page 932 bytes, without their line ends.
std::vector<std::string> LoadLines(const std::string &path)
{
    std::vector<std::string> lines;
    std::string bytes;
    try {
        bytes = ReadFileBytes(path);
    } catch (const Exception &) {
        return lines;
    }
    size_t i = 0;
    while (i < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", i);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(i));
            break;
        }
        lines.push_back(bytes.substr(i, end - i));
        i = end + 1;
        if (bytes[end] == '\r' && i < bytes.size() && bytes[i] == '\n')
            ++i;
    }
    return lines;
}

void SaveLines(const std::string &path, const std::vector<std::string> &lines)
{
    std::string bytes;
    for (const std::string &line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    try {
        WriteFileAtomically(path, bytes);
    } catch (const Exception &e) {
        throw EIniFileException("Unable to write to " + path + " (" + e.Message() + ")");
    }
}

std::string TrimBytes(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return std::string(s.substr(b, e - b));
}

// Folds single-byte letters to lower case, leaving both bytes of every
// double-byte character alone (their second byte may look like a letter).
std::string Fold(std::string_view cp932)
{
    std::string out(cp932);
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (IsCp932LeadByte(c)) {
            ++i;
            continue;
        }
        if (c >= 'A' && c <= 'Z')
            out[i] = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::optional<std::string> SectionName(const std::string &line)
{
    std::string t = TrimBytes(line);
    if (t.empty() || t[0] != '[')
        return std::nullopt;
    size_t close = t.find(']');
    if (close == std::string::npos)
        close = t.size();
    return TrimBytes(std::string_view(t).substr(1, close - 1));
}

bool KeyOf(const std::string &line, std::string &key, std::string &value)
{
    size_t eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    key = TrimBytes(std::string_view(line).substr(0, eq));
    value = TrimBytes(std::string_view(line).substr(eq + 1));
    return true;
}

// The lines [begin, end) of a section's body, or begin = npos when it is missing.
struct SectionRange {
    size_t header = std::string::npos;
    size_t begin = std::string::npos;
    size_t end = std::string::npos;
};

SectionRange FindSection(const std::vector<std::string> &lines, const std::string &foldedName)
{
    SectionRange range;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::optional<std::string> name = SectionName(lines[i]);
        if (!name)
            continue;
        if (range.begin != std::string::npos) {
            range.end = i;
            return range;
        }
        if (Fold(*name) == foldedName) {
            range.header = i;
            range.begin = i + 1;
        }
    }
    if (range.begin != std::string::npos)
        range.end = lines.size();
    return range;
}

size_t FindKey(const std::vector<std::string> &lines, const SectionRange &range, const std::string &foldedKey)
{
    if (range.begin == std::string::npos)
        return std::string::npos;
    for (size_t i = range.begin; i < range.end; ++i) {
        std::string key, value;
        if (KeyOf(lines[i], key, value) && Fold(key) == foldedKey)
            return i;
    }
    return std::string::npos;
}

std::string StripQuotes(const std::string &value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

std::string TIniFile::ReadString(const std::string &section, const std::string &key, const std::string &def) const
{
    std::vector<std::string> lines = LoadLines(fileName_);
    SectionRange range = FindSection(lines, Fold(Utf8ToCp932(section)));
    size_t at = FindKey(lines, range, Fold(Utf8ToCp932(key)));
    if (at == std::string::npos)
        return def;
    std::string k, value;
    KeyOf(lines[at], k, value);
    return Cp932ToUtf8(StripQuotes(value));
}

int TIniFile::ReadInteger(const std::string &section, const std::string &key, int def) const
{
    return StrToIntDef(ReadString(section, key, ""), def);
}

bool TIniFile::ReadBool(const std::string &section, const std::string &key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

long double TIniFile::ReadFloat(const std::string &section, const std::string &key, long double def) const
{
    long double value;
    return TryStrToFloat(ReadString(section, key, ""), value) ? value : def;
}

void TIniFile::WriteString(const std::string &section, const std::string &key, const std::string &value)
{
    std::vector<std::string> lines = LoadLines(fileName_);
    std::string sectionBytes = Utf8ToCp932(section);
    std::string keyBytes = Utf8ToCp932(key);
    std::string line = keyBytes + "=" + Utf8ToCp932(value);
    SectionRange range = FindSection(lines, Fold(sectionBytes));
    if (range.begin == std::string::npos) {
        lines.push_back("[" + sectionBytes + "]");
        lines.push_back(line);
    } else {
        size_t at = FindKey(lines, range, Fold(keyBytes));
        if (at != std::string::npos) {
            lines[at] = line;
        } else {
            // After the section's last line that is not blank.
            size_t insertAt = range.begin;
            for (size_t i = range.begin; i < range.end; ++i)
                if (!TrimBytes(lines[i]).empty())
                    insertAt = i + 1;
            lines.insert(lines.begin() + static_cast<long>(insertAt), line);
        }
    }
    SaveLines(fileName_, lines);
}

void TIniFile::WriteInteger(const std::string &section, const std::string &key, int value)
{
    WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteBool(const std::string &section, const std::string &key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::WriteFloat(const std::string &section, const std::string &key, long double value)
{
    WriteString(section, key, FloatToStr(value));
}

void TIniFile::ReadSection(const std::string &section, TStringList &keys) const
{
    keys.Clear();
    std::vector<std::string> lines = LoadLines(fileName_);
    SectionRange range = FindSection(lines, Fold(Utf8ToCp932(section)));
    if (range.begin == std::string::npos)
        return;
    for (size_t i = range.begin; i < range.end; ++i) {
        std::string key, value;
        if (KeyOf(lines[i], key, value))
            keys.Add(Cp932ToUtf8(key));
    }
}

void TIniFile::ReadSections(TStringList &sections) const
{
    sections.Clear();
    for (const std::string &line : LoadLines(fileName_))
        if (std::optional<std::string> name = SectionName(line))
            sections.Add(Cp932ToUtf8(*name));
}

void TIniFile::ReadSectionValues(const std::string &section, TStringList &values) const
{
    values.Clear();
    std::vector<std::string> lines = LoadLines(fileName_);
    SectionRange range = FindSection(lines, Fold(Utf8ToCp932(section)));
    if (range.begin == std::string::npos)
        return;
    for (size_t i = range.begin; i < range.end; ++i) {
        std::string key, value;
        if (KeyOf(lines[i], key, value))
            values.Add(Cp932ToUtf8(key + "=" + StripQuotes(value)));
    }
}

bool TIniFile::SectionExists(const std::string &section) const
{
    std::vector<std::string> lines = LoadLines(fileName_);
    return FindSection(lines, Fold(Utf8ToCp932(section))).begin != std::string::npos;
}

bool TIniFile::ValueExists(const std::string &section, const std::string &key) const
{
    std::vector<std::string> lines = LoadLines(fileName_);
    SectionRange range = FindSection(lines, Fold(Utf8ToCp932(section)));
    return FindKey(lines, range, Fold(Utf8ToCp932(key))) != std::string::npos;
}

void TIniFile::EraseSection(const std::string &section)
{
    std::vector<std::string> lines = LoadLines(fileName_);
    SectionRange range = FindSection(lines, Fold(Utf8ToCp932(section)));
    if (range.header == std::string::npos)
        return;
    lines.erase(lines.begin() + static_cast<long>(range.header), lines.begin() + static_cast<long>(range.end));
    SaveLines(fileName_, lines);
}

void TIniFile::DeleteKey(const std::string &section, const std::string &key)
{
    std::vector<std::string> lines = LoadLines(fileName_);
    SectionRange range = FindSection(lines, Fold(Utf8ToCp932(section)));
    size_t at = FindKey(lines, range, Fold(Utf8ToCp932(key)));
    if (at == std::string::npos)
        return;
    lines.erase(lines.begin() + static_cast<long>(at));
    SaveLines(fileName_, lines);
}
