#include "platform/files/NumberedFiles.h"

#include "platform/files/PrivateFile.h"

#include <filesystem>

namespace zv::NumberedFiles {

namespace fs = std::filesystem;

namespace {

constexpr int MaxBadCopies = 1000;

} // namespace

std::string numberedName(const std::string& base, int number)
{
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "." + std::to_string at -O3.
    std::string name = base;
    if (number != 1)
        name.append(1, '.').append(std::to_string(number));
    return name;
}

bool isTaken(const std::string& path)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

std::optional<std::string> keepBadCopy(const std::string& file)
{
    for (int number = 1; number <= MaxBadCopies; ++number) {
        const std::string copy = numberedName(file + ".bad", number);
        if (isTaken(copy))
            continue;
        const std::error_code error = PrivateFile::copyAsNew(file, copy);
        if (!error)
            return copy;
        // Taken between the look and the copy.
        if (error == std::errc::file_exists)
            continue;
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace zv::NumberedFiles
