// Editing the chart with the mouse and the keyboard: selecting, moving and
// stretching bars, carrying bars and rows with Shift, put-chart and group-set
// modes, the in-place text editor, and Esc and Delete.
#include "schedule/Main.h"

#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kOffChart = 10;  // bars and the preview reach this far past either edge

std::string ShownDate(TDateTime date) { return FormatDateTime("yyyy/MM/dd", date); }

// The end is exclusive: a whole-day end shows the day before.
std::string ShownEndDate(TDateTime end)
{
    TDateTime last = std::trunc(end);
    if (last == end)
        last -= 1;
    return ShownDate(last);
}

std::string SpanText(TDateTime start, TDateTime end)
{
    return "開始" + ShownDate(start) + "  終了" + ShownEndDate(end);
}

void FocusIfShown(TWinControl &control)
{
    if (control.HandleAllocated() && control.CanFocus())
        control.SetFocus();
}

// A row caption far from the view has no window until it takes the focus.
void FocusCaption(TMemo &caption)
{
    if (caption.CanFocus())
        caption.SetFocus();
}

} // namespace

// ---------------------------------------------------------------- shared pieces

void TfrmMain::BindEditingHandlers()
{
    host_.ChartMouseDown = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        txtChartMouseDown(s, b, sh, x, y);
    };
    host_.ChartMouseMove = [this](TObject *s, TShiftState sh, int x, int y) { txtChartMouseMove(s, sh, x, y); };
    host_.ChartMouseUp = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        txtChartMouseUp(s, b, sh, x, y);
    };
    host_.BandMouseDown = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        shpItemMouseDown(s, b, sh, x, y);
    };
    host_.BandMouseMove = [this](TObject *s, TShiftState sh, int x, int y) { shpItemMouseMove(s, sh, x, y); };
    host_.BandDragOver = [this](TObject *s, TObject *src, int x, int y, TDragState st, bool &a) {
        shpItemDragOver(s, src, x, y, st, a);
    };
    host_.BandDragDrop = [this](TObject *s, TObject *src, int x, int y) { shpItemDragDrop(s, src, x, y); };
    host_.ItemEnter = [this](TObject *s) { memItemEnter(s); };
    host_.ItemMouseDown = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        memItemMouseDown(s, b, sh, x, y);
    };
    host_.ItemMouseMove = [this](TObject *s, TShiftState sh, int x, int y) { memItemMouseMove(s, sh, x, y); };
    host_.ItemDragOver = [this](TObject *s, TObject *src, int x, int y, TDragState st, bool &a) {
        memItemDragOver(s, src, x, y, st, a);
    };
    host_.ItemDragDrop = [this](TObject *s, TObject *src, int x, int y) { memItemDragDrop(s, src, x, y); };

    auto disableChartPopup = [this](TObject *, TMouseButton, TShiftState, int, int) { DisableChartPopupItems(); };
    imgBase->OnMouseDown = disableChartPopup;
    pnlItem->OnMouseDown = disableChartPopup;
    pmn1->OnPopup = [this](TObject *) { pmn1Popup(); };
    memChartComment->OnExit = [this](TObject *) { CommitChartComment(); };
    memChartComment->OnChange = [](TObject *) { Modified = true; };
    edtHdTitle->OnEnter = [this](TObject *s) { edtHdTitleEnter(s); };
    OnKeyDown = [this](TObject *s, int &key, TShiftState shift) { FormKeyDown(s, key, shift); };
}

// ---------------------------------------------------------------- the chart popup

void TfrmMain::DisableChartPopupItems()
{
    for (TMenuItem *m : {mitChartAdd2, mitChartDelete2, mitColorChange2, mitFontColorChange2, mitCut2, mitCopy2,
                         mitPaste, mitChartInfo2})
        m->SetEnabled(false);
}

