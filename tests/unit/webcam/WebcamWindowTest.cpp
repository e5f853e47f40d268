#include "CFakeDialogs.h"
#include "CWebcamWindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <gtest/gtest.h>

namespace {
// Sets environment variables for one test and puts the old values back.
class CEnvironment {
public:
    void Set(const char* name, const QByteArray& value) {
        m_saved.emplace_back(name, qgetenv(name), qEnvironmentVariableIsSet(name));
        qputenv(name, value);
    }
    ~CEnvironment() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (std::get<2>(*it))
                qputenv(std::get<0>(*it), std::get<1>(*it));
            else
                qunsetenv(std::get<0>(*it));
        }
    }

private:
    std::vector<std::tuple<const char*, QByteArray, bool>> m_saved;
};

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    return true;
}

QImage Render(CWebcamWindow& window) {
    QImage image(window.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    window.Draw(painter);
    return image;
}

bool HasWhitePixel(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) > 200)
                return true;
    return false;
}

// No microphone: a description that names no element cannot be built.
constexpr const char* kNoDevice = "no-such-element-in-any-plugin";

class WebcamWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.Set("RAVLIN_WEBCAM_SOURCE", kNoDevice);
        env.Set("RAVLIN_WEBCAM_MICROPHONE", kNoDevice);
    }
    CEnvironment env;
    CFakeDialogs dialogs;
};
} // namespace

TEST_F(WebcamWindowTest, StartsHiddenAtMediumSizeNearTheTopRightOfThePrimaryWorkArea) {
    CWebcamWindow window(dialogs);
    window.Create();
    const QRect workArea = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.IsShown());
    EXPECT_EQ(window.geometry(),
              QRect(workArea.x() + workArea.width() - 250, workArea.y() + 32, 240, 188));
    EXPECT_EQ(window.SizeCommand(), ID_WEBCAM_MEDIUM);
}

TEST_F(WebcamWindowTest, SizesKeepTheCornerAndLeaveEightPixelsForTheStrip) {
    struct Row {
        CommandId id;
        QSize window;
        QSize picture;
    };
    const Row rows[] = {{ID_WEBCAM_SMALL, {160, 128}, {158, 118}},
                        {ID_WEBCAM_MEDIUM, {240, 188}, {238, 178}},
                        {ID_WEBCAM_LARGE, {360, 278}, {358, 268}}};
    CWebcamWindow window(dialogs);
    window.Create();
    const QPoint corner = window.pos();
    std::vector<CommandId> told;
    window.onSizeChanged = [&](CommandId id) { told.push_back(id); };
    for (const Row& row : rows) {
        window.OnCmdSize(row.id);
        EXPECT_EQ(window.geometry(), QRect(corner, row.window)) << row.id;
        EXPECT_EQ(window.PictureRect(), QRect(QPoint(1, 1), row.picture)) << row.id;
        for (const CMenuItem& item : window.SizeMenu().items)
            EXPECT_EQ(item.checked, item.id == row.id) << row.id << " item " << item.id;
    }
    EXPECT_EQ(told, (std::vector<CommandId>{ID_WEBCAM_SMALL, ID_WEBCAM_MEDIUM, ID_WEBCAM_LARGE}));

    window.OnCmdSize(ID_WEBCAM); // not a size
    EXPECT_EQ(window.size(), QSize(360, 278));
    EXPECT_EQ(told.size(), 3u);
}

TEST_F(WebcamWindowTest, RightClickOffersTheSizesWithTheCurrentOneChecked) {
    CWebcamWindow window(dialogs);
    window.Create();
    dialogs.popupChoice = ID_WEBCAM_SMALL;
    window.OnRButtonUp(QPoint(700, 90));
    ASSERT_EQ(dialogs.popups, QStringList{"webcam"});
    EXPECT_EQ(dialogs.popupPositions.back(), QPoint(700, 90));
    ASSERT_EQ(dialogs.lastPopup.items.size(), 3u);
    EXPECT_TRUE(dialogs.lastPopup.items[1].checked); // Medium, as it was when the menu opened
    EXPECT_EQ(window.size(), QSize(160, 128));

    dialogs.popupChoice = 0; // dismissed
    window.OnRButtonUp(QPoint(700, 90));
    EXPECT_EQ(window.size(), QSize(160, 128));
}

