#pragma once

#include <string>

namespace zv {

// Notifications on the desktop, beside the program's window. Where the desktop shows none (no
// notification server), a notice quietly goes nowhere; nothing is reported back.
class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;
    // Plain text; the implementation escapes what a server would take for markup. A non-empty
    // folderToOpen adds an action that opens that folder, where the server offers actions.
    virtual void notify(const std::string& summary, const std::string& body, const std::string& folderToOpen) = 0;
};

} // namespace zv
