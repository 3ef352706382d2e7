#include "report/RpStdPrev.h"

#include "platform/kernel/Application.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "report/RpPageStore.h"
#include "report/RpPrgres.h"

#include <algorithm>

namespace {

constexpr int kThumbHeight = 140;

std::string PageText(int n) { return "Page " + std::to_string(n); }

// The saved-report entry, then one entry per registered export filter.
std::string SaveFilter()
{
    std::string filter = "Report file (*.RPF)|*.RPF";
    for (const TRpExportFilterLibrary::TEntry &entry : ExportFilterLibrary().Entries())
        filter += "|" + entry.Description + " (*." + entry.Extension + ")|*." + entry.Extension;
    return filter;
}

TButton *ToolButton(TWinControl *bar, int &left, const std::string &caption, const std::string &hint, int width = 58)
{
    auto *button = PlaceControl<TButton>(bar, left, 3, width, 26);
    button->SetCaption(caption);
    button->SetHint(hint);
    button->SetShowHint(true);
    left += width + 2;
    return button;
}

TCheckButton *ZoomButton(TWinControl *bar, int &left, const std::string &caption, const std::string &hint)
{
    auto *button = PlaceControl<TCheckButton>(bar, left, 3, 58, 26);
    button->GroupIndex = 1;
    button->SetCaption(caption);
    button->SetHint(hint);
    button->SetShowHint(true);
    left += 60;
    return button;
}

} // namespace

TRpStandardPreview::TRpStandardPreview(TComponent *owner, TRpPrinter *printer) : TForm(owner), printer_(printer)
{
    SetKeyPreview(true);
    SetShowHint(true);
    SetClientSize(900, 640);
    ToolBar = PlaceControl<TPanel>(this, 0, 0, 900, 32);
    ToolBar->SetAlign(alTop);
    int left = 2;
    ZoomFit = ZoomButton(ToolBar, left, "Fit", "Zoom to fit");
    ZoomToWidth = ZoomButton(ToolBar, left, "Width", "Zoom to width");
    Zoom100 = ZoomButton(ToolBar, left, "100%", "100% Size");
    left += 8;
    FirstPage = ToolButton(ToolBar, left, "|<", "First page", 34);
    PreviousPage = ToolButton(ToolBar, left, "<", "Previous page", 34);
    nextPage = ToolButton(ToolBar, left, ">", "Next page", 34);
    LastPage = ToolButton(ToolBar, left, ">|", "Last page", 34);
    GotoPageButton = ToolButton(ToolBar, left, "Go to", "Select a Page");
    FindButton = ToolButton(ToolBar, left, "Find", "Search for Text");
    left += 8;
    PrintSetup = ToolButton(ToolBar, left, "Setup", "Printer setup");
    Print = ToolButton(ToolBar, left, "Print", "Print");
    SaveReport = ToolButton(ToolBar, left, "Save", "Save report");
    LoadReport = ToolButton(ToolBar, left, "Load", "Load report");
    left += 8;
    ExitButton = ToolButton(ToolBar, left, "&Close", "Close Preview");

    StatusBar = PlaceControl<TStatusBar>(this, 0, 620, 900, 20);
    StatusBar->SetAlign(alBottom);
    StatusBar->AddPanel(60);
    StatusBar->AddPanel(140);
    StatusBar->AddPanel(400);

    Tabs = PlaceControl<TPageControl>(this, 0, 32, 180, 588);
    Tabs->SetAlign(alLeft);
    TabThumbs = PlaceControl<TTabSheet>(Tabs, 0, 0, 180, 560);
    TabThumbs->SetPageControl(Tabs);
    TabThumbs->SetCaption("ThumbNails");
    TabSearchResult = PlaceControl<TTabSheet>(Tabs, 0, 0, 180, 560);
    TabSearchResult->SetPageControl(Tabs);
    TabSearchResult->SetCaption("Search Results");
    ThumbGrid = PlaceControl<TDrawGrid>(TabThumbs, 0, 0, 176, 556);
    ThumbGrid->SetAlign(alClient);
    ThumbGrid->SetFixedCols(0);
    ThumbGrid->SetFixedRows(0);
    ThumbGrid->SetColCount(1);
    ThumbGrid->SetRowCount(1);
    ThumbGrid->SetDefaultRowHeight(kThumbHeight);
    ThumbGrid->SetOptions(goRowSelect);
    SearchTextLabel = PlaceControl<TLabel>(TabSearchResult, 4, 4, 168, 16);
    SearchTextLabel->SetCaption("Search Text");
    SearchResultBox = PlaceControl<TListBox>(TabSearchResult, 4, 24, 168, 528);
    Tabs->SetActivePageIndex(0);

    RpPreview = PlaceControl<TRpPreview>(this, 180, 32, 720, 588);
    RpPreview->SetAlign(alClient);
    OutlineView = new TTreeView(this);
    RpPreview->SetOutline(OutlineView);

    ZoomFit->OnClick = [this](TObject *s) { ZoomToFitClick(s); };
    ZoomToWidth->OnClick = [this](TObject *s) { ZoomToWidthClick(s); };
    Zoom100->OnClick = [this](TObject *s) { ZoomTo100Click(s); };
    FirstPage->OnClick = [this](TObject *s) { FirstPageClick(s); };
    PreviousPage->OnClick = [this](TObject *s) { PrevPageClick(s); };
    nextPage->OnClick = [this](TObject *s) { NextPageClick(s); };
    LastPage->OnClick = [this](TObject *s) { LastPageClick(s); };
    GotoPageButton->OnClick = [this](TObject *s) { GotoPageButtonClick(s); };
    FindButton->OnClick = [this](TObject *s) { FindButtonClick(s); };
    PrintSetup->OnClick = [this](TObject *s) { PrintSetupClick(s); };
    Print->OnClick = [this](TObject *s) { PrintClick(s); };
    SaveReport->OnClick = [this](TObject *s) { SaveClick(s); };
    LoadReport->OnClick = [this](TObject *s) { LoadClick(s); };
    ExitButton->OnClick = [this](TObject *s) { ExitClick(s); };
    RpPreview->OnPageAvailable = [this](TObject *s, int n) { RpPreviewPageAvailable(s, n); };
    RpPreview->OnProgressUpdate = [this](TObject *s, int p) { RpPreviewProgressUpdate(s, p); };
    RpPreview->SetOnHyperlink([this](TObject *s, TRpHyperlinkEventType t, const std::string &l, bool &h) {
        RpPreviewHyperlink(s, t, l, h);
    });
    OutlineView->OnChange = [this](TObject *s, int node) { OutlineViewChange(s, node); };
    ThumbGrid->OnDrawCell = [this](TObject *s, int c, int r, TRect rect, TGridDrawState st) {
        ThumbGridDrawCell(s, c, r, rect, st);
    };
    ThumbGrid->OnSelectCell = [this](TObject *s, int c, int r, bool &can) { ThumbGridSelectCell(s, c, r, can); };
    SearchResultBox->OnClick = [this](TObject *s) { SearchResultBoxClick(s); };
    OnClose = [this](TObject *s, TCloseAction &action) { FormClose(s, action); };
    OnKeyDown = [this](TObject *s, int &key, TShiftState shift) { FormKeyDown(s, key, shift); };
    OnResize = [this](TObject *s) { FormResize(s); };
    if (printer_ != nullptr)
        printer_->AttachClient(this);
    FormCreate(this);
}