void TfrmMain::EnableBandPopupItems()
{
    DisableChartPopupItems();
    mitChartAdd2->SetEnabled(true);
    mitPaste->SetEnabled(FClipChart != nullptr);
}

void TfrmMain::EnableBarPopupItems()
{
    DisableChartPopupItems();
    for (TMenuItem *m : {mitChartDelete2, mitColorChange2, mitFontColorChange2, mitCut2, mitCopy2, mitChartInfo2})
        m->SetEnabled(true);
}

void TfrmMain::SetPopupBand(TShape *band)
{
    if (FPopupBand == band)
        return;
    if (FPopupBand)
        FPopupBand->RemoveFreeNotification(this);
    FPopupBand = band;
    if (band)
        band->FreeNotification(this);
}

void TfrmMain::Notification(TComponent *component, TOperation operation)
{
    TForm::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FPopupBand)
        FPopupBand = nullptr;
}

// The popup also opens over the chart's other children (a progress strip,
// the in-place editor, the drag preview), whose presses set no items: the
// bar and band items are offered only for the band or the selected bar the
// right press was on, nothing otherwise.
void TfrmMain::pmn1Popup()
{
    const TComponent *source = pmn1->PopupComponent();
    if (source && source == FPopupBand)
        EnableBandPopupItems();
    else if (source && SelectedChart && source == SelectedChart->FBar.get())
        EnableBarPopupItems();
    else
        DisableChartPopupItems();
}

// ---------------------------------------------------------------- selection

void TfrmMain::DeselectChart()
{
    if (!SelectedChart)
        return;
    SelectedChart->FSelected = false;
    SelectedChart->FBar->Font().SetStyle(0);
    SelectedChart->FBar->SetBevelColor(0);
    SelectedChart = nullptr;
    mitCopy1->SetEnabled(false);
    mitCut1->SetEnabled(false);
}

void TfrmMain::SelectChart(TChart &chart)
{
    if (SelectedChart && SelectedChart != &chart) {
        SelectedChart->FSelected = false;
        SelectedChart->FBar->Font().SetStyle(0);
        SelectedChart->FBar->SetBevelColor(0);
    }
    chart.FSelected = true;
    chart.FBar->Font().SetStyle(fsBold);
    chart.FBar->SetBevelColor(SelectColor);
    SelectedChart = &chart;
}

void TfrmMain::LoadFontToolbar(const TChart &chart)
{
    for (TControl *c : std::initializer_list<TControl *>{cmbChartCnt, cmbFontName, cmbFontSize, pnlFontColor,
                                                         pnlBgColor, cmbAlignment})
        c->SetEnabled(true);
    long row = chart.FBar->Tag();
    if (row >= 0 && row < static_cast<long>(ItemList.size()))
        cmbChartCnt->SetText(IntToStr(ItemList[static_cast<size_t>(row)]->FLineCount));
    cmbFontName->SetText(chart.FBar->Font().Name());
    cmbFontSize->SetText(IntToStr(chart.FBar->Font().Size()));
    switch (chart.FBar->Alignment()) {
    case taLeftJustify: cmbAlignment->SetText("左寄せ"); break;
    case taCenter: cmbAlignment->SetText("中央"); break;
    case taRightJustify: cmbAlignment->SetText("右寄せ"); break;
    }
    pnlFontColor->SetColor(chart.FBar->Font().Color());
    pnlBgColor->SetColor(chart.FBar->Color());
}

void TfrmMain::EndModes()
{
    FPutChartMode = false;
    GroupSetName.clear();
    GroupSetColor = static_cast<TColor>(-1);
    Screen().SetCursor(crDefault);
}

void TfrmMain::CommitChartComment()
{
    if (!memChartComment->Visible())
        return;
    if (SelectedChart)
        SelectedChart->FBar->SetCaption(memChartComment->Text());
    memChartComment->Hide();
    stb1->SetPanelText(1, "");
    FocusIfShown(*txtDummy);
}

// ---------------------------------------------------------------- bars

