#include "transfer/ConnectionPace.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace zv;
using std::chrono::seconds;

TEST(ConnectionPace, NamesAConnectionUnderAQuarterOfTheOthersMedianForTenSeconds)
{
    ConnectionPace pace;
    const ConnectionPace::Time start{};
    // Bytes a second: three at full speed, one at a fifth of it, one at 30 %.
    std::vector<std::pair<ConnectionId, std::uint64_t>> connections = {
        {ConnectionId{1}, 1000}, {ConnectionId{2}, 1000}, {ConnectionId{3}, 1000},
        {ConnectionId{4}, 200},  {ConnectionId{5}, 300},
    };
    auto runUntil = [&](int second) {
        for (const auto& [connection, speed] : connections)
            pace.record(connection, start + seconds(second), speed * static_cast<std::uint64_t>(second));
    };
    for (int second = 0; second < 10; ++second)
        runUntil(second);
    EXPECT_TRUE(pace.farSlower(start + seconds(9)).empty()); // not yet watched for 10 s
    runUntil(10);
    EXPECT_EQ(pace.farSlower(start + seconds(10)), std::vector<ConnectionId>{ConnectionId{4}});

    // A connection that stalls is named without a further record; one that ended is not.
    pace.record(ConnectionId{6}, start + seconds(10), 0);
    pace.forget(ConnectionId{4});
    connections.erase(connections.begin() + 3);
    for (int second = 11; second <= 20; ++second)
        runUntil(second);
    EXPECT_EQ(pace.farSlower(start + seconds(20)), std::vector<ConnectionId>{ConnectionId{6}});
}
