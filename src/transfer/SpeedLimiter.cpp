#include "transfer/SpeedLimiter.h"

#include "platform/services/Clock.h"

#include <algorithm>
#include <cmath>

namespace zv {

SpeedLimiter::SpeedLimiter(const Clock& clock) : m_clock(clock) {}

void SpeedLimiter::setLimit(std::uint64_t bytesPerSecond)
{
    const std::lock_guard lock(m_mutex);
    m_limit.store(bytesPerSecond, std::memory_order_relaxed);
    m_tokens = std::min(m_tokens, burstOf(bytesPerSecond));
}

bool SpeedLimiter::heldBack() const
{
    const std::lock_guard lock(m_mutex);
    return m_lastWait && m_clock.steadyNow() - *m_lastWait < std::chrono::seconds(1);
}

double SpeedLimiter::burstOf(std::uint64_t limit)
{
    return static_cast<double>(limit) * static_cast<double>(Burst.count()) / 1000.0;
}

void SpeedLimiter::refill(std::chrono::steady_clock::time_point now, std::uint64_t limit)
{
    const double burst = burstOf(limit);
    const double seconds = m_filledAt ? std::chrono::duration<double>(now - *m_filledAt).count() : 0.0;
    m_tokens = std::min(burst, m_tokens + std::max(0.0, seconds) * static_cast<double>(limit));
    m_filledAt = now;
}

SpeedLimiter::Grant SpeedLimiter::take(std::size_t wanted)
{
    const std::uint64_t limit = m_limit.load(std::memory_order_relaxed);
    if (limit == 0)
        return {wanted, std::chrono::milliseconds(0)};
    const std::lock_guard lock(m_mutex);
    const auto now = m_clock.steadyNow();
    refill(now, limit);
    // A whole read's worth (or the bucket's size under a tiny limit): no reads of a few bytes.
    const double need = std::min(static_cast<double>(wanted), std::max(1.0, burstOf(limit)));
    if (m_tokens >= need) {
        const auto granted = std::min<std::size_t>(wanted, static_cast<std::size_t>(m_tokens));
        m_tokens -= static_cast<double>(granted);
        return {granted, std::chrono::milliseconds(0)};
    }
    m_lastWait = now;
    // Long enough for the read to come in; every waiter comes back, so shares stay fair.
    const auto wait = std::chrono::milliseconds(
        static_cast<long long>(std::ceil((need - m_tokens) * 1000.0 / static_cast<double>(limit))));
    return {0, std::clamp(wait, std::chrono::milliseconds(1), LongestWait)};
}

} // namespace zv
