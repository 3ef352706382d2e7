// Moving through time: the time-scale tabs, the move buttons, back to the
// first date, and the mouse wheel over the rows. The scroll bar counts one
// unit per day and FScrollOrigin is the position of the document's start date,
// so StartDate = FDocStartDate + (position - FScrollOrigin) while the user scrolls.
#include "schedule/Main.h"

#include "platform/core/DateTime.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Messages.h"
#include "platform/core/Services.h"
#include "schedule/MainDocument.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// A start past every date, which the move refuses as too late.
constexpr TDateTime kPastTheLastDate = LastDate + 1;

TDateTime SameDayOtherYear(TDateTime date, int years)
{
    int y = 0, m = 0, d = 0;
    DecodeDate(date, y, m, d);
    if (y + years > 9999)
        return kPastTheLastDate;
    return EncodeDate(y + years, m, d);
}

TDateTime MonthLater(TDateTime date)
{
    int y = 0, m = 0, d = 0;
    DecodeDate(date, y, m, d);
    if (y == 9999 && m == 12)
        return kPastTheLastDate;
    return IncMonth(date, 1);
}

void ReportPeriodTooLate(TDateTime start, int days)
{
    Services().MessageBox(PeriodTooLateMessage(start, days), "たるぼる", MB_OK | MB_ICONWARNING);
}

int WholeDaysBetween(TDateTime from, TDateTime to)
{
    return static_cast<int>(std::trunc(to) - std::trunc(from));
}

bool FitsInt(long long v) { return v >= INT_MIN && v <= INT_MAX; }

void ReportScrollLimit()
{
    Services().MessageBox("スクロールが上限に達しました。", "たるぼる", MB_OK | MB_ICONWARNING);
}

// Gives the date scroll bar its new position and range; false (after saying
// so) when they are beyond what the bar can hold.
bool SetScrollParams(TScrollBar &bar, long long position, long long max)
{
    if (!FitsInt(max)) {
        ReportScrollLimit();
        return false;
    }
    try {
        bar.SetParams(static_cast<int>(position), bar.Min(), static_cast<int>(max));
    } catch (const EInvalidOperation &) {
        ReportScrollLimit();
        return false;
    }
    return true;
}

} // namespace

void TfrmMain::BindNavigationHandlers()
{
    OnMouseWheelUp = [this](TObject *s, TShiftState sh, TPoint p, bool &h) { FormMouseWheelUp(s, sh, p, h); };
    OnMouseWheelDown = [this](TObject *s, TShiftState sh, TPoint p, bool &h) { FormMouseWheelDown(s, sh, p, h); };
    const std::pair<TSkinItem *, void (TfrmMain::*)(TObject *)> moves[] = {
        {btnYearL, &TfrmMain::btnYearLeftClick},   {btnMonthL, &TfrmMain::btnMonthLeftClick},
        {btnWeekL, &TfrmMain::btnWeekLeftClick},   {btnDayL, &TfrmMain::btnDayLeftClick},
        {btnInitDate, &TfrmMain::btnInitDateClick}, {btnDayR, &TfrmMain::btnDayRightClick},
        {btnWeekR, &TfrmMain::btnWeekRightClick},  {btnMonthR, &TfrmMain::btnMonthRightClick},
        {btnYearR, &TfrmMain::btnYearRightClick}};
    for (const auto &[button, handler] : moves)
        if (button)
            button->OnClick = [this, handler = handler](TObject *sender) { (this->*handler)(sender); };
}

void TfrmMain::MoveStartLeft(TDateTime newStart)
{
    long long delta = WholeDaysBetween(newStart, StartDate);
    long long position = scb2->Position(), max = scb2->Max();
    long long origin = FScrollOrigin;
    if (position == 0) {
        max += delta;
        origin += delta;
    } else if (position - delta < 0) {
        max += delta - position;
        origin += delta - position;
        position = 0;
    } else {
        position -= delta;
    }
    if (!FitsInt(origin)) {
        ReportScrollLimit();
        return;
    }
    if (!SetScrollParams(*scb2, position, max))
        return;
    FScrollOrigin = static_cast<int>(origin);
    StartDate = newStart;
    RedrawChart();
}

void TfrmMain::MoveStartRight(TDateTime newStart)
{
    if (!PeriodFits(newStart, DaysShown)) {
        ReportPeriodTooLate(std::min(newStart, kPastTheLastDate - 1), DaysShown);
        return;
    }
    long long delta = WholeDaysBetween(StartDate, newStart);
    long long position = scb2->Position(), max = scb2->Max();
    if (position == max) {
        max += delta;
        position = max;
    } else if (max < position + delta) {
        max = position + delta;
        position = max;
    } else {
        position += delta;
    }
    if (!SetScrollParams(*scb2, position, max))
        return;
    StartDate = newStart;
    RedrawChart();
}

