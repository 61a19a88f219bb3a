#include "platform/threads/SystemClock.h"

#include <chrono>
#include <ctime>

namespace zv {

LocalDateTime SystemClock::now() const
{
    using namespace std::chrono;
    const auto current = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(current);
    const auto msec = duration_cast<milliseconds>(current.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    return {{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
            {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(msec)}};
}

} // namespace zv
