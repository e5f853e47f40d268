// One picture file type the program can save, as the Save As dialog lists it.
#pragma once

#include <QString>

struct CImageEncoderInfo {
    QString mimeType;          // "image/png"
    QString formatDescription; // "PNG"
    QString filenameExtension; // "*.png", several separated by ';', the usual one first
};
