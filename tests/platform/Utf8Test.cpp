#include "platform/text/Utf8.h"

#include <gtest/gtest.h>

namespace Utf8 = zv::Utf8;

TEST(Utf8Cuts, AsciiIsCutAtTheByte)
{
    EXPECT_EQ(Utf8::prefixLength("abcdef", 3), 3u);
    EXPECT_EQ(Utf8::prefixLength("ab", 3), 2u);
    EXPECT_EQ(Utf8::suffixStart("abcdef", 2), 4u);
    EXPECT_EQ(Utf8::suffixStart("ab", 5), 0u);
}

TEST(Utf8Cuts, NeverSplitsAMultiByteSequence)
{
    const std::string text = "ab\xc3\xa9" "cd"; // a b é c d
    EXPECT_EQ(Utf8::prefixLength(text, 3), 2u);
    EXPECT_EQ(Utf8::prefixLength(text, 4), 4u);
    EXPECT_EQ(Utf8::suffixStart(text, 3), 4u);
    EXPECT_EQ(Utf8::suffixStart(text, 4), 2u);
    const std::string euro = "x\xe2\x82\xac"; // x €
    EXPECT_EQ(Utf8::prefixLength(euro, 2), 1u);
    EXPECT_EQ(Utf8::prefixLength(euro, 3), 1u);
    EXPECT_EQ(Utf8::suffixStart(euro, 2), 4u);
    EXPECT_EQ(Utf8::lastCharacterStart(euro), 1u);
}

TEST(Utf8Cuts, InvalidBytesAreCutLikeSingleBytes)
{
    const std::string stray = "ab\xa9\xa9\xa9\xa9" "cd";
    EXPECT_EQ(Utf8::prefixLength(stray, 4), 4u);
    EXPECT_EQ(Utf8::suffixStart(stray, 5), 3u);
    const std::string truncated = "ab\xe2\x82";
    EXPECT_EQ(Utf8::prefixLength(truncated, 3), 3u);
    EXPECT_EQ(Utf8::lastCharacterStart(truncated), 3u);
    EXPECT_EQ(Utf8::lastCharacterStart(""), 0u);
}

TEST(Utf8Validity, AcceptsWellFormedTextAndRefusesStrayTruncatedOverlongAndSurrogateBytes)
{
    EXPECT_TRUE(Utf8::isValid(""));
    EXPECT_TRUE(Utf8::isValid("ab\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80 \xf4\x8f\xbf\xbf"));
    for (const std::string bad : {"\xa9", "ab\xe2\x82", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80",
                                  "\xff", "\xc3(", "\xf0\x9f\x98"})
        EXPECT_FALSE(Utf8::isValid(bad)) << testing::PrintToString(bad);
}
