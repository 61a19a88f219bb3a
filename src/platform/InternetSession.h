#pragma once

#include "platform/UrlStream.h"

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
};

} // namespace zv
