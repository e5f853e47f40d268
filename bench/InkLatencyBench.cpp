// Ink latency: how long after the pen moves its ink is on the composited screen. A pressed
// pointer is moved 12 px at a time with XTest along rows of the screen; after each move the
// screen (the root window, where the compositing manager draws) is read at the point 4 px
// behind the pointer until that point is the ink's red. Between moves a pseudo-random pause of
// 0-25 ms, so that a program that draws on a timer is met at every phase of it, as a hand is.
// Each program is started afresh for each of its turns, brought to drawing with its own
// command, and the programs take turns so that a change of the machine's load touches them alike.
//   ink_latency_bench [--moves N] [--turns N] NAME=COMMAND [--then NAME=COMMAND] ...
// --then gives the command that makes a started program draw (empty: it draws once shown).
#include "CProgramUnderBench.h"

#include <xcb/xtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {
constexpr int kStepPx = 12;
constexpr int kBehindPx = 4;
constexpr int kRowSpacingPx = 30;
constexpr int kMoveTimeoutMs = 1000;
constexpr auto kPollPeriod = std::chrono::microseconds(200);

struct CProgram {
    std::string name;
    std::string command;
    std::string activate;
    std::vector<double> latenciesMs; // in the order measured
    int missed = 0;
    bool failed = false;
};

class CPointer {
public:
    CPointer(xcb_connection_t* connection, xcb_window_t root)
        : m_connection(connection), m_root(root) {}
    void MoveTo(int x, int y) {
        xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root,
                            int16_t(x), int16_t(y), 0);
        xcb_flush(m_connection);
    }
    void Button(bool down) {
        xcb_test_fake_input(m_connection, down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, 1,
                            XCB_CURRENT_TIME, m_root, 0, 0, 0);
        xcb_flush(m_connection);
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root;
};

bool IsInkRed(xcb_connection_t* connection, xcb_window_t root, int x, int y) {
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(
        xcb_get_image_reply(connection,
                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(x),
                                          int16_t(y), 1, 1, ~0u),
                            nullptr),
        &std::free);
    if (!image || xcb_get_image_data_length(image.get()) < 3)
        return false;
    // 24-bit depth in 32-bit pixels, least significant byte first: blue, green, red.
    const uint8_t* bgr = xcb_get_image_data(image.get());
    return bgr[2] >= 200 && bgr[1] <= 80 && bgr[0] <= 80;
}

// The milliseconds until (x, y) turns red, or negative after the timeout.
double WaitForInk(xcb_connection_t* connection, xcb_window_t root, int x, int y,
                  BenchClock::time_point moved) {
    for (;;) {
        if (IsInkRed(connection, root, x, y))
            return MillisecondsSince(moved);
        if (MillisecondsSince(moved) > kMoveTimeoutMs)
            return -1;
        std::this_thread::sleep_for(kPollPeriod);
    }
}

