#pragma once

#include <condition_variable>
#include <mutex>

namespace zv::test {

// A point where threads stop until the test opens it; the test can wait until one is there.
class Gate {
public:
    // On the thread to hold.
    void pass()
    {
        std::unique_lock lock(m_mutex);
        ++m_waiting;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
        --m_waiting;
    }

    void waitUntilHolding()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_waiting > 0; });
    }

    bool holding() const
    {
        std::lock_guard lock(m_mutex);
        return m_waiting > 0;
    }

    // Lets every waiting and later thread through.
    void open()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_waiting = 0;
    bool m_open = false;
};

} // namespace zv::test
