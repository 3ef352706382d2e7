#pragma once
// A windowless progress bar: a sunken frame filled from the left in proportion
// to Position between Min and Max.
#include "platform/kernel/Controls.h"

class TProgressBar : public TGraphicControl {
public:
    explicit TProgressBar(TComponent *owner);
    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetMax(int max);
    int Position() const { return position_; }
    // Kept within Min..Max.
    void SetPosition(int position);
    int Step() const { return step_; }
    void SetStep(int step) { step_ = step; }
    // Advances the position by Step.
    void StepIt();

protected:
    void Paint() override;

private:
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int step_ = 10;
};
