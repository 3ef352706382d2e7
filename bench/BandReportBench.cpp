// Preparing a 100-page report into the page store: page header, five detail
// bands a page with a label, a record number and a framed memo, and a page
// footer with the page number.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/kernel/Application.h"
#include "report/BandReport.h"
#include "report/RpCtrls.h"
#include "report/RpPrntr.h"

namespace {

template <typename T>
T *Place(TComponent &owner, TRpControl *parent)
{
    auto *control = new T(&owner);
    control->SetParent(parent);
    return control;
}

void PrepareHundredPages(benchmark::State &state)
{
    TComponent form;
    auto *report = new TBandReport(&form);
    report->SetUnits(TRpUnit::MM);
    report->Page().SetPaperSize(TRpPaperSize::A4);
    auto band = [&](TRpBandType type, int height) {
        auto *b = new TRpBand(&form, type);
        b->SetParent(report);
        b->Size().SetHeight(height);
        return b;
    };
    Place<TRpLabel>(form, band(rbPageHeader, 20))->SetCaption("工程表 Schedule");
    TRpBand *detail = band(rbDetail, 40);
    Place<TRpLabel>(form, detail)->SetCaption("作業項目 Work item");
    auto *number = Place<TRpSysData>(form, detail);
    number->SetData(rpsDetailNo);
    number->Size().SetLeft(100);
    auto *memo = Place<TRpMemo>(form, detail);
    memo->SetAutoSize(false);
    memo->Size().SetTop(10);
    memo->Size().SetWidth(120);
    memo->Size().SetHeight(25);
    memo->Frame().SetAllSides(true);
    memo->SetLines({"The memo wraps its words over several lines inside the detail band of the report."});
    auto *page = Place<TRpSysData>(form, band(rbPageFooter, 30));
    page->SetData(rpsPageNumber);

    const int records = 500;  // five a page
    int delivered = 0;
    report->OnNeedData = [&](TObject *, bool &more) {
        more = delivered < records;
        if (more)
            ++delivered;
    };
    for (auto _ : state) {
        delivered = 0;
        report->Prepare();
        std::unique_ptr<TRpPrinter> printer = report->TakePrinter();
        if (printer == nullptr || printer->PageCount() != 100)
            state.SkipWithError("the report did not make 100 pages");
        benchmark::DoNotOptimize(printer);
    }
}

} // namespace

BENCHMARK(PrepareHundredPages)->Unit(benchmark::kMillisecond);
