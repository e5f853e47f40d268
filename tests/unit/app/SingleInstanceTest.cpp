// One copy per user: the second start reaches the first; a copy that died leaves nothing that
// stops the next start.
#include "CSingleInstance.h"

#include "QtPrinters.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

namespace {
bool SpinUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST(SingleInstance, SecondStartActivatesTheFirstAndCountsAsSecond) {
    QTemporaryDir dir;
    CSingleInstance first(dir.path());
    ASSERT_FALSE(first.AnotherInstanceRuns());
    int activations = 0;
    QStringList commands;
    first.SetActivateHandler([&] { ++activations; });
    first.SetCommandHandler([&](const QString& name) { commands.push_back(name); });

    // The second start blocks briefly on its own socket; the first answers from its event loop,
    // so run the second start's check on the same loop via a nested process of events.
    bool second = false;
    QMetaObject::invokeMethod(
        qApp, [&] { second = CSingleInstance(dir.path()).AnotherInstanceRuns(); },
        Qt::QueuedConnection);
    EXPECT_TRUE(SpinUntil([&] { return activations == 1; }));
    EXPECT_TRUE(second);

    // Only published names run; raw identifiers and anything else are ignored.
    for (const QByteArray& line :
         {CSingleInstance::CommandRequest("pen-red"), QByteArray("Norvane_Ravlin_Command 32775"),
          QByteArray("Norvane_Ravlin_Command nonsense"), QByteArray("Norvane_Ravlin_Command"),
          QByteArray("Norvane_Ravlin_Command exit now"), QByteArray("garbage"),
          CSingleInstance::CommandRequest("copy")})
        EXPECT_TRUE(CSingleInstance::Send(first.SocketPath(), line)) << line.constData();
    EXPECT_TRUE(SpinUntil([&] { return commands.size() == 2; }));
    SpinUntil([] { return false; }); // let the rest arrive, if it were going to
    EXPECT_EQ(commands, QStringList({"pen-red", "copy"}));
}

TEST(SingleInstance, ASecondStartDeliversItsCommandOrSaysItWasNotTaken) {
    QTemporaryDir dir;
    CSingleInstance first(dir.path());
    ASSERT_FALSE(first.AnotherInstanceRuns());
    QStringList commands;
    int activations = 0;
    first.SetActivateHandler([&] { ++activations; });
    first.SetCommandHandler([&](const QString& name) { commands.push_back(name); });

    bool delivered = false;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            CSingleInstance second(dir.path());
            if (second.AnotherInstanceRuns(CSingleInstance::CommandRequest("marker")))
                delivered = second.RequestDelivered();
        },
        Qt::QueuedConnection);
    EXPECT_TRUE(SpinUntil([&] { return !commands.isEmpty(); }));
    EXPECT_TRUE(delivered);
    EXPECT_EQ(commands, QStringList{"marker"});
    EXPECT_EQ(activations, 0);

    // A copy that holds the lock but listens nowhere: the request is lost, and that is said.
    QFile::remove(first.SocketPath());
    CSingleInstance third(dir.path());
    EXPECT_TRUE(third.AnotherInstanceRuns(CSingleInstance::CommandRequest("pen")));
    EXPECT_FALSE(third.RequestDelivered());
}

TEST(SingleInstance, StaleLockAndSocketOfAKilledCopyAreTakenOver) {
    QTemporaryDir dir;
    const QString name = CSingleInstance::kName;
    // What a killed copy leaves: a lock naming a process that no longer runs, and a socket file
    // nobody listens on.
    QFile lock(dir.path() + "/" + name + ".lock");
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("999999\nravlin\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    QFile socket(dir.path() + "/" + name);
    ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
    socket.close();

    CSingleInstance next(dir.path());
    EXPECT_FALSE(next.AnotherInstanceRuns());
    // It listens now: a later start reaches it.
    int activations = 0;
    next.SetActivateHandler([&] { ++activations; });
    EXPECT_TRUE(CSingleInstance::Send(next.SocketPath(), "Norvane_Ravlin_Activate"));
    EXPECT_TRUE(SpinUntil([&] { return activations == 1; }));
}

TEST(SingleInstance, WithoutALockThisStartCannotTellAndDoesNotRun) {
    QTemporaryDir dir;
    QFile file(dir.path() + "/file");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    CSingleInstance instance(dir.path() + "/file/below");
    EXPECT_TRUE(instance.AnotherInstanceRuns());
    EXPECT_FALSE(instance.RequestDelivered());
    EXPECT_TRUE(instance.Problem().contains("Not a directory")) << instance.Problem().toStdString();
}

// Two starts of the program in the same environment, as two processes would be: the first
// listens, the second must reach it. Returns whether the second reached the first.
bool SecondStartReachesTheFirst(const QString& folder = {}) {
    CSingleInstance first(folder);
    if (first.AnotherInstanceRuns() || !first.ListenProblem().isEmpty())
        return false;
    int activations = 0;
    first.SetActivateHandler([&] { ++activations; });
    bool second = false, delivered = false;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            CSingleInstance later(folder);
            second = later.AnotherInstanceRuns();
            delivered = later.RequestDelivered();
        },
        Qt::QueuedConnection);
    return SpinUntil([&] { return activations == 1; }) && second && delivered;
}

