#pragma once

#include "platform/net/CurlTransfer.h"
#include "platform/services/InternetSession.h"

#include <optional>

namespace zv {

class Interrupter;
class ProxyResolver;

class CurlSession final : public InternetSession {
public:
    CurlSession(TransferSettings settings, ProxyResolver& proxies, Interrupter* interrupter);

    std::unique_ptr<UrlStream> openUrl(const std::string& url) override;
    Resumed resumeUrl(const std::string& url, std::uint64_t offset) override;

    // Only http and https URLs are ever fetched.
    static bool isFetchable(const std::string& url);

private:
    // The settings for a request to url (sent as requestUrl makes it), or nullopt when it
    // may not be fetched.
    std::optional<TransferSettings> settingsFor(const std::string& url) const;

    TransferSettings m_settings;
    ProxyResolver& m_proxies;
    Interrupter* m_interrupter;
};

} // namespace zv
