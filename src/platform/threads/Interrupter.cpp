#include "platform/threads/Interrupter.h"

namespace zv {

Interrupter::Subscription::Subscription(Subscription&& other) noexcept
    : m_owner(other.m_owner), m_id(other.m_id)
{
    other.m_owner = nullptr;
}

Interrupter::Subscription& Interrupter::Subscription::operator=(Subscription&& other) noexcept
{
    if (this != &other) {
        reset();
        m_owner = other.m_owner;
        m_id = other.m_id;
        other.m_owner = nullptr;
    }
    return *this;
}

void Interrupter::Subscription::reset()
{
    if (m_owner)
        m_owner->unsubscribe(m_id);
    m_owner = nullptr;
}

void Interrupter::interrupt()
{
    // Under the lock, so that no subscriber goes away while it is being woken.
    std::lock_guard lock(m_mutex);
    m_interrupted = true;
    m_interruptedChanged.notify_all();
    for (auto& [id, wake] : m_wakes)
        wake();
}

bool Interrupter::interrupted() const
{
    std::lock_guard lock(m_mutex);
    return m_interrupted;
}

bool Interrupter::sleepFor(std::chrono::milliseconds length) const
{
    std::unique_lock lock(m_mutex);
    return !m_interruptedChanged.wait_for(lock, length, [this] { return m_interrupted; });
}

Interrupter::Subscription Interrupter::subscribe(std::function<void()> wake)
{
    std::lock_guard lock(m_mutex);
    const int id = m_nextId++;
    if (m_interrupted)
        wake();
    m_wakes.emplace(id, std::move(wake));
    return Subscription(this, id);
}

void Interrupter::unsubscribe(int id)
{
    std::lock_guard lock(m_mutex);
    m_wakes.erase(id);
}

} // namespace zv
