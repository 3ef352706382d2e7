#pragma once
// The headers a source file includes, for the tests that keep one folder from
// leaning on another.
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

struct TIncludedHeader {
    std::string name;  // as written: "platform/core/Stream.h", "QWidget"
    bool quoted;       // "..." rather than <...>
};

inline std::vector<TIncludedHeader> IncludedHeaders(const std::filesystem::path &file)
{
    static const std::regex include(R"re(^\s*#\s*include\s*(["<])([^">]+)[">])re");
    std::vector<TIncludedHeader> found;
    std::ifstream in(file);
    std::string line;
    std::smatch match;
    while (std::getline(in, line))
        if (std::regex_search(line, match, include))
            found.push_back({match[2], match[1] == "\""});
    return found;
}

// The C++ sources (.cpp and .h) directly inside a folder.
inline std::vector<std::filesystem::path> SourcesIn(const std::filesystem::path &folder)
{
    std::vector<std::filesystem::path> sources;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".cpp" || ext == ".h")
            sources.push_back(entry.path());
    }
    return sources;
}
