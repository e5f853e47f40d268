#pragma once
// Desktop notifications (org.freedesktop.Notifications on the session bus), where no tray icon
// can show a balloon. A click on a notification we sent is reported by Clicked.
#include <QObject>
#include <QString>

class CDesktopNotifier : public QObject {
    Q_OBJECT
public:
    explicit CDesktopNotifier(QObject* parent = nullptr);

    // False when no notification service answers (no session bus, nobody owns the name).
    bool Notify(const QString& title, const QString& text, int timeoutMs);

signals:
    void Clicked();

private slots:
    void OnActionInvoked(uint id, const QString& action);

private:
    bool m_listening = false;
    uint m_lastId = 0;
};
