// Moving through time: the time-scale tabs, the move buttons, back to the
// first date, and the mouse wheel over the rows. The scroll bar counts one
// unit per day and FScrollOrigin is the position of the document's start date,
// so StartDate = FDocStartDate + (position - FScrollOrigin) while the user scrolls.
#include "schedule/Main.h"

#include "platform/core/DateTime.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Messages.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "schedule/MainDocument.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>

namespace {

// Four hundred years of the calendar always hold 146097 days: a step of
// months or years that would end beyond the first or the last date is taken
// four centuries nearer the middle and shifted back, so that it lands on the
// day the calendar would count, which the refusal then names.
constexpr double kFourCenturies = 146097;

double ShiftTowardsTheMiddle(long long targetYear)
{
    return targetYear > 9999 ? kFourCenturies : targetYear < 1 ? -kFourCenturies : 0;
}

TDateTime SameDayOtherYear(TDateTime date, int years)
{
    int y = 0, m = 0, d = 0;
    DecodeDate(date, y, m, d);
    const double shift = ShiftTowardsTheMiddle(static_cast<long long>(y) + years);
    const int centuries = shift > 0 ? 400 : shift < 0 ? -400 : 0;
    TDateTime result;
    if (!TryEncodeDate(y + years - centuries, m, d, result))
        throw EConvertError(FormatFloat("0000", y + years) + "/" + FormatFloat("00", m) + "/" + FormatFloat("00", d)
                            + " は存在しない日付です。");
    return result + shift;
}

TDateTime MonthsLater(TDateTime date, int months)
{
    int y = 0, m = 0, d = 0;
    DecodeDate(date, y, m, d);
    const long long monthIndex = static_cast<long long>(y) * 12 + (m - 1) + months;
    const double shift = ShiftTowardsTheMiddle(monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12);
    return IncMonth(date - shift, months) + shift;
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

// Every road that changes the start shown ends here: a period with days that
// are no dates is refused (and said so) before anything changes, and so is a
// date scroll bar that cannot take its new place (`placeBar`, when given).
bool TfrmMain::ChangeStart(TDateTime newStart, const std::function<bool()> &placeBar)
{
    if (!PeriodAccepted(newStart, DaysShown))
        return false;
    if (placeBar && !placeBar())
        return false;
    StartDate = newStart;
    RedrawChart();
    return true;
}

bool TfrmMain::PeriodAccepted(TDateTime start, int days, const std::string &caption)
{
    const std::string refusal = PeriodRefusal(start, days);
    if (refusal.empty())
        return true;
    Services().MessageBox(refusal, caption, MB_OK | MB_ICONWARNING);
    return false;
}

void TfrmMain::MoveStartLeft(TDateTime newStart)
{
    ChangeStart(newStart, [&] {
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
            return false;
        }
        if (!SetScrollParams(*scb2, position, max))
            return false;
        FScrollOrigin = static_cast<int>(origin);
        return true;
    });
}

void TfrmMain::MoveStartRight(TDateTime newStart)
{
    ChangeStart(newStart, [&] {
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
        return SetScrollParams(*scb2, position, max);
    });
}

void TfrmMain::btnYearLeftClick(TObject *) { MoveStartLeft(SameDayOtherYear(StartDate, -1)); }
void TfrmMain::btnMonthLeftClick(TObject *) { MoveStartLeft(MonthsLater(StartDate, -1)); }
void TfrmMain::btnWeekLeftClick(TObject *) { MoveStartLeft(StartDate - 7); }
void TfrmMain::btnDayLeftClick(TObject *) { MoveStartLeft(StartDate - 1); }
void TfrmMain::btnDayRightClick(TObject *) { MoveStartRight(StartDate + 1); }
void TfrmMain::btnWeekRightClick(TObject *) { MoveStartRight(StartDate + 7); }
void TfrmMain::btnMonthRightClick(TObject *) { MoveStartRight(MonthsLater(StartDate, 1)); }
void TfrmMain::btnYearRightClick(TObject *) { MoveStartRight(SameDayOtherYear(StartDate, 1)); }

void TfrmMain::tbcCalSelectChanging(TObject *, int newIndex, bool &allowChange)
{
    // A longer scale near the last date would show days that are no dates.
    allowChange = PeriodAccepted(StartDate, DaysOfTimeScaleTab(newIndex));
}

long long TfrmMain::PositionOfStart(TDateTime start) const
{
    return FScrollOrigin + static_cast<long long>(std::trunc(start)) - static_cast<long long>(std::trunc(FDocStartDate));
}

long long TfrmMain::LastFittingPosition(int days) const
{
    return PositionOfStart(LastFittingStart(days));
}

void TfrmMain::FitDateScrollBarEnds(int daysBefore)
{
    // A start left of the first date's position is never reached: the move
    // buttons grow the bar at the left only from its position 0.
    const long long min = std::clamp<long long>(PositionOfStart(FirstDate), 0, scb2->Position());
    const long long end = std::max<long long>(LastFittingPosition(DaysShown), scb2->Position());
    long long max = scb2->Max();
    const bool endedThere = max == LastFittingPosition(daysBefore);
    if ((end < max || (endedThere && end > max)) && FitsInt(end))
        max = end;
    if (min != scb2->Min() || max != scb2->Max())
        scb2->SetParams(scb2->Position(), static_cast<int>(min), static_cast<int>(max));
}

void TfrmMain::scb2Scroll(TScrollCode code, int &position)
{
    if (code == scTrack || code == scEndScroll)
        return;
    if (!ChangeStart(FDocStartDate + (position - FScrollOrigin))) {
        // Back where the start shown stands.
        position = FScrollOrigin + static_cast<int>(std::lrint(StartDate - FDocStartDate));
    }
}

void TfrmMain::btnInitDateClick(TObject *)
{
    ChangeStart(FDocStartDate, [this] {
        return SetScrollParams(*scb2, FScrollOrigin, std::max(scb2->Max(), FScrollOrigin));
    });
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
