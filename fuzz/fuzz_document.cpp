// Reads arbitrary bytes as a schedule document: the reader must either give
// values or raise a conversion error (a bad value, no <schedule> at all),
// never crash or hang; the start date it gives always shows dates only, and
// every date it gives is one the file can hold again. A document that reads
// is then opened in the main window, saved (in code page 932 or UTF-8) and
// read again: whatever reads, once written, reads again.
#include "platform/core/Exceptions.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "platform/kernel/Application.h"
#include "schedule/Main.h"
#include "schedule/MainDocument.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

bool InCalendar(TDateTime date)
{
    return HeldToCalendar(date) == date;
}

void CheckDates(const TDocumentValues &doc)
{
    for (const TRowValues &row : doc.Rows) {
        for (const TChartValues &chart : row.Charts)
            if (!InCalendar(chart.StartDate) || !InCalendar(chart.EndDate) || !InCalendar(chart.Chakushubi)
                || !InCalendar(chart.Jissekibi))
                __builtin_trap();
        for (const TEvent &event : row.Events)
            if (!InCalendar(event.EventDate))
                __builtin_trap();
    }
}

// Saving in code page 932 is answered "No" (the characters it lacks become "?").
class TFuzzServices : public TServices {
public:
    explicit TFuzzServices(std::string appData) : appData_(std::move(appData)) {}
    std::string AppDataDir() override { return appData_; }
    int MessageBox(const std::string &, const std::string &, unsigned) override { return IDNO; }

private:
    std::string appData_;
};

std::string Folder()
{
    // Every save is flushed to the disk; a memory file system makes that cheap.
    static const std::string folder = std::string(DirectoryExists("/dev/shm") ? "/dev/shm/" : "/tmp/")
        + "fuzz_document_" + std::to_string(getpid()) + "/";
    return folder;
}

TfrmMain *gForm = nullptr;

// The window goes before the toolkit's application, which static
// destruction would free first; the folder goes with them.
void CloseWindow()
{
    delete gForm;
    gForm = nullptr;
    Application().Finalize();
    std::error_code ignored;
    std::filesystem::remove_all(Folder(), ignored);
}

TfrmMain &Window()
{
    static TfrmMain *form = [] {
        static int argc = 1;
        static char name[] = "fuzz_document";
        static char *argv[] = {name, nullptr};
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        Application().Initialize(argc, argv);
        ForceDirectories(Folder() + "appdata");
        SetServices(std::make_unique<TFuzzServices>(Folder() + "appdata"));
        gForm = new TfrmMain(nullptr, "", false);
        std::atexit(CloseWindow);
        XSL = "Tarvold.xsl";
        todayStart = false;
        CustomTimeScale = 7;
        return gForm;
    }();
    return *form;
}

// Opens the bytes in the window and saves them; the saved bytes.
std::string OpenAndSave(const std::string &bytes, bool utf8)
{
    TfrmMain &form = Window();
    const std::string in = Folder() + "in.xml", out = Folder() + "out.xml";
    WriteFileAtomically(in, bytes);
    form.FreeDocument();
    form.NewDocument();
    form.FFileName = in;
    // The reader read these bytes as values: the window reads them too.
    try {
        ReadXmlFile(form, in);
    } catch (const std::exception &) {
        __builtin_trap();
    }
    EncodingStrSet = utf8 ? "UTF-8" : "Shift_JIS";
    if (!WriteXmlFile(form, out))
        __builtin_trap();
    std::string saved = ReadFileBytes(out);
    std::remove(in.c_str());
    std::remove(out.c_str());
    return saved;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TDocumentValues doc;
    try {
        ParseScheduleDocument(std::string_view(reinterpret_cast<const char *>(data), size), doc);
    } catch (const EConvertError &) {
        return 0;
    }
    FitDocumentStartDate(doc);
    if (doc.StartDate && !PeriodRefusal(*doc.StartDate, DaysOfTimeScaleTab(doc.TabIndex.value_or(0))).empty())
        __builtin_trap();
    CheckDates(doc);
    // Rows handed over as they are read are the rows kept otherwise.
    TDocumentValues handed;
    size_t count = 0;
    handed.RowRead = [&](TRowValues &row) {
        if (count >= doc.Rows.size() || row.Text != doc.Rows[count].Text
            || row.Charts.size() != doc.Rows[count].Charts.size())
            __builtin_trap();
        ++count;
    };
    ParseScheduleDocument(std::string_view(reinterpret_cast<const char *>(data), size), handed);
    if (count != doc.Rows.size() || !handed.Rows.empty() || handed.ItemCount != doc.ItemCount)
        __builtin_trap();
    for (const TRowValues &row : doc.Rows) {
        for (const TChartValues &chart : row.Charts)
            if (chart.Duration && *chart.Duration < 0)
                __builtin_trap();
        // Event lines stay far from the extremes, so one-based numbers cannot overflow.
        for (const TEvent &event : row.Events)
            if (event.Line < -2000000 || event.Line > 2000000)
                __builtin_trap();
    }

    // What the program saved opens again (a document small enough to build
    // its rows quickly).
    size_t bars = 0;
    for (const TRowValues &row : doc.Rows)
        bars += row.Charts.size() + row.Events.size();
    if (doc.Rows.size() > 200 || bars > 2000)
        return 0;
    const std::string saved =
        OpenAndSave(std::string(reinterpret_cast<const char *>(data), size), size % 2 == 0);
    TDocumentValues again;
    try {
        ParseScheduleDocument(saved, again);
    } catch (const EConvertError &) {
        __builtin_trap();
    }
    CheckDates(again);
    return 0;
}
