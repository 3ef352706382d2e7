// The report engine stands on the platform alone: no file of report/ may
// include any of our headers outside platform/ and report/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

// The project headers a file includes ("folder/Name.h" in quotes).
std::vector<std::string> QuotedIncludes(const std::filesystem::path &file)
{
    static const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
    std::vector<std::string> found;
    std::ifstream in(file);
    std::string line;
    std::smatch match;
    while (std::getline(in, line))
        if (std::regex_search(line, match, include))
            found.push_back(match[1]);
    return found;
}

} // namespace

TEST(EngineIncludes, ReportFilesIncludeOnlyPlatformAndReportHeaders)
{
    const std::filesystem::path report = std::filesystem::path(TARVOLD_SOURCE_DIR) / "report";
    int files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(report)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".cpp" && ext != ".h")
            continue;
        ++files;
        for (const std::string &header : QuotedIncludes(entry.path()))
            EXPECT_TRUE(header.rfind("platform/", 0) == 0 || header.rfind("report/", 0) == 0)
                << entry.path().filename().string() << " includes " << header;
    }
    EXPECT_GT(files, 10);
}
