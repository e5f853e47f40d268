// Pictures packed into tiles and runs come back byte for byte, and ink on a page costs little.
#include "CBitmap.h"
#include "CPackedImage.h"

#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {
QImage Blank(QSize size, QRgb value) {
    QImage image = CBitmap::CreateBitmap(size.width(), size.height());
    image.fill(value);
    return image;
}

// A few antialiased strokes and a translucent one, as a lightly used page holds.
void Scribble(QImage& image) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 0, 0), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath path(QPointF(20, 30));
    path.cubicTo(QPointF(image.width() * 0.3, 5), QPointF(image.width() * 0.6, image.height()),
                 QPointF(image.width() - 10, image.height() / 2.0));
    painter.drawPath(path);
    painter.setPen(QPen(QColor(255, 255, 0, 0x8F), 20));
    painter.drawLine(QPointF(10, image.height() - 20), QPointF(image.width() - 30, 40));
}

// Every pixel different from its neighbours: the worst case for runs.
QImage Noise(QSize size) {
    QImage image = CBitmap::CreateBitmap(size.width(), size.height());
    QRandomGenerator random(7);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const quint32 a = random.bounded(256u);
            line[x] = a << 24 | (random.bounded(a + 1)) << 16 | random.bounded(a + 1) << 8 |
                      random.bounded(a + 1);
        }
    }
    return image;
}

bool SameBytes(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.format() != b.format())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y),
                        static_cast<size_t>(a.width()) * 4) != 0)
            return false;
    return true;
}

TEST(PackedImage, ComesBackByteForByte) {
    QImage mixedEmpty = Blank(QSize(600, 300), 0x00000000);
    {
        // The three empty values of a page side by side, across tile edges.
        QPainter painter(&mixedEmpty);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(QRect(0, 0, 300, 300), QColor(255, 255, 255, 1));
        painter.fillRect(QRect(250, 100, 200, 100), QColor(255, 255, 255, 0));
    }
    QImage scribbled = Blank(QSize(1000, 700), 0x01010101);
    Scribble(scribbled);
    QImage hiDpi = Blank(QSize(513, 257), 0);
    Scribble(hiDpi);
    hiDpi.setDevicePixelRatio(2.0);
    const struct {
        const char* name;
        QImage image;
    } cases[] = {
        {"blank", Blank(QSize(1920, 1080), 0)},
        {"desktop background", Blank(QSize(300, 200), 0x01010101)},
        {"the three empty values", mixedEmpty},
        {"strokes", scribbled},
        {"noise", Noise(QSize(300, 270))},
        {"one pixel", Blank(QSize(1, 1), 0xFF0000FF)},
        {"odd size at ratio 2", hiDpi},
    };
    for (const auto& c : cases) {
        const CPackedImage packed = CPackedImage::Pack(c.image);
        const QImage back = packed.Unpack();
        EXPECT_TRUE(SameBytes(back, c.image)) << c.name;
        EXPECT_EQ(back.devicePixelRatio(), c.image.devicePixelRatio()) << c.name;
        // Into a used buffer of the right size, as a page change does.
        QImage reused = Noise(c.image.size());
        const uchar* buffer = reused.constBits();
        const QImage again = packed.Unpack(std::move(reused));
        EXPECT_TRUE(SameBytes(again, c.image)) << c.name;
        EXPECT_EQ(again.constBits(), buffer) << c.name << ": the buffer was not reused";
    }
}

TEST(PackedImage, APartComesBackToItsPlaceAndNowhereElse) {
    QImage page = Noise(QSize(700, 600));
    const QImage original = page.copy();
    const QRect box(255, 130, 300, 400); // across tile edges
    const CPackedImage part = CPackedImage::Pack(page, box);
    EXPECT_EQ(part.Size(), box.size());
    page.fill(0);
    part.UnpackInto(page, box.topLeft());
    EXPECT_TRUE(SameBytes(page.copy(box), original.copy(box)));
    EXPECT_TRUE(SameBytes(page.copy(0, 0, 700, 130), Blank(QSize(700, 130), 0)));
    // A place where it does not fit is refused whole, not written half.
    const QImage before = page.copy();
    part.UnpackInto(page, QPoint(500, 300));
    EXPECT_TRUE(SameBytes(page, before));
}

TEST(PackedImage, ALightlyDrawnPageCostsUnderATenthOfItsPixels) {
    const struct {
        QSize size;
        QRgb empty;
    } cases[] = {{QSize(1920, 1080), 0}, {QSize(3840, 2160), 0x01FFFFFF}};
    for (const auto& c : cases) {
        QImage page = Blank(c.size, qPremultiply(c.empty));
        Scribble(page);
        const size_t raw = static_cast<size_t>(c.size.width()) * c.size.height() * 4;
        EXPECT_LT(CPackedImage::Pack(page).Bytes(), raw / 10) << c.size.width();
        EXPECT_LT(CPackedImage::Pack(Blank(c.size, 0)).Bytes(), 16u * 1024) << c.size.width();
    }
}
} // namespace
