// The room a recording needs on its disk: enough to start, and enough left while it grows for
// its next seconds and the end of the file. The file grows for real; the clock and what the
// disk reports are scripted.
#include "CDiskSpaceWatch.h"

#include "QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
constexpr qint64 kMB = 1 << 20;
}

TEST(DiskSpaceWatchTest, ARecordingRunsOutWhileWhatIsLeftStillHoldsItsNextSecondsAndItsEnd) {
    struct Case {
        const char* name;
        qint64 bytesPerSecond; // how fast the file grows
        qint64 free;           // what the disk reports at the end
        bool runningOut;
    } cases[] = {
        {"a still file with room for its end", 0, kMB + 1, false},
        {"a still file without", 0, kMB - 1, true},
        {"1 MB/s with 4.5 MB left (1 MB + 3 s needed)", kMB, 4 * kMB + kMB / 2, false},
        {"1 MB/s with 3.5 MB left", kMB, 3 * kMB + kMB / 2, true},
        {"a disk that cannot be asked", 5 * kMB, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.path() + "/movie.webm";
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        qint64 nowMs = 0;
        qint64 free = 100 * kMB;
        CDiskSpaceWatch watch(
            path, [&nowMs] { return nowMs; }, [&free](const QString&) { return free; });
        // Two seconds of writing, looked at five times a second; the last look sees the disk
        // as the case has it.
        for (int step = 0; step <= 10; ++step) {
            if (step == 10)
                free = c.free;
            EXPECT_EQ(watch.IsRunningOut(), step == 10 && c.runningOut) << "step " << step;
            file.write(QByteArray(int(c.bytesPerSecond / 5), 'x'));
            file.flush();
            nowMs += 200;
        }
    }
}

TEST(DiskSpaceWatchTest, TheMessagesSayTheDiskIsFullAndWhere) {
    struct Case {
        qint64 free;
        bool room;
        QString cause;
    } cases[] = {
        {CDiskSpaceWatch::kMinimumStartBytes, true, ""},
        {-1, true, ""},
        {CDiskSpaceWatch::kMinimumStartBytes - 1, false,
         "The disk is full: 4.0 MB free in \"/media/talks\"."},
        {300 * 1024, false, "The disk is full: 300 KB free in \"/media/talks\"."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.free);
        QString cause;
        EXPECT_EQ(CDiskSpaceWatch::HasRoomToStart("/media/talks/movie.wmv", &cause, c.free),
                  c.room);
        EXPECT_EQ(cause, c.cause);
    }
    CDiskSpaceWatch watch(
        "/media/talks/movie.wmv", [] { return 0; }, [](const QString&) { return 700 * 1024; });
    EXPECT_TRUE(watch.IsRunningOut());
    EXPECT_EQ(watch.RunningOutText(),
              "The recording stopped: the disk is full (700 KB left in \"/media/talks\").");
}
