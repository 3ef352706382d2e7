// The theme layer: painting a themed toolbar of 50 buttons, and a themed
// 30-item popup from the press on its button to its first paint (no show
// animation).
#include "bench/PopupBench.h"
#include "../tests/toolbar/ToolbarHost.h"

#include "platform/core/Messages.h"
#include "platform/services/SystemParameters.h"
#include "toolbar/Skin.h"

#include <benchmark/benchmark.h>

#include <string>

static void BM_SkinToolbarPaint50(benchmark::State &state)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 1024, 200);
    TBarImageList images(nullptr, 16, 16);
    images.Add(clRed);
    auto *dock = new TBarDock(&form);
    dock->SetParent(&form);
    auto *toolbar = new TSkinToolbar(&form);
    for (int i = 0; i < 50; ++i) {
        auto *item = new TSkinItem(&form);
        item->SetCaption("B" + std::to_string(i));
        item->SetImages(&images);
        item->SetImageIndex(0);
        item->SetChecked(i % 7 == 0);
        toolbar->Items()->Add(item);
    }
    toolbar->SetShrinkMode(brsmWrap);
    toolbar->SetCurrentDock(dock);
    TBitmap bitmap(toolbar->Width(), toolbar->Height());
    for (auto _ : state)
        toolbar->PaintTo(bitmap.Canvas());
    state.counters["width"] = toolbar->Width();
    state.counters["height"] = toolbar->Height();
}
BENCHMARK(BM_SkinToolbarPaint50)->Unit(benchmark::kMicrosecond);

static void BM_SkinPopup30PressToFirstPaint(benchmark::State &state) { MeasurePopupPressToFirstPaint<TSkinItem>(state); }
BENCHMARK(BM_SkinPopup30PressToFirstPaint)->Unit(benchmark::kMicrosecond);
