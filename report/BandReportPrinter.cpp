// The report's runs through the report printer: Prepare, Preview and Print,
// the printer's hooks and the messages the printer sends to the report.
#include <chrono>
#include <thread>

#include "platform/kernel/Application.h"
#include "platform/core/SysUtils.h"
#include "report/BandReport.h"
#include "report/RpPrnSu.h"
#include "report/RpPrntr.h"

// What the report printer asks of its report.
class TBandReportLink : public TRpReportLink {
public:
    explicit TBandReportLink(TCustomBandReport &report) : report_(report) {}
    const TRpPrinterSettings &PrinterSettings() const override { return report_.PrinterSettings(); }
    bool ShowProgress() const override { return report_.ShowProgress(); }
    void AfterPrint(TRpPrinter &) override
    {
        if (report_.AfterPrint)
            report_.AfterPrint(&report_);
    }
    int ReportPageWidth() const override { return report_.ReportPageWidth(); }
    int ReportPageLength() const override { return report_.ReportPageLength(); }
    void PrinterDestroyed(TRpPrinter &printer) override { report_.ForgetPrinter(printer); }
    bool PreviewSettings(TRpPreviewSettings &settings) const override
    {
        settings.Width = report_.PreviewWidth();
        settings.Height = report_.PreviewHeight();
        settings.FormStyle = report_.PrevFormStyle;
        settings.State = report_.PreviewInitialState;
        settings.ShowThumbs = report_.PrevShowThumbs;
        settings.ShowSearch = report_.PrevShowSearch;
        settings.InitialZoom = report_.PrevInitialZoom;
        return true;
    }
    void PrintAgain() override { report_.Print(); }
    TRpPrinterSettings *EditablePrinterSettings() override { return &report_.PrinterSettings(); }
    const TRpPrinterSettings *SetupSettings() const override { return &report_.SetupSettings(); }

private:
    TCustomBandReport &report_;
};

void TCustomBandReport::CreateReportLink() { link_ = std::make_unique<TBandReportLink>(*this); }

int TCustomBandReport::ReportPageWidth() const { return RoundInt(page_.Values()[3]); }
int TCustomBandReport::ReportPageLength() const { return RoundInt(page_.Values()[1]); }

void TCustomBandReport::LinkPrinter(TRpPrinter &printer)
{
    linkedPrinters_.push_back(&printer);
    printer.SetMessagingReport(this);
    printer.OnClose = [this](TRpPrinter *) {
        if (AfterPreview)
            AfterPreview(this);
    };
    printer.OnAfterPrint = [this](TRpPrinter *) {
        if (AfterPrint)
            AfterPrint(this);
    };
    printer.SetOnApplyPrinterSettings(OnApplyPrinterSettings);
    printer.SetOnGetPrinterSettings(OnGetPrinterSettings);
}

bool TCustomBandReport::NewPrinter()
{
    if (!idle_)
        return false;
    auto printer = std::make_unique<TRpPrinter>(link_.get());
    LinkPrinter(*printer);
    if (printer_ != nullptr)
        printer->SetProgressWindow(printer_->ProgressWindow());
    // A printer nobody took is freed; one handed out belongs to its taker.
    ownedPrinter_ = std::move(printer);
    printer_ = ownedPrinter_.get();
    return true;
}

std::unique_ptr<TRpPrinter> TCustomBandReport::TakePrinter()
{
    if (ownedPrinter_ == nullptr || !idle_)
        return nullptr;
    printer_ = nullptr;
    return std::move(ownedPrinter_);
}

void TCustomBandReport::ForgetPrinter(TRpPrinter &printer)
{
    std::erase(linkedPrinters_, &printer);
    if (printer_ == &printer)
        printer_ = nullptr;
    if (ownedPrinter_.get() == &printer)
        (void)ownedPrinter_.release();  // already being destroyed by its owner
}

void TCustomBandReport::ReleasePrinters()
{
    ownedPrinter_.reset();
    for (TRpPrinter *printer : linkedPrinters_)
        printer->ReportDestroyed();
    linkedPrinters_.clear();
    printer_ = nullptr;
}

void TCustomBandReport::StartPrinterRun()
{
    printer_->SetDestination(rpdPageStore);
    printer_->OnExport = [this](TRpPrinter *, const std::string &filter) { ExportToFilter(filter); };
    printer_->Title = ReportTitle;
    printer_->OnPrintSetup = [this](TRpPrinter *) { PrinterSetup(); };
    if (OnPreview)
        printer_->OnPreview = OnPreview;
}

void TCustomBandReport::Prepare()
{
    if (!NewPrinter() || printer_->PreviewActive())
        return;
    StartPrinterRun();
    BuildReport(*printer_);
    if (printer_ != nullptr)
        printer_->Prepared = true;
}

