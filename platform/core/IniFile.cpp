#include "platform/core/IniFile.h"

#include "platform/core/Encoding.h"
#include "platform/core/Exceptions.h"
#include "platform/core/StringList.h"
#include "platform/core/SysUtils.h"

#include <optional>
#include <vector>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A settings file as it stands on the disk: its lines without their line
// ends, each in the file's encoding, so that a line nobody changes is
// written back with the bytes it had.
struct TIniText {
    bool utf8 = false;
    std::string mark; // a byte-order mark a text editor put before a UTF-8 file
    std::vector<std::string> lines;
};

std::vector<std::string> SplitLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", i);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(i));
            break;
        }
        lines.emplace_back(bytes.substr(i, end - i));
        i = end + 1;
        if (bytes[end] == '\r' && i < bytes.size() && bytes[i] == '\n')
            ++i;
    }
    return lines;
}

TIniText LoadText(const std::string &path)
{
    TIniText text;
    std::string bytes;
    try {
        bytes = ReadFileBytes(path);
    } catch (const Exception &) {
        return text;
    }
    text.utf8 = HoldsUtf8Characters(bytes);
    std::string_view body = bytes;
    if (text.utf8 && body.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.mark = kByteOrderMark;
        body.remove_prefix(kByteOrderMark.size());
    }
    text.lines = SplitLines(body);
    return text;
}

