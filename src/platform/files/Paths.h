#pragma once

#include <string>

namespace zv {

// Where things live on this platform.
namespace Paths {
inline constexpr char separator = '/';

// The folder that holds the running executable, without a trailing separator.
std::string executableDir();
std::string homeDir();
// The user's download folder (usually ~/Downloads), whether it exists or not.
std::string downloadDir();

// The default download directory: the download folder if it exists; else, when the
// home folder exists, the download folder created there; else empty.
std::string defaultDownloadFolder();
std::string chooseDownloadFolder(const std::string& downloads, const std::string& home);

// Joins a folder and a name with exactly one separator between them.
std::string join(const std::string& folder, const std::string& name);
} // namespace Paths

} // namespace zv
