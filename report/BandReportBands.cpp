// Bands and band printing, groups, controller bands and the data controllers'
// record loop.
#include <algorithm>
#include <array>

#include "platform/core/Messages.h"
#include "platform/core/SysUtils.h"
#include "report/BandReport.h"

namespace {

struct BandTypeTexts {
    const char *caption;
    const char *name;
};

constexpr std::array<BandTypeTexts, 11> kBandTypeTexts{{
    {"Title", "TitleBand"},
    {"Page Header", "PageHeaderBand"},
    {"Detail", "DetailBand"},
    {"Page Footer", "PageFooterBand"},
    {"Summary", "SummaryBand"},
    {"Group Header", "GroupHeaderBand"},
    {"Group Footer", "GroupFooterBand"},
    {"Sub Detail", "SubDetailBand"},
    {"Column Header", "ColumnHeaderBand"},
    {"Overlay", "OverlayBand"},
    {"Child", "ChildBand"},
}};

// Screen pixels per 0.1 mm.
constexpr long double kScreenFactor = 96.0L / 254;

// Lets pending application messages run: a preview or progress window may
// cancel the run meanwhile.
void LetMessagesRun() { ProcessMessages(); }

} // namespace

const char *BandTypeCaptionOf(TRpBandType type) { return kBandTypeTexts.at(static_cast<size_t>(type)).caption; }
const char *BandTypeNameOf(TRpBandType type) { return kBandTypeTexts.at(static_cast<size_t>(type)).name; }

// ---------------------------------------------------------------- TRpCustomBand

TRpCustomBand::TRpCustomBand(TComponent *owner) : TRpBasePanel(owner)
{
    size_.OnApply = [this] {
        size_.SwitchToPixels();
        const int width = RoundInt(size_.Width());
        const int height = RoundInt(size_.Height());
        size_.RestoreUnits();
        StoreBounds(Left(), Top(), width, height);
        if (parentReport_ != nullptr)
            parentReport_->LayoutBands();
    };
    SetColor(clWhite);
    SetBounds(0, 0, 100, 40);
}

TRpCustomBand::~TRpCustomBand()
{
    if (parentReport_ != nullptr)
        parentReport_->RemoveBand(this);
}

void TRpCustomBand::BoundsChanged()
{
    if (size_.ParentUpdating())
        return;
    // Only the sides that changed in pixels are taken: the others keep their
    // exact value in 0.1 mm.
    auto saved = std::move(size_.OnApply);
    size_.SwitchToPixels();
    if (RoundInt(size_.Height()) != Height())
        size_.SetHeight(Height());
    if (RoundInt(size_.Width()) != Width())
        size_.SetWidth(Width());
    size_.RestoreUnits();
    size_.OnApply = std::move(saved);
}

void TRpCustomBand::SetBandTypeValue(TRpBandType type) { bandType_ = type; }

void TRpCustomBand::SetParentReport(TCustomBandReport *report)
{
    parentReport_ = report;
    if (report == nullptr)
        return;
    size_.AssignUnits(report->Units());
    size_.SetCharacterFont(&report->Font());
    size_.SetZoom(report->Zoom());
}

void TRpCustomBand::SetParent(TRpControl *parent)
{
    if (auto *band = dynamic_cast<TRpCustomBand *>(parent))
        parent = band->Parent();
    TCustomBandReport *old = parentReport_;
    TRpBasePanel::SetParent(parent);
    auto *report = dynamic_cast<TCustomBandReport *>(parent);
    if (old != nullptr && old != report) {
        parentReport_ = nullptr;
        old->RemoveBand(this);
    }
    if (report != nullptr && report != old) {
        SetParentReport(report);
        SetZoom(report->Zoom());
        report->AddBand(this);
    }
}

