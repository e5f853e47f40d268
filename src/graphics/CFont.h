// A font by family name, size in points and weight, sized like text on a 96-DPI screen.
#pragma once

#include <QFont>
#include <QString>

class CFont {
public:
    // A family that is neither installed nor stood in for by a compatible face (fontconfig maps
    // "Arial" to Liberation Sans, for instance) falls back to the generic sans-serif face.
    CFont(const QString& family, float sizePoints, bool bold);

    bool IsFallback() const { return m_isFallback; }
    const QString& Family() const { return m_family; }
    float SizePoints() const { return m_sizePoints; }
    bool IsBold() const { return m_bold; }

    // points * 96 / 72, whole pixels: text keeps its size whatever resolution a picture claims.
    int PixelSize() const;

    QFont ToQFont() const;

    // Whether the family can be drawn as itself or as a metric-compatible stand-in.
    static bool IsFamilyAvailable(const QString& family);

private:
    QString m_family;
    float m_sizePoints;
    bool m_bold;
    bool m_isFallback;
};
