#pragma once
// Global shortcuts through org.freedesktop.portal.GlobalShortcuts, for Wayland desktops that
// offer it (KDE Plasma 5.27 and later, GNOME 48 and later): the desktop owns the keys, the
// program names its shortcuts with their preferred triggers, and the desktop says when one
// was pressed. The user changes the keys in the desktop's own settings.
//
// Registrations made one after the other in the same turn of the event loop are bound
// together, in one session (the portal binds a session's shortcuts once).
//
// User-interface thread only.
#include "IGlobalKeys.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <map>
#include <memory>

class CPortalGlobalKeys : public QObject, public IGlobalKeys {
    Q_OBJECT
public:
    // `layout` names keys for the Preferences (the X11 keys, whose grabs are not used here).
    explicit CPortalGlobalKeys(const IGlobalKeys* layout,
                               QDBusConnection bus = QDBusConnection::sessionBus(),
                               int timeoutMs = kTimeoutMs);
    ~CPortalGlobalKeys() override;

    // Whether the session's portal has the GlobalShortcuts interface.
    static bool IsOffered(const QDBusConnection& bus = QDBusConnection::sessionBus());

    bool RegisterHotKey(int id, unsigned modifiers, unsigned virtualKey) override;
    bool RegisterNamedHotKey(int id, const QString& name, const QString& description,
                             unsigned modifiers, unsigned virtualKey) override;
    bool UnregisterHotKey(int id) override;
    void SetHotKeyHandler(std::function<void(int id)> handler) override;
    QString LayoutKeyName(unsigned virtualKey) const override;
    QString DesktopShortcutsNote() const override;

    // Binds what was registered now, instead of at the next turn of the event loop.
    void BindNow();
    // The triggers the desktop reported for each shortcut's name, after binding.
    const std::map<QString, QString>& BoundTriggers() const { return m_bound; }
    // The preferred trigger in the portal's notation ("SHIFT+ALT+P", "F6"); empty when the key
    // has no name there.
    static QString PreferredTrigger(unsigned modifiers, unsigned virtualKey);
    // Why the last binding failed (empty when it worked).
    QString LastError() const { return m_error; }

    static constexpr int kTimeoutMs = 30000;

private slots:
    void OnActivated(const QDBusObjectPath& session, const QString& shortcut, qulonglong timestamp,
                     const QVariantMap& options);

private:
    struct CShortcut {
        int id = 0;
        QString description;
        QString trigger;
    };
    void ScheduleBind();
    void CloseSession();

    const IGlobalKeys* m_layout;
    QDBusConnection m_bus;
    int m_timeoutMs;
    std::map<QString, CShortcut> m_shortcuts; // by name
    std::map<QString, QString> m_bound;       // name -> trigger the desktop shows
    QString m_session;
    QString m_error;
    bool m_bindScheduled = false;
    std::function<void(int)> m_onHotKey;
};
