#include "EventLoopLateness.h"

#include <algorithm>

namespace zv::bench {

namespace {

double lateMs(EventLoopLateness::Clock::duration sinceLast)
{
    return std::max(0.0, std::chrono::duration<double, std::milli>(sinceLast - EventLoopLateness::TickInterval).count());
}

} // namespace

void EventLoopLateness::start()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(TickInterval);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    restart();
    m_timer.start();
}

void EventLoopLateness::restart()
{
    const std::lock_guard lock(m_mutex);
    m_samples.clear();
    m_last = Clock::now();
}

std::vector<double> EventLoopLateness::samples() const
{
    const std::lock_guard lock(m_mutex);
    return m_samples;
}

std::vector<double> EventLoopLateness::samplesUntil(Clock::time_point now) const
{
    const std::lock_guard lock(m_mutex);
    std::vector<double> result = m_samples;
    if (now - m_last > TickInterval)
        result.push_back(lateMs(now - m_last));
    return result;
}

std::vector<double> EventLoopLateness::atEveryStep(const std::vector<double>& lateness)
{
    const double step = std::chrono::duration<double, std::milli>(TickInterval).count();
    std::vector<double> delays;
    for (double late : lateness) {
        delays.push_back(late);
        for (double covered = late - step; covered > 0; covered -= step)
            delays.push_back(covered);
    }
    return delays;
}

void EventLoopLateness::tick()
{
    const auto now = Clock::now();
    const std::lock_guard lock(m_mutex);
    m_samples.push_back(lateMs(now - m_last));
    m_last = now;
}

} // namespace zv::bench
