#include "CSingleInstance.h"

#include "CUserFolders.h"
#include "CommandNames.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace {
constexpr int kConnectTimeoutMs = 2000;
}

CSingleInstance::CSingleInstance(const QString& folder)
    : m_folder(folder.isEmpty() ? CUserFolders::RuntimeFolder() : folder) {
    if (!m_folder.isEmpty())
        m_socketPath = m_folder + "/" + kName;
}

CSingleInstance::~CSingleInstance() {
    if (m_server)
        m_server->close();
}

bool CSingleInstance::AnotherInstanceRuns(const QByteArray& request) {
    if (m_folder.isEmpty())
        return false;
    m_lock = std::make_unique<QLockFile>(m_folder + "/" + kName + ".lock");
    // A lock whose owner no longer runs is taken over at once.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        Listen();
        return false;
    }
    if (m_lock->error() != QLockFile::LockFailedError) {
        // The folder refused the lock file: run as the first instance.
        m_lock.reset();
        Listen();
        return false;
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
    if (!m_server->listen(m_socketPath))
        return;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine())
                    OnLine(socket->readLine().trimmed());
            });
        }
    });
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
