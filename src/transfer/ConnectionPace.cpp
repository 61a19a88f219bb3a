#include "transfer/ConnectionPace.h"

#include <algorithm>

namespace zv {

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

void ConnectionPace::record(ConnectionId connection, Time now, std::uint64_t bytesSoFar)
{
    const std::lock_guard lock(m_mutex);
    m_speeds.try_emplace(connection, Window).first->second.add(now, bytesSoFar);
}

void ConnectionPace::forget(ConnectionId connection)
{
    const std::lock_guard lock(m_mutex);
    m_speeds.erase(connection);
    m_rested.erase(connection);
}

void ConnectionPace::rest(ConnectionId connection, Time now)
{
    const std::lock_guard lock(m_mutex);
    const auto watched = m_speeds.find(connection);
    if (watched == m_speeds.end())
        return;
    if (const std::optional<double> bytesPerSecond = watched->second.bytesPerSecondUntil(now))
        m_rested[connection] = *bytesPerSecond;
    m_speeds.erase(watched);
}

std::vector<ConnectionId> ConnectionPace::farSlower(Time now) const
{
    const std::lock_guard lock(m_mutex);
    std::map<ConnectionId, double> speeds;
    for (const auto& [connection, window] : m_speeds) {
        if (const std::optional<double> bytesPerSecond = window.bytesPerSecondUntil(now))
            speeds.emplace(connection, *bytesPerSecond);
    }
    std::vector<ConnectionId> slow;
    for (const auto& [connection, bytesPerSecond] : speeds) {
        std::vector<double> others;
        for (const auto& [other, otherSpeed] : speeds) {
            if (other != connection)
                others.push_back(otherSpeed);
        }
        for (const auto& [other, otherSpeed] : m_rested)
            others.push_back(otherSpeed);
        if (!others.empty() && bytesPerSecond * Factor < median(std::move(others)))
            slow.push_back(connection);
    }
    return slow;
}

} // namespace zv
