// Saving pictures by MIME type and reading them back as another program would.
#include "CBitmap.h"
#include "CGraphics.h"
#include "CImageEncoders.h"
#include "PixelAssertions.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr ARGB kWhite = 0xFFFFFFFFu;
constexpr ARGB kRedInk = 0xFFFF0000u;
constexpr ARGB kBlueInk = 0xFF0000FFu;

struct SFormatCase {
    const char* mimeType;
    const char* readerFormat;     // what QImageReader recognises in the file
    int tolerance;                // per channel, for the lossy format
    ARGB translucentWhiteReadsAs; // 50 % white: kept by PNG, laid over black by the others
};

void PrintTo(const SFormatCase& c, std::ostream* out) {
    *out << c.mimeType;
}

const SFormatCase kFormats[] = {
    {"image/bmp", "bmp", 0, 0xFF808080u},
    {"image/jpeg", "jpeg", 12, 0xFF808080u},
    {"image/gif", "gif", 0, 0xFF808080u},
    {"image/png", "png", 1, 0x80FFFFFFu},
};

// Blocks of flat colour large enough for JPEG to keep them, and one translucent block.
QImage BlockPicture() {
    QImage picture = CBitmap::CreateBitmap(64, 48);
    CGraphics graphics(&picture);
    graphics.Clear(kWhite);
    graphics.FillRectangle(CBrush::Solid(kRedInk), {0, 0, 32, 24});
    graphics.FillRectangle(CBrush::Solid(kBlueInk), {32, 0, 32, 24});
    graphics.SetCompositingMode(ECompositingMode::SourceCopy);
    graphics.FillRectangle(CBrush::Solid(0x80FFFFFFu), {0, 24, 32, 24});
    return picture;
}

QImage ReadBack(const QString& path, QByteArray* format) {
    QImageReader reader(path);
    *format = reader.format();
    return reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

class EncodersByType : public ::testing::TestWithParam<SFormatCase> {
protected:
    QTemporaryDir m_dir;
};

TEST_P(EncodersByType, AreListedAndFoundByMime) {
    const QString mime = QString::fromLatin1(GetParam().mimeType);
    const std::optional<CImageEncoderInfo> info = CImageEncoders::FindByMime(mime.toUpper());
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->mimeType, mime);
    EXPECT_TRUE(info->filenameExtension.startsWith("*.")) << info->filenameExtension.toStdString();
    EXPECT_FALSE(info->formatDescription.isEmpty());
}

TEST_P(EncodersByType, SaveWritesAFileOfThatTypeWithTheColours) {
    const QString path = m_dir.filePath("picture");
    QString error = QStringLiteral("stale");
    ASSERT_TRUE(CImageEncoders::Save(BlockPicture(), path, QString::fromLatin1(GetParam().mimeType),
                                     &error));
    EXPECT_TRUE(error.isEmpty());

    QByteArray format;
    const QImage read = ReadBack(path, &format);
    EXPECT_EQ(format, QByteArray(GetParam().readerFormat));
    ASSERT_EQ(read.size(), QSize(64, 48));
    const int tolerance = GetParam().tolerance;
    EXPECT_TRUE(ArgbNear(ArgbAt(read, 12, 10), kRedInk, tolerance));
    EXPECT_TRUE(ArgbNear(ArgbAt(read, 48, 10), kBlueInk, tolerance));
    EXPECT_TRUE(ArgbNear(ArgbAt(read, 48, 36), kWhite, tolerance));
    EXPECT_TRUE(ArgbNear(ArgbAt(read, 12, 36), GetParam().translucentWhiteReadsAs, tolerance + 1));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"picture"})
        << "nothing else may be left beside the file";
}

TEST_P(EncodersByType, SaveBelowARegularFileFailsWithAReasonAndLeavesNoFile) {
    const QString plain = m_dir.filePath("plain");
    QFile file(plain);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString path = plain + "/picture";
    QString error;
    EXPECT_FALSE(CImageEncoders::Save(BlockPicture(), path,
                                      QString::fromLatin1(GetParam().mimeType), &error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_TRUE(error.contains("Not a directory")) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"plain"});
}

