// Saving a 1920 x 1080 screenshot in each format, next to Qt's own PNG writer on the same
// picture in the same run.
#include "CImageEncoders.h"

#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
// A desktop-like picture: a gradient, window-like blocks and some ink.
const QImage& Screenshot() {
    static const QImage picture = [] {
        QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, 1920, 1080);
        gradient.setColorAt(0, QColor(40, 60, 90));
        gradient.setColorAt(1, QColor(120, 140, 170));
        painter.fillRect(image.rect(), gradient);
        painter.fillRect(200, 150, 900, 600, QColor(245, 245, 245));
        painter.fillRect(1200, 300, 500, 500, QColor(30, 30, 30));
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::red, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (int i = 0; i < 20; ++i)
            painter.drawLine(250 + i * 40, 200, 300 + i * 35, 700);
        painter.setFont(QFont("Liberation Sans", 28));
        painter.setPen(Qt::blue);
        painter.drawText(260, 400, "Quarterly results, annotated");
        return image;
    }();
    return picture;
}

QTemporaryDir& Folder() {
    static QTemporaryDir folder;
    return folder;
}

void BM_QImageSavePng(benchmark::State& state) {
    const QString path = Folder().path() + "/baseline.png";
    for (auto _ : state)
        benchmark::DoNotOptimize(Screenshot().save(path, "PNG"));
}

void BM_SaveScreenshot(benchmark::State& state, const char* mime, const char* extension) {
    const QString path = Folder().path() + "/shot." + extension;
    QString error;
    for (auto _ : state)
        if (!CImageEncoders::Save(Screenshot(), path, mime, &error))
            state.SkipWithError(error.toStdString().c_str());
}

BENCHMARK(BM_QImageSavePng)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveScreenshot, png, "image/png", "png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveScreenshot, bmp, "image/bmp", "bmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveScreenshot, jpeg, "image/jpeg", "jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveScreenshot, gif, "image/gif", "gif")->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
