#include "CHotKeyEdit.h"

#include "HotKeyEntry.h"
#include "HotKeyText.h"

#include <QKeyEvent>

namespace {
// Keys Qt reports by the character a held Shift gives them (on the US layout, the one the
// stored virtual-key codes are named after): the code of the key itself.
constexpr std::pair<int, quint16> kShiftedKeys[] = {
    {Qt::Key_ParenRight, '0'},  {Qt::Key_Exclam, '1'},      {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},  {Qt::Key_Dollar, '4'},      {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},   {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},   {Qt::Key_Colon, 0xBA},      {Qt::Key_Plus, 0xBB},
    {Qt::Key_Less, 0xBC},       {Qt::Key_Underscore, 0xBD}, {Qt::Key_Greater, 0xBE},
    {Qt::Key_Question, 0xBF},   {Qt::Key_AsciiTilde, 0xC0}, {Qt::Key_BraceLeft, 0xDB},
    {Qt::Key_Bar, 0xDC},        {Qt::Key_BraceRight, 0xDD}, {Qt::Key_QuoteDbl, 0xDE},
};

constexpr std::pair<int, quint16> kKeys[] = {
    {Qt::Key_Backspace, 0x08},   {Qt::Key_Tab, 0x09},        {Qt::Key_Clear, 0x0C},
    {Qt::Key_Return, 0x0D},      {Qt::Key_Enter, 0x0D},      {Qt::Key_Pause, 0x13},
    {Qt::Key_CapsLock, 0x14},    {Qt::Key_Escape, 0x1B},     {Qt::Key_Space, 0x20},
    {Qt::Key_PageUp, 0x21},      {Qt::Key_PageDown, 0x22},   {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},        {Qt::Key_Left, 0x25},       {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},       {Qt::Key_Down, 0x28},       {Qt::Key_Print, 0x2C},
    {Qt::Key_Insert, 0x2D},      {Qt::Key_Delete, 0x2E},     {Qt::Key_Menu, 0x5D},
    {Qt::Key_NumLock, 0x90},     {Qt::Key_ScrollLock, 0x91}, {Qt::Key_Semicolon, 0xBA},
    {Qt::Key_Equal, 0xBB},       {Qt::Key_Comma, 0xBC},      {Qt::Key_Minus, 0xBD},
    {Qt::Key_Period, 0xBE},      {Qt::Key_Slash, 0xBF},      {Qt::Key_QuoteLeft, 0xC0},
    {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_Backslash, 0xDC},  {Qt::Key_BracketRight, 0xDD},
    {Qt::Key_Apostrophe, 0xDE},
};

constexpr std::pair<int, quint16> kKeypadKeys[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},  {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E},   {Qt::Key_Slash, 0x6F}, {Qt::Key_Delete, 0x6E},
};
} // namespace

CHotKeyEdit::CHotKeyEdit(const IGlobalKeys* layout, QWidget* parent)
    : QLineEdit(parent), m_layout(layout) {
    setReadOnly(true);
    // A read-only line edit would hide its cursor and refuse the input method; neither matters
    // here, and it must still take the focus from Tab.
    setFocusPolicy(Qt::StrongFocus);
    ShowText();
}

void CHotKeyEdit::SetHotKey(quint16 code, quint16 modifiers) {
    m_code = code;
    m_modifiers = code ? modifiers : 0;
    ShowText();
}

QString CHotKeyEdit::KeyText() const {
    if (m_code == 0)
        return {};
    return HotKeyText(m_code, m_modifiers, m_layout);
}

void CHotKeyEdit::ShowText() {
    setText(m_code ? KeyText() : QStringLiteral("None"));
}

bool CHotKeyEdit::IsExtendedKey(quint16 code) {
    return (code >= 0x21 && code <= 0x28) || code == 0x2D || code == 0x2E;
}

quint16 CHotKeyEdit::VirtualKeyOf(int qtKey, bool keypad) {
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return static_cast<quint16>(0x60 + (qtKey - Qt::Key_0));
        for (const auto& [key, code] : kKeypadKeys)
            if (key == qtKey)
                return code;
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<quint16>(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<quint16>(0x70 + (qtKey - Qt::Key_F1));
    for (const auto& [key, code] : kKeys)
        if (key == qtKey)
            return code;
    for (const auto& [key, code] : kShiftedKeys)
        if (key == qtKey)
            return code;
    return 0;
}

void CHotKeyEdit::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers held = event->modifiers();
    const bool plain = !(held & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier));
    const int key = event->key();
    // Esc and Enter alone cancel and confirm the dialog, as everywhere else.
    if (plain && (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        event->ignore();
        return;
    }
    event->accept();
    if (plain && key == Qt::Key_Backspace) {
        SetHotKey(0, 0);
        return;
    }
    const quint16 code = VirtualKeyOf(key, held & Qt::KeypadModifier);
    if (code == 0)
        return; // a modifier on its own, or a key the stored format cannot name
    quint16 flags = 0;
    if (held & Qt::ShiftModifier)
        flags |= HOTKEYF_SHIFT;
    if (held & Qt::ControlModifier)
        flags |= HOTKEYF_CONTROL;
    if (held & Qt::AltModifier)
        flags |= HOTKEYF_ALT;
    if (IsExtendedKey(code) && !(held & Qt::KeypadModifier))
        flags |= HOTKEYF_EXT;
    SetHotKey(code, flags);
}
