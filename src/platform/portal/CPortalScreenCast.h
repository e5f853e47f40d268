#pragma once
// A screen-cast session through org.freedesktop.portal.ScreenCast: one monitor, the pointer
// drawn into the picture where the desktop offers that, and a restore token so that the
// desktop asks the user only once (persist_mode 2). The picture itself then comes from
// PipeWire, through the file descriptor and node this gives.
//
// User-interface thread only; Closed is emitted there too.
#include <QDBusConnection>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>

class CPortalScreenCast : public QObject {
    Q_OBJECT
public:
    static constexpr uint kCursorHidden = 1;
    static constexpr uint kCursorEmbedded = 2;
    static constexpr uint kCursorMetadata = 4;

    struct Stream {
        int fd = -1;      // the PipeWire remote, owned by the caller once returned
        uint node = 0;    // the stream's node on that remote
        QSize size;       // as the desktop states it (may be empty)
        QPoint position;  // the monitor's place in the desktop's layout
        uint cursorMode = kCursorHidden;
        QString restoreToken; // the token to use next time (empty: none given)
    };

    explicit CPortalScreenCast(QDBusConnection bus = QDBusConnection::sessionBus(),
                               int timeoutMs = kTimeoutMs);
    ~CPortalScreenCast() override;

    // The pointer mode to ask for: embedded when the pointer is wanted and the desktop offers
    // it, else hidden when offered (a desktop that offers neither gets what it offers first).
    static uint ChooseCursorMode(uint available, bool wantPointer);

    // Creates the session, selects one monitor and starts it. `restoreToken`: the token of the
    // last start (empty: none). False with the reason for the user; nothing stays open then.
    // The program stays live while the desktop answers; a call made meanwhile asks nothing
    // and fails.
    bool Start(bool wantPointer, const QString& restoreToken, Stream* stream, QString* reason);
    // Closes the session (the desktop stops the stream). Safe to call when none is open.
    void Close();
    bool IsOpen() const { return !m_session.isEmpty(); }

    static constexpr int kTimeoutMs = 60000;

signals:
    // The desktop ended the session (the user stopped the sharing, or the monitor went away).
    void Closed();

private slots:
    void OnSessionClosed();

private:
    bool StartSession(bool wantPointer, const QString& restoreToken, Stream* stream,
                      QString* reason);
    bool Fail(QString* reason, const QString& why);

    QDBusConnection m_bus;
    int m_timeoutMs;
    QString m_session;
    bool m_starting = false;
};
