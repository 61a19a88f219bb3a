#pragma once

#include "platform/services/Clock.h"

namespace zv {

class SystemClock final : public Clock {
public:
    LocalDateTime now() const override;
    std::chrono::steady_clock::time_point steadyNow() const override { return std::chrono::steady_clock::now(); }
};

} // namespace zv
