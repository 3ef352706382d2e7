// The schedule report: page, header, date axis and the row band, read from
// the pages a run records.
#include <gtest/gtest.h>

#include "schedule/printing/Rep.h"
#include "tests/report/BandReportTestDevice.h"
#include "tests/schedule/DialogFixture.h"
#include "tests/schedule/TestBars.h"

#include <algorithm>

using report_test::TTestDevice;

namespace {

struct TReportBoard : TDialogFixture {
    explicit TReportBoard(int rows = 12)
    {
        for (int i = 0; i < rows; ++i) {
            main->AddItem();
            ItemList.back()->FMemo->SetText("項目" + std::to_string(i + 1));
        }
        main->RedrawChart();
        StartDate = EncodeDate(2024, 4, 1);
        DaysShown = 31;
    }
    // Runs the report on an A4 landscape recording device.
    std::unique_ptr<TTestDevice> Run(TrepForm &rep)
    {
        auto device = std::make_unique<TTestDevice>(96, 2100, 2970);
        device->Orientation = poLandscape;
        rep.rep1->BuildReport(*device);
        return device;
    }
};

} // namespace

TEST(RepForm, Explore)
{
    TReportBoard board;
    TrepForm rep(*board.main);
    auto device = board.Run(rep);
    EXPECT_EQ(device->Pages, 2);
    for (int p = 1; p <= device->Pages; ++p) {
        std::string all;
        for (auto &t : device->TextsOnPage(p)) all += t + "|";
        std::cout << "page " << p << ": " << all << "\n";
    }
    std::cout << "W=" << rep.bndHeader->Width() << " CW=" << rep.ChartWidth() << " hdr=" << rep.bndHeader->Height() << "\n";
}
