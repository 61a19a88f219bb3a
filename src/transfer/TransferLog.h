#pragma once

#include "platform/services/FailureReason.h"

#include <cstdint>
#include <string>
#include <string_view>

// The developer's log of probes and runs: the logging category "zv.transfer", whose debug
// lines are off unless QT_LOGGING_RULES="zv.transfer.debug=true" turns them on. Any thread.
namespace zv::TransferLog {

// One line per probe: what it answered, or why it failed.
void probe(const std::string& url, std::uint64_t bytes, const FailureReason& failure);

// One line per run end: the offset it began at, the bytes it appended, why it ended (empty
// when it completed) and its retries.
void runEnd(const std::string& url, std::uint64_t offset, std::uint64_t bytes, const std::string& reason,
            int retries);

// A progress file that could not be written; the next resume trusts the partial file as a
// prefix only.
void progressNotKept(const std::string& download, const std::string& error);

} // namespace zv::TransferLog
