// The trace log: what reaches the file, when it is emptied, and that a missing folder costs
// nothing but the log.
#include "RavlinTraceListener.h"
#include "Trace.h"

#include "QtPrinters.h"
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(TraceLog, StartsWithTheStartLineAndKeepsTextsInOrder) {
    QTemporaryDir dir;
    RavlinTraceListener listener(dir.path());
    Trace("LoadToolbar");
    Trace("Creating toolbar %d x %d\n", 640, 48);
    // Flushed after every text: readable while the listener is still open.
    EXPECT_EQ(ReadAll(dir.path() + "/Ravlin.log"),
              "Ravlin Tracing Start\nLoadToolbarCreating toolbar 640 x 48\n");
}

TEST(TraceLog, PercentSignsInArgumentsReachTheFileUnchanged) {
    QTemporaryDir dir;
    RavlinTraceListener listener(dir.path());
    Trace("File not found %s\n", "C:/100%/%s%d.xml");
    EXPECT_EQ(ReadAll(dir.path() + "/Ravlin.log"),
              "Ravlin Tracing Start\nFile not found C:/100%/%s%d.xml\n");
}

TEST(TraceLog, EachStartEmptiesTheFile) {
    QTemporaryDir dir;
    {
        RavlinTraceListener first(dir.path());
        Trace("first run\n");
    }
    RavlinTraceListener second(dir.path());
    Trace("second run\n");
    EXPECT_EQ(ReadAll(dir.path() + "/Ravlin.log"), "Ravlin Tracing Start\nsecond run\n");
}

TEST(TraceLog, NothingReachesAListenerAfterItIsGone) {
    QTemporaryDir dir;
    { RavlinTraceListener listener(dir.path()); }
    Trace("after\n"); // must not touch freed memory (ASan builds catch it)
    EXPECT_EQ(ReadAll(dir.path() + "/Ravlin.log"), "Ravlin Tracing Start\n");
}

TEST(TraceLog, UnwritableFolderMeansNoLogAndNoFailure) {
    QTemporaryDir dir;
    // Tests run as root: a folder below a regular file cannot be made by anyone.
    QFile blocker(dir.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RavlinTraceListener listener(dir.path() + "/file/sub");
    EXPECT_FALSE(listener.IsOpen());
    Trace("still fine %d\n", 1);
    EXPECT_FALSE(QFile::exists(dir.path() + "/file/sub/Ravlin.log"));
}

TEST(TraceLog, NeverWritesThroughALinkPlantedAsTheLog) {
    QTemporaryDir dir;
    const QString victim = dir.path() + "/victim";
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("precious");
    file.close();
    ASSERT_TRUE(QFile::link(victim, dir.path() + "/Ravlin.log"));
    RavlinTraceListener listener(dir.path());
    EXPECT_FALSE(listener.IsOpen());
    EXPECT_EQ(ReadAll(victim), "precious");
}
} // namespace
