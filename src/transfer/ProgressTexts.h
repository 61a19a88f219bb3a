#pragma once

#include "platform/services/FailureReason.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zv {

// The texts the progress tooltip is made of, in the units of the grid's size cells.
namespace ProgressTexts {
// "512 Byte/s", "3.4 KB/s", "12.3 MB/s".
std::string speed(double bytesPerSecond, std::string_view decimalSeparator);
// A rough time, for what is left: "30 s", "1 min 30 s", "14 min", "1 h 20 min".
std::string roughTime(std::chrono::seconds time);
// A measured time: "under a second", "51 s", "3 min 20 s", "1 h 5 min".
std::string duration(std::chrono::milliseconds time);
// "1st", "2nd", "3rd", "11th", "22nd": a place in the queue.
std::string ordinal(std::size_t number);
// "1 retry", "5 retries".
std::string retries(int count);
// "; the server asked to wait 2 min" for a failure that came with a Retry-After; empty without.
std::string askedWait(std::optional<std::chrono::seconds> retryAfter);
// Why a run or a start ended, in plain words; bytesReceived: the task's file has bytes
// already, so a refused link is told as one that expired and can be replaced.
std::string endReason(const FailureReason& failure, bool bytesReceived);
} // namespace ProgressTexts

} // namespace zv
