#pragma once
// The "Keyboard Shortcuts" page of the Preferences: one row per shortcut, a caption and a box
// that takes its key combination. The boxes are tied to the table's entries by `controlId`;
// the page keeps no copy of the table.
#include <QString>
#include <QWidget>
#include <map>

class CHotKeyEdit;
class HotKeyTable;
class IGlobalKeys;
class QPushButton;

class CRavlinHotKeys : public QWidget {
    Q_OBJECT
public:
    struct CRow {
        const char* label;
        int controlId;
        const char* name; // the shortcut's name in the table
    };
    // The rows, top to bottom.
    static const CRow kRows[10];
    static constexpr int kUseDefaultId = 1006;

    CRavlinHotKeys(HotKeyTable& table, const IGlobalKeys* layout, QWidget* parent = nullptr);

    // Table to boxes: every entry's combination into its box.
    void UpdateControls();
    // Boxes to table: code, flags and name of every box into its entry (on OK).
    void UpdateTable();
    // Back to the built-in shortcuts, registered at once, whatever the sheet's outcome.
    void OnUseDefault();

    CHotKeyEdit* Control(int controlId) const;
    CHotKeyEdit* ControlFor(const QString& label) const;
    QPushButton* UseDefaultButton() const { return m_useDefault; }

private:
    HotKeyTable& m_table;
    std::map<int, CHotKeyEdit*> m_controls;
    std::map<QString, int> m_labels;
    QPushButton* m_useDefault = nullptr;
};
