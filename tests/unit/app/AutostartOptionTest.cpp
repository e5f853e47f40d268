// `ravlin --autostart on|off` and the entry it leaves in the autostart folder.
#include "RunAutostartOption.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct SResult {
    int code;
    QString out, err;
};

SResult RunOption(const QString& value, const QString& executable = "/usr/bin/ravlin") {
    SResult result;
    QTextStream out(&result.out), err(&result.err);
    result.code = RunAutostartOption(value, executable, out, err);
    return result;
}

QString EntryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/autostart/ravlin.desktop";
}

QByteArray ExecLine() {
    QFile file(EntryPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("Exec="))
            return line.mid(5);
    return {};
}

// Each test in a config folder of its own.
class AutostartOption : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(config.isValid());
        saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", saved); }
    QTemporaryDir config;
    QByteArray saved;
};

} // namespace

TEST_F(AutostartOption, OnWritesAnEntryThatStartsThisExecutableAndOffRemovesIt) {
    const SResult on = RunOption("on");
    EXPECT_EQ(on.code, 0) << on.err.toStdString();
    EXPECT_TRUE(on.out.contains(EntryPath()));
    EXPECT_EQ(ExecLine(), "/usr/bin/ravlin");
    QFile file(EntryPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("[Desktop Entry]\nType=Application\n"));
    file.close();

    EXPECT_EQ(RunOption("on").code, 0); // twice is the same as once
    EXPECT_EQ(RunOption("off").code, 0);
    EXPECT_FALSE(QFile::exists(EntryPath()));
    EXPECT_EQ(RunOption("off").code, 0); // nothing to remove is not a failure
}

// The Exec line must hand the desktop exactly this path as one argument, wherever the package was
// unpacked.
TEST_F(AutostartOption, QuotesAndEscapesThePathForTheExecLine) {
    const struct {
        const char* path;
        const char* exec;
    } rows[] = {
        {"/opt/ravlin/bin/ravlin", "/opt/ravlin/bin/ravlin"},
        {"/home/a b/bin/ravlin", "\"/home/a b/bin/ravlin\""},
        {"/tmp/$x`y\"/ravlin", "\"/tmp/\\\\$x\\\\`y\\\\\"/ravlin\""},
        {"/tmp/back\\slash/ravlin", "\"/tmp/back\\\\\\\\slash/ravlin\""},
        {"/tmp/100%/ravlin", "/tmp/100%%/ravlin"},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(RunOption("on", row.path).code, 0) << row.path;
        EXPECT_EQ(ExecLine(), QByteArray(row.exec)) << row.path;
    }
}

TEST_F(AutostartOption, RefusesWhatItCannotDoAndSaysSo) {
    EXPECT_EQ(RunOption("yes").code, 2);
    EXPECT_EQ(RunOption("").code, 2);
    EXPECT_FALSE(QFile::exists(EntryPath()));

    const SResult newline = RunOption("on", "/tmp/a\nb/ravlin");
    EXPECT_EQ(newline.code, 1);
    EXPECT_FALSE(newline.err.isEmpty());
    EXPECT_FALSE(QFile::exists(EntryPath()));

    // A config folder below a regular file cannot be created, even by root.
    QFile blocker(config.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_CONFIG_HOME", (config.path() + "/file/config").toUtf8());
    const SResult blocked = RunOption("on");
    EXPECT_EQ(blocked.code, 1);
    EXPECT_TRUE(blocked.err.contains("could not")) << blocked.err.toStdString();
    EXPECT_TRUE(blocked.out.isEmpty());
}
