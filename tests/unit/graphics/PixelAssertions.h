// Reading surfaces back in tests: colours as painted (unpremultiplied), compared with the
// rounding that antialiasing and premultiplication allow.
#pragma once

#include "GraphicsTypes.h"

#include <QImage>
#include <QString>
#include <cctype>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

inline ARGB ArgbAt(const QImage& image, int x, int y) {
    return ArgbFromPixel(image.pixel(x, y));
}

inline int AlphaAt(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y));
}

// Equal within tolerance on every channel; fully transparent colours are equal whatever their
// colour channels say.
inline ::testing::AssertionResult ArgbNear(ARGB actual, ARGB expected, int tolerance = 1) {
    const auto describe = [](ARGB value) { return QString::number(value, 16).toStdString(); };
    if ((actual >> 24) == 0 && (expected >> 24) == 0)
        return ::testing::AssertionSuccess();
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = int((actual >> shift) & 0xFF);
        const int e = int((expected >> shift) & 0xFF);
        if (std::abs(a - e) > tolerance)
            return ::testing::AssertionFailure() << "0x" << describe(actual) << " is not 0x"
                                                 << describe(expected) << " (±" << tolerance << ")";
    }
    return ::testing::AssertionSuccess();
}

// The box of the pixels that are not fully transparent; empty when there are none.
inline QRect PaintedBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

// A readable case name turned into one GoogleTest accepts for a parameterised case.
inline std::string TestCaseName(const char* name) {
    std::string result = name;
    for (char& ch : result) {
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    }
    return result;
}
