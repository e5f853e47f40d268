#include "CScreenshot.h"

#include <QFileInfo>

QStringList CScreenshot::Filters() {
    return {"Bitmap(*.bmp)", "JPEG(*.jpg)", "PNG(*.png)", "GIF(*.gif)"};
}

QString CScreenshot::MimeForFileName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const int dot = name.lastIndexOf('.');
    const QString extension = dot < 0 ? QString() : name.mid(dot).toLower();
    if (extension == ".bmp")
        return "image/bmp";
    if (extension == ".jpg" || extension == ".jpeg")
        return "image/jpeg";
    if (extension == ".gif")
        return "image/gif";
    return "image/png";
}

QRect CScreenshot::SourceRect(const QRect& clipRegion, const QRect& overlayRect) {
    if (clipRegion.width() >= 1 && clipRegion.height() >= 1)
        return clipRegion.translated(overlayRect.topLeft());
    return overlayRect;
}
