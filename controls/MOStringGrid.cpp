#include "controls/MOStringGrid.h"

#include "platform/kernel/Application.h"
#include "platform/core/DateTime.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "platform/services/SystemParameters.h"

#include <algorithm>

namespace {

constexpr int SM_CXVSCROLL = 2;
constexpr int VK_F4 = VK_F1 + 3;
constexpr int SpinHeight = 17;

const char *const ShortDateMask = "!9999/99/00;1;_";
const char *const LongDateMask = "!9999年99月00日;1;_";

void ReplaceAll(std::string &text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

bool CellDate(const std::string &text, TDateTime &date)
{
    return TryStrToDate(CalendarCellToSlashes(text), date);
}

std::string CalendarText(TDateTime date, TMODateFormat format)
{
    if (format == dtShort)
        return FormatDateTime("yyyy/mm/dd", date);
    return FormatDateTime("yyyy", date) + "年" + FormatDateTime("mm", date) + "月" + FormatDateTime("dd", date) + "日";
}

// A month and day alone typed in November or December for January or February
// mean next year.
bool DateWithYearRule(const std::string &text, TDateTime &date)
{
    if (!TryStrToDate(text, date))
        return false;
    if (std::count(text.begin(), text.end(), '/') == 1) {
        int ty, tm, td, y, m, d;
        DecodeDate(::Date(), ty, tm, td);
        DecodeDate(date, y, m, d);
        if (tm >= 11 && m <= 2 && TryEncodeDate(y + 1, m, d, date))
            return true;
    }
    return true;
}

unsigned TextFlags(TAlignment alignment, TAlignmentV alignmentV)
{
    unsigned flags = DT_SINGLELINE | DT_NOPREFIX;
    flags |= alignment == taCenter ? DT_CENTER : alignment == taRightJustify ? DT_RIGHT : DT_LEFT;
    flags |= alignmentV == tavTop ? DT_TOP : alignmentV == tavBottom ? DT_BOTTOM : DT_VCENTER;
    return flags;
}

} // namespace

std::string CalendarCellToSlashes(std::string text)
{
    ReplaceAll(text, "年", "/");
    ReplaceAll(text, "月", "/");
    ReplaceAll(text, "日", "");
    return Trim(text);
}

void DrawMOCheckBox(TCanvas &canvas, const TRect &rect, bool ticked)
{
    int left = rect.Left + (rect.Width() - MOCheckBoxSize) / 2;
    int top = rect.Top + (rect.Height() - MOCheckBoxSize) / 2;
    TRect box{left, top, left + MOCheckBoxSize, top + MOCheckBoxSize};
    canvas.DrawFrameControl(box, DFC_BUTTON, DFCS_BUTTONCHECK | (ticked ? unsigned{DFCS_CHECKED} : 0u));
}

// ---------------------------------------------------------------- columns

TMOGridColumn::TMOGridColumn(TMOGridColumns &collection, TMOStringGrid &grid)
    : collection_(collection), color_(grid.Color()), font_(std::make_unique<TFont>(grid.Font())),
      fixCellFont_(std::make_unique<TFont>(grid.Font()))
{
    font_->OnChange = [this] { Changed(); };
    fixCellFont_->OnChange = [this] { Changed(); };
}

void TMOGridColumn::Assign(const TMOGridColumn &other)
{
    dateFormat_ = other.dateFormat_;
    alignment_ = other.alignment_;
    alignmentV_ = other.alignmentV_;
    canEdit_ = other.canEdit_;
    caption_ = other.caption_;
    color_ = other.color_;
    disabledColor_ = other.disabledColor_;
    dataType_ = other.dataType_;
    font_->Assign(*other.font_);
    fixCellFont_->Assign(*other.fixCellFont_);
    fixAlignment_ = other.fixAlignment_;
    fixAlignmentV_ = other.fixAlignmentV_;
    imeMode_ = other.imeMode_;
    imeName_ = other.imeName_;
    buttonStyle_ = other.buttonStyle_;
    listStrings_ = other.listStrings_;
    spin_ = other.spin_;
    calColors_ = other.calColors_;
    integerFormat_ = other.integerFormat_;
    dateTimeFormat_ = other.dateTimeFormat_;
    maxLength_ = other.maxLength_;
    upperCaseOnly_ = other.upperCaseOnly_;
    SetWidth(other.width_);
    Changed();
}

void TMOGridColumn::SetButtonStyle(TMOColumnButtonStyle s)
{
    buttonStyle_ = s;
    dataType_ = s == cbsSpin ? dtInteger : dtString;
    Changed();
}

void TMOGridColumn::SetWidth(int w)
{
    width_ = w;
    collection_.WidthChanged(*this);
}

void TMOGridColumn::Changed()
{
    collection_.Changed();
}

TMOGridColumn &TMOGridColumns::Add()
{
    items_.push_back(std::make_unique<TMOGridColumn>(*this, grid_));
    grid_.SetColCount(Count());
    WidthChanged(*items_.back());
    return *items_.back();
}

void TMOGridColumns::Assign(const TMOGridColumns &other)
{
    SetCount(other.Count());
    grid_.SetColCount(Count());
    for (int i = 0; i < Count(); ++i)
        Items(i).Assign(other.Items(i));
}

void TMOGridColumns::SetCount(int count)
{
    while (Count() > count)
        items_.pop_back();
    while (Count() < count) {
        items_.push_back(std::make_unique<TMOGridColumn>(*this, grid_));
        WidthChanged(*items_.back());
    }
}

void TMOGridColumns::Changed()
{
    grid_.Invalidate();
}

void TMOGridColumns::WidthChanged(const TMOGridColumn &column)
{
    for (int i = 0; i < Count(); ++i)
        if (items_[static_cast<size_t>(i)].get() == &column && i < grid_.ColCount())
            grid_.SetColWidths(i, column.Width());
}

// ---------------------------------------------------------------- the drop-down list

TMODropList::TMODropList(TComponent *owner) : TPopupWindow(owner), scrollBar_(new TScrollBar(this))
{
    SetColor(clWindow);
    scrollBar_->SetKind(sbVertical);
    scrollBar_->SetVisible(false);
    scrollBar_->SetParent(this);
    scrollBar_->OnChange = [this](TObject *) { SetTopIndex(scrollBar_->Position()); };
}

void TMODropList::SetItems(const std::vector<std::string> &items, int minWidth)
{
    items_ = items;
    TBitmap scratch(1, 1);
    scratch.Canvas().Font().Assign(Font());
    itemHeight_ = std::max(MinItemHeight, scratch.Canvas().TextMetrics().tmHeight);
    bool scrolls = static_cast<int>(items_.size()) > MaxVisibleItems;
    int barWidth = scrolls ? Services().SystemMetric(SM_CXVSCROLL) : 0;
    int width = minWidth;
    for (const std::string &item : items_)
        width = std::max(width, scratch.Canvas().TextWidth(item) + 8 + barWidth);
    int height = VisibleCount() * itemHeight_ + 2;
    SetBounds(Left(), Top(), width, height);
    itemIndex_ = -1;
    topIndex_ = 0;
    wheelTurn_ = 0;
    if (scrolls) {
        scrollBar_->SetBounds(width - 1 - barWidth, 1, barWidth, height - 2);
        scrollBar_->SetParams(0, 0, static_cast<int>(items_.size()) - 1);
        scrollBar_->SetPageSize(VisibleCount());
        scrollBar_->SetLargeChange(VisibleCount());
    }
    scrollBar_->SetVisible(scrolls);
    Invalidate();
}

int TMODropList::VisibleCount() const
{
    return std::max(1, std::min(static_cast<int>(items_.size()), MaxVisibleItems));
}

int TMODropList::ItemsRight() const
{
    return scrollBar_->Visible() ? scrollBar_->Left() : Width() - 1;
}

void TMODropList::SetTopIndex(int index)
{
    index = std::clamp(index, 0, std::max(0, static_cast<int>(items_.size()) - VisibleCount()));
    if (index == topIndex_)
        return;
    topIndex_ = index;
    if (scrollBar_->Visible() && scrollBar_->Position() != topIndex_)
        scrollBar_->SetPosition(topIndex_);
    Invalidate();
}

void TMODropList::SetItemIndex(int index)
{
    itemIndex_ = std::clamp(index, -1, static_cast<int>(items_.size()) - 1);
    if (itemIndex_ >= 0) {
        if (itemIndex_ < topIndex_)
            SetTopIndex(itemIndex_);
        if (itemIndex_ >= topIndex_ + VisibleCount())
            SetTopIndex(itemIndex_ - VisibleCount() + 1);
    }
    Invalidate();
}

TRect TMODropList::ItemRect(int index) const
{
    int top = 1 + (index - topIndex_) * itemHeight_;
    return TRect{1, top, ItemsRight(), top + itemHeight_};
}

int TMODropList::ItemAt(int y) const
{
    if (y < 1)
        return -1;
    int index = topIndex_ + (y - 1) / itemHeight_;
    return index < static_cast<int>(items_.size()) && index < topIndex_ + VisibleCount() ? index : -1;
}

std::string TMODropList::Selected() const
{
    return itemIndex_ >= 0 ? items_[static_cast<size_t>(itemIndex_)] : std::string();
}

void TMODropList::TrackMouse(int y)
{
    if (y < 0)
        SetItemIndex(std::max(0, topIndex_ - 1));
    else if (y >= Height())
        SetItemIndex(std::min(static_cast<int>(items_.size()) - 1, topIndex_ + VisibleCount()));
    else if (int index = ItemAt(y); index >= 0)
        SetItemIndex(index);
}

// Each notch scrolls the system's wheel lines (a page when it pages), at most a page.
void TMODropList::Wheel(int delta)
{
    int lines = SystemParameters().WheelScrollLines;
    if (lines < 0 || lines > VisibleCount())
        lines = VisibleCount();
    wheelTurn_ += delta;
    int notches = wheelTurn_ / 120;
    wheelTurn_ -= notches * 120;
    SetTopIndex(topIndex_ - notches * lines);
}

void TMODropList::WndProc(TMessage &message)
{
    if (message.Msg == WM_MOUSEWHEEL) {
        Wheel(static_cast<std::int16_t>((message.WParam >> 16) & 0xFFFF));
        return;
    }
    TPopupWindow::WndProc(message);
}

void TMODropList::Paint()
{
    TCanvas &canvas = Canvas();
    canvas.Font().Assign(Font());
    for (int i = 0; i < VisibleCount() && topIndex_ + i < static_cast<int>(items_.size()); ++i) {
        int index = topIndex_ + i;
        TRect r = ItemRect(index);
        bool chosen = index == itemIndex_;
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(chosen ? clHighlight : Color());
        canvas.FillRect(r);
        canvas.Font().SetColor(chosen ? clHighlightText : clWindowText);
        canvas.Brush().SetStyle(bsClear);
        TRect text = r;
        text.Left += 2;
        canvas.DrawText(items_[static_cast<size_t>(index)], text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
}

void TMODropList::MouseMove(TShiftState shift, int x, int y)
{
    TrackMouse(y);
    TPopupWindow::MouseMove(shift, x, y);
}

void TMODropList::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TPopupWindow::MouseUp(button, shift, x, y);
    if (button == mbLeft && ItemAt(y) >= 0) {
        SetItemIndex(ItemAt(y));
        if (OnPicked)
            OnPicked(this);
    }
}

// ---------------------------------------------------------------- TInplaceEdit3D

TInplaceEdit3D::TInplaceEdit3D(TMOStringGrid *grid) : TInplaceEdit(grid)
{
}

TInplaceEdit3D::~TInplaceEdit3D() = default;

TMOStringGrid &TInplaceEdit3D::MOGrid() const
{
    return static_cast<TMOStringGrid &>(*Grid());
}

bool TInplaceEdit3D::HasButton() const
{
    return kind_ == cbsList || kind_ == cbsDropList || kind_ == cbsEllipsis || kind_ == cbsSpin || kind_ == cbsCalendar;
}

TRect TInplaceEdit3D::ButtonRect() const
{
    if (!HasButton())
        return TRect{};
    int width = Services().SystemMetric(SM_CXVSCROLL) + 4;
    if (kind_ == cbsSpin)
        return TRect{Width() - width, 0, Width(), std::min(Height(), SpinHeight)};
    return TRect{Width() - width, 0, Width(), Height()};
}

TRect TInplaceEdit3D::TextRect() const
{
    TRect r = ClientRect();
    if (HasButton())
        r.Right = ButtonRect().Left;
    return r;
}

void TInplaceEdit3D::UpdateContents()
{
    Retire();
    TMOStringGrid &grid = MOGrid();
    int col = grid.Col(), row = grid.Row();
    TMOGridColumn *column = grid.Column(col);
    kind_ = column ? column->ButtonStyle() : cbsSimple;
    SetImeMode(column ? column->ImeMode() : imDontCare);
    SetNumericInput(kind_ == cbsCalendar || kind_ == cbsSpin || (column && column->DataType() == dtInteger));
    Font().Assign(column ? column->Font() : grid.Font());
    SetColor(grid.CellBackground(col, row));
    SetMaxLength(column ? column->MaxLength() : 0);
    SetReadOnly(WholeIsButton());
    SetHideCaret(WholeIsButton());
    SetCursor(WholeIsButton() ? crArrow : crIBeam);
    checked_ = kind_ == cbsCheckBox && grid.Cells(col, row) == "1";
    if (kind_ == cbsCalendar)
        TakeDateOf(grid.Cells(col, row));
    buttonPressed_ = false;
}

void TInplaceEdit3D::Retire()
{
    if (list_) {
        list_->Hide();
        retired_.push_back(std::move(list_));
    }
    if (calendar_) {
        calendar_->Hide();
        retired_.push_back(std::move(calendar_));
    }
}

void TInplaceEdit3D::DropDown()
{
    if (DroppedDown())
        return;
    retired_.clear();
    TMOStringGrid &grid = MOGrid();
    TMOGridColumn *column = grid.Column(grid.Col());
    TPopupWindow *popup = nullptr;
    if (kind_ == cbsList || kind_ == cbsDropList) {
        list_ = std::make_unique<TMODropList>(nullptr);
        list_->Font().Assign(Font());
        list_->SetItems(column ? column->ListStrings() : std::vector<std::string>{}, Width());
        const auto &items = list_->Items();
        auto found = std::find(items.begin(), items.end(), Text());
        list_->SetItemIndex(found == items.end() ? -1 : static_cast<int>(found - items.begin()));
        list_->OnPicked = [this](TObject *) { CloseList(true); };
        popup = list_.get();
    } else if (kind_ == cbsCalendar) {
        // At the date typed so far, not the one the editing started from.
        TakeDateOf(Text());
        TMOMonthCalColors colors = column ? column->CalColors() : TMOMonthCalColors{};
        calendar_ = std::make_unique<TMOPopupPanel>(nullptr, colors, date_);
        openedAt_ = calendar_->Calendar().Date();
        calendar_->OnDayPicked = [this](TObject *) { CloseCalendar(true); };
        popup = calendar_.get();
    } else {
        return;
    }
    TPoint corner = ClientToScreen(TPoint{0, 0});
    TRect anchor{corner.X, corner.Y, corner.X + Width(), corner.Y + Height()};
    popup->ShowAt(PlacePopup(anchor, TSize{popup->Width(), popup->Height()}, ScreenWorkArea()), this);
    Invalidate();
}

void TInplaceEdit3D::CloseUp()
{
    if (list_)
        CloseList(true);
    else if (calendar_)
        CloseCalendar(calendar_->Calendar().Date() != openedAt_);
}

// The pop-up may be the one calling: it is hidden now and freed later.
void TInplaceEdit3D::CloseList(bool take)
{
    if (!list_)
        return;
    std::string text = list_->Selected();
    Retire();
    buttonPressed_ = false;
    Invalidate();
    if (!take || text.empty())
        return;
    TMOStringGrid &grid = MOGrid();
    SetText(text);
    if (grid.OnListBoxClick) {
        grid.OnListBoxClick(&grid, grid.Col(), grid.Row(), text);
        SetText(text);
    }
    grid.EditorPicked();
}

void TInplaceEdit3D::TakeDateOf(const std::string &text)
{
    if (!CellDate(text, date_))
        date_ = ::Date();
}

void TInplaceEdit3D::CloseCalendar(bool take)
{
    if (!calendar_)
        return;
    TDateTime picked = calendar_->Calendar().Date();
    Retire();
    buttonPressed_ = false;
    if (!take) {
        Invalidate();
        return;
    }
    date_ = picked;
    TMOStringGrid &grid = MOGrid();
    TMOGridColumn *column = grid.Column(grid.Col());
    SetText(CalendarText(date_, column ? column->DateFormat() : dtShort));
    grid.EditorPicked();
}

void TInplaceEdit3D::Spin(int direction)
{
    std::string text = Trim(Text());
    int value = 0;
    if (!text.empty() && !TryStrToInt(text, value))
        return;
    TMOGridColumn *column = MOGrid().Column(MOGrid().Col());
    TMOSpinButtonOption option = column ? column->SpinButtonOption() : TMOSpinButtonOption{};
    value += direction * option.Increment;
    if (option.MinValue != option.MaxValue)
        value = std::clamp(value, option.MinValue, option.MaxValue);
    SetText(IntToStr(value));
}

void TInplaceEdit3D::Paint()
{
    TCustomMaskEdit::Paint();
    TCanvas &canvas = Canvas();
    if (kind_ == cbsCheckBox) {
        DrawMOCheckBox(canvas, ClientRect(), checked_);
        return;
    }
    TRect button = ButtonRect();
    if (button.IsEmpty())
        return;
    switch (kind_) {
    case cbsEllipsis: {
        TRect edge = button;
        canvas.DrawEdge(edge, buttonPressed_ ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
        int size = button.Width() < 16 ? 1 : button.Width() / 8;
        int left = button.Left + (button.Width() - 5 * size) / 2;
        int top = button.Top + (button.Height() - size) / 2;
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(clBlack);
        for (int i = 0; i < 3; ++i)
            canvas.FillRect(TRect{left + 2 * i * size, top, left + 2 * i * size + size, top + size});
        break;
    }
    case cbsSpin: {
        int half = button.Height() / 2;
        TRect up{button.Left, button.Top, button.Right, button.Top + half};
        TRect down{button.Left, button.Top + half, button.Right, button.Bottom};
        canvas.DrawFrameControl(up, DFC_SCROLL, DFCS_SCROLLUP);
        canvas.DrawFrameControl(down, DFC_SCROLL, DFCS_SCROLLDOWN);
        break;
    }
    default:
        canvas.DrawFrameControl(button, DFC_SCROLL,
                                DFCS_SCROLLCOMBOBOX | (buttonPressed_ || DroppedDown() ? unsigned{DFCS_PUSHED} : 0u));
        break;
    }
}

void TInplaceEdit3D::KeyDown(int &key, TShiftState shift)
{
    if (list_) {
        switch (key) {
        case VK_UP: list_->SetItemIndex(std::max(0, list_->ItemIndex() - 1)); break;
        case VK_DOWN: list_->SetItemIndex(list_->ItemIndex() + 1); break;
        case VK_RETURN: CloseList(true); break;
        case VK_ESCAPE: CloseList(false); break;
        default: return;
        }
        key = 0;
        return;
    }
    if (calendar_) {
        TMOInplaceCalender &calendar = calendar_->Calendar();
        switch (key) {
        case VK_LEFT: calendar_->StepDays(-1); break;
        case VK_RIGHT: calendar_->StepDays(1); break;
        case VK_UP: calendar_->StepDays(-7); break;
        case VK_DOWN: calendar_->StepDays(7); break;
        case VK_PRIOR: calendar.PrevMonth(); break;
        case VK_NEXT: calendar.NextMonth(); break;
        case VK_RETURN: CloseCalendar(true); break;
        case VK_ESCAPE: CloseCalendar(false); break;
        default: return;
        }
        key = 0;
        return;
    }
    bool dropKey = key == VK_F4 || (key == VK_DOWN && (shift & ssAlt));
    if (dropKey && (kind_ == cbsList || kind_ == cbsDropList || kind_ == cbsCalendar)) {
        DropDown();
        key = 0;
        return;
    }
    TInplaceEdit::KeyDown(key, shift);
}

void TInplaceEdit3D::KeyPress(char32_t &key)
{
    if (kind_ == cbsCheckBox && key >= 0x20) {
        MOGrid().ToggleCheckCell(MOGrid().Col(), MOGrid().Row());
        key = 0;
    }
}

void TInplaceEdit3D::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TRect area = WholeIsButton() ? ClientRect() : ButtonRect();
    if (button != mbLeft || !PtInRect(area, TPoint{x, y})) {
        TInplaceEdit::MouseDown(button, shift, x, y);
        return;
    }
    if (CanFocus() && !Focused())
        SetFocus();
    switch (kind_) {
    case cbsCheckBox:
        MOGrid().ToggleCheckCell(MOGrid().Col(), MOGrid().Row());
        break;
    case cbsSpin:
        Spin(y < ButtonRect().Height() / 2 ? 1 : -1);
        break;
    case cbsEllipsis:
        buttonPressed_ = true;
        Invalidate();
        break;
    default:
        if (DroppedDown()) {
            CloseUp();
        } else {
            DropDown();
            buttonPressed_ = true;
        }
        break;
    }
    TControl::MouseDown(button, shift, x, y);
}

void TInplaceEdit3D::MouseMove(TShiftState shift, int x, int y)
{
    bool overButton = WholeIsButton() || PtInRect(ButtonRect(), TPoint{x, y});
    SetCursor(overButton ? crArrow : crIBeam);
    if (list_ && buttonPressed_) {
        TPoint screen = ClientToScreen(TPoint{x, y});
        list_->TrackMouse(list_->ScreenToClient(screen).Y);
    }
    TInplaceEdit::MouseMove(shift, x, y);
}

void TInplaceEdit3D::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TInplaceEdit::MouseUp(button, shift, x, y);
    if (button != mbLeft || !buttonPressed_)
        return;
    if (kind_ == cbsEllipsis) {
        buttonPressed_ = false;
        Invalidate();
        TMOStringGrid &grid = MOGrid();
        if (PtInRect(ButtonRect(), TPoint{x, y}) && grid.OnEditButtonClick) {
            std::string text = Text();
            grid.OnEditButtonClick(&grid, grid.Col(), grid.Row(), text);
            SetText(text);
        }
        return;
    }
    buttonPressed_ = false;
    // Released in the list after dragging from the arrow: that item is chosen.
    if (list_) {
        TPoint p = list_->ScreenToClient(ClientToScreen(TPoint{x, y}));
        int index = list_->ItemAt(p.Y);
        if (index >= 0 && PtInRect(list_->ItemRect(index), p)) {
            list_->SetItemIndex(index);
            CloseList(true);
        }
    }
}

// While the list is down, the wheel scrolls it wherever the pointer is, as it
// would a combo box's.
void TInplaceEdit3D::WndProc(TMessage &message)
{
    if (message.Msg == WM_MOUSEWHEEL && list_) {
        SendMessage(list_.get(), message.Msg, message.WParam, message.LParam);
        return;
    }
    TInplaceEdit::WndProc(message);
}

void TInplaceEdit3D::DoExit()
{
    CloseUp();
    TInplaceEdit::DoExit();
}

// ---------------------------------------------------------------- TMOStringGrid

TMOStringGrid::TMOStringGrid(TComponent *owner)
    : TStringGrid(owner), columns_(std::make_unique<TMOGridColumns>(*this))
{
    columns_->SetCount(ColCount());
    SetDefaultRowHeight(20);
    SetColCount(6);
    SetOptions(Options() | goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goEditing);
    SetDoubleBuffered(true);
}

TMOStringGrid::~TMOStringGrid() = default;

void TMOStringGrid::SetColCount(int count)
{
    TStringGrid::SetColCount(count);
    columns_->SetCount(ColCount());
}

TMOGridColumn *TMOStringGrid::Column(int col)
{
    return col >= 0 && col < columns_->Count() ? &columns_->Items(col) : nullptr;
}

bool TMOStringGrid::Editable(int col)
{
    TMOGridColumn *column = Column(col);
    return !column || column->CanEdit();
}

bool TMOStringGrid::AnyColumnEditable()
{
    for (int c = FixedCols(); c < ColCount(); ++c)
        if (Editable(c))
            return true;
    return false;
}

TColor TMOStringGrid::CellBackground(int col, int row)
{
    if (gridStyle_ == mgsStriped)
        return row % 2 == 0 ? stripeColor_ : Color();
    TMOGridColumn *column = Column(col);
    return column ? column->Color() : Color();
}

// ---------------------------------------------------------------- painting

void TMOStringGrid::Paint()
{
    TStringGrid::Paint();
    for (int c = 0; c < columns_->Count() && c < ColCount(); ++c)
        columns_->Items(c).WidthFromGrid(ColWidths(c));
}

void TMOStringGrid::DrawCell(int col, int row, TRect rect, TGridDrawState state)
{
    if (DefaultDrawing()) {
        if (col < FixedCols() || row < FixedRows())
            DrawFixedCell(col, row, rect);
        else
            DrawDataCell(col, row, rect);
    }
    TCustomGrid::DrawCell(col, row, rect, state);
}

void TMOStringGrid::DrawFixedCell(int col, int row, TRect rect)
{
    TCanvas &canvas = Canvas();
    TMOGridColumn *column = Column(col);
    std::string text = Cells(col, row);
    if (text.empty() && row == 0 && column)
        text = column->Caption();
    if (text.empty() && fixAutoNum_ && col < FixedCols() && row >= FixedRows())
        text = IntToStr(row - FixedRows() + 1);
    canvas.Font().Assign(column ? column->FixCellFont() : Font());
    bool marked = selectRow_ && col < FixedCols() && row == Row() && row >= FixedRows();
    if (marked) {
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(selectRowColor_);
        canvas.FillRect(rect);
        canvas.Font().SetColor(clWhite);
    }
    canvas.Brush().SetStyle(bsClear);
    TRect r = rect;
    InflateRect(r, -2, -1);
    canvas.DrawText(text, r, TextFlags(column ? column->FixAlignment() : taCenter,
                                       column ? column->FixAlignmentV() : tavCenter));
    canvas.Brush().SetStyle(bsSolid);
}

void TMOStringGrid::DrawDataCell(int col, int row, TRect rect)
{
    TCanvas &canvas = Canvas();
    TMOGridColumn *column = Column(col);
    bool disabled = column && !column->CanEdit() && column->DisabledColor();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(disabled ? MODisabledColor : CellBackground(col, row));
    canvas.FillRect(rect);
    if (column && column->ButtonStyle() == cbsCheckBox) {
        DrawMOCheckBox(canvas, rect, Cells(col, row) == "1");
    } else {
        canvas.Font().Assign(column ? column->Font() : Font());
        canvas.Brush().SetStyle(bsClear);
        TRect r = rect;
        InflateRect(r, -5, -3);
        canvas.DrawText(Cells(col, row), r, TextFlags(column ? column->Alignment() : taLeftJustify,
                                                      column ? column->AlignmentV() : tavCenter));
        canvas.Brush().SetStyle(bsSolid);
    }
    if (selectRow_ && FixedCols() > 0 && row == Row()) {
        canvas.Pen().SetColor(clGray);
        canvas.Pen().SetWidth(1);
        canvas.MoveTo(rect.Left, rect.Top);
        canvas.LineTo(rect.Right, rect.Top);
        canvas.MoveTo(rect.Left, rect.Bottom - 1);
        canvas.LineTo(rect.Right, rect.Bottom - 1);
    }
}

// ---------------------------------------------------------------- editing

TInplaceEdit *TMOStringGrid::CreateEditor()
{
    return new TInplaceEdit3D(this); // owned by the grid as its component
}

bool TMOStringGrid::CanEditShow()
{
    return TStringGrid::CanEditShow() && Editable(Col());
}

std::string TMOStringGrid::GetEditMask(int col, int)
{
    TMOGridColumn *column = Column(col);
    if (!column || column->ButtonStyle() != cbsCalendar)
        return {};
    return column->DateFormat() == dtShort ? ShortDateMask : LongDateMask;
}

// Editing starts: the cell's text is the starting text.
std::string TMOStringGrid::GetEditText(int col, int row)
{
    startText_ = Cells(col, row);
    hasLastReported_ = false;
    TMOGridColumn *column = Column(col);
    if (column && column->ButtonStyle() == cbsCheckBox)
        return {};
    return startText_;
}

// Every text the editor reports goes into the cell; a text reported twice in a
// row (as it is when editing ends) is final and committed.
void TMOStringGrid::SetEditText(int col, int row, const std::string &value)
{
    TMOGridColumn *column = Column(col);
    if (column && column->ButtonStyle() == cbsCheckBox)
        return;
    std::string text = value;
    if (Editor() && Editor()->IsMasked() && Utf8ToUtf32(text) == Editor()->Mask().EmptyText())
        text.clear();
    if (column && column->DataType() == dtString && column->UpperCaseOnly())
        text = UpperCase(text);
    SetCells(col, row, text);
    bool final = hasLastReported_ && text == lastReported_;
    lastReported_ = text;
    hasLastReported_ = !final;
    if (final)
        CommitCell(col, row, text);
}

std::string TMOStringGrid::FormatCommitted(const TMOGridColumn &column, const std::string &typed) const
{
    if (column.DataType() == dtString && (column.DateTimeFormat().empty() || typed.empty()))
        return typed;
    const std::string text = HalfWidthForms(typed);
    if (column.DataType() == dtString) {
        TDateTime date;
        if (!DateWithYearRule(Trim(text), date))
            return startText_;
        return FormatDateTime(column.DateTimeFormat(), date);
    }
    std::string digits;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == ',' || c == '\\' || c == '$' || (c == '-' && i != 0))
            continue;
        digits += c;
    }
    if (Trim(digits).empty())
        digits = "0";
    if (column.IntegerFormat().empty())
        return IntToStr(StrToIntDef(Trim(digits), 0));
    return FormatFloat(column.IntegerFormat(), StrToInt(Trim(digits)));
}