void TfrmMain::PlaceDragPreview(const TChart &chart)
{
    int x1 = DateToPixel(PixelsPerDay, chart.FStartDate);
    int x2 = DateToPixel(PixelsPerDay, chart.FEndDate);
    int limit = pnlBase->Width() + kOffChart;
    int left = x1 <= -kOffChart ? -kOffChart : x1;
    int right = std::min(x2, limit);
    pnlChartSelect->SetBounds(left, chart.FBar->Top() - 2, std::max(1, right - left), 2);
}

void TfrmMain::txtChartMouseDown(TObject *sender, TMouseButton button, TShiftState shift, int x, int)
{
    auto *bar = static_cast<TBevelLabel *>(sender);
    if (x > bar->WidthEx())
        return;
    CommitChartComment();
    TChart *chart = FindChart(bar);
    if (!chart)
        return;
    SelectChart(*chart);
    FocusIfShown(*txtDummy);
    mitCopy1->SetEnabled(true);
    mitCut1->SetEnabled(true);
    stb1->SetPanelText(1, SpanText(chart->FStartDate, chart->FEndDate));
    long row = bar->Tag();
    if (row >= 0 && row < static_cast<long>(ItemList.size()))
        SelectItem(ItemList[static_cast<size_t>(row)].get());
    UpdateItemCounter();
    LoadFontToolbar(*chart);

    if (GroupSetColor != static_cast<TColor>(-1)) {
        chart->FGroup = GroupSetName;
        bar->SetColor(GroupSetColor);
        pnlBgColor->SetColor(GroupSetColor);
        ChartHintText(*chart);
        Modified = true;
    } else if (shift & ssDouble) {
        memChartComment->SetBounds(std::max(bar->Left(), 0), bar->Top() + bar->Height() / 2, memChartComment->Width(),
                                   memChartComment->Height());
        memChartComment->SetText(bar->Caption());
        memChartComment->Show();
        memChartComment->BringToFront();
        FocusIfShown(*memChartComment);
    } else if (button == mbRight) {
        bar->BringToFront();
        EnableBarPopupItems();
    } else if (button == mbLeft && (shift & ssShift)) {
        bar->BeginDrag(true);
    } else if (button == mbLeft) {
        PlaceDragPreview(*chart);
        if (DoubleBufferedOn)
            pnlBase->SetDoubleBuffered(false);
        pnlChartSelect->Show();
        pnlChartSelect->BringToFront();
        FPressX = x;
        ChartDragState = x <= 2 ? 1 : x >= bar->WidthEx() - 3 ? 2 : 0;
    }
}

void TfrmMain::txtChartMouseMove(TObject *sender, TShiftState, int x, int)
{
    if (GroupSetColor != static_cast<TColor>(-1))
        return;
    auto *bar = static_cast<TBevelLabel *>(sender);
    bar->SetCursor(x <= 2 || x >= bar->WidthEx() - 3 ? crSizeWE : 6);
    stb1->SetPanelText(2, "Shiftキーを押しながらチャートをDragできます。");
    if (ChartDragState == 3)
        return;
    TChart *chart = FindChart(bar);
    if (!chart)
        return;
    int x1 = DateToPixel(PixelsPerDay, chart->FStartDate);
    int x2 = DateToPixel(PixelsPerDay, chart->FEndDate);
    int d = x - FPressX;
    int top = pnlChartSelect->Top();
    if (ChartDragState == 0) {
        int left = std::max(x1 + d, -kOffChart);
        int right = std::min(x2 + d, pnlBase->Width() + kOffChart);
        pnlChartSelect->SetBounds(left, top, std::max(1, right - left), 2);
        if (pnlChartSelect->Visible())
            stb1->SetPanelText(1, SpanText(PixelToDate(x1 + d), PixelToDate(x2 + d)));
    } else if (ChartDragState == 1) {
        int left = x1 + d;
        int width = left > x2 - 1 ? 1 : x2 - left;
        left = std::min(left, x2 - 1);
        pnlChartSelect->SetBounds(left, top, width, 2);
        stb1->SetPanelText(1, SpanText(PixelToDate(left), chart->FEndDate));
    } else if (ChartDragState == 2) {
        int left = pnlChartSelect->Left();
        int width = std::max(1, x2 + d - left);
        pnlChartSelect->SetBounds(left, top, width, 2);
        stb1->SetPanelText(1, SpanText(chart->FStartDate, PixelToDate(left + width)));
    }
}

