// Sets dense ink shapes on a real 1920 x 1080 window through the program's own X11 display
// server, reads each back from the server and prints what it found. Ends with status 0 when
// every shape arrived whole and the connection lived through it. Its argument, when given, is
// the most bytes a request may take (to make a small shape go in several requests).
#include "CInkShape.h"
#include "x11/CX11DisplayServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <xcb/shape.h>

namespace {
QImage Stripes(int pattern) {
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const bool ink = pattern == 0   ? x % 2 == 0
                             : pattern == 1 ? y % 2 == 0
                                            : (x + y) % 2 == 0;
            line[x] = ink ? 0xFFFF0000u : 0x01010101u;
        }
    }
    return image;
}

QRegion ServerShape(xcb_connection_t* c, xcb_window_t window) {
    xcb_shape_get_rectangles_reply_t* reply = xcb_shape_get_rectangles_reply(
        c, xcb_shape_get_rectangles(c, window, XCB_SHAPE_SK_BOUNDING), nullptr);
    QRegion region;
    if (!reply)
        return region;
    const xcb_rectangle_t* rects = xcb_shape_get_rectangles_rectangles(reply);
    std::vector<QRect> list;
    for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply); ++i)
        list.emplace_back(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    free(reply);
    // The server keeps its regions banded, as QRegion wants them.
    region.setRects(list.data(), static_cast<int>(list.size()));
    return region;
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    CX11DisplayServer server;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!server.IsAvailable() || !x11)
        return 2;
    if (argc > 1)
        server.SetMostRequestBytes(std::strtoull(argv[1], nullptr, 10));
    QWidget window;
    window.setWindowFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    window.setGeometry(0, 0, 1920, 1080);
    window.show();
    QElapsedTimer timer;
    timer.start();
    while (!window.windowHandle()->isExposed() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    int failures = 0;
    const char* const names[] = {"columns", "rows", "checks"};
    for (int pattern = 0; pattern < 3; ++pattern) {
        const QImage surface = Stripes(pattern);
        const QRegion shape = CInkShape::Of(surface);
        server.SetBoundingShape(window.winId(), shape);
        const QRegion got =
            ServerShape(x11->connection(), static_cast<xcb_window_t>(window.winId()));
        // Never less than the ink: a sample of its rows.
        bool inkShown = true;
        for (int y : {0, 1, 539, 1079})
            for (int x = 0; x < surface.width(); ++x)
                if (qAlpha(surface.pixel(x, y)) > 2 && !got.contains(QPoint(x, y)))
                    inkShown = false;
        const bool whole = got.xored(shape).isEmpty() && inkShown;
        std::printf("%s: %d rectangles, requests of at most %zu bytes: %s\n", names[pattern],
                    shape.rectCount(), server.MostRequestBytes(), whole ? "whole" : "different");
        failures += whole ? 0 : 1;
    }
    if (xcb_connection_has_error(x11->connection())) {
        std::printf("the connection to the X server broke\n");
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
