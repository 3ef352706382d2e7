#include "report/RpPrnSettings.h"

#include "platform/core/Messages.h"
#include "platform/core/SysUtils.h"

namespace {

const char *const kPaperNames[PaperSizeCount] = {
    "Default", "Letter", "LetterSmall", "Tabloid", "Ledger", "Legal", "Statement", "Executive", "A3", "A4",
    "A4Small", "A5", "B4", "B5", "Folio", "Quarto", "10X14", "11X17", "Note", "Env9",
    "Env10", "Env11", "Env12", "Env14", "CSheet", "DSheet", "ESheet", "EnvDL", "EnvC5", "EnvC3",
    "EnvC4", "EnvC6", "EnvC65", "EnvB4", "EnvB5", "EnvB6", "EnvItaly", "EnvMonarch", "EnvPersonal", "FanfoldUSStd",
    "FanfoldGerStd", "FanfoldGerLegal", "B4ISO", "PostcardJap", "9X11", "10X11", "15X11", "EnvInvite", "Reserved1", "Reserved2",
    "LetterExtra", "LegalExtra", "TabloidExtra", "A4Extra", "LetterTrans", "A4Trans", "LetterExtraTrans", "SuperASuperAA4",
    "SuperBSuperBA3", "LetterPlus", "A4Plus", "A5Trans", "B5Trans", "A3Extra", "A5Extra", "B5Extra", "A2", "A3Trans",
    "A3ExtraTrans", "Custom",
};

const int kBinCodes[BinCount] = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 14};

int Index(TRpPaperSize size) { return static_cast<int>(size); }

bool IsNamed(TRpPaperSize size) { return Index(size) >= 1 && Index(size) <= 68; }

// The first paper size with that device-mode code, Default when none has it.
TRpPaperSize PaperSizeOfCode(int code)
{
    for (int n = 0; n < PaperSizeCount; ++n)
        if (PaperSizeCode(static_cast<TRpPaperSize>(n)) == code)
            return static_cast<TRpPaperSize>(n);
    return TRpPaperSize::Default;
}

// Device pixels at `dpi` to 0.1 mm.
int PixelsToTenths(int pixels, int dpi) { return dpi > 0 ? RoundInt(static_cast<long double>(pixels) / dpi * 254) : 0; }

} // namespace

int PaperSizeCode(TRpPaperSize size) { return size == TRpPaperSize::Custom ? DMPAPER_USER : Index(size); }

const char *PaperSizeName(TRpPaperSize size)
{
    int n = Index(size);
    return n >= 0 && n < PaperSizeCount ? kPaperNames[n] : "";
}

long double PaperSizeWidthMm(TRpPaperSize size)
{
    TPaperCodeSize mm;
    return PaperCodeSize(Index(size), mm) ? mm.Width : 0;
}

long double PaperSizeLengthMm(TRpPaperSize size)
{
    TPaperCodeSize mm;
    return PaperCodeSize(Index(size), mm) ? mm.Length : 0;
}

TRpBin BinOfCode(int code)
{
    for (int n = 0; n < BinCount; ++n)
        if (kBinCodes[n] == code)
            return static_cast<TRpBin>(n);
    return TRpBin::First;
}

int BinCode(TRpBin bin) { return kBinCodes[static_cast<int>(bin)]; }

// ---------------------------------------------------------------- TPrinterSettings

void TPrinterSettings::SetPrinter(TPrinter *printer)
{
    printer_ = printer;
    if (printer_ && printer_->PrinterCount() > 0)
        FetchFromPrinter();
}

void TPrinterSettings::ReadPrinter(TPrinter *printer)
{
    printer_ = printer;
    if (printer_ && printer_->PrinterCount() > 0)
        ReadSettings();
}

bool TPrinterSettings::Honours(std::uint32_t field) const
{
    return printer_ && printer_->PrinterCount() > 0 && (printer_->DeviceMode().dmFields & field) != 0;
}

void TPrinterSettings::FetchFromPrinter()
{
    if (!printer_)
        return;
    ProcessMessages();
    ReadSettings();
}

void TPrinterSettings::ReadSettings()
{
    deviceName_ = printer_->PrinterName();
    driverName_ = ExtractFileName(printer_->DriverName()).substr(0, 63);
    portName_.clear();
    TDeviceMode mode = printer_->DeviceMode();
    bool cancel = false;
    if (OnGetPrinterSettings)
        OnGetPrinterSettings(this, cancel, &mode);
    if (!cancel)
        ReadDeviceMode(mode);
}

