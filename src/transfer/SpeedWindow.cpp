#include "transfer/SpeedWindow.h"

namespace zv {

void SpeedWindow::add(Time at, std::uint64_t bytes)
{
    if (!m_samples.empty() && (bytes < m_samples.back().bytes || at < m_samples.back().at))
        m_samples.clear();
    m_samples.push_back({at, bytes});
    // The oldest sample kept is the last one at least Span old, so the window spans Span.
    while (m_samples.size() > 2 && at - m_samples[1].at >= Span)
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

} // namespace zv
