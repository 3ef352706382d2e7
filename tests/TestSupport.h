#pragma once
// Helpers shared by the test programs: a temporary folder, file bytes, and
// services that answer dialogs from a script and fix the clock.
#include "platform/services/DesktopServices.h"
#include "platform/kernel/MessageBoxOwner.h"

#include <algorithm>
#include <cstdint>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace testing_support {

// The answer of a colour dialog closed with OK without a choice: it gives back
// the colour it started at, which it knows only by its red, green and blue.
constexpr std::uint32_t kColorDialogOk = 0xFFFFFFFFu;
inline std::uint32_t ColorDialogAnswer(std::uint32_t answer, std::uint32_t initial)
{
    return answer == kColorDialogOk ? initial & 0x00FFFFFFu : answer;
}

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvold-test-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        path_ = mkdtemp(buffer.data());
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    // The folder with a trailing "/".
    std::string Path() const { return path_ + "/"; }
    std::string File(const std::string &name) const { return Path() + name; }

private:
    std::string path_;
};

inline void WriteBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The names in a folder (hidden ones too), sorted.
inline std::vector<std::string> ListFiles(const std::string &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A file larger than `limit` bytes cannot be written for a scope (the write
// fails with EFBIG instead of a signal).
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t limit)
    {
        ::getrlimit(RLIMIT_FSIZE, &was_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit now = was_;
        now.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &now);
    }
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &was_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    TFileSizeLimit(const TFileSizeLimit &) = delete;
    TFileSizeLimit &operator=(const TFileSizeLimit &) = delete;

private:
    struct rlimit was_ {};
    void (*oldHandler_)(int) = nullptr;
};

// Services for tests: message boxes are recorded and answered from a queue
// (IDOK when it is empty), the clock and the OS name are fixed, and environment
// variables can be set without touching the process's environment.
class FakeServices : public TDesktopServices {
public:
    struct Message {
        std::string text;
        std::string caption;
        unsigned flags;
        TCustomForm *owner;  // the form the box belongs to
    };
    std::vector<Message> messages;
    std::deque<int> answers;
    // Called while a box stands open, before it is answered (another program
    // acting meanwhile, say).
    std::function<void(const Message &)> whileAsking;
    std::deque<std::optional<TFileDialogAnswer>> fileAnswers;
    std::vector<TFileDialogRequest> fileRequests;
    std::vector<std::string> opened;
    // Answers of the colour dialog (cancelled when empty) and the colours it was opened with.
    std::deque<std::optional<std::uint32_t>> colorAnswers;
    std::vector<std::uint32_t> colorRequests;
    double now = 45300.5; // 2024/01/08 12:00
    std::string osName;
    std::map<std::string, std::string> env;
    std::string appData;
    std::string programDir;

    int MessageBox(const std::string &text, const std::string &caption, unsigned flags) override
    {
        messages.push_back({text, caption, flags, MessageBoxOwner()});
        if (whileAsking)
            whileAsking(messages.back());
        if (answers.empty())
            return IDOK;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<TFileDialogAnswer> FileDialog(const TFileDialogRequest &request) override
    {
        fileRequests.push_back(request);
        if (fileAnswers.empty())
            return std::nullopt;
        auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
    std::optional<std::uint32_t> ColorDialog(std::uint32_t initial) override
    {
        colorRequests.push_back(initial);
        if (colorAnswers.empty())
            return std::nullopt;
        auto answer = colorAnswers.front();
        colorAnswers.pop_front();
        if (answer)
            return ColorDialogAnswer(*answer, initial);
        return answer;
    }
    // Answers of the input query (cancelled when empty) and the captions it was asked with.
    std::deque<std::optional<std::string>> inputAnswers;
    std::vector<std::string> inputCaptions;
    std::optional<std::string> InputQuery(const std::string &caption, const std::string &, const std::string &) override
    {
        inputCaptions.push_back(caption);
        if (inputAnswers.empty())
            return std::nullopt;
        auto answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
    }
    bool ShellOpen(const std::string &target) override
    {
        opened.push_back(target);
        return true;
    }
    double Now() override { return now; }
    std::string OSName() override { return osName; }
    std::string GetEnv(const std::string &name) override
    {
        auto it = env.find(name);
        return it == env.end() ? std::string() : it->second;
    }
    std::string AppDataDir() override { return appData.empty() ? TServices::AppDataDir() : appData; }
    std::string ProgramDir() override { return programDir.empty() ? TServices::ProgramDir() : programDir; }
};

// Installs FakeServices for the scope of a test and gives access to it.
class ScopedFakeServices {
public:
    ScopedFakeServices() : fake_(new FakeServices), scope_(std::unique_ptr<TServices>(fake_)) {}
    FakeServices *operator->() { return fake_; }
    FakeServices &operator*() { return *fake_; }

private:
    FakeServices *fake_;
    TScopedServices scope_;
};

} // namespace testing_support
