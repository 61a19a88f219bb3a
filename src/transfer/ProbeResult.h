#pragma once

#include "platform/services/FailureReason.h"

#include <cstdint>
#include <optional>

namespace zv {

// What a probe learned of a resource.
struct ProbeResult {
    // The resource's announced size, else the bytes available at once; 0 on any failure.
    std::uint64_t bytes = 0;
    // The total the answer announced; never the count of bytes available at once.
    std::optional<std::uint64_t> total;
    bool html = false; // the answer was a page (text/html)
    FailureReason failure;
    bool ranges = false; // the server takes range requests, so a stopped run can resume
};

} // namespace zv
