#pragma once
// The banded report: a report holds bands (title, headers, detail, footers,
// groups, sub-details, child bands), bands hold printable controls. A report
// run asks its data controller for records, prints the bands over pages and
// columns and draws everything on an output device in device pixels converted
// from tenths of a millimetre.
//
// Bands and printables are plain objects: an owner frees them, a parent holds
// them, and their geometry is kept in screen pixels (96 per inch) beside the
// size objects that hold it in 0.1 mm.
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/Exceptions.h"
#include "platform/kernel/Forms.h"
#include "platform/graphics/Graphics.h"
#include "platform/core/Messages.h"
#include "report/RpDataSet.h"
#include "report/RpExpr.h"
#include "report/RpPrnSettings.h"
#include "report/RpUnits.h"

class TCustomBandReport;
class TBandReport;
class TRpCustomBand;
class TRpCustomController;
class TRpController;
class TRpControllerBand;
class TRpGroup;
class TRpPrinter;
class TRpReportLink;
class TMetafile;

// How a preview sizes the page: to fit it whole, to fit its width, or at a
// zoom of its own.
enum TRpZoomState { rpZoomToFit, rpZoomToWidth, rpZoomOther };

// A report run refused or misused.
class ERpReportError : public Exception {
public:
    using Exception::Exception;
};

// "Circular linking not allowed": what a refused band link reports.
extern const char *const SRpCircularLink;

// ---------------------------------------------------------------- output device

// The device a report run draws its pages on. The report printer is the real
// one; anything that can hand out a canvas per page may serve.
class TRpOutputDevice {
public:
    virtual ~TRpOutputDevice() = default;

    virtual void BeginDoc() = 0;
    // Opens the next page (the first call opens page 1).
    virtual void NewPage() = 0;
    virtual void EndDoc() = 0;
    virtual void AbortDoc() = 0;
    // The canvas of the open page.
    virtual TCanvas &Canvas() = 0;

    // Device pixels per 0.1 mm.
    virtual long double XFactor() const = 0;
    virtual long double YFactor() const = 0;
    // Positions and sizes in 0.1 mm to device pixels.
    virtual int XPos(long double x) const = 0;
    virtual int YPos(long double y) const = 0;
    virtual int XSize(long double x) const = 0;
    virtual int YSize(long double y) const = 0;

    // The paper in 0.1 mm as the paper table gives it (portrait).
    virtual long double PaperWidth() const = 0;
    virtual long double PaperLength() const = 0;
    // The page in 0.1 mm with the orientation applied.
    virtual long double PageWidth() const = 0;
    virtual long double PageHeight() const = 0;

    virtual bool Cancelled() const = 0;
    virtual void Cancel() = 0;
    virtual void SetProgress(int /*percent*/) {}
    virtual void SetTitle(const std::string & /*title*/) {}
    virtual void SetCompression(bool /*compress*/) {}
    // Takes the report's page and printer settings before the run.
    virtual void ApplyPrinterSettings(TCustomBandReport & /*report*/) {}
    // The horizontal resolution when the canvas is a printer's, else 0 (text
    // is then measured on the screen).
    virtual int PrinterPixelsPerInchX() const { return 0; }
};

// ---------------------------------------------------------------- plain controls

// A control of the report tree: owned by a component, held by a parent, with
// bounds in screen pixels.
class TRpControl : public TComponent {
public:
    explicit TRpControl(TComponent *owner);
    ~TRpControl() override;

    TRpControl *Parent() const { return parent_; }
    virtual void SetParent(TRpControl *parent);
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TRpControl *Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
    void SetTop(int top) { SetBounds(left_, top, width_, height_); }
    void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
    void SetHeight(int height) { SetBounds(left_, top_, width_, height); }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; }
    // The order among the parent's children is the order of printing: the
    // front one prints last, over the others.
    void BringToFront();
    void SendToBack();

    // The control's own font; changing it ends the use of the parent's font.
    TFont &Font() { return font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value) { parentFont_ = value; }
    // The font the control draws with: the parent's while ParentFont.
    const TFont &EffectiveFont() const;

