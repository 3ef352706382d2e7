#include "report/RpPrntr.h"

#include "platform/kernel/Application.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "platform/widgets/TreeView.h"
#include "report/RpPageStore.h"
#include "report/RpPrev.h"

#include <algorithm>
#include <cmath>

bool ReportFileLoaded = false;

namespace {

constexpr int kScreenPixelsPerInch = 96;

TRpProgressWindowClass &ProgressWindowClass()
{
    static TRpProgressWindowClass windowClass;
    return windowClass;
}

TRpPreviewInterfaceClass &PreviewInterface()
{
    static TRpPreviewInterfaceClass preview;
    return preview;
}

int Round(long double value) { return static_cast<int>(RoundHalfEven(value)); }

// A length in 0.1 mm from the paper table, in units of 4 mm, truncated.
int FourMmUnits(long double tenthsOfMm) { return Round(std::trunc(tenthsOfMm / 40)); }

} // namespace

void RegisterProgressWindowClass(TRpProgressWindowClass windowClass) { ProgressWindowClass() = std::move(windowClass); }

std::unique_ptr<TRpProgressWindow> CreateProgressWindow(TRpPrinter &printer)
{
    return ProgressWindowClass() ? ProgressWindowClass()(printer) : nullptr;
}

void RegisterPreviewInterface(TRpPreviewInterfaceClass preview) { PreviewInterface() = std::move(preview); }

// ---------------------------------------------------------------- life

TRpPrinter::TRpPrinter(TRpReportLink *report) : report_(report)
{
    printersExist_ = ::Printer().PrinterCount() > 0;
    if (report_) {
        settings_.UseStandardprinter = report_->PrinterSettings().UseStandardprinter;
        settings_.MemoryLimit = report_->PrinterSettings().MemoryLimit;
    }
    if (settings_.UseStandardprinter) {
        printer_ = &::Printer();
    } else {
        ownPrinter_ = std::make_unique<TPrinter>();
        printer_ = ownPrinter_.get();
    }
    if (printersExist_) {
        // The printer is chosen before its settings are read, so that they
        // describe the printer the pages will go to.
        if (::Printer().PrinterIndex() < printer_->PrinterCount())
            printer_->SetPrinterIndex(::Printer().PrinterIndex());
        settings_.SetPrinter(printer_);
        ProcessMessages();
    }
    leftOffset_ = settings_.LeftOffset();
    topOffset_ = settings_.TopOffset();
    pageList_ = std::make_unique<TRpPageList>();
}

TRpPrinter::~TRpPrinter()
{
    if (state_ == rpsBusy)
        Cancel();
    if (destination_ == rpdPrinter && printer_ && printer_->Printing())
        printer_->Abort();
    canvas_ = nullptr;
    metafileCanvas_.reset();
    std::vector<TRpPrinterClient *> clients = clients_;
    if (report_ && std::find(clients.begin(), clients.end(), report_) == clients.end())
        clients.push_back(report_);
    for (TRpPrinterClient *client : clients)
        client->PrinterDestroyed(*this);
}

void TRpPrinter::AttachClient(TRpPrinterClient *client)
{
    if (client && std::find(clients_.begin(), clients_.end(), client) == clients_.end())
        clients_.push_back(client);
}

void TRpPrinter::DetachClient(TRpPrinterClient *client)
{
    clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
    if (client == report_)
        report_ = nullptr;
}

// ---------------------------------------------------------------- a run

void TRpPrinter::BeginDoc()
{
    // Refused before anything changes, so that a running run keeps its open page.
    if (state_ != rpsIdle)
        throw ERpError("RpPrinter not ready");
    metafileCanvas_.reset();
    metafile_.reset();
    canvas_ = nullptr;
    availablePages_ = 0;
    progress_ = 0;
    cancelled_ = false;
    if (destination_ == rpdPrinter) {
        settings_.ApplyToPrinter();
        if (!ConfirmPaper())
            Cancel();
    }
    topOffset_ = TopOffset();
    leftOffset_ = LeftOffset();
    pageNumber_ = 0;
    pageCount_ = 0;
    state_ = rpsBusy;
    if (destination_ == rpdPageStore) {
        pageStream_ = TRpStream::CreateInMemory(settings_.MemoryLimit);
        pageList_->Stream = pageStream_;
        UseScreenFactors();
    } else {
        UsePrinterFactors();
        if (xFactor_ < 0.1L)
            xFactor_ = 96.0L / 254;
        if (yFactor_ < 0.1L)
            yFactor_ = 96.0L / 254;
    }
}

