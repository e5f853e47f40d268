#include "CPortalGlobalKeys.h"

#include "CPortalRequest.h"
#include "Trace.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QList>
#include <QTimer>

namespace {
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// One shortcut as the portal passes them: (sa{sv}).
struct CPortalShortcut {
    QString id;
    QVariantMap properties;
};
} // namespace

Q_DECLARE_METATYPE(CPortalShortcut)

namespace {
QDBusArgument& operator<<(QDBusArgument& out, const CPortalShortcut& shortcut) {
    out.beginStructure();
    out << shortcut.id << shortcut.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, CPortalShortcut& shortcut) {
    in.beginStructure();
    in >> shortcut.id >> shortcut.properties;
    in.endStructure();
    return in;
}

void RegisterTypes() {
    static const bool registered = [] {
        // QtDBus connects a signal to a slot only once every type of the slot is known; the
        // object path of Activated would be unknown until something else used one.
        qRegisterMetaType<QDBusObjectPath>();
        qDBusRegisterMetaType<CPortalShortcut>();
        qDBusRegisterMetaType<QList<CPortalShortcut>>();
        return true;
    }();
    (void)registered;
}

QList<CPortalShortcut> ReadShortcuts(const QVariant& value) {
    QList<CPortalShortcut> list;
    if (value.canConvert<QDBusArgument>())
        value.value<QDBusArgument>() >> list;
    return list;
}

QString SessionPath(const QVariant& handle) {
    return handle.userType() == qMetaTypeId<QDBusObjectPath>()
               ? handle.value<QDBusObjectPath>().path()
               : handle.toString();
}
} // namespace