protected:
    virtual void ParentChanged() {}
    virtual void BoundsChanged() {}
    virtual void EnabledChanged() {}
    // Sets the bounds without telling BoundsChanged.
    void StoreBounds(int left, int top, int width, int height);

private:
    TRpControl *parent_ = nullptr;
    std::vector<TRpControl *> controls_;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool enabled_ = true;
    bool visible_ = true;
    TColor color_ = clWhite;
    TFont font_;
    bool parentFont_ = true;
};

// The base of the report and its bands: a frame and a zoom.
class TRpBasePanel : public TRpControl {
public:
    explicit TRpBasePanel(TComponent *owner);

    TRpFrame &Frame() { return frame_; }
    const TRpFrame &Frame() const { return frame_; }
    int Zoom() const { return zoom_; }
    // Passes the zoom to every printable's size object and every child panel.
    virtual void SetZoom(int zoom);

private:
    TRpFrame frame_;
    int zoom_ = 100;
};

// ---------------------------------------------------------------- printables

enum class TRpAlignment { Left, Right, Center };

// The base of everything printed on a band or directly on the report. A
// printable whose content did not all fit leaves PrintFinished false; the band
// then opens a new column or page and calls Print again there.
class TRpPrintable : public TRpControl {
public:
    explicit TRpPrintable(TComponent *owner);

    TRpPrintableSize &Size() { return size_; }
    const TRpPrintableSize &Size() const { return size_; }
    TRpFrame &Frame() { return frame_; }
    const TRpFrame &Frame() const { return frame_; }
    TCustomBandReport *ParentReport() const { return parentReport_; }
    TRpOutputDevice *Printer() const { return printer_; }

    TRpAlignment Alignment() const { return alignment_; }
    virtual void SetAlignment(TRpAlignment alignment);
    bool AlignToBand() const { return alignToBand_; }
    void SetAlignToBand(bool value);
    bool PrintFinished() const { return printFinished_; }
    bool IsPrinting() const { return isPrinting_; }
    int PrintZoom() const { return size_.Zoom(); }

    virtual bool IsPrintable() const { return Enabled() || !Visible(); }
    virtual void AlignInBand();
    // Once per run, before anything prints.
    virtual void BeginPrint();
    // Prints at the band's print position (0.1 mm).
    virtual void Print(int x, int y);
    // Kind 0: one record printed by the band this printable registered with;
    // kind 2: the band was resized.
    virtual void BandChanged(TObject *sender, int kind);
    virtual void EndPrint();
    // The height the content needs in screen pixels; -1 when the printable
    // does not grow with its content.
    virtual int NeededHeight() { return -1; }

    // How far the content has printed, for telling whether a pass made progress.
    virtual int PrintProgress() const { return 0; }
    // Ends the content where it stands: the rest is not printed.
    virtual void FinishPrint() { printFinished_ = true; }

    void BindToReport(TCustomBandReport *report);

protected:
    void ParentChanged() override;
    void BoundsChanged() override;
    void SetPrintFinished(bool value) { printFinished_ = value; }
    // The printable's rectangle on the device at the band position.
    TRect DeviceRect(int x, int y) const;
    void DrawFrameAt(int x, int y);

private:
    void PushSizeToBounds();

    TRpPrintableSize size_;
    TRpFrame frame_;
    TCustomBandReport *parentReport_ = nullptr;
    TRpOutputDevice *printer_ = nullptr;
    TRpAlignment alignment_ = TRpAlignment::Left;
    bool alignToBand_ = false;
    bool aligning_ = false;
    bool printFinished_ = true;
    bool isPrinting_ = false;
};

// ---------------------------------------------------------------- bands

enum TRpBandType {
    rbTitle, rbPageHeader, rbDetail, rbPageFooter, rbSummary, rbGroupHeader,
    rbGroupFooter, rbSubDetail, rbColumnHeader, rbOverlay, rbChild,
};

// "Title", "Page Header", ... and "TitleBand", "PageHeaderBand", ...
const char *BandTypeCaptionOf(TRpBandType type);
const char *BandTypeNameOf(TRpBandType type);

using TRpBandBeforePrintEvent = std::function<void(TRpCustomBand *sender, bool &printBand)>;
using TRpBandAfterPrintEvent = std::function<void(TRpCustomBand *sender, bool bandPrinted)>;

