// The full redraw of the chart for large documents: the redraw itself (strips,
// placing every bar) and painting the part of the chart a window shows.
#include "platform/kernel/Application.h"
#include "platform/core/SysUtils.h"
#include "schedule/Main.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

TfrmMain &Window()
{
    static TfrmMain *form = [] {
        SetCurrentDir(GetTempPath());
        // Owned by the application, which frees it before the toolkit goes.
        auto *f = new TfrmMain(&Application(), "", false);
        f->SetBounds(0, 0, 1200, 800);
        return f;
    }();
    return *form;
}

// A document of `rows` rows with ten one-day bars each over the shown days.
void BuildDocument(TfrmMain &form, int rows)
{
    form.FreeDocument();
    form.NewDocument();
    DaysShown = 31;
    form.RedrawChart();
    form.pnlItem->DisableAlign();
    for (int r = 0; r < rows; ++r) {
        form.AddItem();
        TItem &row = *ItemList.back();
        for (int b = 0; b < 10; ++b) {
            auto chart = std::make_unique<TChart>();
            chart->FStartDate = StartDate + b * 3;
            chart->FDuration = 2;
            chart->FEndDate = chart->FStartDate + 2;
            chart->FBar->SetTag(r);
            row.FCharts.push_back(std::move(chart));
        }
    }
    form.pnlItem->EnableAlign();
    form.UpdateScrollRange();
}

void BM_RedrawChart(benchmark::State &state)
{
    TfrmMain &form = Window();
    BuildDocument(form, static_cast<int>(state.range(0)));
    for (auto _ : state)
        form.RedrawChart();
    state.SetItemsProcessed(state.iterations() * state.range(0) * 10);
}
BENCHMARK(BM_RedrawChart)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_PaintVisibleChart(benchmark::State &state)
{
    TfrmMain &form = Window();
    BuildDocument(form, static_cast<int>(state.range(0)));
    form.RedrawChart();
    TBitmap view(form.pnlBase->Width(), 700);
    for (auto _ : state) {
        view.Canvas().SaveDC();
        view.Canvas().SetClipRect(TRect{0, 0, view.Width(), view.Height()});
        form.pnlBase->PaintTo(view.Canvas());
        view.Canvas().RestoreDC(-1);
    }
}
BENCHMARK(BM_PaintVisibleChart)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
