#include "transfer/SpeedLimiter.h"

#include "platform/services/Clock.h"

#include <algorithm>

namespace zv {

SpeedLimiter::SpeedLimiter(const Clock& clock) : m_clock(clock) {}

void SpeedLimiter::setLimit(std::uint64_t bytesPerSecond)
{
    m_limit.store(bytesPerSecond, std::memory_order_relaxed);
}

bool SpeedLimiter::heldBack() const
{
    const std::lock_guard lock(m_mutex);
    return m_lastWait && m_clock.steadyNow() - *m_lastWait < std::chrono::seconds(1);
}

SpeedLimiter::Grant SpeedLimiter::take(std::size_t wanted)
{
    const std::uint64_t limit = m_limit.load(std::memory_order_relaxed);
    if (limit == 0)
        return {wanted, std::chrono::milliseconds(0)};
    const std::lock_guard lock(m_mutex);
    const Time now = m_clock.steadyNow();
    // The bucket starts empty, and a quiet while fills it with at most a burst.
    if (!m_paidUntil)
        m_paidUntil = now;
    else if (*m_paidUntil < now - Burst)
        m_paidUntil = now - Burst;
    // Far behind the others' turns: ask again, under the limit then in force.
    if (*m_paidUntil - now > LongestWait) {
        m_lastWait = now;
        return {0, LongestWait};
    }
    const auto bytesOf = [limit](std::chrono::milliseconds length) {
        return static_cast<std::size_t>(static_cast<double>(limit) * std::chrono::duration<double>(length).count());
    };
    // At least the read, unless a read costs more than a burst (a very low limit): then less.
    const std::size_t granted = std::max<std::size_t>({1, bytesOf(Share), std::min(wanted, bytesOf(Burst))});
    *m_paidUntil += std::chrono::duration_cast<Time::duration>(
        std::chrono::duration<double>(static_cast<double>(granted) / static_cast<double>(limit)));
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(std::max(*m_paidUntil - now, Time::duration(0)));
    if (wait.count() > 0)
        m_lastWait = now;
    return {granted, wait};
}

} // namespace zv
