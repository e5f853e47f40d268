#include "RunAutostartOption.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const char kEntryName[] = "ravlin.desktop";

// The executable as one argument of an Exec line: quoted when it holds a character the Exec
// rules reserve, with '"', '`', '$' and '\' escaped inside the quotes; then every '\' doubled
// once more, because the whole value is a string of the desktop file.
QString ExecArgument(const QString& path) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = false;
    for (QChar c : path)
        quote = quote || reserved.contains(c);
    QString argument;
    if (quote) {
        argument = QStringLiteral("\"");
        for (QChar c : path) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                argument += '\\';
            argument += c;
        }
        argument += '"';
    } else {
        argument = path;
    }
    argument.replace('\\', QStringLiteral("\\\\"));
    // A '%' would start a field code.
    argument.replace('%', QStringLiteral("%%"));
    return argument;
}

} // namespace

int RunAutostartOption(const QString& value, const QString& executablePath, QTextStream& out,
                       QTextStream& err) {
    if (value != QLatin1String("on") && value != QLatin1String("off")) {
        err << "ravlin: --autostart takes \"on\" or \"off\", not \"" << value << "\"\n";
        return 2;
    }
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/autostart";
    const QString path = folder + '/' + kEntryName;
    if (value == QLatin1String("off")) {
        if (QFileInfo::exists(path) && !QFile::remove(path)) {
            err << "ravlin: could not remove " << path << '\n';
            return 1;
        }
        out << "Ravlin will no longer start at login (" << path << " removed).\n";
        return 0;
    }
    // A desktop file holds one entry per line: a line break in the path cannot be written.
    if (executablePath.contains('\n') || executablePath.contains('\r')) {
        err << "ravlin: the executable's path holds a line break; no autostart entry written\n";
        return 1;
    }
    if (!QDir().mkpath(folder)) {
        err << "ravlin: could not create the folder " << folder << '\n';
        return 1;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        err << "ravlin: could not write " << path << ": " << file.errorString() << '\n';
        return 1;
    }
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Ravlin\n"
                                         "Comment=Draw on the screen while you present\n"
                                         "Exec=%1\n"
                                         "Icon=ravlin\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(ExecArgument(executablePath));
    file.write(entry.toUtf8());
    if (!file.commit()) {
        err << "ravlin: could not write " << path << ": " << file.errorString() << '\n';
        return 1;
    }
    out << "Ravlin will start at login (" << path << ").\n";
    return 0;
}
