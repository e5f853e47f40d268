// Saving pictures by MIME type: BMP, JPEG and PNG through Qt, GIF through giflib.
#pragma once

#include "CImageEncoderInfo.h"

#include <QImage>
#include <QString>
#include <optional>
#include <vector>

class CImageEncoders {
public:
    CImageEncoders() = delete;

    // BMP, JPEG, GIF, PNG, in that order.
    static std::vector<CImageEncoderInfo> Enumerate();

    // Case-insensitive; nothing for a type no encoder writes.
    static std::optional<CImageEncoderInfo> FindByMime(const QString& mimeType);

    // Writes the whole file or nothing: the picture goes to a temporary file beside path that
    // replaces path only once complete, so a failed save never leaves a damaged file (nor
    // destroys an older file of the same name). On failure returns false with a reason a user
    // can read in errorText ("Cannot write /x/y.png: Not a directory"). BMP, JPEG and GIF have
    // no transparency: translucent pixels are laid over black, as on an empty screen.
    static bool Save(const QImage& image, const QString& path, const QString& mimeType,
                     QString* errorText);
};
