#pragma once

#include <cstdint>

namespace zv {

// One of a download's connections, as its worker numbers them.
enum class ConnectionId : std::uint32_t {};

} // namespace zv
