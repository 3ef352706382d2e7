#include "schedule/printing/Preview.h"

TfrmPreview *frmPreview = nullptr;

namespace {

TLabel *ToolCaption(TPanel *panel, const std::string &text, int &left, int width)
{
    auto *label = PlaceControl<TLabel>(panel, left, 8, width, 17);
    label->SetCaption(text);
    left += width + 2;
    return label;
}

} // namespace

TSpeedButton *TfrmPreview::ToolButton(int &left, const std::string &face, const std::string &hint)
{
    auto *button = PlaceControl<TSpeedButton>(pnlTool, left, 3, 28, 24);
    // The face is its text drawn on the transparent colour.
    TBitmap &glyph = button->Glyph();
    glyph.SetSize(24, 16);
    glyph.Canvas().Brush().SetColor(clFuchsia);
    glyph.Canvas().FillRect(TRect{0, 0, 24, 16});
    glyph.Canvas().Brush().SetStyle(bsClear);
    glyph.Canvas().Font().SetColor(clBlack);
    TRect rect{0, 0, 24, 16};
    glyph.Canvas().DrawText(face, rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    button->SetHint(hint);
    button->SetShowHint(true);
    left += 29;
    return button;
}

TfrmPreview::TfrmPreview(TComponent *owner) : TForm(owner)
{
    SetName("frmPreview");
    SetCaption("プレビュー");
    SetFormStyle(fsStayOnTop);
    SetPosition(poMainFormCenter);
    SetClientSize(800, 600);
    pnlTool = new TPanel(this);
    pnlTool->SetParent(this);
    pnlTool->SetAlign(alTop);
    pnlTool->SetHeight(30);
    pnlTool->SetCaption("");
    int left = 6;
    ToolCaption(pnlTool, "ページ", left, 36);
    spePage = PlaceControl<TSpinEdit>(pnlTool, left, 4, 50, 22);
    spePage->SetRange(1, 100);
    spePage->SetValue(1);
    spePage->SetMaxLength(3);
    spePage->SetHint("Zoom to the specified percentage");
    spePage->SetShowHint(true);
    spePage->OnChange = [this](TObject *s) { spePageChange(s); };
    left += 54;
    btnFirst = ToolButton(left, "|◀", "最初のページ");
    btnFirst->OnClick = [this](TObject *s) { btnFirstClick(s); };
    btnPrior = ToolButton(left, "◀", "前のページ");
    btnPrior->OnClick = [this](TObject *s) { btnPriorClick(s); };
    btnNext = ToolButton(left, "▶", "次のページ");
    btnNext->OnClick = [this](TObject *s) { btnNextClick(s); };
    btnLast = ToolButton(left, "▶|", "最後のページ");
    btnLast->OnClick = [this](TObject *s) { btnLastClick(s); };
    left += 8;
    ToolCaption(pnlTool, "倍率", left, 28);
    speZoom = PlaceControl<TSpinEdit>(pnlTool, left, 4, 56, 22);
    speZoom->SetRange(10, 300);
    speZoom->SetIncrement(10);
    speZoom->SetValue(100);
    speZoom->SetHint("Zoom to the specified percentage");
    speZoom->SetShowHint(true);
    speZoom->OnChange = [this](TObject *s) { speZoomChange(s); };
    left += 58;
    ToolCaption(pnlTool, "％", left, 16);
    btnFit = ToolButton(left, "□", "フィット");
    btnFit->OnClick = [this](TObject *s) { btnFitClick(s); };
    SpeedButton1 = ToolButton(left, "1:1", "１００％");
    SpeedButton1->OnClick = [this](TObject *s) { SpeedButton1Click(s); };
    SpeedButton2 = ToolButton(left, "↔", "ページ幅に合わせる");
    SpeedButton2->OnClick = [this](TObject *s) { SpeedButton2Click(s); };
    left += 10;
    btnPrint = ToolButton(left, "印刷", "印刷");
    left += 10;
    btnClose = PlaceControl<TButton>(pnlTool, left, 3, 80, 24);
    btnClose->SetCaption("閉じる(&X)");
    btnClose->SetHint("プレビューを閉じる");
    btnClose->SetShowHint(true);
    btnClose->OnClick = [this](TObject *s) { btnCloseClick(s); };

    pre1 = new TRpPreview(this);
    pre1->SetParent(this);
    pre1->SetAlign(alClient);
    pre1->SetZoom(100);
    pre1->OnPageAvailable = [this](TObject *s, int page) { pre1PageAvailable(s, page); };
    OnClose = [this](TObject *s, TCloseAction &action) { FormClose(s, action); };
    SetWindowState(wsMaximized);
}

int TfrmPreview::PageCount() const { return pre1->Printer() ? pre1->Printer()->PageCount() : 0; }

void TfrmPreview::GoToPage(int page)
{
    spePage->SetValue(page);
    pre1->SetPageNumber(spePage->Value());
}

void TfrmPreview::pre1PageAvailable(TObject *, int)
{
    ProcessMessages();
    if (PageCount() > 1) {
        spePage->SetEnabled(true);
        spePage->SetRange(spePage->MinValue(), PageCount());
    } else {
        spePage->SetEnabled(false);
    }
    speZoom->SetValue(pre1->Zoom());
}

void TfrmPreview::speZoomChange(TObject *)
{
    ProcessMessages();
    pre1->SetZoom(speZoom->Value());
}

void TfrmPreview::btnFitClick(TObject *)
{
    ProcessMessages();
    pre1->ZoomToFit();
    speZoom->SetValue(pre1->Zoom());
}

void TfrmPreview::SpeedButton1Click(TObject *)
{
    ProcessMessages();
    pre1->SetZoom(100);
    speZoom->SetValue(pre1->Zoom());
}

void TfrmPreview::SpeedButton2Click(TObject *)
{
    ProcessMessages();
    pre1->ZoomToWidth();
    speZoom->SetValue(pre1->Zoom());
}

void TfrmPreview::spePageChange(TObject *)
{
    ProcessMessages();
    pre1->SetPageNumber(spePage->Value());
}

void TfrmPreview::btnFirstClick(TObject *)
{
    ProcessMessages();
    GoToPage(1);
}

void TfrmPreview::btnPriorClick(TObject *)
{
    ProcessMessages();
    if (pre1->PageNumber() >= 2)
        GoToPage(pre1->PageNumber() - 1);
}

void TfrmPreview::btnNextClick(TObject *)
{
    ProcessMessages();
    if (pre1->PageNumber() < PageCount())
        GoToPage(pre1->PageNumber() + 1);
}

void TfrmPreview::btnLastClick(TObject *)
{
    ProcessMessages();
    GoToPage(PageCount());
}

void TfrmPreview::btnCloseClick(TObject *) { Close(); }

void TfrmPreview::FormClose(TObject *, TCloseAction &action)
{
    // Detaching ends the report's preview; the report frees its printer with it.
    pre1->AttachPrinter(nullptr);
    if (frmPreview == this)
        frmPreview = nullptr;
    action = caFree;
}
