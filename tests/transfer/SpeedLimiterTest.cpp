#include "transfer/SpeedLimiter.h"

#include "support/FixedClock.h"

#include <gtest/gtest.h>

#include <queue>
#include <tuple>
#include <vector>

using namespace zv;
using namespace zv::test;
using std::chrono::milliseconds;

namespace {

// Readers that read 1024 bytes whenever the limiter lets them, on a clock the test moves:
// each waits as long as it is told, then asks again.
struct SimulatedReaders {
    explicit SimulatedReaders(int count) : bytes(static_cast<std::size_t>(count)) {}

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
            bytes[reader] += grant.bytes;
            // A read takes a little time even when the bytes are there.
            turns.emplace(at + (grant.bytes ? std::chrono::microseconds(10) : grant.wait), order++, reader);
        }
        clock.steady = end;
        return bytes;
    }

    FixedClock clock;
    SpeedLimiter limiter{clock};
    std::vector<std::uint64_t> bytes;
};

} // namespace

TEST(SpeedLimiter, TheTotalKeepsTheLimitEachReaderGetsAFairShareAndAChangeHoldsWithinASecond)
{
    for (const std::uint64_t limit : {500'000ull, 2'000'000ull, 20'000'000ull}) {
        for (const int count : {1, 3, 10}) {
            SimulatedReaders readers(count);
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

    // Without a limit every read is granted whole and never waits.
    readers.limiter.setLimit(0);
    const SpeedLimiter::Grant free = readers.limiter.take(4096);
    EXPECT_EQ(free.bytes, 4096u);
    EXPECT_EQ(free.wait, milliseconds(0));
}
