#pragma once

#include <QTimer>

#include <chrono>
#include <mutex>
#include <vector>

namespace zv::bench {

// How late each 10 ms tick of a precise timer on the main thread comes, in milliseconds.
// The samples may be read from another thread, also while the main thread is blocked.
class EventLoopLateness {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto TickInterval = std::chrono::milliseconds(10);

    void start();
    // Drops the samples so far: later ones measure from now.
    void restart();
    std::vector<double> samples() const;
    // samples() and, when a tick is overdue at now, that tick as late as it is by then: a
    // loop blocked to the end of the run shows its block.
    std::vector<double> samplesUntil(Clock::time_point now) const;

    // One sample a tick hides a block: a 15 s block is one tick among thousands. This gives
    // for every 10 ms step of the run the delay an event arriving then would meet: a tick
    // late by L stands for the steps L, L - 10, L - 20, ... ms that it covers.
    static std::vector<double> atEveryStep(const std::vector<double>& lateness);

private:
    void tick();

    QTimer m_timer;
    mutable std::mutex m_mutex;
    Clock::time_point m_last;
    std::vector<double> m_samples;
};

} // namespace zv::bench
