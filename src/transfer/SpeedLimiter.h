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
// the monotonic clock. A worker asks for the bytes of its next read; while the bucket is
// empty it is told how long to wait, and waits where a stop reaches it. Without a limit a
// grant costs one atomic load. Any thread.
class SpeedLimiter {
public:
    // What a reader may do now: read up to bytes (0: nothing yet), else wait that long.
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
    // The bucket holds at most this long a share of the limit, so a pause saves up no burst.
    static constexpr std::chrono::milliseconds Burst{100};
    // Waits stay short, so that a changed limit and a fair share follow quickly.
    static constexpr std::chrono::milliseconds LongestWait{100};

    static double burstOf(std::uint64_t limit);
    void refill(std::chrono::steady_clock::time_point now, std::uint64_t limit);

    const Clock& m_clock;
    std::atomic<std::uint64_t> m_limit{0};
    mutable std::mutex m_mutex;
    double m_tokens = 0;
    std::optional<std::chrono::steady_clock::time_point> m_filledAt;
    std::optional<std::chrono::steady_clock::time_point> m_lastWait;
};

} // namespace zv
