// The toolbar framework: laying out a toolbar of 50 buttons (images only, then
// images and captions), and a 30-item
// popup from the press on its button to its first paint (no show animation).
#include "bench/PopupBench.h"
#include "../tests/toolbar/ToolbarHost.h"

#include "platform/core/Messages.h"
#include "platform/services/SystemParameters.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

// Counts the program's allocations, to show what one layout allocates.
static std::atomic<long> gAllocations{0};
void *operator new(std::size_t size)
{
    ++gAllocations;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

static void BM_ToolbarLayout50(benchmark::State &state)
{
    bool captions = state.range(0) != 0;
    TBarRootItem root;
    TBarImageList images(nullptr, 16, 16);
    images.Add(clRed);
    for (int i = 0; i < 50; ++i) {
        auto *item = new TBarCustomItem;
        if (captions) {
            item->SetCaption("Button " + std::to_string(i));
            item->SetDisplayMode(nbdmImageAndText);
        }
        item->SetImages(&images);
        item->SetImageIndex(0);
        root.Add(item);
    }
    TBarView view(nullptr, nullptr, &root, nullptr, true, false, false);
    long before = gAllocations.load();
    for (auto _ : state) {
        int lines = 0;
        TSize total, base;
        bool changed = view.ComputeLayout(true, tbvoHorizontal, lines, total, base, 12, 0, 0);
        benchmark::DoNotOptimize(changed);
        benchmark::DoNotOptimize(total);
    }
    state.counters["allocations"] =
        static_cast<double>(gAllocations.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ToolbarLayout50)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

static void BM_Popup30PressToFirstPaint(benchmark::State &state) { MeasurePopupPressToFirstPaint<TBarCustomItem>(state); }
BENCHMARK(BM_Popup30PressToFirstPaint)->Unit(benchmark::kMicrosecond);
