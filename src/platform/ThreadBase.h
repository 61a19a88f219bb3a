#pragma once

#include <atomic>
#include <memory>
#include <functional>
#include <thread>

namespace zv {

class HandOverQueue;

enum class ThreadPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };

// A worker thread: created suspended, started by resume(), asked to end by terminate().
// Its owner destroys it through ThreadPtr, which requests termination and waits for the
// body to end while still running the procedures it hands to the main thread.
class ThreadBase {
public:
    explicit ThreadBase(HandOverQueue& mainThread);
    virtual ~ThreadBase();

    ThreadBase(const ThreadBase&) = delete;
    ThreadBase& operator=(const ThreadBase&) = delete;

    // Starts the body; later calls do nothing.
    void resume();
    // Sets the terminate-requested flag and wakes whatever the body waits on.
    void terminate();
    bool terminated() const { return m_terminated.load(); }

    // Waits on the main thread until the body has ended, running its hand-overs meanwhile.
    void waitFor();
    bool started() const { return m_thread.joinable(); }
    bool finished() const { return m_finished.load(); }

    // Only false is supported: the owner always destroys the thread object.
    bool freeOnTerminate() const { return m_freeOnTerminate; }
    void setFreeOnTerminate(bool value) { m_freeOnTerminate = value; }

    // Best effort on Linux: applied as the thread's nice value when it starts (raising
    // needs privileges); the requested value is always what priority() gives.
    ThreadPriority priority() const { return m_priority; }
    void setPriority(ThreadPriority priority) { m_priority = priority; }

    static int niceValue(ThreadPriority priority);
    // Applies priority to the calling thread, best effort.
    static void applyToCurrentThread(ThreadPriority priority);

protected:
    virtual void execute() = 0;
    // Called by terminate() on the caller's thread: interrupt a blocking wait of the body.
    virtual void onTerminateRequested() {}
    // Runs procedure on the main thread and blocks until it has run; false after shut-down.
    bool synchronize(std::function<void()> procedure);

    // Derived classes whose members the body uses call this first in their destructor.
    void stopAndWait();

private:
    void run();

    HandOverQueue& m_mainThread;
    std::thread m_thread;
    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_finished{false};
    bool m_freeOnTerminate = false;
    ThreadPriority m_priority = ThreadPriority::Normal;
};

// Destroying a thread object: terminate, wait (servicing hand-overs), release.
struct ThreadDestroyer {
    void operator()(ThreadBase* thread) const;
};
using ThreadPtr = std::unique_ptr<ThreadBase, ThreadDestroyer>;

} // namespace zv
