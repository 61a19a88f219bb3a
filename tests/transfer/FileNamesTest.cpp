#include "platform/text/Utf8.h"
#include "transfer/ContentDisposition.h"
#include "transfer/FileNames.h"

#include <gtest/gtest.h>

#include <set>

namespace FileNames = zv::FileNames;

namespace {

std::optional<std::string> serverName(std::string_view header)
{
    const auto given = zv::ContentDisposition::fileName(header);
    return given ? FileNames::safeServerName(*given) : std::nullopt;
}

} // namespace

TEST(FileNames, AServerNameKeepsOnlyItsLastPartWithoutControlCharacters)
{
    EXPECT_EQ(serverName("attachment; filename=../../etc/passwd"), "passwd");
    EXPECT_EQ(serverName("attachment; filename=/abs"), "abs");
    EXPECT_EQ(serverName("attachment; filename*=UTF-8''evil%0A.txt"), "evil.txt");
    EXPECT_EQ(FileNames::safeServerName("..\\..\\win.ini"), "win.ini");
    EXPECT_EQ(FileNames::safeServerName("  report\r\n.pdf. \x7f"), "report.pdf");
    EXPECT_EQ(FileNames::safeServerName(".profile"), ".profile");
    for (const char* nothing : {"", "..", "dir/", " . ", "a/..", "\n"})
        EXPECT_EQ(FileNames::safeServerName(nothing), std::nullopt) << nothing;
}

TEST(FileNames, ALongServerNameIsCutOnACharacterBoundaryKeepingItsExtension)
{
    std::string euros;
    for (int i = 0; i < 3333; ++i)
        euros += "\xe2\x82\xac";
    const auto name = serverName("attachment; filename=\"" + euros + ".pdf\"");
    ASSERT_TRUE(name);
    EXPECT_LE(name->size(), FileNames::MaxNameBytes);
    EXPECT_GT(name->size(), FileNames::MaxNameBytes - 4);
    EXPECT_TRUE(zv::Utf8::isValid(*name));
    EXPECT_EQ(name->substr(name->size() - 4), ".pdf");
}

TEST(FileNames, ATakenNameIsNumberedBeforeItsExtensionWithinTheLengthLimit)
{
    std::set<std::string> taken;
    const auto take = [&taken](const std::string& name) { taken.insert(FileNames::destinationPath("/dl", name)); };
    const auto isTaken = [&taken](const std::string& destination) { return taken.count(destination) != 0; };
    EXPECT_EQ(FileNames::freeName("/dl", "a.txt", isTaken), "a.txt");
    take("a.txt");
    take("a (1).txt");
    take("README");
    EXPECT_EQ(FileNames::freeName("/dl", "a.txt", isTaken), "a (2).txt");
    EXPECT_EQ(FileNames::freeName("/dl", "README", isTaken), "README (1)");

    const std::string longest = std::string(FileNames::MaxNameBytes - 4, 'x') + ".bin";
    take(longest);
    const auto numbered = FileNames::freeName("/dl", longest, isTaken);
    ASSERT_TRUE(numbered);
    EXPECT_EQ(numbered->size(), FileNames::MaxNameBytes);
    EXPECT_EQ(numbered->substr(numbered->size() - 8), " (1).bin");
    EXPECT_EQ(FileNames::freeName("/dl", "a.txt", [](const std::string&) { return true; }), std::nullopt);
}