bool TRpCustomBand::SetLinkBand(TRpCustomBand *band)
{
    for (TRpCustomBand *b = band; b != nullptr; b = b->linkBand_)
        if (b == this)
            return false;
    if (linkBand_ != nullptr)
        RemoveFreeNotification(linkBand_);
    linkBand_ = band;
    if (band != nullptr)
        FreeNotification(band);
    return true;
}

void TRpCustomBand::Notification(TComponent *component, TOperation operation)
{
    TRpBasePanel::Notification(component, operation);
    if (operation == TOperation::opRemove && component == linkBand_)
        linkBand_ = nullptr;
}

TRpCustomBand *TRpCustomBand::ChildBand() const
{
    if (parentReport_ == nullptr)
        return nullptr;
    for (TRpCustomBand *band : parentReport_->BandList()) {
        auto *child = dynamic_cast<TRpChildBand *>(band);
        if (child != nullptr && child->BandType() == rbChild && child->ParentBand() == this)
            return child;
    }
    return nullptr;
}

void TRpCustomBand::SetHasChild(bool value)
{
    TRpCustomBand *child = ChildBand();
    if (value == (child != nullptr))
        return;
    if (value) {
        auto *band = new TRpChildBand(Owner());
        band->SetParentBand(this);
        band->SetParent(Parent());
        return;
    }
    TRpCustomBand *grandChild = child->ChildBand();
    delete child;
    if (auto *next = dynamic_cast<TRpChildBand *>(grandChild))
        next->SetParentBand(this);
}

long double TRpCustomBand::HeightWithLinks() const
{
    long double height = 0;
    for (const TRpCustomBand *b = this; b != nullptr; b = b->linkBand_)
        height += b->size_.Height();
    return height;
}

long double TRpCustomBand::CalculateBandHeight()
{
    calculatedHeight_ = size_.Height();
    long double gap = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        auto *printable = dynamic_cast<TRpPrintable *>(Controls(i));
        if (printable == nullptr || !printable->Enabled())
            continue;
        const int needed = printable->NeededHeight();
        if (needed < 0)
            continue;
        const long double height = (printable->Top() + needed) / kScreenFactor;
        if (height > calculatedHeight_) {
            calculatedHeight_ = height;
            gap = (Height() - printable->Top() - printable->Height() + 1) / kScreenFactor;
        }
    }
    return calculatedHeight_ + std::max<long double>(gap, 0);
}

bool TRpCustomBand::CanExpand(long double extra) const
{
    return parentReport_ != nullptr
        && parentReport_->SpaceLeft() >= RoundInt(size_.Height() + expanded_ + extra);
}

bool TRpCustomBand::ExpandBand(long double extra, long double &newExpansion, bool &hasExpanded)
{
    if (!CanExpand(extra))
        return false;
    if (!hasExpanded && extra < expanded_) {
        newExpansion = expanded_;
        hasExpanded = true;
        return true;
    }
    expanded_ += extra;
    newExpansion = expanded_;
    hasExpanded = true;
    return false;
}

void TRpCustomBand::DoPrint()
{
    TCustomBandReport *report = parentReport_;
    if (report == nullptr)
        return;
    bool print = Enabled();
    if (print && BeforePrint)
        BeforePrint(this, print);
    if (print) {
        const bool pageBand = bandType_ == rbTitle || bandType_ == rbPageHeader
            || bandType_ == rbPageFooter || bandType_ == rbOverlay;
        if (ForceNewPage && !report->Breaking() && !pageBand && report->PageCount() > 0) {
            report->RequestNewPage();
            report->SetBreaking(false);
        } else if (ForceNewColumn && !pageBand && report->PageCount() > 0) {
            report->RequestNewColumn();
        } else {
            report->CheckSpace(this);
        }
        if (notifyController_ != nullptr)
            notifyController_->NotifyClients(0);
        if (KeepOnOnePage && CalculateBandHeight() > report->SpaceLeft())
            report->NewColumn();
        TRpOutputDevice &device = *report->Printer();
        const int x = report->PrintX();
        if (!TransparentBand && Enabled()) {
            const long double height = PreCaluculateBandHeight ? CalculateBandHeight() : size_.Height();
            frameRect_ = {device.XPos(x), device.YPos(report->PrintY()), device.XPos(x + size_.Width()),
                          device.YPos(report->PrintY() + height)};
        }
        if (Height() != 0 && Enabled())
            PrintPasses();
    } else if (!Enabled() && notifyController_ != nullptr) {
        notifyController_->NotifyClients(0);
    }
    if (AfterPrint)
        AfterPrint(this, print);
    if (TRpCustomBand *child = ChildBand()) {
        auto *childBand = static_cast<TRpChildBand *>(child);
        if (bandType_ == rbPageFooter)
            childBand->PrintAs(rbPageFooter);
        report->PrintBand(childBand);
        childBand->PrintAs(rbChild);
    }
    report->SetBreaking(false);
}