void TMOStringGrid::CommitCell(int col, int row, const std::string &text)
{
    if (text == startText_)
        return;
    std::string result = text;
    if (TMOGridColumn *column = Column(col)) {
        try {
            result = FormatCommitted(*column, text);
        } catch (const Exception &) {
            result = startText_;
        }
    }
    SetCells(col, row, result);
    if (Editor() && Editor()->Visible() && col == Col() && row == Row() && Editor()->Text() != result)
        SetEditorTextQuietly(result);
    if (result == startText_)
        return;
    startText_ = result;
    SendMessage(this, WM_MOCELLVALIDATE, static_cast<WPARAM>(col), static_cast<LPARAM>(row));
}

void TMOStringGrid::CommitEditor()
{
    if (!Editor() || !Editor()->Visible())
        return;
    UpdateText();
    if (hasLastReported_)
        UpdateText();
}

void TMOStringGrid::EditorPicked()
{
    CommitEditor();
}

void TMOStringGrid::EditorExit()
{
    TWinControl *focus = FocusedControl();
    if (focus == this || focus == Editor())
        return;
    CommitEditor();
}

void TMOStringGrid::WndProc(TMessage &message)
{
    if (message.Msg == WM_MOUSEWHEEL && Editor() && Editor()->DropList()) {
        SendMessage(Editor(), message.Msg, message.WParam, message.LParam);
        return;
    }
    if (message.Msg == WM_MOCELLVALIDATE) {
        if (OnCellValidate)
            OnCellValidate(this, static_cast<int>(message.WParam), static_cast<int>(message.LParam));
        return;
    }
    TStringGrid::WndProc(message);
}

