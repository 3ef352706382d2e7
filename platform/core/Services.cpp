#include "platform/core/Services.h"

#include "platform/core/SysUtils.h"

#include <QDate>
#include <QDateTime>

#include <cstdlib>

namespace {

std::unique_ptr<TServices> &Current()
{
    static std::unique_ptr<TServices> current = std::make_unique<TServices>();
    return current;
}

// The classic Windows system colours (0x00BBGGRR), so that drawing does not
// depend on the desktop's theme.
const std::uint32_t kSystemColors[31] = {
    0xC8D0D4, 0x984E0A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
    0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0xC56A31, 0xF0F0F0,
};

} // namespace

int TServices::MessageBox(const std::string &, const std::string &, unsigned flags)
{
    return (flags & 0x0F) == MB_OK ? IDOK : IDCANCEL;
}

std::optional<TFileDialogAnswer> TServices::FileDialog(const TFileDialogRequest &) { return std::nullopt; }

std::optional<std::uint32_t> TServices::ColorDialog(std::uint32_t) { return std::nullopt; }

std::vector<std::string> TServices::FontNames() { return {}; }

bool TServices::PrintDialog(TPrintDialogRequest &) { return false; }

std::optional<std::string> TServices::InputQuery(const std::string &, const std::string &, const std::string &)
{
    return std::nullopt;
}

bool TServices::ShellOpen(const std::string &) { return false; }

bool TServices::ShowHelp(const std::string &helpFile, const std::string &page)
{
    (void)page;
    return ShellOpen(helpFile);
}

double TServices::Now()
{
    // Days since 1899/12/30 in local time, with the time of day as the fraction.
    QDateTime now = QDateTime::currentDateTime();
    QDate epoch(1899, 12, 30);
    double days = static_cast<double>(epoch.daysTo(now.date()));
    double msecs = static_cast<double>(now.time().msecsSinceStartOfDay());
    return days + msecs / 86400000.0;
}

std::string TServices::OSName()
{
    return "";
}

std::string TServices::GetEnv(const std::string &name)
{
    const char *value = std::getenv(name.c_str());
    return value ? std::string(value) : std::string();
}

std::string TServices::AppDataDir()
{
    // A relative folder would move with the current folder, which follows the
    // document: only an absolute one counts.
    std::string config = GetEnv("XDG_CONFIG_HOME");
    if (config.starts_with('/'))
        return config;
    return GetEnv("HOME") + "/.config";
}

std::string TServices::ProgramDir()
{
    return ApplicationDir();
}

std::uint32_t TServices::SystemColor(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(kSystemColors)))
        return 0;
    return kSystemColors[index];
}

int TServices::SystemMetric(int index)
{
    switch (index) {
    case 0: return 1024;  // SM_CXSCREEN
    case 1: return 768;   // SM_CYSCREEN
    case 2: return 16;    // SM_CXVSCROLL
    case 3: return 16;    // SM_CYHSCROLL
    case 4: return 18;    // SM_CYCAPTION
    case 5: case 6: return 1; // SM_CXBORDER, SM_CYBORDER
    case 7: case 8: return 3; // SM_CXDLGFRAME, SM_CYDLGFRAME
    case 32: case 33: return 4; // SM_CXFRAME, SM_CYFRAME
    case 15: return 18;   // SM_CYMENU
    default: return 0;
    }
}

TServices &Services()
{
    return *Current();
}

std::string AbsoluteFolderIn(const char *variable)
{
    std::string dir = Services().GetEnv(variable);
    return dir.starts_with('/') ? dir : std::string();
}

std::string UserFolder(const char *variable, const char *fallback)
{
    std::string dir = AbsoluteFolderIn(variable);
    if (dir.empty())
        dir = Services().GetEnv("HOME") + fallback;
    return IncludeTrailingPathDelimiter(dir);
}

std::unique_ptr<TServices> SetServices(std::unique_ptr<TServices> services)
{
    std::unique_ptr<TServices> previous = std::move(Current());
    Current() = services ? std::move(services) : std::make_unique<TServices>();
    return previous;
}

TScopedServices::TScopedServices(std::unique_ptr<TServices> services)
    : previous_(SetServices(std::move(services)))
{
}

TScopedServices::~TScopedServices()
{
    SetServices(std::move(previous_));
}
