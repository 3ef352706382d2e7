#pragma once
// The report printer: the output device of a report run. It records every page
// as a metafile in the page store (for the preview, for printing later and for
// saving as a report file) or sends the pages straight to a printer. It owns
// the printer settings, converts report positions (0.1 mm) to device pixels
// and tells its preview or progress window about progress by posted messages.
#include "platform/core/Exceptions.h"
#include "platform/graphics/Graphics.h"
#include "platform/core/Messages.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Printers.h"
#include "report/BandReport.h"
#include "report/RpPrnSettings.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TRpPageList;
class TTreeView;
class TRpStream;
class TRpPrinter;

class ERpError : public Exception {
public:
    using Exception::Exception;
};

// The messages the report printer sends.
constexpr unsigned WM_RPPROGRESS = WM_USER;            // wParam = percent, posted to the progress window
constexpr unsigned WM_RPPAGESAVAILABLE = WM_USER + 1;  // wParam = finished pages, posted to the progress window
constexpr unsigned WM_RPPRINTREQUEST = WM_USER + 2;    // posted to the report: run again to the printer
constexpr unsigned WM_RPPREVIEWCLOSED = WM_USER + 4;   // lParam = the printer, sent to the report

enum TRpDestination { rpdPageStore = 0, rpdPrinter = 1 };
enum TRpPrinterState { rpsIdle = 0, rpsBusy = 1, rpsFinished = 2 };

using TRpAfterPrintEvent = std::function<void(TRpPrinter *sender)>;

// Set by Load, cleared when a report is created: the standard preview prints
// the loaded pages instead of running the report again.
extern bool ReportFileLoaded;

// An object that holds a report printer and must hear when the printer goes
// (the report, a preview): after PrinterDestroyed it must not touch it.
class TRpPrinterClient {
public:
    virtual ~TRpPrinterClient() = default;
    virtual void PrinterDestroyed(TRpPrinter &printer) = 0;
};

// How the report wants its standard preview shown.
struct TRpPreviewSettings {
    int Width = 500;
    int Height = 500;
    TFormStyle FormStyle = fsNormal;
    TWindowState State = wsMaximized;
    bool ShowThumbs = true;
    bool ShowSearch = true;
    TRpZoomState InitialZoom = rpZoomToFit;
};

// What the report printer asks of the report that owns it. The report calls
// TRpPrinter::ReportDestroyed when it goes first.
class TRpReportLink : public TRpPrinterClient {
public:
    virtual const TRpPrinterSettings &PrinterSettings() const = 0;
    virtual bool ShowProgress() const { return false; }
    // The report's AfterPrint event.
    virtual void AfterPrint(TRpPrinter &) {}
    // The report's page in 0.1 mm, orientation applied.
    virtual int ReportPageWidth() const = 0;
    virtual int ReportPageLength() const = 0;
    // Whether the report is exporting through a filter.
    virtual bool Exporting() const { return false; }
    // The report's preview settings; false when it has none.
    virtual bool PreviewSettings(TRpPreviewSettings &) const { return false; }
    // Runs the report again straight to the printer.
    virtual void PrintAgain() {}
    // The report's own printer settings, to be changed by a print setup.
    virtual TRpPrinterSettings *EditablePrinterSettings() { return nullptr; }
    // What the report's print setup chose last.
    virtual const TRpPrinterSettings *SetupSettings() const { return nullptr; }
};

// The progress window shown while pages go to the printer.
class TRpProgressWindow {
public:
    virtual ~TRpProgressWindow() = default;
    // Where the progress messages go.
    virtual TMessageTarget *ProgressTarget() = 0;
    virtual void ShowProgress() = 0;
    virtual void HideProgress() = 0;
};
using TRpProgressWindowClass = std::function<std::unique_ptr<TRpProgressWindow>(TRpPrinter &printer)>;
// The progress window class Print uses when the report shows progress (none by default).
void RegisterProgressWindowClass(TRpProgressWindowClass windowClass);
// A progress window of the registered class for the printer; none when no class is registered.
std::unique_ptr<TRpProgressWindow> CreateProgressWindow(TRpPrinter &printer);

