#include "CSingleInstance.h"

#include "CUserFolders.h"
#include "CommandNames.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {
constexpr int kConnectTimeoutMs = 2000;
// The socket's name where the folder's path leaves no room for the full one.
constexpr const char* kShortSocketName = "Ravlin.sock";

bool FitsSocketPath(const QString& path) {
    return QFile::encodeName(path).size() <= CSingleInstance::kMostSocketPathBytes;
}
} // namespace

CSingleInstance::CSingleInstance(const QString& folder) {
    QStringList refused;
    m_folder = folder.isEmpty() ? CUserFolders::RuntimeFolder(&refused) : folder;
    if (m_folder.isEmpty()) {
        m_problem = QStringLiteral("no private folder could be had for its lock and socket (%1)")
                        .arg(refused.join(QStringLiteral("; ")));
        return;
    }
    // Every start names the socket by the same rule, so they all find it.
    m_socketPath = m_folder + "/" + kName;
    if (!FitsSocketPath(m_socketPath))
        m_socketPath = m_folder + "/" + kShortSocketName;
    if (!FitsSocketPath(m_socketPath)) {
        m_problem = QStringLiteral("the path of its socket, %1, is longer than the %2 bytes a "
                                   "local socket's path may take")
                        .arg(QDir::toNativeSeparators(m_socketPath))
                        .arg(kMostSocketPathBytes);
        m_socketPath.clear();
    }
}

CSingleInstance::~CSingleInstance() {
    if (m_server)
        m_server->close();
}

bool CSingleInstance::AnotherInstanceRuns(const QByteArray& request) {
    if (!m_problem.isEmpty())
        return true;
    const QString lockPath = m_folder + "/" + kName + ".lock";
    m_lock = std::make_unique<QLockFile>(lockPath);
    // A lock whose owner no longer runs is taken over at once.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        Listen();
        return false;
    }
    if (m_lock->error() != QLockFile::LockFailedError) {
        // Without the lock nothing tells whether a copy runs already.
        const bool reachable = access(QFile::encodeName(m_folder).constData(), W_OK | X_OK) == 0;
        m_problem = QStringLiteral("its lock %1 could not be made: %2")
                        .arg(QDir::toNativeSeparators(lockPath),
                             reachable ? QStringLiteral("the folder could not be written")
                                       : QString::fromLocal8Bit(std::strerror(errno)));
        m_lock.reset();
        return true;
    }
    m_lock.reset();
    m_delivered = Send(m_socketPath, request);
    return true;
}

void CSingleInstance::Listen() {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket file here is a leftover of a killed instance.
    QLocalServer::removeServer(m_socketPath);
    if (!m_server->listen(m_socketPath)) {
        // This copy runs (it holds the lock), but later starts cannot reach it: they will say
        // that it did not answer rather than start beside it.
        m_listenProblem = QStringLiteral("later starts cannot reach this one: %1 (%2)")
                              .arg(m_server->errorString(), QDir::toNativeSeparators(m_socketPath));
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(*socket); });
        }
    });
}

void CSingleInstance::Read(QLocalSocket& socket) {
    // A request is one short line: whatever sends more is no later start of ours, and it must
    // not make us hold an ever larger buffer.
    while (socket.canReadLine()) {
        const QByteArray line = socket.readLine(kMostRequestBytes + 1);
        if (!line.endsWith('\n')) {
            socket.abort();
            return;
        }
        OnLine(line.trimmed());
    }
    if (socket.bytesAvailable() >= kMostRequestBytes)
        socket.abort();
}

QByteArray CSingleInstance::CommandRequest(const QString& name) {
    return QByteArray(kCommandMessage) + ' ' + name.toUtf8();
}

std::optional<CSingleInstance::CRequest> CSingleInstance::ParseRequest(const QByteArray& line) {
    if (line == kActivateMessage)
        return CRequest{true, {}};
    const QList<QByteArray> words = line.split(' ');
    if (words.size() != 2 || words[0] != kCommandMessage)
        return std::nullopt;
    // Only the published names: the socket is no back door to identifiers without a name.
    const QString name = QString::fromUtf8(words[1]);
    if (!CommandNames::Find(name))
        return std::nullopt;
    return CRequest{false, name};
}

void CSingleInstance::OnLine(const QByteArray& line) {
    const std::optional<CRequest> request = ParseRequest(line);
    if (!request)
        return;
    // Requests are posted, never run inside the socket's handler: a handler may open a modal
    // question, and its nested event loop may delete the socket under our feet.
    QMetaObject::invokeMethod(
        this,
        [this, r = *request] {
            if (r.activate && m_onActivate)
                m_onActivate();
            else if (!r.activate && m_onCommand)
                m_onCommand(r.command);
        },
        Qt::QueuedConnection);
}

bool CSingleInstance::Send(const QString& socketPath, const QByteArray& line) {
    if (socketPath.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(line + "\n");
    const bool written = socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return written;
}
