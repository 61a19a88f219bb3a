#pragma once

#include "platform/text/DateTime.h"

#include <chrono>

namespace zv {

// The local wall clock, and a monotonic one for durations and speeds, passed in so that
// schedules, time stamps and speeds can be tested.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
    // Never jumps with the wall clock; only differences mean anything.
    virtual std::chrono::steady_clock::time_point steadyNow() const = 0;
};

} // namespace zv
