// Downloads one URL through TfileThread with the refresh speed "Normal", the main thread
// waiting as a stop does (servicing the worker's reports) and reading the worker's meter for
// the progress tooltip as often as the window does, and prints the main thread's CPU. The
// worker reads through a speed limiter as the program's do: none unless ZV_BENCH_LIMIT gives
// bytes per second. ZV_BENCH_CONNECTIONS sets the connections per download (default 1), under a
// budget per server that does not hold them back.
#include "platform/net/CurlSessionFactory.h"
#include "platform/text/FormatSettings.h"
#include "platform/threads/HandOverQueue.h"
#include "platform/threads/SystemClock.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "tasks/WorkerSlots.h"
#include "transfer/CopyNetTr.h"
#include "transfer/DownloadPreferences.h"
#include "transfer/ProgressBoard.h"
#include "transfer/RefreshSpeed.h"
#include "transfer/ServerBudget.h"
#include "transfer/SpeedLimiter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <sys/resource.h>

using namespace zv;

namespace {

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s URL DESTINATION\n", argv[0]);
        return 2;
    }
    HandOverQueue mainThread;
    TaskTable table;
    table.writeHeader();
    const int row = table.appendRow();
    FormatSettings formats;
    SystemClock clock;
    CurlSessionFactory internet;
    WorkerSlots slots;
    ProgressBoard progress(table, slots, clock, formats);
    int reports = 0;
    table.addListener([&](const TableChange&) { ++reports; });
    std::string tip;
    int samples = 0;
    double samplingCpu = 0;

    const auto start = std::chrono::steady_clock::now();
    const double mainCpuBefore = threadCpuSeconds();
    const TaskId task = table.idOf(row);
    auto speed = std::make_shared<SpeedLimiter>(clock);
    if (const char* limit = std::getenv("ZV_BENCH_LIMIT"))
        speed->setLimit(std::strtoull(limit, nullptr, 10));
    {
        WorkerServices services{mainThread, internet, table, formats, clock, {}};
        services.speed = speed;
        if (const char* connections = std::getenv("ZV_BENCH_CONNECTIONS"))
            services.connections = std::atoi(connections);
        services.servers = std::make_shared<ServerBudget>(DownloadPreferences::MostConnections);
        auto* worker = new TfileThread(std::move(services));
        slots.put(task, ThreadPtr(worker));
        worker->Url = argv[1];
        worker->DestFile = argv[2];
        worker->Task = task;
        worker->CreateNew = 1;
        worker->RefreshEvery = RefreshSpeed::readsBetweenReports(RefreshSpeed::DefaultItem);
        table.setCell(ColProcess, row, std::string(Process::Running));
        progress.launched(task, worker->Meter);
        worker->resume();
        const auto interval = std::chrono::milliseconds(500); // the window's progress timer
        while (!mainThread.waitUntil([worker] { return worker->finished(); }, std::chrono::steady_clock::now() + interval)) {
            const double before = threadCpuSeconds();
            progress.sample();
            tip = progress.tip(row);
            samplingCpu += threadCpuSeconds() - before;
            ++samples;
        }
        slots.destroy(task);
    }
    const double mainCpu = threadCpuSeconds() - mainCpuBefore;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("status %s/%s, size loaded %s, %d cell writes\n", table.cell(ColStatus, row).c_str(),
                table.cell(ColProcess, row).c_str(), table.cell(ColSizeLoaded, row).c_str(), reports);
    std::printf("tooltip sampling: %d samples, %.1f us CPU in all; last tooltip while running: %s\n", samples,
                samplingCpu * 1e6, tip.c_str());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double processCpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    std::printf("main thread: %.4f s CPU over %.3f s wall (%.3f%%), %.3f%% of the process's %.3f s CPU\n", mainCpu,
                wall, 100.0 * mainCpu / wall, 100.0 * mainCpu / processCpu, processCpu);
    return table.cell(ColStatus, row) == Status::Done ? 0 : 1;
}
