#pragma once
// A string grid whose columns are described by column objects (caption,
// colours, fonts, alignment, data type, editor button), with automatic row
// numbers, a marked current row, Enter-as-Tab navigation that skips read-only
// columns, row insertion and deletion with a row limit, formatting of integers
// and dates when a cell is committed, and a cell-validation event.
#include "controls/MOInplaceCalender.h"
#include "platform/widgets/Grids.h"
#include "platform/widgets/ScrollBar.h"

#include <memory>
#include <string>
#include <vector>

enum TMOGridStyle { mgsNormal, mgsStriped };
enum TMODateFormat { dtLong, dtShort };
enum TAlignmentV { tavTop, tavCenter, tavBottom };
enum TInputDataType { dtString, dtInteger };
enum TMOColumnButtonStyle { cbsList, cbsDropList, cbsEllipsis, cbsCheckBox, cbsSimple, cbsSpin, cbsCalendar };

struct TMOSpinButtonOption {
    int Increment = 1;
    int MaxValue = 0;
    int MinValue = 0;
};

using TMOEditBtnEvent = std::function<void(TObject *sender, int col, int row, std::string &text)>;
using TMOCheckCellEvent = std::function<void(TObject *sender, int col, int row, bool ticked)>;
using TCellValidateEvent = std::function<void(TObject *sender, int col, int row)>;

// The message the grid sends itself when a committed cell changed.
constexpr unsigned WM_MOCELLVALIDATE = WM_USER + 101;
// The check box of check-box cells and editors.
constexpr int MOCheckBoxSize = 14;
// Non-editable data cells.
constexpr TColor MODisabledColor = 0xFFF0E1;

class TMOStringGrid;
class TMOGridColumns;

class TMOGridColumn {
public:
    TMOGridColumn(TMOGridColumns &collection, TMOStringGrid &grid);
    void Assign(const TMOGridColumn &other);

    TMODateFormat DateFormat() const { return dateFormat_; }
    void SetDateFormat(TMODateFormat f) { dateFormat_ = f; Changed(); }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a) { alignment_ = a; Changed(); }
    TAlignmentV AlignmentV() const { return alignmentV_; }
    void SetAlignmentV(TAlignmentV a) { alignmentV_ = a; Changed(); }
    bool CanEdit() const { return canEdit_; }
    void SetCanEdit(bool e) { canEdit_ = e; Changed(); }
    const std::string &Caption() const { return caption_; }
    // An empty caption is kept as one blank.
    void SetCaption(const std::string &c) { caption_ = c.empty() ? " " : c; Changed(); }
    TColor Color() const { return color_; }
    void SetColor(TColor c) { color_ = c; Changed(); }
    bool DisabledColor() const { return disabledColor_; }
    void SetDisabledColor(bool d) { disabledColor_ = d; Changed(); }
    TInputDataType DataType() const { return dataType_; }
    void SetDataType(TInputDataType t) { dataType_ = t; }
    TFont &Font() { return *font_; }
    const TFont &Font() const { return *font_; }
    TFont &FixCellFont() { return *fixCellFont_; }
    const TFont &FixCellFont() const { return *fixCellFont_; }
    TAlignment FixAlignment() const { return fixAlignment_; }
    void SetFixAlignment(TAlignment a) { fixAlignment_ = a; Changed(); }
    TAlignmentV FixAlignmentV() const { return fixAlignmentV_; }
    void SetFixAlignmentV(TAlignmentV a) { fixAlignmentV_ = a; Changed(); }
    TImeMode ImeMode() const { return imeMode_; }
    void SetImeMode(TImeMode m) { imeMode_ = m; }
    const std::string &ImeName() const { return imeName_; }
    void SetImeName(const std::string &n) { imeName_ = n; }
    TMOColumnButtonStyle ButtonStyle() const { return buttonStyle_; }
    // Also sets the data type: integer for the spin button, string for the others.
    void SetButtonStyle(TMOColumnButtonStyle s);
    const std::vector<std::string> &ListStrings() const { return listStrings_; }
    void SetListStrings(const std::vector<std::string> &items) { listStrings_ = items; Changed(); }
    TMOSpinButtonOption &SpinButtonOption() { return spin_; }
    const TMOSpinButtonOption &SpinButtonOption() const { return spin_; }
    int Width() const { return width_; }
    void SetWidth(int w);
    TMOMonthCalColors &CalColors() { return calColors_; }
    const TMOMonthCalColors &CalColors() const { return calColors_; }
    const std::string &IntegerFormat() const { return integerFormat_; }
    void SetIntegerFormat(const std::string &f) { integerFormat_ = f; }
    const std::string &DateTimeFormat() const { return dateTimeFormat_; }
    void SetDateTimeFormat(const std::string &f) { dateTimeFormat_ = f; }
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int n) { maxLength_ = n; }
    bool UpperCaseOnly() const { return upperCaseOnly_; }
    void SetUpperCaseOnly(bool u) { upperCaseOnly_ = u; }

    // Platform of the grid: the width the grid shows.
    void WidthFromGrid(int w) { width_ = w; }