TRpStandardPreview::~TRpStandardPreview()
{
    if (printer_ != nullptr)
        printer_->DetachClient(this);
}

void TRpStandardPreview::PrinterDestroyed(TRpPrinter &printer)
{
    if (&printer == printer_)
        printer_ = nullptr;
}

void TRpStandardPreview::FormCreate(TObject *)
{
    SetCaption("Report Preview : " + (printer_ != nullptr ? printer_->Title : std::string()));
    TRpPreviewSettings settings;
    const bool fromReport = printer_ != nullptr && printer_->Report() != nullptr
        && printer_->Report()->PreviewSettings(settings);
    if (fromReport)
        SetClientSize(settings.Width, settings.Height);
    SetFormStyle(settings.FormStyle);
    SetWindowState(settings.State);
    // The page control shows its active sheet; a sheet the report does not
    // want leaves the page control.
    for (auto [sheet, shown] : {std::pair{TabThumbs, settings.ShowThumbs}, {TabSearchResult, settings.ShowSearch}}) {
        if (!shown) {
            sheet->SetPageControl(nullptr);
            sheet->Hide();
        }
    }
    Tabs->SetVisible(settings.ShowThumbs || settings.ShowSearch);
    ZoomFit->SetDown(settings.InitialZoom == rpZoomToFit);
    ZoomToWidth->SetDown(settings.InitialZoom == rpZoomToWidth);
    Zoom100->SetDown(settings.InitialZoom == rpZoomOther);
    UpdatePrintButtons();
}

void TRpStandardPreview::ShowPreview()
{
    RpPreview->AttachPrinter(printer_);
    ApplyZoom();
    RebuildThumbnails();
    UpdateStatus();
    ShowForm();
}

