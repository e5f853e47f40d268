// Presenting the overlay at 1080p and 4K, each next to its baselines in the same run: one
// drawing tick (a pen segment drawn and only its box presented), one long stroke whose ticks
// must cost as much at its end as at its start, a rebuild with a whole present, and a
// whole-window present of the unchanged surface. Every iteration ends with a
// round trip to the X server, so the server's share of the work is done inside the measured
// time; the counter server_ms reports the X server's CPU per iteration, read from /proc.
// Pages: the memory of 50 pages with a few strokes each next to 50 whole bitmaps with the same
// strokes, and Next and Previous between two such pages next to a rebuild of the surface (what
// a page change cost while every page kept its whole bitmap).
// Undo: a stroke with its undo step made from the tiles saved under it, next to one made from a
// whole copy of the page (the way before) and one without a step; and the memory a stroke's
// undo step takes at 4K, both ways.
// The window's shape without a compositor: worked out from the surface and sent to the X server
// (a round trip included), for a page of a presenter's ink and a dense page of 1-pixel stripes,
// next to the way before (one rectangle per run of every row, however many).
#include "CInkShape.h"
#include "CInkStrokes.h"
#include "CMainWindow.h"
#include "CPageStore.h"
#include "CQtDialogs.h"
#include "CUndoHistory.h"
#include "CommandIds.h"
#include "x11/CX11DisplayServer.h"
#include "x11/CX11GlobalKeys.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <chrono>
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
    bench.overlay.OnCmdText();
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

