#pragma once
// A speed button: a windowless button with a picture that never takes the
// focus. It is pressed while the left button is held over it and clicks when
// the button is released over it; a double click is two clicks.
#include "platform/kernel/Controls.h"

#include <memory>

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent *owner);
    ~TSpeedButton() override;

    // The picture; its bottom-left pixel's colour is transparent.
    TBitmap &Glyph() { return *glyph_; }
    bool Flat() const { return flat_; }
    void SetFlat(bool f) { flat_ = f; Invalidate(); }
    // Drawn pushed in (the button sticks down).
    bool Down() const { return down_; }
    void SetDown(bool d) { down_ = d; Invalidate(); }
    // Held down with the mouse right now.
    bool Pressed() const { return pressed_; }
    // Clicks the button as the mouse would.
    void Click() override { TGraphicControl::Click(); }

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    std::unique_ptr<TBitmap> glyph_;
    bool flat_ = false;
    bool down_ = false;
    bool pressed_ = false;
    bool overButton_ = false;
};
