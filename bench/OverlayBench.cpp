// Presenting the overlay at 1080p and 4K, each next to its baselines in the same run: one
// drawing tick (a pen segment drawn and only its box presented), one long stroke whose ticks
// must cost as much at its end as at its start, a rebuild with a whole present, and a
// whole-window present of the unchanged surface. Every iteration ends with a
// round trip to the X server, so the server's share of the work is done inside the measured
// time; the counter server_ms reports the X server's CPU per iteration, read from /proc.
#include "CMainWindow.h"
#include "CQtDialogs.h"
#include "CommandIds.h"
#include "x11/CX11DisplayServer.h"
#include "x11/CX11GlobalKeys.h"

#include <QApplication>
#include <QFile>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <ctime>
#include <unistd.h>

namespace {
struct COverlayUnderBench {
    explicit COverlayUnderBench(QSize size) : overlay(server, dialogs, keys) {
        overlay.Display().SetDisplays(
            {{QRect(QPoint(0, 0), size), QRect(QPoint(0, 0), size), true, 1.0, "bench"}});
        overlay.Display().SetCurrentDisplay(0);
        overlay.CreateOverlay();
        overlay.show();
        // Until the server has mapped and exposed the window, a repaint reaches nothing.
        while (!overlay.windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        overlay.repaint();
        server.RoundTrip();
    }
    CX11DisplayServer server;
    CQtDialogs dialogs;
    CX11GlobalKeys keys;
    CMainWindow overlay;
};

// CPU milliseconds the X server of $DISPLAY has used so far (its pid is in the display's lock
// file); negative when it cannot be read.
double ServerCpuMs() {
    const QString display = qEnvironmentVariable("DISPLAY").section(':', 1).section('.', 0, 0);
    QFile lock(QString("/tmp/.X%1-lock").arg(display));
    if (!lock.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pid = lock.readAll().trimmed();
    QFile stat("/proc/" + pid + "/stat");
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // Fields after the command name: state is field 3, utime 14, stime 15.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const double ticks = fields[11].toDouble() + fields[12].toDouble();
    return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Reports the X server's CPU per iteration of the loop it wraps.
class CServerCpu {
public:
    explicit CServerCpu(benchmark::State& state) : m_state(state), m_start(ServerCpuMs()) {}
    ~CServerCpu() {
        const double end = ServerCpuMs();
        if (m_start >= 0 && end >= 0 && m_state.iterations() > 0)
            m_state.counters["server_ms"] =
                (end - m_start) / static_cast<double>(m_state.iterations());
    }

private:
    benchmark::State& m_state;
    double m_start;
};

// CPU milliseconds this process has used so far.
double ProgramCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// One drawing tick as the event loop runs it: the move, the timer, the present and a round trip
// so that the server's share is done before the next tick.
void Tick(COverlayUnderBench& bench, QPoint at) {
    bench.overlay.OnMouseMove(at);
    bench.overlay.OnTimer(CMainWindow::kStrokeTimerId);
    // The present: Qt paints the changed box when it handles the update request.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    bench.server.RoundTrip();
}

QSize SizeOf(const benchmark::State& state) {
    return QSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
}

void BM_DrawingTick(benchmark::State& state) {
    // A pen stroke going back and forth across the screen, one 20-pixel move per tick.
    COverlayUnderBench bench(SizeOf(state));
    bench.overlay.OnCommand(ID_PEN);
    const QSize size = SizeOf(state);
    QPoint at(100, 100);
    int dx = 20;
    int step = 0;
    bench.overlay.OnLButtonDown(at);
    CServerCpu server(state);
    for (auto _ : state) {
        if (at.x() + dx < 50 || at.x() + dx > size.width() - 50)
            dx = -dx;
        // A wobble of -3 to 3 that sums to zero every seven ticks: the pen stays at its height
        // however long the benchmark runs.
        at += QPoint(dx, step++ % 7 - 3);
        Tick(bench, at);
    }
}

void BM_LongStroke(benchmark::State& state) {
    // One stroke of 20,000 ticks (about eight minutes of drawing) zigzagging over the whole
    // display. Ticks 9,000 to 9,999 leave it over its top edge, as a drag onto a monitor above
    // would. Reported: the CPU of this program and of the X server per tick in the first and
    // the last thousand on-screen ticks, and in the thousand off the display.
    constexpr int kTicks = 20000;
    constexpr int kWindow = 1000;
    constexpr int kOffFrom = 9000;
    const QSize size = SizeOf(state);
    COverlayUnderBench bench(size);
    bench.overlay.OnCommand(ID_PEN);
    for (auto _ : state) {
        QPoint at(100, 100);
        int dx = 23;
        int dy = 17;
        bench.overlay.OnLButtonDown(at);
        double programStart = 0, serverStart = 0;
        auto report = [&](const char* name, double programStartMs, double serverStartMs) {
            state.counters[std::string(name) + "_ms"] = (ProgramCpuMs() - programStartMs) / kWindow;
            state.counters[std::string(name) + "_server_ms"] =
                (ServerCpuMs() - serverStartMs) / kWindow;
        };
        for (int tick = 0; tick < kTicks; ++tick) {
            if (tick == 0 || tick == kOffFrom || tick == kTicks - kWindow) {
                programStart = ProgramCpuMs();
                serverStart = ServerCpuMs();
            }
            if (tick >= kOffFrom && tick < kOffFrom + kWindow) {
                // Above the display, well clear of the pen's width.
                at = QPoint(100 + (tick - kOffFrom) % 50 * 20, -200 - (tick % 2) * 30);
            } else {
                if (at.y() < 50)
                    at.setY(100);
                if (at.x() + dx < 50 || at.x() + dx > size.width() - 50)
                    dx = -dx;
                if (at.y() + dy < 50 || at.y() + dy > size.height() - 50)
                    dy = -dy;
                at += QPoint(dx, dy);
            }
            Tick(bench, at);
            if (tick == kWindow - 1)
                report("first", programStart, serverStart);
            else if (tick == kOffFrom + kWindow - 1)
                report("off_display", programStart, serverStart);
            else if (tick == kTicks - 1)
                report("last", programStart, serverStart);
        }
        bench.overlay.OnLButtonUp(at);
    }
}

void BM_TextPreviewTick(benchmark::State& state) {
    // Typing into the bubble: every tick redraws the preview of the text so far.
    COverlayUnderBench bench(SizeOf(state));
    bench.overlay.OnCommand(ID_TEXT);
    bench.overlay.OnLButtonDown(QPoint(400, 300));
    bench.overlay.OnLButtonUp(QPoint(400, 300));
    const QString sentence = "The quarterly figures, annotated live";
    int typed = 0;
    CServerCpu server(state);
    for (auto _ : state) {
        typed = typed % sentence.size() + 1;
        bench.overlay.text = sentence.left(typed);
        bench.overlay.OnTimer(CMainWindow::kStrokeTimerId);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        bench.server.RoundTrip();
    }
    bench.overlay.CancelText();
}

void BM_DoRedrawAndPresent(benchmark::State& state) {
    COverlayUnderBench bench(SizeOf(state));
    CServerCpu server(state);
    for (auto _ : state) {
        bench.overlay.DoRedraw();
        bench.overlay.repaint();
        bench.server.RoundTrip();
    }
}

void BM_WholeWindowPresent(benchmark::State& state) {
    COverlayUnderBench bench(SizeOf(state));
    CServerCpu server(state);
    for (auto _ : state) {
        bench.overlay.repaint();
        bench.server.RoundTrip();
    }
}

#define RAVLIN_SIZES Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)
BENCHMARK(BM_DrawingTick)->RAVLIN_SIZES;
BENCHMARK(BM_LongStroke)->RAVLIN_SIZES->Iterations(1);
BENCHMARK(BM_TextPreviewTick)->RAVLIN_SIZES;
BENCHMARK(BM_DoRedrawAndPresent)->RAVLIN_SIZES;
BENCHMARK(BM_WholeWindowPresent)->RAVLIN_SIZES;
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
