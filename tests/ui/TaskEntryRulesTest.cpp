#include "ui/TaskEntryRules.h"

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
