#include "platform/files/AtomicFileWriter.h"
#include "support/LockedFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>

using namespace zv;
using namespace zv::test;
namespace fs = std::filesystem;

namespace {

void replace(const std::string& target, const std::string& bytes)
{
    AtomicFileWriter writer(target);
    writer.write(bytes);
    writer.commit();
}

int errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::system_error& error) {
        return error.code().value();
    }
    return 0;
}

std::vector<std::string> namesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct stat statOf(const std::string& path)
{
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info;
}

} // namespace

TEST(AtomicFileWriter, ANewFileIsReadableByItsOwnerOnly)
{
    TempDir dir;
    const mode_t old = ::umask(022);
    replace(dir.file("new.log"), "abc");
    ::umask(old);
    EXPECT_EQ(readFile(dir.file("new.log")), "abc");
    EXPECT_EQ(statOf(dir.file("new.log")).st_mode & 07777, 0600u);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"new.log"});
}

TEST(AtomicFileWriter, AReplacedFileKeepsItsPermissionsAndOwner)
{
    TempDir dir;
    const std::string target = dir.file("list.log");
    writeFile(target, "old content that is longer");
    ::chmod(target.c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(target.c_str(), 4321, 4322), 0);
    }

    replace(target, "new");

    EXPECT_EQ(readFile(target), "new");
    const struct stat info = statOf(target);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(info.st_uid, 4321u);
        EXPECT_EQ(info.st_gid, 4322u);
    }
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"list.log"});
}

TEST(AtomicFileWriter, WithoutCommitNothingChangesAndNothingIsLeftBehind)
{
    TempDir dir;
    writeFile(dir.file("list.log"), "old");
    {
        AtomicFileWriter writer(dir.file("list.log"));
        writer.write(std::string(200 * 1024, 'x')); // more than is buffered
        AtomicFileWriter fresh(dir.file("fresh.log"));
        fresh.write("never");
    }
    EXPECT_EQ(readFile(dir.file("list.log")), "old");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"list.log"});
}

TEST(AtomicFileWriter, WritesEverythingOfALargeFile)
{
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 300'000; ++i)
        bytes += static_cast<char>(i * 7);
    AtomicFileWriter writer(dir.file("big.log"));
    for (std::size_t at = 0; at < bytes.size(); at += 1000)
        writer.write(std::string_view(bytes).substr(at, 1000));
    writer.commit();
    EXPECT_EQ(readFile(dir.file("big.log")), bytes);
}

TEST(AtomicFileWriter, FollowsSymlinkChainsAndKeepsTheLinks)
{
    TempDir dir;
    fs::create_directories(dir.path() / "a" / "b");
    writeFile(dir.path() / "a" / "b" / "real.log", "old");
    fs::create_symlink("b/real.log", dir.path() / "a" / "second");
    fs::create_symlink(dir.path() / "a" / "second", dir.path() / "first");
    fs::create_symlink("missing.log", dir.path() / "dangling");

    AtomicFileWriter writer(dir.file("first"));
    EXPECT_EQ(fs::path(writer.realTarget()), dir.path() / "a" / "b" / "real.log");
    writer.write("new");
    writer.commit();
    replace(dir.file("dangling"), "made");

    EXPECT_EQ(readFile(dir.path() / "a" / "b" / "real.log"), "new");
    EXPECT_TRUE(fs::is_symlink(dir.path() / "first"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "a" / "second"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "dangling"));
    EXPECT_EQ(readFile(dir.file("missing.log")), "made");
    EXPECT_EQ(namesIn(dir.path() / "a" / "b"), std::vector<std::string>{"real.log"});
}

TEST(AtomicFileWriter, RefusesWhatItCannotReplace)
{
    TempDir dir;
    fs::create_directory(dir.path() / "folder");
    writeFile(dir.file("plain"), "x");
    fs::create_symlink("loop", dir.path() / "loop");

    EXPECT_EQ(errorOf([&] { AtomicFileWriter writer(dir.file("folder")); }), EISDIR);
    EXPECT_EQ(errorOf([&] { AtomicFileWriter writer(dir.file("plain/list.log")); }), ENOTDIR);
    EXPECT_EQ(errorOf([&] { AtomicFileWriter writer(dir.file("loop")); }), ELOOP);
    EXPECT_EQ(errorOf([&] { replace("/dev/full", "abc"); }), ENOSPC);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_TRUE(fs::is_directory(dir.path() / "folder"));
}

TEST(AtomicFileWriter, ADeviceIsWrittenInPlace)
{
    AtomicFileWriter writer("/dev/null");
    EXPECT_TRUE(writer.writesInPlace());
    writer.write("gone");
    writer.commit();
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(AtomicFileWriter, AFolderThatRefusesNewFilesGetsTheFileWrittenInPlace)
{
    TempDir dir;
    writeFile(dir.file("list.log"), "old content that is longer");
    const LockedFolder locked(dir.path());
    if (!locked.refusesNewFiles())
        GTEST_SKIP() << "this file system cannot make a folder refuse new files";

    AtomicFileWriter writer(dir.file("list.log"));
    EXPECT_TRUE(writer.writesInPlace());
    writer.write("new");
    writer.commit();

    EXPECT_EQ(readFile(dir.file("list.log")), "new");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"list.log"});
    const int refused = errorOf([&] { AtomicFileWriter other(dir.file("other.log")); });
    EXPECT_TRUE(refused == EACCES || refused == EPERM) << refused;
}

TEST(AtomicFileWriter, LongAndBareNamesWork)
{
    TempDir dir;
    const std::string longName(250, 'n');
    replace(dir.file(longName), "long");
    EXPECT_EQ(readFile(dir.file(longName)), "long");

    const fs::path old = fs::current_path();
    fs::current_path(dir.path());
    replace("bare.log", "bare");
    fs::current_path(old);
    EXPECT_EQ(readFile(dir.file("bare.log")), "bare");
}
