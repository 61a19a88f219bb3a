#include "transfer/ScheduleWatch.h"

#include "platform/Clock.h"
#include "platform/ConvertError.h"
#include "platform/Dialogs.h"
#include "platform/FormatSettings.h"
#include "platform/OnlineQuery.h"
#include "platform/Paths.h"
#include "tasks/CellFormats.h"
#include "tasks/EditorMode.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "transfer/ConnectionIndicator.h"

#include <filesystem>
#include <system_error>

namespace zv {

namespace {

// Set for the length of a tick: a message box runs a nested event loop in which the
// timer keeps firing, and such a tick must not start.
class TickGuard {
public:
    explicit TickGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~TickGuard() { m_flag = false; }
    TickGuard(const TickGuard&) = delete;
    TickGuard& operator=(const TickGuard&) = delete;

private:
    bool& m_flag;
};

bool fileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

} // namespace

ScheduleWatch::ScheduleWatch(Services services) : m_services(std::move(services)) {}

void ScheduleWatch::Timer1Timer()
{
    if (m_inTick)
        return;
    TickGuard guard(m_inTick);
    updateIndicator();
    scanSchedule();
}

void ScheduleWatch::updateIndicator()
{
    const std::string active = Paths::join(m_services.pictureDir, "int_act.bmp");
    const std::string none = Paths::join(m_services.pictureDir, "int_none.bmp");
    if (!fileExists(active) || !fileExists(none))
        return;
    const std::string& chosen = m_services.online.isOnline() ? active : none;
    if (!m_services.indicator.showPictureFile(chosen))
        reportOnce("Bitmap image is not valid");
}

void ScheduleWatch::scanSchedule()
{
    TaskTable& table = m_services.table;
    // The row count is read afresh: a message box of this tick lets the user change the list.
    for (int row = 1; row < table.rowCount(); ++row) {
        const std::string& schedule = table.cell(ColSchedule, row);
        const std::string& status = table.cell(ColStatus, row);
        if (schedule == Schedule::None || status == Status::Cancelled || status == Status::Done)
            continue;
        if (m_services.editorMode.isUnderEdit(row))
            continue;
        if (!isDue(row))
            continue;
        table.setCurrentRow(row);
        m_services.startBySchedule(row);
    }
}

bool ScheduleWatch::isDue(int row)
{
    const auto parts = CellFormats::splitSchedule(m_services.table.cell(ColSchedule, row));
    try {
        const Date date = m_services.format.parseDate(parts.date);
        const TimeOfDay time = m_services.format.parseTime(parts.time);
        const LocalDateTime now = m_services.clock.now();
        return date < now.date || (date == now.date && time < now.time);
    } catch (const ConvertError& error) {
        reportOnce(error.what());
        return false;
    }
}

void ScheduleWatch::reportOnce(const std::string& text)
{
    if (!m_reported.insert(text).second)
        return;
    m_services.dialogs.reportError(text);
}

} // namespace zv
