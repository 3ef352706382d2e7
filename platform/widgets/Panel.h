#pragma once
// A panel: a windowed container with a background colour, a bevel and a
// centred caption.
#include "platform/kernel/Controls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent *owner);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut b) { bevelOuter_ = b; Invalidate(); }
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut b) { bevelInner_ = b; Invalidate(); }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a) { alignment_ = a; Invalidate(); }

protected:
    void Paint() override;

private:
    TBevelCut bevelOuter_ = bvRaised;
    TBevelCut bevelInner_ = bvNone;
    TAlignment alignment_ = taCenter;
};
