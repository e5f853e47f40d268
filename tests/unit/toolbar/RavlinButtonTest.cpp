// The picture button: loading its picture and frames, where it draws them, its highlights and
// the hover animation, stepped tick by tick.
#include "CFakeDialogs.h"
#include "CRavlinButton.h"
#include "CRavlinMenuButton.h"
#include "ToolbarTestSupport.h"

#include "QtPrinters.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr QRgb kPicture = qRgb(64, 64, 64);
constexpr QRgb kFrameColours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                                  qRgb(255, 255, 0), qRgb(0, 255, 255)};
constexpr int kTick = CRavlinButton::kAnimationTimerId;

class RavlinButtonTest : public ::testing::Test {
protected:
    // A 32 x 32 button with a 16 x 16 picture and `frameCount` frames of their own colours.
    template <class Button = CRavlinButton, class... Args>
    std::unique_ptr<Button> Make(int frameCount, Args&... args) {
        auto button = std::make_unique<Button>(args..., &parent);
        button->setGeometry(0, 0, 32, 32);
        button->LoadDefaultImage(folder.WritePicture("pic.png", 16, 16, kPicture));
        // A folder of its own for each button's frames.
        const QString frames = QString("frames%1/").arg(++m_buttons);
        for (int n = 1; n <= frameCount; ++n)
            folder.WritePicture(frames + QString::asprintf("%.2d.png", n), 16, 16,
                                kFrameColours[n - 1]);
        button->LoadFrames(folder.FilePath(frames));
        return button;
    }

    // What the middle of the button shows.
    static QString Shown(QWidget& button) {
        const QRgb centre = Grab(button).pixel(16, 16);
        if (centre == kPicture)
            return "picture";
        for (int n = 0; n < 5; ++n)
            if (centre == kFrameColours[n])
                return QString("F%1").arg(n + 1);
        if (qAlpha(centre) == 0)
            return "nothing";
        return QString::number(centre, 16);
    }

    // Arrival, then one entry per tick.
    static QStringList Play(CRavlinButton& button, int ticks) {
        SendEnter(button);
        QStringList shown{Shown(button)};
        for (int i = 0; i < ticks; ++i) {
            button.OnTimer(kTick);
            shown << Shown(button);
        }
        return shown;
    }

    CAppFolder folder;
    QWidget parent;
    CFakeDialogs dialogs;

private:
    int m_buttons = 0;
};

