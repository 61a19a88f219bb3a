#pragma once

#include <string>
#include <vector>

namespace zv {

// Links handed to the program from outside its window (its command line, a later start of
// it), with what the caller asked for them.
struct LinkBatch {
    std::vector<std::string> urls;
    std::string folder; // absolute; empty: the default path
    std::string name;   // the file name, for a single URL; empty: the URL's
    bool later = false; // "Later (manually)" instead of the editor's default
    bool quiet = false; // added without any dialog

    bool operator==(const LinkBatch&) const = default;
};

} // namespace zv
