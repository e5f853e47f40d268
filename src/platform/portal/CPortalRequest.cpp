#include "CPortalRequest.h"

#include "CPortalResponse.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <unistd.h>

namespace {
constexpr const char* kRequestInterface = "org.freedesktop.portal.Request";
constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";

int s_waiting = 0;
std::function<void(bool)>& WaitObserver() {
    static std::function<void(bool)> observer;
    return observer;
}

// One wait for the desktop, told to the observer when the first begins and the last ends.
class CWaitScope {
public:
    CWaitScope() {
        if (s_waiting++ == 0 && WaitObserver())
            WaitObserver()(true);
    }
    ~CWaitScope() {
        if (--s_waiting == 0 && WaitObserver())
            WaitObserver()(false);
    }
    CWaitScope(const CWaitScope&) = delete;
    CWaitScope& operator=(const CWaitScope&) = delete;
};

bool IsMissingPortal(const QDBusError& error) {
    // No service to activate, or a portal without this interface or method.
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
    case QDBusError::UnknownObject:
        return true;
    default:
        return false;
    }
}
} // namespace

bool CPortalRequest::IsWaiting() {
    return s_waiting > 0;
}

void CPortalRequest::SetWaitObserver(std::function<void(bool)> observer) {
    WaitObserver() = std::move(observer);
}

QString CPortalRequest::NewToken(const QString& prefix) {
    static std::atomic<unsigned> counter{0};
    // Tokens become parts of object paths: letters, digits and underscores only.
    return QStringLiteral("%1_%2_%3").arg(prefix).arg(getpid()).arg(++counter);
}

QVariant CPortalRequest::Property(const QDBusConnection& bus, const QString& interface,
                                  const QString& name) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), QString::fromLatin1(kPath),
        QString::fromLatin1(kPropertiesInterface), QStringLiteral("Get"));
    get << interface << name;
    const QDBusMessage reply = CallAndWait(bus, get, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

QDBusMessage CPortalRequest::CallAndWait(const QDBusConnection& bus, const QDBusMessage& message,
                                         int timeoutMs) {
    QDBusPendingCallWatcher watcher(bus.asyncCall(message, timeoutMs));
    if (!watcher.isFinished()) {
        CWaitScope waiting;
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(timeoutMs + 500, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::AllEvents);
    }
    if (!watcher.isFinished())
        return message.createErrorReply(QDBusError::Timeout, QStringLiteral("no answer"));
    return watcher.reply();
}

uint CPortalRequest::InterfaceVersion(const QDBusConnection& bus, const QString& interface) {
    if (!bus.isConnected())
        return 0;
    const QVariant version = Property(bus, interface, QStringLiteral("version"));
    return version.isValid() ? version.toUInt() : 0;
}

CPortalRequest::Result CPortalRequest::Call(const QDBusConnection& constBus,
                                            const QString& interface, const QString& method,
                                            const QVariantList& arguments, QVariantMap options,
                                            int timeoutMs, const QString& tokenPrefix) {
    QDBusConnection bus = constBus;
    Result result;
    if (!bus.isConnected()) {
        result.outcome = EOutcome::NoPortal;
        result.error = QStringLiteral("there is no session bus");
        return result;
    }
    const QString token = NewToken(tokenPrefix);
    options.insert(QStringLiteral("handle_token"), token);
    // The request's path is known before the call (the sender's unique name without its colon,
    // dots made underscores): listen there first, or a quick answer would be missed.
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);

    CPortalResponse response;
    QEventLoop loop;
    QObject::connect(&response, &CPortalResponse::Arrived, &loop, &QEventLoop::quit);
    auto listen = [&](const QString& at) {
        return bus.connect(QString::fromLatin1(kService), at, QString::fromLatin1(kRequestInterface),
                           QStringLiteral("Response"), &response,
                           SLOT(OnResponse(uint, QVariantMap)));
    };
    auto stopListening = [&](const QString& at) {
        bus.disconnect(QString::fromLatin1(kService), at, QString::fromLatin1(kRequestInterface),
                       QStringLiteral("Response"), &response, SLOT(OnResponse(uint, QVariantMap)));
    };
    listen(path);

    QDBusMessage message = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), QString::fromLatin1(kPath), interface, method);
    QVariantList all = arguments;
    all << options;
    message.setArguments(all);
    QDBusPendingCallWatcher watcher(bus.asyncCall(message, timeoutMs));
    bool replied = false;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, [&] {
        replied = true;
        if (watcher.isError()) {
            loop.quit();
            return;
        }
        QDBusPendingReply<QDBusObjectPath> reply = watcher;
        const QString handle = reply.argumentAt<0>().path();
        // Portals before version 0.9 chose the path themselves.
        if (!handle.isEmpty() && handle != path) {
            stopListening(path);
            path = handle;
            listen(path);
        }
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(timeoutMs);
    if (!response.received) {
        CWaitScope waiting;
        loop.exec(QEventLoop::AllEvents);
    }
    stopListening(path);

    if (replied && watcher.isError()) {
        const QDBusError error = watcher.error();
        result.outcome = IsMissingPortal(error) ? EOutcome::NoPortal : EOutcome::Error;
        result.error = error.message().isEmpty() ? error.name() : error.message();
        return result;
    }
    if (!response.received) {
        result.outcome = EOutcome::TimedOut;
        // Tell the desktop to drop the request, so no dialog stays behind.
        bus.call(QDBusMessage::createMethodCall(QString::fromLatin1(kService), path,
                                                QString::fromLatin1(kRequestInterface),
                                                QStringLiteral("Close")),
                 QDBus::NoBlock);
        return result;
    }
    result.results = response.results;
    result.outcome = response.code == 0   ? EOutcome::Success
                     : response.code == 1 ? EOutcome::Cancelled
                                          : EOutcome::Failed;
    return result;
}
