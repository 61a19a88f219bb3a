#pragma once

#include "platform/text/DateTime.h"

namespace zv {

// The local wall clock, passed in so that schedules and time stamps can be tested.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

} // namespace zv
