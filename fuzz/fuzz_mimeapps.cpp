// Takes arbitrary bytes as the desktop's "mimeapps.list", makes the program the
// default for two types and gives them back: the defaults must read as set,
// then as gone, every line of the other sections must be kept, and the
// person's own defaults must come back as they were.
#include "platform/services/DesktopAssociation.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct HomeServices : TServices {
    std::string home;
    std::string GetEnv(const std::string &name) override { return name == "HOME" ? home : std::string(); }
};

std::string Home()
{
    static const std::string home = [] {
        std::string h = "/tmp/fuzz_mimeapps_" + std::to_string(getpid());
        ForceDirectories(h + "/.config");
        auto services = std::make_unique<HomeServices>();
        services->home = h;
        SetServices(std::move(services));
        return h;
    }();
    return home;
}

// The lines outside the "[Default Applications]" section, in order.
std::vector<std::string> OtherSections(const std::string &text)
{
    std::vector<std::string> lines;
    bool inDefaults = false;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.front() == '[')
            inDefaults = TrimRight(line) == "[Default Applications]";
        if (!inDefaults)
            lines.push_back(line);
    }
    return lines;
}

// The person's own lines: all but the defaults section's headings and its
// lines that name no entry at all, in order.
std::vector<std::string> OwnLines(const std::string &text)
{
    std::vector<std::string> lines;
    bool inDefaults = false;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const bool heading = !line.empty() && line.front() == '[';
        if (heading)
            inDefaults = TrimRight(line) == "[Default Applications]";
        if (inDefaults && heading)
            continue;
        const size_t eq = line.find('=');
        auto namesEntry = [&] {
            for (size_t i = eq + 1; i < line.size(); ++i)
                if (static_cast<unsigned char>(line[i]) > ' ' && line[i] != ';')
                    return true;
            return false;
        };
        if (inDefaults && eq != std::string::npos && !Trim(line.substr(0, eq)).empty() && !namesEntry())
            continue;
        lines.push_back(line);
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string listFile = Home() + "/.config/mimeapps.list";
    std::string input(reinterpret_cast<const char *>(data), size);
    WriteFileAtomically(listFile, input);
    TDesktopAssociation association("tarvold.desktop");
    const std::vector<std::string> types = {"application/xml", "text/xml"};
    association.Register("Tarvold", "tarvold %f", types);
    for (const std::string &type : types)
        if (!association.IsDefaultFor(type))
            __builtin_trap();
    if (OtherSections(ReadFileBytes(listFile)) != OtherSections(input))
        __builtin_trap();
    association.Unregister();
    for (const std::string &type : types)
        if (association.IsDefaultFor(type))
            __builtin_trap();
    if (FileExists(association.EntryFileName()) || OtherSections(ReadFileBytes(listFile)) != OtherSections(input))
        __builtin_trap();
    // Where the list named the program nowhere, every default of the person's
    // is back byte for byte.
    if (input.find("tarvold.desktop") == std::string::npos && OwnLines(ReadFileBytes(listFile)) != OwnLines(input))
        __builtin_trap();
    return 0;
}
