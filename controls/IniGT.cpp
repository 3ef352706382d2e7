#include "controls/IniGT.h"

#include "platform/core/Encoding.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"

namespace {
// The half-width corner brackets (code page 932 bytes 0xA2 and 0xA3).
const std::string kOpen = "｢";
const std::string kClose = "｣";

bool StartsWith(const std::string &s, const std::string &prefix)
{
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string &s, const std::string &suffix)
{
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}
} // namespace

TIniGT::TIniGT(TComponent *owner) : TComponent(owner), iniFile_(std::make_unique<TIniFile>(""))
{
}

void TIniGT::SetDefaultDir(TIniGTDefaultDir dir)
{
    defaultDir_ = dir;
    ApplyFileName();
}

void TIniGT::SetFileName(const std::string &fileName)
{
    fileName_ = fileName;
    ApplyFileName();
}

void TIniGT::ApplyFileName()
{
    std::string path = fileName_;
    if (!fileName_.empty() && fileName_.find('/') == std::string::npos) {
        switch (defaultDir_) {
        case TIniGTDefaultDir::ddApplication:
            path = ApplicationDir() + fileName_;
            break;
        case TIniGTDefaultDir::ddWindows:
            // The per-user configuration folder stands in for the system folder.
            path = IncludeTrailingPathDelimiter(Services().AppDataDir()) + fileName_;
            break;
        case TIniGTDefaultDir::ddNone:
            break;
        }
    }
    iniFile_ = std::make_unique<TIniFile>(path);
}

void TIniGT::Loaded()
{
    if (fileName_.empty()) {
        std::string exe = ApplicationDir() + "tarvold";
        SetFileName(ChangeFileExt(exe, ".ini"));
    }
}

bool TIniGT::ReadBool(const std::string &section, const std::string &key, bool def) const
{
    return iniFile_->ReadBool(section, key, def);
}

void TIniGT::WriteBool(const std::string &section, const std::string &key, bool value)
{
    iniFile_->WriteBool(section, key, value);
}

int TIniGT::ReadInteger(const std::string &section, const std::string &key, int def) const
{
    return iniFile_->ReadInteger(section, key, def);
}

void TIniGT::WriteInteger(const std::string &section, const std::string &key, int value)
{
    iniFile_->WriteInteger(section, key, value);
}

std::string TIniGT::ReadString(const std::string &section, const std::string &key, const std::string &def) const
{
    std::string value = iniFile_->ReadString(section, key, kOpen + def + kClose);
    size_t length = Utf8Length(value);
    if (length == 2 && (value == "\"\"" || value == kOpen + kClose))
        return std::string();
    if (length > 2) {
        if (value.front() == '"' && value.back() == '"')
            return value.substr(1, value.size() - 2);
        if (StartsWith(value, kOpen) && EndsWith(value, kClose))
            return value.substr(kOpen.size(), value.size() - kOpen.size() - kClose.size());
    }
    return value;
}

void TIniGT::WriteString(const std::string &section, const std::string &key, const std::string &value)
{
    iniFile_->WriteString(section, key, kOpen + value + kClose);
}

void TIniGT::ReadWindowPlacement(const std::string &section, const std::string &name, TWindowPlacementHolder &form) const
{
    TWindowPlacement p = form.GetWindowPlacement();
    p.flags = ReadInteger(section, name + ".Flags", p.flags);
    p.showCmd = ReadInteger(section, name + ".Show", p.showCmd);
    p.maxX = ReadInteger(section, name + ".MaxX", p.maxX);
    p.maxY = ReadInteger(section, name + ".MaxY", p.maxY);
    p.normalLeft = ReadInteger(section, name + ".X", p.normalLeft);
    p.normalTop = ReadInteger(section, name + ".Y", p.normalTop);
    p.normalRight = ReadInteger(section, name + ".XSize", p.normalRight);
    p.normalBottom = ReadInteger(section, name + ".YSize", p.normalBottom);
    form.SetWindowPlacement(FitPlacementToScreens(p, ScreenRects()));
}

void TIniGT::WriteWindowPlacement(const std::string &section, const std::string &name, const TWindowPlacementHolder &form)
{
    TWindowPlacement p = form.GetWindowPlacement();
    WriteInteger(section, name + ".Flags", p.flags);
    WriteInteger(section, name + ".Show", p.showCmd);
    WriteInteger(section, name + ".MaxX", p.maxX);
    WriteInteger(section, name + ".MaxY", p.maxY);
    WriteInteger(section, name + ".X", p.normalLeft);
    WriteInteger(section, name + ".Y", p.normalTop);
    WriteInteger(section, name + ".XSize", p.normalRight);
    WriteInteger(section, name + ".YSize", p.normalBottom);
}
