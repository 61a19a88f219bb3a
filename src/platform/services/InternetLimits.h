#pragma once

#include <chrono>

namespace zv {

// How long network operations may take. Tests shorten them.
struct InternetLimits {
    std::chrono::milliseconds connect{30'000};
    // A transfer that receives nothing for this long while it is waited for fails.
    std::chrono::milliseconds silence{60'000};
    // A probe gives up after this long in all.
    std::chrono::milliseconds probe{15'000};
};

} // namespace zv
