#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>

namespace zv {

// The speed of a transfer over its last few seconds, from samples of the bytes its file held:
// steady enough to read, quick to follow a change.
class SpeedWindow {
public:
    using Time = std::chrono::steady_clock::time_point;
    static constexpr std::chrono::seconds Span{5};
    // Less than this between the oldest and the newest sample tells no speed yet.
    static constexpr std::chrono::milliseconds ShortestSpan{900};

    SpeedWindow() = default;
    explicit SpeedWindow(std::chrono::milliseconds span) : m_span(span) {}

    // A sample of fewer bytes than the last one (the file began afresh) starts over.
    void add(Time at, std::uint64_t bytes);
    std::optional<double> bytesPerSecond() const;
    // The speed over the whole span up to now, a stall since the newest sample included;
    // nullopt until the samples reach a span back from now.
    std::optional<double> bytesPerSecondUntil(Time now) const;

private:
    struct Sample {
        Time at;
        std::uint64_t bytes;
    };
    std::chrono::milliseconds m_span = Span;
    std::deque<Sample> m_samples;
};

} // namespace zv
