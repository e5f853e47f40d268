// One copy per user: the second start reaches the first; a copy that died leaves nothing that
// stops the next start.
#include "CSingleInstance.h"

#include "QtPrinters.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

TEST(SingleInstance, NoUsableFolderMeansFirstStart) {
    QTemporaryDir dir;
    QFile file(dir.path() + "/file");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    CSingleInstance instance(dir.path() + "/file/below");
    EXPECT_FALSE(instance.AnotherInstanceRuns());
}
} // namespace
