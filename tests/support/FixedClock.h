#pragma once

#include "platform/services/Clock.h"

namespace zv::test {

// A clock that shows whatever the test sets.
class FixedClock final : public Clock {
public:
    explicit FixedClock(LocalDateTime moment = {{2007, 4, 14}, {13, 30, 0, 0}}) : current(moment) {}
    LocalDateTime now() const override { return current; }
    std::chrono::steady_clock::time_point steadyNow() const override { return steady; }

    LocalDateTime current;
    std::chrono::steady_clock::time_point steady{};
};

} // namespace zv::test