// The class of the preview interface (RpPrev.h) that shows a printer's pages
// when it has no OnPreview handler; none shows nothing.
class TRpPreviewInterface;
using TRpPreviewInterfaceClass = std::function<std::unique_ptr<TRpPreviewInterface>()>;
void RegisterPreviewInterface(TRpPreviewInterfaceClass preview);

class TRpPrinter : public TObject, public TRpOutputDevice {
public:
    explicit TRpPrinter(TRpReportLink *report = nullptr);
    ~TRpPrinter() override;

    // A run.
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void AbortDoc() override;
    void Cancel() override { cancelled_ = true; }
    bool Cancelled() const override { return cancelled_; }
    // The canvas of the open page; raises ERpError outside a page.
    TCanvas &Canvas() override;
    bool HasCanvas() const { return canvas_ != nullptr; }
    // Objects made while the current page is drawn, freed when the page closes.
    void AddPageObject(std::unique_ptr<TObject> object) { pageObjects_.push_back(std::move(object)); }

    // Report positions and sizes (0.1 mm) in device pixels.
    int XPos(long double x) const override;
    int YPos(long double y) const override;
    int XSize(long double x) const override;
    int YSize(long double y) const override;
    long double XFactor() const override { return xFactor_; }
    long double YFactor() const override { return yFactor_; }
    // The paper in 0.1 mm (portrait), and the page with the orientation applied.
    long double PaperWidth() const override { return settings_.PaperWidth(); }
    long double PaperLength() const override { return settings_.PaperLength(); }
    long double PageWidth() const override;
    long double PageHeight() const override;
    // The printer's physical offsets when printing straight to it, else 0.
    int LeftOffset() const;
    int TopOffset() const;

    // Page n of the store (1-based) while busy or finished; none otherwise.
    std::unique_ptr<TMetafile> GetPage(int n);

    void Preview();
    void ClosePreview();
    void SetPreviewActive(bool active);
    bool PreviewActive() const { return previewActive_; }
    void SetProgress(int percent) override;
    void SetAvailablePages(int count);
    void SetProgressWindow(TMessageTarget *window) { progressWindow_ = window; }
    TMessageTarget *ProgressWindow() const { return progressWindow_.Get(); }
    void SetMessagingReport(TMessageTarget *report) { messagingReport_ = report; }
    TMessageTarget *PreviewWindow() const { return previewWindow_.Get(); }
    // Clears the tree view and fills it from the pages' outline.
    void SetOutlineView(TTreeView &view);

    // Plays the stored pages (FirstPage to LastPage) to the printer. Returns
    // whether a job was printed.
    bool Print();
    void Save(const std::string &fileName);
    void Load(const std::string &fileName);
    void ExportWithFilter(const std::string &filter);

    // Setters passing to the settings; those returning bool say whether the
    // printer took the value.
    void SetPrinterIndex(int index);
    bool SetCopies(int copies);
    bool SetPaperSize(TRpPaperSize size);
    bool SetOrientation(TPrinterOrientation orientation);
    bool SetDuplex(bool duplex);
    bool SetOutputBin(TRpBin bin);
    void SetPaperWidth(int width) { settings_.SetPaperWidth(width); }
    void SetPaperLength(int length) { settings_.SetPaperLength(length); }
    void SetPrintMetaFile(bool value) { settings_.PrintMetaFile = value; }
    void SetUseCustomBinCode(bool value) { settings_.UseCustomBinCode = value; }
    void SetUseCustomPaperCode(bool value) { settings_.UseCustomPaperCode = value; }
    void SetExtendedDuplex(int value) { settings_.ExtendedDuplex = value; }
    void SetCustomBinCode(int value) { settings_.CustomBinCode = value; }
    void SetCustomPaperCode(int value) { settings_.CustomPaperCode = value; }
    void SetPrintQuality(int value) { settings_.PrintQuality = value; }
    void SetCollate(int value) { settings_.Collate = value; }
    void SetColorOption(int value) { settings_.ColorOption = value; }
    void SetUseStandardPrinter(bool value) { settings_.UseStandardprinter = value; }
    void SetOnApplyPrinterSettings(TRpPrinterEvent handler) { settings_.OnApplyPrinterSettings = std::move(handler); }
    void SetOnGetPrinterSettings(TRpPrinterEvent handler) { settings_.OnGetPrinterSettings = std::move(handler); }
    void SetCompression(bool compress) override;
    void SetTitle(const std::string &title) override { Title = title; }
    // Takes the report's page and printer settings before a run.
    void ApplyPrinterSettings(TCustomBandReport &report) override;
    // The printer's resolution while pages go straight to it, else 0.
    int PrinterPixelsPerInchX() const override;
    void SetDestination(TRpDestination destination) { destination_ = destination; }
    void SetPageNumber(int number) { pageNumber_ = number; }

