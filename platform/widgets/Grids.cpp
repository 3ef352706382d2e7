#include "platform/widgets/Grids.h"

#include "platform/core/Exceptions.h"
#include "platform/kernel/Accessibility.h"
#include "platform/kernel/QtInputWindow.h"

#include <algorithm>

// ---------------------------------------------------------------- TInplaceEdit

TInplaceEdit::TInplaceEdit(TCustomGrid *grid) : TCustomMaskEdit(grid), grid_(grid)
{
    SetVisible(false);
    SetTabStop(false);
}

void TInplaceEdit::UpdateContents()
{
}

void TInplaceEdit::KeyDown(int &key, TShiftState shift)
{
    bool atStart = SelStart() == 0 && SelLength() == 0;
    bool atEnd = SelStart() >= static_cast<int>(Utf8ToUtf32(EditText()).size()) && SelLength() == 0;
    switch (key) {
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: case VK_TAB: case VK_RETURN: case VK_ESCAPE:
    case VK_F1 + 1:
        grid_->EditorKeyDown(key, shift);
        return;
    case VK_LEFT:
        if (atStart) {
            grid_->EditorKeyDown(key, shift);
            return;
        }
        break;
    case VK_RIGHT:
        if (atEnd) {
            grid_->EditorKeyDown(key, shift);
            return;
        }
        break;
    default:
        break;
    }
    TCustomMaskEdit::KeyDown(key, shift);
}

void TInplaceEdit::Change()
{
    TCustomMaskEdit::Change();
    grid_->EditorTextChanged();
}

std::string TInplaceEdit::AccessibleCaption() const { return grid_ ? grid_->ColumnTitle(grid_->Col()) : std::string(); }

int TCustomGrid::AccessibleRole() const { return ROLE_SYSTEM_TABLE; }

std::string TStringGrid::ColumnTitle(int col) const { return FixedRows() > 0 ? Cells(col, 0) : std::string(); }

void TInplaceEdit::DoExit()
{
    TCustomMaskEdit::DoExit();
    grid_->EditorExit();
}

// ---------------------------------------------------------------- TCustomGrid

TCustomGrid::TCustomGrid(TComponent *owner) : TCustomControl(owner)
{
    SetColor(clWindow);
    SetTabStop(true);
    colWidths_.assign(5, defaultColWidth_);
    rowHeights_.assign(5, defaultRowHeight_);
    SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    link_ = std::make_unique<TWidgetLink>(this, new TQtInputWindow(this, parentWidget));
}

void TCustomGrid::SetColCount(int count)
{
    count = std::max(count, 1);
    int old = ColCount();
    if (count == old)
        return;
    colWidths_.resize(static_cast<size_t>(count), defaultColWidth_);
    fixedCols_ = std::min(fixedCols_, count - 1);
    col_ = std::clamp(col_, fixedCols_, count - 1);
    leftCol_ = std::clamp(leftCol_, fixedCols_, count - 1);
    SizeChanged(old, RowCount());
    PlaceEditor();
    Invalidate();
}

void TCustomGrid::SetRowCount(int count)
{
    count = std::max(count, 1);
    int old = RowCount();
    if (count == old)
        return;
    rowHeights_.resize(static_cast<size_t>(count), defaultRowHeight_);
    fixedRows_ = std::min(fixedRows_, count - 1);
    row_ = std::clamp(row_, fixedRows_, count - 1);
    topRow_ = std::clamp(topRow_, fixedRows_, count - 1);
    SizeChanged(ColCount(), old);
    PlaceEditor();
    Invalidate();
}

void TCustomGrid::SetFixedCols(int count)
{
    fixedCols_ = std::clamp(count, 0, ColCount() - 1);
    col_ = std::max(col_, fixedCols_);
    leftCol_ = std::max(leftCol_, fixedCols_);
    Invalidate();
}

void TCustomGrid::SetFixedRows(int count)
{
    fixedRows_ = std::clamp(count, 0, RowCount() - 1);
    row_ = std::max(row_, fixedRows_);
    topRow_ = std::max(topRow_, fixedRows_);
    Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int width)
{
    defaultColWidth_ = width;
    std::fill(colWidths_.begin(), colWidths_.end(), width);
    ClampTopLeft();
    PlaceEditor();
    Invalidate();
}

