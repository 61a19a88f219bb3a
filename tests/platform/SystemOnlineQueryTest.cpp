#include "platform/net/SystemOnlineQuery.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace zv;

namespace {

const char* ipv4Header = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

} // namespace

TEST(OnlineRoutes, Ipv4RoutesThatAreUpCount)
{
    const std::string table = std::string(ipv4Header)
        + "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"
        + "wlan0\t000200C0\t00000000\t0000\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"
        + "lo\t0000007F\t00000000\t0001\t0\t0\t0\t000000FF\t0\t0\t0\n";
    EXPECT_EQ(SystemOnlineQuery::routedInterfaces(table, ""), std::set<std::string>{"eth0"});
}

TEST(OnlineRoutes, Ipv6LinkLocalMulticastAndOwnAddressesDoNotCount)
{
    const std::string table =
        "fe800000000000000000000000000000 40 00000000000000000000000000000000 00 00000000000000000000000000000000 00000100 00000002 00000000 00000001     eth1\n"
        "ff000000000000000000000000000000 08 00000000000000000000000000000000 00 00000000000000000000000000000000 00000100 00000002 00000000 00000001     eth1\n"
        "fd000000000000000000000000000002 80 00000000000000000000000000000000 00 00000000000000000000000000000000 00000000 00000003 00000000 80200001     eth1\n"
        "00000000000000000000000000000000 00 00000000000000000000000000000000 00 fd000000000000000000000000000001 00000400 00000002 00000000 00000003     eth2\n"
        "00000000000000000000000000000001 80 00000000000000000000000000000000 00 00000000000000000000000000000000 00000000 00000002 00000000 80200001       lo\n";
    EXPECT_EQ(SystemOnlineQuery::routedInterfaces(ipv4Header, table), std::set<std::string>{"eth2"});
}

TEST(OnlineRoutes, GarbageTablesGiveNoInterfaces)
{
    EXPECT_TRUE(SystemOnlineQuery::routedInterfaces("", "").empty());
    EXPECT_TRUE(SystemOnlineQuery::routedInterfaces("x\ny z\n\xff\xff\n", "short line\n").empty());
}

TEST(OnlineQuery, WithoutRoutesTheComputerIsOffline)
{
    test::TempDir dir;
    test::writeFile(dir.path() / "route", ipv4Header);
    test::writeFile(dir.path() / "ipv6_route", "");
    EXPECT_FALSE(SystemOnlineQuery(dir.file("route"), dir.file("ipv6_route")).isOnline());
    EXPECT_FALSE(SystemOnlineQuery(dir.file("missing"), dir.file("missing")).isOnline());
}

TEST(OnlineQuery, LoopbackIsNeverAnUpInterface)
{
    EXPECT_EQ(SystemOnlineQuery::upInterfaces().count("lo"), 0u);
}
