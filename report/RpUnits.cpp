#include "report/RpUnits.h"

#include <cmath>
#include <langinfo.h>

#include "platform/core/SysUtils.h"

bool RpUSMeasurement()
{
    // The locale's measurement system: 1 metric, 2 U.S.; read once.
    static const bool us = [] {
        const char *value = nl_langinfo(_NL_MEASUREMENT_MEASUREMENT);
        return value != nullptr && value[0] == 2;
    }();
    return us;
}

TRpUnit RpDefaultUnit() { return RpUSMeasurement() ? TRpUnit::Inches : TRpUnit::MM; }

long double CharCellWidth(long double size) { return 80.0L / size / 2.54L; }
long double CharCellHeight(long double size) { return 145.3L / size / 2.54L; }

// ---------------------------------------------------------------- TRpUnitBase

TRpUnitBase::TRpUnitBase(std::vector<bool> horizontal, long double initial)
    : values_(horizontal.size(), initial), horizontal_(std::move(horizontal)),
      unit_(RpDefaultUnit()), remembered_(unit_)
{
}

void TRpUnitBase::SwitchToPixels()
{
    remembered_ = unit_;
    unit_ = TRpUnit::Pixels;
}

void TRpUnitBase::RestoreUnits() { unit_ = remembered_; }

long double TRpUnitBase::FontSize() const
{
    const int size = characterFont_ != nullptr ? std::abs(characterFont_->Size()) : 0;
    return size > 0 ? size : 10;
}

long double TRpUnitBase::ToUnits(TRpUnit unit, bool horizontal, long double value) const
{
    switch (unit) {
    case TRpUnit::MM:
        return value / 10;
    case TRpUnit::Inches:
        return value / 254;
    case TRpUnit::Pixels:
        return value / (254.0L / screenResolution_) * zoom_ / 100;
    case TRpUnit::Characters:
        return horizontal ? value / CharCellWidth(FontSize()) / 10
                          : value / CharCellHeight(FontSize()) / 10;
    case TRpUnit::Native:
        break;
    }
    return value;
}

long double TRpUnitBase::FromUnits(TRpUnit unit, bool horizontal, long double value) const
{
    switch (unit) {
    case TRpUnit::MM:
        return value * 10;
    case TRpUnit::Inches:
        return value * 254;
    case TRpUnit::Pixels:
        return value * (254.0L / screenResolution_) * 100 / zoom_;
    case TRpUnit::Characters:
        return horizontal ? value * CharCellWidth(FontSize()) * 10
                          : value * CharCellHeight(FontSize()) * 10;
    case TRpUnit::Native:
        break;
    }
    return value;
}

long double TRpUnitBase::Value(int index) const
{
    const auto i = static_cast<size_t>(index);
    return ToUnits(unit_, horizontal_.at(i), values_.at(i));
}

void TRpUnitBase::SetValue(int index, long double value)
{
    const auto i = static_cast<size_t>(index);
    values_.at(i) = FromUnits(unit_, horizontal_.at(i), value);
    ApplyToParent();
}

void TRpUnitBase::ReadValues(const std::vector<long double> &values)
{
    for (size_t i = 0; i < values.size() && i < values_.size(); ++i)
        values_[i] = values[i];
    ApplyToParent();
}

void TRpUnitBase::ApplyToParent()
{
    if (!OnApply || parentUpdating_)
        return;
    parentUpdating_ = true;
    try {
        OnApply();
    } catch (...) {
        parentUpdating_ = false;
        throw;
    }
    parentUpdating_ = false;
}

// ---------------------------------------------------------------- sizes

TRpBandSize::TRpBandSize() : TRpUnitBase({false, true}, 20)
{
    StoreNative(1, 40);
}

TRpPrintableSize::TRpPrintableSize() : TRpUnitBase({false, true, false, true}, 20) {}

// ---------------------------------------------------------------- TRpPage

