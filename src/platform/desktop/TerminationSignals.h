#pragma once

#include "platform/files/FileDescriptor.h"

#include <QObject>

class QSocketNotifier;

namespace zv {

// SIGTERM, SIGINT and SIGHUP turned into a Qt signal on the main thread, so that the program can
// close its window as "Exit" does (and save its list) instead of dying mid-run.
class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

signals:
    void received(int signalNumber);

private:
    void readPending();

    // The self-pipe: the signal handler writes the signal's number, the main loop reads it.
    FileDescriptor m_readEnd;
    FileDescriptor m_writeEnd;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace zv
