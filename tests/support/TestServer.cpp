#include "support/TestServer.h"

#include "support/DigestCheck.h"
#include "support/TestCertificate.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>
#include <strings.h>
#include <thread>

namespace zv::test {

namespace {

struct Entry {
    TestResource resource;
    int requests = 0;
    int dropsLeft = 0;
};

// The part of the resource that one response carries, [first, end).
struct Span {
    std::uint64_t first = 0;
    std::uint64_t end = 0;
};

// "bytes=N-" or "bytes=N-M" (M inclusive); nothing else is needed.
struct AskedRange {
    std::uint64_t first = 0;
    std::optional<std::uint64_t> last;
};

std::optional<AskedRange> askedRange(const std::string& value)
{
    if (value.rfind("bytes=", 0) != 0 || value.size() < 8 || value.find(',') != std::string::npos)
        return std::nullopt;
    try {
        AskedRange range{std::stoull(value.substr(6)), std::nullopt};
        if (const auto dash = value.find('-'); dash != std::string::npos && dash + 1 < value.size())
            range.last = std::stoull(value.substr(dash + 1));
        return range;
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace

std::string RecordedRequest::header(const std::string& name) const
{
    for (const auto& [key, value] : headers) {
        if (::strcasecmp(key.c_str(), name.c_str()) == 0)
            return value;
    }
    return {};
}

struct TestServer::State {
    std::unique_ptr<httplib::Server> server;
    std::thread listener;
    std::atomic<bool> listenerEnded{false};
    Scheme scheme = Scheme::Http;
    int port = 0;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::map<std::string, Entry> entries;
    std::vector<RecordedRequest> requests;
    int stalled = 0;
    bool released = false;

    void handle(const httplib::Request& request, httplib::Response& response);
    void respond(Entry& entry, const httplib::Request& request, httplib::Response& response);
    bool provide(const TestResource& resource, const Span& span, std::optional<std::uint64_t> cutAt,
                 std::uint64_t at, httplib::DataSink& sink);
    void stall();
};

TestServer::TestServer(Scheme scheme) : m_state(std::make_unique<State>())
{
    m_state->scheme = scheme;
    if (scheme == Scheme::Https) {
        const auto& certificate = TestCertificate::instance();
        m_state->server = std::make_unique<httplib::SSLServer>(certificate.certificate(), certificate.key());
    } else {
        m_state->server = std::make_unique<httplib::Server>();
    }
    auto& server = *m_state->server;
    // One request per connection, and short waits, so that stopping never lingers.
    server.set_keep_alive_max_count(1);
    server.set_keep_alive_timeout(1);
    server.set_read_timeout(2);
    server.set_write_timeout(2);
    server.Get(".*", [state = m_state.get()](const httplib::Request& request, httplib::Response& response) {
        state->handle(request, response);
    });
    m_state->port = server.bind_to_any_port("127.0.0.1");
    if (m_state->port <= 0)
        throw std::runtime_error("test server: cannot bind");
    m_state->listener = std::thread([state = m_state.get()] {
        state->server->listen_after_bind();
        state->listenerEnded = true;
    });
    waitForTheAcceptLoop();
}

// stop() is ignored until the accept loop runs, and the library has no signal for it.
void TestServer::waitForTheAcceptLoop()
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!m_state->server->is_running() && !m_state->listenerEnded) {
        if (std::chrono::steady_clock::now() > deadline) {
            // The loop may still start and use the server: both are left to it.
            m_state->listener.detach();
            (void)m_state.release();
            throw std::runtime_error("test server: the accept loop did not start within 10 s");
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (!m_state->server->is_running()) {
        m_state->listener.join();
        throw std::runtime_error("test server: the accept loop ended as it started");
    }
}

TestServer::~TestServer()
{
    releaseStalls();
    m_state->server->stop();
    m_state->listener.join();
}

void TestServer::serve(const std::string& path, TestResource resource)
{
    std::lock_guard lock(m_state->mutex);
    Entry entry;
    entry.dropsLeft = resource.drops;
    entry.resource = std::move(resource);
    m_state->entries[path] = std::move(entry);
}

void TestServer::serve(const std::string& path, std::string body)
{
    TestResource resource;
    resource.body = std::move(body);
    serve(path, std::move(resource));
}

int TestServer::port() const
{
    return m_state->port;
}

std::string TestServer::baseUrl() const
{
    return std::string(m_state->scheme == Scheme::Https ? "https" : "http") + "://127.0.0.1:" +
           std::to_string(m_state->port);
}

std::vector<RecordedRequest> TestServer::requests() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->requests;
}

std::vector<RecordedRequest> TestServer::requestsFor(const std::string& path) const
{
    std::vector<RecordedRequest> found;
    for (auto& request : requests()) {
        if (request.path == path)
            found.push_back(std::move(request));
    }
    return found;
}

bool TestServer::stalling() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->stalled > 0;
}

bool TestServer::waitUntilStalling(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_state->mutex);
    return m_state->changed.wait_for(lock, timeout, [this] { return m_state->stalled > 0; });
}

void TestServer::releaseStalls()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->released = true;
    }
    m_state->changed.notify_all();
}

