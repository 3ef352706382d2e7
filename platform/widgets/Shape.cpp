#include "platform/widgets/Shape.h"

#include <algorithm>

TShape::TShape(TComponent *owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 65, 65);
    pen_.OnChange = [this] { Invalidate(); };
    brush_.OnChange = [this] { Invalidate(); };
}

void TShape::Paint()
{
    if (brush_.Style() == bsClear && pen_.Style() == psClear)
        return;
    TCanvas &canvas = Canvas();
    canvas.Pen().Assign(pen_);
    canvas.Brush().Assign(brush_);
    int penWidth = std::max(1, pen_.Width());
    int inset = penWidth / 2;
    int w = Width() - penWidth + 1;
    int h = Height() - penWidth + 1;
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
        int side = std::min(w, h);
        inset += 0;
        w = h = side;
    }
    TRect r{inset, inset, inset + w, inset + h};
    switch (shape_) {
    case stRectangle: case stSquare: canvas.Rectangle(r); break;
    case stRoundRect: case stRoundSquare: canvas.RoundRect(r, std::min(w, h) / 4, std::min(w, h) / 4); break;
    case stEllipse: case stCircle: canvas.Ellipse(r); break;
    }
}
