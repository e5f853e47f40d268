// The drop-down button: its arrow strip, the popup it opens there, and its ordinary click on
// the body.
#include "CFakeDialogs.h"
#include "CMenuResource.h"
#include "CRavlinMenuButton.h"
#include "ToolbarTestSupport.h"

#include "QtPrinters.h"

#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Runs `during` while the popup is open, as the menu's own event loop would.
class CObservingDialogs : public CFakeDialogs {
public:
    CommandId TrackPopupMenu(QWidget* owner, const CMenuPopup& popup, const QPoint& at) override {
        const CommandId chosen = CFakeDialogs::TrackPopupMenu(owner, popup, at);
        if (during)
            during();
        return chosen;
    }
    std::function<void()> during;
};

const char* const kMenuJson = R"({"popups": [
    {"caption": "pen", "items": [{"id": 32843, "text": "Black"}, {"id": 32845, "text": "Green"}]},
    {"caption": "Marker", "items": [{"id": 32784, "text": "Yellow"}]}]})";

class RavlinMenuButtonTest : public ::testing::Test {
protected:
    RavlinMenuButtonTest() : menu(CMenuResource::FromJson(kMenuJson)) {}

    // A vertical-toolbar button, 40 x 48, with the "pen" popup, notifying as control 1000.
    std::unique_ptr<CRavlinMenuButton> Make(bool atBottom = true, QSize size = {40, 48},
                                            const char* popup = "pen") {
        auto button = std::make_unique<CRavlinMenuButton>(dialogs, &parent);
        button->resize(size);
        button->SetArrowAtBottom(atBottom);
        button->SetMenu(menu.FindPopupByCaption(popup));
        button->SetControlId(1000);
        button->onClick = [this, b = button.get()](int id) {
            clicks << id;
            resultsSeenByClick << b->MenuResult();
        };
        return button;
    }

    CMenuResource menu;
    CObservingDialogs dialogs;
    QWidget parent;
    QList<int> clicks;
    QList<int> resultsSeenByClick;
};

TEST_F(RavlinMenuButtonTest, TheStripOpensThePopupAndTheBodyClicks) {
    const struct {
        const char* what;
        bool atBottom;
        QSize size;
        const char* popup;
        bool defaultClick;
        QPoint at;
        CommandId choice;
        bool opens;
        QList<int> clicks;
        CommandId result;
    } rows[] = {
        {"bottom strip, item chosen",
         true,
         {40, 48},
         "pen",
         true,
         {20, 40},
         32845,
         true,
         {1000},
         32845},
        {"bottom strip, top row", true, {40, 48}, "pen", true, {0, 36}, 32845, true, {1000}, 32845},
        {"bottom strip, last pixel",
         true,
         {40, 48},
         "pen",
         true,
         {39, 47},
         32845,
         true,
         {1000},
         32845},
        {"bottom strip, dismissed", true, {40, 48}, "pen", true, {20, 40}, 0, true, {}, 0},
        {"just above the bottom strip",
         true,
         {40, 48},
         "pen",
         true,
         {20, 35},
         32845,
         false,
         {1000},
         0},
        {"right strip, item chosen",
         false,
         {52, 36},
         "pen",
         true,
         {36, 10},
         32843,
         true,
         {1000},
         32843},
        {"just left of the right strip",
         false,
         {52, 36},
         "pen",
         true,
         {35, 10},
         32843,
         false,
         {1000},
         0},
        // The right strip is not a strip on a vertical toolbar, nor the bottom one on a
        // horizontal toolbar.
        {"right edge of a vertical button",
         true,
         {40, 48},
         "pen",
         true,
         {38, 10},
         32845,
         false,
         {1000},
         0},
        {"bottom edge of a horizontal button",
         false,
         {52, 36},
         "pen",
         true,
         {10, 34},
         32845,
         false,
         {1000},
         0},
        // Captions are compared exactly: "marker" has no popup, so no arrow and no menu.
        {"no popup of that name", true, {40, 48}, "marker", true, {20, 40}, 32784, false, {}, 0},
        {"no popup, body", true, {40, 48}, "marker", true, {20, 20}, 32784, false, {1000}, 0},
        {"without the default click the body opens it too",
         true,
         {40, 48},
         "pen",
         false,
         {20, 20},
         32845,
         true,
         {1000},
         32845},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto button = Make(row.atBottom, row.size, row.popup);
        button->SetDefaultClick(row.defaultClick);
        dialogs.popups.clear();
        dialogs.popupPositions.clear();
        dialogs.popupChoice = row.choice;
        clicks.clear();
        resultsSeenByClick.clear();

        SendEnter(*button, row.at);
        QTest::mouseClick(button.get(), Qt::LeftButton, {}, row.at);
        EXPECT_EQ(dialogs.popups, row.opens ? QStringList{"pen"} : QStringList{});
        if (row.opens) {
            ASSERT_EQ(dialogs.popupPositions.size(), 1u);
            // Below the button, at its left edge.
            EXPECT_EQ(dialogs.popupPositions[0], button->mapToGlobal(QPoint(0, row.size.height())));
        }
        EXPECT_EQ(clicks, row.clicks);
        EXPECT_EQ(button->MenuResult(), row.result);
        // The toolbar reads the choice while handling the click.
        if (!clicks.isEmpty()) {
            EXPECT_EQ(resultsSeenByClick, QList<int>{row.result});
        }
        EXPECT_FALSE(button->IsMenuActive());
        EXPECT_FALSE(button->IsPushed());
    }
}

