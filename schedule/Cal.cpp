#include "schedule/Cal.h"

#include "platform/core/SysUtils.h"
#include "schedule/Head.h"
#include "schedule/Main.h"

#include <algorithm>

namespace {

constexpr TColor kHolidayColor = 255;
constexpr TColor kWorkdayColor = 0;

TPanel *MakePanel(TWinControl *parent, TForm *owner, TRect bounds)
{
    auto *panel = new TPanel(owner);
    panel->SetParent(parent);
    panel->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    return panel;
}

TLabel *MakeLabel(TWinControl *parent, const std::string &caption, TRect bounds)
{
    auto *label = new TLabel(parent);
    label->SetParent(parent);
    label->SetCaption(caption);
    label->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    return label;
}

TButton *MakeButton(TForm *form, const std::string &caption, int left, int top)
{
    auto *button = new TButton(form);
    button->SetParent(form);
    button->SetCaption(caption);
    button->SetBounds(left, top, 75, 25);
    return button;
}

} // namespace

TdlgCalendar::TdlgCalendar() : TForm(nullptr)
{
    SetCaption("カレンダー");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientSize(240, 280);
    pnlYear = MakePanel(this, this, TRect{32, 10, 76, 30});
    pnlMonth = MakePanel(this, this, TRect{116, 10, 144, 30});
    for (TPanel *p : {pnlYear, pnlMonth})
        p->SetBevelOuter(bvLowered);
    MakeLabel(this, "年", TRect{80, 13, 96, 29});
    MakeLabel(this, "月", TRect{148, 13, 164, 29});
    btnPrev = MakeButton(this, "前月", 32, 38);
    btnNext = MakeButton(this, "次月", 132, 38);
    for (TButton *b : {btnPrev, btnNext}) {
        b->SetHint(b->Caption());
        b->SetTabStop(false);
    }
    btnPrev->OnClick = [this](TObject *s) { btnPrevClick(s); };
    btnNext->OnClick = [this](TObject *s) { btnNextClick(s); };
    pnlCalender = MakePanel(this, this, TRect{32, 70, 32 + 4 + 7 * 25, 70 + 22 + 6 * 20});
    pnlCalender->SetColor(clWhite);
    const char *const names[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    for (int c = 0; c < 7; ++c) {
        TLabel *label = MakeLabel(pnlCalender, names[c], TRect{2 + c * 25, 2, 26 + c * 25, 18});
        label->SetColor(clWhite);
        label->Font().SetSize(7);
    }
    for (int n = 0; n < 42; ++n) {
        int c = n % 7, w = n / 7;
        TPanel *cell = MakePanel(pnlCalender, this, TRect{3 + c * 25, 20 + w * 20, 23 + c * 25, 38 + w * 20});
        cell->SetName("pnlDay" + IntToStr(n + 1));
        cell->SetColor(clWhite);
        cell->SetHint("日付を選択して下さい。");
        cell->OnClick = [this](TObject *s) { pnlDayClick(s); };
        pnlDay[static_cast<size_t>(n)] = cell;
    }
    MakeLabel(this, "休日にしたい日付をクリックして下さい。", TRect{8, 220, 236, 236});
    OKBtn = MakeButton(this, "OK", 36, 244);
    OKBtn->SetDefault(true);
    OKBtn->SetModalResult(mrOk);
    OKBtn->OnClick = [this](TObject *s) { OKBtnClick(s); };
    CancelBtn = MakeButton(this, "キャンセル", 128, 244);
    CancelBtn->SetCancel(true);
    CancelBtn->SetModalResult(mrCancel);

    int y, m, d;
    DecodeDate(Date(), y, m, d);
    ShowMonth(y, m);
}

int TdlgCalendar::DayOfCell(int cell) const
{
    // Weeks start on Sunday; the first row begins `offset` days before the 1st.
    int k = DayOfWeek(EncodeDate(year_, month_, 1)) % 7;
    int offset = k == 0 ? -5 : 2 - k;
    int day = offset + cell % 7 + (cell / 7) * 7;
    return day >= 1 && day <= DaysInMonth(year_, month_) ? day : 0;
}

bool TdlgCalendar::IsHolidayCell(int cell) const
{
    return pnlDay[static_cast<size_t>(cell)]->Font().Color() == kHolidayColor;
}

void TdlgCalendar::ShowMonth(int year, int month)
{
    year_ = year;
    month_ = month;
    pnlYear->SetCaption(IntToStr(year_));
    pnlMonth->SetCaption(IntToStr(month_));
    FillMonth();
}

void TdlgCalendar::FillMonth()
{
    for (int n = 0; n < 42; ++n) {
        TPanel *cell = pnlDay[static_cast<size_t>(n)];
        cell->SetCaption("");
        cell->Font().SetColor(kWorkdayColor);
        cell->SetBevelOuter(bvNone);
        int day = DayOfCell(n);
        if (day == 0)
            continue;
        cell->SetCaption(IntToStr(day));
        TDateTime date = EncodeDate(year_, month_, day);
        if (std::find(HolidayList.begin(), HolidayList.end(), date) != HolidayList.end())
            cell->Font().SetColor(kHolidayColor);
    }
}

void TdlgCalendar::StoreMonth()
{
    for (TDateTime &entry : HolidayList) {
        if (entry == 0)
            continue;
        int y, m, d;
        DecodeDate(entry, y, m, d);
        if (y == year_ && m == month_)
            entry = 0;
    }
    for (int n = 0; n < 42; ++n)
        if (DayOfCell(n) != 0 && IsHolidayCell(n))
            HolidayList.push_back(EncodeDate(year_, month_, DayOfCell(n)));
    std::stable_sort(HolidayList.begin(), HolidayList.end(),
                     [](TDateTime a, TDateTime b) { return CompareHoliday(a, b) < 0; });
}

void TdlgCalendar::pnlDayClick(TObject *sender)
{
    auto *cell = dynamic_cast<TPanel *>(sender);
    if (!cell || cell->Caption().empty())
        return;
    cell->Font().SetColor(cell->Font().Color() == kHolidayColor ? kWorkdayColor : kHolidayColor);
}

void TdlgCalendar::btnPrevClick(TObject *)
{
    StoreMonth();
    if (month_ == 1)
        ShowMonth(year_ - 1, 12);
    else
        ShowMonth(year_, month_ - 1);
}

void TdlgCalendar::btnNextClick(TObject *)
{
    StoreMonth();
    if (month_ == 12)
        ShowMonth(year_ + 1, 1);
    else
        ShowMonth(year_, month_ + 1);
}

void TdlgCalendar::OKBtnClick(TObject *)
{
    StoreMonth();
    Modified = true;
}

void ShowCalendarDialog(TfrmMain &main, const TModalRunner &run)
{
    // Kept so that a cancel undoes every change, whether or not a holiday file exists.
    std::vector<TDateTime> before = HolidayList;
    TdlgCalendar dialog;
    if (run(dialog) == mrOk) {
        main.RedrawChart();
        SaveHolidays();
    } else {
        HolidayList = std::move(before);
    }
}
