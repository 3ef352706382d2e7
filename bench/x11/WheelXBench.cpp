// The mouse wheel over the chart of a shown main window on a real X server,
// at 1,000 and 10,000 rows: the wheel is turned through the server's input,
// from a thread of its own at set times, while the window's event loop runs
// as it does for a person, so a click that comes while the program is busy
// waits as it would. Each figure is the time from the turn being sent to the
// window being idle again (the notch handled, the rows scrolled and
// repainted), and the processor time the window's thread spent on it.
//
// Single clicks come with the pointer resting on a bar (where hints show),
// quickly and slowly; a burst is 20 notches sent at once, or one after the
// other as fast as the server takes them. Needs an X server (DISPLAY) with
// the XTEST extension; without one it says why and does nothing.
//
//   tarvold_wheel_xbench [rows...]
#include "bench/ShownDocument.h"
#include "bench/x11/XTestInput.h"
#include "platform/kernel/Application.h"
#include "platform/services/DesktopServices.h"

#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

double Seconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}
double Now() { return Seconds(CLOCK_MONOTONIC); }
// The processor time of the thread that runs the window (the input is sent
// from another).
double Cpu() { return Seconds(CLOCK_THREAD_CPUTIME_ID); }

// Counts the notches the window has taken and the times its rows scrolled.
class TWheelWatch {
public:
    explicit TWheelWatch(TfrmMain &form)
    {
        auto count = [this](TMouseWheelUpDownEvent handler) {
            return [this, handler](TObject *s, TShiftState sh, TPoint p, bool &h) {
                ++notches;
                handler(s, sh, p, h);
            };
        };
        form.OnMouseWheelDown = count(form.OnMouseWheelDown);
        form.OnMouseWheelUp = count(form.OnMouseWheelUp);
        const TNotifyEvent placeBars = form.scb1->OnScroll;
        form.scb1->OnScroll = [this, placeBars](TObject *sender) {
            ++scrolls;
            placeBars(sender);
        };
    }
    int notches = 0;
    int scrolls = 0;
};

// Delivers what is waiting until a pass finds nothing more to do: the posted
// scroll and the repaints it asks for.
void Drain()
{
    for (int i = 0; i < 100; ++i) {
        const double start = Now();
        ProcessMessages();
        if (Now() - start < 0.0002)
            return;
    }
}

// Runs the event loop until the watch has counted `notches` and the rows have
// scrolled after the last of them, then until idle; the time then, or 0 when
// that does not come within two seconds. Waiting costs no processor time: the
// loop sleeps until input or a timer wakes it.
double HandleUntil(const TWheelWatch &watch, int notches)
{
    const double deadline = Now() + 2;
    int scrollsSeen = watch.scrolls;
    while (watch.notches < notches || watch.scrolls == scrollsSeen) {
        if (Now() > deadline)
            return 0;
        if (watch.notches < notches)
            scrollsSeen = watch.scrolls;
        WaitMessage();
    }
    Drain();
    return Now();
}