void TMOStringGrid::ToggleCheckCell(int col, int row)
{
    bool ticked = Cells(col, row) != "1";
    SetCells(col, row, ticked ? "1" : "0");
    if (Editor() && Editor()->Visible() && col == Col() && row == Row())
        Editor()->SetChecked(ticked);
    InvalidateCell(col, row);
    if (OnCheckCellClick)
        OnCheckCellClick(this, col, row, ticked);
}

bool TMOStringGrid::SelectCell(int col, int row)
{
    if (!TStringGrid::SelectCell(col, row))
        return false;
    ApplyInputMethod(col);
    return true;
}

void TMOStringGrid::ApplyInputMethod(int col)
{
    TMOGridColumn *column = Column(col);
    SetImeMode(column ? column->ImeMode() : imDontCare);
}

// ---------------------------------------------------------------- navigation

void TMOStringGrid::KeyDown(int &key, TShiftState shift)
{
    bool tabs = (Options() & goTabs) != 0;
    if (key == VK_RETURN && tabs)
        key = VK_TAB;
    if (key == VK_TAB && tabs) {
        if (OnKeyDown)
            OnKeyDown(this, key, shift);
        if (key == 0)
            return;
        key = 0;
        TabTo(!(shift & ssShift));
        return;
    }
    if (key == VK_ESCAPE && Editor() && Editor()->Visible()) {
        // Esc takes back the change made since editing of the cell started;
        // with none to take back it is the form's (a dialog's cancel button).
        if (Editor()->DroppedDown() || Cells(Col(), Row()) == startText_)
            return;
        SetCells(Col(), Row(), startText_);
        TMOGridColumn *column = Column(Col());
        if (!column || column->ButtonStyle() != cbsCheckBox)
            SetEditorTextQuietly(startText_);
        hasLastReported_ = false;
        key = 0;
        return;
    }
    TStringGrid::KeyDown(key, shift);
}

