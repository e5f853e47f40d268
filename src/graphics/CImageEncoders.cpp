#include "CImageEncoders.h"

#include "CBitmap.h"
#include "CGifEncoder.h"

#include <QImageWriter>
#include <QSaveFile>

namespace {

const QString kBmp = QStringLiteral("image/bmp");
const QString kJpeg = QStringLiteral("image/jpeg");
const QString kGif = QStringLiteral("image/gif");
const QString kPng = QStringLiteral("image/png");

bool Fail(QString* errorText, const QString& reason) {
    if (errorText != nullptr)
        *errorText = reason;
    return false;
}

QString CannotWrite(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot write %1: %2").arg(path, reason);
}

bool WriteWithQt(const QImage& image, const QString& mimeType, QIODevice* device, QString* reason) {
    QByteArray format = "png";
    QImage picture = image;
    if (mimeType == kBmp || mimeType == kJpeg) {
        format = mimeType == kBmp ? "bmp" : "jpeg";
        picture = CBitmap::FlattenOnBlack(image);
    }
    // No encoder parameters: JPEG comes out at the encoder's own default quality.
    QImageWriter writer(device, format);
    if (writer.write(picture))
        return true;
    *reason = writer.errorString();
    return false;
}

} // namespace

std::vector<CImageEncoderInfo> CImageEncoders::Enumerate() {
    return {
        {kBmp, QStringLiteral("BMP"), QStringLiteral("*.bmp;*.dib")},
        {kJpeg, QStringLiteral("JPEG"), QStringLiteral("*.jpg;*.jpeg;*.jpe;*.jfif")},
        {kGif, QStringLiteral("GIF"), QStringLiteral("*.gif")},
        {kPng, QStringLiteral("PNG"), QStringLiteral("*.png")},
    };
}

std::optional<CImageEncoderInfo> CImageEncoders::FindByMime(const QString& mimeType) {
    for (const CImageEncoderInfo& info : Enumerate()) {
        if (info.mimeType.compare(mimeType, Qt::CaseInsensitive) == 0)
            return info;
    }
    return std::nullopt;
}

bool CImageEncoders::Save(const QImage& image, const QString& path, const QString& mimeType,
                          QString* errorText) {
    const std::optional<CImageEncoderInfo> encoder = FindByMime(mimeType);
    if (!encoder)
        return Fail(
            errorText,
            CannotWrite(path,
                        QStringLiteral("pictures of type \"%1\" cannot be saved").arg(mimeType)));
    if (image.isNull())
        return Fail(errorText, CannotWrite(path, QStringLiteral("there is no picture")));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(errorText, CannotWrite(path, file.errorString()));
    QString reason;
    const bool written = encoder->mimeType == kGif
                             ? CGifEncoder::Write(image, &file, &reason)
                             : WriteWithQt(image, encoder->mimeType, &file, &reason);
    if (!written) {
        // A write error of the file itself says more than the encoder's summary of it.
        if (file.error() != QFileDevice::NoError)
            reason = file.errorString();
        file.cancelWriting();
        return Fail(errorText, CannotWrite(path, reason));
    }
    if (!file.commit())
        return Fail(errorText, CannotWrite(path, file.errorString()));
    if (errorText != nullptr)
        errorText->clear();
    return true;
}