std::string TestServer::patternBytes(std::uint64_t from, std::size_t count)
{
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t at = from + i;
        bytes[i] = static_cast<char>((at * 131 + (at >> 9) + (at >> 17)) & 0xFF);
    }
    return bytes;
}

void TestServer::State::handle(const httplib::Request& request, httplib::Response& response)
{
    RecordedRequest recorded;
    recorded.method = request.method;
    recorded.target = request.target;
    recorded.path = request.path;
    for (const auto& header : request.headers)
        recorded.headers.emplace_back(header.first, header.second);
    // Ranges are answered here, never by the library, so that "no range support" holds.
    const_cast<httplib::Request&>(request).ranges.clear();

    std::unique_lock lock(mutex);
    requests.push_back(std::move(recorded));
    changed.notify_all();
    const auto found = entries.find(request.path);
    if (found == entries.end()) {
        response.status = 404;
        response.set_content("no such resource", "text/plain");
        return;
    }
    respond(found->second, request, response);
}

void TestServer::State::respond(Entry& entry, const httplib::Request& request, httplib::Response& response)
{
    TestResource resource = entry.resource;
    if (!resource.digestPassword.empty()
        && !DigestCheck::accepts(request.get_header_value("Authorization"), request.method, "user",
                                 resource.digestPassword)) {
        response.status = 401;
        response.set_header("WWW-Authenticate", DigestCheck::challenge());
        response.set_content("authorization required", "text/plain");
        return;
    }
    const int index = entry.requests++;
    if (resource.stallsOnlyRequest >= 0 && index != resource.stallsOnlyRequest)
        resource.stallAt.reset();
    response.status = index < static_cast<int>(resource.firstStatuses.size()) ? resource.firstStatuses[index]
                                                                             : resource.status;
    if (!resource.location.empty())
        response.set_header("Location", resource.location);
    if (!resource.disposition.empty())
        response.set_header("Content-Disposition", resource.disposition);
    if (!resource.retryAfter.empty() && response.status >= 400)
        response.set_header("Retry-After", resource.retryAfter);
    const std::string etag = index >= resource.etagChangesAt && resource.etagChangesAt >= 0 ? resource.laterEtag
                                                                                           : resource.etag;
    if (!etag.empty())
        response.set_header("ETag", etag);

    const std::uint64_t length = resource.generatedLength > 0 ? resource.generatedLength : resource.body.size();
    Span span{0, length};
    const bool sameVersion = !request.has_header("If-Range") || resource.ignoresIfRange
                          || request.get_header_value("If-Range") == etag;
    const auto asked = request.has_header("Range") && sameVersion ? askedRange(request.get_header_value("Range"))
                                                                  : std::nullopt;
    const std::uint64_t start = resource.partialFrom.value_or(asked ? resource.rangesFrom.value_or(asked->first) : 0);
    if (resource.ranges && (asked || resource.partialFrom) && response.status == 200) {
        if (start >= length) {
            response.status = 416;
            if (resource.rangeTotals)
                response.set_header("Content-Range", "bytes */" + std::to_string(length));
            response.set_content("", "text/plain");
            return;
        }
        response.status = 206;
        span.first = start;
        if (asked && asked->last && !resource.rangesFrom && !resource.partialFrom)
            span.end = std::min(length, *asked->last + 1);
        if (resource.rangeLength)
            span.end = std::min(length, start + *resource.rangeLength);
        response.set_header("Content-Range", "bytes " + std::to_string(span.first) + "-" + std::to_string(span.end - 1)
                                                 + "/" + std::to_string(resource.totalTold.value_or(length)));
    }
    if (resource.tellsRanges && response.status == 200)
        response.set_header("Accept-Ranges", "bytes");
    std::optional<std::uint64_t> cutAt;
    if (resource.dropAt && entry.dropsLeft > 0 && *resource.dropAt >= span.first && *resource.dropAt < span.end) {
        cutAt = resource.dropAt;
        --entry.dropsLeft;
    }
    if (const auto drop = resource.dropAtRequest.find(index); drop != resource.dropAtRequest.end())
        cutAt = drop->second;

    // The provider runs after the handler has returned, without the lock.
    auto provider = [this, resource, span, cutAt](std::size_t offset, httplib::DataSink& sink) {
        return provide(resource, span, cutAt, span.first + offset, sink);
    };
    switch (resource.framing) {
    case BodyFraming::Length:
        if (span.end == span.first) {
            response.set_content("", resource.contentType);
            break;
        }
        response.set_content_provider(
            static_cast<std::size_t>(span.end - span.first), resource.contentType,
            [provider](std::size_t offset, std::size_t, httplib::DataSink& sink) { return provider(offset, sink); });
        break;
    case BodyFraming::Chunked:
        response.set_chunked_content_provider(resource.contentType, provider);
        break;
    case BodyFraming::Close:
        response.set_content_provider(resource.contentType, provider);
        break;
    }
}

