// The shortcuts in the settings file: written whole at exit, read back at start, and a damaged
// value never becomes a key.
#include "CFakeGlobalKeys.h"
#include "CHotKeySettings.h"
#include "HotKeyTable.h"

#include "QtPrinters.h"
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
class HotKeySettingsTest : public ::testing::Test {
protected:
    HotKeySettingsTest() { table.BuildDefaultHotKeys(); }
    QSettings Settings() const {
        return QSettings(dir.path() + "/Ravlin.conf", QSettings::IniFormat);
    }

    QTemporaryDir dir;
    CFakeGlobalKeys keys;
    HotKeyTable table{keys};
};

TEST_F(HotKeySettingsTest, FirstExitWritesAllThirtyValues) {
    {
        QSettings settings = Settings();
        CHotKeySettings::Save(table, settings);
    }
    QSettings settings = Settings();
    EXPECT_EQ(settings.allKeys().size(), 30);
    EXPECT_EQ(settings.value("Names/Name_toolbar").toString(), "F6");
    EXPECT_EQ(settings.value("Names/Name_pause").toString(), "None");
    EXPECT_EQ(settings.value("Names/Name_pen").toString(), "");
    EXPECT_EQ(settings.value("Codes/Code_pen").toInt(), 80);
    EXPECT_EQ(settings.value("Modifiers/Modifier_pen").toInt(), 5);
    EXPECT_EQ(settings.value("Codes/Code_pause").toInt(), 0x78);
}

TEST_F(HotKeySettingsTest, RoundTripKeepsChangesAndMissingValuesKeepTheDefaults) {
    table["record"].code = 0;
    table["save"].modifiers = 3;
    table["save"].keyText = "Ctrl + Shift + S";
    {
        QSettings settings = Settings();
        CHotKeySettings::Save(table, settings);
        settings.remove("Codes/Code_text");
    }
    CFakeGlobalKeys otherKeys;
    HotKeyTable loaded(otherKeys);
    loaded.BuildDefaultHotKeys();
    loaded["text"].code = 'T';
    QSettings settings = Settings();
    CHotKeySettings::Load(loaded, settings);
    EXPECT_EQ(loaded["record"].code, 0);
    EXPECT_EQ(loaded["save"].modifiers, 3);
    EXPECT_EQ(loaded["save"].keyText, "Ctrl + Shift + S");
    EXPECT_EQ(loaded["text"].code, 'T');

    // At the next start: no shortcut for "record", Ctrl+Shift for "save".
    loaded.RegisterHotKeys();
    EXPECT_EQ(loaded["record"].valid, 0);
    EXPECT_EQ(
        otherKeys.registered.at(loaded["save"].atom),
        (CFakeGlobalKeys::Combination{IGlobalKeys::kModControl | IGlobalKeys::kModShift, 'S'}));
}

TEST_F(HotKeySettingsTest, DamagedValuesCountAsMissing) {
    const struct {
        const char* key;
        const char* stored;
        quint16 code, modifiers; // of "pen" after loading
    } cases[] = {
        {"Codes/Code_pen", "abc", 0x50, 5},
        {"Codes/Code_pen", "255", 0x50, 5},
        {"Codes/Code_pen", "-1", 0x50, 5},
        // Once taken as its low 16 bits, this was a silent 'P'.
        {"Codes/Code_pen", "65616", 0x50, 5},
        {"Codes/Code_pen", "", 0x50, 5},
        {"Codes/Code_pen", "0x51", 0x50, 5},
        {"Codes/Code_pen", "81", 0x51, 5},
        {"Codes/Code_pen", " 81 ", 0x51, 5},
        {"Modifiers/Modifier_pen", "16", 0x50, 5},
        {"Modifiers/Modifier_pen", "shift", 0x50, 5},
        {"Modifiers/Modifier_pen", "15", 0x50, 15},
        {"Modifiers/Modifier_pen", "0", 0x50, 0},
    };
    for (const auto& c : cases) {
        {
            QSettings settings = Settings();
            settings.clear();
            settings.setValue(c.key, c.stored);
        }
        table.BuildDefaultHotKeys();
        QSettings settings = Settings();
        CHotKeySettings::Load(table, settings);
        EXPECT_EQ(table["pen"].code, c.code) << c.key << "=" << c.stored;
        EXPECT_EQ(table["pen"].modifiers, c.modifiers) << c.key << "=" << c.stored;
    }
}
} // namespace