namespace {
enum PageValue { pvBottomMargin, pvLength, pvTopMargin, pvWidth, pvLeftMargin, pvRightMargin, pvColumnSpace };
}

TRpPage::TRpPage() : TRpUnitBase({false, false, false, true, true, true, true}, 0)
{
    const long double margin = RpUSMeasurement() ? 127 : 100;
    for (int index : {pvBottomMargin, pvTopMargin, pvLeftMargin, pvRightMargin})
        StoreNative(index, margin);
    SetPaperSize(RpUSMeasurement() ? TRpPaperSize::Letter : TRpPaperSize::A4);
}

void TRpPage::Changed(bool pageSize)
{
    if (OnChange)
        OnChange(pageSize);
}

void TRpPage::SetAndTell(int index, long double value, bool pageSize)
{
    SetValue(index, value);
    Changed(pageSize);
}

void TRpPage::SetBottomMargin(long double value) { SetAndTell(pvBottomMargin, value, true); }
void TRpPage::SetTopMargin(long double value) { SetAndTell(pvTopMargin, value, false); }
void TRpPage::SetLeftMargin(long double value) { SetAndTell(pvLeftMargin, value, false); }
void TRpPage::SetRightMargin(long double value) { SetAndTell(pvRightMargin, value, false); }
void TRpPage::SetColumnSpace(long double value) { SetAndTell(pvColumnSpace, value, false); }

void TRpPage::SetLength(long double value)
{
    if (paperSize_ == TRpPaperSize::Custom)
        SetAndTell(pvLength, value, true);
}

void TRpPage::SetWidth(long double value)
{
    if (paperSize_ == TRpPaperSize::Custom)
        SetAndTell(pvWidth, value, true);
}

void TRpPage::SetColumns(int columns)
{
    if (columns <= 0 || columns == columns_)
        return;
    columns_ = columns;
    Changed(false);
}

void TRpPage::SetOrientation(TPrinterOrientation orientation)
{
    orientation_ = orientation;
    SetPaperSize(paperSize_);
}

void TRpPage::SetPaperSize(TRpPaperSize paperSize)
{
    if (paperSize != TRpPaperSize::Default && paperSize != TRpPaperSize::Custom) {
        const long double width = PaperSizeWidthMm(paperSize) * 10;
        const long double length = PaperSizeLengthMm(paperSize) * 10;
        if (orientation_ == poLandscape)
            SetDimensions(length, width);
        else
            SetDimensions(width, length);
    }
    paperSize_ = paperSize;
}

void TRpPage::SetDimensions(long double width, long double length)
{
    StoreNative(pvWidth, width);
    StoreNative(pvLength, length);
    ApplyToParent();
    Changed(true);
}

// ---------------------------------------------------------------- TRpFrame

void TRpFrame::SetAllSides(bool value)
{
    drawTop_ = drawBottom_ = drawLeft_ = drawRight_ = value;
}

int TRpFrame::LineThickness(long double factor) const
{
    if (width_ == -1)
        return 1;
    if (width_ <= 0)
        return 0;
    const int thickness = RoundInt(factor / 72 * 254 * width_);
    return thickness < 1 ? 1 : thickness;
}

void TRpFrame::DrawFrame(TCanvas &canvas, const TRect &rect, long double horizontalFactor,
                         long double verticalFactor) const
{
    if (!AnyFrame())
        return;
    const int h = LineThickness(verticalFactor);
    const int v = LineThickness(horizontalFactor);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(color_);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetStyle(style_);
    canvas.Pen().SetColor(color_);
    if (drawTop_)
        canvas.FillRect({rect.Left, rect.Top, rect.Right, rect.Top + h});
    if (drawBottom_)
        canvas.FillRect({rect.Left, rect.Bottom - h, rect.Right, rect.Bottom});
    if (drawLeft_)
        canvas.FillRect({rect.Left, rect.Top, rect.Left + v, rect.Bottom});
    if (drawRight_)
        canvas.FillRect({rect.Right - v, rect.Top, rect.Right, rect.Bottom});
}
