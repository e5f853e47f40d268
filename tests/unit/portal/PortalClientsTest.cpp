// The portal clients against a stand-in portal on a private session bus: screenshots, the
// screen-cast session with its restore token and pointer mode, global shortcuts, and what the
// user is told when the desktop says no, closes the session or has no portal at all.
#include "CPortalStandIn.h"
#include "portal/CPortalDisplayServer.h"
#include "portal/CPortalGlobalKeys.h"
#include "portal/CPortalRequest.h"
#include "portal/CPortalScreenCast.h"
#include "portal/CPortalScreenshot.h"
#include "portal/CSessionType.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

void Settle(int ms = 100) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(SessionType, WaylandByEitherVariable) {
    struct Case {
        const char* waylandDisplay;
        const char* sessionType;
        bool wayland;
    } cases[] = {{"", "", false},           {"wayland-0", "", true}, {"", "wayland", true},
                 {"", "x11", false},        {"", "Wayland", true},   {"wayland-1", "x11", true}};
    for (const Case& c : cases) {
        QProcessEnvironment env;
        if (*c.waylandDisplay)
            env.insert("WAYLAND_DISPLAY", c.waylandDisplay);
        if (*c.sessionType)
            env.insert("XDG_SESSION_TYPE", c.sessionType);
        EXPECT_EQ(CSessionType::IsWayland(env), c.wayland)
            << c.waylandDisplay << " / " << c.sessionType;
    }
}

class PortalScreenshot : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(portal.client.isConnected()) << "no private session bus";
        portal.screenshot = QImage(400, 200, QImage::Format_RGB32);
        portal.screenshot.fill(QColor(0, 200, 0));
        portal.screenshot.setPixel(300, 150, qRgb(255, 0, 0));
        portal.screenshotPath = folder.filePath("Screenshot.png");
    }
    QTemporaryDir folder;
    CPortalStandIn portal;
};

TEST_F(PortalScreenshot, ReadsTheDesktopsPictureAndRemovesTheFileItWrote) {
    CPortalScreenshot screenshot(portal.client, 5000);
    QString why;
    const QImage picture = screenshot.Take(0x2a00007, &why);
    ASSERT_FALSE(picture.isNull()) << why.toStdString();
    EXPECT_TRUE(why.isEmpty());
    EXPECT_EQ(picture.size(), QSize(400, 200));
    EXPECT_EQ(picture.pixel(300, 150), qRgb(255, 0, 0));
    // Never interactive, owned by the toolbar's X window.
    EXPECT_EQ(portal.arguments["Screenshot"].value(0).toString(), "x11:2a00007");
    EXPECT_EQ(portal.options["Screenshot"].value("interactive").toBool(), false);
    EXPECT_FALSE(QFile::exists(portal.screenshotPath));
}

TEST_F(PortalScreenshot, KeepsAFileThatWasThereBeforeTheCall) {
    // A back end that always writes the same file (sway's writes /tmp/out.png) overwrites
    // whatever was there: that file is not the program's to remove.
    portal.screenshot.save(portal.screenshotPath, "PNG");
    QThread::msleep(300);
    CPortalScreenshot screenshot(portal.client, 5000);
    QString why;
    // Written in place, as such a back end does: the file keeps its birth time.
    ASSERT_FALSE(screenshot.Take(0, &why).isNull()) << why.toStdString();
    EXPECT_TRUE(QFile::exists(portal.screenshotPath));
}

