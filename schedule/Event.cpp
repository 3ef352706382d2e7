#include "schedule/Event.h"

#include "platform/kernel/Application.h"
#include "platform/widgets/Button.h"
#include "platform/core/Exceptions.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Memo.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "schedule/Head.h"

#include <algorithm>
#include <memory>

namespace {

enum EventColumn { colNumber, colDate, colMarker, colName, colFontName, colFontSize, colColor, colLine, colPosition, colDone,
                   EventColumnCount };

const std::vector<std::string> Markers{"△", "▲", "▽", "▼", "○", "◎", "●", "□", "■", "◇", "◆", "♯", "※", "＊"};
const std::vector<std::string> Positions{"上", "中", "下"};

std::vector<std::string> NumberTexts(const std::vector<int> &numbers)
{
    std::vector<std::string> texts;
    for (int n : numbers)
        texts.push_back(IntToStr(n));
    return texts;
}

std::uint8_t PositionOf(const std::string &text)
{
    auto found = std::find(Positions.begin(), Positions.end(), text);
    return found == Positions.end() ? 0 : static_cast<std::uint8_t>(found - Positions.begin());
}

} // namespace

TdlgEvent::TdlgEvent(TComponent *owner, TItem &item) : TForm(owner), item_(item)
{
    SetCaption("イベント設定");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientSize(680, 420);

    lblItem = new TLabel(this);
    lblItem->SetCaption("項目");
    lblItem->SetBounds(8, 10, 40, 14);
    lblItem->SetParent(this);

    memItem = new TMemo(this);
    memItem->SetBounds(48, 8, 624, 44);
    memItem->SetEnabled(false);
    memItem->SetParent(this);

    CreateGrid();

    auto button = [this](const std::string &caption, int left) {
        auto *b = new TButton(this);
        b->SetCaption(caption);
        b->SetBounds(left, 386, 90, 26);
        b->SetParent(this);
        return b;
    };
    btnAdd = button("行追加(&A)", 8);
    btnDel = button("行削除(&D)", 104);
    btnOk = button("OK", 486);
    CancelBtn = button("キャンセル", 582);
    CancelBtn->SetCancel(true);
    CancelBtn->SetModalResult(mrCancel);
    btnAdd->OnClick = [this](TObject *sender) { btnAddClick(sender); };
    btnDel->OnClick = [this](TObject *sender) { btnDelClick(sender); };
    btnOk->OnClick = [this](TObject *sender) { btnOkClick(sender); };

    LoadEvents();
}

