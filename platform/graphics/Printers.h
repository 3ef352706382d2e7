#pragma once
// Printers. The printer list is the printing system's queues (CUPS) followed
// by a "PDF" printer that writes a PDF file. Each printer has a device mode
// standing in for the driver's settings, and device capabilities; a job draws
// its pages on the printer's canvas.
#include "platform/core/Exceptions.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TCanvas;

class EPrinter : public Exception {
public:
    using Exception::Exception;
};

// The field mask of a device mode: which fields the printer honours.
enum : std::uint32_t {
    DM_ORIENTATION = 0x1, DM_PAPERSIZE = 0x2, DM_PAPERLENGTH = 0x4, DM_PAPERWIDTH = 0x8,
    DM_COPIES = 0x100, DM_DEFAULTSOURCE = 0x200, DM_PRINTQUALITY = 0x400, DM_COLOR = 0x800,
    DM_DUPLEX = 0x1000, DM_COLLATE = 0x8000,
};
enum : short {
    DMORIENT_PORTRAIT = 1, DMORIENT_LANDSCAPE = 2,
    DMDUP_SIMPLEX = 1, DMDUP_VERTICAL = 2, DMDUP_HORIZONTAL = 3,  // 2 long edge, 3 short edge
    DMCOLOR_MONOCHROME = 1, DMCOLOR_COLOR = 2,
    DMCOLLATE_FALSE = 0, DMCOLLATE_TRUE = 1,
    DMPAPER_USER = 256,
};

// The settings a printer's driver keeps. Lengths are in 0.1 mm.
struct TDeviceMode {
    std::uint32_t dmFields = 0;
    short dmOrientation = DMORIENT_PORTRAIT;
    short dmPaperSize = 0;
    short dmPaperLength = 0;
    short dmPaperWidth = 0;
    short dmCopies = 1;
    short dmDefaultSource = 0;
    short dmPrintQuality = 0;
    short dmColor = DMCOLOR_COLOR;
    short dmDuplex = DMDUP_SIMPLEX;
    short dmCollate = DMCOLLATE_FALSE;
};

enum TPrinterOrientation { poPortrait = 0, poLandscape = 1 };

// GetDeviceCaps indices.
enum : int {
    LOGPIXELSX = 88, LOGPIXELSY = 90,
    PHYSICALWIDTH = 110, PHYSICALHEIGHT = 111, PHYSICALOFFSETX = 112, PHYSICALOFFSETY = 113,
};

// The paper codes of the device mode and their sizes in mm (width x length,
// portrait). Codes 1 to 68 are the named sizes, DMPAPER_USER a custom size.
struct TPaperCodeSize {
    long double Width = 0;
    long double Length = 0;
};
// The size of a named paper code; false for codes without a size (0, custom, unknown).
bool PaperCodeSize(int code, TPaperCodeSize &size);
// The first named code whose size matches within 1 mm, or 0.
int PaperCodeOfSize(long double widthMm, long double lengthMm);

// One paper a queue offers, in 0.1 mm (portrait).
struct TQueuePaper {
    std::string Name;
    int Width = 0;
    int Length = 0;
};

// What the printing system tells about one queue.
struct TPrinterQueue {
    std::string Name;
    std::string Driver;
    int DpiX = 600;
    int DpiY = 600;
    std::vector<TQueuePaper> Papers;
    int DefaultPaper = 0;        // index into Papers
    bool CustomSizes = false;    // takes any paper size
    int OffsetLeft = 0;          // the printable area's corner, 0.1 mm
    int OffsetTop = 0;
    bool Copies = true;
    bool Collate = false;
    bool Duplex = false;
    bool Color = true;
    // Where the queue's jobs go as PDF instead of the spooler (a test's queue).
    std::string OutputFile;
};

// The printing system's queues. Replaceable, so that a test can list its own.
class TPrinterSystem {
public:
    virtual ~TPrinterSystem() = default;
    // The queues of CUPS.
    virtual std::vector<TPrinterQueue> Queues();
    // The index of the system's default queue in `queues`, or -1.
    virtual int DefaultQueue(const std::vector<TPrinterQueue> &queues);
};

TPrinterSystem &PrinterSystem();
// Puts a printing system in force; returns the previous one. Printer objects
// made afterwards (and Refresh) list its queues.
std::unique_ptr<TPrinterSystem> SetPrinterSystem(std::unique_ptr<TPrinterSystem> system);

// The name of the printer that writes PDF files; it is always last in the list.
extern const char *const PdfPrinterName;

class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter &) = delete;
    TPrinter &operator=(const TPrinter &) = delete;

    // Reads the printer list again; the selection returns to the default printer.
    void Refresh();
    // The names of the printers: the queues, then "PDF".
    std::vector<std::string> Printers() const;
    int PrinterCount() const { return static_cast<int>(queues_.size()); }
    // The selected printer; -1 in SetPrinterIndex selects the default.
    int PrinterIndex() const { return index_; }
    // Raises EPrinter for an index outside the list.
    void SetPrinterIndex(int index);
    std::string PrinterName() const;
    std::string DriverName() const;

    // The selected printer's settings (its defaults until changed).
    TDeviceMode DeviceMode() const;
    // Fields the printer does not honour are dropped from the mask.
    void SetDeviceMode(const TDeviceMode &mode);
    // The fields the selected printer honours.
    std::uint32_t HonouredFields() const;
    // Drops the changed settings: the printer's defaults apply again.
    void ResetDeviceMode();
    // The paper codes the printer can print on (DMPAPER_USER when it takes custom sizes).
    std::vector<int> PaperCodes() const;
    // Resolution, and physical paper size and offsets of the current paper in
    // device pixels, in portrait.
    int GetDeviceCaps(int index) const;

    // The job's name in the spooler.
    const std::string &Title() const { return title_; }
    void SetTitle(const std::string &title) { title_ = title; }
    // The file a PDF job writes; when empty, the save dialog asks for one.
    const std::string &FileName() const { return fileName_; }
    void SetFileName(const std::string &fileName) { fileName_ = fileName; }
    // The folder that save dialog starts in (empty: the dialog's own choice).
    const std::string &OutputFolder() const { return outputFolder_; }
    void SetOutputFolder(const std::string &folder) { outputFolder_ = folder; }

    // A job: BeginDoc, pages drawn on Canvas, NewPage between them, EndDoc.
    // BeginDoc raises EPrinter when the job cannot start, and EAbort when
    // the person cancels the PDF file's name.
    void BeginDoc();
    void NewPage();
    void EndDoc();
    // Ends the job and throws its pages away.
    void Abort();
    bool Printing() const { return job_ != nullptr; }
    bool Aborted() const { return aborted_; }
    int PageNumber() const;
    // The canvas of the page being printed; (0, 0) is the printable area's
    // corner, as on a printer's device context. Raises EPrinter outside a job.
    TCanvas &Canvas();

private:
    struct TJob;
    const TPrinterQueue &Queue() const;
    TPrinterQueue PdfQueue() const;
    std::string OutputFileFor(const TPrinterQueue &queue);
    void PaperSizeOf(const TDeviceMode &mode, int &width, int &length) const;

    std::vector<TPrinterQueue> queues_;
    int index_ = 0;
    int defaultIndex_ = 0;
    std::vector<std::unique_ptr<TDeviceMode>> modes_;  // changed settings, one per printer
    std::string title_;
    std::string fileName_;
    std::string outputFolder_;
    std::unique_ptr<TJob> job_;
    bool aborted_ = false;
};

// The application-wide printer object.
TPrinter &Printer();