TEST_F(PortalScreenshot, FailuresGiveNoPictureAndSayWhy) {
    struct Case {
        const char* name;
        int response; // -1: the portal never answers
        uint version; // 0: the portal lacks the interface
        const char* says;
    } cases[] = {
        {"denied", 1, 2, "SetPermission screenshot true screenshot"},
        {"failed", 2, 2, "could not take the screenshot"},
        {"no answer", -1, 2, "did not answer"},
        {"no interface", 0, 0, "xdg-desktop-portal"},
    };
    for (const Case& c : cases) {
        portal.responses["Screenshot"] = c.response;
        portal.versions["org.freedesktop.portal.Screenshot"] = c.version;
        CPortalScreenshot screenshot(portal.client, 500);
        QString why;
        EXPECT_TRUE(screenshot.Take(0, &why).isNull()) << c.name;
        EXPECT_TRUE(why.contains(c.says)) << c.name << ": " << why.toStdString();
    }
}

// The program stays live while the desktop answers late: events are handled meanwhile (a timer
// fires), the waiting is told, and a second screenshot asked for then asks the desktop nothing.
TEST_F(PortalScreenshot, StaysLiveWhileTheDesktopAnswersLateAndTakesOneAtATime) {
    portal.delaysMs["Screenshot"] = 600;
    QStringList told;
    CPortalRequest::SetWaitObserver([&](bool waiting) { told << (waiting ? "waits" : "done"); });
    CPortalScreenshot screenshot(portal.client, 5000);
    bool waitingSeen = false;
    QString secondWhy;
    QImage second;
    QTimer::singleShot(150, [&] {
        waitingSeen = CPortalRequest::IsWaiting();
        second = screenshot.Take(0, &secondWhy);
    });
    QElapsedTimer took;
    took.start();
    QString why;
    const QImage picture = screenshot.Take(0, &why);
    CPortalRequest::SetWaitObserver(nullptr);
    EXPECT_FALSE(picture.isNull()) << why.toStdString();
    EXPECT_GE(took.elapsed(), 500);
    EXPECT_TRUE(waitingSeen);
    EXPECT_TRUE(second.isNull());
    EXPECT_TRUE(secondWhy.contains("not answered the last screenshot")) << secondWhy.toStdString();
    EXPECT_EQ(portal.calls.count("Screenshot"), 1);
    EXPECT_EQ(told, QStringList({"waits", "done"}));
    EXPECT_FALSE(CPortalRequest::IsWaiting());
}

TEST(PortalScreenshotWithoutPortal, NamesWhatIsMissing) {
    CPortalStandIn nobody(false);
    CPortalScreenshot screenshot(nobody.client, 2000);
    QString why;
    EXPECT_TRUE(screenshot.Take(0, &why).isNull());
    EXPECT_TRUE(why.contains("xdg-desktop-portal-gnome")) << why.toStdString();
    EXPECT_TRUE(why.contains("Screenshots")) << why.toStdString();
}

// A display server that records nothing: the portal one delegates windows to it.
class CNullDisplayServer : public IDisplayServer {
public:
    bool IsCompositing() const override { return false; }
    void SetCompositingChangedHandler(std::function<void(bool)>) override {}
    void SetStackingChangedHandler(std::function<void()>) override {}
    void KeepOnTop(const std::vector<WId>&) override {}
    void KeepBelow(WId, WId) override {}
    void SetBoundingShape(WId, const std::optional<QRegion>&) override {}
    void Flush() override {}
    void GiveKeyboardFocus(WId) override {}
    void SyncWithScreen() override {}
    QImage GrabScreen(const QRect&) override { return {}; }
};

