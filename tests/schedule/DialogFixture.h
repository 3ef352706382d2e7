#pragma once
// A main window with an empty document in a temporary home, for the dialog tests.
#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"
#include "schedule/Main.h"
#include "tests/TestSupport.h"

#include <memory>

struct TDialogFixture {
    testing_support::TempDir home;
    testing_support::ScopedFakeServices services;
    std::unique_ptr<TfrmMain> main;

    TDialogFixture()
    {
        services->now = EncodeDate(2024, 1, 10) + 0.5;
        services->appData = home.Path() + "appdata";
        services->programDir = home.Path() + "program/";
        ForceDirectories(home.Path() + "run");
        ForceDirectories(services->appData);
        SetCurrentDir(home.Path() + "run");
        main = std::make_unique<TfrmMain>(nullptr, "", false);
        main->SetBounds(0, 0, 900, 600);
        Modified = false;
    }
    ~TDialogFixture()
    {
        main->FreeDocument();
        main.reset();
    }

    // A row with one bar from `start` for `days` days, selected.
    TChart &AddBar(TDateTime start, int days)
    {
        if (ItemList.empty())
            main->AddItem();
        TItem &row = *ItemList.back();
        auto chart = std::make_unique<TChart>();
        chart->FStartDate = start;
        chart->FEndDate = start + days;
        chart->FDuration = days;
        chart->FBar->SetTag(0);
        row.FCharts.push_back(std::move(chart));
        SelectedChart = row.FCharts.back().get();
        main->RedrawChart();
        return *SelectedChart;
    }
};
