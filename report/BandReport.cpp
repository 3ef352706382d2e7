// The report component: properties, band order and layout, the report run and
// the page and column logic the bands drive. Bands and controllers are in
// BandReportBands.cpp.
#include "report/BandReport.h"

#include <algorithm>

#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "report/RpPrntr.h"

const char *const SRpCircularLink = "Circular linking not allowed";

namespace {


bool JapaneseSystem()
{
    const std::string lang = Services().GetEnv("LANG");
    return lang.rfind("ja", 0) == 0;
}

} // namespace

// ---------------------------------------------------------------- TRpControl

TRpControl::TRpControl(TComponent *owner) : TComponent(owner)
{
    font_.OnChange = [this] { parentFont_ = false; };
}

TRpControl::~TRpControl()
{
    for (TRpControl *child : controls_)
        child->parent_ = nullptr;
    controls_.clear();
    if (parent_ != nullptr)
        std::erase(parent_->controls_, this);
}

void TRpControl::SetParent(TRpControl *parent)
{
    if (parent == parent_)
        return;
    if (parent_ != nullptr)
        std::erase(parent_->controls_, this);
    parent_ = parent;
    if (parent_ != nullptr)
        parent_->controls_.push_back(this);
    ParentChanged();
}

void TRpControl::BringToFront()
{
    if (parent_ == nullptr)
        return;
    std::erase(parent_->controls_, this);
    parent_->controls_.push_back(this);
}

void TRpControl::SendToBack()
{
    if (parent_ == nullptr)
        return;
    std::erase(parent_->controls_, this);
    parent_->controls_.insert(parent_->controls_.begin(), this);
}

void TRpControl::StoreBounds(int left, int top, int width, int height)
{
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void TRpControl::SetBounds(int left, int top, int width, int height)
{
    StoreBounds(left, top, width, height);
    BoundsChanged();
}

void TRpControl::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    EnabledChanged();
}

const TFont &TRpControl::EffectiveFont() const
{
    return parentFont_ && parent_ != nullptr ? parent_->EffectiveFont() : font_;
}

// ---------------------------------------------------------------- TRpBasePanel

TRpBasePanel::TRpBasePanel(TComponent *owner) : TRpControl(owner) {}

void TRpBasePanel::SetZoom(int zoom)
{
    if (zoom == 0)
        return;
    zoom_ = zoom;
    for (int i = 0; i < ControlCount(); ++i) {
        if (auto *printable = dynamic_cast<TRpPrintable *>(Controls(i)))
            printable->Size().SetZoom(zoom);
        else if (auto *panel = dynamic_cast<TRpBasePanel *>(Controls(i)))
            panel->SetZoom(zoom);
    }
}

// ---------------------------------------------------------------- TRpPrintable

TRpPrintable::TRpPrintable(TComponent *owner) : TRpControl(owner)
{
    size_.OnApply = [this] { PushSizeToBounds(); };
    SetBounds(0, 0, 10, 10);
}

void TRpPrintable::PushSizeToBounds()
{
    size_.SwitchToPixels();
    const int left = RoundInt(size_.Left());
    const int top = RoundInt(size_.Top());
    const int width = RoundInt(size_.Width());
    const int height = RoundInt(size_.Height());
    size_.RestoreUnits();
    StoreBounds(left, top, width, height);
}

void TRpPrintable::BoundsChanged()
{
    if (!size_.ParentUpdating()) {
        // Only the values that changed in pixels are taken: the others keep
        // their exact value in 0.1 mm.
        size_.SwitchToPixels();
        auto saved = std::move(size_.OnApply);
        if (RoundInt(size_.Height()) != Height())
            size_.SetHeight(Height());
        if (RoundInt(size_.Width()) != Width())
            size_.SetWidth(Width());
        if (RoundInt(size_.Top()) != Top())
            size_.SetTop(Top());
        if (RoundInt(size_.Left()) != Left())
            size_.SetLeft(Left());
        size_.OnApply = std::move(saved);
        size_.RestoreUnits();
    }
    if (alignToBand_ && !aligning_)
        AlignInBand();
}

void TRpPrintable::BindToReport(TCustomBandReport *report)
{
    parentReport_ = report;
    size_.SetCharacterFont(report != nullptr ? &report->Font() : nullptr);
}

