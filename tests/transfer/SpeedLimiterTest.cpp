#include "transfer/SpeedLimiter.h"

#include "support/FixedClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <queue>
#include <tuple>
#include <vector>

using namespace zv;
using namespace zv::test;
using std::chrono::milliseconds;

namespace {

// Readers that read 1024 bytes at a time whenever the limiter lets them, on a clock the test
// moves: each waits as long as it is told, then reads what it was granted and asks again. Threads
// are not woken on time: a reader that slept wakes up to oversleep later, one that did not
// comes back at once, as a busy reader's thread does.
struct SimulatedReaders {
    explicit SimulatedReaders(int count, std::chrono::microseconds oversleep = {}) :
        bytes(static_cast<std::size_t>(count)), oversleep(oversleep)
    {
    }

    // Runs until the clock has moved on by length; the bytes each reader got in that time.
    std::vector<std::uint64_t> runFor(milliseconds length)
    {
        std::fill(bytes.begin(), bytes.end(), 0);
        const auto end = clock.steady + length;
        using Turn = std::tuple<std::chrono::steady_clock::time_point, std::uint64_t, std::size_t>;
        std::priority_queue<Turn, std::vector<Turn>, std::greater<>> turns;
        std::uint64_t order = 0;
        for (std::size_t reader = 0; reader < bytes.size(); ++reader)
            turns.emplace(clock.steady, order++, reader);
        while (std::get<0>(turns.top()) < end) {
            const auto [at, ignored, reader] = turns.top();
            turns.pop();
            clock.steady = at;
            const SpeedLimiter::Grant grant = limiter.take(1024);
            // Each reader oversleeps by its own share of the jitter, the first the most.
            const auto late = grant.wait.count() > 0 ? oversleep / static_cast<long>(reader + 1) : std::chrono::microseconds(0);
            const auto readAt = at + grant.wait + late;
            if (readAt < end)
                bytes[reader] += grant.bytes;
            // A read takes a little time even when the bytes are there.
            const auto reads = static_cast<long>(std::max<std::size_t>(1, (grant.bytes + 1023) / 1024));
            turns.emplace(readAt + std::chrono::microseconds(10) * reads, order++, reader);
        }
        clock.steady = end;
        return bytes;
    }

    FixedClock clock;
    SpeedLimiter limiter{clock};
    std::vector<std::uint64_t> bytes;
    std::chrono::microseconds oversleep;
};

} // namespace

TEST(SpeedLimiter, TheTotalKeepsTheLimitEachReaderGetsAFairShareAndAChangeHoldsWithinASecond)
{
    for (const std::uint64_t limit : {500'000ull, 2'000'000ull, 20'000'000ull}) {
        for (const int count : {1, 3, 10}) {
            SimulatedReaders readers(count, std::chrono::microseconds(1500));
            readers.limiter.setLimit(limit);
            const auto shares = readers.runFor(milliseconds(10'000));
            std::uint64_t total = 0;
            for (const std::uint64_t share : shares) {
                total += share;
                EXPECT_NEAR(static_cast<double>(share), static_cast<double>(limit) * 10 / count,
                            0.2 * static_cast<double>(limit) * 10 / count) << limit << " by " << count;
            }
            EXPECT_NEAR(static_cast<double>(total), static_cast<double>(limit) * 10, 0.05 * static_cast<double>(limit) * 10)
                << limit << " by " << count;
            EXPECT_TRUE(readers.limiter.heldBack()) << limit << " by " << count;
        }
    }

    // Lowered while three read: the second after the change already keeps the new limit.
    SimulatedReaders readers(3);
    readers.limiter.setLimit(20'000'000);
    readers.runFor(milliseconds(2'000));
    readers.limiter.setLimit(500'000);
    readers.runFor(milliseconds(1'000));
    std::uint64_t total = 0;
    for (const std::uint64_t share : readers.runFor(milliseconds(1'000)))
        total += share;
    EXPECT_NEAR(static_cast<double>(total), 500'000.0, 25'000.0);

    // Without a limit every read is granted as asked and never waits.
    readers.limiter.setLimit(0);
    const SpeedLimiter::Grant free = readers.limiter.take(4096);
    EXPECT_EQ(free.bytes, 4096u);
    EXPECT_EQ(free.wait, milliseconds(0));
}