private:
    void Changed();

    TMOGridColumns &collection_;
    TMODateFormat dateFormat_ = dtShort;
    TAlignment alignment_ = taLeftJustify;
    TAlignmentV alignmentV_ = tavCenter;
    bool canEdit_ = true;
    std::string caption_ = " ";
    TColor color_;
    bool disabledColor_ = true;
    TInputDataType dataType_ = dtString;
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TFont> fixCellFont_;
    TAlignment fixAlignment_ = taCenter;
    TAlignmentV fixAlignmentV_ = tavCenter;
    TImeMode imeMode_ = imDontCare;
    std::string imeName_;
    TMOColumnButtonStyle buttonStyle_ = cbsSimple;
    std::vector<std::string> listStrings_;
    TMOSpinButtonOption spin_;
    int width_ = 64;
    TMOMonthCalColors calColors_;
    std::string integerFormat_;
    std::string dateTimeFormat_;
    int maxLength_ = 0;
    bool upperCaseOnly_ = false;
};

// The grid's column descriptions; the grid's column count follows the item count.
class TMOGridColumns {
public:
    explicit TMOGridColumns(TMOStringGrid &grid) : grid_(grid) {}
    int Count() const { return static_cast<int>(items_.size()); }
    TMOGridColumn &Items(int index) { return *items_.at(static_cast<size_t>(index)); }
    const TMOGridColumn &Items(int index) const { return *items_.at(static_cast<size_t>(index)); }
    TMOGridColumn &operator[](int index) { return Items(index); }
    TMOGridColumn &Add();
    // Copies the other's columns.
    void Assign(const TMOGridColumns &other);
    // Used by the grid: adds or frees columns at the end.
    void SetCount(int count);
    // A column's fonts or list changed: the grid repaints.
    void Changed();
    // A column's width changed: the grid takes it.
    void WidthChanged(const TMOGridColumn &column);

private:
    TMOStringGrid &grid_;
    std::vector<std::unique_ptr<TMOGridColumn>> items_;
};

// The list that drops down under the editor of a list column. It shows at most
// MaxVisibleItems items; when it holds more, a scroll bar at its right edge and
// the wheel scroll it.
class TMODropList : public TPopupWindow {
public:
    static constexpr int MinItemHeight = 11;
    static constexpr int MaxVisibleItems = 16;
    explicit TMODropList(TComponent *owner);
    // Fills the list and sizes it: at least `minWidth` wide, as wide as the widest
    // item (and the scroll bar), each item as high as the font's text.
    void SetItems(const std::vector<std::string> &items, int minWidth);
    const std::vector<std::string> &Items() const { return items_; }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    int ItemHeight() const { return itemHeight_; }
    // The first item shown; setting it scrolls (within the items).
    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int index);
    // Where an item is drawn while it is shown (client coordinates).
    TRect ItemRect(int index) const;
    // The item at a point of the list (client coordinates), or -1.
    int ItemAt(int y) const;
    std::string Selected() const;
    // Follows the mouse (also while it drags from the editor's arrow); above or
    // below the list it scrolls.
    void TrackMouse(int y);
    // Nullptr while every item is shown.
    TScrollBar *ScrollBar() const { return scrollBar_->Visible() ? scrollBar_ : nullptr; }

    // The mouse was released on an item.
    TNotifyEvent OnPicked;

protected:
    void Paint() override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void WndProc(TMessage &message) override;

private:
    int VisibleCount() const;
    int ItemsRight() const;
    void Wheel(int delta);
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    int topIndex_ = 0;
    int itemHeight_ = MinItemHeight;
    int wheelTurn_ = 0; // turns below one notch, kept for the next
    TScrollBar *scrollBar_; // owned as a component of the list
};

// The grid's in-place editor: a masked edit with the column's button.
class TInplaceEdit3D : public TInplaceEdit {
public:
    explicit TInplaceEdit3D(TMOStringGrid *grid);
    ~TInplaceEdit3D() override;

    TMOColumnButtonStyle Kind() const { return kind_; }
    bool Checked() const { return checked_; }
    void SetChecked(bool c) { checked_ = c; Invalidate(); }
    TDateTime CalendarDate() const { return date_; }
    TRect ButtonRect() const;
    TRect TextRect() const override;
    void UpdateContents() override;

