// The benchmark program's entry: the toolkit's application is made before the
// first benchmark and freed after the last, while the toolkit's own globals
// still exist.
#include "platform/kernel/Application.h"
#include "platform/services/DesktopServices.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application().Initialize(argc, argv);
    InstallDesktopServices();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Application().Finalize();
    return 0;
}
