#include "controls/MOInplaceCalender.h"

#include "platform/core/DateTime.h"
#include "platform/widgets/Label.h"
#include "platform/kernel/Timer.h"

#include <algorithm>
#include <tuple>

const std::array<int, 12> MonthDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

namespace {

struct TEra {
    const char *name;
    int year, month, day; // the first day of the era
};

// Newest first.
constexpr std::array<TEra, 5> Eras{{
    {"令和", 2019, 5, 1},
    {"平成", 1989, 1, 8},
    {"昭和", 1926, 12, 25},
    {"大正", 1912, 7, 30},
    {"明治", 1868, 9, 8},
}};

} // namespace

std::string EraDateText(TDateTime date)
{
    int y, m, d;
    DecodeDate(date, y, m, d);
    std::string monthDay = "/" + std::to_string(m) + "/" + std::to_string(d);
    for (const TEra &era : Eras)
        if (std::make_tuple(y, m, d) >= std::make_tuple(era.year, era.month, era.day))
            return era.name + std::to_string(y - era.year + 1) + monthDay;
    return std::to_string(y) + monthDay;
}

// ---------------------------------------------------------------- TMOInplaceCalender

TMOInplaceCalender::TMOInplaceCalender(TComponent *owner) : TDrawGrid(owner)
{
    SetBorderStyle(gbsNone);
    SetColor(clBtnFace);
    SetFixedColor(clBtnFace);
    SetOptions(goFixedHorzLine);
    SetColCount(7);
    SetRowCount(7);
    SetFixedCols(0);
    SetFixedRows(1);
    SetTabStop(false);
    date_ = ::Date();
    LayoutMonth();
}

void TMOInplaceCalender::BoundsChanged()
{
    TDrawGrid::BoundsChanged();
    int lines = 6 * GridLineWidth();
    SetDefaultColWidth((Width() - ((Options() & goVertLine) ? lines : 0)) / 7);
    SetDefaultRowHeight((Height() - lines) / 7);
}

void TMOInplaceCalender::LayoutMonth()
{
    int y, m, d;
    DecodeDate(date_, y, m, d);
    int k = (DayOfWeek(EncodeDate(y, m, 1)) - startWeek_ + 7) % 7;
    int offset = k == 0 ? -5 : 2 - k;
    int count = DaysInMonth(y, m);
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 7; ++col) {
            int day = offset + col + (row - 1) * 7;
            days_[static_cast<size_t>(row)][static_cast<size_t>(col)] = row >= 1 && day >= 1 && day <= count ? day : 0;
        }
    TGridCoord cell = CellOfDay(d);
    laying_ = true;
    MoveColRow(cell.X, cell.Y, true);
    laying_ = false;
    Invalidate();
}

int TMOInplaceCalender::DayAt(int col, int row) const
{
    if (col < 0 || row < 0 || col >= 7 || row >= 7)
        return 0;
    return days_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

TGridCoord TMOInplaceCalender::CellOfDay(int day) const
{
    for (int row = 1; row < 7; ++row)
        for (int col = 0; col < 7; ++col)
            if (DayAt(col, row) == day)
                return TGridCoord{col, row};
    return TGridCoord{-1, -1};
}

int TMOInplaceCalender::Year() const
{
    int y, m, d;
    DecodeDate(date_, y, m, d);
    return y;
}

int TMOInplaceCalender::Month() const
{
    int y, m, d;
    DecodeDate(date_, y, m, d);
    return m;
}

int TMOInplaceCalender::Day() const
{
    int y, m, d;
    DecodeDate(date_, y, m, d);
    return d;
}

void TMOInplaceCalender::SetDate(TDateTime date)
{
    if (date == date_)
        return;
    date_ = date;
    LayoutMonth();
}

void TMOInplaceCalender::SetYear(int year)
{
    if (year == Year() || year < 1 || year > 9999)
        return;
    int day = std::min(Day(), DaysInMonth(year, Month()));
    SetDate(EncodeDate(year, Month(), day) + TimeOf(date_));
}

void TMOInplaceCalender::SetMonth(int month)
{
    if (month == Month() || month < 1 || month > 12)
        return;
    int day = std::min(Day(), DaysInMonth(Year(), month));
    SetDate(EncodeDate(Year(), month, day) + TimeOf(date_));
}

void TMOInplaceCalender::SetDay(int day)
{
    if (day < 1 || day > DaysInMonth(Year(), Month()) || day == Day())
        return;
    SetDate(EncodeDate(Year(), Month(), day) + TimeOf(date_));
}

void TMOInplaceCalender::SetStartWeek(TMODayWeekName day)
{
    if (day == startWeek_)
        return;
    startWeek_ = day;
    LayoutMonth();
}

void TMOInplaceCalender::SetWeekEndColor(TColor c)
{
    if (c != weekEndColor_) {
        weekEndColor_ = c;
        Invalidate();
    }
}

void TMOInplaceCalender::SetSaturDayColor(TColor c)
{
    if (c != saturDayColor_) {
        saturDayColor_ = c;
        Invalidate();
    }
}

void TMOInplaceCalender::SetDayTextColor(TColor c)
{
    if (c != dayTextColor_) {
        dayTextColor_ = c;
        Invalidate();
    }
}

void TMOInplaceCalender::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TMOInplaceCalender::NextMonth()
{
    SetDate(IncMonth(date_, 1));
    Changed();
}

void TMOInplaceCalender::PrevMonth()
{
    SetDate(IncMonth(date_, -1));
    Changed();
}

// A year step is announced twice, as two month-sized notifications would be.
void TMOInplaceCalender::NextYear()
{
    SetDate(IncMonth(date_, 12));
    Changed();
    Changed();
}

void TMOInplaceCalender::PrevYear()
{
    SetDate(IncMonth(date_, -12));
    Changed();
    Changed();
}

bool TMOInplaceCalender::SelectCell(int col, int row)
{
    return DayAt(col, row) != 0 && TDrawGrid::SelectCell(col, row);
}

void TMOInplaceCalender::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TDrawGrid::MouseDown(button, shift, x, y);
    TGridCoord cell = MouseCoord(x, y);
    if (button == mbLeft && DayAt(cell.X, cell.Y) != 0)
        SetDay(DayAt(cell.X, cell.Y));
}

