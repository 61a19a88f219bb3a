#pragma once

#include "platform/services/FailureReason.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zv {

enum class SeekResult {
    Continues,     // the server delivers from the offset on
    AlreadyWhole,  // the offset is the resource's full length: the stream is at its clean end
    Skipped,       // the server sent more than asked; the bytes before the offset were dropped
    StartsAfresh,  // the resource is not the one the offset belongs to: the stream delivers
                   // it whole, from its first byte
    Failed,        // nothing from the offset can be read, and nothing tells the resource's size
};

// The body of one opened URL, read in the order it arrives. Used by one thread.
class UrlStream {
public:
    virtual ~UrlStream() = default;

    // The resource's announced total size when the server gives one, else the bytes that
    // can be read at once.
    virtual std::uint64_t dataAvailable() = 0;
    // The resource's whole size as the answer tells it: the total of its Content-Range, else
    // where the body starts plus its announced length; nullopt when it tells neither.
    virtual std::optional<std::uint64_t> total() const { return std::nullopt; }
    // size bytes, fewer only at the end of the body; 0 at the end, whether clean or broken.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
    // After read gave 0: why the body did not end as announced (a reset, a time-out, a TLS
    // error, bytes missing, an interrupt); None when it did.
    virtual FailureReason failure() const = 0;
    bool endedCleanly() const { return !failure().failed(); }
    // Repositions to offset bytes from the beginning with a range request. Where the server
    // cannot continue there, the resource's total from its answer (or from one fresh
    // request) decides: the offset's own total is AlreadyWhole, another one StartsAfresh.
    virtual SeekResult setPosition(std::uint64_t offset) = 0;
};

} // namespace zv