std::string JoinLines(const TIniText &text)
{
    std::string bytes = text.mark;
    for (const std::string &line : text.lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

// The text in code page 932 when that holds it: every character is there and
// reads back as itself ("¥" and "〜", for one, would come back as "\\" and "～").
std::optional<std::string> InCp932(std::string_view utf8)
{
    std::size_t replaced = 0;
    std::string cp932 = Utf8ToCp932(utf8, replaced);
    if (replaced > 0 || Cp932ToUtf8(cp932) != utf8)
        return std::nullopt;
    return cp932;
}

void ChangeToUtf8(TIniText &text)
{
    if (text.utf8)
        return;
    for (std::string &line : text.lines)
        line = Cp932ToUtf8(line);
    text.utf8 = true;
}

// Code page 932 again when it holds every line and its bytes would not be
// taken for UTF-8 on the next read.
void ChangeToCp932IfItHoldsAll(TIniText &text)
{
    std::vector<std::string> lines;
    lines.reserve(text.lines.size());
    for (const std::string &line : text.lines) {
        std::optional<std::string> cp932 = InCp932(line);
        if (!cp932)
            return;
        lines.push_back(std::move(*cp932));
    }
    TIniText cp932{false, std::string(), std::move(lines)};
    if (HoldsUtf8Characters(JoinLines(cp932)))
        return;
    text = std::move(cp932);
}

// Written so that the next read takes the file in the encoding it was written in.
void SaveText(const std::string &path, TIniText &text)
{
    if (text.utf8)
        ChangeToCp932IfItHoldsAll(text);
    std::string bytes = JoinLines(text);
    if (!text.utf8 && HoldsUtf8Characters(bytes)) {
        ChangeToUtf8(text);
        bytes = JoinLines(text);
    }
    try {
        WriteFileAtomically(path, bytes);
    } catch (const Exception &e) {
        throw EIniFileException("Unable to write to " + path + " (" + e.Message() + ")");
    }
}

// The program's text in the file's encoding; nothing when the file is in code
// page 932 and that does not hold it. Bytes that are not UTF-8 become "?".
std::optional<std::string> Encode(const TIniText &text, std::string_view utf8)
{
    std::string repaired = RepairUtf8(utf8);
    if (text.utf8)
        return repaired;
    return InCp932(repaired);
}

std::string Decode(const TIniText &text, std::string_view bytes)
{
    return text.utf8 ? std::string(bytes) : Cp932ToUtf8(bytes);
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

// Folds the ASCII letters to lower case. In code page 932 both bytes of a
// double-byte character are left alone (the second may look like a letter);
// in UTF-8 every byte of a longer character is 0x80 or more.
std::string Fold(const TIniText &text, std::string_view bytes)
{
    std::string out(bytes);
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (!text.utf8 && IsCp932LeadByte(c)) {
            ++i;
            continue;
        }
        if (c >= 'A' && c <= 'Z')
            out[i] = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// A section or key name as the file's lines are compared with; nothing when
// the file cannot hold it, so that it matches no line.
std::optional<std::string> FoldedName(const TIniText &text, std::string_view utf8)
{
    std::optional<std::string> bytes = Encode(text, utf8);
    if (!bytes)
        return std::nullopt;
    return Fold(text, *bytes);
}

// The closing bracket of a section line; in code page 932 the second byte of
// a double-byte character is never one.
size_t FindClosingBracket(const TIniText &text, std::string_view line)
{
    for (size_t i = 0; i < line.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(line[i]);
        if (c == ']')
            return i;
        if (!text.utf8 && IsCp932LeadByte(c))
            ++i;
    }
    return std::string_view::npos;
}

std::optional<std::string> SectionName(const TIniText &text, const std::string &line)
{
    std::string t = TrimBytes(line);
    if (t.empty() || t[0] != '[')
        return std::nullopt;
    size_t close = FindClosingBracket(text, t);
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

SectionRange FindSection(const TIniText &text, const std::string &section)
{
    SectionRange range;
    std::optional<std::string> folded = FoldedName(text, section);
    if (!folded)
        return range;
    for (size_t i = 0; i < text.lines.size(); ++i) {
        std::optional<std::string> name = SectionName(text, text.lines[i]);
        if (!name)
            continue;
        if (range.begin != std::string::npos) {
            range.end = i;
            return range;
        }
        if (Fold(text, *name) == *folded) {
            range.header = i;
            range.begin = i + 1;
        }
    }
    if (range.begin != std::string::npos)
        range.end = text.lines.size();
    return range;
}

size_t FindKey(const TIniText &text, const SectionRange &range, const std::string &key)
{
    std::optional<std::string> folded = FoldedName(text, key);
    if (range.begin == std::string::npos || !folded)
        return std::string::npos;
    for (size_t i = range.begin; i < range.end; ++i) {
        std::string name, value;
        if (KeyOf(text.lines[i], name, value) && Fold(text, name) == *folded)
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
    TIniText text = LoadText(fileName_);
    size_t at = FindKey(text, FindSection(text, section), key);
    if (at == std::string::npos)
        return def;
    std::string name, value;
    KeyOf(text.lines[at], name, value);
    return Decode(text, StripQuotes(value));
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
    TIniText text = LoadText(fileName_);
    std::optional<std::string> sectionBytes = Encode(text, section), keyBytes = Encode(text, key),
                               valueBytes = Encode(text, value);
    if (!sectionBytes || !keyBytes || !valueBytes) {
        ChangeToUtf8(text);
        sectionBytes = Encode(text, section);
        keyBytes = Encode(text, key);
        valueBytes = Encode(text, value);
    }
    std::string line = *keyBytes + "=" + *valueBytes;
    SectionRange range = FindSection(text, section);
    std::vector<std::string> &lines = text.lines;
    if (range.begin == std::string::npos) {
        lines.push_back("[" + *sectionBytes + "]");
        lines.push_back(line);
    } else {
        size_t at = FindKey(text, range, key);
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
    SaveText(fileName_, text);
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
    TIniText text = LoadText(fileName_);
    SectionRange range = FindSection(text, section);
    if (range.begin == std::string::npos)
        return;
    for (size_t i = range.begin; i < range.end; ++i) {
        std::string key, value;
        if (KeyOf(text.lines[i], key, value))
            keys.Add(Decode(text, key));
    }
}

void TIniFile::ReadSections(TStringList &sections) const
{
    sections.Clear();
    TIniText text = LoadText(fileName_);
    for (const std::string &line : text.lines)
        if (std::optional<std::string> name = SectionName(text, line))
            sections.Add(Decode(text, *name));
}

void TIniFile::ReadSectionValues(const std::string &section, TStringList &values) const
{
    values.Clear();
    TIniText text = LoadText(fileName_);
    SectionRange range = FindSection(text, section);
    if (range.begin == std::string::npos)
        return;
    for (size_t i = range.begin; i < range.end; ++i) {
        std::string key, value;
        if (KeyOf(text.lines[i], key, value))
            values.Add(Decode(text, key + "=" + StripQuotes(value)));
    }
}

bool TIniFile::SectionExists(const std::string &section) const
{
    TIniText text = LoadText(fileName_);
    return FindSection(text, section).begin != std::string::npos;
}

bool TIniFile::ValueExists(const std::string &section, const std::string &key) const
{
    TIniText text = LoadText(fileName_);
    return FindKey(text, FindSection(text, section), key) != std::string::npos;
}

void TIniFile::EraseSection(const std::string &section)
{
    TIniText text = LoadText(fileName_);
    SectionRange range = FindSection(text, section);
    if (range.header == std::string::npos)
        return;
    text.lines.erase(text.lines.begin() + static_cast<long>(range.header), text.lines.begin() + static_cast<long>(range.end));
    SaveText(fileName_, text);
}

void TIniFile::DeleteKey(const std::string &section, const std::string &key)
{
    TIniText text = LoadText(fileName_);
    size_t at = FindKey(text, FindSection(text, section), key);
    if (at == std::string::npos)
        return;
    text.lines.erase(text.lines.begin() + static_cast<long>(at));
    SaveText(fileName_, text);
}