TEST_P(EncodersByType, ANullPictureIsRefusedAndAnOlderFileKept) {
    const QString path = m_dir.filePath("picture");
    QFile older(path);
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("older");
    older.close();
    QString error;
    EXPECT_FALSE(
        CImageEncoders::Save(QImage(), path, QString::fromLatin1(GetParam().mimeType), &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(older.open(QIODevice::ReadOnly));
    EXPECT_EQ(older.readAll(), QByteArray("older"));
}

INSTANTIATE_TEST_SUITE_P(Types, EncodersByType, ::testing::ValuesIn(kFormats));

TEST(Encoders, JpegIsWrittenWithTheEncodersDefaults) {
    // The same picture through Qt's JPEG writer with nothing set must give the same bytes.
    QImage picture = CBitmap::CreateBitmap(160, 120);
    {
        CGraphics graphics(&picture);
        graphics.Clear(kWhite);
        graphics.SetSmoothingMode(ESmoothingMode::AntiAlias);
        for (int i = 0; i < 12; ++i)
            graphics.DrawLines(CPen(i % 2 ? kRedInk : kBlueInk, 3.0f),
                               {QPoint(i * 13, 0), QPoint(160 - i * 7, 120)});
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("shot.jpg");
    QString error;
    ASSERT_TRUE(CImageEncoders::Save(picture, path, "image/jpeg", &error)) << error.toStdString();
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));

    QBuffer expected;
    expected.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&expected, "jpeg").write(CBitmap::FlattenOnBlack(picture)));
    EXPECT_EQ(written.readAll(), expected.data());
}

TEST(Encoders, EnumerateListsTheFourTypes) {
    QStringList mimeTypes;
    for (const CImageEncoderInfo& info : CImageEncoders::Enumerate())
        mimeTypes << info.mimeType;
    EXPECT_EQ(mimeTypes, (QStringList{"image/bmp", "image/jpeg", "image/gif", "image/png"}));
}

class UnknownTypes : public ::testing::TestWithParam<const char*> {};

TEST_P(UnknownTypes, AreRefusedWithAReason) {
    QTemporaryDir dir;
    const QString path = dir.filePath("picture");
    const QString mime = QString::fromLatin1(GetParam());
    EXPECT_FALSE(CImageEncoders::FindByMime(mime).has_value());
    QString error;
    EXPECT_FALSE(CImageEncoders::Save(BlockPicture(), path, mime, &error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    if (!mime.isEmpty()) {
        EXPECT_TRUE(error.contains(mime)) << error.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(path));
}

INSTANTIATE_TEST_SUITE_P(Types, UnknownTypes,
                         ::testing::Values("image/tiff", "text/plain", "", "image/png2"));

// GIF keeps 256 colours at most. These pictures check the palette and the dithering keep what
// a screenshot needs.

QImage InkOnWhite(bool withColourfulBand) {
    QImage picture = CBitmap::CreateBitmap(240, 120);
    CGraphics graphics(&picture);
    graphics.Clear(kWhite);
    if (withColourfulBand) {
        // Far more than 256 colours, so the palette has to be chosen.
        for (int y = 80; y < 120; ++y) {
            for (int x = 0; x < 240; ++x)
                picture.setPixel(x, y, qRgb(x, (y - 80) * 6, (x * 3 + y) % 256));
        }
    }
    graphics.SetSmoothingMode(ESmoothingMode::AntiAlias);
    graphics.DrawCardinalSpline(CPen(kRedInk, 4), {{10, 20}, {60, 60}, {110, 15}, {230, 30}});
    graphics.DrawLines(CPen(kBlueInk, 3), {{10, 50}, {120, 70}, {230, 45}});
    return picture;
}

class GifInk : public ::testing::TestWithParam<bool> {};

TEST_P(GifInk, StaysRedAndBlue) {
    const QImage picture = InkOnWhite(GetParam());
    QTemporaryDir dir;
    const QString path = dir.filePath("ink.gif");
    QString error;
    ASSERT_TRUE(CImageEncoders::Save(picture, path, "image/gif", &error)) << error.toStdString();
    QByteArray format;
    const QImage read = ReadBack(path, &format);
    ASSERT_EQ(read.size(), picture.size());

    int inkPixels = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const ARGB original = ArgbAt(picture, x, y);
            if (original != kRedInk && original != kBlueInk)
                continue;
            ++inkPixels;
            const QColor color = QColor::fromRgba(ArgbAt(read, x, y));
            const int ink = original == kRedInk ? color.red() : color.blue();
            const int others = original == kRedInk ? std::max(color.green(), color.blue())
                                                   : std::max(color.red(), color.green());
            ASSERT_GE(ink, 200) << x << "," << y;
            ASSERT_LE(others, 60) << x << "," << y;
        }
    }
    EXPECT_GT(inkPixels, 300);
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, GifInk, ::testing::Values(false, true));

