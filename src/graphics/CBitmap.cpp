#include "CBitmap.h"

#include <QTransform>

#include <cstring>

#include <sys/mman.h>

namespace {

// Pages and surfaces are megabytes each (33 MB at 3840 x 2160). Taken from the system in
// 2-MB pages, a first write costs one fault per 2 MB instead of one per 4 KB: measured here,
// clearing a 1280 x 800 page took 10 ms in 4-KB faults. And memory fresh from the system is
// already zero, so a new bitmap needs no clearing at all: its pages are only taken when drawn.
constexpr size_t kHugePage = 2u << 20;

struct CMappedPixels {
    void* mapping;
    size_t length;
};

void UnmapPixels(void* info) {
    auto* pixels = static_cast<CMappedPixels*>(info);
    munmap(pixels->mapping, pixels->length);
    delete pixels;
}

// Null when the mapping is refused; the caller then takes the ordinary way.
QImage CreateMappedBitmap(int width, int height) {
    const qsizetype bytesPerLine = qsizetype(width) * 4;
    const size_t bytes = size_t(bytesPerLine) * size_t(height);
    // Whole huge pages (a bitmap's last one would otherwise be made of small ones), and one
    // more, so that the pixels can start on a huge-page boundary.
    const size_t whole = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    const size_t length = whole + kHugePage;
    void* mapping =
        mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return QImage();
    const uintptr_t start =
        (reinterpret_cast<uintptr_t>(mapping) + kHugePage - 1) & ~uintptr_t(kHugePage - 1);
    // Advice only: a kernel without transparent huge pages keeps the 4-KB ones.
    madvise(reinterpret_cast<void*>(start), whole, MADV_HUGEPAGE);
    auto* pixels = new CMappedPixels{mapping, length};
    QImage image(reinterpret_cast<uchar*>(start), width, height, bytesPerLine, CBitmap::kFormat,
                 &UnmapPixels, pixels);
    if (image.isNull())
        UnmapPixels(pixels);
    return image;
}

QImage ToSurfaceFormat(const QImage& image) {
    if (image.isNull() || image.format() == CBitmap::kFormat)
        return image;
    return image.convertToFormat(CBitmap::kFormat);
}

} // namespace

QImage CBitmap::CreateBitmap(int width, int height) {
    if (width <= 0 || height <= 0)
        return QImage();
    if (qint64(width) * height * 4 >= qint64(kHugePage)) {
        QImage mapped = CreateMappedBitmap(width, height);
        if (!mapped.isNull())
            return mapped; // zero: transparent already
    }
    QImage image(width, height, kFormat);
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);
    return image;
}

QImage CBitmap::CopyBitmap(const QImage& image) {
    if (image.isNull() || image.format() != kFormat)
        return image.copy();
    QImage copy = CreateBitmap(image.width(), image.height());
    if (copy.isNull())
        return copy;
    const size_t rowBytes = size_t(image.width()) * 4;
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(copy.scanLine(y), image.constScanLine(y), rowBytes);
    copy.setDevicePixelRatio(image.devicePixelRatio());
    return copy;
}

QImage CBitmap::LoadBitmapFromFile(const QString& path) {
    return ToSurfaceFormat(QImage(path));
}

QImage CBitmap::LoadBitmapFromData(const QByteArray& data) {
    return ToSurfaceFormat(QImage::fromData(data));
}

QImage CBitmap::CloneRect(const QImage& image, const QRect& rect) {
    return ToSurfaceFormat(image).copy(rect);
}

QImage CBitmap::Rotate90(const QImage& image) {
    // Qt turns exact quarter turns by moving pixels, without resampling.
    return ToSurfaceFormat(image).transformed(QTransform().rotate(90));
}

QImage CBitmap::FlattenOnBlack(const QImage& image) {
    // A premultiplied pixel's colour channels already are the colour over black.
    QImage flat = ToSurfaceFormat(image);
    if (flat.isNull())
        return flat;
    flat.detach();
    for (int y = 0; y < flat.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(flat.scanLine(y));
        for (int x = 0; x < flat.width(); ++x)
            line[x] |= 0xFF000000u;
    }
    return flat.reinterpretAsFormat(QImage::Format_RGB32) ? flat : QImage();
}
