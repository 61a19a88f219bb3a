#include "platform/threads/ThreadBase.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zv {

ThreadBase::ThreadBase(HandOverQueue& mainThread) : m_mainThread(mainThread.handle()) {}

ThreadBase::~ThreadBase()
{
    stopAndWait();
}

void ThreadBase::resume()
{
    if (m_thread.joinable() || finished())
        return;
    m_thread = std::thread([this] { run(); });
}

void ThreadBase::run()
{
    applyToCurrentThread(m_priority);
    try {
        execute();
    } catch (...) {
        // An error escaping the body ends the thread quietly.
    }
    // The object may be released as soon as the end is known: keep what is still needed.
    const HandOverQueue::Handle mainThread = m_mainThread;
    bool ownsItself = false;
    {
        std::lock_guard lock(m_ownership);
        m_fate->ended = true;
        ownsItself = m_fate->abandoned;
    }
    if (ownsItself)
        delete this;
    mainThread.notify();
}

void ThreadBase::terminate()
{
    {
        std::lock_guard lock(m_ownership);
        if (!m_terminateRequested)
            m_terminateRequested = std::chrono::steady_clock::now();
    }
    m_terminated = true;
    onTerminateRequested();
}

void ThreadBase::waitFor()
{
    if (!m_thread.joinable())
        return;
    m_mainThread.waitUntil([this] { return finished(); });
    // After a shut-down of the queue the body may still be finishing: join regardless.
    m_thread.join();
}

bool ThreadBase::waitFor(std::chrono::milliseconds limit)
{
    if (!m_thread.joinable())
        return true;
    HandOverQueue::Deadline deadline;
    {
        std::lock_guard lock(m_ownership);
        deadline = m_terminateRequested.value_or(std::chrono::steady_clock::now()) + limit;
    }
    if (!m_mainThread.waitUntil([this] { return finished(); }, deadline))
        return false;
    m_thread.join();
    return true;
}

bool ThreadBase::abandon()
{
    {
        std::lock_guard lock(m_ownership);
        if (!m_fate->ended) {
            m_fate->abandoned = true;
            m_thread.detach();
            return true;
        }
    }
    m_thread.join();
    return false;
}

void ThreadBase::stopAndWait()
{
    if (!m_thread.joinable())
        return;
    terminate();
    waitFor();
}

bool ThreadBase::synchronize(std::function<void()> procedure)
{
    // An abandoned worker's row has moved on: its reports are answered, never applied. The
    // test runs on the main thread too, where abandoning happens, so none slips through.
    if (abandoned())
        return false;
    const bool ran = m_mainThread.runOnMain([fate = m_fate, procedure = std::move(procedure)] {
        if (!fate->abandoned)
            procedure();
    });
    return ran && !abandoned();
}

int ThreadBase::niceValue(ThreadPriority priority)
{
    switch (priority) {
    case ThreadPriority::Idle: return 19;
    case ThreadPriority::Lowest: return 10;
    case ThreadPriority::BelowNormal: return 5;
    case ThreadPriority::Normal: return 0;
    case ThreadPriority::AboveNormal: return -5;
    case ThreadPriority::Highest: return -10;
    case ThreadPriority::TimeCritical: return -15;
    }
    return 0;
}

void ThreadBase::applyToCurrentThread(ThreadPriority priority)
{
    // On Linux a thread id names one thread to setpriority; failure (no privilege) is fine.
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    (void)::setpriority(PRIO_PROCESS, tid, niceValue(priority));
}

void ThreadDestroyer::operator()(ThreadBase* thread) const
{
    if (!thread)
        return;
    thread->terminate();
    if (thread->waitFor(limit) || !thread->abandon())
        delete thread;
}

} // namespace zv
