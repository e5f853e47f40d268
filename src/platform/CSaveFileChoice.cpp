#include "CSaveFileChoice.h"

#include <QFileInfo>
#include <QRegularExpression>

QString CSaveFileChoice::ExtensionOf(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral(R"(\(\*\.([^ ;)*]+)[^)]*\))"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString CSaveFileChoice::FinalPath(const QStringList& filters, const QStringList& alsoKnown) const {
    if (path.isEmpty())
        return {};
    const QString suffix = QFileInfo(path).suffix();
    if (!suffix.isEmpty()) {
        for (const QString& filter : filters)
            if (suffix.compare(ExtensionOf(filter), Qt::CaseInsensitive) == 0)
                return path;
        for (const QString& known : alsoKnown)
            if (suffix.compare(known, Qt::CaseInsensitive) == 0)
                return path;
    }
    if (filters.isEmpty())
        return path;
    const int chosen = filter >= 0 && filter < filters.size() ? filter : 0;
    const QString extension = ExtensionOf(filters[chosen]);
    if (extension.isEmpty())
        return path;
    // "talk." means no extension at all, not an empty one.
    return (path.endsWith('.') ? path : path + '.') + extension;
}