// Sends the next chunk from resource offset at on. Returning false makes the library
// close the connection: that is how a stall that was released and a cut end.
bool TestServer::State::provide(const TestResource& resource, const Span& span,
                                std::optional<std::uint64_t> cutAt, std::uint64_t at, httplib::DataSink& sink)
{
    if (resource.stallAt && at >= *resource.stallAt && at < span.end) {
        stall();
        return false;
    }
    if (resource.pauseAt && at == *resource.pauseAt && at < span.end)
        stall();
    if (cutAt && at >= *cutAt)
        return false;
    if (at >= span.end) {
        if (sink.done)
            sink.done();
        return true;
    }
    std::uint64_t end = std::min<std::uint64_t>(span.end, at + resource.chunkSize);
    if (cutAt)
        end = std::min(end, *cutAt);
    for (const auto& halt : {resource.stallAt, resource.pauseAt}) {
        if (halt && *halt > at)
            end = std::min(end, *halt);
    }
    if (resource.delayPerChunk.count() > 0)
        std::this_thread::sleep_for(resource.delayPerChunk);
    const auto count = static_cast<std::size_t>(end - at);
    const std::string bytes = resource.generatedLength > 0
                                  ? TestServer::patternBytes(at, count)
                                  : resource.body.substr(static_cast<std::size_t>(at), count);
    return sink.write(bytes.data(), bytes.size());
}

void TestServer::State::stall()
{
    std::unique_lock lock(mutex);
    ++stalled;
    changed.notify_all();
    changed.wait(lock, [this] { return released; });
    --stalled;
}

} // namespace zv::test
