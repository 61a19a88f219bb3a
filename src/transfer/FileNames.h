#pragma once

#include <string>

namespace zv {

class TaskTable;

// The local file names that starts build destinations from.
namespace FileNames {
// The name used when a task names no usable file. One spelling only: on a
// case-sensitive file system "Url.htm" would be a second file.
inline constexpr const char* Fallback = "url.htm";

// The text after the last "/": the whole URL without one, empty when it ends with "/".
std::string nameFromUrl(const std::string& url);

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
} // namespace FileNames

} // namespace zv
