#pragma once

#include "platform/net/CurlSessionFactory.h"
#include "platform/text/FormatSettings.h"
#include "platform/threads/HandOverQueue.h"
#include "platform/files/OutputFile.h"
#include "support/FixedClock.h"
#include "support/ImmediateProbeRunner.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"
#include "support/TestServer.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "tasks/WorkerSlots.h"
#include "transfer/CopyNetTr.h"
#include "transfer/Probe.h"
#include "transfer/ServerBudget.h"
#include "transfer/SpeedLimiter.h"
#include "transfer/TaskOperations.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zv::test {

// A table, its slots and the operations over a real server and a temporary folder, with
// short time limits. Members are declared so that workers end before what they use.
class TransferFixture : public ::testing::Test {
protected:
    TransferFixture()
    {
        table.writeHeader();
        table.addListener([this](const TableChange& change) {
            if (change.kind == TableChange::Kind::Cell && change.column == ColSizeLoaded)
                sizeLoadedWrites.push_back(table.cell(ColSizeLoaded, change.row));
        });
    }

    // Appends a task row the way the editor writes one and makes it current.
    int addTask(const std::string& url, const std::string& fileName, std::string_view status = Status::New,
                std::string_view process = Process::Idle, const std::string& schedule = "No")
    {
        const int row = table.appendRow();
        table.setCell(ColStatus, row, std::string(status));
        table.setCell(ColProcess, row, std::string(process));
        table.setCell(ColFileName, row, fileName);
        table.setCell(ColSize, row, "0 Byte");
        table.setCell(ColSizeLoaded, row, "0 Byte");
        table.setCell(ColUrl, row, url);
        table.setCell(ColPath, row, dir.path().string());
        table.setCell(ColSchedule, row, schedule);
        table.fixHeaderIfTasks();
        table.setCurrentRow(row);
        sizeLoadedWrites.clear();
        return row;
    }

    TfileThread* worker(int row) const { return dynamic_cast<TfileThread*>(slots.at(table.idOf(row))); }

    // Runs the row's worker reports until the worker has ended.
    void waitForWorker(int row)
    {
        ThreadBase* running = slots.at(table.idOf(row));
        ASSERT_NE(running, nullptr);
        queue.waitUntil([running] { return running->finished(); });
    }

    std::string codes(int row) const { return table.cell(ColStatus, row) + "/" + table.cell(ColProcess, row); }
    std::string fileAt(const std::string& name) const { return readFile(dir.path() / name); }
    bool exists(const std::string& name) const { return std::filesystem::exists(dir.path() / name); }

    TransferServices services()
    {
        return TransferServices{WorkerServices{queue, internet, table, formats, clock,
                                               [this](const std::string&) { ++doneSounds; }, outputFiles, retries,
                                               waitBeforeRetry, {}, speed, connections, servers},
                                slots, dialogs, probes, [this] { return speedItem; }};
    }

    TestServer server;
    TempDir dir;
    HandOverQueue queue;
    TaskTable table;
    RecordingDialogs dialogs;
    FormatSettings formats;
    FixedClock clock;
    // The real silence limit: a stop must not rely on it to end a stalled read.
    CurlSessionFactory internet{InternetLimits{std::chrono::seconds(2), std::chrono::seconds(60), std::chrono::seconds(5)}};
    ImmediateProbeRunner probes{internet};
    int doneSounds = 0;
    int speedItem = 1;
    std::function<std::unique_ptr<OutputFile>()> outputFiles; // empty: plain files
    // A run ends at its first failure unless a test asks for retries.
    RetryPolicy retries = RetryPolicy::none();
    std::function<bool(std::chrono::milliseconds, Interrupter&)> waitBeforeRetry; // empty: real waits
    std::vector<std::string> sizeLoadedWrites;
    std::shared_ptr<SpeedLimiter> speed; // empty: no limit
    int connections = 1;                 // per download
    std::shared_ptr<ServerBudget> servers; // empty: no budget per server
    WorkerSlots slots;
    TaskOperations operations{services()};
};

} // namespace zv::test