// Resident memory of this process in megabytes.
double ResidentMb() {
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields[1].toDouble() * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A few pen strokes across the page, different on each page.
void DrawAFewStrokes(CMainWindow& overlay, int seed) {
    // The pen is the tool from the start (the benchmark has no command table).
    const QSize size = overlay.Display().OverlayRect().size();
    for (int stroke = 0; stroke < 4; ++stroke) {
        QPoint at(100 + (seed * 37 + stroke * 400) % (size.width() - 600),
                  100 + (seed * 53 + stroke * 250) % (size.height() - 400));
        overlay.OnLButtonDown(at);
        for (int tick = 0; tick < 20; ++tick) {
            at += QPoint(20, tick % 2 ? 9 : -4);
            overlay.OnMouseMove(at);
            overlay.OnTimer(CMainWindow::kStrokeTimerId);
        }
        overlay.OnLButtonUp(at);
    }
}

constexpr int kBenchPages = 50;

void BM_FiftyPages(benchmark::State& state) {
    // The overlay's pages: every page but the one shown is packed.
    for (auto _ : state) {
        COverlayUnderBench bench(SizeOf(state));
        const double start = ResidentMb();
        DrawAFewStrokes(bench.overlay, 0);
        for (int page = 1; page < kBenchPages; ++page) {
            bench.overlay.OnCmdNewPage();
            DrawAFewStrokes(bench.overlay, page);
        }
        state.counters["rss_mb"] = ResidentMb() - start;
        state.counters["pages_mb"] =
            static_cast<double>(CPageStore::Bytes(bench.overlay.pages)) / (1024.0 * 1024.0);
        size_t packedBytes = 0;
        for (const auto& page : bench.overlay.pages)
            if (page->IsPacked())
                packedBytes += page->Bytes();
        state.counters["packed_kb_per_page"] =
            static_cast<double>(packedBytes) / 1024.0 / (kBenchPages - 1);
        state.counters["undo_mb"] =
            static_cast<double>(CUndoHistory::Bytes(bench.overlay.pages)) / (1024.0 * 1024.0);
    }
}

void BM_FiftyWholeBitmaps(benchmark::State& state) {
    // The baseline: 50 whole bitmaps, as every page was kept before, with strokes of the same
    // length drawn on them.
    const QSize size = SizeOf(state);
    for (auto _ : state) {
        const double start = ResidentMb();
        std::vector<QImage> pages;
        for (int page = 0; page < kBenchPages; ++page) {
            QImage image(size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(Qt::red, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            for (int stroke = 0; stroke < 4; ++stroke) {
                const QPoint at(100 + (page * 37 + stroke * 400) % (size.width() - 600),
                                100 + (page * 53 + stroke * 250) % (size.height() - 400));
                painter.drawLine(at, at + QPoint(400, 50));
            }
            pages.push_back(std::move(image));
        }
        state.counters["rss_mb"] = ResidentMb() - start;
    }
}

void BM_NextAndPrevious(benchmark::State& state) {
    // Next and Previous in turn between two pages with a few strokes each, with the present.
    COverlayUnderBench bench(SizeOf(state));
    DrawAFewStrokes(bench.overlay, 0);
    bench.overlay.OnCmdNewPage();
    DrawAFewStrokes(bench.overlay, 1);
    bool next = false;
    double commandMs = 0;
    CServerCpu server(state);
    for (auto _ : state) {
        // command_ms: the page change itself (the old page packed, the new one unpacked, the
        // surface rebuilt), without the present.
        const auto start = std::chrono::steady_clock::now();
        if (next)
            bench.overlay.OnCmdNextPage();
        else
            bench.overlay.OnCmdPrevPage();
        commandMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        next = !next;
        bench.overlay.repaint();
        bench.server.RoundTrip();
    }
    state.counters["command_ms"] = commandMs / static_cast<double>(state.iterations());
}

void BM_PackAndUnpackPage(benchmark::State& state) {
    // Only what packing adds to a page change: the page shown put away, the other unpacked
    // into its buffer. The unpack alone is BM_UnpackPage.
    const QSize size = SizeOf(state);
    CUndoHistory::Pages pages;
    for (int seed = 0; seed < 2; ++seed) {
        auto page = std::make_unique<_PageContext>(size, 1.0);
        QPainter painter(&page->bitmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::red, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (int stroke = 0; stroke < 4; ++stroke) {
            const QPoint at(100 + (seed * 37 + stroke * 400) % (size.width() - 600),
                            100 + (seed * 53 + stroke * 250) % (size.height() - 400));
            painter.drawLine(at, at + QPoint(400, 50));
        }
        painter.end();
        pages.push_back(std::move(page));
    }
    size_t current = 0;
    CPageStore::ShowOnly(pages, current);
    for (auto _ : state) {
        current = 1 - current;
        // Drawn on since it was shown, as a presenter does: the page is packed again.
        pages[1 - current]->bitmap.scanLine(0)[0] ^= 1;
        CPageStore::ShowOnly(pages, current);
        benchmark::DoNotOptimize(pages[current]->bitmap.constBits());
    }
}

void BM_UnpackPage(benchmark::State& state) {
    // Bringing a page with a few strokes back into a buffer of its size.
    const QSize size = SizeOf(state);
    QImage page(size, QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::transparent);
    {
        QPainter painter(&page);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::red, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (int stroke = 0; stroke < 4; ++stroke)
            painter.drawLine(QPoint(100 + stroke * 400, 100 + stroke * 250),
                             QPoint(500 + stroke * 400, 150 + stroke * 250));
    }
    const CPackedImage packed = CPackedImage::Pack(page);
    QImage buffer(size, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        buffer = packed.Unpack(std::move(buffer));
        benchmark::DoNotOptimize(buffer.constBits());
    }
}

// How a stroke's undo step is made: not at all; from the tiles saved under each segment before
// it is drawn (the program's way); or from a whole copy of the page compared whole at the
// release (the way before the tiles, still what the history's checking mode does).
enum EStepKind { kNoStep, kTileStep, kWholeCopyStep };

// A short pen stroke of three segments drawn onto a page, with the undo step of `kind` around
// it; release_ms is the step's end alone (the changed box found and packed before and after).
void StrokeOnPage(benchmark::State& state, EStepKind kind) {
    CUndoHistory::Pages pages;
    pages.push_back(std::make_unique<_PageContext>(SizeOf(state), 1.0));
    _PageContext& page = *pages.front();
    CUndoHistory history;
    history.SetChecking(kind == kWholeCopyStep);
    int row = 0;
    double releaseMs = 0;
    for (auto _ : state) {
        QPoint at(200, 100 + (row++ % 50) * 20);
        if (kind != kNoStep)
            history.BeginStep(page);
        for (int tick = 0; tick < 3; ++tick) {
            const std::vector<QPoint> points{at, at + QPoint(40, 5)};
            history.TouchOverlayBox(page, CInkStrokes::StrokeBounds(0, points, 5.0f));
            CInkStrokes::DrawPen(page.bitmap, points, 0xFFFF0000, 5.0f);
            at += QPoint(40, 5);
        }
        if (kind != kNoStep) {
            const auto start = std::chrono::steady_clock::now();
            history.EndStep(page, pages);
            releaseMs +=
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
        }
    }
    state.counters["release_ms"] = releaseMs / static_cast<double>(state.iterations());
}

void BM_StrokeWithUndoStep(benchmark::State& state) {
    StrokeOnPage(state, kTileStep);
}

void BM_StrokeWithWholeCopyUndoStep(benchmark::State& state) {
    StrokeOnPage(state, kWholeCopyStep);
}

void BM_StrokeWithoutUndoStep(benchmark::State& state) {
    StrokeOnPage(state, kNoStep);
}

void ClearWithUndoStep(benchmark::State& state, EStepKind kind) {
    // Clear of a page with a few strokes and its undo step: the whole page saved, compared,
    // packed before and after; the strokes are drawn again outside the measure.
    CUndoHistory::Pages pages;
    pages.push_back(std::make_unique<_PageContext>(SizeOf(state), 1.0));
    _PageContext& page = *pages.front();
    CUndoHistory history;
    history.SetChecking(kind == kWholeCopyStep);
    for (auto _ : state) {
        state.PauseTiming();
        for (int stroke = 0; stroke < 4; ++stroke) {
            const QPoint at(100 + stroke * 400, 100 + stroke * 250);
            CInkStrokes::DrawPen(page.bitmap, {at, at + QPoint(400, 50)}, 0xFFFF0000, 5.0f);
        }
        state.ResumeTiming();
        history.BeginStep(page);
        history.TouchAll(page);
        page.bitmap.fill(Qt::transparent);
        history.EndStep(page, pages);
    }
}

void BM_ClearWithUndoStep(benchmark::State& state) {
    ClearWithUndoStep(state, kTileStep);
}

void BM_ClearWithWholeCopyUndoStep(benchmark::State& state) {
    ClearWithUndoStep(state, kWholeCopyStep);
}

void UndoMemoryOfAStroke(benchmark::State& state, EStepKind kind) {
    // The memory the undo machinery takes for one long stroke across a page at the size given,
    // while the stroke is drawn (held_mb, rss_mb) and after its release (held_after_mb,
    // rss_after_mb); the page itself is there before and left out.
    for (auto _ : state) {
        CUndoHistory::Pages pages;
        pages.push_back(std::make_unique<_PageContext>(SizeOf(state), 1.0));
        _PageContext& page = *pages.front();
        CUndoHistory history;
        history.SetChecking(kind == kWholeCopyStep);
        const double start = ResidentMb();
        history.BeginStep(page);
        QPoint at(300, 200);
        for (int tick = 0; tick < 40; ++tick) {
            const std::vector<QPoint> points{at, at + QPoint(60, 30)};
            history.TouchOverlayBox(page, CInkStrokes::StrokeBounds(0, points, 10.0f));
            CInkStrokes::DrawPen(page.bitmap, points, 0xFFFF0000, 10.0f);
            at += QPoint(60, 30);
        }
        state.counters["held_mb"] = static_cast<double>(history.ScratchBytes()) / (1024.0 * 1024.0);
        state.counters["rss_mb"] = ResidentMb() - start;
        history.EndStep(page, pages);
        state.counters["held_after_mb"] =
            static_cast<double>(history.ScratchBytes()) / (1024.0 * 1024.0);
        state.counters["rss_after_mb"] = ResidentMb() - start;
        state.counters["step_kb"] = static_cast<double>(CUndoHistory::Bytes(pages)) / 1024.0;
    }
}

void BM_UndoMemoryOfAStroke(benchmark::State& state) {
    UndoMemoryOfAStroke(state, kTileStep);
}

void BM_UndoMemoryOfAStrokeWholeCopy(benchmark::State& state) {
    UndoMemoryOfAStroke(state, kWholeCopyStep);
}

// The shape as it was worked out before: one rectangle per run of ink in every row.
QRegion RowRunShape(const QImage& surface) {
    std::vector<QRect> runs;
    for (int y = 0; y < surface.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(surface.constScanLine(y));
        int start = -1;
        for (int x = 0; x <= surface.width(); ++x) {
            const bool ink =
                x < surface.width() && qAlpha(line[x]) > CInkShape::kMostTransparentBackgroundAlpha;
            if (ink && start < 0) {
                start = x;
            } else if (!ink && start >= 0) {
                runs.emplace_back(start, y, x - start, 1);
                start = -1;
            }
        }
    }
    QRegion shape;
    shape.setRects(runs.data(), static_cast<int>(runs.size()));
    return shape;
}

enum { kPresenterInk = 0, kStripes = 1 };
enum { kBandedShape = 0, kRowRunShape = 1 };

// A surface as the overlay shows it in pointer mode: the alpha-1 background and its ink.
QImage ShapeSurface(QSize size, int ink) {
    QImage surface(size, QImage::Format_ARGB32_Premultiplied);
    surface.fill(QColor(255, 255, 255, 1));
    if (ink == kStripes) {
        for (int y = 0; y < size.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(surface.scanLine(y));
            for (int x = 0; x < size.width(); x += 2)
                line[x] = 0xFFFF0000u;
        }
        return surface;
    }
    // Underlines, arrows and circles of a talk: forty strokes over the slide.
    for (int i = 0; i < 40; ++i) {
        const int x = 100 + (i * 397) % (size.width() - 500),
                  y = 80 + (i * 211) % (size.height() - 300);
        CInkStrokes::DrawPen(surface,
                             {{x, y}, {x + 180, y + 40}, {x + 360, y - 10}, {x + 200, y + 160}},
                             0xFFFF0000, 5.0f);
    }
    QPainter painter(&surface);
    painter.setFont(QFont("Liberation Sans", 36));
    painter.setPen(Qt::blue);
    painter.drawText(QPoint(200, size.height() - 100), "Quarterly figures: up 12 % since May");
    return surface;
}

void InkShapeToServer(benchmark::State& state, int ink, int way) {
    const QSize size = SizeOf(state);
    COverlayUnderBench bench(size);
    const QImage surface = ShapeSurface(size, ink);
    const WId window = bench.overlay.winId();
    CServerCpu server(state);
    for (auto _ : state) {
        const QRegion shape = way == kBandedShape ? CInkShape::Of(surface) : RowRunShape(surface);
        bench.server.SetBoundingShape(window, shape);
        bench.server.RoundTrip();
        state.counters["rects"] = shape.rectCount();
        state.counters["request_mb"] =
            static_cast<double>(shape.rectCount()) * 8.0 / (1024.0 * 1024.0);
    }
    bench.server.SetBoundingShape(window, std::nullopt);
}

void BM_InkShapeOfPresenterInk(benchmark::State& state) {
    InkShapeToServer(state, kPresenterInk, kBandedShape);
}
void BM_InkShapeOfPresenterInkRowRuns(benchmark::State& state) {
    InkShapeToServer(state, kPresenterInk, kRowRunShape);
}
void BM_InkShapeOfStripes(benchmark::State& state) {
    InkShapeToServer(state, kStripes, kBandedShape);
}
void BM_InkShapeOfStripesRowRuns(benchmark::State& state) {
    InkShapeToServer(state, kStripes, kRowRunShape);
}

#define RAVLIN_SIZES Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)
BENCHMARK(BM_DrawingTick)->RAVLIN_SIZES;
BENCHMARK(BM_LongStroke)->RAVLIN_SIZES->Iterations(1);
BENCHMARK(BM_TextPreviewTick)->RAVLIN_SIZES;
BENCHMARK(BM_DoRedrawAndPresent)->RAVLIN_SIZES;
BENCHMARK(BM_WholeWindowPresent)->RAVLIN_SIZES;
BENCHMARK(BM_FiftyPages)->Args({3840, 2160})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FiftyWholeBitmaps)->Args({3840, 2160})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_NextAndPrevious)->RAVLIN_SIZES;
BENCHMARK(BM_PackAndUnpackPage)->RAVLIN_SIZES;
BENCHMARK(BM_UnpackPage)->RAVLIN_SIZES;
BENCHMARK(BM_StrokeWithUndoStep)->RAVLIN_SIZES;
BENCHMARK(BM_StrokeWithWholeCopyUndoStep)->RAVLIN_SIZES;
BENCHMARK(BM_StrokeWithoutUndoStep)->RAVLIN_SIZES;
BENCHMARK(BM_ClearWithUndoStep)->RAVLIN_SIZES;
BENCHMARK(BM_ClearWithWholeCopyUndoStep)->RAVLIN_SIZES;
BENCHMARK(BM_UndoMemoryOfAStroke)->Args({3840, 2160})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_UndoMemoryOfAStrokeWholeCopy)
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_InkShapeOfPresenterInk)->RAVLIN_SIZES;
BENCHMARK(BM_InkShapeOfPresenterInkRowRuns)->RAVLIN_SIZES;
BENCHMARK(BM_InkShapeOfStripes)->RAVLIN_SIZES;
// At 4K the way before makes 4 million rectangles, a 33 MB request: at 1080p only (8 MB).
BENCHMARK(BM_InkShapeOfStripesRowRuns)->Args({1920, 1080})->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
