#pragma once
// The schedule report: a windowless holder of the banded report that prints
// the document. Every page has the same header (heading, title, date and page,
// stamp boxes, the printed period and its date axis) over one detail band per
// row and a footer with the company name. The controls the row band needs are
// made once per run, in pools sized by the busiest row, and only moved,
// resized and re-captioned for each row.
#include "platform/core/DateTime.h"
#include "report/BandReport.h"
#include "report/RpCtrls.h"

#include <memory>
#include <string>
#include <vector>

class TfrmMain;
class TdlgWait;
class TfrmPreview;
class TRpPrinter;
class TItem;
class TMemo;

class TrepForm : public TComponent {
public:
    explicit TrepForm(TfrmMain &main);
    ~TrepForm() override;

    TBandReport *rep1;
    TRpBand *bndHeader, *bndDetail, *bndFooter;
    TRpLabel *lblHeader, *lblMidashi, *lblT, *lblHdTitle, *lblD, *lblDate;
    TRpSysData *rpsPage;
    TRpLabel *lblHanko1, *lblhanko2, *lblhanko3, *lblhanko4;
    TRpMemo *memPHeader, *memPItem, *memKaishamei;
    TRpShape *shpHeaderHLine1, *shpHeaderHLine2, *shpDetailHLine, *shpDummy;
    TRpLabel *lblDummy;

    // The report's events.
    void rep1BeforePrint(TCustomBandReport *sender, bool &printReport);
    void rep1NeedData(TObject *sender, bool &moreData);
    void bndHeaderBeforePrint(TRpCustomBand *sender, bool &printBand);
    void bndDetailBeforePrint(TRpCustomBand *sender, bool &printBand);
    // The preview road (the printer's OnPreview, the preview window's print
    // button and its close query).
    void myPreview(TRpPrinter *sender);
    void myPrintClick();
    void myFormCloseQuery(bool &canClose);

    // Whether the margins leave room to print on and the caption column
    // room for the chart on the page the settings give; tells the person
    // when they do not.
    bool ChartFits();
    // The run has ended (or not begun).
    bool Ready() const { return rep1->Idle(); }
    // Frees every control of the pools and empties them.
    void FreeCreatedControls();

    // Run values, readable by tests.
    int RowCounter() const { return rowCounter_; }
    int ChartWidth() const { return chartWidth_; }
    long double DayWidth() const { return dayWidth_; }
    // The pools, in the order they were made.
    const std::vector<std::unique_ptr<TRpLabel>> &YearLabels() const { return yearLabels_; }
    const std::vector<std::unique_ptr<TRpLabel>> &MonthLabels() const { return monthLabels_; }
    const std::vector<std::unique_ptr<TRpLabel>> &DayLabels() const { return dayLabels_; }
    const std::vector<std::unique_ptr<TRpShape>> &HeaderDayLines() const { return headerDayLines_; }
    const std::vector<std::unique_ptr<TRpShape>> &DayBackgrounds() const { return dayBackgrounds_; }
    const std::vector<std::unique_ptr<TRpShape>> &DayGridLines() const { return dayGridLines_; }
    const std::vector<std::unique_ptr<TRpShape>> &LineSeparators() const { return lineSeparators_; }
    const std::vector<std::unique_ptr<TRpLabel>> &EventLabels() const { return eventLabels_; }
    const std::vector<std::unique_ptr<TRpShape>> &BarShapes() const { return barShapes_; }
    const std::vector<std::unique_ptr<TRpLabel>> &BarLabels() const { return barLabels_; }
    const std::vector<std::unique_ptr<TRpShape>> &ProgressShapes() const { return progressShapes_; }
    TdlgWait *WaitDialog() const { return wait_.get(); }

protected:
    void Notification(TComponent *component, TOperation operation) override;

private:
    // A preview still up when the form goes must not call back into it.
    void LetGoOfPreview();
    void ShowStillRunning();
    void CreateComponents();
    // From the start of a run to its last row (or the form's end) the main
    // window takes no input: the rows being printed must stay as they are.
    void BeginReading();
    void EndReading();
    void ApplyPageSettings();
    void PlaceHeaderTexts(int bandWidth);
    void KeepDateTextsApart(const std::string &today);
    void FitPageNumber();
    void IndentCaptions();
    int CaptionTextRoom() const;
    std::vector<std::string> CaptionLines(const TMemo &caption);
    void PlaceFooter();
    void LayOutHeader();
    void WritePeriod();
    void CreateDateAxis();
    // Makes the day's label when the days shown give it one; false when not.
    bool CreateDayLabel(int day, TDateTime date);
    void CreateLineSeparators();
    void CreatePools();
    // The controls of one row: what steps 3 to 8 of the row band do.
    void PrintRowColumns(const TItem &row);
    void PrintEvents(const TItem &row);
    void PrintBars(const TItem &row);
    // x of a date on the printed chart.
    int X(TDateTime date) const;
    // Where day i starts on the axis.
    int AxisX(int day) const;

    TfrmMain &main_;
    std::unique_ptr<TdlgWait> wait_;
    bool reading_ = false;
    TfrmPreview *preview_ = nullptr;  // the window this form's preview opened, while it exists
    int rowCounter_ = 0;
    int dayCount_ = 0;
    long double dayWidth_ = 0;
    int chartWidth_ = 0;
    int captionWidth_ = 0;
    int pageNumberRight_ = 0;  // where the page number ends, however wide it grows
    std::string today_;

    std::vector<std::unique_ptr<TRpLabel>> yearLabels_, monthLabels_, dayLabels_;
    std::vector<std::unique_ptr<TRpShape>> headerDayLines_, dayBackgrounds_, dayGridLines_, lineSeparators_;
    std::vector<std::unique_ptr<TRpLabel>> eventLabels_;
    std::vector<std::unique_ptr<TRpShape>> barShapes_;
    std::vector<std::unique_ptr<TRpLabel>> barLabels_;
    std::vector<std::unique_ptr<TRpShape>> progressShapes_;
};

// The printer the pages go to: the chosen one while it exists, else the default.
int RunPrinterIndex();
// The form's own page in 0.1 mm (portrait), kept for a paper outside the list.
constexpr int FormPageWidth = 2500;
constexpr int FormPageLength = 3540;
// The page a run prints on in 0.1 mm, turned as `orientation` says (1
// landscape): a named paper from the paper table, the default paper (0) as
// the printer the pages go to has it. For a paper outside the list it gives
// the form's page and answers false.
bool PrintedPageSize(int paperSize, int orientation, long double &width, long double &length);
// What to tell the person when margins (mm) leave no room on a page of that
// width and length (0.1 mm); null when they leave some.
const char *MarginsRefusal(long double width, long double length, long double top, long double bottom,
                           long double left, long double right);

// A control at this top prints nothing: it lies outside its band.
constexpr int ParkedTop = -3000;
