#include "transfer/PiecePlan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
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

// A connection that holds nothing takes a range; one that holds a range writes its next block of
// a random size, now and then fails first (coming back as a new connection) or cuts another
// connection short, as a slow one is.
class SimulatedConnection {
public:
    SimulatedConnection(PiecePlan& plan, std::vector<std::atomic<std::uint32_t>>& ids, std::size_t index, unsigned seed) :
        m_plan(plan), m_ids(ids), m_index(index), m_random(seed)
    {
    }

    std::vector<PiecePlan::Range> written;
    bool refused = false;

    // False once nothing is left to take.
    bool step()
    {
        const ConnectionId self{m_ids[m_index].load()};
        const std::optional<PiecePlan::Range> rest = m_plan.remaining(self);
        if (!rest)
            return m_plan.take(self).has_value();
        if (m_random() % 60 == 0) {
            m_plan.giveBack(self);
            m_ids[m_index] += static_cast<std::uint32_t>(m_ids.size());
            return true;
        }
        if (m_random() % 40 == 0)
            m_plan.cutShort(ConnectionId{m_ids[m_random() % m_ids.size()].load()});
        const std::size_t granted = m_plan.mayWrite(self, rest->begin, 1 + m_random() % (256 * 1024));
        if (granted == 0)
            return true; // cut short meanwhile
        refused = refused || !m_plan.wrote(self, rest->begin, granted);
        written.push_back({rest->begin, rest->begin + granted});
        return true;
    }

private:
    PiecePlan& m_plan;
    std::vector<std::atomic<std::uint32_t>>& m_ids;
    const std::size_t m_index;
    std::mt19937 m_random;
};

struct SimulatedDownload {
    static constexpr std::uint64_t total = 37 * MiB + 12345;
    PiecePlan plan{total, 4 * MiB};
    std::vector<std::atomic<std::uint32_t>> ids;
    std::deque<SimulatedConnection> connections;

    SimulatedDownload(std::size_t count, unsigned seed) : ids(count)
    {
        for (std::size_t index = 0; index < count; ++index) {
            ids[index] = static_cast<std::uint32_t>(index + 1);
            connections.emplace_back(plan, ids, index, seed * 100 + static_cast<unsigned>(index));
        }
    }

    void expectCoveredOnce()
    {
        std::vector<PiecePlan::Range> all;
        for (const SimulatedConnection& connection : connections) {
            EXPECT_FALSE(connection.refused);
            all.insert(all.end(), connection.written.begin(), connection.written.end());
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
};

} // namespace

TEST(PiecePlan, AResumedPlanHandsOutOnlyTheUnfinishedPieces)
{
    PiecePlan plan(450, 100, "10100");
    EXPECT_EQ(plan.finishedBytes(), 200u);
    EXPECT_EQ(plan.writtenBytes(), 200u); // what the row shows from the start of the resume
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

    // Without a map, a partial file is trusted as a prefix: the first take goes on at its end,
    // and its last piece finishes when the rest of it is written.
    PiecePlan prefixed(450, 100, "10000");
    prefixed.trustPrefix(250);
    EXPECT_EQ(prefixed.finishedBytes(), 200u);
    EXPECT_EQ(prefixed.take(ConnectionId{1}), (PiecePlan::Range{250, 450}));
    ASSERT_TRUE(writeSome(prefixed, ConnectionId{1}, 50));
    EXPECT_EQ(prefixed.pieceMap(), "11100");
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
    SimulatedDownload download(6, 1);
    std::vector<std::thread> threads;
    for (SimulatedConnection& connection : download.connections)
        threads.emplace_back([&connection] {
            while (connection.step()) {
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    download.expectCoveredOnce();
}

// The same, in orders the test draws, so that every connection splits and is split.
TEST(PiecePlan, ConnectionsInAnyOrderCoverTheFileExactlyOnce)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        SimulatedDownload download(8, seed);
        std::mt19937 order(seed);
        std::vector<SimulatedConnection*> active;
        for (SimulatedConnection& connection : download.connections)
            active.push_back(&connection);
        while (!active.empty()) {
            const std::size_t next = order() % active.size();
            if (!active[next]->step())
                active.erase(active.begin() + static_cast<std::ptrdiff_t>(next));
        }
        download.expectCoveredOnce();
    }
}
