// Reading and writing a large schedule document through the main window:
// 10,000 rows with 10 bars and 2 events each.
#include "bench/MemoryUse.h"
#include "platform/kernel/Application.h"
#include "platform/core/DateTime.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "schedule/Main.h"
#include "schedule/MainDocument.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

constexpr int kRows = 10000, kBars = 10, kEvents = 2;

struct QuietServices : TServices {
    int MessageBox(const std::string &, const std::string &, unsigned) override { return IDOK; }
    std::string AppDataDir() override { return dir; }
    std::string dir;
};

struct TBenchWindow {
    std::string dir = GetTempPath() + "tarvold-bench-" + std::to_string(getpid()) + "/";
    std::unique_ptr<TfrmMain> form;
    std::string path = dir + "large.xml";
    TBenchWindow()
    {
        ForceDirectories(dir);
        auto services = std::make_unique<QuietServices>();
        services->dir = dir;
        SetServices(std::move(services));
        form = std::make_unique<TfrmMain>(nullptr, "", false);
        TDateTime start = EncodeDate(2024, 1, 1);
        form->pnlItem->DisableAlign();
        for (int r = 0; r < kRows; ++r) {
            form->AddItem();
            TItem &row = *ItemList.back();
            row.FMemo->SetText("工程 " + std::to_string(r));
            for (int b = 0; b < kBars; ++b) {
                auto chart = std::make_unique<TChart>();
                chart->FStartDate = start + b * 3;
                chart->FDuration = 2;
                chart->FEndDate = chart->FStartDate + 2;
                chart->FBar->SetCaption("作業" + std::to_string(b));
                chart->FBar->SetTag(r);
                row.FCharts.push_back(std::move(chart));
            }
            for (int e = 0; e < kEvents; ++e)
                row.FEvents.push_back(TEvent{start + e * 5, "▲", "検査", "ＭＳ ゴシック", 9, 0, 0, 0, 0});
        }
        form->pnlItem->EnableAlign();
        WriteXmlFile(*form, path);
    }
    ~TBenchWindow()
    {
        form.reset();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
};

TBenchWindow &Window()
{
    static TBenchWindow window;
    return window;
}

using bench_memory::PeakMiB;

void BM_WriteLargeDocument(benchmark::State &state)
{
    TBenchWindow &w = Window();
    bench_memory::ResetPeak();
    const long before = bench_memory::ResidentMiB();
    for (auto _ : state)
        WriteXmlFile(*w.form, w.path);
    // What saving takes beyond the document in memory.
    state.counters["write_extra_MiB"] = static_cast<double>(bench_memory::PeakSinceResetMiB() - before);
    state.counters["bytes"] = static_cast<double>(ReadFileBytes(w.path).size());
    state.counters["peak_MiB"] = static_cast<double>(PeakMiB());
}
BENCHMARK(BM_WriteLargeDocument)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadLargeDocument(benchmark::State &state)
{
    TBenchWindow &w = Window();
    for (auto _ : state) {
        w.form->FreeDocument();
        w.form->NewDocument();
        ReadXmlFile(*w.form, w.path);
    }
    state.counters["rows"] = static_cast<double>(ItemList.size());
    state.counters["peak_MiB"] = static_cast<double>(PeakMiB());
}
BENCHMARK(BM_ReadLargeDocument)->Unit(benchmark::kMillisecond)->Iterations(3);

// The file's values alone, without building rows.
void BM_ParseLargeDocument(benchmark::State &state)
{
    TBenchWindow &w = Window();
    const std::string bytes = ReadFileBytes(w.path);
    for (auto _ : state) {
        TDocumentValues doc;
        ParseScheduleDocument(bytes, doc);
        benchmark::DoNotOptimize(doc.Rows.data());
    }
}
BENCHMARK(BM_ParseLargeDocument)->Unit(benchmark::kMillisecond)->Iterations(3);

// Closing the document: freeing every row, bar and control.
void BM_FreeLargeDocument(benchmark::State &state)
{
    TBenchWindow &w = Window();
    for (auto _ : state) {
        state.PauseTiming();
        w.form->FreeDocument();
        w.form->NewDocument();
        ReadXmlFile(*w.form, w.path);
        state.ResumeTiming();
        w.form->FreeDocument();
    }
    state.counters["peak_MiB"] = static_cast<double>(PeakMiB());
}
BENCHMARK(BM_FreeLargeDocument)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
