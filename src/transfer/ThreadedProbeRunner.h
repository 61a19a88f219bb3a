#pragma once

#include "platform/threads/ThreadBase.h"
#include "transfer/ProbeRunner.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace zv {

class HandOverQueue;
class InternetSessionFactory;

// Runs each probe on a thread of its own, at most MaxInFlight at once to one server (254 rows
// never open 254 connections) and MaxInFlightInAll in all; the others wait their turn in the
// order asked, so that a server that never answers holds back only the probes to itself.
// Answers come back through the main thread's hand-over queue.
class ThreadedProbeRunner final : public ProbeRunner {
public:
    static constexpr int MaxInFlight = 8;
    static constexpr int MaxInFlightInAll = 32;

    ThreadedProbeRunner(HandOverQueue& mainThread, InternetSessionFactory& internet, int maxInFlight = MaxInFlight);
    // Interrupts the probes in flight and waits for them (briefly: they are interrupted).
    ~ThreadedProbeRunner() override;

    void ask(const std::string& url, Answer answer) override;
    void cancelAll() override;

    // Probes running or waiting.
    std::size_t outstanding() const;

private:
    class ProbeThread;
    struct Request {
        std::string url;
        Answer answer;
    };

    void startWaiting();
    void deliver(std::uint64_t generation, const Answer& answer, const ProbeResult& result);
    void releaseEnded();
    // Probes in flight, to one server (its "host:port" as the URL names it) or in all.
    std::size_t inFlight(const std::string* server = nullptr) const;
    bool mayStart(const std::string& server) const;

    HandOverQueue& m_mainThread;
    InternetSessionFactory& m_internet;
    const int m_maxInFlight;
    std::deque<Request> m_waiting;
    std::vector<ThreadPtr> m_running;
    // Answers asked for before the last cancelAll() carry an older generation and are dropped.
    std::uint64_t m_generation = 0;
};

} // namespace zv
