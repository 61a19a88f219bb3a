#pragma once

#include "transfer/ConnectionId.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace zv {

// Tells which of a download's connections is far slower than the others, so that its range can
// go to a faster one: one whose speed over the last 10 s is under a quarter of the median speed
// of the others over theirs. A connection is judged, and counts among the others, only once it
// has been watched for 10 s. Its worker records its bytes so far with the monotonic clock's
// time, as they grow; a stalled connection needs no records to be named. Any thread.
class ConnectionPace {
public:
    using Time = std::chrono::steady_clock::time_point;
    static constexpr std::chrono::seconds Window{10};
    // Far slower: under the others' median divided by this.
    static constexpr double Factor = 4.0;

    void record(ConnectionId connection, Time now, std::uint64_t bytesSoFar);
    // The connection ended: it is judged no more and no longer counts among the others.
    void forget(ConnectionId connection);
    std::vector<ConnectionId> farSlower(Time now) const;

private:
    struct Sample {
        Time time;
        std::uint64_t bytes = 0;
    };
    using Samples = std::deque<Sample>;

    // Bytes a second since the last sample at least a window old; nullopt when there is none.
    static std::optional<double> speed(const Samples& samples, Time now);

    mutable std::mutex m_mutex;
    // Each connection's samples, the oldest at least a window old where there is one.
    std::map<ConnectionId, Samples> m_samples;
};

} // namespace zv
