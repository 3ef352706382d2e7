#pragma once
// The services as the desktop gives them: the toolkit's message box and
// standard dialogs, the system's fonts and the desktop's link handler.
#include "platform/core/Services.h"

class TDesktopServices : public TServices {
public:
    int MessageBox(const std::string &text, const std::string &caption, unsigned flags) override;
    std::optional<TFileDialogAnswer> FileDialog(const TFileDialogRequest &request) override;
    std::optional<std::uint32_t> ColorDialog(std::uint32_t initial) override;
    std::vector<std::string> FontNames() override;
    bool PrintDialog(TPrintDialogRequest &request) override;
    std::optional<std::string> InputQuery(const std::string &caption, const std::string &prompt,
                                          const std::string &value) override;
    bool ShellOpen(const std::string &target) override;
};

// Puts the desktop's services in force; each program does so at its start.
void InstallDesktopServices();
