#pragma once
// One running copy per user. The first start holds a lock and listens on a local socket in the
// user's runtime folder (private to the user); a later start finds the lock taken, sends its
// request over the socket (the activation, or a named command from `ravlin --command`) and ends. A
// lock or socket left behind by a killed instance does not count: the lock knows its owner died,
// and the stale socket is replaced. Without a folder, a lock or a socket path that works, a start
// cannot tell whether it is the first, and it does not run.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;
class QLockFile;

class CSingleInstance : public QObject {
public:
    // Named after the instance guard the program has always used.
    static constexpr const char* kName = "{3A892F37-887B-4ec0-9310-88C357E628E6}";
    static constexpr const char* kActivateMessage = "Norvane_Ravlin_Activate";
    static constexpr const char* kCommandMessage = "Norvane_Ravlin_Command";

    // The most bytes a request line may take, its newline included; a connection that sends a
    // longer one is dropped.
    static constexpr int kMostRequestBytes = 4096;
    // The most bytes a local socket's path may take (sun_path, less its terminating zero).
    static constexpr int kMostSocketPathBytes = 107;

    // `folder` empty: the user's runtime folder.
    explicit CSingleInstance(const QString& folder = {});
    ~CSingleInstance() override;

    // True when this start must not go on: another instance runs and has been sent `request`
    // (see RequestDelivered), or — Problem() then says why — no private folder, lock or socket
    // could be had, so whether another instance runs cannot be known, and running a second
    // copy beside it must not happen. Touches no file but the lock and the socket.
    bool AnotherInstanceRuns(const QByteArray& request = kActivateMessage);
    // Why this start could not tell whether another instance runs; empty when it could.
    QString Problem() const { return m_problem; }
    // Set when this first start could not listen for later starts (they will then say that the
    // running copy did not answer); empty when it listens.
    QString ListenProblem() const { return m_listenProblem; }
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
    void Read(QLocalSocket& socket);
    void OnLine(const QByteArray& line);

    QString m_folder;
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    std::function<void()> m_onActivate;
    std::function<void(const QString&)> m_onCommand;
    bool m_delivered = false;
    QString m_problem;
    QString m_listenProblem;
};
