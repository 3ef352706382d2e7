// A quick spin of the mouse wheel over the chart: 20 notches that arrive
// together, at 1,000 and 10,000 rows, until the rows have scrolled by them
// (once the wheel has stood still) and the window has repainted; the figure
// holds that short wait, the processor time does not. The spins go down and up in turn, so the view stays where
// each spin has room.
#include "bench/ShownDocument.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kNotches = 20;

void BM_WheelBurst(benchmark::State &state)
{
    const int rows = static_cast<int>(state.range(0));
    TShownDocument document("wheelbench", rows);
    if (!document.shown)
        state.SkipWithError("the window could not be shown");
    TfrmMain &form = *document.form;
    auto &vertical = form.scb1->VertScrollBar();
    vertical.SetPosition(vertical.Range() / 2);
    ProcessMessages();
    int scrolls = 0;
    const TNotifyEvent placeBars = form.scb1->OnScroll;
    form.scb1->OnScroll = [&](TObject *sender) {
        ++scrolls;
        placeBars(sender);
    };
    int delta = -120;
    for (auto _ : state) {
        const int before = scrolls;
        SimulateWheelBurst(*form.pnlBase, TPoint{100, 100}, delta, kNotches);
        while (scrolls == before)
            WaitMessage();
        ProcessMessages();
        delta = -delta;
    }
    state.SetLabel(std::to_string(rows) + " rows, " + std::to_string(kNotches) + " notches");
}

} // namespace

BENCHMARK(BM_WheelBurst)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
