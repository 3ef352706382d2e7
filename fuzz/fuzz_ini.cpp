// Reads arbitrary bytes as a settings file through the settings store: every
// typed read, the string bracket rule and a write that must keep the other lines.
#include "controls/IniGT.h"
#include "platform/IniFile.h"
#include "platform/StringList.h"
#include "platform/SysUtils.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {
std::string FuzzPath()
{
    static const std::string path = "/tmp/fuzz_ini_" + std::to_string(getpid()) + ".ini";
    return path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string path = FuzzPath();
    WriteFileAtomically(path, std::string(reinterpret_cast<const char *>(data), size));
    TIniGT ini;
    ini.SetFileName(path);
    TStringList sections;
    ini.IniFile().ReadSections(sections);
    for (int i = 0; i < sections.Count() && i < 16; ++i) {
        TStringList keys;
        ini.IniFile().ReadSection(sections[i], keys);
        for (int k = 0; k < keys.Count() && k < 16; ++k) {
            ini.ReadString(sections[i], keys[k], "default");
            ini.ReadInteger(sections[i], keys[k], 7);
            ini.ReadBool(sections[i], keys[k], true);
        }
    }
    ini.WriteString("Chart", "ChartFontName", "ＭＳ ゴシック");
    if (ini.ReadString("Chart", "ChartFontName", "") != "ＭＳ ゴシック")
        __builtin_trap();
    std::remove(path.c_str());
    return 0;
}