TEST_F(WebcamWindowTest, DraggingMovesByThePointersMovementEvenFarOutside) {
    CWebcamWindow window(dialogs);
    window.Create();
    const QPoint origin = window.pos();
    window.OnLButtonDown(origin + QPoint(5, 5));
    EXPECT_TRUE(window.IsDragging());
    window.OnMouseMove(origin + QPoint(5, 5) + QPoint(-600, 400));
    EXPECT_EQ(window.pos(), origin + QPoint(-600, 400));
    window.OnMouseMove(origin + QPoint(5, 5) + QPoint(30, -20));
    EXPECT_EQ(window.pos(), origin + QPoint(30, -20));
    window.OnLButtonUp();
    EXPECT_FALSE(window.IsDragging());
    window.OnMouseMove(origin);
    EXPECT_EQ(window.pos(), origin + QPoint(30, -20));
    EXPECT_EQ(window.size(), QSize(240, 188));
}

TEST_F(WebcamWindowTest, WithoutWebcamOrMicrophoneShowsTheTextOverAGreyStrip) {
    CWebcamWindow window(dialogs);
    window.Create();
    EXPECT_TRUE(window.ToggleWebcam());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.IsRefreshing());
    EXPECT_FALSE(window.HasWebcam());
    EXPECT_FALSE(window.HasSound());
    const QImage image = Render(window);
    EXPECT_TRUE(HasWhitePixel(image, window.PictureRect()));
    EXPECT_EQ(image.pixel(2, 2), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(window.width() / 2, window.height() - 5), qRgb(0xD3, 0xD3, 0xD3));

    EXPECT_FALSE(window.ToggleWebcam());
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.IsRefreshing());
}

TEST_F(WebcamWindowTest, ShowsThePictureAndTheLevelThenTheTextWhenTheFeedEnds) {
    // A green picture that ends after a second, and a tone at half of full scale.
    env.Set("RAVLIN_WEBCAM_SOURCE", "videotestsrc is-live=true num-buffers=20 pattern=solid-color "
                                    "foreground-color=0xFF00FF00 ! video/x-raw,width=64,height=48,"
                                    "framerate=20/1");
    env.Set("RAVLIN_WEBCAM_MICROPHONE",
            "audiotestsrc is-live=true wave=square volume=0.5 ! audio/x-raw,format=S16LE");
    CWebcamWindow window(dialogs);
    window.Create();
    window.ToggleWebcam();
    ASSERT_TRUE(window.HasWebcam());
    ASSERT_TRUE(window.HasSound());
    const QRect picture = window.PictureRect();
    const QPoint middle = picture.center();
    ASSERT_TRUE(WaitUntil([&] { return Render(window).pixel(middle) == qRgb(0, 255, 0); }));
    ASSERT_TRUE(WaitUntil([&] { return window.Level() >= 50; }));
    const QImage image = Render(window);
    const int stripY = window.height() - 5;
    EXPECT_EQ(image.pixel(2, stripY), qRgb(0xFF, 0xA5, 0x00)) << window.Level();
    EXPECT_EQ(image.pixel(window.width() - 3, stripY), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(picture.left(), picture.top()), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(picture.right(), picture.bottom()), qRgb(0, 255, 0));

    // The stream ends: the text replaces the last picture.
    ASSERT_TRUE(WaitUntil([&] { return !window.HasWebcam(); }));
    const QImage after = Render(window);
    EXPECT_NE(after.pixel(middle), qRgb(0, 255, 0));
    EXPECT_TRUE(HasWhitePixel(after, picture));

    // The next showing tries again.
    window.ToggleWebcam();
    window.ToggleWebcam();
    EXPECT_TRUE(window.HasWebcam());
    window.Destroy();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.IsShown());
}
