// Writes a picture as a one-frame GIF through giflib (Qt 6.4 reads GIF but cannot write it).
#pragma once

#include <QIODevice>
#include <QImage>
#include <QString>

class CGifEncoder {
public:
    CGifEncoder() = delete;

    // Translucent pixels are laid over black first. On failure returns false with the reason in
    // errorText; what was already written to device is then unusable.
    static bool Write(const QImage& image, QIODevice* device, QString* errorText);
};