namespace {

// Steps the dragged edge outwards until the bar has a length. Below one pixel
// per day a single pixel is already more than a day, so at least one step is
// always tried, and a bar that still has none gets one day.
void RepairZeroLength(const TfrmMain &form, int state, int previewLeft, int previewRight, TDateTime &start,
                      TDateTime &end)
{
    if (start != end || (state != 1 && state != 2))
        return;
    int steps = std::max(1, RoundInt(PixelsPerDay)) + 1;
    for (int i = 1; i <= steps && start == end; ++i) {
        if (state == 1)
            start = form.PixelToDate(previewLeft - i);
        else
            end = form.PixelToDate(previewRight + i);
    }
    if (start == end) {
        if (state == 1)
            start = end - 1;
        else
            end = start + 1;
    }
}

} // namespace

void TfrmMain::txtChartMouseUp(TObject *sender, TMouseButton, TShiftState, int x, int)
{
    auto *bar = static_cast<TBevelLabel *>(sender);
    bar->BringToFront();
    if (ChartDragState == 3)
        return;
    if (DoubleBufferedOn)
        pnlBase->SetDoubleBuffered(true);
    TChart *chart = FindChart(bar);
    if (x == FPressX || !chart) {
        ChartDragState = 3;
        pnlChartSelect->Hide();
        return;
    }
    int x1 = DateToPixel(PixelsPerDay, chart->FStartDate);
    int x2 = DateToPixel(PixelsPerDay, chart->FEndDate);
    int previewLeft = pnlChartSelect->Left();
    int previewRight = previewLeft + pnlChartSelect->Width();
    int state = ChartDragState;
    TDateTime start, end;
    if (state == 0) {
        start = PixelToDate(x1 + x - FPressX);
        end = static_cast<TDateTime>(start + chart->FDuration);
    } else if (state == 1) {
        start = PixelToDate(previewLeft);
        end = PixelToDate(x2);
    } else {
        start = PixelToDate(x1);
        end = PixelToDate(previewRight);
    }
    RepairZeroLength(*this, state, previewLeft, previewRight, start, end);
    // Dragged past an end of the calendar, a moved bar stops against it with
    // its length, a stretched edge at it.
    if (state == 0) {
        KeepSpanInCalendar(start, end);
    } else {
        start = HeldToCalendar(start);
        end = HeldEnd(start, end);
    }
    chart->FStartDate = start;
    chart->FEndDate = end;
    chart->FDuration = static_cast<long double>(end) - start;
    ChartDragState = 3;

    int width = pnlBase->Width();
    int startPixel = DateToPixel(PixelsPerDay, start);
    int endPixel = DateToPixel(PixelsPerDay, end);
    int left = startPixel <= -kOffChart ? -kOffChart : startPixel;
    bar->SetLeft(left);
    bar->SetWidthEx(std::max(0, std::min(endPixel, width + kOffChart) - left));
    // Like the redraw: a bar wholly outside the chart is hidden.
    bool outside = startPixel > width || endPixel < 0;
    bar->SetVisible(!outside);
    stb1->SetPanelText(1, "");
    if (chart->FProgressBar) {
        if (JissekiHyouji == 0) {
            chart->FProgressBar->SetLeft(bar->Left());
            chart->FProgressBar->SetWidthEx(static_cast<int>(std::trunc(bar->WidthEx() * chart->FRitsu / 100)));
        }
        if (outside)
            chart->FProgressBar->Hide();
    }
    ChartHintText(*chart);
    if (AutoMove)
        AutoMoveCharts(static_cast<int>(bar->Tag()), chart->FLine);
    bar->Invalidate();
    pnlChartSelect->Hide();
    Modified = true;
}

