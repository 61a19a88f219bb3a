#include "platform/files/ListFolder.h"

#include "platform/files/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zv::ListFolder {

namespace fs = std::filesystem;

std::string forProgramIn(const std::string& programDir)
{
    std::error_code error;
    if (!fs::exists(fs::path(programDir) / PackageMarker, error))
        return programDir;
    const std::string folder = userDataFolder(std::getenv("XDG_DATA_HOME"), Paths::homeDir());
    // A folder that cannot be made is reported when the list is read or written.
    fs::create_directories(folder, error);
    // Spelt as the program's folder is (links resolved), so the program that
    // scripts/install-desktop puts into this folder shares the list and the running copy.
    const fs::path canonical = fs::canonical(folder, error);
    return error ? folder : canonical.string();
}

std::string userDataFolder(const char* xdgDataHome, const std::string& home)
{
    const std::string dataHome = xdgDataHome && fs::path(xdgDataHome).is_absolute()
                                     ? std::string(xdgDataHome)
                                     : Paths::join(home, ".local/share");
    return Paths::join(dataHome, "zare-vantrel");
}

} // namespace zv::ListFolder
