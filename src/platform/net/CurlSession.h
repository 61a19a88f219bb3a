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
    Resumed resumeUrl(const std::string& url, std::uint64_t offset, const KnownFile& known = {}) override;
    Part openPart(const std::string& url, std::uint64_t first, std::uint64_t last, const KnownFile& known) override;
    FailureReason lastFailure() const override { return m_lastFailure; }

    // Only http and https URLs are ever fetched.
    static bool isFetchable(const std::string& url);

private:
    // The URL as it is sent (requestUrl) with the settings for a request to it, or nullopt
    // when it may not be fetched: lastFailure says why.
    std::optional<std::pair<std::string, TransferSettings>> requestFor(const std::string& url);

    TransferSettings m_settings;
    ProxyResolver& m_proxies;
    Interrupter* m_interrupter;
    FailureReason m_lastFailure;
};

} // namespace zv
