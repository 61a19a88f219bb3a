#include "transfer/Retries.h"

#include <algorithm>

namespace zv {

std::optional<std::chrono::milliseconds> Retries::after(const FailureReason& failure)
{
    m_refusal.clear();
    if (!failure.transient())
        return std::nullopt;
    if (m_inARow >= m_policy.maxRetries) {
        if (m_policy.maxRetries > 0)
            m_refusal = "gave up after " + std::to_string(m_inARow) + " retries";
        return std::nullopt;
    }
    if (failure.retryAfter && *failure.retryAfter > m_policy.retryAfterCap) {
        m_refusal = "the server asks for a longer wait than " + std::to_string(m_policy.retryAfterCap.count()) + " s";
        return std::nullopt;
    }
    std::chrono::milliseconds wait{0};
    if (failure.retryAfter)
        wait = *failure.retryAfter;
    else if (!m_policy.waits.empty())
        wait = spread(
            m_policy.waits[std::min<std::size_t>(static_cast<std::size_t>(m_inARow), m_policy.waits.size() - 1)]);
    ++m_inARow;
    ++m_inAll;
    return wait;
}

std::chrono::milliseconds Retries::spread(std::chrono::milliseconds wait) const
{
    if (!m_policy.spread)
        return wait;
    const double factor = std::clamp(m_policy.spread(), RetryPolicy::SpreadLow, RetryPolicy::SpreadHigh);
    return std::chrono::milliseconds(static_cast<long long>(static_cast<double>(wait.count()) * factor + 0.5));
}

std::string Retries::endText(const FailureReason& failure) const
{
    if (!failure.failed())
        return {};
    return m_refusal.empty() ? failure.text() : failure.text() + " (" + m_refusal + ")";
}

} // namespace zv
