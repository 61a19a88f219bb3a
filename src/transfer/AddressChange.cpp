#include "transfer/AddressChange.h"

#include "tasks/ProgressFile.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "transfer/FileNames.h"

#include <filesystem>

namespace zv {

namespace {

// The name of the file the row's runs wrote under its old address.
std::string writtenName(const TaskTable& table, int row)
{
    const std::string& written = table.runOutcome(row).destination;
    return FileNames::destinationName(written.empty() ? FileNames::nameFromUrl(table.cell(ColUrl, row))
                                                      : FileNames::baseName(written));
}

// The partial file's progress file names the new address, marked to be checked.
std::error_code markPartialFile(const TaskTable& table, int row, const std::string& file, const std::string& url)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error || size == 0)
        return {}; // nothing to keep: the next start is a plain one at the new address
    const ProgressFile progress(file);
    ProgressRecord record;
    if (const auto stored = progress.read(); stored && stored->url == table.cell(ColUrl, row))
        record = *stored;
    if (!record.total)
        record.total = table.runOutcome(row).total;
    record.url = url;
    record.addressChanged = true;
    return progress.write(record);
}

} // namespace

bool AddressChange::mayChange(const TaskTable& table, int row)
{
    return table.isTaskRow(row) && table.cell(ColProcess, row) == Process::Idle &&
           table.cell(ColStatus, row) != Status::Done;
}

std::error_code AddressChange::apply(TaskTable& table, int row, const std::string& url)
{
    const std::string& named = table.cell(ColFileName, row);
    const std::string name = named.empty() ? writtenName(table, row) : named;
    const std::string& written = table.runOutcome(row).destination;
    const std::string file = written.empty() ? FileNames::destinationPath(table.cell(ColPath, row), name) : written;
    if (const std::error_code error = markPartialFile(table, row, file, url))
        return error;
    table.setCell(ColFileName, row, name);
    table.setCell(ColUrl, row, url);
    return {};
}

} // namespace zv
