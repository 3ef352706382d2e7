// Reads arbitrary bytes as a settings file through the settings store, both in
// the encoding they read as and, when they convert without loss, as the same
// text in the other one (code page 932 or UTF-8): every typed read, the string
// bracket rule, the window placement, and writes that must keep what they
// wrote and what every other key held, through the file's change to UTF-8
// and back.
#include "controls/IniGT.h"
#include "platform/core/Encoding.h"
#include "platform/core/IniFile.h"
#include "platform/core/StringList.h"
#include "platform/core/SysUtils.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
std::string FuzzPath()
{
    // Every write is flushed to the disk; a memory file system makes that cheap.
    static const std::string folder = DirectoryExists("/dev/shm") ? "/dev/shm/" : "/tmp/";
    static const std::string path = folder + "fuzz_ini_" + std::to_string(getpid()) + ".ini";
    return path;
}

// The same text in the other encoding, when it converts both ways unchanged
// and reads as that encoding.
std::optional<std::string> InTheOtherEncoding(const std::string &bytes)
{
    if (IsAscii(bytes))
        return std::nullopt;
    if (HoldsUtf8Characters(bytes)) {
        std::size_t replaced = 0;
        std::string cp932 = Utf8ToCp932(bytes, replaced);
        if (replaced > 0 || Cp932ToUtf8(cp932) != bytes || HoldsUtf8Characters(cp932))
            return std::nullopt;
        return cp932;
    }
    std::string utf8 = Cp932ToUtf8(bytes);
    if (Utf8ToCp932(utf8) != bytes)
        return std::nullopt;
    return utf8;
}

// A byte that is not code page 932 reads as "?", which names no line; the
// values are compared only for files without one.
bool ConvertsCleanly(const std::string &bytes)
{
    return HoldsUtf8Characters(bytes) || IsAscii(bytes) || Utf8ToCp932(Cp932ToUtf8(bytes)) == bytes;
}

bool IsWritten(const std::string &section, const std::string &key)
{
    return (SameText(section, "Chart") && SameText(key, "ChartFontName")) ||
           (SameText(section, "Other") && SameText(key, "XSL"));
}

// Every key of the first sections with its value as string, integer and Boolean.
std::vector<std::string> ReadAll(TIniGT &ini)
{
    std::vector<std::string> read;
    TStringList sections;
    ini.IniFile().ReadSections(sections);
    for (int i = 0; i < sections.Count() && i < 16; ++i) {
        TStringList keys;
        ini.IniFile().ReadSection(sections[i], keys);
        for (int k = 0; k < keys.Count() && k < 16; ++k) {
            if (IsWritten(sections[i], keys[k]))
                continue;
            read.push_back(sections[i] + "\n" + keys[k] + "\n" + ini.ReadString(sections[i], keys[k], "default") +
                           "\n" + std::to_string(ini.ReadInteger(sections[i], keys[k], 7)) +
                           (ini.ReadBool(sections[i], keys[k], true) ? "1" : "0"));
        }
    }
    return read;
}

void CheckPlacement(TIniGT &ini)
{
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
}

// What was read before the writes, or nothing when the file is not clean.
std::vector<std::string> ReadAndWrite(const std::string &bytes)
{
    const std::string path = FuzzPath();
    WriteFileAtomically(path, bytes);
    TIniGT ini;
    ini.SetFileName(path);
    const std::vector<std::string> before = ReadAll(ini);
    CheckPlacement(ini);
    const bool clean = ConvertsCleanly(bytes);

    ini.WriteString("Chart", "ChartFontName", "ＭＳ ゴシック");
    if (ini.ReadString("Chart", "ChartFontName", "") != "ＭＳ ゴシック")
        __builtin_trap();
    // A value code page 932 lacks turns the file to UTF-8.
    ini.WriteString("Other", "XSL", "/home/계획/café/Tarvold.xsl");
    if (ini.ReadString("Other", "XSL", "") != "/home/계획/café/Tarvold.xsl" ||
        ini.ReadString("Chart", "ChartFontName", "") != "ＭＳ ゴシック" || !HoldsUtf8Characters(ReadFileBytes(path)))
        __builtin_trap();
    if (clean && ReadAll(ini) != before)
        __builtin_trap();
    // And one it holds may turn it back.
    ini.WriteString("Other", "XSL", "/x.xsl");
    if (ini.ReadString("Other", "XSL", "") != "/x.xsl" || ini.ReadString("Chart", "ChartFontName", "") != "ＭＳ ゴシック")
        __builtin_trap();
    if (clean && ReadAll(ini) != before)
        __builtin_trap();
    std::remove(path.c_str());
    return clean ? before : std::vector<std::string>();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const std::vector<std::string> read = ReadAndWrite(bytes);
    if (std::optional<std::string> other = InTheOtherEncoding(bytes))
        if (ReadAndWrite(*other) != read)
            __builtin_trap();
    return 0;
}
