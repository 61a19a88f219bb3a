#pragma once

#include "platform/services/FailureReason.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zv {

enum class SeekResult {
    Continues,     // the server delivers from the offset on
    AlreadyWhole,  // the offset is the resource's full length: the stream is at its clean end
    Skipped,       // the server sent more than asked; the bytes before the offset were dropped
    StartsAfresh,  // the resource is not the one the offset belongs to: the stream delivers
                   // it whole, from its first byte
    Failed,        // nothing from the offset can be read: the failure says why (ChangedFile
                   // when the server now sends another file than the partial one's)
};

// What a resume knows of the file its partial bytes belong to, so that bytes of another
// version are never glued to them.
struct KnownFile {
    // Whether a total is the one the partial file's resource had; empty when none is known.
    std::function<bool(std::uint64_t total)> sameTotal;
    bool htmlExpected = false; // a page (text/html) may stand for the file
    std::string validator;     // the first answer's ETag or Last-Modified, sent as If-Range
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
    // Whether the answer is a page (Content-Type text/html).
    virtual bool isHtml() const { return false; }
    // The answer's Content-Type as sent; empty when it sent none.
    virtual std::string contentType() const { return {}; }
    // Whether the server takes range requests (Accept-Ranges: bytes, or a partial answer).
    virtual bool acceptsRanges() const { return false; }
    // Whether the body is sent encoded (Content-Encoding other than identity): its bytes are
    // then not the file's bytes at the file's offsets.
    virtual bool isCompressed() const { return false; }
    // What identifies this version of the resource for If-Range: its strong ETag, else its
    // Last-Modified; empty when it tells neither.
    virtual std::string validator() const { return {}; }
    // The answer's Content-Disposition as sent; empty when it sent none.
    virtual std::string contentDisposition() const { return {}; }
    // The address that answered, after the redirects followed; empty when not known.
    virtual std::string finalUrl() const { return {}; }
    // size bytes, fewer only at the end of the body; 0 at the end, whether clean or broken.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
    // After read gave 0: why the body did not end as announced (a reset, a time-out, a TLS
    // error, bytes missing, an interrupt); None when it did.
    virtual FailureReason failure() const = 0;
    bool endedCleanly() const { return !failure().failed(); }
    // Repositions to offset bytes from the beginning with a range request (If-Range with the
    // known validator). An answer that announces another total than the known one, or a
    // whole answer the partial file's resource cannot be, is Failed with ChangedFile; a whole
    // answer that may be it StartsAfresh, from its first byte. Where the server cannot
    // continue, the total from its answer (or from one fresh request) decides the same way;
    // the offset's own total is AlreadyWhole.
    virtual SeekResult setPosition(std::uint64_t offset, const KnownFile& known = {}) = 0;
};

} // namespace zv
