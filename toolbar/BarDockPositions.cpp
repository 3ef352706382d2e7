// Writing the placement of an owner's dockable windows, one section per window.
#include "toolbar/BarDock.h"

#include "platform/core/IniFile.h"

void SaveDockablePositions(TComponent *owner, const TPositionIntegerWriter &writeInteger,
                           const TPositionStringWriter &writeString)
{
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        auto *bar = dynamic_cast<TBarCustomDockableWindow *>(owner->Components(i));
        if (!bar || bar->Name().empty())
            continue;
        std::string dockedTo;
        if (bar->Floating()) {
            dockedTo = "+";
        } else if (!bar->Docked()) {
            continue;
        } else if (bar->CurrentDock()->AllowDrag()) {
            dockedTo = bar->CurrentDock()->Name();
            if (dockedTo.empty())
                throw Exception("Cannot save dockable window's position because DockedTo's Name property not set");
        }
        const std::string &name = bar->Name();
        writeInteger(name, "Rev", 2000);
        writeInteger(name, "Visible", bar->Visible() ? 1 : 0);
        writeString(name, "DockedTo", dockedTo);
        writeString(name, "LastDock", bar->LastDock() ? bar->LastDock()->Name() : std::string());
        writeInteger(name, "DockRow", bar->DockRow());
        writeInteger(name, "DockPos", bar->DockPos());
        writeInteger(name, "FloatLeft", bar->FloatingPosition().X);
        writeInteger(name, "FloatTop", bar->FloatingPosition().Y);
        bar->WritePositionData(writeInteger, writeString);
    }
}

void SaveDockablePositionsToIni(TComponent *owner, const std::string &iniFileName, const std::string &sectionPrefix)
{
    TIniFile ini(iniFileName);
    SaveDockablePositions(
        owner,
        [&](const std::string &window, const std::string &key, int value) {
            ini.WriteInteger(sectionPrefix + window, key, value);
        },
        [&](const std::string &window, const std::string &key, const std::string &value) {
            ini.WriteString(sectionPrefix + window, key, value);
        });
}