void TRpPrinter::NewPage()
{
    if (state_ != rpsBusy)
        throw ERpError("Illegal call to NewPage");
    if (pageNumber_ > 0) {
        ClosePage(destination_ == rpdPageStore);
        SetAvailablePages(availablePages_ + 1);
    }
    ++pageCount_;
    ++pageNumber_;
    if (destination_ == rpdPrinter && PageInRange())
        StartPrinterPage();
    else
        StartMetafilePage();
}

// Closes the open page: a page-store page is added to the store when `keep`
// is set; a throw-away page (outside the range) is dropped; a printer page
// stays in the job until the next one starts.
void TRpPrinter::ClosePage(bool keep)
{
    canvas_ = nullptr;
    if (metafileCanvas_) {
        metafileCanvas_.reset();  // completes the metafile
        if (keep && metafile_)
            pageList_->AddPage(*metafile_);
        metafile_.reset();
    }
    pageObjects_.clear();
}

bool TRpPrinter::PageInRange() const
{
    return (FirstPage <= 0 || pageCount_ >= FirstPage) && (LastPage <= 0 || LastPage >= pageCount_);
}

void TRpPrinter::StartMetafilePage()
{
    metafile_ = std::make_unique<TMetafile>();
    metafile_->SetWidth(XSize(PageWidth()));
    metafile_->SetHeight(YSize(PageHeight()));
    metafileCanvas_ = std::make_unique<TMetafileCanvas>(*metafile_);
    canvas_ = metafileCanvas_.get();
    UseScreenFactors();
    pageObjects_.clear();
}

void TRpPrinter::StartPrinterPage()
{
    if (printer_->Printing()) {
        printer_->NewPage();
    } else {
        printer_->SetTitle(Title);
        printer_->BeginDoc();
    }
    canvas_ = &printer_->Canvas();
    UsePrinterFactors();
    if (yFactor_ < 0.1L)
        yFactor_ = 1.0L;
}

void TRpPrinter::UseScreenFactors()
{
    xFactor_ = yFactor_ = static_cast<long double>(kScreenPixelsPerInch) / 254;
}

void TRpPrinter::UsePrinterFactors()
{
    xFactor_ = static_cast<long double>(printer_->GetDeviceCaps(LOGPIXELSX)) / 254;
    yFactor_ = static_cast<long double>(printer_->GetDeviceCaps(LOGPIXELSY)) / 254;
}

void TRpPrinter::EndDoc()
{
    if (state_ != rpsBusy)
        return;
    bool printed = false;
    if (destination_ == rpdPrinter) {
        ClosePage(false);
        if (printer_->Printing()) {
            printer_->EndDoc();
            printed = true;
        }
    } else if (pageNumber_ > 0) {
        ClosePage(true);
    }
    state_ = rpsFinished;
    SetAvailablePages(availablePages_ + 1);
    ProcessMessages();
    if (destination_ == rpdPageStore) {
        pageList_->Finish();
    } else {
        if (!printed && pageCount_ > 0 && !cancelled_)
            ReportNothingPrinted();
        if (OnAfterPrint)
            OnAfterPrint(this);
    }
}

void TRpPrinter::AbortDoc()
{
    if (destination_ == rpdPrinter) {
        ClosePage(false);
        if (printer_->Printing())
            printer_->Abort();
    } else {
        const bool exporting = report_ && report_->Exporting();
        if (metafileCanvas_)
            ClosePage(!exporting);
        // The header tells the true number of pages, so that a saved
        // aborted report loads every page it holds.
        if (pageList_->Stream)
            pageList_->Finish();
    }
    state_ = rpsFinished;
}

