// The platform's layers rest one on another: a file may include headers of
// its own layer and of those below it, never of one above; core/ and
// graphics/ include no toolkit widget header at all.
#include "tests/SourceIncludes.h"

#include <gtest/gtest.h>

#include <QLibraryInfo>

#include <algorithm>
#include <array>
#include <set>

namespace {

// Lowest first.
const std::array<std::string, 5> kLayers = {"core", "graphics", "kernel", "widgets", "services"};

std::filesystem::path PlatformFolder() { return std::filesystem::path(TARVOLD_SOURCE_DIR) / "platform"; }

// The layer of a platform header ("platform/kernel/Forms.h" is in layer 2); -1 for other headers.
int LayerOfHeader(const std::string &header)
{
    for (size_t i = 0; i < kLayers.size(); ++i)
        if (header.rfind("platform/" + kLayers[i] + "/", 0) == 0)
            return static_cast<int>(i);
    return -1;
}

// The toolkit's widget headers: its widget module's and the print dialogs.
bool IsWidgetHeader(const std::string &header)
{
    static const std::filesystem::path widgets =
        std::filesystem::path(QLibraryInfo::path(QLibraryInfo::HeadersPath).toStdString()) / "QtWidgets";
    static const std::set<std::string> printDialogs = {
        "QAbstractPrintDialog", "QPageSetupDialog", "QPrintDialog", "QPrintPreviewDialog", "QPrintPreviewWidget"};
    if (header.rfind("QtWidgets", 0) == 0)
        return true;
    std::string name = header;
    if (name.rfind("QtPrintSupport/", 0) == 0)
        name = name.substr(std::string("QtPrintSupport/").size());
    return printDialogs.count(name) > 0 || std::filesystem::exists(widgets / name);
}

} // namespace

TEST(LayerIncludes, PlatformHoldsOnlyItsLayers)
{
    for (const auto &entry : std::filesystem::directory_iterator(PlatformFolder())) {
        const std::string name = entry.path().filename().string();
        const bool layer = std::find(kLayers.begin(), kLayers.end(), name) != kLayers.end();
        EXPECT_TRUE((entry.is_directory() && layer) || name == "CMakeLists.txt") << "platform/" << name;
    }
}

TEST(LayerIncludes, NoFileIncludesAHigherLayerNorCoreOrGraphicsAWidget)
{
    ASSERT_TRUE(IsWidgetHeader("QWidget")) << "the toolkit's widget headers are not where it says";
    ASSERT_FALSE(IsWidgetHeader("QPainter"));
    int files = 0;
    for (size_t layer = 0; layer < kLayers.size(); ++layer) {
        for (const std::filesystem::path &file : SourcesIn(PlatformFolder() / kLayers[layer])) {
            ++files;
            const std::string where = kLayers[layer] + "/" + file.filename().string();
            for (const TIncludedHeader &header : IncludedHeaders(file)) {
                if (header.quoted) {
                    EXPECT_LE(LayerOfHeader(header.name), static_cast<int>(layer))
                        << where << " includes " << header.name << " of a higher layer";
                    EXPECT_TRUE(header.name.rfind("platform/", 0) != 0 || LayerOfHeader(header.name) >= 0)
                        << where << " includes " << header.name << ", which is in no layer";
                } else if (layer <= 1) {
                    EXPECT_FALSE(IsWidgetHeader(header.name)) << where << " includes the widget header " << header.name;
                }
            }
        }
    }
    EXPECT_GT(files, 100);
}
