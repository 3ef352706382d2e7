#pragma once
// Paper sizes, paper bins and the report printer's view of a printer's
// driver settings.
#include "platform/core/Component.h"
#include "platform/graphics/Printers.h"

#include <functional>
#include <string>

// The paper sizes; the device-mode code of each is its value, 256 for Custom.
enum class TRpPaperSize : int {
    Default, Letter, LetterSmall, Tabloid, Ledger, Legal, Statement, Executive, A3, A4,
    A4Small, A5, B4, B5, Folio, Quarto, rp10X14, rp11X17, Note, Env9,
    Env10, Env11, Env12, Env14, CSheet, DSheet, ESheet, EnvDL, EnvC5, EnvC3,
    EnvC4, EnvC6, EnvC65, EnvB4, EnvB5, EnvB6, EnvItaly, EnvMonarch, EnvPersonal, FanfoldUSStd,
    FanfoldGerStd, FanfoldGerLegal, B4ISO, PostcardJap, rp9X11, rp10X11, rp15X11, EnvInvite, Reserved1, Reserved2,
    LetterExtra, LegalExtra, TabloidExtra, A4Extra, LetterTrans, A4Trans, LetterExtraTrans, SuperASuperAA4,
    SuperBSuperBA3, LetterPlus, A4Plus, A5Trans, B5Trans, A3Extra, A5Extra, B5Extra, A2, A3Trans,
    A3ExtraTrans, Custom,
};
constexpr int PaperSizeCount = 70;

// The paper bins.
enum class TRpBin : int {
    First, Upper, Lower, Middle, Manual, Envelope, EnvManual, Auto, Tractor, SmallFormat,
    LargeFormat, LargeCapacity, Cassette, Last,
};
constexpr int BinCount = 14;

int PaperSizeCode(TRpPaperSize size);
const char *PaperSizeName(TRpPaperSize size);
// The size in mm of a named paper (0 for Default and Custom).
long double PaperSizeWidthMm(TRpPaperSize size);
long double PaperSizeLengthMm(TRpPaperSize size);
int BinCode(TRpBin bin);
// The bin of a platform bin code; First when no bin has it.
TRpBin BinOfCode(int code);

// Called with the device mode before it is read from or written to the
// printer; setting cancel skips the read or the write.
using TRpPrinterEvent = std::function<void(TObject *sender, bool &cancel, TDeviceMode *devMode)>;

// The report printer's view of a printer's settings: read from the printer's
// device mode, changed only where the printer honours the change, written
// back before printing. Lengths in 0.1 mm.
class TPrinterSettings : public TObject {
public:
    TPrinterSettings() = default;

    TPrinter *Printer() const { return printer_; }
    // Stores the printer and reads its settings at once when it lists printers.
    void SetPrinter(TPrinter *printer);
    // The same without first letting waiting messages run: for a read in the
    // middle of a handler, where input must not come in between.
    void ReadPrinter(TPrinter *printer);
    void FetchFromPrinter();
    void ApplyToPrinter();
    // The printer loads the selected printer's defaults again.
    void ResetDeviceMode();

    // These take the value only where the printer honours the field.
    bool SetCopies(int copies);
    bool SetDuplex(bool duplex);
    bool SetOutputBin(TRpBin bin);
    bool SetOrientation(TPrinterOrientation orientation);
    // Default is always taken; another size only when the printer lists it.
    bool SetPaperSize(TRpPaperSize size);
    void SetPaperWidth(int width) { paperWidth_ = width; }
    void SetPaperLength(int length) { paperLength_ = length; }

    int Copies() const { return copies_; }
    bool Duplex() const { return duplex_; }
    TRpBin OutputBin() const { return outputBin_; }
    TPrinterOrientation Orientation() const { return orientation_; }
    TRpPaperSize PaperSize() const { return paperSize_; }
    // Named sizes from the table, Default and Custom from the stored values.
    int PaperWidth() const;
    int PaperLength() const;
    int PixelsPerX() const { return pixelsPerX_; }
    int PixelsPerY() const { return pixelsPerY_; }
    int LeftOffset() const { return leftOffset_; }
    int TopOffset() const { return topOffset_; }
    bool PaperSupported(TRpPaperSize size) const;
    bool PapersKnown() const { return papersKnown_; }
    const std::string &DeviceName() const { return deviceName_; }
    const std::string &DriverName() const { return driverName_; }

    bool UseStandardprinter = false;
    int ExtendedDuplex = 0;   // a raw duplex value; 0 = derived from Duplex
    int PrintQuality = 0;
    int Collate = 0;
    int ColorOption = 0;
    bool UseCustomPaperCode = false;
    int CustomPaperCode = 0;
    bool UseCustomBinCode = false;
    int CustomBinCode = 0;
    bool PrintMetaFile = false;
    int MemoryLimit = 250000;
    TRpPrinterEvent OnApplyPrinterSettings;
    TRpPrinterEvent OnGetPrinterSettings;

private:
    bool Honours(std::uint32_t field) const;
    // Stores the value when the printer honours the field; says whether it did.
    template <typename T>
    bool TakeIfHonoured(std::uint32_t field, T &setting, T value)
    {
        if (!Honours(field))
            return false;
        setting = value;
        return true;
    }
    // The printer's names and its device mode, as the handler may change it.
    void ReadSettings();
    void ReadDeviceMode(const TDeviceMode &mode);
    void WriteDeviceMode(TDeviceMode &mode) const;

    TPrinter *printer_ = nullptr;
    std::string deviceName_;
    std::string driverName_;
    std::string portName_;
    int copies_ = 1;
    TRpBin outputBin_ = TRpBin::First;
    bool duplex_ = false;
    TRpPaperSize paperSize_ = TRpPaperSize::A4;
    TPrinterOrientation orientation_ = poPortrait;
    int paperWidth_ = 0;
    int paperLength_ = 0;
    int pixelsPerX_ = 0;
    int pixelsPerY_ = 0;
    int leftOffset_ = 0;
    int topOffset_ = 0;
    bool supported_[PaperSizeCount] = {};
    bool papersKnown_ = false;
};

// The report's printer settings as a record.
class TRpPrinterSettings {
public:
    virtual ~TRpPrinterSettings() = default;
    void Assign(const TRpPrinterSettings &source) { *this = source; }

    TRpPaperSize PaperSize = TRpPaperSize::Letter;
    std::string Title;
    int PrinterIndex = -1;
    TPrinterOrientation Orientation = poPortrait;
    int Copies = 1;
    TRpBin OutputBin = TRpBin::Auto;
    bool Duplex = false;
    int FirstPage = 0;
    int LastPage = 0;
    bool UseStandardprinter = false;
    bool UseCustomBinCode = false;
    int CustomBinCode = 0;
    int ExtendedDuplex = 0;
    bool UseCustomPaperCode = false;
    int CustomPaperCode = 0;
    bool PrintMetaFile = false;
    int MemoryLimit = 250000;
    int PrintQuality = 0;
    int Collate = 0;
    int ColorOption = 0;
};

// The printer settings a band report publishes.
class TBandReportPrinterSettings : public TRpPrinterSettings {
public:
    TBandReportPrinterSettings() { PrintQuality = 600; }
};
