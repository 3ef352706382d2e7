#pragma once
// The holiday calendar: one month at a time in a 6 x 7 grid of day cells;
// clicking a day marks it as a holiday (red) or clears it. It works on the
// shared holiday list; the caller saves the list on OK.
#include "platform/widgets/Button.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Panel.h"

#include <array>
#include <vector>

class TfrmMain;

class TdlgCalendar : public TForm {
public:
    TdlgCalendar();

    TPanel *pnlYear, *pnlMonth, *pnlCalender;
    TButton *btnPrev, *btnNext, *OKBtn, *CancelBtn;
    std::array<TPanel *, 42> pnlDay{};

    int Year() const { return year_; }
    int Month() const { return month_; }
    // The day shown in a cell (0-based cell index), or 0 when the cell is outside the month.
    int DayOfCell(int cell) const;
    bool IsHolidayCell(int cell) const;

    void pnlDayClick(TObject *sender);
    void btnPrevClick(TObject *sender);
    void btnNextClick(TObject *sender);
    void OKBtnClick(TObject *sender);

private:
    void FillMonth();
    void StoreMonth();
    void ShowMonth(int year, int month);
    int year_ = 0, month_ = 0;
};

// 設定 > カレンダー: on OK the holiday file is written and the chart redrawn; on
// anything else the holiday list is put back as it was when the dialog opened.
void ShowCalendarDialog(TfrmMain &main, const TModalRunner &run = RunModal);