// One turn: the program started, brought to drawing, `moves` moves measured, the program ended.
void RunTurn(xcb_connection_t* connection, const CWindowList& windows, CProgram& program, int moves,
             std::mt19937& random) {
    const std::set<xcb_window_t> before = windows.TopLevels();
    CProgramUnderBench process;
    std::string why;
    const BenchClock::time_point launched = BenchClock::now();
    if (!process.Launch(program.command, &why)) {
        std::fprintf(stderr, "ink_latency_bench: %s cannot be started: %s\n", program.name.c_str(),
                     why.c_str());
        program.failed = true;
        return;
    }
    if (WaitForOverlay(windows, before, process, launched, 5, 15000) < 0) {
        std::fprintf(stderr, "ink_latency_bench: %s showed no overlay\n", program.name.c_str());
        program.failed = true;
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    if (!program.activate.empty() && !RunToEnd(program.activate, 10000)) {
        std::fprintf(stderr, "ink_latency_bench: \"%s\" failed\n", program.activate.c_str());
        program.failed = true;
        return;
    }
    // Until the program has taken the pointer and its timers run as they will.
    std::this_thread::sleep_for(std::chrono::milliseconds(700));

    const xcb_screen_t* screen = windows.Screen();
    const int width = screen->width_in_pixels, height = screen->height_in_pixels;
    const int left = width / 10, right = width - width / 10;
    CPointer pointer(connection, screen->root);
    std::uniform_int_distribution<int> pauseMs(0, 25);
    int measured = 0;
    for (int y = height / 5; measured < moves && y < height - height / 10; y += kRowSpacingPx) {
        int x = left;
        pointer.MoveTo(x, y);
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        pointer.Button(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        // The first segment of a stroke is not counted: a press may start more than a move.
        x += kStepPx;
        pointer.MoveTo(x, y);
        WaitForInk(connection, screen->root, x - kBehindPx, y, BenchClock::now());
        while (measured < moves && x + kStepPx <= right) {
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
            x += kStepPx;
            pointer.MoveTo(x, y);
            const double ms =
                WaitForInk(connection, screen->root, x - kBehindPx, y, BenchClock::now());
            if (ms >= 0)
                program.latenciesMs.push_back(ms);
            else
                ++program.missed;
            ++measured;
        }
        pointer.Button(false);
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        if (!process.IsRunning()) {
            std::fprintf(stderr, "ink_latency_bench: %s ended while drawing\n",
                         program.name.c_str());
            program.failed = true;
            return;
        }
    }
    process.Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

double Median(std::vector<double> samples) {
    return CSampleFigures(std::move(samples)).Percentile(50);
}
} // namespace

int main(int argc, char** argv) {
    int moves = 400;
    int turns = 2;
    std::vector<CProgram> programs;
    auto usage = [] {
        std::fprintf(stderr, "usage: ink_latency_bench [--moves N] [--turns N] NAME=COMMAND "
                             "[--then NAME=COMMAND]...\n");
        return 2;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--moves" && i + 1 < argc) {
            moves = std::max(10, std::atoi(argv[++i]));
        } else if (arg == "--turns" && i + 1 < argc) {
            turns = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--then" && i + 1 < argc) {
            const std::string then = argv[++i];
            const size_t eq = then.find('=');
            bool matched = false;
            for (CProgram& program : programs)
                if (eq != std::string::npos && program.name == then.substr(0, eq)) {
                    program.activate = then.substr(eq + 1);
                    matched = true;
                }
            if (!matched)
                return usage();
        } else if (const size_t eq = arg.find('='); eq != std::string::npos && eq > 0) {
            programs.push_back({arg.substr(0, eq), arg.substr(eq + 1), {}, {}, 0, false});
        } else {
            return usage();
        }
    }
    if (programs.empty())
        return usage();
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "ink_latency_bench: cannot open the display\n");
        return 1;
    }
    const CWindowList windows(connection);
    std::mt19937 random(20);
    const int movesPerTurn = (moves + turns - 1) / turns;
    for (int turn = 0; turn < turns; ++turn)
        for (CProgram& program : programs)
            if (!program.failed)
                RunTurn(connection, windows, program, movesPerTurn, random);

    std::printf("Ink latency at %d x %d: a pressed pointer moved %d px at a time (XTest), the "
                "composited screen read every %.1f ms until the point %d px behind it is red; "
                "%d moves each in %d turns, 0-25 ms between moves:\n",
                windows.Screen()->width_in_pixels, windows.Screen()->height_in_pixels, kStepPx,
                std::chrono::duration<double, std::milli>(kPollPeriod).count(), kBehindPx,
                movesPerTurn * turns, turns);
    int status = 0;
    for (const CProgram& program : programs) {
        std::printf("  %-12s", program.name.c_str());
        if (program.latenciesMs.empty()) {
            std::printf(" not measured\n");
            status = 1;
            continue;
        }
        const CSampleFigures figures(program.latenciesMs);
        // Steady state: the first and the last third of the moves should agree.
        const size_t third = program.latenciesMs.size() / 3;
        const std::vector<double> first(program.latenciesMs.begin(),
                                        program.latenciesMs.begin() + third);
        const std::vector<double> last(program.latenciesMs.end() - third,
                                       program.latenciesMs.end());
        std::printf(" p50 %5.1f ms  p95 %5.1f ms  max %5.1f ms  (p50 of the first third %.1f, "
                    "of the last %.1f)",
                    figures.Percentile(50), figures.Percentile(95), figures.Max(), Median(first),
                    Median(last));
        if (program.missed)
            std::printf("  %d move(s) not inked within %d ms", program.missed, kMoveTimeoutMs);
        if (program.failed)
            std::printf("  (incomplete: see above)");
        std::printf("\n");
    }
    xcb_disconnect(connection);
    return status;
}
