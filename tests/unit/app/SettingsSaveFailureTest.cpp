// A settings file that cannot be written at exit: the previous file survives, and the next
// start tells the user once.
#include "CFakeGlobalKeys.h"
#include "CHotKeySettings.h"
#include "CSettingsSaveFailure.h"
#include "HotKeyTable.h"

#include "QtPrinters.h"
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An immutable folder: even root cannot create, rename or remove files in it.
class CImmutableFolder {
public:
    explicit CImmutableFolder(const QString& path) : m_path(path) {
        m_set = QProcess::execute("chattr", {"+i", m_path}) == 0;
    }
    ~CImmutableFolder() {
        if (m_set)
            QProcess::execute("chattr", {"-i", m_path});
    }
    bool IsSet() const { return m_set; }

private:
    QString m_path;
    bool m_set = false;
};

class SettingsSaveFailureTest : public ::testing::Test {
protected:
    SettingsSaveFailureTest() { table.BuildDefaultHotKeys(); }
    QTemporaryDir dir;
    CFakeGlobalKeys keys;
    HotKeyTable table{keys};
};

TEST_F(SettingsSaveFailureTest, AFolderBelowAFileRefusesTheWriteAndSaveSaysSo) {
    QFile file(dir.path() + "/file");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QSettings settings(dir.path() + "/file/Norvane/Ravlin.conf", QSettings::IniFormat);
    EXPECT_FALSE(CHotKeySettings::Save(table, settings));

    QSettings good(dir.path() + "/Norvane/Ravlin.conf", QSettings::IniFormat);
    EXPECT_TRUE(CHotKeySettings::Save(table, good));
}

TEST_F(SettingsSaveFailureTest, AFailedWriteKeepsThePreviousFile) {
    const QString folder = dir.path() + "/Norvane";
    const QString path = folder + "/Ravlin.conf";
    {
        QSettings settings(path, QSettings::IniFormat);
        ASSERT_TRUE(CHotKeySettings::Save(table, settings));
    }
    const QByteArray before = Contents(path);
    ASSERT_FALSE(before.isEmpty());

    CImmutableFolder immutable(folder);
    if (!immutable.IsSet())
        GTEST_SKIP() << "chattr +i needs root and a file system with attributes";
    table["pen"].code = 'Q';
    QSettings settings(path, QSettings::IniFormat);
    EXPECT_FALSE(CHotKeySettings::Save(table, settings));
    EXPECT_EQ(Contents(path), before);
}

TEST_F(SettingsSaveFailureTest, TheNextStartTellsOnceWithThePath) {
    const CSettingsSaveFailure failure(dir.path() + "/data/Norvane/Ravlin");
    EXPECT_FALSE(failure.Take()) << "nothing failed yet";
    failure.Remember("/home/user/.config/Norvane/Ravlin.conf");
    const std::optional<QString> message = failure.Take();
    ASSERT_TRUE(message);
    EXPECT_TRUE(message->contains("/home/user/.config/Norvane/Ravlin.conf"))
        << message->toStdString();
    EXPECT_TRUE(message->contains("could not save")) << message->toStdString();
    EXPECT_FALSE(failure.Take()) << "told twice";
}

TEST_F(SettingsSaveFailureTest, ANoteThatCannotBeWrittenIsNoCrash) {
    QFile file(dir.path() + "/file");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const CSettingsSaveFailure failure(dir.path() + "/file/below");
    failure.Remember("/somewhere/Ravlin.conf");
    EXPECT_FALSE(failure.Take());
}
} // namespace
