#include "platform/graphics/Printers.h"

#include "platform/graphics/QtCanvas.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>

const char *const PdfPrinterName = "PDF";

namespace {

// Width and length in mm of the device mode's paper codes 1 to 68.
constexpr TPaperCodeSize kPaperSizes[69] = {
    {0, 0}, {215.9L, 279.4L}, {215.9L, 279.4L}, {279.4L, 431.8L}, {431.8L, 279.4L},
    {215.9L, 355.6L}, {139.7L, 215.9L}, {190.5L, 254}, {297, 420}, {210, 297},
    {210, 297}, {148, 210}, {250, 354}, {182, 257}, {215.9L, 330.2L},
    {215, 275}, {254, 355.6L}, {279.4L, 431.8L}, {215.9L, 279.4L}, {98.43L, 225.4L},
    {104.8L, 241.3L}, {114.3L, 263.5L}, {120.7L, 279.4L}, {127, 292.1L}, {431.8L, 558.8L},
    {558.8L, 863.6L}, {863.6L, 1117.6L}, {110, 220}, {162, 229}, {324, 458},
    {229, 324}, {114, 162}, {114, 229}, {250, 353}, {176, 250},
    {176, 125}, {110, 230}, {98.43L, 190.5L}, {92.01L, 165.1L}, {377.8L, 279.4L},
    {215.9L, 304.8L}, {215.9L, 330.2L}, {250, 353}, {100, 148}, {228.6L, 279.4L},
    {254, 279.4L}, {381, 279.4L}, {220, 220}, {100, 100}, {100, 100},
    {241.3L, 304.8L}, {241.3L, 381}, {296.9L, 457.2L}, {236, 322}, {279.4L, 215.9L},
    {297, 210}, {304.8L, 241.3L}, {227, 356}, {305, 487}, {215.9L, 322.3L},
    {210, 330}, {210, 148}, {257, 182}, {322, 445}, {174, 235},
    {201, 276}, {420, 594}, {420, 297}, {445, 322},
};

std::unique_ptr<TPrinterSystem> &CurrentSystem()
{
    static std::unique_ptr<TPrinterSystem> system = std::make_unique<TPrinterSystem>();
    return system;
}

int TenthsOfMm(qreal mm) { return RoundInt(static_cast<long double>(mm) * 10); }

int MmToPixels(int tenthsOfMm, int dpi) { return RoundInt(static_cast<long double>(tenthsOfMm) * dpi / 254); }

QString Q(const std::string &s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

TQueuePaper QueuePaperOf(const QPageSize &size)
{
    QSizeF mm = size.size(QPageSize::Millimeter);
    return {size.name().toStdString(), TenthsOfMm(mm.width()), TenthsOfMm(mm.height())};
}

TPrinterQueue QueueOf(const QPrinterInfo &info)
{
    TPrinterQueue queue;
    queue.Name = info.printerName().toStdString();
    queue.Driver = info.makeAndModel().isEmpty() ? std::string("CUPS") : info.makeAndModel().toStdString();
    QPrinter printer(info, QPrinter::HighResolution);
    queue.DpiX = queue.DpiY = printer.resolution() > 0 ? printer.resolution() : 600;
    const QPageSize defaultSize = info.defaultPageSize();
    for (const QPageSize &size : info.supportedPageSizes()) {
        if (size.isEquivalentTo(defaultSize))
            queue.DefaultPaper = static_cast<int>(queue.Papers.size());
        queue.Papers.push_back(QueuePaperOf(size));
    }
    if (queue.Papers.empty())
        queue.Papers.push_back(QueuePaperOf(QPageSize(QPageSize::A4)));
    queue.CustomSizes = info.supportsCustomPageSizes();
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    queue.OffsetLeft = TenthsOfMm(layout.minimumMargins().left());
    queue.OffsetTop = TenthsOfMm(layout.minimumMargins().top());
    queue.Collate = true;
    queue.Duplex = info.supportedDuplexModes().contains(QPrinter::DuplexLongSide);
    return queue;
}

QPrinter::DuplexMode DuplexModeOf(short duplex)
{
    switch (duplex) {
    case DMDUP_VERTICAL: return QPrinter::DuplexLongSide;
    case DMDUP_HORIZONTAL: return QPrinter::DuplexShortSide;
    default: return QPrinter::DuplexNone;
    }
}

} // namespace

bool PaperCodeSize(int code, TPaperCodeSize &size)
{
    if (code < 1 || code > 68)
        return false;
    size = kPaperSizes[code];
    return true;
}

int PaperCodeOfSize(long double widthMm, long double lengthMm)
{
    // Half a millimetre keeps ISO B4 (250 x 353) apart from code 12 (250 x 354).
    constexpr long double kTolerance = 0.51L;
    for (int code = 1; code <= 68; ++code)
        if (std::fabs(kPaperSizes[code].Width - widthMm) <= kTolerance
            && std::fabs(kPaperSizes[code].Length - lengthMm) <= kTolerance)
            return code;
    return 0;
}

std::vector<TPrinterQueue> TPrinterSystem::Queues()
{
    std::vector<TPrinterQueue> queues;
    for (const QPrinterInfo &info : QPrinterInfo::availablePrinters())
        queues.push_back(QueueOf(info));
    return queues;
}

int TPrinterSystem::DefaultQueue(const std::vector<TPrinterQueue> &queues)
{
    const std::string name = QPrinterInfo::defaultPrinterName().toStdString();
    for (size_t i = 0; i < queues.size(); ++i)
        if (queues[i].Name == name)
            return static_cast<int>(i);
    return -1;
}

TPrinterSystem &PrinterSystem() { return *CurrentSystem(); }

std::unique_ptr<TPrinterSystem> SetPrinterSystem(std::unique_ptr<TPrinterSystem> system)
{
    std::unique_ptr<TPrinterSystem> previous = std::move(CurrentSystem());
    CurrentSystem() = system ? std::move(system) : std::make_unique<TPrinterSystem>();
    return previous;
}

// ---------------------------------------------------------------- TPrinter

struct TPrinter::TJob {
    QPrinter printer{QPrinter::HighResolution};
    QPainter painter;
    std::unique_ptr<TQtCanvas> canvas;
    std::string outputFile;  // a PDF job's file, removed when the job is aborted
    int pageNumber = 1;
};

TPrinter::TPrinter() { Refresh(); }

TPrinter::~TPrinter()
{
    if (job_)
        Abort();
}

void TPrinter::Refresh()
{
    if (job_)
        throw EPrinter("Printing in progress");
    queues_ = PrinterSystem().Queues();
    int systemDefault = PrinterSystem().DefaultQueue(queues_);
    queues_.push_back(PdfQueue());
    defaultIndex_ = systemDefault >= 0 && systemDefault < PrinterCount() ? systemDefault : 0;
    index_ = defaultIndex_;
    modes_.clear();
    modes_.resize(queues_.size());
}

TPrinterQueue TPrinter::PdfQueue() const
{
    TPrinterQueue queue;
    queue.Name = PdfPrinterName;
    queue.Driver = "PDF";
    for (int code = 1; code <= 68; ++code) {
        const TPaperCodeSize &size = kPaperSizes[code];
        if (PaperCodeOfSize(size.Width, size.Length) != code)
            continue;  // the same sheet under an earlier code
        if (code == 9)
            queue.DefaultPaper = static_cast<int>(queue.Papers.size());
        queue.Papers.push_back({"", RoundInt(size.Width * 10), RoundInt(size.Length * 10)});
    }
    queue.CustomSizes = true;
    queue.Copies = false;  // a PDF file holds one copy
    return queue;
}

std::vector<std::string> TPrinter::Printers() const
{
    std::vector<std::string> names;
    for (const TPrinterQueue &queue : queues_)
        names.push_back(queue.Name);
    return names;
}

void TPrinter::SetPrinterIndex(int index)
{
    if (index == -1)
        index = defaultIndex_;
    if (index < 0 || index >= PrinterCount())
        throw EPrinter("Printer selected is not valid");
    if (job_)
        throw EPrinter("Printing in progress");
    index_ = index;
}

const TPrinterQueue &TPrinter::Queue() const { return queues_.at(static_cast<size_t>(index_)); }

std::string TPrinter::PrinterName() const { return Queue().Name; }

std::string TPrinter::DriverName() const { return Queue().Driver; }

TDeviceMode TPrinter::DeviceMode() const
{
    if (const std::unique_ptr<TDeviceMode> &changed = modes_.at(static_cast<size_t>(index_)))
        return *changed;
    const TPrinterQueue &queue = Queue();
    TDeviceMode mode;
    mode.dmFields = HonouredFields();
    const TQueuePaper &paper = queue.Papers.at(static_cast<size_t>(queue.DefaultPaper));
    mode.dmPaperSize = static_cast<short>(PaperCodeOfSize(paper.Width / 10.0L, paper.Length / 10.0L));
    mode.dmPaperWidth = static_cast<short>(paper.Width);
    mode.dmPaperLength = static_cast<short>(paper.Length);
    mode.dmPrintQuality = static_cast<short>(queue.DpiX);
    mode.dmColor = queue.Color ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
    return mode;
}

std::uint32_t TPrinter::HonouredFields() const
{
    const TPrinterQueue &queue = Queue();
    std::uint32_t fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_PRINTQUALITY | DM_COLOR;
    // Bins cannot be chosen by number on these printers, so DM_DEFAULTSOURCE stays out.
    if (queue.Copies)
        fields |= DM_COPIES;
    if (queue.Collate)
        fields |= DM_COLLATE;
    if (queue.Duplex)
        fields |= DM_DUPLEX;
    return fields;
}

void TPrinter::SetDeviceMode(const TDeviceMode &mode)
{
    auto changed = std::make_unique<TDeviceMode>(mode);
    changed->dmFields &= HonouredFields();
    modes_.at(static_cast<size_t>(index_)) = std::move(changed);
}

void TPrinter::ResetDeviceMode() { modes_.at(static_cast<size_t>(index_)).reset(); }

std::vector<int> TPrinter::PaperCodes() const
{
    std::vector<int> codes;
    for (const TQueuePaper &paper : Queue().Papers) {
        int code = PaperCodeOfSize(paper.Width / 10.0L, paper.Length / 10.0L);
        if (code != 0 && std::find(codes.begin(), codes.end(), code) == codes.end())
            codes.push_back(code);
    }
    if (Queue().CustomSizes)
        codes.push_back(DMPAPER_USER);
    return codes;
}

// The paper of a device mode in 0.1 mm, portrait. A paper width and length
// given in the mode win over its paper code, as with the drivers.
void TPrinter::PaperSizeOf(const TDeviceMode &mode, int &width, int &length) const
{
    TPaperCodeSize named;
    if ((mode.dmFields & DM_PAPERWIDTH) && (mode.dmFields & DM_PAPERLENGTH) && mode.dmPaperWidth > 0
        && mode.dmPaperLength > 0) {
        width = mode.dmPaperWidth;
        length = mode.dmPaperLength;
    } else if ((mode.dmFields & DM_PAPERSIZE) && PaperCodeSize(mode.dmPaperSize, named)) {
        width = RoundInt(named.Width * 10);
        length = RoundInt(named.Length * 10);
    } else {
        const TQueuePaper &paper = Queue().Papers.at(static_cast<size_t>(Queue().DefaultPaper));
        width = paper.Width;
        length = paper.Length;
    }
}

int TPrinter::GetDeviceCaps(int index) const
{
    const TPrinterQueue &queue = Queue();
    int width = 0, length = 0;
    PaperSizeOf(DeviceMode(), width, length);
    switch (index) {
    case LOGPIXELSX: return queue.DpiX;
    case LOGPIXELSY: return queue.DpiY;
    case PHYSICALWIDTH: return MmToPixels(width, queue.DpiX);
    case PHYSICALHEIGHT: return MmToPixels(length, queue.DpiY);
    case PHYSICALOFFSETX: return MmToPixels(queue.OffsetLeft, queue.DpiX);
    case PHYSICALOFFSETY: return MmToPixels(queue.OffsetTop, queue.DpiY);
    default: return 0;
    }
}

// ---------------------------------------------------------------- jobs

std::string TPrinter::OutputFileFor(const TPrinterQueue &queue)
{
    if (!queue.OutputFile.empty())
        return queue.OutputFile;
    if (queue.Name != PdfPrinterName)
        return "";
    if (!fileName_.empty())
        return fileName_;
    TFileDialogRequest request;
    request.save = true;
    request.filter = "PDF (*.pdf)|*.pdf";
    request.defaultExt = "pdf";
    request.fileName = title_.empty() ? "" : ChangeFileExt(ExtractFileName(title_), ".pdf");
    request.initialDir = outputFolder_;
    request.overwritePrompt = true;
    std::optional<TFileDialogAnswer> answer = Services().FileDialog(request);
    if (!answer || answer->fileName.empty())
        throw EAbort("Printing aborted");
    return answer->fileName;
}

void TPrinter::BeginDoc()
{
    if (job_)
        throw EPrinter("Printing in progress");
    const TPrinterQueue &queue = Queue();
    auto job = std::make_unique<TJob>();
    QPrinter &printer = job->printer;
    job->outputFile = OutputFileFor(queue);
    if (job->outputFile.empty()) {
        printer.setPrinterName(Q(queue.Name));
    } else {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Q(job->outputFile));
    }
    const TDeviceMode mode = DeviceMode();
    int width = 0, length = 0;
    PaperSizeOf(mode, width, length);
    printer.setResolution(queue.DpiX);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QSizeF(width / 10.0, length / 10.0), QPageSize::Millimeter, QString(),
                                  QPageSize::FuzzyMatch));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    const bool landscape = (mode.dmFields & DM_ORIENTATION) && mode.dmOrientation == DMORIENT_LANDSCAPE;
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (mode.dmFields & DM_COPIES)
        printer.setCopyCount(std::max<int>(1, mode.dmCopies));
    if (mode.dmFields & DM_COLLATE)
        printer.setCollateCopies(mode.dmCollate == DMCOLLATE_TRUE);
    if (mode.dmFields & DM_DUPLEX)
        printer.setDuplex(DuplexModeOf(mode.dmDuplex));
    if (mode.dmFields & DM_COLOR)
        printer.setColorMode(mode.dmColor == DMCOLOR_MONOCHROME ? QPrinter::GrayScale : QPrinter::Color);
    printer.setDocName(Q(title_));
    printer.setCreator(QStringLiteral("Tarvold"));
    if (!job->painter.begin(&printer))
        throw EPrinter("Printer " + queue.Name + " could not start the job");
    // Like a printer's device context, (0, 0) is the corner of the printable area.
    int offsetX = MmToPixels(queue.OffsetLeft, queue.DpiX);
    int offsetY = MmToPixels(queue.OffsetTop, queue.DpiY);
    if (landscape)
        std::swap(offsetX, offsetY);
    job->painter.translate(offsetX, offsetY);
    job->canvas = std::make_unique<TQtCanvas>(job->painter);
    aborted_ = false;
    job_ = std::move(job);
}

void TPrinter::NewPage()
{
    if (!job_)
        throw EPrinter("Printer is not currently printing");
    job_->printer.newPage();
    ++job_->pageNumber;
}

void TPrinter::EndDoc()
{
    if (!job_)
        throw EPrinter("Printer is not currently printing");
    job_->canvas.reset();
    job_->painter.end();
    job_.reset();
}

void TPrinter::Abort()
{
    if (!job_)
        return;
    std::unique_ptr<TJob> job = std::move(job_);
    job->canvas.reset();
    job->printer.abort();
    job->painter.end();
    if (!job->outputFile.empty())
        DeleteFile(job->outputFile);
    aborted_ = true;
}

TCanvas &TPrinter::Canvas()
{
    if (!job_)
        throw EPrinter("Printer is not currently printing");
    return *job_->canvas;
}

int TPrinter::PageNumber() const { return job_ ? job_->pageNumber : 0; }

TPrinter &Printer()
{
    static TPrinter printer;
    return printer;
}
