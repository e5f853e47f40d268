#include "CFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <cmath>

namespace {

constexpr double kScreenDpi = 96.0;
constexpr double kPointsPerInch = 72.0;

QFont GenericSansSerif() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace

CFont::CFont(const QString& family, float sizePoints, bool bold)
    : m_family(family), m_sizePoints(sizePoints), m_bold(bold),
      m_isFallback(!IsFamilyAvailable(family)) {}

bool CFont::IsFamilyAvailable(const QString& family) {
    if (family.isEmpty())
        return false;
    if (QFontDatabase::hasFamily(family))
        return true;
    // Qt does not list fontconfig's aliases, but it resolves a family through them. A name
    // fontconfig knows nothing of resolves to the same face as the generic sans-serif family;
    // an alias such as "Arial" or "Courier New" resolves to its own compatible face.
    const QString resolved = QFontInfo(QFont(family)).family();
    const QString generic = QFontInfo(GenericSansSerif()).family();
    return resolved.compare(generic, Qt::CaseInsensitive) != 0;
}

int CFont::PixelSize() const {
    return qMax(1, int(std::lround(double(m_sizePoints) * kScreenDpi / kPointsPerInch)));
}

QFont CFont::ToQFont() const {
    QFont font = m_isFallback ? GenericSansSerif() : QFont(m_family);
    font.setPixelSize(PixelSize());
    font.setBold(m_bold);
    return font;
}