// ---------------------------------------------------------------- geometry

int TRpPrinter::XPos(long double x) const { return Round((x - leftOffset_) * xFactor_); }
int TRpPrinter::YPos(long double y) const { return Round((y - topOffset_) * yFactor_); }
int TRpPrinter::XSize(long double x) const { return Round(x * xFactor_); }
int TRpPrinter::YSize(long double y) const { return Round(y * yFactor_); }

long double TRpPrinter::PageWidth() const
{
    return settings_.Orientation() == poLandscape ? settings_.PaperLength() : settings_.PaperWidth();
}

long double TRpPrinter::PageHeight() const
{
    return settings_.Orientation() == poLandscape ? settings_.PaperWidth() : settings_.PaperLength();
}

int TRpPrinter::LeftOffset() const { return destination_ == rpdPrinter ? settings_.LeftOffset() : 0; }
int TRpPrinter::TopOffset() const { return destination_ == rpdPrinter ? settings_.TopOffset() : 0; }

TCanvas &TRpPrinter::Canvas()
{
    if (!canvas_)
        throw ERpError("No page is open");
    return *canvas_;
}

int TRpPrinter::PrinterPixelsPerInchX() const
{
    return destination_ == rpdPrinter && canvas_ && printer_->Printing() ? printer_->GetDeviceCaps(LOGPIXELSX) : 0;
}

std::unique_ptr<TMetafile> TRpPrinter::GetPage(int n)
{
    if (state_ == rpsIdle || n < 1 || n > pageCount_)
        return nullptr;
    return pageList_->GetPage(n);
}

// ---------------------------------------------------------------- preview and progress

void TRpPrinter::Preview()
{
    if (OnPreview) {
        OnPreview(this);
    } else if (PreviewInterface()) {
        if (std::unique_ptr<TRpPreviewInterface> preview = PreviewInterface()())
            previewWindow_ = preview->Show(*this);
    }
}

void TRpPrinter::SetPreviewActive(bool active)
{
    if (previewActive_ && !active) {
        if (state_ == rpsBusy)
            Cancel();
        if (OnClose)
            OnClose(this);
    }
    previewActive_ = active;
}

void TRpPrinter::ClosePreview()
{
    // The report may free this printer while it handles the notice.
    std::weak_ptr<int> alive = lifetime_;
    if (TMessageTarget *report = messagingReport_.Get())
        SendMessage(report, WM_RPPREVIEWCLOSED, 0, reinterpret_cast<std::intptr_t>(this));
    if (!alive.expired())
        previewActive_ = false;
}

void TRpPrinter::SetOutlineView(TTreeView &view)
{
    view.Clear();
    view.BeginUpdate();
    std::vector<TRpOutlineNode> nodes;
    pageList_->Outline.FillNodes(nodes);
    for (const TRpOutlineNode &node : nodes)
        view.Add(node.Caption, node.Level, node.Entry);
    view.EndUpdate();
}

void TRpPrinter::SetProgress(int percent)
{
    progress_ = percent;
    if (TMessageTarget *window = progressWindow_.Get())
        PostMessage(window, WM_RPPROGRESS, static_cast<std::uintptr_t>(percent), 0);
}

void TRpPrinter::SetAvailablePages(int count)
{
    availablePages_ = count;
    if (TMessageTarget *window = progressWindow_.Get())
        PostMessage(window, WM_RPPAGESAVAILABLE, static_cast<std::uintptr_t>(count), 0);
}

// ---------------------------------------------------------------- printing the stored pages

