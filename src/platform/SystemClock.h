#pragma once

#include "platform/Clock.h"

namespace zv {

class SystemClock final : public Clock {
public:
    LocalDateTime now() const override;
};

} // namespace zv
