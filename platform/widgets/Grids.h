#pragma once
// Grids: TCustomGrid (cells laid out in columns and rows, fixed rows and columns
// at the top and left, a current cell, scrolling and an in-place editor),
// TDrawGrid (cells painted by OnDrawCell) and TStringGrid (cells hold texts).
#include "platform/widgets/Mask.h"

#include <string>
#include <vector>

enum TGridOption : unsigned {
    goFixedVertLine = 0x1, goFixedHorzLine = 0x2, goVertLine = 0x4, goHorzLine = 0x8,
    goRangeSelect = 0x10, goDrawFocusSelected = 0x20, goRowSizing = 0x40, goColSizing = 0x80,
    goEditing = 0x400, goTabs = 0x800, goRowSelect = 0x1000, goAlwaysShowEditor = 0x2000,
    goThumbTracking = 0x4000,
};
using TGridOptions = unsigned;

enum TGridDrawStateFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

enum TGridBorderStyle { gbsNone, gbsSingle };

struct TGridCoord {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TGridCoord &, const TGridCoord &) = default;
};

class TCustomGrid;

using TDrawCellEvent = std::function<void(TObject *sender, int col, int row, TRect rect, TGridDrawState state)>;
using TSelectCellEvent = std::function<void(TObject *sender, int col, int row, bool &canSelect)>;

// The editor a grid shows over its current cell. Keys that move between cells
// (Tab, Enter, Esc, up and down, F2) go on to the grid.
class TInplaceEdit : public TCustomMaskEdit {
public:
    explicit TInplaceEdit(TCustomGrid *grid);
    TCustomGrid *Grid() const { return grid_; }
    // Loads the current cell's mask and text from the grid.
    virtual void UpdateContents();

protected:
    void KeyDown(int &key, TShiftState shift) override;
    void Change() override;
    void DoExit() override;
    // A screen reader names the editor by the title of the column it edits.
    std::string AccessibleCaption() const override;

private:
    TCustomGrid *grid_;
};

class TCustomGrid : public TCustomControl {
public:
    explicit TCustomGrid(TComponent *owner);
    ~TCustomGrid() override;

    int ColCount() const { return static_cast<int>(colWidths_.size()); }
    virtual void SetColCount(int count);
    // The title of a column (its text in the first fixed row; empty without one).
    virtual std::string ColumnTitle(int /*col*/) const { return {}; }
    // A screen reader reads the grid as a table.
    int AccessibleRole() const override;
    int RowCount() const { return static_cast<int>(rowHeights_.size()); }
    virtual void SetRowCount(int count);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int count);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int count);
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int height);
    int ColWidths(int col) const { return colWidths_.at(static_cast<size_t>(col)); }
    void SetColWidths(int col, int width);
    int RowHeights(int row) const { return rowHeights_.at(static_cast<size_t>(row)); }
    void SetRowHeights(int row, int height);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int width);
    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions options);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor color);
    TGridBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TGridBorderStyle style);
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool d) { defaultDrawing_ = d; }

    // The current cell. Setting it asks SelectCell first.
    int Col() const { return col_; }
    int Row() const { return row_; }
    void SetCol(int col) { FocusCell(col, row_); }
    void SetRow(int row) { FocusCell(col_, row); }
    void FocusCell(int col, int row);
    // The first non-fixed column and row shown.
    int LeftCol() const { return leftCol_; }
    void SetLeftCol(int col);
    int TopRow() const { return topRow_; }
    void SetTopRow(int row);
    // Whole non-fixed rows and columns that fit.
    int VisibleRowCount() const { return VisibleRowCountFrom(topRow_); }
    int VisibleColCount() const { return VisibleColCountFrom(leftCol_); }

    // A cell's rectangle in client coordinates; empty when it is not shown.
    TRect CellRect(int col, int row) const;
    // The cell under a client point; (-1, -1) outside the cells.
    TGridCoord MouseCoord(int x, int y) const;
    void MouseToCell(int x, int y, int &col, int &row) const;

    // The in-place editor (nullptr until it was first shown).
    TInplaceEdit *InplaceEditor() const { return editor_; }
    bool EditorMode() const { return editorMode_; }
    void SetEditorMode(bool on);
    void ShowEditor();
    void HideEditor();
    // Writes the editor's text into the cell (as leaving the cell does).
    void UpdateText();

    void InvalidateCell(int col, int row);
    void InvalidateRow(int row);
    void InvalidateGrid() { Invalidate(); }

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TNotifyEvent OnTopLeftChanged;

    // Used by the editor.
    void EditorKeyDown(int &key, TShiftState shift) { KeyDown(key, shift); }
    void EditorTextChanged();
    virtual void EditorExit() {}

