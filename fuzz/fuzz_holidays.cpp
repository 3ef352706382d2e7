// Loads arbitrary bytes as the holiday file "Date.ini", saves the list and reads
// it back: the dates must survive the round trip.
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "schedule/Head.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <unistd.h>

namespace {
// Message boxes must not wait for a person while fuzzing.
struct QuietServices : TServices {
    int MessageBox(const std::string &, const std::string &, unsigned) override { return IDOK; }
};

const std::string &FuzzDir()
{
    static const std::string dir = [] {
        std::string d = "/tmp/fuzz_holidays_" + std::to_string(getpid()) + "/";
        ForceDirectories(d);
        SetServices(std::make_unique<QuietServices>());
        return d;
    }();
    return dir;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    DateIniDir = FuzzDir();
    WriteFileAtomically(DateIniDir + "Date.ini", std::string(reinterpret_cast<const char *>(data), size));
    HolidayList.clear();
    LoadHolidays();
    std::vector<TDateTime> first = HolidayList;
    first.erase(std::remove(first.begin(), first.end(), 0.0), first.end());
    SaveHolidays();
    HolidayList.clear();
    LoadHolidays();
    // Saving drops cleared slots and reading drops immediate repeats, so compare
    // with the repeats of the first list removed.
    first.erase(std::unique(first.begin(), first.end()), first.end());
    if (HolidayList != first)
        __builtin_trap();
    return 0;
}