class TRpCustomBand : public TRpBasePanel {
public:
    explicit TRpCustomBand(TComponent *owner);
    ~TRpCustomBand() override;

    TRpBandType BandType() const { return bandType_; }
    virtual const char *BandTypeCaption() const { return BandTypeCaptionOf(bandType_); }
    virtual const char *BandTypeName() const { return BandTypeNameOf(bandType_); }

    TRpBandSize &Size() { return size_; }
    const TRpBandSize &Size() const { return size_; }
    TCustomBandReport *ParentReport() const { return parentReport_; }
    virtual void SetParentReport(TCustomBandReport *report);
    // A band placed on a band goes on that band's parent.
    void SetParent(TRpControl *parent) override;

    bool AlignToBottom = false;
    bool TransparentBand = false;
    bool ForceNewColumn = false;
    bool ForceNewPage = false;
    bool PreCaluculateBandHeight = false;
    bool KeepOnOnePage = false;
    TRpBandBeforePrintEvent BeforePrint;
    TRpBandAfterPrintEvent AfterPrint;

    TRpCustomBand *LinkBand() const { return linkBand_; }
    // Refuses (answers false) a chain of linked bands that leads back here.
    bool SetLinkBand(TRpCustomBand *band);

    // The first child band (type rbChild) whose ParentBand is this band.
    TRpCustomBand *ChildBand() const;
    bool HasChild() const { return ChildBand() != nullptr; }
    void SetHasChild(bool value);

    // Run values: how far printables grew the band on this pass (0.1 mm).
    long double Expanded() const { return expanded_; }
    const TRect &BandFrameRect() const { return frameRect_; }
    TRpCustomController *NotifyController() const { return notifyController_; }
    void SetNotifyController(TRpCustomController *controller) { notifyController_ = controller; }

    // One band print at the report's print position.
    void DoPrint();
    bool CanExpand(long double extra) const;
    bool ExpandBand(long double extra, long double &newExpansion, bool &hasExpanded);
    long double HeightWithLinks() const;
    long double CalculateBandHeight();

protected:
    void SetBandTypeValue(TRpBandType type);
    void Notification(TComponent *component, TOperation operation) override;
    void BoundsChanged() override;

private:
    friend class TRpChildBand;
    void PrintPasses();
    void ForceFinishStalled(const std::vector<TRpPrintable *> &printables, const std::vector<int> &progress);

    TRpBandType bandType_ = rbDetail;
    TRpBandSize size_;
    TCustomBandReport *parentReport_ = nullptr;
    TRpCustomBand *linkBand_ = nullptr;
    long double expanded_ = 0;
    long double calculatedHeight_ = 0;
    TRect frameRect_;
    TRpCustomController *notifyController_ = nullptr;
};

class TRpBand : public TRpCustomBand {
public:
    explicit TRpBand(TComponent *owner, TRpBandType type = rbDetail);
    void SetBandType(TRpBandType type);
};

class TRpChildBand : public TRpCustomBand {
public:
    explicit TRpChildBand(TComponent *owner);
    ~TRpChildBand() override;

    TRpCustomBand *ParentBand() const { return parentBand_; }
    // Refuses (answers false) a chain of parent bands that leads back here.
    bool SetParentBand(TRpCustomBand *band);
    // The type the band prints as (a page footer's child prints as a page footer).
    void PrintAs(TRpBandType type) { SetBandTypeValue(type); }

protected:
    void Notification(TComponent *component, TOperation operation) override;

private:
    TRpCustomBand *parentBand_ = nullptr;
};

// ---------------------------------------------------------------- controllers

using TRpOnNeedDataEvent = std::function<void(TObject *sender, bool &moreData)>;

// The record loop of a report or of a sub-detail band.
class TRpCustomController : public TObject {
public:
    // `panel` is the report or controller band that created the controller and
    // the component it serves.
    explicit TRpCustomController(TComponent *panel);
    ~TRpCustomController() override;

