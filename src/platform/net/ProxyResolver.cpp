#include "platform/net/ProxyResolver.h"

#include <proxy.h>

#include <array>
#include <memory>
#include <string_view>

namespace zv {

namespace {

// The list of answers px_proxy_factory_get_proxies hands over.
struct ProxiesFree {
    void operator()(char** proxies) const { px_proxy_factory_free_proxies(proxies); }
};
using ProxyList = std::unique_ptr<char*, ProxiesFree>;

} // namespace

void ProxyResolver::FactoryFree::operator()(void* factory) const
{
    px_proxy_factory_free(static_cast<pxProxyFactory*>(factory));
}

ProxyResolver::ProxyResolver() : m_factory(px_proxy_factory_new()) {}

std::string ProxyResolver::proxyFor(const std::string& url)
{
    std::lock_guard lock(m_mutex);
    if (!m_factory)
        return {};
    auto* const factory = static_cast<pxProxyFactory*>(m_factory.get());
    const ProxyList proxies(px_proxy_factory_get_proxies(factory, url.c_str()));
    return choose(proxies.get());
}

std::string ProxyResolver::choose(const char* const* proxies)
{
    constexpr std::array<std::string_view, 6> usable = {"http://", "https://", "socks4://",
                                                        "socks4a://", "socks5://", "socks5h://"};
    for (; proxies && *proxies; ++proxies) {
        const std::string_view proxy = *proxies;
        if (proxy.substr(0, 9) == "direct://")
            return {};
        if (proxy.substr(0, 8) == "socks://")
            return "socks5://" + std::string(proxy.substr(8));
        for (const std::string_view scheme : usable) {
            if (proxy.substr(0, scheme.size()) == scheme)
                return std::string(proxy);
        }
    }
    return {};
}

} // namespace zv
