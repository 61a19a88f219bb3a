#include "platform/desktop/SingleInstance.h"

#include "platform/text/ApplicationTitle.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <algorithm>
#include <iostream>

#include <sys/socket.h>
#include <unistd.h>

namespace zv {

namespace {

const QByteArray ShowRequest = "show\n";
const QByteArray ShownAnswer = "shown\n";
// "message <length>\n" and the message's bytes.
const QByteArray MessageHeading = "message ";
// Before the answer to a message, the running copy may send notes: "note <length>\n" and
// the note's bytes. A start that knows no notes takes the first as no answer.
const QByteArray NoteHeading = "note ";
constexpr qint64 MaxNote = 64 * 1024;
constexpr int MaxNotes = 10000;
constexpr qint64 MaxHeaderLine = 32;
// A running copy answers at once; one that does not is hung, and a second copy must not wait long.
constexpr int ConnectMs = 1000;
constexpr int WriteMs = 1000;
// A stopped copy's socket still takes connections; only the answer tells it is alive.
constexpr int AnswerMs = 2000;
constexpr int LockMs = 5000;

// Only root could have put another user's socket into our folder; it answers for nobody here.
bool peerIsThisUser(qintptr descriptor)
{
    ucred peer{};
    socklen_t size = sizeof(peer);
    return ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}

} // namespace

SingleInstance::SingleInstance(const QString& serverName, RuntimeFolder folder, QObject* parent)
    : QObject(parent),
      m_folder(std::move(folder)),
      m_socketPath(m_folder.exists() ? QDir(m_folder.path()).filePath(serverName) : QString())
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
    const QByteArray hash = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(24);
    return QStringLiteral("zare-vantrel-") + QString::fromLatin1(hash);
}

QByteArray SingleInstance::messageRequest(const QByteArray& message)
{
    if (message.size() > MaxMessage)
        return {};
    return MessageHeading + QByteArray::number(message.size()) + '\n' + message;
}

bool SingleInstance::claim(const QByteArray& request)
{
    if (isRunningCopy())
        return true;
    // Refusing to start would let anyone who spoils the folder keep the user from the program.
    if (m_socketPath.isEmpty())
        return runUnguarded(QStringLiteral("no private folder for its socket: %1").arg(m_folder.problem()));
    // Two starts at the same moment must not both find no answer and both listen.
    QLockFile lock(m_socketPath + QStringLiteral(".lock"));
    // A crashed holder's lock is taken over as stale; past a hung holder, starting beats
    // refusing to start.
    if (!lock.tryLock(LockMs))
        qWarning("single instance: %s stays locked", qPrintable(lock.fileName()));
    // As ever, a listener that takes the request counts as the running copy.
    // A message must not be lost to a copy that took it but never read it.
    m_lastForward = sendRequest(request, !request.isEmpty());
    if (m_lastForward != Forward::NobodyThere)
        return false;
    return listen();
}

SingleInstance::Forward SingleInstance::forwardToRunningCopy(const QByteArray& request)
{
    return sendRequest(request, true);
}

SingleInstance::Forward SingleInstance::sendRequest(const QByteArray& request, bool awaitAnswer)
{
    if (m_socketPath.isEmpty())
        return Forward::NobodyThere;
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(ConnectMs))
        return Forward::NobodyThere; // nobody there, or a socket file whose copy has died
    if (!peerIsThisUser(socket.socketDescriptor()))
        return Forward::NobodyThere;
    socket.write(request.isEmpty() ? ShowRequest : request);
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(WriteMs)) {}
    if (!awaitAnswer) {
        socket.disconnectFromServer();
        if (socket.state() != QLocalSocket::UnconnectedState)
            socket.waitForDisconnected(WriteMs);
        return Forward::Shown;
    }
    const bool shown = readAnswer(socket);
    socket.abort();
    return shown ? Forward::Shown : Forward::NoAnswer;
}

bool SingleInstance::readAnswer(QLocalSocket& socket)
{
    m_lastNotes.clear();
    const auto waitFor = [&socket](qint64 bytes) {
        while (socket.bytesAvailable() < bytes && socket.waitForReadyRead(AnswerMs)) {}
        return socket.bytesAvailable() >= bytes;
    };
    while (m_lastNotes.size() <= MaxNotes) {
        while (!socket.canReadLine() && socket.waitForReadyRead(AnswerMs)) {}
        if (!socket.canReadLine())
            return false;
        const QByteArray line = socket.readLine(MaxHeaderLine + 1);
        if (!line.startsWith(NoteHeading))
            return line == ShownAnswer;
        bool isNumber = false;
        const qint64 length = line.mid(NoteHeading.size()).trimmed().toLongLong(&isNumber);
        if (!isNumber || length < 0 || length > MaxNote || !waitFor(length))
            return false;
        m_lastNotes.append(socket.read(length));
    }
    return false;
}

bool SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody of ours answered: a socket file still there is a crashed copy's or a stranger's.
    QLocalServer::removeServer(m_socketPath);
    if (!m_server->listen(m_socketPath)) {
        const QString reason = QStringLiteral("cannot listen on %1: %2").arg(m_socketPath, m_server->errorString());
        delete m_server;
        m_server = nullptr;
        return runUnguarded(reason);
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return true;
}

bool SingleInstance::runUnguarded(const QString& reason)
{
    std::cerr << ApplicationTitle << " runs without the single-copy guard, so another start in its folder "
              << "runs too: " << reason.toLocal8Bit().constData() << std::endl;
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
    // A dropped socket's buffer is empty, which ends the loop.
    while (socket->canReadLine()) {
        if (socket->peek(MessageHeading.size()) == MessageHeading) {
            if (!readMessage(socket))
                return;
            continue;
        }
        if (socket->readLine(MaxHeaderLine + 1) != ShowRequest)
            return drop(socket, "a request it does not know");
        emit activationRequested();
        socket->write(ShownAnswer);
    }
    // Anything else a stranger sends is dropped, and never piles up.
    if (!socket->canReadLine() && socket->bytesAvailable() > MaxHeaderLine)
        drop(socket, "a request without a line end");
}

bool SingleInstance::readMessage(QLocalSocket* socket)
{
    const QByteArray header = socket->peek(MaxHeaderLine);
    const qsizetype lineEnd = header.indexOf('\n');
    bool isNumber = false;
    const qint64 length = header.mid(MessageHeading.size(), lineEnd - MessageHeading.size()).toLongLong(&isNumber);
    if (lineEnd < 0 || !isNumber || length < 0 || length > MaxMessage) {
        drop(socket, "a message of no readable length, or one too long");
        return false;
    }
    if (socket->bytesAvailable() < lineEnd + 1 + length)
        return false;
    socket->skip(lineEnd + 1);
    const QByteArray message = socket->read(length);
    emit activationRequested();
    emit messageReceived(message);
    if (m_reader)
        for (const QByteArray& note : m_reader(message).mid(0, MaxNotes))
            socket->write(NoteHeading + QByteArray::number(std::min<qint64>(note.size(), MaxNote)) + '\n'
                          + note.left(MaxNote));
    socket->write(ShownAnswer);
    return true;
}

void SingleInstance::drop(QLocalSocket* socket, const char* why)
{
    qWarning("single instance: dropped %s", why);
    socket->abort();
}

} // namespace zv
