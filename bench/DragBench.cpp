// One mouse move while a bar is dragged, on a document of 10,000 rows with a
// bar each: the move should cost the same whatever the document's size. The
// move is a real toolkit event on the shown window, and the repaint it causes
// is part of the measure.
#include "platform/Application.h"
#include "platform/DateTime.h"
#include "platform/InputSimulation.h"
#include "platform/Messages.h"
#include "platform/Services.h"
#include "platform/SysUtils.h"
#include "schedule/Main.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

namespace {

class TBenchServices : public TServices {
public:
    explicit TBenchServices(std::string appData) : appData_(std::move(appData)) {}
    std::string AppDataDir() override { return appData_; }
    int MessageBox(const std::string &, const std::string &, unsigned) override { return IDNO; }

private:
    std::string appData_;
};

void BM_DragMouseMove(benchmark::State &state)
{
    std::string root = GetTempPath() + "tarvold-dragbench-" + std::to_string(::getpid()) + "/";
    ForceDirectories(root + "run");
    ForceDirectories(root + "appdata");
    SetCurrentDir(root + "run");
    TScopedServices scope(std::make_unique<TBenchServices>(root + "appdata"));

    auto form = std::make_unique<TfrmMain>(nullptr, "", false);
    form->SetBounds(0, 0, 900, 600);
    form->RedrawChart();
    const int rows = static_cast<int>(state.range(0));
    // Built as the document reader builds it: the caption column is laid out once.
    form->pnlItem->DisableAlign();
    for (int i = 0; i < rows; ++i) {
        form->AddItem();
        auto chart = std::make_unique<TChart>();
        chart->FStartDate = EncodeDate(2024, 1, 1) + i % 5;
        chart->FDuration = 2;
        chart->FEndDate = chart->FStartDate + 2;
        chart->FBar->SetTag(i);
        ItemList.back()->FCharts.push_back(std::move(chart));
    }
    form->pnlItem->EnableAlign();
    StartDate = EncodeDate(2024, 1, 1);
    form->UpdateScrollRange();
    form->RedrawChart();
    if (!SimulateActivation(*form))
        state.SkipWithError("the window could not be shown");
    ProcessMessages();
    TControl &bar = *ItemList[0]->FCharts[0]->FBar;
    SimulateMousePress(bar, TPoint{20, 3});
    int x = 20;
    for (auto _ : state) {
        x = x == 20 ? 90 : 20;
        SimulateMouseMove(bar, TPoint{x, 3});
        ProcessMessages();
    }
    SimulateMouseRelease(bar, TPoint{20, 3});
    form->Hide();
    state.SetLabel(std::to_string(rows) + " rows");
    form.reset();
}

} // namespace

BENCHMARK(BM_DragMouseMove)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);
