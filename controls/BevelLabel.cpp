#include "controls/BevelLabel.h"

TBevelLabel::TBevelLabel(TComponent *owner) : TCustomLabel(owner)
{
    SetWidthEx(Width());
    SetAutoSize(false);
    SetTransparent(false);
}

void TBevelLabel::SetBevel(bool v)
{
    if (bevel_ != v) {
        bevel_ = v;
        Invalidate();
    }
}

void TBevelLabel::SetBevelColor(TColor v)
{
    if (bevelColor_ != v) {
        bevelColor_ = v;
        Invalidate();
    }
}

void TBevelLabel::SetRaised(bool v)
{
    if (raised_ != v) {
        raised_ = v;
        Invalidate();
    }
}

void TBevelLabel::SetRaisedWidth(int v)
{
    if (raisedWidth_ != v) {
        raisedWidth_ = v;
        Invalidate();
    }
}

void TBevelLabel::SetMargin(int v)
{
    if (margin_ != v) {
        margin_ = v;
        Invalidate();
    }
}

void TBevelLabel::SetWidthEx(int v)
{
    if (v + 1 != Width())
        SetWidth(v + 1);
}

void TBevelLabel::DoDrawText(TRect &rect, unsigned flags)
{
    // The text keeps clear of the edge whatever Raised and Bevel say.
    int inset = raisedWidth_ + margin_ + 1;
    InflateRect(rect, -inset, -inset);
    TCustomLabel::DoDrawText(rect, flags);
}

void TBevelLabel::Paint()
{
    TCustomLabel::Paint();
    if (Transparent())
        return;
    TCanvas &canvas = Canvas();
    const int w = Width(), h = Height(), r = raisedWidth_;
    if (raised_ && r > 0) {
        canvas.Brush().SetStyle(bsSolid);
        canvas.Pen().SetStyle(psSolid);
        canvas.Pen().SetWidth(1);
        canvas.Brush().SetColor(clWhite);
        canvas.Pen().SetColor(clWhite);
        canvas.Polygon({{0, h - 1}, {0, 0}, {w - 1, 0}, {w - r - 1, r}, {r, r}, {r, h - r - 1}});
        canvas.Brush().SetColor(0x808080);
        canvas.Pen().SetColor(0x808080);
        canvas.Polygon({{0, h - 1}, {w - 1, h - 1}, {w - 1, 0}, {w - r - 1, r}, {w - r - 1, h - r - 1}, {r, h - r - 1}});
    }
    if (bevel_) {
        canvas.Brush().SetStyle(bsClear);
        canvas.Pen().SetStyle(psSolid);
        canvas.Pen().SetWidth(1);
        canvas.Pen().SetColor(bevelColor_);
        canvas.Rectangle(0, 0, w, h);
    }
}
