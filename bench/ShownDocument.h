#pragma once
// A shown main window with a document of many rows, one two-day bar each,
// started in a fresh folder with services that answer every question No:
// for the benchmarks of input on the window, whose repaints are part of the measure.
#include "platform/core/DateTime.h"
#include "platform/services/InputSimulation.h"
#include "platform/core/Messages.h"
#include "platform/services/DesktopServices.h"
#include "platform/core/SysUtils.h"
#include "schedule/Main.h"

#include <unistd.h>

#include <memory>
#include <string>

class TBenchServices : public TDesktopServices {
public:
    explicit TBenchServices(std::string appData) : appData_(std::move(appData)) {}
    std::string AppDataDir() override { return appData_; }
    int MessageBox(const std::string &, const std::string &, unsigned) override { return IDNO; }

private:
    std::string appData_;
};

class TShownDocument {
public:
    // `name` tells the benchmark's folder apart from the others'.
    TShownDocument(const std::string &name, int rows)
    {
        const std::string root = GetTempPath() + "tarvold-" + name + "-" + std::to_string(::getpid()) + "/";
        ForceDirectories(root + "run");
        ForceDirectories(root + "appdata");
        SetCurrentDir(root + "run");
        scope_ = std::make_unique<TScopedServices>(std::make_unique<TBenchServices>(root + "appdata"));
        form = std::make_unique<TfrmMain>(nullptr, "", false);
        form->SetBounds(0, 0, 900, 600);
        form->RedrawChart();
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
        shown = SimulateActivation(*form);
        ProcessMessages();
    }
    ~TShownDocument()
    {
        form->Hide();
        form.reset();
    }
    TShownDocument(const TShownDocument &) = delete;
    TShownDocument &operator=(const TShownDocument &) = delete;

    std::unique_ptr<TfrmMain> form;
    bool shown = false;

private:
    std::unique_ptr<TScopedServices> scope_;
};