// The zoom of the button that is down, for the printer's page size.
void TRpStandardPreview::ApplyZoom()
{
    if (ZoomFit->Down())
        RpPreview->ZoomToFit();
    else if (ZoomToWidth->Down())
        RpPreview->ZoomToWidth();
    else
        RpPreview->SetZoom(RpPreview->Zoom());
}

// ---------------------------------------------------------------- status and pages

void TRpStandardPreview::UpdateStatus()
{
    const int count = printer_ != nullptr ? printer_->PageCount() : 0;
    StatusBar->SetPanelText(1, "Page " + std::to_string(RpPreview->PageNumber()) + " of " + std::to_string(count));
    StatusBar->SetPanelText(2, loadedFile_);
}

void TRpStandardPreview::UpdatePrintButtons()
{
    const bool finished = printer_ != nullptr && printer_->State() == rpsFinished;
    Print->SetEnabled(finished);
    PrintSetup->SetEnabled(finished && printer_->OnPrintSetup != nullptr);
}

void TRpStandardPreview::RebuildThumbnails()
{
    const int count = printer_ != nullptr ? printer_->PageCount() : 0;
    ThumbGrid->SetRowCount(std::max(1, count));
    ThumbGrid->SetColWidths(0, std::max(10, ThumbGrid->ClientWidth() - 4));
    ThumbGrid->Invalidate();
}

void TRpStandardPreview::ShowPage(int n)
{
    RpPreview->SetPageNumber(n);
    UpdateStatus();
}

void TRpStandardPreview::FirstPageClick(TObject *) { ShowPage(1); }
void TRpStandardPreview::PrevPageClick(TObject *) { ShowPage(RpPreview->PageNumber() - 1); }
void TRpStandardPreview::NextPageClick(TObject *) { ShowPage(RpPreview->PageNumber() + 1); }

void TRpStandardPreview::LastPageClick(TObject *)
{
    if (printer_ != nullptr)
        ShowPage(printer_->PageCount());
}

void TRpStandardPreview::ZoomToFitClick(TObject *) { RpPreview->ZoomToFit(); }
void TRpStandardPreview::ZoomToWidthClick(TObject *) { RpPreview->ZoomToWidth(); }
void TRpStandardPreview::ZoomTo100Click(TObject *) { RpPreview->SetZoom(100); }

void TRpStandardPreview::GotoPageButtonClick(TObject *)
{
    if (printer_ == nullptr)
        return;
    const int count = printer_->PageCount();
    const std::optional<std::string> answer = Services().InputQuery(
        "Select a page from 1 to " + std::to_string(count), "Enter page number", std::to_string(RpPreview->PageNumber()));
    if (!answer)
        return;
    int page = 0;
    if (!TryStrToInt(Trim(*answer), page)) {
        Services().MessageBox("'" + *answer + "' is not a valid integer value", Caption(), MB_OK | MB_ICONERROR);
        return;
    }
    if (page < 1 || page > count)
        page = 1;
    ShowPage(page);
}

// ---------------------------------------------------------------- keys

void TRpStandardPreview::ScrollPage(bool down)
{
    // A scroll that does not move the page means its end is reached.
    TControlScrollBar &bar = RpPreview->VertScrollBar();
    const int position = bar.Position();
    bar.SetPosition(position + (down ? bar.Increment() : -bar.Increment()));
    if (bar.Position() != position)
        return;
    const int before = RpPreview->PageNumber();
    ShowPage(before + (down ? 1 : -1));
    if (RpPreview->PageNumber() != before && !down)
        bar.SetPosition(bar.MaxPosition());
}

void TRpStandardPreview::FormKeyDown(TObject *, int &key, TShiftState shift)
{
    const bool ctrl = (shift & ssCtrl) != 0;
    switch (key) {
    case VK_ESCAPE:
        Close();
        break;
    case VK_PRIOR:
        ctrl ? FirstPageClick(this) : PrevPageClick(this);
        break;
    case VK_NEXT:
        ctrl ? LastPageClick(this) : NextPageClick(this);
        break;
    case VK_HOME:
        FirstPageClick(this);
        break;
    case VK_END:
        LastPageClick(this);
        break;
    case VK_UP:
        ScrollPage(false);
        break;
    case VK_DOWN:
        ScrollPage(true);
        break;
    default:
        return;
    }
    key = 0;
}

void TRpStandardPreview::FormResize(TObject *) { RebuildThumbnails(); }

// ---------------------------------------------------------------- find

