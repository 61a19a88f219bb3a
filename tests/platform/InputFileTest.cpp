#include "platform/InputFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

using namespace zv;
using namespace zv::test;
namespace fs = std::filesystem;

namespace {

int openError(const std::string& path)
{
    try {
        InputFile file(path);
    } catch (const std::system_error& error) {
        return error.code().value();
    }
    return 0;
}

} // namespace

TEST(InputFile, ReadsTheBytesToTheEnd)
{
    TempDir dir;
    writeFile(dir.file("list.log"), "0123456789");
    InputFile file(dir.file("list.log"));
    char buffer[4];
    std::string read;
    for (std::size_t got; (got = file.read(buffer, sizeof buffer)) > 0;)
        read.append(buffer, got);
    EXPECT_EQ(read, "0123456789");
    EXPECT_EQ(file.read(buffer, sizeof buffer), 0u);
}

TEST(InputFile, OpensRegularFilesOnly)
{
    TempDir dir;
    fs::create_directory(dir.path() / "folder");
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);

    EXPECT_EQ(openError(dir.file("missing")), ENOENT);
    EXPECT_EQ(openError(dir.file("folder")), EISDIR);
    // Neither a pipe without a writer nor an endless device may hold the caller up.
    EXPECT_EQ(openError(dir.file("pipe")), EACCES);
    EXPECT_EQ(openError("/dev/zero"), EACCES);
}
