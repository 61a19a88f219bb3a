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

std::optional<TransferSettings> CurlSession::settingsFor(const std::string& url) const
{
    if (!isFetchable(url) || (m_interrupter && m_interrupter->interrupted()))
        return std::nullopt;
    TransferSettings settings = m_settings;
    settings.proxy = m_proxies.proxyFor(url);
    return settings;
}

std::unique_ptr<UrlStream> CurlSession::openUrl(const std::string& url)
{
    const auto sent = requestUrl(url);
    const auto settings = sent ? settingsFor(*sent) : std::nullopt;
    if (!settings)
        return nullptr;
    return CurlUrlStream::open(*sent, *settings, m_interrupter);
}

InternetSession::Resumed CurlSession::resumeUrl(const std::string& url, std::uint64_t offset)
{
    const auto sent = requestUrl(url);
    const auto settings = sent ? settingsFor(*sent) : std::nullopt;
    if (!settings)
        return {};
    return CurlUrlStream::resume(*sent, *settings, m_interrupter, offset);
}

} // namespace zv
