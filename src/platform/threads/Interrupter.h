#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>

namespace zv {

// Lets one thread break another out of a blocking network wait. Whoever blocks
// subscribes a wake procedure; interrupt() sets the flag and calls every subscriber.
class Interrupter {
public:
    class Subscription {
    public:
        Subscription() = default;
        Subscription(Interrupter* owner, int id) : m_owner(owner), m_id(id) {}
        ~Subscription() { reset(); }
        Subscription(Subscription&& other) noexcept;
        Subscription& operator=(Subscription&& other) noexcept;
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;

        // Once this returns, the wake procedure is never called again.
        void reset();

    private:
        Interrupter* m_owner = nullptr;
        int m_id = 0;
    };

    Interrupter() = default;
    Interrupter(const Interrupter&) = delete;
    Interrupter& operator=(const Interrupter&) = delete;

    // Any thread; stays interrupted from then on.
    void interrupt();
    bool interrupted() const;
    // Sleeps for length, ending at once when interrupted; false when it was.
    bool sleepFor(std::chrono::milliseconds length) const;

    // wake runs on the interrupting thread, also at once when already interrupted.
    [[nodiscard]] Subscription subscribe(std::function<void()> wake);

private:
    void unsubscribe(int id);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_interruptedChanged;
    bool m_interrupted = false;
    std::map<int, std::function<void()>> m_wakes;
    int m_nextId = 1;
};

} // namespace zv
