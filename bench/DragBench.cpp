// One mouse move while a bar is dragged, on a document of 10,000 rows with a
// bar each: the move should cost the same whatever the document's size. The
// move is a real toolkit event on the shown window, and the repaint it causes
// is part of the measure.
#include "bench/ShownDocument.h"

#include <benchmark/benchmark.h>

namespace {

void BM_DragMouseMove(benchmark::State &state)
{
    const int rows = static_cast<int>(state.range(0));
    TShownDocument document("dragbench", rows);
    if (!document.shown)
        state.SkipWithError("the window could not be shown");
    TControl &bar = *ItemList[0]->FCharts[0]->FBar;
    SimulateMousePress(bar, TPoint{20, 3});
    int x = 20;
    for (auto _ : state) {
        x = x == 20 ? 90 : 20;
        SimulateMouseMove(bar, TPoint{x, 3});
        ProcessMessages();
    }
    SimulateMouseRelease(bar, TPoint{20, 3});
    state.SetLabel(std::to_string(rows) + " rows");
}

} // namespace

BENCHMARK(BM_DragMouseMove)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);
