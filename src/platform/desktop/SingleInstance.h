#pragma once

#include "platform/files/RuntimeFolder.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

namespace zv {

// One running copy per list folder (beside the executable, or a packaged program's data
// folder): a second copy would write its own table over the first's at close. The running copy
// listens on a local socket named after that folder; a later start asks it to come forward
// and ends. The socket
// lives in a folder only this user can enter, so no other user can pose as the running copy.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    // Without a folder the program runs unguarded.
    SingleInstance(const QString& serverName, RuntimeFolder folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // The socket name for a list folder: the same for every spelling of one folder,
    // different for different folders.
    static QString serverNameFor(const QString& folder);

    // The longest message a later start may hand over; a longer one is dropped unread.
    static constexpr qint64 MaxMessage = 4 * 1024 * 1024;

    // The request that hands message (links, for instance) to the running copy, which shows
    // its window and emits messageReceived; empty for a message over MaxMessage.
    static QByteArray messageRequest(const QByteArray& message);

    // True when this process is now the running copy, or runs unguarded (said in one line on
    // standard error); false when another copy runs here and has taken the request (by default
    // to show its window). A socket left by a copy that crashed, or held by another user, is
    // taken over. A request with a message waits for the running copy's answer.
    bool claim(const QByteArray& request = {});
    // What a start found at the running copy's socket: a copy that came forward, one that
    // took the request but never answered (stopped, frozen), or none at all.
    enum class Forward { Shown, NoAnswer, NobodyThere };
    // Asks the running copy to show its window (or hands it the request) and waits for its
    // answer, a few seconds at most.
    Forward forwardToRunningCopy(const QByteArray& request = {});
    // What the last claim that found a running copy heard from it.
    Forward lastForward() const { return m_lastForward; }
    // The notes the running copy sent back before its answer to the last request (links it
    // refused, say), each one line.
    const QList<QByteArray>& lastNotes() const { return m_lastNotes; }
    // The running copy's reading of a message: the notes to send back to its sender.
    using MessageReader = std::function<QList<QByteArray>(const QByteArray& message)>;
    void setMessageReader(MessageReader reader) { m_reader = std::move(reader); }
    // Stops answering later starts, so they become the running copy themselves.
    void release();
    bool isRunningCopy() const;

signals:
    // A later start asked for the window.
    void activationRequested();
    // A later start handed a message over (after activationRequested).
    void messageReceived(const QByteArray& message);

private:
    // Without awaitAnswer, a request taken counts as Shown. An empty request asks for the window.
    Forward sendRequest(const QByteArray& request, bool awaitAnswer);
    bool listen();
    static bool runUnguarded(const QString& reason);
    void acceptConnections();
    void readRequest(QLocalSocket* socket);
    // Takes a whole message request off the socket; false while it is still coming.
    bool readMessage(QLocalSocket* socket);
    void drop(QLocalSocket* socket, const char* why);
    // Reads the notes and the answer; false without an answer in time.
    bool readAnswer(QLocalSocket& socket);

    RuntimeFolder m_folder;
    QString m_socketPath; // empty without a folder
    QLocalServer* m_server = nullptr;
    Forward m_lastForward = Forward::NobodyThere;
    QList<QByteArray> m_lastNotes;
    MessageReader m_reader;
};

} // namespace zv
