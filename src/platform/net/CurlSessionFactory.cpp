#include "platform/net/CurlSessionFactory.h"

#include "platform/net/CurlHandles.h"
#include "platform/net/CurlSession.h"
#include "platform/net/ProxyResolver.h"

#include <cstdlib>

namespace zv {

CurlSessionFactory::CurlSessionFactory(InternetLimits limits)
    : m_limits(limits), m_proxies(std::make_unique<ProxyResolver>())
{
    curl::initializeOnce();
}

CurlSessionFactory::~CurlSessionFactory() = default;

std::unique_ptr<InternetSession> CurlSessionFactory::openSession(const std::string& agent, SessionUse use,
                                                                 Interrupter* interrupter)
{
    TransferSettings settings;
    settings.agent = agent;
    settings.limits = m_limits;
    settings.probe = use == SessionUse::Probe;
    if (const char* bundle = std::getenv("CURL_CA_BUNDLE"))
        settings.caBundle = bundle;
    return std::make_unique<CurlSession>(std::move(settings), *m_proxies, interrupter);
}

} // namespace zv
