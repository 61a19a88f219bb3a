#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace zv {

// Procedures handed from worker threads to the main thread. A worker blocks until its
// procedure has run; the main thread runs them from its event loop (drain) and from any
// wait for a worker (waitUntil), so a worker's last reports land before the waiter goes on.
class HandOverQueue {
public:
    HandOverQueue();
    ~HandOverQueue();

    HandOverQueue(const HandOverQueue&) = delete;
    HandOverQueue& operator=(const HandOverQueue&) = delete;

    // Worker side: run procedure on the main thread and wait until it has run. Returns
    // false, without running it, once the queue has been shut down.
    bool runOnMain(std::function<void()> procedure);

    // Main thread: run every procedure queued so far (not those queued while they run);
    // returns how many ran.
    int drain();
    // Main thread: run handed-over procedures until done() holds.
    void waitUntil(const std::function<bool()>& done);
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
    struct Item;

    std::shared_ptr<Item> takeNext();
    void finish(const std::shared_ptr<Item>& item);

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Item>> m_items;
    std::unordered_set<Item*> m_waiting; // workers still waiting for their procedure
    std::function<void()> m_wakeUp;
    std::atomic<bool> m_shutDown{false}; // written under m_mutex; read without it by drain
    std::thread::id m_mainThread;
};

} // namespace zv
