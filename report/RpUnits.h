#pragma once
// Lengths of the report engine. Every size (paper, margins, column space, band
// and printable geometry) is held in tenths of a millimetre and read or written
// in the report's unit. A report run switches every size object to Native, so
// that the engine works in 0.1 mm throughout; device pixels come only from the
// output device's factors.
#include <functional>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Printers.h"
#include "report/RpPrnSettings.h"

enum class TRpUnit { MM, Inches, Pixels, Characters, Native };

// Whether the system measures in inches (decides the initial unit and paper).
bool RpUSMeasurement();
// The initial unit: Inches under the U.S. measurement system, else MM.
TRpUnit RpDefaultUnit();

// The size of one character cell in millimetres for a font of `size` points.
long double CharCellWidth(long double size);
long double CharCellHeight(long double size);

// The common part of the size objects: a fixed list of values in 0.1 mm,
// each horizontal or vertical, read and written in the current unit.
class TRpUnitBase : public TObject {
public:
    TRpUnitBase(std::vector<bool> horizontal, long double initial);

    TRpUnit Units() const { return unit_; }
    // Takes the unit (what the report's Units write does).
    void AssignUnits(TRpUnit unit) { unit_ = unit; }
    // Reads and writes in pixels until RestoreUnits.
    void SwitchToPixels();
    void RestoreUnits();

    int Zoom() const { return zoom_; }
    void SetZoom(int zoom) { zoom_ = zoom > 0 ? zoom : zoom_; }
    int ScreenResolution() const { return screenResolution_; }
    // The report font whose size the Characters unit is based on (not owned).
    void SetCharacterFont(const TFont *font) { characterFont_ = font; }

    long double ToUnits(TRpUnit unit, bool horizontal, long double value) const;
    long double FromUnits(TRpUnit unit, bool horizontal, long double value) const;

    // The stored values in 0.1 mm (what a form keeps); reading replaces them
    // without conversion and pushes them to the owning control.
    const std::vector<long double> &Values() const { return values_; }
    void ReadValues(const std::vector<long double> &values);

    // Pushes the values to the owning control (set by the control).
    std::function<void()> OnApply;
    // Set while the values are being pushed to the control.
    bool ParentUpdating() const { return parentUpdating_; }

protected:
    long double Value(int index) const;
    void SetValue(int index, long double value);
    // Sets the value in 0.1 mm without pushing it.
    void StoreNative(int index, long double value) { values_.at(static_cast<size_t>(index)) = value; }
    void ApplyToParent();

private:
    long double FontSize() const;

    std::vector<long double> values_;
    std::vector<bool> horizontal_;
    TRpUnit unit_;
    TRpUnit remembered_;
    int screenResolution_ = 96;
    int zoom_ = 100;
    bool parentUpdating_ = false;
    const TFont *characterFont_ = nullptr;
};

// A band's height and width (initially 20 and 40 tenths of a millimetre).
class TRpBandSize : public TRpUnitBase {
public:
    TRpBandSize();
    long double Height() const { return Value(0); }
    void SetHeight(long double value) { SetValue(0, value); }
    long double Width() const { return Value(1); }
    void SetWidth(long double value) { SetValue(1, value); }
};

// A printable's height, left, top and width (20 tenths of a millimetre each).
class TRpPrintableSize : public TRpUnitBase {
public:
    TRpPrintableSize();
    long double Height() const { return Value(0); }
    void SetHeight(long double value) { SetValue(0, value); }
    long double Left() const { return Value(1); }
    void SetLeft(long double value) { SetValue(1, value); }
    long double Top() const { return Value(2); }
    void SetTop(long double value) { SetValue(2, value); }
    long double Width() const { return Value(3); }
    void SetWidth(long double value) { SetValue(3, value); }
};

// The page: paper, orientation, margins and columns.
class TRpPage : public TRpUnitBase {
public:
    TRpPage();

    long double BottomMargin() const { return Value(0); }
    void SetBottomMargin(long double value);
    long double Length() const { return Value(1); }
    // Length and width can be written only while the paper is Custom.
    void SetLength(long double value);
    long double TopMargin() const { return Value(2); }
    void SetTopMargin(long double value);
    long double Width() const { return Value(3); }
    void SetWidth(long double value);
    long double LeftMargin() const { return Value(4); }
    void SetLeftMargin(long double value);
    long double RightMargin() const { return Value(5); }
    void SetRightMargin(long double value);
    long double ColumnSpace() const { return Value(6); }
    void SetColumnSpace(long double value);

    int Columns() const { return columns_; }
    // Values of 0 or less are ignored.
    void SetColumns(int columns);
    TPrinterOrientation Orientation() const { return orientation_; }
    // A named paper then swaps its width and length.
    void SetOrientation(TPrinterOrientation orientation);
    TRpPaperSize PaperSize() const { return paperSize_; }
    // A named size takes its dimensions from the paper table; Default and
    // Custom are only stored.
    void SetPaperSize(TRpPaperSize paperSize);
    bool Ruler() const { return ruler_; }
    void SetRuler(bool ruler) { ruler_ = ruler; }

    // Sets the page's width and length in 0.1 mm whatever the paper (used to
    // take the printer's own paper for Default).
    void SetDimensions(long double width, long double length);

    // Told after a change: true when the page size changed, false when only
    // the margins, columns or column space did.
    std::function<void(bool pageSize)> OnChange;

private:
    void Changed(bool pageSize);
    void SetAndTell(int index, long double value, bool pageSize);

    int columns_ = 1;
    TPrinterOrientation orientation_ = poPortrait;
    TRpPaperSize paperSize_ = TRpPaperSize::Custom;
    bool ruler_ = true;
};

// The lines drawn around a band, a printable or the page's printable area.
class TRpFrame : public TObject {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; }
    bool DrawTop() const { return drawTop_; }
    void SetDrawTop(bool value) { drawTop_ = value; }
    bool DrawBottom() const { return drawBottom_; }
    void SetDrawBottom(bool value) { drawBottom_ = value; }
    bool DrawLeft() const { return drawLeft_; }
    void SetDrawLeft(bool value) { drawLeft_ = value; }
    bool DrawRight() const { return drawRight_; }
    void SetDrawRight(bool value) { drawRight_ = value; }
    // All four sides at once.
    void SetAllSides(bool value);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style) { style_ = style; }
    // In points (1/72 inch).
    int Width() const { return width_; }
    void SetWidth(int width) { width_ = width; }
    bool AnyFrame() const { return drawTop_ || drawBottom_ || drawLeft_ || drawRight_; }

    // The thickness in device pixels of a line drawn with `factor` device
    // pixels per 0.1 mm.
    int LineThickness(long double factor) const;
    // Draws the selected sides inside the device rectangle.
    void DrawFrame(TCanvas &canvas, const TRect &rect, long double horizontalFactor,
                   long double verticalFactor) const;

private:
    TColor color_ = clBlack;
    bool drawTop_ = false;
    bool drawBottom_ = false;
    bool drawLeft_ = false;
    bool drawRight_ = false;
    TPenStyle style_ = psSolid;
    int width_ = 1;
};
