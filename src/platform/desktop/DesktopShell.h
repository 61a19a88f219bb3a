#pragma once

#include "platform/services/Shell.h"

namespace zv {

// The shell on QDesktopServices (xdg-open on Linux desktops).
class DesktopShell final : public Shell {
public:
    void openFile(const std::string& path) override;
    void exploreFolder(const std::string& path) override;
    void openAddress(const std::string& address) override;
};

} // namespace zv
