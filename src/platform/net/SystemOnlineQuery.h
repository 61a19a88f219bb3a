#pragma once

#include "platform/services/OnlineQuery.h"

#include <set>
#include <string>

namespace zv {

// Online when a non-loopback interface is up and running and carries a route. Reads the
// interface list and the kernel's routing tables: cheap enough for every few seconds.
class SystemOnlineQuery final : public OnlineQuery {
public:
    SystemOnlineQuery();
    // Other routing tables, for tests.
    SystemOnlineQuery(std::string ipv4Routes, std::string ipv6Routes);

    bool isOnline() const override;

    static std::set<std::string> upInterfaces();
    // The interfaces named in a /proc/net/route or /proc/net/ipv6_route text.
    static std::set<std::string> routedInterfaces(const std::string& ipv4Table,
                                                  const std::string& ipv6Table);

private:
    std::string m_ipv4Routes;
    std::string m_ipv6Routes;
};

} // namespace zv