TEST_F(PortalScreenshot, TheDisplayServerCutsTheRegionAtThePicturesResolution) {
    // The desktop's picture has twice XWayland's pixels (a scaled desktop): the region keeps
    // the picture's resolution.
    portal.screenshot = QImage(800, 400, QImage::Format_RGB32);
    portal.screenshot.fill(QColor(0, 0, 255));
    for (int y = 100; y < 140; ++y)
        for (int x = 200; x < 260; ++x)
            portal.screenshot.setPixel(x, y, qRgb(255, 255, 0));
    CPortalDisplayServer server(std::make_unique<CNullDisplayServer>(), [] { return 7ul; },
                                std::make_unique<CPortalScreenshot>(portal.client, 5000));
    server.SetScreenSize(QSize(400, 200));
    EXPECT_TRUE(server.IsCompositing()); // the Wayland compositor blends every window
    const QImage part = server.GrabScreen(QRect(100, 50, 30, 20));
    ASSERT_FALSE(part.isNull()) << server.GrabError().toStdString();
    EXPECT_EQ(part.size(), QSize(60, 40));
    EXPECT_EQ(part.pixel(0, 0), qRgb(255, 255, 0));
    EXPECT_EQ(part.pixel(59, 39), qRgb(255, 255, 0));
    EXPECT_EQ(portal.arguments["Screenshot"].value(0).toString(), "x11:7");

    portal.responses["Screenshot"] = 1;
    EXPECT_TRUE(server.GrabScreen(QRect(0, 0, 10, 10)).isNull());
    EXPECT_TRUE(server.GrabError().contains("permission")) << server.GrabError().toStdString();
}

