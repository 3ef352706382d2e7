#pragma once
// The process's memory as the benchmarks report it, in MiB.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

namespace bench_memory {

// The highest resident size of the whole process so far.
inline long PeakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

inline long ResidentMiB()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE) / (1024 * 1024);
}

// Starts the high-water mark again from the present resident size, so that
// what a benchmark did before (writing its test document) is not counted.
inline void ResetPeak()
{
    if (FILE *f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

// The high-water mark since the last ResetPeak (the whole process's when it
// cannot be reset).
inline long PeakSinceResetMiB()
{
    long kib = -1;
    if (FILE *f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1)
                break;
        std::fclose(f);
    }
    return kib < 0 ? PeakMiB() : kib / 1024;
}

} // namespace bench_memory
