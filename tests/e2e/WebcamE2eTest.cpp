// The webcam window in the real program, fed by a stand-in webcam: another process writes
// pictures into shared memory and the program reads them with shmsrc.
#include "E2eSession.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {
constexpr quint16 kWebcamCommand = 32810;
constexpr QRgb kFeedColour = 0xFFFF8000; // the stand-in webcam's solid orange

QString SocketPath() {
    return g_session->Home() + "/webcam.sock";
}

// A live orange picture written into shared memory, until it is stopped.
class CStandInWebcam {
public:
    bool Start() {
        QFile::remove(SocketPath());
        m_process = std::make_unique<QProcess>();
        m_process->setProcessEnvironment(g_session->Environment());
        m_process->setProcessChannelMode(QProcess::ForwardedChannels);
        m_process->start("gst-launch-1.0",
                         {"-q", "videotestsrc", "is-live=true", "pattern=solid-color",
                          "foreground-color=0xFFFF8000", "!",
                          "video/x-raw,format=RGB,width=160,height=120,framerate=20/1", "!",
                          "shmsink", "socket-path=" + SocketPath(), "wait-for-connection=false",
                          "shm-size=2000000", "sync=true"});
        return m_process->waitForStarted(5000) &&
               WaitFor([] { return QFile::exists(SocketPath()); }, 10000);
    }
    void Stop() {
        if (m_process && m_process->state() == QProcess::Running) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
    }
    ~CStandInWebcam() { Stop(); }

private:
    std::unique_ptr<QProcess> m_process;
};

// The program reads the stand-in webcam instead of looking for a real one, and has no
// microphone.
class CWebcamEnvironment {
public:
    CWebcamEnvironment() {
        qputenv("RAVLIN_WEBCAM_SOURCE",
                ("shmsrc socket-path=" + SocketPath() +
                 " is-live=true do-timestamp=true ! "
                 "video/x-raw,format=RGB,width=160,height=120,framerate=20/1")
                    .toUtf8());
        qputenv("RAVLIN_WEBCAM_MICROPHONE", "no-such-element-in-any-plugin");
    }
    ~CWebcamEnvironment() {
        qunsetenv("RAVLIN_WEBCAM_SOURCE");
        qunsetenv("RAVLIN_WEBCAM_MICROPHONE");
    }
};

class WebcamE2eTest : public CRavlinTest {
protected:
    WebcamE2eTest() : CRavlinTest(QRect(80, 300, 300, 200)) {}

    // Where the window appears at the Medium size: 10 from the right, 32 from the top.
    QRect ExpectedWindow() const {
        return QRect(g_session->ScreenSize().width() - 250, 32, 240, 188);
    }
    QPoint PicturePoint() const { return ExpectedWindow().topLeft() + QPoint(120, 40); }

    static bool ShowsText(const QRect& window) {
        const QImage shot = g_session->Screenshot();
        const QRect picture = window.adjusted(1, 1, -1, -9);
        int white = 0;
        for (int y = picture.top(); y <= picture.bottom(); ++y)
            for (int x = picture.left(); x <= picture.right(); ++x)
                if (qRed(shot.pixel(x, y)) > 230 && qGreen(shot.pixel(x, y)) > 230 &&
                    qBlue(shot.pixel(x, y)) > 230)
                    ++white;
        return white > 50;
    }

    CWebcamEnvironment environment;
};
} // namespace

TEST_F(WebcamE2eTest, WithoutWebcamTheWindowSaysSoOverAGreyStrip) {
    ASSERT_TRUE(ravlin.SendCommand(kWebcamCommand));
    const QRect window = ExpectedWindow();
    QRgb seen = 0;
    EXPECT_TRUE(ScreenShows(
        window.topLeft() + QPoint(120, 188 - 4),
        [](QRgb c) { return ColourNear(c, 0xFFD3D3D3, 2); }, &seen))
        << ColourText(seen).toStdString();
    EXPECT_TRUE(WaitFor([&] { return ShowsText(window); }, 8000));

    // Hidden again.
    ASSERT_TRUE(ravlin.SendCommand(kWebcamCommand));
    EXPECT_TRUE(WaitFor([&] { return !ShowsText(window); }, 8000));
}

TEST_F(WebcamE2eTest, ShowsTheStandInPictureAndTheTextOnceItStops) {
    CStandInWebcam webcam;
    ASSERT_TRUE(webcam.Start());
    ASSERT_TRUE(ravlin.SendCommand(kWebcamCommand));
    QRgb seen = 0;
    ASSERT_TRUE(ScreenShows(
        PicturePoint(), [](QRgb c) { return ColourNear(c, kFeedColour, 3); }, &seen))
        << ColourText(seen).toStdString();
    EXPECT_FALSE(ShowsText(ExpectedWindow()));

    // The feed stops while the window is shown: the text replaces the last picture.
    webcam.Stop();
    EXPECT_TRUE(ScreenShows(
        PicturePoint(), [](QRgb c) { return !ColourNear(c, kFeedColour, 40); }, &seen))
        << ColourText(seen).toStdString();
    EXPECT_TRUE(WaitFor([&] { return ShowsText(ExpectedWindow()); }, 8000));
    EXPECT_TRUE(ravlin.IsRunning());

    // A new showing tries again and finds the webcam back.
    ASSERT_TRUE(webcam.Start());
    ASSERT_TRUE(ravlin.SendCommand(kWebcamCommand));
    ASSERT_TRUE(ravlin.SendCommand(kWebcamCommand));
    EXPECT_TRUE(ScreenShows(
        PicturePoint(), [](QRgb c) { return ColourNear(c, kFeedColour, 3); }, &seen))
        << ColourText(seen).toStdString();
}
