#pragma once

#include <optional>
#include <string>

// Files kept beside another under a numbered name ("x.bad", "x.bad.2", ...), never over an
// earlier one.
namespace zv::NumberedFiles {

// "<base>", "<base>.2", "<base>.3", ...
std::string numberedName(const std::string& base, int number);

// Whether anything stands at path, a dangling symlink too.
bool isTaken(const std::string& path);

// Copies a file that could not be read whole beside itself as "<file>.bad" (then ".bad.2",
// ...), readable by its owner only. The copy's name, or nullopt when none could be made.
std::optional<std::string> keepBadCopy(const std::string& file);

} // namespace zv::NumberedFiles
