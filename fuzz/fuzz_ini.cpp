// Reads arbitrary bytes as a settings file through the settings store: every
// typed read, the string bracket rule, the window placement and a write that
// must keep the other lines.
#include "controls/IniGT.h"
#include "platform/core/IniFile.h"
#include "platform/core/StringList.h"
#include "platform/core/SysUtils.h"

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
    // A window placement from the file always fits the desktop (no screens
    // here: the stand-in desktop of 1024 x 768).
    struct Holder : TWindowPlacementHolder {
        TWindowPlacement p{0, 1, -1, -1, 10, 20, 810, 620};
        TWindowPlacement GetWindowPlacement() const override { return p; }
        void SetWindowPlacement(const TWindowPlacement &placement) override { p = placement; }
    } form;
    ini.ReadWindowPlacement("Window", "Form", form);
    const long long width = 1LL * form.p.normalRight - form.p.normalLeft;
    const long long height = 1LL * form.p.normalBottom - form.p.normalTop;
    if (width > 0 && height > 0 && (width > 1024 || height > 768 || form.p.normalLeft >= 1024 || form.p.normalTop >= 768))
        __builtin_trap();
    ini.WriteString("Chart", "ChartFontName", "ＭＳ ゴシック");
    if (ini.ReadString("Chart", "ChartFontName", "") != "ＭＳ ゴシック")
        __builtin_trap();
    std::remove(path.c_str());
    return 0;
}
