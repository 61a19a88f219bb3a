#include "tasks/ClosingSave.h"

#include "platform/text/ApplicationTitle.h"
#include "platform/services/Dialogs.h"
#include "tasks/RecoveryCopy.h"
#include "tasks/TaskListFile.h"

#include <filesystem>

namespace zv {

namespace {

std::string absoluteName(const std::string& file)
{
    std::error_code error;
    const auto absolute = std::filesystem::absolute(file, error);
    return error ? file : absolute.string();
}

} // namespace

bool saveAtUserClose(TaskListFile& list, RecoveryCopy& copy)
{
    // A copy that cannot be written was reported when it failed; the list still may be.
    copy.bringUpToDate();
    if (!list.saveAtClose())
        return false;
    copy.removeAfterNormalClose();
    return true;
}

std::string saveAtRequestedClose(TaskListFile& list, RecoveryCopy& copy)
{
    const auto copyFailure = copy.bringUpToDate();
    const auto listFailure = list.trySaveAtClose();
    if (!listFailure) {
        copy.removeAfterNormalClose();
        return {};
    }
    std::string line = std::string(ApplicationTitle) + ": the task list \"" + absoluteName(list.currentListFile())
        + "\" could not be saved: " + Dialogs::errorReportText(*listFailure);
    if (copyFailure)
        return line + " Its recovery copy \"" + copy.file() + "\" could not be written either: "
            + Dialogs::errorReportText(*copyFailure);
    return line + " It will be restored from \"" + copy.file() + "\" at the next start.";
}

} // namespace zv
