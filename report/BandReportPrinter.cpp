// The report's runs through the report printer: Prepare, Preview and Print,
// the printer's hooks and the messages the printer sends to the report.
#include <chrono>
#include <thread>

#include "platform/Application.h"
#include "platform/SysUtils.h"
#include "report/BandReport.h"
#include "report/RpPrntr.h"

// What the report printer asks of its report.
class TBandReportLink : public TRpReportLink {
public:
    explicit TBandReportLink(TCustomBandReport &report) : report_(report) {}
    const TRpPrinterSettings &PrinterSettings() const override { return report_.PrinterSettings(); }
    bool ShowProgress() const override { return report_.ShowProgress(); }
    void AfterPrint(TRpPrinter &) override
    {
        if (report_.OnAfterPrint)
            report_.OnAfterPrint(&report_);
    }
    int ReportPageWidth() const override { return report_.ReportPageWidth(); }
    int ReportPageLength() const override { return report_.ReportPageLength(); }
    void PrinterDestroyed(TRpPrinter &printer) override { report_.ForgetPrinter(printer); }

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
        if (OnAfterPreview)
            OnAfterPreview(this);
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