// The whole month is shown: the wheel has nothing to scroll (a grid's wheel
// would move the marked cell away from the date the pop-up gives back).
void TMOInplaceCalender::WndProc(TMessage &message)
{
    if (message.Msg == WM_MOUSEWHEEL)
        return;
    TDrawGrid::WndProc(message);
}

void TMOInplaceCalender::DrawCell(int col, int row, TRect rect, TGridDrawState state)
{
    TCanvas &canvas = Canvas();
    int day = DayAt(col, row);
    std::string text = row == 0 ? ShortDayNames[WeekdayOfColumn(col)] : day ? std::to_string(day) : std::string();
    if (!(state & gdSelected)) {
        int weekday = WeekdayOfColumn(col);
        TColor color = dayTextColor_;
        if (weekEnd_ & (1u << weekday))
            color = weekEndColor_;
        if (weekday == Sat)
            color = saturDayColor_;
        canvas.Font().SetColor(color);
    }
    canvas.Brush().SetStyle(bsClear);
    TRect r = rect;
    canvas.DrawText(text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (day != 0) {
        int ty, tm, td;
        DecodeDate(::Date(), ty, tm, td);
        if (ty == Year() && tm == Month() && td == day) {
            canvas.Pen().SetColor(clRed);
            canvas.Pen().SetWidth(2);
            canvas.Ellipse(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1);
            canvas.Pen().SetWidth(1);
        }
    }
    canvas.Brush().SetStyle(bsSolid);
    TDrawGrid::DrawCell(col, row, rect, state);
}

// ---------------------------------------------------------------- TMOSpeedButton

TMOSpeedButton::TMOSpeedButton(TComponent *owner) : TSpeedButton(owner), timer_(new TTimer(this))
{
    timer_->SetEnabled(false);
    timer_->OnTimer = [this](TObject *) { TimerExpired(); };
}

TMOSpeedButton::~TMOSpeedButton() = default;

void TMOSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TSpeedButton::MouseDown(button, shift, x, y);
    if (button != mbLeft || !Pressed())
        return;
    swallowReleaseClick_ = false;
    timer_->SetInterval(500);
    timer_->SetEnabled(true);
    Click();
}

void TMOSpeedButton::TimerExpired()
{
    timer_->SetInterval(100);
    if (!Pressed()) {
        StopTimer();
        return;
    }
    try {
        Click();
    } catch (...) {
        StopTimer();
        throw;
    }
}

void TMOSpeedButton::StopTimer()
{
    timer_->SetEnabled(false);
}

void TMOSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    bool wasPressed = Pressed();
    TSpeedButton::MouseUp(button, shift, x, y);
    if (button == mbLeft && wasPressed) {
        StopTimer();
        // The press already stepped; the release over the button must not step again.
        swallowReleaseClick_ = x >= 0 && y >= 0 && x < Width() && y < Height();
    }
}

void TMOSpeedButton::Click()
{
    if (swallowReleaseClick_) {
        swallowReleaseClick_ = false;
        return;
    }
    TSpeedButton::Click();
}

// ---------------------------------------------------------------- TMOStatusPanel

void TMOStatusPanel::Paint()
{
    TPanel::Paint();
    TCanvas &canvas = Canvas();
    canvas.Brush().SetStyle(bsClear);
    canvas.Pen().SetColor(clRed);
    canvas.Pen().SetWidth(2);
    canvas.Ellipse(2, 2, 12, 19);
    canvas.Pen().SetWidth(1);
    canvas.Brush().SetStyle(bsSolid);
}

// ---------------------------------------------------------------- TMOPopupPanel