void TCustomGrid::SetDefaultRowHeight(int height)
{
    defaultRowHeight_ = height;
    std::fill(rowHeights_.begin(), rowHeights_.end(), height);
    ClampTopLeft();
    PlaceEditor();
    Invalidate();
}

void TCustomGrid::SetColWidths(int col, int width)
{
    if (colWidths_.at(static_cast<size_t>(col)) == width)
        return;
    colWidths_[static_cast<size_t>(col)] = width;
    ClampTopLeft();
    PlaceEditor();
    Invalidate();
}

void TCustomGrid::SetRowHeights(int row, int height)
{
    if (rowHeights_.at(static_cast<size_t>(row)) == height)
        return;
    rowHeights_[static_cast<size_t>(row)] = height;
    ClampTopLeft();
    PlaceEditor();
    Invalidate();
}

void TCustomGrid::SetGridLineWidth(int width)
{
    gridLineWidth_ = std::max(width, 0);
    Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions options)
{
    options_ = options;
    if (!(options_ & goEditing))
        HideEditor();
    else if (options_ & goAlwaysShowEditor)
        editorMode_ = true;
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor color)
{
    fixedColor_ = color;
    Invalidate();
}

void TCustomGrid::SetBorderStyle(TGridBorderStyle style)
{
    borderStyle_ = style;
    PlaceEditor();
    Invalidate();
}

void TCustomGrid::FocusCell(int col, int row)
{
    MoveColRow(col, row, true);
}

void TCustomGrid::SetLeftCol(int col)
{
    col = std::clamp(col, fixedCols_, ColCount() - 1);
    if (col == leftCol_)
        return;
    leftCol_ = col;
    TopLeftChanged();
}

void TCustomGrid::SetTopRow(int row)
{
    row = std::clamp(row, fixedRows_, RowCount() - 1);
    if (row == topRow_)
        return;
    topRow_ = row;
    TopLeftChanged();
}

void TCustomGrid::TopLeftChanged()
{
    PlaceEditor();
    Invalidate();
    if (OnTopLeftChanged)
        OnTopLeftChanged(this);
}

int TCustomGrid::CellWidthSum(int from, int to) const
{
    int sum = 0;
    for (int c = from; c < to; ++c)
        sum += colWidths_[static_cast<size_t>(c)] + ColLineWidth();
    return sum;
}

int TCustomGrid::ColLeft(int col) const
{
    int x = BorderWidth();
    if (col < fixedCols_)
        return x + CellWidthSum(0, col);
    if (col < leftCol_)
        return -1;
    return x + CellWidthSum(0, fixedCols_) + CellWidthSum(leftCol_, col);
}

int TCustomGrid::RowTop(int row) const
{
    int y = BorderWidth();
    for (int r = 0; r < std::min(row, fixedRows_); ++r)
        y += rowHeights_[static_cast<size_t>(r)] + RowLineWidth();
    if (row < fixedRows_)
        return y;
    if (row < topRow_)
        return -1;
    for (int r = topRow_; r < row; ++r)
        y += rowHeights_[static_cast<size_t>(r)] + RowLineWidth();
    return y;
}

TRect TCustomGrid::CellRect(int col, int row) const
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return TRect{};
    int x = ColLeft(col);
    int y = RowTop(row);
    if (x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight())
        return TRect{};
    return TRect{x, y, x + colWidths_[static_cast<size_t>(col)], y + rowHeights_[static_cast<size_t>(row)]};
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) const
{
    TGridCoord result{-1, -1};
    for (int c = 0; c < ColCount(); ++c) {
        if (c >= fixedCols_ && c < leftCol_)
            continue;
        int left = ColLeft(c);
        if (left > x)
            break;
        if (x < left + colWidths_[static_cast<size_t>(c)] + ColLineWidth()) {
            result.X = c;
            break;
        }
    }
    for (int r = 0; r < RowCount(); ++r) {
        if (r >= fixedRows_ && r < topRow_)
            continue;
        int top = RowTop(r);
        if (top > y)
            break;
        if (y < top + rowHeights_[static_cast<size_t>(r)] + RowLineWidth()) {
            result.Y = r;
            break;
        }
    }
    if (result.X < 0 || result.Y < 0)
        return TGridCoord{-1, -1};
    return result;
}