void TRpCustomBand::PrintPasses()
{
    TCustomBandReport &report = *parentReport_;
    TRpOutputDevice &device = *report.Printer();
    if (!TransparentBand) {
        TCanvas &canvas = device.Canvas();
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(Color());
        canvas.FillRect(frameRect_);
    }
    std::vector<TRpPrintable *> printables;
    for (int i = 0; i < ControlCount(); ++i)
        if (auto *printable = dynamic_cast<TRpPrintable *>(Controls(i)))
            printables.push_back(printable);
    expanded_ = 0;
    const long double height = size_.Height();
    for (bool firstPass = true;; firstPass = false) {
        std::vector<int> progress;
        for (TRpPrintable *printable : printables)
            progress.push_back(printable->PrintProgress());
        bool allFinished = true;
        for (TRpPrintable *printable : printables) {
            if (!printable->Enabled())
                continue;
            if (firstPass || !printable->PrintFinished())
                printable->Print(report.PrintX(), report.PrintY());
        }
        // A later pass runs on a fresh column or page: content that cannot
        // print even there never will, so it ends where it stands.
        if (!firstPass)
            ForceFinishStalled(printables, progress);
        for (TRpPrintable *printable : printables)
            if (printable->Enabled())
                allFinished = allFinished && printable->PrintFinished();
        const int x = report.PrintX();
        const int y = report.PrintY();
        frameRect_ = {device.XPos(x), device.YPos(y), device.XPos(x + size_.Width()),
                      device.YPos(y + size_.Height() + expanded_ + 1)};
        Frame().DrawFrame(device.Canvas(), frameRect_, device.XFactor(), device.YFactor());
        if (allFinished)
            break;
        report.SetBreaking(true);
        report.NewColumn();
        report.SetBreaking(false);
        size_.SetHeight(height);
        expanded_ = 0;
    }
    report.SetPrintY(report.PrintY() + RoundInt(size_.Height() + expanded_));
    size_.SetHeight(height);
}

void TRpCustomBand::ForceFinishStalled(const std::vector<TRpPrintable *> &printables,
                                       const std::vector<int> &progress)
{
    for (size_t i = 0; i < printables.size(); ++i) {
        TRpPrintable *printable = printables[i];
        if (printable->Enabled() && !printable->PrintFinished() && printable->PrintProgress() == progress[i])
            printable->FinishPrint();
    }
}

TRpBand::TRpBand(TComponent *owner, TRpBandType type) : TRpCustomBand(owner) { SetBandTypeValue(type); }

void TRpBand::SetBandType(TRpBandType type)
{
    SetBandTypeValue(type);
    if (ParentReport() != nullptr)
        ParentReport()->SortBands();
}

// ---------------------------------------------------------------- TRpChildBand

TRpChildBand::TRpChildBand(TComponent *owner) : TRpCustomBand(owner) { SetBandTypeValue(rbChild); }

TRpChildBand::~TRpChildBand() = default;

