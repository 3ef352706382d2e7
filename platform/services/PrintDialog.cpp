// The toolkit's print dialog and input query behind the services.
#include "platform/graphics/Printers.h"
#include "platform/services/DesktopServices.h"

#include <QGuiApplication>
#include <QInputDialog>
#include <QScreen>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>

namespace {

constexpr const char *kPdfPrinter = "PDF";

int IndexOfPrinter(const std::vector<std::string> &printers, const std::string &name)
{
    for (size_t i = 0; i < printers.size(); ++i)
        if (printers[i] == name)
            return static_cast<int>(i);
    return -1;
}

void SetUpPrinter(QPrinter &printer, const TPrintDialogRequest &r)
{
    const bool known = r.printerIndex >= 0 && r.printerIndex < static_cast<int>(r.printers.size());
    if (known && r.printers[static_cast<size_t>(r.printerIndex)] == kPdfPrinter)
        printer.setOutputFormat(QPrinter::PdfFormat);
    else if (known)
        printer.setPrinterName(QString::fromStdString(r.printers[static_cast<size_t>(r.printerIndex)]));
    TPaperCodeSize size;
    if (PaperCodeSize(r.paperCode, size))
        printer.setPageSize(QPageSize(QSizeF(static_cast<double>(size.Width), static_cast<double>(size.Length)),
                                      QPageSize::Millimeter));
    else if (r.paperWidth > 0 && r.paperLength > 0)
        printer.setPageSize(QPageSize(QSizeF(r.paperWidth / 10.0, r.paperLength / 10.0), QPageSize::Millimeter));
    printer.setPageOrientation(r.orientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setCopyCount(std::max(1, r.copies));
    printer.setCollateCopies(r.collate);
    printer.setDuplex(r.duplex == DMDUP_VERTICAL     ? QPrinter::DuplexLongSide
                      : r.duplex == DMDUP_HORIZONTAL ? QPrinter::DuplexShortSide
                                                     : QPrinter::DuplexNone);
    if (r.range == TPrintDialogRequest::PageNumbers && r.fromPage > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(r.fromPage, std::max(r.fromPage, r.toPage));
    }
}

void ReadBack(const QPrinter &printer, TPrintDialogRequest &r)
{
    r.outputFile = printer.outputFileName().toStdString();
    // Printing to a file is printing to our PDF printer.
    if (printer.outputFormat() == QPrinter::PdfFormat && (printer.printerName().isEmpty() || !r.outputFile.empty())) {
        r.printerIndex = IndexOfPrinter(r.printers, kPdfPrinter);
        r.printToFile = !r.outputFile.empty();
    } else {
        const int index = IndexOfPrinter(r.printers, printer.printerName().toStdString());
        if (index >= 0)
            r.printerIndex = index;
        r.printToFile = !printer.outputFileName().isEmpty();
    }
    const QPageLayout layout = printer.pageLayout();
    const QSizeF mm = layout.pageSize().size(QPageSize::Millimeter);
    r.paperCode = PaperCodeOfSize(mm.width(), mm.height());
    if (r.paperCode == 0) {
        r.paperCode = DMPAPER_USER;
        r.paperWidth = static_cast<int>(std::lrint(mm.width() * 10));
        r.paperLength = static_cast<int>(std::lrint(mm.height() * 10));
    }
    r.orientation = layout.orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    r.copies = printer.copyCount();
    r.collate = printer.collateCopies();
    r.duplex = printer.duplex() == QPrinter::DuplexLongSide    ? DMDUP_VERTICAL
               : printer.duplex() == QPrinter::DuplexShortSide ? DMDUP_HORIZONTAL
                                                              : DMDUP_SIMPLEX;
    switch (printer.printRange()) {
    case QPrinter::PageRange:
        r.range = TPrintDialogRequest::PageNumbers;
        r.fromPage = printer.fromPage();
        r.toPage = printer.toPage();
        break;
    case QPrinter::Selection:
        r.range = TPrintDialogRequest::Selection;
        break;
    default:
        r.range = TPrintDialogRequest::All;
    }
}

} // namespace

bool TDesktopServices::PrintDialog(TPrintDialogRequest &request)
{
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, request);
    QPrintDialog dialog(&printer);
    QAbstractPrintDialog::PrintDialogOptions options = dialog.options();
    options.setFlag(QAbstractPrintDialog::PrintPageRange, !(request.options & TPrintDialogRequest::NoPageNumbers));
    options.setFlag(QAbstractPrintDialog::PrintSelection, !(request.options & TPrintDialogRequest::NoSelection));
    options.setFlag(QAbstractPrintDialog::PrintToFile, !(request.options & TPrintDialogRequest::DisablePrintToFile));
    options.setFlag(QAbstractPrintDialog::PrintCollateCopies, true);
    dialog.setOptions(options);
    if (request.maxPage > 0)
        dialog.setMinMax(std::max(1, request.minPage), request.maxPage);
    // Centred across, its top at a third of the room left above and below.
    dialog.adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        dialog.move(area.left() + (area.width() - dialog.width()) / 2,
                    area.top() + std::max(0, area.height() - dialog.height()) / 3);
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    ReadBack(printer, request);
    return true;
}

std::optional<std::string> TDesktopServices::InputQuery(const std::string &caption, const std::string &prompt,
                                                 const std::string &value)
{
    bool ok = false;
    const QString text = QInputDialog::getText(nullptr, QString::fromStdString(caption),
                                               QString::fromStdString(prompt), QLineEdit::Normal,
                                               QString::fromStdString(value), &ok);
    if (!ok)
        return std::nullopt;
    return text.toStdString();
}
