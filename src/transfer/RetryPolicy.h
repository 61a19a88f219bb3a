#pragma once

#include <chrono>
#include <functional>
#include <vector>

namespace zv {

// How a run rides out transient failures (a dropped connection, a busy server): how often it
// tries again and how long it waits first. Passed in like the Internet's time limits.
struct RetryPolicy {
    // Retries in a row without a new byte; every byte appended starts the count again.
    int maxRetries = 5;
    // The wait before the first, second, ... retry in a row; the last one stands for any
    // later retry.
    std::vector<std::chrono::milliseconds> waits = {std::chrono::seconds(1), std::chrono::seconds(2),
                                                    std::chrono::seconds(4), std::chrono::seconds(8),
                                                    std::chrono::seconds(16)};
    // The longest wait a server's Retry-After is honoured with; one asking for more ends the run.
    std::chrono::seconds retryAfterCap{60};
    // Spreads each of the waits above (not a server's Retry-After): a factor between
    // SpreadLow and SpreadHigh, drawn for every wait; empty for none. Called from any thread.
    std::function<double()> spread = {};

    static constexpr double SpreadLow = 0.8;
    static constexpr double SpreadHigh = 1.2;

    // Every failure ends the run at once.
    static RetryPolicy none() { return RetryPolicy{0, {}, std::chrono::seconds(0), {}}; }
};

} // namespace zv
