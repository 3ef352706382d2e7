// Large documents in a shown window (offscreen): opening up to the first paint,
// the peak memory, one date step, one full redraw, one drag step and the start
// of a toolbar drag, for 1,000 and 10,000 rows of ten bars and two events each. Each step includes the
// repaint it causes. Every figure should grow no faster than the row count.
#include "bench/MemoryUse.h"
#include "bench/ShownDocument.h"
#include "platform/kernel/Application.h"
#include "platform/core/DateTime.h"
#include "platform/core/Encoding.h"
#include "platform/services/InputSimulation.h"
#include "platform/core/Messages.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "schedule/Main.h"
#include "schedule/MainDocument.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

constexpr int kBars = 10, kEvents = 2;

using TQuietServices = TBenchServices;

using bench_memory::PeakMiB;
using bench_memory::PeakSinceResetMiB;
using bench_memory::ResetPeak;
using bench_memory::ResidentMiB;

// A folder of its own, the services, and a shown main window of 1200 x 800.
class TBenchWindow {
public:
    TBenchWindow()
    {
        ForceDirectories(dir_ + "appdata");
        SetCurrentDir(dir_);
        scope_ = std::make_unique<TScopedServices>(std::make_unique<TQuietServices>(dir_ + "appdata"));
        form = std::make_unique<TfrmMain>(nullptr, "", false);
        form->SetBounds(0, 0, 1200, 800);
        shown = SimulateActivation(*form);
        ProcessMessages();
    }
    ~TBenchWindow()
    {
        form->Hide();
        form.reset();
        scope_.reset();
        SetCurrentDir(GetTempPath());
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    TBenchWindow(const TBenchWindow &) = delete;
    TBenchWindow &operator=(const TBenchWindow &) = delete;

    // A document of `rows` rows written by the program's own writer for one
    // row, that row repeated with its own caption; the path of the file.
    std::string WriteDocument(int rows)
    {
        const std::string path = dir_ + "large" + std::to_string(rows) + ".xml";
        if (FileExists(path))
            return path;
        form->FreeDocument();
        form->NewDocument();
        form->AddItem();
        TItem &row = *ItemList.back();
        row.FMemo->SetText("@ROW@");
        for (int b = 0; b < kBars; ++b) {
            auto chart = std::make_unique<TChart>();
            chart->FStartDate = StartDate + b * 3;
            chart->FDuration = 2;
            chart->FEndDate = chart->FStartDate + 2;
            chart->FBar->SetCaption("作業" + std::to_string(b));
            chart->FYotei = b;
            chart->FBikou = "備考";
            row.FCharts.push_back(std::move(chart));
        }
        for (int e = 0; e < kEvents; ++e)
            row.FEvents.push_back(TEvent{StartDate + e * 5, "▲", "検査", "ＭＳ ゴシック", 9, 0, 0, 0, 0});
        const std::string one = dir_ + "one.xml";
        WriteXmlFile(*form, one);
        form->FreeDocument();
        form->NewDocument();
        const std::string bytes = ReadFileBytes(one);
        const size_t begin = bytes.find("<item>"), end = bytes.rfind("</item>") + 9;
        const std::string head = bytes.substr(0, begin), item = bytes.substr(begin, end - begin);
        const size_t mark = item.find("@ROW@");
        std::string text = head;
        text.reserve(head.size() + item.size() * static_cast<size_t>(rows) + 64);
        for (int r = 0; r < rows; ++r)
            text += item.substr(0, mark) + Utf8ToCp932("工程 " + std::to_string(r)) + item.substr(mark + 5);
        text += bytes.substr(end);
        WriteFileAtomically(path, text);
        // A copy to try by hand: TARVOLD_BENCH_DOCUMENTS names a folder for it.
        if (const char *keep = std::getenv("TARVOLD_BENCH_DOCUMENTS"))
            WriteFileAtomically(IncludeTrailingPathDelimiter(keep) + ExtractFileName(path), text);
        return path;
    }

    // Opens the document as the recent-file command does, up to the first paint.
    void Open(const std::string &path)
    {
        form->fnk1Select(path);
        ProcessMessages();
    }

    std::unique_ptr<TfrmMain> form;
    bool shown = false;

private:
    std::string dir_ = GetTempPath() + "tarvold-largebench-" + std::to_string(getpid()) + "/";
    std::unique_ptr<TScopedServices> scope_;
};

void Label(benchmark::State &state)
{
    state.SetLabel(std::to_string(state.range(0)) + " rows");
    state.counters["peak_MiB"] = static_cast<double>(PeakMiB());
}

void BM_OpenAndShow(benchmark::State &state)
{
    TBenchWindow w;
    if (!w.shown)
        state.SkipWithError("the window could not be shown");
    const std::string path = w.WriteDocument(static_cast<int>(state.range(0)));
    double first = -1;
    long firstPeak = -1, before = -1;
    for (auto _ : state) {
        state.PauseTiming();
        w.form->FreeDocument();
        w.form->NewDocument();
        ProcessMessages();
        if (first < 0) {
            ResetPeak();
            before = ResidentMiB();
        }
        state.ResumeTiming();
        auto begin = std::chrono::steady_clock::now();
        w.Open(path);
        if (first < 0) {
            first = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
            firstPeak = PeakSinceResetMiB();
        }
    }
    // The first opening of the process finds no memory to reuse, as a person's does.
    state.counters["first_ms"] = first;
    // The peak during the first opening (writing the document is not counted);
    // later openings find the freed rows of the one before still held by the allocator.
    state.counters["first_peak_MiB"] = static_cast<double>(firstPeak);
    // The process before that opening: the program with an empty document.
    state.counters["empty_MiB"] = static_cast<double>(before);
    // The peak over all the openings: each frees the document before it first.
    state.counters["openings_peak_MiB"] = static_cast<double>(PeakSinceResetMiB());
    if (ItemList.size() != static_cast<size_t>(state.range(0)))
        state.SkipWithError("the document did not open whole");
    state.counters["bytes"] = static_cast<double>(ReadFileBytes(path).size());
    state.counters["rss_MiB"] = static_cast<double>(ResidentMiB());
    Label(state);
}
BENCHMARK(BM_OpenAndShow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

// One one-day move command, alternately right and left.
void BM_DateStep(benchmark::State &state)
{
    TBenchWindow w;
    w.Open(w.WriteDocument(static_cast<int>(state.range(0))));
    bool right = true;
    for (auto _ : state) {
        (right ? w.form->btnDayR : w.form->btnDayL)->Click();
        ProcessMessages();
        right = !right;
    }
    Label(state);
}
BENCHMARK(BM_DateStep)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_FullRedraw(benchmark::State &state)
{
    TBenchWindow w;
    w.Open(w.WriteDocument(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        w.form->RedrawChart();
        ProcessMessages();
    }
    Label(state);
}
BENCHMARK(BM_FullRedraw)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// One mouse move while the first bar of the last row is dragged, the view
// scrolled to the end of the document.
void BM_DragStep(benchmark::State &state)
{
    TBenchWindow w;
    w.Open(w.WriteDocument(static_cast<int>(state.range(0))));
    TControlScrollBar &rows = w.form->scb1->VertScrollBar();
    rows.SetPosition(rows.MaxPosition());
    ProcessMessages();
    TControl &bar = *ItemList.back()->FCharts[0]->FBar;
    SimulateMousePress(bar, TPoint{20, 3});
    int x = 20;
    for (auto _ : state) {
        x = x == 20 ? 90 : 20;
        SimulateMouseMove(bar, TPoint{x, 3});
        ProcessMessages();
    }
    SimulateMouseRelease(bar, TPoint{20, 3});
    Label(state);
}
BENCHMARK(BM_DragStep)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// A press on the Edit toolbar's drag handle until its drag loop runs (an Esc
// waiting in the queue ends the loop at once), then the release.
void BM_ToolbarDragStart(benchmark::State &state)
{
    TBenchWindow w;
    w.Open(w.WriteDocument(static_cast<int>(state.range(0))));
    TControl &toolbar = *w.form->tlbEdit;
    const TPoint handle{4, toolbar.Height() / 2};
    for (auto _ : state) {
        PostMessage(&toolbar, WM_KEYDOWN, VK_ESCAPE);
        SimulateMousePress(toolbar, handle);
        SimulateMouseRelease(toolbar, handle);
        ProcessMessages();
    }
    Label(state);
}
BENCHMARK(BM_ToolbarDragStart)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace
