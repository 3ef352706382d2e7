#pragma once
// One popup of 30 commands, from the press on its toolbar button to its first
// paint, with the show animation off; the item class decides the look.

#include "../tests/toolbar/ToolbarHost.h"
#include "platform/core/Messages.h"
#include "platform/services/SystemParameters.h"

#include <benchmark/benchmark.h>

#include <string>

template <class TItem>
void MeasurePopupPressToFirstPaint(benchmark::State &state)
{
    TScopedSystemParameters parameters;
    SystemParameters().MenuAnimation = false;
    TBarRootItem root;
    auto *file = new TItem;
    file->SetCaption("&File");
    file->SetItemStyle(file->ItemStyle() | HasSubmenu);
    root.Add(file);
    for (int i = 0; i < 30; ++i) {
        auto *item = new TItem;
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
