#pragma once
// The bar label: a label with a one-pixel frame ("bevel") and a raised,
// button-like edge. Every bar and every progress strip of the chart is one.
#include "platform/widgets/Label.h"

class TBevelLabel : public TCustomLabel {
public:
    explicit TBevelLabel(TComponent *owner);

    bool Bevel() const { return bevel_; }
    void SetBevel(bool v);
    TColor BevelColor() const { return bevelColor_; }
    void SetBevelColor(TColor v);
    bool Raised() const { return raised_; }
    void SetRaised(bool v);
    int RaisedWidth() const { return raisedWidth_; }
    void SetRaisedWidth(int v);
    int Margin() const { return margin_; }
    void SetMargin(int v);
    // Width - 1: a bar from pixel x1 to pixel x2 gets WidthEx = x2 - x1 and covers both.
    int WidthEx() const { return Width() - 1; }
    void SetWidthEx(int v);

protected:
    void Paint() override;
    void DoDrawText(TRect &rect, unsigned flags) override;

private:
    bool bevel_ = true;
    TColor bevelColor_ = 0;
    bool raised_ = true;
    int raisedWidth_ = 1;
    int margin_ = 1;
};