void TRpPrintable::ParentChanged()
{
    if (auto *report = dynamic_cast<TCustomBandReport *>(Parent())) {
        size_.AssignUnits(report->Units());
        BindToReport(report);
    } else if (auto *band = dynamic_cast<TRpCustomBand *>(Parent())) {
        TCustomBandReport *report = band->ParentReport();
        size_.AssignUnits(report != nullptr ? report->Units() : TRpUnit::Native);
        BindToReport(report);
        PushSizeToBounds();
    }
}

void TRpPrintable::SetAlignment(TRpAlignment alignment)
{
    alignment_ = alignment;
    if (alignToBand_)
        AlignInBand();
}

void TRpPrintable::SetAlignToBand(bool value)
{
    alignToBand_ = value;
    AlignInBand();
}

void TRpPrintable::AlignInBand()
{
    if (!alignToBand_)
        return;
    aligning_ = true;
    auto *band = dynamic_cast<TRpCustomBand *>(Parent());
    if (alignment_ == TRpAlignment::Left)
        SetLeft(0);
    else if (band != nullptr && alignment_ == TRpAlignment::Right)
        SetLeft(band->Width() - Width());
    else if (band != nullptr)
        SetLeft((band->Width() - Width()) / 2);
    aligning_ = false;
}

void TRpPrintable::BeginPrint()
{
    isPrinting_ = true;
    printer_ = parentReport_ != nullptr ? parentReport_->Printer() : nullptr;
}

void TRpPrintable::EndPrint()
{
    isPrinting_ = false;
    printer_ = nullptr;
}

void TRpPrintable::BandChanged(TObject * /*sender*/, int kind)
{
    if (kind == 2)
        AlignInBand();
}

TRect TRpPrintable::DeviceRect(int x, int y) const
{
    const long double left = x + size_.Left();
    const long double top = y + size_.Top();
    return {printer_->XPos(left), printer_->YPos(top), printer_->XPos(left + size_.Width()),
            printer_->YPos(top + size_.Height())};
}

void TRpPrintable::DrawFrameAt(int x, int y)
{
    if (printer_ == nullptr || !frame_.AnyFrame())
        return;
    frame_.DrawFrame(printer_->Canvas(), DeviceRect(x, y), printer_->XFactor(), printer_->YFactor());
}

void TRpPrintable::Print(int x, int y) { DrawFrameAt(x, y); }

// ---------------------------------------------------------------- options and bands object

TBandReportOptions::TBandReportOptions(std::initializer_list<TBandReportOption> options)
{
    for (TBandReportOption option : options)
        Include(option);
}

bool TBandReportBands::Has(TRpBandType type) const { return report_.FindBand(type) != nullptr; }

void TBandReportBands::Set(TRpBandType type, bool value)
{
    TRpCustomBand *existing = report_.FindBand(type);
    if (!value) {
        delete existing;
        return;
    }
    if (existing == nullptr)
        report_.CreateBand(type);
}

TRpBand *TCustomBandReport::CreateBand(TRpBandType type)
{
    TComponent *owner = Owner() != nullptr ? Owner() : this;
    auto *band = new TRpBand(owner, type);
    for (int number = 1;; ++number) {
        const std::string name = BandTypeNameOf(type) + std::to_string(number);
        if (owner->FindComponent(name) == nullptr) {
            band->SetName(name);
            break;
        }
    }
    band->SetParent(this);
    return band;
}

// ---------------------------------------------------------------- TCustomBandReport

TCustomBandReport::TCustomBandReport(TComponent *owner)
    : TRpBasePanel(owner), bandsObject_(*this),
      controller_(std::make_unique<TRpCustomController>(this)), units_(RpDefaultUnit()),
      measureBitmap_(std::make_unique<TBitmap>(1, 1))
{
    functions_.Define("PAGENUMBER", "0");
    functions_.Define("COLUMNNUMBER", "0");
    functions_.Define("REPORTTITLE", "''");
    SetColor(clWhite);
    if (!JapaneseSystem()) {
        Font().SetName("Arial");
        Font().SetSize(10);
    }
    controller_->SetParentReport(this);
    page_.AssignUnits(units_);
    page_.SetCharacterFont(&Font());
    page_.OnChange = [this](bool pageSize) { PageChanged(pageSize); };
    PageChanged(true);
    ReportFileLoaded = false;
    CreateReportLink();
    TakePrinterPaper();
}

// A new report starts on the paper the printer is set to.
void TCustomBandReport::TakePrinterPaper()
{
    TRpPrinter printer;
    if (printer.PrintersExist() && printer.GetPaperSize() != TRpPaperSize::Default)
        page_.SetPaperSize(printer.GetPaperSize());
}

