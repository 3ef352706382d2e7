#pragma once
// A strip of drop shadow beside a pop-up: a frameless tool window that takes
// no input and is never activated. It shows black with a per-pixel alpha
// (the strip's pixels row by row) times a constant opacity.
#include "platform/kernel/Controls.h"
#include "platform/graphics/Graphics.h"

#include <cstdint>
#include <vector>

enum TShadowMode : int {
    // Filled with the shadow colour (clBtnShadow).
    shmPlain = 0,
    // A translucent window over whatever lies below (screens that composite).
    shmTranslucent = 1,
    // The shadow blended over a picture of the screen under the strip, taken
    // just before the strip shows.
    shmOverScreen = 2,
};

class TShadowWindow : public TCustomControl {
public:
    TShadowWindow(TComponent *owner, TShadowMode mode);
    TShadowMode Mode() const { return mode_; }
    // The per-pixel alpha (Width() x Height() values) and the constant opacity, 0 to 255.
    void SetAlpha(std::vector<std::uint8_t> alpha, int opacity);
    const std::vector<std::uint8_t> &Alpha() const { return alpha_; }
    int Opacity() const { return opacity_; }
    // Shows the strip at its bounds without activating it, just below `above`
    // in the stacking order.
    void ShowBelow(TWinControl &above);
    // The alpha a pixel of the strip is shown with (alpha times opacity).
    int ShownAlpha(int x, int y) const;

protected:
    void CreateHandle() override;
    void InitializeHandle() override;
    void PaintWindow(TCanvas &canvas) override;

private:
    // The over-screen picture: the screen under the strip with the shadow on it.
    void Compose();
    TShadowMode mode_;
    std::vector<std::uint8_t> alpha_;
    int opacity_ = 255;
    TBitmap composite_;
};
