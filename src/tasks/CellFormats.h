#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zv {

class FormatSettings;

// The texts that every writer of a task row uses.
namespace CellFormats {
// How counts below 1024 are written: "512 Byte", or "512.00 Byte" (the task editor's).
enum class ByteForm { Whole, TwoDecimals };

// "512 Byte", "1.50 KB", "1024.00 KB", "1.00 MB": two decimals, rounded half up.
std::string sizeText(std::uint64_t bytes, std::string_view decimalSeparator,
                     ByteForm byteForm = ByteForm::Whole);

// The Path cell, one separator unless it already ends with one, the file name.
std::string localFileLocation(const std::string& path, const std::string& fileName);

struct ScheduleParts {
    std::string date; // the first 10 bytes
    std::string time; // the last 8 bytes, or the last 7 when the first of the 8 is a blank
};
// Splits a Schedule cell by its fixed positions; never splits a UTF-8 sequence.
ScheduleParts splitSchedule(std::string_view cell);
// Whether the date and time at the fixed positions both parse.
bool readsAtFixedPositions(std::string_view cell, const FormatSettings& formats);
// The fixed positions when they read; else the texts around the cell's only space when
// those read, so hand-written cells such as "1.4.2007 9:05" run too; else the fixed
// positions, whose parse names what does not read.
ScheduleParts scheduleParts(std::string_view cell, const FormatSettings& formats);

// n / divisor with exactly two decimals, rounded half up, exact for every 64-bit n.
std::string fixedTwoDecimals(std::uint64_t n, std::uint64_t divisor,
                             std::string_view decimalSeparator);
} // namespace CellFormats

} // namespace zv
