#pragma once

#include "platform/services/Shell.h"

#include <string>
#include <vector>

namespace zv::test {

// Records what was handed to the desktop, as "verb target".
class RecordingShell final : public Shell {
public:
    void openFile(const std::string& path) override { calls.push_back("open " + path); }
    void exploreFolder(const std::string& path) override { calls.push_back("explore " + path); }
    void openAddress(const std::string& address) override { calls.push_back("address " + address); }

    std::vector<std::string> calls;
};

} // namespace zv::test
