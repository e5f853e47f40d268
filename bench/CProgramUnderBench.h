#pragma once
// What the whole-process benchmarks share: a program launched as its own process, the moment
// its overlay window is mapped (read from the X server's window list), and the figures.
#include <xcb/xcb.h>

#include <chrono>
#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

using BenchClock = std::chrono::steady_clock;

double MillisecondsSince(BenchClock::time_point start);

// A command line split at spaces ("build/bin/ravlin --command pen").
std::vector<std::string> SplitCommand(const std::string& command);

// Runs a command to its end; false when it could not start or failed.
bool RunToEnd(const std::string& command, int timeoutMs);

// One launched program. Ending the object ends the process: SIGTERM, then SIGKILL after a while.
class CProgramUnderBench {
public:
    CProgramUnderBench() = default;
    CProgramUnderBench(const CProgramUnderBench&) = delete;
    CProgramUnderBench& operator=(const CProgramUnderBench&) = delete;
    ~CProgramUnderBench() { Stop(); }

    // False (with errno's text in *why) when the program could not be started.
    bool Launch(const std::string& command, std::string* why);
    // True while the process runs.
    bool IsRunning();
    void Stop();

private:
    pid_t m_pid = -1;
};

// The X server's top-level windows and what makes one an overlay: mapped, as wide as the
// screen from its top left corner and nearly as high.
class CWindowList {
public:
    explicit CWindowList(xcb_connection_t* connection);
    std::set<xcb_window_t> TopLevels() const;
    // A viewable overlay-sized top-level window that is not in `before`, or 0.
    xcb_window_t NewOverlay(const std::set<xcb_window_t>& before) const;
    xcb_screen_t* Screen() const { return m_screen; }

private:
    xcb_connection_t* m_connection;
    xcb_screen_t* m_screen;
};

// Waits, polling every `periodMs`, until a new overlay window is mapped; its time since
// `launched` in milliseconds, or a negative number after `timeoutMs` or when the program ends.
double WaitForOverlay(const CWindowList& windows, const std::set<xcb_window_t>& before,
                      CProgramUnderBench& program, BenchClock::time_point launched, int periodMs,
                      int timeoutMs);

// Sorted-sample figures.
struct CSampleFigures {
    explicit CSampleFigures(std::vector<double> samples);
    double Percentile(double p) const;
    size_t Count() const { return m_sorted.size(); }
    double Min() const { return m_sorted.empty() ? 0 : m_sorted.front(); }
    double Max() const { return m_sorted.empty() ? 0 : m_sorted.back(); }

private:
    std::vector<double> m_sorted;
};
