#pragma once
// Reading PDF files in tests through poppler's command-line tools.
#include "platform/core/SysUtils.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

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

// A word of `pdftotext -bbox-layout`, in points from the page's top left corner.
struct TPdfWord {
    std::string Text;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
};

namespace pdf_tools_detail {

inline double Attribute(const std::string &tag, const std::string &name)
{
    const size_t at = tag.find(" " + name + "=\"");
    return at == std::string::npos ? 0 : std::stod(tag.substr(at + name.size() + 3));
}

inline std::string TextAttribute(const std::string &tag, const std::string &name)
{
    const size_t at = tag.find(" " + name + "=\"");
    if (at == std::string::npos)
        return "";
    const size_t begin = at + name.size() + 3;
    return tag.substr(begin, tag.find('"', begin) - begin);
}

} // namespace pdf_tools_detail

// The words of one page with their boxes, in reading order.
inline std::vector<TPdfWord> PdfWords(const std::string &pdf, int page)
{
    const std::string p = std::to_string(page);
    const std::string xml =
        CommandOutput("pdftotext -bbox-layout -f " + p + " -l " + p + " '" + pdf + "' - 2>/dev/null");
    std::vector<TPdfWord> words;
    for (size_t at = xml.find("<word "); at != std::string::npos; at = xml.find("<word ", at + 1)) {
        const size_t close = xml.find('>', at);
        const size_t end = xml.find("</word>", close);
        const std::string tag = xml.substr(at, close - at);
        using namespace pdf_tools_detail;
        words.push_back({xml.substr(close + 1, end - close - 1), Attribute(tag, "xMin"), Attribute(tag, "yMin"),
                         Attribute(tag, "xMax"), Attribute(tag, "yMax")});
    }
    return words;
}

// The names of the fonts a PDF embeds, as `pdffonts` lists them.
inline std::vector<std::string> PdfFontNames(const std::string &pdf)
{
    std::vector<std::string> names;
    const std::string list = CommandOutput("pdffonts '" + pdf + "' 2>/dev/null");
    size_t line = list.find('\n', list.find('\n') + 1);  // past the two heading lines
    while (line != std::string::npos && line + 1 < list.size()) {
        const size_t begin = line + 1;
        names.push_back(list.substr(begin, list.find(' ', begin) - begin));
        line = list.find('\n', begin);
    }
    return names;
}

// The font family of each text piece of a page, as `pdftohtml -xml` gives
// them: pairs of (text, family).
inline std::vector<std::pair<std::string, std::string>> PdfTextFamilies(const std::string &pdf, int page)
{
    const std::string p = std::to_string(page);
    const std::string xml = CommandOutput("pdftohtml -xml -i -stdout -f " + p + " -l " + p + " '" + pdf + "' 2>/dev/null");
    using namespace pdf_tools_detail;
    std::vector<std::pair<std::string, std::string>> families;
    for (size_t at = xml.find("<text "); at != std::string::npos; at = xml.find("<text ", at + 1)) {
        const size_t close = xml.find('>', at);
        const std::string font = TextAttribute(xml.substr(at, close - at), "font");
        const size_t fontTag = xml.find("<fontspec id=\"" + font + "\"");
        const std::string family =
            fontTag == std::string::npos ? "" : TextAttribute(xml.substr(fontTag, xml.find('>', fontTag) - fontTag), "family");
        families.emplace_back(xml.substr(close + 1, xml.find("</text>", close) - close - 1), family);
    }
    return families;
}
