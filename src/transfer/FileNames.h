#pragma once

#include <string>

namespace zv {

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
} // namespace FileNames

} // namespace zv
