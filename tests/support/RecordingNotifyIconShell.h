#pragma once

#include "platform/desktop/NotifyIconShell.h"

#include <vector>

namespace zv::test {

// Records every call with a copy of its record and answers with result. Mouse activity
// is sent to the last added icon's window as the shell would send it.
class RecordingNotifyIconShell final : public NotifyIconShell {
public:
    enum class Operation { Add, Modify, Remove };

    struct Call {
        Operation operation;
        NotifyIconData record;
    };

    bool add(const NotifyIconData& record) override { return note(Operation::Add, record); }
    bool modify(const NotifyIconData& record) override { return note(Operation::Modify, record); }
    bool remove(const NotifyIconData& record) override { return note(Operation::Remove, record); }
    void setMenu(const NotifyIconData&, QMenu* menu) override { menus.push_back(menu); }
    bool hasNotificationArea() override
    {
        ++areaQueries;
        return notificationArea;
    }

    // The callback message of the last added icon, with mouseMessage in lParam.
    void sendMouse(unsigned mouseMessage);

    int count(Operation operation) const;
    const Call& last() const { return calls.back(); }

    std::vector<Call> calls;
    std::vector<QMenu*> menus;
    bool result = true;
    bool notificationArea = true;
    int areaQueries = 0;

private:
    bool note(Operation operation, const NotifyIconData& record);
};

} // namespace zv::test