void TdlgEvent::CreateGrid()
{
    grdEvent = new TMOStringGrid(this);
    grdEvent->SetBounds(8, 60, 664, 318);
    grdEvent->SetColCount(EventColumnCount);
    grdEvent->SetFixedRows(1);
    grdEvent->SetFixedCols(1);
    grdEvent->SetFixAutoNum(true);
    grdEvent->SetDefaultRowHeight(20);
    grdEvent->SetOptions(grdEvent->Options() | goEditing | goTabs | goAlwaysShowEditor);
    grdEvent->SetSelectRow(true);
    grdEvent->SetSelectRowColor(clGray);
    grdEvent->SetMaxRow(99999);
    grdEvent->SetStripeColor(clYellow);

    struct Layout {
        const char *caption;
        int width;
        TMOColumnButtonStyle style;
        TImeMode ime;
    };
    const Layout layout[EventColumnCount] = {
        {"", 30, cbsSimple, imClose},          {"日付", 97, cbsCalendar, imClose},
        {"ﾏｰｶｰ", 42, cbsDropList, imClose},     {"イベント名称", 173, cbsSimple, imOpen},
        {"フォント名", 106, cbsDropList, imDontCare}, {"ｻｲｽﾞ", 37, cbsDropList, imClose},
        {"ｶﾗｰ", 33, cbsSimple, imClose},        {"ﾗｲﾝ", 38, cbsDropList, imClose},
        {"位置", 40, cbsDropList, imClose},     {"完了", 35, cbsCheckBox, imClose},
    };
    for (int c = 0; c < EventColumnCount; ++c) {
        TMOGridColumn &column = grdEvent->GridColumns()[c];
        column.SetCaption(layout[c].caption);
        column.SetWidth(layout[c].width);
        column.SetButtonStyle(layout[c].style);
        column.SetImeMode(layout[c].ime);
        column.SetColor(clWindow);
        column.SetDateFormat(dtShort);
    }
    grdEvent->GridColumns()[colColor].SetCanEdit(false);
    grdEvent->GridColumns()[colMarker].SetListStrings(Markers);
    grdEvent->GridColumns()[colFontName].SetListStrings(Screen().Fonts());
    grdEvent->GridColumns()[colFontSize].SetListStrings(
        NumberTexts({6, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32, 34, 36, 38, 40, 42}));
    grdEvent->GridColumns()[colLine].SetListStrings(NumberTexts({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    grdEvent->GridColumns()[colPosition].SetListStrings(Positions);

    grdEvent->OnCellValidate = [this](TObject *sender, int col, int row) { grdEventCellValidate(sender, col, row); };
    grdEvent->OnDrawCell = [this](TObject *sender, int col, int row, TRect rect, TGridDrawState state) {
        grdEventDrawCell(sender, col, row, rect, state);
    };
    grdEvent->OnSelectCell = [this](TObject *sender, int col, int row, bool &canSelect) {
        grdEventSelectCell(sender, col, row, canSelect);
    };
    grdEvent->SetParent(this);
}

void TdlgEvent::LoadEvents()
{
    memItem->SetText(item_.FMemo->Text());
    if (item_.FEvents.empty()) {
        grdEvent->SetRowCount(2);
        colors_.assign(2, 0);
        return;
    }
    grdEvent->SetRowCount(static_cast<int>(item_.FEvents.size()) + 1);
    colors_.assign(item_.FEvents.size() + 1, 0);
    for (size_t i = 0; i < item_.FEvents.size(); ++i) {
        const TEvent &event = item_.FEvents[i];
        int row = static_cast<int>(i) + 1;
        grdEvent->SetCells(colDate, row, FormatDateTime("yyyy/MM/dd", event.EventDate));
        grdEvent->SetCells(colMarker, row, event.Marker);
        grdEvent->SetCells(colName, row, event.EventName);
        grdEvent->SetCells(colFontName, row, event.FontName);
        grdEvent->SetCells(colFontSize, row, IntToStr(event.FontSize));
        grdEvent->SetCells(colLine, row, IntToStr(event.Line + 1));
        grdEvent->SetCells(colPosition, row, event.Position < Positions.size() ? Positions[event.Position] : "");
        grdEvent->SetCells(colDone, row, IntToStr(event.EndFlg));
        colors_[i + 1] = event.FontColor;
    }
}

void TdlgEvent::grdEventDrawCell(TObject *, int col, int row, TRect rect, TGridDrawState)
{
    if (col != colColor || row < grdEvent->FixedRows() || row >= static_cast<int>(colors_.size()))
        return;
    TCanvas &canvas = grdEvent->Canvas();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(colors_[static_cast<size_t>(row)]);
    canvas.Rectangle(rect);
}

void TdlgEvent::grdEventSelectCell(TObject *, int col, int row, bool &)
{
    if (col != colColor || row < grdEvent->FixedRows() || row >= static_cast<int>(colors_.size()))
        return;
    if (auto chosen = Services().ColorDialog(ColorToRGB(colors_[static_cast<size_t>(row)]))) {
        colors_[static_cast<size_t>(row)] = *chosen;
        grdEvent->InvalidateCell(col, row);
    }
}

void TdlgEvent::btnAddClick(TObject *)
{
    if (!grdEvent->InsertRow())
        return;
    colors_.insert(colors_.begin() + grdEvent->Row(), 0);
    colors_.resize(static_cast<size_t>(grdEvent->RowCount()), 0);
}

void TdlgEvent::btnDelClick(TObject *)
{
    int row = grdEvent->Row();
    if (grdEvent->RowCount() - grdEvent->FixedRows() <= 1)
        colors_[static_cast<size_t>(row)] = 0;
    else
        colors_.erase(colors_.begin() + row);
    grdEvent->DeleteCurrentRow();
    colors_.resize(static_cast<size_t>(grdEvent->RowCount()), 0);
}

// A date committed in a row fills each default cell that is still empty.
void TdlgEvent::grdEventCellValidate(TObject *, int col, int row)
{
    if (col != colDate)
        return;
    auto fill = [&](int c, const std::string &text) {
        if (grdEvent->Cells(c, row).empty())
            grdEvent->SetCells(c, row, text);
    };
    if (grdEvent->Cells(colMarker, row).empty())
        colors_[static_cast<size_t>(row)] = 0;
    fill(colMarker, Markers.front());
    fill(colFontName, grdEvent->Font().Name());
    fill(colFontSize, IntToStr(grdEvent->Font().Size()));
    fill(colLine, "1");
    fill(colPosition, Positions.front());
    fill(colDone, "0");
}

namespace {

// The cells' conversions name the text the cell holds when it is no date or
// no integer.
TDateTime CellDate(const std::string &cell)
{
    TDateTime date;
    if (!TryStrToDate(CalendarCellToSlashes(cell), date))
        throw EConvertError("'" + cell + "' は正しい日付ではありません。");
    return date;
}

int CellInteger(const std::string &cell)
{
    int value;
    if (!TryStrToInt(cell, value))
        throw EConvertError("'" + cell + "' は正しい整数ではありません。");
    return value;
}

} // namespace

std::vector<TEvent> TdlgEvent::ConvertRows()
{
    std::vector<TEvent> events;
    for (int row = grdEvent->FixedRows(); row < grdEvent->RowCount(); ++row) {
        if (Trim(grdEvent->Cells(colDate, row)).empty())
            continue;
        TEvent event;
        event.EventDate = CellDate(grdEvent->Cells(colDate, row));
        event.Marker = grdEvent->Cells(colMarker, row);
        event.EventName = grdEvent->Cells(colName, row);
        event.FontName = grdEvent->Cells(colFontName, row);
        event.FontSize = CellInteger(grdEvent->Cells(colFontSize, row));
        event.FontColor = colors_[static_cast<size_t>(row)];
        event.Line = CellInteger(grdEvent->Cells(colLine, row)) - 1;
        event.Position = PositionOf(grdEvent->Cells(colPosition, row));
        std::string done = grdEvent->Cells(colDone, row);
        event.EndFlg = static_cast<std::uint8_t>(done.empty() ? 0 : CellInteger(done));
        events.push_back(std::move(event));
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const TEvent &a, const TEvent &b) { return CompareEventDate(a.EventDate, b.EventDate) < 0; });
    return events;
}

void TdlgEvent::btnOkClick(TObject *)
{
    grdEvent->CommitEditor();
    std::vector<TEvent> events;
    try {
        events = ConvertRows();
    } catch (const EConvertError &e) {
        Application().HandleException(e);
        return;
    }
    item_.FEvents = std::move(events);
    Modified = true;
    SetModalResult(mrOk);
}

bool ShowEventDialog(TItem &item)
{
    TdlgEvent dialog(nullptr, item);
    return dialog.ShowModal() == mrOk;
}
