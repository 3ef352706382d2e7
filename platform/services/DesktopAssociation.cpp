#include "platform/services/DesktopAssociation.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"

#include <algorithm>
#include <sstream>

namespace {

const char *const kDefaultSection = "[Default Applications]";
// Characters that make a command-line argument of an entry need quotes
// (and "%", which is doubled).
const char *const kExecReservedCharacters = " \t\n\"'\\><~|&;$*?#()`%";

// The lines as they are, carriage returns included, so that lines this program
// does not change are written back byte for byte.
std::vector<std::string> ReadLines(const std::string &path)
{
    std::vector<std::string> lines;
    if (!FileExists(path))
        return lines;
    std::istringstream in(ReadFileBytes(path));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string JoinLines(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\n";
    return text;
}

bool IsSection(const std::string &line) { return !line.empty() && line.front() == '['; }

bool IsDefaultSection(const std::string &line) { return TrimRight(line) == kDefaultSection; }

std::string KeyOf(const std::string &line)
{
    auto eq = line.find('=');
    return eq == std::string::npos ? std::string() : Trim(line.substr(0, eq));
}

// Writes a file, making its folder first.
void WriteWithFolder(const std::string &path, const std::string &text)
{
    ForceDirectories(ExtractFileDir(path));
    WriteFileAtomically(path, text);
}

// A line "key=value" of the defaults, cut so that its value can change while
// everything around it stays byte for byte: `head` runs to the value (key,
// "=" and the blanks after it), `tail` is what follows it (blanks, a carriage
// return). The value is a list of entries, each ended by ";" except
// perhaps the last; the first of them that is installed is the default.
struct TDefaultLine {
    std::string head, value, tail;

    explicit TDefaultLine(const std::string &line)
    {
        const size_t eq = line.find('=');
        size_t begin = eq == std::string::npos ? line.size() : eq + 1;
        while (begin < line.size() && static_cast<unsigned char>(line[begin]) <= ' ')
            ++begin;
        size_t end = line.size();
        while (end > begin && static_cast<unsigned char>(line[end - 1]) <= ' ')
            --end;
        head = line.substr(0, begin);
        value = line.substr(begin, end - begin);
        tail = line.substr(end);
    }
    std::string Line() const { return head + value + tail; }

    std::vector<std::string> Entries() const
    {
        std::vector<std::string> entries;
        size_t start = 0;
        for (size_t semicolon; (semicolon = value.find(';', start)) != std::string::npos; start = semicolon + 1)
            entries.push_back(value.substr(start, semicolon - start));
        entries.push_back(value.substr(start));
        return entries;
    }
    // Takes `entry` out of the list wherever it stands; the rest keeps its bytes.
    void Remove(const std::string &entry)
    {
        std::string rest;
        bool first = true;
        for (const std::string &e : Entries()) {
            if (Trim(e) == entry)
                continue;
            if (!first)
                rest += ';';
            rest += e;
            first = false;
        }
        value = rest;
    }
    bool Holds(const std::string &entry) const
    {
        const std::vector<std::string> entries = Entries();
        return std::any_of(entries.begin(), entries.end(), [&](const std::string &e) { return Trim(e) == entry; });
    }
    bool HoldsAnEntry() const
    {
        const std::vector<std::string> entries = Entries();
        return std::any_of(entries.begin(), entries.end(), [](const std::string &e) { return !Trim(e).empty(); });
    }
    std::string FirstEntry() const
    {
        for (const std::string &e : Entries())
            if (!Trim(e).empty())
                return Trim(e);
        return std::string();
    }
};

} // namespace

std::string TDesktopAssociation::EntryFileName() const
{
    return UserFolder("XDG_DATA_HOME", "/.local/share") + "applications/" + entryName_;
}

std::string TDesktopAssociation::MimeAppsFileName() const
{
    return UserFolder("XDG_CONFIG_HOME", "/.config") + "mimeapps.list";
}

void TDesktopAssociation::Register(const std::string &name, const std::string &exec,
                                   const std::vector<std::string> &mimeTypes)
{
    std::string types;
    for (const std::string &type : mimeTypes)
        types += type + ";";
    WriteWithFolder(EntryFileName(), "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec
                                         + "\nMimeType=" + types + "\nTerminal=false\nNoDisplay=true\n");

    std::vector<std::string> lines = ReadLines(MimeAppsFileName());
    auto section = std::find_if(lines.begin(), lines.end(), IsDefaultSection);
    if (section == lines.end()) {
        lines.push_back(kDefaultSection);
        section = lines.end() - 1;
    }
    size_t start = static_cast<size_t>(section - lines.begin()) + 1;
    for (const std::string &type : mimeTypes) {
        size_t i = start;
        for (; i < lines.size() && !IsSection(lines[i]); ++i)
            if (KeyOf(lines[i]) == type)
                break;
        if (i == lines.size() || IsSection(lines[i])) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(start), type + "=" + entryName_);
            continue;
        }
        // The person's own choice stays behind ours, to come back when ours goes.
        TDefaultLine line(lines[i]);
        if (Trim(line.Entries().front()) == entryName_)
            continue;
        line.Remove(entryName_);
        line.value = line.HoldsAnEntry() ? entryName_ + ";" + line.value : entryName_;
        lines[i] = line.Line();
    }
    WriteWithFolder(MimeAppsFileName(), JoinLines(lines));
}

void TDesktopAssociation::Unregister()
{
    if (FileExists(EntryFileName()) && !DeleteFile(EntryFileName()))
        throw EFCreateError("Cannot remove " + EntryFileName());
    const std::vector<std::string> lines = ReadLines(MimeAppsFileName());
    bool inDefaults = false;
    bool changed = false;
    std::vector<std::string> kept;
    for (const std::string &text : lines) {
        if (IsSection(text))
            inDefaults = IsDefaultSection(text);
        else if (inDefaults && !KeyOf(text).empty()) {
            TDefaultLine line(text);
            if (line.Holds(entryName_)) {
                changed = true;
                line.Remove(entryName_);
                // What was there before ours comes back; a line of ours alone goes.
                if (line.HoldsAnEntry())
                    kept.push_back(line.Line());
                continue;
            }
        }
        kept.push_back(text);
    }
    if (changed)
        WriteFileAtomically(MimeAppsFileName(), JoinLines(kept));
}

std::string TDesktopAssociation::ExecArgument(const std::string &argument)
{
    // A plain path goes bare: the desktop's simpler readers of entries take the
    // command's first word as it stands and would not find a quoted program.
    if (!argument.empty() && argument.find_first_of(kExecReservedCharacters) == std::string::npos)
        return argument;
    // Quoting escapes first; then the value's own escaping doubles every backslash.
    std::string quoted = "\"";
    for (char c : argument) {
        switch (c) {
        case '\\': quoted += "\\\\\\\\"; break;  // a backslash takes four
        case '"':
        case '`':
        case '$': quoted += "\\\\"; quoted += c; break;
        case '%': quoted += "%%"; break;
        default: quoted += c;
        }
    }
    return quoted + "\"";
}

bool TDesktopAssociation::IsDefaultFor(const std::string &mimeType) const
{
    bool inDefaults = false;
    for (const std::string &line : ReadLines(MimeAppsFileName())) {
        if (IsSection(line))
            inDefaults = IsDefaultSection(line);
        else if (inDefaults && KeyOf(line) == mimeType)
            return TDefaultLine(line).FirstEntry() == entryName_;
    }
    return false;
}
