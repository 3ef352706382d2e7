#pragma once
// A windowless shape drawn with a pen and a brush.
#include "platform/kernel/Controls.h"

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
public:
    explicit TShape(TComponent *owner);
    TPen &Pen() { return pen_; }
    TBrush &Brush() { return brush_; }
    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType s) { shape_ = s; Invalidate(); }

protected:
    void Paint() override;

private:
    TPen pen_;
    TBrush brush_;
    TShapeType shape_ = stRectangle;
};
