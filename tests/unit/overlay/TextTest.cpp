// The text tool: the bubble's place, the live preview, commit and cancel.
#include "CTextTool.h"
#include "OverlayFixture.h"

#include <QLineEdit>
#include <QTest>

namespace {
class TextTest : public OverlayFixture {
protected:
    void SetUp() override {
        CreateOverlay({{QRect(0, 0, 800, 600), QRect(0, 0, 800, 600), true, 1.0, "screen"}});
        overlay->show();
        overlay->OnCommand(ID_TEXT);
    }
    void Click(QPoint at) {
        overlay->OnLButtonDown(at);
        overlay->OnLButtonUp(at);
    }
    void Type(const QString& typed) { QTest::keyClicks(overlay->TextWindow()->Edit(), typed); }
    void Tick() { overlay->OnTimer(CMainWindow::kStrokeTimerId); }
    // Pixels of the text colour (blue) in a box.
    int BlueIn(const QImage& image, const QRect& box) const {
        int count = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const QRgb p = qUnpremultiply(image.pixel(x, y));
                count += qAlpha(p) > 128 && qBlue(p) > 150 && qRed(p) < 100;
            }
        return count;
    }
};

TEST_F(TextTest, BubblePointsAtTheLineFromBelowInTheUpperHalfAndFromAboveInTheLowerHalf) {
    CTextWindow* bubble = overlay->TextWindow();
    Click(QPoint(100, 100));
    EXPECT_TRUE(bubble->isVisible());
    EXPECT_EQ(bubble->ArrowDirection(), 0);
    EXPECT_EQ(bubble->x(), 100);
    EXPECT_GT(bubble->y(), 100) << "below the line";
    EXPECT_EQ(bubble->size(), QSize(475, 60));

    Click(QPoint(120, 500));
    EXPECT_EQ(bubble->ArrowDirection(), 1);
    EXPECT_LT(bubble->y() + bubble->height(), 500) << "above the line";
    EXPECT_EQ(overlay->Tools().Text().anchor.x(), 120.0);
    EXPECT_EQ(overlay->Tools().Text().anchor.y(), 500.0);
    // The field sits in the body of the bubble, away from the pointer.
    EXPECT_EQ(bubble->Edit()->geometry(), QRect(20, (60 - 16 - 22) / 2, 350, 22));
    EXPECT_TRUE(bubble->mask().contains(QPoint(200, 10)));
    EXPECT_FALSE(bubble->mask().contains(QPoint(200, 55))) << "the green key is see-through";
}

TEST_F(TextTest, TypingShowsALivePreviewAndEnterCommitsIntoThePage) {
    Click(QPoint(100, 100));
    Tick();
    // An empty text shows the dotted frame of an "h".
    const QImage empty = overlay->Surface().copy();
    Type("Hello");
    EXPECT_EQ(overlay->Tools().Text().text, "Hello");
    Tick();
    const QRect line(95, 70, 200, 60);
    EXPECT_GT(BlueIn(overlay->Surface(), line), 30);
    EXPECT_EQ(BlueIn(overlay->CurrentPage()->bitmap, line), 0) << "only a preview so far";
    EXPECT_TRUE(overlay->IsStrokeTimerRunning());
    EXPECT_NE(empty, overlay->Surface());

    QTest::keyClick(overlay->TextWindow()->Edit(), Qt::Key_Return);
    EXPECT_FALSE(overlay->TextWindow()->isVisible());
    EXPECT_FALSE(overlay->IsStrokeTimerRunning());
    EXPECT_GT(BlueIn(overlay->CurrentPage()->bitmap, line), 30);
    EXPECT_TRUE(overlay->Tools().Text().text.isEmpty());
    EXPECT_TRUE(overlay->TextWindow()->Edit()->text().isEmpty());
    // No dotted frame is left: only text colour and background in the line's box.
    int black = 0;
    for (int x = 95; x < 300; ++x)
        for (int y = 70; y < 130; ++y)
            black += Unpremultiplied(overlay->Surface(), QPoint(x, y)) == 0xFF000000u;
    EXPECT_EQ(black, 0);
}

TEST_F(TextTest, EscapeLeavesThePageUnchangedAndRemovesThePreview) {
    const QImage page = overlay->CurrentPage()->bitmap.copy();
    Click(QPoint(300, 400));
    Type("Gone");
    Tick();
    QTest::keyClick(overlay->TextWindow()->Edit(), Qt::Key_Escape);
    EXPECT_EQ(overlay->CurrentPage()->bitmap, page);
    EXPECT_EQ(BlueIn(overlay->Surface(), QRect(290, 370, 200, 60)), 0);
    EXPECT_FALSE(overlay->TextWindow()->isVisible());
}

TEST_F(TextTest, SizeChangeIsMeasuredAgainAtTheNextTick) {
    Click(QPoint(100, 100));
    Type("Size");
    Tick();
    const int small = BlueIn(overlay->Surface(), QRect(90, 40, 400, 120));
    overlay->OnCommand(ID_TEXT_48PT);
    Tick();
    EXPECT_GT(BlueIn(overlay->Surface(), QRect(90, 40, 400, 120)), small * 3 / 2);
}

TEST_F(TextTest, TextLongerThanTheFieldCannotBeTyped) {
    Click(QPoint(100, 100));
    Type(QString(200, 'W'));
    EXPECT_LT(overlay->Tools().Text().text.size(), 200);
    EXPECT_GT(overlay->Tools().Text().text.size(), 5);
    EXPECT_EQ(overlay->TextWindow()->Edit()->text(), overlay->Tools().Text().text);
}

TEST_F(TextTest, OpenBubbleAndAnchorKeepTheirPlaceOnAnotherDisplay) {
    overlay->Display().SetDisplays(
        {{QRect(0, 0, 800, 600), QRect(0, 0, 800, 600), true, 1.0, "a"},
         {QRect(800, 0, 1600, 1200), QRect(800, 0, 1600, 1200), false, 1.0, "b"}});
    Click(QPoint(100, 100));
    const QPoint before = overlay->TextWindow()->pos();
    overlay->SelectDisplay(1);
    EXPECT_EQ(overlay->TextWindow()->pos(), QPoint(800 + before.x() * 2, before.y() * 2));
    EXPECT_EQ(overlay->Tools().Text().anchor.x(), 200.0);
    EXPECT_EQ(overlay->Tools().Text().anchor.y(), 200.0);
}
} // namespace