TCustomBandReport::~TCustomBandReport()
{
    ReleasePrinters();
    DestroyComponents();
    ForEachPrintable([](TRpPrintable &printable) { printable.BindToReport(nullptr); });
    for (TRpCustomBand *band : bands_)
        band->SetParentReport(nullptr);
    bands_.clear();
}

void TCustomBandReport::SetController(std::unique_ptr<TRpCustomController> controller)
{
    controller_ = std::move(controller);
    controller_->SetParentReport(this);
}

void TCustomBandReport::Notification(TComponent *component, TOperation operation)
{
    TRpBasePanel::Notification(component, operation);
}

void TCustomBandReport::SetUnits(TRpUnit unit)
{
    units_ = unit;
    page_.AssignUnits(unit);
    for (TRpCustomBand *band : bands_)
        band->Size().AssignUnits(unit);
    ForEachPrintable([unit](TRpPrintable &printable) { printable.Size().AssignUnits(unit); });
}

void TCustomBandReport::SetZoom(int zoom)
{
    if (zoom < 1 || zoom > 300)
        return;
    TRpBasePanel::SetZoom(zoom);
}

void TCustomBandReport::PageChanged(bool pageSize)
{
    if (pageSize) {
        page_.SwitchToPixels();
        const int width = RoundInt(page_.Width());
        const int height = RoundInt(page_.Length());
        page_.RestoreUnits();
        StoreBounds(Left(), Top(), width, height);
    }
    // Also during a run: a paper, orientation or margin set in BeforePrint
    // must reach the band widths the run prints with.
    DoLayoutBands();
}

void TCustomBandReport::ForEachPrintable(const std::function<void(TRpPrintable &)> &action)
{
    std::function<void(TRpControl &)> walk = [&](TRpControl &panel) {
        for (int i = 0; i < panel.ControlCount(); ++i) {
            TRpControl *control = panel.Controls(i);
            if (auto *printable = dynamic_cast<TRpPrintable *>(control))
                action(*printable);
            else
                walk(*control);
        }
    };
    walk(*this);
}

// ---------------------------------------------------------------- band order

TRpCustomBand *TCustomBandReport::FindBand(TRpBandType type) const
{
    for (TRpCustomBand *band : bands_)
        if (band->BandType() == type)
            return band;
    return nullptr;
}

void TCustomBandReport::AddBand(TRpCustomBand *band)
{
    if (std::find(bands_.begin(), bands_.end(), band) != bands_.end())
        return;
    bands_.push_back(band);
    SortBands();
}

void TCustomBandReport::RemoveBand(TRpCustomBand *band)
{
    if (std::find(bands_.begin(), bands_.end(), band) == bands_.end())
        return;
    std::erase(bands_, band);
    if (auto *controller = dynamic_cast<TRpController *>(controller_.get()))
        controller->BandRemoved(band);
    for (TRpCustomBand *other : bands_) {
        if (other->LinkBand() == band)
            other->SetLinkBand(nullptr);
        if (auto *child = dynamic_cast<TRpChildBand *>(other); child != nullptr && child->ParentBand() == band)
            child->SetParentBand(nullptr);
        if (auto *group = dynamic_cast<TRpGroup *>(other)) {
            if (group->FooterBand() == band)
                group->SetFooterBand(nullptr);
            if (group->Master() == band)
                group->SetMaster(this);
        }
        if (auto *controllerBand = dynamic_cast<TRpControllerBand *>(other)) {
            controllerBand->Controller().BandRemoved(band);
            if (controllerBand->Master() == band)
                controllerBand->SetMaster(this);
        }
    }
    if (!Destroying())
        SortBands();
}

void TCustomBandReport::RegisterBand(TRpCustomBand *band)
{
    auto placed = [this](TRpCustomBand *b) {
        return std::find(sortList_.begin(), sortList_.end(), b) != sortList_.end();
    };
    for (TRpCustomBand *b = band; b != nullptr && !placed(b); b = b->ChildBand())
        sortList_.push_back(b);
}

