// The report engine stands on the platform alone: no file of report/ may
// include any of our headers outside platform/ and report/.
#include "tests/SourceIncludes.h"

#include <gtest/gtest.h>

TEST(EngineIncludes, ReportFilesIncludeOnlyPlatformAndReportHeaders)
{
    const std::vector<std::filesystem::path> files =
        SourcesIn(std::filesystem::path(TARVOLD_SOURCE_DIR) / "report");
    for (const std::filesystem::path &file : files)
        for (const TIncludedHeader &header : IncludedHeaders(file))
            if (header.quoted) {
                EXPECT_TRUE(header.name.rfind("platform/", 0) == 0 || header.name.rfind("report/", 0) == 0)
                    << file.filename().string() << " includes " << header.name;
            }
    EXPECT_GT(files.size(), 10u);
}
