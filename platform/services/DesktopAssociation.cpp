#include "platform/services/DesktopAssociation.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"

#include <algorithm>
#include <sstream>

namespace {

const char *const kDefaultSection = "[Default Applications]";

std::string HomeFolder(const char *variable, const char *fallback)
{
    std::string dir = Services().GetEnv(variable);
    if (dir.empty())
        dir = Services().GetEnv("HOME") + fallback;
    return IncludeTrailingPathDelimiter(dir);
}

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

std::string ValueOf(const std::string &line)
{
    auto eq = line.find('=');
    return eq == std::string::npos ? std::string() : Trim(line.substr(eq + 1));
}

// Writes a file, making its folder first.
void WriteWithFolder(const std::string &path, const std::string &text)
{
    ForceDirectories(ExtractFileDir(path));
    WriteFileAtomically(path, text);
}

} // namespace

std::string TDesktopAssociation::EntryFileName() const
{
    return HomeFolder("XDG_DATA_HOME", "/.local/share") + "applications/" + entryName_;
}

std::string TDesktopAssociation::MimeAppsFileName() const
{
    return HomeFolder("XDG_CONFIG_HOME", "/.config") + "mimeapps.list";
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
        if (i < lines.size() && !IsSection(lines[i]))
            lines[i] = type + "=" + entryName_;
        else
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(start), type + "=" + entryName_);
    }
    WriteWithFolder(MimeAppsFileName(), JoinLines(lines));
}

void TDesktopAssociation::Unregister()
{
    if (FileExists(EntryFileName()) && !DeleteFile(EntryFileName()))
        throw EFCreateError("Cannot remove " + EntryFileName());
    std::vector<std::string> lines = ReadLines(MimeAppsFileName());
    size_t before = lines.size();
    bool inDefaults = false;
    std::vector<std::string> kept;
    for (const std::string &line : lines) {
        if (IsSection(line))
            inDefaults = IsDefaultSection(line);
        if (inDefaults && ValueOf(line) == entryName_)
            continue;
        kept.push_back(line);
    }
    if (kept.size() != before)
        WriteFileAtomically(MimeAppsFileName(), JoinLines(kept));
}

std::string TDesktopAssociation::ExecArgument(const std::string &argument)
{
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
            return ValueOf(line) == entryName_;
    }
    return false;
}
