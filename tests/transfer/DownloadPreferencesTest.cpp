#include "transfer/DownloadPreferences.h"

#include "support/MemorySettings.h"

#include <gtest/gtest.h>

using namespace zv;
using namespace zv::test;

namespace {

DownloadPreferences readFrom(std::string maxRunning, std::string speedLimit, std::string speedLimitOn)
{
    MemorySettings settings;
    settings.setValue("Downloads", "MaxRunning", maxRunning);
    settings.setValue("Downloads", "SpeedLimit", speedLimit);
    settings.setValue("Downloads", "SpeedLimitOn", speedLimitOn);
    return DownloadPreferences::read(settings);
}

} // namespace

TEST(DownloadPreferences, ABadValueReadsAsItsDefaultAndTheOthersAreKept)
{
    EXPECT_EQ(readFrom("5000", "2097152", "false"), (DownloadPreferences{0, 2097152, false}));
    EXPECT_EQ(readFrom("20", "fast", "true"), (DownloadPreferences{20, 0, true}));
    EXPECT_EQ(readFrom("-1", "-5", "yes"), (DownloadPreferences{0, 0, true}));
    EXPECT_EQ(readFrom("3 ", "10737418241", "false"), (DownloadPreferences{0, 0, false})); // over 10 GB/s
    EXPECT_EQ(readFrom("0", "10737418240", "false"), (DownloadPreferences{0, 10737418240, false}));
    EXPECT_EQ(DownloadPreferences::read(MemorySettings()), DownloadPreferences{}); // no file: no cap, no limit

    MemorySettings connections;
    connections.setValue("Downloads", "Connections", "17");
    connections.setValue("Downloads", "ConnectionsPerServer", "4");
    const DownloadPreferences read = DownloadPreferences::read(connections);
    EXPECT_EQ(read.connections, 1); // one connection, as without the key
    EXPECT_EQ(read.connectionsPerServer, 4);
    connections.setValue("Downloads", "Connections", "0");
    EXPECT_EQ(DownloadPreferences::read(connections).connections, 1);
}
