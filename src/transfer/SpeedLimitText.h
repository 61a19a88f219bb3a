#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zv {

// A speed limit as the user types and reads it: a number in KB/s or MB/s, 1024 and
// 1024 * 1024 bytes per second, the units of the tooltip's speeds.
namespace SpeedLimitText {
enum class Unit { KBps, MBps };
inline constexpr const char* UnitTexts[] = {"KB/s", "MB/s"}; // by Unit

std::uint64_t bytesOf(Unit unit);
// The bytes per second typed: digits with at most one decimal separator ("." or the user's),
// space around them ignored. None for any other text, for a limit that comes to 0 bytes per
// second, and for one above the fastest limit kept (10 GB/s).
std::optional<std::uint64_t> bytesPerSecond(std::string_view typed, Unit unit, std::string_view decimalSeparator);

struct Shown {
    std::string number;
    Unit unit;
};
// A limit as a number that reads back as exactly that limit: in MB/s when it is a whole number
// of them or has two decimals at most, otherwise in KB/s with every decimal it needs.
Shown shown(std::uint64_t bytesPerSecond, std::string_view decimalSeparator);
} // namespace SpeedLimitText

} // namespace zv