void TCustomBandReport::SortBands()
{
    if (Destroying() || sorting_)
        return;
    sorting_ = true;
    LinkControllerBands();
    controller_->BuildBandLists();
    sortList_.clear();
    auto registerType = [this](TRpBandType type) {
        for (TRpCustomBand *band : bands_)
            if (band->BandType() == type)
                RegisterBand(band);
    };
    registerType(rbPageHeader);
    registerType(rbTitle);
    registerType(rbColumnHeader);
    controller_->RegisterBands();
    registerType(rbPageFooter);
    for (TRpCustomBand *band : bands_)
        RegisterBand(band);
    // A band whose parent band is not on this report is left out of the chains above.
    for (TRpCustomBand *band : bands_)
        if (std::find(sortList_.begin(), sortList_.end(), band) == sortList_.end())
            sortList_.push_back(band);
    bands_ = sortList_;
    sortList_.clear();
    sorting_ = false;
    LayoutBands();
}

// The type that decides a band's width: a child band takes its parent's.
static TRpBandType LayoutType(const TRpCustomBand *band)
{
    for (int depth = 0; band != nullptr && band->BandType() == rbChild && depth < 1000; ++depth) {
        auto *child = dynamic_cast<const TRpChildBand *>(band);
        if (child == nullptr || child->ParentBand() == nullptr)
            return rbChild;
        band = child->ParentBand();
    }
    return band != nullptr ? band->BandType() : rbChild;
}

void TCustomBandReport::LayoutBands()
{
    if (idle_)
        DoLayoutBands();
}

void TCustomBandReport::DoLayoutBands()
{
    if (Destroying())
        return;
    page_.SwitchToPixels();
    const int left = RoundInt(page_.LeftMargin());
    const int printableWidth = Width() - RoundInt(page_.LeftMargin() + page_.RightMargin());
    const int columns = page_.Columns();
    const int columnWidth = (printableWidth - (columns - 1) * RoundInt(page_.ColumnSpace())) / columns;
    int top = RoundInt(page_.TopMargin());
    page_.RestoreUnits();
    for (TRpCustomBand *band : bands_) {
        const TRpBandType type = LayoutType(band);
        const bool fullWidth = type == rbTitle || type == rbPageHeader || type == rbPageFooter
            || type == rbSummary || type == rbOverlay;
        band->SetBounds(left, top, fullWidth ? printableWidth : columnWidth, band->Height());
        top += band->Height();
    }
}

// ---------------------------------------------------------------- the run

void TCustomBandReport::CancelRun()
{
    if (idle_)
        return;
    cancelled_ = true;
    if (device_ != nullptr)
        device_->Cancel();
}

void TCustomBandReport::CheckMargins(bool refuse)
{
    const bool noWidth = page_.Width() - page_.LeftMargin() - page_.RightMargin() < 0;
    const bool noLength = page_.Length() - page_.TopMargin() - page_.BottomMargin() < 0;
    if (refuse && (noWidth || noLength))
        throw ERpReportError("The page margins leave no room to print on.");
    if (noWidth) {
        page_.SetLeftMargin(0);
        page_.SetRightMargin(0);
    }
    if (noLength) {
        page_.SetTopMargin(0);
        page_.SetBottomMargin(0);
    }
}

void TCustomBandReport::BuildReport(TRpOutputDevice &device)
{
    if (!idle_)
        return;
    surfacePicture_.reset();
    CheckMargins(false);
    idle_ = false;
    cancelled_ = lastPage_ = pageJustStarted_ = pendingColumn_ = breaking_ = false;
    runDataSets_ = dataSets_;
    try {
        bool printReport = true;
        if (BeforePrint)
            BeforePrint(this, printReport);
        if (printReport)
            RunSteps(device);
    } catch (...) {
        EndRun();
        throw;
    }
    EndRun();
}

void TCustomBandReport::EndRun()
{
    runDataSets_.clear();
    device_ = nullptr;
    idle_ = true;
}

