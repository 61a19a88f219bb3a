#pragma once

#include <string>
#include <string_view>

// The files the program keeps for itself: beside its default list the recovery copy, the
// ".bad" copies of unreadable lists, the settings file and its ".bad" copies, the temporary
// files of those writes and the lock of the list folder; beside unfinished downloads their
// progress files. A list saved as or opened from one of them would be deleted, overwritten or
// left behind without a word, so none is ever a list file the user chooses.
namespace zv::OwnFiles {

// Whether file (symlinks followed) is named as one of those files.
bool isOwnFile(const std::string& file);

// The box that refuses such a file.
std::string refusalText(const std::string& file);

// name is base, or base with ".<number>" after it ("x.bad", "x.bad.2").
bool isNumbered(std::string_view name, std::string_view base);

} // namespace zv::OwnFiles
