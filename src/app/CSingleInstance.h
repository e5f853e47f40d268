#pragma once
// One running copy per user. The first start holds a lock and listens on a local socket in the
// user's runtime folder (private to the user); a later start finds the lock taken, sends its
// request over the socket (the activation, or a named command from `ravlin --command`) and ends. A
// lock or socket left behind by a killed instance does not count: the lock knows its owner died,
// and the stale socket is replaced.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QLocalServer;
class QLockFile;

class CSingleInstance : public QObject {
public:
    // Named after the instance guard the program has always used.
    static constexpr const char* kName = "{3A892F37-887B-4ec0-9310-88C357E628E6}";
    static constexpr const char* kActivateMessage = "Norvane_Ravlin_Activate";
    static constexpr const char* kCommandMessage = "Norvane_Ravlin_Command";

    // `folder` empty: the user's runtime folder.
    explicit CSingleInstance(const QString& folder = {});
    ~CSingleInstance() override;

    // True when another instance runs; it has then been sent `request` (see RequestDelivered).
    // Touches no file but the lock and the socket. Without a usable folder this start counts as
    // first.
    bool AnotherInstanceRuns(const QByteArray& request = kActivateMessage);
    // After AnotherInstanceRuns returned true: whether the running copy took the request.
    bool RequestDelivered() const { return m_delivered; }

    // The request line that asks the running copy to run a named command.
    static QByteArray CommandRequest(const QString& name);

    // Requests from later starts.
    void SetActivateHandler(std::function<void()> handler) { m_onActivate = std::move(handler); }
    void SetCommandHandler(std::function<void(const QString&)> handler) {
        m_onCommand = std::move(handler);
    }

    // A request line as another process sent it: the activation request, or a command by its
    // name in the command table. Anything else is nothing.
    struct CRequest {
        bool activate = false;
        QString command;
    };
    static std::optional<CRequest> ParseRequest(const QByteArray& line);

    // Sends one request line to the running instance; false when none answers.
    static bool Send(const QString& socketPath, const QByteArray& line);
    QString SocketPath() const { return m_socketPath; }

private:
    void Listen();
    void OnLine(const QByteArray& line);

    QString m_folder;
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    std::function<void()> m_onActivate;
    std::function<void(const QString&)> m_onCommand;
    bool m_delivered = false;
};