// Runs the event loop for a while, as a program does between inputs.
void Idle(double seconds)
{
    const double until = Now() + seconds;
    while (Now() < until) {
        ProcessMessages();
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

struct TFigures {
    std::vector<double> ms;
    double cpuMs = 0;
    int scrolls = 0;
    double Median() const
    {
        std::vector<double> v = ms;
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v[v.size() / 2];
    }
    double Max() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

// `clicks` single notches, one every `period` seconds, down for the first
// half and up for the second; each timed from its sending.
TFigures SingleClicks(TXTestInput &input, const TWheelWatch &watch, int clicks, double period)
{
    std::vector<std::atomic<double>> sent(static_cast<size_t>(clicks));
    const double start = Now() + 0.05;
    std::thread sender([&] {
        for (int i = 0; i < clicks; ++i) {
            std::this_thread::sleep_until(std::chrono::steady_clock::now()
                                          + std::chrono::duration<double>(start + i * period - Now()));
            sent[static_cast<size_t>(i)] = Now();
            input.TurnWheel(i < (clicks + 1) / 2, 1, true);
        }
    });
    TFigures f;
    const int base = watch.notches, scrollsBefore = watch.scrolls;
    const double cpu = Cpu();
    int recorded = 0;
    while (recorded < clicks) {
        const double done = HandleUntil(watch, base + recorded + 1);
        if (done == 0)
            break;
        for (; recorded < watch.notches - base; ++recorded)
            f.ms.push_back((done - sent[static_cast<size_t>(recorded)]) * 1000);
    }
    sender.join();
    f.cpuMs = (Cpu() - cpu) * 1000 / clicks;
    f.scrolls = watch.scrolls - scrollsBefore;
    return f;
}

// `bursts` spins of `notches`, down and up in turn, 0.4 s apart.
TFigures Bursts(TXTestInput &input, const TWheelWatch &watch, int bursts, int notches, bool together)
{
    TFigures f;
    double cpu = 0;
    for (int b = 0; b < bursts; ++b) {
        Idle(0.4);
        const int base = watch.notches, scrollsBefore = watch.scrolls;
        const double cpuBefore = Cpu();
        std::atomic<double> sent{0};
        std::thread sender([&] {
            sent = Now();
            input.TurnWheel(b % 2 == 0, notches, together);
        });
        const double done = HandleUntil(watch, base + notches);
        const double cpuDone = Cpu();
        sender.join();
        if (done == 0)
            break;
        f.ms.push_back((done - sent) * 1000);
        cpu += cpuDone - cpuBefore;
        Idle(0.05); // any later scroll of the same burst is counted too
        f.scrolls += watch.scrolls - scrollsBefore;
    }
    if (!f.ms.empty())
        f.cpuMs = cpu * 1000 / static_cast<double>(f.ms.size());
    return f;
}

void Print(const char *what, int rows, const TFigures &f)
{
    std::printf("%-34s %6d rows: median %6.1f ms, slowest %6.1f ms, cpu %5.1f ms each, %2zu turns scrolled %3d times\n",
                what, rows, f.Median(), f.Max(), f.cpuMs, f.ms.size(), f.scrolls);
    std::fflush(stdout);
}

bool Measure(TXTestInput &input, int rows)
{
    TShownDocument document("wheelx", rows);
    if (!document.shown) {
        std::printf("skipped: the window could not be shown on the X server\n");
        return false;
    }
    TfrmMain &form = *document.form;
    auto &vertical = form.scb1->VertScrollBar();
    vertical.SetPosition(vertical.MaxPosition() / 2);
    Idle(0.5);
    // The pointer rests on a bar in the middle of the view.
    const TRect seen = form.pnlBase->SeenRect();
    const TControl *bar = nullptr;
    for (const auto &row : ItemList)
        if (row->Top() > (seen.Top + seen.Bottom) / 2 && !row->FCharts.empty()) {
            bar = row->FCharts.front()->FBar.get();
            break;
        }
    const TPoint point = bar ? bar->ClientToScreen({bar->Width() / 2, bar->Height() / 2})
                             : form.pnlBase->ClientToScreen({100, (seen.Top + seen.Bottom) / 2});
    input.MovePointer(point.X - 1, point.Y);
    Idle(0.05);
    input.MovePointer(point.X, point.Y);
    Idle(0.8);

    TWheelWatch watch(form);
    // The first click of all comes first, alone: whatever is made on first use.
    Print("first click", rows, SingleClicks(input, watch, 1, 0));
    Print("clicks, one every 100 ms", rows, SingleClicks(input, watch, 40, 0.1));
    Print("clicks, one every 700 ms", rows, SingleClicks(input, watch, 10, 0.7));
    Print("burst of 20 sent at once", rows, Bursts(input, watch, 10, 20, true));
    Print("burst of 20, one after the other", rows, Bursts(input, watch, 10, 20, false));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    TXTestInput input;
    if (!input.Failure().empty()) {
        std::printf("skipped: %s\n", input.Failure().c_str());
        return 0;
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    Application().Initialize(argc, argv);
    InstallDesktopServices();
    std::vector<int> rows;
    for (int i = 1; i < argc; ++i)
        rows.push_back(std::atoi(argv[i]));
    if (rows.empty())
        rows = {1000, 10000};
    for (int n : rows)
        if (n > 0 && !Measure(input, n))
            break;
    Application().Finalize();
    return 0;
}
