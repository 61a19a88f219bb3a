#include "platform/text/FormatSettings.h"
#include "tasks/TaskTable.h"
#include "transfer/TaskEntryRules.h"

#include <gtest/gtest.h>

namespace TaskEntryRules = zv::TaskEntryRules;

TEST(TaskEntryRules, SchemeIsHttpOrHttpsInAnyCase)
{
    EXPECT_TRUE(TaskEntryRules::hasWebScheme("HTTP://Host/A.ZIP"));
    EXPECT_TRUE(TaskEntryRules::hasWebScheme("hTtPs://host/a.zip"));
    EXPECT_TRUE(TaskEntryRules::hasWebScheme("http:"));
    EXPECT_FALSE(TaskEntryRules::hasWebScheme("ftp://host/a.zip"));
    EXPECT_FALSE(TaskEntryRules::hasWebScheme("httpx://host/a.zip"));
    EXPECT_FALSE(TaskEntryRules::hasWebScheme(" http://host/a.zip"));
    EXPECT_FALSE(TaskEntryRules::hasWebScheme("http"));
}

TEST(TaskEntryRules, ExtensionIsADotTwoToFivePlacesFromTheEnd)
{
    EXPECT_TRUE(TaskEntryRules::hasFileExtension("http://host/a.z"));
    EXPECT_TRUE(TaskEntryRules::hasFileExtension("http://host/a.zip"));
    EXPECT_TRUE(TaskEntryRules::hasFileExtension("http://host/a.jpeg"));
    EXPECT_TRUE(TaskEntryRules::hasFileExtension("http://www.example.com/"));
    EXPECT_FALSE(TaskEntryRules::hasFileExtension("http://host/file"));
    EXPECT_FALSE(TaskEntryRules::hasFileExtension("http://host/a.html5"));
    EXPECT_FALSE(TaskEntryRules::hasFileExtension("http://host/a."));
    EXPECT_FALSE(TaskEntryRules::hasFileExtension(""));
}

TEST(TaskEntryRules, ExtensionIsTestedWithoutTheQueryAndTheFragment)
{
    EXPECT_TRUE(TaskEntryRules::hasFileExtension("https://cdn.example.org/tool-2.3.tar.gz?X-Amz-Signature=4f2a"));
    EXPECT_TRUE(TaskEntryRules::hasFileExtension("http://host/a.zip#part2"));
    EXPECT_FALSE(TaskEntryRules::hasFileExtension("https://example.org/download?id=42"));
    EXPECT_FALSE(TaskEntryRules::hasFileExtension("http://host/file#a.b"));
}

TEST(TaskEntryRules, ShortTextIsTestedAtItsFirstCharacter)
{
    EXPECT_TRUE(TaskEntryRules::hasFileExtension(".a"));
    EXPECT_TRUE(TaskEntryRules::hasFileExtension(".ab"));
    EXPECT_TRUE(TaskEntryRules::hasFileExtension("."));
    EXPECT_FALSE(TaskEntryRules::hasFileExtension("ab"));
}

TEST(TaskEntryRules, BlankMeansOnlyBlanksAndControlCharacters)
{
    EXPECT_TRUE(TaskEntryRules::isBlank(""));
    EXPECT_TRUE(TaskEntryRules::isBlank(" \t\r\n\x01"));
    EXPECT_FALSE(TaskEntryRules::isBlank(" a "));
    EXPECT_FALSE(TaskEntryRules::isBlank("\xc2\xa0"));
}

TEST(TaskEntryRules, OkRefusesAFullListThenTheAddressThenTheFolderInThatOrder)
{
    using zv::TaskTable;
    const auto refusedWith = [](const std::string& url, const std::string& path, bool adding, int count) {
        const auto refused = TaskEntryRules::refusal(url, path, adding, count);
        return refused ? refused->caption + ": " + refused->text : std::string();
    };
    const int full = TaskTable::MaxTasks;
    EXPECT_EQ(refusedWith("ftp://h/a", " ", true, full),
              "Too many tasks!: The list of tasks is full: 254 tasks at most!\rClear the list to add new tasks.");
    EXPECT_EQ(refusedWith("http://h/a.zip", "/dl", false, full), "") << "a modification still fits";
    EXPECT_EQ(refusedWith("ftp://h/a", " ", true, full - 1),
              "Attempt of access to a file: Example for adress:\rhttp://\rhttps://");
    EXPECT_EQ(refusedWith("http://h/file", " ", true, 0), "File corrupt!: Is not supported this file!");
    EXPECT_EQ(refusedWith("https://cdn.example.org/tool-2.3.tar.gz?X-Amz-Signature=4f2a", "/dl", true, 0), "");
    EXPECT_EQ(refusedWith("http://h/a.zip", " \t", true, 0), "Free path!: Please! Select directory!");
    EXPECT_EQ(refusedWith("HTTP://H/A.ZIP", "/dl", true, 0), "");
}

TEST(TaskEntryRules, FileNameIsTheTypedOneUnlessBlankThenTheUrlsThenTheFallback)
{
    EXPECT_EQ(TaskEntryRules::fileName("   ", "http://h/dir/b.zip"), "b.zip");
    EXPECT_EQ(TaskEntryRules::fileName(" my copy.zip ", "http://h/dir/b.zip"), " my copy.zip ");
    EXPECT_EQ(TaskEntryRules::fileName("", "HTTP://H/A.ZIP"), "A.ZIP");
    EXPECT_EQ(TaskEntryRules::fileName("", "http://h/www.example.com/"), "url.htm");
}

TEST(TaskEntryRules, SizeIsTheEditorsRenderingOfTheProbeAndEmptyForNothing)
{
    EXPECT_EQ(TaskEntryRules::sizeText(0, "."), "");
    EXPECT_EQ(TaskEntryRules::sizeText(1023, "."), "1023.00 Byte");
    EXPECT_EQ(TaskEntryRules::sizeText(1024, "."), "1.00 KB");
    EXPECT_EQ(TaskEntryRules::sizeText(1048575, "."), "1024.00 KB");
    EXPECT_EQ(TaskEntryRules::sizeText(1048576, ","), "1,00 MB");
}

TEST(TaskEntryRules, ScheduleIsKeptAsTypedOnlyWhereTheWatchReadsItElseCanonically)
{
    const zv::FormatSettings formats;
    EXPECT_EQ(TaskEntryRules::scheduleCell("10.10.2007", "09:05:00", formats), "10.10.2007 09:05:00");
    EXPECT_EQ(TaskEntryRules::scheduleCell("1.1.2030", "12:00", formats), "01.01.2030 12:00:00");
}
