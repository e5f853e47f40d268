// The skin: pieces where they belong, the pad filling exactly when head and tail add up to 43,
// and the inactive look only when all its pieces exist.
#include "CToolbarSkin.h"
#include "ToolbarTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
constexpr QRgb kHead = 0xFF102030, kPad = 0xFF405060, kTail = 0xFF708090;
constexpr QRgb kInactiveHead = 0xFF111111, kInactivePad = 0xFF222222, kInactiveTail = 0xFF333333;

class ToolbarSkinTest : public ::testing::Test {
protected:
    void Piece(const QString& name, int w, int h, QRgb colour) {
        QImage image(w, h, QImage::Format_ARGB32);
        image.fill(colour);
        image.setPixel(w - 1, 0, 0xFFFF00FF); // a key pixel in each piece's corner
        image.save(dir.path() + "/" + name + ".png");
    }
    void Pieces(int headWidth, int tailWidth, bool inactive) {
        Piece("bk_head", headWidth, 40, kHead);
        Piece("bk_pad", 4, 40, kPad);
        Piece("bk_tail", tailWidth, 40, kTail);
        if (inactive) {
            Piece("bk_head_inactive", headWidth, 40, kInactiveHead);
            Piece("bk_pad_inactive", 4, 40, kInactivePad);
            Piece("bk_tail_inactive", tailWidth, 40, kInactiveTail);
        }
        skin.Load(dir.path());
    }
    QTemporaryDir dir;
    CToolbarSkin skin;
};

TEST_F(ToolbarSkinTest, HeadPadAndTailFillTheShownHorizontalBar) {
    Pieces(20, 23, true);
    const QImage image = skin.Render(QSize(300, 40), false, true, true, 0);
    EXPECT_EQ(image.pixel(5, 20), kHead);
    EXPECT_EQ(image.pixel(19, 20), kHead);
    EXPECT_EQ(image.pixel(20, 20), kPad);
    EXPECT_EQ(image.pixel(276, 20), kPad);
    EXPECT_EQ(image.pixel(277, 20), kTail) << "20 + 23 = 43: the pad ends where the tail begins";
    EXPECT_EQ(image.pixel(299, 20), kTail);
}

TEST_F(ToolbarSkinTest, AWiderHeadMakesThePadCoverTheTailsFirstPixels) {
    Pieces(30, 23, false);
    const QImage image = skin.Render(QSize(300, 40), false, true, true, 0);
    // The pad runs from 30 for 257 pixels: over the tail's first 10.
    EXPECT_EQ(image.pixel(286, 20), kPad);
    EXPECT_EQ(image.pixel(287, 20), kTail);
}

TEST_F(ToolbarSkinTest, InactiveLookOnlyWithAllThreePieces) {
    Pieces(20, 23, true);
    EXPECT_EQ(skin.Render(QSize(300, 40), false, false, true, 0).pixel(5, 20), kInactiveHead);
    QFile::remove(dir.path() + "/bk_pad_inactive.png");
    skin.Load(dir.path());
    EXPECT_FALSE(skin.HasInactive());
    EXPECT_EQ(skin.Render(QSize(300, 40), false, false, true, 0).pixel(5, 20), kHead);
}

TEST_F(ToolbarSkinTest, VerticalBarUsesThePiecesTurnedAndTabsShowAPieceOfSkin) {
    Pieces(20, 23, false);
    const QImage vertical = skin.Render(QSize(40, 300), true, true, true, 2);
    EXPECT_EQ(vertical.pixel(20, 5), kHead);
    EXPECT_EQ(vertical.pixel(20, 150), kPad);
    EXPECT_EQ(vertical.pixel(20, 290), kTail);
    // Turned clockwise: the head's top-right key pixel lands at its bottom-right.
    EXPECT_EQ(vertical.pixel(39, 19), 0xFFFF00FFu);

    const QImage leftTab = skin.Render(QSize(24, 40), false, true, false, 0);
    EXPECT_EQ(leftTab.pixel(5, 20), kTail) << "at the left edge the tab shows the tail's end";
    EXPECT_EQ(leftTab.pixel(0, 20), kPad) << "and the pad before it";
    const QImage rightTab = skin.Render(QSize(24, 40), false, true, false, 1);
    EXPECT_EQ(rightTab.pixel(5, 20), kHead);
    EXPECT_EQ(rightTab.pixel(22, 20), kPad);
    const QImage topTab = skin.Render(QSize(40, 24), true, true, false, 2);
    EXPECT_EQ(topTab.pixel(20, 23), kTail);
}

