#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace zv {

// Procedures handed from worker threads to the main thread. A worker blocks until its
// procedure has run; the main thread runs them from its event loop (drain) and from any
// wait for a worker (waitUntil), so a worker's last reports land before the waiter goes on.
class HandOverQueue {
    struct State;

public:
    using Deadline = std::chrono::steady_clock::time_point;

    // A share in the queue for a worker, which may outlive the queue itself (an abandoned
    // worker at exit): once the queue is gone, it behaves as after shutDown().
    class Handle {
    public:
        bool runOnMain(std::function<void()> procedure) const;
        void notify() const;
        void waitUntil(const std::function<bool()>& done) const;
        bool waitUntil(const std::function<bool()>& done, Deadline deadline) const;

    private:
        friend class HandOverQueue;
        explicit Handle(std::shared_ptr<State> state) : m_state(std::move(state)) {}
        std::shared_ptr<State> m_state;
    };

    HandOverQueue();
    ~HandOverQueue();

    HandOverQueue(const HandOverQueue&) = delete;
    HandOverQueue& operator=(const HandOverQueue&) = delete;

    Handle handle() const { return Handle(m_state); }

    // Worker side: run procedure on the main thread and wait until it has run. Returns
    // false, without running it, once the queue has been shut down.
    bool runOnMain(std::function<void()> procedure);

    // Main thread: run every procedure queued so far (not those queued while they run);
    // returns how many ran.
    int drain();
    // Main thread: run handed-over procedures until done() holds.
    void waitUntil(const std::function<bool()>& done);
    // Main thread: the same, but gives up at deadline; returns done(). A shut-down queue
    // runs nothing but still waits for done().
    bool waitUntil(const std::function<bool()>& done, Deadline deadline);
    // Wakes waitUntil so that it tests its condition again.
    void notify();

    // Called (on the worker's thread) whenever a procedure is queued; the application
    // uses it to post a wake-up into its event loop.
    void setWakeUp(std::function<void()> wakeUp);

    // From now on nothing handed over runs: workers are released without their report.
    void shutDown();
    bool isShutDown() const;

    bool isMainThread() const;

private:
    std::shared_ptr<State> m_state;
};

} // namespace zv
