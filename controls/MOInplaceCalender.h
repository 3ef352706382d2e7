#pragma once
// The month calendar that a calendar column of the masked string grid drops
// down under its editor: a 7 x 7 grid of weekday names and day numbers, in a
// pop-up with step buttons for months and years and a strip showing today.
#include "platform/core/DateTime.h"
#include "platform/widgets/Grids.h"
#include "platform/widgets/Panel.h"
#include "platform/kernel/PopupWindow.h"
#include "platform/widgets/SpeedButton.h"

#include <array>
#include <memory>
#include <string>

class TLabel;
class TTimer;

enum TMODayWeekName { Sun, Mon, Tue, Wed, Thu, Fri, Sat };

// Days of each month of a common year.
extern const std::array<int, 12> MonthDays;

// "gg e/m/d": the era name, the year of the era, month and day ("令和6/1/8").
// Dates before the first era of the table are shown with the western year.
std::string EraDateText(TDateTime date);

class TMOInplaceCalender : public TDrawGrid {
public:
    explicit TMOInplaceCalender(TComponent *owner);

    TMODayWeekName StartWeek() const { return startWeek_; }
    void SetStartWeek(TMODayWeekName day);
    TDateTime Date() const { return date_; }
    void SetDate(TDateTime date);
    int Year() const;
    int Month() const;
    int Day() const;
    void SetYear(int year);
    // Another month of the same year; the day is kept within the month.
    void SetMonth(int month);
    void SetDay(int day);
    TColor WeekEndColor() const { return weekEndColor_; }
    void SetWeekEndColor(TColor c);
    TColor SaturDayColor() const { return saturDayColor_; }
    void SetSaturDayColor(TColor c);
    TColor DayTextColor() const { return dayTextColor_; }
    void SetDayTextColor(TColor c);

    void NextMonth();
    void PrevMonth();
    void NextYear();
    void PrevYear();

    // The day number a cell shows; 0 for the weekday row and empty cells.
    int DayAt(int col, int row) const;
    // The cell that shows a day of the shown month.
    TGridCoord CellOfDay(int day) const;
    bool CanFocus() const override { return false; }

    TNotifyEvent OnChange;

protected:
    void DrawCell(int col, int row, TRect rect, TGridDrawState state) override;
    bool SelectCell(int col, int row) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void BoundsChanged() override;
    void WndProc(TMessage &message) override;

private:
    void LayoutMonth();
    void Changed();
    int WeekdayOfColumn(int col) const { return (col + startWeek_) % 7; }

    TMODayWeekName startWeek_ = Mon;
    unsigned weekEnd_ = 1u << Sun;
    TDateTime date_ = 0;
    TColor weekEndColor_ = clRed;
    TColor saturDayColor_ = clBlue;
    TColor dayTextColor_ = clWindowText;
    std::array<std::array<int, 7>, 7> days_{}; // [row][col]
    bool laying_ = false;
};

// The colours of the pop-up calendar of a grid column.
class TMOMonthCalColors {
public:
    enum Index { MonthFixed, MonthBack, SaturDay, TitleBack, TitleText, WeekEnd, DayText, Count };
    TColor Color(Index index) const { return colors_[index]; }
    void SetColor(Index index, TColor color) { colors_[index] = color; }
    TColor MonthFixedColor() const { return colors_[MonthFixed]; }
    TColor MonthBackColor() const { return colors_[MonthBack]; }
    TColor SaturDayColor() const { return colors_[SaturDay]; }
    TColor TitleBackColor() const { return colors_[TitleBack]; }
    TColor TitleTextColor() const { return colors_[TitleText]; }
    TColor WeekEndColor() const { return colors_[WeekEnd]; }
    TColor DayTextColor() const { return colors_[DayText]; }

private:
    std::array<TColor, Count> colors_{0xFFFFFF, 0xFFFFFF, 0xFF0000, clActiveCaption, 0xFFFFFF, 255, clWindowText};
};

// A speed button that repeats while held: it clicks when pressed, again after
// 500 ms and then every 100 ms until it is released.
class TMOSpeedButton : public TSpeedButton {
public:
    explicit TMOSpeedButton(TComponent *owner);
    ~TMOSpeedButton() override;
    // The repeat timer (there only while the button is held).
    TTimer *RepeatTimer() const { return timer_; }

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Click() override;

private:
    void TimerExpired();
    void StopTimer();
    TTimer *timer_ = nullptr;
    bool swallowReleaseClick_ = false;
};

// The status strip: a panel with a red ring as the "today" mark.
class TMOStatusPanel : public TPanel {
public:
    explicit TMOStatusPanel(TComponent *owner) : TPanel(owner) {}

protected:
    void Paint() override;
};

// The pop-up: title bar with the step buttons and the month caption, the
// month grid and the status strip.
class TMOPopupPanel : public TPopupWindow {
public:
    TMOPopupPanel(TComponent *owner, const TMOMonthCalColors &colors, TDateTime date);

    TMOInplaceCalender &Calendar() { return *calendar_; }
    TPanel &TitleBar() { return *title_; }
    TLabel &TitleCaption() { return *caption_; }
    TMOStatusPanel &StatusStrip() { return *status_; }
    TMOSpeedButton &PrevYearButton() { return *buttons_[0]; }
    TMOSpeedButton &PrevMonthButton() { return *buttons_[1]; }
    TMOSpeedButton &NextMonthButton() { return *buttons_[2]; }
    TMOSpeedButton &NextYearButton() { return *buttons_[3]; }
    void RefreshCaption();
    // Moves the shown date by days (arrow keys) and refreshes the caption.
    void StepDays(int days);

    // A day was picked with the mouse: the opener closes the pop-up.
    TNotifyEvent OnDayPicked;

private:
    TMOSpeedButton *MakeButton(int left, int kind, const std::string &hint);

    TPanel *title_ = nullptr;
    TLabel *caption_ = nullptr;
    TMOInplaceCalender *calendar_ = nullptr;
    TMOStatusPanel *status_ = nullptr;
    std::array<TMOSpeedButton *, 4> buttons_{};
};
