#include "platform/files/ListFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace zv;
namespace fs = std::filesystem;

TEST(ListFolder, BesideTheProgramUnlessThePackageMarkedItThenInTheUsersDataFolderMadeWhenMissing)
{
    test::TempDir program;
    test::TempDir data;
    ::setenv("XDG_DATA_HOME", data.file("share").c_str(), 1);
    EXPECT_EQ(ListFolder::forProgramIn(program.path().string()), program.path().string());
    EXPECT_FALSE(fs::exists(data.path() / "share"));

    test::writeFile(program.path() / ListFolder::PackageMarker, "");
    const std::string folder = ListFolder::forProgramIn(program.path().string());
    EXPECT_EQ(folder, fs::canonical(data.path()).string() + "/share/zare-vantrel");
    EXPECT_TRUE(fs::is_directory(folder));
    ::unsetenv("XDG_DATA_HOME");
}

TEST(ListFolder, TheUsersDataFolderIsXdgDataHomeWhenAbsoluteElseUnderHome)
{
    EXPECT_EQ(ListFolder::userDataFolder("/data/", "/home/u"), "/data/zare-vantrel");
    for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative/share"})
        EXPECT_EQ(ListFolder::userDataFolder(ignored, "/home/u"), "/home/u/.local/share/zare-vantrel");
}
