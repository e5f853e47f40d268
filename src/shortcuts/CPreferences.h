#pragma once
// The Preferences command: runs the sheet with the global shortcuts switched off, applies it
// on OK, and afterwards names every shortcut with a key that does not work, whatever the
// sheet's outcome.
#include <QString>
#include <functional>

class HotKeyTable;
class IDialogs;
class IGlobalKeys;
class QWidget;

class CPreferences {
public:
    using Balloon = std::function<void(const QString& title, const QString& text)>;

    static void Run(HotKeyTable& table, int& hotKeysEnabled, IDialogs& dialogs, QWidget* owner,
                    const IGlobalKeys* layout, const Balloon& balloon);

    // The warning for the shortcuts that have a key and are not registered; empty when none.
    static QString UnavailableNotice(const HotKeyTable& table);
    static constexpr const char* kBalloonTitle = "Keyboard shortcut(s) Unavailable";
};
