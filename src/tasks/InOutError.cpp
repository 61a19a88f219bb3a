#include "tasks/InOutError.h"

#include "tasks/TaskListFormat.h"
#include "tasks/TaskTable.h"

#include <cerrno>

namespace zv {

InOutError InOutError::fromErrorNumber(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
        return InOutError("File not found");
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
        return InOutError("Invalid filename");
    case EMFILE:
    case ENFILE:
        return InOutError("Too many open files");
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return InOutError("File access denied");
    case ENOSPC:
    case EDQUOT:
        return InOutError("Disk full");
    default:
        return InOutError("I/O error " + std::to_string(errorNumber));
    }
}

InOutError InOutError::fromSystemError(const std::system_error& error)
{
    return fromErrorNumber(error.code().value());
}

InOutError InOutError::invalidNumericInput()
{
    return InOutError("Invalid numeric input");
}

InOutError InOutError::wrongColumnCount(long long announced)
{
    return InOutError("This is not a task list: it announces " + std::to_string(announced)
                      + " columns instead of " + std::to_string(ListFileColumns)
                      + ". Nothing was loaded");
}

InOutError InOutError::tooManyTasks(long long announced)
{
    return InOutError("The task list announces " + std::to_string(announced)
                      + " tasks, more than the " + std::to_string(TaskTable::MaxTasks)
                      + " a list can hold. Nothing was loaded");
}

InOutError InOutError::incompleteList()
{
    return InOutError("The task list ends before its last task");
}

} // namespace zv