namespace {

constexpr int GridWidth = 160, GridHeight = 100, TitleHeight = 25, StatusHeight = 15;

// Draws a step arrow: one or two triangles pointing left or right, black on a
// transparent (bottom-left coloured) background.
void DrawStepGlyph(TBitmap &glyph, bool right, bool twice)
{
    glyph.SetSize(14, 14);
    TCanvas &canvas = glyph.Canvas();
    canvas.Brush().SetColor(clFuchsia);
    canvas.FillRect(TRect{0, 0, 14, 14});
    canvas.Brush().SetColor(clBlack);
    canvas.Pen().SetColor(clBlack);
    auto triangle = [&](int tip) {
        int base = right ? tip - 4 : tip + 4;
        canvas.Polygon({TPoint{tip, 7}, TPoint{base, 3}, TPoint{base, 11}});
    };
    if (twice) {
        triangle(right ? 7 : 2);
        triangle(right ? 11 : 6);
    } else {
        triangle(right ? 9 : 4);
    }
}

} // namespace

TMOPopupPanel::TMOPopupPanel(TComponent *owner, const TMOMonthCalColors &colors, TDateTime date)
    : TPopupWindow(owner)
{
    SetBounds(0, 0, GridWidth + 2, TitleHeight + GridHeight + StatusHeight + 2);
    SetColor(colors.MonthBackColor());

    title_ = new TPanel(this);
    title_->SetBevelOuter(bvNone);
    title_->SetBounds(1, 1, GridWidth, TitleHeight);
    title_->SetColor(colors.TitleBackColor());
    title_->SetParent(this);

    buttons_[0] = MakeButton(0, 0, "前年");
    buttons_[1] = MakeButton(14, 1, "前月");
    buttons_[2] = MakeButton(GridWidth - 31, 2, "翌月");
    buttons_[3] = MakeButton(GridWidth - 17, 3, "翌年");

    caption_ = new TLabel(this);
    caption_->SetTransparent(true);
    caption_->Font().SetColor(clBlack);
    caption_->Font().SetStyle(fsBold);
    caption_->SetParent(title_);

    calendar_ = new TMOInplaceCalender(this);
    calendar_->SetBounds(1, 1 + TitleHeight, GridWidth, GridHeight);
    calendar_->SetColor(colors.MonthBackColor());
    calendar_->SetFixedColor(colors.MonthFixedColor());
    calendar_->SetWeekEndColor(colors.WeekEndColor());
    calendar_->SetSaturDayColor(colors.SaturDayColor());
    calendar_->SetDayTextColor(colors.DayTextColor());
    calendar_->SetDate(date);
    calendar_->SetParent(this);
    calendar_->OnChange = [this](TObject *) { RefreshCaption(); };
    calendar_->OnMouseUp = [this](TObject *, TMouseButton button, TShiftState shift, int x, int y) {
        TGridCoord cell = calendar_->MouseCoord(x, y);
        if (button == mbLeft && !(shift & (ssShift | ssCtrl | ssAlt)) && calendar_->DayAt(cell.X, cell.Y) != 0
            && OnDayPicked)
            OnDayPicked(this);
    };

    status_ = new TMOStatusPanel(this);
    status_->SetBevelOuter(bvNone);
    status_->SetBounds(1, 1 + TitleHeight + GridHeight, GridWidth, StatusHeight);
    status_->SetColor(colors.MonthBackColor());
    status_->Font().SetStyle(fsBold);
    status_->SetCaption("今日: " + EraDateText(::Date()));
    status_->SetHint("ここをダブルクリックすると\r\n今日に移動します。");
    status_->SetShowHint(true);
    status_->OnDblClick = [this](TObject *) {
        calendar_->SetDate(::Date());
        RefreshCaption();
    };
    status_->SetParent(this);
    RefreshCaption();
}

TMOSpeedButton *TMOPopupPanel::MakeButton(int left, int kind, const std::string &hint)
{
    auto *button = new TMOSpeedButton(this);
    button->SetBounds(left, 5, 14, 14);
    button->SetFlat(true);
    button->SetColor(clNone);
    button->SetHint(hint);
    button->SetShowHint(true);
    DrawStepGlyph(button->Glyph(), kind >= 2, kind == 0 || kind == 3);
    button->OnClick = [this, kind](TObject *) {
        switch (kind) {
        case 0: calendar_->PrevYear(); break;
        case 1: calendar_->PrevMonth(); break;
        case 2: calendar_->NextMonth(); break;
        default: calendar_->NextYear(); break;
        }
    };
    button->SetParent(title_);
    return button;
}

void TMOPopupPanel::RefreshCaption()
{
    TDateTime d = calendar_->Date();
    caption_->SetCaption(FormatDateTime("yyyy", d) + "年" + FormatDateTime("mm", d) + "月");
    caption_->SetLeft((GridWidth - caption_->Width()) / 2);
    caption_->SetTop((TitleHeight - caption_->Height()) / 2);
}

void TMOPopupPanel::StepDays(int days)
{
    calendar_->SetDate(calendar_->Date() + days);
    RefreshCaption();
}
