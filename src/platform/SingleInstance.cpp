#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <unistd.h>

namespace zv {

namespace {

const QByteArray ShowRequest = "show\n";
// A running copy answers at once; one that does not is hung, and a second copy must not wait long.
constexpr int ConnectMs = 1000;
constexpr int WriteMs = 2000;
constexpr int LockMs = 5000;

} // namespace

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), m_serverName(std::move(serverName))
{
}

SingleInstance::~SingleInstance()
{
    release();
}

QString SingleInstance::serverNameFor(const QString& folder)
{
    const QFileInfo info(folder);
    QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QDir::cleanPath(info.absoluteFilePath());
    // Sockets of a plain name share the temporary folder with other users: the user is part of the key.
    const QByteArray key = canonical.toUtf8() + '\0' + QByteArray::number(static_cast<qulonglong>(::getuid()));
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24);
    return QStringLiteral("zare-vantrel-") + QString::fromLatin1(hash);
}

bool SingleInstance::claim()
{
    if (isRunningCopy())
        return true;
    // Two starts at the same moment must not both find no answer and both listen.
    QLockFile lock(QDir(QDir::tempPath()).filePath(m_serverName + QStringLiteral(".lock")));
    // A crashed holder's lock is taken over as stale; past a hung holder, starting beats
    // refusing to start.
    if (!lock.tryLock(LockMs))
        qWarning("single instance: %s stays locked", qPrintable(lock.fileName()));
    if (forwardToRunningCopy())
        return false;
    return listen();
}

bool SingleInstance::forwardToRunningCopy()
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(ConnectMs))
        return false; // nobody there, or a socket file whose copy has died
    socket.write(ShowRequest);
    socket.waitForBytesWritten(WriteMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(WriteMs);
    return true;
}

bool SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answered: a socket file still there was left by a copy that crashed.
    QLocalServer::removeServer(m_serverName);
    if (!m_server->listen(m_serverName)) {
        // No socket to be found by later starts; this copy still runs rather than refusing.
        qWarning("single instance: cannot listen on %s: %s", qPrintable(m_serverName),
                 qPrintable(m_server->errorString()));
        delete m_server;
        m_server = nullptr;
        return true;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return true;
}

void SingleInstance::release()
{
    if (!m_server)
        return;
    m_server->close();
    delete m_server;
    m_server = nullptr;
}

bool SingleInstance::isRunningCopy() const
{
    return m_server != nullptr;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            readRequest(socket);
            socket->deleteLater();
        });
        readRequest(socket); // the request may have arrived with the connection
    }
}

void SingleInstance::readRequest(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        if (socket->readLine() == ShowRequest)
            emit activationRequested();
    }
    // Anything else a stranger sends is dropped, and never piles up.
    if (socket->bytesAvailable() > ShowRequest.size())
        socket->abort();
}

} // namespace zv
