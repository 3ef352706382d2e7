#pragma once
// Reading PDF files in tests through poppler's command-line tools.
#include "platform/SysUtils.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

// A path in the temporary folder that no other test process uses at the
// same time (ctest runs tests in parallel); any old file there is removed.
inline std::string UniqueTempPath(const std::string &name)
{
    std::string path = GetTempPath() + "tarvold-" + std::to_string(getpid()) + "-" + name;
    DeleteFile(path);
    return path;
}

// The output of a command.
inline std::string CommandOutput(const std::string &command)
{
    std::string output;
    if (FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

// A field of `pdfinfo` ("Pages", "Page size", "Title"), trimmed; empty when missing.
inline std::string PdfInfoField(const std::string &pdf, const std::string &field)
{
    std::string info = CommandOutput("pdfinfo '" + pdf + "' 2>/dev/null");
    std::string key = field + ":";
    size_t at = info.find("\n" + key);
    if (info.compare(0, key.size(), key) == 0)
        at = 0;
    else if (at == std::string::npos)
        return "";
    else
        at += 1;
    size_t begin = info.find_first_not_of(' ', at + key.size());
    size_t end = info.find('\n', begin);
    return info.substr(begin, end - begin);
}

inline int PdfPageCount(const std::string &pdf)
{
    std::string pages = PdfInfoField(pdf, "Pages");
    return pages.empty() ? -1 : std::stoi(pages);
}

// Renders one page of a PDF at `dpi` into a PNG file and returns its path ("" on failure).
inline std::string RenderPdfPage(const std::string &pdf, int page, int dpi)
{
    std::string base = pdf + "-page" + std::to_string(page);
    std::string command = "pdftoppm -r " + std::to_string(dpi) + " -f " + std::to_string(page) + " -l "
        + std::to_string(page) + " -singlefile -png '" + pdf + "' '" + base + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        return "";
    return base + ".png";
}