TEST_F(RavlinMenuButtonTest, AClickOnTheBodyForgetsTheLastChoice) {
    auto button = Make();
    dialogs.popupChoice = 32845; // Green
    QTest::mouseClick(button.get(), Qt::LeftButton, {}, QPoint(20, 40));
    EXPECT_EQ(button->MenuResult(), 32845);
    QTest::mouseClick(button.get(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(button->MenuResult(), 0);
    EXPECT_EQ(resultsSeenByClick, (QList<int>{32845, 0}));
}

TEST_F(RavlinMenuButtonTest, WhileThePopupIsOpenAPressOnTheButtonDoesNothing) {
    auto button = Make();
    dialogs.popupChoice = 32845;
    dialogs.during = [&] {
        dialogs.during = nullptr;
        EXPECT_TRUE(button->IsMenuActive());
        QTest::mouseClick(button.get(), Qt::LeftButton, {}, QPoint(20, 40));
        QTest::mouseClick(button.get(), Qt::LeftButton, {}, QPoint(20, 20));
    };
    SendEnter(*button, QPoint(20, 40));
    QTest::mouseClick(button.get(), Qt::LeftButton, {}, QPoint(20, 40));
    EXPECT_EQ(dialogs.popups, QStringList{"pen"});
    EXPECT_EQ(clicks, QList<int>{1000});
    EXPECT_EQ(button->MenuResult(), 32845);
    // Once closed, the button is neither lit nor active.
    EXPECT_FALSE(button->IsHighlighted());
    EXPECT_FALSE(button->IsMenuActive());
}

TEST_F(RavlinMenuButtonTest, TheButtonMayGoAwayWhileItsPopupIsOpen) {
    auto* button = Make().release();
    dialogs.popupChoice = 32845;
    dialogs.during = [&] { delete button; };
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 40));
    EXPECT_TRUE(parent.findChildren<CRavlinMenuButton*>().isEmpty());
    EXPECT_TRUE(clicks.isEmpty());
}

TEST_F(RavlinMenuButtonTest, ThePopupShownIsTheOneBoundWhenItOpened) {
    auto button = Make();
    dialogs.popupChoice = 32845;
    dialogs.during = [&] { button->SetMenu(nullptr); };
    QTest::mouseClick(button.get(), Qt::LeftButton, {}, QPoint(20, 40));
    EXPECT_EQ(clicks, QList<int>{1000});
    EXPECT_FALSE(button->HasMenu());
    // Without a menu now, the strip does nothing.
    dialogs.during = nullptr;
    QTest::mouseClick(button.get(), Qt::LeftButton, {}, QPoint(20, 40));
    EXPECT_EQ(dialogs.popups.size(), 1);
    EXPECT_EQ(clicks, QList<int>{1000});
}

