// The toolbar framework: laying out a toolbar of 50 buttons, and a 30-item
// popup from the press on its button to its first paint (no show animation).
#include "../tests/toolbar/ToolbarHost.h"

#include "platform/Messages.h"
#include "platform/SystemParameters.h"

#include <benchmark/benchmark.h>

#include <string>

static void BM_ToolbarLayout50(benchmark::State &state)
{
    TBarRootItem root;
    TBarImageList images(nullptr, 16, 16);
    images.Add(clRed);
    for (int i = 0; i < 50; ++i) {
        auto *item = new TBarCustomItem;
        item->SetCaption("Button " + std::to_string(i));
        item->SetImages(&images);
        item->SetImageIndex(0);
        root.Add(item);
    }
    TBarView view(nullptr, nullptr, &root, nullptr, true, false, false);
    for (auto _ : state) {
        int lines = 0;
        TSize total, base;
        bool changed = view.ComputeLayout(true, tbvoHorizontal, lines, total, base, 12, 0, 0);
        benchmark::DoNotOptimize(changed);
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ToolbarLayout50)->Unit(benchmark::kMicrosecond);

static void BM_Popup30PressToFirstPaint(benchmark::State &state)
{
    TScopedSystemParameters parameters;
    SystemParameters().MenuAnimation = false;
    TBarRootItem root;
    auto *file = new TBarCustomItem;
    file->SetCaption("&File");
    file->SetItemStyle(file->ItemStyle() | HasSubmenu);
    root.Add(file);
    for (int i = 0; i < 30; ++i) {
        auto *item = new TBarCustomItem;
        item->SetCaption("Command " + std::to_string(i) + "\tCtrl+" + std::to_string(i % 10));
        file->Add(item);
    }
    TForm form(nullptr);
    form.SetBounds(50, 50, 400, 200);
    auto *bar = new TTestBar(&form, &root);
    bar->SetParent(&form);
    bar->SetBounds(0, 0, 400, 24);
    form.ShowForm();
    ProcessMessages();
    TBarView &view = bar->View();
    for (auto _ : state) {
        // What a press on the button does: select it and open its submenu.
        view.Select(view.Viewers(0), true);
        view.SubmenuTimerElapsed(false);
        view.OpenPopup()->Repaint();
        state.PauseTiming();
        view.CloseChildPopup();
        view.Select(nullptr, false);
        ProcessMessages();
        state.ResumeTiming();
    }
    delete bar;
}
BENCHMARK(BM_Popup30PressToFirstPaint)->Unit(benchmark::kMicrosecond);
