#include "transfer/TaskOperations.h"

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/FormatSettings.h"
#include "tasks/CellFormats.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "tasks/WorkerSlots.h"
#include "transfer/CopyNetTr.h"
#include "transfer/FileNames.h"
#include "transfer/Probe.h"
#include "transfer/RefreshSpeed.h"

namespace zv {

TaskOperations::TaskOperations(TransferServices services) : m_services(std::move(services)) {}

const std::string& TaskOperations::cell(int column, int row) const
{
    return table().cell(column, row);
}

void TaskOperations::setCell(int column, int row, std::string_view text)
{
    table().setCell(column, row, std::string(text));
}

int TaskOperations::currentTask() const
{
    const int row = table().currentRow();
    return table().isTaskRow(row) ? row : 0;
}

bool TaskOperations::mayStart(int row) const
{
    const std::string& process = cell(ColProcess, row);
    return process != Process::Running && process != Process::Finished && !m_services.workerSlots.isEnding(row);
}

void TaskOperations::startCurrentTask()
{
    const int row = currentTask();
    if (row == 0 || !mayStart(row) || cell(ColSchedule, row) != Schedule::None)
        return;
    startSingle(row, cell(ColFileName, row));
}

void TaskOperations::startBySchedule()
{
    const int row = currentTask();
    if (row == 0 || !mayStart(row))
        return;
    // The name the grid shows, as the other starts use; a row the editor never named falls
    // back to the URL's name.
    const std::string& named = cell(ColFileName, row);
    startSingle(row, named.empty() ? FileNames::nameFromUrl(cell(ColUrl, row)) : named);
}

void TaskOperations::startSingle(int row, const std::string& fileName)
{
    const std::uint64_t size = Probe::bytesAvailable(m_services.worker.internet, cell(ColUrl, row));
    if (cell(ColStatus, row) == Status::Done) {
        m_services.dialogs.messageBox("This file is loaded already!", "Copying..", MessageIcon::Information);
        return;
    }
    if (size == 0)
        return;
    launch(row, size, fileName, ThreadPriority::BelowNormal);
}

void TaskOperations::startAllTasks()
{
    for (int row = 1; row < table().rowCount(); ++row) {
        if (cell(ColProcess, row) != Process::Idle || cell(ColSchedule, row) != Schedule::None ||
            cell(ColStatus, row) == Status::Done || m_services.workerSlots.isEnding(row))
            continue;
        const std::uint64_t size = Probe::bytesAvailable(m_services.worker.internet, cell(ColUrl, row));
        if (size > 0)
            launch(row, size, cell(ColFileName, row), ThreadPriority::AboveNormal);
    }
}

void TaskOperations::launch(int row, std::uint64_t size, const std::string& fileName, ThreadPriority priority)
{
    const FormatSettings& formats = m_services.worker.formats;
    setCell(ColSize, row, CellFormats::sizeText(size, formats.decimalSeparator()));

    auto* worker = new TfileThread(m_services.worker);
    ThreadPtr owner(worker);
    worker->setFreeOnTerminate(false);
    worker->setPriority(priority);
    worker->Url = cell(ColUrl, row);
    worker->Row = static_cast<std::uint8_t>(row);
    const int speedItem = m_services.refreshSpeedItem ? m_services.refreshSpeedItem() : RefreshSpeed::DefaultItem;
    worker->RefreshEvery = RefreshSpeed::readsBetweenReports(speedItem);
    worker->CreateNew = cell(ColStatus, row) == Status::New ? 1 : 0;
    worker->DestFile = CellFormats::localFileLocation(cell(ColPath, row), FileNames::destinationName(fileName));
    m_services.workerSlots.put(row, std::move(owner));

    setCell(ColStatus, row, Status::Started);
    setCell(ColProcess, row, Process::Running);
    setCell(ColTimeOfBeginning, row, formats.timeStamp(m_services.worker.clock.now()));
    worker->resume();
}

void TaskOperations::stopWorker(int row)
{
    m_services.workerSlots.destroy(row);
}

void TaskOperations::stopCurrentTask()
{
    const int row = currentTask();
    if (row == 0 || cell(ColProcess, row) != Process::Running)
        return;
    stopWorker(row);
    // Written after the worker's last reports: the stopper's code wins.
    setCell(ColProcess, row, Process::Idle);
}

void TaskOperations::stopAllTasks()
{
    // Workers blocked where no interrupt reaches then cost one stop limit in all, not one each.
    m_services.workerSlots.terminateAll();
    for (int row = 1; row < table().rowCount(); ++row) {
        if (cell(ColProcess, row) != Process::Running)
            continue;
        stopWorker(row);
        setCell(ColProcess, row, Process::Idle);
    }
}

void TaskOperations::cancelCurrentTask()
{
    if (const int row = currentTask())
        cancelRow(row);
}

void TaskOperations::cancelAllTasks()
{
    m_services.workerSlots.terminateAll();
    for (int row = 1; row < table().rowCount(); ++row)
        cancelRow(row);
}

void TaskOperations::cancelRow(int row)
{
    if (cell(ColStatus, row) == Status::Done)
        return;
    if (cell(ColProcess, row) == Process::Running)
        stopWorker(row);
    setCell(ColStatus, row, Status::Cancelled);
    setCell(ColProcess, row, Process::Finished);
}

} // namespace zv