void TRpStandardPreview::FindButtonClick(TObject *)
{
    if (printer_ == nullptr)
        return;
    TSearchDlg dialog(nullptr);
    RunSearchDialog(dialog);
    if (dialog.Cancelled)
        return;
    const std::string text = dialog.Edit1->Text();
    const bool matchCase = dialog.CheckBox1->Checked();
    SearchTextLabel->SetCaption("Search Text" + std::string(" : ") + text);
    SearchResultBox->Clear();
    for (int i = 1; i <= printer_->PageCount(); ++i) {
        std::unique_ptr<TMetafile> page = printer_->GetPage(i);
        if (page != nullptr && MetafileContainsText(text, *page, matchCase))
            SearchResultBox->AddItem(PageText(i), i);
    }
    const bool found = SearchResultBox->Count() > 0;
    if (!found)
        SearchResultBox->AddItem("No matching text", 0);
    SearchResultBox->SetEnabled(found);
    if (TabSearchResult->PageControl() == nullptr)
        TabSearchResult->SetPageControl(Tabs);
    Tabs->SetVisible(true);
    for (int i = 0; i < Tabs->PageCount(); ++i)
        if (Tabs->Pages(i) == TabSearchResult)
            Tabs->SetActivePageIndex(i);
}

void TRpStandardPreview::SearchResultBoxClick(TObject *)
{
    const int index = SearchResultBox->ItemIndex();
    const int page = index >= 0 ? SearchResultBox->ItemData(index) : 0;
    ShowPage(page >= 1 && printer_ != nullptr && page <= printer_->PageCount() ? page : 1);
}

// ---------------------------------------------------------------- print, save, load

void TRpStandardPreview::PrintSetupClick(TObject *)
{
    if (printer_ == nullptr || !printer_->OnPrintSetup)
        return;
    printer_->OnPrintSetup(printer_);
    TRpReportLink *report = printer_->Report();
    const TRpPrinterSettings *chosen = report != nullptr ? report->SetupSettings() : nullptr;
    if (chosen == nullptr)
        return;
    printer_->SetPrinterIndex(chosen->PrinterIndex);
    printer_->SetOutputBin(chosen->OutputBin);
    printer_->SetCollate(chosen->Collate);
    printer_->SetColorOption(chosen->ColorOption);
    printer_->SetPrintQuality(chosen->PrintQuality);
    printer_->SetCopies(chosen->Copies);
    printer_->SetDuplex(chosen->Duplex);
    printer_->SetCustomBinCode(chosen->CustomBinCode);
    printer_->FirstPage = chosen->FirstPage;
    printer_->LastPage = chosen->LastPage;
    if (printer_->FileLoaded())
        return;
    if (TRpPrinterSettings *own = report->EditablePrinterSettings()) {
        own->PrinterIndex = chosen->PrinterIndex;
        own->OutputBin = chosen->OutputBin;
        own->Collate = chosen->Collate;
        own->ColorOption = chosen->ColorOption;
        own->PrintQuality = chosen->PrintQuality;
        own->Copies = chosen->Copies;
        own->Duplex = chosen->Duplex;
        own->CustomBinCode = chosen->CustomBinCode;
        own->FirstPage = chosen->FirstPage;
        own->LastPage = chosen->LastPage;
    }
}

// Pages of a run print by running the report again; pages of a file are played.
void TRpStandardPreview::PrintClick(TObject *)
{
    if (printer_ == nullptr)
        return;
    if (!printer_->FileLoaded() && printer_->Report() != nullptr)
        printer_->Report()->PrintAgain();
    else
        printer_->Print();
}

void TRpStandardPreview::SaveClick(TObject *)
{
    if (printer_ == nullptr)
        return;
    TFileDialogRequest request;
    request.save = true;
    request.title = "Save report";
    request.filter = SaveFilter();
    request.defaultExt = "RPF";
    request.overwritePrompt = true;
    const std::optional<TFileDialogAnswer> answer = Services().FileDialog(request);
    if (!answer)
        return;
    const auto &filters = ExportFilterLibrary().Entries();
    if (answer->filterIndex <= 1 || answer->filterIndex - 2 >= static_cast<int>(filters.size()))
        printer_->Save(answer->fileName);
    else
        printer_->ExportWithFilter(filters[static_cast<size_t>(answer->filterIndex - 2)].Description);
}

