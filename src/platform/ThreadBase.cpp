#include "platform/ThreadBase.h"

#include "platform/HandOverQueue.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zv {

ThreadBase::ThreadBase(HandOverQueue& mainThread) : m_mainThread(mainThread) {}

ThreadBase::~ThreadBase()
{
    stopAndWait();
}

void ThreadBase::resume()
{
    if (m_thread.joinable() || m_finished)
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
    m_finished = true;
    m_mainThread.notify();
}

void ThreadBase::terminate()
{
    m_terminated = true;
    onTerminateRequested();
}

void ThreadBase::waitFor()
{
    if (!m_thread.joinable())
        return;
    m_mainThread.waitUntil([this] { return m_finished.load(); });
    // After a shut-down of the queue the body may still be finishing: join regardless.
    m_thread.join();
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
    return m_mainThread.runOnMain(std::move(procedure));
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
    thread->waitFor();
    delete thread;
}

} // namespace zv
