#pragma once

#include "platform/net/CurlHandles.h"
#include "platform/services/FailureReason.h"
#include "platform/services/InternetLimits.h"
#include "platform/threads/Interrupter.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

// What every request of a session is sent with.
struct TransferSettings {
    std::string agent;
    std::string proxy;    // in libcurl's notation; empty for a direct connection
    std::string caBundle; // empty for the system's trust store
    InternetLimits limits;
    bool probe = false;   // the whole request gives up after limits.probe
};

// The bytes a request asks for: all of them, those from first on, or first to last.
struct RequestedRange {
    std::uint64_t first = 0;
    std::optional<std::uint64_t> last; // inclusive, as in "bytes=first-last"
    // Sent as If-Range with a range, when not empty: the whole resource comes back if it is
    // no longer that version.
    std::string ifRange;

    bool ranged() const { return first > 0 || last.has_value(); }
};

// One HTTP(S) request on a multi handle of its own, pulled by its reader: the network is
// only driven while the reader waits for bytes, so at most one batch is held in memory.
class CurlTransfer {
public:
    // rangeFrom above 0 asks for the bytes from that offset on, with If-Range: ifRange when
    // that is not empty (the whole resource comes back if it is no longer that version).
    CurlTransfer(const std::string& url, const TransferSettings& settings, std::uint64_t rangeFrom,
                 Interrupter* interrupter, const std::string& ifRange = {});
    CurlTransfer(const std::string& url, const TransferSettings& settings, const RequestedRange& range,
                 Interrupter* interrupter);
    ~CurlTransfer();

    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // Drives the transfer until body bytes are held or the transfer has ended.
    void waitForBody();
    // Up to size held bytes, waiting for more when none are held; 0 once ended.
    std::size_t read(char* buffer, std::size_t size);

    std::size_t held() const { return m_body.size() - m_readPosition; }
    bool ended() const { return m_ended; }
    // Ended with every announced byte, without an error, time-out or interrupt.
    bool endedCleanly() const;
    // Why it ended without that; None while it runs and after a clean end. An error status
    // is an answer, not a failure of the transfer.
    FailureReason failure() const;

    // Of the last response (after redirects); 0 when none arrived.
    long status() const;
    std::optional<std::uint64_t> announcedLength() const;
    std::optional<std::string> header(const char* name) const;
    // The address last asked for, after the redirects followed; empty before any request.
    std::string effectiveUrl() const;
    // The wait the last response asks for before the next request (Retry-After, in seconds
    // or as a date); 0 for a date that has passed.
    std::optional<std::chrono::seconds> retryAfter() const;

    // Limits the schemes a handle fetches and follows to protocols (libcurl's list, for
    // example "http,https"); false when libcurl refuses the limit.
    static bool limitProtocols(void* easy, const char* protocols);

private:
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);

    // False when the handle cannot be set up safely.
    bool configure(const std::string& url, const TransferSettings& settings, const RequestedRange& range);
    void collectResult();
    void endWith(int result);
    void resumeReceiving();
    bool interrupted() const { return m_interrupter && m_interrupter->interrupted(); }
    // The host name of the address last asked for; empty when it has none.
    std::string requestedHost() const;
    // Whether a connection to the server (or the proxy) was made.
    bool connected() const;
    // Whether the redirect that was not followed pointed to an address of scheme.
    bool redirectsTo(std::string_view scheme) const;

    curl::HeaderList m_headers;
    curl::MultiHandle m_multi;
    curl::EasyHandle m_easy;
    Interrupter* m_interrupter;
    Interrupter::Subscription m_wakeOnInterrupt;
    std::chrono::milliseconds m_silenceLimit;

    std::vector<char> m_body;
    std::size_t m_readPosition = 0;
    std::uint64_t m_received = 0;
    std::chrono::steady_clock::time_point m_lastActivity;
    bool m_ended = false;
    bool m_paused = false; // receiving waits until the held bytes are read
    bool m_silent = false; // ended by the silence limit
    bool m_https = false;  // the request began on https, and may follow redirects only there
    int m_result = 0; // a CURLcode
    std::array<char, 256> m_errorText{}; // libcurl's words for the failure (CURL_ERROR_SIZE)
};

} // namespace zv
