#include "platform/widgets/Label.h"

#include "platform/graphics/QtCanvas.h"

TCustomLabel::TCustomLabel(TComponent *owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 65, 17);
}

void TCustomLabel::SetAlignment(TAlignment a)
{
    if (alignment_ != a) {
        alignment_ = a;
        Invalidate();
    }
}

void TCustomLabel::SetLayout(TTextLayout l)
{
    if (layout_ != l) {
        layout_ = l;
        Invalidate();
    }
}

void TCustomLabel::SetWordWrap(bool w)
{
    if (wordWrap_ != w) {
        wordWrap_ = w;
        AdjustSize();
        Invalidate();
    }
}

void TCustomLabel::SetTransparent(bool t)
{
    if (transparent_ != t) {
        transparent_ = t;
        Invalidate();
    }
}

void TCustomLabel::SetAutoSize(bool a)
{
    if (autoSize_ != a) {
        autoSize_ = a;
        AdjustSize();
    }
}

void TCustomLabel::SetText(const std::string &text)
{
    TGraphicControl::SetText(text);
    AdjustSize();
}

std::string TLabel::LabelText() const { return StripAccelerators(Caption()); }

void TLabel::SetText(const std::string &text)
{
    TCustomLabel::SetText(text);
    if (Parent())
        Parent()->AccessibleNamesChanged();
}

void TLabel::BoundsChanged()
{
    TCustomLabel::BoundsChanged();
    if (Parent() && !Caption().empty())
        Parent()->AccessibleNamesChanged();
}

void TLabel::SetParent(TWinControl *parent)
{
    TWinControl *before = Parent();
    TCustomLabel::SetParent(parent);
    for (TWinControl *p : {before, Parent()})
        if (p && !Caption().empty())
            p->AccessibleNamesChanged();
}

void TCustomLabel::FontChanged()
{
    TGraphicControl::FontChanged();
    AdjustSize();
}

void TCustomLabel::AdjustSize()
{
    if (!autoSize_ || wordWrap_)
        return;
    TSize size = MeasureText(Font(), Caption().empty() ? std::string(" ") : Caption());
    SetBounds(Left(), Top(), size.cx, size.cy);
}

void TCustomLabel::Paint()
{
    TCanvas &canvas = Canvas();
    TRect rect = ClientRect();
    if (!transparent_) {
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(Color());
        canvas.FillRect(rect);
    }
    canvas.Brush().SetStyle(bsClear);
    unsigned flags = DT_EXPANDTABS | DT_NOPREFIX;
    if (wordWrap_)
        flags |= DT_WORDBREAK;
    if (alignment_ == taCenter)
        flags |= DT_CENTER;
    else if (alignment_ == taRightJustify)
        flags |= DT_RIGHT;
    if (layout_ != tlTop) {
        // Measure first, then shift the rectangle to centre or bottom the text.
        TRect measured = rect;
        DoDrawText(measured, flags | DT_CALCRECT);
        int offset = rect.Height() - measured.Height();
        if (layout_ == tlCenter)
            offset /= 2;
        rect.Top += offset;
    }
    DoDrawText(rect, flags);
}

void TCustomLabel::DoDrawText(TRect &rect, unsigned flags)
{
    TCanvas &canvas = Canvas();
    canvas.Font().Assign(Font());
    if (!Enabled())
        canvas.Font().SetColor(clGrayText);
    canvas.DrawText(Caption(), rect, flags);
}
