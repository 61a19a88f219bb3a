#include "platform/CurlSession.h"

#include "platform/CurlUrlStream.h"
#include "platform/Interrupter.h"
#include "platform/ProxyResolver.h"

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

std::unique_ptr<UrlStream> CurlSession::openUrl(const std::string& url)
{
    if (!isFetchable(url) || (m_interrupter && m_interrupter->interrupted()))
        return nullptr;
    TransferSettings settings = m_settings;
    settings.proxy = m_proxies.proxyFor(url);
    return CurlUrlStream::open(url, settings, m_interrupter);
}

} // namespace zv
