#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zv {

class FormatSettings;
class TaskTable;

// The total a task knew of its file before a start: the exact one an answer told earlier in
// this program run, else the Size cell as it stood, compared as the cell writes sizes. A
// resume whose server tells another total has another file than the partial one's.
struct KnownTotal {
    std::optional<std::uint64_t> exact;
    std::string sizeText;         // the Size cell; used when exact is unknown
    std::string decimalSeparator = "."; // of sizeText

    // Read on the main thread when a start is asked for, before its probe changes the cell.
    static KnownTotal ofRow(const TaskTable& table, int row, const FormatSettings& formats);

    // Whether a total is known: an exact one, or a cell that reads as a size above zero.
    bool known() const;
    bool matches(std::uint64_t bytes) const;
};

} // namespace zv
