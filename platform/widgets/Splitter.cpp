#include "platform/widgets/Splitter.h"

#include <algorithm>

TSplitter::TSplitter(TComponent *owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 3, 100);
    SetAlign(alLeft);
    SetCursor(crHSplit);
}

TControl *TSplitter::ResizeControl() const
{
    if (!Parent())
        return nullptr;
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        TControl *c = Parent()->Controls(i);
        if (c == this || !c->Visible() || c->Align() != Align())
            continue;
        switch (Align()) {
        case alTop: if (c->Top() + c->Height() == Top()) return c; break;
        case alLeft: if (c->Left() + c->Width() == Left()) return c; break;
        case alBottom: if (c->Top() == Top() + Height()) return c; break;
        case alRight: if (c->Left() == Left() + Width()) return c; break;
        default: break;
        }
    }
    return nullptr;
}

void TSplitter::Paint()
{
    Canvas().Brush().SetStyle(bsSolid);
    Canvas().Brush().SetColor(Color());
    Canvas().FillRect(ClientRect());
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    control_ = ResizeControl();
    if (!control_)
        return;
    dragging_ = true;
    downPos_ = Vertical() ? Left() + x : Top() + y;
    startSize_ = newSize_ = Vertical() ? control_->Width() : control_->Height();
}

void TSplitter::MouseMove(TShiftState shift, int x, int y)
{
    TGraphicControl::MouseMove(shift, x, y);
    if (!dragging_)
        return;
    int pos = Vertical() ? Left() + x : Top() + y;
    int delta = pos - downPos_;
    if (Align() == alBottom || Align() == alRight)
        delta = -delta;
    int size = std::max(startSize_ + delta, minSize_);
    const TSizeConstraints &c = control_->Constraints();
    int minC = Vertical() ? c.MinWidth : c.MinHeight;
    int maxC = Vertical() ? c.MaxWidth : c.MaxHeight;
    if (minC > 0) size = std::max(size, minC);
    if (maxC > 0) size = std::min(size, maxC);
    bool accept = true;
    if (OnCanResize)
        OnCanResize(this, size, accept);
    if (accept)
        newSize_ = size;
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TGraphicControl::MouseUp(button, shift, x, y);
    if (!dragging_)
        return;
    dragging_ = false;
    TControl *control = control_;
    control_ = nullptr;
    if (newSize_ == startSize_)
        return;
    if (Vertical())
        control->SetWidth(newSize_);
    else
        control->SetHeight(newSize_);
    if (OnMoved)
        OnMoved(this);
}
