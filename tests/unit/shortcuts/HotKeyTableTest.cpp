// The shortcut table: its order and defaults, and its registration with the display server.
#include "HotKeyTable.h"
#include "CFakeGlobalKeys.h"
#include "IFXTraceListener.h"
#include "Trace.h"

#include "QtPrinters.h"
#include <QStringList>

#include <gtest/gtest.h>

namespace {
constexpr unsigned kShiftAlt = IGlobalKeys::kModShift | IGlobalKeys::kModAlt;

class HotKeyTableTest : public ::testing::Test {
protected:
    HotKeyTableTest() { table.BuildDefaultHotKeys(); }
    QStringList Names() const {
        QStringList names;
        for (const auto& [name, entry] : table.Entries())
            names << name;
        return names;
    }
    CFakeGlobalKeys keys;
    quint32 now = 123456;
    HotKeyTable table{keys, [this] { return now; }};
};

struct CTraceCapture : IFXTraceListener {
    CTraceCapture() { AddTraceListener(this); }
    ~CTraceCapture() override { RemoveTraceListener(this); }
    void Write(const QString& text) override { texts << text; }
    QStringList texts;
};

TEST_F(HotKeyTableTest, WalksInNameOrderWhateverTheOrderOfInsertion) {
    EXPECT_EQ(Names(), (QStringList{"clear", "cursor", "eraser", "highlighter", "pause", "pen",
                                    "record", "save", "text", "toolbar"}));
    // Ordinal, case-sensitive: upper case sorts before lower case.
    table["Zed"];
    EXPECT_EQ(Names().first(), "Zed");
}

TEST_F(HotKeyTableTest, DefaultRows) {
    const struct {
        const char* name;
        quint16 code, modifiers;
        const char* keyText;
        qint32 controlId;
        const char* label; // names the shortcut in the warning about unavailable ones
    } rows[] = {
        {"toolbar", 0x75, 0, "F6", 1002, "Show/Hide Toolbar"},
        {"save", 0x53, 5, "", 1011, "Save Screenshot"},
        {"pen", 0x50, 5, "", 1004, "Select Pen"},
        {"highlighter", 0x48, 5, "", 1008, "Select Highlighter"},
        {"text", 0x54, 5, "", 1010, "Select Text"},
        {"eraser", 0x45, 5, "", 1009, "Select Eraser"},
        {"cursor", 0x43, 5, "", 1007, "Select Cursor"},
        {"clear", 0x58, 5, "", 1012, "Clear Page"},
        {"record", 0x52, 5, "", 1003, "Start/Stop Recording"},
        {"pause", 0x78, 0, "None", 1005, "Pause/Resume Recording"},
    };
    for (const auto& row : rows) {
        const HotKeyEntry& entry = table[row.name];
        EXPECT_EQ(entry.code, row.code) << row.name;
        EXPECT_EQ(entry.modifiers, row.modifiers) << row.name;
        EXPECT_EQ(entry.keyText, QString::fromLatin1(row.keyText)) << row.name;
        EXPECT_EQ(entry.controlId, row.controlId) << row.name;
        EXPECT_EQ(entry.valid, 0) << row.name;
        EXPECT_EQ(entry.atom, 0) << row.name;
        EXPECT_EQ(entry.label, QString::fromLatin1(row.label)) << row.name;
    }
}

TEST_F(HotKeyTableTest, LookupOfAMissingNameInsertsAnEmptyEntry) {
    HotKeyEntry& entry = table["missing"];
    EXPECT_EQ(entry.code, 0);
    EXPECT_TRUE(entry.keyText.isEmpty());
    EXPECT_EQ(table.Entries().size(), 11u);
}

TEST(HotKeyModifiers, TranslateToRegistrationFlags) {
    const struct {
        quint16 flags;
        unsigned registration;
    } cases[] = {
        {0x00, 0},
        {HOTKEYF_SHIFT, IGlobalKeys::kModShift},
        {HOTKEYF_CONTROL, IGlobalKeys::kModControl},
        {HOTKEYF_ALT, IGlobalKeys::kModAlt},
        {HOTKEYF_EXT, 0}, // the extended-key flag is not part of a registration
        {0x03, IGlobalKeys::kModShift | IGlobalKeys::kModControl},
        {0x05, kShiftAlt},
        {0x0F, IGlobalKeys::kModShift | IGlobalKeys::kModControl | IGlobalKeys::kModAlt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HotKeyTable::RegistrationModifiers(c.flags), c.registration) << c.flags;
}

TEST_F(HotKeyTableTest, DefaultsRegisterF6F9AndEightShiftAltKeysUnderFreshIdentifiers) {
    table.RegisterHotKeys();
    std::set<CFakeGlobalKeys::Combination> held;
    for (const auto& [id, combination] : keys.registered)
        held.insert(combination);
    const std::set<CFakeGlobalKeys::Combination> expected = {
        {0, 0x75},        {0, 0x78},        {kShiftAlt, 'S'}, {kShiftAlt, 'P'}, {kShiftAlt, 'H'},
        {kShiftAlt, 'T'}, {kShiftAlt, 'E'}, {kShiftAlt, 'C'}, {kShiftAlt, 'X'}, {kShiftAlt, 'R'},
    };
    EXPECT_EQ(held, expected);
    for (const auto& [name, entry] : table.Entries()) {
        EXPECT_EQ(entry.valid, 1) << name.toStdString();
        EXPECT_EQ(table.Atoms().NameOf(entry.atom), "NorvaneGhostKey" + name + "123456");
    }
}

TEST_F(HotKeyTableTest, EarlierEntryWinsADuplicateAndATakenKeyFailsAlone) {
    table["pen"].code = 'S'; // now the same as "save", which comes later in name order
    keys.takenByOthers.insert({kShiftAlt, 'R'});
    table.RegisterHotKeys();
    EXPECT_EQ(table["pen"].valid, 1);
    EXPECT_EQ(table["save"].valid, 0);
    EXPECT_NE(table["save"].atom, 0) << "it holds an identifier even though the key failed";
    EXPECT_EQ(table["record"].valid, 0);
    EXPECT_EQ(table["text"].valid, 1);
    EXPECT_EQ(keys.registered.size(), 8u);
}

TEST_F(HotKeyTableTest, EntryWithoutAKeyIsNeverRegistered) {
    table["record"].code = 0;
    table.RegisterHotKeys();
    EXPECT_EQ(table["record"].valid, 0);
    EXPECT_EQ(table["record"].atom, 0);
    EXPECT_EQ(keys.registered.size(), 9u);
}

TEST_F(HotKeyTableTest, WithoutAnIdentifierAnEntryStaysUnregistered) {
    CFakeGlobalKeys fewKeys;
    HotKeyTable small(fewKeys);
    small.BuildDefaultHotKeys();
    // Fill the identifier table up to its last three places.
    for (int i = 0; i < 0x4000 - 3; ++i)
        ASSERT_NE(small.Atoms().Add(QString::number(i)), 0);
    small.RegisterHotKeys();
    int registered = 0;
    for (const auto& [name, entry] : small.Entries()) {
        registered += entry.valid;
        EXPECT_EQ(entry.valid != 0, entry.atom != 0) << name.toStdString();
    }
    EXPECT_EQ(registered, 3);
    EXPECT_EQ(fewKeys.registered.size(), 3u);
}

TEST_F(HotKeyTableTest, UpdateReleasesEveryRegistrationWithItsTraceAndRegistersAnew) {
    table.RegisterHotKeys();
    const quint16 oldPen = table["pen"].atom;
    table["clear"].code = 0;
    now = 200;
    CTraceCapture trace;
    table.DoUpdateHotKeys();

    ASSERT_GE(trace.texts.size(), 3);
    EXPECT_EQ(trace.texts[0], "DoUpdateHotKeys");
    // The code traced is the one the entry holds now.
    EXPECT_EQ(trace.texts[1],
              QString("Unregister hotkey code0 atom %1 valid = 1\n").arg(CHotKeyAtoms::kFirst));
    EXPECT_EQ(trace.texts[2], QString("Unregister hotkey %1 res = 1\n").arg(CHotKeyAtoms::kFirst));
    EXPECT_EQ(trace.texts.size(), 1 + 2 * 10);

    EXPECT_NE(table["pen"].atom, oldPen) << "a fresh identifier for each registration";
    EXPECT_EQ(table.NameOfAtom(oldPen), QString());
    EXPECT_EQ(table.Atoms().NameOf(table["pen"].atom), "NorvaneGhostKeypen200");
    EXPECT_EQ(table["clear"].atom, 0);
    EXPECT_EQ(keys.registered.size(), 9u);
}

TEST_F(HotKeyTableTest, DestructionReleasesEveryRegistration) {
    CFakeGlobalKeys other;
    {
        HotKeyTable scoped(other);
        scoped.BuildDefaultHotKeys();
        scoped.RegisterHotKeys();
        EXPECT_EQ(other.registered.size(), 10u);
    }
    EXPECT_TRUE(other.registered.empty());
}
} // namespace
