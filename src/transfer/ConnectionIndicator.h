#pragma once

#include <string>

namespace zv {

// The small picture that shows whether the computer is online.
class ConnectionIndicator {
public:
    virtual ~ConnectionIndicator() = default;
    // Loads the picture file afresh and shows it; false when it cannot be loaded.
    virtual bool showPictureFile(const std::string& path) = 0;
};

} // namespace zv
