#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>

namespace zv {

class Clock;

// One speed limit for the whole program, shared by every running download: a token bucket on
// the monotonic clock, kept as the time from which its next bytes are free. A worker asks for
// its next read and is given a few milliseconds' worth of the limit (at least the read) with
// the time to wait before reading them: each grant reserves its bytes in the order asked, so
// readers that keep asking take turns and share the limit fairly however late their threads
// wake. A reader that finds the turns booked further ahead than a short wait is told to ask
// again, so a changed limit holds quickly. Without a limit a grant costs one atomic load. Any thread.
class SpeedLimiter {
public:
    // What a reader may do: wait that long (where a stop reaches it), then read up to bytes,
    // in as many reads as it takes; with bytes 0, ask again after the wait.
    struct Grant {
        std::size_t bytes = 0;
        std::chrono::milliseconds wait{0};
    };

    explicit SpeedLimiter(const Clock& clock);

    // 0: no limit. Takes effect with the next grant; the bucket keeps no more than it holds.
    void setLimit(std::uint64_t bytesPerSecond);
    std::uint64_t limit() const { return m_limit.load(std::memory_order_relaxed); }
    // Whether a grant had to wait in the last second: the tooltip tells the limit then.
    bool heldBack() const;

    Grant take(std::size_t wanted);

private:
    using Time = std::chrono::steady_clock::time_point;
    // The bucket holds at most this long a share of the limit, so a pause saves up no burst.
    static constexpr std::chrono::milliseconds Burst{100};
    // A grant is this long a share of the limit: long beside a thread's late wake-up, short
    // beside a second.
    static constexpr std::chrono::milliseconds Share{5};
    // Waits stay short, so that a changed limit follows quickly.
    static constexpr std::chrono::milliseconds LongestWait{250};

    const Clock& m_clock;
    std::atomic<std::uint64_t> m_limit{0};
    mutable std::mutex m_mutex;
    // The bytes granted so far are paid for up to this time; before it, none are free.
    std::optional<Time> m_paidUntil;
    std::optional<Time> m_lastWait;
};

} // namespace zv