bool TRpChildBand::SetParentBand(TRpCustomBand *band)
{
    for (TRpCustomBand *b = band; b != nullptr;) {
        if (b == this)
            return false;
        auto *child = dynamic_cast<TRpChildBand *>(b);
        b = child != nullptr ? child->parentBand_ : nullptr;
    }
    if (parentBand_ != nullptr)
        RemoveFreeNotification(parentBand_);
    parentBand_ = band;
    if (band != nullptr)
        FreeNotification(band);
    if (ParentReport() != nullptr)
        ParentReport()->SortBands();
    return true;
}

void TRpChildBand::Notification(TComponent *component, TOperation operation)
{
    TRpCustomBand::Notification(component, operation);
    if (operation == TOperation::opRemove && component == parentBand_)
        parentBand_ = nullptr;
}

// ---------------------------------------------------------------- TRpGroup

TRpGroup::TRpGroup(TComponent *owner) : TRpCustomBand(owner) { SetBandTypeValue(rbGroupHeader); }

TRpGroup::~TRpGroup() = default;

void TRpGroup::SetFooterBand(TRpCustomBand *band)
{
    if (footerBand_ != nullptr)
        RemoveFreeNotification(footerBand_);
    footerBand_ = band;
    if (band == nullptr)
        return;
    FreeNotification(band);
    if (auto *plain = dynamic_cast<TRpBand *>(band))
        plain->SetBandType(rbGroupFooter);
    if (ParentReport() != nullptr)
        ParentReport()->SortBands();
}

void TRpGroup::SetMaster(TComponent *master)
{
    if (master != nullptr && dynamic_cast<TRpControllerBand *>(master) == nullptr
        && dynamic_cast<TCustomBandReport *>(master) == nullptr)
        return;
    master_ = master;
    if (ParentReport() != nullptr)
        ParentReport()->SortBands();
}

void TRpGroup::SetParentReport(TCustomBandReport *report)
{
    TRpCustomBand::SetParentReport(report);
    if (report != nullptr && master_ == nullptr)
        master_ = report;
}

void TRpGroup::Notification(TComponent *component, TOperation operation)
{
    TRpCustomBand::Notification(component, operation);
    if (operation == TOperation::opRemove && component == footerBand_)
        footerBand_ = nullptr;
}

static bool SameGroupValue(const TRpValue &a, const TRpValue &b)
{
    if (a.Kind != b.Kind)
        return false;
    switch (a.Kind) {
    case rpvInteger:
        return a.IntValue == b.IntValue;
    case rpvFloat:
        return a.FloatValue == b.FloatValue;
    case rpvString:
        return a.Text == b.Text;
    case rpvBoolean:
        return a.BoolValue == b.BoolValue;
    case rpvError:
        break;
    }
    return true;
}

void TRpGroup::EvaluateGroup()
{
    Changed = false;
    TRpValue value = evaluator_.Prepared() ? evaluator_.Evaluate() : TRpValue::Error();
    if (!HasValue) {
        LastValue = std::move(value);
        Changed = true;
        HasValue = true;
    } else if (!SameGroupValue(value, LastValue)) {
        LastValue = std::move(value);
        Changed = true;
    }
}

void TRpGroup::Restart()
{
    LastValue = evaluator_.Prepared() ? evaluator_.Evaluate() : TRpValue::Error();
    Changed = true;
    HasValue = true;
}

// ---------------------------------------------------------------- TRpControllerBand

TRpControllerBand::TRpControllerBand(TComponent *owner)
    : TRpCustomBand(owner), controller_(std::make_unique<TRpController>(this))
{
    controller_->DetailBand = this;
}

TRpControllerBand::~TRpControllerBand() = default;

