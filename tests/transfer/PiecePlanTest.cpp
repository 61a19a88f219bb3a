#include "transfer/PiecePlan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <random>
#include <thread>
#include <vector>

using namespace zv;

namespace {

constexpr std::uint64_t MiB = std::uint64_t{1} << 20;

// Writes what the connection holds, in blocks of up to block bytes; false if the plan refused one.
bool writeRest(PiecePlan& plan, ConnectionId connection, std::size_t block = 64 * 1024)
{
    while (const std::optional<PiecePlan::Range> rest = plan.remaining(connection)) {
        const std::size_t granted = plan.mayWrite(connection, rest->begin, block);
        if (granted == 0 || !plan.wrote(connection, rest->begin, granted))
            return false;
    }
    return true;
}

bool writeSome(PiecePlan& plan, ConnectionId connection, std::uint64_t size)
{
    const std::uint64_t at = plan.remaining(connection).value().begin;
    return plan.mayWrite(connection, at, size) == size && plan.wrote(connection, at, size);
}

} // namespace

TEST(PiecePlan, AResumedPlanHandsOutOnlyTheUnfinishedPieces)
{
    PiecePlan plan(450, 100, "10100");
    EXPECT_EQ(plan.finishedBytes(), 200u);
    EXPECT_EQ(plan.take(ConnectionId{1}), (PiecePlan::Range{100, 200}));
    EXPECT_EQ(plan.take(ConnectionId{2}), (PiecePlan::Range{300, 450})); // open pieces run together
    EXPECT_EQ(plan.take(ConnectionId{3}), std::nullopt);                // too little left to split
    ASSERT_TRUE(writeRest(plan, ConnectionId{2}));
    EXPECT_EQ(plan.pieceMap(), "10111");
    ASSERT_TRUE(writeRest(plan, ConnectionId{1}));
    EXPECT_TRUE(plan.allFinished());
    EXPECT_EQ(plan.finishedBytes(), 450u);

    for (const char* foreign : {"101", "10x00"}) { // another file's map: nothing is trusted
        PiecePlan fresh(450, 100, foreign);
        EXPECT_EQ(fresh.finishedBytes(), 0u);
        EXPECT_EQ(fresh.take(ConnectionId{1}), (PiecePlan::Range{0, 450}));
    }
}

TEST(PiecePlan, APieceIsFinishedOnlyWhenEveryByteOfItIsWritten)
{
    PiecePlan plan(8 * MiB, 4 * MiB);
    const ConnectionId first{1}, second{2}, third{3};
    ASSERT_EQ(plan.take(first), (PiecePlan::Range{0, 8 * MiB}));
    ASSERT_TRUE(writeSome(plan, first, MiB));

    // The second connection takes half of what the first has left; the first learns its new end
    // from what it may write.
    ASSERT_EQ(plan.take(second), (PiecePlan::Range{4 * MiB + MiB / 2, 8 * MiB}));
    EXPECT_EQ(plan.mayWrite(second, 0, 10), 0u); // not its byte
    EXPECT_FALSE(plan.wrote(second, 4 * MiB + MiB / 2, 10)); // not granted
    EXPECT_EQ(plan.mayWrite(first, MiB, 4 * MiB), 3 * MiB + MiB / 2);
    EXPECT_EQ(plan.take(third), (PiecePlan::Range{6 * MiB + MiB / 4, 8 * MiB})); // granted bytes stay the first's
    ASSERT_TRUE(plan.wrote(first, MiB, 3 * MiB + MiB / 2));
    EXPECT_EQ(plan.pieceMap(), "10");
    EXPECT_EQ(plan.finishedBytes(), 4 * MiB);

    // The second connection writes into the second piece, then fails: what it wrote stays
    // written, the rest goes to the next taker, and the piece finishes once whole.
    ASSERT_TRUE(writeSome(plan, second, MiB));
    plan.giveBack(second);
    ASSERT_TRUE(writeRest(plan, third));
    EXPECT_EQ(plan.pieceMap(), "10");
    ASSERT_EQ(plan.take(first), (PiecePlan::Range{5 * MiB + MiB / 2, 6 * MiB + MiB / 4}));
    ASSERT_TRUE(writeRest(plan, first));
    EXPECT_EQ(plan.pieceMap(), "11");
    EXPECT_TRUE(plan.allFinished());
}

// Connections on threads of their own take ranges, write them in blocks of random sizes, fail
// now and then (and come back as new connections), and cut each other short, as a slow one is;
// whatever the order, the bytes written cover the file exactly once.
TEST(PiecePlanThreads, ConnectionsTakingSplittingFailingAndCutShortCoverTheFileExactlyOnce)
{
    constexpr int threads = 6;
    const std::uint64_t total = 37 * MiB + 12345;
    PiecePlan plan(total, 4 * MiB);
    std::array<std::atomic<std::uint32_t>, threads> current{};
    std::array<std::vector<PiecePlan::Range>, threads> written;
    std::array<bool, threads> refused{};

    auto connection = [&](int index) {
        std::mt19937 random(static_cast<unsigned>(index));
        for (std::uint32_t id = static_cast<std::uint32_t>(index) + 1;; id += threads) {
            current[index] = id;
            if (!plan.take(ConnectionId{id}))
                return;
            while (const std::optional<PiecePlan::Range> rest = plan.remaining(ConnectionId{id})) {
                if (random() % 60 == 0) {
                    plan.giveBack(ConnectionId{id});
                    break;
                }
                if (random() % 40 == 0)
                    plan.cutShort(ConnectionId{current[random() % threads].load()});
                const std::size_t granted = plan.mayWrite(ConnectionId{id}, rest->begin, 1 + random() % (256 * 1024));
                if (granted == 0)
                    continue; // cut short meanwhile
                if (!plan.wrote(ConnectionId{id}, rest->begin, granted))
                    refused[index] = true;
                written[index].push_back({rest->begin, rest->begin + granted});
            }
        }
    };
    std::vector<std::thread> running;
    for (int index = 0; index < threads; ++index)
        running.emplace_back(connection, index);
    for (std::thread& thread : running)
        thread.join();

    std::vector<PiecePlan::Range> all;
    for (int index = 0; index < threads; ++index) {
        EXPECT_FALSE(refused[index]);
        all.insert(all.end(), written[index].begin(), written[index].end());
    }
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.begin < b.begin; });
    std::uint64_t covered = 0;
    for (const PiecePlan::Range& range : all) {
        ASSERT_EQ(range.begin, covered) << "a gap or a byte written twice";
        covered = range.end;
    }
    EXPECT_EQ(covered, total);
    EXPECT_TRUE(plan.allFinished());
    EXPECT_EQ(plan.pieceMap(), std::string(10, '1'));
}