void TCustomGrid::MouseToCell(int x, int y, int &col, int &row) const
{
    TGridCoord c = MouseCoord(x, y);
    col = c.X;
    row = c.Y;
}

int TCustomGrid::VisibleRowCountFrom(int top) const
{
    int y = BorderWidth();
    for (int r = 0; r < fixedRows_; ++r)
        y += rowHeights_[static_cast<size_t>(r)] + RowLineWidth();
    int count = 0;
    for (int r = top; r < RowCount(); ++r) {
        y += rowHeights_[static_cast<size_t>(r)] + RowLineWidth();
        if (y > ClientHeight())
            break;
        ++count;
    }
    return std::max(count, 1);
}

int TCustomGrid::VisibleColCountFrom(int left) const
{
    int x = BorderWidth() + CellWidthSum(0, fixedCols_);
    int count = 0;
    for (int c = left; c < ColCount(); ++c) {
        x += colWidths_[static_cast<size_t>(c)] + ColLineWidth();
        if (x > ClientWidth())
            break;
        ++count;
    }
    return std::max(count, 1);
}

void TCustomGrid::ScrollIntoView(int col, int row)
{
    int top = topRow_;
    if (row >= fixedRows_) {
        if (row < top)
            top = row;
        while (top < row && row >= top + VisibleRowCountFrom(top))
            ++top;
    }
    int left = leftCol_;
    if (col >= fixedCols_) {
        if (col < left)
            left = col;
        while (left < col && col >= left + VisibleColCountFrom(left))
            ++left;
    }
    if (top != topRow_ || left != leftCol_) {
        topRow_ = top;
        leftCol_ = left;
        TopLeftChanged();
    }
}

void TCustomGrid::InvalidateCell(int col, int row)
{
    TRect r = CellRect(col, row);
    if (!r.IsEmpty()) {
        InflateRect(r, ColLineWidth(), RowLineWidth());
        InvalidateRect(r);
    }
}

void TCustomGrid::InvalidateRow(int row)
{
    for (int c = 0; c < ColCount(); ++c)
        InvalidateCell(c, row);
}

void TCustomGrid::BoundsChanged()
{
    TCustomControl::BoundsChanged();
    ClampTopLeft();
    PlaceEditor();
}

// Room for more cells is not left empty: after the grid or its cells changed
// size, the first shown column and row move back as far as the cells from
// there to the end still fit.
void TCustomGrid::ClampTopLeft()
{
    int left = leftCol_;
    while (left > fixedCols_ && VisibleColCountFrom(left - 1) >= ColCount() - (left - 1))
        --left;
    int top = topRow_;
    while (top > fixedRows_ && VisibleRowCountFrom(top - 1) >= RowCount() - (top - 1))
        --top;
    if (left == leftCol_ && top == topRow_)
        return;
    leftCol_ = left;
    topRow_ = top;
    TopLeftChanged();
}

// ---------------------------------------------------------------- painting

