// Searches arbitrary bytes as a recorded page for a few texts: a damaged page
// must find nothing it does not hold and never read outside its bytes.
#include "report/RpSearchDlg.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    for (const char *text : {"工程", "A", "abc", ""})
        for (bool matchCase : {false, true})
            (void)MetafileBytesContainText(text, bytes, matchCase);
    return 0;
}
