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
    std::string AccessibleCaption() const override { return StripAccelerators(Caption()); }
    // A panel the person clicks (a colour swatch) is a field; others are containers.
    bool NamedByLabel() const override { return OnClick || OnDblClick; }

public:
    // Named, a screen reader reads it as a pane, else as part of its window.
    int AccessibleRole() const override;

private:
    TBevelCut bevelOuter_ = bvRaised;
    TBevelCut bevelInner_ = bvNone;
    TAlignment alignment_ = taCenter;
};
