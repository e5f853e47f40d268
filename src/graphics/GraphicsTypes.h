// Small value types shared by the drawing layer: colours as 32-bit ARGB words (alpha in the top
// byte, as the stroke and settings code store them) and the modes of the drawing calls.
#pragma once

#include <QColor>
#include <QRgb>
#include <QtGlobal>

using ARGB = quint32;

enum class ECompositingMode { SourceOver, SourceCopy };
enum class ESmoothingMode { None, AntiAlias };
enum class EDashStyle { Solid, Dot, DashDotDot };
enum class EStringAlignment { Near, Center };

// Keeps a string on one line however narrow its layout rectangle is.
constexpr int kStringFormatNoWrap = 0x1000;

// Goes through the channels rather than QImage::fill(uint): a raw word written into a
// premultiplied surface would store colour above alpha (0x01FFFFFF is not a valid premultiplied
// pixel), while a QColor is premultiplied on the way in.
inline QColor ColorFromArgb(ARGB argb) {
    return QColor(int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF),
                  int(argb >> 24));
}

// A surface pixel back as the colour that was painted. Fully transparent pixels come back as 0:
// a premultiplied surface cannot keep their colour, so nothing may depend on it.
inline ARGB ArgbFromPixel(QRgb premultipliedPixel) {
    if (qAlpha(premultipliedPixel) == 0)
        return 0;
    return qUnpremultiply(premultipliedPixel);
}
