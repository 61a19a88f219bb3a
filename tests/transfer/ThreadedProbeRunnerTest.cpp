#include "TransferFixture.h"

#include "transfer/ThreadedProbeRunner.h"

#include <thread>

using namespace zv;
using namespace zv::test;

namespace {

// Polls a condition that no hand-over announces (the server's count of requests).
bool eventually(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace

using ThreadedProbeRunnerTest = TransferFixture;

TEST_F(ThreadedProbeRunnerTest, AnswersOnTheMainThreadKeepsEightInFlightPerServerAndCancelAllDropsTheRest)
{
    const std::string body = TestServer::pattern(5000);
    server.serve("/live.bin", body);
    TestResource dead;
    dead.body = body;
    dead.stallAt = 0; // headers, then silence until the test ends
    server.serve("/dead.bin", dead);
    ThreadedProbeRunner runner(queue, internet);

    std::vector<std::pair<std::uint64_t, std::thread::id>> answers;
    const auto record = [&](const ProbeResult& result) { answers.emplace_back(result.bytes, std::this_thread::get_id()); };
    runner.ask(server.url("/live.bin"), record);
    queue.waitUntil([&] { return !answers.empty(); });
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].first, body.size());
    EXPECT_EQ(answers[0].second, std::this_thread::get_id());

    for (int probe = 0; probe < 10; ++probe)
        runner.ask(server.url("/dead.bin"), record);
    runner.ask(server.url("/live.bin"), record); // waits behind the dead ones
    ASSERT_TRUE(eventually([&] { return server.requestsFor("/dead.bin").size() == 8; }));
    EXPECT_EQ(runner.outstanding(), 11u);
    // Another server is not held back by this one.
    TestServer other;
    other.serve("/live.bin", body);
    runner.ask(other.url("/live.bin"), record);
    queue.waitUntil([&] { return answers.size() == 2; });
    EXPECT_EQ(answers[1].first, body.size());

    runner.cancelAll();
    queue.waitUntil([&] { return runner.outstanding() == 0; });
    EXPECT_EQ(answers.size(), 2u);
    EXPECT_EQ(server.requestsFor("/dead.bin").size(), 8u);
    EXPECT_EQ(server.requestsFor("/live.bin").size(), 1u);
    EXPECT_TRUE(server.stalling()); // the interrupt, not the server, ended them
}
