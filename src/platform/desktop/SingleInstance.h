#pragma once

#include "platform/files/RuntimeFolder.h"

#include <QObject>
#include <QString>

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

    // True when this process is now the running copy, or runs unguarded (said in one line on
    // standard error); false when another copy runs here and has been asked to show its window.
    // A socket left by a copy that crashed, or held by another user, is taken over.
    bool claim();
    // What a start found at the running copy's socket: a copy that came forward, one that
    // took the request but never answered (stopped, frozen), or none at all.
    enum class Forward { Shown, NoAnswer, NobodyThere };
    // Asks the running copy to show its window and waits for its answer, a few seconds at
    // most.
    Forward forwardToRunningCopy();
    // Stops answering later starts, so they become the running copy themselves.
    void release();
    bool isRunningCopy() const;

signals:
    // A later start asked for the window.
    void activationRequested();

private:
    // Without awaitAnswer, a request taken counts as Shown.
    Forward sendShowRequest(bool awaitAnswer);
    bool listen();
    static bool runUnguarded(const QString& reason);
    void acceptConnections();
    void readRequest(QLocalSocket* socket);

    RuntimeFolder m_folder;
    QString m_socketPath; // empty without a folder
    QLocalServer* m_server = nullptr;
};

} // namespace zv
