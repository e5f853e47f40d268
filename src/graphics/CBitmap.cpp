#include "CBitmap.h"

#include <QTransform>

namespace {

QImage ToSurfaceFormat(const QImage& image) {
    if (image.isNull() || image.format() == CBitmap::kFormat)
        return image;
    return image.convertToFormat(CBitmap::kFormat);
}

} // namespace

QImage CBitmap::CreateBitmap(int width, int height) {
    if (width <= 0 || height <= 0)
        return QImage();
    QImage image(width, height, kFormat);
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);
    return image;
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
