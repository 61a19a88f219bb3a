#include "platform/files/InputFile.h"
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
