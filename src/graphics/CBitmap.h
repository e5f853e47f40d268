// Creating, loading and reshaping the premultiplied surfaces the drawing layer works on.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

class CBitmap {
public:
    CBitmap() = delete;

    static constexpr QImage::Format kFormat = QImage::Format_ARGB32_Premultiplied;

    // Every pixel transparent (0). Null when the size is empty or the memory is not there.
    static QImage CreateBitmap(int width, int height);

    // A copy of a surface-format picture with its device pixel ratio, made the way CreateBitmap
    // makes large bitmaps (QImage::copy for other formats).
    static QImage CopyBitmap(const QImage& image);

    // Null when the file or data is not a picture Qt can read.
    static QImage LoadBitmapFromFile(const QString& path);
    static QImage LoadBitmapFromData(const QByteArray& data);

    // The part of the picture inside rect; what lies outside the picture comes out transparent.
    static QImage CloneRect(const QImage& image, const QRect& rect);

    // Turned a quarter clockwise: pixel (x, y) lands on (height - 1 - y, x).
    static QImage Rotate90(const QImage& image);

    // An opaque Format_RGB32 copy with translucent pixels laid over black, for file types
    // without transparency.
    static QImage FlattenOnBlack(const QImage& image);
};
