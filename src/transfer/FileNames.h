#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zv {

class TaskTable;

// The local file names that starts build destinations from.
namespace FileNames {
// The name used when a task names no usable file. One spelling only: on a
// case-sensitive file system "Url.htm" would be a second file.
inline constexpr const char* Fallback = "url.htm";

// The longest file name the file systems we write to take, in bytes.
inline constexpr std::size_t MaxNameBytes = 255;
// How far freeName counts before it gives up: "name (9999).ext".
inline constexpr int MaxNumbered = 9999;

// The text after the last "/" of the URL without its query and fragment: the whole URL
// without one, empty when it ends with "/".
std::string nameFromUrl(const std::string& url);
// Whether a File name cell holds no name of the user's own: empty, the fallback, or the
// name the editor derives from the URL (also as it did before it left the query out).
bool isDerivedName(const std::string& name, const std::string& url);

// name, or the fallback when name is empty, holds a path separator or is "." or "..",
// so that no download lands outside its folder.
std::string destinationName(const std::string& name);

// The file a start with that name writes in the folder (a Path cell): every start, the
// notification and "Open downloaded file" take it from here.
std::string destinationPath(const std::string& folder, const std::string& name);
// The row's file: where its last run in this program run wrote, else where a start with
// its File name cell writes.
std::string destinationOf(const TaskTable& table, int row);
// The last part of a path.
std::string baseName(const std::string& path);
// Whether two destinations name one file: the same name, and the same folder once links,
// "." and ".." are resolved.
bool sameFile(const std::string& one, const std::string& other);

// A name a server gave, made fit to be a file in the task's folder: its last part after
// "/" or "\\", without control characters, spaces around it and dots at its end, cut to
// MaxNameBytes on a character boundary keeping its extension. nullopt when nothing is left.
std::optional<std::string> safeServerName(std::string_view name);
// The name an answer gives its file, made safe: its Content-Disposition file name, else the
// last part of the path of the address that answered, percent-decoded. nullopt when neither
// gives one.
std::optional<std::string> serverGivenName(std::string_view disposition, const std::string& finalUrl);
// The first of "name.ext", "name (1).ext", "name (2).ext", ... up to MaxNumbered whose
// destination in the folder is not taken; a name without an extension is numbered at its
// end. Numbered names are cut to MaxNameBytes before their number. nullopt when all are taken.
std::optional<std::string> freeName(const std::string& folder, const std::string& wanted,
                                    const std::function<bool(const std::string& destination)>& taken);
} // namespace FileNames

} // namespace zv
