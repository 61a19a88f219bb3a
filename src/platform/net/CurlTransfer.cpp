#include "platform/net/CurlTransfer.h"

#include "platform/text/HeaderText.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <ctime>
#include <new>
#include <string_view>

namespace zv {

namespace {

// Results of our own making, beyond libcurl's codes.
constexpr int SilenceTimeOut = CURLE_OPERATION_TIMEDOUT;
constexpr int Interrupted = CURLE_ABORTED_BY_CALLBACK;

// Receiving pauses once this much is held, so that the bytes are still in the cache when
// they are read.
constexpr std::size_t HeldLimit = 128 * 1024;

bool isRedirect(long status)
{
    return status >= 300 && status < 400;
}

// The kind of failure a libcurl result is. A connection that breaks is lost before the
// answer's status arrived, and cuts the body short after it.
FailureReason::Kind kindOf(int result, long status)
{
    using Kind = FailureReason::Kind;
    switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return Kind::Resolve;
    case CURLE_COULDNT_CONNECT:
        return Kind::Connect;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return Kind::TlsCertificate;
    case CURLE_SSL_CONNECT_ERROR:
        return Kind::TlsHandshake;
    case CURLE_TOO_MANY_REDIRECTS:
        return Kind::Redirect;
    case CURLE_UNSUPPORTED_PROTOCOL:
        // Every request is http or https: a refused scheme is where a redirect pointed.
        return isRedirect(status) ? Kind::Redirect : Kind::Unsupported;
    case CURLE_URL_MALFORMAT:
        return Kind::Unsupported;
    case CURLE_OK: // ended without error, but short of its announced length
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return status == 0 ? Kind::ConnectionLost : Kind::CutShort;
    case Interrupted:
        return Kind::Interrupted;
    default:
        return Kind::Other;
    }
}

// Whether url begins with scheme and "://", in any case.
bool hasScheme(std::string_view url, std::string_view scheme)
{
    if (url.size() < scheme.size() + 3 || url.substr(scheme.size(), 3) != "://")
        return false;
    return std::equal(scheme.begin(), scheme.end(), url.begin(),
                      [](char wanted, char given) { return wanted == std::tolower(static_cast<unsigned char>(given)); });
}

} // namespace

CurlTransfer::CurlTransfer(const std::string& url, const TransferSettings& settings,
                           std::uint64_t rangeFrom, Interrupter* interrupter, const std::string& ifRange)
    : CurlTransfer(url, settings, RequestedRange{rangeFrom, std::nullopt, ifRange}, interrupter)
{
}

CurlTransfer::CurlTransfer(const std::string& url, const TransferSettings& settings, const RequestedRange& range,
                           Interrupter* interrupter)
    : m_interrupter(interrupter), m_silenceLimit(settings.limits.silence)
{
    curl::initializeOnce();
    m_multi.reset(curl_multi_init());
    m_easy = curl::newEasyHandle();
    if (!m_multi || !m_easy) {
        endWith(CURLE_OUT_OF_MEMORY);
        return;
    }
    if (!configure(url, settings, range)) {
        // Without the limit to http and https nothing is fetched.
        endWith(CURLE_UNSUPPORTED_PROTOCOL);
        return;
    }
    if (curl_multi_add_handle(m_multi.get(), m_easy.get()) != CURLM_OK) {
        endWith(CURLE_FAILED_INIT);
        return;
    }
    if (m_interrupter) {
        void* multi = m_multi.get();
        m_wakeOnInterrupt = m_interrupter->subscribe([multi] { curl_multi_wakeup(multi); });
    }
}

CurlTransfer::~CurlTransfer()
{
    // No wake-up may reach the multi handle once it is gone.
    m_wakeOnInterrupt.reset();
    if (m_multi && m_easy)
        curl_multi_remove_handle(m_multi.get(), m_easy.get());
}

bool CurlTransfer::limitProtocols(void* easy, const char* protocols)
{
    return curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, protocols) == CURLE_OK
        && curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, protocols) == CURLE_OK;
}