TEST(Gif, AGradientComesOutIn256ColoursCloseToTheOriginal) {
    QImage picture = CBitmap::CreateBitmap(256, 256);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x)
            picture.setPixel(x, y, qRgb(x, y, 255 - (x + y) / 2));
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("gradient.gif");
    QString error;
    ASSERT_TRUE(CImageEncoders::Save(picture, path, "image/gif", &error)) << error.toStdString();
    QByteArray format;
    const QImage read = ReadBack(path, &format);
    ASSERT_EQ(read.size(), picture.size());

    QSet<QRgb> colors;
    double error8x8 = 0; // dithering trades exact pixels for right averages over small areas
    for (int by = 0; by < 256; by += 8) {
        for (int bx = 0; bx < 256; bx += 8) {
            int sum[2][3] = {};
            for (int y = by; y < by + 8; ++y) {
                for (int x = bx; x < bx + 8; ++x) {
                    colors.insert(read.pixel(x, y));
                    const QRgb a = picture.pixel(x, y);
                    const QRgb b = read.pixel(x, y);
                    sum[0][0] += qRed(a), sum[0][1] += qGreen(a), sum[0][2] += qBlue(a);
                    sum[1][0] += qRed(b), sum[1][1] += qGreen(b), sum[1][2] += qBlue(b);
                }
            }
            for (int c = 0; c < 3; ++c)
                error8x8 = std::max(error8x8, std::abs(sum[0][c] - sum[1][c]) / 64.0);
        }
    }
    EXPECT_LE(colors.size(), 256);
    EXPECT_GT(colors.size(), 128) << "the palette should use what it has";
    EXPECT_LE(error8x8, 6.0);
}

TEST(Gif, UpTo256ColoursComeOutExactly) {
    QImage picture = CBitmap::CreateBitmap(32, 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int i = (y * 32 + x) % 256;
            picture.setPixel(x, y, qRgb(i, 255 - i, (i * 37) % 256));
        }
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("exact.gif");
    QString error;
    ASSERT_TRUE(CImageEncoders::Save(picture, path, "image/gif", &error)) << error.toStdString();
    QByteArray format;
    const QImage read = ReadBack(path, &format);
    ASSERT_EQ(read.size(), picture.size());
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(ArgbAt(read, x, y), ArgbAt(picture, x, y)) << x << "," << y;
    }
}

TEST(Gif, TooWideForTheFormatFailsAndKeepsTheOlderFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("wide.gif");
    QFile older(path);
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("older");
    older.close();
    QString error;
    EXPECT_FALSE(CImageEncoders::Save(CBitmap::CreateBitmap(70000, 1), path, "image/gif", &error));
    EXPECT_TRUE(error.startsWith("Cannot write " + path + ": ")) << error.toStdString();
    ASSERT_TRUE(older.open(QIODevice::ReadOnly));
    EXPECT_EQ(older.readAll(), QByteArray("older"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"wide.gif"});
}

} // namespace
