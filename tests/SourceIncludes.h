#pragma once
// The headers a source file includes, for the tests that keep one folder from
// leaning on another. Each include is resolved as the compiler resolves it, so
// that "../kernel/Forms.h" or <platform/widgets/Memo.h> count as the project
// files they name, however they are spelled.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

struct TIncludedHeader {
    std::string name;     // as written: "platform/core/Stream.h", "QWidget", "../kernel/Forms.h"
    bool quoted;          // "..." rather than <...>
    std::string project;  // the project file it resolves to, from the project root
                          // ("platform/kernel/Forms.h"); empty for a toolkit or system header
};

inline std::filesystem::path ProjectRoot() { return std::filesystem::canonical(TARVOLD_SOURCE_DIR); }

// The project file a name stands for, from the project root; empty when the
// file does not exist or lies outside the project.
inline std::string ProjectFileAt(const std::filesystem::path &candidate, const std::filesystem::path &root)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(candidate, ec))
        return {};
    const std::filesystem::path real = std::filesystem::canonical(candidate, ec);
    if (ec)
        return {};
    const std::filesystem::path relative = real.lexically_relative(root);
    if (relative.empty() || *relative.begin() == "..")
        return {};
    return relative.generic_string();
}

// Where an include leads. Every folder's include path is the project root: a
// quoted name is looked for beside the including file first, then there; a
// name in angle brackets there only.
inline std::string ResolveInclude(const std::string &name, bool quoted, const std::filesystem::path &includingFile,
                                  const std::filesystem::path &root)
{
    const std::filesystem::path written(name);
    if (written.is_absolute())
        return ProjectFileAt(written, root);
    if (quoted) {
        std::string beside = ProjectFileAt(includingFile.parent_path() / written, root);
        if (!beside.empty())
            return beside;
    }
    return ProjectFileAt(root / written, root);
}

// The includes of a source text that stands at `file` (the file itself need not
// exist: a test may feed the text of a file it pretends is there).
inline std::vector<TIncludedHeader> IncludesInText(const std::string &text, const std::filesystem::path &file,
                                                   const std::filesystem::path &root = ProjectRoot())
{
    static const std::regex include(R"re(^\s*#\s*include\s*(["<])([^">]+)[">])re");
    std::vector<TIncludedHeader> found;
    std::istringstream in(text);
    std::string line, piece;
    std::smatch match;
    while (std::getline(in, piece)) {
        // A backslash at a line's end joins it to the next one, as before any directive is read.
        if (!piece.empty() && piece.back() == '\r')
            piece.pop_back();
        if (!piece.empty() && piece.back() == '\\') {
            piece.pop_back();
            line += piece;
            continue;
        }
        line += piece;
        if (std::regex_search(line, match, include)) {
            const bool quoted = match[1] == "\"";
            found.push_back({match[2], quoted, ResolveInclude(match[2], quoted, file, root)});
        }
        line.clear();
    }
    return found;
}

inline std::vector<TIncludedHeader> IncludedHeaders(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return IncludesInText(text.str(), file);
}

// The C++ sources (.cpp, .h and the like) in a folder and the folders inside it.
inline std::vector<std::filesystem::path> SourcesIn(const std::filesystem::path &folder)
{
    static const std::vector<std::string> kinds = {".cpp", ".h", ".cc", ".cxx", ".hpp", ".hh", ".inc", ".inl", ".ipp"};
    std::vector<std::filesystem::path> sources;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && std::find(kinds.begin(), kinds.end(), ext) != kinds.end())
            sources.push_back(entry.path());
    }
    return sources;
}
