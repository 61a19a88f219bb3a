#include "platform/files/OutputFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zv;
using namespace zv::test;
namespace fs = std::filesystem;

TEST(OutputFile, IsStillAtItsPathOnlyWhileThePathNamesThatVeryFile)
{
    TempDir dir;
    fs::create_directory(dir.path() / "folder");
    const fs::path path = dir.path() / "folder" / "f.bin";
    OutputFile file;
    ASSERT_EQ(file.create(path.string()), OutputFile::OpenResult::Opened);
    EXPECT_TRUE(file.isStillAtItsPath());

    fs::rename(dir.path() / "folder", dir.path() / "moved");
    EXPECT_FALSE(file.isStillAtItsPath()); // its folder is gone
    fs::create_directory(dir.path() / "folder");
    writeFile(path, "another file of that name");
    EXPECT_FALSE(file.isStillAtItsPath());

    fs::remove_all(dir.path() / "folder");
    fs::rename(dir.path() / "moved", dir.path() / "folder");
    EXPECT_TRUE(file.isStillAtItsPath());
}

TEST(OutputFile, OneWriterAtATimeAndASecondLeavesTheFileUntouched)
{
    TempDir dir;
    const std::string path = (dir.path() / "f.bin").string();
    OutputFile first;
    ASSERT_EQ(first.create(path), OutputFile::OpenResult::Opened);
    ASSERT_TRUE(first.write("held", 4));
    OutputFile second;
    EXPECT_EQ(second.create(path), OutputFile::OpenResult::InUse);
    EXPECT_EQ(second.openAtEnd(path), OutputFile::OpenResult::InUse);
    EXPECT_EQ(readFile(path), "held"); // the refused create truncated nothing
    ASSERT_TRUE(first.close());
    EXPECT_EQ(second.openAtEnd(path), OutputFile::OpenResult::Opened);
}

TEST(OutputFile, CreateEmptiesAnExistingFile)
{
    TempDir dir;
    const fs::path path = dir.path() / "f.bin";
    writeFile(path, "an earlier download");
    OutputFile file;
    ASSERT_EQ(file.create(path.string()), OutputFile::OpenResult::Opened);
    EXPECT_EQ(fs::file_size(path), 0u);
}
