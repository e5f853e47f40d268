#pragma once
// A private session bus with a stand-in for xdg-desktop-portal on it: the Screenshot,
// ScreenCast and GlobalShortcuts interfaces as the portal answers them (a Request object and
// its Response signal), with answers the test sets, and what the program asked recorded.
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QImage>
#include <QProcess>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>
#include <fcntl.h>
#include <map>
#include <unistd.h>

struct CStandInStream {
    uint node = 0;
    QVariantMap properties;
};
struct CStandInPair {
    int a = 0, b = 0;
};
struct CStandInShortcut {
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(CStandInStream)
Q_DECLARE_METATYPE(CStandInPair)
Q_DECLARE_METATYPE(CStandInShortcut)

inline QDBusArgument& operator<<(QDBusArgument& out, const CStandInStream& s) {
    out.beginStructure();
    out << s.node << s.properties;
    out.endStructure();
    return out;
}
inline const QDBusArgument& operator>>(const QDBusArgument& in, CStandInStream& s) {
    in.beginStructure();
    in >> s.node >> s.properties;
    in.endStructure();
    return in;
}
inline QDBusArgument& operator<<(QDBusArgument& out, const CStandInPair& p) {
    out.beginStructure();
    out << p.a << p.b;
    out.endStructure();
    return out;
}
inline const QDBusArgument& operator>>(const QDBusArgument& in, CStandInPair& p) {
    in.beginStructure();
    in >> p.a >> p.b;
    in.endStructure();
    return in;
}
inline QDBusArgument& operator<<(QDBusArgument& out, const CStandInShortcut& s) {
    out.beginStructure();
    out << s.id << s.properties;
    out.endStructure();
    return out;
}
inline const QDBusArgument& operator>>(const QDBusArgument& in, CStandInShortcut& s) {
    in.beginStructure();
    in >> s.id >> s.properties;
    in.endStructure();
    return in;
}

// One dbus-daemon for the whole test program, started at first use.
class CPrivateBus {
public:
    static CPrivateBus& Instance() {
        static CPrivateBus bus;
        return bus;
    }
    QString Address() const { return m_address; }
    ~CPrivateBus() {
        m_daemon.kill();
        m_daemon.waitForFinished(2000);
    }

private:
    CPrivateBus() {
        // A bus that activates nothing: a real xdg-desktop-portal installed on the machine
        // must not answer in the stand-in's place.
        m_config.open();
        m_config.write("<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                       "<auth>EXTERNAL</auth><policy context=\"default\">"
                       "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                       "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        m_config.flush();
        m_daemon.start("dbus-daemon",
                       {"--config-file=" + m_config.fileName(), "--nofork", "--print-address=1"});
        if (m_daemon.waitForReadyRead(10000))
            m_address = QString::fromLatin1(m_daemon.readLine()).trimmed();
    }
    QTemporaryFile m_config;
    QProcess m_daemon;
    QString m_address;
};

class CPortalStandIn : public QDBusVirtualObject {
public:
    static constexpr const char* kPath = "/org/freedesktop/portal/desktop";

    // Connects a client and the stand-in to the private bus; `serve` false leaves the portal's
    // name unowned (a session without a portal).
    explicit CPortalStandIn(bool serve = true) {
        qDBusRegisterMetaType<CStandInStream>();
        qDBusRegisterMetaType<QList<CStandInStream>>();
        qDBusRegisterMetaType<CStandInPair>();
        qDBusRegisterMetaType<CStandInShortcut>();
        qDBusRegisterMetaType<QList<CStandInShortcut>>();
        static int n = 0;
        const QString address = CPrivateBus::Instance().Address();
        m_clientName = QStringLiteral("client%1").arg(++n);
        m_serviceName = QStringLiteral("service%1").arg(n);
        client = QDBusConnection::connectToBus(address, m_clientName);
        m_service = QDBusConnection::connectToBus(address, m_serviceName);
        if (serve) {
            m_service.registerVirtualObject(kPath, this, QDBusConnection::SubPath);
            m_service.registerService("org.freedesktop.portal.Desktop");
        }
    }
    ~CPortalStandIn() override {
        m_service.unregisterService("org.freedesktop.portal.Desktop");
        m_service.unregisterObject(kPath, QDBusConnection::UnregisterTree);
        QDBusConnection::disconnectFromBus(m_clientName);
        QDBusConnection::disconnectFromBus(m_serviceName);
    }