bool TRpPrinter::Print()
{
    if (messagingReport_ && !Prepared && !settings_.PrintMetaFile && state_ == rpsFinished) {
        PostMessage(messagingReport_.Get(), WM_RPPRINTREQUEST, 0, 0);
        return false;
    }
    if (state_ != rpsFinished || !printersExist_)
        return false;
    const int first = FirstPage > 0 ? FirstPage : 1;
    const int last = LastPage > 0 ? std::min(LastPage, pageCount_) : pageCount_;
    if (first > pageCount_ || first > last) {
        ReportNothingPrinted();
        return false;
    }
    if (!ConfirmPaper())
        return false;
    printer_->SetTitle(Title);
    if (printer_->Printing())
        printer_->Abort();
    settings_.ApplyToPrinter();
    cancelled_ = false;
    const bool showProgress = report_ && report_->ShowProgress() && ProgressWindowClass();
    try {
        printer_->BeginDoc();
        PrintStoredPages(first, last, showProgress);
    } catch (...) {
        if (printer_->Printing())
            printer_->EndDoc();
        throw;
    }
    const bool printed = printer_->Printing();
    if (printed)
        printer_->EndDoc();
    return printed;
}

void TRpPrinter::PrintStoredPages(int first, int last, bool showProgress)
{
    if (showProgress) {
        progressForm_ = ProgressWindowClass()(*this);
        progressWindow_ = progressForm_->ProgressTarget();
        progressForm_->ShowProgress();
    }
    const long double pxX = static_cast<long double>(settings_.PixelsPerX()) / 254;
    const long double pxY = static_cast<long double>(settings_.PixelsPerY()) / 254;
    const int left = settings_.LeftOffset(), top = settings_.TopOffset();
    const long double width = report_ ? report_->ReportPageWidth() : PageWidth();
    const long double length = report_ ? report_->ReportPageLength() : PageHeight();
    const TRect dest{-Round(left * pxX), -Round(top * pxY), Round((width - left) * pxX), Round((length - top) * pxY)};
    for (int i = first; i <= last; ++i) {
        ProcessMessages();
        if (showProgress)
            SetProgress(Round(static_cast<long double>(i - first + 1) / (last - first + 1) * 100));
        pageNumber_ = i;
        if (std::unique_ptr<TMetafile> page = pageList_->GetPage(i))
            page->Play(printer_->Canvas(), dest);
        if (cancelled_) {
            printer_->Abort();
            break;
        }
        if (i < last)
            printer_->NewPage();
    }
    if (showProgress && progressForm_)
        progressForm_->HideProgress();
    if (report_)
        report_->AfterPrint(*this);
}

// Warns before printing when the paper asked for is not one the printer
// lists, since the layout would print clipped; false when the user stops.
bool TRpPrinter::ConfirmPaper()
{
    if (refusedPaper_ == TRpPaperSize::Default)
        return true;
    std::string text = "用紙サイズ「" + std::string(PaperSizeName(refusedPaper_)) + "」はプリンタ「"
        + printer_->PrinterName() + "」で使用できません。\n印刷がページに収まらない場合があります。印刷しますか？";
    return Services().MessageBox(text, Application().Title(), MB_OKCANCEL | MB_ICONWARNING) == IDOK;
}

void TRpPrinter::ReportNothingPrinted()
{
    Services().MessageBox("指定された範囲に印刷するページがありません。", Application().Title(), MB_OK | MB_ICONINFORMATION);
}

// ---------------------------------------------------------------- report files

void TRpPrinter::Save(const std::string &fileName)
{
    if (state_ == rpsFinished)
        pageList_->CopyToFile(fileName);
}

void TRpPrinter::CleanUp()
{
    if (state_ == rpsBusy)
        Cancel();
    ClosePage(false);
    pageStream_.reset();
    pageList_->Stream.reset();
    pageList_->Clear();
    state_ = rpsIdle;
}

void TRpPrinter::Load(const std::string &fileName)
{
    if (state_ != rpsIdle)
        CleanUp();
    pageList_->OpenFile(fileName);
    pageCount_ = pageList_->PageCount;
    if (pageCount_ > 0)
        pageList_->GetPage(pageCount_);  // a damaged chain fails here
    UseScreenFactors();
    if (pageCount_ > 0)
        DerivePaperFromFirstPage();
    pageStream_ = pageList_->Stream;
    state_ = rpsFinished;
    OnPrintSetup = nullptr;
    OnExport = nullptr;
    Prepared = true;
    fileLoaded_ = true;
    ReportFileLoaded = true;
}

