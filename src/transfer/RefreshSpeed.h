#pragma once

#include <array>
#include <cstdint>

namespace zv {

// The "Speed of refresh:" choice: how many reads a worker makes between progress reports.
namespace RefreshSpeed {
inline constexpr std::array<const char*, 3> ItemTexts = {"Slow", "Normal", "Zare"};
inline constexpr int DefaultItem = 1; // "Normal"

// For the selected item's index; with no item selected (-1, or anything unknown) the
// default's 1000, never 0.
std::uint32_t readsBetweenReports(int itemIndex);
} // namespace RefreshSpeed

} // namespace zv