TEST_F(ToolbarSkinTest, SharpPiecesOnADoubleDensityScreenTileAtTheirOwnSize) {
    Pieces(20, 23, false);
    // The @2x pad: a bright first row on an otherwise plain pad, twice the pixels.
    QImage pad(8, 80, QImage::Format_ARGB32);
    pad.fill(kPad);
    for (int x = 0; x < 8; ++x)
        pad.setPixel(x, 0, 0xFFFFFFFF);
    pad.save(dir.path() + "/bk_pad@2x.png");
    skin.Load(dir.path(), 2.0);
    const QImage image = skin.Render(QSize(300, 40), false, true, true, 0, 2.0);
    EXPECT_EQ(image.pixel(200, 0), 0xFFFFFFFFu);
    // One tile spans the whole height: no second bright row halfway down.
    for (int y = 1; y < 80; ++y)
        ASSERT_EQ(image.pixel(200, y), kPad) << y;
}

TEST_F(ToolbarSkinTest, AMissingOrUnreadablePieceIsNamedAndLeavesAPlainBar) {
    const struct {
        const char* what;
        const char* broken; // the piece spoilt after writing all of them; null: none
        bool unreadable;    // spoilt by garbage rather than removed
    } rows[] = {
        {"whole skin", nullptr, false},
        {"no head", "bk_head", false},
        {"no pad", "bk_pad", false},
        {"unreadable tail", "bk_tail", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Pieces(20, 23, false);
        QStringList expected;
        if (row.broken) {
            const QString path = dir.path() + "/" + row.broken + ".png";
            QFile::remove(path);
            if (row.unreadable) {
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                file.write("not a picture");
            }
            expected << path;
        }
        skin.Load(dir.path());
        EXPECT_EQ(skin.IsComplete(), row.broken == nullptr);
        EXPECT_EQ(skin.MissingPieces(), expected);
        const QImage image = skin.Render(QSize(300, 40), false, true, true, 0);
        if (row.broken) {
            // Flat and whole: no magenta block, no see-through hole, for every look.
            for (const bool vertical : {false, true})
                for (const bool shown : {true, false}) {
                    const QSize size = vertical ? QSize(40, 300) : QSize(300, 40);
                    const QImage look = skin.Render(size, vertical, false, shown, 1);
                    EXPECT_EQ(BoundsOf(look, CToolbarSkin::kPlainBar), QRect(QPoint(), size));
                    EXPECT_TRUE(skin.Shape(size, vertical, false, shown, 1)
                                    .xored(QRegion(QRect(QPoint(), size)))
                                    .isEmpty());
                }
        } else {
            EXPECT_EQ(image.pixel(5, 20), kHead);
        }
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
    }
}

TEST_F(ToolbarSkinTest, TheShapeAtDoubleDensityLeavesOutEveryPixelWithAnyKeyInIt) {
    // Sharp pieces whose rounded end is drawn at device pixels: the head's first device column
    // is key, its second is bar, so the first logical column is half key, half bar.
    Pieces(20, 23, false);
    QImage head(40, 80, QImage::Format_ARGB32);
    head.fill(kHead);
    for (int y = 0; y < 80; ++y)
        head.setPixel(0, y, CToolbarSkin::kColourKey);
    head.save(dir.path() + "/bk_head@2x.png");
    skin.Load(dir.path(), 2.0);

    const QSize size(300, 40);
    const QRegion shape = skin.Shape(size, false, true, true, 0, 2.0);
    const QImage device = skin.Render(size, false, true, true, 0, 2.0);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            bool anyKey = false;
            for (int d = 0; d < 4; ++d)
                anyKey |= device.pixel(2 * x + d % 2, 2 * y + d / 2) == CToolbarSkin::kColourKey;
            ASSERT_EQ(shape.contains(QPoint(x, y)), !anyKey) << x << "," << y;
        }
    EXPECT_FALSE(shape.contains(QPoint(0, 20))) << "no magenta speck at the rounded end";
    EXPECT_TRUE(shape.contains(QPoint(1, 20)));
}
} // namespace