void TCustomBandReport::Preview()
{
    ProcessMessages();
    if (!NewPrinter() || printer_->PreviewActive())
        return;
    StartPrinterRun();
    ApplyPrinterSettings();
    printer_->Preview();
    BuildReport(*printer_);
    if (printer_ == nullptr)
        return;
    printer_->Prepared = true;
    if (cancelled_) {
        ownedPrinter_.reset();
        printer_ = nullptr;
        return;
    }
    while (printer_ != nullptr && printer_->PreviewActive() && !Application().Terminated()) {
        ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void TCustomBandReport::Print()
{
    if (!idle_)
        return;
    std::unique_ptr<TRpPrinter> rememberedOwned = std::move(ownedPrinter_);
    TRpPrinter *remembered = printer_;
    auto restore = [&] {
        ownedPrinter_ = std::move(rememberedOwned);
        printer_ = remembered;
    };
    NewPrinter();
    if (printer_->PrintersExist()) {
        printer_->SetDestination(rpdPrinter);
        printer_->Title = ReportTitle;
        // Freed after the printer: it forgets the printer when that goes.
        std::unique_ptr<TRpProgressWindow> progress = CreateProgressWindow(*printer_);
        if (progress != nullptr) {
            printer_->SetProgressWindow(progress->ProgressTarget());
            if (showProgress_)
                progress->ShowProgress();
        }
        try {
            BuildReport(*printer_);
        } catch (...) {
            restore();
            throw;
        }
        restore();
        return;
    }
    restore();
}

void TCustomBandReport::ApplyPrinterSettings()
{
    if (printer_ != nullptr)
        printer_->ApplyPrinterSettings(*this);
}

void TCustomBandReport::PrinterSetup()
{
    TRpPrintDialog dialog(nullptr);
    TPrinter &printer = dialog.PrinterObject();
    if (printerSettings_.PrinterIndex >= -1 && printerSettings_.PrinterIndex < printer.PrinterCount())
        printer.SetPrinterIndex(printerSettings_.PrinterIndex);
    TDeviceMode mode = printer.DeviceMode();
    mode.dmOrientation = printerSettings_.Orientation == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    printer.SetDeviceMode(mode);
    dialog.SetCopies(printerSettings_.Copies);
    if (printer_ != nullptr && printer_->State() == rpsFinished && printer_->PageCount() > 0) {
        dialog.MinPage = dialog.FromPage = 1;
        dialog.MaxPage = dialog.ToPage = printer_->PageCount();
    } else {
        dialog.MinPage = 0;
        dialog.MaxPage = 9999;
    }
    dialog.Options = 10;
    if (!dialog.Execute()) {
        SetTag(1);
        return;
    }
    SetTag(0);
    const TPrinterOrientation orientation = dialog.Orientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
    printerSettings_.Copies = dialog.Copies();
    printerSettings_.PrinterIndex = printer.PrinterIndex();
    printerSettings_.Orientation = orientation;
    page_.SetOrientation(orientation);
    const bool range = dialog.PrintRange == prPageNums;
    setupSettings_.CustomBinCode = dialog.OutputBin;
    setupSettings_.ExtendedDuplex = dialog.DuplexCode;
    setupSettings_.PrintQuality = dialog.PrintQuality;
    setupSettings_.Collate = dialog.Collate ? 1 : 0;
    setupSettings_.ColorOption = dialog.Color;
    setupSettings_.Copies = dialog.Copies();
    setupSettings_.Orientation = orientation;
    setupSettings_.FirstPage = range ? dialog.FromPage : 0;
    setupSettings_.LastPage = range ? dialog.ToPage : 0;
    setupSettings_.OutputBin = BinOfCode(dialog.OutputBin);
    setupSettings_.CustomPaperCode = dialog.PaperSize;
    setupSettings_.PrinterIndex = printer.PrinterIndex();
    setupSettings_.Duplex = dialog.Duplex;
    printerSettings_.FirstPage = setupSettings_.FirstPage;
    printerSettings_.LastPage = setupSettings_.LastPage;
}

// No export filter exists in this system; the hook is there for the printer.
void TCustomBandReport::ExportToFilter(const std::string & /*filter*/) {}

void TCustomBandReport::WndProc(TMessage &message)
{
    switch (message.Msg) {
    case WM_RPPAGESAVAILABLE:
        if ((message.WParam & 0xFFFF) == 1 && printer_ != nullptr)
            surfacePicture_ = printer_->GetPage(1);
        break;
    case WM_RPPRINTREQUEST:
        Print();
        break;
    case WM_RPPREVIEWCLOSED:
        if (!idle_) {
            CancelRun();
        } else if (printer_ != nullptr) {
            printer_->SetPreviewActive(false);
            if (ownedPrinter_.get() == printer_)
                ownedPrinter_.reset();
            printer_ = nullptr;
        }
        break;
    default:
        break;
    }
}
