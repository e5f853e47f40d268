#include "CDesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

namespace {
const char* const kService = "org.freedesktop.Notifications";
const char* const kPath = "/org/freedesktop/Notifications";
const char* const kInterface = "org.freedesktop.Notifications";
// A notification service that does not answer within this time is taken as absent.
constexpr int kCallTimeoutMs = 3000;
constexpr uchar kUrgencyNormal = 1;
} // namespace

CDesktopNotifier::CDesktopNotifier(QObject* parent) : QObject(parent) {}

bool CDesktopNotifier::Notify(const QString& title, const QString& text, int timeoutMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!m_listening)
        m_listening = bus.connect(kService, kPath, kInterface, "ActionInvoked", this,
                                  SLOT(OnActionInvoked(uint, QString)));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
    QVariantMap hints;
    hints.insert("urgency", QVariant::fromValue(kUrgencyNormal));
    // "default" is the action of a click on the notification itself.
    call << QStringLiteral("Ravlin") << uint(0) << QStringLiteral("dialog-warning") << title << text
         << QStringList{"default", "Customize"} << hints << timeoutMs;
    const QDBusReply<uint> reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (!reply.isValid())
        return false;
    m_lastId = reply.value();
    return true;
}

void CDesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    if (id != 0 && id == m_lastId && (action == "default" || action == "Customize"))
        emit Clicked();
}
