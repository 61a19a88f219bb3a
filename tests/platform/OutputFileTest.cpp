#include "platform/files/OutputFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <thread>

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

namespace {

// A file system that reserves no blocks, as fallocate answers on some; counts the attempts.
class RefusingOutputFile final : public OutputFile {
public:
    int attempts = 0;

protected:
    int allocate(int, std::uint64_t, std::uint64_t) override
    {
        ++attempts;
        return EOPNOTSUPP;
    }
};

std::string numberedBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return bytes;
}

} // namespace

TEST(OutputFileThreads, BlocksWrittenOutOfOrderFromTwoThreadsMakeTheExactFile)
{
    TempDir dir;
    const fs::path path = dir.path() / "f.bin";
    constexpr int block = 4096;
    constexpr int blocks = 64; // and a short one after them
    const std::string expected = numberedBytes(blocks * block + 123);
    writeFile(path, expected.substr(0, block)); // what a first connection wrote: kept, not truncated
    OutputFile file;
    ASSERT_EQ(file.openForPositionedWrites(path.string()), OutputFile::OpenResult::Opened);
    EXPECT_EQ(file.sizeAtOpen(), std::uint64_t{block});

    // Each thread writes every other block, from the last down to the first.
    auto writeEveryOther = [&](int last, bool& ok) {
        for (int b = last; b > 0; b -= 2) {
            const std::size_t offset = std::size_t{block} * b;
            ok = file.writeAt(offset, expected.data() + offset, std::min<std::size_t>(block, expected.size() - offset)) && ok;
        }
    };
    bool evenOk = true;
    bool oddOk = true;
    std::thread even(writeEveryOther, blocks, std::ref(evenOk));
    std::thread odd(writeEveryOther, blocks - 1, std::ref(oddOk));
    even.join();
    odd.join();
    EXPECT_TRUE(evenOk && oddOk) << file.errorText();
    ASSERT_TRUE(file.close());
    EXPECT_EQ(readFile(path), expected);
}

TEST(OutputFile, WhereNoBlocksCanBeReservedTheLengthIsSetAndNeverShortened)
{
    TempDir dir;
    const fs::path path = dir.path() / "f.bin";
    const std::string expected = numberedBytes(100000);
    RefusingOutputFile refusing;
    ASSERT_EQ(refusing.openForPositionedWrites(path.string()), OutputFile::OpenResult::Opened);
    EXPECT_EQ(refusing.preallocate(expected.size()), OutputFile::Preallocation::Extended);
    EXPECT_EQ(refusing.attempts, 1);
    EXPECT_EQ(fs::file_size(path), expected.size());
    ASSERT_TRUE(refusing.writeAt(50000, expected.data() + 50000, 50000));
    ASSERT_TRUE(refusing.writeAt(0, expected.data(), 50000));
    EXPECT_EQ(refusing.preallocate(10), OutputFile::Preallocation::Extended);
    ASSERT_TRUE(refusing.close());
    EXPECT_EQ(readFile(path), expected);

    OutputFile real; // whichever way this file system goes, the length is set
    ASSERT_EQ(real.openForPositionedWrites(path.string()), OutputFile::OpenResult::Opened);
    EXPECT_NE(real.preallocate(expected.size() * 3), OutputFile::Preallocation::Failed) << real.errorText();
    ASSERT_TRUE(real.close());
    EXPECT_EQ(fs::file_size(path), expected.size() * 3);
    EXPECT_EQ(readFile(path).substr(0, expected.size()), expected);
}

TEST(OutputFile, ALengthBeyondTheFreeSpaceFailsAsADiskFullAndLeavesTheFileAsItWas)
{
    TempDir dir;
    const fs::path path = dir.path() / "f.bin";
    writeFile(path, "the bytes so far");
    RefusingOutputFile file;
    ASSERT_EQ(file.openForPositionedWrites(path.string()), OutputFile::OpenResult::Opened);
    const std::uint64_t free = fs::space(dir.path()).available;
    EXPECT_EQ(file.preallocate(free + (std::uint64_t{1} << 30)), OutputFile::Preallocation::Failed);
    EXPECT_EQ(file.errorText(), std::generic_category().message(ENOSPC));
    EXPECT_EQ(file.attempts, 0);
    ASSERT_TRUE(file.close());
    EXPECT_EQ(readFile(path), "the bytes so far");
}
