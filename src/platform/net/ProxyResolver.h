#pragma once

#include <memory>
#include <mutex>
#include <string>

namespace zv {

// The system's proxy decision for a URL (desktop settings, PAC, http_proxy/https_proxy/
// no_proxy), made by libproxy.
class ProxyResolver {
public:
    ProxyResolver();
    ProxyResolver(const ProxyResolver&) = delete;
    ProxyResolver& operator=(const ProxyResolver&) = delete;

    // The proxy in libcurl's notation ("http://host:port", "socks5://host:port"), or empty
    // for a direct connection. Safe to call from any thread.
    std::string proxyFor(const std::string& url);

    // The first of libproxy's answers that libcurl can use; empty for direct.
    static std::string choose(const char* const* proxies);

private:
    // Frees libproxy's pxProxyFactory; declared without libproxy's header.
    struct FactoryFree {
        void operator()(void* factory) const;
    };

    std::mutex m_mutex;
    const std::unique_ptr<void, FactoryFree> m_factory;
};

} // namespace zv
