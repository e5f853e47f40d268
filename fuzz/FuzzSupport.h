#pragma once
// What the fuzz targets share: a Qt application for the whole run and a file that holds the
// input, for the readers that read files.
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

// Writes the input to `name` in a folder of the run; empty when it could not be written.
inline QString WriteFuzzInput(const uint8_t* data, size_t size, const QString& name) {
    static int argc = 1;
    static char program[] = "fuzz";
    static char* argv[] = {program, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    const QString path = dir.path() + "/" + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    return path;
}
