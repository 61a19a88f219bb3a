#include "support/RecordingNotifyIconShell.h"

#include "platform/desktop/MessageWindow.h"

#include <algorithm>
#include <stdexcept>

namespace zv::test {

bool RecordingNotifyIconShell::note(Operation operation, const NotifyIconData& record)
{
    calls.push_back({operation, record});
    return result;
}

void RecordingNotifyIconShell::sendMouse(unsigned mouseMessage)
{
    const auto added = std::find_if(calls.rbegin(), calls.rend(),
                                    [](const Call& call) { return call.operation == Operation::Add; });
    if (added == calls.rend())
        throw std::logic_error("no icon has been added");
    const NotifyIconData record = added->record;
    record.hWnd->send(record.uCallbackMessage, record.uID, static_cast<std::intptr_t>(mouseMessage));
}

int RecordingNotifyIconShell::count(Operation operation) const
{
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [operation](const Call& call) {
        return call.operation == operation;
    }));
}

} // namespace zv::test
