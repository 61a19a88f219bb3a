#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zv {

// Whole numbers written in files and headers.
namespace DecimalText {
// The number the whole text writes in decimal digits: no sign, no spaces, no unit. None for an
// empty text, any other character, or a number beyond 64 bits.
std::optional<std::uint64_t> wholeNumber(std::string_view text);
} // namespace DecimalText

} // namespace zv