void TMOStringGrid::TabTo(bool forward)
{
    bool skipReadOnly = AnyColumnEditable();
    int col = Col(), row = Row();
    do {
        col += forward ? 1 : -1;
        if (col >= ColCount()) {
            col = FixedCols();
            ++row;
        } else if (col < FixedCols()) {
            col = ColCount() - 1;
            --row;
        }
        if (row < FixedRows() || row >= RowCount()) {
            CommitEditor();
            LeaveToNextControl(forward);
            return;
        }
    } while (skipReadOnly && !Editable(col));
    FocusCell(col, row);
}

void TMOStringGrid::LeaveToNextControl(bool forward)
{
    TWinControl *top = this;
    while (top->Parent())
        top = top->Parent();
    std::vector<TWinControl *> order;
    std::function<void(TWinControl *)> collect = [&](TWinControl *parent) {
        std::vector<TWinControl *> children;
        for (int i = 0; i < parent->ControlCount(); ++i)
            if (auto *win = dynamic_cast<TWinControl *>(parent->Controls(i)))
                children.push_back(win);
        std::sort(children.begin(), children.end(),
                  [](TWinControl *a, TWinControl *b) { return a->Serial() < b->Serial(); });
        for (TWinControl *child : children) {
            if (child == Editor())
                continue;
            if (child == this || (child->TabStop() && child->CanFocus()))
                order.push_back(child);
            collect(child);
        }
    };
    collect(top);
    auto self = std::find(order.begin(), order.end(), this);
    if (order.size() < 2 || self == order.end())
        return;
    auto index = static_cast<size_t>(self - order.begin());
    size_t next = forward ? (index + 1) % order.size() : (index + order.size() - 1) % order.size();
    order[next]->SetFocus();
}