// ---------------------------------------------------------------- line bands

void TfrmMain::shpItemMouseDown(TObject *sender, TMouseButton button, TShiftState, int x, int y)
{
    auto *band = static_cast<TShape *>(sender);
    CommitChartComment();
    if (button == mbRight) {
        FPopupX = x;
        FPopupY = y;
        SetPopupBand(band);
        EnableBandPopupItems();
        return;
    }
    long rowIndex = band->Tag();
    if (button != mbLeft || rowIndex < 0 || rowIndex >= static_cast<long>(ItemList.size()))
        return;
    TItem &row = *ItemList[static_cast<size_t>(rowIndex)];
    SelectItem(&row);
    UpdateItemCounter();
    cmbChartCnt->SetText(IntToStr(row.FLineCount));
    if (FPutChartMode) {
        AddChart(*band, x, false);
        if (SelectedChart)
            LoadFontToolbar(*SelectedChart);
        cmbAlignment->SetText("中央");
        FocusIfShown(*txtDummy);
        EndModes();
    } else {
        FocusCaption(*row.FMemo);
    }
}

void TfrmMain::shpItemMouseMove(TObject *, TShiftState, int, int)
{
    stb1->SetPanelText(1, "");
    stb1->SetPanelText(2, "");
}

void TfrmMain::shpItemDragOver(TObject *, TObject *source, int, int, TDragState, bool &accept)
{
    // Only bars may be dropped on a line band.
    auto *control = dynamic_cast<TControl *>(source);
    accept = control && FindChart(control) != nullptr;
}

void TfrmMain::shpItemDragDrop(TObject *sender, TObject *source, int, int)
{
    auto *band = static_cast<TShape *>(sender);
    auto *control = dynamic_cast<TControl *>(source);
    if (!SelectedChart || !control || FindChart(control) != SelectedChart)
        return;
    long from = SelectedChart->FBar->Tag();
    long to = band->Tag();
    if (from < 0 || from >= static_cast<long>(ItemList.size()) || to < 0 || to >= static_cast<long>(ItemList.size()))
        return;
    auto &source_charts = ItemList[static_cast<size_t>(from)]->FCharts;
    auto it = std::find_if(source_charts.begin(), source_charts.end(),
                           [](const auto &c) { return c.get() == SelectedChart; });
    if (it == source_charts.end())
        return;
    std::unique_ptr<TChart> moved = std::move(*it);
    source_charts.erase(it);
    TItem &row = *ItemList[static_cast<size_t>(to)];
    TChart &chart = *moved;
    row.FCharts.push_back(std::move(moved));
    SelectItem(&row);
    UpdateItemCounter();
    for (int j = 0; j < row.FLineCount; ++j)
        if (row.FLines[static_cast<size_t>(j)].get() == band)
            chart.FLine = j;
    chart.FBar->SetTag(to);
    chart.FBar->SetBounds(chart.FBar->Left(), band->Top() + band->Height() / 5, chart.FBar->Width(),
                          band->Height() - band->Height() / 2);
    if (chart.FProgressBar)
        chart.FProgressBar->SetTop(chart.FBar->Top() + chart.FBar->Height() - 1);
    if (AutoMove)
        AutoMoveCharts(static_cast<int>(to), chart.FLine);
    pnlChartSelect->Hide();
    Modified = true;
}

// ---------------------------------------------------------------- row captions