void TCustomGrid::Paint()
{
    TCanvas &canvas = Canvas();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(ClientRect());
    auto paintCell = [&](int col, int row) {
        TRect rect = CellRect(col, row);
        if (rect.IsEmpty())
            return;
        bool fixed = col < fixedCols_ || row < fixedRows_;
        TGridDrawState state = fixed ? TGridDrawState{gdFixed} : 0u;
        bool current = row == row_ && (col == col_ || (options_ & goRowSelect));
        if (!fixed && current) {
            state |= gdSelected;
            if (Focused() || (editor_ && editor_->Focused()))
                state |= gdFocused;
        }
        // Grid lines along the right and bottom of the cell.
        bool vert = fixed ? (options_ & goFixedVertLine) : (options_ & goVertLine);
        bool horz = fixed ? (options_ & goFixedHorzLine) : (options_ & goHorzLine);
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(fixed ? clBlack : clSilver);
        if (vert && ColLineWidth() > 0)
            canvas.FillRect(TRect{rect.Right, rect.Top, rect.Right + ColLineWidth(), rect.Bottom + RowLineWidth()});
        if (horz && RowLineWidth() > 0)
            canvas.FillRect(TRect{rect.Left, rect.Bottom, rect.Right + ColLineWidth(), rect.Bottom + RowLineWidth()});
        canvas.SaveDC();
        canvas.IntersectClipRect(rect);
        if (defaultDrawing_) {
            canvas.Brush().SetColor(fixed ? fixedColor_ : (state & gdSelected) && !(state & gdFocused && editorMode_)
                                                              ? clHighlight : Color());
            canvas.FillRect(rect);
            canvas.Font().Assign(Font());
            if ((state & gdSelected))
                canvas.Font().SetColor(clHighlightText);
        }
        DrawCell(col, row, rect, state);
        if (fixed && defaultDrawing_ && (vert || horz)) {
            TRect edge = rect;
            canvas.DrawEdge(edge, BDR_RAISEDINNER, (vert ? unsigned{BF_RIGHT} : 0u) | (horz ? unsigned{BF_BOTTOM} : 0u) | BF_TOPLEFT);
        }
        canvas.RestoreDC(-1);
    };
    for (int row = 0; row < RowCount(); ++row) {
        if (row >= fixedRows_ && row < topRow_)
            continue;
        if (RowTop(row) >= ClientHeight())
            break;
        for (int col = 0; col < ColCount(); ++col) {
            if (col >= fixedCols_ && col < leftCol_)
                continue;
            if (ColLeft(col) >= ClientWidth())
                break;
            paintCell(col, row);
        }
    }
    if (borderStyle_ == gbsSingle) {
        canvas.Brush().SetColor(clBtnShadow);
        canvas.FrameRect(ClientRect());
    }
}

void TCustomGrid::DrawCell(int col, int row, TRect rect, TGridDrawState state)
{
    if (OnDrawCell)
        OnDrawCell(this, col, row, rect, state);
}

bool TCustomGrid::SelectCell(int col, int row)
{
    bool can = true;
    if (OnSelectCell)
        OnSelectCell(this, col, row, can);
    return can;
}

// ---------------------------------------------------------------- the editor

TInplaceEdit *TCustomGrid::CreateEditor()
{
    return new TInplaceEdit(this); // owned by the grid as its component
}

std::string TCustomGrid::GetEditText(int, int) { return {}; }
void TCustomGrid::SetEditText(int, int, const std::string &) {}
std::string TCustomGrid::GetEditMask(int, int) { return {}; }

bool TCustomGrid::CanEditShow()
{
    return (options_ & goEditing) && !(options_ & goRowSelect) && col_ >= fixedCols_ && row_ >= fixedRows_;
}