void TMOStringGrid::KeyPress(char32_t &key)
{
    TMOGridColumn *column = Column(Col());
    if (column && column->ButtonStyle() == cbsCheckBox && key >= 0x20 && Row() >= FixedRows()) {
        ToggleCheckCell(Col(), Row());
        key = 0;
    }
}

void TMOStringGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TGridCoord cell = MouseCoord(x, y);
    bool dataRow = cell.Y >= FixedRows();
    bool dataCell = dataRow && cell.X >= FixedCols();
    TMOGridColumn *column = dataCell ? Column(cell.X) : nullptr;
    if (button == mbLeft && column && column->ButtonStyle() == cbsCheckBox) {
        if (CanFocus() && !Focused() && HandleAllocated())
            SetFocus();
        HideEditor();
        ToggleCheckCell(cell.X, cell.Y);
        FocusCell(cell.X, cell.Y);
        TControl::MouseDown(button, shift, x, y);
    } else if (dataRow && cell.X >= 0 && cell.X < FixedCols()) {
        FocusCell(FixedCols(), cell.Y);
        TControl::MouseDown(button, shift, x, y);
    } else if (button == mbRight && dataCell) {
        FocusCell(cell.X, cell.Y);
        TControl::MouseDown(button, shift, x, y);
    } else if (dataCell && cell.X == Col() && cell.Y == Row() && Editor() && Editor()->Visible()) {
        TControl::MouseDown(button, shift, x, y);
    } else {
        TStringGrid::MouseDown(button, shift, x, y);
    }
    if (!dataCell && !(dataRow && cell.X >= 0))
        return;
    if ((Options() & goEditing) && CanEditShow()) {
        if (!Editor() || !Editor()->Visible())
            ShowEditor();
    } else {
        HideEditor();
    }
}

