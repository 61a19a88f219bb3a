#pragma once

#include "platform/services/FailureReason.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace zv {

// How a run ended: it completed its file, the user stopped it, it stopped on its own after
// its failures (the outcome's reason says why), or the user cancelled the task.
enum class RunEnd { Done, StoppedByUser, Failed, Cancelled };

// How a row's last run in this program run ended, kept in memory beside its cells.
struct RunOutcome {
    std::string reason;         // why it ended without completing, one line for the log; empty when it completed
    std::string plainReason;    // the same in plain words for the window; empty for a stop of the user's
    int retries = 0;            // retries made during the run
    std::uint64_t appended = 0; // bytes the run wrote to the file
    // The resource's exact total as the run's answers told it: what the next start compares
    // the server's total with, so that another file is never glued to the partial one.
    std::optional<std::uint64_t> total = {};
    // The start was refused before any worker ran; reason and plainReason say why.
    bool notStarted = false;
    // The file the run wrote to; empty when no worker ran.
    std::string destination = {};
    // How long the server asked to wait (Retry-After) in the answer the run ended with.
    std::optional<std::chrono::seconds> retryAfter = {};
    RunEnd end = RunEnd::Done;
    // What failed, when the run failed.
    FailureReason::Kind failure = FailureReason::Kind::None;
};

} // namespace zv
