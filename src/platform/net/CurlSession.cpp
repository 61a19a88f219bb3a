#include "platform/net/CurlSession.h"

#include "platform/net/CurlUrlStream.h"
#include "platform/threads/Interrupter.h"
#include "platform/net/ProxyResolver.h"
#include "platform/net/RequestUrl.h"

#include <algorithm>
#include <cctype>

namespace zv {

CurlSession::CurlSession(TransferSettings settings, ProxyResolver& proxies, Interrupter* interrupter)
    : m_settings(std::move(settings)), m_proxies(proxies), m_interrupter(interrupter)
{
}

bool CurlSession::isFetchable(const std::string& url)
{
    std::string scheme = url.substr(0, url.find(':'));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::string rest = url.substr(std::min(url.size(), scheme.size()));
    return (scheme == "http" || scheme == "https") && rest.rfind("://", 0) == 0;
}

std::optional<std::pair<std::string, TransferSettings>> CurlSession::requestFor(const std::string& url)
{
    using Kind = FailureReason::Kind;
    m_lastFailure = {};
    auto sent = requestUrl(url);
    if (!sent || !isFetchable(*sent))
        m_lastFailure = FailureReason::of(Kind::Unsupported);
    else if (m_interrupter && m_interrupter->interrupted())
        m_lastFailure = FailureReason::of(Kind::Interrupted);
    if (m_lastFailure.failed())
        return std::nullopt;
    TransferSettings settings = m_settings;
    settings.proxy = m_proxies.proxyFor(*sent);
    return std::pair{std::move(*sent), std::move(settings)};
}

std::unique_ptr<UrlStream> CurlSession::openUrl(const std::string& url)
{
    const auto request = requestFor(url);
    if (!request)
        return nullptr;
    return CurlUrlStream::open(request->first, request->second, m_interrupter, m_lastFailure);
}

InternetSession::Resumed CurlSession::resumeUrl(const std::string& url, std::uint64_t offset,
                                                const KnownFile& known)
{
    const auto request = requestFor(url);
    if (!request)
        return {SeekResult::Failed, nullptr, m_lastFailure};
    Resumed resumed = CurlUrlStream::resume(request->first, request->second, m_interrupter, offset, known);
    m_lastFailure = resumed.failure;
    return resumed;
}

InternetSession::Part CurlSession::openPart(const std::string& url, std::uint64_t first, std::uint64_t last,
                                           const KnownFile& known)
{
    const auto request = requestFor(url);
    if (!request)
        return {nullptr, m_lastFailure};
    Part part;
    part.stream = CurlUrlStream::openPart(request->first, request->second, m_interrupter, first, last, known,
                                          part.failure);
    m_lastFailure = part.failure;
    return part;
}

} // namespace zv
