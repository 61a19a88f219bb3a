#pragma once

#include "transfer/ConnectionId.h"
#include "transfer/SpeedWindow.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

namespace zv {

// Tells which of a download's connections is far slower than the others, so that its range can
// go to a faster one: one whose speed over the last 10 s is under a quarter of the median speed
// of the others over theirs. A connection is judged, and counts among the others, only once it
// has been watched for 10 s. Its worker records its bytes so far with the monotonic clock's
// time, as they grow; a stalled connection needs no records to be named. Any thread.
class ConnectionPace {
public:
    using Time = SpeedWindow::Time;
    static constexpr std::chrono::seconds Window{10};
    // Far slower: under the others' median divided by this.
    static constexpr double Factor = 4.0;

    void record(ConnectionId connection, Time now, std::uint64_t bytesSoFar);
    // The connection ended: it is judged no more and no longer counts among the others.
    void forget(ConnectionId connection);
    // The connection ran out of work: it is judged no more, but counts among the others with
    // the speed it last had, so that the last busy connection is still compared with them.
    void rest(ConnectionId connection, Time now);
    std::vector<ConnectionId> farSlower(Time now) const;

private:
    mutable std::mutex m_mutex;
    std::map<ConnectionId, SpeedWindow> m_speeds;
    std::map<ConnectionId, double> m_rested; // bytes per second
};

} // namespace zv
