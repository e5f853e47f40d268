#include "LoadSharpPicture.h"

#include "CBitmap.h"

QString SharpPicturePath(const QString& path) {
    static const QLatin1String kPng(".png");
    if (path.endsWith(kPng, Qt::CaseInsensitive))
        return path.left(path.size() - kPng.size()) + "@2x" + path.right(kPng.size());
    return path + "@2x";
}

QImage LoadSharpPicture(const QString& path, qreal devicePixelRatio) {
    if (devicePixelRatio >= 2.0) {
        QImage sharp = CBitmap::LoadBitmapFromFile(SharpPicturePath(path));
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2.0);
            return sharp;
        }
    }
    return CBitmap::LoadBitmapFromFile(path);
}
