#include "CHotKeySettings.h"

#include "HotKeyTable.h"

#include <QSettings>
#include <optional>

namespace {
constexpr quint16 kMaxCode = 254;
constexpr quint16 kMaxModifiers = 0x0F;

// A whole number within [0, max], or nothing. Hand-edited files hold anything; a value that is
// not a key must not become one.
std::optional<quint16> StoredNumber(QSettings& settings, const QString& key, quint16 max) {
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return std::nullopt;
    bool ok = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&ok);
    if (!ok || number < 0 || number > max)
        return std::nullopt;
    return static_cast<quint16>(number);
}
} // namespace

void CHotKeySettings::Load(HotKeyTable& table, QSettings& settings) {
    for (auto& [name, entry] : table.Entries()) {
        if (auto modifiers = StoredNumber(settings, "Modifiers/Modifier_" + name, kMaxModifiers))
            entry.modifiers = *modifiers;
        if (auto code = StoredNumber(settings, "Codes/Code_" + name, kMaxCode))
            entry.code = *code;
        const QVariant text = settings.value("Names/Name_" + name);
        if (text.isValid())
            entry.keyText = text.toString();
    }
}

bool CHotKeySettings::Save(const HotKeyTable& table, QSettings& settings) {
    for (const auto& [name, entry] : table.Entries()) {
        settings.setValue("Modifiers/Modifier_" + name, entry.modifiers);
        settings.setValue("Codes/Code_" + name, entry.code);
        settings.setValue("Names/Name_" + name, entry.keyText);
    }
    settings.sync();
    return settings.status() == QSettings::NoError;
}
