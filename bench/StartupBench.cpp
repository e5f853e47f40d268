// Start-up: how long after launch each program's overlay window is mapped, the programs launched
// in turn on the same screen (warm starts: one unmeasured start of each first). The window list
// is read every 5 ms from the launch; each program is ended before the next starts.
//   startup_bench [--starts N] [--timeout-ms MS] NAME=COMMAND [NAME=COMMAND...]
// The first program is the one measured; the ratio of its median to each other's is printed.
#include "CProgramUnderBench.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {
constexpr int kPollPeriodMs = 5;

struct CProgram {
    std::string name;
    std::string command;
    std::vector<double> startsMs;
    int failures = 0;
};

// One start: the milliseconds until the overlay was mapped, or negative.
double MeasureStart(const CWindowList& windows, const CProgram& program, int timeoutMs) {
    const std::set<xcb_window_t> before = windows.TopLevels();
    CProgramUnderBench process;
    std::string why;
    const BenchClock::time_point launched = BenchClock::now();
    if (!process.Launch(program.command, &why)) {
        std::fprintf(stderr, "startup_bench: %s cannot be started: %s\n", program.name.c_str(),
                     why.c_str());
        return -1;
    }
    const double ms = WaitForOverlay(windows, before, process, launched, kPollPeriodMs, timeoutMs);
    if (ms < 0)
        std::fprintf(stderr, "startup_bench: %s showed no overlay within %d ms%s\n",
                     program.name.c_str(), timeoutMs, process.IsRunning() ? "" : " (it ended)");
    process.Stop();
    // The compositor and the server forget the windows before the next start.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return ms;
}
} // namespace

int main(int argc, char** argv) {
    int starts = 7;
    int timeoutMs = 10000;
    std::vector<CProgram> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--starts" && i + 1 < argc) {
            starts = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--timeout-ms" && i + 1 < argc) {
            timeoutMs = std::max(100, std::atoi(argv[++i]));
        } else if (const size_t eq = arg.find('='); eq != std::string::npos && eq > 0) {
            programs.push_back({arg.substr(0, eq), arg.substr(eq + 1), {}, 0});
        } else {
            std::fprintf(stderr,
                         "usage: startup_bench [--starts N] [--timeout-ms MS] NAME=COMMAND...\n");
            return 2;
        }
    }
    if (programs.empty()) {
        std::fprintf(stderr, "startup_bench: no program to start\n");
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "startup_bench: cannot open the display\n");
        return 1;
    }
    const CWindowList windows(connection);

    // Warm starts: the files each program reads are in the page cache before anything counts.
    for (CProgram& program : programs)
        MeasureStart(windows, program, timeoutMs);
    // In turn, so that a change of the machine's load touches every program alike.
    for (int round = 0; round < starts; ++round)
        for (CProgram& program : programs) {
            const double ms = MeasureStart(windows, program, timeoutMs);
            if (ms >= 0)
                program.startsMs.push_back(ms);
            else
                ++program.failures;
        }

    std::printf("Start-up until the overlay window is mapped (%d x %d, %d warm starts each, in "
                "turn, window list read every %d ms):\n",
                windows.Screen()->width_in_pixels, windows.Screen()->height_in_pixels, starts,
                kPollPeriodMs);
    std::map<std::string, double> medians;
    for (const CProgram& program : programs) {
        const CSampleFigures figures(program.startsMs);
        std::printf("  %-12s", program.name.c_str());
        if (figures.Count() == 0) {
            std::printf(" no start measured\n");
            continue;
        }
        medians[program.name] = figures.Percentile(50);
        std::printf(" median %6.1f ms  (min %.1f, max %.1f, quartiles %.1f-%.1f)",
                    figures.Percentile(50), figures.Min(), figures.Max(), figures.Percentile(25),
                    figures.Percentile(75));
        if (program.failures)
            std::printf("  %d start(s) without an overlay", program.failures);
        std::printf("\n    starts:");
        for (double ms : program.startsMs)
            std::printf(" %.1f", ms);
        std::printf("\n");
    }
    const std::string& first = programs.front().name;
    for (size_t i = 1; i < programs.size(); ++i) {
        const std::string& other = programs[i].name;
        if (medians.count(first) && medians.count(other) && medians[other] > 0)
            std::printf("  %s / %s (medians): %.2f\n", first.c_str(), other.c_str(),
                        medians[first] / medians[other]);
    }
    xcb_disconnect(connection);
    for (const CProgram& program : programs)
        if (program.startsMs.empty())
            return 1;
    return 0;
}
