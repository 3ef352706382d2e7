#pragma once
// The services the program takes from its surroundings: message boxes, the
// standard dialogs, the clock, the operating system's name and version, system
// colours, the environment and opening links. They are reached through one
// replaceable object, so that a test can answer a dialog or fix the date.
// The dialogs need the desktop: TDesktopServices brings them.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Message box buttons and icons (the Windows values) and the answers.
enum TMsgBoxFlags : unsigned {
    MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4, MB_RETRYCANCEL = 0x5,
    MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONWARNING = 0x30, MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
};
enum TModalAnswer : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

// What a file open or save dialog is asked and answers.
struct TFileDialogRequest {
    bool save = false;
    std::string title;
    std::string filter;      // "説明|*.xml|説明|*.*" as the class library writes it
    int filterIndex = 1;     // 1-based
    std::string initialDir;
    std::string fileName;
    std::string defaultExt;  // without the dot
    bool overwritePrompt = false;
};
struct TFileDialogAnswer {
    std::string fileName;
    int filterIndex = 1;
};

// What the print dialog is given and answers. Codes follow the printer's
// device mode (orientation 1 portrait, 2 landscape; duplex 1 none, 2 long
// edge, 3 short edge; paper codes of the paper table).
struct TPrintDialogRequest {
    enum : unsigned {
        NoSelection = 1, NoPageNumbers = 2, PrintToFileShown = 4, Help = 8, DisablePrintToFile = 16, NoWarning = 32,
    };
    enum Range { All = 0, Selection = 1, PageNumbers = 2 };
    std::vector<std::string> printers;  // the printer list; the answer's index refers to it
    int printerIndex = 0;
    unsigned options = 0;
    Range range = All;
    int fromPage = 0, toPage = 0, minPage = 0, maxPage = 0;
    int copies = 1;
    bool collate = false;
    bool printToFile = false;
    std::string outputFile;  // the file chosen for printing to a file
    int orientation = 1;
    int paperCode = 0;
    int paperWidth = 0, paperLength = 0;  // 0.1 mm, for a custom paper
    int duplex = 1;
};

class TServices {
public:
    virtual ~TServices() = default;

    // A modal message box; returns the button chosen (IDOK, IDYES, ...).
    // Without a desktop: the only button, else IDCANCEL.
    virtual int MessageBox(const std::string &text, const std::string &caption, unsigned flags);
    // The open and save dialogs; no value when cancelled.
    virtual std::optional<TFileDialogAnswer> FileDialog(const TFileDialogRequest &request);
    // The colour dialog, starting at a colour (0x00BBGGRR); no value when cancelled.
    virtual std::optional<std::uint32_t> ColorDialog(std::uint32_t initial);
    // The font families the system has, each once by its family name.
    virtual std::vector<std::string> FontNames();
    // The print dialog, filled from and into the request; false when cancelled.
    virtual bool PrintDialog(TPrintDialogRequest &request);
    // Asks for a line of text (the class library's InputQuery); no value when cancelled.
    virtual std::optional<std::string> InputQuery(const std::string &caption, const std::string &prompt,
                                                  const std::string &value);
    // Opens a link (mail or web address, file) with the desktop's handler.
    virtual bool ShellOpen(const std::string &target);
    // Opens a page of the help.
    virtual bool ShowHelp(const std::string &helpFile, const std::string &page);

    // Now and today as days since 1899/12/30 (local time).
    virtual double Now();
    // The operating-system name the program tests against ("Vista", "Seven", ...);
    // empty on Linux.
    virtual std::string OSName();
    // An environment variable; empty when unset.
    virtual std::string GetEnv(const std::string &name);
    // The per-user application-data folder, without a trailing "/".
    virtual std::string AppDataDir();
    // The folder that holds the program's executable, with a trailing "/"
    // (not the folder the program was started in).
    virtual std::string ProgramDir();
    // A system colour by its index (COLOR_WINDOW = 5 ...), as 0x00BBGGRR.
    virtual std::uint32_t SystemColor(int index);
    // A system metric by its index (SM_CXSCREEN = 0 ...).
    virtual int SystemMetric(int index);
};

// The services in force.
TServices &Services();
// The folder an environment variable names, where it names it by an absolute
// path; else "" (a relative one would move with the current folder, which
// follows the document).
std::string AbsoluteFolderIn(const char *variable);
// A per-user folder, with a trailing "/": the one the environment variable
// names by an absolute path, else the home folder with `fallback` ("/.cache",
// say) after it.
std::string UserFolder(const char *variable, const char *fallback);
// Replaces the services; returns the previous object.
std::unique_ptr<TServices> SetServices(std::unique_ptr<TServices> services);

// Puts services in force for a scope and restores the previous ones after it.
class TScopedServices {
public:
    explicit TScopedServices(std::unique_ptr<TServices> services);
    ~TScopedServices();
    TScopedServices(const TScopedServices &) = delete;
    TScopedServices &operator=(const TScopedServices &) = delete;

private:
    std::unique_ptr<TServices> previous_;
};
