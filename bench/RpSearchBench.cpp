// Searching the text of 100 recorded report pages for a word none of them
// holds: every text record of every page is decoded and compared.
#include "platform/graphics/Metafile.h"
#include "report/RpSearchDlg.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

std::vector<TMetafile> HundredPages()
{
    std::vector<TMetafile> pages(100);
    for (int page = 0; page < 100; ++page) {
        TMetafile &mf = pages[static_cast<size_t>(page)];
        mf.SetWidth(794);
        mf.SetHeight(1123);
        TMetafileCanvas canvas(mf);
        canvas.Font().SetName("ＭＳ ゴシック");
        canvas.Font().SetSize(9);
        for (int row = 0; row < 40; ++row) {
            const int y = 60 + row * 25;
            canvas.TextOut(12, y, "作業項目 " + std::to_string(page * 40 + row));
            canvas.TextOut(300, y, "Schedule bar " + std::to_string(row));
            canvas.Rectangle(200, y + 4, 400, y + 18);
        }
        canvas.Finish();
    }
    return pages;
}

void BM_SearchHundredPagesForAnAbsentWord(benchmark::State &state)
{
    const std::vector<TMetafile> pages = HundredPages();
    for (auto _ : state) {
        int found = 0;
        for (const TMetafile &page : pages)
            found += MetafileContainsText("存在しない語", page, state.range(0) != 0);
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_SearchHundredPagesForAnAbsentWord)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