    TComponent *OwnerComponent() const { return ownerComponent_; }
    TComponent *Master() const { return master_; }
    void SetMaster(TComponent *master);
    TCustomBandReport *ParentReport() const { return parentReport_; }
    void SetParentReport(TCustomBandReport *report) { parentReport_ = report; }
    bool PrintBefore() const { return printBefore_; }
    virtual void SetPrintBefore(bool value) { printBefore_ = value; }
    bool PrintIfEmpty = true;

    const std::vector<TRpGroup *> &Groups() const { return groups_; }
    virtual void BuildBandLists();
    virtual void Execute();
    virtual void PrepareRun();
    virtual void UnprepareRun();
    virtual void ExecuteBefore();
    virtual void ExecuteAfter();
    virtual void PrintBands();
    // Appends the controller's bands to the report's band order.
    virtual void RegisterBands() {}
    virtual void RegisterDataSets() {}

    void AddNotifyClient(TRpPrintable *client);
    void RemoveNotifyClient(TRpPrintable *client);
    void NotifyClients(int kind);

    bool CheckGroups();
    void PrintGroupHeaders();
    void PrintGroupFooters();
    void ReprintGroupHeaders();

protected:
    std::vector<TRpCustomController *> afterList_;
    std::vector<TRpCustomController *> beforeList_;
    std::vector<TRpGroup *> groups_;

private:
    void CollectFrom(TComponent *holder);
    void RestartGroupsAfter(size_t index);

    TComponent *panel_;
    TComponent *master_ = nullptr;
    TComponent *ownerComponent_;
    bool printBefore_ = false;
    std::vector<TRpPrintable *> notifyList_;
    TCustomBandReport *parentReport_ = nullptr;
};

class TRpController : public TRpCustomController {
public:
    explicit TRpController(TComponent *panel);

    TRpCustomBand *DetailBand = nullptr;
    TRpCustomBand *HeaderBand = nullptr;
    TRpCustomBand *FooterBand = nullptr;
    TRpOnNeedDataEvent OnNeedData;
    // Records printed so far in this loop.
    int DetailNumber() const { return detailNumber_; }

    void Execute() override;
    void PrintBands() override;
    void RegisterBands() override;
    // Clears references to a band being freed.
    void BandRemoved(TComponent *component);

private:
    bool IsReportController() const;
    void AskForData(bool &moreData);
    void PrintSummary();

    int detailNumber_ = 0;
};

// A group header: prints when its expression changes; its footer band prints
// after the group's last record.
class TRpGroup : public TRpCustomBand {
public:
    explicit TRpGroup(TComponent *owner);
    ~TRpGroup() override;

    std::string Expression;
    bool ReprintOnNewPage = false;
    TRpCustomBand *FooterBand() const { return footerBand_; }
    void SetFooterBand(TRpCustomBand *band);
    TComponent *Master() const { return master_; }
    // Only a controller band or a report is accepted.
    void SetMaster(TComponent *master);
    void SetParentReport(TCustomBandReport *report) override;

    // Run state.
    TRpEvaluator &Evaluator() { return evaluator_; }
    bool Changed = false;
    bool HasValue = false;
    bool HeaderPrinted = false;
    int PageAtHeader = 1;
    TRpValue LastValue;
    void EvaluateGroup();
    // Stores the current value as a change (inner groups after an outer change).
    void Restart();

protected:
    void Notification(TComponent *component, TOperation operation) override;

private:
    TRpCustomBand *footerBand_ = nullptr;
    TComponent *master_ = nullptr;
    TRpEvaluator evaluator_;
};

// A band with its own record loop, printed once per record of its master.
class TRpControllerBand : public TRpCustomBand {
public:
    explicit TRpControllerBand(TComponent *owner);
    ~TRpControllerBand() override;

    TRpController &Controller() const { return *controller_; }
    TComponent *Master() const { return controller_->Master(); }
    // Refuses (answers false) a chain of masters that leads back to this band.
    virtual bool SetMaster(TComponent *master);
    void SetParentReport(TCustomBandReport *report) override;
    void AddNotifyClient(TRpPrintable *client) { controller_->AddNotifyClient(client); }

protected:
    void Notification(TComponent *component, TOperation operation) override;

private:
    std::unique_ptr<TRpController> controller_;
};

class TRpSubDetail;

