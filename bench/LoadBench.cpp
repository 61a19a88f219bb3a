// "Start all" on a list of 254 tasks in the real main window (offscreen), against a local
// server: total time, the main thread's event-loop lateness while the workers report, and
// the process's peak memory. Usage: zv-load-bench BASE-URL OUTPUT-FOLDER COUNT
// Downloads BASE-URL/f001.bin .. into OUTPUT-FOLDER; the list lives there too.
// ZV_BENCH_CAP=N sets the cap on running downloads: the most running at once (sampled every
// 10 ms) and the time from each run's end to the next run's start are printed then.
#include "EventLoopLateness.h"
#include "Percentile.h"
#include "RealServices.h"

#include "app/MainFormU.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskListWriter.h"
#include "tasks/TaskTable.h"
#include "transfer/ProbeRunner.h"
#include "transfer/TaskListener.h"
#include "ui/TaskGrid.h"

#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>

using namespace zv;
using namespace zv::bench;
using Steady = std::chrono::steady_clock;

namespace {

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

std::string fileName(int index)
{
    char name[16];
    std::snprintf(name, sizeof name, "f%03d.bin", index);
    return name;
}

void writeList(const std::string& baseUrl, const std::string& folder, int count)
{
    TaskTable table;
    table.writeHeader();
    for (int index = 1; index <= count; ++index) {
        const int row = table.appendRow();
        table.setCell(ColStatus, row, std::string(Status::New));
        table.setCell(ColProcess, row, std::string(Process::Idle));
        table.setCell(ColFileName, row, fileName(index));
        table.setCell(ColSize, row, "0 Byte");
        table.setCell(ColSizeLoaded, row, "0 Byte");
        table.setCell(ColUrl, row, baseUrl + "/" + fileName(index));
        table.setCell(ColPath, row, folder);
        table.setCell(ColSchedule, row, std::string(Schedule::None));
    }
    TaskListWriter::writeList(table, folder + "/vt_tasks.log");
}

// As a user who hovers the first row: its progress tooltip is shown, and kept up to date by
// the window, all through the run.
void showTooltipOverFirstRow(TaskGrid& grid)
{
    const QRect cell = grid.visualRect(grid.model()->index(0, ColFileName));
    QHelpEvent hover(QEvent::ToolTip, cell.center(), grid.viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(grid.viewport(), &hover);
}

int runningCount(TaskTable& table)
{
    int running = 0;
    for (int row = 1; row < table.rowCount(); ++row)
        running += table.cell(ColProcess, row) == Process::Running ? 1 : 0;
    return running;
}

// Whether nothing runs, waits for a place or waits for its probe any more.
bool allEnded(TaskSession& session)
{
    if (runningCount(session.table()) > 0 || !session.runQueue().empty())
        return false;
    for (const TaskId task : session.table().taskIds())
        if (session.operations().isStartPending(task))
            return false;
    return true;
}

using Times = std::vector<Steady::time_point>;

// Milliseconds from each end to the first start after it not yet paired with an earlier end
// (ends with no start after them, the last ones, are left out).
std::vector<double> endToStart(const Times& ends, const Times& starts)
{
    std::vector<double> gaps;
    std::size_t next = 0;
    for (const auto& end : ends) {
        while (next < starts.size() && starts[next] < end)
            ++next;
        if (next == starts.size())
            break;
        gaps.push_back(std::chrono::duration<double, std::milli>(starts[next++] - end).count());
    }
    return gaps;
}

// When runs start and end.
class RunTimes final : public TaskListener {
public:
    void runStarted(TaskId) override { starts.push_back(Steady::now()); }
    void runEnded(TaskId, const RunOutcome&) override { ends.push_back(Steady::now()); }

    Times starts;
    Times ends;
};

// The session's probes, with the time each was asked.
class TimedProbes final : public ProbeRunner {
public:
    explicit TimedProbes(std::unique_ptr<ProbeRunner> probes) : m_probes(std::move(probes)) {}
    void ask(const std::string& url, Answer answer) override
    {
        asked.push_back(Steady::now());
        m_probes->ask(url, std::move(answer));
    }
    void cancelAll() override { m_probes->cancelAll(); }

    Times asked;

private:
    std::unique_ptr<ProbeRunner> m_probes;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s BASE-URL OUTPUT-FOLDER COUNT\n", argv[0]);
        return 2;
    }
    const std::string baseUrl = argv[1];
    const std::string folder = argv[2];
    const int count = std::stoi(argv[3]);
    writeList(baseUrl, folder, count);
    const char* capText = std::getenv("ZV_BENCH_CAP");
    const int cap = capText ? std::atoi(capText) : 0;
    if (cap > 0)
        std::ofstream(folder + "/zare-vantrel.conf") << "[Downloads]\nMaxRunning=" << cap << "\n";

    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    RealServices services;
    HandOverQueue& mainThread = services.mainThread();
    // Each drain runs workers' reports on this thread: how long one takes is how long the
    // window cannot answer because of them.
    std::vector<double> drains;
    mainThread.setWakeUp([&mainThread, &drains] {
        QMetaObject::invokeMethod(qApp, [&mainThread, &drains] {
            const auto begin = Steady::now();
            if (mainThread.drain() > 0)
                drains.push_back(std::chrono::duration<double, std::milli>(Steady::now() - begin).count());
        }, Qt::QueuedConnection);
    });
    TaskSession::Services sessionServices = services.forSession(folder);
    auto timedProbes = std::make_unique<TimedProbes>(std::move(sessionServices.probes));
    const TimedProbes& probes = *timedProbes;
    sessionServices.probes = std::move(timedProbes);
    TaskSession session(std::move(sessionServices));
    TMainForm form(session, services.forMainForm(folder));
    form.show();
    RunTimes runTimes;
    session.addListener(runTimes);
    int mostRunning = 0;

    EventLoopLateness lateness;
    double startSeconds = 0;
    double totalSeconds = 0;
    double mainCpu = 0;
    int tooltipTicks = 0;
    QString lastTooltip;
    QTimer::singleShot(200, [&] {
        lateness.start();
        const double cpuBefore = threadCpuSeconds();
        const auto begin = Steady::now();
        form.Startall1Click(); // probes every URL on this thread, as the command does
        startSeconds = std::chrono::duration<double>(Steady::now() - begin).count();
        lateness.restart(); // from here on: the workers run and report
        drains.clear();
        showTooltipOverFirstRow(*form.GridOfFiles);
        auto* watch = new QTimer(&form);
        QObject::connect(watch, &QTimer::timeout, [&, begin, cpuBefore] {
            if (QToolTip::isVisible()) {
                ++tooltipTicks;
                lastTooltip = QToolTip::text();
            }
            if (!allEnded(session))
                return;
            totalSeconds = std::chrono::duration<double>(Steady::now() - begin).count();
            mainCpu = threadCpuSeconds() - cpuBefore;
            QApplication::quit();
        });
        watch->start(20);
        auto* sampler = new QTimer(&form);
        QObject::connect(sampler, &QTimer::timeout,
                         [&] { mostRunning = std::max(mostRunning, runningCount(form.table())); });
        sampler->start(10);
    });
    QApplication::exec();

    int done = 0;
    for (int row = 1; row < form.table().rowCount(); ++row)
        done += form.table().cell(ColStatus, row) == Status::Done ? 1 : 0;
    const std::vector<double> samples = lateness.samples();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("tasks done: %d of %d\n", done, count);
    std::printf("tooltip shown at %d of the watch's 20-ms ticks; last: %s\n", tooltipTicks,
                lastTooltip.toStdString().c_str());
    std::printf("start all (probes on the main thread): %.3f s\n", startSeconds);
    std::printf("total (start all to the last end): %.3f s\n", totalSeconds);
    std::printf("main thread CPU: %.3f s\n", mainCpu);
    std::printf("event-loop lateness while running, %zu ticks: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
                samples.size(), percentile(samples, 0.5), percentile(samples, 0.99),
                percentile(samples, 1.0));
    double drainTotal = 0;
    for (double drain : drains)
        drainTotal += drain;
    std::printf("hand-overs: %zu drains taking %.3f s in all: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
                drains.size(), drainTotal / 1000.0, percentile(drains, 0.5), percentile(drains, 0.99),
                percentile(drains, 1.0));
    std::printf("peak RSS: %.1f MiB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    if (cap > 0) {
        std::printf("cap %d: most running at once (sampled every 10 ms): %d\n", cap, mostRunning);
        const auto print = [](const char* what, const std::vector<double>& gaps) {
            std::printf("a run's end to %s, %zu ends: p50 %.1f ms, p99 %.1f ms, max %.1f ms\n", what, gaps.size(),
                        percentile(gaps, 0.5), percentile(gaps, 0.99), percentile(gaps, 1.0));
        };
        print("the next probe asked", endToStart(runTimes.ends, probes.asked));
        print("the next run's start", endToStart(runTimes.ends, runTimes.starts));
    }
    std::fflush(stdout);
    session.removeListener(runTimes);
    return done == count && (cap == 0 || mostRunning <= cap) ? 0 : 1;
}
