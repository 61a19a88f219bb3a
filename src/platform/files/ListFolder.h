#pragma once

#include <string>

// Where the default task list lives, with its recovery copy, its ".bad" copies and the
// settings file.
namespace zv::ListFolder {

// The user's settings (IniSettingsFile): they belong to this folder, not to a list file.
inline constexpr const char* SettingsFileName = "zare-vantrel.conf";

// Installed beside the program by the Debian package: that program lives where the user may
// not write, so its list goes to the user's data folder. Its presence decides, never the
// folder's permissions: root may write anywhere.
inline constexpr const char* PackageMarker = "installed-by-package";

// The program's folder; for a packaged program, the user's data folder, made when missing.
std::string forProgramIn(const std::string& programDir);

// "$XDG_DATA_HOME/zare-vantrel", or "<home>/.local/share/zare-vantrel" when xdgDataHome is
// unset, empty or relative (which the XDG rules say to ignore).
std::string userDataFolder(const char* xdgDataHome, const std::string& home);

} // namespace zv::ListFolder
