#pragma once

#include "platform/services/UrlStream.h"

#include <memory>
#include <string>

namespace zv {

// An open Internet session: the agent text and time limits that its URLs are opened with.
class InternetSession {
public:
    virtual ~InternetSession() = default;

    // Sends the single header "Accept: */*" and returns once the response headers and the
    // first body bytes (or the end) have arrived; null on any failure, an HTTP status of
    // 400 or above included. Only http and https are fetched, also after redirects.
    virtual std::unique_ptr<UrlStream> openUrl(const std::string& url) = 0;

    // A URL opened to go on at a byte offset.
    struct Resumed {
        SeekResult position = SeekResult::Failed;
        std::unique_ptr<UrlStream> stream; // null when Failed or AlreadyWhole
        FailureReason failure;             // when Failed: why
    };
    // Opens the URL for the bytes from offset on with a single range request, as
    // UrlStream::setPosition decides (one more, unranged, request only when the answer
    // does not tell the resource's total). A final status of 300 or above other than 416,
    // or no answer, is Failed.
    virtual Resumed resumeUrl(const std::string& url, std::uint64_t offset, const KnownFile& known = {}) = 0;

    // The bytes first to last (inclusive) of the known file, for one of several connections:
    // a stream only for a 206 of exactly those bytes of the known total and version. Else
    // null, and the failure is ChangedFile when the resource is now another version, WrongPart
    // for any other answer to the range, or the request's own failure.
    struct Part {
        std::unique_ptr<UrlStream> stream;
        FailureReason failure;
    };
    virtual Part openPart(const std::string& url, std::uint64_t first, std::uint64_t last, const KnownFile& known) = 0;
    // Why the last openUrl, resumeUrl or openPart failed; None after one that did not.
    virtual FailureReason lastFailure() const = 0;
};

} // namespace zv
