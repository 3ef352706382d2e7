#include "platform/widgets/Image.h"

TImage::TImage(TComponent *owner) : TGraphicControl(owner), bitmap_(std::make_unique<TBitmap>())
{
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage() = default;

void TImage::NewBitmap(int width, int height, TPixelFormat format)
{
    auto bitmap = std::make_unique<TBitmap>(width, height);
    bitmap->SetPixelFormat(format);
    bitmap_ = std::move(bitmap);
    Invalidate();
}

void TImage::Paint()
{
    if (bitmap_->Empty())
        return;
    if (stretch_)
        Canvas().StretchDraw(ClientRect(), *bitmap_);
    else
        Canvas().Draw(0, 0, *bitmap_);
}
