#pragma once
// A number box with up and down arrows; the value stays within MinValue..MaxValue.
#include "platform/kernel/Controls.h"

class TSpinEdit : public TWinControl {
public:
    explicit TSpinEdit(TComponent *owner);
    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    void SetRange(int minValue, int maxValue);
    int Value() const { return value_; }
    void SetValue(int value);
    // The most digits the person may type (0 = no limit).
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int digits);
    // What one press of an arrow (or of the Up and Down keys) adds or takes away.
    int Increment() const { return increment_; }
    void SetIncrement(int increment);

    TNotifyEvent OnChange;

    // Platform side: the person changed the value.
    void ChangedInWindow(int value);

protected:
    void CreateHandle() override;
    void InitializeHandle() override;

private:
    void Sync();
    int min_ = 0, max_ = 100, value_ = 0, maxLength_ = 0, increment_ = 1;
    bool syncing_ = false;
};
