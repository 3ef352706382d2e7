// Docks: arranging four 50-button toolbars in a crowded dock, and one step of
// a smooth drag along the row (a new position and the dock's arrangement).
#include "platform/kernel/Forms.h"
#include "toolbar/BarToolbar.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

struct FourToolbars {
    TForm form{nullptr};
    TBarImageList images{nullptr, 16, 16};
    TBarDock *dock;
    std::vector<TBarCustomToolbar *> toolbars;
    FourToolbars()
    {
        images.Add(clRed);
        form.SetBounds(0, 0, 1000, 400);
        dock = new TBarDock(&form);
        dock->SetParent(&form);
        dock->BeginArrange();
        for (int t = 0; t < 4; ++t) {
            auto *tb = new TBarCustomToolbar(&form);
            for (int i = 0; i < 50; ++i) {
                auto *item = new TBarCustomItem(&form);
                item->SetImages(&images);
                item->SetImageIndex(0);
                tb->Items()->Add(item);
            }
            tb->SetDockRow(0);
            tb->SetDockPos(t * 300);
            tb->SetCurrentDock(dock);
            toolbars.push_back(tb);
        }
        dock->EndArrange();
    }
};

} // namespace

static void BM_ArrangeFourToolbarsOf50(benchmark::State &state)
{
    FourToolbars f;
    for (auto _ : state) {
        f.dock->ArrangeToolbars();
        benchmark::DoNotOptimize(f.dock->Height());
    }
}
BENCHMARK(BM_ArrangeFourToolbarsOf50)->Unit(benchmark::kMicrosecond);

static void BM_SmoothDragStepAlongARow(benchmark::State &state)
{
    FourToolbars f;
    TBarCustomToolbar *dragged = f.toolbars[1];
    dragged->IsDragged = true;
    int step = 0;
    for (auto _ : state) {
        dragged->SetDockPos(200 + (step++ % 40));
        benchmark::DoNotOptimize(dragged->Left());
    }
    dragged->IsDragged = false;
}
BENCHMARK(BM_SmoothDragStepAlongARow)->Unit(benchmark::kMicrosecond);
