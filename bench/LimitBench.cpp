// The speed limit's accuracy and fairness: for each limit and number of downloads, that many
// TfileThreads fetch URL through one SpeedLimiter, as the program's workers do. After a
// second to settle, their bytes are counted over ZV_BENCH_SECONDS (default 10); then every
// worker is stopped and the stop timed. Usage: zv-limit-bench URL OUTPUT-FOLDER
// Prints per case: the total rate against the limit (goal: within 5%), the slowest and the
// fastest share against the fair share (goal: within 20%) and the longest stop (goal: 0.5 s).
#include "platform/net/CurlSessionFactory.h"
#include "platform/text/FormatSettings.h"
#include "platform/threads/HandOverQueue.h"
#include "platform/threads/SystemClock.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskTable.h"
#include "tasks/WorkerSlots.h"
#include "transfer/CopyNetTr.h"
#include "transfer/RefreshSpeed.h"
#include "transfer/SpeedLimiter.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace zv;
using Steady = std::chrono::steady_clock;

namespace {

constexpr std::uint64_t KiB = 1024;
constexpr std::uint64_t MiB = 1024 * KiB;

struct Case {
    const char* limitText;
    std::uint64_t limit;
    int downloads;
};

struct Figures {
    double totalRatio = 0;  // total rate / limit
    double slowestShare = 0; // slowest download / fair share
    double fastestShare = 0;
    double longestStop = 0; // seconds
};

// Runs the main thread's side (the workers' reports) until the deadline.
void serviceUntil(HandOverQueue& mainThread, Steady::time_point deadline)
{
    mainThread.waitUntil([] { return false; }, deadline);
}

Figures measure(const std::string& url, const std::string& folder, const Case& run, double seconds)
{
    HandOverQueue mainThread;
    TaskTable table;
    table.writeHeader();
    FormatSettings formats;
    SystemClock clock;
    CurlSessionFactory internet;
    WorkerSlots slots;
    auto speed = std::make_shared<SpeedLimiter>(clock);
    speed->setLimit(run.limit);
    std::vector<TfileThread*> workers;
    for (int index = 0; index < run.downloads; ++index) {
        const int row = table.appendRow();
        table.setCell(ColProcess, row, std::string(Process::Running));
        WorkerServices services{mainThread, internet, table, formats, clock, {}};
        services.speed = speed;
        auto* worker = new TfileThread(std::move(services));
        slots.put(table.idOf(row), ThreadPtr(worker));
        worker->Url = url;
        worker->DestFile = folder + "/out" + std::to_string(index) + ".bin";
        worker->Task = table.idOf(row);
        worker->CreateNew = 1;
        worker->RefreshEvery = RefreshSpeed::readsBetweenReports(RefreshSpeed::DefaultItem);
        workers.push_back(worker);
        worker->resume();
    }
    serviceUntil(mainThread, Steady::now() + std::chrono::seconds(1));
    std::vector<std::uint64_t> before;
    for (const TfileThread* worker : workers)
        before.push_back(worker->Meter->held());
    const auto from = Steady::now();
    serviceUntil(mainThread, from + std::chrono::duration_cast<Steady::duration>(std::chrono::duration<double>(seconds)));
    const double elapsed = std::chrono::duration<double>(Steady::now() - from).count();
    Figures figures;
    double total = 0;
    figures.slowestShare = 1e9;
    const double fair = static_cast<double>(run.limit) / run.downloads;
    for (std::size_t index = 0; index < workers.size(); ++index) {
        const double rate = static_cast<double>(workers[index]->Meter->held() - before[index]) / elapsed;
        total += rate;
        figures.slowestShare = std::min(figures.slowestShare, rate / fair);
        figures.fastestShare = std::max(figures.fastestShare, rate / fair);
    }
    figures.totalRatio = total / static_cast<double>(run.limit);
    // A stop as the user's: the worker is ended while it waits on the limit.
    for (const TfileThread* worker : workers) {
        const auto stopFrom = Steady::now();
        slots.destroy(worker->Task);
        figures.longestStop = std::max(figures.longestStop, std::chrono::duration<double>(Steady::now() - stopFrom).count());
    }
    for (int index = 0; index < run.downloads; ++index)
        std::remove((folder + "/out" + std::to_string(index) + ".bin").c_str());
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s URL OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const char* secondsText = std::getenv("ZV_BENCH_SECONDS");
    const double seconds = secondsText ? std::atof(secondsText) : 10.0;
    const Case cases[] = {{"500 KB/s", 500 * KiB, 1}, {"500 KB/s", 500 * KiB, 3}, {"500 KB/s", 500 * KiB, 10},
                          {"2 MB/s", 2 * MiB, 1},     {"2 MB/s", 2 * MiB, 3},     {"2 MB/s", 2 * MiB, 10},
                          {"20 MB/s", 20 * MiB, 1},   {"20 MB/s", 20 * MiB, 3},   {"20 MB/s", 20 * MiB, 10}};
    std::printf("%-10s %9s %14s %15s %15s %12s\n", "limit", "downloads", "total/limit", "slowest/fair", "fastest/fair",
                "longest stop");
    int misses = 0;
    for (const Case& run : cases) {
        const Figures figures = measure(argv[1], argv[2], run, seconds);
        const bool met = std::abs(figures.totalRatio - 1.0) <= 0.05 && figures.slowestShare >= 0.8
                      && figures.fastestShare <= 1.2 && figures.longestStop <= 0.5;
        misses += met ? 0 : 1;
        std::printf("%-10s %9d %14.3f %15.3f %15.3f %10.3f s %s\n", run.limitText, run.downloads, figures.totalRatio,
                    figures.slowestShare, figures.fastestShare, figures.longestStop, met ? "" : "  MISSED");
        std::fflush(stdout);
    }
    std::printf("%d of %zu cases missed a goal (total within 5%%, each share within 20%%, stop within 0.5 s)\n", misses,
                std::size(cases));
    return misses == 0 ? 0 : 1;
}
