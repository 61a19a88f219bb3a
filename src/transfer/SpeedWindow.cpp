#include "transfer/SpeedWindow.h"

#include <algorithm>

namespace zv {

void SpeedWindow::add(Time at, std::uint64_t bytes)
{
    if (!m_samples.empty() && (bytes < m_samples.back().bytes || at < m_samples.back().at))
        m_samples.clear();
    m_samples.push_back({at, bytes});
    // The oldest sample kept is the last one at least a span old, so the window spans one.
    while (m_samples.size() > 2 && at - m_samples[1].at >= m_span)
        m_samples.pop_front();
}

std::optional<double> SpeedWindow::bytesPerSecond() const
{
    if (m_samples.size() < 2)
        return std::nullopt;
    const auto span = m_samples.back().at - m_samples.front().at;
    if (span < ShortestSpan)
        return std::nullopt;
    const double seconds = std::chrono::duration<double>(span).count();
    return static_cast<double>(m_samples.back().bytes - m_samples.front().bytes) / seconds;
}

std::optional<double> SpeedWindow::bytesPerSecondUntil(Time now) const
{
    // From the newest sample at least a span old: the one add kept, unless time went on since.
    const auto since = std::find_if(m_samples.rbegin(), m_samples.rend(), [&](const Sample& sample) { return now - sample.at >= m_span; });
    if (since == m_samples.rend())
        return std::nullopt;
    const double seconds = std::chrono::duration<double>(now - since->at).count();
    return static_cast<double>(m_samples.back().bytes - since->bytes) / seconds;
}

} // namespace zv