// Whether a sub-detail has its group header and footer; setting one creates
// the band on the sub-detail's report and links it, clearing it frees the band.
class TRpSubDetailGroupBands {
public:
    explicit TRpSubDetailGroupBands(TRpSubDetail &band) : band_(band) {}
    bool HasHeader() const;
    void SetHasHeader(bool value);
    bool HasFooter() const;
    void SetHasFooter(bool value);

private:
    void SetGroupBand(TRpBandType type, bool value);
    TRpSubDetail &band_;
};

class TRpSubDetail : public TRpControllerBand {
public:
    explicit TRpSubDetail(TComponent *owner);

    TRpSubDetailGroupBands &Bands() { return bands_; }

    TRpCustomBand *HeaderBand() const { return Controller().HeaderBand; }
    void SetHeaderBand(TRpCustomBand *band);
    TRpCustomBand *FooterBand() const { return Controller().FooterBand; }
    void SetFooterBand(TRpCustomBand *band);
    bool PrintBefore() const { return Controller().PrintBefore(); }
    void SetPrintBefore(bool value);
    TRpOnNeedDataEvent &OnNeedData() { return Controller().OnNeedData; }

private:
    TRpSubDetailGroupBands bands_{*this};
};

// ---------------------------------------------------------------- the report

enum class TBandReportOption : unsigned { FirstPageHeader = 1, LastPageFooter = 2, Compression = 4 };

class TBandReportOptions {
public:
    TBandReportOptions(std::initializer_list<TBandReportOption> options = {});
    bool Contains(TBandReportOption option) const { return (bits_ & static_cast<unsigned>(option)) != 0; }
    void Include(TBandReportOption option) { bits_ |= static_cast<unsigned>(option); }
    void Exclude(TBandReportOption option) { bits_ &= ~static_cast<unsigned>(option); }
    friend bool operator==(const TBandReportOptions &, const TBandReportOptions &) = default;

private:
    unsigned bits_ = 0;
};

// Which standard bands the report has; setting one creates or frees the band.
class TBandReportBands {
public:
    explicit TBandReportBands(TCustomBandReport &report) : report_(report) {}
    bool HasTitle() const { return Has(rbTitle); }
    void SetHasTitle(bool value) { Set(rbTitle, value); }
    bool HasPageHeader() const { return Has(rbPageHeader); }
    void SetHasPageHeader(bool value) { Set(rbPageHeader, value); }
    bool HasColumnHeader() const { return Has(rbColumnHeader); }
    void SetHasColumnHeader(bool value) { Set(rbColumnHeader, value); }
    bool HasDetail() const { return Has(rbDetail); }
    void SetHasDetail(bool value) { Set(rbDetail, value); }
    bool HasPageFooter() const { return Has(rbPageFooter); }
    void SetHasPageFooter(bool value) { Set(rbPageFooter, value); }
    bool HasSummary() const { return Has(rbSummary); }
    void SetHasSummary(bool value) { Set(rbSummary, value); }

private:
    bool Has(TRpBandType type) const;
    void Set(TRpBandType type, bool value);
    TCustomBandReport &report_;
};

using TRpReportBeforePrintEvent = std::function<void(TCustomBandReport *sender, bool &printReport)>;
using TRpNotifyEvent = std::function<void(TCustomBandReport *sender)>;

// The report. Prepare, Preview and Print run it through a fresh report
// printer; BuildReport runs it on any output device.
class TCustomBandReport : public TRpBasePanel, public TMessageTarget {
public:
    explicit TCustomBandReport(TComponent *owner);
    ~TCustomBandReport() override;