void TCustomBandReport::RunSteps(TRpOutputDevice &device)
{
    device_ = &device;
    const TRpUnit remembered = units_;
    bool begun = false;
    bool prepared = false;
    auto unprepare = [&] {
        SetUnits(remembered);
        if (!prepared)
            return;
        prepared = false;
        ForEachPrintable([](TRpPrintable &printable) { printable.EndPrint(); });
        controller_->UnprepareRun();
        functions_.Unprepare();
        GetGlobalEnvironment().Unprepare();
    };
    try {
        SetUnits(TRpUnit::Native);
        device.ApplyPrinterSettings(*this);
        if (page_.PaperSize() == TRpPaperSize::Default) {
            page_.SetDimensions(device.PageWidth(), device.PageHeight());
            DoLayoutBands();
        }
        // The margins may have been set by BeforePrint or the paper changed.
        CheckMargins(true);
        device.SetTitle(ReportTitle);
        device.SetCompression(Options.Contains(TBandReportOption::Compression));
        device.BeginDoc();
        begun = true;
        printY_ = -1;
        pageCount_ = 0;
        currentColumn_ = page_.Columns();
        ComputeFooterReserve();
        printX_ = RoundInt(page_.LeftMargin());
        controller_->BuildBandLists();
        GetGlobalEnvironment().Prepare();
        functions_.AssignDataSets(runDataSets_);
        functions_.Prepare();
        prepared = true;
        TRpEvEnvironment::AssignStringConstant(functions_.FindConstant("REPORTTITLE"), ReportTitle);
        controller_->PrepareRun();
        ForEachPrintable([](TRpPrintable &printable) { printable.BeginPrint(); });
        RunController();
        printX_ = RoundInt(page_.LeftMargin());
        lastPage_ = true;
        if (!cancelled_)
            EndPage();
        unprepare();
    } catch (...) {
        unprepare();
        if (begun)
            device.AbortDoc();
        throw;
    }
    if (cancelled_)
        device.AbortDoc();
    else
        device.EndDoc();
}

void TCustomBandReport::RunController() { controller_->Execute(); }

void TCustomBandReport::ComputeFooterReserve()
{
    footerReserve_ = 0;
    for (TRpCustomBand *band : bands_) {
        if (band->BandType() != rbPageFooter || !band->Enabled())
            continue;
        for (TRpCustomBand *b = band; b != nullptr; b = b->ChildBand())
            footerReserve_ += b->Size().Height();
    }
}

void TCustomBandReport::SetConstant(const char *name, int value)
{
    TRpEvEnvironment::AssignIntegerConstant(functions_.FindConstant(name), value);
}

// ---------------------------------------------------------------- pages and columns

int TCustomBandReport::PageBottom() const
{
    const bool landscape = page_.Orientation() == poLandscape && page_.PaperSize() != TRpPaperSize::Custom;
    return RoundInt(landscape ? device_->PaperWidth() : device_->PaperLength());
}

int TCustomBandReport::SpaceLeft() const
{
    if (idle_ || printY_ == -1 || device_ == nullptr)
        return 0;
    return RoundInt(PageBottom() - page_.BottomMargin() - footerReserve_ - printY_);
}

void TCustomBandReport::PrintBand(TRpCustomBand *band)
{
    if (band == nullptr)
        return;
    if (band->AlignToBottom) {
        if (band->BandType() == rbSummary && !Options.Contains(TBandReportOption::LastPageFooter))
            footerReserve_ = 0;
        const int bottom = PageBottom();
        const long double height = band->Size().Height();
        if (bottom - printY_ >= RoundInt(height + page_.BottomMargin() + footerReserve_))
            printY_ = bottom - RoundInt(height) - RoundInt(page_.BottomMargin() + footerReserve_);
    }
    band->DoPrint();
}

void TCustomBandReport::CheckSpace(TRpCustomBand *band)
{
    const int height = RoundInt(band->HeightWithLinks());
    const bool detail = band->BandType() == rbDetail;
    if (pageCount_ == 0) {
        breaking_ = detail;
        NewColumn();
        return;
    }
    const long double emptyPage = page_.Length() - (page_.TopMargin() + page_.BottomMargin());
    if (band->BandType() != rbPageFooter && height > SpaceLeft() && height <= emptyPage) {
        breaking_ = detail;
        NewColumn();
    } else if (detail) {
        breaking_ = false;
    }
}

int TCustomBandReport::ColumnWidth() const
{
    if (TRpCustomBand *detail = FindBand(rbDetail))
        return RoundInt(detail->Size().Width());
    const int columns = page_.Columns();
    return (RoundInt(page_.Width() - (page_.LeftMargin() + page_.RightMargin()))
            - (columns - 1) * RoundInt(page_.ColumnSpace())) / columns;
}

void TCustomBandReport::NewColumn()
{
    if (currentColumn_ >= page_.Columns()) {
        currentColumn_ = 1;
        printX_ = RoundInt(page_.LeftMargin());
        BeginNewPage();
    } else {
        printX_ += ColumnWidth() + RoundInt(page_.ColumnSpace());
        printY_ = columnTop_;
        ++currentColumn_;
    }
    SetConstant("COLUMNNUMBER", currentColumn_);
    if (currentColumn_ != 1 || pageCount_ != 1) {
        PrintBand(FindBand(rbColumnHeader));
        controller_->ReprintGroupHeaders();
    }
}

