#pragma once
// Labels: windowless text with alignment, layout, word wrap and an optional
// background.
#include "platform/kernel/Controls.h"

class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent *owner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout l);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool w);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool t);
    // Sizes the label to its text whenever the text or font changes.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool a);
    void SetText(const std::string &text) override;
    void FontChanged() override;

protected:
    void Paint() override;
    // Draws the caption in the rectangle with DrawText flags.
    virtual void DoDrawText(TRect &rect, unsigned flags);
    void AdjustSize();

private:
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool transparent_ = false;
    bool autoSize_ = true;
};

// A label names the field the form places beside it for a screen reader.
class TLabel : public TCustomLabel {
public:
    explicit TLabel(TComponent *owner) : TCustomLabel(owner) {}
    std::string LabelText() const override;
    void SetText(const std::string &text) override;
    void SetParent(TWinControl *parent) override;

protected:
    void BoundsChanged() override;
};
