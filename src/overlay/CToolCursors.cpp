#include "CToolCursors.h"

#include "CBitmap.h"

#include <QPixmap>

QImage CToolCursors::Picture(int tool, ARGB colour) {
    static constexpr int kResources[] = {129, 130, 131};
    if (tool < 0 || tool > 2)
        return {};
    QImage picture =
        CBitmap::LoadBitmapFromFile(QStringLiteral(":/png/%1.png").arg(kResources[tool]));
    if (picture.isNull() || tool == 2)
        return picture;
    // The marker's cursor shows its colour, not its translucency.
    const ARGB tint = tool == 1 ? (colour | 0xFF000000u) : colour;
    const QRgb tintPixel = qPremultiply(tint);
    for (int y = 0; y < picture.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if (line[x] == 0xFFFFFFFFu)
                line[x] = tintPixel;
    }
    return picture;
}

QCursor CToolCursors::Build(int tool, ARGB colour) {
    const QImage picture = Picture(tool, colour);
    if (picture.isNull())
        return QCursor(Qt::CrossCursor);
    return QCursor(QPixmap::fromImage(picture), kHotSpot.x(), kHotSpot.y());
}