    // Builds every page into a fresh printer's page store; the caller then
    // prints or saves them and frees the printer (TakePrinter).
    void Prepare();
    // Shows a preview and builds the pages into it; returns when the preview
    // has gone.
    void Preview();
    // Builds the pages straight onto the printer.
    void Print();
    // Replaces the report's printer by a fresh one (false while running).
    bool NewPrinter();
    // Copies the page and printer settings into the report's printer.
    void ApplyPrinterSettings();
    // The printer of the last Prepare or Preview, while the report holds it.
    TRpPrinter *ReportPrinter() const { return printer_; }
    // Hands the printer to the caller, who frees it.
    std::unique_ptr<TRpPrinter> TakePrinter();
    // The printer's print-setup hook: the print dialog on the application's
    // printer object, its choice copied into PrinterSettings, Page and
    // SetupSettings. Tag says 1 after Cancel, 0 after OK.
    void PrinterSetup();
    // The settings the print-setup dialog chose last.
    const TBandReportPrinterSettings &SetupSettings() const { return setupSettings_; }
    // The printer's export hook; this system registers no export filter.
    void ExportToFilter(const std::string &filter);
    void WndProc(TMessage &message) override;

    bool ShowProgress() const { return showProgress_; }
    void SetShowProgress(bool value) { showProgress_ = value; }
    // The page in 0.1 mm whatever the unit.
    int ReportPageWidth() const;
    int ReportPageLength() const;

    // Fired after the pages went to the printer, and when a preview closes.
    TNotifyEvent AfterPrint;
    TNotifyEvent AfterPreview;
    // Handed to the printer, which calls it instead of showing its own preview.
    std::function<void(TRpPrinter *sender)> OnPreview;
    TRpPrinterEvent OnGetPrinterSettings;
    TRpPrinterEvent OnApplyPrinterSettings;

    // Properties.
    TRpPage &Page() { return page_; }
    const TRpPage &Page() const { return page_; }
    TBandReportBands &Bands() { return bandsObject_; }
    TBandReportPrinterSettings &PrinterSettings() { return printerSettings_; }
    TRpEvEnvironment &Functions() { return functions_; }
    std::vector<std::string> Description;
    std::string ReportTitle;
    std::string BackImageControl;
    TBandReportOptions Options{TBandReportOption::FirstPageHeader, TBandReportOption::LastPageFooter};
    bool SnapToGrid = true;
    bool PrintIfEmpty() const { return controller_->PrintIfEmpty; }
    void SetPrintIfEmpty(bool value) { controller_->PrintIfEmpty = value; }
    TRpUnit Units() const { return units_; }
    virtual void SetUnits(TRpUnit unit);
    void SetZoom(int zoom) override;
    int PreviewWidth() const { return previewWidth_ > 0 ? previewWidth_ : 500; }
    void SetPreviewWidth(int value) { previewWidth_ = value; }
    int PreviewHeight() const { return previewHeight_ > 0 ? previewHeight_ : 500; }
    void SetPreviewHeight(int value) { previewHeight_ = value; }
    bool PrevShowThumbs = true;
    bool PrevShowSearch = true;
    TFormStyle PrevFormStyle = fsNormal;
    TWindowState PreviewInitialState = wsNormal;
    TRpZoomState PrevInitialZoom = rpZoomToFit;
    // Page 1 of the last run, taken when the printer says it is ready.
    const TMetafile *SurfacePicture() const { return surfacePicture_.get(); }

    TRpReportBeforePrintEvent BeforePrint;
    TRpNotifyEvent OnStartPage;
    TRpNotifyEvent OnEndPage;
    TRpOnNeedDataEvent OnNeedData;

    // The data sets the run's expressions may read (not owned).
    TRpDataSetList &DataSets() { return dataSets_; }
    const TRpDataSetList &RunDataSets() const { return runDataSets_; }
    TRpCustomController &Controller() { return *controller_; }

    // Bands.
    const std::vector<TRpCustomBand *> &BandList() const { return bands_; }
    // The first band of that type in the band order (never a column footer).
    TRpCustomBand *FindBand(TRpBandType type) const;
    // A new band of that type on the report, named after its type with the
    // first free number among the form's components.
    TRpBand *CreateBand(TRpBandType type);
    void AddBand(TRpCustomBand *band);
    void RemoveBand(TRpCustomBand *band);
    void RegisterBand(TRpCustomBand *band);
    // Re-computes the band order and lays the bands out again.
    void SortBands();
    void LayoutBands();