void TfrmMain::memItemEnter(TObject *sender)
{
    auto *memo = static_cast<TMemo *>(sender);
    long rowIndex = memo->Tag();
    if (rowIndex < 0 || rowIndex >= static_cast<long>(ItemList.size()))
        return;
    const TItem &row = *ItemList[static_cast<size_t>(rowIndex)];
    SelectItem(ItemList[static_cast<size_t>(rowIndex)].get());
    UpdateItemCounter();
    for (TControl *c : std::initializer_list<TControl *>{cmbChartCnt, cmbFontName, cmbFontSize, pnlFontColor,
                                                         pnlBgColor})
        c->SetEnabled(true);
    cmbAlignment->SetEnabled(false);
    cmbChartCnt->SetText(IntToStr(row.FLineCount));
    cmbFontName->SetText(memo->Font().Name());
    cmbFontSize->SetText(IntToStr(memo->Font().Size()));
    pnlFontColor->SetColor(memo->Font().Color());
    pnlBgColor->SetColor(memo->Color());
    DeselectChart();
    EndModes();
}

void TfrmMain::memItemMouseDown(TObject *sender, TMouseButton button, TShiftState shift, int, int)
{
    auto *memo = static_cast<TMemo *>(sender);
    if (button == mbRight) {
        FocusCaption(*memo);
    } else if (button == mbLeft && (shift & ssShift)) {
        long rowIndex = memo->Tag();
        if (rowIndex >= 0 && rowIndex < static_cast<long>(ItemList.size()))
            SelectItem(ItemList[static_cast<size_t>(rowIndex)].get());
        memo->BeginDrag(true);
    }
}

void TfrmMain::memItemMouseMove(TObject *sender, TShiftState, int, int)
{
    stb1->SetPanelText(1, "項目の高さ:" + IntToStr(static_cast<TControl *>(sender)->Height()));
    stb1->SetPanelText(2, "Shiftキーを押しながら項目をDragできます。");
}

namespace {

bool IsRowCaption(const TObject *object)
{
    return std::any_of(ItemList.begin(), ItemList.end(),
                       [object](const auto &row) { return row->FMemo.get() == object; });
}

} // namespace

void TfrmMain::memItemDragOver(TObject *, TObject *source, int, int, TDragState, bool &accept)
{
    // Only row captions may be dropped on a row caption.
    accept = IsRowCaption(source);
}

void TfrmMain::memItemDragDrop(TObject *sender, TObject *source, int, int)
{
    if (!IsRowCaption(source) || !SelectedItem)
        return;
    auto *target = static_cast<TMemo *>(sender);
    // Covers the window while the rows are rearranged.
    auto cover = std::make_unique<TPanel>(nullptr);
    cover->SetColor(clWhite);
    cover->SetBevelOuter(bvNone);
    cover->SetBounds(0, 0, ClientWidth(), ClientHeight());
    cover->SetParent(this);
    cover->BringToFront();
    if (target != SelectedItem->FMemo.get()) {
        RelayoutItems(static_cast<int>(target->Tag()));
        UpdateItemCounter();
    }
}

// ---------------------------------------------------------------- title and keys

void TfrmMain::edtHdTitleEnter(TObject *)
{
    DisableFontControls();
    SelectedItem = nullptr;
    DeselectChart();
    EndModes();
}

namespace {

// Whether the control takes typed text (the inert focus target does not count).
bool EditsText(const TWinControl *control, const TWinControl *inert)
{
    if (!control || control == inert)
        return false;
    if (dynamic_cast<const TCustomEdit *>(control))
        return true;
    auto *combo = dynamic_cast<const TComboBox *>(control);
    return combo && combo->Style() == csDropDown;
}

} // namespace

void TfrmMain::FormKeyDown(TObject *, int &key, TShiftState)
{
    if (key == VK_ESCAPE) {
        EndModes();
        key = 0;
    } else if (key == VK_DELETE) {
        if (memChartComment->Visible() || EditsText(FocusedControl(), txtDummy))
            return;
        if (DeleteChart())
            key = 0;
    }
}
