#include "transfer/ContentDisposition.h"

#include <gtest/gtest.h>

using zv::ContentDisposition::fileName;

TEST(ContentDisposition, TheExtendedNameWinsAndIsDecodedFromItsCharset)
{
    EXPECT_EQ(fileName("attachment; filename*=UTF-8''%e2%82%ac%20rates.pdf"), "\xe2\x82\xac rates.pdf");
    EXPECT_EQ(fileName("attachment; filename=\"plain.pdf\"; FILENAME*=iso-8859-1'en'%A3%20rates.pdf"),
              "\xc2\xa3 rates.pdf");
    EXPECT_EQ(fileName("attachment; filename*=UTF-8''a.pdf; filename=b.pdf"), "a.pdf");
}

TEST(ContentDisposition, AnUnusableExtendedNameFallsBackToTheFilenameOrToNothing)
{
    EXPECT_EQ(fileName("attachment; filename*=KOI8-R''%C1.txt; filename=\"b.txt\""), "b.txt");
    EXPECT_EQ(fileName("attachment; filename*=UTF-8''%zz.txt; filename=c.txt"), "c.txt");
    EXPECT_EQ(fileName("attachment; filename*=UTF-8''%C3.txt"), std::nullopt) << "not UTF-8";
    EXPECT_EQ(fileName("attachment; filename*=a.txt"), std::nullopt) << "no charset";
    EXPECT_EQ(fileName("attachment; filename=\"\""), std::nullopt);
    EXPECT_EQ(fileName("inline"), std::nullopt);
}

TEST(ContentDisposition, QuotedAndPlainNamesAreUnescapedAndPercentDecoded)
{
    EXPECT_EQ(fileName("attachment; filename=\"say \\\"hi\\\"; now.txt\"; size=3"), "say \"hi\"; now.txt");
    EXPECT_EQ(fileName(" attachment ;  Filename = my%20file.zip ; size=3"), "my file.zip");
    EXPECT_EQ(fileName("attachment; filename=\"r%E9sum%E9 100%.pdf\""), "r\xc3\xa9sum\xc3\xa9 100%.pdf")
        << "bytes that are not UTF-8 are read as ISO-8859-1";
    EXPECT_EQ(fileName("filename=bare.zip"), "bare.zip");
}
