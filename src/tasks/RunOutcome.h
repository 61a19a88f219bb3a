#pragma once

#include <cstdint>
#include <string>

namespace zv {

// How a row's last run in this program run ended, kept in memory beside its cells.
struct RunOutcome {
    std::string reason;         // why it ended without completing, one line for the log; empty when it completed
    std::string plainReason;    // the same in plain words for the window; empty for a stop of the user's
    int retries = 0;            // retries made during the run
    std::uint64_t appended = 0; // bytes the run wrote to the file
};

} // namespace zv