void TCustomGrid::PlaceEditor()
{
    if (!editor_ || !editor_->Visible())
        return;
    TRect r = EditorRect();
    if (r.IsEmpty())
        editor_->SetBounds(-r.Width() - 200, 0, editor_->Width(), editor_->Height());
    else
        editor_->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TCustomGrid::ShowEditor()
{
    if (!CanEditShow())
        return;
    editorMode_ = true;
    if (!editor_) {
        editor_ = CreateEditor();
        editor_->SetParent(this);
    }
    bool hadFocus = Focused();
    updatingEditor_ = true;
    editor_->SetEditMask(GetEditMask(col_, row_));
    editor_->SetText(GetEditText(col_, row_));
    editor_->SetModified(false);
    editor_->UpdateContents();
    updatingEditor_ = false;
    editor_->Show();
    PlaceEditor();
    editor_->SelectAll();
    if (hadFocus && editor_->CanFocus())
        editor_->SetFocus();
    InvalidateCell(col_, row_);
}

void TCustomGrid::HideEditor()
{
    if (!(options_ & goAlwaysShowEditor))
        editorMode_ = false;
    if (!editor_ || !editor_->Visible())
        return;
    bool hadFocus = editor_->Focused();
    UpdateText();
    editor_->Hide();
    if (hadFocus && CanFocus())
        SetFocus();
    InvalidateCell(col_, row_);
}

void TCustomGrid::UpdateText()
{
    if (editor_ && editor_->Visible() && CanEditModify())
        SetEditText(col_, row_, editor_->Text());
}

void TCustomGrid::SetEditorTextQuietly(const std::string &text)
{
    if (!editor_)
        return;
    updatingEditor_ = true;
    editor_->SetText(text);
    updatingEditor_ = false;
}

void TCustomGrid::DiscardEditor()
{
    if (!(options_ & goAlwaysShowEditor))
        editorMode_ = false;
    if (!editor_ || !editor_->Visible())
        return;
    bool hadFocus = editor_->Focused();
    editor_->Hide();
    if (hadFocus && CanFocus())
        SetFocus();
}

void TCustomGrid::EditorTextChanged()
{
    if (!updatingEditor_ && editor_ && editor_->Visible())
        SetEditText(col_, row_, editor_->Text());
}

void TCustomGrid::SetEditorMode(bool on)
{
    if (on)
        ShowEditor();
    else
        HideEditor();
}

// ---------------------------------------------------------------- moving

void TCustomGrid::MoveColRow(int col, int row, bool show)
{
    col = std::clamp(col, fixedCols_, ColCount() - 1);
    row = std::clamp(row, fixedRows_, RowCount() - 1);
    if (col == col_ && row == row_)
        return;
    if (!SelectCell(col, row))
        return;
    if (editor_ && editor_->Visible())
        UpdateText();
    InvalidateRow(row_);
    col_ = col;
    row_ = row;
    InvalidateRow(row_);
    if (show)
        ScrollIntoView(col, row);
    bool keepEditing = editorMode_ || (options_ & goAlwaysShowEditor);
    if (keepEditing && CanEditShow()) {
        ShowEditor();
    } else if (editor_ && editor_->Visible()) {
        bool hadFocus = editor_->Focused();
        editor_->Hide();
        if (hadFocus && CanFocus())
            SetFocus();
    }
}

void TCustomGrid::MoveRow(int from, int to)
{
    if (from == to || from < 0 || to < 0 || from >= RowCount() || to >= RowCount())
        return;
    int height = rowHeights_[static_cast<size_t>(from)];
    rowHeights_.erase(rowHeights_.begin() + from);
    rowHeights_.insert(rowHeights_.begin() + to, height);
    RowMoved(from, to);
    Invalidate();
}

void TCustomGrid::DeleteRow(int row)
{
    MoveRow(row, RowCount() - 1);
    SetRowCount(RowCount() - 1);
}

void TCustomGrid::RowMoved(int, int) {}
void TCustomGrid::SizeChanged(int, int) {}

// ---------------------------------------------------------------- input

void TCustomGrid::KeyDown(int &key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    int col = col_, row = row_;
    switch (key) {
    case VK_UP: --row; break;
    case VK_DOWN: ++row; break;
    case VK_LEFT: --col; break;
    case VK_RIGHT: ++col; break;
    case VK_PRIOR: row -= VisibleRowCount(); break;
    case VK_NEXT: row += VisibleRowCount(); break;
    case VK_HOME: col = fixedCols_; break;
    case VK_END: col = ColCount() - 1; break;
    case VK_TAB:
        if (!(options_ & goTabs))
            return;
        if (shift & ssShift) {
            if (--col < fixedCols_) {
                col = ColCount() - 1;
                --row;
            }
        } else if (++col >= ColCount()) {
            col = fixedCols_;
            ++row;
        }
        if (row < fixedRows_ || row >= RowCount())
            return;
        break;
    case VK_RETURN:
        if ((options_ & goEditing) && !(options_ & goAlwaysShowEditor))
            SetEditorMode(!editorMode_);
        key = 0;
        return;
    case VK_F1 + 1:
        ShowEditor();
        key = 0;
        return;
    case VK_ESCAPE:
        // An editor always shown that holds no change leaves Esc to the form.
        if (editor_ && editor_->Visible() && (editor_->Modified() || !(options_ & goAlwaysShowEditor))) {
            updatingEditor_ = true;
            editor_->SetText(GetEditText(col_, row_));
            updatingEditor_ = false;
            editor_->SetModified(false);
            editor_->SelectAll();
            if (!(options_ & goAlwaysShowEditor))
                HideEditor();
            key = 0;
        }
        return;
    default:
        return;
    }
    key = 0;
    MoveColRow(col, row, true);
}

void TCustomGrid::KeyPress(char32_t &)
{
}

void TCustomGrid::WndProc(TMessage &message)
{
    if (message.Msg == WM_MOUSEWHEEL) {
        // Each turn of the wheel moves the current row by one.
        int turn = static_cast<std::int16_t>((message.WParam >> 16) & 0xFFFF);
        if (turn != 0)
            MoveColRow(col_, row_ + (turn < 0 ? 1 : -1), true);
        return;
    }
    if (message.Msg == WM_CHAR) {
        auto c = static_cast<char32_t>(message.WParam);
        KeyPress(c);
        if (c >= 0x20 && (options_ & goEditing) && CanEditShow()) {
            if (!editor_ || !editor_->Visible())
                ShowEditor();
            if (editor_ && editor_->Visible())
                SendMessage(editor_, WM_CHAR, static_cast<WPARAM>(c));
        }
        return;
    }
    TCustomControl::WndProc(message);
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (CanFocus() && !Focused() && HandleAllocated())
        SetFocus();
    TGridCoord cell = MouseCoord(x, y);
    if (button == mbLeft && cell.X >= fixedCols_ && cell.Y >= fixedRows_) {
        if (cell.X == col_ && cell.Y == row_) {
            if (options_ & goEditing)
                ShowEditor();
        } else {
            MoveColRow(cell.X, cell.Y, true);
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

// ---------------------------------------------------------------- TStringGrid

TStringGrid::TStringGrid(TComponent *owner) : TDrawGrid(owner)
{
    SizeChanged(0, 0);
}

std::string TStringGrid::Cells(int col, int row) const
{
    if (row < 0 || col < 0 || row >= static_cast<int>(cells_.size()) || col >= ColCount())
        return {};
    return cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void TStringGrid::SetCells(int col, int row, const std::string &text)
{
    if (row < 0 || col < 0 || row >= RowCount() || col >= ColCount())
        throw EInvalidOperation("Grid index out of range");
    std::string &cell = cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
    if (cell == text)
        return;
    cell = text;
    InvalidateCell(col, row);
}

std::vector<std::string> TStringGrid::Rows(int row) const
{
    return cells_.at(static_cast<size_t>(row));
}

void TStringGrid::SetRows(int row, const std::vector<std::string> &texts)
{
    for (int c = 0; c < ColCount(); ++c)
        SetCells(c, row, c < static_cast<int>(texts.size()) ? texts[static_cast<size_t>(c)] : std::string());
}

void TStringGrid::SizeChanged(int, int)
{
    cells_.resize(static_cast<size_t>(RowCount()));
    for (auto &row : cells_)
        row.resize(static_cast<size_t>(ColCount()));
}

void TStringGrid::RowMoved(int fromIndex, int toIndex)
{
    auto row = std::move(cells_[static_cast<size_t>(fromIndex)]);
    cells_.erase(cells_.begin() + fromIndex);
    cells_.insert(cells_.begin() + toIndex, std::move(row));
}

std::string TStringGrid::GetEditText(int col, int row)
{
    return Cells(col, row);
}

void TStringGrid::SetEditText(int col, int row, const std::string &value)
{
    SetCells(col, row, value);
}

void TStringGrid::DrawCell(int col, int row, TRect rect, TGridDrawState state)
{
    if (DefaultDrawing()) {
        Canvas().Brush().SetStyle(bsClear);
        Canvas().TextOut(rect.Left + 2, rect.Top + 2, Cells(col, row));
        Canvas().Brush().SetStyle(bsSolid);
    }
    TDrawGrid::DrawCell(col, row, rect, state);
}