    TRpPaperSize GetPaperSize() const { return settings_.PaperSize(); }
    int GetPaperWidth() const { return settings_.PaperWidth(); }
    int GetPaperLength() const { return settings_.PaperLength(); }
    TPrinterOrientation GetOrientation() const { return settings_.Orientation(); }
    bool UseStandardPrinter() const { return settings_.UseStandardprinter; }
    bool PrintMetaFile() const { return settings_.PrintMetaFile; }

    TRpPrinterState State() const { return state_; }
    TRpDestination Destination() const { return destination_; }
    int PageCount() const { return pageCount_; }
    int PageNumber() const { return pageNumber_; }
    int AvailablePages() const { return availablePages_; }
    int Progress() const { return progress_; }
    bool PrintersExist() const { return printersExist_; }
    TPrinter &PrinterObject() const { return *printer_; }
    TPrinterSettings &Settings() { return settings_; }
    TRpReportLink *Report() const { return report_; }

    // The report is gone: forget it.
    void ReportDestroyed() { report_ = nullptr; }
    void AttachClient(TRpPrinterClient *client);
    void DetachClient(TRpPrinterClient *client);

    int FirstPage = 0;  // 0 = from the first
    int LastPage = 0;   // 0 = to the last
    std::string Title;
    bool Prepared = false;
    // Whether the pages came from a report file (Load) rather than a run.
    bool FileLoaded() const { return fileLoaded_; }
    TRpAfterPrintEvent OnAfterPrint;
    TRpAfterPrintEvent OnClose;
    std::function<void(TRpPrinter *sender, const std::string &filter)> OnExport;
    TRpAfterPrintEvent OnPrintSetup;
    TRpAfterPrintEvent OnPreview;

private:
    bool PageInRange() const;
    void StartMetafilePage();
    void StartPrinterPage();
    void ClosePage(bool keep);
    void UseScreenFactors();
    void UsePrinterFactors();
    void CleanUp();
    bool ConfirmPaper();
    void ReportNothingPrinted();
    void PrintStoredPages(int first, int last, bool showProgress);
    void DerivePaperFromFirstPage();

    std::unique_ptr<TPrinter> ownPrinter_;
    TPrinter *printer_ = nullptr;
    TRpReportLink *report_ = nullptr;
    std::vector<TRpPrinterClient *> clients_;
    int availablePages_ = 0;
    bool cancelled_ = false;
    TRpDestination destination_ = rpdPageStore;
    int leftOffset_ = 0;
    int topOffset_ = 0;
    TMessageTargetRef progressWindow_;
    TMessageTargetRef messagingReport_;
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
    TMessageTargetRef previewWindow_;
    std::unique_ptr<TRpProgressWindow> progressForm_;
    std::unique_ptr<TMetafile> metafile_;
    std::unique_ptr<TMetafileCanvas> metafileCanvas_;
    TCanvas *canvas_ = nullptr;
    int pageCount_ = 0;
    int pageNumber_ = 0;
    bool printersExist_ = false;
    int progress_ = 0;
    bool previewActive_ = false;
    TRpPrinterState state_ = rpsIdle;
    long double xFactor_ = 96.0L / 254;
    long double yFactor_ = 96.0L / 254;
    std::unique_ptr<TRpPageList> pageList_;
    std::shared_ptr<TRpStream> pageStream_;  // the run's or the loaded file's pages
    TPrinterSettings settings_;
    std::vector<std::unique_ptr<TObject>> pageObjects_;
    // A paper size asked for that the printer does not list.
    TRpPaperSize refusedPaper_ = TRpPaperSize::Default;
    // The paper last asked for (Default: none), asked again of a new printer.
    TRpPaperSize askedPaper_ = TRpPaperSize::Default;
    bool fileLoaded_ = false;
};
