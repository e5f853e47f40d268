#pragma once
// The box that takes one key combination on the Preferences page: press the keys and it shows
// their name ("Ctrl + Shift + P"). It keeps what the shortcut table stores: the virtual-key
// code and the HOTKEYF_* flags. Backspace alone empties it; Tab, Esc and Enter keep their usual
// meaning in the dialog.
#include <QLineEdit>

class IGlobalKeys;

class CHotKeyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CHotKeyEdit(const IGlobalKeys* layout = nullptr, QWidget* parent = nullptr);

    // Code 0 with no flags empties the box.
    void SetHotKey(quint16 code, quint16 modifiers);
    quint16 Code() const { return m_code; }
    quint16 Modifiers() const { return m_modifiers; }
    // The name of the combination, empty when the box is empty.
    QString KeyText() const;

    // The virtual-key code of a Qt key (0 when it has none) and whether it is one of the keys
    // the stored format marks as extended (arrows, Insert, Delete, Home, End, Page Up/Down).
    static quint16 VirtualKeyOf(int qtKey, bool keypad);
    static bool IsExtendedKey(quint16 code);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowText();

    const IGlobalKeys* m_layout;
    quint16 m_code = 0;
    quint16 m_modifiers = 0;
};
