#include "platform/files/Paths.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zv;
namespace fs = std::filesystem;

TEST(Paths, ExecutableDirHoldsTheRunningProgram)
{
    const std::string dir = Paths::executableDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '/');
    EXPECT_TRUE(fs::exists(fs::path(dir) / "platform_tests"));
}

TEST(Paths, JoinPutsExactlyOneSeparator)
{
    EXPECT_EQ(Paths::join("/tmp", "a.bin"), "/tmp/a.bin");
    EXPECT_EQ(Paths::join("/tmp/", "a.bin"), "/tmp/a.bin");
    EXPECT_EQ(Paths::join("/tmp", ""), "/tmp/");
}

TEST(DefaultDownloadFolder, ExistingFolderIsTaken)
{
    test::TempDir home;
    fs::create_directory(home.path() / "Downloads");
    EXPECT_EQ(Paths::chooseDownloadFolder(home.file("Downloads"), home.path()), home.file("Downloads"));
}

TEST(DefaultDownloadFolder, MissingFolderIsCreatedInAnExistingHome)
{
    test::TempDir home;
    EXPECT_EQ(Paths::chooseDownloadFolder(home.file("Downloads"), home.path()), home.file("Downloads"));
    EXPECT_TRUE(fs::is_directory(home.path() / "Downloads"));
}

TEST(DefaultDownloadFolder, NoHomeGivesAnEmptyField)
{
    test::TempDir base;
    EXPECT_EQ(Paths::chooseDownloadFolder(base.file("gone/Downloads"), base.file("gone")), "");
    EXPECT_FALSE(fs::exists(base.path() / "gone"));
}

TEST(DefaultDownloadFolder, FolderThatCannotBeMadeGivesAnEmptyField)
{
    test::TempDir home;
    test::writeFile(home.path() / "Downloads", "a file in the way");
    EXPECT_EQ(Paths::chooseDownloadFolder(home.file("Downloads"), home.path()), "");
}
