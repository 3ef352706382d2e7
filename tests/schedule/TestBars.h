#pragma once
// Bars put straight into the model, without the mouse or the document reader.
#include "schedule/Head.h"

#include <memory>

// A bar from `start` to `end` (exclusive) on `line` of `row`, whose index in the
// document is `rowIndex`.
inline TChart &AddTestBar(TItem &row, TDateTime start, TDateTime end, long rowIndex = 0, int line = 0)
{
    auto chart = std::make_unique<TChart>();
    chart->FStartDate = start;
    chart->FEndDate = end;
    chart->FDuration = end - start;
    chart->FLine = line;
    chart->FBar->SetTag(rowIndex);
    row.FCharts.push_back(std::move(chart));
    return *row.FCharts.back();
}
