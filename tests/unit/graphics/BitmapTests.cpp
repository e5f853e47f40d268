// Surfaces as the rest of the program gets them: premultiplied, transparent, turned and cut out.
#include "CBitmap.h"
#include "GraphicsTypes.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QImage NumberedPicture(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(10 * x, 10 * y, 200, 255));
    }
    return image;
}

} // namespace

TEST(Bitmap, CreateBitmapIsPremultipliedAndTransparent) {
    const QImage image = CBitmap::CreateBitmap(7, 5);
    ASSERT_EQ(image.size(), QSize(7, 5));
    EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(image.pixel(x, y), 0u) << x << "," << y;
    }
}

TEST(Bitmap, ALargeBitmapIsTransparentDrawableAndCopiedApart) {
    // Surfaces and pages: large enough to be taken from the system in huge pages.
    QImage image = CBitmap::CreateBitmap(1281, 801);
    ASSERT_EQ(image.size(), QSize(1281, 801));
    EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(image.bytesPerLine(), 1281 * 4);
    const QImage before = image; // shares the pixels until one of them is written
    for (const QPoint p : {QPoint(0, 0), QPoint(640, 400), QPoint(1280, 800)})
        EXPECT_EQ(image.pixel(p), 0u) << p.x() << "," << p.y();
    image.fill(qRgba(0, 0, 255, 255));
    image.setPixel(1280, 800, qRgba(255, 0, 0, 255));
    EXPECT_EQ(image.pixel(640, 400), qRgba(0, 0, 255, 255));
    EXPECT_EQ(image.pixel(1280, 800), qRgba(255, 0, 0, 255));
    EXPECT_EQ(before.pixel(1280, 800), 0u) << "the copy taken before is its own";
    image.setDevicePixelRatio(2.0);
    const QImage copy = CBitmap::CopyBitmap(image);
    image = QImage(); // the pixels go back to the system; the copy keeps its own
    ASSERT_EQ(copy.size(), QSize(1281, 801));
    EXPECT_EQ(copy.devicePixelRatio(), 2.0);
    EXPECT_EQ(copy.pixel(640, 400), qRgba(0, 0, 255, 255));
    EXPECT_EQ(copy.pixel(1280, 800), qRgba(255, 0, 0, 255));
}

TEST(Bitmap, CreateBitmapOfNoSizeIsNull) {
    EXPECT_TRUE(CBitmap::CreateBitmap(0, 5).isNull());
    EXPECT_TRUE(CBitmap::CreateBitmap(5, -1).isNull());
}

TEST(Bitmap, Rotate90TurnsClockwise) {
    const QImage source = NumberedPicture(4, 3);
    const QImage turned = CBitmap::Rotate90(source);
    ASSERT_EQ(turned.size(), QSize(3, 4));
    EXPECT_EQ(turned.format(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(turned.pixel(2 - y, x), source.pixel(x, y)) << x << "," << y;
    }
}

TEST(Bitmap, CloneRectCopiesThatPartAndLeavesOutsideTransparent) {
    const QImage source = NumberedPicture(6, 6);
    const QImage part = CBitmap::CloneRect(source, QRect(4, 3, 3, 2));
    ASSERT_EQ(part.size(), QSize(3, 2));
    EXPECT_EQ(part.pixel(0, 0), source.pixel(4, 3));
    EXPECT_EQ(part.pixel(1, 1), source.pixel(5, 4));
    EXPECT_EQ(qAlpha(part.pixel(2, 0)), 0); // column 6 lies outside the source
}

TEST(Bitmap, LoadsPicturesAsPremultipliedAndRefusesOtherData) {
    QImage translucent(2, 1, QImage::Format_ARGB32);
    translucent.setPixel(0, 0, qRgba(255, 0, 0, 128));
    translucent.setPixel(1, 0, qRgba(0, 0, 255, 255));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(translucent.save(&buffer, "PNG"));

    const QImage fromData = CBitmap::LoadBitmapFromData(png);
    ASSERT_FALSE(fromData.isNull());
    EXPECT_EQ(fromData.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(ArgbFromPixel(fromData.pixel(0, 0)), 0x80FF0000u);

    QTemporaryDir dir;
    const QString path = dir.filePath("picture.png");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(png);
    file.close();
    const QImage fromFile = CBitmap::LoadBitmapFromFile(path);
    ASSERT_FALSE(fromFile.isNull());
    EXPECT_EQ(fromFile.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(ArgbFromPixel(fromFile.pixel(1, 0)), 0xFF0000FFu);

    EXPECT_TRUE(CBitmap::LoadBitmapFromData("not a picture").isNull());
    EXPECT_TRUE(CBitmap::LoadBitmapFromFile(dir.filePath("missing.png")).isNull());
}

TEST(Bitmap, FlattenOnBlackComposesTranslucentPixels) {
    QImage image = CBitmap::CreateBitmap(2, 1);
    image.setPixelColor(0, 0, QColor(255, 255, 255, 128));
    const QImage flat = CBitmap::FlattenOnBlack(image);
    EXPECT_EQ(flat.format(), QImage::Format_RGB32);
    EXPECT_EQ(flat.pixel(0, 0), qRgb(128, 128, 128));
    EXPECT_EQ(flat.pixel(1, 0), qRgb(0, 0, 0));
}
