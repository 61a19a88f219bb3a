#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zv::test {

// How a response tells where its body ends.
enum class BodyFraming {
    Length,  // Content-Length
    Chunked, // chunked transfer encoding, no length
    Close,   // no length: the connection closes after the body
};

// What the server answers for one path.
struct TestResource {
    std::string body;
    // When above 0, served instead of body: TestServer::patternBytes over that length,
    // made on the fly (lengths beyond 4 GiB need no memory).
    std::uint64_t generatedLength = 0;
    // Range requests get 206 / 416 ("bytes=N-M": the bytes N to M at most); otherwise the
    // whole body with 200.
    bool ranges = true;
    bool rangeTotals = true; // a 416 tells the length ("Content-Range: bytes */length")
    bool tellsRanges = false; // a 200 says "Accept-Ranges: bytes" (also where ranges is false)
    // A Range request is answered with a 206 from this offset, whatever it asked for.
    std::optional<std::uint64_t> rangesFrom;
    // Every request, ranged or not, is answered with a 206 from this offset.
    std::optional<std::uint64_t> partialFrom;
    // A 206 carries at most this many bytes; its Content-Range still tells the whole length.
    std::optional<std::uint64_t> rangeLength;
    std::string contentType = "application/octet-stream";
    // Sent as ETag; a Range request whose If-Range names another tag gets the whole body.
    std::string etag;
    bool ignoresIfRange = false; // a Range request gets its part whatever If-Range names
    // From the answer to request etagChangesAt on (counted from 0 for this path), the ETag is
    // laterEtag: the resource became another version; -1: never.
    int etagChangesAt = -1;
    std::string laterEtag;
    // A 206's Content-Range tells this total instead of the resource's length.
    std::optional<std::uint64_t> totalTold;
    BodyFraming framing = BodyFraming::Length;
    int status = 200;
    std::vector<int> firstStatuses; // the statuses of the first requests; later ones get status
    std::string location;           // sent as Location (for redirects)
    std::string disposition;        // sent as Content-Disposition
    std::string retryAfter;         // sent as Retry-After with every status of 400 or above
    // When set, only a request answering a Digest challenge for "user" and this password gets
    // the resource; any other gets a 401 that offers Digest alone.
    std::string digestPassword;
    std::size_t chunkSize = 16 * 1024;
    std::chrono::milliseconds delayPerChunk{0}; // throttles the body
    // The connection is closed when a response reaches this offset of the resource; only
    // the first `drops` responses are cut, so that a resume can complete.
    std::optional<std::uint64_t> dropAt;
    int drops = 1;
    // The connection of the answer to request n (counted from 0 for this path) is closed when
    // it reaches that offset of the resource: drops at other offsets, one after another.
    std::map<int, std::uint64_t> dropAtRequest;
    // Every response goes silent at this offset of the resource until releaseStalls().
    std::optional<std::uint64_t> stallAt;
    int stallsOnlyRequest = -1; // when 0 or more: only the answer to that request stalls
    // Every response pauses at this offset until releaseStalls(), then sends the rest.
    std::optional<std::uint64_t> pauseAt;

    static TestResource page(int status, std::string body)
    {
        TestResource resource;
        resource.status = status;
        resource.body = std::move(body);
        return resource;
    }
    static TestResource redirect(std::string location, int status = 302)
    {
        TestResource resource;
        resource.status = status;
        resource.location = std::move(location);
        return resource;
    }
};

struct RecordedRequest {
    std::string method;
    std::string target; // as sent: an absolute URL when it came through a proxy
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers;

    // The first value of a header (names compared without case), or empty.
    std::string header(const std::string& name) const;
};

// A real HTTP or HTTPS server on 127.0.0.1 inside the test process. HTTPS uses the
// TestCertificate (trusted through its bundlePath). Everything it saw is recorded.
class TestServer {
public:
    enum class Scheme { Http, Https };

    explicit TestServer(Scheme scheme = Scheme::Http);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // Serves resource at path (beginning with "/"), replacing what was served there.
    void serve(const std::string& path, TestResource resource);
    // Shorthand: a plain body with length and range support.
    void serve(const std::string& path, std::string body);

    int port() const;
    std::string baseUrl() const; // "http://127.0.0.1:port"
    std::string url(const std::string& path) const { return baseUrl() + path; }

    std::vector<RecordedRequest> requests() const;
    std::vector<RecordedRequest> requestsFor(const std::string& path) const;

    // Whether a response is silent at its stallAt or pauseAt offset right now.
    bool stalling() const;
    // Blocks until a response stalls; false after the timeout.
    bool waitUntilStalling(std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Lets every stalled response end (their connections are closed) and every paused one
    // go on.
    void releaseStalls();

    // The bytes of the generated resources: byte i depends on i with no short period.
    static std::string patternBytes(std::uint64_t from, std::size_t count);
    static std::string pattern(std::size_t count) { return patternBytes(0, count); }

private:
    struct State;
    // Fails with an exception when the accept loop does not start.
    void waitForTheAcceptLoop();

    std::unique_ptr<State> m_state;
};

} // namespace zv::test
