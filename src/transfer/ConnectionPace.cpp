#include "transfer/ConnectionPace.h"

#include <algorithm>
#include <iterator>

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
    Samples& samples = m_samples[connection];
    samples.push_back(Sample{now, bytesSoFar});
    // One sample at least a window old is enough to measure from.
    while (samples.size() > 1 && samples[1].time <= now - Window)
        samples.pop_front();
}

void ConnectionPace::forget(ConnectionId connection)
{
    const std::lock_guard lock(m_mutex);
    m_samples.erase(connection);
}

std::vector<ConnectionId> ConnectionPace::farSlower(Time now) const
{
    const std::lock_guard lock(m_mutex);
    std::map<ConnectionId, double> speeds;
    for (const auto& [connection, samples] : m_samples) {
        if (const std::optional<double> bytesPerSecond = speed(samples, now))
            speeds.emplace(connection, *bytesPerSecond);
    }
    std::vector<ConnectionId> slow;
    for (const auto& [connection, bytesPerSecond] : speeds) {
        std::vector<double> others;
        for (const auto& [other, otherSpeed] : speeds) {
            if (other != connection)
                others.push_back(otherSpeed);
        }
        if (!others.empty() && bytesPerSecond * Factor < median(std::move(others)))
            slow.push_back(connection);
    }
    return slow;
}

std::optional<double> ConnectionPace::speed(const Samples& samples, Time now)
{
    const auto newer = std::find_if(samples.begin(), samples.end(), [&](const Sample& s) { return s.time > now - Window; });
    if (newer == samples.begin())
        return std::nullopt; // watched for less than a window
    const Sample& since = *std::prev(newer);
    const std::chrono::duration<double> elapsed = now - since.time;
    const std::uint64_t bytes = samples.back().bytes >= since.bytes ? samples.back().bytes - since.bytes : 0;
    return static_cast<double>(bytes) / elapsed.count();
}

} // namespace zv