TEST_F(RavlinMenuButtonTest, TheArrowIsDrawnInTheStripInTheColourOfTheState) {
    const struct {
        const char* what;
        bool atBottom;
        QSize size;
        QRect triangleBox; // the triangle's corners' bounding box
        QPoint inside;
    } layouts[] = {
        // Drawing rectangle (2, 2, 38, 46), strip (2, 34, 38, 46): corners (15, 37),
        // (25, 37), (20, 43).
        {"vertical", true, {40, 48}, QRect(QPoint(15, 37), QPoint(25, 43)), {20, 39}},
        // Strip (34, 2, 50, 34): corners (37, 15), (47, 15), (42, 21).
        {"horizontal", false, {52, 36}, QRect(QPoint(37, 15), QPoint(47, 21)), {42, 17}},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.what);
        auto button = Make(layout.atBottom, layout.size);

        QImage image = Grab(*button);
        const QRect drawn = BoundsOf(image, CRavlinMenuButton::kArrowNormal);
        EXPECT_TRUE(layout.triangleBox.contains(drawn))
            << drawn.x() << "," << drawn.y() << " " << drawn.width() << "x" << drawn.height();
        EXPECT_GE(drawn.width(), 9);
        EXPECT_GE(drawn.height(), 5);
        EXPECT_EQ(image.pixel(layout.inside), CRavlinMenuButton::kArrowNormal);

        SendEnter(*button, layout.inside);
        EXPECT_EQ(Grab(*button).pixel(layout.inside), CRavlinMenuButton::kArrowHovered);

        // A press on the body (the strip would open the popup).
        QTest::mousePress(button.get(), Qt::LeftButton, {}, QPoint(10, 10));
        EXPECT_EQ(Grab(*button).pixel(layout.inside), CRavlinMenuButton::kArrowPushed);
        QTest::mouseRelease(button.get(), Qt::LeftButton, {}, QPoint(10, 10));
        EXPECT_EQ(Grab(*button).pixel(layout.inside), CRavlinMenuButton::kArrowHovered);

        SendLeave(*button);
        EXPECT_EQ(Grab(*button).pixel(layout.inside), CRavlinMenuButton::kArrowNormal);
    }
}

TEST_F(RavlinMenuButtonTest, WithoutAPopupTheStripStaysEmpty) {
    auto button = Make(true, {40, 48}, "marker");
    EXPECT_FALSE(button->HasMenu());
    for (const bool hovered : {false, true}) {
        if (hovered)
            SendEnter(*button, QPoint(20, 20));
        const QImage image = Grab(*button);
        for (int y = 34; y < 48; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(qAlpha(image.pixel(x, y)), 0) << x << "," << y << " hovered " << hovered;
    }
}

TEST_F(RavlinMenuButtonTest, TheHighlightCoversThePictureRectangleOnly) {
    const struct {
        bool atBottom;
        QSize size;
        QRect highlight;
    } rows[] = {
        {true, {40, 48}, {2, 2, 36, 32}},
        {false, {52, 36}, {2, 2, 32, 32}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.atBottom ? "vertical" : "horizontal");
        auto button = Make(row.atBottom, row.size);
        SendEnter(*button, QPoint(10, 10));
        const QImage image = Grab(*button);
        EXPECT_EQ(BoundsOf(image, CRavlinButton::kHoverHighlight), row.highlight);
        EXPECT_EQ(qAlpha(image.pixel(row.highlight.topLeft())), 0); // rounded corner
    }
}

TEST_F(RavlinMenuButtonTest, ThePictureIsCentredAboveOrBesideTheStrip) {
    CAppFolder folder;
    const QString picture = folder.WritePicture("pen.png", 24, 24, qRgb(64, 64, 64));
    const struct {
        bool atBottom;
        QSize size;
        QRect expected;
    } rows[] = {
        // Picture rectangle (2, 2, 38, 34): x = 2 + (36 - 24) / 2, y = 2 + (32 - 24) / 2.
        {true, {40, 48}, {8, 6, 24, 24}},
        // Picture rectangle (2, 2, 34, 34).
        {false, {52, 36}, {6, 6, 24, 24}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.atBottom ? "vertical" : "horizontal");
        auto button = Make(row.atBottom, row.size);
        button->LoadDefaultImage(picture);
        EXPECT_EQ(BoundsOf(Grab(*button), qRgb(64, 64, 64)), row.expected);
    }
}

TEST(MenuItemPictures, TheSharpTwinServesADoubleDensityMenu) {
    CAppFolder art;
    constexpr QRgb kPlain = qRgb(200, 40, 40), kSharp = qRgb(40, 200, 40);
    const QString path = art.WritePicture("menu/199.png", 16, 16, kPlain);
    art.WritePicture("menu/199@2x.png", 32, 32, kSharp);
    const QIcon icon = CMenuResource::PictureIcon(path);
    const QImage plain = icon.pixmap(QSize(16, 16), 1.0).toImage();
    const QImage sharp = icon.pixmap(QSize(16, 16), 2.0).toImage();
    EXPECT_EQ(plain.pixel(8, 8), kPlain);
    EXPECT_EQ(sharp.size(), QSize(32, 32));
    EXPECT_EQ(sharp.pixel(16, 16), kSharp);
    EXPECT_TRUE(CMenuResource::PictureIcon(QString()).isNull());
}

} // namespace
