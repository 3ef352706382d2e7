#pragma once
// Windowless pictures: TImage shows a bitmap it owns; TPaintBox asks its
// OnPaint handler to draw the part that needs painting.
#include "platform/kernel/Controls.h"

#include <memory>

class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent *owner);
    ~TImage() override;
    // The picture; drawing on its canvas shows after Invalidate.
    TBitmap &Bitmap() { return *bitmap_; }
    // Replaces the picture by a fresh one of that size and format.
    void NewBitmap(int width, int height, TPixelFormat format);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool s) { stretch_ = s; Invalidate(); }

protected:
    void Paint() override;

private:
    std::unique_ptr<TBitmap> bitmap_;
    bool stretch_ = false;
};

class TPaintBox : public TGraphicControl {
public:
    explicit TPaintBox(TComponent *owner) : TGraphicControl(owner) { SetBounds(0, 0, 105, 105); }
    using TGraphicControl::Canvas;
    // Draws on Canvas(); the canvas's ClipRect is the part to paint.
    TNotifyEvent OnPaint;

protected:
    void Paint() override
    {
        if (OnPaint)
            OnPaint(this);
    }
};
