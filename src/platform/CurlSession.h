#pragma once

#include "platform/CurlTransfer.h"
#include "platform/InternetSession.h"

namespace zv {

class Interrupter;
class ProxyResolver;

class CurlSession final : public InternetSession {
public:
    CurlSession(TransferSettings settings, ProxyResolver& proxies, Interrupter* interrupter);

    std::unique_ptr<UrlStream> openUrl(const std::string& url) override;

    // Only http and https URLs are ever fetched.
    static bool isFetchable(const std::string& url);

private:
    TransferSettings m_settings;
    ProxyResolver& m_proxies;
    Interrupter* m_interrupter;
};

} // namespace zv
