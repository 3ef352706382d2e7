// Loads arbitrary bytes as a saved report file (".RPF") and plays every page
// onto a small bitmap, the last page first so that the walk goes both ways;
// then loads the file into a report printer and shows it in the standard
// preview: its first thumbnails and its page at the fit zoom.
// A damaged file may only raise the program's own exceptions.
#include "platform/kernel/Application.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Graphics.h"
#include "platform/core/Stream.h"
#include "platform/core/SysUtils.h"
#include "report/RpPageStore.h"
#include "report/RpPrntr.h"
#include "report/RpStdPrev.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void StartToolkit()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "fuzz_rpf";
    static char *argv[] = {name, nullptr};
    Application().Initialize(argc, argv);
    // The toolkit cannot be torn down from the exit handlers (its own globals
    // are gone by then), so the process ends before they run.
    std::atexit([] { std::_Exit(0); });
}

void PlayPage(TRpPageList &list, int n, TBitmap &target)
{
    try {
        std::unique_ptr<TMetafile> page = list.GetPage(n);
        if (page)
            page->Play(target.Canvas(), {0, 0, target.Width(), target.Height()});
    } catch (const Exception &) {
        // A damaged page is reported, never followed.
    }
}

void ShowInStandardPreview(const std::string &file)
{
    TRpPrinter printer;
    try {
        printer.Load(file);
    } catch (const Exception &) {
        return;
    }
    TRpStandardPreview preview(nullptr, &printer);
    preview.ThumbGrid->SetRowCount(std::max(1, printer.PageCount()));
    TBitmap thumbnails(preview.ThumbGrid->Width(), preview.ThumbGrid->Height());
    preview.ThumbGrid->PaintTo(thumbnails.Canvas());
    preview.RpPreview->SetBounds(0, 0, 160, 120);
    preview.RpPreview->AttachPrinter(&printer);
    preview.RpPreview->ZoomToFit();
    TBitmap shown(160, 120);
    preview.RpPreview->PaintTo(shown.Canvas());
    preview.RpPreview->AttachPrinter(nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    StartToolkit();
    static const std::string file = GetTempPath() + "fuzz_rpf-" + std::to_string(::getpid()) + ".RPF";
    {
        TFileStream out(file, fmCreate);
        out.WriteBuffer(data, static_cast<std::int64_t>(size));
    }

    TRpPageList list;
    try {
        list.OpenFile(file);
    } catch (const Exception &) {
        return 0;
    }
    TBitmap target(64, 48);
    int pages = std::min(list.PageCount, 64);
    if (pages > 0)
        PlayPage(list, pages, target);
    for (int n = 1; n <= pages; ++n)
        PlayPage(list, n, target);
    ShowInStandardPreview(file);
    return 0;
}
