#pragma once
// Shared by the toolbar tests: a trace recorder, fixture files in a temporary folder, and
// pixel reading from a button's grab.
#include "IFXTraceListener.h"
#include "Trace.h"

#include <QCoreApplication>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

struct CTraceCapture : IFXTraceListener {
    CTraceCapture() { AddTraceListener(this); }
    ~CTraceCapture() override { RemoveTraceListener(this); }
    void Write(const QString& text) override { texts << text; }
    QStringList texts;
};

// A temporary folder standing in for the executable's folder.
class CAppFolder {
public:
    QString Path() const { return m_dir.path(); }
    QString FilePath(const QString& relative) const { return m_dir.filePath(relative); }

    QString Write(const QString& relative, const QByteArray& content) const {
        const QString path = FilePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        return path;
    }

    // A picture of one colour.
    QString WritePicture(const QString& relative, int width, int height, QRgb colour) const {
        const QString path = FilePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QImage image(width, height, QImage::Format_ARGB32);
        image.fill(QColor::fromRgba(colour));
        image.save(path, "PNG");
        return path;
    }

private:
    QTemporaryDir m_dir;
};

// The widget's own pixels, unpremultiplied. A grab paints a widget as a window, with the
// palette's background under it; in the toolbar the skin lies there instead, so leave it out.
inline QImage Grab(QWidget& widget) {
    widget.setAttribute(Qt::WA_NoSystemBackground);
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// The smallest rectangle holding every pixel of `colour` (exact), or an empty one.
inline QRect BoundsOf(const QImage& image, QRgb colour) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

inline void SendEnter(QWidget& widget, const QPoint& at = QPoint(5, 5)) {
    QEnterEvent enter(at, at, widget.mapToGlobal(at));
    QCoreApplication::sendEvent(&widget, &enter);
}

inline void SendLeave(QWidget& widget) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &leave);
}