class SingleInstanceFolders : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR", "XDG_CACHE_HOME"})
            saved.emplace_back(name, qgetenv(name));
        ASSERT_TRUE(QDir().mkpath(dir.path() + "/tmp"));
        qputenv("TMPDIR", (dir.path() + "/tmp").toUtf8());
        qputenv("XDG_CACHE_HOME", (dir.path() + "/cache").toUtf8());
    }
    void TearDown() override {
        for (const auto& [name, value] : saved)
            qputenv(name, value);
    }
    std::vector<std::pair<const char*, QByteArray>> saved;
    QTemporaryDir dir;
};

TEST_F(SingleInstanceFolders, APlantedOrUnusableFolderStillLeavesOneRunningCopy) {
    const struct {
        const char* what;
        std::function<void()> prepare;
    } cases[] = {
        {"no runtime directory, and someone's link in the shared temporary folder",
         [&] {
             qunsetenv("XDG_RUNTIME_DIR");
             QDir().mkpath(dir.path() + "/theirs");
             QFile::link(dir.path() + "/theirs",
                         dir.path() + QStringLiteral("/tmp/Ravlin-%1").arg(getuid()));
         }},
        {"a runtime directory that is set but does not exist",
         [&] { qputenv("XDG_RUNTIME_DIR", (dir.path() + "/gone").toUtf8()); }},
    };
    for (const auto& c : cases) {
        c.prepare();
        EXPECT_TRUE(SecondStartReachesTheFirst()) << c.what;
        EXPECT_TRUE(QDir(dir.path() + "/theirs").isEmpty()) << c.what;
    }
}

TEST(SingleInstance, ASocketPathTooLongForASocketIsShortenedOrRefusedWithAReason) {
    QTemporaryDir dir;
    const int room = CSingleInstance::kMostSocketPathBytes - static_cast<int>(dir.path().size());
    // Room for "/Ravlin.sock" but not for the full name.
    const QString shortened = dir.path() + "/" + QString(room - 30, 'd');
    ASSERT_TRUE(QDir().mkpath(shortened));
    EXPECT_TRUE(SecondStartReachesTheFirst(shortened));
    EXPECT_EQ(CSingleInstance(shortened).SocketPath(), shortened + "/Ravlin.sock");

    const QString tooLong = dir.path() + "/" + QString(room + 10, 'd');
    ASSERT_TRUE(QDir().mkpath(tooLong));
    CSingleInstance instance(tooLong);
    EXPECT_TRUE(instance.AnotherInstanceRuns());
    EXPECT_FALSE(instance.RequestDelivered());
    EXPECT_TRUE(instance.Problem().contains("longer than the 107 bytes"))
        << instance.Problem().toStdString();
}

TEST(SingleInstance, ARequestLongerThanALineIsCutOffAndTheNextStartStillGetsThrough) {
    QTemporaryDir dir;
    CSingleInstance first(dir.path());
    ASSERT_FALSE(first.AnotherInstanceRuns());
    QStringList commands;
    first.SetCommandHandler([&](const QString& name) { commands.push_back(name); });
    const int most = CSingleInstance::kMostRequestBytes;
    const struct {
        const char* what;
        QByteArray bytes;
        bool dropped;
    } cases[] = {
        {"endless bytes without a line's end", QByteArray(64 * 1024, 'x'), true},
        {"one line too long", QByteArray(most, 'x') + "\n", true},
        {"a line of the most bytes, then a request",
         QByteArray(most - 1, 'x') + "\n" + CSingleInstance::CommandRequest("pen") + "\n", false},
    };
    for (const auto& c : cases) {
        QLocalSocket socket;
        socket.connectToServer(first.SocketPath());
        ASSERT_TRUE(socket.waitForConnected(2000)) << c.what;
        socket.write(c.bytes);
        socket.flush();
        const qsizetype before = commands.size();
        SpinUntil([&] {
            if (socket.state() == QLocalSocket::ConnectedState)
                socket.waitForBytesWritten(10);
            return socket.state() == QLocalSocket::UnconnectedState || commands.size() > before;
        });
        EXPECT_EQ(socket.state() == QLocalSocket::UnconnectedState, c.dropped) << c.what;
    }
    EXPECT_EQ(commands, QStringList{"pen"});
    EXPECT_TRUE(
        CSingleInstance::Send(first.SocketPath(), CSingleInstance::CommandRequest("marker")));
    EXPECT_TRUE(SpinUntil([&] { return commands.size() == 2; }));
}

} // namespace
