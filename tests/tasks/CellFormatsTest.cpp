#include "tasks/CellFormats.h"

#include <gtest/gtest.h>

#include <limits>

namespace CellFormats = zv::CellFormats;

TEST(SizeText, BytesBelowOneKilobyte)
{
    EXPECT_EQ(CellFormats::sizeText(0, "."), "0 Byte");
    EXPECT_EQ(CellFormats::sizeText(512, "."), "512 Byte");
    EXPECT_EQ(CellFormats::sizeText(1023, "."), "1023 Byte");
}

TEST(SizeText, KilobytesWithTwoDecimals)
{
    EXPECT_EQ(CellFormats::sizeText(1024, "."), "1.00 KB");
    EXPECT_EQ(CellFormats::sizeText(1536, "."), "1.50 KB");
    EXPECT_EQ(CellFormats::sizeText(1536, ","), "1,50 KB");
    EXPECT_EQ(CellFormats::sizeText(3000, "."), "2.93 KB");
    EXPECT_EQ(CellFormats::sizeText(1152, "."), "1.13 KB"); // 1.125 rounds half up
    EXPECT_EQ(CellFormats::sizeText(1048575, "."), "1024.00 KB");
}

TEST(SizeText, MegabytesFromExactlyOneMebibyte)
{
    EXPECT_EQ(CellFormats::sizeText(1048576, "."), "1.00 MB");
    EXPECT_EQ(CellFormats::sizeText(1048576, ","), "1,00 MB");
    EXPECT_EQ(CellFormats::sizeText(5ull << 30, "."), "5120.00 MB");
    EXPECT_EQ(CellFormats::sizeText((4ull << 30) + 1, "."), "4096.00 MB");
}

TEST(SizeText, WholeSixtyFourBitRangeIsExact)
{
    const auto max = std::numeric_limits<std::uint64_t>::max();
    EXPECT_EQ(CellFormats::sizeText(max, "."), "17592186044416.00 MB");
    EXPECT_EQ(CellFormats::sizeText(max - (1ull << 19), "."), "17592186044415.50 MB");
}

TEST(LocalFileLocation, OneSeparatorBetweenPathAndName)
{
    EXPECT_EQ(CellFormats::localFileLocation("/home/u/Downloads", "a.zip"), "/home/u/Downloads/a.zip");
    EXPECT_EQ(CellFormats::localFileLocation("/home/u/Downloads/", "a.zip"), "/home/u/Downloads/a.zip");
    EXPECT_EQ(CellFormats::localFileLocation("/home/u", ""), "/home/u/");
}

TEST(ScheduleSplit, EightAndSevenCharacterTimes)
{
    auto parts = CellFormats::splitSchedule("10.10.2007 12:34:56");
    EXPECT_EQ(parts.date, "10.10.2007");
    EXPECT_EQ(parts.time, "12:34:56");
    parts = CellFormats::splitSchedule("10.10.2007 9:05:00");
    EXPECT_EQ(parts.date, "10.10.2007");
    EXPECT_EQ(parts.time, "9:05:00");
}

TEST(ScheduleSplit, ShortAndOddTexts)
{
    auto parts = CellFormats::splitSchedule("10.10.2007 0:00");
    EXPECT_EQ(parts.time, "007 0:00");
    parts = CellFormats::splitSchedule(" 12:00:00");
    EXPECT_EQ(parts.date, " 12:00:00");
    EXPECT_EQ(parts.time, "12:00:00");
    parts = CellFormats::splitSchedule("abc");
    EXPECT_EQ(parts.date, "abc");
    EXPECT_EQ(parts.time, "abc");
    parts = CellFormats::splitSchedule("");
    EXPECT_EQ(parts.date, "");
    EXPECT_EQ(parts.time, "");
    parts = CellFormats::splitSchedule(" 1234567");
    EXPECT_EQ(parts.time, "1234567");
}

TEST(ScheduleSplit, MultiByteCharactersAreNeverCut)
{
    // "é" straddles the 10th byte and the start of the last 8 bytes.
    const std::string cell = "10.10.200\xc3\xa9" "1:00:00";
    const auto parts = CellFormats::splitSchedule(cell);
    EXPECT_EQ(parts.date, "10.10.200");
    EXPECT_EQ(parts.time, "1:00:00");
}

TEST(ScheduleSplit, ControlBytesAndLongCellsAreHandled)
{
    const std::string cell = std::string(10000, '\x01') + std::string("\0\r\n", 3);
    const auto parts = CellFormats::splitSchedule(cell);
    EXPECT_EQ(parts.date.size(), 10u);
    EXPECT_EQ(parts.time.size(), 8u);
}
