#pragma once
// A date box with a drop-down calendar (Alt+Down, F4). The date is a whole
// day; digits typed fill its year, month and day in turn.
#include "platform/kernel/Controls.h"
#include "platform/core/DateTime.h"

#include <string>

class TDateTimePicker : public TWinControl {
public:
    explicit TDateTimePicker(TComponent *owner);
    TDateTime Date() const { return date_; }
    void SetDate(TDateTime date);
    // The shown form, e.g. "yyyy/MM/dd" (MM months, mm minutes).
    const std::string &Format() const { return format_; }
    void SetFormat(const std::string &format);
    // The date as it is shown.
    std::string Text() const override;

    TNotifyEvent OnChange;

    // Platform side: the person chose a date.
    void ChosenInWindow(TDateTime date);

protected:
    void CreateHandle() override;
    void InitializeHandle() override;

private:
    void Sync();
    TDateTime date_ = 0;
    std::string format_ = "yyyy/MM/dd";
    bool syncing_ = false;
};