    // What the test sets.
    std::map<QString, uint> versions = {{"org.freedesktop.portal.Screenshot", 2},
                                        {"org.freedesktop.portal.ScreenCast", 4},
                                        {"org.freedesktop.portal.GlobalShortcuts", 1}};
    uint availableCursorModes = 7;
    // Per method name: the response code; a method missing here answers 0; -1 never answers.
    std::map<QString, int> responses;
    // Per method name: how late the response comes, in milliseconds (the desktop asks the
    // user, or is slow).
    std::map<QString, int> delaysMs;
    QImage screenshot;
    QString screenshotPath;
    QString newRestoreToken = "token-2";
    QSize streamSize{1280, 800};
    QStringList boundTriggers; // trigger_description in BindShortcuts' answer, in order

    // What the program asked.
    std::map<QString, QVariantMap> options; // by method name, the last call's options
    std::map<QString, QVariantList> arguments;
    QStringList closedSessions;
    QStringList calls;
    QString lastSession;

    QDBusConnection client{QStringLiteral("none")};

    void CloseSessionFromDesktop(const QString& session) {
        m_service.send(QDBusMessage::createSignal(session, "org.freedesktop.portal.Session",
                                                  "Closed"));
    }
    void Activate(const QString& session, const QString& shortcut) {
        QDBusMessage signal = QDBusMessage::createSignal(
            kPath, "org.freedesktop.portal.GlobalShortcuts", "Activated");
        signal << QVariant::fromValue(QDBusObjectPath(session)) << shortcut
               << qulonglong(1234) << QVariantMap();
        m_service.send(signal);
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        const QString iface = message.interface();
        if (iface == "org.freedesktop.DBus.Properties" && member == "Get") {
            const QString target = message.arguments().value(0).toString();
            const QString name = message.arguments().value(1).toString();
            const auto it = versions.find(target);
            if (it == versions.end() || it->second == 0) {
                connection.send(message.createErrorReply(QDBusError::UnknownInterface, "none"));
                return true;
            }
            QVariant value = name == "version" ? QVariant(it->second)
                                               : QVariant(availableCursorModes);
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
            return true;
        }
        if (iface == "org.freedesktop.portal.Session" && member == "Close") {
            closedSessions << message.path();
            connection.send(message.createReply());
            return true;
        }
        if (versions.count(iface) == 0 || versions[iface] == 0) {
            connection.send(message.createErrorReply(QDBusError::UnknownMethod, "no " + iface));
            return true;
        }
        calls << member;
        arguments[member] = message.arguments();
        if (member == "OpenPipeWireRemote") {
            const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            connection.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(fd))));
            ::close(fd);
            return true;
        }
        const QVariantMap given = qdbus_cast<QVariantMap>(message.arguments().last());
        options[member] = given;
        QString sender = message.service().mid(1);
        sender.replace('.', '_');
        const QString request = QString("%1/request/%2/%3")
                                    .arg(kPath, sender, given.value("handle_token").toString());
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        const int code = responses.count(member) ? responses[member] : 0;
        if (code < 0)
            return true;
        QVariantMap results;
        if (code == 0)
            results = Results(member, given, message);
        QDBusMessage response =
            QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response");
        response << uint(code) << results;
        const int delay = delaysMs.count(member) ? delaysMs[member] : 0;
        if (delay > 0) {
            QDBusConnection service = m_service;
            QTimer::singleShot(delay, [service, response]() mutable { service.send(response); });
        } else {
            connection.send(response);
        }
        return true;
    }

private:
    QVariantMap Results(const QString& member, const QVariantMap& given,
                        const QDBusMessage& message) {
        QVariantMap results;
        if (member == "Screenshot") {
            screenshot.save(screenshotPath, "PNG");
            results["uri"] = QUrl::fromLocalFile(screenshotPath).toString();
        } else if (member == "CreateSession") {
            lastSession = QString("%1/session/x/%2")
                              .arg(kPath, given.value("session_handle_token").toString());
            results["session_handle"] = lastSession;
        } else if (member == "Start") {
            CStandInStream stream{42, {}};
            stream.properties["size"] =
                QVariant::fromValue(CStandInPair{streamSize.width(), streamSize.height()});
            stream.properties["position"] = QVariant::fromValue(CStandInPair{0, 0});
            results["streams"] = QVariant::fromValue(QList<CStandInStream>{stream});
            if (!newRestoreToken.isEmpty())
                results["restore_token"] = newRestoreToken;
        } else if (member == "BindShortcuts") {
            QList<CStandInShortcut> asked;
            message.arguments().value(1).value<QDBusArgument>() >> asked;
            QList<CStandInShortcut> bound;
            for (int i = 0; i < asked.size(); ++i) {
                CStandInShortcut s{asked[i].id, {}};
                s.properties["description"] = asked[i].properties.value("description");
                s.properties["trigger_description"] = boundTriggers.value(i);
                bound << s;
            }
            results["shortcuts"] = QVariant::fromValue(bound);
        }
        return results;
    }

    QString m_clientName;
    QString m_serviceName;
    QDBusConnection m_service{QStringLiteral("none")};
};
