#pragma once

#include <string_view>

// The codes of the Status, Process and Schedule cells. They are compared exactly:
// " 1" or "01" is no code at all.
namespace zv::Status {
inline constexpr std::string_view New = "1";
inline constexpr std::string_view Started = "2";
inline constexpr std::string_view Done = "3";
inline constexpr std::string_view Cancelled = "4";
} // namespace zv::Status

namespace zv::Process {
inline constexpr std::string_view Finished = "0";
inline constexpr std::string_view Idle = "1";
inline constexpr std::string_view Running = "2";
} // namespace zv::Process

namespace zv::Schedule {
inline constexpr std::string_view None = "No";
} // namespace zv::Schedule
