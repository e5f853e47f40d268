// Rebuilding and presenting the overlay at 1080p and 4K, each next to its baselines in the same
// run: presenting the unchanged surface whole, and presenting one small changed box (what a
// stroke tick presents). Every iteration ends with a round trip to the X server, so the
// server's share of the work is inside the measured time.
#include "CMainWindow.h"
#include "CQtDialogs.h"
#include "x11/CX11DisplayServer.h"
#include "x11/CX11GlobalKeys.h"

#include <QApplication>
#include <QWindow>
#include <benchmark/benchmark.h>

namespace {
struct COverlayUnderBench {
    explicit COverlayUnderBench(QSize size) : overlay(server, dialogs, keys) {
        overlay.Display().SetDisplays({{QRect(QPoint(0, 0), size), QRect(QPoint(0, 0), size),
                                        true, 1.0, "bench"}});
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

QSize SizeOf(const benchmark::State& state) {
    return QSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
}

void BM_DoRedrawAndPresent(benchmark::State& state) {
    COverlayUnderBench bench(SizeOf(state));
    for (auto _ : state) {
        bench.overlay.DoRedraw();
        bench.overlay.repaint();
        bench.server.RoundTrip();
    }
}

void BM_WholeWindowPresent(benchmark::State& state) {
    COverlayUnderBench bench(SizeOf(state));
    for (auto _ : state) {
        bench.overlay.repaint();
        bench.server.RoundTrip();
    }
}

void BM_ChangedBoxPresent(benchmark::State& state) {
    // A 5-pixel pen segment's box, widened for antialiasing.
    COverlayUnderBench bench(SizeOf(state));
    const QRect box(400, 300, 48, 32);
    for (auto _ : state) {
        bench.overlay.repaint(box);
        bench.server.RoundTrip();
    }
}

#define RAVLIN_SIZES Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)
BENCHMARK(BM_DoRedrawAndPresent)->RAVLIN_SIZES;
BENCHMARK(BM_WholeWindowPresent)->RAVLIN_SIZES;
BENCHMARK(BM_ChangedBoxPresent)->RAVLIN_SIZES;
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