bool TRpControllerBand::SetMaster(TComponent *master)
{
    for (TComponent *m = master; m != nullptr;) {
        if (m == this)
            return false;
        auto *band = dynamic_cast<TRpControllerBand *>(m);
        m = band != nullptr ? band->Master() : nullptr;
    }
    if (master != nullptr && dynamic_cast<TRpControllerBand *>(master) == nullptr
        && dynamic_cast<TCustomBandReport *>(master) == nullptr)
        return false;
    controller_->SetMaster(master);
    if (ParentReport() != nullptr)
        ParentReport()->SortBands();
    return true;
}

void TRpControllerBand::SetParentReport(TCustomBandReport *report)
{
    TRpCustomBand::SetParentReport(report);
    controller_->SetParentReport(report);
    if (report != nullptr && controller_->Master() == nullptr)
        controller_->SetMaster(report);
}

void TRpControllerBand::Notification(TComponent *component, TOperation operation)
{
    TRpCustomBand::Notification(component, operation);
}

TRpSubDetail::TRpSubDetail(TComponent *owner) : TRpControllerBand(owner) { SetBandTypeValue(rbSubDetail); }

void TRpSubDetail::SetHeaderBand(TRpCustomBand *band)
{
    Controller().HeaderBand = band;
    if (auto *plain = dynamic_cast<TRpBand *>(band))
        plain->SetBandType(rbGroupHeader);
    if (ParentReport() != nullptr)
        ParentReport()->SortBands();
}

void TRpSubDetail::SetFooterBand(TRpCustomBand *band)
{
    Controller().FooterBand = band;
    if (auto *plain = dynamic_cast<TRpBand *>(band))
        plain->SetBandType(rbGroupFooter);
    if (ParentReport() != nullptr)
        ParentReport()->SortBands();
}

bool TRpSubDetailGroupBands::HasHeader() const { return band_.HeaderBand() != nullptr; }
bool TRpSubDetailGroupBands::HasFooter() const { return band_.FooterBand() != nullptr; }

void TRpSubDetailGroupBands::SetHasHeader(bool value) { SetGroupBand(rbGroupHeader, value); }
void TRpSubDetailGroupBands::SetHasFooter(bool value) { SetGroupBand(rbGroupFooter, value); }

void TRpSubDetailGroupBands::SetGroupBand(TRpBandType type, bool value)
{
    const bool header = type == rbGroupHeader;
    TRpCustomBand *existing = header ? band_.HeaderBand() : band_.FooterBand();
    auto link = [this, header](TRpCustomBand *band) {
        if (header)
            band_.SetHeaderBand(band);
        else
            band_.SetFooterBand(band);
    };
    if (value && existing == nullptr && band_.ParentReport() != nullptr) {
        link(band_.ParentReport()->CreateBand(type));
    } else if (!value && existing != nullptr) {
        link(nullptr);
        delete existing;
    }
}

void TRpSubDetail::SetPrintBefore(bool value)
{
    Controller().SetPrintBefore(value);
    if (ParentReport() != nullptr)
        ParentReport()->SortBands();
}

// ---------------------------------------------------------------- TRpCustomController

TRpCustomController::TRpCustomController(TComponent *panel) : panel_(panel), ownerComponent_(panel) {}

TRpCustomController::~TRpCustomController() = default;

void TRpCustomController::SetMaster(TComponent *master)
{
    if (master == ownerComponent_)
        return;
    master_ = master;
}

void TRpCustomController::AddNotifyClient(TRpPrintable *client) { notifyList_.push_back(client); }

void TRpCustomController::RemoveNotifyClient(TRpPrintable *client) { std::erase(notifyList_, client); }

void TRpCustomController::NotifyClients(int kind)
{
    for (TRpPrintable *client : notifyList_)
        client->BandChanged(this, kind);
}

