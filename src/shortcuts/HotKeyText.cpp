#include "HotKeyText.h"

#include "HotKeyEntry.h"
#include "IGlobalKeys.h"

namespace {
QString KeyName(quint16 code, const IGlobalKeys* layout) {
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
        return QString(QChar(code));
    if (code >= 0x70 && code <= 0x87)
        return QStringLiteral("F%1").arg(code - 0x70 + 1);
    if (code >= 0x60 && code <= 0x69)
        return QStringLiteral("Num %1").arg(code - 0x60);
    switch (code) {
    case 0x08:
        return "Backspace";
    case 0x09:
        return "Tab";
    case 0x0C:
        return "Num 5";
    case 0x0D:
        return "Enter";
    case 0x13:
        return "Pause";
    case 0x14:
        return "Caps Lock";
    case 0x1B:
        return "Esc";
    case 0x20:
        return "Space";
    case 0x21:
        return "Page Up";
    case 0x22:
        return "Page Down";
    case 0x23:
        return "End";
    case 0x24:
        return "Home";
    case 0x25:
        return "Left";
    case 0x26:
        return "Up";
    case 0x27:
        return "Right";
    case 0x28:
        return "Down";
    case 0x2C:
        return "Prnt Scrn";
    case 0x2D:
        return "Insert";
    case 0x2E:
        return "Delete";
    case 0x5D:
        return "Application";
    case 0x6A:
        return "Num *";
    case 0x6B:
        return "Num +";
    case 0x6D:
        return "Num -";
    case 0x6E:
        return "Num Del";
    case 0x6F:
        return "Num /";
    case 0x90:
        return "Num Lock";
    case 0x91:
        return "Scroll Lock";
    default:
        break;
    }
    // Punctuation keys carry what the layout prints on them.
    if (layout) {
        const QString name = layout->LayoutKeyName(code);
        if (!name.isEmpty())
            return name;
    }
    static const std::pair<quint16, const char*> usLayout[] = {
        {0xBA, ";"}, {0xBB, "="}, {0xBC, ","},  {0xBD, "-"}, {0xBE, "."}, {0xBF, "/"},
        {0xC0, "`"}, {0xDB, "["}, {0xDC, "\\"}, {0xDD, "]"}, {0xDE, "'"},
    };
    for (const auto& [vk, text] : usLayout)
        if (vk == code)
            return QString::fromLatin1(text);
    return QStringLiteral("Key %1").arg(code);
}
} // namespace

QString HotKeyText(quint16 code, quint16 modifiers, const IGlobalKeys* layout) {
    if (code == 0)
        return QStringLiteral("None");
    QString text;
    if (modifiers & HOTKEYF_CONTROL)
        text += "Ctrl + ";
    if (modifiers & HOTKEYF_SHIFT)
        text += "Shift + ";
    if (modifiers & HOTKEYF_ALT)
        text += "Alt + ";
    return text + KeyName(code, layout);
}
