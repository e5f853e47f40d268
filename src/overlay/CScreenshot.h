#pragma once
// Choosing how a screenshot is written: the file name the user gave, completed, and the
// encoder its extension selects.
#include <QRect>
#include <QString>
#include <QStringList>

class CScreenshot {
public:
    // The Save As dialog's file types; PNG is the one chosen at first.
    static QStringList Filters();
    static constexpr int kPngFilter = 2;
    // By the extension, compared in lower case: ".bmp", ".jpg" and ".jpeg" (a JPEG too — saving
    // it as PNG under that name would mislead every viewer), ".gif"; anything else is PNG.
    static QString MimeForFileName(const QString& path);
    // What is taken, in logical screen coordinates: the clip region when it has an area, else
    // the whole overlay.
    static QRect SourceRect(const QRect& clipRegion, const QRect& overlayRect);
};
