#include "report/RpPrnSu.h"

#include "platform/core/Services.h"

#include <algorithm>

TRpPrintDialog::TRpPrintDialog(TComponent *owner, TPrinter *printer)
    : TRpBasePrintDialog(owner), printer_(printer != nullptr ? printer : &::Printer())
{
}

void TRpPrintDialog::SetCopies(int copies)
{
    copies_ = copies;
    TDeviceMode mode = printer_->DeviceMode();
    mode.dmCopies = static_cast<short>(std::clamp(copies, 1, 9999));
    printer_->SetDeviceMode(mode);
}

bool TRpPrintDialog::Execute()
{
    TPrintDialogRequest request;
    request.printers = printer_->Printers();
    request.printerIndex = printer_->PrinterIndex();
    request.options = Options;
    request.range = PrintRange == prPageNums ? TPrintDialogRequest::PageNumbers
                    : PrintRange == prSelection ? TPrintDialogRequest::Selection
                                                : TPrintDialogRequest::All;
    request.fromPage = FromPage;
    request.toPage = ToPage;
    request.minPage = MinPage;
    request.maxPage = MaxPage;
    request.collate = Collate;
    request.printToFile = PrintToFile;
    const TDeviceMode before = printer_->DeviceMode();
    request.copies = copies_;
    request.orientation = before.dmOrientation;
    request.paperCode = before.dmPaperSize;
    request.paperWidth = before.dmPaperWidth;
    request.paperLength = before.dmPaperLength;
    request.duplex = before.dmDuplex;
    if (!Services().PrintDialog(request))
        return false;

    if (request.printerIndex >= 0 && request.printerIndex < printer_->PrinterCount()
        && request.printerIndex != printer_->PrinterIndex())
        printer_->SetPrinterIndex(request.printerIndex);
    if (!request.outputFile.empty())
        printer_->SetFileName(request.outputFile);
    TDeviceMode mode = printer_->DeviceMode();
    mode.dmOrientation = static_cast<short>(request.orientation);
    mode.dmPaperSize = static_cast<short>(request.paperCode);
    if (request.paperCode == DMPAPER_USER) {
        mode.dmPaperWidth = static_cast<short>(request.paperWidth);
        mode.dmPaperLength = static_cast<short>(request.paperLength);
    }
    mode.dmCopies = static_cast<short>(std::clamp(request.copies, 1, 9999));
    mode.dmCollate = request.collate ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
    mode.dmDuplex = static_cast<short>(request.duplex);
    printer_->SetDeviceMode(mode);  // fields the printer does not honour are dropped

    PrintToFile = request.printToFile;
    PrintRange = request.range == TPrintDialogRequest::PageNumbers ? prPageNums
                 : request.range == TPrintDialogRequest::Selection ? prSelection
                                                                   : prAllPages;
    FromPage = request.fromPage;
    ToPage = request.toPage;
    const TDeviceMode after = printer_->DeviceMode();
    copies_ = request.copies == 1 ? after.dmCopies : request.copies;
    Fields = after.dmFields;
    OutputBin = after.dmDefaultSource;
    PaperSize = after.dmPaperSize;
    PaperLength = after.dmPaperLength;
    PaperWidth = after.dmPaperWidth;
    Orientation = after.dmOrientation;
    PrintQuality = after.dmPrintQuality;
    Color = after.dmColor;
    DuplexCode = after.dmDuplex;
    Duplex = DuplexCode != DMDUP_SIMPLEX;
    Collate = after.dmCollate == DMCOLLATE_TRUE || request.collate;
    return true;
}
