// The webcam window in the real program, fed by a stand-in webcam: another process writes
// pictures into shared memory and the program reads them with shmsrc. Its level strip hears a
// tone played into the microphone of a private sound server, and a recording takes it in.
#include "CSoundServer.h"
#include "E2eSession.h"
#include "RecordingSteps.h"

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
// microphone, neither for the window nor for recordings.
class CWebcamEnvironment {
public:
    CWebcamEnvironment() {
        qputenv("RAVLIN_WEBCAM_SOURCE",
                ("shmsrc socket-path=" + SocketPath() +
                 " is-live=true do-timestamp=true ! "
                 "video/x-raw,format=RGB,width=160,height=120,framerate=20/1")
                    .toUtf8());
        qputenv("RAVLIN_WEBCAM_MICROPHONE", "no-such-element-in-any-plugin");
        qputenv("RAVLIN_SOUND_SOURCE", "none");
    }
    ~CWebcamEnvironment() {
        qunsetenv("RAVLIN_WEBCAM_SOURCE");
        qunsetenv("RAVLIN_WEBCAM_MICROPHONE");
        qunsetenv("RAVLIN_SOUND_SOURCE");
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

// The window looks for the first microphone itself, and finds the one of a private sound server
// whose tone the test sets.
class WebcamLevelE2eTest : public WebcamE2eTest {
protected:
    WebcamLevelE2eTest() { qunsetenv("RAVLIN_WEBCAM_MICROPHONE"); }
    void SetUp() override {
        ASSERT_TRUE(sound.IsReady()) << "the test sound server did not start";
        WebcamE2eTest::SetUp();
    }

    // The bottom 8 pixels inside the border.
    QRect Strip() const {
        const QRect window = ExpectedWindow();
        return QRect(window.left() + 1, window.bottom() - 8, window.width() - 2, 8);
    }
    QPoint StripPoint(int percent) const {
        const QRect strip = Strip();
        return QPoint(strip.left() + strip.width() * percent / 100, strip.center().y());
    }

    CSoundServer sound;
};

constexpr QRgb kStripBlack = 0xFF000000;
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

TEST_F(WebcamLevelE2eTest, TheLevelStripFollowsAToneInTheMicrophone) {
    ASSERT_TRUE(ravlin.SendCommand(kWebcamCommand));
    // The strip fills as far as the peak level (percent of full scale), in the colour of that
    // level; the rest is black while there is a microphone.
    struct Case {
        double volume;
        QRgb colour;
        int percent;
    };
    const Case cases[] = {
        {0.65, 0xFFFFA500, 65}, // orange from a half
        {0.9, 0xFFFF0000, 90},  // red from four fifths
        {0.0, kStripBlack, 0},  // silence: nothing filled
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("volume " + std::to_string(c.volume));
        ASSERT_TRUE(sound.SetToneVolume(c.volume));
        std::vector<std::pair<int, QRgb>> expected = {{c.percent + 5, kStripBlack},
                                                      {99, kStripBlack}};
        if (c.percent > 0) {
            expected.push_back({1, c.colour});
            expected.push_back({c.percent - 5, c.colour});
        } else {
            expected.push_back({0, kStripBlack});
        }
        QString seen;
        const bool shown = WaitFor(
            [&] {
                const QImage shot = g_session->Screenshot();
                seen.clear();
                bool all = !shot.isNull();
                for (const auto& [percent, colour] : expected) {
                    const QRgb pixel = shot.isNull() ? 0 : shot.pixel(StripPoint(percent));
                    seen += QStringLiteral("%1%: %2 ").arg(percent).arg(ColourText(pixel));
                    all = all && ColourNear(pixel, colour, 2);
                }
                return all;
            },
            8000);
        EXPECT_TRUE(shown) << seen.toStdString();
    }
}

TEST_F(WebcamE2eTest, TheWindowIsInARecordingMadeWhileItIsShown) {
    CStandInWebcam webcam;
    ASSERT_TRUE(webcam.Start());
    ASSERT_TRUE(ravlin.SendCommand(kWebcamCommand));
    QRgb seen = 0;
    ASSERT_TRUE(ScreenShows(
        PicturePoint(), [](QRgb c) { return ColourNear(c, kFeedColour, 3); }, &seen))
        << ColourText(seen).toStdString();

    const QString movie = g_session->Home() + "/webcam.wmv";
    ASSERT_TRUE(ravlin.RunCommand("record"));
    ASSERT_TRUE(SaveAs(movie));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(movie); }, 5000));
    RecordFor(2000);
    ASSERT_TRUE(ravlin.RunCommand("record"));
    ASSERT_TRUE(WaitFor([&] { return IsFinished(movie); }, 15000)) << "the file is incomplete";

    const QImage last = LastFrame(movie);
    ASSERT_FALSE(last.isNull());
    ASSERT_EQ(last.size(), g_session->ScreenSize());
    // The feed's orange where the window shows it (the encoder shifts colours a little), and
    // none just left of the window.
    const QRgb inside = last.pixel(PicturePoint());
    EXPECT_TRUE(ColourNear(inside, kFeedColour, 30)) << ColourText(inside).toStdString();
    const QRgb outside = last.pixel(ExpectedWindow().left() - 20, PicturePoint().y());
    EXPECT_FALSE(ColourNear(outside, kFeedColour, 60)) << ColourText(outside).toStdString();
}