CPortalGlobalKeys::CPortalGlobalKeys(const IGlobalKeys* layout, QDBusConnection bus,
                                     int timeoutMs)
    : m_layout(layout), m_bus(std::move(bus)), m_timeoutMs(timeoutMs) {
    RegisterTypes();
    m_bus.connect(QString::fromLatin1(CPortalRequest::kService),
                  QString::fromLatin1(CPortalRequest::kPath), kInterface,
                  QStringLiteral("Activated"), this,
                  SLOT(OnActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

CPortalGlobalKeys::~CPortalGlobalKeys() {
    CloseSession();
}

bool CPortalGlobalKeys::IsOffered(const QDBusConnection& bus) {
    return CPortalRequest::InterfaceVersion(bus, kInterface) > 0;
}

QString CPortalGlobalKeys::PreferredTrigger(unsigned modifiers, unsigned virtualKey) {
    QString key;
    if ((virtualKey >= 0x30 && virtualKey <= 0x39) || (virtualKey >= 0x41 && virtualKey <= 0x5A))
        key = QChar(char16_t(virtualKey));
    else if (virtualKey >= 0x70 && virtualKey <= 0x87)
        key = QStringLiteral("F%1").arg(virtualKey - 0x6F);
    else {
        static const std::map<unsigned, const char*> kNames = {
            {0x08, "Backspace"}, {0x09, "Tab"},    {0x0D, "Return"}, {0x13, "Pause"},
            {0x1B, "Escape"},    {0x20, "Space"},  {0x21, "PgUp"},   {0x22, "PgDown"},
            {0x23, "End"},       {0x24, "Home"},   {0x25, "Left"},   {0x26, "Up"},
            {0x27, "Right"},     {0x28, "Down"},   {0x2C, "Print"},  {0x2D, "Insert"},
            {0x2E, "Delete"},
        };
        const auto it = kNames.find(virtualKey);
        if (it == kNames.end())
            return {};
        key = QString::fromLatin1(it->second);
    }
    QString trigger;
    if (modifiers & kModControl)
        trigger += QStringLiteral("CTRL+");
    if (modifiers & kModAlt)
        trigger += QStringLiteral("ALT+");
    if (modifiers & kModShift)
        trigger += QStringLiteral("SHIFT+");
    return trigger + key;
}

bool CPortalGlobalKeys::RegisterHotKey(int id, unsigned modifiers, unsigned virtualKey) {
    return RegisterNamedHotKey(id, QStringLiteral("shortcut%1").arg(id), QString(), modifiers,
                               virtualKey);
}

bool CPortalGlobalKeys::RegisterNamedHotKey(int id, const QString& name,
                                            const QString& description, unsigned modifiers,
                                            unsigned virtualKey) {
    if (id <= 0 || name.isEmpty())
        return false;
    for (const auto& [other, shortcut] : m_shortcuts)
        if (shortcut.id == id && other != name)
            return false;
    m_shortcuts[name] =
        CShortcut{id, description.isEmpty() ? name : description,
                  PreferredTrigger(modifiers, virtualKey)};
    ScheduleBind();
    // The desktop decides which keys it gives; what it bound shows in the Preferences.
    return true;
}

bool CPortalGlobalKeys::UnregisterHotKey(int id) {
    for (auto it = m_shortcuts.begin(); it != m_shortcuts.end(); ++it) {
        if (it->second.id == id) {
            m_shortcuts.erase(it);
            ScheduleBind();
            return true;
        }
    }
    return false;
}

void CPortalGlobalKeys::SetHotKeyHandler(std::function<void(int id)> handler) {
    m_onHotKey = std::move(handler);
}

QString CPortalGlobalKeys::LayoutKeyName(unsigned virtualKey) const {
    return m_layout ? m_layout->LayoutKeyName(virtualKey) : QString();
}

QString CPortalGlobalKeys::DesktopShortcutsNote() const {
    QString note = QStringLiteral(
        "On this desktop the global shortcuts belong to the desktop: change their keys in its "
        "keyboard settings (Ravlin's shortcuts are listed there). The keys below are the ones "
        "Ravlin asks for.");
    if (!m_error.isEmpty())
        return note + QStringLiteral("\nThe desktop did not bind them: %1").arg(m_error);
    QStringList bound;
    for (const auto& [name, trigger] : m_bound) {
        const auto it = m_shortcuts.find(name);
        const QString what = it != m_shortcuts.end() ? it->second.description : name;
        bound << QStringLiteral("%1: %2").arg(what, trigger.isEmpty() ? QStringLiteral("none")
                                                                      : trigger);
    }
    if (!bound.isEmpty())
        note += QStringLiteral("\nBound by the desktop now: ") + bound.join(QStringLiteral("; "));
    return note;
}

void CPortalGlobalKeys::ScheduleBind() {
    if (m_bindScheduled)
        return;
    m_bindScheduled = true;
    QTimer::singleShot(0, this, [this] {
        if (m_bindScheduled)
            BindNow();
    });
}

void CPortalGlobalKeys::CloseSession() {
    if (m_session.isEmpty())
        return;
    m_bus.call(QDBusMessage::createMethodCall(QString::fromLatin1(CPortalRequest::kService),
                                              m_session,
                                              QStringLiteral("org.freedesktop.portal.Session"),
                                              QStringLiteral("Close")),
               QDBus::NoBlock);
    m_session.clear();
}

void CPortalGlobalKeys::BindNow() {
    m_bindScheduled = false;
    m_error.clear();
    m_bound.clear();
    // A session binds its shortcuts once: a changed set gets a new session.
    CloseSession();
    if (m_shortcuts.empty())
        return;
    QList<CPortalShortcut> list;
    for (const auto& [name, shortcut] : m_shortcuts) {
        QVariantMap properties{{QStringLiteral("description"), shortcut.description}};
        if (!shortcut.trigger.isEmpty())
            properties.insert(QStringLiteral("preferred_trigger"), shortcut.trigger);
        list.append(CPortalShortcut{name, properties});
    }
    const QVariant shortcuts = QVariant::fromValue(list);
    // Plasma 5.27 takes the shortcuts from CreateSession's options; later desktops from
    // BindShortcuts. Both get them.
    CPortalRequest::Result result = CPortalRequest::Call(
        m_bus, kInterface, QStringLiteral("CreateSession"), {},
        {{QStringLiteral("session_handle_token"), CPortalRequest::NewToken("ravlinkeys")},
         {QStringLiteral("shortcuts"), shortcuts}},
        m_timeoutMs);
    if (result.outcome != CPortalRequest::EOutcome::Success) {
        m_error = result.outcome == CPortalRequest::EOutcome::NoPortal
                      ? QStringLiteral("the desktop has no global-shortcuts portal")
                      : QStringLiteral("the desktop refused the shortcut session");
        return;
    }
    m_session = SessionPath(result.results.value(QStringLiteral("session_handle")));
    result = CPortalRequest::Call(m_bus, kInterface, QStringLiteral("BindShortcuts"),
                                  {QVariant::fromValue(QDBusObjectPath(m_session)), shortcuts,
                                   QString()},
                                  {}, m_timeoutMs);
    if (result.outcome != CPortalRequest::EOutcome::Success) {
        m_error = result.outcome == CPortalRequest::EOutcome::Cancelled
                      ? QStringLiteral("the user declined the shortcuts")
                      : QStringLiteral("binding the shortcuts failed");
        return;
    }
    Trace("Portal shortcuts bound in %s\n", qPrintable(m_session));
    for (const CPortalShortcut& shortcut :
         ReadShortcuts(result.results.value(QStringLiteral("shortcuts"))))
        m_bound[shortcut.id] =
            shortcut.properties.value(QStringLiteral("trigger_description")).toString();
}

void CPortalGlobalKeys::OnActivated(const QDBusObjectPath& session, const QString& shortcut,
                                    qulonglong, const QVariantMap&) {
    Trace("Portal shortcut %s activated in %s\n", qPrintable(shortcut),
          qPrintable(session.path()));
    // Activations of an older session of ours (or of another program) are not ours.
    if (session.path() != m_session)
        return;
    const auto it = m_shortcuts.find(shortcut);
    if (it != m_shortcuts.end() && m_onHotKey)
        m_onHotKey(it->second.id);
}
