#pragma once

#include "platform/threads/HandOverQueue.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace zv {

enum class ThreadPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };

// What outlives a thread object: whether its body has ended, and whether its owner gave up
// waiting for it.
struct ThreadFate {
    std::atomic<bool> ended{false};
    std::atomic<bool> abandoned{false};
};

// A worker thread: created suspended, started by resume(), asked to end by terminate().
// Its owner destroys it through ThreadPtr, which requests termination and waits for the
// body to end while still running the procedures it hands to the main thread.
class ThreadBase {
public:
    // How long a destroy waits after the terminate request before it abandons the thread.
    static constexpr std::chrono::milliseconds DefaultStopLimit{500};

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
    bool finished() const { return m_fate->ended.load(); }
    // Its reports are no longer applied, and it writes nothing more.
    bool abandoned() const { return m_fate->abandoned.load(); }
    std::shared_ptr<const ThreadFate> fate() const { return m_fate; }

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
    // Runs procedure on the main thread and blocks until it has run; false after shut-down
    // or once abandoned, when it does not run.
    bool synchronize(std::function<void()> procedure);

    // Derived classes whose members the body uses call this first in their destructor.
    void stopAndWait();

private:
    friend struct ThreadDestroyer;

    void run();
    // Waits as waitFor() does, at most until limit after the first terminate request;
    // false when the body is still running then.
    bool waitFor(std::chrono::milliseconds limit);
    // Gives the object to its own thread, which releases it when the body ends; false when
    // the body has ended meanwhile and the caller still owns it.
    bool abandon();

    HandOverQueue::Handle m_mainThread;
    std::thread m_thread;
    std::atomic<bool> m_terminated{false};
    const std::shared_ptr<ThreadFate> m_fate = std::make_shared<ThreadFate>();
    std::mutex m_ownership; // the body's end against its owner giving it up
    std::optional<std::chrono::steady_clock::time_point> m_terminateRequested; // under m_ownership
    bool m_freeOnTerminate = false;
    ThreadPriority m_priority = ThreadPriority::Normal;
};

// Destroying a thread object: terminate, wait (servicing hand-overs), release. A body that
// has not ended within limit of the terminate request (blocked where no interrupt reaches)
// is abandoned instead: the object goes with its thread, which ends on its own.
struct ThreadDestroyer {
    std::chrono::milliseconds limit = ThreadBase::DefaultStopLimit;
    void operator()(ThreadBase* thread) const;
};
using ThreadPtr = std::unique_ptr<ThreadBase, ThreadDestroyer>;

} // namespace zv
