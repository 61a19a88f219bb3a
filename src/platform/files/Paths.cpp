#include "platform/files/Paths.h"

#include <QStandardPaths>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zv {

namespace fs = std::filesystem;

std::string Paths::executableDir()
{
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return fs::current_path(error).string();
    return exe.parent_path().string();
}

std::string Paths::homeDir()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    return QStandardPaths::writableLocation(QStandardPaths::HomeLocation).toStdString();
}

std::string Paths::downloadDir()
{
    const QString location = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (!location.isEmpty() && location != QStandardPaths::writableLocation(QStandardPaths::HomeLocation))
        return location.toStdString();
    return join(homeDir(), "Downloads");
}

std::string Paths::defaultDownloadFolder()
{
    return chooseDownloadFolder(downloadDir(), homeDir());
}

std::string Paths::chooseDownloadFolder(const std::string& downloads, const std::string& home)
{
    std::error_code error;
    if (fs::is_directory(downloads, error))
        return downloads;
    if (home.empty() || !fs::is_directory(home, error))
        return {};
    fs::create_directories(downloads, error);
    return fs::is_directory(downloads, error) ? downloads : std::string();
}

std::string Paths::join(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == separator)
        return folder + name;
    return folder + separator + name;
}

} // namespace zv