void TMOStringGrid::DoEnter()
{
    TStringGrid::DoEnter();
    if (!AnyColumnEditable()) {
        HideEditor();
        return;
    }
    if (!Editable(Col())) {
        int col = Col();
        while (col < ColCount() && !Editable(col))
            ++col;
        if (col >= ColCount())
            for (col = Col(); col >= FixedCols() && !Editable(col); --col) {
            }
        if (col >= FixedCols() && col < ColCount())
            FocusCell(col, Row());
    }
    ApplyInputMethod(Col());
    if ((Options() & goAlwaysShowEditor) && CanEditShow() && (!Editor() || !Editor()->Visible()))
        ShowEditor();
    if (Editor() && Editor()->Visible())
        Editor()->SelectAll();
}

// ---------------------------------------------------------------- rows

bool TMOStringGrid::InsertRow()
{
    if (RowCount() - FixedRows() >= maxRow_) {
        Services().MessageBox("行が上限に達しました。", Application().Title(), MB_OK | MB_ICONWARNING);
        return false;
    }
    CommitEditor();
    int row = Row();
    SetRowCount(RowCount() + 1);
    MoveRow(RowCount() - 1, row + 1);
    FocusCell(FixedCols(), row + 1);
    Invalidate();
    return true;
}

void TMOStringGrid::DeleteCurrentRow()
{
    int row = Row();
    DiscardEditor();
    int next = row;
    if (RowCount() - FixedRows() > 1) {
        MoveRow(row, RowCount() - 1);
        SetRowCount(RowCount() - 1);
        if (row != FixedRows())
            next = row - 1;
    } else {
        SetRows(row, {});
    }
    FocusCell(FixedCols(), std::min(next, RowCount() - 1));
    if ((Options() & goAlwaysShowEditor) && CanEditShow())
        ShowEditor();
    Invalidate();
}

std::string TMOStringGrid::ColumnTitle(int col) const
{
    if (col < 0 || col >= columns_->Count())
        return {};
    const std::string &caption = columns_->Items(col).Caption();
    return caption == " " ? std::string() : caption;
}
