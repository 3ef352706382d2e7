// The schedule report: preparing every page of a document of 100 and 1,000
// rows (ten bars and two events a row), and the time from the preview command
// to the first page shown.
#include "platform/kernel/Application.h"
#include "platform/core/SysUtils.h"
#include "platform/kernel/Timer.h"
#include "report/RpPrntr.h"
#include "schedule/Main.h"
#include "schedule/printing/Preview.h"
#include "schedule/printing/Rep.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace {

TfrmMain &Window()
{
    static TfrmMain *form = [] {
        SetCurrentDir(GetTempPath());
        auto *f = new TfrmMain(&Application(), "", false);
        f->SetBounds(0, 0, 1200, 800);
        return f;
    }();
    return *form;
}

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
        row.FMemo->SetText("作業 " + std::to_string(r + 1));
        for (int b = 0; b < 10; ++b) {
            auto chart = std::make_unique<TChart>();
            chart->FStartDate = StartDate + b * 3;
            chart->FDuration = 2;
            chart->FEndDate = chart->FStartDate + 2;
            chart->FBar->SetTag(r);
            chart->FBar->SetCaption("工程");
            row.FCharts.push_back(std::move(chart));
        }
        for (int e = 0; e < 2; ++e) {
            TEvent event;
            event.EventDate = StartDate + 5 + e * 10;
            event.Marker = "▲";
            event.EventName = "検査";
            event.FontName = "ＭＳ ゴシック";
            event.FontSize = 9;
            row.FEvents.push_back(event);
        }
    }
    form.pnlItem->EnableAlign();
    form.UpdateScrollRange();
    form.RedrawChart();
}

void BM_PrepareSchedule(benchmark::State &state)
{
    TfrmMain &form = Window();
    BuildDocument(form, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TrepForm rep(form);
        rep.rep1->Prepare();
        benchmark::DoNotOptimize(rep.rep1->ReportPrinter()->PageCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PrepareSchedule)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// From the command to the first page on the preview; the window closes once
// the run has ended.
void BM_PreviewFirstPage(benchmark::State &state)
{
    TfrmMain &form = Window();
    BuildDocument(form, static_cast<int>(state.range(0)));
    using Clock = std::chrono::steady_clock;
    Clock::time_point start, firstPage;
    TTimer closer(nullptr);
    closer.SetEnabled(false);
    closer.SetInterval(1);
    form.PreviewShown = [&](TfrmPreview &preview) {
        bool seen = false;
        auto own = preview.pre1->OnPageAvailable;
        preview.pre1->OnPageAvailable = [&, own, seen](TObject *sender, int page) mutable {
            own(sender, page);
            if (!seen && preview.pre1->Image().Metafile() != nullptr) {
                seen = true;
                firstPage = Clock::now();
            }
        };
        closer.OnTimer = [&preview, &closer](TObject *) {
            if (preview.pre1->Printer() != nullptr && preview.pre1->Printer()->Prepared) {
                closer.SetEnabled(false);
                preview.btnCloseClick(nullptr);
            }
        };
        closer.SetEnabled(true);
    };
    for (auto _ : state) {
        start = Clock::now();
        firstPage = start;
        form.mitPreviewClick();
        state.SetIterationTime(std::chrono::duration<double>(firstPage - start).count());
    }
    form.PreviewShown = nullptr;
}
BENCHMARK(BM_PreviewFirstPage)->Arg(100)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
