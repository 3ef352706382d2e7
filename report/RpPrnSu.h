#pragma once
// The print-setup dialog of the report engine: the platform's print dialog on
// a printer object, with the chosen printer, pages, copies and device
// settings read back.
#include "platform/core/Component.h"
#include "platform/graphics/Printers.h"

#include <cstdint>

class TRpCommonDialog : public TComponent {
public:
    explicit TRpCommonDialog(TComponent *owner) : TComponent(owner) {}
    // True when the person chose OK.
    virtual bool Execute() = 0;
};

class TRpBasePrintDialog : public TRpCommonDialog {
public:
    using TRpCommonDialog::TRpCommonDialog;
};

enum TRpPrintRange { prAllPages, prSelection, prPageNums };

class TRpPrintDialog : public TRpBasePrintDialog {
public:
    // Option bits: no selection, no page numbers, print to file shown, help,
    // print to file disabled, no warning.
    enum : unsigned {
        poNoSelection = 1, poNoPageNums = 2, poPrintToFile = 4, poHelp = 8, poDisablePrintToFile = 16, poWarning = 32,
    };

    explicit TRpPrintDialog(TComponent *owner, TPrinter *printer = nullptr);
    bool Execute() override;

    TPrinter &PrinterObject() const { return *printer_; }
    unsigned Options = 0;
    TRpPrintRange PrintRange = prAllPages;
    int FromPage = 0;
    int ToPage = 0;
    int MinPage = 0;
    int MaxPage = 0;
    bool Collate = false;
    bool PrintToFile = false;
    int Copies() const { return copies_; }
    // Also the printer's copy count.
    void SetCopies(int copies);

    // The device settings read back after OK.
    std::uint32_t Fields = 0;
    int OutputBin = 0;
    int PaperSize = 0;
    int PaperLength = 0;
    int PaperWidth = 0;
    int Orientation = DMORIENT_PORTRAIT;
    int PrintQuality = 0;
    int Color = 0;
    int DuplexCode = DMDUP_SIMPLEX;
    bool Duplex = false;

private:
    TPrinter *printer_;
    int copies_ = 1;
};
