#include "transfer/DownloadPreferences.h"
#include "transfer/SpeedLimitText.h"

#include <gtest/gtest.h>

using namespace zv;
using Unit = SpeedLimitText::Unit;

TEST(SpeedLimitText, ATypedLimitIsAPositiveNumberUpTo10GBPerSecondInTheGivenUnit)
{
    for (const char* bad : {"0", "0.0", "-1", "fast", "", " ", "1.2.3", "1 000", "1e3", "0.0000001", "10240.001",
                            "99999999999999999999999"})
        EXPECT_EQ(SpeedLimitText::bytesPerSecond(bad, Unit::MBps, ","), std::nullopt) << bad;
    EXPECT_EQ(SpeedLimitText::bytesPerSecond(" 256 ", Unit::KBps, "."), 262144u);
    EXPECT_EQ(SpeedLimitText::bytesPerSecond("1,5", Unit::MBps, ","), 1572864u);
    EXPECT_EQ(SpeedLimitText::bytesPerSecond("1.5", Unit::MBps, ","), 1572864u);
    EXPECT_EQ(SpeedLimitText::bytesPerSecond("10240", Unit::MBps, "."), DownloadPreferences::FastestLimit);
}

// The dialog shows the limit in effect; pressing OK on it unchanged must keep it to the byte.
TEST(SpeedLimitText, AShownLimitReadsBackAsTheSameLimit)
{
    for (const std::uint64_t limit : std::initializer_list<std::uint64_t>{1, 1000000, 262144, 1572864, 5 * 1024 * 1024,
                                                                          1048575, DownloadPreferences::FastestLimit}) {
        const auto [number, unit] = SpeedLimitText::shown(limit, ",");
        EXPECT_EQ(SpeedLimitText::bytesPerSecond(number, unit, ","), limit) << number;
    }
    EXPECT_EQ(SpeedLimitText::shown(1572864, ",").number, "1,5");
    EXPECT_EQ(SpeedLimitText::shown(1572864, ",").unit, Unit::MBps);
    EXPECT_EQ(SpeedLimitText::shown(1000000, ".").number, "976.5625");
    EXPECT_EQ(SpeedLimitText::shown(1000000, ".").unit, Unit::KBps);
}