void TfrmMain::btnYearLeftClick(TObject *) { MoveStartLeft(SameDayOtherYear(StartDate, -1)); }
void TfrmMain::btnMonthLeftClick(TObject *) { MoveStartLeft(IncMonth(StartDate, -1)); }
void TfrmMain::btnWeekLeftClick(TObject *) { MoveStartLeft(StartDate - 7); }
void TfrmMain::btnDayLeftClick(TObject *) { MoveStartLeft(StartDate - 1); }
void TfrmMain::btnDayRightClick(TObject *) { MoveStartRight(StartDate + 1); }
void TfrmMain::btnWeekRightClick(TObject *) { MoveStartRight(StartDate + 7); }
void TfrmMain::btnMonthRightClick(TObject *) { MoveStartRight(MonthLater(StartDate)); }
void TfrmMain::btnYearRightClick(TObject *) { MoveStartRight(SameDayOtherYear(StartDate, 1)); }

void TfrmMain::tbcCalSelectChanging(TObject *, int newIndex, bool &allowChange)
{
    // A longer scale near the last date would show days that are no dates.
    const int days = DaysOfTimeScaleTab(newIndex);
    if (PeriodFits(StartDate, days))
        return;
    ReportPeriodTooLate(StartDate, days);
    allowChange = false;
}

long long TfrmMain::LastFittingPosition(int days) const
{
    const long long lastStart = static_cast<long long>(LastDate) - std::max(days, 1) + 1;
    return FScrollOrigin + lastStart - static_cast<long long>(std::trunc(FDocStartDate));
}

void TfrmMain::FitDateScrollBarEnd(int daysBefore)
{
    const long long end = std::max<long long>(LastFittingPosition(DaysShown), scb2->Position());
    const long long max = scb2->Max();
    const bool endedThere = max == LastFittingPosition(daysBefore);
    if ((end < max || (endedThere && end > max)) && FitsInt(end))
        scb2->SetParams(scb2->Position(), scb2->Min(), static_cast<int>(end));
}

void TfrmMain::scb2Scroll(TScrollCode code, int &position)
{
    if (code == scTrack || code == scEndScroll)
        return;
    const TDateTime start = FDocStartDate + (position - FScrollOrigin);
    if (!PeriodFits(start, DaysShown)) {
        ReportPeriodTooLate(start, DaysShown);
        // Back where the start shown stands.
        position = FScrollOrigin + static_cast<int>(std::lrint(StartDate - FDocStartDate));
        return;
    }
    StartDate = start;
    RedrawChart();
}

void TfrmMain::btnInitDateClick(TObject *)
{
    scb2->SetPosition(FScrollOrigin);
    StartDate = FDocStartDate;
    RedrawChart();
}

// The wheel's notches that arrive together (a quick spin) are applied
// together, to the position the rows have when they are applied (a click or
// a key may have scrolled them since the notches came): each notch moves the
// position the one before it left, within the bounds a single notch keeps to,
// and the rows scroll once, with one placing of the bars and one repaint.
// The notches of a spin come a fraction of a millisecond apart, however the
// event loop happens to take them; a person's separate clicks tens of
// milliseconds apart. So the rows scroll when the wheel has been still for
// kWheelStill, and, while it keeps turning, once every kWheelFrame.
namespace {

constexpr auto kWheelStill = std::chrono::milliseconds(3);
constexpr auto kWheelFrame = std::chrono::milliseconds(16);

} // namespace

void TfrmMain::ScrollRowsByWheel(int notchesDown)
{
    const auto now = std::chrono::steady_clock::now();
    if (wheelNotches_.empty())
        wheelSpinStart_ = now;
    wheelLastNotch_ = now;
    wheelNotches_.push_back(notchesDown);
    if (wheelNotches_.size() == 1 && !SetTimer(this, kWheelTimer, 1))
        ApplyWheel();
}

void TfrmMain::WheelTimer()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - wheelLastNotch_ < kWheelStill && now - wheelSpinStart_ < kWheelFrame)
        return;
    KillTimer(this, kWheelTimer);
    ApplyWheel();
}

void TfrmMain::ApplyWheel()
{
    auto &bar = scb1->VertScrollBar();
    const int step = 2 * bar.Increment();
    const int last = bar.MaxPosition();
    int position = bar.Position();
    for (int notch : wheelNotches_)
        position = std::clamp(position + notch * step, 0, last);
    wheelNotches_.clear();
    bar.SetPosition(position);
}

void TfrmMain::WndProc(TMessage &message)
{
    if (message.Msg == WM_TIMER && message.WParam == kWheelTimer)
        WheelTimer();
    else
        TForm::WndProc(message);
}

void TfrmMain::FormMouseWheelUp(TObject *, TShiftState, TPoint, bool &) { ScrollRowsByWheel(-1); }

void TfrmMain::FormMouseWheelDown(TObject *, TShiftState, TPoint, bool &) { ScrollRowsByWheel(1); }
