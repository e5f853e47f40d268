// The Preferences sheet: what its boxes show, what OK, Cancel and "Use Default" do to the
// shortcuts, and the warning about shortcuts that do not work.
#include "CFakeDialogs.h"
#include "CFakeGlobalKeys.h"
#include "CHotKeyEdit.h"
#include "CPreferences.h"
#include "CRavlinHotKeys.h"
#include "CRavlinPropertySheet.h"
#include "HotKeyTable.h"
#include "IFXTraceListener.h"
#include "Trace.h"

#include "QtPrinters.h"
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {
constexpr unsigned kShiftAlt = IGlobalKeys::kModShift | IGlobalKeys::kModAlt;
constexpr unsigned kCtrlShift = IGlobalKeys::kModControl | IGlobalKeys::kModShift;

struct CTraceCapture : IFXTraceListener {
    CTraceCapture() { AddTraceListener(this); }
    ~CTraceCapture() override { RemoveTraceListener(this); }
    void Write(const QString& text) override { texts << text; }
    QStringList texts;
};

class PreferencesTest : public ::testing::Test {
protected:
    PreferencesTest() { table.BuildDefaultHotKeys(); }

    // Opens the sheet; `user` plays the user's part and says whether OK was pressed.
    void Run(std::function<bool(CRavlinPropertySheet&)> user) {
        dialogs.onModal = [&](QDialog& dialog) {
            auto& sheet = dynamic_cast<CRavlinPropertySheet&>(dialog);
            enabledWhileOpen = enabled;
            return user(sheet);
        };
        CPreferences::Run(
            table, enabled, dialogs, nullptr, &keys,
            [this](const QString& title, const QString& text) { balloons << title + "|" + text; });
    }
    static CHotKeyEdit& Box(CRavlinPropertySheet& sheet, const char* label) {
        CHotKeyEdit* edit = sheet.Page().ControlFor(label);
        EXPECT_NE(edit, nullptr) << label;
        return *edit;
    }
    bool Registered(unsigned modifiers, unsigned key) const {
        for (const auto& [id, combination] : keys.registered)
            if (combination == CFakeGlobalKeys::Combination{modifiers, key})
                return true;
        return false;
    }

    CFakeGlobalKeys keys;
    quint32 now = 1000;
    HotKeyTable table{keys, [this] { return now++; }};
    CFakeDialogs dialogs;
    int enabled = 1;
    int enabledWhileOpen = -1;
    QStringList balloons;
};

TEST_F(PreferencesTest, SheetHasTheShortcutsPageAndEveryRowInOrder) {
    CRavlinPropertySheet sheet(table, &keys);
    EXPECT_EQ(sheet.windowTitle(), "Ravlin Preferences");
    EXPECT_EQ(sheet.Pages().width(), 130);
    ASSERT_EQ(sheet.Pages().count(), 1);
    EXPECT_EQ(sheet.Pages().item(0)->text(), "Keyboard Shortcuts");
    // Every row's box is tied to its entry and named after its caption for screen readers.
    for (const auto& row : CRavlinHotKeys::kRows) {
        const CHotKeyEdit* edit = sheet.Page().Control(row.controlId);
        ASSERT_NE(edit, nullptr) << row.label;
        EXPECT_EQ(edit->accessibleName(), row.label);
        EXPECT_EQ(table[row.name].controlId, row.controlId) << row.label;
        EXPECT_EQ(table[row.name].label, row.label);
    }
}

TEST_F(PreferencesTest, TabReachesEveryBoxAndTheUseDefaultButton) {
    CRavlinPropertySheet sheet(table, &keys);
    sheet.show();
    QApplication::setActiveWindow(&sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    sheet.Page().Control(CRavlinHotKeys::kRows[0].controlId)->setFocus();
    QStringList reached;
    for (int i = 0; i < 16; ++i) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        reached << focus->accessibleName();
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    for (const auto& row : CRavlinHotKeys::kRows)
        EXPECT_TRUE(reached.contains(row.label))
            << row.label << " " << reached.join(",").toStdString();
    EXPECT_TRUE(reached.contains("Use Default")) << reached.join(",").toStdString();
}

TEST_F(PreferencesTest, BoxesShowTheShortcutsAndTraceEachEntry) {
    keys.takenByOthers.insert({kShiftAlt, 'S'});
    table.RegisterHotKeys();
    CTraceCapture traces;
    CRavlinPropertySheet sheet(table, &keys);
    EXPECT_EQ(Box(sheet, "Select Pen").text(), "Shift + Alt + P");
    EXPECT_EQ(Box(sheet, "Show/Hide Toolbar").text(), "F6");
    EXPECT_TRUE(Box(sheet, "Select Pen").toolTip().isEmpty());
    // A key another program holds still shows, marked, so that OK does not throw it away.
    EXPECT_EQ(Box(sheet, "Save Screenshot").text(), "Shift + Alt + S");
    EXPECT_FALSE(Box(sheet, "Save Screenshot").toolTip().isEmpty());
    ASSERT_EQ(traces.texts.size(), 11);
    EXPECT_EQ(traces.texts[0], "Update UI Hotkeys");
    const HotKeyEntry& clear = table["clear"];
    EXPECT_EQ(
        traces.texts[1],
        QStringLiteral("Check hotkey code%1 atom %2 valid = 1\n").arg(clear.code).arg(clear.atom));
}

TEST_F(PreferencesTest, KeyPressesBecomeCodeFlagsAndName) {
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        quint16 code, flags;
        const char* text;
    } cases[] = {
        {Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier, 0x51, 0x03, "Ctrl + Shift + Q"},
        {Qt::Key_F6, Qt::NoModifier, 0x75, 0, "F6"},
        // Shift turns the key into another character; the key itself is stored.
        {Qt::Key_Exclam, Qt::ShiftModifier | Qt::AltModifier, 0x31, 0x05, "Shift + Alt + 1"},
        {Qt::Key_Left, Qt::ControlModifier, 0x25, 0x0A, "Ctrl + Left"},
        {Qt::Key_5, Qt::KeypadModifier, 0x65, 0, "Num 5"},
        {Qt::Key_Delete, Qt::NoModifier, 0x2E, 0x08, "Delete"},
        {Qt::Key_Backspace, Qt::NoModifier, 0, 0, ""}, // empties the box
    };
    for (const auto& c : cases) {
        CHotKeyEdit edit(&keys);
        edit.SetHotKey(0x50, 0x05);
        QTest::keyClick(&edit, static_cast<Qt::Key>(c.key), c.modifiers);
        EXPECT_EQ(edit.Code(), c.code) << c.text;
        EXPECT_EQ(edit.Modifiers(), c.flags) << c.text;
        EXPECT_EQ(edit.KeyText(), c.text);
    }
    // A modifier alone changes nothing.
    CHotKeyEdit edit(&keys);
    edit.SetHotKey(0x50, 0x05);
    QTest::keyClick(&edit, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(edit.KeyText(), "Shift + Alt + P");
}

TEST_F(PreferencesTest, SameNewCombinationForPenAndSaveKeepsPenAndReportsSave) {
    table.RegisterHotKeys();
    Run([](CRavlinPropertySheet& sheet) {
        QTest::keyClick(&Box(sheet, "Select Pen"), Qt::Key_Q,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(&Box(sheet, "Save Screenshot"), Qt::Key_Q,
                        Qt::ControlModifier | Qt::ShiftModifier);
        return true;
    });
    EXPECT_NE(table["pen"].valid, 0);
    EXPECT_EQ(table["save"].valid, 0);
    EXPECT_EQ(table["save"].keyText, "Ctrl + Shift + Q");
    EXPECT_TRUE(Registered(kCtrlShift, 'Q'));
    EXPECT_FALSE(Registered(kShiftAlt, 'P'));
    ASSERT_EQ(balloons.size(), 1);
    EXPECT_EQ(balloons[0], "Keyboard shortcut(s) Unavailable|The Following keyboard shortcuts "
                           "are not available:\n\nSave Screenshot:Ctrl + Shift + Q\n\nClick to "
                           "customize...");
    EXPECT_EQ(enabledWhileOpen, 0);
    EXPECT_EQ(enabled, 1);
}

TEST_F(PreferencesTest, UseDefaultTakesEffectAtOnceAndCancelKeepsIt) {
    table["pen"].code = 'X';
    table["pen"].modifiers = 0x03;
    table.RegisterHotKeys();
    ASSERT_TRUE(Registered(kCtrlShift, 'X'));
    Run([this](CRavlinPropertySheet& sheet) {
        QTest::keyClick(&Box(sheet, "Select Pen"), Qt::Key_Y, Qt::ControlModifier);
        sheet.Page().UseDefaultButton()->click();
        EXPECT_TRUE(Registered(kShiftAlt, 'P')); // before the sheet has closed
        EXPECT_EQ(Box(sheet, "Select Pen").text(), "Shift + Alt + P");
        return false;
    });
    EXPECT_TRUE(Registered(kShiftAlt, 'P'));
    EXPECT_FALSE(Registered(kCtrlShift, 'X'));
    EXPECT_EQ(table["pen"].code, 'P');
    EXPECT_EQ(keys.registered.size(), 10u);
    EXPECT_TRUE(balloons.isEmpty());
}

TEST_F(PreferencesTest, WhenTheSheetClosesTheWarningNamesEveryShortcutThatDoesNotWork) {
    // Start-up registers silently; the first closing of the sheet tells, whatever the button.
    const struct {
        const char* what;
        bool takeSave;
        bool confirm;
        const char* balloon; // empty: none
    } cases[] = {
        {"all registered, Cancel", false, false, ""},
        {"all registered, OK", false, true, ""},
        {"save held elsewhere, Cancel", true, false, "\nSave Screenshot:"},
        // OK keeps the box's combination (it still shows) and names it from then on.
        {"save held elsewhere, OK", true, true, "\nSave Screenshot:Shift + Alt + S"},
    };
    for (const auto& c : cases) {
        keys.registered.clear();
        keys.takenByOthers.clear();
        if (c.takeSave)
            keys.takenByOthers.insert({kShiftAlt, 'S'});
        table.UnregisterHotKeys();
        table.BuildDefaultHotKeys();
        table.RegisterHotKeys();
        balloons.clear();
        Run([&c](CRavlinPropertySheet&) { return c.confirm; });
        if (QString(c.balloon).isEmpty()) {
            EXPECT_TRUE(balloons.isEmpty()) << c.what;
            continue;
        }
        ASSERT_EQ(balloons.size(), 1) << c.what;
        EXPECT_EQ(balloons[0], QStringLiteral("Keyboard shortcut(s) Unavailable|The Following "
                                              "keyboard shortcuts are not available:\n%1\n\n"
                                              "Click to customize...")
                                   .arg(c.balloon))
            << c.what;
        EXPECT_EQ(table["save"].code, 'S') << c.what;
    }
}

TEST_F(PreferencesTest, ASecondRequestWhileOpenOpensNoSecondSheet) {
    table.RegisterHotKeys();
    int innerRuns = 0;
    Run([&](CRavlinPropertySheet&) {
        // A click on a warning while the sheet is open.
        CPreferences::Run(table, enabled, dialogs, nullptr, &keys, {});
        innerRuns = dialogs.modalRuns;
        EXPECT_EQ(enabled, 0) << "the shortcuts came back while the sheet is open";
        return false;
    });
    EXPECT_EQ(innerRuns, 1);
    EXPECT_EQ(enabled, 1);
}

TEST_F(PreferencesTest, EmptyingABoxAndConfirmingReleasesItsKey) {
    table.RegisterHotKeys();
    const quint16 oldAtom = table["clear"].atom;
    Run([](CRavlinPropertySheet& sheet) {
        QTest::keyClick(&Box(sheet, "Clear Page"), Qt::Key_Backspace);
        return true;
    });
    EXPECT_EQ(table["clear"].code, 0);
    EXPECT_EQ(table["clear"].modifiers, 0);
    EXPECT_TRUE(table["clear"].keyText.isEmpty());
    EXPECT_FALSE(Registered(kShiftAlt, 'X'));
    EXPECT_TRUE(table.NameOfAtom(oldAtom).isEmpty());
    EXPECT_TRUE(balloons.isEmpty()); // no key, nothing to report
}
} // namespace
