#pragma once

#include "platform/services/InternetLimits.h"
#include "platform/services/InternetSessionFactory.h"

#include <memory>

namespace zv {

class ProxyResolver;

// Sessions on libcurl. TLS peers are verified against the system's trust store, or the
// bundle that CURL_CA_BUNDLE names when it is set.
class CurlSessionFactory final : public InternetSessionFactory {
public:
    explicit CurlSessionFactory(InternetLimits limits = {});
    ~CurlSessionFactory() override;

    std::unique_ptr<InternetSession> openSession(const std::string& agent, SessionUse use,
                                                 Interrupter* interrupter = nullptr) override;

    const InternetLimits& limits() const { return m_limits; }

private:
    InternetLimits m_limits;
    std::unique_ptr<ProxyResolver> m_proxies;
};

} // namespace zv