// The paper of a loaded report is the first of the sizes Letter to ESheet
// that page 1 measures, in units of 4 mm; later matches win.
void TRpPrinter::DerivePaperFromFirstPage()
{
    std::unique_ptr<TMetafile> page = pageList_->GetPage(1);
    if (!page)
        return;
    const int w = FourMmUnits(std::trunc(page->Width() / xFactor_));
    const int h = FourMmUnits(std::trunc(page->Height() / xFactor_));
    for (int n = 1; n <= 26; ++n) {
        const auto size = static_cast<TRpPaperSize>(n);
        const int tableW = Round(std::trunc(PaperSizeWidthMm(size) / 4));
        const int tableL = Round(std::trunc(PaperSizeLengthMm(size) / 4));
        if (w == tableW && h == tableL) {
            settings_.SetPaperSize(size);
            settings_.SetOrientation(poPortrait);
        }
        if (h == tableW && w == tableL) {
            settings_.SetPaperSize(size);
            settings_.SetOrientation(poLandscape);
        }
    }
}

void TRpPrinter::ExportWithFilter(const std::string &filter)
{
    if (OnExport)
        OnExport(this, filter);
}

// ---------------------------------------------------------------- setters

void TRpPrinter::SetPrinterIndex(int index)
{
    if (!printersExist_ || settings_.UseStandardprinter)
        return;
    const int width = settings_.PaperWidth(), length = settings_.PaperLength();
    printer_->SetPrinterIndex(index);
    settings_.ResetDeviceMode();
    settings_.FetchFromPrinter();
    // The new printer is asked for the paper asked of the old one, so that a
    // paper it lacks reaches the warning before printing instead of being
    // replaced by its default without a word.
    if (askedPaper_ != TRpPaperSize::Default) {
        SetPaperSize(askedPaper_);
        if (GetPaperSize() == TRpPaperSize::Custom) {
            settings_.SetPaperWidth(width);
            settings_.SetPaperLength(length);
        }
    }
}

bool TRpPrinter::SetCopies(int copies) { return settings_.SetCopies(copies); }
bool TRpPrinter::SetOrientation(TPrinterOrientation orientation) { return settings_.SetOrientation(orientation); }
bool TRpPrinter::SetDuplex(bool duplex) { return settings_.SetDuplex(duplex); }
bool TRpPrinter::SetOutputBin(TRpBin bin) { return settings_.SetOutputBin(bin); }

bool TRpPrinter::SetPaperSize(TRpPaperSize size)
{
    askedPaper_ = size;
    const bool taken = settings_.SetPaperSize(size);
    refusedPaper_ = taken ? TRpPaperSize::Default : size;
    return taken;
}

void TRpPrinter::ApplyPrinterSettings(TCustomBandReport &report)
{
    const TBandReportPrinterSettings &from = report.PrinterSettings();
    const TRpPage &page = report.Page();
    SetPrinterIndex(from.PrinterIndex);
    SetPaperSize(page.PaperSize());
    if (GetPaperSize() == TRpPaperSize::Custom) {
        SetPaperWidth(Round(page.Width()));
        SetPaperLength(Round(page.Length()));
    }
    SetOrientation(page.Orientation());
    SetCopies(from.Copies);
    SetOutputBin(from.OutputBin);
    FirstPage = from.FirstPage;
    LastPage = from.LastPage;
    SetDuplex(from.Duplex);
    SetUseStandardPrinter(from.UseStandardprinter);
    SetPrintMetaFile(from.PrintMetaFile);
    SetUseCustomBinCode(from.UseCustomBinCode);
    SetCustomBinCode(from.CustomBinCode);
    SetUseCustomPaperCode(from.UseCustomPaperCode);
    SetCustomPaperCode(from.CustomPaperCode);
    SetPrintQuality(from.PrintQuality);
    SetCollate(from.Collate);
    SetColorOption(from.ColorOption);
    SetExtendedDuplex(from.ExtendedDuplex);
}

void TRpPrinter::SetCompression(bool compress) { pageList_->Compression = compress; }