TEST_F(RavlinButtonTest, LoadingThePictureTracesItsPathAndSize) {
    const QString picture = folder.WritePicture("Arts/pen.png", 20, 10, kPicture);
    const QString notPicture = folder.Write("Arts/notes.png", "not a picture");
    const struct {
        const char* what;
        QString path;
        int presetWidth, presetHeight;
        const char* sizeTrace;
        int drawWidth, drawHeight;
    } rows[] = {
        {"picture", picture, 0, 0, "Loaded image size 20 x 10\n", 20, 10},
        {"draw width set by the layout", picture, 24, 0, "Loaded image size 20 x 10\n", 24, 10},
        {"missing file", folder.FilePath("Arts/none.png"), 0, 0, "Loaded image size 0 x 0\n", 0, 0},
        {"not a picture", notPicture, 0, 0, "Loaded image size 0 x 0\n", 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        CTraceCapture traces;
        CRavlinButton button;
        button.SetDrawSize(row.presetWidth, row.presetHeight);
        button.LoadDefaultImage(row.path);
        EXPECT_EQ(traces.texts, (QStringList{"CRavlinButton::LoadDefaultImage " + row.path + "\n",
                                             row.sizeTrace}));
        EXPECT_EQ(button.DrawWidth(), row.drawWidth);
        EXPECT_EQ(button.DrawHeight(), row.drawHeight);
    }
}

TEST_F(RavlinButtonTest, FramesRunUpToTheFirstMissingNumber) {
    const struct {
        const char* what;
        QStringList files; // "name" or "name:text" for a file that is no picture
        int frames;
    } rows[] = {
        {"none", {}, 0},
        {"one to three", {"01", "02", "03"}, 3},
        {"a gap ends them", {"01", "02", "04"}, 2},
        {"no first frame", {"02", "03"}, 0},
        {"at most five", {"01", "02", "03", "04", "05", "06"}, 5},
        {"a broken file keeps its turn", {"01", "02:text", "03"}, 3},
        {"three digits are not two", {"001", "002"}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        CAppFolder frames;
        for (const QString& file : row.files) {
            const QStringList parts = file.split(':');
            if (parts.size() > 1)
                frames.Write("pen/" + parts[0] + ".png", "not a picture");
            else
                frames.WritePicture("pen/" + file + ".png", 4, 4, kPicture);
        }
        CRavlinButton button;
        button.LoadFrames(frames.FilePath("pen/"));
        EXPECT_EQ(button.FrameCount(), row.frames);
    }
}

TEST_F(RavlinButtonTest, ThePictureIsCentredAtItsDrawSize) {
    const struct {
        const char* what;
        QSize button;
        QSize picture;
        QSize drawSize; // empty: the picture's own
        QRect expected; // where the picture's pixels are, clipped by the button
    } rows[] = {
        {"own size", {32, 32}, {16, 16}, {}, {8, 8, 16, 16}},
        // Drawing rectangle x 2..31: x = 2 + (29 - 20) / 2 = 6.
        {"odd width", {33, 32}, {20, 10}, {}, {6, 11, 20, 10}},
        {"scaled up", {32, 32}, {16, 16}, {24, 24}, {4, 4, 24, 24}},
        {"scaled down", {32, 32}, {16, 16}, {8, 4}, {12, 14, 8, 4}},
        // Wider than the button: centred, hanging over both sides. (16 - 19) / 2 truncates
        // to -1, so x = 1.
        {"wider than the button", {20, 20}, {16, 16}, {19, 8}, {1, 6, 19, 8}},
        {"far wider", {20, 20}, {16, 16}, {40, 8}, {0, 6, 20, 8}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        CRavlinButton button(&parent);
        button.resize(row.button);
        if (!row.drawSize.isEmpty())
            button.SetDrawSize(row.drawSize.width(), row.drawSize.height());
        button.LoadDefaultImage(folder.WritePicture(QString(row.what) + ".png", row.picture.width(),
                                                    row.picture.height(), kPicture));
        EXPECT_EQ(BoundsOf(Grab(button), kPicture), row.expected);
    }
}

TEST_F(RavlinButtonTest, OnADoubleDensityScreenTheSharpPictureAndFramesAreDrawnAtTheSameSize) {
    constexpr QRgb kSharp = qRgb(20, 200, 120), kSharpFrame = qRgb(200, 20, 120);
    const struct {
        const char* what;
        qreal ratio;
        bool twins;   // "@2x" files beside the plain ones
        QRgb picture; // what the middle shows at rest
        QRgb frame;   // and during the first frame
    } rows[] = {
        {"plain screen", 1.0, true, kPicture, kFrameColours[0]},
        {"double density", 2.0, true, kSharp, kSharpFrame},
        {"double density without twins", 2.0, false, kPicture, kFrameColours[0]},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        CAppFolder art;
        const QString picture = art.WritePicture("pen.png", 16, 16, kPicture);
        art.WritePicture("pen/01.png", 16, 16, kFrameColours[0]);
        if (row.twins) {
            art.WritePicture("pen@2x.png", 32, 32, kSharp);
            art.WritePicture("pen/01@2x.png", 32, 32, kSharpFrame);
        }
        CRavlinButton button(&parent);
        button.setGeometry(0, 0, 32, 32);
        button.LoadDefaultImage(picture, row.ratio);
        button.LoadFrames(art.FilePath("pen/"), row.ratio);
        EXPECT_EQ(button.DrawWidth(), 16) << "logical pixels, whichever file was read";
        EXPECT_EQ(button.DrawHeight(), 16);

        auto middle = [&] {
            QImage image(QSize(32, 32) * row.ratio, QImage::Format_ARGB32);
            image.setDevicePixelRatio(row.ratio);
            image.fill(Qt::transparent);
            button.setAttribute(Qt::WA_NoSystemBackground);
            button.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
            return image.pixel(image.width() / 2, image.height() / 2);
        };
        EXPECT_EQ(middle(), row.picture);
        SendEnter(button);
        button.OnTimer(kTick);
        EXPECT_EQ(middle(), row.frame);
        SendLeave(button);
    }
}

TEST_F(RavlinButtonTest, NothingOfThePictureShowsAtZeroSize) {
    const QSize sizes[] = {{0, 0}, {0, 16}, {16, 0}};
    for (const QSize& size : sizes) {
        CRavlinButton button(&parent);
        button.resize(32, 32);
        button.LoadDefaultImage(folder.WritePicture("pic.png", 16, 16, kPicture));
        button.SetDrawSize(size.width(), size.height());
        EXPECT_TRUE(BoundsOf(Grab(button), kPicture).isEmpty()) << size.width() << size.height();
    }
}

TEST_F(RavlinButtonTest, HighlightsCoverTheRoundedRectangleBelowTheDrawingRectangle) {
    CRavlinButton button(&parent);
    button.resize(32, 32); // no picture and no frames: the highlight alone shows
    EXPECT_TRUE(BoundsOf(Grab(button), CRavlinButton::kHoverHighlight).isEmpty());

    SendEnter(button);
    QImage hovered = Grab(button);
    // The rounded rectangle (2, 5, 30, 31), right and bottom exclusive.
    EXPECT_EQ(BoundsOf(hovered, CRavlinButton::kHoverHighlight), QRect(2, 5, 28, 26));
    EXPECT_EQ(hovered.pixel(15, 5), CRavlinButton::kHoverHighlight);
    EXPECT_EQ(hovered.pixel(15, 30), CRavlinButton::kHoverHighlight);
    EXPECT_EQ(qAlpha(hovered.pixel(15, 4)), 0);
    EXPECT_EQ(qAlpha(hovered.pixel(15, 31)), 0);
    // The corners are rounded off.
    for (const QPoint corner : {QPoint(2, 5), QPoint(29, 5), QPoint(2, 30), QPoint(29, 30)})
        EXPECT_EQ(qAlpha(hovered.pixel(corner)), 0) << corner.x() << "," << corner.y();

    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(16, 16));
    EXPECT_EQ(BoundsOf(Grab(button), CRavlinButton::kPushedHighlight), QRect(2, 5, 28, 26));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(16, 16));
    EXPECT_EQ(BoundsOf(Grab(button), CRavlinButton::kHoverHighlight), QRect(2, 5, 28, 26));

    SendLeave(button);
    EXPECT_TRUE(BoundsOf(Grab(button), CRavlinButton::kHoverHighlight).isEmpty());
}

TEST_F(RavlinButtonTest, TheHoverAnimationPlaysEachFrameOnce) {
    const struct {
        const char* what;
        bool menuButton;
        int frames;
        QStringList shown; // on arrival, then after each tick
    } rows[] = {
        {"picture button, three frames", false, 3, {"F1", "F1", "F2", "F3", "picture"}},
        {"picture button, one frame", false, 1, {"F1", "F1", "picture"}},
        {"picture button, five frames", false, 5, {"F1", "F1", "F2", "F3", "F4", "F5", "picture"}},
        // The drop-down button leaves the first frame out.
        {"menu button, three frames", true, 3, {"picture", "picture", "F2", "F3", "picture"}},
        {"menu button, one frame", true, 1, {"picture", "picture", "picture"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::unique_ptr<CRavlinButton> button;
        if (row.menuButton)
            button = Make<CRavlinMenuButton>(row.frames, dialogs);
        else
            button = Make(row.frames);
        const int ticks = static_cast<int>(row.shown.size()) - 1;
        EXPECT_EQ(Play(*button, ticks), row.shown);
        EXPECT_FALSE(button->IsAnimationTimerRunning());
        EXPECT_TRUE(button->IsAnimationDone());

        // While the pointer stays: the picture, no highlight, no replay.
        button->OnTimer(kTick);
        button->OnTimer(kTick);
        const QImage afterwards = Grab(*button);
        EXPECT_EQ(afterwards.pixel(16, 16), kPicture);
        EXPECT_EQ(qAlpha(afterwards.pixel(4, 20)), 0);
        EXPECT_FALSE(button->IsAnimationTimerRunning());

        // Off and on again: it plays once more from the start.
        SendLeave(*button);
        EXPECT_EQ(Shown(*button), "picture");
        EXPECT_EQ(Play(*button, ticks), row.shown);
    }
}

TEST_F(RavlinButtonTest, LeavingDuringTheAnimationStopsItAndTheNextVisitStartsOver) {
    auto button = Make(3);
    EXPECT_EQ(Play(*button, 2), (QStringList{"F1", "F1", "F2"}));
    SendLeave(*button);
    EXPECT_FALSE(button->IsAnimationTimerRunning());
    EXPECT_FALSE(button->IsAnimating());
    EXPECT_FALSE(button->IsAnimationDone());
    EXPECT_EQ(Shown(*button), "picture");
    // A tick already on its way changes nothing.
    button->OnTimer(kTick);
    EXPECT_EQ(Shown(*button), "picture");

    EXPECT_EQ(Play(*button, 4), (QStringList{"F1", "F1", "F2", "F3", "picture"}));
}

TEST_F(RavlinButtonTest, HoldingTheButtonDownKeepsTheAnimationRunningUnderThePushedHighlight) {
    auto button = Make(3);
    EXPECT_EQ(Play(*button, 1), (QStringList{"F1", "F1"}));
    QTest::mousePress(button.get(), Qt::LeftButton, {}, QPoint(16, 16));
    QImage pushed = Grab(*button);
    EXPECT_EQ(pushed.pixel(16, 16), kPicture);
    EXPECT_EQ(pushed.pixel(4, 20), CRavlinButton::kPushedHighlight);
    button->OnTimer(kTick);
    EXPECT_TRUE(button->IsAnimationTimerRunning());
    EXPECT_EQ(Shown(*button), "picture");

    QTest::mouseRelease(button.get(), Qt::LeftButton, {}, QPoint(16, 16));
    // The animation went on while the button was held: frame 3 is next.
    button->OnTimer(kTick);
    EXPECT_EQ(Shown(*button), "F3");
    button->OnTimer(kTick);
    EXPECT_EQ(Shown(*button), "picture");
}

TEST_F(RavlinButtonTest, DraggingOffWhileHeldStopsTheAnimation) {
    auto button = Make(3);
    Play(*button, 1);
    QTest::mousePress(button.get(), Qt::LeftButton, {}, QPoint(16, 16));
    QTest::mouseMove(button.get(), QPoint(50, 50));
    EXPECT_FALSE(button->IsHighlighted());
    EXPECT_FALSE(button->IsAnimationTimerRunning());
    EXPECT_EQ(Shown(*button), "picture");
}

TEST_F(RavlinButtonTest, WithoutFramesTheHoverHighlightShowsInstead) {
    auto button = Make(0);
    SendEnter(*button);
    EXPECT_FALSE(button->IsAnimationTimerRunning());
    const QImage hovered = Grab(*button);
    EXPECT_EQ(hovered.pixel(16, 16), kPicture);
    EXPECT_EQ(hovered.pixel(4, 20), CRavlinButton::kHoverHighlight);
}

TEST_F(RavlinButtonTest, ABrokenFrameShowsNothingInItsTurn) {
    folder.WritePicture("broken/01.png", 16, 16, kFrameColours[0]);
    folder.Write("broken/02.png", "not a picture");
    folder.WritePicture("broken/03.png", 16, 16, kFrameColours[2]);
    auto broken = Make(0);
    broken->LoadFrames(folder.FilePath("broken/"));
    ASSERT_EQ(broken->FrameCount(), 3);
    EXPECT_EQ(Play(*broken, 4), (QStringList{"F1", "F1", "nothing", "F3", "picture"}));
}

TEST_F(RavlinButtonTest, HidingTheButtonEndsItsHighlightAndAnimation) {
    parent.setGeometry(300, 300, 100, 100);
    auto button = Make(3);
    parent.show();
    Play(*button, 1);
    button->hide();
    EXPECT_FALSE(button->IsHighlighted());
    EXPECT_FALSE(button->IsAnimationTimerRunning());
    button->show();
    EXPECT_EQ(Shown(*button), "picture");
}

TEST_F(RavlinButtonTest, AClickCarriesTheControlIdentifier) {
    auto button = Make(0);
    button->SetControlId(1007);
    QList<int> clicks;
    button->onClick = [&](int id) { clicks << id; };
    SendEnter(*button);
    QTest::mouseClick(button.get(), Qt::LeftButton, {}, QPoint(16, 16));
    EXPECT_EQ(clicks, QList<int>{1007});

    // Released off the button: no click.
    QTest::mousePress(button.get(), Qt::LeftButton, {}, QPoint(16, 16));
    QTest::mouseRelease(button.get(), Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_EQ(clicks, QList<int>{1007});
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
}

TEST_F(RavlinButtonTest, TheClickHandlerMayTakeTheButtonAway) {
    auto* button = Make(3).release();
    button->onClick = [button](int) { delete button; };
    SendEnter(*button);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(16, 16));
    EXPECT_TRUE(parent.findChildren<CRavlinButton*>().isEmpty());
}

} // namespace
