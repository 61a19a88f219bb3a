#include "platform/desktop/TerminationSignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zv {

namespace {

// A signal handler may only write to a pipe, and reaches it only through a global: the
// write end of the pipe that TerminationSignals owns.
std::atomic<int> signalWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "read in a signal handler");

void onSignal(int signalNumber)
{
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalWriteEnd.load(), &byte, 1);
}

void install(int signalNumber, void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signalNumber, &action, nullptr);
}

// SIGHUP is a closed terminal: the user is gone, but the list must be kept as at a SIGTERM.
constexpr int handledSignals[] = {SIGTERM, SIGINT, SIGHUP};

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_readEnd = FileDescriptor(ends[0]);
    m_writeEnd = FileDescriptor(ends[1]);
    signalWriteEnd = m_writeEnd.get();
    m_notifier = new QSocketNotifier(m_readEnd.get(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPending);
    for (const int signalNumber : handledSignals)
        install(signalNumber, onSignal);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_readEnd.isOpen())
        return;
    for (const int signalNumber : handledSignals)
        install(signalNumber, SIG_DFL);
    signalWriteEnd = -1;
    // The notifier goes before the pipe it watches is closed.
    delete m_notifier;
}

void TerminationSignals::readPending()
{
    unsigned char byte = 0;
    while (::read(m_readEnd.get(), &byte, 1) == 1)
        emit received(byte);
}

} // namespace zv