protected:
    virtual void DrawCell(int col, int row, TRect rect, TGridDrawState state);
    virtual bool SelectCell(int col, int row);
    virtual TInplaceEdit *CreateEditor();
    virtual std::string GetEditText(int col, int row);
    virtual void SetEditText(int col, int row, const std::string &value);
    virtual std::string GetEditMask(int col, int row);
    virtual bool CanEditShow();
    virtual bool CanEditModify() { return true; }
    virtual void TopLeftChanged();
    // After rows were moved (MoveRow) or deleted.
    virtual void RowMoved(int fromIndex, int toIndex);
    virtual void SizeChanged(int oldColCount, int oldRowCount);
    // Moves row `from` to position `to` (the rows between shift by one).
    void MoveRow(int from, int to);
    void DeleteRow(int row);
    // Puts a text into the shown editor without reporting it back to the cell.
    void SetEditorTextQuietly(const std::string &text);
    // Hides the editor without writing its text into the cell.
    void DiscardEditor();
    // Where the editor goes over the current cell.
    virtual TRect EditorRect() const { return CellRect(col_, row_); }

    void Paint() override;
    void KeyDown(int &key, TShiftState shift) override;
    void WndProc(TMessage &message) override;
    virtual void KeyPress(char32_t &key);
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void CreateHandle() override;
    void BoundsChanged() override;

    // Moves the current cell (after SelectCell agreed), scrolling it into view.
    void MoveColRow(int col, int row, bool show);
    void ScrollIntoView(int col, int row);
    int ColLeft(int col) const;
    int RowTop(int row) const;
    int BorderWidth() const { return borderStyle_ == gbsSingle ? 1 : 0; }
    // The room a grid line takes between two columns (or rows): none when no
    // line of that direction is drawn at all.
    int ColLineWidth() const { return options_ & (goVertLine | goFixedVertLine) ? gridLineWidth_ : 0; }
    int RowLineWidth() const { return options_ & (goHorzLine | goFixedHorzLine) ? gridLineWidth_ : 0; }

private:
    void PlaceEditor();
    void ClampTopLeft();
    int VisibleRowCountFrom(int top) const;
    int VisibleColCountFrom(int left) const;
    int CellWidthSum(int from, int to) const;

    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int gridLineWidth_ = 1;
    TGridOptions options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    TColor fixedColor_ = clBtnFace;
    TGridBorderStyle borderStyle_ = gbsSingle;
    bool defaultDrawing_ = true;
    int col_ = 1;
    int row_ = 1;
    int leftCol_ = 1;
    int topRow_ = 1;
    TInplaceEdit *editor_ = nullptr;
    bool editorMode_ = false;
    bool updatingEditor_ = false;
};

class TDrawGrid : public TCustomGrid {
public:
    explicit TDrawGrid(TComponent *owner) : TCustomGrid(owner) {}
};

// A grid whose cells hold texts. Rows and columns keep their texts when the
// counts change; MoveRow and DeleteRow carry them along.
class TStringGrid : public TDrawGrid {
public:
    explicit TStringGrid(TComponent *owner);
    std::string Cells(int col, int row) const;
    void SetCells(int col, int row, const std::string &text);
    std::string ColumnTitle(int col) const override;
    // The texts of a row (one per column).
    std::vector<std::string> Rows(int row) const;
    void SetRows(int row, const std::vector<std::string> &texts);

protected:
    void DrawCell(int col, int row, TRect rect, TGridDrawState state) override;
    std::string GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const std::string &value) override;
    void RowMoved(int fromIndex, int toIndex) override;
    void SizeChanged(int oldColCount, int oldRowCount) override;

private:
    std::vector<std::vector<std::string>> cells_; // [row][col]
};
