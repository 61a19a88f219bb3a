#include "transfer/FileNames.h"

#include "tasks/CellFormats.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"

#include <filesystem>
#include <system_error>

namespace zv {

std::string FileNames::nameFromUrl(const std::string& url)
{
    const auto slash = url.rfind('/');
    return slash == std::string::npos ? url : url.substr(slash + 1);
}

std::string FileNames::destinationName(const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return Fallback;
    return name;
}

std::string FileNames::destinationPath(const std::string& folder, const std::string& name)
{
    return CellFormats::localFileLocation(folder, destinationName(name));
}

std::string FileNames::destinationOf(const TaskTable& table, int row)
{
    const std::string& written = table.runOutcome(row).destination;
    return written.empty() ? destinationPath(table.cell(ColPath, row), table.cell(ColFileName, row)) : written;
}

std::string FileNames::baseName(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

bool FileNames::sameFile(const std::string& one, const std::string& other)
{
    // The names first: the folders are looked up only for names that match.
    if (baseName(one) != baseName(other))
        return false;
    std::error_code error;
    const auto resolved = [&error](const std::string& path) {
        const auto canonical = std::filesystem::weakly_canonical(path, error);
        return error ? std::filesystem::path(path).lexically_normal() : canonical;
    };
    return resolved(one) == resolved(other);
}

} // namespace zv
