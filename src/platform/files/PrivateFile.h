#pragma once

#include <string>
#include <system_error>

// Files that may hold secrets (passwords typed into URLs): made readable by their owner only.
namespace zv::PrivateFile {

inline constexpr unsigned Mode = 0600;

// Makes an empty file with Mode when there is none; an existing one is left as it is.
std::error_code createIfMissing(const std::string& path);

// Copies source to a new file copy with Mode, never over an existing file (file_exists). A
// copy broken off part-way is removed.
std::error_code copyAsNew(const std::string& source, const std::string& copy);

} // namespace zv::PrivateFile
