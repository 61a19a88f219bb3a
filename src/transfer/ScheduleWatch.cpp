#include "transfer/ScheduleWatch.h"

#include "platform/services/Clock.h"
#include "platform/text/ConvertError.h"
#include "platform/services/Dialogs.h"
#include "platform/text/FormatSettings.h"
#include "platform/services/OnlineQuery.h"
#include "platform/files/Paths.h"
#include "tasks/CellFormats.h"
#include "tasks/EditorMode.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "transfer/ConnectionIndicator.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace zv {

namespace {

// Set for the length of a tick: a start may show a modal box, whose nested event loop
// keeps the timer firing, and a tick must not begin inside the scan of another.
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
    std::set<std::string> unreadable;
    // The row count is read afresh: a start's modal box lets the user change the list.
    for (int row = 1; row < table.rowCount(); ++row) {
        const std::string& schedule = table.cell(ColSchedule, row);
        const std::string& status = table.cell(ColStatus, row);
        if (schedule == Schedule::None || status == Status::Cancelled || status == Status::Done)
            continue;
        const std::optional<LocalDateTime> moment = readSchedule(row, unreadable);
        if (!moment || m_services.editorMode.isUnderEdit(table.idOf(row)) || !isDue(*moment))
            continue;
        m_services.startBySchedule(table.idOf(row));
    }
    // A text that left the table is reported again should it come back.
    std::erase_if(m_reportedSchedules, [&unreadable](const std::string& text) { return !unreadable.contains(text); });
}

// An unreadable cell adds its error text to unreadable and is reported once, unless its row
// is under edit: the text stays known then, so closing the editor does not repeat the box.
std::optional<LocalDateTime> ScheduleWatch::readSchedule(int row, std::set<std::string>& unreadable)
{
    const FormatSettings& format = m_services.format;
    const auto parts = CellFormats::scheduleParts(m_services.table.cell(ColSchedule, row), format);
    try {
        return LocalDateTime{format.parseDate(parts.date), format.parseTime(parts.time)};
    } catch (const ConvertError& error) {
        unreadable.insert(error.what());
        if (!m_services.editorMode.isUnderEdit(m_services.table.idOf(row)) && m_reportedSchedules.insert(error.what()).second)
            m_services.dialogs.reportErrorWithoutWaiting(error.what());
        return std::nullopt;
    }
}

bool ScheduleWatch::isDue(const LocalDateTime& moment) const
{
    const LocalDateTime now = m_services.clock.now();
    return moment.date < now.date || (moment.date == now.date && moment.time < now.time);
}

void ScheduleWatch::reportOnce(const std::string& text)
{
    if (!m_reported.insert(text).second)
        return;
    m_services.dialogs.reportErrorWithoutWaiting(text);
}

} // namespace zv