bool CurlTransfer::configure(const std::string& url, const TransferSettings& settings, const RequestedRange& range)
{
    CURL* easy = m_easy.get();
    static_assert(sizeof m_errorText >= CURL_ERROR_SIZE);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, m_errorText.data());
    m_headers.reset(curl_slist_append(nullptr, "Accept: */*"));
    // A validator holding a line break would add a header of its own: it is not sent. Without
    // memory for it the request is not made, since the range could then be of another version.
    const std::string& ifRange = range.ifRange;
    if (range.ranged() && !ifRange.empty() && ifRange.find_first_of("\r\n") == std::string::npos &&
        !curl_slist_append(m_headers.get(), ("If-Range: " + ifRange).c_str()))
        return false;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_USERAGENT, settings.agent.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, m_headers.get());
    if (!limitProtocols(easy, "http,https"))
        return false;
    // As browsers refuse an insecure download started from a secure page, https is never
    // left for http.
    m_https = hasScheme(url, "https");
    if (m_https && curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https") != CURLE_OK)
        return false;
    // A user:password@ address is first asked without the password; only the scheme the
    // server asks for is answered, so Digest works and no password goes out as Basic
    // to a server that never asked for it.
    curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST));
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // An empty proxy text means direct: the environment has already been consulted.
    curl_easy_setopt(easy, CURLOPT_PROXY, settings.proxy.c_str());
    if (!settings.caBundle.empty())
        curl_easy_setopt(easy, CURLOPT_CAINFO, settings.caBundle.c_str());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings.limits.connect.count()));
    if (settings.probe)
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(settings.limits.probe.count()));
    if (range.ranged()) {
        const std::string span = std::to_string(range.first) + "-" + (range.last ? std::to_string(*range.last) : "");
        curl_easy_setopt(easy, CURLOPT_RANGE, span.c_str()); // copied by libcurl
    }
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 64L * 1024L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlTransfer::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    return true;
}

std::size_t CurlTransfer::onBody(char* data, std::size_t size, std::size_t count, void* self)
{
    auto* transfer = static_cast<CurlTransfer*>(self);
    const std::size_t bytes = size * count;
    try {
        transfer->m_body.insert(transfer->m_body.end(), data, data + bytes);
    } catch (const std::bad_alloc&) {
        // No exception may unwind through libcurl's frames: abort the transfer instead, which
        // then ends with CURLE_WRITE_ERROR, never cleanly.
        return CURL_WRITEFUNC_ERROR;
    }
    transfer->m_received += bytes;
    transfer->m_lastActivity = std::chrono::steady_clock::now();
    if (transfer->held() >= HeldLimit && !transfer->m_paused) {
        transfer->m_paused = true;
        curl_easy_pause(transfer->m_easy.get(), CURLPAUSE_RECV);
    }
    return bytes;
}

void CurlTransfer::resumeReceiving()
{
    if (!m_paused)
        return;
    m_paused = false;
    curl_easy_pause(m_easy.get(), CURLPAUSE_CONT);
}

std::size_t CurlTransfer::onHeader(char*, std::size_t size, std::size_t count, void* self)
{
    static_cast<CurlTransfer*>(self)->m_lastActivity = std::chrono::steady_clock::now();
    return size * count;
}

void CurlTransfer::waitForBody()
{
    using namespace std::chrono;
    // Silence is counted only while someone waits for bytes.
    m_lastActivity = steady_clock::now();
    resumeReceiving();
    while (held() == 0 && !m_ended) {
        if (interrupted()) {
            endWith(Interrupted);
            return;
        }
        int running = 0;
        if (curl_multi_perform(m_multi.get(), &running) != CURLM_OK) {
            endWith(CURLE_FAILED_INIT);
            return;
        }
        collectResult();
        if (held() > 0 || m_ended)
            return;
        const auto silent = duration_cast<milliseconds>(steady_clock::now() - m_lastActivity);
        if (silent >= m_silenceLimit) {
            m_silent = true;
            endWith(SilenceTimeOut);
            return;
        }
        const auto wait = std::clamp<long long>((m_silenceLimit - silent).count(), 1, 60'000);
        curl_multi_poll(m_multi.get(), nullptr, 0, static_cast<int>(wait), nullptr);
    }
}

void CurlTransfer::collectResult()
{
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE)
            endWith(message->data.result);
    }
}

void CurlTransfer::endWith(int result)
{
    if (m_ended)
        return;
    m_ended = true;
    m_result = result;
}

