#include "platform/widgets/SpeedButton.h"

TSpeedButton::TSpeedButton(TComponent *owner) : TGraphicControl(owner), glyph_(std::make_unique<TBitmap>())
{
    SetBounds(0, 0, 23, 22);
    SetDoubleClicks(false);
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::Paint()
{
    TCanvas &canvas = Canvas();
    TRect r = ClientRect();
    bool sunk = down_ || (pressed_ && overButton_);
    if (Color() != clNone) {
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(Color());
        canvas.FillRect(r);
    }
    if (!flat_ || sunk) {
        TRect edge = r;
        canvas.DrawEdge(edge, sunk ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    if (glyph_->Empty())
        return;
    int shift = sunk ? 1 : 0;
    int x0 = (r.Width() - glyph_->Width()) / 2 + shift;
    int y0 = (r.Height() - glyph_->Height()) / 2 + shift;
    TColor transparent = glyph_->Pixel(0, glyph_->Height() - 1);
    canvas.Brush().SetStyle(bsSolid);
    for (int y = 0; y < glyph_->Height(); ++y)
        for (int x = 0; x < glyph_->Width(); ++x) {
            TColor c = glyph_->Pixel(x, y);
            if (c == transparent)
                continue;
            canvas.Brush().SetColor(Enabled() ? c : clGray);
            canvas.FillRect(TRect{x0 + x, y0 + y, x0 + x + 1, y0 + y + 1});
        }
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && Enabled()) {
        pressed_ = overButton_ = true;
        Invalidate();
    }
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y)
{
    bool over = x >= 0 && y >= 0 && x < Width() && y < Height();
    if (pressed_ && over != overButton_) {
        overButton_ = over;
        Invalidate();
    }
    TGraphicControl::MouseMove(shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && pressed_) {
        pressed_ = false;
        Invalidate();
    }
    TGraphicControl::MouseUp(button, shift, x, y);
}