TEST(PortalDisplayServer, MapsScreenRectanglesIntoThePicture) {
    struct Case {
        QRect rect;
        QSize screen;
        QSize picture;
        QRect expected;
    } cases[] = {
        {{0, 0, 1280, 800}, {1280, 800}, {1280, 800}, {0, 0, 1280, 800}},
        {{10, 20, 30, 40}, {1280, 800}, {2560, 1600}, {20, 40, 60, 80}},
        {{1200, 700, 200, 200}, {1280, 800}, {1280, 800}, {1200, 700, 80, 100}},
        {{0, 0, 10, 10}, {0, 0}, {1280, 800}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CPortalDisplayServer::MapToPicture(c.rect, c.screen, c.picture), c.expected)
            << c.rect.x() << "," << c.rect.y();
}

TEST(PortalScreenCast, ChoosesThePointerModeTheDesktopOffers) {
    struct Case {
        uint available;
        bool wantPointer;
        uint mode;
    } cases[] = {
        {7, true, CPortalScreenCast::kCursorEmbedded}, {7, false, CPortalScreenCast::kCursorHidden},
        {1, true, CPortalScreenCast::kCursorHidden},   {2, false, CPortalScreenCast::kCursorEmbedded},
        {4, true, 0},                                  {0, true, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CPortalScreenCast::ChooseCursorMode(c.available, c.wantPointer), c.mode)
            << c.available << " " << c.wantPointer;
}

TEST(PortalScreenCast, KeepsOneMonitorAndHandsTheRestoreTokenOn) {
    CPortalStandIn portal;
    CPortalScreenCast cast(portal.client, 5000);
    CPortalScreenCast::Stream stream;
    QString why;
    ASSERT_TRUE(cast.Start(true, "token-1", &stream, &why)) << why.toStdString();
    const QVariantMap select = portal.options["SelectSources"];
    EXPECT_EQ(select.value("types").toUInt(), 1u);
    EXPECT_EQ(select.value("multiple").toBool(), false);
    EXPECT_EQ(select.value("persist_mode").toUInt(), 2u);
    EXPECT_EQ(select.value("restore_token").toString(), "token-1");
    EXPECT_EQ(select.value("cursor_mode").toUInt(), CPortalScreenCast::kCursorEmbedded);
    EXPECT_EQ(stream.node, 42u);
    EXPECT_EQ(stream.size, QSize(1280, 800));
    EXPECT_EQ(stream.restoreToken, "token-2");
    EXPECT_EQ(stream.cursorMode, CPortalScreenCast::kCursorEmbedded);
    EXPECT_GE(stream.fd, 0);
    ::close(stream.fd);

    // No token yet: none is sent, and the pointer falls back to hidden where the desktop
    // cannot draw it.
    portal.availableCursorModes = CPortalScreenCast::kCursorHidden;
    ASSERT_TRUE(cast.Start(true, QString(), &stream, &why)) << why.toStdString();
    EXPECT_FALSE(portal.options["SelectSources"].contains("restore_token"));
    EXPECT_EQ(portal.options["SelectSources"].value("cursor_mode").toUInt(),
              CPortalScreenCast::kCursorHidden);
    EXPECT_EQ(stream.cursorMode, CPortalScreenCast::kCursorHidden);
    ::close(stream.fd);
    // A new start closes the session before.
    EXPECT_EQ(portal.closedSessions.size(), 1);
}

TEST(PortalScreenCast, StartsOneSessionWhileTheDesktopIsAsked) {
    CPortalStandIn portal;
    portal.delaysMs["Start"] = 500; // the user picks the screen
    CPortalScreenCast cast(portal.client, 5000);
    QString secondWhy;
    bool secondStarted = true;
    QTimer::singleShot(200, [&] {
        CPortalScreenCast::Stream other;
        secondStarted = cast.Start(true, QString(), &other, &secondWhy);
    });
    CPortalScreenCast::Stream stream;
    QString why;
    ASSERT_TRUE(cast.Start(true, QString(), &stream, &why)) << why.toStdString();
    ::close(stream.fd);
    EXPECT_FALSE(secondStarted);
    EXPECT_TRUE(secondWhy.contains("not answered")) << secondWhy.toStdString();
    EXPECT_EQ(portal.calls.count("CreateSession"), 1);
    EXPECT_TRUE(cast.IsOpen());
    EXPECT_TRUE(portal.closedSessions.isEmpty());
}

TEST(PortalScreenCast, SaysWhyWhenTheDesktopRefusesAndLeavesNoSessionOpen) {
    struct Case {
        const char* method;
        int response;
        uint version;
        const char* says;
    } cases[] = {
        {"Start", 1, 4, "refused or cancelled"},
        {"SelectSources", 2, 4, "SelectSources failed"},
        {"CreateSession", 1, 4, "refused"},
        {"Start", 0, 0, "xdg-desktop-portal"},
    };
    for (const Case& c : cases) {
        CPortalStandIn portal;
        portal.responses[c.method] = c.response;
        portal.versions["org.freedesktop.portal.ScreenCast"] = c.version;
        CPortalScreenCast cast(portal.client, 2000);
        CPortalScreenCast::Stream stream;
        QString why;
        EXPECT_FALSE(cast.Start(true, QString(), &stream, &why)) << c.method;
        EXPECT_TRUE(why.contains(c.says)) << c.method << ": " << why.toStdString();
        EXPECT_FALSE(cast.IsOpen()) << c.method;
        EXPECT_EQ(stream.fd, -1);
        if (std::string(c.method) != "CreateSession" && c.version) {
            Settle();
            EXPECT_EQ(portal.closedSessions, QStringList{portal.lastSession}) << c.method;
        }
    }
}

TEST(PortalScreenCast, ReportsASessionTheDesktopClosed) {
    CPortalStandIn portal;
    CPortalScreenCast cast(portal.client, 5000);
    int closed = 0;
    QObject::connect(&cast, &CPortalScreenCast::Closed, [&] { ++closed; });
    CPortalScreenCast::Stream stream;
    QString why;
    ASSERT_TRUE(cast.Start(true, QString(), &stream, &why)) << why.toStdString();
    ::close(stream.fd);
    portal.CloseSessionFromDesktop(portal.lastSession);
    QElapsedTimer timer;
    timer.start();
    while (closed == 0 && timer.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(cast.IsOpen());
}

TEST(PortalGlobalKeys, BindsTheShortcutsByNameAndRunsTheActivatedOne) {
    CPortalStandIn portal;
    portal.boundTriggers = {"Shift+Alt+P", "F6"};
    CPortalGlobalKeys keys(nullptr, portal.client, 5000);
    std::vector<int> pressed;
    keys.SetHotKeyHandler([&](int id) { pressed.push_back(id); });
    EXPECT_TRUE(keys.RegisterNamedHotKey(11, "pen", "Select Pen",
                                         IGlobalKeys::kModShift | IGlobalKeys::kModAlt, 0x50));
    EXPECT_TRUE(keys.RegisterNamedHotKey(12, "toolbar", "Show/Hide Toolbar", 0, 0x75));
    Settle(); // registrations of one turn are bound together
    EXPECT_EQ(portal.calls.count("CreateSession"), 1);
    EXPECT_EQ(portal.calls.count("BindShortcuts"), 1);
    // Plasma 5.27 reads the shortcuts from CreateSession's options.
    QList<CStandInShortcut> offered;
    portal.options["CreateSession"].value("shortcuts").value<QDBusArgument>() >> offered;
    ASSERT_EQ(offered.size(), 2);
    EXPECT_EQ(offered[0].id, "pen");
    EXPECT_EQ(offered[0].properties.value("preferred_trigger").toString(), "ALT+SHIFT+P");
    EXPECT_EQ(offered[0].properties.value("description").toString(), "Select Pen");
    EXPECT_EQ(offered[1].properties.value("preferred_trigger").toString(), "F6");
    EXPECT_EQ(keys.BoundTriggers().at("pen"), "Shift+Alt+P");
    EXPECT_TRUE(keys.DesktopShortcutsNote().contains("Select Pen: Shift+Alt+P"))
        << keys.DesktopShortcutsNote().toStdString();

    portal.Activate(portal.lastSession, "pen");
    portal.Activate("/org/freedesktop/portal/desktop/session/x/other", "toolbar");
    portal.Activate(portal.lastSession, "unknown");
    QElapsedTimer timer;
    timer.start();
    while (pressed.empty() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    Settle(200);
    EXPECT_EQ(pressed, std::vector<int>{11});

    // A changed set is bound in a new session; the old one is closed, and its activations
    // no longer count.
    const QString first = portal.lastSession;
    EXPECT_TRUE(keys.UnregisterHotKey(12));
    Settle();
    EXPECT_EQ(portal.calls.count("CreateSession"), 2);
    EXPECT_TRUE(portal.closedSessions.contains(first));
    portal.Activate(first, "pen");
    portal.Activate(portal.lastSession, "pen");
    timer.restart();
    while (pressed.size() < 2 && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    // Only the activation in the current session counted.
    EXPECT_EQ(pressed, (std::vector<int>{11, 11}));
}

TEST(PortalGlobalKeys, TellsThePreferencesWhenTheDesktopDidNotBind) {
    CPortalStandIn portal;
    portal.responses["BindShortcuts"] = 1;
    CPortalGlobalKeys keys(nullptr, portal.client, 2000);
    keys.RegisterNamedHotKey(3, "save", "Save Screenshot", 0, 0x53);
    keys.BindNow();
    EXPECT_TRUE(keys.DesktopShortcutsNote().contains("declined"))
        << keys.DesktopShortcutsNote().toStdString();
    EXPECT_TRUE(CPortalGlobalKeys::IsOffered(portal.client));
    portal.versions["org.freedesktop.portal.GlobalShortcuts"] = 0;
    EXPECT_FALSE(CPortalGlobalKeys::IsOffered(portal.client));
}

TEST(PortalGlobalKeys, PreferredTriggersInThePortalsNotation) {
    using K = IGlobalKeys;
    struct Case {
        unsigned modifiers, key;
        const char* trigger;
    } cases[] = {{K::kModShift | K::kModAlt, 0x53, "ALT+SHIFT+S"},
                 {0, 0x78, "F9"},
                 {K::kModControl, 0x31, "CTRL+1"},
                 {K::kModControl | K::kModShift, 0x2E, "CTRL+SHIFT+Delete"},
                 {0, 0xBA, ""}};
    for (const Case& c : cases)
        EXPECT_EQ(CPortalGlobalKeys::PreferredTrigger(c.modifiers, c.key), c.trigger) << c.trigger;
}

} // namespace
