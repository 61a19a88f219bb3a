#pragma once

#include "platform/services/Clock.h"

namespace zv {

class SystemClock final : public Clock {
public:
    LocalDateTime now() const override;
};

} // namespace zv