void TPrinterSettings::ReadDeviceMode(const TDeviceMode &mode)
{
    pixelsPerX_ = printer_->GetDeviceCaps(LOGPIXELSX);
    pixelsPerY_ = printer_->GetDeviceCaps(LOGPIXELSY);
    copies_ = (mode.dmFields & DM_COPIES) ? mode.dmCopies : 1;
    outputBin_ = (mode.dmFields & DM_DEFAULTSOURCE) ? BinOfCode(mode.dmDefaultSource) : TRpBin::First;
    if (mode.dmFields & DM_DUPLEX) {
        duplex_ = mode.dmDuplex != DMDUP_SIMPLEX;
        ExtendedDuplex = mode.dmDuplex;
    }
    leftOffset_ = PixelsToTenths(printer_->GetDeviceCaps(PHYSICALOFFSETX), pixelsPerX_);
    topOffset_ = PixelsToTenths(printer_->GetDeviceCaps(PHYSICALOFFSETY), pixelsPerY_);
    paperSize_ = (mode.dmFields & DM_PAPERSIZE) ? PaperSizeOfCode(mode.dmPaperSize) : TRpPaperSize::Default;
    paperWidth_ = PixelsToTenths(printer_->GetDeviceCaps(PHYSICALWIDTH), pixelsPerX_);
    paperLength_ = PixelsToTenths(printer_->GetDeviceCaps(PHYSICALHEIGHT), pixelsPerY_);
    for (bool &flag : supported_)
        flag = false;
    for (int code : printer_->PaperCodes())
        for (int n = 1; n < PaperSizeCount; ++n)
            if (PaperSizeCode(static_cast<TRpPaperSize>(n)) == code)
                supported_[n] = true;
    papersKnown_ = true;
    PrintQuality = mode.dmPrintQuality;
    Collate = mode.dmCollate;
    ColorOption = mode.dmColor;
}

void TPrinterSettings::ApplyToPrinter()
{
    if (!printer_ || printer_->PrinterCount() == 0)
        return;
    TDeviceMode mode = printer_->DeviceMode();
    WriteDeviceMode(mode);
    bool cancel = false;
    if (OnApplyPrinterSettings)
        OnApplyPrinterSettings(this, cancel, &mode);
    if (!cancel)
        printer_->SetDeviceMode(mode);
}

void TPrinterSettings::WriteDeviceMode(TDeviceMode &mode) const
{
    const bool paperSizeHonoured = (mode.dmFields & DM_PAPERSIZE) != 0;
    mode.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    mode.dmPaperLength = static_cast<short>(PaperLength());
    mode.dmPaperWidth = static_cast<short>(PaperWidth());
    if (paperSizeHonoured && paperSize_ != TRpPaperSize::Default)
        mode.dmPaperSize = static_cast<short>(UseCustomPaperCode ? CustomPaperCode : PaperSizeCode(paperSize_));
    mode.dmFields |= DM_COPIES;
    mode.dmCopies = static_cast<short>(copies_);
    mode.dmFields |= DM_DUPLEX;
    mode.dmDuplex = static_cast<short>(ExtendedDuplex != 0 ? ExtendedDuplex : duplex_ ? DMDUP_HORIZONTAL : DMDUP_SIMPLEX);
    mode.dmFields |= DM_DEFAULTSOURCE;
    mode.dmDefaultSource = static_cast<short>(UseCustomBinCode ? CustomBinCode : BinCode(outputBin_));
    mode.dmFields |= DM_ORIENTATION;
    mode.dmOrientation = orientation_ == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    mode.dmCollate = static_cast<short>(Collate);
}

void TPrinterSettings::ResetDeviceMode()
{
    if (printer_)
        printer_->ResetDeviceMode();
}

bool TPrinterSettings::SetCopies(int copies) { return TakeIfHonoured(DM_COPIES, copies_, copies); }

bool TPrinterSettings::SetDuplex(bool duplex) { return TakeIfHonoured(DM_DUPLEX, duplex_, duplex); }

bool TPrinterSettings::SetOutputBin(TRpBin bin) { return TakeIfHonoured(DM_DEFAULTSOURCE, outputBin_, bin); }

bool TPrinterSettings::SetOrientation(TPrinterOrientation orientation)
{
    return TakeIfHonoured(DM_ORIENTATION, orientation_, orientation);
}

bool TPrinterSettings::SetPaperSize(TRpPaperSize size)
{
    if (size == TRpPaperSize::Default) {
        paperSize_ = size;
        return true;
    }
    if (!PaperSupported(size))
        return false;
    paperSize_ = size;
    return true;
}

bool TPrinterSettings::PaperSupported(TRpPaperSize size) const
{
    int n = Index(size);
    return n >= 1 && n < PaperSizeCount && supported_[n];
}

int TPrinterSettings::PaperWidth() const
{
    return IsNamed(paperSize_) ? RoundInt(PaperSizeWidthMm(paperSize_) * 10) : paperWidth_;
}

int TPrinterSettings::PaperLength() const
{
    return IsNamed(paperSize_) ? RoundInt(PaperSizeLengthMm(paperSize_) * 10) : paperLength_;
}
