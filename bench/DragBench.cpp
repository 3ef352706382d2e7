// One mouse move while a bar is dragged, on a document of 10,000 rows with a
// bar each: the move should cost the same whatever the document's size.
#include "platform/Application.h"
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
    static int argc = 1;
    static char name[] = "tarvold_bench";
    static char *argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application().Initialize(argc, argv);
    std::string root = GetTempPath() + "tarvold-dragbench-" + std::to_string(::getpid()) + "/";
    ForceDirectories(root + "run");
    ForceDirectories(root + "appdata");
    SetCurrentDir(root + "run");
    TScopedServices scope(std::make_unique<TBenchServices>(root + "appdata"));

    auto form = std::make_unique<TfrmMain>(nullptr, "", false);
    form->SetBounds(0, 0, 900, 600);
    form->RedrawChart();
    const int rows = static_cast<int>(state.range(0));
    for (int i = 0; i < rows; ++i) {
        form->AddItem();
        form->FPutChartMode = true;
        TShape &band = *ItemList.back()->FLines[0];
        SendMessage(&band, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(10 + (i % 5) * 100, 2));
    }
    TChart &chart = *ItemList[0]->FCharts[0];
    SendMessage(chart.FBar.get(), WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(20, 3));
    int x = 20;
    for (auto _ : state) {
        x = x == 20 ? 90 : 20;
        SendMessage(chart.FBar.get(), WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(x, 3));
    }
    SendMessage(chart.FBar.get(), WM_LBUTTONUP, 0, MakeLParam(20, 3));
    state.SetLabel(std::to_string(rows) + " rows");
    form.reset();
}

} // namespace

BENCHMARK(BM_DragMouseMove)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);