void TRpStandardPreview::LoadClick(TObject *)
{
    if (printer_ == nullptr)
        return;
    TFileDialogRequest request;
    request.title = "Load report";
    request.filter = "Report file (*.RPF)|*.RPF";
    request.defaultExt = "RPF";
    const std::optional<TFileDialogAnswer> answer = Services().FileDialog(request);
    if (!answer)
        return;
    if (!FileExists(answer->fileName)) {
        Services().MessageBox("File does not exist", Caption(), MB_OK | MB_ICONERROR);
        return;
    }
    try {
        printer_->Load(answer->fileName);
    } catch (const std::exception &e) {
        // The printer holds no pages now; the window stays open and usable.
        Services().MessageBox(e.what(), Caption(), MB_OK | MB_ICONERROR);
        RpPreview->AttachPrinter(printer_);
        loadedFile_.clear();
        RebuildThumbnails();
        UpdateStatus();
        UpdatePrintButtons();
        return;
    }
    loadedFile_ = answer->fileName;
    RpPreview->AttachPrinter(printer_);
    ApplyZoom();  // the file's paper may differ from the run's
    RebuildThumbnails();
    UpdateStatus();
    UpdatePrintButtons();
}

void TRpStandardPreview::ExitClick(TObject *) { Close(); }

void TRpStandardPreview::FormClose(TObject *, TCloseAction &action)
{
    if (printer_ != nullptr)
        printer_->ClosePreview();
    RpPreview->AttachPrinter(nullptr);
    ProcessMessages();
    action = caFree;
}

// ---------------------------------------------------------------- notices from the preview control

void TRpStandardPreview::RpPreviewPageAvailable(TObject *, int)
{
    RebuildThumbnails();
    UpdatePrintButtons();
    UpdateStatus();
}

void TRpStandardPreview::RpPreviewProgressUpdate(TObject *, int progress)
{
    if (progress == 0 || progress == 100) {
        StatusBar->SetPanelText(0, "");
        lastProgress_ = progress;
    } else if (progress - lastProgress_ >= 5) {
        StatusBar->SetPanelText(0, std::to_string(progress) + "%");
        lastProgress_ = progress;
    }
}

void TRpStandardPreview::RpPreviewHyperlink(TObject *, TRpHyperlinkEventType, const std::string &link, bool &)
{
    StatusBar->SetPanelText(2, link);
}

void TRpStandardPreview::OutlineViewChange(TObject *, int node)
{
    if (node >= 0 && node < OutlineView->Count())
        ShowPage(OutlineView->Items()[static_cast<size_t>(node)].Data);
}

void TRpStandardPreview::ThumbGridDrawCell(TObject *, int, int row, TRect rect, TGridDrawState)
{
    if (printer_ == nullptr || row >= printer_->PageCount())
        return;
    std::unique_ptr<TMetafile> page;
    try {
        page = printer_->GetPage(row + 1);
    } catch (const std::exception &) {
        return;  // a damaged page has no thumbnail; showing it says why
    }
    if (page == nullptr || page->Width() <= 0 || page->Height() <= 0)
        return;
    TCanvas &canvas = ThumbGrid->Canvas();
    const int height = std::max(1, rect.Height() - 20);
    const int width = std::max(1, std::min(rect.Width() - 30, MulDiv(height, page->Width(), page->Height())));
    const int shown = std::max(1, MulDiv(width, page->Height(), page->Width()));
    const int left = rect.Left + (rect.Width() - width) / 2;
    const int top = rect.Top + 10;
    TRpPreviewImage::DrawPageImage(page.get(), canvas, TRect{left, top, left + width, top + shown}, false);
    canvas.Brush().SetStyle(bsClear);
    canvas.Font().SetColor(clBlack);
    canvas.TextOut(rect.Left + 2, rect.Top + 2, std::to_string(row + 1));
}

void TRpStandardPreview::ThumbGridSelectCell(TObject *, int, int row, bool &)
{
    ShowPage(row + 1);
}

// ---------------------------------------------------------------- preview interface

TCustomForm *TRpStandardPreviewInterface::Show(TRpPrinter &printer)
{
    auto *form = new TRpStandardPreview(&Application(), &printer);
    form->ShowPreview();
    return form;
}

void TRpStandardPreviewInterface::ShowModal(TRpPrinter &printer)
{
    TRpStandardPreview form(nullptr, &printer);
    form.RpPreview->AttachPrinter(&printer);
    form.ShowModal();
}

void RegisterReportWindows()
{
    RegisterProgressWindowClass(
        [](TRpPrinter &printer) { return std::make_unique<TRpProgressForm>(nullptr, &printer); });
    RegisterPreviewInterface([] { return std::make_unique<TRpStandardPreviewInterface>(nullptr); });
}