void TCustomBandReport::BeginNewPage()
{
    EndPage();
    ++pageCount_;
    SetConstant("PAGENUMBER", pageCount_);
    device_->NewPage();
    printY_ = RoundInt(page_.TopMargin());
    if (OnStartPage)
        OnStartPage(this);
    if (pageCount_ > 1 || Options.Contains(TBandReportOption::FirstPageHeader))
        PrintBand(FindBand(rbPageHeader));
    columnTop_ = printY_;
    if (pageCount_ == 1)
        if (TRpCustomBand *title = FindBand(rbTitle))
            columnTop_ += RoundInt(title->Size().Height());
}

void TCustomBandReport::EndPage()
{
    if (pageCount_ < 1)
        return;
    printY_ = RoundInt(page_.Length() - page_.BottomMargin() - footerReserve_);
    printX_ = RoundInt(page_.LeftMargin());
    if (!lastPage_ || Options.Contains(TBandReportOption::LastPageFooter))
        PrintBand(FindBand(rbPageFooter));
    PrintPageFrame();
    if (OnEndPage)
        OnEndPage(this);
}

void TCustomBandReport::PrintPageFrame()
{
    for (int i = 0; i < ControlCount(); ++i)
        if (auto *printable = dynamic_cast<TRpPrintable *>(Controls(i)))
            printable->Print(0, 0);
    if (!Frame().AnyFrame())
        return;
    const TRect rect{device_->XPos(page_.LeftMargin()), device_->YPos(page_.TopMargin()),
                     device_->XPos(page_.Width() - page_.RightMargin()),
                     device_->YPos(page_.Length() - page_.BottomMargin())};
    Frame().DrawFrame(device_->Canvas(), rect, device_->XFactor(), device_->YFactor());
}

void TCustomBandReport::RequestNewPage()
{
    if (idle_)
        return;
    if (pageJustStarted_) {
        pageJustStarted_ = false;
        return;
    }
    do
        NewColumn();
    while (currentColumn_ != 1);
}

void TCustomBandReport::RequestNewColumn()
{
    if (idle_)
        return;
    if (pendingColumn_ || currentColumn_ > 1)
        NewColumn();
    else
        pendingColumn_ = true;
}

// ---------------------------------------------------------------- measuring

TSize TCustomBandReport::ScreenTextExtent(const TFont &font, const std::string &text)
{
    // Layouts repeat the same words over and over; the screen's answer never
    // changes for a font and a text.
    std::string key = font.Name();
    key += '\x1f' + std::to_string(font.Height()) + '\x1f' + std::to_string(font.Style()) + '\x1f'
        + std::to_string(font.PixelsPerInch()) + '\x1f' + text;
    if (auto found = measured_.find(key); found != measured_.end())
        return found->second;
    TCanvas &canvas = measureBitmap_->Canvas();
    canvas.Font().Assign(font);
    const TSize size = canvas.TextExtent(text);
    if (measured_.size() > 20000)
        measured_.clear();
    measured_.emplace(std::move(key), size);
    return size;
}

int TCustomBandReport::MeasureTextWidth(const TFont &font, const std::string &text)
{
    if (device_ != nullptr && device_->PrinterPixelsPerInchX() > 0) {
        TCanvas &canvas = device_->Canvas();
        canvas.Font().Assign(font);
        return RoundInt(static_cast<long double>(canvas.TextWidth(text)) * 96 / device_->PrinterPixelsPerInchX());
    }
    return ScreenTextExtent(font, text).cx + 1;
}

int TCustomBandReport::MeasureTextHeight(const TFont &font, const std::string &text)
{
    return ScreenTextExtent(font, text).cy;
}

// ---------------------------------------------------------------- TBandReport

TBandReport::TBandReport(TComponent *owner) : TCustomBandReport(owner)
{
    SetController(std::make_unique<TRpController>(this));
}

TRpController &TBandReport::ReportController() { return static_cast<TRpController &>(Controller()); }

int TBandReport::CurrentRecordNo() const
{
    return static_cast<const TRpController &>(const_cast<TBandReport *>(this)->Controller()).DetailNumber();
}

void TBandReport::LinkControllerBands()
{
    TRpController &controller = ReportController();
    controller.DetailBand = FindBand(rbDetail);
    controller.HeaderBand = FindBand(rbTitle);
    controller.FooterBand = FindBand(rbSummary);
}

void TBandReport::RunController()
{
    LinkControllerBands();
    ReportController().OnNeedData = OnNeedData;
    ReportController().Execute();
}
