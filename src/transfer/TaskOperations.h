#pragma once

#include "platform/ThreadBase.h"
#include "transfer/TransferServices.h"

#include <cstdint>
#include <string>

namespace zv {

class TaskTable;

// Puts tasks into motion, stops and cancels them. Main thread only: it is the one writer
// of the table and of the worker slots. Rows that an operation does not admit are left
// alone without a word; only starting a done task says so.
class TaskOperations {
public:
    explicit TaskOperations(TransferServices services);

    void startCurrentTask();
    void startAllTasks();
    // The start of a scheduled task the caller has just made current: its file is the File
    // name cell, or the URL's name when that cell is empty.
    void startBySchedule();

    // Destroys the row's worker, running its last reports while waiting; an empty slot is
    // left alone. A worker blocked beyond the slots' stop limit is abandoned, and its row
    // takes no start until it has ended.
    void stopWorker(int row);
    void stopCurrentTask();
    void stopAllTasks();

    void cancelCurrentTask();
    void cancelAllTasks();

private:
    TaskTable& table() const { return m_services.worker.table; }
    const std::string& cell(int column, int row) const;
    void setCell(int column, int row, std::string_view text);
    int currentTask() const;
    bool mayStart(int row) const;

    void startSingle(int row, const std::string& fileName);
    void launch(int row, std::uint64_t size, const std::string& fileName, ThreadPriority priority);
    void cancelRow(int row);

    TransferServices m_services;
};

} // namespace zv