void TRpCustomController::CollectFrom(TComponent *holder)
{
    if (holder == nullptr)
        return;
    for (int i = 0; i < holder->ComponentCount(); ++i) {
        TComponent *component = holder->Components(i);
        if (auto *band = dynamic_cast<TRpControllerBand *>(component)) {
            TRpController &child = band->Controller();
            if (child.Master() == ownerComponent_ && &child != this) {
                child.SetParentReport(parentReport_);
                (child.PrintBefore() ? beforeList_ : afterList_).push_back(&child);
                child.BuildBandLists();
            }
        }
        if (auto *group = dynamic_cast<TRpGroup *>(component))
            if (group->Master() == ownerComponent_ && !group->Destroying() && group->ParentReport() != nullptr)
                groups_.push_back(group);
    }
}

void TRpCustomController::BuildBandLists()
{
    if (ownerComponent_->Destroying())
        return;
    afterList_.clear();
    beforeList_.clear();
    groups_.clear();
    CollectFrom(ownerComponent_->Owner());
    CollectFrom(ownerComponent_);
    RegisterDataSets();
}

void TRpCustomController::PrepareRun()
{
    notifyList_.clear();
    for (TRpCustomController *child : beforeList_)
        child->PrepareRun();
    for (TRpCustomController *child : afterList_)
        child->PrepareRun();
    for (TRpGroup *group : groups_) {
        TRpEvaluator &evaluator = group->Evaluator();
        if (parentReport_ != nullptr) {
            evaluator.AssignDataSets(&parentReport_->RunDataSets());
            evaluator.SetEnvironment(&parentReport_->Functions());
        }
        evaluator.Prepare(group->Expression);
        group->HasValue = false;
        group->PageAtHeader = 1;
    }
}

void TRpCustomController::UnprepareRun()
{
    for (TRpCustomController *child : beforeList_)
        child->UnprepareRun();
    for (TRpCustomController *child : afterList_)
        child->UnprepareRun();
    for (TRpGroup *group : groups_)
        group->Evaluator().Unprepare();
}

void TRpCustomController::Execute()
{
    if (PrintIfEmpty)
        PrintBands();
}

void TRpCustomController::ExecuteBefore()
{
    for (TRpCustomController *child : beforeList_)
        child->Execute();
}

void TRpCustomController::ExecuteAfter()
{
    for (TRpCustomController *child : afterList_)
        child->Execute();
}

void TRpCustomController::PrintBands()
{
    ExecuteBefore();
    ExecuteAfter();
}

void TRpCustomController::RestartGroupsAfter(size_t index)
{
    for (size_t j = index + 1; j < groups_.size(); ++j)
        groups_[j]->Restart();
}

bool TRpCustomController::CheckGroups()
{
    for (size_t i = 0; i < groups_.size(); ++i) {
        groups_[i]->EvaluateGroup();
        if (groups_[i]->Changed) {
            RestartGroupsAfter(i);
            return true;
        }
    }
    return false;
}

void TRpCustomController::PrintGroupHeaders()
{
    for (TRpGroup *group : groups_) {
        if (!group->Changed)
            continue;
        parentReport_->PrintBand(group);
        group->HeaderPrinted = true;
        group->PageAtHeader = parentReport_->PageCount();
    }
}

void TRpCustomController::PrintGroupFooters()
{
    for (auto it = groups_.rbegin(); it != groups_.rend(); ++it) {
        TRpGroup *group = *it;
        if (!group->Changed)
            continue;
        parentReport_->PrintBand(group->FooterBand());
        group->HeaderPrinted = false;
    }
}

void TRpCustomController::ReprintGroupHeaders()
{
    for (TRpGroup *group : groups_)
        if (group->Changed)
            return;
    for (TRpCustomController *child : beforeList_)
        child->ReprintGroupHeaders();
    bool marked = false;
    for (size_t i = 0; i < groups_.size(); ++i) {
        TRpGroup *group = groups_[i];
        const int pages = parentReport_->PageCount();
        group->Changed = group->ReprintOnNewPage && group->HeaderPrinted && pages != group->PageAtHeader;
        if (group->Changed) {
            group->PageAtHeader = pages;
            RestartGroupsAfter(i);
            marked = true;
            break;
        }
    }
    if (marked)
        PrintGroupHeaders();
    for (TRpCustomController *child : afterList_)
        child->ReprintGroupHeaders();
}

