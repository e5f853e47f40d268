#include "CGifEncoder.h"

#include "CBitmap.h"
#include "CColorQuantizer.h"

#include <gif_lib.h>
#include <memory>
#include <vector>

namespace {

struct SGifFileCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};
using GifFilePtr = std::unique_ptr<GifFileType, SGifFileCloser>;

struct SColorMapFreer {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColorMapPtr = std::unique_ptr<ColorMapObject, SColorMapFreer>;

constexpr int kMaxGifSide = 65535;

int WriteToDevice(GifFileType* gif, const GifByteType* data, int length) {
    auto* device = static_cast<QIODevice*>(gif->UserData);
    const qint64 written = device->write(reinterpret_cast<const char*>(data), length);
    return written < 0 ? 0 : int(written);
}

QString GifError(int error) {
    const char* text = GifErrorString(error);
    return text != nullptr ? QString::fromUtf8(text) : QStringLiteral("GIF error %1").arg(error);
}

bool Fail(QString* errorText, const QString& reason) {
    if (errorText != nullptr)
        *errorText = reason;
    return false;
}

} // namespace

bool CGifEncoder::Write(const QImage& image, QIODevice* device, QString* errorText) {
    if (image.isNull())
        return Fail(errorText, QStringLiteral("there is no picture"));
    if (image.width() > kMaxGifSide || image.height() > kMaxGifSide)
        return Fail(
            errorText,
            QStringLiteral("a GIF picture can be at most %1 pixels on a side").arg(kMaxGifSide));
    QImage indexed = CColorQuantizer::ToIndexed8(CBitmap::FlattenOnBlack(image));
    if (indexed.isNull())
        return Fail(errorText, QStringLiteral("not enough memory for the picture"));

    // giflib wants a colour table of a power of two entries; the unused ones stay black.
    const QList<QRgb> table = indexed.colorTable();
    const int tableSize = 1 << GifBitSize(qMax(2, int(table.size())));
    std::vector<GifColorType> colors(size_t(tableSize), GifColorType{0, 0, 0});
    for (int i = 0; i < table.size(); ++i) {
        colors[size_t(i)] = GifColorType{GifByteType(qRed(table[i])), GifByteType(qGreen(table[i])),
                                         GifByteType(qBlue(table[i]))};
    }
    const ColorMapPtr colorMap(GifMakeMapObject(tableSize, colors.data()));
    if (!colorMap)
        return Fail(errorText, QStringLiteral("not enough memory for the colour table"));

    int error = 0;
    GifFilePtr gif(EGifOpen(device, WriteToDevice, &error));
    if (!gif)
        return Fail(errorText, GifError(error));
    if (EGifPutScreenDesc(gif.get(), indexed.width(), indexed.height(), 8, 0, colorMap.get()) ==
            GIF_ERROR ||
        EGifPutImageDesc(gif.get(), 0, 0, indexed.width(), indexed.height(), false, nullptr) ==
            GIF_ERROR)
        return Fail(errorText, GifError(gif->Error));
    for (int y = 0; y < indexed.height(); ++y) {
        if (EGifPutLine(gif.get(), indexed.scanLine(y), indexed.width()) == GIF_ERROR)
            return Fail(errorText, GifError(gif->Error));
    }
    // Closing writes the trailer, so its result decides whether the file is complete.
    if (EGifCloseFile(gif.release(), &error) == GIF_ERROR)
        return Fail(errorText, GifError(error));
    return true;
}
