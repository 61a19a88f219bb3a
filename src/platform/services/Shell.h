#pragma once

#include <string>

namespace zv {

// Hands files, folders and addresses to the desktop, which opens them in the program the
// user has chosen. Outcomes are not reported: the desktop shows its own errors, if any.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void openFile(const std::string& path) = 0;
    virtual void exploreFolder(const std::string& path) = 0;
    // A web address or a "mailto:" address.
    virtual void openAddress(const std::string& address) = 0;
};

} // namespace zv
