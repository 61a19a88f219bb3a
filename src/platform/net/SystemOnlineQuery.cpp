#include "platform/net/SystemOnlineQuery.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include <ifaddrs.h>
#include <net/if.h>

namespace zv {

namespace {

std::string readWhole(const std::string& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

constexpr unsigned long RouteUp = 0x0001;
constexpr unsigned long RouteLocal = 0x80000000; // an address of this host, not a way out

unsigned long hexNumber(const std::string& text)
{
    try {
        return std::stoul(text, nullptr, 16);
    } catch (...) {
        return 0;
    }
}

// /proc/net/route: a header line, then "Iface Destination Gateway Flags ...".
void collectIpv4(const std::string& table, std::set<std::string>& into)
{
    std::istringstream lines(table);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name, destination, gateway, flags;
        if (fields >> name >> destination >> gateway >> flags && name != "lo"
            && (hexNumber(flags) & RouteUp))
            into.insert(name);
    }
}

// /proc/net/ipv6_route: "dest plen src plen nexthop metric refcnt use flags iface". Link-local
// and multicast routes exist on every interface that is up, so they say nothing.
void collectIpv6(const std::string& table, std::set<std::string>& into)
{
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string field[10];
        int count = 0;
        while (count < 10 && fields >> field[count])
            ++count;
        if (count < 10 || field[9] == "lo" || field[0].rfind("fe80", 0) == 0
            || field[0].rfind("ff", 0) == 0)
            continue;
        const unsigned long flags = hexNumber(field[8]);
        if ((flags & RouteUp) && !(flags & RouteLocal))
            into.insert(field[9]);
    }
}

} // namespace

SystemOnlineQuery::SystemOnlineQuery()
    : SystemOnlineQuery("/proc/net/route", "/proc/net/ipv6_route")
{
}

SystemOnlineQuery::SystemOnlineQuery(std::string ipv4Routes, std::string ipv6Routes)
    : m_ipv4Routes(std::move(ipv4Routes)), m_ipv6Routes(std::move(ipv6Routes))
{
}

std::set<std::string> SystemOnlineQuery::upInterfaces()
{
    std::set<std::string> names;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return names;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        const unsigned flags = entry->ifa_flags;
        if ((flags & IFF_UP) && (flags & IFF_RUNNING) && !(flags & IFF_LOOPBACK))
            names.insert(entry->ifa_name);
    }
    ::freeifaddrs(list);
    return names;
}

std::set<std::string> SystemOnlineQuery::routedInterfaces(const std::string& ipv4Table,
                                                          const std::string& ipv6Table)
{
    std::set<std::string> names;
    collectIpv4(ipv4Table, names);
    collectIpv6(ipv6Table, names);
    return names;
}

bool SystemOnlineQuery::isOnline() const
{
    const auto routed = routedInterfaces(readWhole(m_ipv4Routes), readWhole(m_ipv6Routes));
    for (const auto& name : upInterfaces()) {
        if (routed.count(name))
            return true;
    }
    return false;
}

} // namespace zv
