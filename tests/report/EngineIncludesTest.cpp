// The report engine stands on the platform alone: no file of report/ may
// include any of our headers outside platform/ and report/, however the
// include is spelled.
#include "tests/SourceIncludes.h"

#include <gtest/gtest.h>

namespace {

// The includes of a report file that lead to a project file outside platform/ and report/.
std::vector<std::string> ForeignIncludes(const std::vector<TIncludedHeader> &includes)
{
    std::vector<std::string> foreign;
    for (const TIncludedHeader &header : includes)
        if (!header.project.empty() && header.project.rfind("platform/", 0) != 0 &&
            header.project.rfind("report/", 0) != 0)
            foreign.push_back(header.name + " (" + header.project + ")");
    return foreign;
}

} // namespace

TEST(EngineIncludes, AnIncludeOfTheEditorIsFoundHoweverItIsSpelled)
{
    const std::filesystem::path probe = ProjectRoot() / "report/Probe.cpp";
    EXPECT_EQ(ForeignIncludes(IncludesInText("#include \"../schedule/MainDocument.h\"\n"
                                             "#include <toolbar/BarDock.h>\n"
                                             "#include \"report/../controls/BevelLabel.h\"\n"
                                             "#include \"platform/../schedule/MainDocument.h\"\n",
                                             probe))
                  .size(),
              4u);
    EXPECT_EQ(ForeignIncludes(IncludesInText("#include \"RpPageStore.h\"\n#include \"../platform/core/Stream.h\"\n"
                                             "#include <vector>\n",
                                             probe))
                  .size(),
              0u);
}

TEST(EngineIncludes, ReportFilesIncludeOnlyPlatformAndReportHeaders)
{
    const std::vector<std::filesystem::path> files = SourcesIn(ProjectRoot() / "report");
    for (const std::filesystem::path &file : files)
        for (const std::string &foreign : ForeignIncludes(IncludedHeaders(file)))
            ADD_FAILURE() << file.filename().string() << " includes " << foreign;
    EXPECT_GT(files.size(), 10u);
}
