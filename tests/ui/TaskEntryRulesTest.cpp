#include "ui/TaskEntryRules.h"

#include <gtest/gtest.h>

using zv::TaskEntryRules;

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

TEST(TaskEntryRules, ShortTextIsTestedAtItsFirstCharacter)
{
    EXPECT_TRUE(TaskEntryRules::hasFileExtension(".a"));
    EXPECT_TRUE(TaskEntryRules::hasFileExtension(".ab"));
    EXPECT_TRUE(TaskEntryRules::hasFileExtension("."));
    EXPECT_FALSE(TaskEntryRules::hasFileExtension("ab"));
}

TEST(TaskEntryRules, FileNameIsTypedNameThenUrlSegmentThenFallback)
{
    EXPECT_EQ(TaskEntryRules::fileName("  my file.zip ", "http://h/a.zip"), "  my file.zip ");
    EXPECT_EQ(TaskEntryRules::fileName(" \t ", "http://h/a.zip"), "a.zip");
    EXPECT_EQ(TaskEntryRules::fileName("", "http://www.example.com/"), "url.htm");
    EXPECT_EQ(TaskEntryRules::fileName("", "http://h/dir/ "), "url.htm");
    EXPECT_EQ(TaskEntryRules::fileName("", "a.zip"), "a.zip");
    EXPECT_EQ(TaskEntryRules::fileName("\xc3\xa9.zip", "http://h/a.zip"), "\xc3\xa9.zip");
}

TEST(TaskEntryRules, BlankMeansOnlyBlanksAndControlCharacters)
{
    EXPECT_TRUE(TaskEntryRules::isBlank(""));
    EXPECT_TRUE(TaskEntryRules::isBlank(" \t\r\n\x01"));
    EXPECT_FALSE(TaskEntryRules::isBlank(" a "));
    EXPECT_FALSE(TaskEntryRules::isBlank("\xc2\xa0"));
}

TEST(TaskEntryRules, SizeTextCarriesTwoDecimalsAlsoForBytes)
{
    EXPECT_EQ(TaskEntryRules::sizeText(0, "."), "");
    EXPECT_EQ(TaskEntryRules::sizeText(1, "."), "1.00 Byte");
    EXPECT_EQ(TaskEntryRules::sizeText(1023, "."), "1023.00 Byte");
    EXPECT_EQ(TaskEntryRules::sizeText(1024, "."), "1.00 KB");
    EXPECT_EQ(TaskEntryRules::sizeText(1048575, "."), "1024.00 KB");
    EXPECT_EQ(TaskEntryRules::sizeText(1048576, ","), "1,00 MB");
}