    // The run.
    bool Idle() const { return idle_; }
    bool Cancelled() const { return cancelled_; }
    // Builds the report on the device (what Prepare, Preview and Print end in).
    virtual void BuildReport(TRpOutputDevice &device);
    void CancelRun();
    TRpOutputDevice *Printer() const { return device_; }
    int PageCount() const { return pageCount_; }
    int CurrentColumn() const { return currentColumn_; }
    virtual int CurrentRecordNo() const { return 0; }
    virtual int RecordCount() const { return 1; }
    void AddNotifyClient(TRpPrintable *client) { controller_->AddNotifyClient(client); }

    // Page logic used by the bands during a run (all in 0.1 mm).
    int PrintX() const { return printX_; }
    int PrintY() const { return printY_; }
    void SetPrintY(int y) { printY_ = y; }
    void PrintBand(TRpCustomBand *band);
    int SpaceLeft() const;
    void NewColumn();
    void BeginNewPage();
    void EndPage();
    void RequestNewPage();
    void RequestNewColumn();
    void CheckSpace(TRpCustomBand *band);
    bool Breaking() const { return breaking_; }
    void SetBreaking(bool value) { breaking_ = value; }
    bool PageJustStarted() const { return pageJustStarted_; }
    void SetPageJustStarted(bool value) { pageJustStarted_ = value; }

    // Text measured for the printable controls, in screen pixels.
    int MeasureTextWidth(const TFont &font, const std::string &text);
    int MeasureTextHeight(const TFont &font, const std::string &text);

protected:
    void SetController(std::unique_ptr<TRpCustomController> controller);
    virtual void LinkControllerBands() {}
    virtual void RunController();
    void Notification(TComponent *component, TOperation operation) override;

private:
    void RunSteps(TRpOutputDevice &device);
    void BeginRun(TRpOutputDevice &device);
    void EndRun();
    void CheckMargins(bool refuse);
    void ComputeFooterReserve();
    void ForEachPrintable(const std::function<void(TRpPrintable &)> &action);
    void SetConstant(const char *name, int value);
    int PageBottom() const;
    int ColumnWidth() const;
    void PrintPageFrame();
    void PageChanged(bool pageSize);
    void DoLayoutBands();
    TSize ScreenTextExtent(const TFont &font, const std::string &text);
    void TakePrinterPaper();
    void LinkPrinter(TRpPrinter &printer);
    void StartPrinterRun();
    void ForgetPrinter(TRpPrinter &printer);
    void CreateReportLink();
    void ReleasePrinters();
    friend class TBandReportLink;

    std::unique_ptr<TRpReportLink> link_;
    TRpPrinter *printer_ = nullptr;
    std::unique_ptr<TRpPrinter> ownedPrinter_;
    std::vector<TRpPrinter *> linkedPrinters_;
    bool showProgress_ = true;

    TRpPage page_;
    TBandReportBands bandsObject_;
    TBandReportPrinterSettings printerSettings_;
    TBandReportPrinterSettings setupSettings_;
    TRpEvEnvironment functions_;
    std::unique_ptr<TRpCustomController> controller_;
    std::vector<TRpCustomBand *> bands_;
    std::vector<TRpCustomBand *> sortList_;
    bool sorting_ = false;
    TRpDataSetList dataSets_;
    TRpDataSetList runDataSets_;
    TRpUnit units_;
    int previewWidth_ = 500;
    int previewHeight_ = 500;
    std::unique_ptr<TBitmap> measureBitmap_;
    std::unique_ptr<TMetafile> surfacePicture_;
    std::unordered_map<std::string, TSize> measured_;

    // Run state (0.1 mm).
    TRpOutputDevice *device_ = nullptr;
    bool idle_ = true;
    bool cancelled_ = false;
    bool lastPage_ = false;
    bool pageJustStarted_ = false;
    bool pendingColumn_ = false;
    bool breaking_ = false;
    int printX_ = 0;
    int printY_ = -1;
    int currentColumn_ = 1;
    int columnTop_ = 0;
    int pageCount_ = 0;
    long double footerReserve_ = 0;
};

// The report placed on forms: its controller prints the standard bands and
// asks OnNeedData for records.
class TBandReport : public TCustomBandReport {
public:
    explicit TBandReport(TComponent *owner);
    TRpController &ReportController();
    int CurrentRecordNo() const override;

protected:
    void LinkControllerBands() override;
    void RunController() override;
};
