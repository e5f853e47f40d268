#include "CRavlinHotKeys.h"

#include "CHotKeyEdit.h"
#include "HotKeyTable.h"
#include "IGlobalKeys.h"
#include "Trace.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

const CRavlinHotKeys::CRow CRavlinHotKeys::kRows[10] = {
    {"Show/Hide Toolbar", 1002, "toolbar"},
    {"Save Screenshot", 1011, "save"},
    {"Select Pen", 1004, "pen"},
    {"Select Highlighter", 1008, "highlighter"},
    {"Select Text", 1010, "text"},
    {"Select Eraser", 1009, "eraser"},
    {"Select Cursor", 1007, "cursor"},
    {"Clear Page", 1012, "clear"},
    {"Start/Stop Recording", 1003, "record"},
    {"Pause/Resume Recording", 1005, "pause"},
};

namespace {
const char* const kUnavailableTip =
    "This shortcut is in use by another program or another shortcut, so it does not work now.";
}

CRavlinHotKeys::CRavlinHotKeys(HotKeyTable& table, const IGlobalKeys* layout, QWidget* parent)
    : QWidget(parent), m_table(table) {
    setWindowTitle("Keyboard Shortcuts");
    auto* group = new QGroupBox("Keyboard Shortcuts", this);
    auto* grid = new QGridLayout(group);
    grid->setColumnMinimumWidth(1, 200);
    int row = 0;
    for (const CRow& entry : kRows) {
        auto* caption = new QLabel(QString::fromLatin1(entry.label), group);
        auto* edit = new CHotKeyEdit(layout, group);
        edit->setObjectName(QStringLiteral("hotkey%1").arg(entry.controlId));
        edit->setAccessibleName(caption->text());
        caption->setBuddy(edit);
        grid->addWidget(caption, row, 0);
        grid->addWidget(edit, row, 1);
        m_controls[entry.controlId] = edit;
        m_labels[caption->text()] = entry.controlId;
        ++row;
    }
    m_useDefault = new QPushButton("Use Default", group);
    m_useDefault->setObjectName("useDefault");
    m_useDefault->setAccessibleName("Use Default");
    m_useDefault->setAutoDefault(false);
    grid->addWidget(m_useDefault, row, 1, Qt::AlignRight);
    connect(m_useDefault, &QPushButton::clicked, this, [this] { OnUseDefault(); });

    auto* layoutBox = new QVBoxLayout(this);
    // A desktop that owns the global keys (through its portal) changes them in its own
    // settings: say so, with what it bound.
    const QString note = layout ? layout->DesktopShortcutsNote() : QString();
    if (!note.isEmpty()) {
        auto* desktopNote = new QLabel(note, this);
        desktopNote->setObjectName("desktopShortcutsNote");
        desktopNote->setWordWrap(true);
        layoutBox->addWidget(desktopNote);
    }
    layoutBox->addWidget(group);
    UpdateControls();
}

CHotKeyEdit* CRavlinHotKeys::Control(int controlId) const {
    auto it = m_controls.find(controlId);
    return it == m_controls.end() ? nullptr : it->second;
}

CHotKeyEdit* CRavlinHotKeys::ControlFor(const QString& label) const {
    auto it = m_labels.find(label);
    return it == m_labels.end() ? nullptr : Control(it->second);
}

void CRavlinHotKeys::UpdateControls() {
    Trace("Update UI Hotkeys");
    for (const auto& [name, entry] : m_table.Entries()) {
        CHotKeyEdit* edit = Control(entry.controlId);
        if (!edit)
            continue;
        // A combination that could not be had still shows, marked: emptying the box would make
        // a plain OK throw the user's key away for good, while the program holding it may be
        // gone at the next start.
        edit->SetHotKey(entry.code, entry.modifiers);
        const bool unavailable = entry.code != 0 && !entry.valid;
        edit->setToolTip(unavailable ? QString::fromLatin1(kUnavailableTip) : QString());
        edit->setAccessibleDescription(edit->toolTip());
        edit->setStyleSheet(unavailable ? QStringLiteral("QLineEdit { color: #B00020; }")
                                        : QString());
    }
    for (const auto& [name, entry] : m_table.Entries())
        Trace("Check hotkey code%d atom %d valid = %d\n", entry.code, entry.atom, entry.valid);
}

void CRavlinHotKeys::UpdateTable() {
    Trace("Update Hotkeys from UI");
    for (auto& [name, entry] : m_table.Entries()) {
        const CHotKeyEdit* edit = Control(entry.controlId);
        if (!edit)
            continue;
        entry.code = edit->Code();
        entry.modifiers = edit->Modifiers();
        entry.keyText = edit->KeyText();
    }
}

void CRavlinHotKeys::OnUseDefault() {
    m_table.UnregisterHotKeys();
    m_table.BuildDefaultHotKeys();
    m_table.RegisterHotKeys();
    UpdateControls();
}
