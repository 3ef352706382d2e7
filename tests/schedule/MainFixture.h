#pragma once
// A main window started in a fresh temporary folder with scripted services.
#include "platform/core/DateTime.h"
#include "platform/services/DesktopServices.h"
#include "platform/core/SysUtils.h"
#include "schedule/Main.h"
#include "tests/TestSupport.h"

#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace testing_main {

class TTestServices : public TDesktopServices {
public:
    explicit TTestServices(std::string appData) : appData_(std::move(appData)) {}
    std::string AppDataDir() override { return appData_; }
    std::string ProgramDir() override { return programDir; }
    std::string programDir;
    double Now() override { return now; }
    double now = EncodeDate(2024, 1, 10) + 0.5;
    std::string OSName() override { return os; }
    // Answered with `answer`, or shown on screen for the person to answer
    // while `realBoxes` is set.
    int MessageBox(const std::string &text, const std::string &caption, unsigned flags) override
    {
        messages.push_back(text);
        return realBoxes ? TDesktopServices::MessageBox(text, caption, flags) : answer;
    }
    bool realBoxes = false;
    // File dialogs are cancelled.
    std::optional<TFileDialogAnswer> FileDialog(const TFileDialogRequest &) override { return std::nullopt; }
    // Colour dialogs answer with the queued colours in turn, then are cancelled;
    // the colours they start at are kept.
    std::optional<std::uint32_t> ColorDialog(std::uint32_t initial) override
    {
        colorRequests.push_back(initial);
        if (colors.empty())
            return std::nullopt;
        auto color = colors.front();
        colors.erase(colors.begin());
        if (color)
            return testing_support::ColorDialogAnswer(*color, initial);
        return color;
    }
    // Links and help open when `shellOpens` says so; every target is kept.
    bool ShellOpen(const std::string &target) override
    {
        opened.push_back(target);
        return shellOpens;
    }
    std::vector<std::string> opened;
    bool shellOpens = true;
    std::vector<std::optional<std::uint32_t>> colors;
    std::vector<std::uint32_t> colorRequests;
    std::string os;
    int answer = IDNO;
    std::vector<std::string> messages;

private:
    std::string appData_;
};

// A fresh folder for each start (removed afterwards), so that nothing a
// finished test left behind can be taken for a setting. The program is
// started from "run/" and lives in "program/".
struct TStartup {
    testing_support::TempDir dir;
    std::string root = dir.Path();
    TTestServices *services;
    std::unique_ptr<TScopedServices> scope;
    explicit TStartup(const std::string &os = "")
    {
        ForceDirectories(root + "run");
        ForceDirectories(root + "appdata");
        ForceDirectories(root + "program");
        SetCurrentDir(root + "run");
        auto s = std::make_unique<TTestServices>(root + "appdata");
        s->programDir = root + "program/";
        s->os = os;
        services = s.get();
        scope = std::make_unique<TScopedServices>(std::move(s));
    }
    ~TStartup() { SetCurrentDir(GetTempPath()); }
    TStartup(const TStartup &) = delete;
    TStartup &operator=(const TStartup &) = delete;
};

// A started main window of 900 x 600 pixels with an empty chart drawn.
struct TMainBoard {
    TStartup startup;
    TfrmMain form{nullptr, "", false};
    TMainBoard()
    {
        form.SetBounds(0, 0, 900, 600);
        form.RedrawChart();
    }
};

// The loop runs until the wheel has stood still long enough for the rows to
// scroll by its notches.
inline void LetTheWheelStandStill()
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(40);
    while (std::chrono::steady_clock::now() < until) {
        ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace testing_main
using namespace testing_main;