    // The drop-down of a list or calendar column; the calendar opens at the
    // date the editor holds (today when it holds none).
    void DropDown();
    // Closes it; the list's choice or the calendar's date goes into the cell.
    // A calendar still at the date it opened at was given no choice: it
    // leaves the text as typed, which may be no date at all. (Esc closes
    // either and leaves the cell as it was; Enter and a click on a day
    // write the calendar's date whatever it is.)
    void CloseUp();
    bool DroppedDown() const { return list_ || calendar_; }
    TMODropList *DropList() const { return list_.get(); }
    TMOPopupPanel *CalendarPopup() const { return calendar_.get(); }
    // A spin step up (+1) or down (-1).
    void Spin(int direction);

protected:
    void Paint() override;
    void KeyDown(int &key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyPress(char32_t &key) override;
    void DoExit() override;
    void WndProc(TMessage &message) override;

private:
    TMOStringGrid &MOGrid() const;
    bool HasButton() const;
    bool WholeIsButton() const { return kind_ == cbsDropList || kind_ == cbsCheckBox; }
    void ListPicked();
    // The editor's date: the date of a cell's text, or today.
    void TakeDateOf(const std::string &text);
    void CloseCalendar(bool take);
    void CloseList(bool take);
    void Retire();

    TMOColumnButtonStyle kind_ = cbsSimple;
    bool checked_ = false;
    TDateTime date_ = 0;
    TDateTime openedAt_ = 0; // the calendar's date when it opened
    bool buttonPressed_ = false;
    bool spinUp_ = false;
    std::unique_ptr<TMODropList> list_;
    std::unique_ptr<TMOPopupPanel> calendar_;
    std::vector<std::unique_ptr<TComponent>> retired_; // closed pop-ups, freed at the next drop-down
};

class TMOStringGrid : public TStringGrid {
public:
    explicit TMOStringGrid(TComponent *owner);
    ~TMOStringGrid() override;

    TMOGridColumns &GridColumns() { return *columns_; }
    // A column's title is its column's caption.
    std::string ColumnTitle(int col) const override;
    void SetGridColumns(const TMOGridColumns &columns) { columns_->Assign(columns); }
    // The column description of a grid column, or nullptr beyond the described ones.
    TMOGridColumn *Column(int col);
    TMOGridStyle GridStyle() const { return gridStyle_; }
    void SetGridStyle(TMOGridStyle s) { gridStyle_ = s; Invalidate(); }
    TColor StripeColor() const { return stripeColor_; }
    void SetStripeColor(TColor c) { stripeColor_ = c; Invalidate(); }
    bool FixAutoNum() const { return fixAutoNum_; }
    void SetFixAutoNum(bool a) { fixAutoNum_ = a; Invalidate(); }
    bool SelectRow() const { return selectRow_; }
    void SetSelectRow(bool s) { selectRow_ = s; Invalidate(); }
    TColor SelectRowColor() const { return selectRowColor_; }
    void SetSelectRowColor(TColor c) { selectRowColor_ = c; Invalidate(); }
    int MaxRow() const { return maxRow_; }
    void SetMaxRow(int m) { maxRow_ = m; }
    int MaxCol() const { return maxCol_; }
    void SetMaxCol(int m) { maxCol_ = m; }
    void SetColCount(int count) override;

    // Adds an empty row after the current one and moves to it; false (after a
    // warning) when the data rows already reach MaxRow.
    bool InsertRow();
    // Deletes the current row; the only data row is cleared instead.
    void DeleteCurrentRow();
    // Writes the editor's text into the current cell and commits it (as leaving the grid does).
    void CommitEditor();
    // The background of a data cell.
    TColor CellBackground(int col, int row);
    // True when some described column can be edited.
    bool AnyColumnEditable();

    TMOEditBtnEvent OnListBoxClick;
    TMOEditBtnEvent OnEditButtonClick;
    TMOCheckCellEvent OnCheckCellClick;
    TCellValidateEvent OnCellValidate;

    // Used by the editor.
    TInplaceEdit3D *Editor() const { return static_cast<TInplaceEdit3D *>(InplaceEditor()); }
    void ToggleCheckCell(int col, int row);
    void EditorPicked(); // a list item or a date went into the editor: commit
    void EditorExit() override;

protected:
    void DrawCell(int col, int row, TRect rect, TGridDrawState state) override;
    TInplaceEdit *CreateEditor() override;
    std::string GetEditMask(int col, int row) override;
    std::string GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const std::string &value) override;
    bool CanEditShow() override;
    bool SelectCell(int col, int row) override;
    void Paint() override;
    void KeyDown(int &key, TShiftState shift) override;
    void KeyPress(char32_t &key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void WndProc(TMessage &message) override;
    void DoEnter() override;

private:
    friend class TInplaceEdit3D;
    void CommitCell(int col, int row, const std::string &text);
    std::string FormatCommitted(const TMOGridColumn &column, const std::string &text) const;
    // The grid takes the column's input-method mode (the editor takes it as it loads a cell).
    void ApplyInputMethod(int col);
    void TabTo(bool forward);
    bool Editable(int col);
    void LeaveToNextControl(bool forward);
    void DrawFixedCell(int col, int row, TRect rect);
    void DrawDataCell(int col, int row, TRect rect);

    std::unique_ptr<TMOGridColumns> columns_;
    TMOGridStyle gridStyle_ = mgsNormal;
    TColor stripeColor_ = 0x00FFFF;
    bool fixAutoNum_ = false;
    bool selectRow_ = true;
    TColor selectRowColor_ = 0xFF0000;
    int maxRow_ = 99;
    int maxCol_ = 99;
    std::string startText_;
    std::string lastReported_;
    bool hasLastReported_ = false;
    bool syncingColumns_ = false;
};

// A calendar cell's text in the slashed form: "年" and "月" become "/", "日" goes.
std::string CalendarCellToSlashes(std::string text);

// Draws the 14-pixel check box of check-box cells, centred in the rectangle.
void DrawMOCheckBox(TCanvas &canvas, const TRect &rect, bool ticked);
