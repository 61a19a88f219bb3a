#pragma once

#include "platform/services/DesktopNotifier.h"

#include <string>
#include <vector>

namespace zv::test {

// Keeps every notification it is asked to show.
class RecordingNotifier final : public DesktopNotifier {
public:
    struct Notice {
        std::string summary;
        std::string body;
        std::string folderToOpen;
    };

    void notify(const std::string& summary, const std::string& body, const std::string& folderToOpen) override
    {
        notices.push_back({summary, body, folderToOpen});
    }

    std::vector<Notice> notices;
};

} // namespace zv::test
