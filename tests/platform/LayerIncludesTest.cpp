// The platform's layers rest one on another: a file may include headers of
// its own layer and of those below it, never of one above nor any other of
// our headers; core/ and graphics/ include no toolkit widget header at all.
#include "tests/SourceIncludes.h"

#include <gtest/gtest.h>

#include <QLibraryInfo>

#include <algorithm>
#include <array>
#include <set>

namespace {

// Lowest first.
const std::array<std::string, 5> kLayers = {"core", "graphics", "kernel", "widgets", "services"};

std::filesystem::path PlatformFolder() { return ProjectRoot() / "platform"; }

// The layer of a project file ("platform/kernel/Forms.h" is in layer 2); -1 for
// a file in none, inside the platform or outside it.
int LayerOfFile(const std::string &file)
{
    for (size_t i = 0; i < kLayers.size(); ++i)
        if (file.rfind("platform/" + kLayers[i] + "/", 0) == 0)
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

// What is wrong with the includes of a file of the given layer, one line per fault.
std::vector<std::string> LayerFaults(const std::vector<TIncludedHeader> &includes, int layer)
{
    std::vector<std::string> faults;
    for (const TIncludedHeader &header : includes) {
        if (!header.project.empty()) {
            const int of = LayerOfFile(header.project);
            if (of < 0)
                faults.push_back("includes " + header.name + " (" + header.project + "), which is in no layer");
            else if (of > layer)
                faults.push_back("includes " + header.name + " (" + header.project + ") of a higher layer");
        } else if (layer <= 1 && IsWidgetHeader(header.name)) {
            faults.push_back("includes the widget header " + header.name);
        }
    }
    return faults;
}

// The faults of a source text that would stand at `place` (from the project root).
std::vector<std::string> FaultsOfText(const std::string &place, const std::string &text)
{
    return LayerFaults(IncludesInText(text, ProjectRoot() / place), LayerOfFile(place));
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

TEST(LayerIncludes, AnIncludeCountsAsTheFileItLeadsToHoweverItIsSpelled)
{
    ASSERT_TRUE(IsWidgetHeader("QWidget")) << "the toolkit's widget headers are not where it says";
    ASSERT_FALSE(IsWidgetHeader("QPainter"));
    const std::string root = ProjectRoot().string();
    // Up a layer, by a path beside the file, from the include path, in angle brackets.
    EXPECT_EQ(FaultsOfText("platform/core/Probe.cpp", "#include \"../kernel/Forms.h\"\n").size(), 1u);
    EXPECT_EQ(FaultsOfText("platform/graphics/Probe.cpp", "#include <platform/widgets/Memo.h>\n").size(), 1u);
    EXPECT_EQ(FaultsOfText("platform/services/Probe.cpp", "#include \"../../platform/Oops.h\"\n").size(), 0u)
        << "a file that is not there is the compiler's business";
    EXPECT_EQ(FaultsOfText("platform/kernel/Probe.h", "#  include \\\n  \"../widgets/Memo.h\"\n").size(), 1u);
    EXPECT_EQ(FaultsOfText("platform/core/Probe.cpp", "#include \"" + root + "/platform/kernel/Forms.h\"\n").size(), 1u);
    // Out of the platform: the toolbar, the editor, the report engine, the controls.
    EXPECT_EQ(FaultsOfText("platform/core/Probe.cpp", "#include \"toolbar/BarDock.h\"\n").size(), 1u);
    EXPECT_EQ(FaultsOfText("platform/services/Probe.cpp",
                           "#include \"../../schedule/MainDocument.h\"\n#include <report/RpPageStore.h>\n"
                           "#include \"controls/BevelLabel.h\"\n")
                  .size(),
              3u);
    // A widget header is refused below the kernel however it is written.
    EXPECT_EQ(FaultsOfText("platform/graphics/Probe.cpp", "#include \"QWidget\"\n#include <QPainter>\n").size(), 1u);
    // What a layer may include: its own files, lower ones, the toolkit and the library.
    EXPECT_EQ(FaultsOfText("platform/core/Probe.cpp", "#include \"Stream.h\"\n#include <vector>\n").size(), 0u);
    EXPECT_EQ(FaultsOfText("platform/widgets/Probe.cpp",
                           "#include \"../kernel/Forms.h\"\n#include <platform/core/Stream.h>\n"
                           "#include \"platform/widgets/Memo.h\"\n#include <QWidget>\n")
                  .size(),
              0u);
}

TEST(LayerIncludes, NoFileIncludesAHigherLayerNorCoreOrGraphicsAWidget)
{
    int files = 0;
    for (size_t layer = 0; layer < kLayers.size(); ++layer) {
        for (const std::filesystem::path &file : SourcesIn(PlatformFolder() / kLayers[layer])) {
            ++files;
            for (const std::string &fault : LayerFaults(IncludedHeaders(file), static_cast<int>(layer)))
                ADD_FAILURE() << file.lexically_relative(PlatformFolder()).generic_string() << " " << fault;
        }
    }
    EXPECT_GT(files, 100);
}
