// The skin: pieces where they belong, the pad filling exactly when head and tail add up to 43,
// and the inactive look only when all its pieces exist.
#include "CToolbarSkin.h"

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

TEST_F(ToolbarSkinTest, MissingPiecesLeaveOnlyTheSeeThroughKey) {
    skin.Load(dir.path() + "/nothing-here");
    EXPECT_FALSE(skin.IsComplete());
    const QImage image = skin.Render(QSize(100, 40), false, true, true, 0);
    EXPECT_EQ(image.pixel(50, 20), CToolbarSkin::kColourKey);
}
} // namespace