// ---------------------------------------------------------------- TRpController

TRpController::TRpController(TComponent *panel) : TRpCustomController(panel) {}

bool TRpController::IsReportController() const
{
    return ParentReport() != nullptr && OwnerComponent() == ParentReport();
}

void TRpController::BandRemoved(TComponent *component)
{
    if (DetailBand == component)
        DetailBand = nullptr;
    if (HeaderBand == component)
        HeaderBand = nullptr;
    if (FooterBand == component)
        FooterBand = nullptr;
}

void TRpController::PrintBands()
{
    TCustomBandReport *report = ParentReport();
    if (report == nullptr)
        return;
    report->PrintBand(HeaderBand);
    ExecuteBefore();
    report->PrintBand(DetailBand);
    ExecuteAfter();
    report->PrintBand(FooterBand);
}

void TRpController::RegisterBands()
{
    TCustomBandReport *report = ParentReport();
    if (report == nullptr)
        return;
    auto registerBand = [report](TRpCustomBand *band) {
        if (band != nullptr)
            report->RegisterBand(band);
    };
    registerBand(HeaderBand);
    for (TRpGroup *group : groups_)
        registerBand(group);
    for (TRpCustomController *child : beforeList_)
        child->RegisterBands();
    registerBand(DetailBand);
    for (TRpCustomController *child : afterList_)
        child->RegisterBands();
    for (auto it = groups_.rbegin(); it != groups_.rend(); ++it)
        registerBand((*it)->FooterBand());
    registerBand(FooterBand);
}

void TRpController::AskForData(bool &moreData)
{
    if (OnNeedData)
        OnNeedData(OwnerComponent(), moreData);
}

void TRpController::Execute()
{
    for (TRpGroup *group : groups_)
        group->HasValue = false;
    TCustomBandReport *report = ParentReport();
    if (!OnNeedData || report == nullptr) {
        if (PrintIfEmpty)
            PrintBands();
        return;
    }
    bool moreData = true;
    AskForData(moreData);
    detailNumber_ = 0;
    if (DetailBand != nullptr)
        DetailBand->SetNotifyController(this);
    if (!moreData)
        return;
    LetMessagesRun();
    if (report->Cancelled())
        return;
    const bool reportLoop = IsReportController();
    report->PrintBand(HeaderBand);
    // Only a printed title makes the next forced page break redundant.
    if (reportLoop && HeaderBand != nullptr)
        report->SetPageJustStarted(true);
    if (reportLoop && report->PageCount() <= 1) {
        TRpCustomBand *columnHeader = report->FindBand(rbColumnHeader);
        if (columnHeader != nullptr && columnHeader->Enabled()) {
            report->PrintBand(columnHeader);
            report->SetPageJustStarted(true);
        }
    }
    CheckGroups();
    while (moreData) {
        LetMessagesRun();
        if (report->Printer()->Cancelled() || report->Cancelled())
            return;
        ++detailNumber_;
        PrintGroupHeaders();
        ExecuteBefore();
        report->PrintBand(DetailBand);
        ExecuteAfter();
        moreData = false;
        AskForData(moreData);
        if (CheckGroups())
            PrintGroupFooters();
    }
    for (TRpGroup *group : groups_)
        group->Changed = !group->Changed;
    PrintGroupFooters();
    PrintSummary();
}

void TRpController::PrintSummary()
{
    TCustomBandReport *report = ParentReport();
    if (FooterBand == nullptr)
        return;
    if (report->PageCount() == 0)
        report->NewColumn();
    if (FooterBand->Size().Height() > report->SpaceLeft())
        report->NewColumn();
    report->PrintBand(FooterBand);
}
