// Reads arbitrary bytes as a schedule document: the reader must either give
// values or raise a conversion error (a bad value, no <schedule> at all),
// never crash or hang; the start date it gives always shows dates only.
#include "platform/core/Exceptions.h"
#include "schedule/MainDocument.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TDocumentValues doc;
    try {
        ParseScheduleDocument(std::string_view(reinterpret_cast<const char *>(data), size), doc);
    } catch (const EConvertError &) {
        return 0;
    }
    FitDocumentStartDate(doc);
    if (doc.StartDate && !PeriodRefusal(*doc.StartDate, DaysOfTimeScaleTab(doc.TabIndex.value_or(0))).empty())
        __builtin_trap();
    // Rows handed over as they are read are the rows kept otherwise.
    TDocumentValues handed;
    size_t count = 0;
    handed.RowRead = [&](TRowValues &row) {
        if (count >= doc.Rows.size() || row.Text != doc.Rows[count].Text
            || row.Charts.size() != doc.Rows[count].Charts.size())
            __builtin_trap();
        ++count;
    };
    ParseScheduleDocument(std::string_view(reinterpret_cast<const char *>(data), size), handed);
    if (count != doc.Rows.size() || !handed.Rows.empty() || handed.ItemCount != doc.ItemCount)
        __builtin_trap();
    for (const TRowValues &row : doc.Rows) {
        for (const TChartValues &chart : row.Charts)
            if (chart.Duration && *chart.Duration < 0)
                __builtin_trap();
        // Event lines stay far from the extremes, so one-based numbers cannot overflow.
        for (const TEvent &event : row.Events)
            if (event.Line < -2000000 || event.Line > 2000000)
                __builtin_trap();
    }
    return 0;
}
