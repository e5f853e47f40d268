// A notification service for the tests: owns org.freedesktop.Notifications on the session bus,
// appends "summary|body" of every Notify call to the file argv[1] (one record, then a line
// "--end--"), and, when the file argv[2] appears, reports a click on the latest notification
// (ActionInvoked with "default") and removes that file. Prints "ready" once it owns the name.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QTimer>
#include <QVariantMap>
#include <cstdio>

class CNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit CNotifications(QString logPath) : m_logPath(std::move(logPath)) {}

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int) {
        QFile log(m_logPath);
        if (log.open(QIODevice::Append)) {
            log.write((summary + "|" + body + "\n--end--\n").toUtf8());
            log.close();
        }
        return ++m_lastId;
    }
    QStringList GetCapabilities() { return {"actions", "body"}; }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
        vendor = "tests";
        version = "1";
        specVersion = "1.2";
        return "e2e-notifications";
    }
    void CloseNotification(uint) {}

public:
    uint LastId() const { return m_lastId; }

private:
    QString m_logPath;
    uint m_lastId = 0;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    QDBusConnection bus = QDBusConnection::sessionBus();
    CNotifications service(QString::fromLocal8Bit(argv[1]));
    if (!bus.registerObject("/org/freedesktop/Notifications", &service,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService("org.freedesktop.Notifications"))
        return 3;
    printf("ready\n");
    fflush(stdout);
    const QString clickPath = QString::fromLocal8Bit(argv[2]);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!QFile::exists(clickPath) || service.LastId() == 0)
            return;
        QFile::remove(clickPath);
        QDBusMessage signal = QDBusMessage::createSignal(
            "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "ActionInvoked");
        signal << service.LastId() << QStringLiteral("default");
        bus.send(signal);
    });
    poll.start(100);
    return app.exec();
}

#include "NotificationStandIn.moc"