std::size_t CurlTransfer::read(char* buffer, std::size_t size)
{
    if (held() == 0)
        waitForBody();
    const std::size_t count = std::min(size, held());
    if (count == 0)
        return 0;
    std::memcpy(buffer, m_body.data() + m_readPosition, count);
    m_readPosition += count;
    if (m_readPosition == m_body.size()) {
        m_body.clear(); // keeps its capacity for the next batch
        m_readPosition = 0;
    }
    return count;
}

bool CurlTransfer::endedCleanly() const
{
    if (!m_ended || m_result != CURLE_OK)
        return false;
    const auto length = announcedLength();
    return !length || *length == m_received;
}

FailureReason CurlTransfer::failure() const
{
    using Kind = FailureReason::Kind;
    if (!m_ended || endedCleanly())
        return {};
    if (m_silent)
        return FailureReason::of(Kind::Silence, std::to_string(m_silenceLimit.count()) + " ms");
    Kind kind = kindOf(m_result, status());
    if (kind == Kind::Redirect && m_result == CURLE_UNSUPPORTED_PROTOCOL && m_https && redirectsTo("http"))
        kind = Kind::InsecureRedirect;
    if (m_result == CURLE_OPERATION_TIMEDOUT) // the connect limit, or the probe's
        kind = connected() ? Kind::Silence : Kind::ConnectTimeout;
    if (m_result == CURLE_OK)
        return FailureReason::of(kind, "fewer bytes than announced");
    std::string detail = m_errorText[0] ? m_errorText.data() : curl_easy_strerror(static_cast<CURLcode>(m_result));
    FailureReason failure = FailureReason::of(kind, std::move(detail));
    if (m_result == CURLE_COULDNT_RESOLVE_HOST)
        failure.host = requestedHost();
    return failure;
}

std::string CurlTransfer::requestedHost() const
{
    // The host part alone: the address's user and password never reach a text.
    const std::string address = effectiveUrl();
    if (address.empty())
        return {};
    const curl::UrlHandle url(curl_url());
    char* host = nullptr;
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK
        || curl_url_get(url.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK)
        return {};
    std::string name(host);
    curl_free(host);
    return name;
}

bool CurlTransfer::connected() const
{
    curl_off_t connectTime = 0;
    return m_easy && curl_easy_getinfo(m_easy.get(), CURLINFO_CONNECT_TIME_T, &connectTime) == CURLE_OK
        && connectTime > 0;
}

bool CurlTransfer::redirectsTo(std::string_view scheme) const
{
    // Where a refused redirect led is the effective address once libcurl tried to follow it.
    const std::string target = effectiveUrl();
    return !target.empty() && hasScheme(target, scheme);
}

std::string CurlTransfer::effectiveUrl() const
{
    char* address = nullptr;
    if (!m_easy || curl_easy_getinfo(m_easy.get(), CURLINFO_EFFECTIVE_URL, &address) != CURLE_OK || !address)
        return {};
    return address;
}

long CurlTransfer::status() const
{
    long code = 0;
    if (m_easy)
        curl_easy_getinfo(m_easy.get(), CURLINFO_RESPONSE_CODE, &code);
    return code;
}

std::optional<std::uint64_t> CurlTransfer::announcedLength() const
{
    curl_off_t length = -1;
    if (m_easy)
        curl_easy_getinfo(m_easy.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(length);
}

std::optional<std::string> CurlTransfer::header(const char* name) const
{
    curl_header* found = nullptr;
    if (!m_easy || curl_easy_header(m_easy.get(), name, 0, CURLH_HEADER, -1, &found) != CURLHE_OK)
        return std::nullopt;
    return std::string(found->value);
}

std::optional<std::chrono::seconds> CurlTransfer::retryAfter() const
{
    const auto value = header("Retry-After");
    if (!value)
        return std::nullopt;
    const std::string_view text = HeaderText::trimmed(*value);
    long long seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error == std::errc() && end == text.data() + text.size() && seconds >= 0)
        return std::chrono::seconds(seconds);
    const std::time_t date = curl_getdate(std::string(text).c_str(), nullptr);
    if (date < 0)
        return std::nullopt;
    return std::chrono::seconds(std::max<std::time_t>(date - std::time(nullptr), 0));
}

} // namespace zv
